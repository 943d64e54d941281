// The information settings screen: its sections and rows, the stock search of a row, the section
// switch rule on the caller's dictionaries, the stocks handed to the stack's root, the stocks kept
// across screens, and the news title view.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "alerts/MainSettings.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/ui/NavigationController.h"
#include "tests/alerts/RadarTestSupport.h"
#include "watchlist/WatchlistClasses.h"

using namespace radartest;

namespace {

tagLocalStockData Stock(const char* code, const std::u16string& name) {
  tagLocalStockData s;
  std::memset(static_cast<void*>(&s), 0, sizeof s);
  std::strncpy(s.code, code, 8);
  std::copy_n(name.begin(), std::min<size_t>(name.size(), 16), s.name);
  s.market = 1;
  s.zqlb = 2;
  return s;
}

// A root screen that takes the stocks.
class StockTaker : public ui::ViewController, public MainStockRole {
 public:
  void FinishMainStock(const tagLocalStockData* stocks, int num) override {
    calls++;
    codes.clear();
    for (int i = 0; i < num; ++i) codes.emplace_back(stocks[i].code);
  }
  int calls = 0;
  std::vector<std::string> codes;
};

class Recorder : public NewsTitleViewDelegate {
 public:
  void ExcuteNewsTitleShow(int tag) override { tags.push_back(tag); }
  std::vector<int> tags;
};

class NewsSettingsTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    RegisterWatchlistClasses();
    // The stored stocks go to a documents folder of this case's own.
    oldDocuments = foundation::documentsDir();
    docs = std::filesystem::temp_directory_path() /
           ("verdan-newssettings-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(docs);
    std::filesystem::create_directories(docs);
    foundation::setDocumentsDir(docs.string());
  }
  void TearDown() override {
    navigation.reset();
    settings.reset();
    foundation::setDocumentsDir(oldDocuments);
    std::filesystem::remove_all(docs);
    ScreenTest::TearDown();
  }
  // The screen pushed over `root` on screen.
  void Open(std::shared_ptr<ui::ViewController> root) {
    navigation = ui::NavigationController::create(root);
    window->addSubview(navigation->viewShared());
    settle(0.3);
    settings = Extend::produceObject<MainSettings>("MainSettings");
    ASSERT_NE(settings, nullptr);
    navigation->pushViewController(settings, false);
    settle(0.3);
  }
  std::shared_ptr<ui::TableViewCell> Cell(int section, int row) {
    return settings->tableViewCellForRowAtIndexPath(*settings->tableView(),
                                                    ui::IndexPath::forRow(row, section));
  }
  static MainSettings::SectionList Sections(int on, int off) {
    MainSettings::SectionList out;
    for (int i = 0; i < on + off; ++i)
      out.push_back(std::make_shared<foundation::Value>(foundation::Dictionary{
          {"NewsSectionTitle", "栏目" + std::to_string(i)}, {"Status", i < on}}));
    return out;
  }
  ui::Switch* SwitchOf(ui::TableViewCell& cell, int row) {
    return dynamic_cast<ui::Switch*>(cell.viewWithTag(MainSettings::kSwitchTag + row));
  }

  std::shared_ptr<ui::NavigationController> navigation;
  std::shared_ptr<MainSettings> settings;
  std::string oldDocuments;
  std::filesystem::path docs;
};

TEST_F(NewsSettingsTest, StockRowsTakeAPickedStockAndTheRootGetsThem) {
  auto root = std::make_shared<StockTaker>();
  Open(root);
  EXPECT_EQ(settings->title(), "资讯定制");
  ui::TableView& table = *settings->tableView();
  table.reloadData();
  // Without a section list only the stocks show: five rows of 40 points.
  EXPECT_EQ(table.numberOfSections(), 1);
  EXPECT_EQ(table.numberOfRowsInSection(0), 5);
  EXPECT_EQ(settings->tableViewTitleForHeaderInSection(table, 0), "滚动栏商品设置");
  EXPECT_EQ(settings->tableViewHeightForRowAtIndexPath(table, ui::IndexPath::forRow(0, 0)), 40);

  // Eight given: five kept; two given: two kept, still five rows.
  std::vector<tagLocalStockData> eight;
  for (int i = 0; i < 8; ++i) eight.push_back(Stock(("60000" + std::to_string(i)).c_str(), u"股"));
  settings->SetMainStockArray(eight.data(), 8);
  EXPECT_EQ(settings->stockNum(), 5);
  settings->SetMainStockArray(eight.data(), 2);
  EXPECT_EQ(settings->stockNum(), 2);
  EXPECT_EQ(table.numberOfRowsInSection(0), 5);
  auto cell = Cell(0, 1);
  auto* row = dynamic_cast<SettingsCell*>(cell->viewWithTag(MainSettings::kStockCellTag + 1));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->codeLabel()->text(), "600001");
  EXPECT_EQ(row->nameLabel()->text(), "股");
  auto* button = dynamic_cast<ui::Button*>(cell->viewWithTag(MainSettings::kSearchButtonTag + 1));
  ASSERT_NE(button, nullptr);

  // The row's search button: the search with the flip transition; a pick fills that row.
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  settle(1);
  auto* search = dynamic_cast<SearchStocks*>(settings->modalViewController());
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->modalTransitionStyle(), ui::ModalTransitionStyle::FlipHorizontal);
  settings->SearchDone("600036123", 1, "一二三四五六七八九十一二三四五六七八", 2);
  settings->dismissModalViewControllerAnimated(false);
  settle(0.5);
  EXPECT_STREQ(settings->stock(1).code, "60003612");
  EXPECT_EQ(std::u16string(settings->stock(1).name), u"一二三四五六七八九十一二三四五六");
  EXPECT_EQ(settings->stock(1).market, 1);
  EXPECT_EQ(settings->stock(1).zqlb, 2);
  cell = Cell(0, 1);
  row = dynamic_cast<SettingsCell*>(cell->viewWithTag(MainSettings::kStockCellTag + 1));
  EXPECT_EQ(row->codeLabel()->text(), "60003612");

  // Dismissed without a pick: the row stays.
  settings->AddButton(MainSettings::kSearchButtonTag + 0);
  settle(1);
  settings->dismissModalViewControllerAnimated(false);
  settle(0.5);
  EXPECT_STREQ(settings->stock(0).code, "600000");

  // Leaving hands the stocks to the root (so does every disappearance, the search's included).
  const int before = root->calls;
  navigation->popViewControllerAnimated(false);
  settle(0.3);
  ASSERT_EQ(root->calls, before + 1);
  EXPECT_EQ(root->codes, (std::vector<std::string>{"600000", "60003612"}));
}

TEST_F(NewsSettingsTest, LeavingSendsNothingToARootThatDoesNotTakeStocks) {
  auto root = std::make_shared<ui::ViewController>();
  Open(root);
  settings->SetMainStockArray(nullptr, 3);
  EXPECT_EQ(settings->stockNum(), 0);
  navigation->popViewControllerAnimated(false);
  settle(0.3);
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
}

TEST_F(NewsSettingsTest, ASectionCanBeSwitchedOffOnlyWhileFiveAreOn) {
  Open(std::make_shared<ui::ViewController>());
  MainSettings::SectionList caller = Sections(5, 1);
  settings->SetSelectedNewsArray(caller);
  ui::TableView& table = *settings->tableView();
  table.reloadData();
  EXPECT_EQ(table.numberOfSections(), 2);
  EXPECT_EQ(settings->tableViewTitleForHeaderInSection(table, 1), "新闻栏目设置");
  EXPECT_EQ(table.numberOfRowsInSection(1), 6);
  auto cell = Cell(1, 0);
  auto* title =
      dynamic_cast<NewsSettingsCell*>(cell->viewWithTag(MainSettings::kSectionCellTag + 0));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->TitleLabel()->text(), "栏目0");
  ui::Switch* first = SwitchOf(*cell, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isOn());
  auto lastCell = Cell(1, 5);
  EXPECT_FALSE(SwitchOf(*lastCell, 5)->isOn());

  // Five on: one goes off, in the caller's dictionary.
  first->setOn(false);
  first->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_FALSE(first->isOn());
  EXPECT_FALSE((*caller[0])["Status"].toBool());
  EXPECT_EQ(settings->IsTrueNum(), 4);
  // Four on: a switch turned off springs back on.
  auto secondCell = Cell(1, 1);
  ui::Switch* second = SwitchOf(*secondCell, 1);
  second->setOn(false);
  second->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE(second->isOn());
  EXPECT_TRUE((*caller[1])["Status"].toBool());
  // Switching on is always taken.
  ui::Switch* last = SwitchOf(*lastCell, 5);
  last->setOn(true);
  last->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE((*caller[5])["Status"].toBool());
  EXPECT_EQ(settings->IsTrueNum(), 5);
}

TEST_F(NewsSettingsTest, PickedStocksAreThereWhenTheScreenOpensAgain) {
  // A root that does not take the stocks, as the More screen's.
  Open(std::make_shared<ui::ViewController>());
  EXPECT_EQ(settings->stockNum(), 0);
  settings->AddButton(MainSettings::kSearchButtonTag + 0);
  settle(1);
  settings->SearchDone("600036", 1, "天川食品", 2);
  settings->dismissModalViewControllerAnimated(false);
  settle(0.5);
  // The second row too, after leaving and coming back.
  navigation->popViewControllerAnimated(false);
  settle(0.3);
  navigation.reset();
  settings.reset();
  Open(std::make_shared<ui::ViewController>());
  ASSERT_EQ(settings->stockNum(), 1);
  EXPECT_STREQ(settings->stock(0).code, "600036");
  settings->AddButton(MainSettings::kSearchButtonTag + 1);
  settle(1);
  settings->SearchDone("000002", 2, "龙丰水泥", 2);
  settings->dismissModalViewControllerAnimated(false);
  settle(0.5);
  navigation->popViewControllerAnimated(false);
  settle(0.3);
  navigation.reset();
  settings.reset();

  Open(std::make_shared<ui::ViewController>());
  ASSERT_EQ(settings->stockNum(), 2);
  EXPECT_EQ(settings->stock(0).market, 1);
  EXPECT_EQ(settings->stock(1).market, 2);
  EXPECT_EQ(settings->stock(1).zqlb, 2);
  settings->tableView()->reloadData();
  for (int row = 0; row < 2; ++row) {
    auto cell = Cell(0, row);
    auto* shown = dynamic_cast<SettingsCell*>(cell->viewWithTag(MainSettings::kStockCellTag + row));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->codeLabel()->text(), row == 0 ? "600036" : "000002");
    EXPECT_EQ(shown->nameLabel()->text(), row == 0 ? "天川食品" : "龙丰水泥");
  }
  // The file holds the two rows picked.
  auto file = foundation::PropertyList::readFile(MainSettings::StoredStocksPath());
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file.value.size(), 2u);
}

TEST(NewsSettingsStoreTest, DamagedStoredStocksGiveTheRowsBeforeTheDamage) {
  std::array<tagLocalStockData, MainSettings::kStockRows> rows;
  using foundation::Array;
  using foundation::Dictionary;
  using foundation::Value;
  EXPECT_EQ(MainSettings::ReadStoredStocks(Value("600036"), rows), 0);
  EXPECT_EQ(MainSettings::ReadStoredStocks(Value(Array{}), rows), 0);
  // A skipped row (empty code) keeps its place; a code too long or not text ends the rows.
  const Value stored(Array{
      Value(Dictionary{{"code", ""}}),
      Value(Dictionary{{"code", "000002"}, {"market", 2}, {"type", 900}, {"name", "龙丰水泥"}}),
      Value(Dictionary{{"code", "123456789"}}),
      Value(Dictionary{{"code", "600000"}})});
  ASSERT_EQ(MainSettings::ReadStoredStocks(stored, rows), 2);
  EXPECT_STREQ(rows[0].code, "");
  EXPECT_STREQ(rows[1].code, "000002");
  EXPECT_EQ(rows[1].zqlb, 255);
  EXPECT_EQ(std::u16string(rows[1].name), u"龙丰水泥");
  EXPECT_EQ(MainSettings::ReadStoredStocks(Value(Array{Value(Dictionary{{"code", 7}})}), rows), 0);
  // Written and read back: the same records; more than five are cut to five.
  std::vector<tagLocalStockData> seven(7, rows[1]);
  std::array<tagLocalStockData, MainSettings::kStockRows> back;
  ASSERT_EQ(MainSettings::ReadStoredStocks(MainSettings::StoredStocksDocument(seven.data(), 7), back),
            5);
  EXPECT_EQ(std::memcmp(&back[4], &rows[1], sizeof back[4]), 0);
  // A name cut at 16 units keeps no half of a surrogate pair, so it reads back as it was.
  const Value emoji(Array{Value(Dictionary{{"code", "600000"}, {"name", "一二三四五六七八九十一二三四五😀"}})});
  ASSERT_EQ(MainSettings::ReadStoredStocks(emoji, rows), 1);
  EXPECT_EQ(std::u16string(rows[0].name), u"一二三四五六七八九十一二三四五");
  ASSERT_EQ(MainSettings::ReadStoredStocks(MainSettings::StoredStocksDocument(rows.data(), 1), back),
            1);
  EXPECT_EQ(std::memcmp(&back[0], &rows[0], sizeof back[0]), 0);
}

TEST(NewsTitleViewTest, ReportsItsTagToItsDelegate) {
  auto view = NewsTitleView::create(gfx::Rect(0, 10, 80, 40));
  view->setTag(7);
  auto recorder = std::make_shared<Recorder>();
  view->setDelegate(recorder);
  EXPECT_EQ(view->NewsTitle()->text(), "－");
  EXPECT_EQ(view->TitleBtn()->frame(), gfx::Rect(0, 8, 80, 40));
  view->TitleBtn()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(recorder->tags, std::vector<int>{7});
  recorder.reset();
  view->TitleBtn()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
}

}  // namespace
