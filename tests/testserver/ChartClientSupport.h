// The chart answers as the detail pages read them: requests with the pages' own field lists over
// the wire, answers decoded by the client's parsers from their bytes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/ByteOrder.h"
#include "core/ChartData.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

namespace chartclient {

using testserver::Role;

constexpr int32_t kDate = 20151217;
constexpr size_t kReceiveLimit = 9000;

// A field list as the builders take it: count byte first.
inline std::vector<uint8_t> List(std::initializer_list<uint8_t> ids) {
  std::vector<uint8_t> out{static_cast<uint8_t>(ids.size())};
  out.insert(out.end(), ids.begin(), ids.end());
  return out;
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, std::initializer_list<uint8_t> more) {
  a.insert(a.end(), more.begin(), more.end());
  a[0] = static_cast<uint8_t>(a.size() - 1);
  return a;
}

// The trend page's lists for a user with the main-force right.
const std::vector<uint8_t> kQuoteList1 = List({30, 11, 19, 1, 20, 70, 71, 47});
const std::vector<uint8_t> kQuoteList2 =
    List({10, 9,  2,  3,  4,  5,  17, 6,  8,  18, 74,  16,  7,  14,
          21, 75, 62, 27, 80, 83, 87, 93, 77, 99, 100, 102, 108});
const std::vector<uint8_t> kTrendBase = List({6, 7, 9, 10, 8, 20});
const std::vector<uint8_t> kMainForce = {14, 15, 16, 17, 18, 19};
const std::vector<uint8_t> kKLineList = List({11, 12, 13, 14, 15, 16, 17});

inline std::vector<uint8_t> TrendListFor(const tagLocalStockData& q, bool mainForce) {
  std::vector<uint8_t> l = kTrendBase;
  if (q.zqlb == 1) l = Concat(l, {21});
  if (q.zqlb == 30) l = Concat(l, {22, 23, 24});
  if (mainForce) l = Concat(l, {14, 15, 16, 17, 18, 19});
  return l;
}

inline int MinuteOf(const tagDateMin& d) {
  return static_cast<int>(d.Hour) * 60 + static_cast<int>(d.Minute);
}

struct Trend {
  std::vector<uint8_t> ids;  // the answer's own field list
  // The last answer from its field list on and its count, as the stores load it (its points
  // land at their minutes, up to the day's last).
  std::vector<uint8_t> records;
  int recordCount = 0;
  int count = 0;
  std::vector<tagLocalTrendData> pts;
  size_t bodySize = 0;  // the longest answer's
  int answers = 0;
};

struct KLine {
  int count = 0;
  std::vector<tagLocalKData> bars;
  size_t bodySize = 0;
};

// A quote-server connection that asks as the detail pages ask and reads the answers with the
// client's parsers; the suite shares one server at the trading day kDate.
class ChartClientTest : public ::testing::Test {
 protected:
  // How long an answer may take before a request counts as unanswered.
  static constexpr double kAnswerSeconds = 30;
  static void SetUpTestSuite() {
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = kDate;
    o.minute = 15 * 60;
    server_ = new testserver::TestServer(o);
    ASSERT_TRUE(server_->start());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    client_ = std::make_unique<TestClient>(server_->port(Role::Quote));
    ASSERT_TRUE(client_->connected());
  }

  Reply Ask(const uint8_t* buf, int len) {
    EXPECT_GT(len, 0);
    EXPECT_TRUE(client_->send(buf, len));
    // A past day's bars with their main force replay the day's trades, an index's all its
    // members': seconds under the sanitizers on a loaded machine.
    Reply r = client_->receiveReply(kAnswerSeconds);
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.error()) << r.errorText();
    return r;
  }

  // The snapshot as the client's quote cache merges it.
  tagLocalStockData Quote(uint8_t market, const char* code,
                          const std::vector<uint8_t>& list2 = kQuoteList2) {
    uint8_t buf[1024];
    Reply r = Ask(buf, MakeRequest_StockData(0, NextCode(), 13, market, code, kQuoteList1.data(),
                                             list2.data(), buf, sizeof buf));
    CQuoteCache cache;
    cache.Init();
    tagLocalStockData rec;
    std::memset(&rec, 0, sizeof rec);
    EXPECT_GE(cache.MergeOne(r.body.data(), r.body.size(), &rec), 0);
    return rec;
  }

  Trend TrendOf(const tagLocalStockData& q, const std::vector<uint8_t>& list) {
    uint8_t buf[1024];
    return Decode(q,
                  AskAll(buf, MakeRequest_Trendline(0, NextCode(), 13, q.market, q.code, 0,
                                                    list.data(), buf, sizeof buf)),
                  13, 9, 11, false);
  }

  Trend PastTrendOf(const tagLocalStockData& q, int8_t dayOffset,
                    const std::vector<uint8_t>& list) {
    uint8_t buf[1024];
    return Decode(q,
                  AskAll(buf, MakeRequest_HistTrendline(0, NextCode(), 13, q.market, q.code,
                                                        static_cast<uint8_t>(dayOffset), 0,
                                                        list.data(), buf, sizeof buf)),
                  29, 21, 27, true);
  }

  // Every answer to one request (a trend day may take several).
  std::vector<Reply> AskAll(const uint8_t* buf, int len) {
    EXPECT_GT(len, 0);
    std::vector<Reply> out = client_->askAll(buf, len, kAnswerSeconds);
    for (const Reply& r : out) EXPECT_FALSE(r.error()) << r.errorText();
    EXPECT_FALSE(out.empty());
    return out;
  }

  KLine KLineOf(const tagLocalStockData& q, uint8_t period, uint16_t count,
                const std::vector<uint8_t>& list) {
    uint8_t block[21] = {};
    block[0] = q.market;
    std::memcpy(block + 1, q.code, strnlen(q.code, 8));
    block[9] = 1;
    block[10] = period;
    WriteLE32(block + 15, 99991231);
    WriteLE16(block + 19, count);
    const uint8_t none[] = {0};
    uint8_t buf[1024];
    // A long answer comes in numbered parts, oldest bars first: they join into one series.
    const std::vector<Reply> answers = AskAll(
        buf, MakeRequest_KLine(0, NextCode(), 13, block, list.data(), list.data(), none, buf,
                               sizeof buf));
    KLine k;
    for (const Reply& r : answers) {
      k.bodySize = std::max(k.bodySize, r.body.size());
      if (r.body.size() < 21) continue;
      const int records = ReadLE16(r.body.data() + 11);
      std::vector<tagLocalKData> part(kKLineCapacity);
      std::memset(static_cast<void*>(part.data()), 0, part.size() * sizeof part[0]);
      EXPECT_EQ(
          Analy_15(r.body.data() + 21, r.body.size() - 21, q, records, part.data(), kKLineCapacity),
          records);
      k.bars.insert(k.bars.end(), part.begin(), part.begin() + std::clamp(records, 0, kKLineCapacity));
    }
    k.count = static_cast<int>(k.bars.size());
    return k;
  }

  // The answers as the chart takes them: each parsed on its own (its points land at their
  // minutes) and appended from its head's start, today's after the points already held, a past
  // day's at their own places. Every answer names the same fields.
  static Trend Decode(const tagLocalStockData& q, const std::vector<Reply>& answers, size_t head,
                      size_t startAt, size_t countAt, bool pastDay) {
    Trend t;
    std::vector<tagLocalTrendData> day(kTrendCapacity);
    for (const Reply& r : answers) {
      t.bodySize = std::max(t.bodySize, r.body.size());
      ++t.answers;
      if (r.body.size() <= head) {
        ADD_FAILURE() << "short trend answer";
        return t;
      }
      const uint8_t* list = r.body.data() + head;
      const std::vector<uint8_t> ids(list + 1, list + 1 + list[0]);
      if (t.answers == 1)
        t.ids = ids;
      else
        EXPECT_EQ(ids, t.ids) << "answer " << t.answers;
      const int start = ReadLE16(r.body.data() + startAt);
      const int records = ReadLE16(r.body.data() + countAt);
      t.records.assign(r.body.begin() + static_cast<std::ptrdiff_t>(head), r.body.end());
      t.recordCount = records;
      std::vector<tagLocalTrendData> parsed(kTrendCapacity);
      const int reach =
          AnalyTrendData(list, r.body.size() - head, q, records, parsed.data(), kTrendCapacity);
      EXPECT_EQ(reach, start + records) << "answer " << t.answers << " from " << start;
      const int at = pastDay ? start : t.count;
      EXPECT_EQ(at, start) << "answers follow each other";
      for (int i = 0; i < records && start + i < kTrendCapacity && at + i < kTrendCapacity; ++i)
        day[static_cast<size_t>(at + i)] = parsed[static_cast<size_t>(start + i)];
      t.count = std::max(t.count, at + records);
    }
    day.resize(static_cast<size_t>(t.count));
    t.pts = std::move(day);
    return t;
  }

  uint16_t NextCode() { return ++code_; }

  static inline testserver::TestServer* server_ = nullptr;
  std::unique_ptr<TestClient> client_;
  uint16_t code_ = 100;
};

}  // namespace chartclient
