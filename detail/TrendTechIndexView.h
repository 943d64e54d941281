// One intraday indicator (volume, amount, volume ratio, main-force direction, fund-flow speed,
// total bid and ask, main-force fund flow, opens and closes, open interest) drawn under the
// trend chart's minute axis. It owns no market data: every redraw pulls the chart's bounds, the
// day's points (raw and as drawing coordinates) and the stock record from its delegate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "core/TrendIndicators.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/PixelCache.h"
#include "platform/ui/View.h"

// The small face of the trend chart and its sub-chart: the application's little font, 11-point
// Helvetica-Bold before the application has one.
gfx::Font ChartLittleFont();

// What the sub-chart reads back from the trend chart. Each call answers false when the
// delegate does not supply it; the sub-chart then keeps its previous copy.
class TrendTechIndexViewDelegate {
 public:
  virtual ~TrendTechIndexViewDelegate() = default;
  virtual bool getCalcValueForDelegate(_TECHINDEX_CALC_VLAUE* value) {
    (void)value;
    return false;
  }
  // Copies the 1450 records of day `day` (0 today) into `out`.
  virtual bool getTrendColorDataFromDelegate(tagLocalTrendData* out, int day) {
    (void)out;
    (void)day;
    return false;
  }
  virtual bool getTrendDataFromDelegate(tagLocalTrendData* out, int day) {
    (void)out;
    (void)day;
    return false;
  }
  virtual bool getLocalStockDataFromDelegate(tagLocalStockData* out) {
    (void)out;
    return false;
  }
};

class TrendTechIndexView : public ui::View {
 public:
  static std::shared_ptr<TrendTechIndexView> initWithFrame(const gfx::Rect& frame);
  static std::shared_ptr<TrendTechIndexView> initWithFrame_Landscape(const gfx::Rect& frame);
  TrendTechIndexView(const gfx::Rect& frame, bool landscape);

  TrendTechIndexViewDelegate* delegate() const { return _delegate.lock().get(); }
  void setDelegate(std::weak_ptr<TrendTechIndexViewDelegate> delegate) {
    _delegate = std::move(delegate);
  }

  // Takes fresh copies from the delegate and redraws.
  void reDrawView();
  void updateDrawIndexType(int32_t type);
  void updateViewWidth(int32_t width);
  void setCalcValue(const _TECHINDEX_CALC_VLAUE& value) { _calcValue = value; }
  int getXWithPos(int index) const;
  int getXWithTime(int minute) const;
  void clear();
  void calcZLDX(const tagLocalTrendData* day, int count);

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;

  gfx::Color VolumeColor = gfx::Color::rgb255(238, 236, 129);
  ZLDXLines m_CalcData{};  // rows and range of the main-force direction lines
  bool IsDrawTrendLine = false;
  gfx::Point firstTouch;
  tagLocalStockData m_stockdata{};
  _TECHINDEX_CALC_VLAUE _calcValue{};
  float _drawWidth = 0;
  float _drawStartXCoor = 0;
  float _drawHeight = 0;
  float _drawBottomYCoor = 0;
  bool IsTouch = false;
  int32_t _drawIndexType = 0;
  bool _haveDragged = false;

 private:
  void DrawScaleValue(gfx::Context& ctx);
  void DrawBackground(gfx::Context& ctx);
  void DrawRulerLine(gfx::Context& ctx);
  // One day of the shown indicator; `points` are drawing coordinates.
  void drawIndex(gfx::Context& ctx, const tagLocalTrendData* points, int count, int period,
                 int phase);
  void drawBars(gfx::Context& ctx, const tagLocalTrendData* points, int count, bool amount);
  void drawLine(gfx::Context& ctx, const tagLocalTrendData* points, int count);
  void drawZLDX(gfx::Context& ctx, const tagLocalTrendData* points, int count);
  void drawZJLS(gfx::Context& ctx, const tagLocalTrendData* points, int count);
  void drawMMZL(gfx::Context& ctx, const tagLocalTrendData* points, int count);
  void drawKPC(gfx::Context& ctx, const tagLocalTrendData* points, int count);
  // Minute step of one day slot (0 for a trading day of one minute or less) and the slot's
  // left edge.
  double minuteStep() const;
  double slotStart(int period, int phase) const;
  // Points of a day as the delegate's values give them, kept inside a day block.
  int dayCount(int phase) const;
  // Acts on a touch at `p`; true when it landed on a stored minute.
  bool touchAt(gfx::Point p, bool drag);

  // The whole picture (what drawRect draws through its pixel cache), and everything it depends
  // on and writes back, the delegate's days included (see PixelCache); a member the drawing
  // comes to read goes into the key too.
  void drawPicture(gfx::Context& ctx);
  std::string pictureKey();

  std::weak_ptr<TrendTechIndexViewDelegate> _delegate;
  bool landscape_ = false;
  // Per-draw position of the day being drawn.
  double x0_ = 0;
  double step_ = 0;
  gfx::PixelCache pixels_;
};
