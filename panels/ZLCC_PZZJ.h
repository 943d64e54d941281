// The intraday fund monitor of the main-force page's second inner page: the day's net fund flow
// of the holder classes 散户, 中户, 大户 and 机构 (left to right) in units of 10,000, inflows as
// red bars rising from a zero line and outflows as green bars hanging below it.
#pragma once

#include <array>
#include <memory>

#include "core/StockData.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Context.h"
#include "platform/ui/View.h"

class ZLCC_PZZJ : public ui::View {
 public:
  explicit ZLCC_PZZJ(const gfx::Rect& frame);
  // Layout values come from this frame and stay.
  static std::shared_ptr<ZLCC_PZZJ> initWithFrame(const gfx::Rect& frame);

  // Takes the four classes' net flows from the record and redraws; nothing is kept from
  // earlier records. A null record changes nothing.
  void setDataInfo(const tagLocalStockData* quote);

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  // Frame and titles; the chart has no grid.
  void drawBackground(gfx::Context& ctx);
  // Zero line, bars, values and class names; nothing when every flow is 0.
  void drawDataLine(gfx::Context& ctx);
  // Declared with the chart's drawing calls and never used.
  void myDrawColorRect(gfx::Context& ctx, const gfx::Rect& rect, int colorType) {
    (void)ctx;
    (void)rect;
    (void)colorType;
  }

  bool inited() const { return _bInited; }
  // Net flow of bar i in units of 10,000.
  double dataPrice(int i) const { return _dataPrice.at(static_cast<size_t>(i)); }
  float xCoor(int i) const { return _XCoor.at(static_cast<size_t>(i)); }
  float histogramWidth() const { return _width_Histogram; }
  const gfx::Gradient& inflowGradient() const { return _gradientRef_red; }
  const gfx::Gradient& outflowGradient() const { return _gradientRef_green; }

 private:
  float m_width = 0;
  float m_height = 0;
  bool _bInited = false;
  float _width_Histogram = 0;
  std::array<float, 4> _XCoor{};
  // Double: single precision would lose the last shown digits of a board's or an index's
  // flows.
  std::array<double, 4> _dataPrice{10, -20, -100, 110};
  gfx::Gradient _gradientRef_red;
  gfx::Gradient _gradientRef_green;
};
