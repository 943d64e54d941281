// Writes pictures of the price panel and of a full tick table for a person to look at:
// <build>/panel-shots/*.png.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "core/StockData.h"
#include "panels/DetailTable.h"
#include "panels/PublicView.h"
#include "platform/ui/AnimationEngine.h"
#include "tests/detail/PanelTestSupport.h"
#include "tests/detail/PictureSupport.h"

namespace {

class PanelPicturesTest : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    ui::Screen::main().setScale(2);
    folder = std::string(VERDAN_BINARY_DIR) + "/panel-shots";
    ASSERT_TRUE(foundation::makeDirectories(folder));
  }
  void shoot(ui::View& view, const std::string& name) {
    picturetest::WritePicture(view, folder + "/" + name);
  }
  std::string folder;
};

tagLocalStockData Shanghai() {
  tagLocalStockData q = paneltest::ShanghaiQuote();
  q.open = 100800;
  q.high = 104300;
  q.low = 99500;
  q.volume = 45678900;
  q.amount = 468000000000;
  q.realvol = 12300;
  return q;
}

tagLocalStockData HongKongStock() {
  tagLocalStockData q{};
  q.market = 3;
  std::memcpy(q.code, "00700", 6);
  q.pricedot = 3;
  q.xswsdot = 3;
  q.unit = 100;
  q.yesterday = 3862000;
  q.open = 3850000;
  q.high = 3880000;
  q.low = 3790000;
  q.now = 3810000;
  q.zd = -52000;
  q.volume = 15234500;
  q.amount = 5812300000000;
  q.realvol = 2000;
  return q;
}

TEST_F(PanelPicturesTest, PricePanelsAndTickTable) {
  auto panel = PublicView::create({0, 0, 320, 51});
  panel->setBackgroundColor(gfx::Color::black());
  shoot(*panel, "price-panel-empty.png");
  panel->RefreshTrendPricePanel(Shanghai());
  shoot(*panel, "price-panel-shanghai.png");
  panel->RefreshTrendPricePanel(HongKongStock());
  shoot(*panel, "price-panel-hongkong.png");

  auto table = DetailTable::createCustom({0, 0, 160, 20 + 20 * 17});
  table->setBackgroundColor(gfx::Color::black());
  window->addSubview(table);
  const tagLocalStockData quote = Shanghai();
  table->SetDataInfo(&quote);
  std::array<tagLocalDealData, kDetailTableCapacity> ticks{};
  for (int i = 0; i < kDetailTableCapacity; ++i) {
    auto& tick = ticks[static_cast<size_t>(i)];
    tick.time = static_cast<int16_t>(1430 + i);
    tick.price = 102000 + ((i * 7) % 5 - 2) * 100;
    tick.volume = 5 + i * 37 % 400;
    tick.inoutflag = static_cast<char>(i % 3);
  }
  table->setDetailDataArray(ticks, kDetailTableCapacity);
  advance(1);
  table->tableView()->layoutIfNeeded();
  EXPECT_EQ(table->tableView()->visibleCells().size(), 20u);
  shoot(*table, "tick-table-20.png");
}

}  // namespace
