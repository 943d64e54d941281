// The table cell base: the row-view loader by name and index, index-path updates, the
// background it paints or leaves alone, and the touch broadcast of the inner tables.
#include "WidgetTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/RecordingContext.h"
#include "widgets/ListCells.h"

namespace {

using widgettest::WidgetTest;

class TableCellTest : public WidgetTest {};

TEST_F(TableCellTest, TheLoaderAppendsTheIndexExceptForZero) {
  EXPECT_EQ(TableCell::interfaceName("tableViewCellContent", 0), "tableViewCellContent");
  EXPECT_EQ(TableCell::interfaceName("tableViewCellContent", 3), "tableViewCellContent3");
  auto box = TableCell::defaultUsingXIB("tableViewCellContent", 2, nullptr);
  ASSERT_TRUE(std::dynamic_pointer_cast<ChangeDetailView2>(box));
  EXPECT_TRUE(std::dynamic_pointer_cast<ChangeDetailView>(
      TableCell::defaultUsingXIB("tableViewCellContent", 0, nullptr)));
  // Index 3 names "tableViewCellContent3": a view registered under that name is what comes back.
  ui::ClassRegistry::shared().registerClass("tableViewCellContent3", [] {
    return std::static_pointer_cast<ui::Object>(ChangeDetailView2::create());
  });
  EXPECT_TRUE(std::dynamic_pointer_cast<ChangeDetailView2>(
      TableCell::defaultUsingXIB("tableViewCellContent", 3, nullptr)));
  EXPECT_FALSE(TableCell::defaultUsingXIB("tableViewCellContent", 77, nullptr));
  // A registered name that is not a row view gives nothing.
  ui::ClassRegistry::shared().registerClass("tableViewCellContent4", [] {
    return std::static_pointer_cast<ui::Object>(ui::View::create());
  });
  EXPECT_FALSE(TableCell::defaultUsingXIB("tableViewCellContent", 4, nullptr));
}

TEST_F(TableCellTest, IndexPathUpdatesNeedAPath) {
  auto cell = TableCell::create(gfx::Rect(0, 0, 100, 40));
  cell->updateRow(4);
  cell->updateSection(1);
  EXPECT_FALSE(cell->indexPath());
  cell->updateIndexPath(ui::IndexPath::forRow(2, 0));
  cell->updateRow(5);
  cell->updateSection(3);
  EXPECT_EQ(*cell->indexPath(), ui::IndexPath::forRow(5, 3));
}

TEST_F(TableCellTest, DrawTypeZeroPaintsTheGradientAndOthersLeaveTheAreaAlone) {
  auto cell = TableCell::create(gfx::Rect(0, 0, 100, 40));
  gfx::RecordingContext painted(gfx::Size(100, 40));
  cell->drawRect(painted, cell->bounds());
  ASSERT_TRUE(painted.first("drawLinearGradient"));
  ASSERT_TRUE(cell->gradient());
  EXPECT_EQ(cell->gradient()->stops.front().color, gfx::Color(0.10980392, 0.24705882, 0.34901962));
  EXPECT_EQ(cell->gradient()->stops.back().color, gfx::Color(0, 0, 0));
  EXPECT_TRUE(painted.first("strokeLineSegments") || painted.first("drawPath"));

  cell->setDrawType(1);
  gfx::RecordingContext blank(gfx::Size(100, 40));
  cell->drawRect(blank, cell->bounds());
  EXPECT_TRUE(blank.paintOps().empty());
  cell->setDrawType(7);
  cell->drawRect(blank, cell->bounds());
  EXPECT_TRUE(blank.paintOps().empty());
}

TEST_F(TableCellTest, ATouchOnAnInnerTablePostsItsRowOrNull) {
  struct Rows : ui::TableViewDataSource {
    int tableViewNumberOfRowsInSection(ui::TableView&, int) override { return 3; }
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
        ui::TableView&, const ui::IndexPath&) override {
      return ui::TableViewCell::create();
    }
  };
  auto rows = std::make_shared<Rows>();
  auto table = CustomTableView::create(gfx::Rect(0, 0, 320, 400));
  table->setDataSource(rows);
  window->addSubview(table);
  table->reloadData();

  std::vector<std::optional<ui::IndexPath>> seen;
  std::vector<std::string> types;
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(this, kCellTouchBeginNotification, [&](const foundation::Notification& n) {
    const auto* path = static_cast<const ui::IndexPath*>(n.object);
    seen.push_back(path ? std::optional<ui::IndexPath>(*path) : std::nullopt);
    types.push_back(n.userInfo["TYPE"].toString());
  });
  tap(100, 50);   // row 1 of 44-point rows
  tap(100, 300);  // below the last row
  center.removeObserversOf(this);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], ui::IndexPath::forRow(1, 0));
  EXPECT_FALSE(seen[1]);
  EXPECT_EQ(types, (std::vector<std::string>{"1", "1"}));
}

}  // namespace
