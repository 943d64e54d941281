// The index ticker on its own: the rows before data, the rolling on the engine's ticks, what a
// finger on a row opens.
#include <gtest/gtest.h>

#include <vector>

#include "core/QuoteCache.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "ranking/MarqueeView.h"
#include "ranking/RankingClasses.h"
#include "shell/MarqueeTicker.h"
#include "shell/ThreadCache.h"
#include "tests/widgets/WidgetTestSupport.h"
#include "widgets/QuoteColors.h"
#include "widgets/WidgetClasses.h"

namespace rankingtest {
namespace {

class TickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::Clock::setManual();
    QuoteCache_Init();
    RegisterWidgetClasses();
    RegisterRankingClasses();
  }
  void TearDown() override { foundation::Clock::setReal(); }
  static void Settle(double seconds) {
    foundation::Clock::advance(seconds);
    while (foundation::RunLoop::main()->runOnce(foundation::kDefaultRunLoopMode, 0)) {
    }
  }
};

TEST_F(TickerTest, MadeByNameShowsDashesBeforeAnyData) {
  auto role = CreateMarqueeView(gfx::Rect(0, 408, 320, 28));
  ASSERT_NE(role, nullptr);
  auto* bar = dynamic_cast<MarqueeView*>(role.get());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->frame(), gfx::Rect(0, 408, 320, 28));
  EXPECT_EQ(bar->backgroundView()->frame(), gfx::Rect(0, 0, 320, 28));
  EXPECT_EQ(bar->moveView(), nullptr);
  IndexMarquee* marquee = bar->indexMarquee();
  ASSERT_EQ(marquee->rowCount(), 3);
  for (int row = 0; row < 3; ++row) {
    IndexItemView* item = marquee->cell(row);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->frame().y(), row * 26);
    EXPECT_EQ(item->label(2)->text(), "----") << row;
    EXPECT_EQ(item->label(6)->text(), "0↑");
    EXPECT_EQ(item->label(7)->text(), "0↓");
  }
}

TEST_F(TickerTest, ChangeSignAndColours) {
  IndexItemView item;
  tagLocalStockData rec{};
  rec.pricedot = 2;
  rec.yesterday = 30000000;
  rec.now = 30000000;
  rec.zd = 0;
  item.updateItemData(rec);
  EXPECT_EQ(item.label(3)->text().front(), '0');
  EXPECT_EQ(item.label(2)->textColor(), gfx::Color::white());
  rec.now = 30500000;
  rec.zd = 500000;
  item.updateItemData(rec);
  EXPECT_EQ(item.label(3)->text().front(), '+');
  EXPECT_EQ(item.label(4)->text().front(), '+');
  EXPECT_EQ(item.label(2)->textColor(), widgets::UpDownColor(1));
  rec.now = 29500000;
  rec.zd = -500000;
  item.updateItemData(rec);
  EXPECT_EQ(item.label(3)->text().front(), '-');
  EXPECT_EQ(item.label(2)->textColor(), widgets::UpDownColor(-1));
}

TEST_F(TickerTest, RollsEveryFiveSecondsOfEngineTicksAndComesBackFromAbove) {
  auto bar = MarqueeView::initWithFrame(gfx::Rect(0, 0, 320, 28));
  IndexMarquee* marquee = bar->indexMarquee();
  ThreadCache& engine = ThreadCache::sharedThreadCache();
  const size_t subscribed = engine.updateObjectCount();
  bar->start();
  EXPECT_TRUE(marquee->isScroll());
  EXPECT_EQ(engine.updateObjectCount(), subscribed + 1);
  bar->start();
  EXPECT_EQ(engine.updateObjectCount(), subscribed + 1);

  auto ticks = [&](int count) {
    for (int i = 0; i < count; ++i) marquee->updateObject(static_cast<float>(1.0 / 30));
  };
  ticks(150);  // 5 s: not yet past
  EXPECT_EQ(marquee->showIndex(), 0);
  ticks(2);
  EXPECT_EQ(marquee->showIndex(), 1);
  Settle(1);
  EXPECT_DOUBLE_EQ(marquee->scrollView()->contentOffset().y, 26);
  ticks(152);
  EXPECT_EQ(marquee->showIndex(), 2);
  Settle(1);
  EXPECT_DOUBLE_EQ(marquee->scrollView()->contentOffset().y, 52);
  // The third roll: row 0 again, entering from one row above.
  ticks(152);
  EXPECT_EQ(marquee->showIndex(), 0);
  EXPECT_DOUBLE_EQ(marquee->scrollView()->contentOffset().y, -26);
  Settle(1);
  EXPECT_DOUBLE_EQ(marquee->scrollView()->contentOffset().y, 0);
  ticks(152);
  EXPECT_EQ(marquee->showIndex(), 1);

  bar.reset();
  EXPECT_EQ(engine.updateObjectCount(), subscribed);
}

TEST_F(TickerTest, MoverDriftsItsViewsLeftAndStartsOver) {
  auto mover = MoveView::create(gfx::Rect(0, 0, 200, 28));
  auto a = ui::View::create(gfx::Rect(0, 0, 50, 20));
  auto b = ui::View::create(gfx::Rect(0, 0, 40, 20));
  mover->addSubview(a);
  mover->addSubview(b);
  ASSERT_EQ(mover->moveViews().size(), 2u);
  ThreadCache& engine = ThreadCache::sharedThreadCache();
  const size_t before = engine.actionCount();
  mover->start();
  EXPECT_EQ(engine.actionCount(), before + 2);
  EXPECT_GT(b->center().x, a->center().x);
  mover->clear();
  EXPECT_TRUE(mover->moveViews().empty());
  auto bar = MarqueeView::initWithFrame(gfx::Rect(0, 0, 480, 28));
  bar->setMoveView(mover);
  bar->updateMoveSizeWidth(480);
  EXPECT_EQ(mover->frame(), gfx::Rect(320, 0, 160, 28));
}

// Keeps what the rows tell of touches: the row under a finger that came down, and the row tapped.
class IndexTouches : public IndexMarqueeDelegate {
 public:
  void indexMarqueeTouchWillTouchWithIndexPath(ui::View&, int row) override {
    downs.push_back(row);
  }
  void indexMarqueeTouchDidTouchWithIndexPath(ui::View&, int row) override { taps.push_back(row); }
  std::vector<int> downs, taps;
};

// The bar where the client lays it, just above the tab bar, in a window that takes fingers.
class TickerTouchTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    QuoteCache_Init();
    RegisterWidgetClasses();
    RegisterRankingClasses();
    bar = CreateMarqueeView(gfx::Rect(0, 408, 320, 28));
    ASSERT_NE(bar, nullptr);
    window->addSubview(bar->barView());
    touches = std::make_shared<IndexTouches>();
    bar->setIndexDelegate(touches);
  }
  void TearDown() override {
    bar.reset();
    WindowTest::TearDown();
  }
  std::shared_ptr<MarqueeViewRole> bar;
  std::shared_ptr<IndexTouches> touches;
};

TEST_F(TickerTouchTest, OnlyATapOpensTheIndexADragThatLeavesTheRowDoesNot) {
  tap(160, 421);
  EXPECT_EQ(touches->taps, std::vector<int>{0});

  // Up over the list, sideways along the bar: touch-down is told, no index opens.
  drag({160, 421}, {160, 150}, 20);
  drag({160, 421}, {60, 421}, 20);
  EXPECT_EQ(touches->downs.size(), 3u);
  EXPECT_EQ(touches->taps.size(), 1u);

  // Out of reach and back again before the lift is no tap either.
  touch(ui::TouchPhase::Began, 160, 421);
  touch(ui::TouchPhase::Moved, 220, 421);
  touch(ui::TouchPhase::Moved, 160, 421);
  touch(ui::TouchPhase::Ended, 160, 421);
  EXPECT_EQ(touches->taps.size(), 1u);

  // A finger that shifts a little, within tap reach, still taps.
  drag({100, 420}, {106, 425}, 4);
  EXPECT_EQ(touches->taps.size(), 2u);
  EXPECT_EQ(touches->downs.size(), 5u);
}

}  // namespace
}  // namespace rankingtest
