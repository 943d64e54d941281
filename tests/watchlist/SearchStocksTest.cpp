// The stock search screen against the test server: the typing delay on the manual clock, the
// markets the rights allow, the single-hit pick, picking and adding and removing from the rows
// with the upload that follows, and replies that must not list stale hits.
#include <algorithm>

#include "core/ReceiveRecord.h"
#include "core/SearchHistory.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Button.h"
#include "tests/watchlist/WatchlistTestSupport.h"
#include "widgets/SettingCell.h"

namespace watchlisttest {
namespace {

TEST_F(WatchlistTest, TypingWaitsForAPauseAndBackspaceToEmptyShowsTheHistory) {
  LogIn();
  auto screen = OpenSearch();
  ASSERT_EQ(Presented(), screen.get());
  EXPECT_TRUE(screen->codeEdit()->isFirstResponder());
  const uint64_t start = server->requestCount();

  // The first key only sets the text.
  Type(*screen, {"600"});
  EXPECT_EQ(screen->codeEdit()->text(), "600");
  EXPECT_FALSE(screen->isSearchPending());
  // Each later key restarts the pause.
  Type(*screen, {"0"});
  EXPECT_TRUE(screen->isSearchPending());
  advance(0.3);
  Type(*screen, {"0"});
  advance(0.3);
  Quiet(0.1);
  EXPECT_EQ(server->requestCount(), start);
  advance(0.06);
  EXPECT_FALSE(screen->isSearchPending());
  ASSERT_TRUE(pump([&] { return server->requestCount() == start + 1; }))
      << server->requestCount() - start;
  ASSERT_TRUE(pump([&] { return !screen->StockList().empty(); }));
  EXPECT_EQ(server->requestCount(), start + 1);
  // The search used the text at the moment the pause ended: codes from 60000.
  ASSERT_FALSE(screen->StockList().empty());
  for (const auto& row : screen->StockList()) EXPECT_EQ(row.StockCode.rfind("60000", 0), 0u);

  // Rows show the market prefix and an add or remove button by membership.
  screen->tableView()->layoutIfNeeded();
  auto* cell = screen->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  auto* rowView = dynamic_cast<SettingCell*>(cell->contentView()->viewWithTag(231));
  ASSERT_NE(rowView, nullptr);
  EXPECT_EQ(rowView->CodeLabel()->text(), "SH" + screen->StockList()[0].StockCode);
  EXPECT_FALSE(rowView->NameLabel()->text().empty());
  EXPECT_NE(rowView->viewWithTag(300), nullptr);

  // Backspace to empty: the history at once, and the pending search is dropped.
  Type(*screen, {"1"});
  EXPECT_TRUE(screen->isSearchPending());
  for (int i = 0; i < 6; ++i) screen->CustomKeyboardInput(kKeyboardInputBackSpace, "");
  EXPECT_EQ(screen->codeEdit()->text(), "");
  EXPECT_FALSE(screen->isSearchPending());
  EXPECT_EQ(screen->StockList().size(), GetSearchHistory().GetArray().size());
  const uint64_t before = server->requestCount();
  advance(1);
  Quiet(0.2);
  EXPECT_EQ(server->requestCount(), before);
  // Backspace on an empty field does nothing.
  screen->CustomKeyboardInput(kKeyboardInputBackSpace, "");
  EXPECT_FALSE(screen->isSearchPending());
}

// The field's clear button empties it without a typed change: the results of the old text go
// with it, and an answer still under way for that text lists nothing.
TEST_F(WatchlistTest, TheClearButtonTakesTheResultsWithTheText) {
  LogIn();
  auto screen = OpenSearch();
  screen->codeEdit()->setText("60001");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*screen));
  ASSERT_FALSE(screen->StockList().empty());
  ASSERT_NE(Codes(screen->StockList()), Codes(GetSearchHistory().GetArray()));
  ASSERT_TRUE(screen->codeEdit()->becomeFirstResponder());
  ASSERT_TRUE(screen->codeEdit()->pressClearButton());
  EXPECT_EQ(screen->codeEdit()->text(), "");
  EXPECT_EQ(Codes(screen->StockList()), Codes(GetSearchHistory().GetArray()));
  screen->tableView()->layoutIfNeeded();
  EXPECT_EQ(screen->tableView()->numberOfRowsInSection(0),
            static_cast<int>(GetSearchHistory().GetArray().size()));

  // Asked, then cleared before the answer: the answer is not listed.
  screen->codeEdit()->setText("60001");
  const uint64_t before = server->requestCount();
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(screen->codeEdit()->becomeFirstResponder());
  ASSERT_TRUE(screen->codeEdit()->pressClearButton());
  ASSERT_TRUE(pump([&] { return server->requestCount() > before; }));
  Quiet(0.3);
  EXPECT_EQ(Codes(screen->StockList()), Codes(GetSearchHistory().GetArray()));
}

TEST_F(WatchlistTest, KeysTappedOnTheKeyboardTypeAndSearch) {
  LogIn();
  auto screen = OpenSearch();
  const uint64_t start = server->requestCount();
  ASSERT_TRUE(TapKey(*screen, "btn600"));
  ASSERT_TRUE(TapKey(*screen, "btn0"));
  ASSERT_TRUE(TapKey(*screen, "btn1"));
  EXPECT_EQ(screen->codeEdit()->text(), "60001");
  EXPECT_TRUE(screen->isSearchPending());
  ASSERT_TRUE(TapKey(*screen, "btnNumBack"));
  EXPECT_EQ(screen->codeEdit()->text(), "6000");
  advance(0.36);
  ASSERT_TRUE(pump([&] { return !screen->StockList().empty(); }));
  EXPECT_EQ(server->requestCount(), start + 1);
  for (const auto& row : screen->StockList()) EXPECT_EQ(row.StockCode.rfind("6000", 0), 0u);
  // Hide gives the keyboard back.
  ASSERT_TRUE(TapKey(*screen, "btnNumHide"));
  EXPECT_FALSE(screen->codeEdit()->isFirstResponder());
}

TEST_F(WatchlistTest, TenCharactersStartNoNewPauseAndOkSearchesAtOnce) {
  LogIn();
  auto screen = OpenSearch();
  Type(*screen, {"A", "B", "C", "D", "E", "F", "G", "H", "I"});
  EXPECT_TRUE(screen->isSearchPending());
  screen->stopSearchTimer();
  Type(*screen, {"J"});
  EXPECT_EQ(screen->codeEdit()->text().size(), 10u);
  EXPECT_FALSE(screen->isSearchPending());

  // OK searches at once and hides the keyboard.
  const uint64_t before = server->requestCount();
  screen->CustomKeyboardInput(kKeyboardInputOK, "");
  EXPECT_FALSE(screen->codeEdit()->isFirstResponder());
  EXPECT_TRUE(pump([&] { return server->requestCount() == before + 1; }));
}

TEST_F(WatchlistTest, TypingInTheFieldItselfJudgesTheTextAfterTheChange) {
  LogIn();
  auto screen = OpenSearch();
  screen->codeEdit()->setText("6000");
  // Deleting one character leaves "600": a new pause, not the history.
  EXPECT_TRUE(screen->textFieldShouldChangeCharactersInRange(*screen->codeEdit(), {3, 1}, ""));
  EXPECT_TRUE(screen->isSearchPending());
  // Deleting all of it: the history, nothing pending.
  EXPECT_TRUE(screen->textFieldShouldChangeCharactersInRange(*screen->codeEdit(), {0, 4}, ""));
  EXPECT_FALSE(screen->isSearchPending());
  // A paste that makes 10 characters starts nothing.
  EXPECT_TRUE(
      screen->textFieldShouldChangeCharactersInRange(*screen->codeEdit(), {4, 0}, "ABCDEF"));
  EXPECT_FALSE(screen->isSearchPending());
}

TEST_F(WatchlistTest, TheServersHitsKeepToTheMarketsOfTheUsersRights) {
  // Without a quote-level right no Hong Kong stock, without right 49 no US stock.
  LogIn("li", "30");
  auto screen = OpenSearch(true);
  screen->codeEdit()->setText("00001");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*screen));
  for (const auto& row : screen->StockList()) EXPECT_NE(row.Market, 3) << row.StockCode;
  screen->codeEdit()->setText("BIDU");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(pump([&] { return screen->StockList().empty(); }));
}

TEST_F(WatchlistTest, WithAllRightsHongKongAndUsStocksAreFound) {
  LogIn("wang", "30,31,49");
  auto screen = OpenSearch(true);
  screen->codeEdit()->setText("00001");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*screen));
  const auto& rows = screen->StockList();
  EXPECT_TRUE(
      std::any_of(rows.begin(), rows.end(), [](const SearchRow& r) { return r.Market == 3; }));
  screen->codeEdit()->setText("BIDU");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*screen));
  ASSERT_EQ(screen->StockList().size(), 1u);
  EXPECT_EQ(screen->StockList()[0].Market, 16);
  EXPECT_EQ(screen->StockList()[0].StockName, u"百度");
}

TEST_F(WatchlistTest, OneHitForASixDigitCodeIsPickedWithoutAList) {
  LogIn();
  auto screen = OpenSearch();
  screen->codeEdit()->setText("600000");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(pump([&] { return !standIn->picked.empty(); }));
  EXPECT_EQ(standIn->picked[0].code, "600000");
  EXPECT_EQ(standIn->picked[0].market, 1);
  EXPECT_FALSE(standIn->picked[0].name.empty());
  advance(1);
  EXPECT_EQ(Presented(), nullptr);
}

TEST_F(WatchlistTest, OneHitIsListedForLettersOrInAddingMode) {
  LogIn();
  auto adding = OpenSearch(true);
  adding->codeEdit()->setText("600000");
  adding->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*adding));
  EXPECT_EQ(Codes(adding->StockList()), std::vector<std::string>{"600000"});
  EXPECT_TRUE(standIn->picked.empty());
  EXPECT_EQ(adding->titleBar()->topItem()->title(), "添加自选股");
  adding->SettingCancel();
  advance(1);

  auto picking = OpenSearch();
  picking->codeEdit()->setText("BIDU");
  picking->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*picking));
  EXPECT_EQ(picking->StockList().size(), 1u);
  EXPECT_TRUE(standIn->picked.empty());
  // Picking a row tells the delegate and dismisses.
  picking->tableViewDidSelectRowAtIndexPath(*picking->tableView(), ui::IndexPath::forRow(0, 0));
  ASSERT_EQ(standIn->picked.size(), 1u);
  EXPECT_EQ(standIn->picked[0].code, "BIDU");
  EXPECT_EQ(standIn->picked[0].market, 16);
  EXPECT_EQ(standIn->picked[0].name, "百度");
  EXPECT_EQ(picking->selIndex(), 0);
  advance(1);
  EXPECT_EQ(Presented(), nullptr);
}

TEST_F(WatchlistTest, RowButtonsChangeTheStoredListAndTheServerGetsIt) {
  LogIn();
  auto screen = OpenSearch();
  screen->codeEdit()->setText("60001");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*screen));
  ASSERT_FALSE(screen->StockList().empty());
  const SearchRow row = screen->StockList()[0];
  ASSERT_FALSE(SelfStock_Contains(row.Market, row.StockCode.c_str()));
  const int64_t stampBefore = SelfStock_GetListTime();

  screen->tableView()->layoutIfNeeded();
  auto* cell = screen->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  ASSERT_NE(cell, nullptr);
  auto* button = dynamic_cast<ui::Button*>(cell->contentView()->viewWithTag(231)->viewWithTag(300));
  ASSERT_NE(button, nullptr);
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE(SelfStock_Contains(row.Market, row.StockCode.c_str()));
  EXPECT_EQ(SelfStock_IsDirty(), 1);
  EXPECT_NE(SelfStock_GetListTime(), stampBefore);
  const std::string key = "01" + row.StockCode;
  // The shell uploads 3 seconds later.
  advance(2.9);
  Quiet(0.2);
  EXPECT_EQ(server->watchListText("").find(key), std::string::npos);
  advance(0.2);
  EXPECT_TRUE(pump([&] { return server->watchListText("").find(key) != std::string::npos; }));

  // The same button now removes, without asking.
  cell = screen->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0));
  button = dynamic_cast<ui::Button*>(cell->contentView()->viewWithTag(231)->viewWithTag(300));
  ASSERT_NE(button, nullptr);
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_FALSE(SelfStock_Contains(row.Market, row.StockCode.c_str()));
  EXPECT_TRUE(ui::AlertView::visibleAlerts().empty());
  advance(3.1);
  EXPECT_TRUE(pump([&] { return server->watchListText("").find(key) == std::string::npos; }));
}

TEST_F(WatchlistTest, AddingModeRowTapStoresWithoutUploadAndAsksBeforeRemoving) {
  LogIn();
  auto screen = OpenSearch(true);
  screen->codeEdit()->setText("60002");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*screen));
  const SearchRow row = screen->StockList()[0];
  const std::string uploaded = server->watchListText("");

  screen->tableViewDidSelectRowAtIndexPath(*screen->tableView(), ui::IndexPath::forRow(0, 0));
  EXPECT_TRUE(SelfStock_Contains(row.Market, row.StockCode.c_str()));
  EXPECT_EQ(SelfStock_IsDirty(), 0);
  EXPECT_EQ(Presented(), screen.get());
  advance(3.1);
  Quiet(0.3);
  EXPECT_EQ(server->watchListText(""), uploaded);
  // The searched name went into the quote cache.
  tagLocalStockData quote{};
  QuoteCache_GetQuote(quote, static_cast<uint8_t>(row.Market), row.StockCode.c_str());
  EXPECT_EQ(std::u16string(quote.name), row.StockName);

  // Tapping it again asks; "确定" removes, stamps and uploads.
  screen->tableViewDidSelectRowAtIndexPath(*screen->tableView(), ui::IndexPath::forRow(0, 0));
  auto alert = AlertWithTag(100);
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->message(),
            "确认删除自选股(" + SearchRowNameText(row) + "-" + row.StockCode + ")吗？");
  alert->pressButtonAtIndex(1);
  EXPECT_FALSE(SelfStock_Contains(row.Market, row.StockCode.c_str()));
  EXPECT_EQ(SelfStock_IsDirty(), 1);
}

TEST_F(WatchlistTest, AFullListRefusesTheAddAndUploadsNothing) {
  LogIn();
  FillStoredList();
  auto screen = OpenSearch();
  screen->codeEdit()->setText("60003");
  screen->searchBarSearchButtonClicked();
  ASSERT_TRUE(WaitForNewRows(*screen));
  const SearchRow row = screen->StockList()[0];
  const std::string uploaded = server->watchListText("");
  screen->AddButton(300);
  EXPECT_FALSE(SelfStock_Contains(row.Market, row.StockCode.c_str()));
  EXPECT_EQ(SelfStock_GetCount(), kSelfStockMaxItems);
  EXPECT_EQ(SelfStock_IsDirty(), 0);
  EXPECT_TRUE(AlertShowing(kSelfStockFullText));
  advance(3.1);
  Quiet(0.3);
  EXPECT_EQ(server->watchListText(""), uploaded);
}

// A reply posted as the quote connection posts it.
void PostSearchReply(const std::vector<uint8_t>& body, uint8_t flags = 0) {
  std::vector<uint8_t> record(kReceiveRecordSize, 0);
  record[0] = kReceiveStatusPacket;
  PacketHeader h;
  h.MainType = kMainTypeQuote;
  h.ChildType = 11;
  h.PageID = 11;
  h.flags = flags;
  h.bodyLen = static_cast<uint16_t>(body.size());
  h.Write(record.data() + kReceiveRecordHeaderOffset);
  std::copy(body.begin(), body.end(), record.begin() + kReceiveRecordBodyOffset);
  foundation::NotificationCenter::defaultCenter().post(
      "SearchStocks", nullptr,
      foundation::Dictionary{
          {kReceiveRecordKey, foundation::Value::data(record.data(), record.size())}});
}

std::vector<uint8_t> HitBytes(uint8_t market, const char* code, uint8_t style) {
  tagSearchHit hit = MakeSearchHit(market, code, style, u"名称");
  const auto* p = reinterpret_cast<const uint8_t*>(&hit);
  return std::vector<uint8_t>(p, p + sizeof hit);
}

TEST_F(WatchlistTest, ShortBodiesAndLyingCountsListNoStaleHits) {
  LogIn();
  auto screen = OpenSearch(true);
  std::vector<uint8_t> body = {3, 0};
  for (const char* code : {"600000", "600003", "600006"}) {
    auto hit = HitBytes(1, code, 1);
    body.insert(body.end(), hit.begin(), hit.end());
  }
  PostSearchReply(body);
  ASSERT_EQ(screen->StockList().size(), 3u);

  // Claims 3, holds 1 and a half.
  std::vector<uint8_t> lying = {3, 0};
  auto hit = HitBytes(2, "000001", 1);
  lying.insert(lying.end(), hit.begin(), hit.end());
  lying.insert(lying.end(), hit.begin(), hit.begin() + 20);
  PostSearchReply(lying);
  EXPECT_EQ(Codes(screen->StockList()), std::vector<std::string>{"000001"});

  PostSearchReply({5});
  EXPECT_TRUE(screen->StockList().empty());
  PostSearchReply(body, 0x40);
  EXPECT_TRUE(screen->StockList().empty());

  // An eight-character code runs into the stock type byte on the wire; it stays 8 characters.
  std::vector<uint8_t> eight = {1, 0};
  hit = HitBytes(16, "ABCDEFGH", 0x7A);
  eight.insert(eight.end(), hit.begin(), hit.end());
  PostSearchReply(eight);
  ASSERT_EQ(screen->StockList().size(), 1u);
  EXPECT_EQ(screen->StockList()[0].StockCode, "ABCDEFGH");
}

TEST_F(WatchlistTest, TheRemovalAnswerRemovesTheStockAskedAboutAfterTheRowsChanged) {
  LogIn();
  ASSERT_TRUE(SelfStock_Add(1, "600003", 1));
  ASSERT_TRUE(SelfStock_Add(2, "000003", 1));
  auto screen = OpenSearch(true);
  std::vector<uint8_t> first = {1, 0};
  auto hit = HitBytes(1, "600003", 1);
  first.insert(first.end(), hit.begin(), hit.end());
  PostSearchReply(first);
  screen->tableViewDidSelectRowAtIndexPath(*screen->tableView(), ui::IndexPath::forRow(0, 0));
  auto alert = AlertWithTag(100);
  ASSERT_NE(alert, nullptr);
  // A later answer puts another held stock in row 0 while the question is open.
  std::vector<uint8_t> second = {1, 0};
  hit = HitBytes(2, "000003", 1);
  second.insert(second.end(), hit.begin(), hit.end());
  PostSearchReply(second);
  alert->pressButtonAtIndex(1);
  EXPECT_FALSE(SelfStock_Contains(1, "600003"));
  EXPECT_TRUE(SelfStock_Contains(2, "000003"));
}

}  // namespace
}  // namespace watchlisttest
