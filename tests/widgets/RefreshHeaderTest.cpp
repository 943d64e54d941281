// The pull-to-refresh strip on its own: the texts and arrow of each state while dragging, what
// letting go does, the loading answer that blocks it, finishing, and the automatic form.
#include <cmath>

#include "WidgetTestSupport.h"
#include "widgets/EGORefreshTableHeaderView.h"

namespace {

using widgettest::WidgetTest;

// The owner: forwards its scroll view's events to the strip and records the strip's calls.
class StripOwner : public ui::ScrollViewDelegate, public EGORefreshTableHeaderDelegate {
 public:
  void scrollViewDidScroll(ui::ScrollView& s) override {
    if (auto h = strip.lock()) h->egoRefreshScrollViewDidScroll(s);
  }
  void scrollViewDidEndDragging(ui::ScrollView& s, bool) override {
    if (auto h = strip.lock()) h->egoRefreshScrollViewDidEndDragging(s);
  }
  void egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView&) override { ++triggers; }
  bool egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView&) override {
    return loading;
  }
  bool egoRefreshTableHeaderDidTriggerRefreshUpdateScrollInset(
      EGORefreshTableHeaderView&, const gfx::EdgeInsets& insets) override {
    if (!appliesInsets) return false;
    applied.push_back(insets);
    return true;
  }

  std::weak_ptr<EGORefreshTableHeaderView> strip;
  bool loading = false;
  bool appliesInsets = false;
  int triggers = 0;
  std::vector<gfx::EdgeInsets> applied;
};

class RefreshHeaderTest : public WidgetTest {
 protected:
  void SetUp() override {
    WidgetTest::SetUp();
    scroll = ui::ScrollView::create(gfx::Rect(0, 0, 320, 400));
    scroll->setContentSize(gfx::Size(320, 1000));
    scroll->setAlwaysBounceVertical(true);
    owner = std::make_shared<StripOwner>();
    scroll->setDelegate(owner);
    window->addSubview(scroll);
  }
  std::shared_ptr<EGORefreshTableHeaderView> makeStrip(int form) {
    const double y =
        form == EGORefreshTableHeaderView::TopForm ? -40 : scroll->contentSize().height;
    auto strip = EGORefreshTableHeaderView::create(gfx::Rect(0, y, 320, 40));
    strip->setDelegate(owner);
    if (form == EGORefreshTableHeaderView::TopForm) strip->updateEGORefreashType(form);
    scroll->addSubview(strip);
    owner->strip = strip;
    return strip;
  }
  // Finger down at (160, 100) and moved by `dy` in 2-point steps (the content follows at half
  // speed past the top edge).
  void pullBy(double dy) {
    touch(ui::TouchPhase::Began, 160, 100);
    const int steps = static_cast<int>(std::fabs(dy) / 2);
    for (int i = 1; i <= steps; ++i) {
      advance(1.0 / 60);
      touch(ui::TouchPhase::Moved, 160, 100 + (dy > 0 ? 2 : -2) * i);
    }
  }
  void release(double y) {
    advance(0.3);
    touch(ui::TouchPhase::Ended, 160, y);
  }

  std::shared_ptr<ui::ScrollView> scroll;
  std::shared_ptr<StripOwner> owner;
};

TEST_F(RefreshHeaderTest, ATopStripArmsPastFortyPointsAndDisarmsWhenPushedBack) {
  auto strip = makeStrip(EGORefreshTableHeaderView::TopForm);
  EXPECT_EQ(strip->statusLabel()->text(), "下拉即可更新...");
  EXPECT_EQ(strip->arrowView()->transform(), gfx::AffineTransform::rotation(M_PI));
  EXPECT_EQ(strip->arrowView()->layer().contents().name(),
            gfx::Image::named("whiteArrow.png").name());
  pullBy(82);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -41);
  EXPECT_EQ(strip->statusLabel()->text(), "松开即可更新...");
  EXPECT_EQ(strip->arrowView()->transform(), gfx::AffineTransform::identity());
  advance(1.0 / 60);
  touch(ui::TouchPhase::Moved, 160, 178);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, -39);
  EXPECT_EQ(strip->statusLabel()->text(), "下拉即可更新...");
  EXPECT_EQ(strip->arrowView()->transform(), gfx::AffineTransform::rotation(M_PI));
  release(178);
  settle(1);
  EXPECT_EQ(owner->triggers, 0);
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(RefreshHeaderTest, LettingGoPastTheEdgeLoadsAfterTheDelayEvenWhenNeverArmed) {
  auto strip = makeStrip(EGORefreshTableHeaderView::TopForm);
  scroll->setContentOffset(gfx::Point(0, -50));  // no drag saw it: still idle
  EXPECT_EQ(strip->state(), EGORefreshTableHeaderView::Idle);
  strip->egoRefreshScrollViewDidEndDragging(*scroll);
  EXPECT_EQ(strip->state(), EGORefreshTableHeaderView::Loading);
  EXPECT_EQ(strip->statusLabel()->text(), "加载中...");
  EXPECT_TRUE(strip->activityView()->isAnimating());
  EXPECT_EQ(scroll->contentInset(), gfx::EdgeInsets(40, 0, 0, 0));  // no inset method: on S
  advance(0.19);
  EXPECT_EQ(owner->triggers, 0);
  advance(0.02);
  EXPECT_EQ(owner->triggers, 1);

  strip->egoRefreshScrollViewDataSourceDidFinishedLoading(*scroll);
  EXPECT_EQ(scroll->contentInset(), gfx::EdgeInsets());
  EXPECT_EQ(strip->state(), EGORefreshTableHeaderView::Idle);
  EXPECT_EQ(strip->statusLabel()->text(), "下拉即可更新...");
  EXPECT_FALSE(strip->activityView()->isAnimating());
}

TEST_F(RefreshHeaderTest, ALoadingAnswerBlocksDraggingAndLettingGo) {
  auto strip = makeStrip(EGORefreshTableHeaderView::TopForm);
  owner->loading = true;
  pullBy(120);
  EXPECT_LT(scroll->contentOffset().y, -50);
  EXPECT_EQ(strip->state(), EGORefreshTableHeaderView::Idle);
  release(220);
  settle(1);
  EXPECT_EQ(owner->triggers, 0);
  EXPECT_FALSE(strip->isTriggerPending());
  EXPECT_EQ(strip->state(), EGORefreshTableHeaderView::Idle);
}

TEST_F(RefreshHeaderTest, ABottomStripUnderShortContentLoadsOnAnyRelease) {
  scroll->setContentSize(gfx::Size(320, 200));  // c + 40 < h
  auto strip = makeStrip(EGORefreshTableHeaderView::BottomForm);
  owner->appliesInsets = true;
  EXPECT_EQ(strip->statusLabel()->text(), "上拉即可更新...");
  pullBy(-20);  // a small push up
  EXPECT_EQ(strip->state(), EGORefreshTableHeaderView::Armed);
  EXPECT_EQ(strip->arrowView()->transform(), gfx::AffineTransform::rotation(M_PI));
  release(80);
  EXPECT_EQ(owner->applied, (std::vector<gfx::EdgeInsets>{gfx::EdgeInsets(0, 0, 40, 0)}));
  EXPECT_EQ(scroll->contentInset(), gfx::EdgeInsets());  // the owner applies them
  advance(0.25);
  EXPECT_EQ(owner->triggers, 1);
}

TEST_F(RefreshHeaderTest, OneLoadPerReleaseAndNoneForAStripThatWentAway) {
  auto strip = makeStrip(EGORefreshTableHeaderView::TopForm);
  scroll->setContentOffset(gfx::Point(0, -60));
  strip->egoRefreshScrollViewDidEndDragging(*scroll);
  strip->egoRefreshScrollViewDidEndDragging(*scroll);  // within the delay
  advance(0.5);
  EXPECT_EQ(owner->triggers, 1);

  auto gone = makeStrip(EGORefreshTableHeaderView::TopForm);
  scroll->setContentOffset(gfx::Point(0, -60));
  gone->egoRefreshScrollViewDidEndDragging(*scroll);
  EXPECT_TRUE(gone->isTriggerPending());
  gone->removeFromSuperview();
  gone.reset();
  advance(0.5);
  EXPECT_EQ(owner->triggers, 1);
}

TEST_F(RefreshHeaderTest, TheAutomaticFormLoadsAsSoonAsTheBottomIsPassed) {
  auto strip = makeStrip(EGORefreshTableHeaderView::BottomForm);
  strip->setAutoLoading(true);
  scroll->setContentOffset(gfx::Point(0, 600));  // the bottom edge
  pullBy(-100);
  EXPECT_EQ(owner->triggers, 1);  // at once, while the finger is still down
  EXPECT_EQ(strip->state(), EGORefreshTableHeaderView::Loading);
  EXPECT_EQ(scroll->contentInset(), gfx::EdgeInsets(0, 0, 40, 0));
  release(0);
  advance(0.5);
  EXPECT_EQ(owner->triggers, 1);  // letting go does nothing more
}

}  // namespace
