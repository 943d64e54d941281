// The watch-list editor against the test server: its working copy, the names request, its own
// search bar, adding and removing from the results, "添加" and "完成", and a full stored list.
#include <algorithm>

#include "core/QuoteCache.h"
#include "core/SendQueues.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Invariants.h"
#include "tests/shell/ScreenStandIns.h"
#include "tests/watchlist/WatchlistTestSupport.h"
#include "widgets/SettingCell.h"

namespace watchlisttest {
namespace {

std::string NameShown(Setting& editor, int row) {
  editor.selfstocklist()->layoutIfNeeded();
  auto* cell = editor.selfstocklist()->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
  if (!cell) return "?";
  auto* view = dynamic_cast<SettingCell*>(cell->contentView()->viewWithTag(228));
  return view ? view->NameLabel()->text() : "?";
}

// Searches with the editor's bar and waits for the answer.
bool Search(WatchlistTest& t, Setting& editor, const std::string& text,
            const std::function<bool()>& pump) {
  (void)t;
  editor.searchBar()->setText(text);
  editor.searchBarSearchButtonClicked(*editor.searchBar());
  return pump();
}

TEST_F(WatchlistTest, EditorDeletesAndMovesOnItsCopyOnly) {
  LogIn();  // the first start imported five stocks
  const std::vector<std::string> stored = StoredCodes();
  ASSERT_EQ(stored.size(), 5u);
  auto editor = OpenEditor();
  ASSERT_EQ(Codes(editor->workingCopy()), stored);
  EXPECT_TRUE(editor->selfstocklist()->isEditing());

  ui::TableView& list = *editor->selfstocklist();
  editor->tableViewCommitEditingStyle(list, ui::TableViewCellEditingStyle::Delete,
                                      ui::IndexPath::forRow(0, 0));
  editor->tableViewCommitEditingStyle(list, ui::TableViewCellEditingStyle::Delete,
                                      ui::IndexPath::forRow(0, 0));
  editor->tableViewMoveRowAtIndexPath(list, ui::IndexPath::forRow(2, 0),
                                      ui::IndexPath::forRow(0, 0));
  const std::vector<std::string> edited = {stored[4], stored[2], stored[3]};
  EXPECT_EQ(Codes(editor->workingCopy()), edited);
  EXPECT_EQ(StoredCodes(), stored);

  editor->SetSelfStockDone();
  ASSERT_EQ(standIn->finishCount, 1);
  std::vector<std::string> handed;
  for (const auto& item : standIn->finished) handed.emplace_back(item.code);
  EXPECT_EQ(handed, edited);
  EXPECT_EQ(StoredCodes(), stored);
  advance(1);
  EXPECT_EQ(Presented(), nullptr);
}

TEST_F(WatchlistTest, EditorAsksNamesOfUnnamedStocksAndShowsThem) {
  LogIn();
  QuoteCache_Init();  // forget the names the login's list request brought
  auto editor = OpenEditor();
  EXPECT_NE(editor->namesRequestCode(), 0);
  ASSERT_TRUE(pump([&] { return !NameShown(*editor, 0).empty() && NameShown(*editor, 0) != "?"; }));
  // Once named, nothing is asked again: the server knows every stock of the bundled list.
  EXPECT_EQ(editor->RequestData_StockName(), 0);

  // At most 455 names per request.
  std::vector<tagCodeItem> many(500);
  for (size_t i = 0; i < many.size(); ++i) {
    std::snprintf(many[i].code, sizeof many[i].code, "8%05d", static_cast<int>(i));
    many[i].market = 1;
  }
  TListBuffer copy(0, sizeof(tagCodeItem), 100);
  copy.Append(many.data(), static_cast<int>(many.size()));
  int pushed = 0;
  auto previous = SetSendQueueSink([&](SendQueueKind kind, const uint8_t*, int) {
    if (kind == SendQueueKind::Center) ++pushed;
  });
  editor->SetStockArray(copy);
  EXPECT_EQ(editor->RequestData_StockName(), 455);
  SetSendQueueSink(previous);
  EXPECT_EQ(pushed, 1);
}

// Names the server failed to give are asked again by themselves.
TEST_F(WatchlistTest, EditorAsksTheNamesAgainAfterAnErrorAnswer) {
  LogIn();
  QuoteCache_Init();
  server->setFault(startuptest::Role::Quote, startuptest::Fault::ErrorReply, 1, "错误");
  auto editor = OpenEditor();
  const uint16_t failed = editor->namesRequestCode();
  ASSERT_NE(failed, 0);
  ASSERT_TRUE(pump([&] {
    advance(0.1);
    return editor->namesRequestCode() != failed;
  }));
  EXPECT_TRUE(pump([&] { return !NameShown(*editor, 0).empty() && NameShown(*editor, 0) != "?"; }));
}

TEST_F(WatchlistTest, EditorSearchListsHitsOrSaysTheCodeDoesNotExist) {
  LogIn();
  auto editor = OpenEditor();
  editor->searchDisplay()->setActive(true);
  EXPECT_TRUE(editor->searchDisplay()->isActive());

  // Typing: the pause, then the search.
  editor->searchBar()->setText("6000");
  EXPECT_TRUE(editor->isSearchPending());
  advance(0.36);
  ASSERT_TRUE(pump([&] { return !editor->filterList().empty(); }));
  for (const auto& row : editor->filterList()) EXPECT_EQ(row.StockCode.rfind("6000", 0), 0u);
  EXPECT_NE(editor->searchRequestCode(), 0);

  ASSERT_TRUE(Search(*this, *editor, "ZZZZZ", [&] {
    return pump([] { return WatchlistTest::AlertShowing(Setting::kNoSuchCode); });
  }));
  EXPECT_TRUE(editor->filterList().empty());
  ui::AlertView::dismissAll();

  // An error answer says the same.
  server->setFault(startuptest::Role::Quote, startuptest::Fault::ErrorReply, 1, "错误");
  ASSERT_TRUE(Search(*this, *editor, "6000", [&] {
    return pump([] { return WatchlistTest::AlertShowing(Setting::kNoSuchCode); });
  }));
  EXPECT_TRUE(editor->filterList().empty());
}

// The answer of an earlier search that comes after the latest one's (a connection slow to hand
// it over) lists nothing.
TEST_F(WatchlistTest, EditorListsOnlyTheAnswerOfItsLatestSearch) {
  LogIn();
  auto editor = OpenEditor();
  editor->searchDisplay()->setActive(true);
  std::vector<foundation::Value> answers;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, Setting::kNotificationName,
      [&](const foundation::Notification& n) { answers.push_back(n.userInfo); });
  auto listed = [&](const std::string& prefix) {
    const auto& rows = editor->filterList();
    return !rows.empty() && std::all_of(rows.begin(), rows.end(), [&](const SearchRow& row) {
      return row.StockCode.rfind(prefix, 0) == 0;
    });
  };
  ASSERT_TRUE(Search(*this, *editor, "6000", [&] { return pump([&] { return listed("6000"); }); }));
  const std::vector<foundation::Value> earlier = answers;
  ASSERT_TRUE(Search(*this, *editor, "0000", [&] { return pump([&] { return listed("0000"); }); }));
  for (const foundation::Value& info : earlier)
    foundation::NotificationCenter::defaultCenter().post(Setting::kNotificationName, nullptr, info);
  Quiet();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  EXPECT_TRUE(listed("0000"));
}

TEST_F(WatchlistTest, EditorAddsOnceRemovesAfterAskingAndAddOpensTheSearch) {
  LogIn();
  auto editor = OpenEditor();
  const int before = editor->workingCopy().GetCount();
  editor->searchDisplay()->setActive(true);
  ASSERT_TRUE(Search(*this, *editor, "BIDU",
                     [&] { return pump([&] { return editor->filterList().size() == 1; }); }));

  editor->AddButton(300);
  EXPECT_TRUE(SelfStock_Contains(16, "BIDU"));
  EXPECT_EQ(editor->workingCopy().GetCount(), before + 1);
  EXPECT_FALSE(editor->searchDisplay()->isActive());
  EXPECT_EQ(NameShown(*editor, before), "百度");
  // Added twice: one item, and the store holds it once.
  const int stored = SelfStock_GetCount();
  editor->AddButton(300);
  EXPECT_EQ(editor->workingCopy().GetCount(), before + 1);
  EXPECT_EQ(SelfStock_GetCount(), stored);
  // No upload before "完成".
  EXPECT_EQ(SelfStock_IsDirty(), 0);

  // Removing asks first.
  editor->DeleteButton(300);
  auto alert = AlertWithTag(100);
  ASSERT_NE(alert, nullptr);
  alert->pressButtonAtIndex(1);
  EXPECT_FALSE(SelfStock_Contains(16, "BIDU"));
  EXPECT_EQ(editor->workingCopy().GetCount(), before);
  // A stock the copy does not hold: nothing asked.
  editor->DeleteButton(300);
  EXPECT_EQ(AlertWithTag(100), nullptr);

  // "添加" stores the copy and opens the search in adding mode.
  editor->tableViewCommitEditingStyle(
      *editor->selfstocklist(), ui::TableViewCellEditingStyle::Delete, ui::IndexPath::forRow(0, 0));
  const std::vector<std::string> copy = Codes(editor->workingCopy());
  editor->SetSelfStockCancel();
  advance(1);
  EXPECT_EQ(StoredCodes(), copy);
  auto search = editor->searchScreen();
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(editor->presentedViewController(), search.get());
  EXPECT_TRUE(search->disabledSelect());
  // Coming back, the copy is the stored list with what was added there.
  search->codeEdit()->setText("BABA");
  search->searchBarSearchButtonClicked();
  ASSERT_TRUE(pump([&] { return search->StockList().size() == 1; }));
  search->tableViewDidSelectRowAtIndexPath(*search->tableView(), ui::IndexPath::forRow(0, 0));
  search->SettingCancel();
  advance(1);
  std::vector<std::string> expected = copy;
  expected.push_back("BABA");
  EXPECT_EQ(Codes(editor->workingCopy()), expected);
}

// The image of a result row's add/remove button.
std::string ResultMark(Setting& editor, int row) {
  ui::TableView* results = editor.resultTable();
  if (!results) return "?";
  results->layoutIfNeeded();
  auto* cell = results->cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
  if (!cell) return "?";
  auto* button = dynamic_cast<ui::Button*>(cell->contentView()->viewWithTag(300 + row));
  if (!button) return "?";
  const std::string shown = button->currentImage().name();
  if (shown == gfx::Image::named("zxg_jianhao.png").name()) return "⊖";
  if (shown == gfx::Image::named("zxg_jiahao.png").name()) return "⊕";
  return shown;
}

// The editor's own search marks what the list being edited holds: a stock deleted a moment ago
// can be added back at once, before "完成" stores the edit.
TEST_F(WatchlistTest, EditorSearchFollowsTheEditAtOnce) {
  LogIn();
  const std::vector<std::string> stored = StoredCodes();
  ASSERT_FALSE(stored.empty());
  auto editor = OpenEditor();
  editor->searchDisplay()->setActive(true);
  ASSERT_TRUE(Search(*this, *editor, stored[0],
                     [&] { return pump([&] { return editor->filterList().size() == 1; }); }));
  EXPECT_EQ(ResultMark(*editor, 0), "⊖");
  editor->tableViewCommitEditingStyle(
      *editor->selfstocklist(), ui::TableViewCellEditingStyle::Delete, ui::IndexPath::forRow(0, 0));
  ASSERT_NE(Codes(editor->workingCopy())[0], stored[0]);
  // The results on show follow at once, and a new search too.
  EXPECT_EQ(ResultMark(*editor, 0), "⊕");
  ASSERT_TRUE(Search(*this, *editor, stored[0],
                     [&] { return pump([&] { return editor->filterList().size() == 1; }); }));
  EXPECT_EQ(ResultMark(*editor, 0), "⊕");
  // Added back: in the copy once, in the store once.
  const int count = SelfStock_GetCount();
  editor->AddButton(300);
  std::vector<std::string> copy = Codes(editor->workingCopy());
  EXPECT_EQ(std::count(copy.begin(), copy.end(), stored[0]), 1);
  EXPECT_EQ(SelfStock_GetCount(), count);
}

TEST_F(WatchlistTest, EditorShowsTheRefusalOfAFullList) {
  LogIn();
  FillStoredList();
  auto editor = OpenEditor();
  ASSERT_EQ(editor->workingCopy().GetCount(), kSelfStockMaxItems);
  editor->searchDisplay()->setActive(true);
  ASSERT_TRUE(Search(*this, *editor, "BIDU",
                     [&] { return pump([&] { return editor->filterList().size() == 1; }); }));
  editor->AddButton(300);
  EXPECT_TRUE(AlertShowing(kSelfStockFullText));
  EXPECT_EQ(editor->workingCopy().GetCount(), kSelfStockMaxItems);
  EXPECT_FALSE(SelfStock_Contains(16, "BIDU"));
  editor->SetSelfStockDone();
  EXPECT_EQ(standIn->finished.size(), static_cast<size_t>(kSelfStockMaxItems));
}

TEST_F(WatchlistTest, APickedStockOpensTheDetailScreenOverTheEditor) {
  LogIn();
  auto editor = OpenEditor();
  editor->SearchDone("600000", 1, "name", 1);
  advance(1);
  auto* detail = dynamic_cast<TrendlineController*>(editor->presentedViewController());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->code(), "600000");
  EXPECT_EQ(detail->market(), 1);
  EXPECT_EQ(detail->stockType(), 1);
}

// The edited rows stay readable whatever the row shows: touched (its grey code on the touched
// band) or with its delete button in (the name ends before the button, not under it).
TEST_F(WatchlistTest, EditorRowsReadTouchedAndWithTheirDeleteButton) {
  LogIn();
  auto editor = OpenEditor();
  ASSERT_TRUE(pump([&] { return !NameShown(*editor, 0).empty() && NameShown(*editor, 0) != "?"; }));
  ui::TableView& list = *editor->selfstocklist();
  const int rows = list.numberOfRowsInSection(0);
  ASSERT_GE(rows, 4);
  EXPECT_EQ(ui::screenInvariantFailures(), std::vector<std::string>{});

  list.selectRowAtIndexPath(ui::IndexPath::forRow(1, 0), false, ui::TableViewScrollPosition::None);
  advance(0.1);
  EXPECT_EQ(ui::screenInvariantFailures(), std::vector<std::string>{});
  list.deselectRowAtIndexPath(ui::IndexPath::forRow(1, 0), false);

  for (int row = 0; row < rows; ++row) {
    auto* cell = list.cellForRowAtIndexPath(ui::IndexPath::forRow(row, 0));
    ASSERT_NE(cell, nullptr);
    list.toggleDeleteConfirmation(*cell);
    advance(0.1);
    ASSERT_TRUE(cell->isShowingDeleteConfirmation());
    EXPECT_EQ(ui::screenInvariantFailures(), std::vector<std::string>{}) << "row " << row;
    list.toggleDeleteConfirmation(*cell);
    advance(0.1);
  }
}

}  // namespace
}  // namespace watchlisttest
