// The pages of the detail pager: made once by class name when the screen first appears, each at
// its place with what it needs of the pager, and the hand-off of real drags between the pages
// and the pager.
#include <gtest/gtest.h>

#include "detail/TechIndexMoveView.h"
#include "detail/TrendlineView.h"
#include "panels/CustomScrollView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "tests/detail/DetailTestSupport.h"

namespace detailtest {
namespace {

// A page that keeps touches in its top 100 points (as a chart keeps its cursor) and counts what
// reaches it.
class CountingPage : public ui::View, public ScrollRectOwner {
 public:
  bool isPointInScrollRect(const ui::TouchSet& touches) override {
    return !touches.empty() && touches.front()->locationInView(this).y < 100;
  }
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override {
    ++began;
    ui::View::touchesBegan(touches, event);
  }
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override {
    ++ended;
    ui::View::touchesEnded(touches, event);
  }
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override {
    ++cancelled;
    ui::View::touchesCancelled(touches, event);
  }
  int began = 0;
  int ended = 0;
  int cancelled = 0;
};

template <class Role>
class TestPage : public CountingPage, public Role {};

class TestHK10 : public TestPage<HK10PageRole> {
 public:
  void setJJPWDelegate(std::weak_ptr<HKJJPWViewDelegate> d) override { delegate = std::move(d); }
  void refreshDetailView(const std::string& title, const std::string& content) override {
    if (title.empty() && content.empty()) ++closes;
  }
  std::weak_ptr<HKJJPWViewDelegate> delegate;
  int closes = 0;
};

class TestF10 : public ui::View, public F10PageRole {
 public:
  void loadAddress(const std::string& address) override { addresses.push_back(address); }
  std::vector<std::string> addresses;
};

class PagerPagesTest : public DetailTest {
 protected:
  static void RunLoopFor(double seconds) {
    for (double done = 0; done < seconds; done += 1.0 / 60) {
      foundation::Clock::advance(1.0 / 60);
      foundation::RunLoop::current()->runOnce();
    }
  }
  // A horizontal finger at window height y.
  static void Drag(double fromX, double toX, double y) {
    auto& app = ui::Application::shared();
    app.sendTouch(ui::TouchPhase::Began, 0, {fromX, y});
    for (int i = 1; i <= 10; ++i) {
      RunLoopFor(1.0 / 60);
      app.sendTouch(ui::TouchPhase::Moved, 0, {fromX + (toX - fromX) * i / 10, y});
    }
    app.sendTouch(ui::TouchPhase::Ended, 0, {toX, y});
    RunLoopFor(1.0);
  }
  TrendlineView* Chart() const {
    auto* trend = dynamic_cast<TrendPageRole*>(pager->pageView(kTagTrendPage));
    return trend ? dynamic_cast<TrendlineView*>(trend->trendlineView()) : nullptr;
  }
};

TEST_F(PagerPagesTest, PagesAreMadeOnFirstAppearanceAtTheirPlacesWithWhatTheyNeed) {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<TestF10>("F10View");
  registry.registerClass<TestHK10>("HK10DangView");
  ParseRightsList("30,32");
  pager = registry.create<TrendlineController>("TrendlineController");
  pager->SetStockInfo("00700", 3, 2);
  navigation = ui::NavigationController::create(pager);
  pager->view();
  // Until the screen appears only the trend page exists; a main-force opening asks its chart
  // for the main-force indicator.
  ASSERT_NE(Chart(), nullptr);
  EXPECT_EQ(Chart()->Delegate(), static_cast<TrendlineViewDelegate*>(pager.get()));
  EXPECT_EQ(pager->pageView(kTagF10Page), nullptr);
  pager->setInitShowIndexType(1);
  EXPECT_EQ(Chart()->techIndexMoveView()->_drawIndexType, 3);

  pager->viewWillAppear(false);
  auto* f10 = dynamic_cast<TestF10*>(pager->pageView(kTagF10Page));
  auto* hk = dynamic_cast<TestHK10*>(pager->pageView(kTagHK10Page));
  auto* radar = dynamic_cast<RadarStandIn*>(pager->pageView(kTagRadarPage));
  ASSERT_NE(f10, nullptr);
  ASSERT_NE(hk, nullptr);
  ASSERT_NE(radar, nullptr);
  const std::string address = pager->getRequestPageAddr("00700", 3);
  EXPECT_EQ(f10->addresses, std::vector<std::string>(2, address));
  EXPECT_EQ(radar->navigations, 1);
  EXPECT_EQ(hk->delegate.lock().get(), static_cast<HKJJPWViewDelegate*>(pager.get()));
  const int tags[] = {kTagTrendPage, kTagKLinePage, kTagDetailPage,
                      kTagF10Page,   kTagRadarPage, kTagHK10Page};
  for (int p = 0; p < 6; ++p) {
    ui::View* view = pager->pageView(tags[p]);
    ASSERT_NE(view, nullptr) << p;
    EXPECT_EQ(view->frame().origin.x, 320 * p) << p;
    EXPECT_EQ(view->frame().size.width, 320);
    EXPECT_EQ(view->frame().size.height, 480 - 166);
  }
  // A later appearance makes nothing again.
  pager->viewWillAppear(false);
  EXPECT_EQ(pager->pageView(kTagF10Page), f10);
  EXPECT_EQ(f10->addresses.size(), 2u);

  // Turning to any page but the ten levels closes the seat pop-up.
  pager->selectMenuPage(kPageHK10);
  const int closes = hk->closes;
  pager->selectMenuPage(kPageHK10);
  EXPECT_EQ(hk->closes, closes);
  pager->selectMenuPage(kPageKLine);
  EXPECT_EQ(hk->closes, closes + 1);

  // An index keeps the plain volume indicator.
  pager.reset();
  navigation.reset();
  Open("000001", 1, 1);
  ASSERT_NE(Chart(), nullptr);
  Chart()->updateDrawIndexType(3);
  pager->setInitShowIndexType(1);
  EXPECT_EQ(Chart()->techIndexMoveView()->_drawIndexType, 0);
}

TEST_F(PagerPagesTest, ChartPagesKeepDragsInTheirAreaAndOtherPagesGiveWayToADrag) {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<TestPage<TrendPageRole>>("TrendFrameView");
  registry.registerClass<TestPage<KLinePageRole>>("AnalysisView");
  registry.registerClass<TestPage<DetailPageRole>>("DetailView");
  registry.registerClass<TestHK10>("HK10DangView");
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  auto window = ui::Window::create(ui::Screen::main().bounds());
  window->addSubview(navigation->viewShared());
  window->makeKeyAndVisible();
  pager->handleOrientalFlag();
  ui::ScrollView* scroll = pager->scrollView();
  const gfx::Rect area = scroll->convertRectToView(scroll->bounds(), nullptr);

  struct Case {
    int page;
    int tag;
    bool chart;
  };
  for (const Case c :
       {Case{kPageTrend, kTagTrendPage, true}, Case{kPageKLine, kTagKLinePage, true},
        Case{kPageMainForce, kTagDetailPage, false}, Case{kPageHK10, kTagHK10Page, true}}) {
    SCOPED_TRACE(c.page);
    pager->selectMenuPage(c.page);
    const double x = scroll->contentOffset().x;
    auto* page = dynamic_cast<CountingPage*>(pager->pageView(c.tag));
    ASSERT_NE(page, nullptr);
    // The last page can only turn back.
    const bool back = c.page != kPageTrend;
    const double from = back ? 70 : 250, to = back ? 250 : 70;
    if (c.chart) {
      // Inside the page's own area the drag stays with the page for its whole length.
      Drag(from, to, area.minY() + 50);
      EXPECT_EQ(page->began, 1);
      EXPECT_EQ(page->ended, 1);
      EXPECT_EQ(page->cancelled, 0);
      EXPECT_EQ(scroll->contentOffset().x, x);
      // Elsewhere the pager turns and the page hears nothing.
      Drag(from, to, area.minY() + 200);
      EXPECT_EQ(page->began, 1);
      EXPECT_NE(scroll->contentOffset().x, x);
    } else {
      // The content gets the touch, and the drag takes it over and turns the pager.
      Drag(from, to, area.minY() + 50);
      EXPECT_EQ(page->began, 1);
      EXPECT_EQ(page->cancelled, 1);
      EXPECT_NE(scroll->contentOffset().x, x);
    }
  }
  window->removeFromSuperview();
}

}  // namespace
}  // namespace detailtest
