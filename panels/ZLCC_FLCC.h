// The holding-share chart of the main-force page's second inner page: for the holder classes
// 散户, 中户, 大户 and 机构 (left to right) the share of the holdings each class holds, as a bar
// on a 0% to 100% grid, with the change of that share above the bar.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "core/StockData.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Text.h"
#include "platform/ui/View.h"

// What this chart and the fund-flow chart beside it (ZLCC_PZZJ) share: the holder classes left
// to right, and the bold 13-point face of their titles and captions.
inline constexpr const char* kHolderClasses[4] = {"散户", "中户", "大户", "机构"};
void DrawHoldingText(gfx::Context& ctx, const std::string& text, const gfx::Rect& rect,
                     gfx::TextAlignment alignment);

class ZLCC_FLCC : public ui::View {
 public:
  explicit ZLCC_FLCC(const gfx::Rect& frame);
  // Layout values come from this frame and stay.
  static std::shared_ptr<ZLCC_FLCC> initWithFrame(const gfx::Rect& frame);

  // Takes the four classes' shares and changes from the record and redraws; nothing is kept
  // from earlier records. A null record changes nothing.
  void setDataInfo(const tagLocalStockData* quote);

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  // Frame, titles, the six grid lines with their percentages and the class names.
  void drawBackground(gfx::Context& ctx);
  // Shares, bars and changes.
  void drawDataLine(gfx::Context& ctx);

  bool inited() const { return _bInited; }
  float dataRate(int i) const { return _dataRate.at(static_cast<size_t>(i)); }
  float dataChangeRate(int i) const { return _dataChangeRate.at(static_cast<size_t>(i)); }
  float xCoor(int i) const { return _XCoor.at(static_cast<size_t>(i)); }
  float histogramWidth() const { return _width_Histogram; }
  float baseLine0() const { return _YCoor_baseLine0; }
  float levelHeight() const { return _levelHeight; }
  const gfx::Color& classColor(int i) const { return _colorArray.at(static_cast<size_t>(i)); }
  const gfx::Gradient& classGradient(int i) const {
    return _gradientRef.at(static_cast<size_t>(i));
  }

 private:
  float m_width = 0;
  float m_height = 0;
  bool _bInited = false;
  float _width_Histogram = 0;
  std::array<float, 4> _XCoor{};
  float _YCoor_baseLine0 = 0;
  float _levelHeight = 0;
  std::array<float, 4> _dataRate{};
  std::array<float, 4> _dataChangeRate{};
  std::array<gfx::Color, 4> _colorArray{};
  std::array<gfx::Gradient, 4> _gradientRef{};
};
