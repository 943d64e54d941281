#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "panels/BargainTable.h"
#include "panels/DetailTable.h"
#include "panels/PriceShowView.h"
#include "panels/TableSetup.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Button.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

using paneltest::kFall;
using paneltest::kRise;
using paneltest::kWhite;
using paneltest::SameRect;

class TickTableTest : public paneltest::PanelTest {
 protected:
  std::shared_ptr<DetailTable> custom(double height = 400) {
    auto table = DetailTable::createCustom({0, 0, 150, height});
    window->addSubview(table);
    return table;
  }
  static std::array<tagLocalDealData, 20> Ticks() {
    std::array<tagLocalDealData, 20> ticks{};
    for (int i = 0; i < 20; ++i) {
      ticks[static_cast<size_t>(i)].time = static_cast<int16_t>(930 + i);
      ticks[static_cast<size_t>(i)].price = 100000 + (i - 10) * 100;
      ticks[static_cast<size_t>(i)].volume = 10 + i;
      ticks[static_cast<size_t>(i)].inoutflag = static_cast<char>(i % 3);
    }
    return ticks;
  }
  static tagLocalStockData Quote(uint8_t market = 1) {
    tagLocalStockData q{};
    q.market = market;
    q.pricedot = 2;
    q.unit = market == 3 ? 500 : 100;
    q.yesterday = 100000;
    return q;
  }
  static CellDetail* row(DetailTable& table, int r) {
    table.tableView()->layoutIfNeeded();
    auto* cell = table.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(r, 0));
    return cell ? dynamic_cast<CellDetail*>(cell->viewWithTag(kCellDetailTag)) : nullptr;
  }
};

TEST_F(TickTableTest, CalcTimePadsHoursAndMinutes) {
  EXPECT_EQ(DetailTable::CalcTime(905), "09:05");
  EXPECT_EQ(DetailTable::CalcTime(1300), "13:00");
  EXPECT_EQ(DetailTable::CalcTime(930), "09:30");
  EXPECT_EQ(DetailTable::CalcTime(1459), "14:59");
  EXPECT_EQ(DetailTable::CalcTime(0), "00:00");
}

TEST_F(TickTableTest, CountChoosesTheRowsAndIsClampedToTheList) {
  auto table = custom();
  const tagLocalStockData quote = Quote();
  table->SetDataInfo(&quote);
  const auto ticks = Ticks();

  table->setDetailDataArray(ticks, 0);
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 0);
  table->tableView()->layoutIfNeeded();
  EXPECT_NE(table->tableView()->headerViewForSection(0), nullptr);

  table->setDetailDataArray(ticks, 7);
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 7);
  ASSERT_NE(row(*table, 6), nullptr);
  EXPECT_EQ(row(*table, 0)->timeLabel()->text(), "09:30");
  EXPECT_EQ(row(*table, 6)->timeLabel()->text(), "09:36");
  EXPECT_EQ(row(*table, 6)->closeLabel()->text(), "9.96");
  EXPECT_EQ(row(*table, 6)->closeLabel()->textColor(), kFall);
  EXPECT_EQ(row(*table, 6)->volLabel()->text(), "16");

  // More than the list holds would read past it.
  table->setDetailDataArray(ticks, 25);
  EXPECT_EQ(table->rowCount(), 20);
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 20);
  table->setDetailDataArray(ticks, -3);
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 0);
}

TEST_F(TickTableTest, RowsShowPriceColourMarkAndHongKongLots) {
  auto table = custom();
  auto ticks = Ticks();
  ticks[0].price = 0;
  ticks[1].price = 100000;
  ticks[2].price = 100500;
  tagLocalStockData q = Quote();
  table->SetDataInfo(&q);
  table->setDetailDataArray(ticks, 3);
  EXPECT_EQ(row(*table, 0)->closeLabel()->text(), "----");
  EXPECT_EQ(row(*table, 0)->closeLabel()->textColor(), kFall);
  EXPECT_EQ(row(*table, 1)->closeLabel()->textColor(), kWhite);
  EXPECT_EQ(row(*table, 2)->closeLabel()->textColor(), kRise);
  EXPECT_EQ(row(*table, 0)->timeLabel()->textColor(), gfx::Color::grey(0.5));
  // Side marks: 0 outside, 1 inside, anything else none.
  EXPECT_EQ(row(*table, 0)->volLabel()->textColor(), kRise);
  EXPECT_EQ(row(*table, 0)->mark()->image().name(), "xiashang.png");
  EXPECT_EQ(row(*table, 1)->volLabel()->textColor(), kFall);
  EXPECT_EQ(row(*table, 1)->mark()->image().name(), "xiajiang.png");
  EXPECT_TRUE(row(*table, 2)->mark()->isHidden());
  EXPECT_EQ(row(*table, 2)->volLabel()->textColor(), kWhite);
  EXPECT_EQ(row(*table, 0)->volLabel()->text(), "10");

  // Hong Kong ticks come in lots and are shown in shares.
  q = Quote(3);
  table->SetDataInfo(&q);
  table->setDetailDataArray(ticks, 3);
  EXPECT_EQ(row(*table, 0)->volLabel()->text(), "5000");

  // The custom row is laid out for the table's width.
  CellDetail* cell = row(*table, 0);
  EXPECT_TRUE(SameRect(cell->timeLabel()->frame(), 0, 0, 46, 15));
  EXPECT_TRUE(SameRect(cell->closeLabel()->frame(), 46, 0, 50, 15));
  // The mark keeps a point inside the row (on the trend page the row ends at the screen's edge)
  // and the volume ends before it.
  EXPECT_TRUE(SameRect(cell->volLabel()->frame(), 96, 0, 44, 15));
  EXPECT_TRUE(SameRect(cell->mark()->frame(), 141, 0, 8, 12));
  for (int width : {99, 100, 150}) {
    SCOPED_TRACE(width);
    cell->setCellWidth(width);
    EXPECT_LE(cell->mark()->frame().maxX(), width - 1);
    EXPECT_LT(cell->volLabel()->frame().maxX(), cell->mark()->frame().x());
    EXPECT_GE(cell->volLabel()->frame().width(), 24) << "room for a volume of four digits";
  }
}

// The newest trade is the last row: it is in view when the list is opened, before the list is
// full too (17 trades by 09:35), and as trades come; a table the user scrolled up stays there.
TEST_F(TickTableTest, TheNewestTradeStaysInViewUnlessTheUserScrolledUp) {
  auto table = custom(120);
  const auto ticks = Ticks();
  ui::TableView& view = *table->tableView();
  auto lastRowShown = [&](int count) {
    const gfx::Rect last = view.rectForRowAtIndexPath(ui::IndexPath::forRow(count - 1, 0));
    return last.maxY() <= view.contentOffset().y + view.bounds().height() + 0.5 &&
           last.y() >= view.contentOffset().y + kQuoteTitleHeight - 0.5;
  };
  table->setDetailDataArray(ticks, 3);
  advance(1);
  EXPECT_EQ(view.contentOffset().y, 0) << "three rows fit";
  for (int count : {8, 17, 19, 20}) {
    table->setDetailDataArray(ticks, count);
    advance(1);
    EXPECT_TRUE(lastRowShown(count)) << count << " at " << view.contentOffset().y;
    EXPECT_TRUE(table->showsLastRow()) << count;
  }
  EXPECT_TRUE(table->hadMoveToBottom());
  // The top row shown begins right under the title strip, not half under it: the list shows
  // whole rows (here five of 17 points under the 20-point strip, in 120 points).
  EXPECT_EQ(view.frame().height(), 20 + 5 * 17);
  EXPECT_NEAR(std::fmod(view.contentOffset().y, 17.0), 0, 0.01);

  // The user scrolls back up; the next lists leave the table where it is.
  view.setContentOffset({0, 0}, false);
  table->setDetailDataArray(ticks, 20);
  advance(1);
  EXPECT_EQ(view.contentOffset().y, 0);
  EXPECT_FALSE(table->showsLastRow());
  // Scrolled down to the newest again, the table follows the trades again.
  view.setContentOffset({0, view.contentSize().height - view.bounds().height()}, false);
  table->setDetailDataArray(ticks, 20);
  advance(1);
  EXPECT_TRUE(lastRowShown(20));
}

TEST_F(TickTableTest, StandardTableShowsSixRowsUntilExtended) {
  auto table = DetailTable::createStandard({10, 200, 300, 200});
  window->addSubview(table);
  ASSERT_NE(table->extendButton(), nullptr);
  EXPECT_TRUE(SameRect(table->extendButton()->frame(), 90, 160, 120, 20));
  EXPECT_TRUE(SameRect(table->tableView()->frame(), 0, 0, 300, 160));
  EXPECT_EQ(table->extendButton()->backgroundImage(ui::ControlState::Normal)->name(),
            "downSpread.png");
  const auto ticks = Ticks();
  // The first full list scrolls to the last row shown, not to a row 19 that is not there.
  std::vector<std::string> logged;
  foundation::setLogSink(
      [&logged](foundation::LogLevel, const std::string& line) { logged.push_back(line); });
  table->setDetailDataArray(ticks, 20);
  advance(0.5);
  foundation::setLogSink({});
  EXPECT_TRUE(logged.empty()) << logged.front();
  EXPECT_TRUE(table->hadMoveToBottom());
  EXPECT_EQ(table->tableView()->contentOffset().y, 0);
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 6);

  table->extendButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  advance(0.5);
  EXPECT_TRUE(table->isExtended());
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 20);
  EXPECT_TRUE(SameRect(table->frame(), 10, 200, 300, 285));
  EXPECT_TRUE(SameRect(table->tableView()->frame(), 0, 0, 300, 265));
  EXPECT_TRUE(SameRect(table->extendButton()->frame(), 90, 265, 120, 20));
  EXPECT_EQ(table->extendButton()->backgroundImage(ui::ControlState::Normal)->name(),
            "upPinch.png");

  table->extendBehavior();
  advance(0.5);
  EXPECT_FALSE(table->isExtended());
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 6);
  EXPECT_TRUE(SameRect(table->frame(), 10, 200, 300, 180));
  EXPECT_TRUE(SameRect(table->tableView()->frame(), 0, 0, 300, 160));
  EXPECT_TRUE(SameRect(table->extendButton()->frame(), 90, 160, 120, 20));
  EXPECT_EQ(table->extendButton()->backgroundImage(ui::ControlState::Normal)->name(),
            "downSpread.png");
}

TEST_F(TickTableTest, HeaderHasThreeTitledColumns) {
  auto table = custom();
  table->setDetailDataArray(Ticks(), 1);
  table->tableView()->layoutIfNeeded();
  ui::View* header = table->tableView()->headerViewForSection(0);
  ASSERT_NE(header, nullptr);
  // It floats over the rows scrolled under it and hides them.
  EXPECT_EQ(header->backgroundColor().a(), 1);
  ASSERT_EQ(header->subviews().size(), 3u);
  const char* titles[] = {"时间", "现价", "现量"};
  const double xs[] = {0, 46, 97};
  const double ws[] = {46, 51, 53};
  for (size_t i = 0; i < 3; ++i) {
    auto* cell = dynamic_cast<PriceShowView*>(header->subviews()[i].get());
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->titleLabel()->text(), titles[i]);
    EXPECT_EQ(cell->titleLabel()->textColor(), gfx::Color::rgb255(0, 255, 255));
    EXPECT_TRUE(SameRect(cell->frame(), xs[i], 0, ws[i], 20));
  }
}

// --- order book --------------------------------------------------------------------------------

class BargainTableTest : public paneltest::PanelTest {
 protected:
  static CellBargain* row(BargainTable& table, int r) {
    table.tableView()->layoutIfNeeded();
    auto* cell = table.tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(r, 0));
    return cell ? dynamic_cast<CellBargain*>(cell->viewWithTag(kCellBargainTag)) : nullptr;
  }
};

TEST_F(BargainTableTest, BarsShareTheTenVolumes) {
  auto table = BargainTable::create({0, 0, 300, 120});
  window->addSubview(table);
  tagLocalStockData q{};
  q.market = 1;
  q.pricedot = 2;
  q.unit = 100;
  q.yesterday = 100000;
  const int64_t buys[] = {100, 200, 300, 400, 0};
  const int64_t sells[] = {500, 100, 100, 200, 100};
  for (int i = 0; i < 5; ++i) {
    q.buysell10.buy[i] = {100000 - i * 100, buys[i]};
    q.buysell10.sell[i] = {100100 + i * 100, sells[i]};
  }
  q.buysell10.buy[5] = {1, 999999};  // levels past the fifth do not count
  table->setStockQuote(q);
  EXPECT_EQ(table->sumVolumeBuy(), 1000);
  EXPECT_EQ(table->sumVolumeSell(), 1000);
  EXPECT_EQ(table->tableView()->numberOfRowsInSection(0), 5);

  CellBargain* first = row(*table, 0);
  ASSERT_NE(first, nullptr);
  // Each bar is the level's share of all ten volumes, over a quarter of the 300-point row.
  EXPECT_NEAR(first->ratioViewLeft()->ratioWidth(), 75 * 100 / 2000.0, 0.01);
  EXPECT_TRUE(first->ratioViewLeft()->growsFromLeft());
  EXPECT_NEAR(first->ratioViewRight()->ratioWidth(), 75 * 500 / 2000.0, 0.01);
  EXPECT_FALSE(first->ratioViewRight()->growsFromLeft());
  EXPECT_EQ(first->buyPriceLabel()->text(), "10.00");
  EXPECT_EQ(first->buyPriceLabel()->textColor(), kWhite);
  EXPECT_EQ(first->sellPriceLabel()->textColor(), kRise);
  EXPECT_EQ(row(*table, 1)->buyPriceLabel()->textColor(), kFall);
  EXPECT_EQ(first->buyVolLabel()->text(), "1");
  EXPECT_EQ(first->buyVolLabel()->textColor(), gfx::Color::rgb255(255, 255, 0));

  // The right bar is drawn against the right edge, clipped to its width.
  gfx::RecordingContext ctx(gfx::Size(75, 15));
  first->ratioViewRight()->drawRect(ctx, first->ratioViewRight()->bounds());
  const gfx::DrawOp* op = ctx.first("drawLinearGradient");
  ASSERT_NE(op, nullptr);
  EXPECT_NEAR(op->args[0], 75 - 18.75, 0.01);
  EXPECT_NEAR(op->args[2], 75, 0.01);
  EXPECT_NEAR(op->state.deviceClipBounds.x(), 75 - 18.75, 0.01);
  EXPECT_EQ(ctx.saveDepth(), 0);

  // An empty book draws no bars.
  table->setStockQuote(tagLocalStockData{});
  for (int r = 0; r < 5; ++r) {
    EXPECT_EQ(row(*table, r)->ratioViewLeft()->ratioWidth(), 0);
    EXPECT_EQ(row(*table, r)->ratioViewRight()->ratioWidth(), 0);
  }
}

TEST_F(BargainTableTest, LevelNumbersAndTitles) {
  EXPECT_EQ(BargainTable::ReturnRomeNum(0), "一");
  EXPECT_EQ(BargainTable::ReturnRomeNum(4), "五");
  EXPECT_EQ(BargainTable::ReturnRomeNum(5), "");
  EXPECT_EQ(BargainTable::ReturnRomeNum(-1), "");

  auto table = BargainTable::create({0, 0, 300, 120});
  window->addSubview(table);
  table->setStockQuote(tagLocalStockData{});
  table->tableView()->layoutIfNeeded();
  ui::View* header = table->tableView()->headerViewForSection(0);
  ASSERT_NE(header, nullptr);
  ASSERT_EQ(header->subviews().size(), 2u);
  auto* buy = dynamic_cast<PriceShowView*>(header->subviews()[0].get());
  auto* sell = dynamic_cast<PriceShowView*>(header->subviews()[1].get());
  ASSERT_TRUE(buy && sell);
  EXPECT_EQ(buy->titleLabel()->text(), "买入");
  EXPECT_EQ(buy->gradient()->stops.front().color, gfx::Color::rgb255(182, 1, 23));
  EXPECT_EQ(sell->titleLabel()->text(), "卖出");
  EXPECT_TRUE(SameRect(sell->frame(), 150, 0, 150, 20));

  // The third row's round number button.
  CellBargain* third = row(*table, 2);
  ASSERT_NE(third, nullptr);
  ui::Button* number = nullptr;
  for (const auto& sub : third->subviews())
    if (auto* b = dynamic_cast<ui::Button*>(sub.get())) number = b;
  ASSERT_NE(number, nullptr);
  EXPECT_EQ(number->title(ui::ControlState::Normal).value_or(""), "三");
  EXPECT_FALSE(number->isEnabled());
  EXPECT_TRUE(SameRect(number->frame(), 15 * 9.4, 1, 15, 15));
}

}  // namespace
