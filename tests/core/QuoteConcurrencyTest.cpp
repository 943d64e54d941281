// The quote cache and the chart stores are written on the network thread and read on the main
// thread: a reader must always get a whole record, never half of two merges.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "core/ChartStore.h"
#include "core/QuoteCache.h"
#include "tests/core/QuoteWire.h"

namespace {

constexpr int kConcurrentRounds = 3000;

// A record whose every listed member carries the same value v.
Wire Consistent(int32_t v) {
  Wire w;
  w.u8(9).ids({9, 10, 2, 3, 4, 5, 6, 7, 76});
  w.u8(1).text("600000", 8).i32(v).i32(v).i32(v).i32(v).i64(v).i64(v);
  for (int l = 0; l < 20; ++l) w.i32(v).i64(v);
  return w;
}

bool Whole(const tagLocalStockData& r) {
  // pricedot 0: prices are scaled by 10000.
  const int64_t v = r.volume;
  const int32_t p = static_cast<int32_t>(v * 10000);
  if (r.open != p || r.high != p || r.low != p || r.now != p || r.amount != v) return false;
  for (int l = 0; l < 10; ++l) {
    if (r.buysell10.buy[l].price != p || r.buysell10.sell[l].volume != v) return false;
  }
  return true;
}

TEST(QuoteConcurrency, ReadersNeverSeeATornRecord) {
  auto cache = std::make_unique<CQuoteCache>();
  Wire first = Consistent(1);
  ASSERT_GT(cache->MergeOne(first.data(), first.size()), 0);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < kConcurrentRounds; ++i) {
      Wire w = Consistent(1 + i % 100);
      cache->MergeOne(w.data(), w.size());
    }
    done = true;
  });
  int torn = 0;
  int missing = 0;
  int reads = 0;
  while (!done || reads < 10) {
    tagLocalStockData r;
    missing += cache->GetQuote(r, 1, "600000") != 1;
    torn += !Whole(r);
    ++reads;
  }
  writer.join();
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(torn, 0);
}

TEST(QuoteConcurrency, PushesAndChartReadersShareTheStores) {
  auto cache = std::make_unique<CQuoteCache>();
  auto trend = std::make_unique<CTrendStore>();
  auto ticks = std::make_unique<CTickList>();
  trend->SetStock(1, "600000");
  ticks->SetStock(1, "600000");
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 1; i <= kConcurrentRounds; ++i) {
      const int minute = 570 + i % 120;
      Wire rec;
      rec.u8(1).text("600000", 8).u8(0).u16(1).i32(i).i64(int64_t{i} * 10);
      rec.u8(1).u16(570).u16(690).zeros(8);
      rec.i32(static_cast<int32_t>((minute % 60) | ((minute / 60) << 6)));
      Wire body;
      body.u8(6).ids({9, 10, 19, 5, 6, 20}).u8(21);
      body.b[0] = 7;
      body.append(rec);
      cache->PushQuote(body.data(), body.size(), *trend, *ticks);
    }
    done = true;
  });
  auto points = std::make_unique<tagLocalTrendData[]>(kTrendCapacity);
  int bad = 0;
  while (!done) {
    const int n = trend->CopyPoints(points.get(), kTrendCapacity);
    bad += n > kTrendCapacity;
    tagLocalDealData deals[kTickCapacity];
    const int t = ticks->CopyTicks(deals, kTickCapacity);
    bad += t > kTickCapacity;
    // Each push after the first adds 10 shares in lots of 1.
    for (int k = 0; k < std::min(t, kTickCapacity); ++k) bad += deals[k].volume != 10;
  }
  writer.join();
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(ticks->GetCount(), kTickCapacity);
  EXPECT_GT(trend->GetCount(), 0);
}

}  // namespace
