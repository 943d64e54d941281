// Writes a picture of each detail view no screen places, filled from the test server's quote of
// a stock with main-force data, for a person to look at: <build>/panel-shots/extra-*.png.
#include <gtest/gtest.h>

#include <string>

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "detail/PriceDetailPanelLand.h"
#include "panels/DetailIndexView.h"
#include "panels/DetailShow.h"
#include "panels/InOutRateBar.h"
#include "panels/StockView.h"
#include "panels/ZLCC_FLCC.h"
#include "panels/ZLCC_PZZJ.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Font.h"
#include "platform/ui/AnimationEngine.h"
#include "platform/ui/Screen.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/PictureSupport.h"

namespace {

using detailtest::DetailClientTest;

class ExtraViewPictures : public DetailClientTest {
 protected:
  void TearDown() override {
    // The pictures are drawn at 2x; later tests in this program expect the plain screen.
    ui::Screen::main().setScale(1);
    DetailClientTest::TearDown();
  }
  void shoot(ui::View& view, const std::string& name) {
    picturetest::WritePicture(view, folder + "/" + name);
  }
  // A black backdrop for views that are translucent or reach past their bounds.
  static std::shared_ptr<ui::View> Backdrop(double width, double height) {
    auto back = ui::View::create({0, 0, width, height});
    back->setBackgroundColor(gfx::Color::black());
    return back;
  }
  std::string folder;
};

TEST_F(ExtraViewPictures, EveryViewFromAServerQuote) {
  LoggedIn("30,31,49");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  // The main-force page asks for the holder-class figures.
  pager->changeUIToSubPage(kPageMainForce);
  pager->updateDataForSubPage(kPageMainForce);
  tagLocalStockData q{};
  ASSERT_TRUE(WaitFor([&] {
    return QuoteCache_GetQuote(q, 1, "600000") == 1 && q.mainMMC[0] != 0 &&
           q.mainFLCCBL[0].rate != 0;
  }));
  ui::Screen::main().setScale(2);
  folder = std::string(VERDAN_BINARY_DIR) + "/panel-shots";
  ASSERT_TRUE(foundation::makeDirectories(folder));
  const int decimals = q.xswsdot ? q.xswsdot : q.pricedot;

  auto monitor = ZLCC_PZZJ::initWithFrame({0, 0, 320, 160});
  monitor->setBackgroundColor(gfx::Color::black());
  monitor->setDataInfo(&q);
  shoot(*monitor, "extra-fund-monitor.png");
  // The server's flows are all inflows; two classes turned round show the outflow bars.
  tagLocalStockData mixed = q;
  mixed.mainMMC[1] = -mixed.mainMMC[1];
  mixed.mainMMC[3] = -mixed.mainMMC[3] / 2;
  monitor->setDataInfo(&mixed);
  shoot(*monitor, "extra-fund-monitor-outflows.png");

  auto holding = ZLCC_FLCC::initWithFrame({0, 0, 320, 240});
  holding->setBackgroundColor(gfx::Color::black());
  holding->setDataInfo(&q);
  shoot(*holding, "extra-holding-shares.png");

  auto strip = PriceDetailPanelLand::initWithFrame({0, 0, 480, 24});
  const char* titles[5] = {"收盘", "均价", "成交", "量比", "金额"};
  ui::Label* flags[5] = {strip->closeFlag(), strip->averageFlag(), strip->volFlag(),
                         strip->liangbiFlag(), strip->amountFlag()};
  for (int k = 0; k < 5; ++k) flags[k]->setText(titles[k]);
  strip->closeLabel()->setText(FormatPriceString(q.now, 8, decimals, q.now));
  strip->averageLabel()->setText(FormatPriceString(q.average, 8, decimals, q.average));
  strip->volLabel()->setText(FormatVolumeString(q.market, q.volume, q.unit, 6));
  strip->liangbiLabel()->setText(FormatRateString(q.lb, 2));
  strip->amountLabel()->setText(FormatAmountString(q.market, q.amount, 100, 6));
  auto stripBack = Backdrop(480, 24);
  stripBack->addSubview(strip);
  strip->presentView();
  advance(0.6);
  EXPECT_EQ(strip->frame().height(), 24);
  shoot(*stripBack, "extra-landscape-strip.png");

  auto index = DetailIndexView::initWithFrame({0, 0, 320, 100});
  index->SetDataInfo(q, 1);
  shoot(*index, "extra-index-detail.png");

  auto summary = DetailShow::initWithFrame({0, 0, 320, 80});
  summary->setBackgroundColor(gfx::Color::black());
  const gfx::Color change = DetailIndexView::CheckPriceColor(q.zd);
  summary->closeLabel()->setText(FormatPriceString(q.now, 8, decimals, q.now));
  summary->closeLabel()->setFont(gfx::Font::named("Helvetica-Bold", 36));
  summary->closeLabel()->setTextAlignment(gfx::TextAlignment::Center);
  summary->updownLabel()->setText(FormatPriceString(q.zd, 8, decimals, q.now));
  summary->rangeLabel()->setText(FormatValueString(q.zd, q.yesterday, q.now));
  for (ui::Label* label : {summary->closeLabel(), summary->updownLabel(), summary->rangeLabel()})
    label->setTextColor(change);
  const char* captions[4] = {"最高", "最低", "开盘", "成交"};
  ui::Label* statics[4] = {summary->highStaticLabel(), summary->lowStaticLabel(),
                           summary->openStaticLabel(), summary->volStaticLabel()};
  for (int i = 0; i < 4; ++i) {
    statics[i]->setText(captions[i]);
    statics[i]->setTextColor(gfx::Color::cyan());
  }
  summary->highLabel()->setText(FormatPriceString(q.high, 8, decimals, q.high));
  summary->lowLabel()->setText(FormatPriceString(q.low, 8, decimals, q.low));
  summary->openLabel()->setText(FormatPriceString(q.open, 8, decimals, q.open));
  summary->volLabel()->setText(FormatVolumeString(q.market, q.volume, q.unit, 6));
  shoot(*summary, "extra-quote-summary.png");

  auto barBack = Backdrop(320, 28);
  auto bar = InOutRateBar::initWithFrame({0, 6, 320, 16});
  barBack->addSubview(bar);
  bar->SetInOutData(static_cast<double>(q.in), static_cast<double>(q.out));
  EXPECT_NE(bar->OuterRateLabel()->text(), "外 ----");
  shoot(*barBack, "extra-inout-bar.png");

  auto tile = StockView::initWithFrame({0, 0, 80, 45});
  tile->StockName()->setText(UnicharsToNSString(q.name, sizeof q.name / sizeof q.name[0]));
  tile->Price()->setText(FormatPriceString(q.now, 8, decimals, q.now));
  tile->Rate()->setText(FormatValueString(q.zd, q.yesterday, q.now));
  shoot(*tile, "extra-stock-tile.png");
}

}  // namespace
