// The small panel that opens under a watch-list row: the day's high, low and previous close on
// the left, a 190 x 60 intraday chart on the right, drawn on a range symmetric around the
// previous close.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/MiniTrend.h"
#include "core/StockData.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class MiniTline : public ui::View {
 public:
  static constexpr int kTag = 3441;
  static constexpr double kOpenHeight = 66;
  static constexpr double kChartWidth = 190;
  static constexpr double kChartHeight = 60;
  static constexpr double kChartLeft = 120;
  static constexpr double kBaseY = 61;

  explicit MiniTline(const gfx::Rect& frame = {});
  static std::shared_ptr<MiniTline> create(const gfx::Rect& frame);

  void InitializeMiniTlineView(const gfx::Rect& frame);
  void SetSubViewFrameToMax();
  void SetSubViewFrameToMin();
  void SetDataValue(const tagLocalStockData& rec);
  // Takes the points of a trend reply (changes after the first); none changes nothing.
  void SetTrendLineArray(const tagMiniTrendHead& head, const uint8_t* points, int count);
  // The last point at this price (1/10000), as a quote of the last point's minute moves it;
  // nothing while no point is held.
  void SetLastPrice(int32_t price);
  void CalcTrendLine();
  void ClearMiniTlineView() { setNeedsDisplay(); }
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;

  int trendNum() const { return static_cast<int>(prices_.size()); }
  const std::vector<int32_t>& prices() const { return prices_; }
  const std::vector<int32_t>& offsets() const { return offsets_; }
  bool drawsTrendLine() const { return drawTrendLine_; }
  ui::Label* highValue() const { return highValue_.get(); }
  ui::Label* lowValue() const { return lowValue_.get(); }
  ui::Label* yesterdayValue() const { return yesterdayValue_.get(); }
  // Horizontal points per minute of the stock's trading day.
  double zoomScale() const;

 private:
  void drawBackground(gfx::Context& ctx);
  void drawTrendLine(gfx::Context& ctx);

  std::shared_ptr<ui::Label> highName_, lowName_, yesterdayName_;
  std::shared_ptr<ui::Label> highValue_, lowValue_, yesterdayValue_;
  std::shared_ptr<ui::ImageView> leftFrame_;
  std::vector<int32_t> prices_;
  std::vector<int32_t> offsets_;
  bool drawTrendLine_ = false;
  tagLocalStockData stock_ = MakeEmptyStockData();
  gfx::Gradient gradient_;
};
