// The images of the K-line screens: the parameter menu's pointer, the indicator bar's switch
// button, the period strip's settings button and its slider.
#include <cmath>

#include "tools/imagegen/ImageGen.h"

namespace imagegen {

void KLineImages() {
  // Points left, toward the indicator bar's "参数" button below the menu.
  Make("downArrow.png", Size(20, 40), [](Context& ctx) {
    ctx.setFillColor(Color::rgb(0.93, 0.93, 0.93, 0.95));
    ctx.beginPath();
    ctx.moveTo(20, 6);
    ctx.lineTo(2, 20);
    ctx.lineTo(20, 34);
    ctx.closePath();
    ctx.fillPath();
  });
  Make("groupbutton.png", Size(48, 29), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 48, 29), Color::rgb255(40, 72, 110),
                     Color::rgb255(10, 26, 48));
    ctx.setStrokeColor(Color::rgb255(90, 130, 170));
    ctx.setLineWidth(1);
    ctx.strokeRect(Rect(0.5, 0.5, 47, 28));
  });
  Make("menubar_slider.png", Size(40, 30), [](Context& ctx) {
    FillRounded(ctx, Rect(0, 0, 40, 30), 8, Color::rgb(0.85, 0.85, 0.85, 0.9));
  });
  Make("Settings.png", Size(24, 24), [](Context& ctx) {
    // A gear: eight teeth around a ring.
    ctx.setFillColor(Color::white());
    for (int i = 0; i < 8; ++i) {
      const double a = i * M_PI / 4;
      ctx.fillEllipse(Rect(12 + 8 * std::cos(a) - 2.5, 12 + 8 * std::sin(a) - 2.5, 5, 5));
    }
    ctx.fillEllipse(Rect(4, 4, 16, 16));
    ctx.setFillColor(Color::rgb255(30, 50, 70));
    ctx.fillEllipse(Rect(9, 9, 6, 6));
  });
}

}  // namespace imagegen
