// The yardstick of the K-line frame benchmarks: a plain Cairo + Pango program that draws the very
// picture the chart draws (landscape with the volume pane, or the portrait page), written the
// straightforward way: each frame it finds the window's scale and averages, draws every candle
// and volume bar with its own calls, strokes each average line once, and lays every text out
// afresh. It reads only the chart's bars, window and layout constants. The benchmarks check that
// its pixels equal the chart's before they time anything.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/QuoteFormat.h"
#include "core/ValueMath.h"
#include "kline/KLineModuleView.h"

namespace plain {

inline void SetRgb(cairo_t* cr, double r, double g, double b, double a = 1) {
  cairo_set_source_rgba(cr, r, g, b, a);
}

// A layout set up as the charts' text drawing sets its own: no hinting, grey antialiasing,
// 72 dpi, unrounded glyph positions, the family at an absolute size.
inline PangoLayout* NewLayout(cairo_t* cr, const char* family, double size, bool bold) {
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoContext* pc = pango_layout_get_context(layout);
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
  pango_cairo_context_set_font_options(pc, o);
  cairo_font_options_destroy(o);
  pango_cairo_context_set_resolution(pc, 72.0);
  pango_context_set_round_glyph_positions(pc, FALSE);
  pango_layout_context_changed(layout);
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, family);
  pango_font_description_set_weight(d, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(d, PANGO_STYLE_NORMAL);
  pango_font_description_set_absolute_size(d, size * PANGO_SCALE);
  pango_layout_set_font_description(layout, d);
  pango_font_description_free(d);
  return layout;
}

// One line of text as the chart's text drawing places it: a layout of the box's width, aligned
// by hand, drawn from its first line's baseline.
inline void Text(cairo_t* cr, const std::string& text, double x, double y, double w, double h,
                 double align, const char* family, double size, bool bold) {
  PangoLayout* layout = NewLayout(cr, family, size, bold);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  pango_layout_set_width(layout, static_cast<int>(std::lround(w * PANGO_SCALE)));
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  (void)h;
  PangoLayoutIter* iter = pango_layout_get_iter(layout);
  PangoRectangle logical;
  pango_layout_iter_get_line_extents(iter, nullptr, &logical);
  const double baseline = pango_layout_iter_get_baseline(iter) / double(PANGO_SCALE);
  PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
  const double lx = (w - logical.width / double(PANGO_SCALE)) * align;
  cairo_move_to(cr, x + lx, y + baseline);
  pango_cairo_show_layout_line(cr, line);
  pango_layout_iter_free(iter);
  g_object_unref(layout);
  cairo_new_path(cr);
}

// The chart's picture, drawn from its bars and window with plain calls (a chart with bars and a
// window on them; nothing is drawn otherwise).
inline void KLineFrame(cairo_t* cr, const KLineModuleView& v) {
  const bool portrait = v.isPortrait();
  const std::vector<tagLocalKData>& bars = v.KDataArray;
  if (!v.IsDrawKLine || !v.chartScale().windowIn(static_cast<int>(bars.size()))) return;
  const int end = v.EndIndex, start = v.StartIndex;
  const float x0 = v.kStartXCoor, base = v.BaseYCoor, height = v.kViewHeight;
  const int kw = v.kWidth, space = v.kLineSpace, step = kw + space, w = kw < 1 ? 1 : kw;
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_FAST);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);

  // Frames and grid.
  const double g = height / 6.0, L = x0 - 1, R = x0 + v.kViewWidth, top = base - height;
  cairo_set_line_width(cr, 1);
  if (portrait) {
    SetRgb(cr, 1.0 / 3, 1.0 / 3, 1.0 / 3);
    cairo_rectangle(cr, L, top, R - L, height);
    cairo_rectangle(cr, L, v.BaseVolYCoor - v.vViewHeight, R - L, v.vViewHeight);
    cairo_stroke(cr);
    const double dash[2] = {3, 3};
    cairo_set_dash(cr, dash, 2, 0);
    for (int i = 1; i <= 5; ++i) {
      cairo_move_to(cr, L, base - i * g);
      cairo_line_to(cr, R, base - i * g);
    }
    cairo_move_to(cr, L, v.BaseVolYCoor - v.vViewHeight / 2);
    cairo_line_to(cr, R, v.BaseVolYCoor - v.vViewHeight / 2);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
  } else {
    SetRgb(cr, 15 / 255.0, 66 / 255.0, 94 / 255.0);
    cairo_move_to(cr, L, base);
    cairo_line_to(cr, L, top);
    cairo_line_to(cr, R, top);
    cairo_line_to(cr, R, base);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2);
    SetRgb(cr, 0.3, 0.3, 0.3);
    cairo_move_to(cr, L, base);
    cairo_line_to(cr, R, base);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1);
    SetRgb(cr, 15 / 255.0, 66 / 255.0, 94 / 255.0);
    const double pb = v.fIndexYScale + v.fIndexHeight;
    cairo_move_to(cr, L, v.fIndexYScale);
    cairo_line_to(cr, R, v.fIndexYScale);
    cairo_line_to(cr, R, pb);
    cairo_line_to(cr, L, pb);
    cairo_close_path(cr);
    cairo_stroke(cr);
    for (int i = 1; i <= 5; ++i) {
      cairo_move_to(cr, L, base - i * g);
      cairo_line_to(cr, R, base - i * g);
    }
    cairo_move_to(cr, L, v.fIndexYScale + v.fIndexHeight / 2);
    cairo_line_to(cr, R, v.fIndexYScale + v.fIndexHeight / 2);
    cairo_stroke(cr);
  }

  // The window's scale.
  float maxValue = 0, minValue = static_cast<float>(bars[start].low);
  double maxVolume = 0;
  for (int j = end; j <= start; ++j) {
    maxValue = std::max(maxValue, static_cast<float>(bars[j].high));
    minValue = std::min(minValue, static_cast<float>(bars[j].low));
    maxVolume = std::max(maxVolume, static_cast<double>(bars[j].volume));
  }
  const float scale = static_cast<float>(
      vmath::Ratio(height, static_cast<double>(maxValue) - static_cast<double>(minValue)));
  auto priceY = [&](double p) { return vmath::Finite(base - (p - minValue) * scale, base); };
  auto barX = [&](int k) -> double { return vmath::ClampToInt32(x0 + double(k) * step); };
  const double red[3] = {v.redColor[0], v.redColor[1], v.redColor[2]};
  const double green[3] = {v.greenColor[0], v.greenColor[1], v.greenColor[2]};

  // Flat bars take their colour from the close before and the bar drawn before.
  std::vector<char> isRed(bars.size());
  bool lastRed = true;
  for (int j = end; j <= start; ++j) {
    const tagLocalKData& b = bars[j];
    bool r = lastRed;
    if (b.open < b.close)
      r = true;
    else if (b.open > b.close)
      r = false;
    else if (j == 0 || b.close > bars[j - 1].close)
      r = true;
    else if (b.close < bars[j - 1].close)
      r = false;
    isRed[j] = lastRed = r;
  }

  // Candles: hollow red bodies and their wicks; filled green bodies, then their wicks.
  cairo_set_line_width(cr, 1);
  struct Wick {
    double x, yH, top, bottom, yL;
  };
  std::vector<Wick> greenWicks;
  for (int j = end; j <= start; ++j) {
    const tagLocalKData& b = bars[j];
    const double x = barX(j - end), yH = priceY(b.high), yL = priceY(b.low);
    double bodyTop = 0;
    int h = 1;
    if (b.open < b.close) {
      bodyTop = vmath::ClampToInt32(priceY(b.close) + 0.5);
      h = vmath::ClampToInt32(double(vmath::Diff(b.close, b.open)) * scale);
    } else if (b.open > b.close) {
      bodyTop = vmath::ClampToInt32(priceY(b.open));
      h = vmath::ClampToInt32(double(vmath::Diff(b.open, b.close)) * scale);
    } else {
      bodyTop = vmath::ClampToInt32(priceY(b.open));
    }
    if (h < 1) h = 1;
    const double wx = vmath::ClampToInt32(x + w / 2.0);
    if (isRed[j]) {
      SetRgb(cr, red[0], red[1], red[2]);
      cairo_rectangle(cr, x, bodyTop, w, h);
      cairo_move_to(cr, wx, yH);
      cairo_line_to(cr, wx, bodyTop);
      cairo_move_to(cr, wx, bodyTop + h);
      cairo_line_to(cr, wx, yL);
      cairo_stroke(cr);
    } else {
      SetRgb(cr, green[0], green[1], green[2]);
      cairo_rectangle(cr, x, bodyTop, w, h);
      cairo_fill(cr);
      greenWicks.push_back({wx, yH, bodyTop, bodyTop + h, yL});
    }
  }
  SetRgb(cr, green[0], green[1], green[2]);
  for (const Wick& k : greenWicks) {
    cairo_move_to(cr, k.x, k.yH);
    cairo_line_to(cr, k.x, k.top);
    cairo_move_to(cr, k.x, k.bottom);
    cairo_line_to(cr, k.x, k.yL);
  }
  cairo_stroke(cr);

  // Volume bars (the portrait page's volume area, or the landscape pane).
  auto volume = [&](double barBase, double paneHeight) {
    const double perPoint = vmath::Ratio(maxVolume, paneHeight);
    if (perPoint == 0) return;
    for (int j = end; j <= start; ++j) {
      const double h = vmath::ClampToInt32(vmath::Finite(double(bars[j].volume) / perPoint));
      cairo_rectangle(cr, barX(j - end), h >= 0 ? barBase - h : barBase, w, h >= 0 ? h : -h);
      if (isRed[j]) {
        SetRgb(cr, red[0], red[1], red[2]);
        cairo_stroke(cr);
      } else {
        SetRgb(cr, green[0], green[1], green[2]);
        cairo_fill(cr);
      }
    }
  };
  if (portrait) volume(vmath::ClampToInt32(v.BaseVolYCoor), v.vViewHeight);

  // The three averages of the closes, each one stroke.
  const int periods[3] = {5, 10, 20};
  const double colours[3][3] = {{238 / 255.0, 227 / 255.0, 217 / 255.0},
                                {245 / 255.0, 194 / 255.0, 18 / 255.0},
                                {0.46, 0.04, 0.57}};
  const int n = static_cast<int>(bars.size());
  const float areaTop = base - height;
  for (int p = 0; p < 3; ++p) {
    const int N = periods[p];
    if (n < N) continue;
    const int f = end >= N ? end : N - 1;
    if (start - f < 0) continue;
    auto ma = [&](int j) {
      int64_t sum = 0;
      for (int i = j - N + 1; i <= j; ++i) sum += bars[i].close;
      return vmath::Narrow32(sum / N);
    };
    SetRgb(cr, colours[p][0], colours[p][1], colours[p][2]);
    bool any = false;
    int32_t next = ma(f);
    for (int j = f; j < start; ++j) {
      const int32_t here = next;
      next = ma(j + 1);
      const double y1 = priceY(here), y2 = priceY(next);
      if (!(y1 >= areaTop && y1 <= base)) continue;
      const int k = j - end;
      cairo_move_to(cr, x0 + kw / 2 + double(k) * step, y1);
      if (!(y2 >= areaTop && y2 <= base)) continue;
      cairo_line_to(cr, x0 + kw / 2 + double(k + 1) * step, y2);
      any = true;
    }
    if (any) cairo_stroke(cr);
    cairo_new_path(cr);
  }

  if (!portrait) {
    volume(vmath::ClampToInt32(v.fIndexYScale + v.fIndexHeight - 1), v.fIndexHeight);
  }

  // Ruler.
  if (end <= v.iRulerIndex && v.iRulerIndex <= start) {
    const double x = (v.iRulerIndex - end) * step + x0 + kw / 2 + space - 1;
    SetRgb(cr, 0.5, 0.5, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, x, base - height);
    cairo_line_to(cr, x, base);
    cairo_move_to(cr, x, v.BaseVolYCoor - v.vViewHeight);
    cairo_line_to(cr, x, v.BaseVolYCoor);
    if (!portrait) {
      cairo_move_to(cr, x, v.fIndexYScale);
      cairo_line_to(cr, x, v.fIndexYScale + v.fIndexHeight);
    }
    cairo_stroke(cr);
  }

  // Axis texts.
  const char* family = "WenQuanYi Micro Hei";
  const double boxWidth = x0 - 5;
  const double priceStep = (static_cast<double>(maxValue) - minValue) / 6;
  const int decimals = v.priceDecimals();
  SetRgb(cr, 0.5, 0.5, 0.5);
  for (int i = 0; i <= 6; ++i) {
    const int32_t value = vmath::ClampToInt32(minValue + priceStep * i + 0.5);
    Text(cr, FormatPriceString(value, 8, decimals, value), 1, base - i * height / 6 - 6, boxWidth,
         12, 1, family, 10, true);
  }
  const tagLocalStockData& q = v.m_stockdata;
  const double middle =
      portrait ? v.BaseVolYCoor - v.vViewHeight / 2 - 6 : v.fIndexYScale + v.fIndexHeight / 2 - 6;
  const double paneTop = portrait ? v.BaseVolYCoor - v.vViewHeight - 6 : v.fIndexYScale - 6;
  SetRgb(cr, 1, 1, 1);
  Text(cr, FormatVolumeString(q.market, vmath::ClampToInt64(maxVolume / 2), q.unit, 6), 1, middle,
       boxWidth, 12, 1, family, 10, true);
  Text(cr, FormatVolumeString(q.market, vmath::ClampToInt64(maxVolume), q.unit, 6), 1, paneTop,
       boxWidth, 12, 1, family, 10, true);
}

}  // namespace plain
