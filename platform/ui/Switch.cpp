#include "platform/ui/Switch.h"

#include "platform/graphics/Context.h"
#include "platform/ui/Touch.h"

namespace ui {

Switch::Switch(const gfx::Rect& frame) : Control(gfx::Rect(frame.origin, gfx::Size(79, 27))) {
  setOpaque(false);
}

std::shared_ptr<Switch> Switch::create(const gfx::Rect& frame) {
  return std::make_shared<Switch>(frame);
}

void Switch::setFrame(const gfx::Rect& frame) {
  Control::setFrame(gfx::Rect(frame.origin, gfx::Size(79, 27)));
}

void Switch::setOn(bool on, bool) {
  if (on == on_) return;
  on_ = on;
  setNeedsDisplay();
}

void Switch::setOnTintColor(const gfx::Color& color) {
  onTint_ = color;
  setNeedsDisplay();
}

void Switch::touchesEnded(const TouchSet& touches, const Event& event) {
  bool inside = !touches.empty() && touchIsInside(*touches.front());
  if (isEnabled() && inside) {
    on_ = !on_;
    setNeedsDisplay();
  }
  Control::touchesEnded(touches, event);
  if (isEnabled() && inside) sendActionsForControlEvents(ControlEvent::ValueChanged);
}

void Switch::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect b = bounds().inset(0.5, 0.5);
  double r = b.height() / 2;
  ctx.setFillColor(on_ ? onTint_ : gfx::Color::grey(0.93));
  ctx.addRoundedRect(b, r);
  ctx.fillPath();
  ctx.setStrokeColor(gfx::Color::grey(0.6));
  ctx.setLineWidth(1);
  ctx.addRoundedRect(b, r);
  ctx.strokePath();

  gfx::TextStyle style(gfx::Font::boldSystemFont(15), gfx::TextAlignment::Center);
  style.centerVertically = true;
  gfx::Rect text =
      on_ ? gfx::Rect(b.minX(), b.minY(), b.width() - b.height(), b.height())
          : gfx::Rect(b.minX() + b.height(), b.minY(), b.width() - b.height(), b.height());
  ctx.setFillColor(on_ ? gfx::Color::white() : gfx::Color::grey(0.45));
  ctx.drawText(on_ ? "ON" : "OFF", text, style);

  double knob = b.height();
  gfx::Rect k(on_ ? b.maxX() - knob : b.minX(), b.minY(), knob, knob);
  ctx.setFillColor(isHighlighted() ? gfx::Color::grey(0.85) : gfx::Color::white());
  ctx.fillEllipse(k);
  ctx.setStrokeColor(gfx::Color::grey(0.55));
  ctx.strokeEllipse(k);
  if (!isEnabled()) {
    ctx.setFillColor(gfx::Color::white().withAlpha(0.5));
    ctx.addRoundedRect(b, r);
    ctx.fillPath();
  }
}

}  // namespace ui
