#include "panels/ZLCC_FLCC.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/graphics/Text.h"

namespace {

constexpr const char* kGridLabels[6] = {"0%", "20%", "40%", "60%", "80%", "100%"};

gfx::Font ChartFont() {
  return gfx::Font::named("Helvetica-Bold", 13);
}

std::string Percent(float value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f%%", static_cast<double>(value));
  return buf;
}

}  // namespace

void DrawHoldingText(gfx::Context& ctx, const std::string& text, const gfx::Rect& rect,
                     gfx::TextAlignment alignment) {
  gfx::drawText(ctx, text, rect, gfx::TextStyle(ChartFont(), alignment));
}

ZLCC_FLCC::ZLCC_FLCC(const gfx::Rect& frame) : ui::View(frame) {
  const gfx::Rect b = bounds();
  m_width = static_cast<float>(b.width());
  m_height = static_cast<float>(b.height());
  _width_Histogram = (m_width - 40) / 4;
  for (size_t i = 0; i < 4; ++i) _XCoor[i] = 40 + static_cast<float>(i) * _width_Histogram;
  _YCoor_baseLine0 = m_height - 40;
  _levelHeight = (_YCoor_baseLine0 - 26) / 6;
  const int light[4][3] = {{153, 255, 255}, {204, 255, 102}, {255, 153, 0}, {255, 51, 153}};
  const int dark[4][3] = {{45, 112, 112}, {96, 112, 30}, {112, 45, 0}, {147, 15, 81}};
  for (size_t i = 0; i < 4; ++i) {
    _colorArray[i] = gfx::Color::rgb255(light[i][0], light[i][1], light[i][2]);
    _gradientRef[i] = gfx::Gradient::linear(_colorArray[i],
                                            gfx::Color::rgb255(dark[i][0], dark[i][1], dark[i][2]));
  }
}

std::shared_ptr<ZLCC_FLCC> ZLCC_FLCC::initWithFrame(const gfx::Rect& frame) {
  return std::make_shared<ZLCC_FLCC>(frame);
}

void ZLCC_FLCC::setDataInfo(const tagLocalStockData* quote) {
  if (!quote) return;
  // The record keeps 机构 first; the bars run from 散户 on the left.
  for (size_t i = 0; i < 4; ++i) {
    _dataRate[i] = static_cast<float>(quote->mainFLCCBL[3 - i].rate) / 100;
    _dataChangeRate[i] = static_cast<float>(quote->mainFLCCBL[3 - i].updown) / 100;
  }
  _bInited = true;
  setNeedsDisplay();
}

void ZLCC_FLCC::drawRect(gfx::Context& ctx, const gfx::Rect& rect) {
  (void)rect;
  drawBackground(ctx);
  if (_bInited) drawDataLine(ctx);
}

void ZLCC_FLCC::drawBackground(gfx::Context& ctx) {
  gfx::StateSaver saver(ctx);
  ctx.setLineWidth(1);
  ctx.setStrokeColor(gfx::Color::rgb255(255, 0, 0));
  ctx.strokeRect(gfx::Rect(0, 0, m_width, m_height - 2));
  ctx.strokeLine(gfx::Point(0, 20), gfx::Point(m_width, 20));

  ctx.setFillColor(gfx::Color::white().withAlpha(0.6));
  DrawHoldingText(ctx, "分类持仓分布", gfx::Rect(2, 2, 180, 18), gfx::TextAlignment::Left);
  DrawHoldingText(ctx, "单位: 持仓比例(%)", gfx::Rect(195, 2, 115, 18), gfx::TextAlignment::Right);

  // Each line is placed from the 0% line on its own: cutting every step to whole points would
  // let the lines creep upwards, and a full bar would stop short of the 100% line.
  ctx.beginPath();
  for (int k = 0; k < 6; ++k) {
    const double y =
        std::trunc(static_cast<double>(_YCoor_baseLine0) - k * static_cast<double>(_levelHeight));
    ctx.moveTo(0, y);
    ctx.lineTo(m_width, y);
    gfx::drawText(ctx, kGridLabels[k], gfx::Point(2, y - 18), ChartFont());
  }
  ctx.strokePath();

  for (size_t i = 0; i < 4; ++i) {
    ctx.setFillColor(_colorArray[i]);
    DrawHoldingText(ctx, kHolderClasses[i],
                    gfx::Rect(_XCoor[i], m_height - 20, _width_Histogram, 18),
                    gfx::TextAlignment::Center);
  }
}

void ZLCC_FLCC::drawDataLine(gfx::Context& ctx) {
  for (size_t i = 0; i < 4; ++i) {
    ctx.setFillColor(_colorArray[i]);
    DrawHoldingText(ctx, Percent(_dataRate[i]),
                    gfx::Rect(_XCoor[i], m_height - 38, _width_Histogram, 18),
                    gfx::TextAlignment::Center);
  }
  for (size_t i = 0; i < 4; ++i) {
    // 100% reaches the 100% line, five levels up.
    const float h = _dataRate[i] * _levelHeight * 5 / 100;
    const gfx::Rect bar(_XCoor[i] + 10, _YCoor_baseLine0 - h - 1, _width_Histogram - 20, h);
    {
      gfx::StateSaver saver(ctx);
      ctx.clipToRects({bar});
      ctx.drawLinearGradient(_gradientRef[i], gfx::Point(bar.x(), bar.y()),
                             gfx::Point(bar.x() + bar.width(), bar.y()),
                             gfx::GradientExtend{true, true});
    }
    ctx.setFillColor(_dataChangeRate[i] < 0 ? gfx::Color::rgb255(123, 159, 88)
                                            : gfx::Color::rgb255(180, 6, 27));
    DrawHoldingText(ctx, Percent(_dataChangeRate[i]),
                    gfx::Rect(_XCoor[i], _YCoor_baseLine0 - h - 21, _width_Histogram, 18),
                    gfx::TextAlignment::Center);
  }
}
