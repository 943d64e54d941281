// Seeds of fuzz_detail_views from the test server's answers: the quote record a quote answer
// decodes into, the trend and tick answers of the same security and a few pushes, for a
// Shanghai share, a Hong Kong share, an index and a futures contract, and the same share with
// every value the server sends at an empty mark or at an end of its range. With
// VERDAN_FUZZ_SEED_DIR set (to tests/data/fuzz of the source tree) the committed seeds are
// refreshed; otherwise they go to a scratch folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "core/StockData.h"
#include "core/ValueMath.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

// The pager's field lists of a quote and a trend (with the main-force right).
const uint8_t kList1[] = {8, 30, 11, 19, 1, 20, 70, 71, 47};
const uint8_t kList2[] = {35, 10, 9, 2,  3,  4,  5,  17, 6,   8,   18,  74,  16,  7,  14, 21,  75, 62,
                          27, 80, 83, 87, 93, 40, 41, 42, 43, 44, 84, 85, 160, 161, 77, 99, 100, 108};
const uint8_t kTrendList[] = {15, 6, 7, 9, 10, 8, 20, 21, 22, 14, 15, 16, 17, 18, 19, 23};
const uint8_t kTickList[] = {4, 1, 2, 3, 4};

struct SeededSecurity {
  const char* name;
  uint8_t kind;  // the target's security byte
  uint8_t market;
  const char* code;
};

void Append16(Bytes& out, size_t n) {
  out.push_back(static_cast<uint8_t>(n & 0xff));
  out.push_back(static_cast<uint8_t>(n >> 8));
}

void AppendSized(Bytes& out, const Bytes& bytes) {
  const size_t n = std::min<size_t>(bytes.size(), 0xffff);
  Append16(out, n);
  out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<long>(n));
}

// `field` points into `rec` (packed members included, so by address, not by reference).
template <class T>
void AppendPatch(Bytes& out, const tagLocalStockData& rec, const void* field, T value) {
  Append16(out, static_cast<size_t>(static_cast<const uint8_t*>(field) -
                                    reinterpret_cast<const uint8_t*>(&rec)));
  out.push_back(static_cast<uint8_t>(sizeof value));
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof value);
}

// Every value of a quote the detail screens compute with, at `p32` (prices, rates) and `v64`
// (volumes, amounts, flows, order totals).
void SetAll(tagLocalStockData& q, int32_t p32, int64_t v64) {
  // Plain assignments: some of these members are packed.
  q.yesterday = q.open = q.high = q.low = q.now = q.average = q.lb = q.zd = q.zf = p32;
  q.upprice = q.downprice = q.ZLZJ = q.mgJZZ = p32;
  q.volume = q.amount = q.realvol = q.in = q.out = q.ltgb = q.zgb = v64;
  q.BuyAvr5 = q.SellAvr5 = q.JRCCS.jrccl = q.JRCCS.zrccl = q.KPC[0] = q.KPC[1] = v64;
  for (auto& m : q.MainAmount) m = v64;
  for (auto& m : q.mainMMC) m = v64;
  for (auto& g : q.VolumeGold) g = v64;
  for (auto& g : q.AmountGold) g = v64;
  for (auto& g : q.BuySellGold) g = p32;
  for (auto& d : q.DelegateBuySellInfo) {
    d.price = p32;
    d.volume = v64;
  }
  for (int i = 0; i < 10; ++i) {
    q.buysell10.buy[i] = {p32, v64};
    q.buysell10.sell[i] = {p32, v64};
  }
  q.pricedot = 4;  // prices travel unscaled
}

class DetailViewSeeds {
 public:
  explicit DetailViewSeeds(std::string dir) : dir_(std::move(dir)) {}

  void record(testserver::TestServer& server, TestClient& quote, const SeededSecurity& sec,
              const std::string& name) {
    uint8_t buf[9000];
    int len = MakeRequest_StockData(0, 10, 13, sec.market, sec.code, kList1, kList2, buf,
                                    sizeof buf);
    const Reply one = quote.ask(buf, len);
    len = MakeRequest_Trendline(0, 33, 13, sec.market, sec.code, 0, kTrendList, buf, sizeof buf);
    // A whole day may come in several answers; the first one is the seed.
    const std::vector<Reply> trendAnswers = quote.askAll(buf, len);
    ASSERT_FALSE(trendAnswers.empty()) << name;
    const Reply trend = trendAnswers.front();
    len = MakeRequest_DealDetail(0, 14, 13, sec.market, sec.code, 20, kTickList, buf, sizeof buf);
    const Reply ticks = quote.ask(buf, len);
    ASSERT_TRUE(one.ok && trend.ok && ticks.ok) << name;
    EXPECT_FALSE(one.error() || trend.error() || ticks.error()) << name;
    (void)server;

    tagLocalStockData rec = MakeEmptyStockData();
    ASSERT_GT(QuoteCache_MergeOne(one.body.data(), one.body.size(), &rec), 0) << name;
    Bytes input{sec.kind, 0};
    const auto* raw = reinterpret_cast<const uint8_t*>(&rec);
    AppendSized(input, Bytes(raw, raw + sizeof rec));
    AppendSized(input, trend.body);
    AppendSized(input, ticks.body);
    // Pushes: the volume up a little, then between the int64 ends; the average at the mark; the
    // main amounts and order totals at the ends.
    AppendPatch(input, rec, &rec.volume, vmath::SatAdd(rec.volume, 1000));
    AppendPatch(input, rec, &rec.volume, kMax64);
    AppendPatch(input, rec, &rec.volume, kMin64 + 1);
    AppendPatch(input, rec, &rec.average, kMin32);
    AppendPatch(input, rec, &rec.MainAmount[0], kMin64);
    AppendPatch(input, rec, &rec.MainAmount[1], kMax64);
    // The order total's volume follows its 4-byte price (a packed pair).
    AppendPatch(input, rec, reinterpret_cast<const uint8_t*>(&rec.DelegateBuySellInfo[0]) + 4,
                kMin64);
    AppendPatch(input, rec, &rec.now, kMax32);
    write(name, input);
  }

  int count() const { return count_; }

 private:
  void write(const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(dir_ + "/detail_views");
    std::ofstream out(dir_ + "/detail_views/" + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ++count_;
  }

  std::string dir_;
  int count_ = 0;
};

}  // namespace

TEST(FuzzSeeds, DetailViewsFromTheServersAnswersWithMarksAndExtremes) {
  const char* wanted = std::getenv("VERDAN_FUZZ_SEED_DIR");
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() /
      ("verdan-detail-view-seeds-" + std::to_string(::getpid()));
  DetailViewSeeds seeds(wanted ? std::string(wanted) : scratch.string());

  auto options = testserver::ServerOptions::Ephemeral();
  options.date = 20151217;
  options.minute = 10 * 60 + 30;
  options.rights = "30,31,32,49";
  testserver::TestServer server(options);
  ASSERT_TRUE(server.start());
  QuoteCache_Init();
  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  ASSERT_TRUE(AskGuestQuoteLogin(quote).ok);

  const SeededSecurity kShare{"share", 0, 1, "600000"};
  for (const SeededSecurity& sec : {kShare, SeededSecurity{"hk-share", 1, 3, "10001"},
                              SeededSecurity{"index", 2, 1, "000001"},
                              SeededSecurity{"futures", 3, 4, "IF1512"}})
    seeds.record(server, quote, sec, sec.name);

  // The share again with its values at the marks, then at the ends of their ranges.
  struct Hostile {
    const char* name;
    int32_t p32;
    int64_t v64;
  };
  for (const Hostile& h : {Hostile{"share-marks", kMin32, kMin64},
                           Hostile{"share-max", kMax32, kMax64},
                           Hostile{"share-min", kMin32 + 1, kMin64 + 1}}) {
    ASSERT_TRUE(server.setQuoteValues(1, "600000",
                                      [&](tagLocalStockData& q) { SetAll(q, h.p32, h.v64); },
                                      false));
    server.setTrendValues([&](const tagLocalStockData& q, std::vector<tagLocalTrendData>& pts) {
      if (std::strcmp(q.code, "600000") != 0) return;
      // Every other minute hostile: the answer's differences then swing across the range.
      for (size_t i = 0; i < pts.size(); i += 2) {
        tagLocalTrendData& p = pts[i];
        p.now = p.average = p.lb = p.BUY_CASH_SPEED = p.SELL_CASH_SPEED = p.LJZLDX = h.p32;
        p.ZLZJL = int64_t{h.p32} * 10000;
        p.volume = p.amount = p.WBZL = p.WSZL = h.v64;
      }
    });
    seeds.record(server, quote, kShare, h.name);
  }
  server.setTrendValues({});
  server.stop();

  EXPECT_EQ(seeds.count(), 7);
  const std::filesystem::path committed =
      std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz/detail_views";
  EXPECT_TRUE(std::filesystem::is_directory(committed) && !std::filesystem::is_empty(committed))
      << "no committed seeds for detail_views";
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
}
