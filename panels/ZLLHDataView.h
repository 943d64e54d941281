// The main-force summary: a pie whose right half splits the day's buy volume over the four
// order-size classes and whose left half splits the sell volume, and beside it the price, the
// change percent and each side's order count and average order size. Made by class name
// (Extend::produceObject("ZLLHDataView")), which builds its labels and wakes it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/StockData.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class ZLLHDataView : public ui::View {
 public:
  // Labels: 10 price, 11 change percent, 12 buy orders, 13 average buy order, 14 sell orders,
  // 15 average sell order; 110 the box holding them, centred vertically by updateDataView.
  static constexpr int kPriceTag = 10;
  static constexpr int kChangeTag = 11;
  static constexpr int kBuyCountTag = 12;
  static constexpr int kBuyAverageTag = 13;
  static constexpr int kSellCountTag = 14;
  static constexpr int kSellAverageTag = 15;
  static constexpr int kFiguresTag = 110;
  static constexpr double kPieCenterX = 80;

  explicit ZLLHDataView(const gfx::Rect& frame = {});
  // The view as its interface builds it: the labels and their captions, awoken.
  static std::shared_ptr<ZLLHDataView> create(const gfx::Rect& frame = {});
  // The registered name the page loads it by.
  static void registerClass();

  void awakeFromNib();
  // Null only re-centres the figures.
  void updateDataView(const tagLocalStockData* quote);
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void layoutSubviews() override;
  // One slice: start and sweep in degrees, growing downward from the +x axis. A sweep of 0 (or
  // less) paints nothing.
  void paintpie(gfx::Context& ctx, double start, double capacity, double pointx, double pointy,
                float radius, const gfx::Color& piecolor);

  ui::Label* label(int tag);
  const std::array<float, 4>& buyAngles() const { return _buyAngle; }
  const std::array<float, 4>& sellAngles() const { return _sellAngle; }

 private:
  void buildInterface();

  std::vector<gfx::Color> _buyColor;
  std::vector<gfx::Color> _sellColor;
  std::array<float, 4> _buyAngle{};
  std::array<float, 4> _sellAngle{};
};
