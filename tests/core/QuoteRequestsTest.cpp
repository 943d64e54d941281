// The quote family: packed bodies byte for byte, the capped list, the search field sets, the
// broker-seat table and the watch-list upload text.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/ClientVersion.h"
#include "core/CoreState.h"
#include "core/QuoteRequests.h"
#include "tests/core/RequestTestSupport.h"

using namespace reqtest;

namespace {

const uint8_t kList2[] = {2, 1, 30};
const uint8_t kList3[] = {3, 5, 6, 7};
const uint8_t kEmpty[] = {0};

std::vector<uint8_t> Code8(const char* code) {
  std::vector<uint8_t> out(8, 0);
  for (size_t i = 0; i < 8 && code[i]; ++i) out[i] = static_cast<uint8_t>(code[i]);
  return out;
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct PackedCase {
  const char* name;
  std::function<int(uint8_t*, int)> build;  // value 0x123456, code 77, page 9
  uint8_t child;
  std::vector<uint8_t> body;
};

TEST(QuoteRequests, PackedBodiesAndHeadersByBuilder) {
  uint8_t items[2 * kStockItemSize];
  FillStockItem(items, 1, "600000");
  FillStockItem(items + kStockItemSize, 2, "12345678X");  // cut to 8, no terminator
  uint8_t sortBlock[7] = {101, 1, 0x85, 0x10, 0x00, 0x14, 0x00};
  uint8_t board[53] = {};
  board[0] = 'B';
  board[8] = 3;
  board[13] = 1;
  uint8_t kline[21] = {};
  kline[0] = 1;
  kline[20] = 196;
  const std::vector<uint8_t> boardBytes(board, board + 53), klineBytes(kline, kline + 21);

  const PackedCase cases[] = {
      {"StockData",
       [&](uint8_t* b, int n) {
         return MakeRequest_StockData(0x123456, 77, 9, 1, "600000", kList2, kEmpty, b, n);
       },
       10, Cat({B({1}), Code8("600000"), B({2, 1, 30, 0})})},
      {"StockList",
       [&](uint8_t* b, int n) {
         return MakeRequest_StockList(0x123456, 77, 9, items, 2, kList2, kList3, b, n);
       },
       12,
       Cat({B({2, 0, 1}), Code8("600000"), B({2}), Code8("12345678"), B({2, 1, 30}),
            B({3, 5, 6, 7})})},
      {"DealDetail",
       [&](uint8_t* b, int n) {
         return MakeRequest_DealDetail(0x123456, 77, 9, 2, "000001", 20, kList3, b, n);
       },
       14, Cat({B({2}), Code8("000001"), B({20, 0, 3, 5, 6, 7})})},
      {"Sort",
       [&](uint8_t* b, int n) {
         return MakeRequest_Sort(0x123456, 77, 9, sortBlock, kEmpty, kList2, b, n);
       },
       17, Cat({B({101, 1, 0x85, 0x10, 0, 0x14, 0}), B({0, 2, 1, 30})})},
      {"BKSort",
       [&](uint8_t* b, int n) { return MakeRequest_BKSort(0x123456, 77, 9, board, kList2, b, n); },
       24, Cat({boardBytes, B({2, 1, 30})})},
      {"KLine",
       [&](uint8_t* b, int n) {
         return MakeRequest_KLine(0x3456, 77, 9, kline, kList2, kEmpty, kList3, b, n);
       },
       32, Cat({klineBytes, B({2, 1, 30, 0, 3, 5, 6, 7})})},
      {"Trendline",
       [&](uint8_t* b, int n) {
         return MakeRequest_Trendline(0x123456, 77, 9, 3, "00700", 0x0102, kList2, b, n);
       },
       33, Cat({B({3}), Code8("00700"), B({2, 1, 2, 1, 30})})},
      {"HistTrendline",
       [&](uint8_t* b, int n) {
         return MakeRequest_HistTrendline(0x123456, 77, 9, 1, "600000", 4, 20151217, kList2, b, n);
       },
       34, Cat({B({1}), Code8("600000"), B({4, 0xB1, 0x7B, 0x33, 0x01, 2, 1, 30})})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> buffer(1024, 0);
    int length = c.build(buffer.data(), static_cast<int>(buffer.size()));
    ASSERT_EQ(length, static_cast<int>(16 + c.body.size()));
    buffer.resize(static_cast<size_t>(length));
    uint32_t value = std::string(c.name) == "KLine" ? 0x3456 : 0x123456;
    ExpectHeader(buffer, 145, c.child, 9, value, 77, 0);
    EXPECT_EQ(ReadHeader(buffer).compression(), 0);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 16, buffer.end()), c.body);

    // Too small a buffer is refused rather than overrun.
    std::vector<uint8_t> small(16 + c.body.size() - 1, 0);
    EXPECT_EQ(c.build(small.data(), static_cast<int>(small.size())), -2);
  }
}

TEST(QuoteRequests, StockDataExampleAndKLineValueSignExtends) {
  uint8_t buffer[64] = {};
  const uint8_t list[] = {2, 1, 0x1E};
  EXPECT_EQ(MakeRequest_StockData(0, 1, 0, 1, "600000", list, kEmpty, buffer, 64), 29);
  uint8_t block[21] = {};
  MakeRequest_KLine(-1, 5, 0, block, kEmpty, kEmpty, kEmpty, buffer, 64);
  EXPECT_EQ(buffer[8], 0xFF);
  EXPECT_EQ(buffer[9], 0xFF);
  EXPECT_EQ(buffer[10], 0xFF);
  EXPECT_EQ(buffer[11], 0);  // page stays
}

TEST(QuoteRequests, SearchBodyFollowsTheTwoRightsFlags) {
  struct {
    bool f3, f16;
    std::vector<uint8_t> ids;
  } rows[] = {
      {true, true, B({1, 2, 3, 4, 5, 6, 7, 9, 10, 16})},
      {false, true, B({1, 2, 4, 5, 6, 7, 9, 10, 16})},
      {true, false, B({1, 2, 3, 4, 5, 6, 7, 9, 10})},
      {false, false, B({1, 2, 4, 5, 6, 7, 9, 10})},
  };
  for (auto& row : rows) {
    std::vector<uint8_t> buffer(1024, 0);
    int length = MakeRequest_SearchStock(0, 3, 11, "ZGPA", buffer.data(), 1024, row.f3, row.f16);
    ASSERT_EQ(length, 16 + 74);
    buffer.resize(static_cast<size_t>(length));
    ExpectHeader(buffer, 145, 11, 11, 0, 3, 0);
    std::vector<uint8_t> expected = Cat({Code8("ZGPA"), B({1, static_cast<int>(row.ids.size())})});
    std::vector<uint8_t> area(64, 0);
    std::copy(row.ids.begin(), row.ids.end(), area.begin());
    expected = Cat({expected, area});
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 16, buffer.end()), expected);
  }
}

TEST(QuoteRequests, CappedStockListNeverWrapsItsCount) {
  std::vector<uint8_t> items(20 * kStockItemSize, 0x31);
  const uint8_t list[] = {3, 1, 2, 3};
  struct {
    int size, count, written;
  } rows[] = {
      {100, 10, 9},  // fit 10: a count of fit or more becomes fit - 1
      {100, 15, 9}, {100, 9, 9},
      {100, 0, 0},  {14, 3, 0},  // fit 0: nothing fits; 0 items, not 65535
      {6, 3, 0},                 // room for the head and the list only
      {5, 3, -2},                // not even the head and the list fit
  };
  for (auto& row : rows) {
    std::vector<uint8_t> out(static_cast<size_t>(row.size), 0xEE);
    int length = PackCappedStockList(items.data(), row.count, list, out.data(), row.size);
    if (row.written < 0) {
      EXPECT_EQ(length, -2);
      continue;
    }
    ASSERT_EQ(length, 2 + 9 * row.written + 4) << row.size << "/" << row.count;
    EXPECT_EQ(out[0] | out[1] << 8, row.written);
    EXPECT_EQ(out[2 + 9 * row.written], 3);
  }
}

TEST(QuoteRequests, BrokerSeatQueryIsAOneFieldTable) {
  std::vector<uint8_t> buffer(1024, 0);
  int length = MakeRequest_HKJJSInfo(0, 12, 8, "1234", buffer.data(), 1024);
  ASSERT_GT(length, 16);
  buffer.resize(static_cast<size_t>(length));
  ExpectHeader(buffer, 145, 8, 8, 0, 12, 0);
  EXPECT_EQ(ReadOneRecord(OpenBody(buffer, nullptr)), (std::vector<WireField>{Text(26, "1234")}));

  // A text that is not ASCII leaves the field out; a text too long for 1008 bytes is refused.
  buffer.assign(1024, 0);
  length = MakeRequest_HKJJSInfo(0, 12, 8, "\xE5\xB8\xAD", buffer.data(), 1024);
  buffer.resize(static_cast<size_t>(length));
  EXPECT_EQ(buffer.size(), 16u + 7u);
  std::string huge(1200, 'a');
  buffer.assign(1024, 0);
  EXPECT_EQ(MakeRequest_HKJJSInfo(0, 12, 8, huge.c_str(), buffer.data(), 1024), -2);
}

TEST(QuoteRequests, WatchListUploadCarriesItsPairsAndIsCut) {
  SetQSID("QS12345678");
  std::vector<uint8_t> buffer(8192, 0);
  int64_t time = (static_cast<int64_t>(20151217) << 32) | 93000;
  int length =
      MakeRequest_53(0, 40, 12, "alice", 1, "1,600000;2,000001", time, buffer.data(), 8192);
  ASSERT_GT(length, 16);
  buffer.resize(static_cast<size_t>(length));
  ExpectHeader(buffer, 145, 53, 12, 0, 40, 0);
  std::vector<uint8_t> body = OpenBody(buffer, nullptr);
  std::string expected = std::string("1\x01") + "1" +
                         "\x02"
                         "2\x01"
                         "alice"
                         "\x02"
                         "3\x01" +
                         "20151217 093000" +
                         "\x02"
                         "4\x01"
                         "1,600000;2,000001"
                         "\x02"
                         "6\x01" +
                         kClientVersionText +
                         "\x02"
                         "7\x01"
                         "4"
                         "\x02"
                         "8\x01"
                         "0"
                         "\x02" +
                         "9\x01"
                         "QS1234567";
  EXPECT_EQ(std::string(body.begin(), body.end()), expected);

  // A text beyond the local packet is sent cut to 8175 bytes.
  std::string list(9000, '7');
  buffer.assign(9000, 0);
  length = MakeRequest_53(0, 41, 12, "alice", 1, list.c_str(), time, buffer.data(), 9000);
  buffer.resize(static_cast<size_t>(length));
  EXPECT_EQ(ReadHeader(buffer).compression(), 1);  // a repetitive text shrinks
  EXPECT_EQ(OpenBody(buffer, nullptr).size(), 8175u);
  // The caller's buffer receives at most its size.
  std::vector<uint8_t> small(40, 0);
  EXPECT_EQ(MakeRequest_53(0, 41, 12, "alice", 1, "x", time, small.data(), 40), 40);
}

TEST(QuoteRequests, MarketTexts) {
  EXPECT_STREQ(MarketText(1), "SH");
  EXPECT_STREQ(MarketText(2), "SZ");
  EXPECT_STREQ(MarketText(3), "HK");
  EXPECT_STREQ(MarketText(4), "  ");
  EXPECT_STREQ(MarketText(0), "  ");
}

}  // namespace
