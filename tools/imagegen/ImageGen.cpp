// Draws the bundle images the shell names: tab icons (white shapes whose alpha the tab strip
// uses as a mask), function icons, bar backgrounds, price arrows, small marks and the list
// widgets' arrows, highlight, change marks and add/remove buttons.
// Usage: verdan-imagegen <output folder>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/Paths.h"
#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Text.h"
#include "tools/imagegen/ImageGen.h"

namespace imagegen {

namespace {
std::string g_folder;
int g_failures = 0;
}  // namespace

void Make(const std::string& name, Size size, const std::function<void(Context&)>& draw) {
  gfx::ImageContext image(size);
  if (!image.isValid()) {
    std::fprintf(stderr, "cannot draw %s\n", name.c_str());
    ++g_failures;
    return;
  }
  draw(image.context());
  if (!image.image().writePng(g_folder + "/" + name)) {
    std::fprintf(stderr, "cannot write %s\n", name.c_str());
    ++g_failures;
  }
}

void FillRounded(Context& ctx, const Rect& r, double radius, const Color& color) {
  ctx.setFillColor(color);
  ctx.beginPath();
  ctx.addRoundedRect(r, radius);
  ctx.fillPath();
}

void VerticalGradient(Context& ctx, const Rect& r, const Color& top, const Color& bottom) {
  gfx::StateSaver saver(ctx);
  ctx.clipToRect(r);
  ctx.drawLinearGradient(gfx::Gradient::linear(top, bottom), Point(0, r.y()),
                         Point(0, r.y() + r.height()));
}

void CentredText(Context& ctx, const std::string& text, const Rect& r, const gfx::Font& font,
                 const Color& color) {
  gfx::TextStyle style(font, gfx::TextAlignment::Center, gfx::LineBreakMode::Clip);
  style.centerVertically = true;
  ctx.setFillColor(color);
  gfx::drawText(ctx, text, r, style);
}

}  // namespace imagegen

namespace {

using namespace imagegen;

// --- Tab icons: 30 x 30, white on transparent -----------------------------------------------

void TabIcons() {
  const Color white = Color::white();
  Make("tab_zixuan.png", Size(30, 30), [&](Context& ctx) {
    // A five-pointed star: the watch list.
    ctx.setFillColor(white);
    ctx.beginPath();
    for (int i = 0; i < 10; ++i) {
      const double radius = i % 2 == 0 ? 14 : 6;
      const double angle = -M_PI / 2 + i * M_PI / 5;
      const Point p(15 + radius * std::cos(angle), 16 + radius * std::sin(angle));
      if (i == 0) {
        ctx.moveTo(p);
      } else {
        ctx.lineTo(p);
      }
    }
    ctx.closePath();
    ctx.fillPath();
  });
  Make("tab_hangqing.png", Size(30, 30), [&](Context& ctx) {
    // Candles: the market lists.
    ctx.setFillColor(white);
    ctx.setStrokeColor(white);
    ctx.setLineWidth(1.5);
    const double bodies[][4] = {{3, 12, 6, 12}, {12, 6, 6, 14}, {21, 9, 6, 9}};
    const double wicks[][3] = {{6, 8, 28}, {15, 2, 24}, {24, 4, 22}};
    for (int i = 0; i < 3; ++i) {
      ctx.strokeLine(Point(wicks[i][0], wicks[i][1]), Point(wicks[i][0], wicks[i][2]));
      ctx.fillRect(Rect(bodies[i][0], bodies[i][1], bodies[i][2], bodies[i][3]));
    }
  });
  Make("tab_ganggu.png", Size(30, 30), [&](Context& ctx) {
    // A rising line over a base: the Hong Kong lists.
    ctx.setStrokeColor(white);
    ctx.setLineWidth(2.5);
    ctx.setLineJoin(gfx::LineJoin::Round);
    ctx.setLineCap(gfx::LineCap::Round);
    ctx.strokePolyline({Point(3, 22), Point(10, 14), Point(16, 18), Point(26, 6)});
    ctx.setLineWidth(2);
    ctx.strokeLine(Point(2, 27), Point(28, 27));
    CentredText(ctx, "港", Rect(16, 13, 14, 14), gfx::Font::boldSystemFont(10), white);
  });
  Make("tab_zixun.png", Size(30, 30), [&](Context& ctx) {
    // A page with lines: news.
    ctx.setStrokeColor(white);
    ctx.setLineWidth(2);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(5, 2, 20, 26), 3);
    ctx.strokePath();
    ctx.setLineWidth(1.5);
    for (int i = 0; i < 4; ++i) ctx.strokeLine(Point(9, 8 + i * 5.0), Point(21, 8 + i * 5.0));
  });
  Make("tab_fuwu.png", Size(30, 30), [&](Context& ctx) {
    // A speech bubble: messages from advisers.
    ctx.setFillColor(white);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(2, 3, 26, 18), 6);
    ctx.fillPath();
    ctx.beginPath();
    ctx.moveTo(8, 20);
    ctx.lineTo(7, 28);
    ctx.lineTo(15, 20);
    ctx.closePath();
    ctx.fillPath();
  });
  Make("tab_gengduo.png", Size(30, 30), [&](Context& ctx) {
    // Four tiles: more functions.
    for (int row = 0; row < 2; ++row) {
      for (int col = 0; col < 2; ++col) {
        FillRounded(ctx, Rect(3 + col * 13.0, 3 + row * 13.0, 11, 11), 2.5, white);
      }
    }
  });
}

// --- Function icons: 44 x 44 coloured tiles with a short caption ------------------------------

struct FunctionIcon {
  const char* name;
  const char* caption;
  uint32_t colour;
};

void FunctionIcons() {
  const FunctionIcon icons[] = {
      {"fn_hsag.png", "沪深", 0xD9363E},   {"fn_shag.png", "上证", 0xE8663D},
      {"fn_szag.png", "深证", 0xF0A12B},   {"fn_zxb.png", "中小", 0x3DA35D},
      {"fn_cyb.png", "创业", 0x2E9C9A},    {"fn_zs.png", "指数", 0x3E7BD6},
      {"fn_bk.png", "板块", 0x7357C9},     {"fn_hkzb.png", "港主", 0xC2407A},
      {"fn_hkcy.png", "港创", 0xA8477F},   {"fn_gq.png", "国企", 0xB5553A},
      {"fn_hc.png", "红筹", 0xCC3333},     {"fn_nyse.png", "纽交", 0x355C9E},
      {"fn_nasdaq.png", "纳指", 0x2F7EB5}, {"fn_gzqh.png", "期指", 0x8A6D2F},
      {"fn_shsp.png", "商品", 0x9C7A28},   {"fn_qqzs.png", "全球", 0x2B8C7E},
      {"fn_gjwh.png", "外汇", 0x4A8F3A},   {"fn_zlpm.png", "主力", 0xD0452F},
      {"fn_xx.png", "消息", 0x3C8DDE},     {"fn_yj.png", "预警", 0xE0812D},
      {"fn_xw.png", "新闻", 0x5B6BC7},     {"fn_zxsz.png", "订阅", 0x6C8A96},
      {"fn_zh.png", "账户", 0x4F9D69},     {"fn_xtsz.png", "设置", 0x6E7681},
      {"fn_jy.png", "交易", 0xC9A227},
  };
  for (const FunctionIcon& icon : icons) {
    Make(icon.name, Size(44, 44), [&](Context& ctx) {
      const Color base = Color::hex(icon.colour);
      FillRounded(ctx, Rect(1, 1, 42, 42), 9, base);
      {
        // A soft top light so the tiles do not look flat.
        gfx::StateSaver saver(ctx);
        ctx.beginPath();
        ctx.addRoundedRect(Rect(1, 1, 42, 42), 9);
        ctx.clip();
        VerticalGradient(ctx, Rect(1, 1, 42, 21), Color(1, 1, 1, 0.28), Color(1, 1, 1, 0.04));
      }
      CentredText(ctx, icon.caption, Rect(0, 0, 44, 44), gfx::Font::boldSystemFont(14),
                  Color::white());
    });
  }
  Make("empty_item.png", Size(44, 44), [](Context& ctx) {
    ctx.setStrokeColor(Color(1, 1, 1, 0.6));
    ctx.setLineWidth(2);
    ctx.setLineDash(0, {5, 4});
    ctx.beginPath();
    ctx.addRoundedRect(Rect(2, 2, 40, 40), 9);
    ctx.strokePath();
    ctx.setLineDash(0, {});
    ctx.strokeLine(Point(22, 14), Point(22, 30));
    ctx.strokeLine(Point(14, 22), Point(30, 22));
  });
  Make("icon_delete.png", Size(20, 20), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(214, 40, 40));
    ctx.fillEllipse(Rect(1, 1, 18, 18));
    ctx.setStrokeColor(Color::white());
    ctx.setLineWidth(2);
    ctx.setLineCap(gfx::LineCap::Round);
    ctx.strokeLine(Point(6.5, 6.5), Point(13.5, 13.5));
    ctx.strokeLine(Point(13.5, 6.5), Point(6.5, 13.5));
  });
}

// --- Bars and backgrounds ------------------------------------------------------------------------

void Bars() {
  Make("标题栏.png", Size(320, 32), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 32), Color::rgb255(52, 62, 74),
                     Color::rgb255(28, 34, 42));
    ctx.setFillColor(Color::rgb255(86, 98, 112));
    ctx.fillRect(Rect(0, 0, 320, 1));
    ctx.setFillColor(Color::rgb255(10, 12, 16));
    ctx.fillRect(Rect(0, 31, 320, 1));
  });
  Make("bg_bottom.png", Size(320, 49), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 49), Color::rgb255(44, 48, 56),
                     Color::rgb255(14, 16, 20));
    ctx.setFillColor(Color::rgb255(70, 76, 86));
    ctx.fillRect(Rect(0, 0, 320, 1));
  });
  Make("slide.png", Size(64, 47), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 64, 47), Color(1, 1, 1, 0.22), Color(1, 1, 1, 0.06));
  });
  Make("bg_navigationbar.png", Size(320, 44), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 44), Color::rgb255(38, 66, 102),
                     Color::rgb255(18, 36, 62));
    ctx.setFillColor(Color::rgb255(8, 18, 32));
    ctx.fillRect(Rect(0, 43, 320, 1));
  });
  Make("bg_title_iOS7.png", Size(320, 64), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 64), Color::rgb255(38, 66, 102),
                     Color::rgb255(18, 36, 62));
  });
  Make("bg_more.png", Size(320, 54), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 54), Color::rgb255(58, 64, 74),
                     Color::rgb255(22, 25, 30));
    ctx.setFillColor(Color::rgb255(96, 104, 116));
    ctx.fillRect(Rect(0, 0, 320, 1));
  });
  Make("insteading.png", Size(64, 52), [](Context& ctx) {
    FillRounded(ctx, Rect(2, 2, 60, 48), 8, Color::rgb255(56, 187, 255));
    ctx.setStrokeColor(Color::white());
    ctx.setLineWidth(2);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(3, 3, 58, 46), 7);
    ctx.strokePath();
  });
  Make("info-SlideDown.png", Size(333, 222), [](Context& ctx) {
    FillRounded(ctx, Rect(0, 0, 333, 222), 12, Color(0, 0, 0, 0.55));
    CentredText(ctx, "按住上方的功能图标", Rect(0, 40, 333, 30), gfx::Font::boldSystemFont(18),
                Color::white());
    CentredText(ctx, "拖到下方栏中即可替换", Rect(0, 72, 333, 30), gfx::Font::boldSystemFont(18),
                Color::white());
    ctx.setFillColor(Color::rgb255(56, 187, 255));
    ctx.fillRect(Rect(158, 120, 17, 50));
    ctx.beginPath();
    ctx.moveTo(136, 166);
    ctx.lineTo(197, 166);
    ctx.lineTo(166.5, 205);
    ctx.closePath();
    ctx.fillPath();
  });
}

// --- Marks
// ----------------------------------------------------------------------------------------

void Marks() {
  Make("red-up.png", Size(12, 12), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(230, 30, 40));
    ctx.beginPath();
    ctx.moveTo(6, 1);
    ctx.lineTo(11, 11);
    ctx.lineTo(1, 11);
    ctx.closePath();
    ctx.fillPath();
  });
  Make("green-down.png", Size(12, 12), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(40, 190, 70));
    ctx.beginPath();
    ctx.moveTo(1, 1);
    ctx.lineTo(11, 1);
    ctx.lineTo(6, 11);
    ctx.closePath();
    ctx.fillPath();
  });
  Make("stop.png", Size(12, 12), [](Context& ctx) {
    ctx.setFillColor(Color::grey(0.85));
    ctx.fillRect(Rect(1, 5, 10, 2.5));
  });
  const auto box = [](Context& ctx) {
    ctx.setFillColor(Color::white());
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0.5, 0.5, 16, 16), 3);
    ctx.fillPath();
    ctx.setStrokeColor(Color::grey(0.55));
    ctx.setLineWidth(1);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0.5, 0.5, 16, 16), 3);
    ctx.strokePath();
  };
  Make("guide_gou_normal.png", Size(17, 17), box);
  Make("guide_gou_sel.png", Size(17, 17), [&](Context& ctx) {
    box(ctx);
    ctx.setStrokeColor(Color::rgb255(0, 128, 255));
    ctx.setLineWidth(2.2);
    ctx.setLineCap(gfx::LineCap::Round);
    ctx.setLineJoin(gfx::LineJoin::Round);
    ctx.strokePolyline({Point(4, 8.5), Point(7.5, 12), Point(13.5, 4.5)});
  });
}

// --- Quote list rows and column titles
// ------------------------------------------------------------

void ListMarks() {
  Make("list_background.png", Size(320, 43), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 43), Color::rgb255(22, 28, 36),
                     Color::rgb255(14, 18, 24));
    ctx.setFillColor(Color::rgb255(44, 52, 62));
    ctx.fillRect(Rect(0, 42, 320, 1));
  });
  const auto sign = [](bool plus) {
    return [plus](Context& ctx) {
      ctx.setStrokeColor(Color::rgb255(56, 187, 255));
      ctx.setLineWidth(1.5);
      ctx.strokeLine(Point(1.5, 21), Point(8.5, 21));
      if (plus) ctx.strokeLine(Point(5, 17.5), Point(5, 24.5));
    };
  };
  Make("+.png", Size(10, 42), sign(true));
  Make("-.png", Size(10, 42), sign(false));
  Make("img_radar.png", Size(12, 12), [](Context& ctx) {
    ctx.setStrokeColor(Color::rgb255(255, 196, 0));
    ctx.setLineWidth(1);
    ctx.strokeEllipse(Rect(0.5, 0.5, 11, 11));
    ctx.strokeEllipse(Rect(3.5, 3.5, 5, 5));
    ctx.setFillColor(Color::rgb255(255, 196, 0));
    ctx.beginPath();
    ctx.moveTo(6, 6);
    ctx.lineTo(6, 0.5);
    ctx.arc(6, 6, 5.5, -M_PI / 2, 0, false);
    ctx.closePath();
    ctx.fillPath();
  });
  const auto arrow = [](bool up) {
    return [up](Context& ctx) {
      ctx.setFillColor(Color::rgb255(255, 196, 0));
      ctx.beginPath();
      if (up) {
        ctx.moveTo(6.5, 3);
        ctx.lineTo(12, 11);
        ctx.lineTo(1, 11);
      } else {
        ctx.moveTo(1, 7);
        ctx.lineTo(12, 7);
        ctx.lineTo(6.5, 15);
      }
      ctx.closePath();
      ctx.fillPath();
    };
  };
  Make("xiashang.png", Size(13, 18), arrow(true));
  Make("xiajiang.png", Size(13, 18), arrow(false));
}

// --- Split table view, refresh strips, column titles and change boxes
// ---------------------------------------------

void Triangle(Context& ctx, Point a, Point b, Point c, const Color& color) {
  ctx.setFillColor(color);
  ctx.beginPath();
  ctx.moveTo(a);
  ctx.lineTo(b);
  ctx.lineTo(c);
  ctx.closePath();
  ctx.fillPath();
}

void ListWidgets() {
  // The refresh strip's arrow points up; the strips turn it as they need.
  Make("whiteArrow.png", Size(30, 52), [](Context& ctx) {
    ctx.setFillColor(Color::white());
    ctx.fillRect(Rect(12, 16, 6, 34));
    Triangle(ctx, Point(15, 2), Point(27, 18), Point(3, 18), Color::white());
  });
  const auto chevron = [](bool left) {
    return [left](Context& ctx) {
      ctx.setStrokeColor(Color::grey(1, 0.9));
      ctx.setLineWidth(3);
      ctx.setLineCap(gfx::LineCap::Round);
      ctx.setLineJoin(gfx::LineJoin::Round);
      if (left)
        ctx.strokePolyline({Point(12, 4), Point(5, 12), Point(12, 20)});
      else
        ctx.strokePolyline({Point(4, 4), Point(11, 12), Point(4, 20)});
    };
  };
  Make("arrow_left.png", Size(16, 24), chevron(true));
  Make("arrow_right.png", Size(16, 24), chevron(false));
  Make("menubar_sel.png", Size(80, 25), [](Context& ctx) {
    gfx::StateSaver saver(ctx);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0, 0, 80, 25), 8);
    ctx.clip();
    VerticalGradient(ctx, Rect(0, 0, 80, 25), Color::rgb255(70, 110, 150),
                     Color::rgb255(30, 55, 85));
  });
  const auto up = [](Context& ctx) {
    Triangle(ctx, Point(6, 1), Point(11, 11), Point(1, 11), Color::rgb255(230, 30, 40));
  };
  const auto down = [](Context& ctx) {
    Triangle(ctx, Point(1, 1), Point(11, 1), Point(6, 11), Color::rgb255(40, 190, 70));
  };
  const auto level = [](Context& ctx) {
    ctx.setFillColor(Color::grey(0.85));
    ctx.fillRect(Rect(1, 3, 10, 2));
    ctx.fillRect(Rect(1, 7, 10, 2));
  };
  Make("redUp.png", Size(12, 12), up);
  Make("greenDown.png", Size(12, 12), down);
  Make("equal.png", Size(12, 12), level);
  Make("red_up.png", Size(12, 12), up);
  Make("green_down.png", Size(12, 12), down);
  Make("equal_icon.png", Size(12, 12), level);
  const auto roundButton = [](bool add, bool pressed) {
    return [add, pressed](Context& ctx) {
      const Color ring = add ? Color::rgb255(56, 187, 255) : Color::rgb255(230, 60, 60);
      ctx.setFillColor(pressed ? ring.withAlpha(0.45) : Color::grey(0, 0.35));
      ctx.fillEllipse(Rect(1, 1, 28, 28));
      ctx.setStrokeColor(ring);
      ctx.setLineWidth(2);
      ctx.strokeEllipse(Rect(2, 2, 26, 26));
      ctx.setLineWidth(3);
      ctx.strokeLine(Point(8, 15), Point(22, 15));
      if (add) ctx.strokeLine(Point(15, 8), Point(15, 22));
    };
  };
  Make("btn_add.png", Size(30, 30), roundButton(true, false));
  Make("btn_add_h.png", Size(30, 30), roundButton(true, true));
  Make("btn_del.png", Size(30, 30), roundButton(false, false));
  Make("btn_del_h.png", Size(30, 30), roundButton(false, true));
}

// --- Bars, boxes and base screens of the kit ------------------------------------------------

void KitBarsAndBoxes() {
  // The menu and group bars' background strip.
  Make("bg_titleview.png", Size(320, 40), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 40), Color::rgb255(48, 54, 64),
                     Color::rgb255(20, 23, 28));
    ctx.setFillColor(Color::rgb255(80, 88, 100));
    ctx.fillRect(Rect(0, 0, 320, 1));
  });
  // Page indicators: small triangles pointing out of the bar.
  const auto pointer = [](bool left, const Color& color) {
    return [left, color](Context& ctx) {
      if (left)
        Triangle(ctx, Point(1, 5), Point(9, 1), Point(9, 9), color);
      else
        Triangle(ctx, Point(9, 5), Point(1, 1), Point(1, 9), color);
    };
  };
  Make("page_can_up.png", Size(10, 10), pointer(true, Color::grey(0.9)));
  Make("page_can_down.png", Size(10, 10), pointer(false, Color::grey(0.9)));
  Make("page_can_up_firstlevel.png", Size(10, 10), pointer(true, Color::rgb255(56, 187, 255)));
  Make("page_can_down_firstlevel.png", Size(10, 10), pointer(false, Color::rgb255(56, 187, 255)));
  // Menu buttons, stretched sideways with a 10-point cap.
  const auto menuButton = [](const Color& top, const Color& bottom, const Color& edge) {
    return [top, bottom, edge](Context& ctx) {
      gfx::StateSaver saver(ctx);
      ctx.beginPath();
      ctx.addRoundedRect(Rect(0.5, 0.5, 29, 31), 5);
      ctx.clip();
      VerticalGradient(ctx, Rect(0, 0, 30, 32), top, bottom);
      ctx.setStrokeColor(edge);
      ctx.setLineWidth(1);
      ctx.beginPath();
      ctx.addRoundedRect(Rect(0.5, 0.5, 29, 31), 5);
      ctx.strokePath();
    };
  };
  Make("menubtn_normal.png", Size(30, 32),
       menuButton(Color::rgb255(70, 78, 90), Color::rgb255(36, 40, 48), Color::rgb255(20, 22, 26)));
  Make("menubtn_disabled.png", Size(30, 32),
       menuButton(Color::rgb255(250, 250, 250), Color::rgb255(200, 204, 210),
                  Color::rgb255(120, 124, 130)));
  Make("menubtn_normal_firstlevel.png", Size(30, 32),
       menuButton(Color::rgb255(40, 46, 56), Color::rgb255(24, 28, 34), Color::rgb255(24, 28, 34)));
  Make("menubtn_disabled_firstlevel.png", Size(30, 32), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 30, 32), Color::rgb255(30, 36, 46), Color::rgb255(18, 22, 28));
    ctx.setFillColor(Color::rgb255(56, 187, 255));
    ctx.fillRect(Rect(0, 29, 30, 3));
  });
  Make("groupbutton_sel.png", Size(50, 30), [](Context& ctx) {
    FillRounded(ctx, Rect(1, 1, 48, 28), 6, Color::rgb255(30, 60, 96));
    ctx.setStrokeColor(Color::rgb255(90, 130, 180));
    ctx.setLineWidth(1);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(1.5, 1.5, 47, 27), 6);
    ctx.strokePath();
  });
  Make("btn_disabled.png", Size(30, 26), [](Context& ctx) {
    gfx::StateSaver saver(ctx);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0, 0, 30, 26), 6);
    ctx.clip();
    VerticalGradient(ctx, Rect(0, 0, 30, 26), Color::rgb255(255, 236, 150),
                     Color::rgb255(230, 190, 60));
  });
  // The waiting box: a dark translucent rounded panel, stretched to the box.
  Make("bg.png", Size(140, 65), [](Context& ctx) {
    FillRounded(ctx, Rect(0, 0, 140, 65), 10, Color(0, 0, 0, 0.72));
    ctx.setStrokeColor(Color(1, 1, 1, 0.25));
    ctx.setLineWidth(1);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0.5, 0.5, 139, 64), 10);
    ctx.strokePath();
  });
  Make("trade_list_item_bg.png", Size(320, 40), [](Context& ctx) {
    ctx.setFillColor(Color::white());
    ctx.fillRect(Rect(0, 0, 320, 40));
    ctx.setFillColor(Color::rgb255(220, 220, 220));
    ctx.fillRect(Rect(0, 39, 320, 1));
  });
  Make("systemBarButton.png", Size(47, 32), [](Context& ctx) {
    FillRounded(ctx, Rect(1, 1, 45, 30), 5, Color::rgb255(28, 52, 84));
    ctx.setStrokeColor(Color::rgb255(90, 120, 160));
    ctx.setLineWidth(1);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(1.5, 1.5, 44, 29), 5);
    ctx.strokePath();
  });
}

// --- Input widgets: the search rows' arrow, the message box's background and the picker
// panel's background ---------------------------------------------------------------------------

void InputWidgets() {
  Make("arrow.png", Size(10, 15), [](Context& ctx) {
    ctx.setStrokeColor(Color::grey(0.75));
    ctx.setLineWidth(2);
    ctx.setLineCap(gfx::LineCap::Round);
    ctx.setLineJoin(gfx::LineJoin::Round);
    ctx.strokePolyline({Point(2, 2), Point(8, 7.5), Point(2, 13)});
  });
  Make("bg_set.png", Size(320, 260), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 260), Color::rgb255(60, 66, 78),
                     Color::rgb255(24, 28, 36));
  });
}

// --- Stock search: the rows' add and remove marks and the field's magnifier ----------------

void SearchImages() {
  const auto mark = [](bool add) {
    return [add](Context& ctx) {
      const Color ring = add ? Color::rgb255(56, 187, 255) : Color::rgb255(230, 60, 60);
      ctx.setStrokeColor(ring);
      ctx.setLineWidth(2);
      ctx.strokeEllipse(Rect(2, 2, 22, 21));
      ctx.setLineWidth(3);
      ctx.strokeLine(Point(7, 12.5), Point(19, 12.5));
      if (add) ctx.strokeLine(Point(13, 6.5), Point(13, 18.5));
    };
  };
  Make("zxg_jiahao.png", Size(26, 25), mark(true));
  Make("zxg_jianhao.png", Size(26, 25), mark(false));
  Make("search.png", Size(20, 20), [](Context& ctx) {
    ctx.setStrokeColor(Color::grey(0.45));
    ctx.setLineWidth(2);
    ctx.strokeEllipse(Rect(3, 3, 10, 10));
    ctx.setLineCap(gfx::LineCap::Round);
    ctx.strokeLine(Point(12, 12), Point(17, 17));
  });
}

// --- Screens: the ticker's strip and the mini trend panel's edge --------------------------------

void ScreenImages() {
  Make("bg_marquee.png", Size(320, 28), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 320, 28), Color::rgb255(34, 48, 64),
                     Color::rgb255(14, 20, 28));
    ctx.setFillColor(Color::rgb255(60, 76, 96));
    ctx.fillRect(Rect(0, 0, 320, 1));
  });
  // The board strip's button to the board's own detail: a small chart in a rounded key.
  const auto boardButton = [](bool pressed) {
    return [pressed](Context& ctx) {
      FillRounded(ctx, Rect(1, 1, 38, 38), 7,
                  pressed ? Color::rgb255(30, 70, 110) : Color::rgb255(28, 40, 56));
      ctx.setStrokeColor(Color::rgb255(56, 187, 255));
      ctx.setLineWidth(1);
      ctx.addRoundedRect(Rect(1.5, 1.5, 37, 37), 7);
      ctx.strokePath();
      ctx.setLineWidth(2);
      ctx.strokePolyline({Point(9, 27), Point(16, 19), Point(22, 23), Point(31, 12)});
      ctx.setStrokeColor(Color::grey(0.6));
      ctx.setLineWidth(1);
      ctx.strokeLine(Point(8, 31.5), Point(32, 31.5));
    };
  };
  Make("board_btn.png", Size(40, 40), boardButton(false));
  Make("board_btn_h.png", Size(40, 40), boardButton(true));
  // A blue bar down the left edge, stretched to the panel's height.
  Make("blueline.png", Size(10, 40), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(56, 140, 220));
    ctx.fillRect(Rect(2, 0, 3, 40));
  });
}

// --- Tick table extend button and order-book level numbers
// ---------------------------------------------

void TickTableImages() {
  // 120 x 20 under the tick table: a dark strip with a chevron pointing the way it will move.
  const auto strip = [](bool down) {
    return [down](Context& ctx) {
      VerticalGradient(ctx, Rect(0, 0, 120, 20), Color::rgb255(40, 52, 64),
                       Color::rgb255(12, 16, 20));
      ctx.setStrokeColor(Color::rgb255(0, 255, 255));
      ctx.setLineWidth(2);
      ctx.beginPath();
      if (down) {
        ctx.moveTo(53, 7);
        ctx.lineTo(60, 13);
        ctx.lineTo(67, 7);
      } else {
        ctx.moveTo(53, 13);
        ctx.lineTo(60, 7);
        ctx.lineTo(67, 13);
      }
      ctx.strokePath();
    };
  };
  Make("downSpread.png", Size(120, 20), strip(true));
  Make("upPinch.png", Size(120, 20), strip(false));
  // 15 x 15 behind the level number in the middle of an order-book row.
  Make("cirle.png", Size(15, 15), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(28, 63, 89));
    ctx.fillEllipse(Rect(0.5, 0.5, 14, 14));
    ctx.setStrokeColor(Color::rgb255(56, 187, 255));
    ctx.setLineWidth(1);
    ctx.strokeEllipse(Rect(0.5, 0.5, 14, 14));
  });
}

// --- Charts: the cursor's time bubble (stretched to the text by its owner) -------------------

void ChartImages() {
  Make("timelabel.png", Size(60, 14), [](Context& ctx) {
    FillRounded(ctx, Rect(0, 0, 60, 14), 3, Color::rgb255(30, 60, 140, 0.9));
    ctx.setStrokeColor(Color::rgb255(120, 160, 230));
    ctx.setLineWidth(1);
    ctx.addRoundedRect(Rect(0.5, 0.5, 59, 13), 3);
    ctx.strokePath();
  });
}

// --- Detail pager title bar, rotation hint and watch-list cart -------------------------------

void DetailPagerImages() {
  // 32 x 32 watch-list buttons: a plus to add, a minus to remove.
  const auto sign = [](bool plus) {
    return [plus](Context& ctx) {
      FillRounded(ctx, Rect(1, 1, 30, 30), 5, Color::rgb255(24, 40, 60));
      ctx.setStrokeColor(Color::rgb255(120, 150, 180));
      ctx.setLineWidth(1);
      ctx.beginPath();
      ctx.addRoundedRect(Rect(1.5, 1.5, 29, 29), 5);
      ctx.strokePath();
      ctx.setFillColor(plus ? Color::rgb255(255, 210, 60) : Color::rgb255(230, 80, 70));
      ctx.fillRect(Rect(8, 14.5, 16, 3));
      if (plus) ctx.fillRect(Rect(14.5, 8, 3, 16));
    };
  };
  Make("systemBarAdd.png", Size(32, 32), sign(true));
  Make("systemBarDelete.png", Size(32, 32), sign(false));
  // 20 x 22 previous / next arrows (the buttons inset them 7 and 5 points).
  const auto arrow = [](bool right) {
    return [right](Context& ctx) {
      ctx.setFillColor(Color::white());
      ctx.beginPath();
      if (right) {
        ctx.moveTo(5, 2);
        ctx.lineTo(17, 11);
        ctx.lineTo(5, 20);
      } else {
        ctx.moveTo(15, 2);
        ctx.lineTo(3, 11);
        ctx.lineTo(15, 20);
      }
      ctx.closePath();
      ctx.fillPath();
    };
  };
  Make("arrow_up_left.png", Size(20, 22), arrow(false));
  Make("arrow_up_right.png", Size(20, 22), arrow(true));
  // 200 x 130 hint on the chart pages: turn the phone for the landscape chart.
  Make("orientalflag.png", Size(200, 130), [](Context& ctx) {
    FillRounded(ctx, Rect(0, 0, 200, 130), 12, Color::grey(0, 0.7));
    ctx.setStrokeColor(Color::white());
    ctx.setLineWidth(3);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(30, 30, 36, 60), 5);
    ctx.strokePath();
    ctx.beginPath();
    ctx.addRoundedRect(Rect(110, 42, 60, 36), 5);
    ctx.strokePath();
    ctx.beginPath();
    ctx.moveTo(76, 60);
    ctx.lineTo(100, 60);
    ctx.strokePath();
    ctx.setFillColor(Color::white());
    ctx.beginPath();
    ctx.moveTo(100, 53);
    ctx.lineTo(108, 60);
    ctx.lineTo(100, 67);
    ctx.closePath();
    ctx.fillPath();
    CentredText(ctx, "横屏查看", Rect(0, 98, 200, 24), gfx::Font::boldSystemFont(15),
                Color::white());
  });
  // 56 x 56 cart of the add-to-watch-list animation (drawn from 24 up to 56 points).
  Make("shopping_cart.png", Size(56, 56), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(255, 170, 40));
    ctx.beginPath();
    ctx.moveTo(6, 10);
    ctx.lineTo(14, 10);
    ctx.lineTo(20, 36);
    ctx.lineTo(46, 36);
    ctx.lineTo(51, 16);
    ctx.lineTo(16, 16);
    ctx.lineTo(15, 12);
    ctx.closePath();
    ctx.fillPath();
    ctx.fillEllipse(Rect(18, 40, 8, 8));
    ctx.fillEllipse(Rect(40, 40, 8, 8));
  });
}

// --- Inside/outside volume bar: the 9 x 20 pointer at the split ------------------------------

void InOutPointerImage() {
  // Two small triangles pointing at the bar from above and below, joined by a thin line.
  Make("tx.png", Size(9, 20), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(255, 230, 120));
    ctx.fillRect(Rect(4, 4, 1, 12));
    Triangle(ctx, Point(0, 0), Point(9, 0), Point(4.5, 5), Color::rgb255(255, 230, 120));
    Triangle(ctx, Point(0, 20), Point(9, 20), Point(4.5, 15), Color::rgb255(255, 230, 120));
  });
}

// --- Landscape indicator bar: the highlight behind the selected indicator's (black) title ---

void IndicatorBarImages() {
  Make("kline_menubar_sel.png", Size(60, 24), [](Context& ctx) {
    gfx::StateSaver saver(ctx);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0, 0, 60, 24), 8);
    ctx.clip();
    VerticalGradient(ctx, Rect(0, 0, 60, 24), Color::rgb255(250, 236, 170),
                     Color::rgb255(214, 180, 80));
  });
}

// --- Trend page: mini detail rows, their separator, round choice buttons and the zoom button -----

void TrendPageImages() {
  // Behind each mini detail row (stretched to the row): a faint sheen over the view's backdrop.
  Make("miniListCell_BG.png", Size(99, 26), [](Context& ctx) {
    VerticalGradient(ctx, Rect(0, 0, 99, 26), Color::grey(1, 0.07), Color::grey(1, 0));
  });
  // The line under a row that closes a group (stretched to the row's width).
  Make("separateline.png", Size(99, 1), [](Context& ctx) {
    ctx.setFillColor(Color::rgb255(70, 110, 140));
    ctx.fillRect(Rect(0, 0, 99, 1));
  });
  // 50 x 20 choice buttons: a light pill, and the chosen one as an outline.
  Make("Button_Round.png", Size(50, 20), [](Context& ctx) {
    gfx::StateSaver saver(ctx);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(0.5, 0.5, 49, 19), 9.5);
    ctx.clip();
    VerticalGradient(ctx, Rect(0, 0, 50, 20), Color::grey(0.97), Color::grey(0.72));
  });
  Make("Button_Round_Outline.png", Size(50, 20), [](Context& ctx) {
    FillRounded(ctx, Rect(0.5, 0.5, 49, 19), 9.5, Color::rgb255(255, 236, 200));
    ctx.setStrokeColor(Color::rgb255(255, 150, 30));
    ctx.setLineWidth(2);
    ctx.beginPath();
    ctx.addRoundedRect(Rect(1, 1, 48, 18), 9);
    ctx.strokePath();
  });
  // 30 x 30 zoom button: a double chevron the way the rows will slide.
  const auto zoom = [](bool right) {
    return [right](Context& ctx) {
      FillRounded(ctx, Rect(3, 3, 24, 24), 5, Color::rgb255(24, 40, 60, 0.9));
      ctx.setStrokeColor(Color::rgb255(0, 255, 255));
      ctx.setLineWidth(2);
      for (double x : {9.0, 15.0}) {
        ctx.beginPath();
        if (right) {
          ctx.moveTo(x, 9);
          ctx.lineTo(x + 6, 15);
          ctx.lineTo(x, 21);
        } else {
          ctx.moveTo(x + 6, 9);
          ctx.lineTo(x, 15);
          ctx.lineTo(x + 6, 21);
        }
        ctx.strokePath();
      }
    };
  };
  Make("zoom_left.png", Size(30, 30), zoom(false));
  Make("zoom_right.png", Size(30, 30), zoom(true));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  imagegen::g_folder = argv[1];
  if (!foundation::makeDirectories(imagegen::g_folder)) {
    std::fprintf(stderr, "cannot create %s\n", imagegen::g_folder.c_str());
    return 1;
  }
  TabIcons();
  FunctionIcons();
  Bars();
  Marks();
  ListMarks();
  ListWidgets();
  KitBarsAndBoxes();
  InputWidgets();
  SearchImages();
  ScreenImages();
  TickTableImages();
  ChartImages();
  DetailPagerImages();
  InOutPointerImage();
  IndicatorBarImages();
  TrendPageImages();
  imagegen::KLineImages();
  imagegen::AccountImages();
  imagegen::MessagingImages();
  imagegen::AlertImages();
  return imagegen::g_failures == 0 ? 0 : 1;
}
