// Page control: the dots' row centred in the frame, the current dot's colour, and taps that
// turn one page and notify.
#include <string>
#include <vector>

#include "platform/graphics/RecordingContext.h"
#include "platform/ui/PageControl.h"
#include "tests/platform/ui/UiTestSupport.h"

namespace {

using gfx::Rect;
using ui::PageControl;
using uitest::UiTest;

Rect rectOf(const gfx::DrawOp& op) {
  return Rect(op.args.at(0), op.args.at(1), op.args.at(2), op.args.at(3));
}

std::vector<gfx::DrawOp> dots(PageControl& pc) {
  gfx::RecordingContext ctx;
  pc.drawRect(ctx, pc.bounds());
  return ctx.ops("fillEllipse");
}

TEST_F(UiTest, PageControlDrawsItsDotsCentredWithTheCurrentOneBrighter) {
  auto pc = PageControl::create(Rect(0, 400, 320, 36));
  pc->setNumberOfPages(3);
  pc->setCurrentPage(1);
  auto ops = dots(*pc);
  ASSERT_EQ(ops.size(), 3u);
  // Three 7-point dots 9 apart: a 39-point row from x 140.5, vertically centred at 14.5.
  const double xs[] = {140.5, 156.5, 172.5};
  for (size_t i = 0; i < 3; ++i) {
    Rect r = rectOf(ops[i]);
    EXPECT_DOUBLE_EQ(r.minX(), xs[i]) << i;
    EXPECT_DOUBLE_EQ(r.minY(), 14.5) << i;
    EXPECT_DOUBLE_EQ(r.width(), 7) << i;
  }
  EXPECT_EQ(ops[1].color, pc->currentPageIndicatorTintColor());
  EXPECT_EQ(ops[0].color, pc->pageIndicatorTintColor());
  EXPECT_EQ(ops[2].color, pc->pageIndicatorTintColor());
  EXPECT_GT(pc->currentPageIndicatorTintColor().a(), pc->pageIndicatorTintColor().a());

  // An even count stays centred on the frame's middle; a narrow frame overflows evenly.
  pc->setNumberOfPages(4);
  ops = dots(*pc);
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_DOUBLE_EQ(rectOf(ops[0]).minX() + rectOf(ops[3]).maxX(), 320);
  pc->setFrame(Rect(0, 0, 20, 10));
  ops = dots(*pc);
  EXPECT_DOUBLE_EQ(rectOf(ops[0]).minX(), (20 - 55) / 2.0);
  EXPECT_DOUBLE_EQ(rectOf(ops[0]).minY(), 1.5);
  EXPECT_EQ(PageControl::sizeForNumberOfPages(4).width, 55);
  EXPECT_EQ(PageControl::sizeForNumberOfPages(0).width, 0);
}

TEST_F(UiTest, PageControlKeepsThePageInRange) {
  auto pc = PageControl::create(Rect(0, 0, 320, 36));
  EXPECT_EQ(pc->numberOfPages(), 0);
  pc->setCurrentPage(2);  // no pages: page 0
  EXPECT_EQ(pc->currentPage(), 0);
  pc->setNumberOfPages(5);
  pc->setCurrentPage(9);
  EXPECT_EQ(pc->currentPage(), 4);
  pc->setCurrentPage(-3);
  EXPECT_EQ(pc->currentPage(), 0);
  pc->setCurrentPage(4);
  pc->setNumberOfPages(2);  // fewer pages pull the current page back
  EXPECT_EQ(pc->currentPage(), 1);
  pc->setNumberOfPages(-1);
  EXPECT_EQ(pc->numberOfPages(), 0);
  EXPECT_EQ(pc->currentPage(), 0);
  EXPECT_TRUE(dots(*pc).empty());

  // One page shows its dot unless the control hides for a single page.
  pc->setNumberOfPages(1);
  EXPECT_EQ(dots(*pc).size(), 1u);
  pc->setHidesForSinglePage(true);
  EXPECT_TRUE(dots(*pc).empty());
  pc->setNumberOfPages(2);
  EXPECT_EQ(dots(*pc).size(), 2u);
}

TEST_F(UiTest, PageControlTapsTurnOnePageAndNotify) {
  auto pc = PageControl::create(Rect(0, 400, 320, 36));
  pc->setNumberOfPages(3);
  window->addSubview(pc);
  std::vector<int> sent;
  pc->addTarget([&](ui::Control& c) { sent.push_back(static_cast<PageControl&>(c).currentPage()); },
                ui::ControlEvent::ValueChanged);

  tap(300, 418);  // right half, far from any dot
  tap(170, 418);  // right half, just past the middle
  tap(250, 418);  // already on the last page: nothing
  EXPECT_EQ(sent, (std::vector<int>{1, 2}));
  tap(20, 418);
  tap(150, 418);
  tap(150, 418);  // first page: nothing
  EXPECT_EQ(sent, (std::vector<int>{1, 2, 1, 0}));
  EXPECT_EQ(pc->currentPage(), 0);

  // Setting the page in code does not notify.
  pc->setCurrentPage(2);
  EXPECT_EQ(sent.size(), 4u);

  // A disabled control and a hidden single page ignore taps.
  pc->setEnabled(false);
  tap(20, 418);
  EXPECT_EQ(pc->currentPage(), 2);
  pc->setEnabled(true);
  pc->setNumberOfPages(1);
  pc->setHidesForSinglePage(true);
  tap(300, 418);
  tap(20, 418);
  EXPECT_EQ(pc->currentPage(), 0);
  EXPECT_EQ(sent.size(), 4u);
}

}  // namespace
