#include "platform/ui/Toolbar.h"

#include <algorithm>

#include "platform/graphics/Context.h"

namespace ui {

namespace {

constexpr double kToolbarEdge = 6;
constexpr double kGap = 10;

}  // namespace

Toolbar::Toolbar(const gfx::Rect& frame) : View(frame) {}

std::shared_ptr<Toolbar> Toolbar::create(const gfx::Rect& frame) {
  return std::make_shared<Toolbar>(frame);
}

void Toolbar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  translucent_ = style == BarStyle::BlackTranslucent;
  rebuild();
}

void Toolbar::setTintColor(const gfx::Color& color) {
  tint_ = color;
  rebuild();
}

void Toolbar::setTranslucent(bool translucent) {
  translucent_ = translucent;
  setNeedsDisplay();
}

void Toolbar::setBackgroundImage(const gfx::Image& image) {
  background_ = image;
  setNeedsDisplay();
}

void Toolbar::setDrawsBackground(bool draws) {
  drawsBackground_ = draws;
  setNeedsDisplay();
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool) {
  for (auto& item : items_) item->setChangeHandler({});
  items_ = std::move(items);
  for (auto& item : items_) {
    Toolbar* self = this;
    item->setChangeHandler([self] { self->rebuild(); });
  }
  rebuild();
}

void Toolbar::rebuild() {
  for (auto& view : itemViews_)
    if (view && view->superview() == this) view->removeFromSuperview();
  itemViews_.clear();
  for (auto& item : items_) {
    auto view = item->makeView(barStyle_, tint_);
    if (view) addSubview(view);
    itemViews_.push_back(view);
  }
  setNeedsLayout();
  setNeedsDisplay();
}

View* Toolbar::viewForItem(size_t index) const {
  return index < itemViews_.size() ? itemViews_[index].get() : nullptr;
}

void Toolbar::layoutSubviews() {
  gfx::Rect b = bounds();
  double used = 0;
  int flexible = 0;
  int placed = 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    auto& item = items_[i];
    if (item->isFlexibleSpace()) {
      ++flexible;
      continue;
    }
    double w = item->isFixedSpace() ? item->width()
               : itemViews_[i]      ? itemViews_[i]->frame().width()
                                    : 0;
    used += w;
    if (!item->isFixedSpace()) ++placed;
  }
  double gaps = placed > 1 ? (placed - 1) * kGap : 0;
  double room = std::max(0.0, b.width() - 2 * kToolbarEdge - used - gaps);
  double flex = flexible > 0 ? room / flexible : 0;
  double x = b.minX() + kToolbarEdge;
  bool previousWasView = false;
  for (size_t i = 0; i < items_.size(); ++i) {
    auto& item = items_[i];
    if (item->isFlexibleSpace()) {
      x += flex;
      continue;
    }
    if (item->isFixedSpace()) {
      x += item->width();
      continue;
    }
    View* view = itemViews_[i].get();
    if (!view) continue;
    if (previousWasView) x += kGap;
    gfx::Rect f = view->frame();
    view->setFrame(gfx::Rect(x, b.midY() - f.height() / 2, f.width(), f.height()));
    x += f.width();
    previousWasView = true;
  }
}

void Toolbar::drawBarBackground(gfx::Context& ctx, const gfx::Rect& r, BarStyle style,
                                const std::optional<gfx::Color>& tint, bool translucent) {
  gfx::Color top, bottom;
  if (tint) {
    const gfx::Color& t = *tint;
    top = gfx::Color(std::min(1.0, t.r() * 0.6 + 0.4), std::min(1.0, t.g() * 0.6 + 0.4),
                     std::min(1.0, t.b() * 0.6 + 0.4), t.a());
    bottom = t;
  } else if (style == BarStyle::Default) {
    top = gfx::Color(0.69, 0.74, 0.80);
    bottom = gfx::Color(0.43, 0.52, 0.62);
  } else {
    top = gfx::Color::grey(0.32);
    bottom = gfx::Color::grey(0.05);
  }
  double alpha = translucent ? 0.7 : 1.0;
  gfx::StateSaver saver(ctx);
  ctx.clipToRect(r);
  ctx.drawLinearGradient(
      gfx::Gradient::linear(top.withAlpha(top.a() * alpha), bottom.withAlpha(bottom.a() * alpha)),
      gfx::Point(0, r.minY()), gfx::Point(0, r.maxY()));
  ctx.setFillColor(gfx::Color::black().withAlpha(0.35 * alpha));
  ctx.fillRect(gfx::Rect(r.minX(), r.minY(), r.width(), 1));
  // An opaque bar hides what lies under it (a screen's bar under the one pushed over it).
  if (!translucent && top.a() >= 0.9 && bottom.a() >= 0.9 && ctx.alpha() >= 0.9)
    gfx::DrawnTextCollector::noteOpaqueImage(
        ctx.state().ctm.apply(r).intersection(ctx.state().deviceClipBounds));
}

void Toolbar::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  if (!drawsBackground_) return;
  if (!background_.isEmpty()) {
    ctx.drawImage(background_, bounds());
    return;
  }
  drawBarBackground(ctx, bounds(), barStyle_, tint_, translucent_);
}

gfx::Size Toolbar::sizeThatFits(gfx::Size size) const {
  return gfx::Size(size.width > 0 ? size.width : bounds().width(), 44);
}

}  // namespace ui
