#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "detail/TrendlineController.h"
#include "panels/PageRoles.h"
#include "panels/PublicView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Button.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::kFall;
using paneltest::kRise;
using paneltest::kWhite;
using paneltest::SameRect;

class PublicViewTest : public paneltest::PanelTest {};

// A page that keeps a 30-point strip at the right edge, as the trend page does for its button.
class StripPage : public PublicView {
 public:
  using PublicView::PublicView;
  void SetTrendPricePanel() override {
    ++builds;
    BuildPricePanel(bounds().width() - 30);
  }
  int builds = 0;
};

tagLocalStockData Quote() {
  tagLocalStockData q = paneltest::ShanghaiStock();
  q.yesterday = 100000;  // 10.00
  q.open = 101000;
  q.high = 105000;
  q.low = 99000;
  q.now = 102500;
  q.zd = 2500;
  q.volume = 123456789;
  q.amount = 98765432100;
  q.realvol = 2000;
  return q;
}

TEST_F(PublicViewTest, BuildsTheCellsOnAPage) {
  auto view = PublicView::create({0, 0, 320, 300});
  ASSERT_TRUE(view->isBuilt());
  // Quote cell first, then the grid in member order.
  ASSERT_EQ(view->subviews().size(), 7u);
  EXPECT_EQ(view->subviews()[0].get(), view->mainPriceShow());
  EXPECT_TRUE(SameRect(view->mainPriceShow()->frame(), 0, 0, 120, 51));
  const char* names[] = {"开盘:", "最高:", "最低:", "总量:", "金额:", "现量:"};
  const double xs[] = {120, 120, 120, 220, 220, 220};
  const double ys[] = {0, 17, 34, 0, 17, 34};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    PriceShowView* cell = view->gridCell(i);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(view->subviews()[static_cast<size_t>(i) + 1].get(), cell);
    EXPECT_TRUE(SameRect(cell->frame(), xs[i], ys[i], 100, 17));
    EXPECT_EQ(cell->textName()->text(), names[i]);
    EXPECT_EQ(cell->textName()->textColor(), gfx::Color::rgb255(0, 255, 255));
    EXPECT_EQ(cell->textPrice()->text(), "--");
    EXPECT_EQ(cell->textPrice()->font().pointSize(), 12);
  }
  // The placeholders before the first record, "--%%" as it stands.
  EXPECT_EQ(view->mainPriceShow()->nowLabel()->text(), "--");
  EXPECT_EQ(view->mainPriceShow()->nowLabel()->font().pointSize(), 22);
  EXPECT_EQ(view->mainPriceShow()->updownLabel()->text(), "--");
  EXPECT_EQ(view->mainPriceShow()->rangeLabel()->text(), "--%%");
  EXPECT_EQ(view->mainPriceShow()->rangeLabel()->font().pointSize(), 14);
}

TEST_F(PublicViewTest, CreationBuildsThroughTheMostDerivedOverrideOnce) {
  auto page = PublicView::create<StripPage>({0, 0, 320, 300});
  EXPECT_EQ(page->builds, 1);
  EXPECT_TRUE(SameRect(page->gridCell(0)->frame(), 120, 0, 85, 17));
  EXPECT_TRUE(SameRect(page->gridCell(5)->frame(), 205, 34, 85, 17));
  // A second finish (a registry making it again) does not build twice.
  page->finishCreation();
  EXPECT_EQ(page->builds, 1);
  EXPECT_EQ(page->subviews().size(), 7u);

  // Constructed by hand (as a class registry does): nothing until finished.
  auto bare = std::make_shared<StripPage>(gfx::Rect{0, 0, 320, 300});
  EXPECT_EQ(bare->builds, 0);
  EXPECT_EQ(bare->mainPriceShow(), nullptr);
  bare->RefreshTrendPricePanel(Quote());  // no cells yet: nothing to write, nothing breaks
  bare->finishCreation();
  EXPECT_EQ(bare->builds, 1);
}

TEST_F(PublicViewTest, RefreshWritesEveryCell) {
  auto view = PublicView::create({0, 0, 320, 300});
  view->RefreshTrendPricePanel(Quote());
  PriceShowView* quote = view->mainPriceShow();
  EXPECT_EQ(quote->nowLabel()->text(), "10.25");
  EXPECT_EQ(quote->nowLabel()->textColor(), kRise);
  EXPECT_EQ(quote->updownLabel()->text(), "0.25");
  EXPECT_EQ(quote->rangeLabel()->text(), "2.50%");
  EXPECT_EQ(quote->rangeLabel()->textColor(), kRise);
  EXPECT_EQ(quote->ImageUpDownFlag()->image().name(), "red-up.png");
  EXPECT_EQ(view->gridCell(0)->textPrice()->text(), "10.10");
  EXPECT_EQ(view->gridCell(0)->textPrice()->textColor(), kRise);
  EXPECT_EQ(view->gridCell(2)->textPrice()->text(), "9.90");
  EXPECT_EQ(view->gridCell(2)->textPrice()->textColor(), kFall);
  // Volumes in lots, coloured yellow, amount grey, last volume white.
  EXPECT_NE(view->gridCell(3)->textPrice()->text().find("万"), std::string::npos);
  EXPECT_EQ(view->gridCell(3)->textPrice()->textColor(), gfx::Color::rgb255(255, 255, 0));
  EXPECT_EQ(view->gridCell(4)->textPrice()->textColor(), gfx::Color::grey(0.5));
  EXPECT_EQ(view->gridCell(5)->textPrice()->text(), "20");
  EXPECT_EQ(view->gridCell(5)->textPrice()->textColor(), kWhite);
  EXPECT_EQ(view->yesterday(), 100000);

  // A falling push recolours everything against the same previous close.
  tagLocalStockData q = Quote();
  q.now = 98000;
  q.zd = -2000;
  view->RefreshTrendPricePanel(q);
  EXPECT_EQ(quote->updownLabel()->text(), "-0.20");
  EXPECT_EQ(quote->updownLabel()->textColor(), kFall);
  EXPECT_EQ(quote->ImageUpDownFlag()->image().name(), "green-down.png");
}

TEST_F(PublicViewTest, RefreshEdgeCases) {
  auto view = PublicView::create({0, 0, 320, 300});
  PriceShowView* quote = view->mainPriceShow();

  tagLocalStockData q = Quote();
  q.now = 0;
  q.zd = 0;
  view->RefreshTrendPricePanel(q);
  for (auto* label : {quote->nowLabel(), quote->updownLabel(), quote->rangeLabel()}) {
    EXPECT_EQ(label->text(), "----");
    EXPECT_EQ(label->textColor(), kWhite);
  }
  EXPECT_EQ(quote->ImageUpDownFlag()->image().name(), "stop.png");

  q = Quote();
  q.now = q.yesterday;
  q.zd = 0;
  view->RefreshTrendPricePanel(q);
  EXPECT_EQ(quote->updownLabel()->text(), "0.00");
  EXPECT_EQ(quote->updownLabel()->textColor(), kWhite);
  EXPECT_EQ(quote->rangeLabel()->text(), "0.00%");

  q = Quote();
  q.open = 0;
  view->RefreshTrendPricePanel(q);
  EXPECT_EQ(view->gridCell(0)->textPrice()->text(), "----");
  EXPECT_EQ(view->gridCell(0)->textPrice()->textColor(), kFall);

  q = Quote();
  q.xswsdot = 3;
  view->RefreshTrendPricePanel(q);
  EXPECT_EQ(quote->nowLabel()->text(), "10.250");
  EXPECT_EQ(view->gridCell(1)->textPrice()->text(), "10.500");

  // Hong Kong: undivided volumes in the K/M/B style.
  q = Quote();
  q.market = 3;
  q.unit = 500;
  q.volume = 12345678;
  q.realvol = 4000;
  view->RefreshTrendPricePanel(q);
  EXPECT_EQ(view->gridCell(3)->textPrice()->text(), "12M");
  EXPECT_EQ(view->gridCell(5)->textPrice()->text(), "4000");
  EXPECT_EQ(view->gridCell(4)->textPrice()->text().find("万"), std::string::npos);

  // A lot size of 0 counts as 100.
  q = Quote();
  q.unit = 0;
  q.realvol = 2000;
  view->RefreshTrendPricePanel(q);
  EXPECT_EQ(view->gridCell(5)->textPrice()->text(), "20");
}

class Pager : public ui::Object, public AddSelfStockDelegate {
 public:
  void addStockToSelfStock(ui::Object* sender) override {
    ++calls;
    lastSender = sender;
  }
  int calls = 0;
  ui::Object* lastSender = reinterpret_cast<ui::Object*>(1);
};

TEST_F(PublicViewTest, WatchListHookAndButtons) {
  auto view = PublicView::create({0, 0, 320, 300});
  view->addSelfStock(view.get());  // no delegate: nothing

  auto stranger = std::make_shared<ui::Object>();
  view->setDelegate(stranger);
  view->addSelfStock(view.get());  // lacks the operation: nothing

  auto pager = std::make_shared<Pager>();
  view->setDelegate(pager);
  view->addSelfStock(view.get());
  EXPECT_EQ(pager->calls, 1);
  EXPECT_EQ(pager->lastSender, nullptr);
  pager.reset();  // not retained: a gone delegate is no delegate
  view->addSelfStock(view.get());

  view->RefreshSelfStockState(true);  // no button: nothing changes
  auto button = ui::Button::create(gfx::Rect{280, 0, 30, 30});
  button->setTag(kSelfStockButtonTag);
  view->addSubview(button);
  view->addSubview(ui::Button::create(gfx::Rect{0, 60, 30, 30}));
  view->RefreshSelfStockState(true);
  EXPECT_TRUE(button->isSelected());
  view->RefreshSelfStockState(false);
  EXPECT_FALSE(button->isSelected());

  EXPECT_FALSE(view->isPointInScrollRect({}));
  view->removeSubViews_AllButton();
  EXPECT_EQ(view->subviews().size(), 7u);
  EXPECT_EQ(button->superview(), nullptr);
}

}  // namespace

namespace {

class PanelPagesTest : public paneltest::PanelTest {};

// The pages the pager makes by class name come with the panel built for a 320-point page, and
// their quote operation refreshes it before anything else.
TEST_F(PanelPagesTest, PagesMadeByNameCarryABuiltPanel) {
  RegisterDetailClasses();
  for (const char* name : {"TrendFrameView", "HK10DangView"}) {
    SCOPED_TRACE(name);
    auto page = ui::ClassRegistry::shared().create<PublicView>(name);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->isBuilt());
    // The trend page keeps a 30-point strip free for its zoom button.
    const bool zoomStrip = std::string(name) == "TrendFrameView";
    const double x = zoomStrip ? 205 : 220, w = zoomStrip ? 85 : 100;
    EXPECT_TRUE(SameRect(page->gridCell(5)->frame(), x, 34, w, 17));
    page->setFrame({0, 0, 320, 314});  // the pager's page size leaves the cells as built
    EXPECT_TRUE(SameRect(page->gridCell(5)->frame(), x, 34, w, 17));

    auto* quotePage = dynamic_cast<QuotePage*>(page.get());
    ASSERT_NE(quotePage, nullptr);
    tagLocalStockData q = Quote();
    q.market = 3;
    q.unit = 500;
    quotePage->SetDataInfo(q, kQuoteFlagPush);
    // A push sets the panel once, on the loop's next turn.
    while (foundation::RunLoop::current()->runOnce()) {
    }
    EXPECT_EQ(page->mainPriceShow()->nowLabel()->text(), "10.25");
    EXPECT_EQ(page->gridCell(5)->textPrice()->text(), "2000");
  }
}

}  // namespace
