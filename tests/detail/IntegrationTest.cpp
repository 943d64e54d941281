// The detail pager in the running client against the in-process test server.
#include <algorithm>
#include <cstring>

#include "core/MDBF.h"
#include "core/QuoteCache.h"
#include "core/SearchHistory.h"
#include "detail/TrendlineController.h"
#include "tests/detail/KLinePageRecorder.h"
#include "panels/DetailView.h"
#include "platform/ui/NavigationController.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/TrendPageRecorder.h"

namespace detailtest {
namespace {

using testserver::ReceivedRequest;
using testserver::Role;

class DetailClient : public DetailClientTest {
 protected:
  std::vector<ReceivedRequest> Received(Role role, uint8_t child) const {
    std::vector<ReceivedRequest> out;
    for (auto& r : server->receivedRequests(role))
      if (r.header.ChildType == child) out.push_back(r);
    return out;
  }
};

TEST_F(DetailClient, StockPagerAsksTheServerAndShowsRepliesAndPushesOnlyOfTheShownStock) {
  LoggedIn("30,31,49");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  auto* trend = dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage));
  ASSERT_NE(trend, nullptr);
  ASSERT_TRUE(WaitFor([&] {
    return !trend->log.quoteFlags.empty() && trend->log.quoteFlags.back() == 1 &&
           trend->chart.trendCalls > 0 && trend->log.tickCalls > 0;
  }));
  // The server saw each kind once, with the codes kept in the slots.
  auto quotes = Received(Role::Quote, 10), trends = Received(Role::Quote, 33),
       ticks = Received(Role::Quote, 14);
  ASSERT_EQ(quotes.size(), 1u);
  ASSERT_EQ(trends.size(), 1u);
  ASSERT_EQ(ticks.size(), 1u);
  EXPECT_EQ(quotes[0].header.RequestCode, pager->requestCode(kSlotQuote));
  EXPECT_EQ(trends[0].header.RequestCode, pager->requestCode(kSlotTrend));
  EXPECT_EQ(ticks[0].header.RequestCode, pager->requestCode(kSlotTicks));
  EXPECT_EQ(quotes[0].header.PageID, 13);
  // The price-alert setting on its own connection, for this stock.
  ASSERT_TRUE(WaitFor([&] { return !Received(Role::PriceAlert, 3).empty(); }));
  auto alerts = Received(Role::PriceAlert, 3);
  ASSERT_EQ(alerts.size(), 1u);
  MDBF alert;
  ASSERT_GT(alert.Parse(alerts[0].body.data(), static_cast<int>(alerts[0].body.size())), 0);
  alert.Seek(0);
  EXPECT_EQ(alert.GetNSString(8), "600000");
  EXPECT_EQ(alert.GetInt(18), 1);

  // The chart got the day's points; the ticks start with a minute of the day.
  EXPECT_GT(trend->chart.trend.size(), 0u);
  EXPECT_EQ(int{trend->log.tickHead.count}, 20);
  int16_t firstMinute = 0;
  std::memcpy(&firstMinute, trend->log.ticks.data(), 2);
  EXPECT_GE(firstMinute, 570);
  EXPECT_EQ(pager->stockCodeText(), "600000");
  EXPECT_FALSE(pager->stockNameText().empty());

  // A market minute pushes the quote: flag 2.
  server->advanceMinute();
  ASSERT_TRUE(WaitFor([&] { return trend->log.quoteFlags.back() == 2; }));

  // After a switch, only the new stock's quotes reach the page.
  pager->UpdateStockInfo("000001", 2, 2);
  ASSERT_TRUE(WaitFor([&] { return Received(Role::Quote, 10).size() == 2; }));
  const size_t from = trend->log.quoteFlags.size();
  server->advanceMinute();
  ASSERT_TRUE(WaitFor(
      [&] { return trend->log.quoteFlags.size() > from && trend->log.quoteFlags.back() == 2; }));
  EXPECT_EQ(std::string(trend->log.quote.code), "000001");
  int held = 0;
  for (const auto& entry : GetSearchHistory().GetArray())
    if (entry.StockCode == "600000") ++held;
  EXPECT_EQ(held, 1);
}

TEST_F(DetailClient, KLineInNumberedPartsAndAnIndexWithoutMainForce) {
  LoggedIn("30,31,49");
  server->setKLineInParts(true);
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  auto* kline = dynamic_cast<RecordingKLinePage*>(pager->pageView(kTagKLinePage));
  ASSERT_NE(kline, nullptr);
  pager->changeUIToSubPage(kPageKLine);
  pager->updateDataForSubPage(kPageKLine);
  // With the main-force ids 196 bars need two parts: the page is given them once, as one
  // answer, when the second is in (the first alone ends days before the quote).
  ASSERT_TRUE(WaitFor([&] { return !kline->kline.pushes.empty(); }));
  EXPECT_EQ(kline->kline.pushes, std::vector<uint16_t>{1});
  ASSERT_EQ(kline->kline.bars.size(), 196u);
  for (size_t i = 1; i < kline->kline.bars.size(); ++i)
    ASSERT_LT(kline->kline.bars[i - 1].Date, kline->kline.bars[i].Date) << i;
  // The day K-line asked for the ex-rights events too.
  ASSERT_TRUE(WaitFor([&] { return kline->kline.weightCalls > 0; }));
  EXPECT_EQ(static_cast<int>(kline->kline.weights.size()), pager->weightDays());

  // A Shenzhen index: two packets for its trend page, no main-force page.
  server->clearReceivedRequests();
  pager->UpdateStockInfo("399001", 2, 1);
  EXPECT_EQ(pager->selectedPage(), kPageKLine);
  pager->changeUIToSubPage(kPageTrend);
  pager->updateDataForSubPage(kPageTrend);
  // (Its trend is asked; a loaded machine may see it asked again after a time-out.)
  ASSERT_TRUE(WaitFor([&] { return !Received(Role::Quote, 33).empty(); }));
  EXPECT_TRUE(Received(Role::Quote, 14).empty());
  EXPECT_FALSE(pager->hasPage(kPageMainForce));
}

}  // namespace
}  // namespace detailtest
