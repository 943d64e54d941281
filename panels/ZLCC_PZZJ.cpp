#include "panels/ZLCC_PZZJ.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/ValueMath.h"
#include "panels/ZLCC_FLCC.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Text.h"

ZLCC_PZZJ::ZLCC_PZZJ(const gfx::Rect& frame) : ui::View(frame) {
  const gfx::Rect b = bounds();
  m_width = static_cast<float>(b.width());
  m_height = static_cast<float>(b.height());
  _width_Histogram = (m_width - 40) / 4;
  for (size_t i = 0; i < 4; ++i) _XCoor[i] = 40 + static_cast<float>(i) * _width_Histogram;
  _gradientRef_red =
      gfx::Gradient::linear(gfx::Color::rgb255(255, 102, 102), gfx::Color::rgb255(137, 7, 7));
  _gradientRef_green =
      gfx::Gradient::linear(gfx::Color::rgb255(51, 255, 51), gfx::Color::rgb255(4, 96, 4));
}

std::shared_ptr<ZLCC_PZZJ> ZLCC_PZZJ::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<ZLCC_PZZJ>(frame);
}

void ZLCC_PZZJ::setDataInfo(const tagLocalStockData* quote) {
  if (!quote) return;
  // The record keeps 机构 first; the bars run from 散户 on the left. Amounts in 1/100 of the
  // currency become units of 10,000.
  for (size_t i = 0; i < 4; ++i)
    // A class the server has no flow for (the mark) draws no bar and widens no scale.
    _dataPrice[i] = static_cast<double>(vmath::MarkToZero(quote->mainMMC[3 - i])) / 1000000.0;
  _bInited = true;
  setNeedsDisplay();
}

void ZLCC_PZZJ::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  drawBackground(ctx);
  if (_bInited) drawDataLine(ctx);
}

void ZLCC_PZZJ::drawBackground(gfx::Context& ctx) {
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  ctx.setStrokeColor(gfx::Color::rgb255(255, 0, 0));
  ctx.strokeRect(gfx::Rect(0, 1, m_width, m_height - 1));
  ctx.strokeLine(gfx::Point(0, 20), gfx::Point(m_width, 20));
  ctx.setFillColor(gfx::Color::white().withAlpha(0.6));
  DrawHoldingText(ctx, "盘中资金监控", gfx::Rect(2, 2, 200, 18), gfx::TextAlignment::Left);
  DrawHoldingText(ctx, "单位: 净额(万元)", gfx::Rect(210, 2, 100, 18), gfx::TextAlignment::Right);
}

void ZLCC_PZZJ::drawDataLine(gfx::Context& ctx) {
  const double bottom = static_cast<double>(m_height) - 20;
  const double chart = bottom - 40;
  double low = 0;
  double high = 0;
  for (double v : _dataPrice) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  const double range = std::fabs(low) + high;
  if (range == 0) return;
  const double zero = bottom - std::fabs(low) / range * chart;
  {
    gfx::StateSaver saver(ctx);
    ctx.setLineWidth(1);
    ctx.setStrokeColor(gfx::Color::rgb255(255, 0, 0));
    ctx.strokeLine(gfx::Point(0, std::trunc(zero)), gfx::Point(m_width, std::trunc(zero)));
  }
  const gfx::Color rise = gfx::Color::rgb255(180, 6, 27);
  const gfx::Color fall = gfx::Color::rgb255(123, 159, 88);
  for (size_t i = 0; i < 4; ++i) {
    const double v = _dataPrice[i];
    const bool inflow = v >= 0;
    // Negative for an outflow: the rectangle then runs from the zero line downwards.
    const double h = v * chart / range;
    const gfx::Rect bar(_XCoor[i] + 10, inflow ? zero - h - 1 : zero - h, _width_Histogram - 20, h);
    {
      gfx::StateSaver saver(ctx);
      ctx.clipToRects({bar});
      ctx.drawLinearGradient(
          inflow ? _gradientRef_red : _gradientRef_green, gfx::Point(bar.x(), bar.y()),
          gfx::Point(bar.x() + bar.width(), bar.y()), gfx::GradientExtend{true, true});
    }
    char value[64];
    std::snprintf(value, sizeof value, "%.2f", v);
    ctx.setFillColor(inflow ? rise : fall);
    const gfx::Rect valueRect(_XCoor[i], inflow ? zero - h - 19 : zero - h + 2, _width_Histogram,
                              18);
    const gfx::Rect nameRect(_XCoor[i], inflow ? zero + 2 : zero - 20, _width_Histogram, 18);
    DrawHoldingText(ctx, value, valueRect, gfx::TextAlignment::Center);
    DrawHoldingText(ctx, kHolderClasses[i], nameRect, gfx::TextAlignment::Center);
  }
}
