// The radar list view as its hosts drive it: rows from bodies and from posted records (several
// packets, several tables, hostile sizes), the empty-list label, the detail page it opens and
// serves, and the inline content with its request.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "alerts/InfoArticlePage.h"
#include "alerts/InfoTime.h"
#include "alerts/RadarView.h"
#include "core/RadarReplies.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"
#include "tests/alerts/RadarTestSupport.h"

using namespace radartest;

namespace {

class RadarViewTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    // As both hosts make it: by name, with an empty frame sized later.
    radar = Extend::produceObject<RadarView>("RadarView");
    ASSERT_NE(radar, nullptr);
    radar->setFrame(gfx::Rect(0, 0, 320, 300));
    radar->layoutIfNeeded();
  }
  void TearDown() override {
    radar.reset();
    ScreenTest::TearDown();
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> out;
    for (const auto& row : radar->radarArray()) out.push_back(row["title"].asString());
    return out;
  }
  ui::Label* NoItems() const {
    return dynamic_cast<ui::Label*>(radar->viewWithTag(RadarView::kNoItemsLabelTag));
  }

  std::shared_ptr<RadarView> radar;
};

TEST_F(RadarViewTest, RowsFollowTheRecordsAndTheEmptyLabelTheRows) {
  // Sized after creation: the table and the label follow the bounds.
  EXPECT_EQ(radar->tableView()->frame(), gfx::Rect(0, 0, 320, 300));
  ASSERT_NE(NoItems(), nullptr);
  EXPECT_EQ(NoItems()->frame(), gfx::Rect(60, 20, 200, 28));
  EXPECT_TRUE(NoItems()->isHidden());
  EXPECT_EQ(NoItems()->text(), "没有相关信息");

  const Bytes body = RadarTable({{Today(), 93005, 1, "甲大单买入"},
                                 {20150102, 141500, 2, "乙急速拉升"},
                                 {20150101, 100000, 3, "丙封涨停板"}});
  radar->SetRadarTitle(body.data(), static_cast<int>(body.size()));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"甲大单买入", "乙急速拉升", "丙封涨停板"}));
  EXPECT_TRUE(NoItems()->isHidden());
  EXPECT_EQ(radar->tableView()->numberOfRowsInSection(0), 3);
  const foundation::Value first = radar->currentInfoRecord(0);
  EXPECT_EQ(first["date"].asString(), InfoDateText(Today()));
  EXPECT_NE(first["date"].asString().find("(今)"), std::string::npos);
  EXPECT_EQ(first["time"].asString(), "09:30:05");
  EXPECT_EQ(first["Node"].asString(), "1");
  EXPECT_EQ(radar->currentInfoRecord(1)["date"].asString(), "2015-01-02");

  // The cell shows the title over the date.
  radar->layoutIfNeeded();
  auto cell = std::dynamic_pointer_cast<RadarCell>(
      radar->tableViewCellForRowAtIndexPath(*radar->tableView(), ui::IndexPath::forRow(0, 0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->TitleLabel()->text(), "甲大单买入");
  EXPECT_EQ(cell->TimeLabel()->text(), first["date"].asString());
  // The row's line lies at its bottom, under the date rather than across its "(今)".
  auto* shown = dynamic_cast<RadarCell*>(
      radar->tableView()->cellForRowAtIndexPath(ui::IndexPath::forRow(0, 0)));
  ASSERT_NE(shown, nullptr);
  shown->layoutIfNeeded();
  EXPECT_EQ(shown->separator()->frame().maxY(), RadarView::kRowHeight);
  EXPECT_GE(shown->separator()->frame().y(), shown->TimeLabel()->frame().maxY());

  // The owner's text; an empty buffer empties the list and shows it.
  radar->updateNoItemsLabel("没有最新自选股资讯");
  EXPECT_TRUE(NoItems()->isHidden());
  radar->SetRadarTitle(nullptr, 0);
  EXPECT_TRUE(radar->radarArray().empty());
  EXPECT_FALSE(NoItems()->isHidden());
  EXPECT_EQ(NoItems()->text(), "没有最新自选股资讯");
  // None keeps the text.
  radar->updateNoItemsLabel("");
  EXPECT_EQ(NoItems()->text(), "没有最新自选股资讯");
}

TEST_F(RadarViewTest, PacketsAppendAndTablesFollowOneAnother) {
  const Bytes a = RadarTable({{20150105, 93000, 11, "一"}, {20150105, 93100, 12, "二"}});
  const Bytes b = RadarTable({{20150104, 93200, 13, "三"}});
  // A body of two tables: the first table's rows first.
  const Bytes both = Join(a, b);
  radar->SetRadarTitle(both.data(), static_cast<int>(both.size()));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"一", "二", "三"}));

  // A reply in two packets: the first replaces, the second appends.
  radar->SetRadarTitle(Record(96, 7, b, 12, false, 0, 2));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"三"}));
  radar->SetRadarTitle(Record(96, 7, a, 12, false, 1, 2));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"三", "一", "二"}));
  // A new reply starts over; a whole record may hold two tables too.
  radar->SetRadarTitle(Record(96, 8, both, 12));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"一", "二", "三"}));
  // No data changes nothing.
  radar->SetRadarTitle(foundation::Data());
  EXPECT_EQ(radar->totalInfoRecord(), 3);

  // Bytes after the first table that are no table end the walk; its rows stay.
  Bytes broken = a;
  broken.insert(broken.end(), {3, 1, 0, 0, 0, 9, 0, 20});
  radar->SetRadarTitle(broken.data(), static_cast<int>(broken.size()));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"一", "二"}));
  radar->SetRadarTitle(Record(81, 9, broken, 13));
  EXPECT_EQ(Titles(), (std::vector<std::string>{"一", "二"}));
}

TEST_F(RadarViewTest, BodiesOfManyRecordsKeepAThousandRows) {
  // 9000 bytes hold 800 tables of 65535 zero-width records each.
  const Bytes hostile = ZeroWidthTables(800, 65535);
  radar->SetRadarTitle(hostile.data(), static_cast<int>(hostile.size()));
  EXPECT_EQ(radar->totalInfoRecord(), kRadarMaxRows);
  EXPECT_EQ(radar->currentInfoRecord(999)["title"].asString(), "");
  radar->SetRadarTitle(Record(96, 1, Bytes(hostile.begin(), hostile.begin() + 8800), 12));
  EXPECT_EQ(radar->totalInfoRecord(), kRadarMaxRows);
  for (int part = 1; part < 4; ++part)
    radar->SetRadarTitle(Record(96, 1, Bytes(hostile.begin(), hostile.begin() + 8800), 12, false,
                                static_cast<uint8_t>(part), 4));
  EXPECT_EQ(radar->totalInfoRecord(), kRadarMaxRows);
}

TEST_F(RadarViewTest, ATappedRowOpensTheDetailPageThatReadsTheCurrentRows) {
  auto root = std::make_shared<ui::ViewController>();
  auto navigation = ui::NavigationController::create(root);
  window->addSubview(navigation->viewShared());
  radar->setCurrentNavigationController(navigation.get());
  std::vector<Alert> five;
  for (int i = 0; i < 5; ++i)
    five.push_back({20150105, 93000 + i, 100 + i, "警报" + std::to_string(i)});
  const Bytes body = RadarTable(five);
  radar->SetRadarTitle(body.data(), static_cast<int>(body.size()));

  radar->tableViewDidSelectRowAtIndexPath(*radar->tableView(), ui::IndexPath::forRow(2, 0));
  settle(0.5);
  auto* detail = dynamic_cast<CRadarDetailInfoController*>(navigation->topViewController());
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(detail->currentRecord(), 2);
  auto source = detail->delegate();
  ASSERT_EQ(source.get(), static_cast<RadarDetailInfoDelegate*>(radar.get()));
  EXPECT_EQ(source->totalInfoRecord(), 5);
  EXPECT_EQ(source->currentInfoRecord(2)["Node"].asString(), "102");
  EXPECT_TRUE(source->currentInfoRecord(-1).isNull());
  EXPECT_TRUE(source->currentInfoRecord(5).isNull());
  // A list update: the page reads the new rows.
  const Bytes other = RadarTable({{20150106, 100000, 7, "新"}});
  radar->SetRadarTitle(other.data(), static_cast<int>(other.size()));
  EXPECT_EQ(source->totalInfoRecord(), 1);
  EXPECT_EQ(source->currentInfoRecord(0)["title"].asString(), "新");

  // Without a navigation controller a tap opens nothing.
  radar->setCurrentNavigationController(nullptr);
  radar->tableViewDidSelectRowAtIndexPath(*radar->tableView(), ui::IndexPath::forRow(0, 0));
  settle(0.5);
  EXPECT_EQ(navigation->viewControllers().size(), 2u);
}

TEST_F(RadarViewTest, ContentIsAskedWithASixtyFourBitIdAndShownOverTheList) {
  radar->setPageId(12);
  radar->RequestRadarContent(5000000001LL);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].header.MainType, kMainTypeQuote);
  EXPECT_EQ(sent[0].header.ChildType, 82);
  EXPECT_EQ(sent[0].header.PageID, 12);
  EXPECT_EQ(sent[0].header.RequestCode & 0x3fff, 0);
  MDBF t;
  SentTable(sent[0], t);
  EXPECT_EQ(t.GetInt64(22), 5000000001LL);

  const Bytes rows =
      RadarTable({{20150105, 93000, 1, "第一条"}, {20150105, 93100, 2, "第二条"}}, kRadarTextField);
  const Bytes body = Join(rows, RadarTable({{20150105, 93200, 3, "最后一条"}}, kRadarTextField));
  radar->SetRadarContent(body.data(), static_cast<int>(body.size()));
  auto* content = dynamic_cast<RadarContentView*>(radar->viewWithTag(RadarView::kContentViewTag));
  ASSERT_NE(content, nullptr);
  EXPECT_TRUE(radar->IsShowContent());
  EXPECT_EQ(content->ContentTextView()->text(), "最后一条");
  EXPECT_EQ(content->frame(), radar->bounds());
  // Its back arrow closes it.
  content->backButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(radar->viewWithTag(RadarView::kContentViewTag), nullptr);
  EXPECT_FALSE(radar->IsShowContent());

  // An empty body shows an empty text; a list update closes the view.
  radar->SetRadarContent(nullptr, 0);
  ASSERT_NE(radar->viewWithTag(RadarView::kContentViewTag), nullptr);
  radar->SetRadarTitle(nullptr, 0);
  EXPECT_EQ(radar->viewWithTag(RadarView::kContentViewTag), nullptr);
  EXPECT_FALSE(radar->IsShowContent());

  EXPECT_EQ(RadarView::ChangeTimeFormat(20150102), "2015-1-2(今)");
}

}  // namespace
