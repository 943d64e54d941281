// The lists' sort codes as the bundle pairs them with their columns: a page sorted by a column's
// code comes in the order of the value that column shows, largest first with bit 7 clear (the
// falling arrow every list opens with) and smallest first with it set. The pages are read with
// the client's list parser.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "platform/foundation/PropertyList.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

namespace {

using testserver::Role;

// The value a column shows, by the column's field number.
using ShownValue = std::function<double(const tagLocalStockData&)>;
const std::map<int, ShownValue>& ShownValues() {
  static const std::map<int, ShownValue> kValues = {
      {1, [](const tagLocalStockData& q) { return q.yesterday; }},
      {2, [](const tagLocalStockData& q) { return q.open; }},
      {3, [](const tagLocalStockData& q) { return q.high; }},
      {4, [](const tagLocalStockData& q) { return q.low; }},
      {5, [](const tagLocalStockData& q) { return q.now; }},
      {6, [](const tagLocalStockData& q) { return static_cast<double>(q.volume); }},
      {7, [](const tagLocalStockData& q) { return static_cast<double>(q.amount); }},
      {14, [](const tagLocalStockData& q) { return q.lb; }},
      {15, [](const tagLocalStockData& q) { return q.hsl; }},
      {16, [](const tagLocalStockData& q) { return q.syl; }},
      {17, [](const tagLocalStockData& q) { return q.zd; }},
      {18, [](const tagLocalStockData& q) { return q.average; }},
      {23, [](const tagLocalStockData& q) { return q.zf; }},
      {24, [](const tagLocalStockData& q) { return q.swing; }},
      {25, [](const tagLocalStockData& q) { return q.sjl; }},
      {26, [](const tagLocalStockData& q) { return q.zs_5M; }},
      {40, [](const tagLocalStockData& q) { return q.index_wb; }},
      {62, [](const tagLocalStockData& q) { return static_cast<double>(q.in); }},
      {72, [](const tagLocalStockData& q) { return q.buysell10.buy[0].price; }},
      {73, [](const tagLocalStockData& q) { return q.buysell10.sell[0].price; }},
      {75, [](const tagLocalStockData& q) { return static_cast<double>(q.out); }},
      {84, [](const tagLocalStockData& q) { return static_cast<double>(q.ltsz); }},
      {85, [](const tagLocalStockData& q) { return static_cast<double>(q.zsz); }},
      {101, [](const tagLocalStockData& q) { return q.MMQ; }},
      {102, [](const tagLocalStockData& q) { return q.ZLZJ; }},
      {103, [](const tagLocalStockData& q) { return q.RZJ5; }},
      {104, [](const tagLocalStockData& q) { return q.RZJ10; }},
      {105, [](const tagLocalStockData& q) { return q.RZJ20; }},
      {106, [](const tagLocalStockData& q) { return q.RNH10; }},
      {107, [](const tagLocalStockData& q) { return q.ZLLH; }},
      {163, [](const tagLocalStockData& q) { return q.ZRJSJ; }},
      {501, [](const tagLocalStockData& q) { return static_cast<double>(q.JRCCS.jrccl); }},
      {502,
       [](const tagLocalStockData& q) {
         return static_cast<double>(q.JRCCS.jrccl) - static_cast<double>(q.JRCCS.zrccl);
       }},
      {503, [](const tagLocalStockData& q) { return q.JRCCS.jrjsj; }},
      {504, [](const tagLocalStockData& q) { return static_cast<double>(q.JRCCS.zrccl); }},
      {505, [](const tagLocalStockData& q) { return static_cast<double>(q.KPC[0]); }},
      {507, [](const tagLocalStockData& q) { return static_cast<double>(q.XKP[0]); }},
  };
  return kValues;
}

// The lists' own head fields (names, types, price decimals) and every field a column shows (the
// futures columns come with the open-interest groups).
std::vector<uint8_t> AskedFields() {
  std::vector<uint8_t> l{0, 30, 10, 9, 11, 21, 19, 31, 8, 160, 161, 162};
  for (const auto& entry : ShownValues())
    if (entry.first < 256 && entry.first != 160) l.push_back(static_cast<uint8_t>(entry.first));
  l[0] = static_cast<uint8_t>(l.size() - 1);
  return l;
}

struct Column {
  std::string name;
  int sortCode = 0;
  int field = 0;
};

std::vector<Column> Columns(const foundation::Value& config, const char* key) {
  std::vector<Column> out;
  const foundation::Value& list = config[key];
  for (size_t i = 0; i < list.size(); ++i) {
    const foundation::Value& c = list.at(i);
    out.push_back({c["Name"].toString(), static_cast<int>(c["SortType"].toInt()),
                   static_cast<int>(c["FieldNo"].toInt())});
  }
  return out;
}

class SortOrder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = 20151217;
    o.minute = 14 * 60;
    server_ = new testserver::TestServer(o);
    ASSERT_TRUE(server_->start());
    const auto read = foundation::PropertyList::readFile(std::string(VERDAN_SOURCE_DIR) +
                                                         "/resources/Config.plist");
    ASSERT_TRUE(read.ok()) << read.error;
    config_ = new foundation::Value(read.value);
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    delete config_;
    config_ = nullptr;
  }

  // One page of a list sorted by `sortByte`, as the client's cache holds its rows.
  std::vector<tagLocalStockData> Page(uint8_t market, uint8_t type, uint8_t sortByte) {
    TestClient c(server_->port(Role::Quote));
    EXPECT_TRUE(c.connected());
    const uint8_t block[7] = {market, type, sortByte, 0, 0, 30, 0};
    const uint8_t none[] = {0};
    const std::vector<uint8_t> fields = AskedFields();
    uint8_t buf[1024];
    const int len = MakeRequest_Sort(0, 17, 17, block, none, fields.data(), buf, sizeof buf);
    EXPECT_TRUE(c.send(buf, len));
    Reply r = c.receiveReply();
    EXPECT_TRUE(r.ok);
    CQuoteCache cache;
    cache.Init();
    tagCodeItem items[30];
    uint8_t head[9];
    const int n = cache.ParseListReply(r.body.data(), r.body.size(), items, 30, head);
    std::vector<tagLocalStockData> rows(static_cast<size_t>(std::max(n, 0)));
    if (n > 0) {
      EXPECT_EQ(cache.GetQuotes(rows.data(), items, n), n);
    }
    return rows;
  }

  // The rows of each direction follow the column's value: bit 7 clear largest first.
  void ExpectSorted(uint8_t market, uint8_t type, const Column& col) {
    SCOPED_TRACE(testing::Message() << col.name << " code " << col.sortCode << " field "
                                    << col.field << " list " << int(market) << "/" << int(type));
    const auto shown = ShownValues().find(col.field);
    ASSERT_NE(shown, ShownValues().end());
    for (bool smallestFirst : {false, true}) {
      const uint8_t byte =
          static_cast<uint8_t>(smallestFirst ? (col.sortCode | 0x80) : (col.sortCode & 0x7f));
      const std::vector<tagLocalStockData> rows = Page(market, type, byte);
      ASSERT_GE(rows.size(), 3u);
      bool varies = false;
      for (size_t i = 1; i < rows.size(); ++i) {
        const double a = shown->second(rows[i - 1]), b = shown->second(rows[i]);
        varies = varies || a != b;
        if (smallestFirst)
          EXPECT_LE(a, b) << "row " << i << " " << rows[i].code;
        else
          EXPECT_GE(a, b) << "row " << i << " " << rows[i].code;
      }
      EXPECT_TRUE(varies) << "every row shows the same value";
    }
  }

  static inline testserver::TestServer* server_ = nullptr;
  static inline foundation::Value* config_ = nullptr;
};

TEST_F(SortOrder, ListsOpenByTheMarkedColumnLargestFirst) {
  // The quote lists open with sort code 1 under their first column, the main-force lists with
  // code 9 under their second.
  const std::vector<Column> quotes = Columns(*config_, "RankParams");
  const std::vector<Column> mainForce = Columns(*config_, "MainSortParams");
  const std::vector<Column> boards = Columns(*config_, "BoardParams");
  ASSERT_GE(quotes.size(), 1u);
  ASSERT_GE(mainForce.size(), 2u);
  ASSERT_GE(boards.size(), 1u);
  EXPECT_EQ(quotes[0].sortCode, 1);
  EXPECT_EQ(boards[0].sortCode, 1);
  EXPECT_EQ(mainForce[1].sortCode, 9);
  for (auto [market, type] : {std::pair<uint8_t, uint8_t>{100, 2},
                              {1, 2},
                              {2, 2},
                              {100, 4},
                              {2, 8},
                              {3, 10},
                              {3, 12},
                              {16, 0}})
    ExpectSorted(market, type, quotes[0]);
  ExpectSorted(9, 0, boards[0]);
  for (auto [market, type] : {std::pair<uint8_t, uint8_t>{100, 2}, {3, 10}})
    ExpectSorted(market, type, mainForce[1]);
}

TEST_F(SortOrder, EveryColumnSortsByWhatItShowsBothWays) {
  struct ListOf {
    const char* key;
    uint8_t market, type;
  };
  const ListOf lists[] = {{"RankParams", 100, 2}, {"MainSortParams", 100, 2}, {"BoardParams", 9, 0},
                          {"DPParams", 1, 2},     {"GZQHParams", 6, 0},       {"GWQHParams", 6, 0},
                          {"QQZSParams", 10, 1},  {"GJWHParams", 5, 90},      {"RankParams", 3, 10},
                          {"RankParams", 3, 14}};
  // (Hong Kong 3/14, the bull/bear list: most of its rows have not traded yet.)
  for (const ListOf& l : lists) {
    const std::vector<Column> columns = Columns(*config_, l.key);
    ASSERT_FALSE(columns.empty()) << l.key;
    for (const Column& c : columns) {
      // Each code names one column: no two columns of a list share it.
      for (const Column& other : columns)
        if (&other != &c) {
          EXPECT_NE(other.sortCode, c.sortCode) << l.key << " " << c.name;
        }
      ASSERT_GT(c.sortCode, 0) << l.key << " " << c.name;
      ASSERT_LT(c.sortCode, 128) << l.key << " " << c.name;
      ExpectSorted(l.market, l.type, c);
    }
  }
}

}  // namespace
