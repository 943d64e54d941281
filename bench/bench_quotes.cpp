// Decoding and merging a list reply of 30 records with 20 fields, and formatting a screen's
// worth (30 rows x 12 columns) of field texts and colours.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "platform/foundation/Log.h"

namespace {

const uint8_t kIds[20] = {9, 10, 12, 19, 1, 2, 3, 4, 5, 6, 7, 17, 23, 14, 15, 18, 21, 24, 72, 73};

void Put32(std::vector<uint8_t>& b, int32_t v) {
  b.resize(b.size() + 4);
  WriteLE32(&b[b.size() - 4], static_cast<uint32_t>(v));
}
void Put64(std::vector<uint8_t>& b, int64_t v) {
  b.resize(b.size() + 8);
  WriteLE64(&b[b.size() - 8], static_cast<uint64_t>(v));
}

// A sort reply: 9-byte head, the id list, 30 records starting at code `first`.
std::vector<uint8_t> ListReply(int first) {
  std::vector<uint8_t> b = {0, 0, 0};
  Put32(b, 3000);
  b.push_back(30);
  b.push_back(0);
  b.push_back(sizeof kIds);
  b.insert(b.end(), kIds, kIds + sizeof kIds);
  for (int r = 0; r < 30; ++r) {
    const int32_t p = 1000 + r;
    b.push_back(1);  // 9
    std::string code = std::to_string(600000 + first + r);
    code.resize(8, '\0');
    b.insert(b.end(), code.begin(), code.end());              // 10
    for (char16_t u : std::u16string(u"测试股票名称甲乙")) {  // 12
      b.push_back(static_cast<uint8_t>(u));
      b.push_back(static_cast<uint8_t>(u >> 8));
    }
    b.push_back(2);  // 19
    b.push_back(100);
    b.push_back(0);
    for (int k = 0; k < 5; ++k) Put32(b, p + k);  // 1-5
    Put64(b, 123456789 + r);                      // 6
    Put64(b, 98765432100 + r);                    // 7
    Put32(b, 12);                                 // 17
    Put32(b, 120);                                // 23
    Put32(b, 15000);                              // 14
    Put32(b, 321);                                // 15
    Put32(b, p);                                  // 18
    Put32(b, 35 | (10 << 6));                     // 21
    Put32(b, 456);                                // 24
    Put32(b, p - 1);                              // 72
    Put32(b, p + 1);                              // 73
  }
  return b;
}

void Silence() {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
}

// Steady state: the 30 stocks of the page are already cached (a refresh).
void BM_ListReplyDecodeMerge(benchmark::State& state) {
  Silence();
  auto cache = std::make_unique<CQuoteCache>();
  const std::vector<uint8_t> body = ListReply(0);
  tagCodeItem items[30];
  uint8_t head[9];
  cache->ParseListReply(body.data(), body.size(), items, 30, head);
  for (auto _ : state) {
    benchmark::DoNotOptimize(cache->ParseListReply(body.data(), body.size(), items, 30, head));
  }
  state.SetItemsProcessed(state.iterations() * 30);
}
BENCHMARK(BM_ListReplyDecodeMerge);

// Worst case: a full cache of 300 with the page's stocks at the end of the scan.
void BM_ListReplyDecodeMergeFullCache(benchmark::State& state) {
  Silence();
  auto cache = std::make_unique<CQuoteCache>();
  tagCodeItem items[30];
  uint8_t head[9];
  for (int page = 0; page < 9; ++page) {
    const std::vector<uint8_t> filler = ListReply(1000 + page * 30);
    cache->ParseListReply(filler.data(), filler.size(), items, 30, head);
  }
  const std::vector<uint8_t> body = ListReply(0);
  cache->ParseListReply(body.data(), body.size(), items, 30, head);
  for (auto _ : state) {
    benchmark::DoNotOptimize(cache->ParseListReply(body.data(), body.size(), items, 30, head));
  }
  state.counters["cached"] = cache->GetCount();
  state.SetItemsProcessed(state.iterations() * 30);
}
BENCHMARK(BM_ListReplyDecodeMergeFullCache);

// A screen: 30 rows of 12 columns, each a text and a colour.
void BM_FormatScreen(benchmark::State& state) {
  Silence();
  auto cache = std::make_unique<CQuoteCache>();
  const std::vector<uint8_t> body = ListReply(0);
  tagCodeItem items[30];
  uint8_t head[9];
  cache->ParseListReply(body.data(), body.size(), items, 30, head);
  std::vector<tagLocalStockData> rows(30);
  cache->GetQuotes(rows.data(), items, 30);
  const uint32_t columns[12] = {12, 5, 23, 17, 6, 7, 15, 14, 3, 4, 16, 24};
  for (auto _ : state) {
    for (const tagLocalStockData& row : rows) {
      for (uint32_t id : columns) {
        std::string text = GetFieldString(id, row);
        QuoteColor colour = GetFieldColor(id, row);
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(colour);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * 360);
}
BENCHMARK(BM_FormatScreen);

}  // namespace
