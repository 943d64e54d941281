#include "platform/ui/NavigationBar.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Toolbar.h"

namespace ui {

namespace {

constexpr double kEdge = 5;
// The widest back button, and the room kept between the bar's buttons and its title.
constexpr double kBackWidest = 110;
constexpr double kTitleGap = 10;

// The back button: a bezel with a pointed left end.
class BackButton : public Button {
 public:
  explicit BackButton(gfx::Color bezel) : Button(ButtonType::Custom), bezel_(bezel) {}

  void drawRect(gfx::Context& ctx, const gfx::Rect&) override {
    gfx::Rect b = bounds().inset(0.5, 0.5);
    gfx::Color fill = bezel_;
    if (isHighlighted()) fill = gfx::Color(fill.r() * 0.75, fill.g() * 0.75, fill.b() * 0.75);
    const double tip = 10, r = 5;
    ctx.beginPath();
    ctx.moveTo(b.minX(), b.midY());
    ctx.lineTo(b.minX() + tip, b.minY());
    ctx.lineTo(b.maxX() - r, b.minY());
    ctx.arcTo(b.maxX(), b.minY(), b.maxX(), b.minY() + r, r);
    ctx.lineTo(b.maxX(), b.maxY() - r);
    ctx.arcTo(b.maxX(), b.maxY(), b.maxX() - r, b.maxY(), r);
    ctx.lineTo(b.minX() + tip, b.maxY());
    ctx.closePath();
    ctx.setFillColor(fill);
    ctx.setStrokeColor(gfx::Color(fill.r() * 0.6, fill.g() * 0.6, fill.b() * 0.6));
    ctx.setLineWidth(1);
    ctx.drawPath(gfx::PathDrawingMode::FillStroke);
  }

 private:
  gfx::Color bezel_;
};

}  // namespace

NavigationBar::NavigationBar(const gfx::Rect& frame) : View(frame) {
  setAutoresizingMask(Autoresizing::FlexibleWidth);
}

NavigationBar::~NavigationBar() {
  for (auto& item : items_) item->setChangeHandler({});
  for (auto& item : watchedItems_) item->setChangeHandler({});
}

void NavigationBar::watchBarItems() {
  std::vector<std::shared_ptr<BarButtonItem>> now;
  if (NavigationItem* top = topItem()) {
    if (top->leftBarButtonItem()) now.push_back(top->leftBarButtonItem());
    if (top->rightBarButtonItem()) now.push_back(top->rightBarButtonItem());
  }
  for (auto& old : watchedItems_)
    if (std::find(now.begin(), now.end(), old) == now.end()) old->setChangeHandler({});
  // Items already watched keep their handler: this may run inside it.
  NavigationBar* self = this;
  for (auto& item : now)
    if (std::find(watchedItems_.begin(), watchedItems_.end(), item) == watchedItems_.end())
      item->setChangeHandler([self] { self->rebuild(); });
  watchedItems_ = std::move(now);
}

std::shared_ptr<NavigationBar> NavigationBar::create(const gfx::Rect& frame) {
  return std::make_shared<NavigationBar>(frame);
}

void NavigationBar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  translucent_ = style == BarStyle::BlackTranslucent;
  rebuild();
}

void NavigationBar::setTintColor(const gfx::Color& color) {
  tint_ = color;
  rebuild();
}

void NavigationBar::setTranslucent(bool translucent) {
  translucent_ = translucent;
  setNeedsDisplay();
}

void NavigationBar::setBackgroundImage(const gfx::Image& image) {
  background_ = image;
  setNeedsDisplay();
}

void NavigationBar::setItems(std::vector<std::shared_ptr<NavigationItem>> items, bool) {
  for (auto& item : items_) item->setChangeHandler({});
  items_ = std::move(items);
  watch();
  rebuild();
}

void NavigationBar::pushNavigationItem(std::shared_ptr<NavigationItem> item, bool) {
  if (!item) return;
  items_.push_back(std::move(item));
  watch();
  rebuild();
}

std::shared_ptr<NavigationItem> NavigationBar::popNavigationItemAnimated(bool) {
  if (items_.empty()) return nullptr;
  auto item = items_.back();
  item->setChangeHandler({});
  items_.pop_back();
  watch();
  rebuild();
  return item;
}

void NavigationBar::watch() {
  // The top item and the one under it (its back title) change what the bar shows.
  for (size_t i = 0; i < items_.size(); ++i) {
    bool shown = i + 2 >= items_.size();
    NavigationBar* self = this;
    items_[i]->setChangeHandler(shown ? std::function<void()>([self] { self->rebuild(); })
                                      : std::function<void()>());
  }
}

std::string NavigationBar::titleText() const {
  auto* label = dynamic_cast<Label*>(title_.get());
  return label ? label->text() : std::string();
}

void NavigationBar::rebuild() {
  for (auto* view : {&left_, &right_, &title_}) {
    if (*view && (*view)->superview() == this) (*view)->removeFromSuperview();
    view->reset();
  }
  back_.reset();
  NavigationItem* top = topItem();
  if (top) {
    if (top->leftBarButtonItem()) {
      left_ = top->leftBarButtonItem()->makeView(barStyle_, tint_);
    } else if (NavigationItem* below = backItem(); below && !top->hidesBackButton()) {
      std::string text =
          below->backBarButtonItem() ? below->backBarButtonItem()->title() : below->title();
      if (text.empty()) text = "返回";
      gfx::Color bezel = tint_                            ? *tint_
                         : barStyle_ == BarStyle::Default ? gfx::Color(0.36, 0.46, 0.60)
                                                          : gfx::Color::grey(0.18);
      back_ = std::make_shared<BackButton>(bezel);
      back_->setTitle(text);
      back_->setTitleColor(gfx::Color::white());
      back_->setFont(gfx::Font::boldSystemFont(12));
      back_->setContentEdgeInsets(gfx::EdgeInsets(0, 14, 0, 8));
      gfx::Size fit = back_->sizeThatFits({});
      // A title too long for the button reads "返回" rather than a cut word.
      if (std::ceil(fit.width) > kBackWidest && text != "返回") {
        back_->setTitle("返回");
        fit = back_->sizeThatFits({});
      }
      back_->setFrame(gfx::Rect(0, 0, std::clamp(std::ceil(fit.width), 50.0, kBackWidest), 30));
      NavigationBar* self = this;
      back_->addTarget(
          [self](Control&) {
            if (self->backAction_) {
              auto action = self->backAction_;
              action();
            }
          },
          ControlEvent::TouchUpInside);
      left_ = back_;
    }
    if (top->rightBarButtonItem()) right_ = top->rightBarButtonItem()->makeView(barStyle_, tint_);
    if (top->titleView()) {
      title_ = top->titleView();
    } else {
      auto label = Label::create();
      label->setText(top->title());
      label->setFont(gfx::Font::boldSystemFont(20));
      label->setTextColor(gfx::Color::white());
      label->setShadowColor(gfx::Color::grey(0, 0.5));
      label->setTextAlignment(gfx::TextAlignment::Center);
      label->setAdjustsFontSizeToFitWidth(true);
      label->setMinimumFontSize(12);
      title_ = label;
    }
  }
  watchBarItems();
  for (auto* view : {&title_, &left_, &right_})
    if (*view) addSubview(*view);
  setNeedsLayout();
  setNeedsDisplay();
}

void NavigationBar::layoutSubviews() {
  gfx::Rect b = bounds();
  double leftEdge = kEdge, rightEdge = b.width() - kEdge;
  if (left_) {
    gfx::Rect f = left_->frame();
    left_->setFrame(gfx::Rect(kEdge, (b.height() - f.height()) / 2, f.width(), f.height()));
    leftEdge = kEdge + f.width() + kTitleGap;
  }
  if (right_) {
    gfx::Rect f = right_->frame();
    right_->setFrame(gfx::Rect(b.width() - kEdge - f.width(), (b.height() - f.height()) / 2,
                               f.width(), f.height()));
    rightEdge = b.width() - kEdge - f.width() - kTitleGap;
  }
  if (title_) {
    bool custom = topItem() && topItem()->titleView();
    double room = std::max(0.0, rightEdge - leftEdge);
    if (custom) {
      gfx::Rect f = title_->frame();
      double w = std::min(f.width(), b.width());
      double x = std::clamp((b.width() - w) / 2, leftEdge, std::max(leftEdge, rightEdge - w));
      if (w > room) x = (b.width() - w) / 2;
      title_->setFrame(gfx::Rect(x, (b.height() - f.height()) / 2, w, f.height()));
    } else {
      // Centred on the bar when it fits between the items, else centred in the room left.
      double w = std::min(room, std::ceil(title_->sizeThatFits({}).width));
      double x = std::clamp((b.width() - w) / 2, leftEdge, std::max(leftEdge, rightEdge - w));
      title_->setFrame(gfx::Rect(x, 0, w, b.height()));
    }
  }
}

void NavigationBar::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  if (!background_.isEmpty()) {
    ctx.drawImage(background_, bounds());
    return;
  }
  Toolbar::drawBarBackground(ctx, bounds(), barStyle_, tint_, translucent_);
}

gfx::Size NavigationBar::sizeThatFits(gfx::Size size) const {
  return {size.width > 0 ? size.width : 320, kHeight};
}

}  // namespace ui
