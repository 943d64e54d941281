#include "panels/InOutRateBar.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"

namespace {

std::shared_ptr<ui::Label> RateLabel(const gfx::Rect& frame) {
  auto label = ui::Label::create(frame);
  label->setBackgroundColor(gfx::Color::clear());
  label->setTextColor(gfx::Color::white());
  label->setFont(gfx::Font::systemFont(10));
  label->setTextAlignment(gfx::TextAlignment::Center);
  label->setText("-%");
  return label;
}

std::string Share(const char* side, double part, double total) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s %.2f%%", side, part * 100 / total);
  return buf;
}

}  // namespace

InOutRateBar::InOutRateBar(const gfx::Rect& frame) : ui::View(frame) {
  setBackgroundColor(gfx::Color::black());
  gradient_ = gfx::Gradient::linear(gfx::Color::rgb255(140, 23, 0, 0.8),
                                    gfx::Color::rgb255(12, 64, 2, 0.8));
  const gfx::Rect b = bounds();
  const double w = frame.width();
  outerRateLabel_ = RateLabel({b.x(), -2, w / 2, b.height()});
  innerRateLabel_ = RateLabel({w / 2, -2, w / 2, b.height()});
  addSubview(outerRateLabel_);
  addSubview(innerRateLabel_);
  arrowRect_ = gfx::Rect(static_cast<float>(b.width() / 2 - 4), -4, 9, 20);
  arrow_ = ui::ImageView::create(arrowRect_);
  arrow_->setImage(gfx::Image::named("tx.png").stretchable(0, 0));
  addSubview(arrow_);
}

std::shared_ptr<InOutRateBar> InOutRateBar::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<InOutRateBar>(frame);
}

void InOutRateBar::SetInOutData(double inner, double outer) {
  const double total = inner + outer;
  std::string outerText = "外 ----";
  std::string innerText = "内 ----";
  // A negative volume would put the pointer off the bar and show a negative share.
  if (total > 0 && std::isfinite(total) && inner >= 0 && outer >= 0) {
    outerText = Share("外", outer, total);
    innerText = Share("内", inner, total);
    arrowRect_.origin.x = static_cast<float>(bounds().width() * outer / total - 4);
    arrow_->setFrame(arrowRect_);
  }
  outerRateLabel_->setText(outerText);
  innerRateLabel_->setText(innerText);
}

void InOutRateBar::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  ctx.clearRect(bounds());
  RatioBackgound(ctx);
}

void InOutRateBar::RatioBackgound(gfx::Context& ctx) {
  const gfx::Rect b = bounds();
  gfx::StateSaver saver(ctx);
  ctx.clipToRect(b);
  ctx.drawLinearGradient(gradient_, gfx::Point(b.x(), 0), gfx::Point(b.width(), 0));
}
