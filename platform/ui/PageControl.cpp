#include "platform/ui/PageControl.h"

#include <algorithm>

#include "platform/graphics/Context.h"
#include "platform/ui/Touch.h"

namespace ui {

PageControl::PageControl(const gfx::Rect& frame) : Control(frame) {
  setOpaque(false);
}

std::shared_ptr<PageControl> PageControl::create(const gfx::Rect& frame) {
  return std::make_shared<PageControl>(frame);
}

void PageControl::setNumberOfPages(int pages) {
  pages = std::max(pages, 0);
  if (pages == pages_) return;
  pages_ = pages;
  current_ = std::clamp(current_, 0, std::max(pages_ - 1, 0));
  setNeedsDisplay();
}

void PageControl::setCurrentPage(int page) {
  page = std::clamp(page, 0, std::max(pages_ - 1, 0));
  if (page == current_) return;
  current_ = page;
  setNeedsDisplay();
}

void PageControl::setHidesForSinglePage(bool hides) {
  if (hides == hidesForSinglePage_) return;
  hidesForSinglePage_ = hides;
  setNeedsDisplay();
}

void PageControl::setPageIndicatorTintColor(const gfx::Color& color) {
  dotColor_ = color;
  setNeedsDisplay();
}

void PageControl::setCurrentPageIndicatorTintColor(const gfx::Color& color) {
  currentDotColor_ = color;
  setNeedsDisplay();
}

gfx::Size PageControl::sizeForNumberOfPages(int pages) {
  pages = std::max(pages, 0);
  double width = pages > 0 ? pages * kDotDiameter + (pages - 1) * kDotSpacing : 0;
  return {width, kHeight};
}

gfx::Rect PageControl::dotRect(int page) const {
  gfx::Rect b = bounds();
  double row = sizeForNumberOfPages(pages_).width;
  double x = b.minX() + (b.width() - row) / 2 + page * (kDotDiameter + kDotSpacing);
  double y = b.minY() + (b.height() - kDotDiameter) / 2;
  return {x, y, kDotDiameter, kDotDiameter};
}

void PageControl::touchesEnded(const TouchSet& touches, const Event& event) {
  bool inside = !touches.empty() && touchIsInside(*touches.front());
  int page = current_;
  if (isEnabled() && inside && showsDots()) {
    gfx::Point p = touches.front()->locationInView(this);
    page = std::clamp(p.x < bounds().midX() ? current_ - 1 : current_ + 1, 0, pages_ - 1);
  }
  bool changed = page != current_;
  if (changed) setCurrentPage(page);
  Control::touchesEnded(touches, event);
  if (changed) sendActionsForControlEvents(ControlEvent::ValueChanged);
}

void PageControl::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  if (!showsDots()) return;
  for (int i = 0; i < pages_; ++i) {
    ctx.setFillColor(i == current_ ? currentDotColor_ : dotColor_);
    ctx.fillEllipse(dotRect(i));
  }
}

}  // namespace ui
