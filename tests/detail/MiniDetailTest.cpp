#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "panels/DetailTable.h"
#include "panels/ItemSelectView.h"
#include "panels/MiniDetailCell.h"
#include "panels/MiniDetailView.h"
#include "platform/ui/PageControl.h"
#include "tests/detail/PanelTestSupport.h"
#include "widgets/QuoteColors.h"

namespace {

using paneltest::SameRect;

// The rise red of this panel, brighter than the lists' for its blue ground.
const gfx::Color kPanelRise = gfx::Color::rgb255(255, 90, 90);

class MiniDetailCellTest : public paneltest::PanelTest {};

TEST_F(MiniDetailCellTest, LabelsSplitTheRowAndRelayOutByWidths) {
  auto cell = MiniDetailCell::create(ui::TableViewCellStyle::Default, "identifier");
  cell->setTextNum(0, 99, 20);
  EXPECT_EQ(cell->labelCount(), 0);
  EXPECT_EQ(cell->separator(), nullptr);

  cell->setTextNum(3, 98, 20);
  ASSERT_EQ(cell->labelCount(), 3);
  EXPECT_TRUE(SameRect(cell->label(0)->frame(), 2, 0, 32, 20));
  EXPECT_TRUE(SameRect(cell->label(2)->frame(), 66, 0, 32, 20));
  ASSERT_NE(cell->separator(), nullptr);
  EXPECT_TRUE(SameRect(cell->separator()->frame(), 0, 19, 98, 1));
  EXPECT_TRUE(cell->separator()->isHidden());

  // Widths from the left edge; a short list leaves the rest as they were.
  cell->updateTextWidth({16, 33});
  EXPECT_TRUE(SameRect(cell->label(0)->frame(), 0, 0, 16, 20));
  EXPECT_TRUE(SameRect(cell->label(1)->frame(), 16, 0, 33, 20));
  EXPECT_TRUE(SameRect(cell->label(2)->frame(), 49, 0, 32, 20));

  cell->updateText("卖", "12.34", "56");
  cell->updateTextColor(paneltest::kRise, paneltest::kFall);
  EXPECT_EQ(cell->label(2)->text(), "56");
  EXPECT_EQ(cell->label(0)->textColor(), paneltest::kWhite);
  EXPECT_EQ(cell->label(1)->textColor(), paneltest::kRise);
  EXPECT_EQ(cell->label(2)->textColor(), paneltest::kFall);

  cell->showSeparatorLine(true);
  EXPECT_FALSE(cell->separator()->isHidden());
  EXPECT_EQ(cell->subviews().back().get(), cell->separator());
  // The top line is never built: asking for it changes nothing else.
  cell->showSeparatorLine(true, false);
  EXPECT_TRUE(cell->separator()->isHidden());

  // A second build replaces the labels instead of stacking new ones over them.
  cell->setTextNum(2, 98, 18);
  EXPECT_EQ(cell->labelCount(), 2);
  EXPECT_EQ(cell->label(2), nullptr);
  EXPECT_EQ(cell->contentView()->viewWithTag(kMiniCellLabelTag + 2), nullptr);
  int lines = 0;
  for (const auto& sub : cell->subviews()) lines += sub->tag() == kMiniCellBottomLineTag;
  EXPECT_EQ(lines, 1);
}

// The rows as the trend page shows them: 99 x 263 on a 480-point screen.
class MiniDetailViewTest : public paneltest::PanelTest {
 protected:
  void SetUp() override {
    PanelTest::SetUp();
    outer = ui::ScrollView::create({0, 0, 320, 400});
    outer->setContentSize({960, 400});
    window->addSubview(outer);
    view = MiniDetailView::create({221, 51, 99, 263});
    outer->addSubview(view);
  }
  static tagLocalStockData Stock() {
    tagLocalStockData q = paneltest::ShanghaiStock();
    q.zqlb = 2;
    q.yesterday = 100800;
    q.now = 101000;
    q.upprice = 110000;
    q.downprice = 90000;
    q.volume = 500000;
    q.datetime.Hour = 10;
    q.datetime.Minute = 5;
    q.flag_nwp = 1;
    for (int i = 0; i < 5; ++i) {
      q.buysell10.sell[i] = {101000 + 100 * (i + 1), 1000 * (i + 1)};
      q.buysell10.buy[i] = {101000 - 100 * i, 2000 * (i + 1)};
    }
    return q;
  }
  static MiniDetailCell* Row(ui::TableView* table, int row, int section = 0) {
    table->layoutIfNeeded();
    return dynamic_cast<MiniDetailCell*>(
        table->cellForRowAtIndexPath(ui::IndexPath::forRow(row, section)));
  }
  // The page now in the middle of the carousel.
  ui::View* Middle() const {
    for (int page = 0; page < 3; ++page)
      if (view->pageView(page)->frame().x() == 99) return view->pageView(page);
    return nullptr;
  }
  void SwipeTo(double offset) {
    view->scrollView()->setContentOffset({offset, 0});
    view->scrollViewDidEndDecelerating(*view->scrollView());
  }
  std::vector<tagLocalDealData> Ticks() const {
    return {view->ticks().begin(), view->ticks().begin() + view->tickCount()};
  }

  std::shared_ptr<ui::ScrollView> outer;
  std::shared_ptr<MiniDetailView> view;
};

TEST_F(MiniDetailViewTest, CarouselTurnsWithoutEndAndReleasesThePager) {
  EXPECT_EQ(view->selectedPage(), kMiniPageOrderBook);
  EXPECT_EQ(Middle(), view->orderBookTable());
  EXPECT_EQ(view->scrollView()->contentOffset().x, 99);
  SwipeTo(0);  // the page on the left
  EXPECT_EQ(Middle(), view->quoteTable());
  EXPECT_EQ(view->pageControl()->currentPage(), kMiniPageQuoteRows);
  SwipeTo(0);
  SwipeTo(0);
  EXPECT_EQ(Middle(), view->orderBookTable());
  SwipeTo(198);  // the page on the right
  EXPECT_EQ(Middle(), view->tickTable());
  SwipeTo(99);  // back where it was: no change
  EXPECT_EQ(view->selectedPage(), kMiniPageTicks);
  EXPECT_EQ(view->scrollView()->contentOffset().x, 99);

  // The pager stands still while the carousel is dragged, also when it is let go at rest.
  view->scrollViewWillBeginDragging(*view->scrollView());
  EXPECT_FALSE(outer->isScrollEnabled());
  view->scrollViewDidEndDragging(*view->scrollView(), true);
  EXPECT_FALSE(outer->isScrollEnabled());
  view->scrollViewDidEndDecelerating(*view->scrollView());
  EXPECT_TRUE(outer->isScrollEnabled());
  view->scrollViewWillBeginDragging(*view->scrollView());
  view->scrollViewDidEndDragging(*view->scrollView(), false);
  EXPECT_TRUE(outer->isScrollEnabled());
  // The tables' own scrolling does not touch the pager.
  view->scrollViewWillBeginDragging(*view->quoteTable());
  EXPECT_TRUE(outer->isScrollEnabled());

  // The dots only show the page: a short drag that ends on them moves neither them nor it.
  ui::PageControl* dots = view->pageControl();
  const gfx::Point onDots =
      dots->convertPointToView({dots->bounds().midX(), dots->bounds().midY()}, window.get());
  EXPECT_NE(window->hitTest(onDots, nullptr), dots);
}

TEST_F(MiniDetailViewTest, LayoutFollowsTheKindOfSecurity) {
  tagLocalStockData index = Stock();
  index.zqlb = 1;
  index.index_up = 300;
  view->SetDataValue(&index, kQuoteFlagReply);
  EXPECT_TRUE(view->isSingleTable());
  EXPECT_FALSE(view->indexTable()->isHidden());
  EXPECT_TRUE(view->pageControl()->isHidden());
  EXPECT_TRUE(view->orderBookTable()->isHidden());
  EXPECT_FALSE(view->scrollView()->isScrollEnabled());
  EXPECT_EQ(view->scrollView()->contentOffset().x, 0);
  EXPECT_EQ(view->scrollView()->frame().height(), 263);
  ASSERT_EQ(view->indexTable()->numberOfRowsInSection(0), 11);
  EXPECT_EQ(Row(view->indexTable(), 4)->label(0)->text(), "上涨");
  EXPECT_EQ(Row(view->indexTable(), 4)->label(1)->text(), "300");
  EXPECT_FALSE(Row(view->indexTable(), 6)->separator()->isHidden());
  EXPECT_TRUE(Row(view->indexTable(), 7)->separator()->isHidden());

  // After an index a stock brings the order book back to the middle.
  SwipeTo(0);
  view->refreshMiniDetailViewWithStockType(2, 1);
  EXPECT_FALSE(view->isSingleTable());
  EXPECT_EQ(Middle(), view->orderBookTable());
  EXPECT_EQ(view->scrollView()->contentOffset().x, 99);
  EXPECT_EQ(view->scrollView()->frame().height(), 252);

  // After a stock the chosen page stays.
  const tagLocalStockData stock = Stock();
  view->SetDataValue(&stock, kQuoteFlagReply);
  SwipeTo(198);
  view->refreshMiniDetailViewWithStockType(2, 2);
  EXPECT_EQ(Middle(), view->tickTable());

  // A board (market 9) shows the single table too, and the next stock gets the carousel back
  // with its pages around the chosen one.
  tagLocalStockData board = Stock();
  board.market = 9;
  view->SetDataValue(&board, kQuoteFlagReply);
  EXPECT_TRUE(view->isSingleTable());
  view->refreshMiniDetailViewWithStockType(2, 1);
  EXPECT_EQ(view->scrollView()->contentSize().width, 3 * 99);
  EXPECT_EQ(view->scrollView()->contentOffset().x, 99);
  EXPECT_EQ(Middle(), view->tickTable());

  // A futures contract keeps the carousel; its rows are the futures fields, no separators.
  tagLocalStockData futures = Stock();
  futures.market = 6;
  futures.zqlb = 30;
  futures.unit = 1;
  futures.JRCCS.jrccl = 12345;
  futures.JRCCS.zrccl = 12000;
  view->SetDataValue(&futures, kQuoteFlagReply);
  EXPECT_FALSE(view->isSingleTable());
  ASSERT_EQ(view->quoteTable()->numberOfRowsInSection(0), 12);
  const char* names[12] = {"持仓", "结算", "昨持", "昨结", "开仓", "平仓",
                           "现开", "现平", "均价", "仓差", "外盘", "内盘"};
  for (int row = 0; row < 12; ++row) {
    MiniDetailCell* cell = Row(view->quoteTable(), row);
    ASSERT_NE(cell, nullptr) << row;
    EXPECT_EQ(cell->label(0)->text(), names[row]);
    EXPECT_TRUE(cell->separator()->isHidden()) << row;
  }
  EXPECT_EQ(Row(view->quoteTable(), 0)->label(1)->text(), GetFieldString(501, futures));
  EXPECT_EQ(Row(view->quoteTable(), 9)->label(1)->textColor(), kPanelRise);
}

// An index's or a board's rows are quotes, not entries of a list of one's own: a sideways swipe
// over them, as a finger makes it, offers no delete (with the pager holding still, as it does
// over the trend page's rows).
TEST_F(MiniDetailViewTest, SidewaysSwipesOverIndexAndBoardRowsOfferNoDelete) {
  outer->setScrollEnabled(false);
  auto& application = ui::Application::shared();
  for (int market : {2, 9}) {
    tagLocalStockData q = Stock();
    q.market = static_cast<uint8_t>(market);
    q.zqlb = market == 9 ? 2 : 1;
    view->SetDataValue(&q, kQuoteFlagReply);
    ASSERT_TRUE(view->isSingleTable());
    ui::TableView* table = view->indexTable();
    table->layoutIfNeeded();
    for (int row : {2, 5, 9}) {
      MiniDetailCell* cell = Row(table, row);
      ASSERT_NE(cell, nullptr);
      const gfx::Rect r = cell->convertRectToView(cell->bounds(), nullptr);
      const gfx::Point from{r.maxX() - 5, r.midY()};
      application.sendTouch(ui::TouchPhase::Began, 0, from);
      for (int i = 1; i <= 18; ++i) {
        advance(1.0 / 60);
        application.sendTouch(ui::TouchPhase::Moved, 0, {from.x - 70.0 * i / 18, from.y});
      }
      application.sendTouch(ui::TouchPhase::Ended, 0, {from.x - 70, from.y});
      advance(0.5);
      for (int k = 0; k < table->numberOfRowsInSection(0); ++k) {
        MiniDetailCell* shown = Row(table, k);
        if (!shown) continue;
        EXPECT_FALSE(shown->isShowingDeleteConfirmation())
            << "market " << market << " swipe over row " << row << " row " << k;
      }
    }
  }
}

TEST_F(MiniDetailViewTest, ValuesEndShortOfTheScreensRightEdge) {
  // The view reaches the screen's right edge: a right-aligned figure that ran up to it lost its
  // last character there (委比 "3.01%", 外盘 "6725万", 涨停 "23.43").
  auto rightEnds = [&](ui::TableView* table) {
    std::vector<double> ends;
    for (int row = 0; row < table->numberOfRowsInSection(0); ++row) {
      MiniDetailCell* cell = Row(table, row);
      if (!cell) continue;
      ui::Label* value = cell->label(cell->labelCount() - 1);
      ends.push_back(value->convertRectToView(value->bounds(), view.get()).maxX());
    }
    return ends;
  };
  tagLocalStockData index = Stock();
  index.zqlb = 1;
  view->SetDataValue(&index, kQuoteFlagReply);
  const std::vector<double> indexEnds = rightEnds(view->indexTable());
  ASSERT_FALSE(indexEnds.empty());
  for (double end : indexEnds) EXPECT_LE(end, 99 - 2);

  tagLocalStockData stock = Stock();
  view->SetDataValue(&stock, kQuoteFlagReply);
  view->refreshMiniDetailViewWithStockType(2, 1);
  for (ui::TableView* table : {view->quoteTable(), view->orderBookTable()}) {
    const std::vector<double> ends = rightEnds(table);
    ASSERT_FALSE(ends.empty());
    for (double end : ends) EXPECT_LE(end, 99 - 2);
  }
}

TEST_F(MiniDetailViewTest, StockRowsAndOrderBookShowTheirTextsAndColours) {
  tagLocalStockData q = Stock();
  view->SetDataValue(&q, kQuoteFlagReply);
  MiniDetailCell* up = Row(view->quoteTable(), 0);
  EXPECT_EQ(up->label(0)->text(), "涨停");
  EXPECT_EQ(up->label(1)->text(), "11.00");
  EXPECT_EQ(up->label(1)->textColor(), kPanelRise);
  EXPECT_EQ(Row(view->quoteTable(), 1)->label(1)->textColor(), paneltest::kFall);
  EXPECT_FALSE(Row(view->quoteTable(), 5)->separator()->isHidden());
  EXPECT_EQ(Row(view->quoteTable(), 10)->label(1)->textColor(), widgets::PaleYellowColor());
  // "委比" of a zero ratio: empty while there is no price, a plain zero once there is one.
  EXPECT_EQ(Row(view->quoteTable(), 3)->label(1)->text(), "0.00%");
  q.now = 0;
  view->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(Row(view->quoteTable(), 3)->label(1)->text(), "---- ");

  const char* names[10] = {"⑤", "④", "③", "②", "卖", "买", "②", "③", "④", "⑤"};
  for (int k = 0; k < 10; ++k) {
    MiniDetailCell* cell = Row(view->orderBookTable(), k % 5, k / 5);
    ASSERT_NE(cell, nullptr) << k;
    EXPECT_EQ(cell->label(0)->text(), names[k]);
    EXPECT_EQ(cell->separator()->isHidden(), k != 4) << k;
    EXPECT_EQ(cell->label(0)->textColor(), paneltest::kWhite);
  }
  MiniDetailCell* sell1 = Row(view->orderBookTable(), 4, 0);
  EXPECT_EQ(sell1->label(1)->text(), "10.11");
  EXPECT_EQ(sell1->label(2)->text(), "10");
  EXPECT_EQ(sell1->label(1)->textColor(), kPanelRise);
  EXPECT_EQ(sell1->label(2)->textColor(), widgets::PaleYellowColor());
  // The volume column stops 3 points short of the screen's edge.
  EXPECT_TRUE(SameRect(sell1->label(2)->frame(), 49.5, 0, 46.5, 25.2));
  EXPECT_EQ(Row(view->orderBookTable(), 4, 1)->label(1)->textColor(), paneltest::kFall);
}

// The top rows lie on the lightest blue of the panel (the backdrop's top under a row's sheen):
// a rising figure there is as readable as the falling green, not the lists' dark red at 1.4 : 1.
TEST_F(MiniDetailViewTest, RisingFiguresReadOnTheBlueAtThePanelsTop) {
  const gfx::Color top = gfx::Color::hex(0x294962);
  auto readable = [&](ui::Label* label) {
    return label && widgets::ContrastRatio(label->textColor(), top) >= 1.5;
  };
  tagLocalStockData q = Stock();
  q.index_wb = 1234;
  view->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_TRUE(readable(Row(view->quoteTable(), 0)->label(1)));        // 涨停
  EXPECT_TRUE(readable(Row(view->quoteTable(), 3)->label(1)));        // 委比
  EXPECT_TRUE(readable(Row(view->orderBookTable(), 0, 0)->label(1)));  // sell ⑤
  EXPECT_TRUE(readable(Row(view->orderBookTable(), 1, 0)->label(1)));  // sell ④

  tagLocalStockData index = Stock();
  index.zqlb = 1;
  index.index_wb = 1234;
  view->SetDataValue(&index, kQuoteFlagReply);
  ASSERT_TRUE(view->isSingleTable());
  EXPECT_EQ(Row(view->indexTable(), 0)->label(0)->text(), "委比");
  EXPECT_TRUE(readable(Row(view->indexTable(), 0)->label(1)));
  // The falling green read there already and stays.
  index.index_wb = -1234;
  view->SetDataValue(&index, kQuoteFlagReply);
  EXPECT_EQ(Row(view->indexTable(), 0)->label(1)->textColor(), paneltest::kFall);
}

TEST_F(MiniDetailViewTest, TickRepliesReplaceAndPushesAppendAtMostTwenty) {
  tagLocalStockData q = Stock();
  view->SetDataValue(&q, kQuoteFlagReply);
  EXPECT_EQ(view->tickCount(), 0);  // a reply adds no tick

  auto reply = [&](const std::vector<tagLocalDealData>& entries) {
    tagDealHead head{1, "600000", static_cast<uint16_t>(entries.size())};
    std::vector<uint8_t> bytes(entries.size() * sizeof(tagLocalDealData));
    std::memcpy(bytes.data(), entries.data(), bytes.size());
    view->SetDetailData(head, bytes.data());
  };
  reply({{570, 1234, 7, 0}, {1, 1, 8, 1}, {2, -2, 9, 2}});
  auto ticks = Ticks();
  ASSERT_EQ(ticks.size(), 3u);
  EXPECT_EQ(int{ticks[2].time}, 933);
  EXPECT_EQ(int{ticks[1].price}, 123500);
  EXPECT_EQ(view->tickTable()->rowCount(), 3);

  // More than 20 entries: the newest 20, and the count never passes the list.
  std::vector<tagLocalDealData> many(30, tagLocalDealData{1, 0, 1, 0});
  many[0] = {570, 1000, 0, 0};
  for (int i = 0; i < 30; ++i) many[static_cast<size_t>(i)].volume = i;
  reply(many);
  ASSERT_EQ(view->tickCount(), 20);
  EXPECT_EQ(int{view->ticks()[0].volume}, 10);
  EXPECT_EQ(int{view->ticks()[19].time}, 959);
  EXPECT_EQ(view->tickTable()->rowCount(), 20);

  // Pushes: a moved volume adds a tick; with 20 held the oldest goes.
  reply(std::vector<tagLocalDealData>(many.begin(), many.begin() + 5));
  q.volume += 250;
  q.now = 101500;
  view->SetDataValue(&q, kQuoteFlagPush);
  ticks = Ticks();
  ASSERT_EQ(ticks.size(), 6u);
  EXPECT_EQ(int{ticks[5].time}, 1005);
  EXPECT_EQ(int{ticks[5].price}, 101500);
  EXPECT_EQ(int{ticks[5].volume}, 3);  // 250 shares in lots of 100, rounded
  EXPECT_EQ(int{ticks[5].inoutflag}, 1);
  view->SetDataValue(&q, kQuoteFlagPush);  // unchanged volume
  EXPECT_EQ(view->tickCount(), 6);
  q.volume += 1000;
  view->SetDataValue(&q, kQuoteFlagReply);  // a reply never adds one
  EXPECT_EQ(view->tickCount(), 6);

  reply(many);
  q.unit = 0;
  q.volume += 1000;
  view->SetDataValue(&q, kQuoteFlagPush);
  ticks = Ticks();
  ASSERT_EQ(ticks.size(), 20u);
  EXPECT_EQ(int{ticks[0].volume}, 11);
  EXPECT_EQ(int{ticks[18].volume}, 29);
  EXPECT_EQ(int{ticks[19].volume}, 0);  // unit 0
  EXPECT_EQ(int{ticks[19].time}, 1005);
}

class ItemSelectViewTest : public paneltest::PanelTest {};

TEST_F(ItemSelectViewTest, GridMarksTheChosenButtonAndSurvivesNarrowFramesAndLongLists) {
  struct Delegate : ItemSelectViewDelegate {
    void itemSelectChange(ItemSelectView*, int index) override { chosen.push_back(index); }
    std::vector<int> chosen;
  };
  auto delegate = std::make_shared<Delegate>();
  auto grid = ItemSelectView::create({10, 20, 170, 100});
  grid->setDelegate(delegate);
  grid->updateViewWithTitles({"MACD", "KDJ", "RSI", "BIAS"});
  EXPECT_TRUE(SameRect(grid->frame(), 10, 20, 170, 55));
  ASSERT_NE(grid->button(3), nullptr);
  EXPECT_TRUE(SameRect(grid->button(3)->frame(), 5, 30, 50, 20));
  grid->button(2)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(delegate->chosen, std::vector<int>{2});
  EXPECT_FALSE(grid->button(2)->isEnabled());
  EXPECT_TRUE(grid->button(0)->isEnabled());

  // Narrower than one cell: one button per row instead of a division by zero.
  auto narrow = ItemSelectView::create({0, 0, 40, 10});
  narrow->updateViewWithTitles({"A", "B"});
  EXPECT_TRUE(SameRect(narrow->frame(), 0, 0, 60, 55));
  // Titles past the tenth make no buttons that clearing and marking would miss.
  std::vector<std::string> twelve(12, "X");
  grid->updateViewWithTitles(twelve);
  grid->updateViewWithTitles({"A"});
  EXPECT_EQ(grid->subviews().size(), 1u);
}

}  // namespace
