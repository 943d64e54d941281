// The ten-level and F10 pages of a Hong Kong stock, fed by the pager from the in-process test
// server.
#include <memory>
#include <string>

#include "core/QuoteFormat.h"
#include "panels/F10View.h"
#include "panels/HK10DangView.h"
#include "platform/ui/Application.h"
#include "tests/detail/DetailClientSupport.h"

namespace {

using HKDepthServer = detailtest::DetailClientTest;
using startuptest::Fault;
using startuptest::Role;

TEST_F(HKDepthServer, LevelTwoUserSeesLiveLevelsQueuesAndSeatNames) {
  server->setMinute(10 * 60);  // the Hong Kong morning session, whatever the clock says
  LoggedIn("32");
  TrendlineController* pager = Open("00001", 3, 10);
  ASSERT_NE(pager, nullptr);
  ASSERT_TRUE(pager->hasPage(kPageHK10));
  EXPECT_EQ(pager->menuTitleOf(kPageHK10), "十档");
  auto* page = dynamic_cast<HK10DangView*>(pager->pageView(kTagHK10Page));
  ASSERT_NE(page, nullptr);
  page->setJJPWDelegate(std::dynamic_pointer_cast<TrendlineController>(pager->shared_from_this()));
  pager->changeUIToSubPage(kPageHK10);
  pager->updateDataForSubPage(kPageHK10);
  HKJJPWView& asks = *page->sellView();
  ASSERT_TRUE(WaitFor([&] { return asks.totalItems() > 0; }));
  const tagLocalStockData first = page->stockData();
  EXPECT_GT(first.buysell10.sell[9].price, first.buysell10.sell[0].price);
  EXPECT_EQ(asks.button(4)->currentTitle(), "+1S");
  EXPECT_EQ(page->buyView()->button(8)->currentTitle(), "-2S");
  auto* cell = page->tableView()->cellForRowAtIndexPath(ui::IndexPath{0, 9});
  ASSERT_NE(cell, nullptr);
  auto* price = dynamic_cast<ui::Label*>(cell->viewWithTag(702));
  ASSERT_NE(price, nullptr);
  EXPECT_EQ(price->text(), FormatPriceString(first.buysell10.sell[0].price, 8, first.pricedot,
                                             first.buysell10.sell[0].price));

  // Pushes keep the page live.
  server->advanceMinute();
  ASSERT_TRUE(WaitFor([&] { return page->stockData().volume != first.volume; }));

  // An unknown seat asks the server; its range then names the seat at once.
  const std::string seat = asks.button(0)->currentTitle();
  ASSERT_EQ(seat.size(), 4u);
  asks.subItemButtonClick(*asks.button(0));
  ASSERT_TRUE(WaitFor([&] { return !page->detailTitle().empty(); }));
  EXPECT_EQ(page->detailTitle().rfind("(" + seat + ")", 0), 0u) << page->detailTitle();
  EXPECT_FALSE(page->detailContent().empty());
  ASSERT_NE(page->detailView(), nullptr);
  EXPECT_FALSE(page->detailView()->isHidden());
  EXPECT_FALSE(ui::Application::shared().isNetworkActivityIndicatorVisible());
  page->refreshDetailView({}, {});
  server->clearReceivedRequests();
  asks.subItemButtonClick(*asks.button(0));
  EXPECT_FALSE(page->detailView()->isHidden());
  EXPECT_EQ(page->detailTitle().rfind("(" + seat + ")", 0), 0u);

  // Turning to another page closes the pop-up.
  pager->changeUIToSubPage(kPageTrend);
  pager->updateDataForSubPage(kPageTrend);
  EXPECT_TRUE(page->detailView()->isHidden());
}

// A seat asked on one stock's queues whose answer comes after the title bar's arrow opened
// another stock pops up over nobody's queues.
TEST_F(HKDepthServer, ASeatsLateAnswerPopsUpNothingOverTheNextStock) {
  server->setMinute(10 * 60);
  LoggedIn("32");
  TrendlineController* pager = Open("00001", 3, 10);
  ASSERT_NE(pager, nullptr);
  auto* page = dynamic_cast<HK10DangView*>(pager->pageView(kTagHK10Page));
  ASSERT_NE(page, nullptr);
  page->setJJPWDelegate(std::dynamic_pointer_cast<TrendlineController>(pager->shared_from_this()));
  pager->changeUIToSubPage(kPageHK10);
  pager->updateDataForSubPage(kPageHK10);
  HKJJPWView& asks = *page->sellView();
  ASSERT_TRUE(WaitFor([&] { return asks.totalItems() > 0; }));
  server->setFault(Role::Quote, Fault::Hold);
  server->clearReceivedRequests();
  asks.subItemButtonClick(*asks.button(0));
  ASSERT_TRUE(WaitFor([&] { return !server->receivedRequests(Role::Quote).empty(); }));
  pager->UpdateStockInfo("00005", 3, 10);
  server->clearFaults();
  server->releaseHeld(Role::Quote);
  ASSERT_TRUE(WaitFor([&] { return std::string(page->stockData().code) == "00005"; }));
  // Time for the held seat answer to arrive and be handled.
  pump([] { return false; }, 0.5);
  EXPECT_TRUE(page->detailTitle().empty() || page->detailView()->isHidden()) << page->detailTitle();
}

TEST_F(HKDepthServer, F10PageLoadsReloadsAndKeepsWhatItHadOnFailure) {
  LoggedIn("32");
  TrendlineController* pager = Open("00001", 3, 10);
  ASSERT_NE(pager, nullptr);
  auto* page = dynamic_cast<F10View*>(pager->pageView(kTagF10Page));
  ASSERT_NE(page, nullptr);
  ui::WebView* web = page->webView();
  ASSERT_NE(web, nullptr);
  EXPECT_EQ(page->notice()->text(), "F10更新中...");
  auto& application = ui::Application::shared();

  // The pager loads the page as it makes it; a reload of the same address shows it again.
  ASSERT_TRUE(WaitFor([&] { return !web->isHidden() && !web->isLoading(); }));
  page->loadAddress(pager->getRequestPageAddr("00001", 3));
  ASSERT_TRUE(WaitFor([&] { return !web->isLoading(); }));
  EXPECT_NE(web->pageText().find("00001"), std::string::npos) << web->pageText();
  EXPECT_NE(web->pageText().find("公司概况"), std::string::npos);
  EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());

  // A load replaced by a newer one leaves the indicator to the newer one.
  const std::string base = web->currentURL();
  const std::string other = base.substr(0, base.find("key=")) + "key=00002,hk";
  page->RequestF10(base);
  page->RequestF10(other);
  EXPECT_TRUE(application.isNetworkActivityIndicatorVisible());
  ASSERT_TRUE(WaitFor([&] { return !web->isLoading(); }));
  EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());
  EXPECT_NE(web->pageText().find("00002"), std::string::npos);

  // Another security's address that fails: the page of the one before is not left under the
  // new one's title (the notice stands), and the address is asked again until it loads.
  page->RequestF10("http://127.0.0.1:1/f10/?key=00001,hk");
  EXPECT_TRUE(web->isHidden());
  ASSERT_TRUE(WaitFor([&] { return !web->isLoading(); }));
  EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());
  EXPECT_EQ(page->retryAddress(), "http://127.0.0.1:1/f10/?key=00001,hk");
  page->RequestF10(other);
  ASSERT_TRUE(WaitFor([&] { return !web->isHidden() && !web->isLoading(); }));
  EXPECT_NE(web->pageText().find("00002"), std::string::npos);

  // A page that goes away mid-load takes its indicator with it.
  F10View::create({0, 0, 320, 314}, base).reset();
  EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());

  // A host that does not resolve takes the web view away for good; the notice stays.
  page->RequestF10("http://f10.verdan.invalid/f10/?key=00001,hk");
  ASSERT_TRUE(WaitFor([&] { return page->webView() == nullptr; }));
  EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());
  EXPECT_EQ(page->notice()->superview(), page);
  page->RequestF10(base);
  EXPECT_FALSE(application.isNetworkActivityIndicatorVisible());
}

}  // namespace
