// The pager under real fingers: a pinch on the K-line page, a glide caught by a new touch, a drag
// released on its page and a tap on the marked button while the pager glides away. Wherever the
// scrolling stops, the menu marks the page on screen.
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "detail/TrendlineController.h"
#include "kline/KLineClasses.h"
#include "panels/DetailView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/WheelPinch.h"
#include "tests/detail/KLinePageRecorder.h"
#include "tests/detail/LandscapeRecorder.h"
#include "tests/shell/StartupTestSupport.h"

namespace detailtest {
namespace {

using startuptest::StartupTest;

class PagerGesture : public StartupTest {
 protected:
  void TearDown() override {
    StartupTest::TearDown();
    // The other pager tests find their stand-ins under the chart classes' names again.
    RegisterRecordingKLinePage();
    RegisterRecordingLandscape();
  }

  TrendlineController* Open() {
    server->setRights("", "30,31,49");
    // The K-line page is the real chart page, as the application registers it.
    RegisterKLineClasses();
    Launch();
    if (!LoggedInAndShown()) return nullptr;
    Settle();
    auto* navigation = app->getTabBarNavigationController(SelectedTab());
    auto screen = Extend::produceObject<ui::ViewController>("TrendlineController");
    auto* opened = dynamic_cast<TrendlineController*>(screen.get());
    if (!opened || !navigation) return nullptr;
    opened->SetStockInfo("600000", 1, 2);
    navigation->pushViewController(screen, false);
    advance(0.1);
    pager = opened;
    return opened;
  }

  ui::Button* Button(int page) const {
    return dynamic_cast<ui::Button*>(pager->menuBar()->viewWithTag(kStockMenuBase + page));
  }
  gfx::Point Centre(ui::View& view) const {
    const gfx::Rect r = view.convertRectToView(view.bounds(), nullptr);
    return {r.midX(), r.midY()};
  }
  // The page whose button the menu marks (disabled, the marker behind it), or -1.
  int Marked() const {
    int marked = -1;
    for (int page = 0; page < 6; ++page) {
      auto* b = Button(page);
      if (!b || b->isEnabled()) continue;
      if (marked >= 0) return -2;  // two marked
      marked = page;
    }
    return marked;
  }
  double Offset() const { return pager->scrollView()->contentOffset().x; }
  // The page at the pager's offset, counted as the menu counts them (the stock menu here has
  // every page up to F10 and the radar).
  int Shown() const { return static_cast<int>(Offset() / 320 + 0.5); }
  bool MarkerOn(int page) const {
    ui::Button* b = Button(page);
    for (const auto& sub : pager->menuBar()->subviews()) {
      if (sub.get() == b || dynamic_cast<ui::Button*>(sub.get())) continue;
      const gfx::Rect f = sub->frame();
      if (f.width() < 60 && std::abs(f.midX() - b->frame().midX()) < 0.5) return true;
    }
    return false;
  }

  // One finger from `from` by `dx`, `frames` moves 1/60 s apart, then still for `hold` seconds.
  static void Drag(gfx::Point from, double dx, int frames, double hold) {
    auto& application = ui::Application::shared();
    application.sendTouch(ui::TouchPhase::Began, 0, from);
    for (int i = 1; i <= frames; ++i) {
      advance(1.0 / 60);
      application.sendTouch(ui::TouchPhase::Moved, 0, {from.x + dx * i / frames, from.y});
    }
    if (hold > 0) advance(hold);
    application.sendTouch(ui::TouchPhase::Ended, 0, {from.x + dx, from.y});
  }
  static void Frames(int count) {
    for (int i = 0; i < count; ++i) advance(1.0 / 60);
  }

  // A point on the K-line page's price header: the chart leaves it to the pager.
  gfx::Point Header() const {
    ui::View* page = pager->pageView(kTagKLinePage);
    const gfx::Rect r = page->convertRectToView(page->bounds(), nullptr);
    return {r.minX() + 250, r.minY() + 30};
  }

  TrendlineController* pager = nullptr;
};

ui::Label* FindLabel(ui::View& view, const std::function<bool(const std::string&)>& match) {
  if (auto* label = dynamic_cast<ui::Label*>(&view); label && match(label->text())) return label;
  for (const auto& sub : view.subviews())
    if (auto* found = FindLabel(*sub, match)) return found;
  return nullptr;
}

TEST_F(PagerGesture, PinchesCaughtGlidesAndReleasedDragsLeaveTheMenuOnThePageShown) {
  ASSERT_NE(Open(), nullptr);
  ui::ScrollView* scroll = pager->scrollView();
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, Centre(*Button(kPageKLine)));
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, Centre(*Button(kPageKLine)));
  Frames(30);
  ASSERT_EQ(Offset(), 320);
  ASSERT_EQ(Marked(), kPageKLine);

  // Three quick notches of Ctrl + wheel over the MA labels: two-finger pinches, above the
  // chart's own area. The pager does not turn.
  ui::View* page = pager->pageView(kTagKLinePage);
  ui::Label* ma = FindLabel(*page, [](const std::string& t) { return t.rfind("MA5", 0) == 0; });
  ASSERT_NE(ma, nullptr);
  const gfx::Point row = Centre(*ma);
  // The notches as the window's wheel sends them (two fingers spreading about the pointer), each
  // event a millisecond after the one before, far quicker than frames.
  const gfx::Point centre{row.x + 60, row.y};
  auto fingers = [&](double apart) {
    return std::vector<std::pair<int, gfx::Point>>{{0, {centre.x - apart / 2, centre.y}},
                                                   {1, {centre.x + apart / 2, centre.y}}};
  };
  for (int notch = 0; notch < 3; ++notch) {
    auto& application = ui::Application::shared();
    application.sendTouches(ui::TouchPhase::Began, fingers(ui::kWheelPinchDistance));
    for (int i = 1; i <= 4; ++i) {
      advance(0.001);
      application.sendTouches(ui::TouchPhase::Moved,
                              fingers(ui::kWheelPinchDistance + ui::kWheelPinchTravel * i / 4));
    }
    advance(0.001);
    application.sendTouches(ui::TouchPhase::Ended,
                            fingers(ui::kWheelPinchDistance + ui::kWheelPinchTravel));
  }
  Frames(60);
  EXPECT_EQ(Offset(), 320);
  EXPECT_EQ(Marked(), kPageKLine);
  EXPECT_EQ(pager->selectedPage(), kPageKLine);

  // A flick toward 主力, caught half way by a new touch that lifts without dragging: the pager
  // goes on to a page and the menu marks it.
  Drag(Header(), -60, 3, 0);
  ASSERT_TRUE(scroll->isDecelerating());
  advance(0.05);
  const double caught = Offset();
  ASSERT_GT(caught, 320);
  ASSERT_LT(caught, 640);
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, Header());
  advance(0.3);
  EXPECT_EQ(Offset(), caught);  // held where the finger caught it
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, Header());
  Frames(60);
  EXPECT_EQ(Offset(), 320.0 * Shown());
  EXPECT_EQ(Marked(), Shown());
  EXPECT_TRUE(MarkerOn(Shown()));
  EXPECT_EQ(pager->selectedPage(), Shown());
  EXPECT_EQ(pager->scrollCurrentPage(), Shown());

  // A slow drag that ends exactly on the next page: nothing decelerates, the menu follows.
  const int from = Shown();
  const gfx::Point start = Centre(*scroll);
  Drag({start.x + 150, Header().y}, from == kPageKLine ? -320 : 320, 40, 0.3);
  Frames(30);
  const int to = from == kPageKLine ? kPageMainForce : kPageKLine;
  EXPECT_EQ(Offset(), 320.0 * to);
  EXPECT_EQ(Marked(), to);
  EXPECT_TRUE(MarkerOn(to));
  EXPECT_EQ(pager->selectedPage(), to);

  // Back on K线, a flick toward 主力 and, while the pager glides, a tap on the marked K线 button:
  // the K-line page comes back and stays.
  if (to != kPageKLine) {
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, Centre(*Button(kPageKLine)));
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, Centre(*Button(kPageKLine)));
    Frames(10);
  }
  ASSERT_EQ(Offset(), 320);
  Drag(Header(), -60, 3, 0);
  ASSERT_TRUE(scroll->isDecelerating());
  advance(0.05);
  ASSERT_GT(Offset(), 320);
  EXPECT_TRUE(Button(kPageKLine)->isEnabled());  // away from its page: it takes the tap
  ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, Centre(*Button(kPageKLine)));
  ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, Centre(*Button(kPageKLine)));
  Frames(60);
  EXPECT_EQ(Offset(), 320);
  EXPECT_EQ(Marked(), kPageKLine);
  EXPECT_EQ(pager->selectedPage(), kPageKLine);

  // Another screen asks for the K-line page while the pager glides toward 主力: it stays there.
  Drag(Header(), -60, 3, 0);
  ASSERT_TRUE(scroll->isDecelerating());
  advance(0.05);
  pager->showSubPage(kPageKLine);
  Frames(60);
  EXPECT_EQ(Offset(), 320);
  EXPECT_EQ(Marked(), kPageKLine);
  EXPECT_EQ(pager->selectedPage(), kPageKLine);
}

// Small gestures leave the page as it was: a slow nudge of any length short of half a page springs
// back, however the finger's first steps were timed, and two fingers never turn a page, wherever
// they pinch (the price panel above the charts, the main-force table).
TEST_F(PagerGesture, NudgesAndPinchesNeverTurnAPage) {
  ASSERT_NE(Open(), nullptr);
  auto& application = ui::Application::shared();
  auto select = [&](int page) {
    application.sendTouch(ui::TouchPhase::Began, 0, Centre(*Button(page)));
    application.sendTouch(ui::TouchPhase::Ended, 0, Centre(*Button(page)));
    Frames(30);
  };
  // One notch of Ctrl + wheel as the window plays it: two fingers spreading about the pointer,
  // the events far closer together than frames.
  auto pinch = [&](gfx::Point centre) {
    auto fingers = [&](double apart) {
      return std::vector<std::pair<int, gfx::Point>>{{0, {centre.x - apart / 2, centre.y}},
                                                     {1, {centre.x + apart / 2, centre.y}}};
    };
    application.sendTouches(ui::TouchPhase::Began, fingers(ui::kWheelPinchDistance));
    for (int i = 1; i <= 4; ++i) {
      advance(0.001);
      application.sendTouches(ui::TouchPhase::Moved,
                              fingers(ui::kWheelPinchDistance + ui::kWheelPinchTravel * i / 4));
    }
    advance(0.001);
    application.sendTouches(ui::TouchPhase::Ended,
                            fingers(ui::kWheelPinchDistance + ui::kWheelPinchTravel));
    Frames(60);
  };
  auto stays = [&](int page, const char* what) {
    EXPECT_EQ(Offset(), 320.0 * page) << what;
    EXPECT_EQ(Marked(), page) << what;
    EXPECT_EQ(pager->selectedPage(), page) << what;
    EXPECT_EQ(pager->markedPageFailure(), "") << what;
  };

  select(kPageKLine);
  ASSERT_EQ(Offset(), 320);
  // Half a second for each nudge (a drag of just short of half a page over a second and a half),
  // lifted a moment after the last step: a real finger never lifts in the instant it moved.
  for (double dx : {5.0, 10.0, 20.0, 30.0, 50.0, 70.0, 150.0}) {
    for (double sign : {-1.0, 1.0}) {
      if (Offset() != 320) select(kPageKLine);
      Drag(Header(), sign * dx, dx > 100 ? 90 : 30, 0.002);
      Frames(60);
      stays(kPageKLine, ("a slow nudge of " + std::to_string(sign * dx)).c_str());
    }
  }
  if (Offset() != 320) select(kPageKLine);
  pinch(Header());
  stays(kPageKLine, "a pinch over the K-line page's price panel");

  select(kPageTrend);
  ui::View* trend = pager->pageView(kTagTrendPage);
  const gfx::Rect trendFrame = trend->convertRectToView(trend->bounds(), nullptr);
  pinch({trendFrame.minX() + 200, trendFrame.minY() + 30});
  stays(kPageTrend, "a pinch over the trend page's price panel");

  select(kPageMainForce);
  ui::View* detail = pager->pageView(kTagDetailPage);
  auto* detailView = dynamic_cast<DetailView*>(detail);
  ASSERT_NE(detailView, nullptr);
  ASSERT_NE(detailView->buyTable(), nullptr);
  pinch(Centre(*detailView->buyTable()));
  stays(kPageMainForce, "a pinch over the main-force table");

  // A fling and a drag past half a page still turn it.
  if (Offset() != 640) select(kPageMainForce);
  Drag(Centre(*detailView->buyTable()), 60, 3, 0);
  Frames(60);
  EXPECT_EQ(Offset(), 320) << "a fling";
  Drag(Header(), -170, 40, 0.3);
  Frames(60);
  EXPECT_EQ(Offset(), 640) << "a drag past half a page";
}

// The pager declares that its menu marks the page on screen; the runner and the monkey ask it.
TEST_F(PagerGesture, TheMenuMarkingThePageShownIsADeclaredInvariant) {
  ASSERT_NE(Open(), nullptr);
  Frames(10);
  auto mine = [] {
    std::vector<std::string> out;
    for (const auto& f : ui::declaredInvariantFailures())
      if (f.find("detail pager") != std::string::npos) out.push_back(f);
    return out;
  };
  EXPECT_TRUE(mine().empty());
  // Put on another page behind the menu's back: the check tells.
  pager->scrollView()->setContentOffset({640, 0}, false);
  ASSERT_EQ(mine().size(), 1u);
  EXPECT_NE(mine()[0].find("'走势'"), std::string::npos) << mine()[0];
  EXPECT_NE(mine()[0].find("'主力'"), std::string::npos) << mine()[0];
  // From a stock's F10 page (its fourth button) to an index, whose menu has F10 third: only
  // F10 is marked, not the index's fourth button (信息) as well.
  pager->selectMenuPage(kPageF10);
  Frames(10);
  ASSERT_TRUE(mine().empty());
  pager->UpdateStockInfo("399001", 2, 1);
  Frames(10);
  EXPECT_TRUE(mine().empty()) << (mine().empty() ? "" : mine()[0]);
  int marked = 0;
  for (int page = 0; page < 6; ++page) {
    auto* b = dynamic_cast<ui::Button*>(pager->menuBar()->viewWithTag(kIndexMenuBase + page));
    if (b && !b->isEnabled()) {
      ++marked;
      EXPECT_EQ(b->currentTitle(), "F10");
    }
  }
  EXPECT_EQ(marked, 1);
  pager->UpdateStockInfo("600000", 1, 2);
  Frames(10);
  // Resting between pages is wrong too.
  pager->scrollView()->setContentOffset({500, 0}, false);
  EXPECT_EQ(mine().size(), 1u);
  pager->scrollView()->setContentOffset({960, 0}, false);  // F10, the stock's fourth page
  EXPECT_TRUE(mine().empty()) << (mine().empty() ? "" : mine()[0]);
}

}  // namespace
}  // namespace detailtest
