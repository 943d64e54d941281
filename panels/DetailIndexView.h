// A compact price block for one security: the last price, change, change percentage and arrow
// on the left, and open, high, low, volume and amount rows on the right, filled from whole
// quote records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "core/StockData.h"
#include "panels/PriceShowView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

class DetailIndexView : public ui::View {
 public:
  explicit DetailIndexView(const gfx::Rect& frame);
  static std::shared_ptr<DetailIndexView> initWithFrame(const gfx::Rect& frame);

  // Makes the price block and the five rows that do not exist yet.
  void SetDetailPricePanel();
  // Keeps the record and shows it; replies and pushes are shown alike.
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush);
  void RefreshTrendPricePanel(const tagLocalStockData& quote);

  static gfx::Color CheckPriceColor(int64_t difference);
  static gfx::Image CheckPriceUpDown(int64_t difference);

  const tagLocalStockData& stockInfo() const { return StockInfo; }
  PriceShowView* mainPriceShow() const { return MainPriceShow.get(); }
  // Rows top to bottom: open, high, low, volume, amount.
  PriceShowView* row(int index) const;

 private:
  tagLocalStockData StockInfo{};
  float pDetailStartX = 160;
  float pDetailWidth = 150;
  float pDetailHeight = 20;
  float pDetailViewHeight = 100;
  float pDetailViewTopY = 0;
  std::shared_ptr<PriceShowView> priceShow;
  std::shared_ptr<PriceShowView> priceShow1;
  std::shared_ptr<PriceShowView> priceShow2;
  std::shared_ptr<PriceShowView> priceShow3;
  std::shared_ptr<PriceShowView> priceShow4;
  std::shared_ptr<PriceShowView> MainPriceShow;
};
