// The small detail views no screen places: the landscape price strip, the index detail view,
// the quote summary, the inside/outside bar and the stock tile.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "core/StockData.h"
#include "detail/PriceDetailPanelLand.h"
#include "panels/DetailIndexView.h"
#include "panels/DetailShow.h"
#include "panels/InOutRateBar.h"
#include "panels/StockView.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Touch.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::kFall;
using paneltest::kRise;
using paneltest::kWhite;
using paneltest::SameRect;

class ExtraViews : public paneltest::PanelTest {
 protected:
  static void tap(gfx::Point p) {
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, p);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, p);
  }
};

TEST_F(ExtraViews, LandscapeStripUnfoldsOverHalfASecondAndFoldsBackToItsOwnHeight) {
  auto strip = PriceDetailPanelLand::initWithFrame({0, 40, 500, 30});
  window->addSubview(strip);
  ASSERT_EQ(strip->subviews().size(), 11u);
  for (const auto& label : strip->subviews()) EXPECT_EQ(label->frame().height(), 0);
  EXPECT_EQ(strip->backgroundColor(), gfx::Color::rgb255(10, 32, 92, 0.4));

  strip->presentView();
  advance(0.25);
  const double halfway = strip->closeLabel()->presentationFrame().height();
  EXPECT_GT(halfway, 0);
  EXPECT_LT(halfway, 30);
  advance(0.3);
  ui::Label* values[5] = {strip->closeLabel(), strip->averageLabel(), strip->volLabel(),
                          strip->liangbiLabel(), strip->amountLabel()};
  ui::Label* titles[5] = {strip->closeFlag(), strip->averageFlag(), strip->volFlag(),
                          strip->liangbiFlag(), strip->amountFlag()};
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(SameRect(values[k]->presentationFrame(), 40 + 100 * k, 0, 60, 30)) << k;
    EXPECT_TRUE(SameRect(titles[k]->presentationFrame(), 100 * k, 0, 40, 30)) << k;
  }
  EXPECT_EQ(strip->timeFlag()->frame().height(), 0);
  EXPECT_TRUE(SameRect(strip->presentationFrame(), 0, 40, 500, 30));

  strip->removeView();
  advance(0.6);
  EXPECT_EQ(strip->frame().height(), 0);
  EXPECT_EQ(strip->amountLabel()->frame().height(), 0);
  EXPECT_EQ(strip->superview(), window.get());
  // Whatever height it had in between, presenting again restores the one taken at creation.
  strip->setFrame({0, 40, 500, 77});
  strip->presentView();
  advance(0.6);
  EXPECT_TRUE(SameRect(strip->frame(), 0, 40, 500, 30));
  EXPECT_EQ(strip->amountFlag()->frame().height(), 30);
}

TEST_F(ExtraViews, IndexDetailViewPlaceholdersAndColours) {
  auto view = DetailIndexView::initWithFrame({0, 0, 320, 100});
  PriceShowView* main = view->mainPriceShow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->nowLabel()->text(), "--");
  EXPECT_EQ(main->updownLabel()->text(), "--");
  EXPECT_EQ(main->rangeLabel()->text(), "--%%");
  const char* names[5] = {"开盘", "最高", "最低", "成交", "金额"};
  for (int i = 0; i < 5; ++i) {
    ASSERT_NE(view->row(i), nullptr);
    EXPECT_EQ(view->row(i)->textName()->text(), names[i]);
    EXPECT_EQ(view->row(i)->textPrice()->text(), "--");
    EXPECT_TRUE(SameRect(view->row(i)->frame(), 160, 20 * i, 150, 20));
  }
  EXPECT_TRUE(SameRect(main->frame(), 10, 0, 150, 100));
  // Building again makes nothing twice.
  view->SetDetailPricePanel();
  EXPECT_EQ(view->subviews().size(), 6u);

  tagLocalStockData q{};
  q.market = 1;
  q.pricedot = 2;
  q.unit = 100;
  q.yesterday = 100000;
  q.now = 100000;
  q.open = 100000;
  q.high = 103000;
  q.low = 98000;
  q.volume = 1234500;
  q.amount = 123456789;
  view->SetDataInfo(q, 2);
  EXPECT_EQ(view->stockInfo().high, 103000);
  EXPECT_EQ(main->ImageUpDownFlag()->image().name(), "stop.png");
  EXPECT_EQ(main->nowLabel()->text(), "10.00");
  for (ui::Label* label : {main->nowLabel(), main->updownLabel(), main->rangeLabel(),
                           view->row(0)->textPrice(), view->row(4)->textPrice()})
    EXPECT_EQ(label->textColor(), kWhite) << label->text();
  EXPECT_EQ(view->row(1)->textPrice()->textColor(), kRise);
  EXPECT_EQ(view->row(2)->textPrice()->textColor(), kFall);
  EXPECT_EQ(view->row(3)->textPrice()->textColor(), gfx::Color::yellow());

  // No last price and no change: placeholders for all three.
  q.now = 0;
  q.zd = 0;
  // A missing high must not wrap around into the rise colour.
  q.high = INT32_MIN;
  view->SetDataInfo(q, 1);
  EXPECT_EQ(main->nowLabel()->text(), "----");
  EXPECT_EQ(main->updownLabel()->text(), "----");
  EXPECT_EQ(main->rangeLabel()->text(), "----");
  EXPECT_EQ(view->row(1)->textPrice()->textColor(), kFall);

  q.now = 98000;
  q.zd = -2000;
  view->SetDataInfo(q, 2);
  EXPECT_EQ(main->ImageUpDownFlag()->image().name(), "green-down.png");
  EXPECT_EQ(main->rangeLabel()->text(), "-2.00%");
  EXPECT_EQ(view->row(4)->textPrice()->textColor(), kFall);
}

TEST_F(ExtraViews, SummaryLabelsBarSplitAndTileTap) {
  // 322 x 83: rows 20 high, columns 161 wide, halves cut to 80 and 241.
  auto summary = DetailShow::initWithFrame({5, 5, 322, 83});
  ASSERT_EQ(summary->subviews().size(), 11u);
  EXPECT_TRUE(SameRect(summary->closeLabel()->frame(), 0, 0, 161, 60));
  EXPECT_TRUE(SameRect(summary->updownLabel()->frame(), 0, 60, 80, 20));
  EXPECT_TRUE(SameRect(summary->rangeLabel()->frame(), 80, 60, 80, 20));
  EXPECT_TRUE(SameRect(summary->highLabel()->frame(), 241, 0, 80, 20));
  EXPECT_TRUE(SameRect(summary->volLabel()->frame(), 241, 60, 80, 20));
  EXPECT_TRUE(SameRect(summary->openStaticLabel()->frame(), 161, 40, 80, 20));
  EXPECT_EQ(summary->volStaticLabel()->textColor(), kWhite);
  EXPECT_EQ(summary->closeLabel()->text(), "");

  auto bar = InOutRateBar::initWithFrame({0, 0, 200, 20});
  EXPECT_FALSE(bar->arrow()->image().isEmpty());
  EXPECT_TRUE(SameRect(bar->arrowRect(), 96, -4, 9, 20));
  bar->SetInOutData(300, 100);
  EXPECT_EQ(bar->OuterRateLabel()->text(), "外 25.00%");
  EXPECT_EQ(bar->InnerRateLabel()->text(), "内 75.00%");
  EXPECT_TRUE(SameRect(bar->arrow()->frame(), 46, -4, 9, 20));
  // No split: dashes, and the pointer stays where it was.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (auto [inner, outer] :
       std::vector<std::pair<double, double>>{{0, 0}, {-5, -10}, {-100, 300}, {nan, 1}, {inf, 1}}) {
    bar->SetInOutData(300, 100);
    bar->SetInOutData(inner, outer);
    EXPECT_EQ(bar->OuterRateLabel()->text(), "外 ----") << inner << " " << outer;
    EXPECT_EQ(bar->InnerRateLabel()->text(), "内 ----");
    EXPECT_TRUE(SameRect(bar->arrow()->frame(), 46, -4, 9, 20));
  }
  gfx::RecordingContext rec(bar->bounds().size);
  bar->drawRect(rec, bar->bounds());
  const gfx::DrawOp* gradient = rec.first("drawLinearGradient");
  ASSERT_NE(gradient, nullptr);
  EXPECT_EQ(gradient->gradient, bar->gradient());
  EXPECT_EQ(gradient->args, (std::vector<double>{0, 0, 200, 0, 0, 0}));

  struct Receiver : StockViewDelegate {
    void ExcuteIndexShow(int tag) override { tags.push_back(tag); }
    std::vector<int> tags;
  };
  auto receiver = std::make_shared<Receiver>();
  auto tile = StockView::initWithFrame({30, 100, 80, 45});
  tile->setTag(7);
  window->addSubview(tile);
  // The tap area is the tile, not the tile's frame taken inside it.
  EXPECT_TRUE(SameRect(tile->IndexBtn()->frame(), 0, 0, 80, 45));
  tap({70, 122});
  EXPECT_TRUE(receiver->tags.empty());
  tile->setDelegate(receiver);
  tap({70, 122});
  tap({105, 140});
  EXPECT_EQ(receiver->tags, (std::vector<int>{7, 7}));
  // Outside the tile, and after the delegate is gone: nothing.
  tap({115, 122});
  tile->setDelegate(std::weak_ptr<Receiver>());
  tap({70, 122});
  EXPECT_EQ(receiver->tags.size(), 2u);
}

}  // namespace
