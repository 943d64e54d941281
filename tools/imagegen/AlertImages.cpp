// The images of the alert screens.
#include "tools/imagegen/ImageGen.h"

namespace imagegen {

namespace {

// The radar list: the row separator and the file mark before each date.
void RadarImages() {
  Make("line.png", Size(320, 2), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(60, 60, 60));
    ctx.fillRect(Rect(0, 0, 320, 1));
    ctx.setFillColor(Color::rgb255(20, 20, 20));
    ctx.fillRect(Rect(0, 1, 320, 1));
  });
  Make("file.png", Size(10, 10), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(230, 140, 30));
    ctx.beginPath();
    ctx.moveTo(Point(1, 0));
    ctx.lineTo(Point(7, 0));
    ctx.lineTo(Point(9, 2));
    ctx.lineTo(Point(9, 10));
    ctx.lineTo(Point(1, 10));
    ctx.closePath();
    ctx.fillPath();
    ctx.setFillColor(Color::white());
    for (int y : {3, 5, 7}) ctx.fillRect(Rect(3, y, 4, 1));
  });
}

// The article pages' previous and next buttons: normal, highlighted and disabled.
void InfoImages() {
  struct Look {
    const char* suffix;
    Color top, bottom, mark;
  };
  const Look looks[] = {
      {"", Color::rgb255(80, 85, 95), Color::rgb255(35, 38, 45), Color::white()},
      {"_h", Color::rgb255(60, 110, 170), Color::rgb255(25, 55, 100), Color::white()},
      {"_dis", Color::rgb255(55, 55, 55), Color::rgb255(40, 40, 40), Color::grey(0.45)},
  };
  for (const Look& look : looks) {
    for (bool left : {true, false}) {
      const std::string name =
          std::string(left ? "btn2_left" : "btn2_right") + look.suffix + ".png";
      Make(name, Size(50, 30), [look, left](Context& ctx) {
        FillRounded(ctx, Rect(0, 0, 50, 30), 5, Color::grey(0.1));
        {
          gfx::StateSaver saver(ctx);
          ctx.beginPath();
          ctx.addRoundedRect(Rect(1, 1, 48, 28), 4);
          ctx.clip();
          VerticalGradient(ctx, Rect(1, 1, 48, 28), look.top, look.bottom);
        }
        ctx.setStrokeColor(look.mark);
        ctx.setLineWidth(3);
        ctx.setLineCap(gfx::LineCap::Round);
        ctx.setLineJoin(gfx::LineJoin::Round);
        if (left)
          ctx.strokePolyline({Point(29, 8), Point(21, 15), Point(29, 22)});
        else
          ctx.strokePolyline({Point(21, 8), Point(29, 15), Point(21, 22)});
      });
    }
  }
}

// The news title tab's selected (disabled-state) background.
void NewsImages() {
  Make("NewsTab.png", Size(80, 40), [](Context& ctx) {
    gfx::StateSaver saver(ctx);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0, 2, 80, 40), 6);
    ctx.clip();
    VerticalGradient(ctx, Rect(0, 2, 80, 38), Color::rgb255(200, 60, 50),
                     Color::rgb255(120, 20, 20));
  });
}

}  // namespace

void AlertImages() {
  RadarImages();
  InfoImages();
  NewsImages();
}

}  // namespace imagegen
