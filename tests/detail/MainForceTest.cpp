// The main-force page: its two side tables, the order-size pie with its figures, the page's
// layout and feeding, and the page against the in-process test server.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "detail/TrendlineController.h"
#include "panels/DetailView.h"
#include "panels/ZLLHDataView.h"
#include "panels/ZLLHTable.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Button.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/PanelTestSupport.h"
#include "testserver/Market.h"

namespace {

using paneltest::SameRect;
using paneltest::ShanghaiQuote;

// The five texts of a table row.
std::vector<std::string> Row(ZLLHTable& table, int row) {
  table.tableView()->layoutIfNeeded();
  auto* cell = table.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
  auto* columns = cell ? dynamic_cast<CustomLabels*>(cell->viewWithTag(345)) : nullptr;
  if (!columns) return std::vector<std::string>(5, "(no row)");
  std::vector<std::string> texts;
  for (int i = 0; i < 5; ++i) texts.push_back(columns->titleLabel(i)->text());
  return texts;
}
gfx::Color Square(ZLLHTable& table, int row) {
  table.tableView()->layoutIfNeeded();
  auto* cell = table.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
  return cell ? cell->viewWithTag(344)->backgroundColor() : gfx::Color::clear();
}
// Whether the side label's gradient starts with the colour at its top.
bool LabelTopIs(ZLLHTable& table, int r, int g, int b) {
  const gfx::Color background = table.sideLabel()->backgroundColor();
  const auto& image = background.patternImage();
  if (!image) return false;
  const gfx::Color top = image->pixel(0, 0);
  return std::abs(top.r() * 255 - r) < 4 && std::abs(top.g() * 255 - g) < 4 &&
         std::abs(top.b() * 255 - b) < 4;
}

class MainForceTest : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    ZLLHDataView::registerClass();
  }
};

using RowTexts = std::vector<std::string>;

TEST_F(MainForceTest, SideTablesShowCountsVolumesRoundedSharesAndAveragePrices) {
  auto buy = ZLLHTable::create({0, 0, 320, 110});
  auto sell = ZLLHTable::create({0, 0, 320, 110});
  sell->setTradeType(true);
  window->addSubview(buy);
  window->addSubview(sell);
  tagLocalStockData q = ShanghaiQuote();
  buy->setDataInfo(&q);
  sell->setDataInfo(&q);
  EXPECT_EQ(Row(*buy, 0), (RowTexts{"庄", "0", "0", "----", "----"}));
  EXPECT_EQ(Row(*sell, 3), (RowTexts{"小", "0", "0", "----", "----"}));

  // Buy side: three equal thirds; sell side 0.5% and 99.5%. Same record for both tables.
  const int32_t counts[8] = {120, 35000, 7, 0, 3, 4, 0, 0};
  const int64_t volumes[8] = {30000, 30000, 30000, 0, 500, 99500, 0, 0};
  const int64_t amounts[8] = {30930000, 31200000, 29400000, 0, 500000, 99500000, 0, 0};
  std::memcpy(q.BuySellGold, counts, sizeof counts);
  std::memcpy(q.VolumeGold, volumes, sizeof volumes);
  std::memcpy(q.AmountGold, amounts, sizeof amounts);
  buy->setDataInfo(&q);
  sell->setDataInfo(&q);
  EXPECT_EQ(Row(*buy, 0), (RowTexts{"庄", "120", "300", "33%", "10.31"}));
  EXPECT_EQ(Row(*buy, 1), (RowTexts{"大", "3.5万", "300", "33%", "10.40"}));
  EXPECT_EQ(Row(*buy, 3), (RowTexts{"小", "0", "0", "0%", "----"}));
  EXPECT_EQ(Row(*sell, 0), (RowTexts{"庄", "3", "5", "1%", "10.00"}));
  EXPECT_EQ(Row(*sell, 1), (RowTexts{"大", "4", "995", "100%", "10.00"}));
  EXPECT_EQ(buy->totalVolume(0), 90000);
  EXPECT_EQ(sell->totalVolume(1), 100000);

  // One class holds the whole side; an average beyond any price reads as no value.
  const int64_t lone[8] = {0, 0, 700, 0, 0, 0, 0, 1};
  std::memcpy(q.VolumeGold, lone, sizeof lone);
  q.AmountGold[7] = INT64_MAX;
  buy->setDataInfo(&q);
  sell->setDataInfo(&q);
  EXPECT_EQ(Row(*buy, 2)[3], "100%");
  EXPECT_EQ(Row(*buy, 0)[3], "0%");
  EXPECT_EQ(Row(*sell, 3)[3], "100%");
  EXPECT_EQ(Row(*sell, 3)[4], "----");
  // Wire values that overflow a side's sum or a share stay on the page without a crash.
  const int64_t absurd[8] = {INT64_MAX, INT64_MAX, 1, 0, INT64_MIN, -1, 0, 0};
  std::memcpy(q.VolumeGold, absurd, sizeof absurd);
  buy->setDataInfo(&q);
  sell->setDataInfo(&q);
  EXPECT_EQ(Row(*buy, 0).size(), 5u);
  EXPECT_EQ(Row(*sell, 1).size(), 5u);

  // Switching a table's side recolours its squares and its label.
  EXPECT_EQ(sell->sideLabel()->text(), " 卖 \n 盘 ");
  EXPECT_EQ(Square(*buy, 0), gfx::Color::rgb255(255, 0, 0));
  EXPECT_TRUE(LabelTopIs(*buy, 182, 1, 23));
  buy->setTradeType(true);
  EXPECT_EQ(buy->sideLabel()->text(), " 卖 \n 盘 ");
  EXPECT_TRUE(LabelTopIs(*buy, 38, 140, 4));
  for (int r = 0; r < 4; ++r) EXPECT_EQ(Square(*buy, r), zllh::ClassColor(1, r)) << r;
  EXPECT_EQ(Row(*buy, 1), Row(*sell, 1));
  buy->setTradeType(false);
  EXPECT_EQ(buy->sideLabel()->text(), " 买 \n 盘 ");
  EXPECT_EQ(Square(*buy, 1), gfx::Color::rgb255(173, 0, 0));
}

struct Slice {
  double start;  // degrees, 0..360
  double sweep;
  gfx::Color color;
};

// The filled slices in painting order, read back from their paths: centre, line to the arc's
// start, curves to its end.
std::vector<Slice> Slices(const gfx::RecordingContext& rec, double cx, double cy) {
  auto angle = [&](gfx::Point p) {
    double a = std::atan2(p.y - cy, p.x - cx) * 180 / std::numbers::pi;
    return a < -1e-6 ? a + 360 : a;
  };
  std::vector<Slice> out;
  for (const auto& op : rec.ops("fillPath")) {
    const auto& e = op.path.elements();
    if (e.size() < 3 || e[1].type != gfx::PathElementType::LineTo) continue;
    const gfx::PathElement& last = e[e.size() - 2];
    const gfx::Point end = last.points[last.type == gfx::PathElementType::CurveTo ? 2 : 0];
    const double start = angle(e[1].points[0]);
    double sweep = angle(end) - start;
    if (sweep <= 1e-6) sweep += 360;
    out.push_back({start, sweep, op.color});
  }
  return out;
}

TEST_F(MainForceTest, FiguresStayInsideTheViewWhateverSizesItTakes) {
  // A turn of the device gives the page other heights one after another; the figures follow
  // the last one instead of the one the quote last came under.
  auto view = ZLLHDataView::create({0, 0, 320, 200});
  window->addSubview(view);
  tagLocalStockData q = ShanghaiQuote();
  view->updateDataView(&q);
  for (const double height : {200.0, 125.0, 90.0, 160.0}) {
    view->setFrame({0, 0, 320, height});
    view->layoutIfNeeded();
    const ui::View* box = view->viewWithTag(ZLLHDataView::kFiguresTag);
    ASSERT_NE(box, nullptr);
    EXPECT_GE(box->frame().minY(), 0) << height;
    EXPECT_LE(box->frame().maxY(), height) << height;
    EXPECT_NEAR(box->frame().midY(), height / 2, 1) << height;
    for (const auto& label : box->subviews()) EXPECT_LE(label->frame().maxY(), box->bounds().height());
  }
}

TEST_F(MainForceTest, PieSlicesAndFiguresFollowTheSidesVolumes) {
  auto view = ZLLHDataView::create({0, 0, 320, 160});
  window->addSubview(view);
  tagLocalStockData q = ShanghaiQuote();
  q.now = 0;
  view->updateDataView(&q);
  EXPECT_EQ(view->label(10)->text(), "----");
  EXPECT_EQ(view->label(12)->text(), "0");
  EXPECT_EQ(view->label(13)->text(), "");
  EXPECT_EQ(view->label(14)->text(), "0");
  EXPECT_EQ(view->label(15)->text(), "");
  gfx::RecordingContext empty({320, 160});
  view->drawRect(empty, view->bounds());
  EXPECT_EQ(empty.count("fillPath"), 0u);

  q = ShanghaiQuote();
  const int32_t counts[8] = {1, 1, 1, 1, 2, 0, 0, 0};
  const int64_t volumes[8] = {10000, 20000, 30000, 60000, 0, 0, 50000, 0};
  std::memcpy(q.BuySellGold, counts, sizeof counts);
  std::memcpy(q.VolumeGold, volumes, sizeof volumes);
  view->updateDataView(&q);
  EXPECT_EQ(view->label(10)->text(), "10.31");
  EXPECT_EQ(view->label(10)->textColor(), paneltest::kRise);
  EXPECT_EQ(view->label(11)->text(), "3.10%");
  EXPECT_EQ(view->label(12)->text(), "4");
  EXPECT_EQ(view->label(13)->text(), "300");  // 120000 shares over 4 orders, in lots
  EXPECT_EQ(view->label(15)->text(), "250");
  // The figures box sits in the middle of the panel's height.
  const gfx::Rect box = view->viewWithTag(110)->frame();
  EXPECT_NEAR(box.y() + box.height() / 2, 80, 0.01);

  gfx::RecordingContext rec({320, 160});
  view->drawRect(rec, view->bounds());
  const std::vector<Slice> slices = Slices(rec, 80, 80);
  // Sell: one class, one half circle from the bottom round the left. Buy: 庄 from the top, then
  // 大, 中, and 小 ending at the bottom.
  ASSERT_EQ(slices.size(), 5u);
  EXPECT_NEAR(slices[0].start, 90, 1e-3);
  EXPECT_NEAR(slices[0].sweep, 180, 1e-3);
  EXPECT_EQ(slices[0].color, gfx::Color::rgb255(41, 84, 41));
  const double buy[4][2] = {{270, 15}, {285, 30}, {315, 45}, {0, 90}};
  double half = 0;
  for (int c = 0; c < 4; ++c) {
    const Slice& s = slices[static_cast<size_t>(1 + c)];
    EXPECT_NEAR(s.start, buy[c][0], 1e-3) << c;
    EXPECT_NEAR(s.sweep, buy[c][1], 1e-3) << c;
    EXPECT_EQ(s.color, zllh::ClassColor(0, c)) << c;
    half += s.sweep;
  }
  EXPECT_NEAR(half, 180, 1e-3);
  EXPECT_EQ(rec.count("strokePath"), 5u);
  const auto strokes = rec.ops("strokePath");
  EXPECT_EQ(strokes.front().color, gfx::Color::white());
  // Radius: at most 70, five points inside a short panel.
  auto radius = [](const gfx::RecordingContext& r, double cy) {
    const gfx::Point p = r.ops("fillPath")[0].path.elements()[1].points[0];
    return std::hypot(p.x - 80, p.y - cy);
  };
  EXPECT_NEAR(radius(rec, 80), 70, 1e-6);
  view->setFrame({0, 0, 320, 100});
  gfx::RecordingContext small({320, 100});
  view->drawRect(small, view->bounds());
  EXPECT_NEAR(radius(small, 50), 45, 1e-6);

  // Sell side split over all four classes: the halves still close at the top.
  const int64_t four[8] = {0, 0, 0, 0, 10, 20, 30, 60};
  std::memcpy(q.VolumeGold, four, sizeof four);
  view->updateDataView(&q);
  EXPECT_EQ(view->label(13)->text(), "");
  gfx::RecordingContext sell({320, 100});
  view->drawRect(sell, view->bounds());
  const std::vector<Slice> left = Slices(sell, 80, 50);
  ASSERT_EQ(left.size(), 4u);
  const double expected[4][2] = {{90, 90}, {180, 45}, {225, 30}, {255, 15}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(left[static_cast<size_t>(i)].start, expected[i][0], 1e-3) << i;
    EXPECT_NEAR(left[static_cast<size_t>(i)].sweep, expected[i][1], 1e-3) << i;
  }
  EXPECT_EQ(left[3].color, gfx::Color::rgb255(102, 255, 102));

  // Order counts near the 32-bit limit add up without turning negative.
  for (int c = 0; c < 4; ++c) q.BuySellGold[c] = INT32_MAX;
  view->updateDataView(&q);
  EXPECT_EQ(view->label(12)->text(), "85.9亿");
}

TEST_F(MainForceTest, PageLayoutFeedingAndScrollState) {
  auto page = DetailView::create({640, 0, 320, 400});
  window->addSubview(page);
  EXPECT_TRUE(SameRect(page->dataView()->frame(), 0, 0, 320, 160));
  EXPECT_EQ(page->titleRow()->frame().y(), 160);
  EXPECT_EQ(page->titleRow()->frame().height(), 19);
  EXPECT_TRUE(SameRect(page->buyTable()->frame(), 0, 180, 320, 110));
  EXPECT_TRUE(SameRect(page->sellTable()->frame(), 0, 290, 320, 110));
  EXPECT_EQ(page->buyTable()->tradeType(), 0);
  EXPECT_EQ(page->sellTable()->tradeType(), 1);
  EXPECT_EQ(page->pzzjView(), nullptr);
  EXPECT_EQ(page->flccView(), nullptr);

  // A push identical to the last still reaches all three panels.
  tagLocalStockData q = ShanghaiQuote();
  q.BuySellGold[0] = 5;
  q.VolumeGold[0] = 500;
  q.BuySellGold[5] = 9;
  q.VolumeGold[5] = 900;
  page->SetDataInfo(q, kQuoteFlagReply);
  const auto buyRow = Row(*page->buyTable(), 0);
  const auto sellRow = Row(*page->sellTable(), 1);
  EXPECT_EQ(buyRow[1], "5");
  EXPECT_EQ(sellRow[1], "9");
  page->dataView()->label(12)->setText("x");
  auto cellText = [&](ZLLHTable& table, int row) {
    table.tableView()->layoutIfNeeded();
    auto* cell = table.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
    return dynamic_cast<CustomLabels*>(cell->viewWithTag(345))->titleLabel(1);
  };
  cellText(*page->buyTable(), 0)->setText("x");
  cellText(*page->sellTable(), 1)->setText("x");
  page->SetDataInfo(q, kQuoteFlagPush);
  EXPECT_EQ(page->dataView()->label(12)->text(), "5");
  EXPECT_EQ(Row(*page->buyTable(), 0), buyRow);
  EXPECT_EQ(Row(*page->sellTable(), 1), sellRow);

  // Ticks, other markets and stock types leave the panels where they are.
  const tagDealHead head{1, "600000", 1};
  const uint8_t tick[11] = {};
  page->SetDetailData(head, tick);
  q.market = 3;
  q.zqlb = 1;
  page->SetDataInfo(q, kQuoteFlagNewStock);
  EXPECT_TRUE(SameRect(page->dataView()->frame(), 0, 0, 320, 160));
  EXPECT_TRUE(SameRect(page->sellTable()->frame(), 0, 290, 320, 110));
  EXPECT_EQ(page->stockInfo().market, 3);

  // After a new login the inner pages are back at their origin, scrollable.
  page->scrollView()->setContentOffset({200, 0});
  EXPECT_EQ(page->pageControl()->currentPage(), 1);
  page->scrollView()->setScrollEnabled(false);
  page->refreshDetailViewState(0);
  EXPECT_EQ(page->scrollView()->contentOffset(), gfx::Point(0, 0));
  EXPECT_TRUE(page->scrollView()->isScrollEnabled());
  EXPECT_EQ(page->pageControl()->currentPage(), 0);
}

TEST_F(MainForceTest, LargeValueTextsByMagnitude) {
  EXPECT_EQ(DetailView::CalcDotBit(2e11f), "2.00B");
  EXPECT_EQ(DetailView::CalcDotBit(5e8f), "5.00M");
  EXPECT_EQ(DetailView::CalcDotBit(9.9e7f), std::nullopt);
  EXPECT_EQ(DetailView::DotBitNum(3), "%.3f");
}

// --- against the test server -------------------------------------------------------------------

class MainForceClient : public detailtest::DetailClientTest {
 protected:
  // The server's quote of the security at its current minute.
  tagLocalStockData ServerQuote(uint8_t market, const char* code) const {
    testserver::Market m(testserver::ServerOptions::Ephemeral().seed, server->date(),
                         server->minute());
    const testserver::Security* s = m.find(market, code);
    return s ? s->q : tagLocalStockData{};
  }
};

TEST_F(MainForceClient, TappingMainForceShowsTheServersFiguresAndFollowsPushes) {
  server->setMinute(600);  // in the morning session, so each minute trades
  LoggedIn("30");
  TrendlineController* pager = Open("600000", 1, 2);
  ASSERT_NE(pager, nullptr);
  auto* button =
      dynamic_cast<ui::Button*>(pager->menuBar()->viewWithTag(kStockMenuBase + kPageMainForce));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->currentTitle(), "主力");
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  auto* page = dynamic_cast<DetailView*>(pager->pageView(kTagDetailPage));
  ASSERT_NE(page, nullptr);

  auto shows = [&](const tagLocalStockData& q) {
    int64_t buyOrders = 0;
    for (int c = 0; c < 4; ++c) buyOrders += q.BuySellGold[c];
    return buyOrders != 0 &&
           page->dataView()->label(12)->text() == FormatVolumeString(1, buyOrders, 1, 6) &&
           page->stockInfo().VolumeGold[5] == q.VolumeGold[5] &&
           Row(*page->sellTable(), 1)[2] == FormatVolumeString(1, q.VolumeGold[5], q.unit, 6);
  };
  // Built once: a whole market per poll starves the main loop on a loaded machine.
  const tagLocalStockData first = ServerQuote(1, "600000");
  ASSERT_TRUE(WaitFor([&] { return shows(first); }));
  EXPECT_NE(Row(*page->buyTable(), 0)[3], "----");

  // The classes are the day's trades so far: each minute's trades add to them (a class without a
  // trade in the minute keeps its figures).
  auto traded = [](const tagLocalStockData& q) {
    int64_t sum = 0;
    for (int c = 0; c < 8; ++c) sum += q.VolumeGold[c];
    return sum;
  };
  for (int minute = 0; minute < 2; ++minute) {
    const int64_t before = traded(page->stockInfo());
    server->advanceMinute();
    const tagLocalStockData next = ServerQuote(1, "600000");
    ASSERT_TRUE(WaitFor([&] { return shows(next); })) << minute;
    EXPECT_GT(traded(next), before);
    EXPECT_EQ(traded(page->stockInfo()), traded(next));
  }
}

}  // namespace
