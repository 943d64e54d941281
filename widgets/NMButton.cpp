#include "widgets/NMButton.h"

#include "platform/ui/Touch.h"

gfx::Point NMButton::beginPoint_;

NMButton::NMButton(ui::ButtonType type, const gfx::Rect& frame) : ui::Button(type, frame) {}

std::shared_ptr<NMButton> NMButton::create(const gfx::Rect& frame, ui::ButtonType type) {
  return std::make_shared<NMButton>(type, frame);
}

void NMButton::touchesBegan(const ui::TouchSet& touches, const ui::Event&) {
  setHighlighted(true);
  if (dragEnable_ && !touches.empty()) beginPoint_ = touches.front()->locationInView(this);
}

void NMButton::touchesMoved(const ui::TouchSet& touches, const ui::Event&) {
  // A dragged touch is no longer a tap.
  setHighlighted(false);
  if (!dragEnable_ || touches.empty()) return;
  const gfx::Point now = touches.front()->locationInView(this);
  const gfx::Point c = center();
  setCenter(gfx::Point(c.x + now.x - beginPoint_.x, c.y + now.y - beginPoint_.y));
}

gfx::Rect NMButton::snappedFrame(const gfx::Rect& frame, gfx::Size size) {
  const double x = frame.x();
  const double y = frame.y();
  const double w = frame.width();
  const double h = frame.height();
  const double left = x;
  const double right = size.width - x - w;
  const double top = y;
  const double bottom = (size.height - kBottomReserve) - y - h;
  // Near the top or bottom edge the button keeps its x unless it sticks out at the side.
  const auto edgeX = [&] {
    if (left < right) return left < kMargin ? kMargin : x;
    return right < kMargin ? size.width - w - kMargin : x;
  };
  if (top < kSnapZone) return gfx::Rect(edgeX(), kMargin, w, h);
  if (bottom < kSnapZone) {
    return gfx::Rect(edgeX(), size.height - kBottomReserve - h - kMargin, w, h);
  }
  return gfx::Rect(left < right ? kMargin : size.width - w - kMargin, y, w, h);
}

void NMButton::touchesEnded(const ui::TouchSet&, const ui::Event&) {
  auto self = sharedAs<NMButton>();
  if (isHighlighted()) {
    sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
    setHighlighted(false);
  }
  ui::View* parent = superview();
  if (!parent || !adsorbEnable_) return;
  const gfx::Rect target = snappedFrame(frame(), parent->bounds().size);
  ui::View::animate(kSnapSeconds, [this, target] { setFrame(target); });
}

void NMButton::touchesCancelled(const ui::TouchSet&, const ui::Event&) {
  setHighlighted(false);
}
