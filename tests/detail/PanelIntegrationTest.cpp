// The price panel of the stock pager's trend page against the in-process test server.
#include <functional>

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/NavigationController.h"
#include "shell/SharedTool.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/TrendPageRecorder.h"

namespace {

using detailtest::DetailClientTest;

class PanelClient : public DetailClientTest {
 protected:
  // What the panel must show for the security's cached quote.
  static std::string CachedPrice(const char* code, uint8_t market) {
    tagLocalStockData quote{};
    QuoteCache_GetQuote(quote, market, code);
    const int decimals = quote.xswsdot ? quote.xswsdot : quote.pricedot;
    return FormatPriceString(quote.now, 8, decimals, quote.now);
  }
};

TEST_F(PanelClient, TrendPageShowsTheOpenedStocksPriceAndFollowsItsPushes) {
  LoggedIn("30,31,49");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  auto* trend = dynamic_cast<RecordingTrendPage*>(pager->pageView(kTagTrendPage));
  ASSERT_NE(trend, nullptr);
  ASSERT_TRUE(trend->isBuilt());
  PriceShowView* cell = trend->mainPriceShow();
  ASSERT_NE(cell, nullptr);

  ASSERT_TRUE(
      WaitFor([&] { return !trend->log.quoteFlags.empty() && trend->log.quoteFlags.back() == 1; }));
  EXPECT_EQ(cell->nowLabel()->text(), CachedPrice("600000", 1));
  EXPECT_NE(cell->nowLabel()->text(), "--");
  EXPECT_NE(trend->gridCell(3)->textPrice()->text(), "--");
  EXPECT_EQ(cell->nowLabel()->textColor(), SharedTool::CheckPriceColor(trend->log.quote.zd));

  // Each market minute pushes the quote, and the panel follows it.
  for (int minute = 0; minute < 3; ++minute) {
    const size_t seen = trend->log.quoteFlags.size();
    server->advanceMinute();
    ASSERT_TRUE(WaitFor(
        [&] { return trend->log.quoteFlags.size() > seen && trend->log.quoteFlags.back() == 2; }));
    EXPECT_EQ(cell->nowLabel()->text(), CachedPrice("600000", 1));
    EXPECT_EQ(trend->yesterday(), trend->log.quote.yesterday);
  }

  // For a person to look at: the page as the pager shows it.
  const std::string folder = std::string(VERDAN_BINARY_DIR) + "/panel-shots";
  ASSERT_TRUE(foundation::makeDirectories(folder));
  EXPECT_TRUE(ui::snapshotView(*trend).writePng(folder + "/trend-page-600000.png"));
}

}  // namespace
