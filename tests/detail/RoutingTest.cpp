// How replies and pushes reach the pages of the detail pager, and what it refuses.
#include "tests/detail/DetailTestSupport.h"

namespace detailtest {
namespace {

using RoutingTest = DetailTest;

std::vector<uint8_t> U16(uint16_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
}

TEST_F(RoutingTest, QuoteRepliesAndPushesReachTheShownPageUntilTheSecurityChanges) {
  CacheQuote(1, "600000", 105000, 20261207);
  Open("600000", 1, 2);
  auto* trend = Page<RecordingTrendPage>(kTagTrendPage);
  ASSERT_NE(trend, nullptr);
  const int before = trend->log.quotes;
  const int historyBefore = GetSearchHistory().GetCount();
  Quote(10, kSlotQuote, {});
  ASSERT_EQ(trend->log.quotes, before + 1);
  EXPECT_EQ(trend->log.quoteFlag, 1);
  tagLocalStockData cached{};
  QuoteCache_GetQuote(cached, 1, "600000");
  EXPECT_EQ(trend->log.quote.now, cached.now);
  EXPECT_NE(cached.now, 0);
  EXPECT_EQ(trend->chart.redraws, 1);
  Quote(10, kSlotQuote, {}, 2);
  EXPECT_EQ(trend->log.quoteFlag, 2);
  EXPECT_EQ(pager->stockNameText(), "");
  EXPECT_EQ(pager->stockCodeText(), "600000");
  // The search history holds the security once.
  int held = 0;
  for (const auto& entry : GetSearchHistory().GetArray())
    if (entry.StockCode == "600000" && entry.Market == 1) ++held;
  EXPECT_EQ(held, 1);
  EXPECT_LE(GetSearchHistory().GetCount(), historyBefore + 1);
  // An error answer does nothing; nor does a code of another request.
  Quote(10, kSlotQuote, {}, 1, true);
  Post("TrendLine", kMainTypeQuote, 10, static_cast<uint16_t>(pager->requestCode(kSlotQuote) + 1),
       {}, 2);
  EXPECT_EQ(trend->log.quotes, before + 2);

  // After a switch the old subscription's push is dropped.
  const uint16_t old = static_cast<uint16_t>(pager->requestCode(kSlotQuote));
  pager->UpdateStockInfo("000002", 2, 2);
  EXPECT_EQ(pager->updates(), 1);
  EXPECT_EQ(trend->log.quoteFlags.back(), 0);  // shown from the cache with flag 0
  const int afterSwitch = trend->log.quotes;
  Post("TrendLine", kMainTypeQuote, 10, old, {}, 2);
  EXPECT_EQ(trend->log.quotes, afterSwitch);
  // The same security again changes nothing.
  pager->UpdateStockInfo("000002", 2, 2);
  EXPECT_EQ(pager->updates(), 1);
}

TEST_F(RoutingTest, StockCodesAreBoundedAndRefusedWhenUnusable) {
  Open("600000", 1, 2);
  pager->SetStockInfo("1234567890", 1, 2);
  EXPECT_STREQ(pager->stockCode(), "600000");
  pager->UpdateStockInfo("60\xe4\xb8\x80", 1, 2);
  EXPECT_STREQ(pager->stockCode(), "600000");
  pager->SearchDone(nullptr, 1, "x", 2);
  pager->SearchDone("", 2, "x", 2);
  EXPECT_STREQ(pager->stockCode(), "600000");
  EXPECT_EQ(pager->marketType(), 1);
  // Nine characters are the most a code holds.
  pager->SearchDone("123456789", 16, "长代码", 2);
  EXPECT_STREQ(pager->stockCode(), "123456789");
  EXPECT_EQ(pager->nameLabel()->text(), "长代码");
}

TEST_F(RoutingTest, TrendKLineAndTickHeadsCountWhatWasParsed) {
  Open("600000", 1, 2);
  auto* trend = Page<RecordingTrendPage>(kTagTrendPage);
  auto* kline = Page<RecordingKLinePage>(kTagKLinePage);
  ASSERT_NE(kline, nullptr);
  // A trend answer claiming 5000 points with none behind the head.
  std::vector<uint8_t> body = Keyed(1, "600000", {0, 0});
  auto count = U16(5000);
  body.insert(body.end(), count.begin(), count.end());
  body.push_back(0);  // empty field list
  Quote(33, kSlotTrend, body);
  EXPECT_EQ(trend->chart.trendCalls, 1);
  EXPECT_LE(trend->chart.trend.size(), 0u);
  // Shorter than its head: dropped.
  Quote(33, kSlotTrend, Keyed(1, "600000", {0}));
  EXPECT_EQ(trend->chart.trendCalls, 1);

  // Ticks: a head claiming 20 records with two behind it hands on two.
  pager->updateDataForSubPage(kPageMainForce);
  auto* detail = Page<DetailView>(kTagDetailPage);
  ASSERT_NE(detail, nullptr);
  std::vector<uint8_t> ticks = Keyed(1, "600000", U16(20));
  ticks.resize(ticks.size() + 22 + 5, 7);
  Quote(14, kSlotTicks, ticks);
  EXPECT_EQ(int{trend->log.tickHead.count}, 2);
  EXPECT_EQ(trend->log.ticks.size(), 22u);
  Quote(14, kSlotTicks, Keyed(1, "600000", {20}));
  EXPECT_EQ(trend->log.tickCalls, 1);

  // K-line: an answer in numbered parts is given to the page once, whole, when its last part
  // is in; a part without the one before is none of it. Counts never pass the bars.
  pager->updateDataForSubPage(kPageKLine);
  std::vector<uint8_t> kbody = Keyed(1, "600000", {1, 1});
  auto bars = U16(900);
  kbody.insert(kbody.end(), bars.begin(), bars.end());
  kbody.resize(kbody.size() + 8, 0);
  kbody.push_back(0);
  Quote(32, kSlotKLine, kbody, 1, false, 0, 2);
  EXPECT_TRUE(kline->kline.pushes.empty());
  Quote(32, kSlotKLine, kbody, 1, false, 1, 2);
  ASSERT_EQ(kline->kline.pushes, std::vector<uint16_t>{1});
  EXPECT_LE(kline->kline.head[11] | (kline->kline.head[12] << 8), 400);
  Quote(32, kSlotKLine, kbody, 1, false, 1, 2);
  Quote(32, kSlotKLine, Keyed(1, "600000", {1, 1, 1}));
  EXPECT_EQ(kline->kline.pushes.size(), 1u);
}

TEST_F(RoutingTest, ExRightsAreTakenOnlyForTheSecurityShownAndNeverCountBelowZero) {
  Open("600000", 1, 2);
  auto* kline = Page<RecordingKLinePage>(kTagKLinePage);
  // Another stock's events.
  Quote(16, kSlotKLine, Keyed(1, "600001", U16(3)));
  EXPECT_EQ(kline->kline.weightCalls, 0);
  // A negative count.
  Quote(16, kSlotKLine, Keyed(1, "600000", U16(0xfffb)));
  EXPECT_EQ(kline->kline.weightCalls, 1);
  EXPECT_EQ(pager->weightDays(), 0);
  // Two events of date and bonus shares.
  std::vector<uint8_t> events = Keyed(1, "600000", U16(2));
  for (int i = 0; i < 2; ++i) {
    uint8_t rec[40] = {};
    WriteLE32(rec, static_cast<uint32_t>(20250101 + i));
    WriteLE32(rec + 4, 10000);
    events.insert(events.end(), rec, rec + sizeof rec);
  }
  Quote(16, kSlotKLine, events);
  EXPECT_EQ(pager->weightDays(), 2);
  ASSERT_EQ(kline->kline.weights.size(), 2u);
  EXPECT_EQ(kline->kline.weights[1].date, 20250102);
  // A third claimed event that the body lacks is not counted.
  events[9] = 3;
  Quote(16, kSlotKLine, events);
  EXPECT_EQ(pager->weightDays(), 2);
}

TEST_F(RoutingTest, RadarSeatAndPriceAlertAnswers) {
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  auto* radar = Page<RadarStandIn>(kTagRadarPage);
  ASSERT_NE(radar, nullptr);
  EXPECT_EQ(radar->pageId, 13);
  pager->updateDataForSubPage(kPageRadar);
  Quote(81, kSlotRadar, {5, 6, 7});
  EXPECT_EQ(radar->content, (std::vector<uint8_t>{5, 6, 7}));
  EXPECT_GE(radar->navigations, 1);
  // An error answer while the pager is the top screen empties the page.
  Quote(81, kSlotRadar, {9}, 1, true);
  EXPECT_TRUE(radar->content.empty());

  // Seat information: "(number)short name" and the full name.
  pager->RequestHKJJSInfo("1234");
  MDBF seat;
  seat.AddIntField(22, 1230);
  seat.AddIntField(23, 1239);
  seat.AddStringField(24, "ABC");
  seat.AddStringField(25, "ABC Securities Ltd");
  seat.AddStringField(26, "1234");
  std::vector<uint8_t> seatBody(1008);
  int records = 0;
  const int n = seat.SerializeAll(seatBody.data(), static_cast<int>(seatBody.size()), &records);
  ASSERT_GT(n, 0);
  seatBody.resize(static_cast<size_t>(n));
  Quote(8, kSlotSeat, seatBody);
  auto* hk = Page<HK10DangView>(kTagHK10Page);
  EXPECT_EQ(hk->detailTitle(), "(1234)ABC");
  EXPECT_EQ(hk->detailContent(), "ABC Securities Ltd");

  // Price-alert setting: field 10 set, 0, absent; an error or a second answer.
  auto answer = [&](MDBF* table, bool error) {
    std::vector<uint8_t> body;
    if (table) {
      body.resize(1008);
      int written = 0;
      body.resize(static_cast<size_t>(table->SerializeAll(body.data(), 1008, &written)));
    } else {
      body = {0xff, 0x00};
    }
    Post("PriceNotification", kMainTypePriceAlert, 3,
         static_cast<uint16_t>(pager->requestCode(kSlotPriceAlert)), body, 1, error);
  };
  MDBF set;
  set.AddIntField(10, 1);
  pager->requestPriceNotificationSetting();
  answer(&set, false);
  EXPECT_TRUE(pager->hasTrevane());
  EXPECT_EQ(pager->requestCode(kSlotPriceAlert), -1);
  MDBF off;
  off.AddIntField(10, 0);
  pager->requestPriceNotificationSetting();
  const uint16_t code = static_cast<uint16_t>(pager->requestCode(kSlotPriceAlert));
  answer(&off, false);
  EXPECT_FALSE(pager->hasTrevane());
  Post("PriceNotification", kMainTypePriceAlert, 3, code, {}, 1, false);
  EXPECT_FALSE(pager->hasTrevane());
  MDBF absent;
  absent.AddIntField(11, 5);
  pager->requestPriceNotificationSetting();
  answer(&absent, false);
  EXPECT_TRUE(pager->hasTrevane());
  // An error answer or a body that is no table: consumed, the flag stays off.
  pager->requestPriceNotificationSetting();
  answer(nullptr, true);
  EXPECT_FALSE(pager->hasTrevane());
  EXPECT_EQ(pager->requestCode(kSlotPriceAlert), -1);
  pager->requestPriceNotificationSetting();
  answer(nullptr, false);
  EXPECT_FALSE(pager->hasTrevane());
  EXPECT_EQ(pager->requestCode(kSlotPriceAlert), -1);
}

TEST_F(RoutingTest, RotationPresentsTheLandscapeScreenOnlyOnTheChartPages) {
  Open("600000", 1, 2);
  pager->updateDataForSubPage(kPageF10);
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeLeft);
  EXPECT_FALSE(pager->isLandscape());
  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
  pager->changeUIToSubPage(kPageTrend);
  pager->updateDataForSubPage(kPageTrend);
  ui::Device::current().setOrientation(ui::DeviceOrientation::LandscapeRight);
  ASSERT_TRUE(pager->isLandscape());
  auto* land = dynamic_cast<RecordingLandscape*>(pager->landscape());
  ASSERT_NE(land, nullptr);
  // The stored ex-rights events are handed over on opening.
  EXPECT_EQ(land->kline.weightCalls, 1);
  // Quotes reach the landscape screen too while it is up.
  Quote(10, kSlotQuote, {}, 2);
  EXPECT_EQ(land->quoteFlags.back(), 2);
  // The user turns to the K-line page there and picks fifteen minutes. Coming back to the
  // foreground (or over a connection opened again) asks what the landscape screen shows: that
  // period's bars, not the pager's trend page; otherwise its bars stop while the quote moves on.
  land->showPage(1);
  land->choosePeriod(6);
  pushes.clear();
  pager->viewWillAppear(false);
  bool kline = false, trend = false;
  for (const auto& push : CenterPushes())
    for (const auto& packet : push.packets) {
      if (packet.header.ChildType == 32) kline = packet.body[10] == 6;
      trend = trend || packet.header.ChildType == 33;
    }
  EXPECT_TRUE(kline);
  EXPECT_FALSE(trend);
  // Turning back takes the landscape screen's page.
  ui::Device::current().setOrientation(ui::DeviceOrientation::FaceUp);
  EXPECT_TRUE(pager->isLandscape());
  ui::Device::current().setOrientation(ui::DeviceOrientation::Portrait);
  EXPECT_FALSE(pager->isLandscape());
  EXPECT_EQ(pager->selectedPage(), kPageKLine);
  EXPECT_EQ(land->resets, 1);
}

TEST_F(RoutingTest, PageFallBackAndReloginWithoutMainForce) {
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  pager->changeUIToSubPage(kPageHK10);
  // Another Hong Kong stock keeps the ten-level page; a Shenzhen stock falls back.
  pager->UpdateStockInfo("00005", 3, 2);
  EXPECT_EQ(pager->selectedPage(), kPageHK10);
  pager->UpdateStockInfo("000001", 2, 2);
  EXPECT_EQ(pager->selectedPage(), kPageTrend);
  // An index on the main-force page, a futures contract on F10.
  pager->changeUIToSubPage(kPageMainForce);
  pager->UpdateStockInfo("399001", 2, 1);
  EXPECT_EQ(pager->selectedPage(), kPageTrend);
  pager->changeUIToSubPage(kPageF10);
  pager->UpdateStockInfo("IF2612", 6, 0);
  EXPECT_EQ(pager->selectedPage(), kPageTrend);

  // A relogin withdrawing right 30 on the main-force page.
  pager->UpdateStockInfo("600000", 1, 2);
  pager->changeUIToSubPage(kPageMainForce);
  ASSERT_TRUE(pager->showsMainForce());
  ASSERT_EQ(pager->menuTitleOf(kPageMainForce), "主力");
  auto* detail = Page<DetailView>(kTagDetailPage);
  ASSERT_NE(detail, nullptr);
  detail->scrollView()->setContentOffset({0, 30});
  detail->scrollView()->setScrollEnabled(false);
  ParseRightsList("31");
  foundation::NotificationCenter::defaultCenter().post("relogin");
  EXPECT_EQ(pager->selectedPage(), kPageTrend);
  EXPECT_FALSE(pager->showsMainForce());
  EXPECT_EQ(pager->menuTitleOf(kPageMainForce), "");
  EXPECT_EQ(pager->menuBar()->viewWithTag(kStockMenuBase + kPageMainForce), nullptr);
  EXPECT_EQ(detail->scrollView()->contentOffset(), gfx::Point(0, 0));
  EXPECT_TRUE(detail->scrollView()->isScrollEnabled());
}

TEST_F(RoutingTest, AMenuBuiltUnderOtherRightsIsBuiltAgainBeforeATapPlacesItsPage) {
  // A Hong Kong stock of level 1: 走势 K线 主力 F10 信息. A refused relogin takes right 30 (the
  // pager is told), the next login brings it back before the pager hears of it.
  Open("00700", 3, 2);
  ParseRightsList("31");
  foundation::NotificationCenter::defaultCenter().post("relogin");
  ASSERT_EQ(pager->menuBar()->viewWithTag(kStockMenuBase + kPageMainForce), nullptr);
  ParseRightsList("30,31");
  auto* radar =
      dynamic_cast<ui::Button*>(pager->menuBar()->viewWithTag(kStockMenuBase + kPageRadar));
  ASSERT_NE(radar, nullptr);
  radar->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(pager->selectedPage(), kPageRadar);
  EXPECT_EQ(pager->markedPageFailure(), "");
  EXPECT_EQ(pager->menuTitleOf(kPageMainForce), "主力");
  EXPECT_EQ(pager->menuTitleOf(kPageRadar), "信息");
}

}  // namespace
}  // namespace detailtest
