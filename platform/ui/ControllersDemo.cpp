#include "platform/ui/ControllersDemo.h"

#include <cmath>
#include <cstdio>

#include "platform/foundation/Log.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

const gfx::Color kUp = gfx::Color::rgb255(220, 30, 30);
const gfx::Color kDown = gfx::Color::rgb255(20, 150, 40);

struct Quote {
  std::string name;
  std::string code;
  double price;
  double change;  // percent
};

std::string format(const char* fmt, double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, value);
  return buf;
}

// Deterministic made-up quotes.
std::vector<Quote> makeQuotes(const std::vector<std::string>& names, const std::string& prefix,
                              int firstCode, double base) {
  std::vector<Quote> out;
  for (size_t i = 0; i < names.size(); ++i) {
    double change = std::sin(static_cast<double>(i) * 1.7 + base) * 6;
    char code[16];
    std::snprintf(code, sizeof code, "%s%06d", prefix.c_str(), firstCode + static_cast<int>(i) * 7);
    out.push_back({names[i], code, base * (1 + 0.37 * static_cast<double>(i % 9)), change});
  }
  return out;
}

gfx::Image icon(int kind) {
  gfx::ImageContext image(gfx::Size(30, 30), Screen::main().scale());
  gfx::Context& ctx = image.context();
  ctx.setFillColor(gfx::Color::white());
  ctx.setStrokeColor(gfx::Color::white());
  ctx.setLineWidth(3);
  switch (kind) {
    case 0:  // a rising line
      ctx.beginPath();
      ctx.moveTo(3, 24);
      ctx.lineTo(11, 14);
      ctx.lineTo(18, 19);
      ctx.lineTo(27, 6);
      ctx.strokePath();
      break;
    case 1:  // a star-ish diamond
      ctx.beginPath();
      ctx.moveTo(15, 2);
      ctx.lineTo(27, 15);
      ctx.lineTo(15, 28);
      ctx.lineTo(3, 15);
      ctx.closePath();
      ctx.fillPath();
      break;
    default:  // three dots
      for (int i = 0; i < 3; ++i) ctx.fillEllipse(gfx::Rect(2 + i * 10, 11, 7, 7));
      break;
  }
  return image.image();
}

std::shared_ptr<Label> label(const gfx::Rect& frame, const std::string& text, const gfx::Font& font,
                             const gfx::Color& color,
                             gfx::TextAlignment alignment = gfx::TextAlignment::Left) {
  auto l = Label::create(frame);
  l->setText(text);
  l->setFont(font);
  l->setTextColor(color);
  l->setTextAlignment(alignment);
  return l;
}

// --- a quote's page ---------------------------------------------------------------------------

class QuoteDetailController : public ViewController {
 public:
  explicit QuoteDetailController(Quote quote) : quote_(std::move(quote)) {
    setTitle(quote_.name);
    setHidesBottomBarWhenPushed(true);
  }
  void viewDidLoad() override {
    View* v = view();
    v->setBackgroundColor(gfx::Color::grey(0.1));
    gfx::Color c = quote_.change >= 0 ? kUp : kDown;
    v->addSubview(label(gfx::Rect(20, 20, 280, 24), quote_.code, gfx::Font::systemFont(16),
                        gfx::Color::grey(0.7)));
    auto price = label(gfx::Rect(20, 50, 280, 50), format("%.2f", quote_.price),
                       gfx::Font::boldSystemFont(44), c);
    price->setTag(ControllersDemoTag::DetailPrice);
    v->addSubview(price);
    v->addSubview(label(gfx::Rect(20, 104, 280, 24),
                        format(quote_.change >= 0 ? "+%.2f%%" : "%.2f%%", quote_.change),
                        gfx::Font::boldSystemFont(20), c));
    // A small bar chart of made-up volumes.
    auto chart = View::create(gfx::Rect(20, 150, 280, 160));
    chart->setBackgroundColor(gfx::Color::black());
    chart->layer().setBorderWidth(1);
    chart->layer().setBorderColor(gfx::Color::grey(0.3));
    for (int i = 0; i < 20; ++i) {
      double h = 20 + 120 * std::fabs(std::sin(i * 0.9 + quote_.price));
      auto bar = View::create(gfx::Rect(6 + i * 13.5, 155 - h, 9, h));
      bar->setBackgroundColor(i % 3 ? kUp : kDown);
      chart->addSubview(bar);
    }
    v->addSubview(chart);
    navigationItem().setRightBarButtonItem(
        BarButtonItem::withSystemItem(BarButtonSystemItem::Refresh));
  }

 private:
  Quote quote_;
};

// --- the quote list ---------------------------------------------------------------------------

class QuoteListController : public ViewController,
                            public TableViewDataSource,
                            public TableViewDelegate {
 public:
  QuoteListController() {
    setTitle("行情");
    sections_ = {
        makeQuotes({"华夏银行", "东方电力", "长江证券", "中原钢铁", "北方稀土", "南山铝业",
                    "海天食品", "江南水务", "西部矿业", "天山股份", "黄河旋风", "泰山石油",
                    "华山精密", "峨眉旅游", "洞庭水殖", "太湖科技"},
                   "SH", 600000, 8.2),
        makeQuotes({"港灯电力", "九龙仓", "维港置业", "太平洋航运", "新界发展", "港岛地产"}, "HK",
                   1, 21.5)};
  }

  void loadView() override {
    auto table = TableView::create(Screen::main().applicationFrame());
    table->setTag(ControllersDemoTag::QuoteTable);
    table->setDataSource(sharedAs<QuoteListController>());
    table->setDelegate(sharedAs<QuoteListController>());
    table->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    setView(table);
  }
  void viewDidLoad() override { navigationItem().setRightBarButtonItem(editButtonItem()); }
  void setEditing(bool editing, bool animated) override {
    ViewController::setEditing(editing, animated);
    if (auto* table = dynamic_cast<TableView*>(view())) table->setEditing(editing, animated);
  }

  int numberOfSectionsInTableView(TableView&) override {
    return static_cast<int>(sections_.size());
  }
  int tableViewNumberOfRowsInSection(TableView&, int section) override {
    return static_cast<int>(sections_[static_cast<size_t>(section)].size());
  }
  std::string tableViewTitleForHeaderInSection(TableView&, int section) override {
    return section == 0 ? "沪深A股" : "港股";
  }
  std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table,
                                                                const IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("Quote");
    if (!cell) {
      cell = TableViewCell::create(TableViewCellStyle::Value1, "Quote");
      cell->setAccessoryType(TableViewCellAccessoryType::DisclosureIndicator);
      cell->textLabel()->setFont(gfx::Font::boldSystemFont(17));
      cell->detailTextLabel()->setFont(gfx::Font::boldSystemFont(16));
    }
    const Quote& q = sections_[static_cast<size_t>(path.section)][static_cast<size_t>(path.row)];
    cell->textLabel()->setText(q.name);
    cell->detailTextLabel()->setText(format("%.2f", q.price) +
                                     format(q.change >= 0 ? "  +%.2f%%" : "  %.2f%%", q.change));
    cell->detailTextLabel()->setTextColor(q.change >= 0 ? kUp : kDown);
    return cell;
  }
  bool tableViewCanMoveRowAtIndexPath(TableView&, const IndexPath&) override { return true; }
  void tableViewCommitEditingStyle(TableView& table, TableViewCellEditingStyle style,
                                   const IndexPath& path) override {
    if (style != TableViewCellEditingStyle::Delete) return;
    auto& rows = sections_[static_cast<size_t>(path.section)];
    rows.erase(rows.begin() + path.row);
    table.deleteRowsAtIndexPaths({path}, TableViewRowAnimation::Fade);
  }
  void tableViewMoveRowAtIndexPath(TableView&, const IndexPath& from,
                                   const IndexPath& to) override {
    Quote q = sections_[static_cast<size_t>(from.section)][static_cast<size_t>(from.row)];
    auto& src = sections_[static_cast<size_t>(from.section)];
    src.erase(src.begin() + from.row);
    auto& dst = sections_[static_cast<size_t>(to.section)];
    dst.insert(dst.begin() + to.row, q);
  }
  void tableViewDidSelectRowAtIndexPath(TableView& table, const IndexPath& path) override {
    table.deselectRowAtIndexPath(path, true);
    const Quote& q = sections_[static_cast<size_t>(path.section)][static_cast<size_t>(path.row)];
    foundation::logInfo("controllers demo: open %s", q.name.c_str());
    if (auto* nav = navigationController())
      nav->pushViewController(std::make_shared<QuoteDetailController>(q), true);
  }

 private:
  std::vector<std::vector<Quote>> sections_;
};

// --- the watch list (grouped) -----------------------------------------------------------------

class WatchController : public ViewController,
                        public TableViewDataSource,
                        public TableViewDelegate {
 public:
  WatchController() {
    setTitle("自选");
    rows_ = {"华夏银行", "长江证券", "九龙仓", "北方稀土", "太湖科技"};
  }
  void loadView() override {
    auto table = TableView::create(Screen::main().applicationFrame(), TableViewStyle::Grouped);
    table->setTag(ControllersDemoTag::WatchTable);
    table->setDataSource(sharedAs<WatchController>());
    table->setDelegate(sharedAs<WatchController>());
    setView(table);
  }
  int numberOfSectionsInTableView(TableView&) override { return 2; }
  int tableViewNumberOfRowsInSection(TableView&, int section) override {
    return section == 0 ? static_cast<int>(rows_.size()) : 3;
  }
  std::string tableViewTitleForHeaderInSection(TableView&, int section) override {
    return section == 0 ? "我的自选" : "设置";
  }
  std::string tableViewTitleForFooterInSection(TableView&, int section) override {
    return section == 0 ? "左右滑动可删除" : "";
  }
  std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table,
                                                                const IndexPath& path) override {
    std::string id = path.section == 0 ? "Stock" : "Setting";
    auto cell = table.dequeueReusableCellWithIdentifier(id);
    if (!cell)
      cell = TableViewCell::create(
          path.section == 0 ? TableViewCellStyle::Subtitle : TableViewCellStyle::Default, id);
    if (path.section == 0) {
      cell->textLabel()->setText(rows_[static_cast<size_t>(path.row)]);
      cell->detailTextLabel()->setText("加入于 12-0" + std::to_string(path.row + 1));
    } else {
      static const char* settings[] = {"行情刷新", "涨跌颜色", "字体大小"};
      cell->textLabel()->setText(settings[path.row]);
      cell->setAccessoryType(path.row == 0 ? TableViewCellAccessoryType::Checkmark
                                           : TableViewCellAccessoryType::DisclosureIndicator);
    }
    return cell;
  }
  double tableViewHeightForRowAtIndexPath(TableView& table, const IndexPath& path) override {
    return path.section == 0 ? 52 : table.rowHeight();
  }
  bool tableViewCanEditRowAtIndexPath(TableView&, const IndexPath& path) override {
    return path.section == 0;
  }
  void tableViewCommitEditingStyle(TableView& table, TableViewCellEditingStyle style,
                                   const IndexPath& path) override {
    if (style != TableViewCellEditingStyle::Delete) return;
    rows_.erase(rows_.begin() + path.row);
    table.deleteRowsAtIndexPaths({path}, TableViewRowAnimation::Left);
    tabBarItem().setBadgeValue(std::to_string(rows_.size()));
  }
  void tableViewDidSelectRowAtIndexPath(TableView& table, const IndexPath& path) override {
    table.deselectRowAtIndexPath(path, true);
  }

 private:
  std::vector<std::string> rows_;
};

// --- modal screens ----------------------------------------------------------------------------

class AboutController : public ViewController {
 public:
  explicit AboutController(std::string text) : text_(std::move(text)) { setTitle("关于"); }
  void viewDidLoad() override {
    View* v = view();
    v->setBackgroundColor(gfx::Color::rgb255(20, 40, 80));
    auto l = label(gfx::Rect(20, 120, 280, 40), text_, gfx::Font::boldSystemFont(24),
                   gfx::Color::white(), gfx::TextAlignment::Center);
    l->setTag(ControllersDemoTag::ModalLabel);
    v->addSubview(l);
    std::weak_ptr<ViewController> weak = weakAs<ViewController>();
    navigationItem().setLeftBarButtonItem(
        BarButtonItem::withTitle("关闭", BarButtonItemStyle::Bordered, [weak](BarButtonItem&) {
          if (auto self = weak.lock()) self->dismissModalViewControllerAnimated(true);
        }));
  }

 private:
  std::string text_;
};

class MoreController : public ViewController {
 public:
  MoreController() { setTitle("更多"); }
  void viewDidLoad() override {
    View* v = view();
    v->setBackgroundColor(gfx::Color::groupTableBackground());
    struct Entry {
      const char* title;
      ModalTransitionStyle style;
      int tag;
    };
    const Entry entries[] = {
        {"翻转弹出", ModalTransitionStyle::FlipHorizontal, ControllersDemoTag::PresentFlip},
        {"淡入弹出", ModalTransitionStyle::CrossDissolve, ControllersDemoTag::PresentDissolve},
        {"上滑弹出", ModalTransitionStyle::CoverVertical, ControllersDemoTag::PresentCover}};
    double y = 30;
    for (const Entry& e : entries) {
      auto button = Button::create(ButtonType::RoundedRect, gfx::Rect(20, y, 280, 44));
      button->setTitle(e.title);
      button->setTag(e.tag);
      std::weak_ptr<ViewController> weak = weakAs<ViewController>();
      ModalTransitionStyle style = e.style;
      std::string title = e.title;
      button->addTarget(
          [weak, style, title](Control&) {
            auto self = weak.lock();
            if (!self) return;
            auto about = std::make_shared<AboutController>(title);
            auto nav = NavigationController::create(about);
            nav->navigationBar()->setBarStyle(BarStyle::Black);
            nav->setModalTransitionStyle(style);
            self->presentModalViewController(nav, true);
          },
          ControlEvent::TouchUpInside);
      v->addSubview(button);
      y += 60;
    }
  }
};

}  // namespace

void registerControllersDemoClasses() {
  ClassRegistry::shared().registerClass<ControllersDemoDelegate>("ControllersDemoAppDelegate");
}

NavigationController* ControllersDemoDelegate::navigation(int index) const {
  if (!tabs_ || index < 0 || index >= static_cast<int>(tabs_->viewControllers().size()))
    return nullptr;
  return dynamic_cast<NavigationController*>(
      tabs_->viewControllers()[static_cast<size_t>(index)].get());
}

bool ControllersDemoDelegate::applicationDidFinishLaunchingWithOptions(Application& app) {
  foundation::logInfo("controllers demo: did finish launching");
  app.setStatusBarStyle(StatusBarStyle::LightContent);
  window_ = Window::create(Screen::main().bounds());
  window_->setBackgroundColor(gfx::Color::black());

  std::vector<std::shared_ptr<ViewController>> tabs;
  std::vector<std::shared_ptr<ViewController>> roots = {std::make_shared<QuoteListController>(),
                                                        std::make_shared<WatchController>(),
                                                        std::make_shared<MoreController>()};
  for (size_t i = 0; i < roots.size(); ++i) {
    auto nav = NavigationController::create(roots[i]);
    nav->navigationBar()->setBarStyle(BarStyle::Black);
    nav->setTabBarItem(
        TabBarItem::create(roots[i]->title(), icon(static_cast<int>(i)), static_cast<int>(i)));
    tabs.push_back(nav);
  }
  tabs[1]->tabBarItem().setBadgeValue("5");
  tabs_ = TabBarController::create();
  tabs_->setViewControllers(tabs);
  window_->addSubview(tabs_->viewShared());
  window_->makeKeyAndVisible();
  return true;
}

}  // namespace ui
