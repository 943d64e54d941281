// The market tab without a server: the requests of its menus, how replies of each kind become
// rows (and only the kind awaited), paging, the boards with their strip and refresh timer, and
// the cells of its lists.
#include <cstring>

#include "core/CoreState.h"
#include "core/QuoteFormat.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Touch.h"
#include "ranking/NewStockSort.h"
#include "shell/ScreenMetrics.h"
#include "tests/ranking/RankingTestSupport.h"
#include "tests/shell/ScreenStandIns.h"
#include "widgets/QuoteColors.h"

namespace rankingtest {
namespace {

// 18, the average price, for the 均价 column the lists sort by.
const std::vector<uint8_t> kCommon = {30, 10, 9,  11, 21, 19, 17, 1,  5,  31, 2,  3,  4,  23,
                                      6,  7,  15, 24, 14, 18, 40, 16, 25, 26, 72, 73, 75, 62};

std::vector<uint8_t> With(std::vector<uint8_t> ids, std::initializer_list<uint8_t> tail) {
  ids.insert(ids.end(), tail);
  return ids;
}

// A constituents (or Hong Kong board) page: the sort page behind a 55-byte head.
std::vector<uint8_t> BoardPage(const char* board, int start, int count, uint32_t total) {
  const std::vector<uint8_t> sort = quotelist::SortReply(start, count);
  std::vector<uint8_t> body(55, 0);
  std::memcpy(body.data(), board, std::strlen(board));
  WriteLE32(body.data() + 9, total);
  WriteLE16(body.data() + 13, static_cast<uint16_t>(count));
  for (size_t i = 9; i < sort.size(); ++i) body.push_back(sort[i]);  // GCC 12 -O2 bounds check
  return body;
}

class MarketTabTest : public RankingTest {
 protected:
  void SetUp() override {
    RankingTest::SetUp();
    ParseRightsList("31,49");
    for (auto& alert : ui::AlertView::visibleAlerts())
      alert->dismissWithClickedButtonIndex(1, false);
  }
  void TearDown() override {
    for (auto& alert : ui::AlertView::visibleAlerts())
      alert->dismissWithClickedButtonIndex(1, false);
    ParseRightsList("");
    RankingTest::TearDown();
  }

  std::shared_ptr<NewStockSort> Open() {
    auto screen = Load<NewStockSort>("NewStockSort");
    // Laid out where the tab bar puts it, between the navigation bar and the tab bar.
    if (screen) {
      navigation_->view()->setFrame(gfx::Rect(0, 0, 320, ScreenContentHeight() + 44));
      navigation_->view()->layoutIfNeeded();
    }
    if (screen) screen->viewWillAppear(false);
    Run(0.1);
    return screen;
  }
  static void Run(double seconds) {
    AdvanceAndDrain(seconds);
  }
  static void Top(NewStockSort& s, int item) { s.totalMenuBar()->changeSelSubItem(item); }
  // Taps a top item as a finger would (the rights gate is asked).
  static void TapTop(NewStockSort& s, int item) {
    ui::Button* button = s.totalMenuBar()->itemButton(item);
    ASSERT_NE(button, nullptr);
    s.totalMenuBar()->subItemButtonClick(*button);
  }
  // The board list of `count` boards and `total` in all, answered to the board-list request.
  void Boards(NewStockSort& s, int count, uint32_t total) {
    Deliver(s, 17, static_cast<uint16_t>(s.keptCode(5)), SortPage(0, count, total));
  }
  double ScreenHeight() const { return ui::Screen::main().bounds().height(); }
};

TEST_F(MarketTabTest, MenusSendTheirListsRequests) {
  auto s = Open();
  ASSERT_NE(s, nullptr);
  // First appearance: one request after 0.1 s for all A shares, sort 1, from 0.
  ASSERT_EQ(SentCount(), 1u);
  EXPECT_EQ(s->title(), "沪深A股");
  const SentPacket& first = Last();
  EXPECT_EQ(first.header.ChildType, 17);
  EXPECT_EQ(first.header.PageID, 17);
  EXPECT_EQ((std::vector<uint8_t>(first.body.begin(), first.body.begin() + 3)),
            (std::vector<uint8_t>{100, 2, 1}));
  EXPECT_EQ(ReadLE16(first.body.data() + 3), 0);
  EXPECT_EQ(ReadLE16(first.body.data() + 5), 25);
  EXPECT_EQ(first.body[7], 0);
  EXPECT_EQ(Ids(first.body, 8), kCommon);
  ExpectAsksForEveryColumn(*s, Ids(first.body, 8));

  // "指数": the server's list 2 with the 84, 85 tail; no sub-menu, the table at y 37.
  Top(*s, NewStockSort::kIndex);
  EXPECT_EQ(Last().body[0], 101);
  EXPECT_EQ(Last().body[1], 2);
  EXPECT_EQ(Last().body[2], 0);
  EXPECT_EQ(Ids(Last().body, 8), With(kCommon, {84, 85}));
  EXPECT_EQ(s->tableView()->frame(), gfx::Rect(0, 37, 320, ScreenHeight() - 173));
  EXPECT_TRUE(s->menuBar()->isHidden());
  EXPECT_EQ(s->title(), "指数");

  // Futures carry the contract fields.
  Top(*s, NewStockSort::kFutures);
  EXPECT_EQ(Last().body[0], 4);
  EXPECT_EQ(Last().body[1], 40);
  EXPECT_EQ(Ids(Last().body, 8), With(kCommon, {8, 160, 161, 162, 163}));
  EXPECT_EQ(s->tableView()->frame(), gfx::Rect(0, 73, 320, ScreenHeight() - 209));
  s->menuBar()->changeSelSubItem(11);
  EXPECT_EQ(s->title(), "贵金属");
  EXPECT_EQ(Last().body[0], 6);
  EXPECT_EQ(Last().body[1], 77);
  EXPECT_EQ(Ids(Last().body, 8), With(kCommon, {8, 160, 161, 162, 163}));

  // Hong Kong starts on the main board; "国企" is a board list of child type 24.
  Top(*s, NewStockSort::kHongKong);
  EXPECT_EQ(s->title(), "主板");
  EXPECT_EQ(Last().header.ChildType, 17);
  EXPECT_EQ(Last().body[0], 3);
  EXPECT_EQ(Last().body[1], 10);
  s->menuBar()->changeSelSubItem(5);
  EXPECT_EQ(Last().header.ChildType, 24);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Last().body.data())), "505001");
  EXPECT_EQ(Last().body[13], 1);
  ExpectAsksForEveryColumn(*s, Ids(Last().body, 53));
  s->menuBar()->changeSelSubItem(6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Last().body.data())), "505003");
  // Leaving and coming back restores the last sub-item.
  Top(*s, NewStockSort::kHuShen);
  Top(*s, NewStockSort::kHongKong);
  EXPECT_EQ(s->menuBar()->nSelItemIndex(), 6);
  EXPECT_EQ(Last().header.ChildType, 24);

  // Boards: the kind bar instead of the sub-menu, the board list request with its own ids.
  Top(*s, NewStockSort::kBoards);
  EXPECT_FALSE(s->boardMenuBar()->isHidden());
  EXPECT_TRUE(s->menuBar()->isHidden());
  EXPECT_EQ(s->title(), "全部板块");
  EXPECT_EQ((std::vector<uint8_t>(Last().body.begin(), Last().body.begin() + 3)),
            (std::vector<uint8_t>{9, 0, 1}));
  EXPECT_EQ(Ids(Last().body, 7).size(), 27u);
  EXPECT_EQ(Last().body.at(7 + 28), 0);  // list 2 empty
  s->boardMenuBar()->changeSelSubItem(3);
  EXPECT_EQ(Last().body[1], 3);
  EXPECT_EQ(s->title(), "概念板块");

  // The open "沪深" titles and their pairs answer both ways.
  uint16_t market = 0, type = 0;
  Top(*s, NewStockSort::kHuShen);
  s->CheckMarketType(5, market, type);
  EXPECT_EQ(market, 100);
  EXPECT_EQ(type, 3);
  EXPECT_EQ(s->CheckMarketIndex(2, 7), 12);
  EXPECT_EQ(s->CheckMarketIndex(100, 19), 13);
  EXPECT_EQ(s->CheckMarketIndex(1, 18), 15);
  EXPECT_EQ(s->CheckMarketIndex(42, 42), 1);
  s->CheckMarketType(16, market, type);
  EXPECT_EQ(market, 0);
  EXPECT_EQ(type, 0);
}

TEST_F(MarketTabTest, MarketsWithoutTheRightShowTheGuestAlert) {
  auto s = Open();
  ParseRightsList("1");
  const size_t sent = SentCount();
  TapTop(*s, NewStockSort::kHongKong);
  TapTop(*s, NewStockSort::kUs);
  EXPECT_EQ(s->topItem(), NewStockSort::kHuShen);
  EXPECT_EQ(SentCount(), sent);
  EXPECT_EQ(s->title(), "沪深A股");
  std::shared_ptr<ui::AlertView> alert;
  for (auto& shown : ui::AlertView::visibleAlerts()) {
    if (shown->tag() == NewStockSort::kGuestAlertTag) alert = shown;
  }
  ASSERT_NE(alert, nullptr);
  ASSERT_TRUE(alert->pressButtonAtIndex(0));
  EXPECT_NE(dynamic_cast<AccountManagerDouble*>(navigation_->topViewController()), nullptr);

  // With the rights the same taps go through.
  ParseRightsList("31,49");
  TapTop(*s, NewStockSort::kUs);
  EXPECT_EQ(s->topItem(), NewStockSort::kUs);
  EXPECT_EQ(Last().body[0], 16);
  EXPECT_EQ(Last().body[1], 100);
}

// A logged-in user who lacks a market's right is told which right, not offered the guest's
// login; the guard is the rights table's, the same the shell's paths read.
TEST_F(MarketTabTest, AUserWithoutAMarketsRightReadsWhichRightAndIsNoGuest) {
  auto s = Open();
  SetLoginInfo("li4", "654321");
  ParseRightsList("30");
  ui::AlertView::dismissAll();
  TapTop(*s, NewStockSort::kHongKong);
  EXPECT_EQ(s->topItem(), NewStockSort::kHuShen);
  auto alerts = ui::AlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE(alerts[0]->message().find("港股行情"), std::string::npos) << alerts[0]->message();
  EXPECT_NE(alerts[0]->message().find("31"), std::string::npos);
  EXPECT_EQ(alerts[0]->message().find("游客"), std::string::npos);
  EXPECT_NE(alerts[0]->buttonTitleAtIndex(0), "登录/申请");
  ui::AlertView::dismissAll();
  SetLoginInfo("", "");
}

TEST_F(MarketTabTest, RepliesFillOnlyTheListAwaited) {
  auto s = Open();
  // A body shorter than its count claims: only the records really there are rows.
  std::vector<uint8_t> page = SortPage(0, 25, 60);
  const std::vector<uint8_t> three = quotelist::SortReply(0, 3);
  std::vector<uint8_t> shortBody(page.begin(), page.begin() + static_cast<long>(three.size()));
  Deliver(*s, 17, s->lastRequestCode(), shortBody);
  EXPECT_EQ(s->stockNum(), 3);
  EXPECT_EQ(s->totalNum(), 60);
  // More than 30 records: 30 rows.
  Deliver(*s, 17, s->lastRequestCode(), SortPage(0, 40, 90));
  EXPECT_EQ(s->stockNum(), 30);
  EXPECT_EQ(s->totalNum(), 90);
  // Errors and foreign codes change nothing.
  Deliver(*s, 17, s->lastRequestCode(), SortPage(5, 4, 4), true);
  Deliver(*s, 17, static_cast<uint16_t>(s->lastRequestCode() + 1), SortPage(5, 4, 4));
  EXPECT_EQ(s->stockNum(), 30);

  // A Hong Kong board list still on its way when the boards are chosen is dropped.
  Top(*s, NewStockSort::kHongKong);
  s->menuBar()->changeSelSubItem(5);
  const uint16_t hkCode = s->lastRequestCode();
  Top(*s, NewStockSort::kBoards);
  Boards(*s, 6, 6);
  ASSERT_EQ(s->boardCount(), 6);
  const std::string firstBoard = CodeOf(s->board(0));
  Deliver(*s, 24, hkCode, BoardPage("505001", 10, 5, 20));
  EXPECT_EQ(s->stockNum(), 6);
  EXPECT_EQ(CodeOf(s->row(0)), firstBoard);

  // A board-list refresh answered after a board was entered leaves its constituents alone.
  const uint16_t listCode = static_cast<uint16_t>(s->keptCode(5));
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(2, 0));
  ASSERT_EQ(s->boardMode(), 1);
  Deliver(*s, 24, static_cast<uint16_t>(s->keptCode(6)), BoardPage("x", 40, 4, 4));
  EXPECT_EQ(s->stockNum(), 4);
  Deliver(*s, 17, listCode, SortPage(0, 6, 6));
  EXPECT_EQ(s->stockNum(), 4);
  EXPECT_EQ(CodeOf(s->row(0)), "600040");
  EXPECT_EQ(s->boardCount(), 6);
}

TEST_F(MarketTabTest, ASwitchedListDropsTheLastListsRowsAtOnce) {
  auto s = Open();
  Top(*s, NewStockSort::kGlobal);
  Deliver(*s, 17, s->lastRequestCode(), SortPage(0, 8, 8));
  ASSERT_EQ(s->stockNum(), 8);
  // Another group: nothing of the last list stays under the new title while its answer is due.
  Top(*s, NewStockSort::kHuShen);
  EXPECT_EQ(s->stockNum(), 0);
  EXPECT_EQ(s->tableView()->leftTableView()->numberOfRowsInSection(0), 0);
  Deliver(*s, 17, s->lastRequestCode(), SortPage(0, 5, 5));
  ASSERT_EQ(s->stockNum(), 5);
  // Another list of the same group: the same.
  s->menuBar()->changeSelSubItem(2);
  EXPECT_EQ(s->stockNum(), 0);
}

TEST_F(MarketTabTest, PagesShowTheirPositionAndWrap) {
  auto s = Open();
  Table_TableView& table = *s->tableView();
  Answer(*s, 25, 60);
  EXPECT_EQ(s->title(), "沪深A股(1/3)");
  ASSERT_NE(table.preRefreshHeaderView(), nullptr);
  ASSERT_NE(table.nextRefreshHeaderView(), nullptr);
  EXPECT_TRUE(table.preRefreshHeaderView()->isHidden());
  EXPECT_FALSE(table.nextRefreshHeaderView()->isHidden());
  // Previous from the first page jumps to the last one.
  s->tableTableViewReloadDataWithStatus(table, 1);
  EXPECT_EQ(s->startIndex(), 50);
  EXPECT_EQ(ReadLE16(Last().body.data() + 3), 50);
  Answer(*s, 10, 60);
  EXPECT_EQ(s->title(), "沪深A股(3/3)");
  // Next from the last page wraps to the first.
  s->tableTableViewReloadDataWithStatus(table, 2);
  EXPECT_EQ(s->startIndex(), 0);
  // 50 rows: two pages, the second without a next page.
  Answer(*s, 25, 50);
  EXPECT_EQ(s->title(), "沪深A股(1/2)");
  s->tableTableViewReloadDataWithStatus(table, 2);
  Answer(*s, 25, 50);
  EXPECT_EQ(s->title(), "沪深A股(2/2)");
  EXPECT_FALSE(table.preRefreshHeaderView()->isHidden());
  EXPECT_TRUE(table.nextRefreshHeaderView()->isHidden());

  // Sorting: a column twice toggles the descending bit; the name title resets.
  s->titleViewForTable_TableViewRightView(table);
  s->titleViewForTable_TableViewLeftView(table);
  s->customLabelDidSelectIndex(*s->rightTitle(), 2, 1);
  const uint8_t code = Last().body[2];
  EXPECT_TRUE(code & 0x80);
  EXPECT_EQ(ReadLE16(Last().body.data() + 3), 0);
  s->customLabelDidSelectIndex(*s->rightTitle(), 2, 0);
  EXPECT_EQ(Last().body[2], code & 0x7f);
  s->customLabelDidSelectIndex(*s->leftTitle(), 0, 1);
  EXPECT_EQ(Last().body[2], 0);
  EXPECT_EQ(s->currentSortOrder(), -1);
}

TEST_F(MarketTabTest, BoardsOpenTheirConstituentsUnderTheStrip) {
  auto s = Open();
  Top(*s, NewStockSort::kBoards);
  Boards(*s, 3, 3);
  ASSERT_EQ(s->boardCount(), 3);
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(1, 0));
  EXPECT_EQ(s->boardMode(), 1);
  EXPECT_FALSE(s->boardStrip()->isHidden());
  EXPECT_FALSE(s->boardMenuBar()->isHidden());
  EXPECT_NE(s->navigationItem().leftBarButtonItem(), nullptr);
  EXPECT_EQ(s->tableView()->frame(), gfx::Rect(0, 123, 320, ScreenHeight() - 259));
  // The board's own quote, then its constituents.
  ASSERT_GE(SentCount(), 2u);
  const SentPacket& quote = sent_[SentCount() - 2];
  EXPECT_EQ(quote.header.ChildType, 10);
  EXPECT_EQ(Last().header.ChildType, 24);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Last().body.data())), CodeOf(s->board(1)));
  EXPECT_EQ(s->stockCode(), CodeOf(s->board(1)));
  ExpectAsksForEveryColumn(*s, Ids(Last().body, 53));

  // The strip names the board only after its quote reply.
  auto* code = dynamic_cast<ui::Label*>(s->boardStrip()->viewWithTag(NewStockSort::kStripCodeTag));
  auto* name = dynamic_cast<ui::Label*>(s->boardStrip()->viewWithTag(NewStockSort::kStripNameTag));
  ASSERT_NE(code, nullptr);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(code->text(), "");
  Deliver(*s, 10, static_cast<uint16_t>(s->keptCode(7)), {});
  EXPECT_EQ(code->text(), CodeOf(s->board(1)));
  EXPECT_EQ(name->text(), UnicharsToNSString(s->board(1).name, 16));
  Deliver(*s, 24, static_cast<uint16_t>(s->keptCode(6)), BoardPage("b", 0, 25, 40));
  EXPECT_EQ(s->title(), name->text() + "(1/2)");

  // The arrows step through the boards and stop at both ends without asking.
  s->buttonAction_goToNext(NewStockSort::kNextBoardTag);
  EXPECT_EQ(s->currentBoardIndex(), 2);
  EXPECT_EQ(s->stockCode(), CodeOf(s->board(2)));
  size_t sent = SentCount();
  s->buttonAction_goToNext(NewStockSort::kNextBoardTag);
  EXPECT_EQ(s->currentBoardIndex(), 2);
  EXPECT_EQ(SentCount(), sent);
  s->goToNextBK(false);
  s->goToNextBK(false);
  EXPECT_EQ(s->currentBoardIndex(), 0);
  sent = SentCount();
  s->buttonAction_goToNext(NewStockSort::kPreviousBoardTag);
  EXPECT_EQ(s->currentBoardIndex(), 0);
  EXPECT_EQ(SentCount(), sent);

  // The detail screen from the strip steps through the boards and ends at the last board.
  Deliver(*s, 24, static_cast<uint16_t>(s->keptCode(6)), BoardPage("b", 0, 25, 40));
  s->buttonAction_goToDetail();
  EXPECT_EQ(s->totalStockRecord(), 3);
  EXPECT_EQ(s->currentStockRecord(2)["code"].toString(), CodeOf(s->board(2)));
  EXPECT_EQ(s->currentBoardIndex(), 2);
  // From a row it steps through the rows.
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(4, 0));
  EXPECT_EQ(s->totalStockRecord(), 25);
  EXPECT_EQ(s->currentStockRecord(4)["code"].toString(), CodeOf(s->row(4)));
  EXPECT_TRUE(s->currentStockRecord(30).isNull());

  // Back: the board list of the same kind from 0.
  s->buttonAction_Back();
  EXPECT_EQ(s->boardMode(), 0);
  EXPECT_TRUE(s->boardStrip()->isHidden());
  EXPECT_EQ(s->navigationItem().leftBarButtonItem(), nullptr);
  EXPECT_EQ((std::vector<uint8_t>(Last().body.begin(), Last().body.begin() + 3)),
            (std::vector<uint8_t>{9, 0, 1}));
  EXPECT_EQ(ReadLE16(Last().body.data() + 3), 0);
}

// A board stepped to with the strip's arrows opens at its first member, wherever the last
// board's members were scrolled to.
TEST_F(MarketTabTest, ABoardSteppedToOpensAtItsFirstMember) {
  auto s = Open();
  Top(*s, NewStockSort::kBoards);
  Boards(*s, 3, 3);
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(0, 0));
  Deliver(*s, 24, static_cast<uint16_t>(s->keptCode(6)), BoardPage("b", 0, 25, 25));
  Run(1);
  ui::TableView* rows = s->tableView()->rightTableView();
  ASSERT_GT(rows->contentSize().height, rows->bounds().height() * 2);
  auto scrolledDown = [&] {
    s->tableView()->leftTableView()->setContentOffset({0, 300}, false);
    rows->setContentOffset({0, 300}, false);
    ASSERT_EQ(rows->contentOffset().y, 300);
  };
  for (bool next : {true, false}) {
    SCOPED_TRACE(next);
    scrolledDown();
    s->goToNextBK(next);
    Deliver(*s, 24, static_cast<uint16_t>(s->keptCode(6)), BoardPage("c", 0, 25, 25));
    Run(1);
    EXPECT_EQ(rows->contentOffset().y, 0);
    EXPECT_EQ(s->tableView()->leftTableView()->contentOffset().y, 0);
  }
  // So does a board opened from a board list scrolled down.
  s->buttonAction_Back();
  Boards(*s, 3, 3);
  Run(1);
  scrolledDown();
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(2, 0));
  Deliver(*s, 24, static_cast<uint16_t>(s->keptCode(6)), BoardPage("d", 0, 25, 25));
  Run(1);
  EXPECT_EQ(rows->contentOffset().y, 0);
}

TEST_F(MarketTabTest, BoardListRefreshesEveryFifteenSecondsWhileShown) {
  auto s = Open();
  Top(*s, NewStockSort::kBoards);
  EXPECT_TRUE(s->boardTimerRunning());
  Boards(*s, 3, 3);
  size_t sent = SentCount();
  Run(14.9);
  EXPECT_EQ(SentCount(), sent);
  Run(0.2);
  ASSERT_EQ(SentCount(), sent + 1);
  EXPECT_EQ(Last().body[0], 9);
  // Inside a board the refresh asks for the board and its constituents.
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(0, 0));
  sent = SentCount();
  Run(15);
  ASSERT_EQ(SentCount(), sent + 2);
  EXPECT_EQ(Last().header.ChildType, 24);
  // Other groups stop it.
  Top(*s, NewStockSort::kHuShen);
  EXPECT_FALSE(s->boardTimerRunning());
  Top(*s, NewStockSort::kBoards);
  // Leaving and coming back refreshes once without restarting the timer.
  s->viewWillDisappear(false);
  EXPECT_FALSE(s->boardTimerRunning());
  sent = SentCount();
  s->viewWillAppear(false);
  Run(0.1);
  EXPECT_EQ(SentCount(), sent + 1);
  EXPECT_FALSE(s->boardTimerRunning());
  Run(30);
  EXPECT_EQ(SentCount(), sent + 1);
}

// The board lists come back by themselves after an error answer, as the market's lists do: the
// boards' list and a board's members are asked again within a few seconds, not at the next
// 15-second refresh.
TEST_F(MarketTabTest, TheBoardListsAreAskedAgainAfterAnErrorAnswer) {
  auto s = Open();
  Top(*s, NewStockSort::kBoards);
  size_t sent = SentCount();
  Deliver(*s, 17, static_cast<uint16_t>(s->keptCode(5)), {}, true);
  Run(3);
  ASSERT_EQ(SentCount(), sent + 1);
  EXPECT_EQ(Last().body[0], 9);
  Boards(*s, 3, 3);
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(0, 0));
  sent = SentCount();
  Deliver(*s, 24, static_cast<uint16_t>(s->keptCode(6)), {}, true);
  Run(3);
  ASSERT_EQ(SentCount(), sent + 2);
  EXPECT_EQ(Last().header.ChildType, 24);
}

// Pushes of the market tab's page move its figures; the rows follow its arrow at once.
TEST_F(MarketTabTest, PushedFiguresMoveTheRowsOfTheMarketTab) {
  auto s = Open();
  ASSERT_EQ(s->sortType() & 0x7f, 1);  // 涨幅, largest first
  std::vector<uint8_t> page = SortPage(0, 6, 6);
  Deliver(*s, 17, s->lastRequestCode(), page);
  ASSERT_EQ(s->stockNum(), 6);
  const std::string last = CodeOf(s->row(5));
  // The push: the last row's stock gains 20% (change rate at byte 68 of its 88-byte record).
  for (int k = 0; k < 6; ++k) {
    const size_t at = 9 + 1 + quotelist::WireIds().size() + 88 * static_cast<size_t>(k);
    if (std::string(reinterpret_cast<const char*>(page.data() + at + 1), 6) == last)
      WriteLE32(page.data() + at + 68, 2000);
  }
  ASSERT_EQ(QuoteCache_ParseListReply(page.data(), page.size(), nullptr, 6, nullptr), 6);
  Deliver(*s, 12, s->lastRequestCode(), page, false, kMainTypeQuote, kDataFlagPush);
  Run(0.1);
  EXPECT_EQ(CodeOf(s->row(0)), last);
  for (int r = 1; r < s->stockNum(); ++r) EXPECT_GE(s->row(r - 1).zf, s->row(r).zf) << "row " << r;
}

// A quote list does not stand still while the market trades: every list but the boards (which
// keep their own refresh) asks for its page again every 15 seconds while shown, as it is: the
// same market, order and start, so its rows follow the market and its arrow.
TEST_F(MarketTabTest, EveryListIsAskedForAgainEveryFifteenSecondsWhileShown) {
  auto s = Open();
  ASSERT_NE(s, nullptr);
  Answer(*s, 25, 60);
  EXPECT_TRUE(s->listRefreshRunning());
  // Sorted by a column, on page 2.
  s->titleViewForTable_TableViewRightView(*s->tableView());
  s->customLabelDidSelectIndex(*s->rightTitle(), 0, 0);
  Answer(*s, 25, 60);
  s->tableTableViewReloadDataWithStatus(*s->tableView(), 2);
  Answer(*s, 25, 60);
  ASSERT_EQ(s->startIndex(), 25);
  const std::vector<uint8_t> asked(Last().body.begin(), Last().body.begin() + 7);
  size_t sent = SentCount();
  Run(14.9);
  EXPECT_EQ(SentCount(), sent);
  Run(0.2);
  ASSERT_EQ(SentCount(), sent + 1);
  EXPECT_EQ(Last().header.ChildType, 17);
  EXPECT_EQ(std::vector<uint8_t>(Last().body.begin(), Last().body.begin() + 7), asked);
  EXPECT_EQ(static_cast<int32_t>(Last().header.RequestCode), static_cast<int32_t>(s->keptCode(0)));
  // Its answer keeps the page where it is.
  Answer(*s, 25, 60);
  EXPECT_EQ(s->startIndex(), 25);
  EXPECT_EQ(s->title(), "沪深A股(2/3)");

  // Other groups too (Hong Kong's main board).
  Top(*s, NewStockSort::kHongKong);
  Answer(*s, 25, 60);
  sent = SentCount();
  Run(15);
  ASSERT_EQ(SentCount(), sent + 1);
  EXPECT_EQ(Last().body[0], 3);
  // The boards ask once per 15 seconds, by their own timer only.
  Top(*s, NewStockSort::kBoards);
  Boards(*s, 3, 3);
  sent = SentCount();
  Run(15);
  EXPECT_EQ(SentCount(), sent + 1);
  // Hidden, no list asks.
  Top(*s, NewStockSort::kHuShen);
  s->viewWillDisappear(false);
  EXPECT_FALSE(s->listRefreshRunning());
  sent = SentCount();
  Run(60);
  EXPECT_EQ(SentCount(), sent);
}

// A finger dragged along the column titles is no tap: lifted over another title it chooses
// nothing; a tap that comes down and lifts on a title sorts by it.
TEST_F(MarketTabTest, ADragAlongTheTitlesSortsByNoColumn) {
  auto s = Open();
  ASSERT_NE(s, nullptr);
  Answer(*s, 25, 60);
  s->titleViewForTable_TableViewRightView(*s->tableView());
  CustomLabels* title = s->rightTitle();
  ASSERT_NE(title, nullptr);
  const std::vector<ui::Label*> columns = title->labels();
  ASSERT_GE(columns.size(), 3u);
  auto touch = [](gfx::Point p) {
    return ui::TouchSet{std::make_shared<ui::Touch>(0, nullptr, p, 0)};
  };
  // Without a window a touch's location is taken in the view's own coordinates.
  const gfx::Point from = columns[2]->frame().center(), to = columns[1]->frame().center();
  const uint16_t sort = s->sortType();
  const int marked = title->selectedIndex();
  const size_t asked = SentCount();
  title->touchesBegan(touch(from), ui::Event(0));
  title->touchesEnded(touch(to), ui::Event(0));
  EXPECT_EQ(SentCount(), asked);
  EXPECT_EQ(s->sortType(), sort);
  EXPECT_EQ(title->selectedIndex(), marked);

  // A tap, the finger shifting a little, sorts by the title it came down on.
  title->touchesBegan(touch(to), ui::Event(0));
  title->touchesEnded(touch(gfx::Point(to.x + 4, to.y + 2)), ui::Event(0));
  ASSERT_EQ(SentCount(), asked + 1);
  EXPECT_EQ(title->selectedIndex(), 1);
  EXPECT_EQ(s->sortType() & 0x7f, s->rankParams()[1].sorkType() & 0x7f);
}

// The table keeps its rows across groups whose lists have other columns: every row shows the
// columns of the list on show, none of the one before.
TEST_F(MarketTabTest, RowsKeptFromAnotherGroupShowThisListsColumns) {
  auto s = Open();
  ASSERT_NE(s, nullptr);
  auto columnsOfRows = [&] {
    std::vector<size_t> out;
    s->tableView()->rightTableView()->layoutIfNeeded();
    for (ui::TableViewCell* cell : s->tableView()->rightTableView()->visibleCells())
      if (auto* labels = dynamic_cast<CustomLabels*>(
              cell->contentView()->viewWithTag(StockSort::kRowLabelsTag)))
        out.push_back(labels->labels().size());
    return out;
  };
  for (int group : {NewStockSort::kHuShen, NewStockSort::kFutures, NewStockSort::kIndex,
                    NewStockSort::kGlobal, NewStockSort::kHuShen}) {
    SCOPED_TRACE(group);
    Top(*s, group);
    Answer(*s, 25, 60);
    const std::vector<size_t> rows = columnsOfRows();
    ASSERT_FALSE(rows.empty());
    for (size_t n : rows) EXPECT_EQ(n, s->rankParams().size());
  }
}

TEST_F(MarketTabTest, OpeningOnAMarketSelectsItsGroup) {
  auto s = Open();
  auto open = [&](int market, int type) {
    foundation::Value param;
    param["MarketType"] = static_cast<int64_t>(market);
    param["StockType"] = static_cast<int64_t>(type);
    s->updateViewWithDict(param);
  };
  open(3, 5001);
  EXPECT_EQ(s->topItem(), NewStockSort::kHongKong);
  EXPECT_EQ(s->menuBar()->nSelItemIndex(), 5);
  EXPECT_EQ(s->title(), "国企");
  EXPECT_EQ(Last().header.ChildType, 24);
  open(100, 1);
  EXPECT_EQ(s->topItem(), NewStockSort::kIndex);
  s->boardMenuBar()->initSel(2);
  open(9, 0);
  EXPECT_EQ(s->topItem(), NewStockSort::kBoards);
  EXPECT_EQ(Last().body[1], 2);
  open(10, 1);
  EXPECT_EQ(s->topItem(), NewStockSort::kGlobal);
  EXPECT_EQ(s->title(), "全球指数");
  open(16, 101);
  EXPECT_EQ(s->topItem(), NewStockSort::kUs);
  EXPECT_EQ(s->title(), "纳斯达克");
  // Every futures list opens the futures group, not a "沪深" list at the same position.
  open(7, 58);
  EXPECT_EQ(s->topItem(), NewStockSort::kFutures);
  EXPECT_EQ(s->title(), "大连商品");
  EXPECT_EQ(Last().body[0], 7);
  EXPECT_EQ(Last().body[1], 58);
  open(2, 8);
  EXPECT_EQ(s->topItem(), NewStockSort::kHuShen);
  EXPECT_EQ(s->title(), "创业板");
}

// The fault mended: the index list's "涨幅" column showed the bare rate ("-0.01"), like a price
// change next to "涨跌", where every other list writes the rate with its percent sign.
TEST_F(MarketTabTest, TheIndexListsChangeRateColumnCarriesItsPercentSign) {
  auto s = Open();
  Top(*s, NewStockSort::kIndex);
  Answer(*s, 3, 3);
  Table_TableView& table = *s->tableView();
  table.reloadView();
  table.rightTableView()->layoutIfNeeded();
  const RankParams& params = s->rankParams();
  int rate = -1, change = -1;
  for (size_t i = 0; i < params.size(); ++i) {
    if (params[i].rankParamName() == "涨幅") rate = static_cast<int>(i);
    if (params[i].rankParamName() == "涨跌") change = static_cast<int>(i);
  }
  ASSERT_GT(rate, 0);
  ASSERT_GT(change, 0);
  for (int row = 0; row < 3; ++row) {
    auto* found = table.rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
    ASSERT_NE(found, nullptr) << row;
    auto* values = dynamic_cast<CustomLabels*>(found->contentView()->viewWithTag(445));
    ASSERT_NE(values, nullptr) << row;
    const tagLocalStockData rec = s->row(row);
    const std::string text = values->titleLabel(rate)->text();
    EXPECT_EQ(text, FormatPercentString(rec.zf, rec.now)) << row;
    ASSERT_FALSE(text.empty()) << row;
    EXPECT_EQ(text.back(), '%') << row;
    // The price change beside it stays a bare number.
    EXPECT_EQ(values->titleLabel(change)->text().find('%'), std::string::npos) << row;
  }
}

TEST_F(MarketTabTest, CellsShowConfiguredColumnsAndBoardCounts) {
  auto s = Open();
  Answer(*s, 5, 5);
  const tagLocalStockData rec0 = s->row(0);
  ASSERT_TRUE(SelfStock_Add(rec0.market, CodeOf(rec0).c_str(), rec0.zqlb));
  Table_TableView& table = *s->tableView();
  table.reloadView();
  table.leftTableView()->layoutIfNeeded();
  table.rightTableView()->layoutIfNeeded();
  auto cell = [&](ui::TableView* inner, int row) {
    auto* found = inner->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
    return found ? dynamic_cast<CustomLabels*>(found->contentView()->viewWithTag(445)) : nullptr;
  };
  CustomLabels* names = cell(table.leftTableView(), 0);
  CustomLabels* values = cell(table.rightTableView(), 0);
  ASSERT_NE(names, nullptr);
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(names->titleLabel(0)->text(), MarketTextOfStock(rec0) + CodeOf(rec0));
  EXPECT_EQ(names->titleLabel(1)->textColor(), widgets::LightBlueColor2());
  CustomLabels* other = cell(table.leftTableView(), 1);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->titleLabel(1)->textColor(), gfx::Color::white());
  const RankParams& params = s->rankParams();
  ASSERT_GE(params.size(), 7u);
  for (size_t i = 0; i < params.size(); ++i) {
    // The change rate (under the row's change box here) with its percent sign.
    const uint32_t field = static_cast<uint32_t>(params[i].fieldNo());
    EXPECT_EQ(values->titleLabel(static_cast<int>(i))->text(),
              field == 23 ? FormatPercentString(rec0.zf, rec0.now) : GetFieldString(field, rec0))
        << i;
  }
  const double normal[] = {102, 67, 67, 67, 67, 67, 67};
  for (int k = 0; k < 7; ++k) EXPECT_DOUBLE_EQ(values->titleLabel(k)->frame().width(), normal[k]);
  EXPECT_EQ(table.rightTableView()->visibleCells().front()->contentView()->viewWithTag(101),
            nullptr);
  EXPECT_DOUBLE_EQ(*s->contentWidthFortableTableView(table), s->contentWidth() + 0.1);

  // The board list: wider third column and the rising, unchanged and falling counts.
  Top(*s, NewStockSort::kBoards);
  Boards(*s, 4, 4);
  table.reloadView();
  table.rightTableView()->layoutIfNeeded();
  CustomLabels* boardValues = cell(table.rightTableView(), 0);
  ASSERT_NE(boardValues, nullptr);
  const double board[] = {102, 67, 77, 67, 67, 67, 67, 67, 67};
  for (int k = 0; k < 9; ++k) {
    EXPECT_DOUBLE_EQ(boardValues->titleLabel(k)->frame().width(), board[k]) << k;
  }
  ui::View* content = boardValues->superview();
  auto* up = dynamic_cast<ui::Label*>(content->viewWithTag(NewStockSort::kUpCountTag));
  auto* down = dynamic_cast<ui::Label*>(content->viewWithTag(NewStockSort::kDownCountTag));
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(up->text(), std::to_string(s->row(0).index_up));
  EXPECT_EQ(down->text(), std::to_string(s->row(0).index_down));
  EXPECT_EQ(up->backgroundColor(), gfx::Color::rgb255(224, 38, 49, 0.8));
  EXPECT_EQ(down->backgroundColor(), gfx::Color::rgb255(117, 151, 57, 0.8));
}

// The change box stands in for the first column and the board counts for the second: every
// column still shown must be readable beside them.
TEST_F(MarketTabTest, ChangeBoxAndBoardCountsLeaveTheOtherColumnsReadable) {
  auto s = Open();
  Answer(*s, 8, 8);
  Table_TableView& table = *s->tableView();
  table.reloadView();
  EXPECT_EQ(ListCollisions(table), std::vector<std::string>{});

  Top(*s, NewStockSort::kBoards);
  Boards(*s, 8, 8);
  table.reloadView();
  EXPECT_EQ(ListCollisions(table), std::vector<std::string>{});
  auto* cell = table.rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  ASSERT_NE(cell->contentView()->viewWithTag(NewStockSort::kUpCountTag), nullptr);
  auto* values = dynamic_cast<CustomLabels*>(cell->contentView()->viewWithTag(445));
  ASSERT_NE(values, nullptr);
  EXPECT_TRUE(values->titleLabel(1)->isHidden());
  EXPECT_FALSE(values->titleLabel(2)->isHidden());

  // Back on a stock list the second column shows again.
  Top(*s, NewStockSort::kHuShen);
  Answer(*s, 8, 8);
  table.reloadView();
  EXPECT_EQ(ListCollisions(table), std::vector<std::string>{});
}

// Every title of the board list stands over what its column shows: the counts' column says it
// holds the counts, takes no sort (no order of the counts can be asked for), and its boxes stay
// inside it.
TEST_F(MarketTabTest, TheBoardListTitlesNameWhatTheirColumnsShow) {
  auto s = Open();
  Top(*s, NewStockSort::kBoards);
  Boards(*s, 8, 8);
  Table_TableView& table = *s->tableView();
  table.reloadView();
  table.rightTableView()->layoutIfNeeded();
  CustomLabels* title = s->rightTitle();
  ASSERT_NE(title, nullptr);
  ui::Label* counts = title->titleLabel(NewStockSort::kBoardCountsColumn);
  ASSERT_NE(counts, nullptr);
  EXPECT_EQ(counts->text(), NewStockSort::kBoardCountsTitle);
  auto* cell = table.rightTableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  for (int tag :
       {NewStockSort::kUpCountTag, NewStockSort::kSameCountTag, NewStockSort::kDownCountTag}) {
    ui::View* box = cell->contentView()->viewWithTag(tag);
    ASSERT_NE(box, nullptr) << tag;
    EXPECT_GE(box->frame().minX(), counts->frame().minX()) << tag;
    EXPECT_LE(box->frame().maxX(), counts->frame().maxX()) << tag;
  }
  // A tap on the counts' title asks nothing and keeps the order marked.
  const uint16_t sort = s->sortType();
  const size_t asked = sent_.size();
  const int marked = title->selectedIndex();
  // Without a window a touch's location is taken in the view's own coordinates.
  const gfx::Point p = counts->convertPointToView(counts->bounds().center(), title);
  title->touchesEnded({std::make_shared<ui::Touch>(0, nullptr, p, 0)}, ui::Event(0));
  EXPECT_EQ(sent_.size(), asked);
  EXPECT_EQ(s->sortType(), sort);
  EXPECT_EQ(title->selectedIndex(), marked);
}

// The list fills its place however the screen was opened: also when its view still had another
// height when the list was chosen (opened from the More bar before the tab had taken it in).
TEST_F(MarketTabTest, TheListFitsItsPlaceHoweverTheScreenWasOpened) {
  auto s = Open();
  const double content = ScreenContentHeight();
  s->view()->setFrame(gfx::Rect(0, 0, 320, content));
  Top(*s, NewStockSort::kHuShen);
  const double inPlace = s->tableView()->frame().maxY();
  EXPECT_DOUBLE_EQ(inPlace, content - 28);  // above the index ticker
  for (double other : {content + 113, content - 60}) {
    s->view()->setFrame(gfx::Rect(0, 0, 320, other));
    Top(*s, NewStockSort::kBoards);
    Top(*s, NewStockSort::kHuShen);
    s->view()->setFrame(gfx::Rect(0, 0, 320, content));
    EXPECT_DOUBLE_EQ(s->tableView()->frame().maxY(), inPlace) << other;
  }
}

TEST_F(MarketTabTest, ChangeBoxOfTheStripShowsTheCurrentBoard) {
  auto s = Open();
  Top(*s, NewStockSort::kBoards);
  Boards(*s, 2, 2);
  s->tableTableViewDidSelectIndex(*s->tableView(), ui::IndexPath::forRow(1, 0));
  auto* box =
      dynamic_cast<ChangeDetailView2*>(s->boardStrip()->viewWithTag(NewStockSort::kStripBoxTag));
  ASSERT_NE(box, nullptr);
  tagLocalStockData cached{};
  ASSERT_TRUE(QuoteCache_GetQuote(cached, s->board(1).market, CodeOf(s->board(1)).c_str()));
  EXPECT_EQ(s->changeRangeOfChangeDetailView2(*box, ui::IndexPath::forRow(0, 0)),
            FormatPercentString(cached.zf, cached.now));
  // A board not in the cache shows a zeroed record.
  QuoteCache_Init();
  EXPECT_EQ(s->changeRangeOfChangeDetailView2(*box, ui::IndexPath::forRow(0, 0)), "---- ");
}

}  // namespace
}  // namespace rankingtest
