// The images of the messaging screens: the message rows' background and read marks, the
// contact row's buttons, the message centre's tool-view buttons, the adviser list's ground and
// rows, the reply bar's buttons and the conversation's bubbles.
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
  Make("选择联系人MENU.png", Size(40, 30), [](Context& ctx) {
    // The reply bar's buttons: a dark rounded key with a faint top light.
    FillRounded(ctx, Rect(0.5, 0.5, 39, 29), 5, Color::rgb255(58, 62, 70));
    VerticalGradient(ctx, Rect(3, 2, 34, 12), Color(1, 1, 1, 0.22), Color(1, 1, 1, 0.04));
  });
  // Chat bubbles, 290 wide: the upper part (caps 50 and 30) carries the pointer beside its top,
  // the 13-point bottom strip (cap 50) closes the rounded foot. The upper part is filled to its
  // last row: an empty row there shows as a line where the two parts meet.
  auto bubbleTop = [](bool sent, Color fill, Color edge) {
    return [sent, fill, edge](Context& ctx) {
      const double body0 = sent ? 1 : 9;
      const double body1 = sent ? 281 : 289;
      ctx.setFillColor(fill);
      ctx.setStrokeColor(edge);
      ctx.setLineWidth(1);
      ctx.beginPath();
      ctx.moveTo(body0 + 9, 1);
      ctx.lineTo(body1 - 9, 1);
      ctx.arc(body1 - 9, 10, 9, -M_PI / 2, 0, true);
      if (sent) {
        ctx.lineTo(body1, 12);
        ctx.lineTo(289, 17);
        ctx.lineTo(body1, 22);
      }
      ctx.lineTo(body1, 41);
      ctx.lineTo(body0, 41);
      if (!sent) {
        ctx.lineTo(body0, 22);
        ctx.lineTo(1, 17);
        ctx.lineTo(body0, 12);
      }
      ctx.lineTo(body0, 10);
      ctx.arc(body0 + 9, 10, 9, M_PI, M_PI * 1.5, true);
      ctx.closePath();
      ctx.fillPath();
      ctx.strokePolyline({Point(body0, 41), Point(body0, sent ? 10 : 22)});
      ctx.strokePolyline({Point(body1, 41), Point(body1, sent ? 22 : 10)});
      ctx.beginPath();
      ctx.moveTo(body0 + 9, 1);
      ctx.lineTo(body1 - 9, 1);
      ctx.strokePath();
      VerticalGradient(ctx, Rect(body0 + 4, 3, body1 - body0 - 8, 10), Color(1, 1, 1, 0.35), Color(1, 1, 1, 0));
    };
  };
  auto bubbleBottom = [](bool sent, Color fill, Color edge) {
    return [sent, fill, edge](Context& ctx) {
      const double body0 = sent ? 1 : 9;
      const double body1 = sent ? 281 : 289;
      ctx.setFillColor(fill);
      ctx.beginPath();
      ctx.moveTo(body0, 0);
      ctx.lineTo(body1, 0);
      ctx.lineTo(body1, 3);
      ctx.arc(body1 - 9, 3, 9, 0, M_PI / 2, true);
      ctx.lineTo(body0 + 9, 12);
      ctx.arc(body0 + 9, 3, 9, M_PI / 2, M_PI, true);
      ctx.closePath();
      ctx.fillPath();
      ctx.setStrokeColor(edge);
      ctx.setLineWidth(1);
      ctx.beginPath();
      ctx.moveTo(body0, 0);
      ctx.lineTo(body0, 3);
      ctx.arc(body0 + 9, 3, 9, M_PI, M_PI / 2, false);
      ctx.lineTo(body1 - 9, 12);
      ctx.arc(body1 - 9, 3, 9, M_PI / 2, 0, false);
      ctx.lineTo(body1, 0);
      ctx.strokePath();
    };
  };
  const Color blue = Color::rgb255(196, 222, 248), blueEdge = Color::rgb255(110, 150, 200);
  const Color yellow = Color::rgb255(252, 236, 160), yellowEdge = Color::rgb255(200, 170, 80);
  Make("BLUETOP.png", Size(290, 41), bubbleTop(false, blue, blueEdge));
  Make("BLUEBOTTOM.png", Size(290, 13), bubbleBottom(false, blue, blueEdge));
  Make("YELLOWTOP.png", Size(290, 41), bubbleTop(true, yellow, yellowEdge));
  Make("YELLOWBOTTOM.png", Size(290, 13), bubbleBottom(true, yellow, yellowEdge));
  Make("bg（经济人）.png", Size(320, 367), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 367), Color::rgb255(246, 242, 232),
                     Color::rgb255(226, 218, 202));
  });
}

}  // namespace imagegen
