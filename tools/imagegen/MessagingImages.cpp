// The images of the messaging screens: the message rows' background and read marks, the
// contact row's buttons, the message centre's tool-view buttons, the adviser list's ground and
// rows.
#include <cmath>

#include "tools/imagegen/ImageGen.h"

namespace imagegen {

namespace {

// An envelope outline in `r`: closed, or open with its flap up.
void Envelope(Context& ctx, const Rect& r, const Color& color, bool open) {
  ctx.setStrokeColor(color);
  ctx.setLineWidth(1.5);
  ctx.setLineJoin(gfx::LineJoin::Round);
  const double top = open ? r.y() + r.height() * 0.35 : r.y();
  ctx.beginPath();
  ctx.addRect(Rect(r.x(), top, r.width(), r.y() + r.height() - top));
  ctx.strokePath();
  if (open) {
    ctx.strokePolyline({Point(r.x(), top), Point(r.x() + r.width() / 2, r.y()), Point(r.x() + r.width(), top)});
  }
  ctx.strokePolyline({Point(r.x(), top), Point(r.x() + r.width() / 2, top + (r.y() + r.height() - top) * 0.55),
                      Point(r.x() + r.width(), top)});
}

}  // namespace

void MessagingImages() {
  Make("BGA.png", Size(320, 55), [](Context& ctx) {
    // A light paper row with a hairline at its foot.
    VerticalGradient(ctx, Rect(0, 0, 320, 55), Color::rgb255(250, 248, 242),
                     Color::rgb255(236, 231, 220));
    ctx.setFillColor(Color::rgb255(205, 196, 180));
    ctx.fillRect(Rect(0, 54, 320, 1));
  });
  Make("iphoneicon_mailopen.png", Size(20, 20), [](Context& ctx) {
    Envelope(ctx, Rect(2, 3, 16, 14), Color::rgb255(130, 130, 130), true);
  });
  Make("iphoneicon_unreadmail.png", Size(20, 20), [](Context& ctx) {
    FillRounded(ctx, Rect(2, 5, 16, 12), 1.5, Color::rgb255(214, 92, 38));
    Envelope(ctx, Rect(2, 5, 16, 12), Color::white(), false);
    ctx.setFillColor(Color::rgb255(220, 30, 30));
    ctx.beginPath();
    ctx.addEllipse(Rect(13, 1, 6, 6));
    ctx.fillPath();
  });
  Make("iphoneicon_sent.png", Size(20, 20), [](Context& ctx) {
    // A paper plane.
    ctx.setFillColor(Color::rgb255(60, 130, 190));
    ctx.beginPath();
    ctx.moveTo(2, 10);
    ctx.lineTo(18, 3);
    ctx.lineTo(13, 17);
    ctx.lineTo(10, 12);
    ctx.closePath();
    ctx.fillPath();
  });
  Make("iphoneicon_tel.png", Size(30, 30), [](Context& ctx) {
    // A handset.
    ctx.setStrokeColor(Color::rgb255(90, 190, 110));
    ctx.setLineWidth(5);
    ctx.setLineCap(gfx::LineCap::Round);
    ctx.beginPath();
    ctx.arc(15, 15, 9, M_PI * 0.75, M_PI * 1.75, false);
    ctx.strokePath();
  });
  Make("iphoneicon_newmail.png", Size(30, 30), [](Context& ctx) {
    Envelope(ctx, Rect(4, 8, 22, 15), Color::rgb255(220, 220, 220), false);
  });
  Make("iphoneicon_newcontact.png", Size(30, 30), [](Context& ctx) {
    // A head and shoulders with a plus.
    ctx.setFillColor(Color::rgb255(220, 220, 220));
    ctx.beginPath();
    ctx.addEllipse(Rect(7, 4, 10, 10));
    ctx.fillPath();
    ctx.beginPath();
    ctx.addRoundedRect(Rect(3, 15, 18, 11), 5);
    ctx.fillPath();
    ctx.setFillColor(Color::rgb255(90, 190, 110));
    ctx.fillRect(Rect(22, 11, 2, 10));
    ctx.fillRect(Rect(18, 15, 10, 2));
  });
  Make("姓名BG.png", Size(140, 20), [](Context& ctx) {
    // A receiver token: a soft grey pill.
    FillRounded(ctx, Rect(0.5, 0.5, 139, 19), 9.5, Color::rgb255(214, 220, 230));
    VerticalGradient(ctx, Rect(4, 1, 132, 8), Color(1, 1, 1, 0.5), Color(1, 1, 1, 0.1));
  });
  Make("bg_btn.png", Size(60, 30), [](Context& ctx) {
    FillRounded(ctx, Rect(0.5, 0.5, 59, 29), 5, Color::rgb255(164, 110, 56));
    VerticalGradient(ctx, Rect(3, 2, 54, 12), Color(1, 1, 1, 0.35), Color(1, 1, 1, 0.05));
  });
  Make("bg_btn_highlight.png", Size(60, 30), [](Context& ctx) {
    FillRounded(ctx, Rect(0.5, 0.5, 59, 29), 5, Color::rgb255(120, 74, 34));
  });
  Make("bg(经济人列表栏）.png", Size(320, 43), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 43), Color::rgb255(252, 250, 245),
                     Color::rgb255(238, 233, 222));
    ctx.setFillColor(Color::rgb255(210, 200, 184));
    ctx.fillRect(Rect(0, 42, 320, 1));
  });
  Make("bg(经济人列表栏选中）.png", Size(320, 43), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 43), Color::rgb255(250, 226, 186),
                     Color::rgb255(236, 200, 140));
    ctx.setFillColor(Color::rgb255(200, 160, 100));
    ctx.fillRect(Rect(0, 42, 320, 1));
  });
  Make("bg（经济人）.png", Size(320, 367), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 367), Color::rgb255(246, 242, 232),
                     Color::rgb255(226, 218, 202));
  });
}

}  // namespace imagegen
