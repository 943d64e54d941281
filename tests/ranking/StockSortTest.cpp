// The ranking list base and its market screens without a server: the requests they send, how
// replies and pushes become rows, paging, sorting and the way into the detail screen.
#include <algorithm>
#include <cstring>

#include "detail/TrendlineController.h"
#include "platform/ui/Object.h"
#include "tests/ranking/RankingTestSupport.h"
#include "tests/shell/ScreenStandIns.h"

namespace rankingtest {
namespace {

TEST_F(RankingTest, MenusMapToMarketAndTypeBothWays) {
  auto base = Load<StockSort>("StockSort");
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base->marketArray().size(), 17u);
  uint16_t market = 9, type = 9;
  base->CheckMarketType(16, market, type);
  EXPECT_EQ(market, 3);
  EXPECT_EQ(type, 127);
  base->CheckMarketType(17, market, type);
  EXPECT_EQ(market, 0);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(base->CheckMarketIndex(100, 1), 0);
  EXPECT_EQ(base->CheckMarketIndex(7, 7), 1);

  auto main = Load<MainSortController>("MainSortController");
  ASSERT_NE(main, nullptr);
  ASSERT_EQ(main->marketArray().size(), 11u);
  EXPECT_EQ(main->marketArray()[5], "深证A股");
  main->CheckMarketType(5, market, type);
  EXPECT_EQ(market, 2);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(main->CheckMarketIndex(2, 2), 5);
  EXPECT_EQ(main->CheckMarketIndex(100, 2), 0);
  EXPECT_EQ(main->CheckMarketIndex(3, 12), 0);

  auto hk = Load<HKSortController>("HKSortController");
  ASSERT_NE(hk, nullptr);
  EXPECT_EQ(hk->marketArray(),
            (std::vector<std::string>{"指数", "主板", "创业", "窝轮", "牛熊", "国企", "红筹"}));
  EXPECT_EQ(hk->CheckMarketIndex(3, 5003), 6);
  EXPECT_EQ(hk->CheckMarketIndex(1, 2), 1);
  EXPECT_NE(Load<OneMarketSortController>("OneMarketSortController"), nullptr);
}

TEST_F(RankingTest, SortRequestCarriesTheBlockAndTheFieldList) {
  auto screen = Load<StockSort>("StockSort");
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->title(), "沪深A股");
  screen->doSomeWhenWillAppear();
  ASSERT_EQ(SentCount(), 1u);
  const SentPacket& sent = Last();
  EXPECT_EQ(sent.header.MainType, 145);
  EXPECT_EQ(sent.header.ChildType, 17);
  EXPECT_EQ(sent.header.PageID, 17);
  EXPECT_EQ(sent.header.RequestCode, screen->lastRequestCode());
  ASSERT_GE(sent.body.size(), 9u);
  EXPECT_EQ(sent.body[0], 100);
  EXPECT_EQ(sent.body[1], 2);
  EXPECT_EQ(sent.body[2], 1);
  EXPECT_EQ(ReadLE16(sent.body.data() + 3), 0);
  EXPECT_EQ(ReadLE16(sent.body.data() + 5), 25);
  EXPECT_EQ(sent.body[7], 0);  // list 1 empty
  EXPECT_EQ(Ids(sent.body, 8),
            (std::vector<uint8_t>{30, 10, 9,  11, 19, 17, 1,  5,  31, 23, 6,  7,
                                  15, 24, 14, 18, 40, 16, 25, 26, 72, 73, 75, 62, 21}));
  ExpectAsksForEveryColumn(*screen, Ids(sent.body, 8));

  // The main-force screen sends its own ids with sort code 9.
  auto main = Load<MainSortController>("MainSortController");
  main->doSomeWhenWillAppear();
  EXPECT_EQ(Last().header.ChildType, 17);
  EXPECT_EQ(Last().body[2], 9);
  EXPECT_EQ(Ids(Last().body, 8), (std::vector<uint8_t>{30, 10, 9, 11, 19, 17, 1, 5, 31, 23, 6, 102,
                                                       101, 103, 104, 105, 106, 107, 21}));
}

TEST_F(RankingTest, HongKongBoardsGoOutAsBoardRequestsAndKeepTheTitle) {
  auto hk = Load<HKSortController>("HKSortController");
  ASSERT_NE(hk, nullptr);
  EXPECT_EQ(hk->title(), "港股");
  EXPECT_EQ(hk->menuBar()->nSelItemIndex(), 1);
  for (auto [item, board] : {std::pair<int, const char*>{5, "505001"}, {6, "505003"}}) {
    hk->menuBar()->changeSelSubItem(item);
    const SentPacket& sent = Last();
    EXPECT_EQ(sent.header.ChildType, 24);
    EXPECT_EQ(sent.header.PageID, 17);
    ASSERT_GE(sent.body.size(), 54u);
    EXPECT_STREQ(reinterpret_cast<const char*>(sent.body.data()), board);
    EXPECT_EQ(sent.body[8], 1);
    EXPECT_EQ(ReadLE16(sent.body.data() + 9), 0);
    EXPECT_EQ(ReadLE16(sent.body.data() + 11), 25);
    EXPECT_EQ(sent.body[13], 1);
    EXPECT_EQ(Ids(sent.body, 53).size(), 25u);
    ExpectAsksForEveryColumn(*hk, Ids(sent.body, 53));
    EXPECT_EQ(hk->title(), "港股");
  }
  // A board reply: total at 9, count at 13 of its 55-byte head.
  std::vector<uint8_t> list = quotelist::SortReply(0, 4);
  std::vector<uint8_t> body(55, 0);
  WriteLE32(body.data() + 9, 4);
  WriteLE16(body.data() + 13, 4);
  body.insert(body.end(), list.begin() + 9, list.end());
  Deliver(*hk, 24, hk->lastRequestCode(), body);
  EXPECT_EQ(hk->stockNum(), 4);
  EXPECT_EQ(hk->totalNum(), 4);
  EXPECT_EQ(hk->title(), "港股(1/1)");

  // Other board types send nothing.
  const size_t before = SentCount();
  hk->RequestData(3, 1, 5002, 0, 25);
  EXPECT_EQ(SentCount(), before);
}

TEST_F(RankingTest, IndexListComesFromTheBundleAndCannotBeSorted) {
  auto screen = Load<StockSort>("StockSort");
  ASSERT_EQ(screen->indexListCount(), 8);
  screen->menuBar()->changeSelSubItem(0);
  EXPECT_EQ(screen->title(), "指数");
  const SentPacket& sent = Last();
  EXPECT_EQ(sent.header.ChildType, 12);
  EXPECT_EQ(sent.header.PageID, 18);
  ASSERT_GE(sent.body.size(), 2u + 8 * 9);
  EXPECT_EQ(ReadLE16(sent.body.data()), 8);
  EXPECT_EQ(sent.body[2], 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(sent.body.data() + 3), "000001");
  EXPECT_EQ(Ids(sent.body, 74), (std::vector<uint8_t>{30, 10, 9, 11, 1, 20, 19}));
  EXPECT_EQ(Ids(sent.body, 82).size(), 25u);

  Deliver(*screen, 12, screen->lastRequestCode(), {});
  EXPECT_EQ(screen->stockNum(), 8);
  EXPECT_EQ(screen->totalNum(), 8);
  EXPECT_EQ(CodeOf(screen->row(0)), "000001");
  EXPECT_EQ(screen->row(0).market, 1);
  EXPECT_EQ(CodeOf(screen->row(6)), "999999");
  EXPECT_EQ(screen->title(), "指数(1/1)");

  // Its column titles show no sort column; a market list shows its sorted one.
  auto right = screen->titleViewForTable_TableViewRightView(*screen->tableView());
  ASSERT_NE(screen->rightTitle(), nullptr);
  EXPECT_EQ(screen->rightTitle()->selectedIndex(), -1);
  screen->menuBar()->changeSelSubItem(1);
  right = screen->titleViewForTable_TableViewRightView(*screen->tableView());
  EXPECT_EQ(screen->rightTitle()->selectedIndex(), 0);
}

TEST_F(RankingTest, PushOfTheShownPageNeverBringsInAnotherList) {
  auto screen = Load<StockSort>("StockSort");
  screen->doSomeWhenWillAppear();
  Answer(*screen, 25, 60);
  ASSERT_EQ(screen->stockNum(), 25);
  // The row of the page's first record (the rows stand in the order of their change).
  auto rowOf = [&](const std::string& code) {
    for (int r = 0; r < screen->stockNum(); ++r)
      if (CodeOf(screen->row(r)) == code) return r;
    return -1;
  };
  const std::string first = "600000";
  const int row = rowOf(first);
  ASSERT_GE(row, 0);
  const int32_t before = screen->row(row).now;

  // The server pushes the page's quotes as child type 12 under the sort request's code; the
  // core merges them into the cache before the screen hears of them.
  std::vector<uint8_t> push = quotelist::SortReply(0, 1);
  constexpr size_t kNowAt = 9 + 1 + 17 + 1 + 8 + 16 + 1 + 2 + 16;
  WriteLE32(push.data() + kNowAt, ReadLE32(push.data() + kNowAt) + 50);
  ASSERT_EQ(QuoteCache_ParseListReply(push.data(), push.size(), nullptr, 1, nullptr), 1);
  tagLocalStockData cached{};
  QuoteCache_GetQuote(cached, screen->row(row).market, first.c_str());
  ASSERT_NE(cached.now, before);
  Deliver(*screen, 12, screen->lastRequestCode(), push);
  EXPECT_EQ(screen->stockNum(), 25);
  EXPECT_EQ(screen->totalNum(), 60);
  EXPECT_EQ(CodeOf(screen->row(row)), first);
  EXPECT_EQ(screen->row(row).now, cached.now);
  EXPECT_EQ(screen->title(), "沪深A股(1/3)");
}

// Sets record `k` of a sort page (head 9, the fixture's 17 field ids, 88-byte records) to a
// change of `basisPoints` hundredths of a percent: now, change and change rate agree.
void SetChange(std::vector<uint8_t>& body, int k, int32_t basisPoints) {
  const size_t at = 9 + 1 + quotelist::WireIds().size() + 88 * static_cast<size_t>(k);
  const int32_t yesterday = static_cast<int32_t>(ReadLE32(body.data() + at + 28));
  const int32_t now = static_cast<int32_t>(yesterday + int64_t{yesterday} * basisPoints / 10000);
  WriteLE32(body.data() + at + 44, static_cast<uint32_t>(now));
  WriteLE32(body.data() + at + 64, static_cast<uint32_t>(now - yesterday));
  WriteLE32(body.data() + at + 68, static_cast<uint32_t>(basisPoints));
}

// Pushes move the figures of a sorted page where they stand; the rows must still follow the
// arrow: a stock whose change falls below the others' goes down the falling list at the push,
// not at the next answer of the server.
TEST_F(RankingTest, PushedFiguresKeepASortedPageInTheOrderOfItsArrow) {
  auto screen = Load<HKSortController>("HKSortController");
  ASSERT_NE(screen, nullptr);
  screen->menuBar()->changeSelSubItem(1);  // 主板, by change rate, falling
  ASSERT_EQ(screen->sortType() & 0x80, 0);
  constexpr int kRows = 8;
  std::vector<uint8_t> page = SortPage(0, kRows, 40);
  for (int k = 0; k < kRows; ++k) SetChange(page, k, 500 - 50 * k);
  Deliver(*screen, 17, screen->lastRequestCode(), page);
  ASSERT_EQ(screen->stockNum(), kRows);
  const std::string falling = CodeOf(screen->row(1));
  auto changes = [&] {
    std::vector<int32_t> out;
    for (int r = 0; r < screen->stockNum(); ++r) out.push_back(screen->row(r).zf);
    return out;
  };
  const std::vector<int32_t> before = changes();
  ASSERT_TRUE(std::is_sorted(before.rbegin(), before.rend()));

  // The push: row 1 now falls 3%, row 5 rises to the top.
  SetChange(page, 1, -300);
  SetChange(page, 5, 900);
  ASSERT_EQ(QuoteCache_ParseListReply(page.data(), page.size(), nullptr, kRows, nullptr), kRows);
  Deliver(*screen, 12, screen->lastRequestCode(), page, false, kMainTypeQuote, kDataFlagPush);
  rankingtest::AdvanceAndDrain(0.1);
  const std::vector<int32_t> now = changes();
  EXPECT_TRUE(std::is_sorted(now.rbegin(), now.rend())) << ::testing::PrintToString(now);
  EXPECT_EQ(CodeOf(screen->row(kRows - 1)), falling);
  EXPECT_EQ(screen->row(0).zf, 900);
  EXPECT_EQ(screen->stockNum(), kRows);
}

TEST_F(RankingTest, RowCountIsWhatTheBodyReallyHolds) {
  auto screen = Load<StockSort>("StockSort");
  screen->doSomeWhenWillAppear();
  // The head claims 25 rows, the body holds 3 and a half.
  std::vector<uint8_t> full = SortPage(0, 4, 100);
  std::vector<uint8_t> three = SortPage(0, 3, 100);
  std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(three.size() + 10));
  WriteLE16(cut.data() + 7, 25);
  Deliver(*screen, 17, screen->lastRequestCode(), cut);
  EXPECT_EQ(screen->stockNum(), 3);
  EXPECT_EQ(screen->totalNum(), 100);
  EXPECT_EQ(screen->currentStockRecord(3)["code"].asString(), "");

  // A head that claims more than the page can hold.
  std::vector<uint8_t> many = SortPage(0, 35, 100);
  WriteLE16(many.data() + 7, 200);
  Deliver(*screen, 17, screen->lastRequestCode(), many);
  EXPECT_EQ(screen->stockNum(), 30);
  EXPECT_EQ(screen->totalStockRecord(), 30);

  // A body length beyond the record is read only as far as the record goes.
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  PacketHeader header;
  header.bodyLen = 60000;
  header.MainType = 145;
  header.ChildType = 17;
  header.RequestCode = screen->lastRequestCode();
  header.Write(record.data() + 4);
  std::vector<uint8_t> page = SortPage(0, 2, 2);
  std::memcpy(record.data() + 20, page.data(), page.size());
  screen->recvRecord(record.data(), static_cast<int>(record.size()));
  EXPECT_EQ(screen->stockNum(), 2);
}

TEST_F(RankingTest, RepliesOfOtherRequestsAndErrorsKeepTheRows) {
  auto screen = Load<StockSort>("StockSort");
  screen->doSomeWhenWillAppear();
  Answer(*screen, 10, 10);
  ASSERT_EQ(screen->stockNum(), 10);
  Deliver(*screen, 17, static_cast<uint16_t>(screen->lastRequestCode() + 1), SortPage(0, 2, 2));
  EXPECT_EQ(screen->stockNum(), 10);
  Deliver(*screen, 17, screen->lastRequestCode(), SortPage(0, 2, 2), true);
  EXPECT_EQ(screen->stockNum(), 10);
  Deliver(*screen, 17, screen->lastRequestCode(), SortPage(0, 2, 2), false, 144);
  EXPECT_EQ(screen->stockNum(), 10);
  Deliver(*screen, 17, screen->lastRequestCode(), {1, 2, 3});
  EXPECT_EQ(screen->stockNum(), 10);
}

struct PagingCase {
  int total;
  int pages;
  int lastStart;
};

class PagingTest : public RankingTest, public ::testing::WithParamInterface<PagingCase> {};

TEST_P(PagingTest, PagesWrapAtBothEnds) {
  const PagingCase c = GetParam();
  auto screen = Load<StockSort>("StockSort");
  Table_TableView& table = *screen->tableView();
  screen->doSomeWhenWillAppear();
  auto answer = [&] {
    const int left = c.total - screen->startIndex();
    Answer(*screen, std::max(0, std::min(25, left)), static_cast<uint32_t>(c.total));
  };
  answer();
  if (c.total == 0) {
    EXPECT_EQ(screen->title(), "沪深A股");
    screen->tableTableViewReloadDataWithStatus(table, 2);
    EXPECT_EQ(screen->startIndex(), 0);
    return;
  }
  EXPECT_EQ(screen->title(), "沪深A股(1/" + std::to_string(c.pages) + ")");
  // Previous from the first page goes to the last.
  screen->tableTableViewReloadDataWithStatus(table, 1);
  EXPECT_EQ(screen->startIndex(), c.lastStart);
  EXPECT_EQ(ReadLE16(Last().body.data() + 3), c.lastStart);
  answer();
  EXPECT_EQ(screen->title(),
            "沪深A股(" + std::to_string(c.pages) + "/" + std::to_string(c.pages) + ")");
  EXPECT_TRUE(table.nextRefreshHeaderView()->isHidden());
  EXPECT_FALSE(table.preRefreshHeaderView()->isHidden());
  // Next from the last wraps to the first.
  screen->tableTableViewReloadDataWithStatus(table, 2);
  EXPECT_EQ(screen->startIndex(), 0);
  answer();
  EXPECT_TRUE(table.preRefreshHeaderView()->isHidden());
  // Forward through every page.
  for (int page = 2; page <= c.pages; ++page) {
    screen->tableTableViewReloadDataWithStatus(table, 2);
    EXPECT_EQ(screen->startIndex(), (page - 1) * 25);
    answer();
  }
  EXPECT_EQ(screen->startIndex(), c.lastStart);
  // And back one.
  screen->tableTableViewReloadDataWithStatus(table, 1);
  EXPECT_EQ(screen->startIndex(), c.lastStart - 25);
}

INSTANTIATE_TEST_SUITE_P(Totals, PagingTest,
                         ::testing::Values(PagingCase{0, 0, 0}, PagingCase{50, 2, 25},
                                           PagingCase{51, 3, 50}));

TEST_F(RankingTest, TitleTapsChooseTheSortCode) {
  auto screen = Load<StockSort>("StockSort");
  screen->doSomeWhenWillAppear();
  Answer(*screen, 25, 60);
  screen->tableTableViewReloadDataWithStatus(*screen->tableView(), 2);
  ASSERT_EQ(screen->startIndex(), 25);
  auto right = screen->titleViewForTable_TableViewRightView(*screen->tableView());
  auto left = screen->titleViewForTable_TableViewLeftView(*screen->tableView());
  // Column 1 ("成交量", sort code 2), direction 1 (▲): bit 7 set, restarts at 0.
  screen->customLabelDidSelectIndex(*screen->rightTitle(), 1, 1);
  EXPECT_EQ(screen->sortType(), 2 | 0x80);
  EXPECT_EQ(screen->startIndex(), 0);
  EXPECT_EQ(Last().body[2], 0x82);
  EXPECT_EQ(ReadLE16(Last().body.data() + 3), 0);
  screen->customLabelDidSelectIndex(*screen->rightTitle(), 1, 0);
  EXPECT_EQ(Last().body[2], 2);
  // A market change keeps the sort code.
  screen->menuBar()->changeSelSubItem(3);
  EXPECT_EQ(screen->title(), "深证A股");
  EXPECT_EQ(Last().body[0], 2);
  EXPECT_EQ(Last().body[1], 2);
  EXPECT_EQ(Last().body[2], 2);
  // A column outside the list changes nothing.
  const size_t before = SentCount();
  screen->customLabelDidSelectIndex(*screen->rightTitle(), 40, 1);
  EXPECT_EQ(SentCount(), before);
  // The name column resets the sort.
  screen->customLabelDidSelectIndex(*screen->leftTitle(), 0, 1);
  EXPECT_EQ(screen->sortType(), 0);
  EXPECT_EQ(screen->currentSortOrder(), -1);
  EXPECT_EQ(Last().body[2], 0);
}

TEST_F(RankingTest, RowsShowCodeNameAndConfiguredColumns) {
  auto screen = Load<StockSort>("StockSort");
  screen->doSomeWhenWillAppear();
  Answer(*screen, 5, 5);
  Table_TableView& table = *screen->tableView();
  table.leftTableView()->layoutIfNeeded();
  table.rightTableView()->layoutIfNeeded();
  auto* leftCell = table.leftTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  auto* rightCell = table.rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(leftCell, nullptr);
  ASSERT_NE(rightCell, nullptr);
  auto* names = dynamic_cast<CustomLabels*>(leftCell->contentView()->viewWithTag(445));
  ASSERT_NE(names, nullptr);
  const tagLocalStockData& rec = screen->row(0);
  EXPECT_EQ(names->titleLabel(0)->text(), (rec.market == 1 ? "SH" : "SZ") + CodeOf(rec));
  auto* values = dynamic_cast<CustomLabels*>(rightCell->contentView()->viewWithTag(445));
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(values->titleLabel(0)->text(), FormatChangePercent(rec.zf, rec.now, false, false));
  EXPECT_EQ(values->titleLabel(2)->text(), FormatAmountString(rec.market, rec.amount, 100, 6));
  EXPECT_DOUBLE_EQ(values->titleLabel(0)->frame().width(), 72 + 30);
  EXPECT_DOUBLE_EQ(values->titleLabel(1)->frame().width(), 72 - 5);
  auto* box = dynamic_cast<ChangeDetailView2*>(rightCell->contentView()->viewWithTag(399));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->nowPriceLabel()->text(), FormatPriceString(rec.now, 8, rec.pricedot, rec.now));
}

// A stock without share capital has no turnover (sent as 0, kept as the no-value mark) and a
// server may send the mark for other rates too: every list shows such a column empty, never the
// mark as a number, even beside a latest price.
TEST_F(RankingTest, NoValueColumnsShowTheEmptyMarkInEveryList) {
  for (const char* name :
       {"StockSort", "MainSortController", "HKSortController", "OneMarketSortController"}) {
    SCOPED_TRACE(name);
    auto screen = Load<StockSort>(name);
    ASSERT_NE(screen, nullptr);
    screen->doSomeWhenWillAppear();
    const int count = 3;
    std::vector<uint8_t> body = SortPage(screen->startIndex(), count, count);
    // Each record ends with swing, turnover, one more rate and the average price (4 bytes each).
    const size_t recordSize = (body.size() - 27) / count;
    ASSERT_EQ(27 + recordSize * count, body.size());
    for (int k = 0; k < count; ++k) {
      uint8_t* end = body.data() + 27 + recordSize * static_cast<size_t>(k + 1);
      WriteLE32(end - 16, static_cast<uint32_t>(kEmptyValue));  // swing
      WriteLE32(end - 12, 0);                                   // turnover
    }
    Deliver(*screen, 17, screen->lastRequestCode(), body);
    ASSERT_EQ(screen->row(0).hsl, kEmptyValue);
    ASSERT_NE(screen->row(0).now, 0);
    Table_TableView& table = *screen->tableView();
    table.reloadView();
    table.rightTableView()->layoutIfNeeded();
    const auto cells = table.rightTableView()->visibleCells();
    ASSERT_FALSE(cells.empty());
    for (ui::TableViewCell* cell : cells) {
      auto* values = dynamic_cast<CustomLabels*>(cell->contentView()->viewWithTag(445));
      ASSERT_NE(values, nullptr);
      for (ui::Label* column : values->labels())
        EXPECT_EQ(column->text().find("2147483"), std::string::npos) << column->text();
    }
  }
}

// The change box stands in for the first value column; every other column must stay readable
// beside it, in the main-force list (whose first column is the narrowest) as in the others.
TEST_F(RankingTest, ChangeBoxLeavesEveryOtherColumnReadable) {
  for (const char* name :
       {"StockSort", "MainSortController", "HKSortController", "OneMarketSortController"}) {
    SCOPED_TRACE(name);
    auto screen = Load<StockSort>(name);
    ASSERT_NE(screen, nullptr);
    screen->doSomeWhenWillAppear();
    Answer(*screen, 8, 8);
    Table_TableView& table = *screen->tableView();
    table.reloadView();
    EXPECT_EQ(ListCollisions(table), std::vector<std::string>{});
    auto* cell = table.rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
    ASSERT_NE(cell, nullptr);
    auto* values = dynamic_cast<CustomLabels*>(cell->contentView()->viewWithTag(445));
    ASSERT_NE(values, nullptr);
    // The box shows the first column's value itself; the others show theirs.
    EXPECT_TRUE(values->titleLabel(0)->isHidden());
    EXPECT_FALSE(values->titleLabel(1)->isHidden());
    EXPECT_FALSE(values->titleLabel(1)->text().empty());
  }
  // The main-force columns keep their widths beside the box.
  auto main = Load<MainSortController>("MainSortController");
  main->doSomeWhenWillAppear();
  Answer(*main, 3, 3);
  main->tableView()->reloadView();
  main->tableView()->rightTableView()->layoutIfNeeded();
  auto* cell =
      main->tableView()->rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  auto* values = dynamic_cast<CustomLabels*>(cell->contentView()->viewWithTag(445));
  ASSERT_NE(values, nullptr);
  EXPECT_DOUBLE_EQ(values->titleLabel(0)->frame().width(), 82 + 10);
  EXPECT_DOUBLE_EQ(values->titleLabel(1)->frame().minX(), 82 + 10);
  EXPECT_DOUBLE_EQ(values->titleLabel(1)->frame().width(), 82 - 2);
}

TEST_F(RankingTest, RowTapOpensTheDetailScreen) {
  auto screen = Load<StockSort>("StockSort");
  screen->doSomeWhenWillAppear();
  Answer(*screen, 5, 5);
  screen->tableTableViewDidSelectIndex(*screen->tableView(), ui::IndexPath::forRow(2, 0));
  auto* detail = dynamic_cast<TrendlineController*>(navigation_->topViewController());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->code(), CodeOf(screen->row(2)));
  EXPECT_EQ(detail->market(), screen->row(2).market);
  // The detail screen steps through this list.
  EXPECT_EQ(detail->recordDelegate().get(), static_cast<TrendlineRecordDelegate*>(screen.get()));
  EXPECT_EQ(detail->currentRow(), 2);
  EXPECT_EQ(detail->initShowIndexType(), 0);
  EXPECT_EQ(detail->recordDelegate()->totalStockRecord(), 5);
  foundation::Value record = screen->currentStockRecord(2);
  EXPECT_EQ(record["code"].asString(), CodeOf(screen->row(2)));
  EXPECT_EQ(record["market"].toInt(), screen->row(2).market);
  EXPECT_TRUE(screen->currentStockRecord(30).isNull());
  EXPECT_TRUE(screen->currentStockRecord(-1).isNull());
  // Rows past 30 open nothing.
  screen->tableTableViewDidSelectIndex(*screen->tableView(), ui::IndexPath::forRow(30, 0));
  EXPECT_EQ(navigation_->viewControllers().size(), 2u);

  // The main-force ranking opens its rows on the main-force page.
  auto main = Load<MainSortController>("MainSortController");
  main->doSomeWhenWillAppear();
  Answer(*main, 3, 3);
  main->tableTableViewDidSelectIndex(*main->tableView(), ui::IndexPath::forRow(0, 0));
  auto* mainDetail = dynamic_cast<TrendlineController*>(navigation_->topViewController());
  ASSERT_NE(mainDetail, nullptr);
  EXPECT_EQ(mainDetail->initShowIndexType(), 1);
  EXPECT_EQ(mainDetail->currentRow(), 0);
}

}  // namespace
}  // namespace rankingtest

namespace {

using rankingtest::RankingTest;

// A new order or a new market starts at its first rows, also when the list was scrolled down
// on the same page before (the main-force ranking re-sorted stayed mid-way).
TEST_F(RankingTest, ANewSortOrMarketShowsTheListFromItsTop) {
  auto screen = Load<MainSortController>("MainSortController");
  ASSERT_NE(screen, nullptr);
  screen->doSomeWhenWillAppear();
  Answer(*screen, 25, 60);
  Table_TableView* table = screen->tableView();
  auto scrolledDown = [&] {
    for (ui::TableView* t :
         {table->leftTableView(), table->rightTableView(), table->descriptionTableView()})
      t->setContentOffset({0, 300}, false);
  };
  auto atTop = [&] {
    rankingtest::AdvanceAndDrain(1);
    for (ui::TableView* t : {table->leftTableView(), table->rightTableView()})
      if (t->contentOffset().y > 0) return false;
    return true;
  };
  auto right = screen->titleViewForTable_TableViewRightView(*table);
  auto left = screen->titleViewForTable_TableViewLeftView(*table);
  scrolledDown();
  screen->customLabelDidSelectIndex(*screen->rightTitle(), 1, 1);
  Answer(*screen, 25, 60);
  EXPECT_TRUE(atTop());
  // The other direction of the same column.
  scrolledDown();
  screen->customLabelDidSelectIndex(*screen->rightTitle(), 1, 0);
  Answer(*screen, 25, 60);
  EXPECT_TRUE(atTop());
  // Back to the stored order.
  scrolledDown();
  screen->customLabelDidSelectIndex(*screen->leftTitle(), 0, 1);
  Answer(*screen, 25, 60);
  EXPECT_TRUE(atTop());
  // A push of the same page keeps the place the user scrolled to.
  scrolledDown();
  Deliver(*screen, 12, screen->lastRequestCode(), SortPage(0, 25, 60));
  rankingtest::AdvanceAndDrain(1);
  EXPECT_EQ(table->rightTableView()->contentOffset().y, 300);
}

}  // namespace
