#include "kline/LandscapeKline.h"

#include <algorithm>
#include <cmath>

#include "core/CoreState.h"
#include "core/QuoteFormat.h"
#include "detail/TrendlineView.h"
#include "panels/PriceShowView.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Reached.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/SharedTool.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/SmallBoxes.h"
#include "widgets/TableCell.h"

namespace {

struct Period {
  const char* text;
  int code;
  const char* command;
};
// Item order of the period group; the codes are the chart's period numbers.
constexpr Period kPeriods[7] = {
    {"日线", 1, "Day"},     {"周线", 2, "Week"},    {"月线", 3, "Month"},  {"5分钟", 4, "5Min"},
    {"15分钟", 6, "15Min"}, {"30分钟", 7, "30Min"}, {"60分钟", 5, "60Min"}};

const char* CommandOf(int code) {
  for (const Period& p : kPeriods)
    if (p.code == code) return p.command;
  return nullptr;
}

bool menuHiddenFlag = true;
// The landscape screen on screen, if any (main thread).
const void* shownLandscape = nullptr;

constexpr double kTitleHeight = 36;
constexpr double kPageHeight = 284;
constexpr double kBarHeight = 30;


// The bar's page arrows are 10-point marks drawn over the row's last (or first) item: too small
// for a finger, and a tap beside them chose the item under them. A clear strip in each row takes
// the taps at a shown arrow and turns the row a page that way; elsewhere (and where no arrow
// shows) it lets the touches through. It lies inside the row, so a drag starting on it still
// scrolls the row.
class PageArrowPad : public ui::View {
 public:
  static constexpr int kTag = 9901;
  static constexpr double kReach = 26;  // points from the row's end that belong to its arrow

  using ui::View::View;
  bool pointInside(gfx::Point p, const ui::Event* event) const override {
    (void)event;
    return side(p) != 0;
  }
  // -1 over a shown left arrow, 1 over a shown right arrow, else 0.
  int side(gfx::Point p) const {
    auto* items = dynamic_cast<ui::ScrollView*>(superview());
    auto* bar = items ? dynamic_cast<GroupBarView*>(items->superview()) : nullptr;
    if (!bar || items->isHidden() || bar->row(bar->selGroupIndex()) != items) return 0;
    const double w = items->bounds().width();
    const double x = frame().x() + p.x - items->contentOffset().x;  // across the row's width
    if (p.y < 0 || p.y > bounds().height() || x < 0 || x > w) return 0;
    if (!bar->pageUpIndicator()->isHidden() && x < kReach) return -1;
    if (!bar->pageDownIndicator()->isHidden() && x > w - kReach) return 1;
    return 0;
  }
  void turn(gfx::Point p) {
    const int by = side(p);
    auto* items = dynamic_cast<ui::ScrollView*>(superview());
    auto* bar = items ? dynamic_cast<GroupBarView*>(items->superview()) : nullptr;
    if (by == 0 || !bar) return;
    const double w = items->bounds().width();
    if (w <= 0) return;
    const int pages = std::max(1, static_cast<int>((items->contentSize().width + 1) / w));
    const int page = static_cast<int>(std::lround(items->contentOffset().x / w)) + by;
    items->setContentOffset({std::clamp(page, 0, pages - 1) * w, 0}, false);
    bar->updatePageUpDownIndicator();
  }
};

// Puts a pad in every row of the bar, or brings it back over items added since.
void AddPageArrowPads(GroupBarView& bar) {
  for (int g = 0; g < bar.totalGroupNum(); ++g) {
    ui::ScrollView* items = bar.row(g);
    if (!items) continue;
    if (ui::View* pad = items->viewWithTag(PageArrowPad::kTag)) {
      items->bringSubviewToFront(pad);
      continue;
    }
    // As wide as any row's content: where it answers is decided by its arrows, not its frame.
    auto pad = std::make_shared<PageArrowPad>(gfx::Rect(0, 0, 4000, items->bounds().height()));
    pad->setTag(PageArrowPad::kTag);
    pad->setBackgroundColor(gfx::Color::clear());
    std::weak_ptr<PageArrowPad> weak = pad;
    pad->addGestureRecognizer(ui::TapGestureRecognizer::create([weak](ui::GestureRecognizer& tap) {
      if (auto me = weak.lock()) me->turn(tap.locationInView(me.get()));
    }));
    items->addSubview(pad);
  }
}

}  // namespace

// The intraday chart as the pager reaches it: a trend reply first takes the veil down.
class LandscapeKline::TrendForward : public TrendChartRole {
 public:
  explicit TrendForward(LandscapeKline& owner) : owner_(owner) {}
  TrendChartRole* chart() const { return owner_._trendLineView.get(); }
  void SetStockInfo(uint8_t market, uint8_t stockType) override {
    if (auto* c = chart()) c->SetStockInfo(market, stockType);
  }
  tagLocalStockData GetStockData() const override {
    return chart() ? chart()->GetStockData() : tagLocalStockData{};
  }
  void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) override {
    owner_.SetTrendLineArray(head, points);
  }
  void SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                             int period) override {
    if (auto* c = chart()) c->SetHistTrendLineArray(head, points, period);
  }
  void reDrawView() override {
    if (auto* c = chart()) c->reDrawView();
  }
  void awaitPoints() override {
    if (auto* c = chart()) c->awaitPoints();
  }
  bool awaitingPoints() const override { return chart() && chart()->awaitingPoints(); }
  bool pushSkipsMinutes(const tagLocalStockData& quote) const override {
    return chart() && chart()->pushSkipsMinutes(quote);
  }
  void updateDrawIndexType(int32_t type) override {
    if (auto* c = chart()) c->updateDrawIndexType(type);
  }

 private:
  LandscapeKline& owner_;
};

LandscapeKline::LandscapeKline() : trendForward_(std::make_unique<TrendForward>(*this)) {}

LandscapeKline::~LandscapeKline() {
  if (shownLandscape == this) shownLandscape = nullptr;
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  if (myActivity) myActivity->setHideLabel(nullptr);
  if (klineToolBar) klineToolBar->setDelegate(nullptr);
  // The chart and the menu can outlive this screen in the window (a dismissal still under
  // way): a touch on them then must not reach a screen that is gone.
  if (klineView) klineView->setDelegate(nullptr);
  if (settingsMenu) settingsMenu->setDelegate(nullptr);
}

bool LandscapeKline::anyShown() {
  return shownLandscape != nullptr;
}

bool LandscapeKline::menuHidden() {
  return menuHiddenFlag;
}

void LandscapeKline::setMenuHidden(bool hidden) {
  menuHiddenFlag = hidden;
}

void LandscapeKline::showMenu() {
  menuHiddenFlag = false;
  if (settingsMenu) settingsMenu->ShowHover();
  ui::noteReached("landscape", "参数");
}

void LandscapeKline::hideMenu() {
  menuHiddenFlag = true;
  if (settingsMenu) settingsMenu->HideHover();
}

std::shared_ptr<LandscapeKline> LandscapeKline::self() {
  return std::dynamic_pointer_cast<LandscapeKline>(shared_from_this());
}

double LandscapeKline::screenLength() const {
  return ui::Screen::main().bounds().height();
}

std::vector<std::string> LandscapeKline::IndicatorItems(bool futures) {
  if (futures) return {"成交量", "MACD", "KDJ", "RSI", "BIAS", "CCI", "持仓量"};
  return {"成交量", "MACD", "KDJ", "RSI", "BIAS", "CCI", "主力持仓", "主力动向", "主力活跃度"};
}

// --- building ------------------------------------------------------------------------------------

void LandscapeKline::viewDidLoad() {
  const double H = screenLength();
  ui::View& root = *view();
  // The presenting pager stays in the window under a modal screen here: cover it.
  root.setBackgroundColor(gfx::Color::black());
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, ui::kDeviceOrientationDidChangeNotification,
      [this](const foundation::Notification&) {
        // Kept by the pager between showings: a turn while another page is up is not ours to
        // follow (it would leave the status bar, and the window, sideways).
        if (isViewLoaded() && view()->window()) DEVS();
      });
  DEVS();

  _realView = ui::View::create({0, 0, H, 320});
  _realView->setBackgroundColor(gfx::Color::clear());
  root.addSubview(_realView);

  // Title bar: page switch, price header, name and code between the two arrows, "Loading".
  auto title = ui::View::create({0, 0, H, kTitleHeight});
  title->setBackgroundColor(gfx::Color::pattern(gfx::Image::named("bg_navigationbar.png")));
  _realView->addSubview(title);
  auto toolbar = MyToolBar::initWithFrame({5, 0, 44, kTitleHeight});
  // The title bar's buttons can outlive this screen in the window a moment (a dismissal under
  // way): their actions reach it only while it lives.
  const std::weak_ptr<LandscapeKline> alive = self();
  _barBtnChange = ui::BarButtonItem::withTitle(
      "切换", ui::BarButtonItemStyle::Bordered, [alive](ui::BarButtonItem&) {
        if (auto me = alive.lock()) me->ClickBtnChange();
      });
  toolbar->setItems({_barBtnChange});
  title->addSubview(toolbar);

  MainPriceShow = PriceShowView::createQuote({80, 0, 140, kTitleHeight});
  MainPriceShow->setNoDrawBackground(true);
  MainPriceShow->setBackgroundColor(gfx::Color::clear());
  const gfx::Font big = gfx::Font::named("Helvetica-Bold", 20);
  const gfx::Font small = gfx::Font::named("Helvetica-Bold", 13);
  if (auto* l = MainPriceShow->nowLabel()) {
    l->setText("--");
    l->setTextColor(gfx::Color::white());
    l->setFont(big);
  }
  if (auto* l = MainPriceShow->updownLabel()) {
    l->setText("--");
    l->setTextColor(gfx::Color::white());
    l->setFont(small);
  }
  if (auto* l = MainPriceShow->rangeLabel()) {
    l->setText("--%");
    l->setTextColor(gfx::Color::white());
    l->setFont(small);
  }
  title->addSubview(MainPriceShow);

  StockNameLabel = ui::Label::create({250, 0, 120, 20});
  StockNameLabel->setTextAlignment(gfx::TextAlignment::Center);
  StockNameLabel->setFont(gfx::Font::boldSystemFont(17));
  StockNameLabel->setAdjustsFontSizeToFitWidth(true);
  StockNameLabel->setTextColor(gfx::Color::white());
  StockNameLabel->setBackgroundColor(gfx::Color::clear());
  StockNameLabel->setText(stockNameStr);
  StockNameLabel->setTag(371);
  title->addSubview(StockNameLabel);
  StockCodeLabel = ui::Label::create({250, 20, 120, 16});
  StockCodeLabel->setTextAlignment(gfx::TextAlignment::Center);
  StockCodeLabel->setFont(gfx::Font::systemFont(15));
  StockCodeLabel->setTextColor(gfx::Color::rgb(0.933, 0.925, 0.506));
  StockCodeLabel->setBackgroundColor(gfx::Color::clear());
  StockCodeLabel->setText(stockCodeStr);
  StockCodeLabel->setTag(372);
  title->addSubview(StockCodeLabel);

  auto arrow = [&](const gfx::Rect& frame, const char* image, void (LandscapeKline::*action)()) {
    auto b = ui::Button::create(ui::ButtonType::Custom, frame);
    b->setImage(gfx::Image::named(image));
    b->setBackgroundColor(gfx::Color::clear());
    b->addTarget(
        [alive, action](ui::Control&) {
          if (auto me = alive.lock()) (me.get()->*action)();
        },
        ui::ControlEvent::TouchUpInside, this);
    title->addSubview(b);
    return b;
  };
  nextStockButton = arrow({370, 8, 30, 20}, "arrow_up_right.png", &LandscapeKline::nextButton);
  prevButton = arrow({220, 8, 30, 20}, "arrow_up_left.png", &LandscapeKline::preButton);

  myActivity = AlertLoading::create({260, 20, 80, 16});
  myActivity->setAlertTextMsg("Loading");
  myActivity->setHideLabel(StockCodeLabel);
  title->addSubview(myActivity);

  params.load();

  _scrollView = ui::ScrollView::create({0, kTitleHeight, H, kPageHeight});
  _scrollView->setContentSize({2 * H, 0});
  _scrollView->setPagingEnabled(true);
  _scrollView->setScrollEnabled(false);
  _scrollView->setShowsHorizontalScrollIndicator(false);
  _scrollView->setBackgroundColor(gfx::Color::clear());
  _realView->addSubview(_scrollView);

  const double chartHeight = kPageHeight - kBarHeight;
  klineView = KLineModuleView::initWithFrame({H, 0, H, chartHeight});
  klineView->setDelegate(this);
  klineView->setAskAgain(ui::WhileAlive(this, &LandscapeKline::askAgainForBars));
  _scrollView->addSubview(klineView);

  auto me = self();
  _groupBarCircle = GroupBarView::create({H, chartHeight, H, kBarHeight});
  _groupBarCircle->setDelegate(me);
  std::vector<std::string> periods;
  for (const Period& p : kPeriods) periods.emplace_back(p.text);
  _groupBarCircle->addGroup("周期", "", 0, periods);
  _groupBarCircle->addGroup("除权", "除权功能仅对日线有效", 1,
                            {"不除权", "除权", "前复权", "后复权"});
  _groupBarCircle->updateGroupPosition(0, 0, false);
  AddPageArrowPads(*_groupBarCircle);
  _scrollView->addSubview(_groupBarCircle);

  _groupBarIndex = GroupBarView::create({H, chartHeight, H, kBarHeight});
  _groupBarIndex->setDelegate(me);
  _groupBarIndex->addGroup("指标", "", 0, IndicatorItems(false));
  _groupBarIndex->addGroup("参数", "", 0, {});
  _groupBarIndex->updateGroupPosition(0, 0, false);
  AddPageArrowPads(*_groupBarIndex);
  updateUIWhenUserReloginSuccess();
  _groupBarIndex->setHidden(true);
  _scrollView->addSubview(_groupBarIndex);

  indexSwitchButton = ui::Button::create(ui::ButtonType::Custom, {H, kPageHeight - 58, 48, 29});
  indexSwitchButton->setTitle("指标");
  indexSwitchButton->titleLabel()->setFont(gfx::Font::named("Helvetica-Bold", 13));
  indexSwitchButton->setTitleColor(gfx::Color::white());
  indexSwitchButton->setAlpha(0.7);
  indexSwitchButton->setBackgroundImage(gfx::Image::named("groupbutton.png"));
  indexSwitchButton->addTarget(
      [alive = std::weak_ptr<LandscapeKline>(self())](ui::Control&) {
        if (auto screen = alive.lock()) screen->ClickBtnIndexParams();
      },
      ui::ControlEvent::TouchUpInside, this);
  _scrollView->addSubview(indexSwitchButton);

  // Within the price area: lower, its edges would cut the dates under the chart and the pane's
  // labels; higher, the average labels.
  const double menuTop = klineView->BaseYCoor - klineView->kViewHeight;
  const double menuHeight = std::min(140.0, std::floor(static_cast<double>(klineView->kViewHeight)));
  settingsMenu = SettingsMenu::initWithFrame({H + 90, menuTop, 160, menuHeight});
  settingsMenu->setBackgroundColor(gfx::Color::clear());
  // Fully opaque: at any translucency the chart's labels and curves read through the wheel.
  settingsMenu->initControls();
  settingsMenu->InitPickerParams(kline::kParamRows, params.table, params.defaults);
  settingsMenu->setHidden(true);
  menuHiddenFlag = true;
  settingsMenu->setDelegate(this);
  _scrollView->addSubview(settingsMenu);
  settingsMenu->updateParamView(-1);

  overlay = Overlay::create({0, 66, H, chartHeight});
  overlay->setAlpha(0.5);
  overlay->setBackgroundColor(gfx::Color::black());
  _realView->addSubview(overlay);

  // The stored pane; main-force panes need right 30.
  int pane = GetKLineIndexType();
  if (LacksRight30() && pane >= 6 && pane <= 8) pane = 0;
  updateTechIndex(pane);

  foundation::NotificationCenter::defaultCenter().addObserver(
      this, "login_fail", [this](const foundation::Notification&) {
        if (overlay) overlay->setHidden(true);
        if (myActivity) myActivity->hideAlertMsg();
      });

  _trendLineView = TrendlineView::initWithFrame_Landscape({0, 0, H, kPageHeight});
  _trendLineView->setBackgroundColor(gfx::Color::black());
  if (auto* d = dynamic_cast<TrendlineViewDelegate*>(_delegate)) _trendLineView->setDelegate(d);
  _scrollView->addSubview(_trendLineView);

  _scrollView->setContentOffset({H, 0}, false);
}

void LandscapeKline::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (klineToolBar) klineToolBar->SetButtonStatus();
  showChartPeriodOnBar();
  DEVS();
}

void LandscapeKline::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  shownLandscape = this;
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  ui::Application::shared().setStatusBarHidden(true);
}

void LandscapeKline::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  if (shownLandscape == this) shownLandscape = nullptr;
  if (klineView) klineView->SetTimeCircle(1);
  // The bar goes back to the day period with the chart: the two halves of the screen agree when
  // it opens again (and "除权" offers its buttons on the day chart).
  showChartPeriodOnBar();
  // The portrait screens below stand upright again.
  ui::setStatusBarOrientation(ui::InterfaceOrientation::Portrait, true);
}

bool LandscapeKline::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) {
  return orientation == ui::InterfaceOrientation::LandscapeLeft ||
         orientation == ui::InterfaceOrientation::LandscapeRight;
}

void LandscapeKline::DEVS() {
  const ui::DeviceOrientation o = ui::Device::current().orientation();
  double angle = 0;
  if (o == ui::DeviceOrientation::LandscapeLeft) {
    angle = M_PI / 2;
  } else if (o == ui::DeviceOrientation::LandscapeRight) {
    angle = 3 * M_PI / 2;
  } else {
    return;
  }
  ui::setStatusBarOrientation(ui::InterfaceOrientation::LandscapeLeft, true);  // 4
  const gfx::Rect app = ui::Screen::main().bounds();
  ui::View& root = *view();
  root.setTransform(gfx::AffineTransform());
  // Laid out on the long side; turned about the screen's centre.
  root.setBounds({0, 0, app.height(), app.width()});
  root.setCenter({app.x() + std::ceil(app.width() / 2), app.y() + std::ceil(app.height() / 2)});
  root.setTransform(gfx::AffineTransform::rotation(angle));
}

// --- the pager's side --------------------------------------------------------------------------

void LandscapeKline::SetStockInfo(const std::string& name, const std::string& code) {
  stockNameStr = name;
  stockCodeStr = code;
  if (StockNameLabel) StockNameLabel->setText(name);
  if (StockCodeLabel) StockCodeLabel->setText(code);
}

void LandscapeKline::setDelegate(LandscapeKlineDelegate* delegate) {
  _delegate = delegate;
  if (_trendLineView) {
    if (auto* d = dynamic_cast<TrendlineViewDelegate*>(delegate)) _trendLineView->setDelegate(d);
  }
}

int LandscapeKline::getCurrentPage() const {
  return _scrollView && _scrollView->contentOffset().x > 0 ? 1 : 0;
}

int LandscapeKline::getTimeCircle() const {
  return klineView ? klineView->getTimeCircle() : 1;
}

void LandscapeKline::changeToPage(int page) {
  if (page != 0 && page != 1) return;
  view();  // built on first use
  // Not animated: the page asked for is the page from now on (getCurrentPage reads the offset).
  _scrollView->setContentOffset({page * screenLength(), 0}, false);
  ui::noteReached("landscape", page == 0 ? "走势" : "K线");
  if (!_delegate) return;
  if (page == 0) {
    _barBtnChange->setTitle("K线");
    _delegate->RequestDataTrendline();
  } else {
    _barBtnChange->setTitle("走势");
    _delegate->RequestKlineData(static_cast<uint8_t>(getTimeCircle() & 0xff));
  }
  startRefreshKLineView();
}

void LandscapeKline::startRefreshKLineView() {
  if (myActivity) myActivity->showAlertMsg();
}

void LandscapeKline::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  view();
  const int decimals = quote.pricedot;
  const gfx::Color colour = SharedTool::CheckPriceColor(quote.zd);
  if (auto* l = MainPriceShow->nowLabel()) {
    l->setText(FormatPriceString(quote.now, 8, decimals, quote.now));
    l->setTextColor(colour);
  }
  if (auto* l = MainPriceShow->updownLabel()) {
    l->setText(FormatPriceString(quote.zd, 8, decimals, quote.zd));
    l->setTextColor(colour);
  }
  if (auto* l = MainPriceShow->rangeLabel()) {
    l->setText(FormatValueString(quote.zd, quote.yesterday, quote.now));
    l->setTextColor(colour);
  }
  if (auto* image = MainPriceShow->ImageUpDownFlag())
    image->setImage(SharedTool::CheckPriceUpDown(quote.zd));
  size_t units = 0;
  while (units < 16 && quote.name[units]) ++units;
  const std::string code(quote.code, strnlen(quote.code, sizeof quote.code));
  SetStockInfo(foundation::utf16ToUtf8(std::u16string_view(quote.name, units)), code);
  klineView->SetDataInfo(quote, isPush);
  _trendLineView->SetDataInfo(quote, isPush);

  const bool wasFutures = IsMarketType467(_nMarketType);
  const bool futures = IsMarketType467(quote.market);
  if (!wasFutures && futures) {
    _groupBarIndex->resetGroupItems(0, IndicatorItems(true));
  } else if (wasFutures && !futures) {
    _groupBarIndex->resetGroupItems(0, IndicatorItems(false));
    _groupBarIndex->changeShowingSubItems(0, LacksRight30() ? 6 : 9);
  }
  if (wasFutures != futures) AddPageArrowPads(*_groupBarIndex);  // over the new items
  _nMarketType = quote.market;
  _nStockType = quote.zqlb;
}

void LandscapeKline::SetKlineArray(const tagLocalKData* bars, const uint8_t* head,
                                   uint16_t isPush) {
  view();
  overlay->setHidden(true);
  myActivity->hideAlertMsg();
  if (!head || (head[11] | (head[12] << 8)) == 0) return;
  klineView->SetKlineArray(bars, head, isPush);
}

void LandscapeKline::SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) {
  view();
  overlay->setHidden(true);
  myActivity->hideAlertMsg();
  _trendLineView->SetTrendLineArray(head, points);
}

TrendChartRole* LandscapeKline::trendlineView() {
  view();
  return trendForward_.get();
}

void LandscapeKline::setTagLocalWeightData(const tagLocalWeightData* events, int count) {
  view();
  klineView->setTagLocalWeightData(events, count);
}

void LandscapeKline::setTrevaneFlag(uint8_t flag) {
  view();
  klineView->setTrevaneFlag(flag);
}

void LandscapeKline::updateWeightType(int type) {
  view();
  klineView->updateWeightType(type);
}

void LandscapeKline::resetWeight() {
  if (!menuHiddenFlag) hideMenu();
}

void LandscapeKline::updateUIWhenUserReloginSuccess() {
  if (_groupBarIndex) _groupBarIndex->changeShowingSubItems(0, LacksRight30() ? 6 : 9);
}

void LandscapeKline::updateTechIndex(int item) {
  view();
  _groupBarIndex->changeSelSubItem(item, 0);
}

// --- bars ------------------------------------------------------------------------------------

bool LandscapeKline::GroupBarShouldChangeToGroup(int group, GroupBarView& bar) {
  if (&bar == _groupBarIndex.get() && group == 1) {
    if (menuHiddenFlag) {
      showMenu();
    } else {
      hideMenu();
    }
    return false;
  }
  return true;
}

void LandscapeKline::GroupBarDidChangeToGroup(int group, GroupBarView& bar) {
  ui::noteReached("landscape", &bar == _groupBarCircle.get() ? (group == 0 ? "周期" : "除权")
                                                             : (group == 0 ? "指标" : "参数"));
  (void)group;
  (void)bar;
}

bool LandscapeKline::GroupBarShouldChangeToSubItem(int subItem, int group, GroupBarView& bar) {
  if (&bar == _groupBarCircle.get() && group == 0) bar.setGroupNoItems(subItem != 0, 1);
  return true;
}

void LandscapeKline::GroupBarDidChangeToSubItem(int subItem, int group, GroupBarView& bar) {
  if (&bar == _groupBarCircle.get()) {
    if (group == 0 && subItem >= 0 && subItem < 7) changePeriod(kPeriods[subItem].code);
    if (group == 1) dealWeight(subItem);
    return;
  }
  if (&bar != _groupBarIndex.get() || group != 0) return;
  settingsMenu->updateParamView(subItem - 1);
  switch (subItem) {
    case 0:
      ShowVolume();
      break;
    case 1:
      ShowMACD();
      break;
    case 2:
      ShowKDJ();
      break;
    case 3:
      ShowRSI();
      break;
    case 4:
      ShowBIAS();
      break;
    case 5:
      ShowCCI();
      break;
    case 6:
      if (IsMarketType467(_nMarketType)) {
        ShowCCL();
      } else {
        ShowZLCC();
      }
      break;
    case 7:
      ShowZLZJL();
      break;
    case 8:
      ShowZLHYD();
      break;
    default:
      break;
  }
}

void LandscapeKline::changePeriod(int code) {
  overlay->setHidden(false);
  myActivity->showAlertMsg();
  klineView->SetTimeCircle(code);
  const char* name = CommandOf(code);
  if (!name) return;
  foundation::Dictionary info;
  info.set("Command_ID", name);
  foundation::NotificationCenter::defaultCenter().post("TrendCommand", this,
                                                       foundation::Value(std::move(info)));
}

void LandscapeKline::askAgainForBars(int32_t period) {
  // The pager serves the page on show: the trend page's request is not to be replaced.
  if (!_delegate || getCurrentPage() != 1 || !isViewLoaded() || !view()->window()) return;
  if (period != getTimeCircle()) return;
  _delegate->RequestKlineData(static_cast<uint8_t>(period & 0xff));
}

void LandscapeKline::showChartPeriodOnBar() {
  if (!_groupBarCircle || !klineView) return;
  int item = 0;
  for (int i = 0; i < 7; ++i)
    if (kPeriods[i].code == klineView->getTimeCircle()) item = i;
  GroupBarView& bar = *_groupBarCircle;
  bar.setSelSubItem(item, 0);
  bar.setGroupNoItems(item != 0, 1);
  // A notice or the buttons on show change at once.
  bar.updateGroupPosition(bar.selGroupIndex(), bar.selSubItemIndex(bar.selGroupIndex()), false);
}

void LandscapeKline::TimeframeCircle(uint16_t command) {
  if (command >= 1 && command <= 7) {
    changePeriod(command);
  } else if (command == KlineToolBar::kSettingsCommand) {
    if (menuHiddenFlag) {
      showMenu();
    } else {
      hideMenu();
    }
  }
}

void LandscapeKline::dealWeight(int type) {
  if (type >= 0 && type <= 3) updateWeightType(type);
}

void LandscapeKline::showPane(int16_t pane, int row, int columns) {
  const int32_t* values = row >= 0 ? params.table[static_cast<size_t>(row)].data() : nullptr;
  klineView->SetStockTechTypeDraw(pane, values, columns);
}

void LandscapeKline::ShowVolume() {
  showPane(kIndexVolume, -1, 0);
}
void LandscapeKline::ShowMACD() {
  showPane(kIndexMACD, 0, 3);
}
void LandscapeKline::ShowKDJ() {
  showPane(kIndexKDJ, 1, 3);
}
void LandscapeKline::ShowRSI() {
  showPane(kIndexRSI, 2, 3);
}
void LandscapeKline::ShowBIAS() {
  showPane(kIndexBIAS, 3, 3);
}
void LandscapeKline::ShowCCI() {
  showPane(kIndexCCI, 4, 1);
}
void LandscapeKline::ShowCCL() {
  showPane(kIndexCCL, -1, 0);
}
void LandscapeKline::ShowZLCC() {
  showPane(kIndexZLCC, -1, 0);
}
void LandscapeKline::ShowZLZJL() {
  showPane(kIndexZLDX, -1, 0);
}
void LandscapeKline::ShowZLHYD() {
  showPane(kIndexZLHYD, -1, 0);
}

void LandscapeKline::ReturnSelectedValue(const std::string& name, int selected,
                                         const int32_t* values, int columns) {
  (void)name;
  hideMenu();
  if (selected < 0 || selected >= kline::kParamRows || !values) return;
  const int n = std::clamp(columns, 0, kline::ParamColumns(selected));
  if (!params.apply(selected, values, n))
    foundation::logError("LandscapeKline: %s not written", kline::kParamSavedFile);
  klineView->SetStockTechTypeDraw(static_cast<int16_t>(selected + 1), values, n);
}

void LandscapeKline::KLineModuleViewToucherBegan() {
  hideMenu();
}

// --- buttons -------------------------------------------------------------------------------------

void LandscapeKline::ClickBtnChange() {
  foundation::logInfo("%f~~~%f~~%f", view()->bounds().width(), view()->bounds().height(),
                      screenLength());
  hideMenu();
  changeToPage(_scrollView->contentOffset().x != 0 ? 0 : 1);
}

void LandscapeKline::ClickBtnIndexParams() {
  if (_groupBarIndex->isHidden()) {
    _groupBarIndex->setHidden(false);
    _groupBarCircle->setHidden(true);
    indexSwitchButton->setTitle("周期");
    ui::noteReached("landscape", "指标");
  } else {
    _groupBarIndex->setHidden(true);
    _groupBarCircle->setHidden(false);
    indexSwitchButton->setTitle("指标");
    hideMenu();
    ui::noteReached("landscape", "周期");
  }
}

void LandscapeKline::preButton() {
  if (_delegate) _delegate->preButton();
}

void LandscapeKline::nextButton() {
  if (_delegate) _delegate->nextButton();
}
