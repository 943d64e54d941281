// The information pages in a launched client against the in-process test server: the "资讯"
// tab lists the server's sections and titles, opens an article with its text, shows the ticker
// and hides it for the search; a radar row opens its alert's own text, a 64-bit id included.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "alerts/InfoArticlePage.h"
#include "alerts/MainPage.h"
#include "alerts/RadarView.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "shell/TabBar.h"
#include "shell/TabBarController.h"
#include "tests/alerts/ClientTestSupport.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/shell/StartupTestSupport.h"
#include "testserver/Market.h"
#include "watchlist/SelfStockController.h"

namespace {

class InfoIntegration : public alerttest::ScreensClientTest {
 protected:
  void SetUp() override {
    alerttest::ScreensClientTest::SetUp();
    ui::ClassRegistry::shared().registerClass<TickerStandIn>(kMarqueeViewClassName);
  }

  void LoggedIn() {
    Launch();
    ASSERT_TRUE(LoggedInAndShown());
    Settle();
  }
  // The tab strip's item of a slot tapped, as a user does.
  void TapTab(int slot) {
    auto& strip = *app->customTabBarController()->tabBarView();
    strip.buttonAction_Item(*strip.items()[static_cast<size_t>(app->indexInTabBar(slot))]);
  }
  bool Until(const std::function<bool()>& done) {
    return pump([&] {
      advance(0.05);
      return done();
    });
  }
  bool TickerShown() const {
    auto* ticker = app->marqueeView();
    return ticker && ticker->barView() && !ticker->barView()->isHidden() &&
           ticker->barView()->window() != nullptr;
  }
};

TEST_F(InfoIntegration, TheInformationTabListsSectionsTitlesAndArticles) {
  LoggedIn();
  TapTab(kSlotMainPage);
  auto* home = dynamic_cast<MainPage*>(app->viewControllerInTabBar(kSlotMainPage));
  ASSERT_NE(home, nullptr);
  ASSERT_TRUE(Until([&] { return home->totalInfoRecord() == 20; }));
  // The server's four sections in reply order; the first one's titles.
  testserver::Market market(testserver::ServerOptions::Ephemeral().seed, server->date(), 600);
  ASSERT_EQ(home->NewsTitleArray().size(), market.sections().size());
  for (size_t i = 0; i < market.sections().size(); ++i)
    EXPECT_EQ(home->NewsTitleArray()[i]["NewsSectionTitle"].asString(),
              market.sections()[i].second);
  EXPECT_EQ(home->selPartID(), market.sections()[0].first);
  EXPECT_FALSE(ui::Application::shared().isNetworkActivityIndicatorVisible());
  EXPECT_TRUE(TickerShown());

  // A second section; its first article with the server's text.
  home->menuBarView()->changeSelSubItem(1);
  ASSERT_TRUE(Until([&] { return home->awaitedCode(1) == -1 && home->totalInfoRecord() == 20; }));
  EXPECT_EQ(home->selPartID(), market.sections()[1].first);
  const foundation::Value row = home->currentInfoRecord(0);
  const std::string summary = row["content"].asString();
  home->tableViewDidSelectRowAtIndexPath(*home->tableView(), ui::IndexPath::forRow(0, 0));
  auto* navigation = home->navigationController();
  CDetailInfoController* page = nullptr;
  ASSERT_TRUE(Until([&] {
    page = dynamic_cast<CDetailInfoController*>(navigation->topViewController());
    return page && !page->contentView()->text().empty();
  }));
  EXPECT_EQ(page->title(), market.sections()[1].second);
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), row["title"].asString());
  // The summary is the article's beginning, cut between characters and then ending in an
  // ellipsis; the list shows it on the two lines its row has.
  const std::string text = page->contentView()->text();
  ASSERT_FALSE(summary.empty());
  const std::string ellipsis = "…";
  const bool cut = summary.size() >= ellipsis.size() &&
                   summary.compare(summary.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0;
  const std::string start = cut ? summary.substr(0, summary.size() - ellipsis.size()) : summary;
  EXPECT_EQ(cut, start.size() < text.size());
  EXPECT_EQ(text.compare(0, start.size(), start), 0);
  EXPECT_GT(start.size(), 60u);  // more than one line of the list
  auto* cell = dynamic_cast<MainPageCell*>(
      home->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
  ASSERT_NE(cell, nullptr);
  ui::Label& content = *cell->contentLabel();
  EXPECT_EQ(content.text(), summary);
  gfx::TextStyle style(content.font(), gfx::TextAlignment::Left, content.lineBreakMode());
  style.numberOfLines = content.numberOfLines();
  const double line = content.font().lineHeight();
  const gfx::Size shown = gfx::measureText(summary, style, content.bounds().size);
  EXPECT_GT(shown.height, 1.5 * line);  // two lines
  EXPECT_LE(shown.height, content.bounds().height() + 1);
  EXPECT_TRUE(TickerShown());

  // Next: the second article.
  const std::string first = text;
  page->nextButton();
  ASSERT_TRUE(Until([&] { return page->contentView()->text() != first; }));
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(),
            home->currentInfoRecord(1)["title"].asString());
  EXPECT_FALSE(ui::Application::shared().isNetworkActivityIndicatorVisible());

  // Back on the page; "查询" hides the ticker for the search.
  navigation->popViewControllerAnimated(false);
  advance(0.5);
  auto search = home->searchStock();
  ASSERT_NE(search, nullptr);
  advance(1);
  EXPECT_FALSE(TickerShown());
}

TEST_F(InfoIntegration, ARadarRowOpensItsOwnTextWhateverItsId) {
  LoggedIn();
  auto* screen = dynamic_cast<SelfStockController*>(app->viewControllerInTabBar(kSlotSelfStock));
  ASSERT_NE(screen, nullptr);
  advance(0.2);
  Settle();
  auto* radar = dynamic_cast<RadarView*>(screen->radarView());
  ASSERT_NE(radar, nullptr);
  screen->menuBar()->changeSelSubItem(2);
  ASSERT_TRUE(Until([&] { return radar->totalInfoRecord() > 0; }));
  int wide = -1;
  for (int i = 0; i < radar->totalInfoRecord() && wide < 0; ++i)
    if (std::stoll(radar->currentInfoRecord(i)["Node"].asString()) > 2147483647LL) wide = i;
  ASSERT_GE(wide, 0);
  radar->tableViewDidSelectRowAtIndexPath(*radar->tableView(), ui::IndexPath::forRow(wide, 0));
  CRadarDetailInfoController* page = nullptr;
  ASSERT_TRUE(Until([&] {
    page = dynamic_cast<CRadarDetailInfoController*>(
        screen->navigationController()->topViewController());
    return page && !page->contentView()->text().empty();
  }));
  EXPECT_EQ(page->title(), "详细信息");
  const std::string title = radar->currentInfoRecord(wide)["title"].asString();
  EXPECT_EQ(page->contentView()->text().compare(0, title.size(), title), 0);
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kDateTag)->text(),
            radar->currentInfoRecord(wide)["date"].asString());
  EXPECT_TRUE(TickerShown());
}

}  // namespace
