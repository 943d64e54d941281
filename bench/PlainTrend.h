// The yardstick of the intraday frame benchmark: a plain Cairo + Pango program that draws the
// very picture the intraday chart draws (one day, the trend page's portrait chart), the
// straightforward way: each frame it lays out every scale text afresh (measuring the ones that
// may not fit), strokes each grid line and index bar on its own, clips each fill to its columns
// (their outline),
// draws the price line's shadow by blurring the line's mask (the same box blur as the chart's
// shadows) and paints the line through that mask. It reads the chart's points, bounds and layout
// constants.
#pragma once

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "bench/PlainKLine.h"
#include "core/QuoteFormat.h"
#include "detail/TrendlineView.h"
#include "platform/graphics/Blur.h"

namespace plain {

template <typename T>
T Trunc(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  if (v <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  return static_cast<T>(v);
}

// The natural width of a line of text.
inline double TextWidth(cairo_t* cr, const std::string& text, const char* family, double size,
                        bool bold) {
  PangoLayout* layout = NewLayout(cr, family, size, bold);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  g_object_unref(layout);
  return logical.width / double(PANGO_SCALE);
}

inline void Line(cairo_t* cr, double x1, double y1, double x2, double y2) {
  cairo_new_path(cr);
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_stroke(cr);
}

// A two-stop vertical gradient over the clip, with or without its ends extended.
inline void Gradient(cairo_t* cr, double x, double y0, double y1, const double from[4],
                     const double to[4], bool extend) {
  cairo_pattern_t* p = cairo_pattern_create_linear(x, y0, x, y1);
  cairo_pattern_add_color_stop_rgba(p, 0, from[0], from[1], from[2], from[3]);
  cairo_pattern_add_color_stop_rgba(p, 1, to[0], to[1], to[2], to[3]);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_save(cr);
  cairo_new_path(cr);
  if (!extend) {
    // Only between the two end lines.
    const double big = 1e5, len = std::fabs(y1 - y0), uy = (y1 - y0) / len, nx = -uy;
    cairo_move_to(cr, x + nx * big, y0);
    cairo_line_to(cr, x + nx * big, y0 + uy * len);
    cairo_line_to(cr, x - nx * big, y0 + uy * len);
    cairo_line_to(cr, x - nx * big, y0);
    cairo_close_path(cr);
    cairo_clip(cr);
  }
  cairo_set_source(cr, p);
  cairo_paint_with_alpha(cr, 1);
  cairo_restore(cr);
  cairo_pattern_destroy(p);
}

// The price line with its shadow: the line's coverage drawn into a mask once; the mask blurred
// and painted black through two points right and one up, then the line's colour painted through
// the mask itself. `scale` is the surface's pixels per point.
inline void LineWithShadow(cairo_t* cr, const std::vector<double>& xs,
                           const std::vector<double>& ys, const double colour[3], double scale,
                           gfx::detail::BlurBuffers& buffers, std::vector<uint8_t>& blurred) {
  cairo_new_path(cr);
  cairo_move_to(cr, xs[0], ys[0]);
  for (size_t i = 1; i < xs.size(); ++i) cairo_line_to(cr, xs[i], ys[i]);
  double x0, y0, x1, y1;
  cairo_path_extents(cr, &x0, &y0, &x1, &y1);
  // How far the stroke may reach (half the width, stretched by the miter limit), the blur's pad.
  x0 -= 5, y0 -= 5, x1 += 5, y1 += 5;
  const int radius = static_cast<int>(std::ceil(1 * scale / 2)), pad = 3 * radius + 2;
  cairo_matrix_t saved;
  cairo_get_matrix(cr, &saved);
  double dx0 = x0, dy0 = y0, dx1 = x1, dy1 = y1;
  cairo_user_to_device(cr, &dx0, &dy0);
  cairo_user_to_device(cr, &dx1, &dy1);
  const double left = std::floor(std::min(dx0, dx1)) - pad,
               top = std::floor(std::min(dy0, dy1)) - pad;
  const double right = std::ceil(std::max(dx0, dx1)) + pad,
               bottom = std::ceil(std::max(dy0, dy1)) + pad;
  cairo_path_t* path = cairo_copy_path(cr);
  cairo_save(cr);
  cairo_reset_clip(cr);
  cairo_identity_matrix(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, left, top, right - left, bottom - top);
  cairo_clip(cr);
  cairo_set_matrix(cr, &saved);
  cairo_append_path(cr, path);
  cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(cr, colour[0], colour[1], colour[2], 1);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_stroke_preserve(cr);
  cairo_pattern_t* mask = cairo_pop_group(cr);
  cairo_restore(cr);

  cairo_save(cr);
  cairo_new_path(cr);
  cairo_matrix_t maskMatrix, deviceToUser = saved, toDevice, shift, shifted;
  cairo_pattern_get_matrix(mask, &maskMatrix);
  cairo_matrix_invert(&deviceToUser);
  cairo_matrix_multiply(&toDevice, &deviceToUser, &maskMatrix);
  cairo_matrix_init_translate(&shift, -2 * scale, 1 * scale);
  cairo_matrix_multiply(&shifted, &shift, &toDevice);
  cairo_surface_t* surface = nullptr;
  cairo_pattern_get_surface(mask, &surface);
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int radii[3] = {1, 1, 1};
  blurred.resize(static_cast<size_t>(stride) * h);
  gfx::detail::boxBlur(cairo_image_surface_get_data(surface), blurred.data(), w, h, stride, 1,
                       radii, buffers);
  cairo_surface_t* copy =
      cairo_image_surface_create_for_data(blurred.data(), CAIRO_FORMAT_A8, w, h, stride);
  double ox, oy;
  cairo_surface_get_device_offset(surface, &ox, &oy);
  cairo_surface_set_device_offset(copy, ox, oy);
  cairo_surface_get_device_scale(surface, &ox, &oy);
  cairo_surface_set_device_scale(copy, ox, oy);
  cairo_pattern_t* soft = cairo_pattern_create_for_surface(copy);
  cairo_surface_destroy(copy);
  cairo_identity_matrix(cr);
  cairo_pattern_set_matrix(soft, &shifted);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  cairo_mask(cr, soft);
  cairo_restore(cr);
  cairo_pattern_destroy(soft);
  // The line itself through the same (unblurred) mask.
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_source_rgb(cr, colour[0], colour[1], colour[2]);
  cairo_pattern_set_matrix(mask, &toDevice);
  cairo_mask(cr, mask);
  cairo_restore(cr);
  cairo_pattern_destroy(mask);
  cairo_path_destroy(path);
  cairo_new_path(cr);
}

// One day of the chart (a one-day chart of today), drawn from its points with plain calls.
struct TrendFrame {
  gfx::detail::BlurBuffers buffers;
  std::vector<uint8_t> blurred;

  void draw(cairo_t* cr, const TrendlineView& v, double scale) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_FAST);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10);
    const char* family = "WenQuanYi Micro Hei";
    const float X = v.StartXCoor, W = v.tViewWidth, H = v.tViewHeight, base = v.BaseYCoor;
    const tagLocalStockData& q = v.m_stockdata;
    const double rise[3] = {180 / 255.0, 6 / 255.0, 27 / 255.0};
    const double fall[3] = {123 / 255.0, 159 / 255.0, 88 / 255.0};

    // Scale texts: the price at each grid line on the left, percentages on the right.
    const int64_t up = std::llabs(static_cast<int64_t>(v.fMaxValue) - v.Yesterday);
    const int64_t down = std::llabs(static_cast<int64_t>(v.fMinValue) - v.Yesterday);
    double h = static_cast<double>(std::max(up, down));
    if (h <= 0) h = 100;
    const double t = h / 3;
    const int decimals = q.xswsdot != 0 ? q.xswsdot : q.pricedot;
    auto gridY = [&](int k) { return base - k * H / 6; };
    double size = 11;  // the small font, until a price does not fit
    bool switched = false;
    auto left = [&](int32_t price, int k, bool centre, const double* colour) {
      const std::string text = FormatPriceString(price, 8, decimals, price);
      if (!switched && TextWidth(cr, text, family, size, true) > X - 2) {
        switched = true;
        size = 10;
      }
      const double boxH = centre ? 14 : 12;
      SetRgb(cr, colour[0], colour[1], colour[2]);
      // 2 points short of the grid, shrunk in half points (to half its size at most) when wider.
      const double w = X - 4;
      double fit = size;
      if (const double natural = TextWidth(cr, text, family, size, true); natural > w) {
        const double least = size * 0.5;
        fit = std::max(least, std::floor(size * w / natural * 2) / 2);
        while (fit > least && TextWidth(cr, text, family, fit, true) > w)
          fit = std::max(least, fit - 0.5);
      }
      Text(cr, text, 1, gridY(k) - boxH / 2, w, boxH, 1, family, fit, true);
    };
    const double white[3] = {1, 1, 1};
    for (int i = 0; i <= 3; ++i)
      left(Trunc<int32_t>(v.Yesterday + t * i + 0.5), 3 + i, i == 0, i == 0 ? white : rise);
    for (int j = 1; j <= 2; ++j)
      left(Trunc<int32_t>(v.Yesterday - t * (3 - j) + 0.5), j, false, fall);
    if (v._bShowZDFScale) {
      const double x = Trunc<int>(X + W + 2), space = v.frame().width() - x;
      auto right = [&](const std::string& text, int k, const double* colour, bool mayShrink) {
        double s = 11;
        if (mayShrink && TextWidth(cr, text, family, 11, true) > space) s = 10;
        SetRgb(cr, colour[0], colour[1], colour[2]);
        Text(cr, text, x, gridY(k) - 5, space, 10, 0, family, s, true);
      };
      right("0.00%", 3, white, false);
      for (int i = 1; i <= 3; ++i) {
        const int32_t value = Trunc<int32_t>(t * i + 0.5);
        right(FormatValueString(value, v.Yesterday, value), 3 + i, rise, false);
      }
      for (int j = 1; j <= 2; ++j) {
        const int32_t value = Trunc<int32_t>(t * (3 - j) + 0.5);
        // Appended rather than concatenated: GCC 12 at -O3 warns falsely on a literal + string.
        std::string text("-");
        text += FormatValueString(value, v.Yesterday, value);
        right(text, j, fall, true);
      }
    }

    // Frame, grid, previous close, opening and closing times.
    const double x1 = X - 1, x2 = X + W;
    SetRgb(cr, 0.5, 0.5, 0.5);
    cairo_set_line_width(cr, 2);
    Line(cr, x1, base + 3, x2, base + 3);
    cairo_set_line_width(cr, 0.5);
    for (int k = 1; k <= 6; ++k) {
      const double y = base - k * H / 6;
      Line(cr, x1, y, x2, y);
    }
    SetRgb(cr, 1, 1, 1);
    const double yc = base - 3 * H / 6;
    Line(cr, x1, yc, x2, yc);
    const double ty = base + 5, third = W / 3;
    auto clock = [](int minute) {
      if (minute > 1440) minute -= 1440;
      char buf[16];
      std::snprintf(buf, sizeof buf, "%02d:%02d", (minute / 60) % 100, minute % 60);
      return std::string(buf);
    };
    Text(cr, clock(q.tradetime[0]), X, ty, third, 15, 0, family, 10, true);
    Text(cr, clock(q.tradetime[1]), v.getXWithTime(q.tradetime[1]) - 50, ty, 100, 15, 0.5, family,
         10, true);
    Text(cr, clock(q.tradetime[3]), X + 2 * third, ty, third, 15, 1, family, 10, true);

    // Today's points: the fills under both lines, the index bars, then both lines, for the
    // minutes before the newest; then the newest minute's over them: its columns from the device
    // pixel edge at or before it (the settled ones stop there), its index bar and the lines' last
    // segment.
    const int count = std::min(v.m_trendnum, kTrendCapacity);
    if (!v.IsDrawTrendLine || count <= 0) return;
    const tagLocalTrendData* pts = v.trendColorData(0);
    const float s = W / static_cast<float>(v.m_TradeMinutes - 1) / 1.f;
    const float x0 = X;
    const double mid = x0 + W / 2;
    const double split = std::floor(scale * (x0 + static_cast<double>(count - 1) * s)) / scale;
    constexpr double kFar = 1e6;
    auto fill = [&](bool average, int first, int end, double fromX, double toX) {
      if (end <= first) return;
      cairo_save(cr);
      cairo_new_path(cr);
      cairo_rectangle(cr, fromX, -kFar, toX - fromX, 2 * kFar);
      cairo_clip(cr);
      const double bottom = base + 2;
      auto value = [&](int i) { return double(average ? pts[i].average : pts[i].now); };
      cairo_new_path(cr);
      bool belowBase = false;
      for (int i = first; i < end; ++i) belowBase = belowBase || value(i) > 0;
      if (belowBase) {
        for (int i = first; i < end; ++i)
          cairo_rectangle(cr, x0 + double(i) * s, bottom + std::min(value(i), 0.0), s,
                          std::fabs(value(i)));
      } else {
        // The columns' outline: they stand side by side on one base line.
        cairo_move_to(cr, x0 + double(first) * s, bottom);
        double top = bottom;
        for (int i = first; i < end; ++i) {
          const double x = x0 + double(i) * s, y = bottom + value(i);
          if (y != top) {
            cairo_line_to(cr, x, top);
            cairo_line_to(cr, x, y);
            top = y;
          }
        }
        cairo_line_to(cr, x0 + double(end) * s, top);
        cairo_line_to(cr, x0 + double(end) * s, bottom);
        cairo_close_path(cr);
      }
      cairo_clip(cr);
      if (average) {
        const double from[4] = {36 / 255.0, 36 / 255.0, 36 / 255.0, 0.5};
        const double to[4] = {75 / 255.0, 75 / 255.0, 75 / 255.0, 0.5};
        Gradient(cr, mid, base, base - H, from, to, false);
      } else {
        const double from[4] = {0, 0, 0, 1};
        const double to[4] = {106 / 255.0, 166 / 255.0, 210 / 255.0, 0.5};
        Gradient(cr, mid, base, base - H, from, to, true);
      }
      cairo_restore(cr);
    };
    int firstHlz = 0;
    while (firstHlz < count && pts[firstHlz].hlz == 0) ++firstHlz;
    auto bars = [&](int from, int end) {
      double hh = static_cast<double>(std::max(up, down));
      if (hh <= 0) hh = v.Yesterday;
      if (hh <= 0) return;
      const int64_t u = (static_cast<int64_t>(v.fMaxValue) - v.fMinValue) / 75;
      const double yy = Trunc<int>(base - H / 2);
      cairo_set_line_width(cr, 1);
      for (int i = std::max(from, firstHlz); i < end; ++i) {
        const double x = x0 + (i + 1) * static_cast<double>(s);
        const double y = std::clamp(yy - double(pts[i].hlz) * double(u) * H / (2 * hh),
                                    double(base - H), double(base));
        if (pts[i].hlz >= 1)
          SetRgb(cr, 1, 0, 0);
        else
          SetRgb(cr, 0, 1, 0);
        Line(cr, x, yy, x, y);
      }
    };
    const double price[3] = {238 / 255.0, 227 / 255.0, 217 / 255.0};
    auto lines = [&](int first, int end) {
      cairo_set_line_width(cr, 1);
      std::vector<double> xs, ys;
      for (int i = first; i < end; ++i) {
        xs.push_back(x0 + std::trunc(double(i) * s));
        ys.push_back(base + double(pts[i].average));
      }
      SetRgb(cr, 245 / 255.0, 194 / 255.0, 18 / 255.0);
      cairo_new_path(cr);
      if (xs.size() > 1) {
        cairo_move_to(cr, xs[0], ys[0]);
        for (size_t i = 1; i < xs.size(); ++i) cairo_line_to(cr, xs[i], ys[i]);
        cairo_stroke(cr);
        for (int i = first; i < end; ++i) {
          xs[i - first] = x0 + double(i) * s;
          ys[i - first] = base + double(pts[i].now);
        }
        LineWithShadow(cr, xs, ys, price, scale, buffers, blurred);
      }
    };
    fill(true, 0, count - 1, -kFar, split);
    fill(false, 0, count - 1, -kFar, split);
    if (v.StockType == 1) bars(0, count - 1);
    lines(0, count - 1);
    int first = count - 1;
    while (first > 0 && x0 + static_cast<double>(first) * s > split) --first;
    fill(true, first, count, split, kFar);
    fill(false, first, count, split, kFar);
    if (v.StockType == 1) bars(count - 1, count);
    lines(std::max(0, count - 2), count);

    // The cursor.
    if (v.iRulerIndex >= 0) {
      SetRgb(cr, 0.5, 0.5, 0.5);
      Line(cr, v.iRulerIndex, base - H, v.iRulerIndex, base + 2);
      const double cx = v.iRulerIndex, cy = v.iRulerIndexYScale, r = 3, k = r * 0.5522847498307936;
      SetRgb(cr, 1, 1, 1);
      cairo_new_path(cr);
      cairo_move_to(cr, cx + r, cy);
      cairo_curve_to(cr, cx + r, cy + k, cx + k, cy + r, cx, cy + r);
      cairo_curve_to(cr, cx - k, cy + r, cx - r, cy + k, cx - r, cy);
      cairo_curve_to(cr, cx - r, cy - k, cx - k, cy - r, cx, cy - r);
      cairo_curve_to(cr, cx + k, cy - r, cx + r, cy - k, cx + r, cy);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
  }
};

}  // namespace plain
