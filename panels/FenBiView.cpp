#include "panels/FenBiView.h"

#include <cstdio>

#include "shell/SharedTool.h"

namespace {

tagLocalDealData ToDeal(const tagLocalQHFenBiData& t) {
  tagLocalDealData d{};
  d.time = t.time;
  d.price = t.price;
  d.volume = t.volume;
  d.inoutflag = t.inoutflag;
  return d;
}

}  // namespace

FenBiView::FenBiView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<FenBiView> FenBiView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<FenBiView>(frame);
  view->setBackgroundColor(gfx::Color::black());
  view->mDetailTable = FenBiTable::create({0, 0, frame.width(), frame.height()});
  view->addSubview(view->mDetailTable);
  return view;
}

void FenBiView::SetDetailData(const tagQHFenBiHead& head, const uint8_t* records, size_t len) {
  tagLocalQHFenBiData decoded[kFenBiCapacity];
  iTickNum = DecodeFuturesTicks(records, len, head.count, StockInfo.pricedot, decoded);
  for (int i = 0; i < kFenBiCapacity; ++i) detailDataArray[i] = ToDeal(decoded[i]);
}

void FenBiView::SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
  const int64_t before = StockInfo.volume;
  StockInfo = quote;
  tagLocalQHFenBiData trade;
  if (!FuturesTradeFromQuote(quote, isPush, before, trade)) return;
  tagLocalDealData deal = ToDeal(trade);
  deal.inoutflag = 0;
  iTickNum = AddNewestTrade(detailDataArray, iTickNum, deal);
}

gfx::Color FenBiView::CheckPriceColor(int32_t change) {
  return FenBiTable::CheckPriceColor(change);
}

gfx::Image FenBiView::CheckPriceUpDown(int32_t change) {
  return SharedTool::CheckPriceUpDown(change);
}

std::string FenBiView::CalcDotBit(float v) {
  char text[64] = "";
  if (v >= 1e11f)
    std::snprintf(text, sizeof text, "%.2fB", static_cast<double>(v) / 1e11);
  else if (v >= 1e8f)
    std::snprintf(text, sizeof text, "%.2fM", static_cast<double>(v) / 1e8);
  return text;
}

std::string FenBiView::DotBitNum(int32_t n) {
  char text[32];
  std::snprintf(text, sizeof text, "%%.%df", n);
  return text;
}
