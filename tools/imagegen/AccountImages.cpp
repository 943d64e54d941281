// The images of the account screens.
#include <cmath>

#include "tools/imagegen/ImageGen.h"

namespace imagegen {

namespace {

const Color kGold = Color::rgb255(226, 180, 72);
const Color kNight = Color::rgb255(12, 20, 36);

// The client's mark: a rising candle pair in a gold ring.
void Mark(Context& ctx, const Rect& r) {
  ctx.setStrokeColor(kGold);
  ctx.setLineWidth(r.width() / 14);
  const double inset = r.width() / 10;
  ctx.strokeEllipse(Rect(r.x() + inset, r.y() + inset, r.width() - 2 * inset, r.height() - 2 * inset));
  ctx.setFillColor(Color::rgb255(200, 40, 40));
  ctx.fillRect(Rect(r.x() + r.width() * 0.32, r.y() + r.height() * 0.42, r.width() * 0.12,
                    r.height() * 0.28));
  ctx.setFillColor(kGold);
  ctx.fillRect(Rect(r.x() + r.width() * 0.54, r.y() + r.height() * 0.28, r.width() * 0.12,
                    r.height() * 0.42));
}

}  // namespace

void AccountImages() {
  // Left views of the login fields: a person and a padlock, grey on transparent.
  const Color grey = Color::rgb255(110, 118, 130);
  Make("left_account.png", Size(30, 30), [&](Context& ctx) {
    ctx.setFillColor(grey);
    ctx.fillEllipse(Rect(10, 5, 10, 10));
    ctx.beginPath();
    ctx.moveTo(6, 26);
    ctx.lineTo(8, 19);
    ctx.lineTo(22, 19);
    ctx.lineTo(24, 26);
    ctx.closePath();
    ctx.fillPath();
  });
  Make("left_password.png", Size(30, 30), [&](Context& ctx) {
    ctx.setStrokeColor(grey);
    ctx.setLineWidth(2.5);
    ctx.strokeEllipse(Rect(10, 5, 10, 14));
    ctx.setFillColor(grey);
    FillRounded(ctx, Rect(7, 13, 16, 13), 2, grey);
    ctx.setFillColor(Color::white());
    ctx.fillEllipse(Rect(13.5, 17, 3, 3));
  });
  // The phone check screen's own bar (it covers the navigation bar): the bars' blue.
  Make("bg_menubar_1.png", Size(320, 44), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 44), Color::rgb255(38, 66, 102),
                     Color::rgb255(18, 36, 62));
    ctx.setFillColor(Color::rgb255(70, 100, 140));
    ctx.fillRect(Rect(0, 0, 320, 1));
    ctx.setFillColor(Color::rgb255(8, 18, 32));
    ctx.fillRect(Rect(0, 43, 320, 1));
  });
  // The login form's logos.
  Make("login_logo.png", Size(200, 60), [&](Context& ctx) {
    Mark(ctx, Rect(0, 2, 56, 56));
    ctx.setFillColor(Color::white());
    gfx::Font font = gfx::Font::boldSystemFont(24);
    CentredText(ctx, "Verdan 证券", Rect(56, 0, 144, 60), font, Color::white());
  });
  Make("login_trade_logo.png", Size(120, 24), [&](Context& ctx) {
    FillRounded(ctx, Rect(0, 0, 120, 24), 12, Color::rgb255(40, 52, 72));
    CentredText(ctx, "行情 · 交易", Rect(0, 0, 120, 24), gfx::Font::systemFont(12), kGold);
  });
  // The delete button of a stored account's row.
  Make("trade_button_d.png", Size(45, 30), [&](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 45, 30), Color::rgb255(214, 64, 54), Color::rgb255(160, 30, 26));
    ctx.setStrokeColor(Color::rgb255(120, 20, 16));
    ctx.setLineWidth(1);
    ctx.strokeRect(Rect(0.5, 0.5, 44, 29));
  });
  // The action button of a transfer out.
  Make("trade_button_n_green.png", Size(45, 30), [&](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 45, 30), Color::rgb255(70, 170, 90), Color::rgb255(30, 120, 50));
    ctx.setStrokeColor(Color::rgb255(20, 90, 36));
    ctx.setLineWidth(1);
    ctx.strokeRect(Rect(0.5, 0.5, 44, 29));
  });
  // The refresh button of the navigation bar: a circular arrow.
  Make("右侧刷新Button.png", Size(30, 30), [&](Context& ctx) {
    ctx.setStrokeColor(Color::white());
    ctx.setLineWidth(2.5);
    ctx.beginPath();
    for (int i = 0; i <= 40; ++i) {
      const double a = M_PI * (0.25 + 1.5 * i / 40.0);
      const Point p(15 + 9 * std::cos(a), 15 + 9 * std::sin(a));
      if (i == 0)
        ctx.moveTo(p);
      else
        ctx.lineTo(p);
    }
    ctx.strokePath();
    ctx.setFillColor(Color::white());
    ctx.beginPath();
    ctx.moveTo(15 + 9 * std::cos(M_PI * 1.75) + 5, 15 + 9 * std::sin(M_PI * 1.75) - 1);
    ctx.lineTo(15 + 9 * std::cos(M_PI * 1.75) - 3, 15 + 9 * std::sin(M_PI * 1.75) - 5);
    ctx.lineTo(15 + 9 * std::cos(M_PI * 1.75) - 1, 15 + 9 * std::sin(M_PI * 1.75) + 5);
    ctx.closePath();
    ctx.fillPath();
  });
  // The splash screen.
  Make("splash.png", Size(320, 480), [&](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 480), Color::rgb255(30, 44, 70), kNight);
    Mark(ctx, Rect(110, 150, 100, 100));
    CentredText(ctx, "Verdan 证券", Rect(0, 270, 320, 40), gfx::Font::boldSystemFont(26),
                Color::white());
    CentredText(ctx, "沪深港实时行情", Rect(0, 310, 320, 24), gfx::Font::systemFont(14),
                Color::rgb255(170, 180, 200));
  });
}

}  // namespace imagegen
