// The home information page, the article page and the radar detail page driven by posted
// replies: requests and their fields, packets and codes, stepping and its buttons, the search.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "alerts/InfoArticlePage.h"
#include "alerts/InfoTime.h"
#include "alerts/MainPage.h"
#include "alerts/RadarView.h"
#include "core/NetworkThreads.h"
#include "widgets/StaleCheck.h"
#include "detail/TrendlineController.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/NavigationController.h"
#include "tests/alerts/RadarTestSupport.h"
#include "watchlist/WatchlistClasses.h"

using namespace radartest;

namespace {

struct Section {
  int32_t id;
  std::string title;
  std::string additional;
};

Bytes SectionTable(const std::vector<Section>& sections) {
  testserver::TableWriter w;
  for (const Section& s : sections) {
    w.addRow();
    w.i32(32, s.id);
    w.utf16(33, s.title);
    w.i64(34, s.id * 100);
    w.text(36, s.additional);
    w.i64(20, 20151217);
  }
  return w.build();
}

// `count` titles numbered from `first`, each a second older than the one before (the page lists
// them in this order); field 32 says `rowPart`.
Bytes TitleTable(int first, int count, int rowPart = 99) {
  testserver::TableWriter w;
  for (int i = first; i < first + count; ++i) {
    w.addRow();
    w.i32(32, rowPart);
    w.i32(22, i);
    w.utf16(23, "标题" + std::to_string(i));
    w.utf16(37, "摘要" + std::to_string(i));
    w.text(36, std::to_string(1000 + i));
    w.i32(20, 145959 - i);
    w.i32(21, 20151216);
  }
  return w.build();
}

Bytes TextTable(const std::string& text, int32_t date = 20151215, int32_t time = 141516) {
  testserver::TableWriter w;
  w.i32(20, time);
  w.i32(21, date);
  w.utf16(24, text);
  return w.build();
}

class InfoPagesTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    RegisterWatchlistClasses();
    RegisterDetailClasses();
  }
  void TearDown() override {
    navigation.reset();
    home.reset();
    ScreenTest::TearDown();
  }

  // The home page on screen in its navigation controller; its first requests caught.
  void OpenHome() {
    home = Extend::produceObject<MainPage>("MainPage");
    ASSERT_NE(home, nullptr);
    navigation = ui::NavigationController::create(home);
    window->addSubview(navigation->viewShared());
    settle(0.5);
  }
  // The last sent packet of a child type.
  const Sent* Last(uint8_t child) const {
    for (auto it = sent.rbegin(); it != sent.rend(); ++it)
      if (it->header.ChildType == child) return &*it;
    return nullptr;
  }
  int Count(uint8_t child) const {
    int n = 0;
    for (const Sent& s : sent) n += s.header.ChildType == child;
    return n;
  }
  void Reply(const char* name, uint8_t child, int code, const Bytes& body, bool error = false,
             uint8_t no = 0, uint8_t num = 1) {
    Post(name, Record(child, static_cast<uint16_t>(code), body, 22, error, no, num));
  }
  // Sections answered; the first section's titles asked.
  void WithSections() {
    OpenHome();
    ASSERT_NE(Last(85), nullptr);
    Reply("MainPage", 85, home->awaitedCode(0),
          SectionTable(
              {{7, "要闻", "sec7"}, {8, "公司", "sec8"}, {9, "行业", ""}, {10, "市场", "sec10"}}));
  }
  std::vector<std::string> MenuTitles() const {
    std::vector<std::string> out;
    for (const auto& s : home->NewsTitleArray()) out.push_back(s["NewsSectionTitle"].asString());
    return out;
  }
  template <class Page>
  Page* Top() const {
    return dynamic_cast<Page*>(navigation->topViewController());
  }
  static bool Indicator() { return ui::Application::shared().isNetworkActivityIndicatorVisible(); }

  std::shared_ptr<MainPage> home;
  std::shared_ptr<ui::NavigationController> navigation;
};

TEST_F(InfoPagesTest, SectionsBecomeMenuItemsAndTheFirstSectionsTitlesAreAsked) {
  OpenHome();
  const Sent* list = Last(85);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->header.PageID, 22);
  EXPECT_EQ(list->header.RequestCode & 0x3fff, home->awaitedCode(0));
  MDBF asked;
  SentTable(*list, asked);
  EXPECT_EQ(asked.GetInt(31), 1);
  EXPECT_TRUE(Indicator());

  // An error answer only turns the indicator off.
  Reply("MainPage", 85, home->awaitedCode(0), {}, true);
  EXPECT_FALSE(Indicator());
  EXPECT_TRUE(home->NewsTitleArray().empty());

  sent.clear();
  Reply("MainPage", 85, home->awaitedCode(0),
        SectionTable(
            {{7, "要闻", "sec7"}, {8, "公司", "sec8"}, {9, "行业", ""}, {10, "市场", "sec10"}}));
  EXPECT_EQ(MenuTitles(), (std::vector<std::string>{"要闻", "公司", "行业", "市场"}));
  EXPECT_EQ(home->menuBarView()->totalItemsNum(), 4);
  EXPECT_EQ(home->awaitedCode(0), -1);
  const Sent* titles = Last(86);
  ASSERT_NE(titles, nullptr);
  MDBF t;
  SentTable(*titles, t);
  EXPECT_EQ(t.GetInt(32), 7);
  EXPECT_EQ(t.GetNSString(36), "sec7");
  EXPECT_EQ(t.GetInt(28), 0);
  EXPECT_EQ(t.GetInt(29), 20);
  EXPECT_EQ(t.GetInt(39), 60);
  EXPECT_TRUE(Indicator());

  // Another item asks its titles; a section without "additional" sends none.
  home->menuBarView()->changeSelSubItem(2);
  SentTable(*Last(86), t);
  EXPECT_EQ(t.GetInt(32), 9);
  EXPECT_EQ(t.FindField(36), nullptr);
  EXPECT_EQ(home->selPartID(), 9);
}

// The fault mended: a newly chosen section opened at the previous section's scroll position,
// its newest titles hidden above; the same section asked again stays where it was.
TEST_F(InfoPagesTest, ANewSectionShowsItsTopAndTheSameOneStaysWhereItWas) {
  WithSections();
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 20));
  ui::TableView& table = *home->tableView();
  ASSERT_GT(table.maximumContentOffset().y, 200);
  table.setContentOffset(gfx::Point(0, 200));
  home->menuBarView()->changeSelSubItem(0);  // the same section again
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 20));
  EXPECT_EQ(table.contentOffset().y, 200);
  home->menuBarView()->changeSelSubItem(1);
  EXPECT_EQ(table.contentOffset().y, table.minimumContentOffset().y);
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(100, 20, 8));
  EXPECT_EQ(table.contentOffset().y, table.minimumContentOffset().y);
  const auto top = table.indexPathsForVisibleRows();
  ASSERT_FALSE(top.empty());
  EXPECT_EQ(top.front().row, 0);
}

// The fault mended: times were printed without zero padding ("7:20:0", "10:3:0") while the
// texts they stand over write "10:03".
TEST(InfoTime, TimesAreTwoDigitsEachAndNonsenseShowsNoTime) {
  EXPECT_EQ(InfoTimeText(72000), "07:20:00");
  EXPECT_EQ(InfoTimeText(100300), "10:03:00");
  EXPECT_EQ(InfoTimeText(90500), "09:05:00");
  EXPECT_EQ(InfoTimeText(120800), "12:08:00");
  EXPECT_EQ(InfoTimeText(0), "00:00:00");
  EXPECT_EQ(InfoTimeText(235959), "23:59:59");
  for (int bad : {-1, 240000, 126000, 120060, INT32_MAX, INT32_MIN}) EXPECT_EQ(InfoTimeText(bad), "--:--:--") << bad;
  // Dates the same way ("2026-12-9" stood over "2026-12-11"), today's still marked (a date of
  // long ago, so that no day the test runs on is it).
  EXPECT_EQ(InfoDateText(20151209), "2015-12-09");
  EXPECT_EQ(InfoDateText(20150102), "2015-01-02");
  const foundation::DateComponents now = foundation::localComponents(foundation::currentDate());
  const int today = now.year * 10000 + now.month * 100 + now.day;
  EXPECT_EQ(InfoDateText(today), foundation::format("%04d-%02d-%02d (今)", now.year, now.month, now.day));
}

TEST_F(InfoPagesTest, TitlePacketsReplaceThenAppendAndLatePacketsAreDropped) {
  WithSections();
  const int code = home->awaitedCode(1);
  Reply("MainPage", 86, code, TitleTable(0, 3), false, 0, 2);
  EXPECT_EQ(home->tableView()->numberOfRowsInSection(0), 3);
  EXPECT_FALSE(Indicator());
  Reply("MainPage", 86, code, TitleTable(3, 2), false, 1, 2);
  EXPECT_EQ(home->totalInfoRecord(), 5);
  EXPECT_EQ(home->awaitedCode(1), -1);
  Reply("MainPage", 86, code, TitleTable(5, 2), false, 2, 3);
  EXPECT_EQ(home->totalInfoRecord(), 5);

  // Rows: the texts of the records, the selected section's id whatever the row says.
  const foundation::Value row = home->currentInfoRecord(4);
  EXPECT_EQ(row["title"].asString(), "标题4");
  EXPECT_EQ(row["content"].asString(), "摘要4");
  EXPECT_EQ(row["additional"].asString(), "1004");
  EXPECT_EQ(row["partID"].asString(), "7");
  EXPECT_EQ(row["date"].asString(), "2015-12-16");
  EXPECT_EQ(row["time"].asString(), "14:59:55");
  EXPECT_TRUE(home->currentInfoRecord(-1).isNull());
  EXPECT_TRUE(home->currentInfoRecord(5).isNull());
  home->tableView()->layoutIfNeeded();
  auto cell = std::dynamic_pointer_cast<MainPageCell>(
      home->tableViewCellForRowAtIndexPath(*home->tableView(), ui::IndexPath::forRow(1, 0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->titleLabel()->text(), "标题1");
  EXPECT_EQ(cell->contentLabel()->text(), "摘要1");
  EXPECT_EQ(cell->timeLabel()->text(), "14:59:58");

  // An answer with an older code changes nothing.
  Reply("MainPage", 86, code, TitleTable(0, 1));
  EXPECT_EQ(home->totalInfoRecord(), 5);
}

// The fault mended: a server that sends a section's titles oldest first (or day by day, each day
// from its morning) had the page list its oldest title on top.
TEST_F(InfoPagesTest, TitlesListNewestFirstWhateverTheReplysOrder) {
  struct Title {
    const char* text;
    int32_t date, time;
  };
  auto table = [](const std::vector<Title>& titles) {
    testserver::TableWriter w;
    for (const Title& t : titles) {
      w.addRow();
      w.i32(32, 7);
      w.utf16(23, t.text);
      w.text(36, t.text);
      w.i32(20, t.time);
      w.i32(21, t.date);
    }
    return w.build();
  };
  auto rows = [&] {
    std::vector<std::string> out;
    for (int i = 0; i < home->totalInfoRecord(); ++i)
      out.push_back(home->currentInfoRecord(i)["title"].asString());
    return out;
  };
  auto cellTitles = [&] {
    std::vector<std::string> out;
    for (int i = 0; i < home->tableView()->numberOfRowsInSection(0); ++i) {
      auto cell = std::dynamic_pointer_cast<MainPageCell>(
          home->tableViewCellForRowAtIndexPath(*home->tableView(), ui::IndexPath::forRow(i, 0)));
      out.push_back(cell ? cell->titleLabel()->text() : "<none>");
    }
    return out;
  };
  WithSections();
  const std::vector<std::pair<const char*, std::vector<Title>>> replies = {
      {"oldest first",
       {{"甲", 20151215, 100000}, {"乙", 20151216, 93000}, {"丙", 20151216, 143000}}},
      {"day by day from the morning",
       {{"乙", 20151216, 93000}, {"丙", 20151216, 143000}, {"甲", 20151215, 100000}}},
      {"newest first",
       {{"丙", 20151216, 143000}, {"乙", 20151216, 93000}, {"甲", 20151215, 100000}}},
  };
  for (const auto& [name, titles] : replies) {
    SCOPED_TRACE(name);
    home->requestInfoTitle(7, "sec7");
    Reply("MainPage", 86, home->awaitedCode(1), table(titles));
    EXPECT_EQ(rows(), (std::vector<std::string>{"丙", "乙", "甲"}));
    EXPECT_EQ(cellTitles(), (std::vector<std::string>{"丙", "乙", "甲"}));
  }
  // Titles of one moment keep the reply's order; a later packet's newer titles go on top.
  home->requestInfoTitle(7, "sec7");
  const int code = home->awaitedCode(1);
  Reply("MainPage", 86, code,
        table({{"早", 20151216, 93000}, {"甲", 20151216, 100000}, {"乙", 20151216, 100000}}), false,
        0, 2);
  Reply("MainPage", 86, code, table({{"新", 20151217, 91500}}), false, 1, 2);
  EXPECT_EQ(rows(), (std::vector<std::string>{"新", "甲", "乙", "早"}));
  // The article page steps through the rows as shown.
  home->tableViewDidSelectRowAtIndexPath(*home->tableView(), ui::IndexPath::forRow(0, 0));
  settle(0.6);
  auto* page = Top<CDetailInfoController>();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "新");
  page->nextButtonView()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "甲");
}

TEST_F(InfoPagesTest, TheTabAsksTheSelectedSectionAgainAndAnEmptyListIsAskedAgain) {
  WithSections();
  home->menuBarView()->changeSelSubItem(1);
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 2));
  // Another screen over it and back: nothing asked.
  sent.clear();
  home->viewWillDisappear(false);
  home->viewWillAppear(false);
  EXPECT_TRUE(sent.empty());
  // The tab chosen: the next appearance asks the selected section's titles, not the sections.
  home->willActiveByClickTabBar();
  home->viewWillDisappear(false);
  home->viewWillAppear(false);
  EXPECT_EQ(Count(85), 0);
  ASSERT_EQ(Count(86), 1);
  MDBF t;
  SentTable(*Last(86), t);
  EXPECT_EQ(t.GetInt(32), 8);

  // An empty section list leaves the page empty and is asked again on the next appearance.
  home->requestInfoList(1);
  Reply("MainPage", 85, home->awaitedCode(0), SectionTable({}));
  EXPECT_TRUE(home->NewsTitleArray().empty());
  EXPECT_EQ(home->menuBarView()->totalItemsNum(), 0);
  EXPECT_EQ(home->totalInfoRecord(), 0);
  sent.clear();
  home->viewWillDisappear(false);
  home->viewWillAppear(false);
  EXPECT_EQ(Count(85), 1);
}

TEST_F(InfoPagesTest, ArticlePageShowsARowAndStepsThroughTheList) {
  WithSections();
  home->menuBarView()->changeSelSubItem(1);
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 20, 55));
  sent.clear();
  home->tableViewDidSelectRowAtIndexPath(*home->tableView(), ui::IndexPath::forRow(0, 0));
  settle(0.6);
  auto* page = Top<CDetailInfoController>();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->title(), "公司");
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "标题0");
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kDateTag)->text(), "2015-12-16");
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTimeTag)->text(), "14:59:59");
  EXPECT_FALSE(page->previousButton()->isEnabled());
  EXPECT_TRUE(page->nextButtonView()->isEnabled());
  // The article is asked with the selected section's id and the row's "additional".
  const Sent* ask = Last(87);
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(ask->header.PageID, 22);
  MDBF t;
  SentTable(*ask, t);
  EXPECT_EQ(t.GetInt(32), 8);
  EXPECT_EQ(t.GetNSString(36), "1000");
  EXPECT_TRUE(Indicator());
  Reply("MainPageCellContent", 87, page->awaitedCode(), TextTable("全文"));
  EXPECT_FALSE(Indicator());
  EXPECT_EQ(page->contentView()->text(), "全文");
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kDateTag)->text(), "2015-12-15");
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTimeTag)->text(), "14:15:16");

  // Two quick steps: only the second article is shown.
  page->nextButtonView()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  const int first = page->awaitedCode();
  page->nextButtonView()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(page->currentRecord(), 2);
  EXPECT_NE(page->awaitedCode(), first);
  // The text of the article left goes with its title; the first step's late answer brings none.
  EXPECT_EQ(page->contentView()->text(), "");
  Reply("MainPageCellContent", 87, first, TextTable("第一篇"));
  EXPECT_EQ(page->contentView()->text(), "");
  Reply("MainPageCellContent", 87, page->awaitedCode(), TextTable("第二篇"));
  EXPECT_EQ(page->contentView()->text(), "第二篇");
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "标题2");
  EXPECT_TRUE(page->previousButton()->isEnabled());

  // The last row: next off.
  page->updateCurrentView(19);
  EXPECT_TRUE(page->previousButton()->isEnabled());
  EXPECT_FALSE(page->nextButtonView()->isEnabled());
  // A one-record list: both off.
  home->requestInfoTitle(8, "sec8");
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 1));
  page->updateCurrentView(0);
  EXPECT_FALSE(page->previousButton()->isEnabled());
  EXPECT_FALSE(page->nextButtonView()->isEnabled());
}

TEST_F(InfoPagesTest, SearchHidesTheTickerAndAPickOpensTheStockDetail) {
  WithSections();
  auto search = home->searchStock();
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->modalTransitionStyle(), ui::ModalTransitionStyle::FlipHorizontal);
  settle(1);
  EXPECT_EQ(navigation->modalViewController(), search.get());
  navigation->dismissModalViewControllerAnimated(false);
  settle(0.5);
  home->SearchDone("600036", 1, "天川食品", 2);
  settle(0.6);
  auto* detail = Top<TrendlineController>();
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(std::string(detail->stockCode()), "600036");
  EXPECT_EQ(detail->marketType(), 1);
  EXPECT_EQ(detail->stockType(), 2);
}

TEST_F(InfoPagesTest, RadarDetailPageAsksItsAlertWithA64BitId) {
  auto root = std::make_shared<ui::ViewController>();
  navigation = ui::NavigationController::create(root);
  window->addSubview(navigation->viewShared());
  auto radar = Extend::produceObject<RadarView>("RadarView");
  ASSERT_NE(radar, nullptr);
  radar->setCurrentNavigationController(navigation.get());
  std::vector<Alert> five;
  for (int i = 0; i < 5; ++i)
    five.push_back({20151217, 93000 + i, 4294967296LL + i, "警报" + std::to_string(i)});
  const Bytes body = RadarTable(five);
  radar->SetRadarTitle(body.data(), static_cast<int>(body.size()));
  sent.clear();
  radar->tableViewDidSelectRowAtIndexPath(*radar->tableView(), ui::IndexPath::forRow(4, 0));
  settle(0.6);
  auto* page = Top<CRadarDetailInfoController>();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->title(), "详细信息");
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "警报4");
  EXPECT_TRUE(page->previousButton()->isEnabled());
  EXPECT_FALSE(page->nextButtonView()->isEnabled());
  const Sent* ask = Last(82);
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(ask->header.PageID, 0);
  EXPECT_EQ(ask->header.RequestCode & 0x3fff, page->awaitedCode());
  MDBF t;
  SentTable(*ask, t);
  EXPECT_EQ(t.GetInt64(22), 4294967300LL);

  // Another request's answer is ignored; its own is shown.
  Post("RadarCellContent",
       Record(82, static_cast<uint16_t>(page->awaitedCode() + 1), TextTable("别的"), 0));
  EXPECT_EQ(page->contentView()->text(), "");
  Post("RadarCellContent",
       Record(82, static_cast<uint16_t>(page->awaitedCode()), TextTable("警报全文"), 0));
  EXPECT_EQ(page->contentView()->text(), "警报全文");
  EXPECT_EQ(page->awaitedCode(), -1);

  page->preButton();
  EXPECT_TRUE(page->previousButton()->isEnabled());
  EXPECT_TRUE(page->nextButtonView()->isEnabled());
  EXPECT_EQ(page->title(), "详细信息");
  // An id that fits 32 bits goes byte for byte as the 32-bit field did.
  const Bytes shortList = RadarTable({{20151217, 93000, 12345, "短"}});
  radar->SetRadarTitle(shortList.data(), static_cast<int>(shortList.size()));
  sent.clear();
  page->updateCurrentView(0);
  ASSERT_NE(Last(82), nullptr);
  MDBF before;
  before.AddIntField(22, 12345);
  EXPECT_EQ(Last(82)->body, Serialize(before));
}

// The screen invariant failures of one name ("article: ..." for "article").
std::vector<std::string> FailuresOf(const std::string& name) {
  std::vector<std::string> out;
  for (const std::string& f : ui::declaredInvariantFailures())
    if (f.rfind(name + ":", 0) == 0) out.push_back(f);
  return out;
}

// Stepping while answers fail or come late never shows one item's text under another's title;
// the page declares it (the screen invariant "article"), and the invariant sees the old fault.
TEST_F(InfoPagesTest, ATextIsOnlyEverShownUnderItsOwnTitle) {
  auto articleFailures = [] { return FailuresOf("article"); };
  WithSections();
  home->menuBarView()->changeSelSubItem(1);
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 5));
  home->tableViewDidSelectRowAtIndexPath(*home->tableView(), ui::IndexPath::forRow(0, 0));
  settle(0.6);
  auto* page = Top<CDetailInfoController>();
  ASSERT_NE(page, nullptr);
  const int asked0 = page->awaitedCode();
  Reply("MainPageCellContent", 87, asked0, TextTable("正文0"));
  EXPECT_EQ(page->contentView()->text(), "正文0");
  EXPECT_TRUE(articleFailures().empty());

  // Next: an error answer, then the earlier item's answer again (late): nothing of item 0 shows.
  page->nextButton();
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "标题1");
  EXPECT_EQ(page->contentView()->text(), "");
  Reply("MainPageCellContent", 87, page->awaitedCode(), TextTable("错"), true);
  Reply("MainPageCellContent", 87, asked0, TextTable("正文0"));
  EXPECT_EQ(page->contentView()->text(), "");
  EXPECT_TRUE(articleFailures().empty());
  // A stalled answer, a step back and forth: only the answer to the latest request is shown.
  const int stalled = page->awaitedCode();
  page->nextButton();
  page->preButton();
  Reply("MainPageCellContent", 87, stalled, TextTable("正文1旧"));
  EXPECT_EQ(page->contentView()->text(), "");
  Reply("MainPageCellContent", 87, page->awaitedCode(), TextTable("正文1"));
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "标题1");
  EXPECT_EQ(page->contentView()->text(), "正文1");
  // An answer after the one taken changes nothing either.
  Reply("MainPageCellContent", 87, stalled, TextTable("正文1旧"));
  EXPECT_EQ(page->contentView()->text(), "正文1");
  EXPECT_TRUE(articleFailures().empty());

  // The fault as the page used to make it: a new title over the text of the item left.
  page->labelWithTag(InfoArticlePage::kTitleTag)->setText("标题2");
  auto failures = articleFailures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("'标题1'"), std::string::npos) << failures[0];
  EXPECT_NE(failures[0].find("'标题2'"), std::string::npos) << failures[0];
  // And a text no answer brought.
  page->labelWithTag(InfoArticlePage::kTitleTag)->setText("标题1");
  page->contentView()->setText("别的正文");
  EXPECT_EQ(articleFailures().size(), 1u);
}

TEST_F(InfoPagesTest, ARadarSignalsTextIsOnlyShownUnderItsOwnTitle) {
  auto root = std::make_shared<ui::ViewController>();
  navigation = ui::NavigationController::create(root);
  window->addSubview(navigation->viewShared());
  auto radar = Extend::produceObject<RadarView>("RadarView");
  ASSERT_NE(radar, nullptr);
  radar->setCurrentNavigationController(navigation.get());
  const Bytes body = RadarTable({{20151217, 93000, 1, "甲大单卖出"}, {20151217, 93100, 2, "乙大单买入"}});
  radar->SetRadarTitle(body.data(), static_cast<int>(body.size()));
  radar->tableViewDidSelectRowAtIndexPath(*radar->tableView(), ui::IndexPath::forRow(0, 0));
  settle(0.6);
  auto* page = Top<CRadarDetailInfoController>();
  ASSERT_NE(page, nullptr);
  const int first = page->awaitedCode();
  page->nextButton();
  // The first signal's answer arrives after the step: it is not the second's.
  Post("RadarCellContent", Record(82, static_cast<uint16_t>(first), TextTable("甲的信号"), 0));
  EXPECT_EQ(page->labelWithTag(InfoArticlePage::kTitleTag)->text(), "乙大单买入");
  EXPECT_EQ(page->contentView()->text(), "");
  Post("RadarCellContent",
       Record(82, static_cast<uint16_t>(page->awaitedCode()), TextTable("乙的信号"), 0));
  EXPECT_EQ(page->contentView()->text(), "乙的信号");
  EXPECT_TRUE(page->bodyMismatch().empty());
  page->labelWithTag(InfoArticlePage::kTitleTag)->setText("甲大单卖出");
  EXPECT_FALSE(page->bodyMismatch().empty());
}

// The article page comes back by itself: an error answer or none at all (a stall, a dropped
// connection) and it asks again for the item shown, a little later each time, until the text
// comes; out of sight it stops, and back in sight without the text it asks at once. A page
// that stops asking while it is shown is what the invariant "stale" reports.
TEST_F(InfoPagesTest, TheArticleAsksAgainUntilItsTextComes) {
  auto staleFailures = [] { return FailuresOf("stale"); };
  WithSections();
  home->menuBarView()->changeSelSubItem(1);
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 3));
  home->tableViewDidSelectRowAtIndexPath(*home->tableView(), ui::IndexPath::forRow(0, 0));
  settle(0.6);
  auto* page = Top<CDetailInfoController>();
  ASSERT_NE(page, nullptr);
  page->nextButton();
  const int asks = Count(87);
  // An error answer: asked again for the same item after a short wait.
  Reply("MainPageCellContent", 87, page->awaitedCode(), TextTable("错"), true);
  EXPECT_EQ(Count(87), asks);
  settle(1);
  ASSERT_EQ(Count(87), asks + 1);
  MDBF t;
  SentTable(*Last(87), t);
  EXPECT_EQ(t.GetNSString(36), "1001");
  // No answer at all: asked again after the time-out. What else the connection brings meanwhile
  // (another item's late answer) leaves the activity sign up.
  Reply("MainPageCellContent", 87, page->awaitedCode() - 1, TextTable("旧"));
  EXPECT_TRUE(ui::Application::shared().isNetworkActivityIndicatorVisible());
  settle(RenewTiming{}.timeout + RenewTiming{}.longestRetry);
  EXPECT_GE(Count(87), asks + 2);
  EXPECT_GE(page->renewals(), 2);
  NoteQuoteAnswered();
  EXPECT_TRUE(staleFailures().empty());
  Reply("MainPageCellContent", 87, page->awaitedCode(), TextTable("正文1"));
  EXPECT_EQ(page->contentView()->text(), "正文1");
  EXPECT_TRUE(page->holdsCurrentText());
  EXPECT_FALSE(ui::Application::shared().isNetworkActivityIndicatorVisible());
  const int answered = Count(87);
  settle(RenewTiming{}.timeout * 2);
  EXPECT_EQ(Count(87), answered);

  // Out of sight before the text came: nothing asked meanwhile; back in sight: asked at once.
  page->nextButton();
  page->viewWillDisappear(false);
  const int before = Count(87);
  settle(RenewTiming{}.timeout * 2);
  EXPECT_EQ(Count(87), before);
  // The page left standing on screen without asking: the walker's report.
  NoteQuoteAnswered();
  EXPECT_TRUE(staleFailures().empty());
  settle(kStaleSeconds + 1);
  const auto stale = staleFailures();
  ASSERT_EQ(stale.size(), 1u);
  EXPECT_NE(stale[0].find("证券头条"), std::string::npos) << stale[0];
  page->viewWillAppear(false);
  EXPECT_EQ(Count(87), before + 1);
  Reply("MainPageCellContent", 87, page->awaitedCode(), TextTable("正文2"));
  EXPECT_EQ(page->contentView()->text(), "正文2");
  EXPECT_TRUE(staleFailures().empty());
}

// The information page comes back by itself: an error answer to the sections or to a section's
// titles, or none at all, and it asks the same again until the answer comes; a title answer cut
// after its first packet is asked again whole.
TEST_F(InfoPagesTest, SectionsAndTitlesAreAskedAgainUntilTheyCome) {
  OpenHome();
  const int firstAsk = Count(85);
  Reply("MainPage", 85, home->awaitedCode(0), SectionTable({}), true);
  EXPECT_FALSE(home->holdsSections());
  settle(1);
  ASSERT_EQ(Count(85), firstAsk + 1);
  // No answer at all: after the time-out.
  settle(RenewTiming{}.timeout + RenewTiming{}.longestRetry);
  ASSERT_GE(Count(85), firstAsk + 2);
  Reply("MainPage", 85, home->awaitedCode(0), SectionTable({{7, "要闻", "sec7"}, {8, "公司", "sec8"}}));
  EXPECT_TRUE(home->holdsSections());
  EXPECT_EQ(MenuTitles(), (std::vector<std::string>{"要闻", "公司"}));
  settle(RenewTiming{}.timeout * 2);
  const int sectionsAsked = Count(85);

  // The second section chosen; its titles answered with an error, then asked again for it.
  home->menuBarView()->changeSelSubItem(1);
  const int titlesAsked = Count(86);
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 2), true);
  EXPECT_FALSE(home->holdsTitles());
  settle(1);
  ASSERT_EQ(Count(86), titlesAsked + 1);
  MDBF t;
  SentTable(*Last(86), t);
  EXPECT_EQ(t.GetInt(32), 8);
  EXPECT_EQ(t.GetNSString(36), "sec8");
  // The first packet of two, then nothing: the whole answer is asked again.
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(0, 2), false, 0, 2);
  EXPECT_EQ(home->totalInfoRecord(), 2);
  EXPECT_FALSE(home->holdsTitles());
  settle(RenewTiming{}.timeout + RenewTiming{}.longestRetry);
  ASSERT_GE(Count(86), titlesAsked + 2);
  Reply("MainPage", 86, home->awaitedCode(1), TitleTable(10, 3));
  EXPECT_TRUE(home->holdsTitles());
  EXPECT_EQ(home->totalInfoRecord(), 3);
  EXPECT_EQ(Count(85), sectionsAsked);
}

}  // namespace
