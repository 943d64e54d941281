// A page-sized holder of one futures tick list. It keeps a list of its own, built from the same
// tick replies and pushes, which it does not show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/ChartData.h"
#include "core/FuturesTicks.h"
#include "core/StockData.h"
#include "panels/FenBiTable.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

class FenBiView : public ui::View {
 public:
  explicit FenBiView(const gfx::Rect& frame);
  static std::shared_ptr<FenBiView> create(const gfx::Rect& frame);

  // A tick reply: its head and the bytes of its records (`len` bounds what is read).
  void SetDetailData(const tagQHFenBiHead& head, const uint8_t* records, size_t len);
  // Keeps the quote; a push (flag 2) whose volume moved adds a trade (side left 0).
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush);

  static gfx::Color CheckPriceColor(int32_t change);
  // "red-up.png" above 0, "stop.png" at 0, "green-down.png" below.
  static gfx::Image CheckPriceUpDown(int32_t change);
  // "%.2fB" of v / 1e11 from 1e11, "%.2fM" of v / 1e8 from 1e8, else empty.
  static std::string CalcDotBit(float v);
  // The number format with n decimals ("%.2f" for 2).
  static std::string DotBitNum(int32_t n);

  FenBiTable* detailTable() const { return mDetailTable.get(); }
  int32_t tickNum() const { return iTickNum; }
  const tagLocalDealData& slot(int i) const { return detailDataArray[i]; }

 private:
  std::shared_ptr<FenBiTable> mDetailTable;
  tagLocalStockData StockInfo{};
  tagLocalDealData detailDataArray[kFenBiCapacity] = {};
  int32_t iTickNum = 0;
};
