// What each page of the detail pager asks the quote server for.
#include "tests/detail/DetailTestSupport.h"

#include "core/CoreConfig.h"

namespace detailtest {
namespace {

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The body of a quote request: key, list 1, list 2.
std::vector<uint8_t> QuoteBody(uint8_t market, const char* code, const std::vector<uint8_t>& l1,
                               const std::vector<uint8_t>& l2) {
  return Keyed(market, code, Cat(l1, l2));
}

// Trend, tick and past-day trend bodies put a u16 (or u8 + u32) between key and list.
std::vector<uint8_t> CountedBody(uint8_t market, const char* code, uint16_t value,
                                 const std::vector<uint8_t>& list) {
  return Keyed(market, code,
               Cat({static_cast<uint8_t>(value & 0xff), static_cast<uint8_t>(value >> 8)}, list));
}

void ExpectPacket(const Packet& packet, uint8_t child, int32_t slotCode,
                  const std::vector<uint8_t>& body) {
  EXPECT_EQ(packet.header.MainType, kMainTypeQuote);
  EXPECT_EQ(packet.header.ChildType, child);
  EXPECT_EQ(packet.header.PageID, 13);
  EXPECT_EQ(packet.header.RequestCode, slotCode);
  EXPECT_EQ(packet.body, body) << "child " << int(child);
}

using RequestTest = DetailTest;

TEST_F(RequestTest, TrendPageOfAStockAnIndexAndAFuturesContractInOnePush) {
  // A Shanghai stock with right 30: quote, trend and ticks.
  Open("600000", 1, 2);
  auto sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 3u);
  const auto l1 = Ids({30, 11, 19, 1, 20, 70, 71, 47});
  ExpectPacket(
      sent[0].packets[0], 10, pager->requestCode(kSlotQuote),
      QuoteBody(1, "600000", l1, Ids({10, 9,  2,  3,  4,  5,  17, 6,  8,  18, 74,  16,  7,  14,
                                      21, 75, 62, 27, 80, 83, 87, 93, 40, 77, 99, 100, 102, 108})));
  ExpectPacket(sent[0].packets[1], 33, pager->requestCode(kSlotTrend),
               CountedBody(1, "600000", 0, Ids({6, 7, 9, 10, 8, 20, 14, 15, 16, 17, 18, 19})));
  ExpectPacket(sent[0].packets[2], 14, pager->requestCode(kSlotTicks),
               CountedBody(1, "600000", 20, Ids({1, 2, 3, 4})));
  EXPECT_NE(pager->requestCode(kSlotQuote), pager->requestCode(kSlotTrend));

  // A Shenzhen index without right 30: no ticks, index ids, no main-force ids.
  ParseRightsList("31");
  Open("399001", 2, 1);
  sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 2u);
  ExpectPacket(
      sent[0].packets[0], 10, pager->requestCode(kSlotQuote),
      QuoteBody(2, "399001", l1, Ids({10, 9,  2,  3,  4,  5,  17, 6,  8,  18, 74, 16, 7,
                                      14, 21, 75, 62, 27, 40, 41, 42, 43, 44, 84, 85, 47})));
  ExpectPacket(sent[0].packets[1], 33, pager->requestCode(kSlotTrend),
               CountedBody(2, "399001", 0, Ids({6, 7, 9, 10, 8, 20, 21})));

  // A futures contract: futures ids in quote and trend lists.
  Open("IF2612", 6, 0);
  sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 3u);
  EXPECT_EQ(sent[0].packets[0].body.back(), 163);
  ExpectPacket(sent[0].packets[1], 33, pager->requestCode(kSlotTrend),
               CountedBody(6, "IF2612", 0, Ids({6, 7, 9, 10, 8, 20, 22, 23, 24})));
}

TEST_F(RequestTest, KLineDetailTenLevelAndRadarPages) {
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  ASSERT_TRUE(pager->hasPage(kPageHK10));

  pushes.clear();
  pager->updateDataForSubPage(kPageKLine);
  auto sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 2u);
  ExpectPacket(sent[0].packets[0], 10, pager->requestCode(kSlotQuote),
               QuoteBody(3, "00700", Ids({30, 11, 19, 1, 20}),
                         Ids({10, 9, 5, 31, 17, 6, 8, 21, 2, 3, 4, 7})));
  std::vector<uint8_t> block = Keyed(3, "00700", {1, 1, 0, 0, 0, 0});
  uint8_t end[4];
  WriteLE32(end, 99991231);
  block.insert(block.end(), end, end + 4);
  block.push_back(196);
  block.push_back(0);
  const auto bars = Ids({11, 12, 13, 14, 15, 16, 17, 10, 20, 24, 22, 23});
  ExpectPacket(sent[0].packets[1], 32, pager->requestCode(kSlotKLine),
               Cat(Cat(Cat(block, bars), bars), Ids({1, 2, 3, 4, 5, 6, 7, 10})));

  // The landscape screen's period command: week carries an empty ex-rights list.
  pushes.clear();
  foundation::NotificationCenter::defaultCenter().post(
      "TrendCommand", nullptr, foundation::Dictionary{{"Command_ID", "Week"}});
  sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 2u);
  EXPECT_EQ(sent[0].packets[1].body[10], 2);
  EXPECT_EQ(sent[0].packets[1].body.back(), 0);
  pushes.clear();
  foundation::NotificationCenter::defaultCenter().post(
      "TrendCommand", nullptr, foundation::Dictionary{{"Command_ID", "Year"}});
  EXPECT_TRUE(CenterPushes().empty());

  pager->updateDataForSubPage(kPageMainForce);
  sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 2u);
  ExpectPacket(
      sent[0].packets[0], 10, pager->requestCode(kSlotQuote),
      QuoteBody(3, "00700", Ids({19, 11, 30, 1}), Ids({9,  10, 2,  3,  4,  5,  31, 6,  8,  7,  17,
                                                       74, 21, 75, 62, 27, 95, 96, 97, 98, 110})));
  ExpectPacket(sent[0].packets[1], 14, pager->requestCode(kSlotTicks),
               CountedBody(3, "00700", 20, Ids({1, 2, 3, 4})));

  pushes.clear();
  pager->updateDataForSubPage(kPageHK10);
  sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 1u);
  ExpectPacket(sent[0].packets[0], 10, pager->requestCode(kSlotQuote),
               QuoteBody(3, "00700", Ids({30, 11, 19, 1, 20, 70, 71}),
                         Ids({10, 9, 2, 3, 4, 5, 31, 17, 6, 8, 7, 14, 21, 18, 76, 79})));

  pushes.clear();
  pager->updateDataForSubPage(kPageRadar);
  sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].packets.size(), 1u);
  const Packet& radar = sent[0].packets[0];
  EXPECT_EQ(radar.header.ChildType, 81);
  EXPECT_EQ(radar.header.RequestCode, pager->requestCode(kSlotRadar));
  MDBF table;
  ASSERT_GT(table.Parse(radar.body.data(), static_cast<int>(radar.body.size())), 0);
  table.Seek(0);
  EXPECT_EQ(table.GetNSString(0), std::string("\x14\x15\x16\x17"));
  EXPECT_EQ(table.GetInt(26), 3);
  EXPECT_EQ(table.GetNSString(27), "00700");
  EXPECT_EQ(table.GetInt(28), 0);
  EXPECT_EQ(table.GetInt(29), 50);

  // Broker seats: an empty text asks nothing and keeps the slot.
  pushes.clear();
  const int32_t seatSlot = pager->requestCode(kSlotSeat);
  pager->RequestHKJJSInfo("");
  EXPECT_TRUE(CenterPushes().empty());
  EXPECT_EQ(pager->requestCode(kSlotSeat), seatSlot);
  pager->RequestHKJJSInfo("1234");
  ASSERT_EQ(CenterPushes().size(), 1u);
  EXPECT_EQ(CenterPushes()[0].packets[0].header.ChildType, 8);
  EXPECT_NE(pager->requestCode(kSlotSeat), seatSlot);
}

TEST_F(RequestTest, FuturesTicksAndPastDayTrendsUseTheirOwnSlots) {
  Open("IF2612", 6, 0);
  pushes.clear();
  pager->RequestFenBiDataDetail();
  auto sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  ExpectPacket(sent[0].packets[0], 14, pager->requestCode(kSlotFuturesTicks),
               CountedBody(6, "IF2612", 20, Ids({1, 2, 3, 4, 7, 8})));
  pushes.clear();
  CacheQuote(6, "IF2612", 40000000, 20261207);
  pager->RequestDataTrendline();
  EXPECT_EQ(pager->dateReqHist(), 20261207);
  pushes.clear();
  pager->TrendlineReqPeriodRange(3);
  sent = CenterPushes();
  ASSERT_EQ(sent.size(), 1u);
  const Packet& hist = sent[0].packets[0];
  EXPECT_EQ(hist.header.ChildType, 34);
  EXPECT_EQ(hist.header.RequestCode, pager->requestCode(kSlotHist3));
  EXPECT_EQ(static_cast<int8_t>(hist.body[9]), -3);
  EXPECT_EQ(ReadLE32(hist.body.data() + 10), 20261207u);
}

TEST_F(RequestTest, EveryAppearanceAsksThePriceAlertSettingUnderAFreshCode) {
  Open("600000", 1, 2);
  const int32_t first = pager->requestCode(kSlotPriceAlert);
  EXPECT_GT(first, 0);
  pager->viewWillAppear(false);
  EXPECT_GT(pager->requestCode(kSlotPriceAlert), 0);
  EXPECT_NE(pager->requestCode(kSlotPriceAlert), first);
}

TEST_F(RequestTest, HongKongQuoteLevelsDecideTheDelayNoteAndTheTenLevelPage) {
  ParseRightsList("30,31");
  Open("00700", 3, 2);
  EXPECT_EQ(pager->title(), "走势图-延时15分钟");
  EXPECT_FALSE(pager->hasPage(kPageHK10));
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  EXPECT_EQ(pager->title(), "走势图");
  EXPECT_TRUE(pager->hasPage(kPageHK10));
  EXPECT_EQ(pager->menuTitleOf(kPageHK10), "十档");
}

TEST_F(RequestTest, F10AddressNamesTheMarketAndRotatesOverTheInformationServers) {
  Open("000001", 2, 2);
  CDataIP* servers = GetServerList(3);
  ASSERT_NE(servers, nullptr);
  servers->Clear();
  EXPECT_EQ(pager->getRequestPageAddr("000001", 2), "");
  GetMainConfig().WriteStringLocked("info", "F10_ip", "/f10/index.html");
  servers->AddIP("10.0.0.1:80|电信");
  servers->AddIP("10.0.0.2:80|联通");
  servers->Reset();
  const std::string a = pager->getRequestPageAddr("000001", 2);
  const std::string b = pager->getRequestPageAddr("00700", 3);
  const std::string c = pager->getRequestPageAddr("600000", 1);
  EXPECT_EQ(a, "http://10.0.0.1:80/f10/index.html?key=000001,sz");
  EXPECT_EQ(b, "http://10.0.0.2:80/f10/index.html?key=00700,hk");
  EXPECT_EQ(c, "http://10.0.0.1:80/f10/index.html?key=600000,sh");
  servers->Clear();
}

}  // namespace
}  // namespace detailtest
