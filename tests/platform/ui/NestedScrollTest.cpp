// Scroll views inside scroll views: a drag belongs to the innermost one that can move along
// the finger's axis; the enclosing one does not start as well.
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ScrollView.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace {

using gfx::Point;
using gfx::Rect;
using gfx::Size;

class DragLog : public ui::ScrollViewDelegate {
 public:
  explicit DragLog(std::string name, std::vector<std::string>* log)
      : name_(std::move(name)), log_(log) {}
  void scrollViewWillBeginDragging(ui::ScrollView&) override { log_->push_back(name_ + " drag"); }
  void scrollViewDidEndDragging(ui::ScrollView&, bool) override { log_->push_back(name_ + " end"); }

 private:
  std::string name_;
  std::vector<std::string>* log_;
};

class NestedScrollTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    // A three-page pager with a three-page pane in its first page.
    outer = ui::ScrollView::create(Rect(0, 0, 320, 400));
    outer->setContentSize(Size(960, 400));
    outer->setPagingEnabled(true);
    inner = ui::ScrollView::create(Rect(20, 100, 280, 100));
    inner->setContentSize(Size(840, 100));
    inner->setPagingEnabled(true);
    outerLog = std::make_shared<DragLog>("outer", &log);
    innerLog = std::make_shared<DragLog>("inner", &log);
    outer->setDelegate(outerLog);
    inner->setDelegate(innerLog);
    outer->addSubview(inner);
    window->addSubview(outer);
  }

  void drag(Point from, Point to, int frames = 10) {
    touch(ui::TouchPhase::Began, from.x, from.y);
    for (int i = 1; i <= frames; ++i) {
      advance(1.0 / 60);
      double t = static_cast<double>(i) / frames;
      touch(ui::TouchPhase::Moved, from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t);
    }
    touch(ui::TouchPhase::Ended, to.x, to.y);
    for (int i = 0; i < 120; ++i) advance(1.0 / 60);
  }

  std::shared_ptr<ui::ScrollView> outer, inner;
  std::shared_ptr<DragLog> outerLog, innerLog;
  std::vector<std::string> log;
};

TEST_F(NestedScrollTest, HorizontalDragInsideThePaneTurnsOnlyThePane) {
  drag({250, 150}, {100, 150});
  EXPECT_EQ(inner->contentOffset(), Point(280, 0));
  EXPECT_EQ(outer->contentOffset(), Point(0, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"inner drag", "inner end"}));
  EXPECT_FALSE(outer->isDragging());

  // Outside the pane the pager turns.
  log.clear();
  drag({250, 300}, {100, 300});
  EXPECT_EQ(outer->contentOffset(), Point(320, 0));
  EXPECT_EQ(inner->contentOffset(), Point(280, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"outer drag", "outer end"}));
}

TEST_F(NestedScrollTest, PaneAtItsLastPageStillTakesTheDrag) {
  inner->setContentOffset(Point(560, 0));
  drag({250, 150}, {100, 150});
  // The pane bounces back to its last page; the pager does not move.
  EXPECT_EQ(inner->contentOffset(), Point(560, 0));
  EXPECT_EQ(outer->contentOffset(), Point(0, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"inner drag", "inner end"}));
}

TEST_F(NestedScrollTest, PaneThatCannotScrollLeavesTheDragToThePager) {
  inner->setScrollEnabled(false);
  drag({250, 150}, {100, 150});
  EXPECT_EQ(outer->contentOffset(), Point(320, 0));
  EXPECT_EQ(inner->contentOffset(), Point(0, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"outer drag", "outer end"}));

  // Content that fits the pane: nothing to scroll along that axis either.
  inner->setScrollEnabled(true);
  inner->setContentSize(Size(280, 100));
  log.clear();
  drag({100, 150}, {250, 150});
  EXPECT_EQ(outer->contentOffset(), Point(0, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"outer drag", "outer end"}));
}

TEST_F(NestedScrollTest, VerticalListInsideHorizontalPagerWinsOnlyItsOwnAxis) {
  inner->setPagingEnabled(false);
  inner->setContentSize(Size(280, 1000));
  // Across: the pager turns.
  drag({250, 150}, {100, 150});
  EXPECT_EQ(outer->contentOffset(), Point(320, 0));
  EXPECT_EQ(inner->contentOffset(), Point(0, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"outer drag", "outer end"}));

  // Along: the list scrolls, the pager stays.
  outer->setContentOffset(Point(0, 0));
  log.clear();
  drag({150, 190}, {150, 110}, 40);
  EXPECT_GT(inner->contentOffset().y, 0);
  EXPECT_EQ(outer->contentOffset(), Point(0, 0));
  EXPECT_EQ(log, (std::vector<std::string>{"inner drag", "inner end"}));
}

// The pane's owner stops the pager while the pane is dragged and lets it go afterwards.
TEST_F(NestedScrollTest, PagerTurnsAgainAfterThePaneDrag) {
  class Locking : public ui::ScrollViewDelegate {
   public:
    explicit Locking(ui::ScrollView* pager) : pager_(pager) {}
    void scrollViewWillBeginDragging(ui::ScrollView&) override { pager_->setScrollEnabled(false); }
    void scrollViewDidEndDragging(ui::ScrollView&, bool) override {
      pager_->setScrollEnabled(true);
    }

   private:
    ui::ScrollView* pager_;
  };
  auto locking = std::make_shared<Locking>(outer.get());
  inner->setDelegate(locking);
  drag({250, 150}, {100, 150});
  EXPECT_EQ(inner->contentOffset(), Point(280, 0));
  EXPECT_EQ(outer->contentOffset(), Point(0, 0));
  EXPECT_TRUE(outer->isScrollEnabled());
  drag({250, 300}, {100, 300});
  EXPECT_EQ(outer->contentOffset(), Point(320, 0));
}

}  // namespace
