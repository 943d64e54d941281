// The list row views: the change box's texts and mark, the add/remove row's reports, and the
// record row's two layouts and its move between portrait and landscape.
#include "WidgetTestSupport.h"
#include "core/QuoteFormat.h"
#include "widgets/ListCells.h"
#include "widgets/QuoteColors.h"

namespace {

using widgettest::WidgetTest;

class ListCellsTest : public WidgetTest {};

class BoxOwner : public ChangeDetailView2Delegate {
 public:
  std::optional<std::string> currentPriceOfChangeDetailView2(ChangeDetailView2&,
                                                             const Path& path) override {
    return "+0." + std::to_string(path ? path->row : -1);
  }
  std::optional<std::string> changeRangeOfChangeDetailView2(ChangeDetailView2&,
                                                            const Path&) override {
    return "+1.25%";
  }
  std::optional<int> currentRangeBackgroundOfChangeDetailView2(ChangeDetailView2&,
                                                               const Path&) override {
    return sign;
  }
  std::optional<std::string> nowPriceOfChangeDetailView2(ChangeDetailView2&, const Path&) override {
    return "12.34";
  }
  int sign = 0;
};

std::string ImageName(ui::ImageView* view) {
  return view ? view->image().name() : std::string("(none)");
}

TEST_F(ListCellsTest, TheChangeBoxShowsItsDelegatesTextsAndPicksTheMarkBySign) {
  auto box = std::dynamic_pointer_cast<ChangeDetailView2>(
      TableCell::defaultUsingXIB("tableViewCellContent", 2, nullptr));
  ASSERT_TRUE(box);
  const gfx::Color nibColour = box->priceLabel()->textColor();
  // Without a delegate the box keeps its interface's level mark and asks nobody.
  box->updateCell();
  EXPECT_EQ(ImageName(box->changeImage()), gfx::Image::named("equal.png").name());

  auto owner = std::make_shared<BoxOwner>();
  box->setCellDelegate(owner);
  box->updateIndexPath(ui::IndexPath::forRow(7, 0));
  owner->sign = -3;
  box->updateCell();
  EXPECT_EQ(box->priceLabel()->text(), "+0.7");
  EXPECT_EQ(box->rangLabel()->text(), "+1.25%");
  EXPECT_EQ(box->nowPriceLabel()->text(), "12.34");
  EXPECT_EQ(box->priceLabel()->textColor(), nibColour);
  EXPECT_EQ(ImageName(box->changeImage()), gfx::Image::named("greenDown.png").name());
  owner->sign = 2;
  box->updateCell();
  EXPECT_EQ(ImageName(box->changeImage()), gfx::Image::named("redUp.png").name());
  owner->sign = 0;
  box->updateCell();
  EXPECT_EQ(ImageName(box->changeImage()), gfx::Image::named("equal.png").name());

  // An owner that answers none of the questions: texts stay, the mark is level.
  struct Silent : ChangeDetailView2Delegate {};
  auto silent = std::make_shared<Silent>();
  owner->sign = 1;
  box->updateCell();
  box->setCellDelegate(silent);
  box->updateCell();
  EXPECT_EQ(box->nowPriceLabel()->text(), "12.34");
  EXPECT_EQ(ImageName(box->changeImage()), gfx::Image::named("equal.png").name());
}

TEST_F(ListCellsTest, TheAddRowSendsAddOrRemoveByItsAddType) {
  struct RowOwner : ChangeDetailViewDelegate {
    std::optional<std::string> changeDetailViewTitle(ChangeDetailView&, const Path&) override {
      return "浦发银行";
    }
    std::optional<int> changeDetailViewCurrentType(ChangeDetailView&, const Path&) override {
      return type;
    }
    std::optional<std::string> changeDetailViewIndexValue(ChangeDetailView&, const Path&) override {
      return "3025.12";
    }
    std::optional<int> changeDetailViewAddType(ChangeDetailView&, const Path&) override {
      return addType;
    }
    void changeDetailViewAdd(ChangeDetailView&, const Path& path) override {
      calls.push_back("add " + std::to_string(path ? path->row : -1));
    }
    void changeDetailViewRemove(ChangeDetailView&, const Path& path) override {
      calls.push_back("remove " + std::to_string(path ? path->row : -1));
    }
    int type = -1;
    std::optional<int> addType;
    std::vector<std::string> calls;
  };
  auto view = ChangeDetailView::create();
  EXPECT_EQ(view->addType(), 1);
  auto owner = std::make_shared<RowOwner>();
  view->setCellDelegate(owner);
  view->updateIndexPath(ui::IndexPath::forRow(4, 0));
  view->updateCell();
  EXPECT_EQ(view->titleLabel()->textColor(), widgets::PaleYellowColor2());
  EXPECT_EQ(view->priceLabel()->textColor(), widgets::UpDownColor(-1));
  EXPECT_EQ(view->valueLabel()->textColor(), widgets::LightBlueColor());
  EXPECT_EQ(ImageName(view->changeImage()), gfx::Image::named("green_down.png").name());
  view->buttonAction_add();  // add type still 1 (not answered)
  owner->addType = 0;
  view->updateCell();
  EXPECT_EQ(view->addType(), 0);
  view->buttonAction_add();
  owner->addType = 5;
  view->updateCell();
  window->addSubview(view);
  tap(300, 30);  // the button, wired to the add action
  EXPECT_EQ(owner->calls, (std::vector<std::string>{"add 4", "remove 4", "add 4"}));
  EXPECT_EQ(view->addImage()->image(ui::ControlState::Normal)->name(),
            gfx::Image::named("btn_add.png").name());
}

TEST_F(ListCellsTest, TheRecordRowFillsItsLayoutsAndMovesInLandscape) {
  tagLocalStockData rec = MakeEmptyStockData();
  rec.market = 1;
  std::memcpy(rec.code, "600000", 7);
  NSStringToUnichars("浦发银行", rec.name, 17);
  rec.pricedot = 2;
  rec.unit = 100;
  rec.yesterday = 100000;
  rec.now = 102500;
  rec.high = 103000;
  rec.low = 99000;
  rec.volume = 1234567;
  rec.amount = 987654321;

  auto view = std::dynamic_pointer_cast<SelfStockListView>(
      TableCell::defaultUsingXIB("tableViewCellContent", 1, nullptr));
  ASSERT_TRUE(view);
  const gfx::Point before13 = view->label(13)->center();
  view->updateStockData(&rec, 1);
  EXPECT_EQ(view->label(11)->text(), "600000");
  EXPECT_EQ(view->label(12)->text(), "浦发银行");
  EXPECT_EQ(view->label(13)->text(), FormatPriceString(102500, 8, 2, 0));
  EXPECT_EQ(view->label(13)->textColor(), widgets::UpDownColor(1));
  EXPECT_EQ(view->label(17)->textColor(), widgets::UpDownColor(-1));
  EXPECT_DOUBLE_EQ(view->label(13)->center().x, 166);
  EXPECT_DOUBLE_EQ(view->label(13)->center().y, before13.y);

  ui::setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
  EXPECT_DOUBLE_EQ(view->label(13)->center().x, 196);
  EXPECT_DOUBLE_EQ(view->label(16)->center().x, 920);
  EXPECT_DOUBLE_EQ(view->label(17)->center().x, 920);
  EXPECT_DOUBLE_EQ(view->label(14)->center().x, 470);
  ui::setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
  EXPECT_DOUBLE_EQ(view->label(16)->center().x, 701);

  // Layout 0 fills the detail columns and moves nothing.
  auto other = SelfStockListView::create();
  const gfx::Point at13 = other->label(13)->center();
  other->updateStockData(&rec, 0);
  EXPECT_EQ(other->label(13)->text(), FormatVolumeString(1, rec.volume, 100, 6));
  EXPECT_EQ(other->label(13)->textColor(), widgets::LightBlueColor());
  EXPECT_EQ(other->label(26)->textColor(), widgets::UpDownColor(1));
  ui::setStatusBarOrientation(ui::InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(other->label(13)->center(), at13);

  // The row holds its own copy; a null record changes nothing.
  rec.now = 1;
  EXPECT_EQ(view->stockData().now, 102500);
  view->updateStockData(nullptr, 0);
  EXPECT_EQ(view->selfStockType(), 1);
  EXPECT_EQ(view->label(11)->text(), "600000");
}

}  // namespace
