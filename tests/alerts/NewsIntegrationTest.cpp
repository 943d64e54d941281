// The news web page in a launched client against the test server's web role: opened from the
// More screen's bar it loads the news list with the activity indicator on until it is loaded,
// follows a link inside the web view and steps back with the arrow; a refused connection ends
// in the failure call with the indicator off.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "alerts/NewsController.h"
#include "core/CoreConfig.h"
#include "core/MIniFile.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "shell/ConfigManager.h"
#include "shell/HomeTabBarView.h"
#include "shell/MoreController.h"
#include "tests/alerts/ClientTestSupport.h"
#include "tests/shell/StartupTestSupport.h"

namespace {

using testserver::Fault;
using testserver::Role;

// The page, noting the failures it hears.
class RecordingNews : public NewsController {
 public:
  void webViewDidFailLoadWithError(ui::WebView& web, const ui::WebError& error) override {
    failures.push_back(error.code);
    NewsController::webViewDidFailLoadWithError(web, error);
  }
  void webViewDidFinishLoad(ui::WebView& web) override {
    onUntilLoaded.push_back(ui::Application::shared().isNetworkActivityIndicatorVisible());
    NewsController::webViewDidFinishLoad(web);
  }
  std::vector<int> failures;
  // The indicator's state as each load finished, before the page turned it off.
  std::vector<bool> onUntilLoaded;
};

class NewsIntegration : public alerttest::ScreensClientTest {
 protected:
  void SetUp() override {
    alerttest::ScreensClientTest::SetUp();
    ui::ClassRegistry::shared().registerClass<RecordingNews>("NewsController");
  }
  static int IdOf(const std::string& className) {
    auto config = ConfigManager::sharedObject();
    for (int id = 0; id < config->functionCount(); ++id)
      if (config->functionClassName(id) == className) return id;
    return -1;
  }
  // Logged in; the news page put on the More screen's bar and tapped there.
  RecordingNews* OpenFromMore() {
    Launch();
    EXPECT_TRUE(LoggedInAndShown());
    Settle();
    // The page's port: the web role's, which the tests pick freely.
    GetMainConfig().WriteInt("info", "news_port", server->port(Role::Http));
    auto* more = dynamic_cast<MoreController*>(app->viewControllerInTabBar(kSlotMore));
    EXPECT_NE(more, nullptr);
    if (!more) return nullptr;
    const int id = IdOf("NewsController");
    EXPECT_GE(id, 0);
    more->homeTabBarView()->insteadItemView(0, id);
    more->HomeMoveViewItemClicked(*more->homeTabBarView(), id, 0);
    advance(0.6);
    auto* page = dynamic_cast<RecordingNews*>(more->navigationController()->topViewController());
    EXPECT_NE(page, nullptr);
    return page;
  }
  bool Until(const std::function<bool()>& done) {
    return pump([&] {
      advance(0.05);
      return done();
    });
  }
  static bool Indicator() { return ui::Application::shared().isNetworkActivityIndicatorVisible(); }
};

TEST_F(NewsIntegration, TheNewsPageLoadsFollowsALinkAndStepsBack) {
  RecordingNews* page = OpenFromMore();
  ASSERT_NE(page, nullptr);
  ui::WebView* web = page->webView();
  ASSERT_NE(web, nullptr);
  EXPECT_EQ(web->tag(), NewsController::kWebViewTag);
  const std::string address = NewsController::NewsPageAddress();
  EXPECT_EQ(address,
            "http://127.0.0.1:" + std::to_string(server->port(Role::Http)) + "/hpf10/xltxt.aspx");
  ASSERT_TRUE(Until([&] { return !web->isLoading() && !web->fragments().empty(); }));
  ASSERT_FALSE(page->onUntilLoaded.empty());
  EXPECT_TRUE(page->onUntilLoaded.front());
  EXPECT_FALSE(Indicator());
  EXPECT_EQ(web->currentURL(), address);
  // With no history the arrow does nothing.
  EXPECT_FALSE(web->canGoBack());
  page->backButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  advance(0.1);
  EXPECT_EQ(web->currentURL(), address);

  // A news link opens its article inside the web view; the arrow comes back.
  std::string link;
  for (const auto& f : web->fragments())
    if (f.href.find("/news?id=") != std::string::npos) {
      link = f.text;
      break;
    }
  ASSERT_FALSE(link.empty());
  ASSERT_TRUE(web->followLink(link));
  ASSERT_TRUE(Until([&] {
    return !web->isLoading() && web->currentURL().find("/news?id=") != std::string::npos;
  }));
  EXPECT_NE(web->pageText().find(link), std::string::npos);
  page->backButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  ASSERT_TRUE(Until([&] { return !web->isLoading() && web->currentURL() == address; }));
  EXPECT_TRUE(page->failures.empty());
}

TEST_F(NewsIntegration, TheTitleBarNamesThePageAndTheArrowShowsOnlyWithAPageToGoBackTo) {
  RecordingNews* page = OpenFromMore();
  ASSERT_NE(page, nullptr);
  ui::WebView* web = page->webView();
  ASSERT_NE(web, nullptr);
  // Opened from More the title bar names the page (More leaves only a blank left item).
  ui::NavigationController* navigation = page->navigationController();
  ASSERT_NE(navigation, nullptr);
  EXPECT_FALSE(navigation->isNavigationBarHidden());
  EXPECT_EQ(page->title(), "新闻资讯");
  // The page ends where the screen does: its last rows can be scrolled into view.
  EXPECT_LE(web->frame().maxY(), page->view()->bounds().height());
  ASSERT_TRUE(Until([&] { return !web->isLoading() && !web->fragments().empty(); }));
  // On the first page there is nothing to go back to: no half-transparent arrow over its rows.
  EXPECT_TRUE(page->backButton()->isHidden());
  std::string link;
  for (const auto& f : web->fragments())
    if (f.href.find("/news?id=") != std::string::npos) {
      link = f.text;
      break;
    }
  ASSERT_FALSE(link.empty());
  ASSERT_TRUE(web->followLink(link));
  ASSERT_TRUE(Until([&] {
    return !web->isLoading() && web->currentURL().find("/news?id=") != std::string::npos;
  }));
  EXPECT_FALSE(page->backButton()->isHidden());
  const gfx::Rect arrow = page->backButton()->frame();
  EXPECT_LE(arrow.maxY(), page->view()->bounds().height());
  page->backButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  ASSERT_TRUE(Until([&] { return !web->isLoading() && !web->canGoBack(); }));
  EXPECT_TRUE(page->backButton()->isHidden());
}

TEST_F(NewsIntegration, ARefusedConnectionEndsInTheFailureCall) {
  server->setFault(Role::Http, Fault::Refuse);
  RecordingNews* page = OpenFromMore();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(Until([&] { return !page->failures.empty(); }));
  EXPECT_FALSE(Indicator());
  EXPECT_FALSE(page->webView()->isLoading());
  server->clearFaults();
}

}  // namespace
