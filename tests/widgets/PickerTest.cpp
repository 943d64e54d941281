#include <memory>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/PickerView.h"
#include "widgets/ArPickerView.h"
#include "widgets/PickerSheet.h"

namespace {

using inputtest::InputTest;

struct PickerRecorder : ArPickerViewDelegate {
  std::vector<std::string> calls;
  std::vector<int> rows;
  std::string text;
  void resultDidDone(ArPickerView&, const std::vector<int>& r) override {
    calls.push_back("done");
    rows = r;
  }
  void resultStringDidDone(ArPickerView&, const std::string& t) override {
    calls.push_back("string");
    text = t;
  }
  void cancelSelect(ArPickerView&, const std::vector<int>& r) override {
    calls.push_back("cancel");
    rows = r;
  }
};

class PickerTest : public InputTest {
 protected:
  std::shared_ptr<ArPickerView> sheetInWindow() {
    for (const auto& view : window->subviews()) {
      if (auto sheet = std::dynamic_pointer_cast<ArPickerView>(view)) return sheet;
    }
    return nullptr;
  }
  static double width(ArPickerView& sheet, int column) {
    return sheet.pickerViewWidthForComponent(*sheet.pickerView(), column);
  }
};

TEST_F(PickerTest, WheelColumnsWidthsAndPlaceholder) {
  auto sheet = ArPickerView::create();
  sheet->setPickerArrays(0, {});
  ASSERT_EQ(sheet->pickerView()->numberOfComponents(), 1);
  EXPECT_EQ(sheet->pickerView()->titleForRow(0, 0), kPickerPlaceholderRow);
  EXPECT_EQ(sheet->pickerView()->numberOfRowsInComponent(0), 1);

  // Widths never set: 150 for the first column, 80 for the others.
  sheet->setPickerArrays(3, {{"a"}, {"b"}, {"c"}});
  EXPECT_EQ(width(*sheet, 0), 150);
  EXPECT_EQ(width(*sheet, 1), 80);
  EXPECT_EQ(width(*sheet, 2), 80);
  sheet->setColumnWidth({100, 0, 120});
  EXPECT_EQ(width(*sheet, 0), 100);
  EXPECT_EQ(width(*sheet, 1), 80);
  EXPECT_EQ(width(*sheet, 2), 120);

  // A width beyond the wheel widens it, centred in the sheet.
  const double sheetWidth = sheet->bounds().width();
  sheet->setColumnWidth({400});
  EXPECT_EQ(sheet->pickerView()->frame().width(), 400);
  EXPECT_EQ(sheet->pickerView()->frame().x(), (sheetWidth - 400) / 2);
}

TEST_F(PickerTest, SelectedRowsFollowTheColumnCount) {
  auto sheet = ArPickerView::create();
  auto recorder = std::make_shared<PickerRecorder>();
  sheet->setArPickerViewDelgate(recorder);
  // Six columns: every one keeps its own selected row.
  std::vector<std::vector<std::string>> columns(6, {"r0", "r1", "r2", "r3", "r4", "r5", "r6"});
  sheet->setPickerArrays(6, columns);
  sheet->setPickerInitSel({1, 2, 3, 4, 5, 6});
  sheet->pickerView()->userSelectRow(2, 5);
  sheet->showInWindow();
  sheet->buttonAction_Done();
  EXPECT_EQ(recorder->rows, (std::vector<int>{1, 2, 3, 4, 5, 2}));
  EXPECT_EQ(recorder->text, "r1");

  // Fewer arrays than columns asked: only the given ones, nothing read beyond them.
  auto short_ = ArPickerView::create();
  short_->setPickerArrays(3, {{"x"}});
  EXPECT_EQ(short_->columnsCount(), 1);
  short_->setPickerInitSel({0, 7, 9});
  EXPECT_EQ(short_->selectedRows(), std::vector<int>{0});
}

TEST_F(PickerTest, OkReportsRowsThenTextAndTheSheetSlidesAway) {
  auto sheet = ArPickerView::create();
  auto recorder = std::make_shared<PickerRecorder>();
  sheet->setArPickerViewDelgate(recorder);
  sheet->updateTitle("选择银行");
  sheet->setPickerArrays(2, {{"工商", "建设"}, {"人民币"}});
  sheet->showInWindow();
  ASSERT_EQ(sheet->superview(), window.get());
  EXPECT_EQ(sheet->readlyView()->frame().y() + sheet->readlyView()->frame().height(),
            sheet->bounds().height());
  EXPECT_EQ(static_cast<ui::Label*>(sheet->readlyView()->viewWithTag(kSheetTitleTag))->text(),
            "选择银行");
  advance(SlidingSheet::kSlideSeconds + 0.1);
  EXPECT_EQ(sheet->presentationCenter(), gfx::Point(160, 240));

  sheet->pickerView()->userSelectRow(1, 0);
  tapView(*sheet->readlyView()->subviews()[3]);  // OK
  EXPECT_EQ(recorder->calls, (std::vector<std::string>{"done", "string"}));
  EXPECT_EQ(recorder->rows, (std::vector<int>{1, 0}));
  EXPECT_EQ(recorder->text, "建设");
  // Leaving: a second tap is no second answer.
  tapView(*sheet->readlyView()->subviews()[3]);
  EXPECT_EQ(recorder->calls.size(), 2u);
  EXPECT_EQ(sheet->superview(), window.get());
  advance(SlidingSheet::kSlideSeconds + 0.1);
  EXPECT_EQ(sheet->superview(), nullptr);
}

TEST_F(PickerTest, OkBeyondTheFirstColumnSendsOnlyTheRowsAndCancelSendsCancel) {
  auto sheet = ArPickerView::create();
  auto recorder = std::make_shared<PickerRecorder>();
  sheet->setArPickerViewDelgate(recorder);
  sheet->setPickerArrays(1, {{"only"}});
  sheet->setPickerInitSel({5});
  sheet->showInWindow();
  sheet->buttonAction_Done();
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"done"});

  auto other = ArPickerView::create();
  other->setArPickerViewDelgate(recorder);
  other->setPickerArrays(1, {{"a", "b"}});
  other->showInWindow();
  recorder->calls.clear();
  other->buttonAction_Cancle();
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"cancel"});
  advance(1);
  EXPECT_EQ(other->superview(), nullptr);
}

TEST_F(PickerTest, SheetWaitsOffScreenByTheOrientation) {
  auto sheet = ArPickerView::create();
  sheet->showInWindow();
  ui::finishAllAnimations();
  EXPECT_EQ(sheet->newMoveToCenterOnView(nullptr), gfx::Point(160, 720));
  ui::setStatusBarOrientation(ui::InterfaceOrientation::PortraitUpsideDown);
  EXPECT_EQ(sheet->newMoveToCenterOnView(nullptr), gfx::Point(160, -240));
  ui::setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
  // Not in a window: below whatever the orientation.
  auto holder = ui::View::create(gfx::Rect(0, 0, 320, 480));
  window->addSubview(holder);
  auto inner = ArPickerView::create();
  inner->showInView(*holder);
  ui::setStatusBarOrientation(ui::InterfaceOrientation::PortraitUpsideDown);
  EXPECT_EQ(inner->newMoveToCenterOnView(nullptr), gfx::Point(160, 720));
  ui::setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
}

struct DateRecorder : CustomDatePickerViewDelegate {
  std::vector<std::string> calls;
  foundation::Date date;
  void resultDidDone(CustomDatePickerView&, foundation::Date d) override {
    calls.push_back("done");
    date = d;
  }
  void cancelSelect(CustomDatePickerView&, foundation::Date d) override {
    calls.push_back("cancel");
    date = d;
  }
};

TEST_F(PickerTest, DateSheetReportsThePickersDate) {
  auto sheet = CustomDatePickerView::create();
  auto recorder = std::make_shared<DateRecorder>();
  sheet->setCustomDatePickerViewDelgate(recorder);
  const foundation::Date day{1700000040};
  sheet->setInitDate(day);
  sheet->showInWindow();
  ui::finishAllAnimations();
  sheet->buttonAction_action2();
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"done"});
  EXPECT_EQ(recorder->date, sheet->datePicker()->date());
  EXPECT_EQ(recorder->date, day);
  EXPECT_FALSE(static_cast<ui::Button*>(sheet->readlyView()->subviews()[3].get())
                   ->adjustsImageWhenHighlighted());
}

// --- drop-down list -------------------------------------------------------------------------

struct ListRecorder : DropDownListDelegate {
  std::vector<int> chosen;
  void listSelValueChanged(int index, UIDropDownList&) override { chosen.push_back(index); }
};

class DropDownTest : public PickerTest {
 protected:
  void SetUp() override {
    PickerTest::SetUp();
    list = UIDropDownList::create(gfx::Rect(20, 100, 200, 30));
    window->addSubview(list);
    recorder = std::make_shared<ListRecorder>();
    list->setDelegate(recorder);
  }
  std::string shown() const { return list->button()->title(ui::ControlState::Normal).value_or(""); }

  std::shared_ptr<UIDropDownList> list;
  std::shared_ptr<ListRecorder> recorder;
};

TEST_F(DropDownTest, NewListShowsThePromptAndOpensOnItsOnlyEntry) {
  EXPECT_EQ(shown(), kDropDownPrompt);
  tapView(*list);
  auto sheet = sheetInWindow();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->columns(), (std::vector<std::vector<std::string>>{{"无"}}));
  EXPECT_EQ(sheet->selectedRows(), std::vector<int>{0});
  EXPECT_EQ(sheet->pickerViewWidthForComponent(*sheet->pickerView(), 0), 250);
  sheet->buttonAction_Done();
  EXPECT_EQ(recorder->chosen, std::vector<int>{0});
  EXPECT_EQ(shown(), "无");
}

TEST_F(DropDownTest, ChoosingFromTheWheelShowsAndReportsTheEntry) {
  list->setPrefixTitle("银行：");
  list->setListItemArray({"工商银行", "建设银行", "招商银行"});
  EXPECT_EQ(shown(), "银行：工商银行");
  EXPECT_EQ(list->currentText(), "工商银行");
  list->setParamArray({foundation::Value(1), foundation::Value(2), foundation::Value(3)});
  list->clickControl();
  auto sheet = list->openSheet();
  ASSERT_NE(sheet, nullptr);
  sheet->pickerView()->userSelectRow(2, 0);
  sheet->buttonAction_Done();
  EXPECT_EQ(recorder->chosen, std::vector<int>{2});
  EXPECT_EQ(list->currentIndex(), 2);
  EXPECT_EQ(shown(), "银行：招商银行");
  ASSERT_TRUE(list->getCurrentItemParam().has_value());
  EXPECT_EQ(list->getCurrentItemParam()->toInt(), 3);

  // The prompt never carries the prefix; an index outside the list changes nothing.
  list->setListItemArray({"a", "b"}, 5);
  EXPECT_EQ(shown(), kDropDownPrompt);
  EXPECT_EQ(list->currentIndex(), -1);
  EXPECT_FALSE(list->getCurrentItemParam().has_value());
  list->setCurrentSelIndex(1);
  EXPECT_EQ(shown(), "银行：b");
  list->setCurrentSelIndex(2);
  list->setCurrentSelIndex(-1);
  EXPECT_EQ(list->currentIndex(), 1);
  EXPECT_EQ(shown(), "银行：b");
}

TEST_F(DropDownTest, AnEmptyListOpensNothingAndKeepsNoStaleEntry) {
  list->setListItemArray({"旧账户"});
  list->setListItemArray(std::vector<std::string>{});
  EXPECT_EQ(shown(), kDropDownPrompt);
  EXPECT_EQ(list->currentIndex(), -1);
  EXPECT_TRUE(list->listArray().empty());
  tapView(*list);
  EXPECT_EQ(sheetInWindow(), nullptr);
  EXPECT_TRUE(recorder->chosen.empty());
  EXPECT_EQ(list->currentText(), kDropDownPrompt);
}

TEST_F(DropDownTest, AnIndexOutsideTheListIsRepairedBeforeOpening) {
  list->setListItemArray({"x", "y"}, -3);
  list->clickControl();
  EXPECT_EQ(list->currentIndex(), 0);
  EXPECT_EQ(shown(), "x");
  ASSERT_NE(list->openSheet(), nullptr);
  // The action-sheet path takes the index the wheel opened on.
  auto actionSheet = ui::ActionSheet::create("");
  list->actionSheetClickedButtonAtIndex(*actionSheet, 3);
  EXPECT_TRUE(recorder->chosen.empty());
  list->actionSheetClickedButtonAtIndex(*actionSheet, 4);
  EXPECT_EQ(recorder->chosen, std::vector<int>{0});
}

// --- picker sheet ---------------------------------------------------------------------------

struct SheetRecorder : PickerSheetDelegate {
  std::vector<std::string> calls;
  std::vector<int> rows;
  std::string text;
  int tag = 0;
  void ReturnSelectedValue(const std::vector<int>& r) override {
    calls.push_back("value");
    rows = r;
  }
  void ReturnSelectedStringValue(const std::string& t) override {
    calls.push_back("string");
    text = t;
  }
  void ReturnSelectedValueWithTag(const std::vector<int>& r, int t) override {
    calls.push_back("tag");
    EXPECT_EQ(r, rows);
    tag = t;
  }
  void PickerSheetReturnWithCancel() override { calls.push_back("cancel"); }
};

TEST_F(PickerTest, PickerSheetWidthsAndPlaceholder) {
  auto sheet = PickerSheet::create();
  sheet->SetArrays(3, {{"a"}, {"b"}, {"c"}});
  ui::PickerView& wheel = *ui::PickerView::create();
  EXPECT_EQ(sheet->pickerViewWidthForComponent(wheel, 0), 135);
  EXPECT_EQ(sheet->pickerViewWidthForComponent(wheel, 1), 80);
  EXPECT_EQ(sheet->pickerViewWidthForComponent(wheel, 2), 80);
  auto two = PickerSheet::create();
  two->SetArrays(2, {{"a"}, {"b"}});
  two->setColumnWidth({100, 0});
  EXPECT_EQ(two->pickerViewWidthForComponent(wheel, 0), 100);
  EXPECT_EQ(two->pickerViewWidthForComponent(wheel, 1), 80);
  auto none = PickerSheet::create();
  none->SetArrays(0, {});
  EXPECT_EQ(none->numberOfComponentsInPickerView(wheel), 1);
  EXPECT_EQ(none->pickerViewTitleForRow(wheel, 0, 0), kPickerPlaceholderRow);
}

TEST_F(PickerTest, PickerSheetReportsRowsInColumnOrderThenForgetsTheColumns) {
  auto recorder = std::make_shared<SheetRecorder>();
  std::weak_ptr<PickerSheet> weak;
  {
    auto sheet = PickerSheet::create();
    weak = sheet;
    sheet->setDelegate(recorder);
    sheet->setTag(7);
    sheet->SetArrays(2, {{"2024", "2025", "2026"}, {"1月", "2月"}});
    sheet->ShowPickerSheet(nullptr, "日期", {2, 1});
  }
  // The sheet lives on while it shows.
  auto sheet = weak.lock();
  ASSERT_NE(sheet, nullptr);
  std::shared_ptr<ui::ActionSheet> actionSheet = sheet->sheet();
  ASSERT_TRUE(actionSheet->isVisible());
  EXPECT_EQ(actionSheet->buttonTitleAtIndex(4), "确定");
  EXPECT_EQ(actionSheet->buttonTitleAtIndex(5), "取消");
  EXPECT_EQ(actionSheet->buttonAtIndex(4)->titleColor(ui::ControlState::Normal), gfx::Color::red());
  EXPECT_EQ(sheet->picker()->selectedRowInComponent(0), 2);
  sheet->picker()->userSelectRow(0, 1);
  sheet.reset();
  ASSERT_TRUE(actionSheet->pressButtonAtIndex(4));
  EXPECT_EQ(recorder->calls, (std::vector<std::string>{"value", "string", "tag"}));
  EXPECT_EQ(recorder->rows, (std::vector<int>{2, 0}));
  EXPECT_EQ(recorder->text, "2026");
  EXPECT_EQ(recorder->tag, 7);
  actionSheet.reset();
  drain();
  ui::finishAllAnimations();
  EXPECT_TRUE(weak.expired());
}

TEST_F(PickerTest, PickerSheetDismissedWithoutAnAnswerIsReleased) {
  std::weak_ptr<PickerSheet> weak;
  {
    auto sheet = PickerSheet::create();
    weak = sheet;
    sheet->SetArrays(1, {{"a"}});
    sheet->ShowPickerSheet(nullptr, "", {0});
  }
  EXPECT_FALSE(weak.expired());
  ui::ActionSheet::dismissAll();
  drain();
  ui::finishAllAnimations();
  EXPECT_TRUE(weak.expired());
}

TEST_F(PickerTest, PickerSheetCancelsAndNeedsItsColumnsAgain) {
  auto recorder = std::make_shared<SheetRecorder>();
  auto sheet = PickerSheet::create();
  sheet->setDelegate(recorder);
  sheet->SetArrays(1, {{"a", "b"}});
  sheet->ShowPickerSheet(nullptr, "", {7});  // a row beyond the column is clamped by the wheel
  ASSERT_TRUE(sheet->sheet()->pressButtonAtIndex(5));
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"cancel"});
  EXPECT_EQ(sheet->columns(), 0);
  // Shown again without new columns: nothing shows.
  ui::ActionSheet::dismissAll();
  sheet->ShowPickerSheet(nullptr, "", {0});
  EXPECT_EQ(ui::ActionSheet::topSheet(), nullptr);
}

}  // namespace
