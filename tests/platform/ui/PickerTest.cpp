#include <memory>
#include <string>
#include <vector>

#include "InputTestSupport.h"
#include "platform/foundation/Dates.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/PickerView.h"

namespace {

using uitest::InputTest;

// Columns of strings, with optional widths; records the user's choices.
class Columns : public ui::PickerViewDataSource, public ui::PickerViewDelegate {
 public:
  std::vector<std::vector<std::string>> columns;
  std::vector<double> widths;
  std::vector<std::pair<int, int>> chosen;  // (row, component)
  bool customViews = false;

  int numberOfComponentsInPickerView(ui::PickerView&) override {
    return static_cast<int>(columns.size());
  }
  int pickerViewNumberOfRowsInComponent(ui::PickerView&, int c) override {
    return static_cast<int>(columns[c].size());
  }
  std::string pickerViewTitleForRow(ui::PickerView&, int row, int c) override {
    return columns[c][row];
  }
  double pickerViewWidthForComponent(ui::PickerView&, int c) override {
    return c < static_cast<int>(widths.size()) ? widths[c] : 0;
  }
  std::shared_ptr<ui::View> pickerViewViewForRow(ui::PickerView&, int row, int c,
                                                 std::shared_ptr<ui::View> reusing) override {
    if (!customViews) return nullptr;
    if (reusing) return reusing;
    auto view = ui::View::create(gfx::Rect(0, 0, 30, 20));
    view->setTag(1000 * c + row);
    return view;
  }
  void pickerViewDidSelectRow(ui::PickerView&, int row, int c) override {
    chosen.emplace_back(row, c);
  }
};

class PickerTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    columns = std::make_shared<Columns>();
    columns->columns = {{"上海", "深圳", "香港", "北京"}, {"A", "B"}, {"1", "2", "3"}};
    picker = ui::PickerView::create(gfx::Rect(0, 200, 320, 216));
    picker->setDataSource(columns);
    picker->setDelegate(columns);
    window->addSubview(picker);
  }
  // Screen point of the middle of a column, `rows` rows below the selection band.
  gfx::Point pointIn(int component, double rows) {
    gfx::Rect f = picker->frameForComponent(component);
    return picker->convertPointToView({f.midX(), 108 + rows * 40}, nullptr);
  }
  std::shared_ptr<Columns> columns;
  std::shared_ptr<ui::PickerView> picker;
};

TEST_F(PickerTest, ColumnWidthsFollowTheDelegateOrShareTheRest) {
  struct Case {
    std::vector<double> widths;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {{135, 80, 80}, {135, 80, 80}},
      {{100, 0, 0}, {100, 97, 97}},  // 320 - 18 margin - 8 gaps - 100, shared by two
      {{}, {98, 98, 98}},
  };
  for (const auto& c : cases) {
    columns->widths = c.widths;
    picker->reloadAllComponents();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(picker->frameForComponent(i).width(), c.expected[i]) << i;
    // The block of columns is centred.
    double left = picker->frameForComponent(0).x();
    double right = 320 - picker->frameForComponent(2).maxX();
    EXPECT_LE(std::abs(left - right), 1);
  }
}

TEST_F(PickerTest, TapsAndSpinsSelectAndReport) {
  EXPECT_EQ(picker->numberOfComponents(), 3);
  EXPECT_EQ(picker->titleForRow(2, 0), "香港");
  picker->selectRow(9, 0, false);  // clamped, not reported
  EXPECT_EQ(picker->selectedRowInComponent(0), 3);
  picker->selectRow(0, 0, false);
  EXPECT_TRUE(columns->chosen.empty());

  // A tap one row below the band spins that row in.
  gfx::Point p = pointIn(0, 1);
  tap(p.x, p.y);
  EXPECT_EQ(picker->selectedRowInComponent(0), 1);
  // A drag up by two rows in the third column.
  gfx::Point from = pointIn(2, 0), to = pointIn(2, -2);
  touch(ui::TouchPhase::Began, from.x, from.y);
  touch(ui::TouchPhase::Moved, from.x, from.y - 40);
  touch(ui::TouchPhase::Moved, to.x, to.y);
  touch(ui::TouchPhase::Ended, to.x, to.y);
  EXPECT_EQ(picker->selectedRowInComponent(2), 2);
  // Spinning past the end stops on the last row.
  gfx::Point far = pointIn(1, -5);
  from = pointIn(1, 0);
  touch(ui::TouchPhase::Began, from.x, from.y);
  touch(ui::TouchPhase::Moved, far.x, far.y);
  touch(ui::TouchPhase::Ended, far.x, far.y);
  EXPECT_EQ(picker->selectedRowInComponent(1), 1);
  EXPECT_EQ(columns->chosen, (std::vector<std::pair<int, int>>{{1, 0}, {2, 2}, {1, 1}}));
  advance(0.3);
  // The selected row sits in the band.
  ui::View* row = picker->viewForRow(2, 2);
  gfx::Rect inPicker = row->convertRectToView(row->bounds(), picker.get());
  EXPECT_NEAR(inPicker.midY(), 108, 1);
}

TEST_F(PickerTest, CustomRowViewsAreCentredAndReused) {
  columns->customViews = true;
  picker->reloadAllComponents();
  ui::View* v = picker->viewForRow(1, 2);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->tag(), 2001);
  EXPECT_EQ(picker->titleForRow(1, 2), "");
  EXPECT_EQ(v->frame().size, gfx::Size(30, 20));
  EXPECT_EQ(v->frame().y(), 40 + 10);
  picker->reloadComponent(2);
  EXPECT_EQ(picker->viewForRow(1, 2), v);
  EXPECT_EQ(picker->viewForRow(5, 2), nullptr);
  EXPECT_EQ(picker->selectedRowInComponent(7), -1);
}

// The picker sheet: four empty buttons make room for a picker, "确定" and "取消" follow.
class SheetDelegate : public ui::ActionSheetDelegate {
 public:
  std::vector<std::string> calls;
  std::function<void(int)> onClick;
  void actionSheetClickedButtonAtIndex(ui::ActionSheet&, int i) override {
    calls.push_back("clicked " + std::to_string(i));
    if (onClick) onClick(i);
  }
  void actionSheetWillDismissWithButtonIndex(ui::ActionSheet&, int i) override {
    calls.push_back("will dismiss " + std::to_string(i));
  }
  void actionSheetDidDismissWithButtonIndex(ui::ActionSheet&, int i) override {
    calls.push_back("did dismiss " + std::to_string(i));
  }
};

TEST_F(PickerTest, ActionSheetWithAPickerReportsTheChoice) {
  auto delegate = std::make_shared<SheetDelegate>();
  auto sheet =
      ui::ActionSheet::create("请选择", delegate, "", "", {"", "", "", "", "确定", "取消"});
  sheet->setActionSheetStyle(ui::ActionSheetStyle::BlackTranslucent);
  ASSERT_EQ(sheet->numberOfButtons(), 6);
  EXPECT_EQ(sheet->cancelButtonIndex(), -1);
  auto* ok = dynamic_cast<ui::Button*>(sheet->subviews()[5].get());
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->currentTitle(), "确定");
  ok->setTitleColor(gfx::Color::red());
  ok->setTitleColor(gfx::Color::red(), ui::ControlState::Highlighted);

  picker->removeFromSuperview();
  picker->setFrame(gfx::Rect(0, 40, 320, 216));
  picker->setShowsSelectionIndicator(true);
  sheet->showFromTabBar(window.get());
  sheet->addSubview(picker);
  advance(0.4);
  picker->selectRow(2, 0, true);
  EXPECT_TRUE(sheet->buttonAtIndex(0)->isHidden());  // room only
  EXPECT_EQ(ui::Application::shared().keyWindow(), sheet->window());
  // The sheet sits at the bottom; "确定" lies below the picker.
  EXPECT_EQ(sheet->frame().maxY(), 480);
  EXPECT_GE(ok->frame().y(), picker->frame().y() + 190);

  std::vector<int> reported;
  delegate->onClick = [&](int index) {
    if (index != 4) return;
    for (int c = 0; c < picker->numberOfComponents(); ++c)
      reported.push_back(picker->selectedRowInComponent(c));
  };
  // The user spins the second column and taps "确定".
  gfx::Point p = pointIn(1, 1);
  tap(p.x, p.y);
  advance(0.3);
  gfx::Point okPoint = ok->convertPointToView(ok->bounds().center(), nullptr);
  tap(okPoint.x, okPoint.y);
  EXPECT_EQ(reported, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(delegate->calls,
            (std::vector<std::string>{"clicked 4", "will dismiss 4", "did dismiss 4"}));
  EXPECT_TRUE(ui::ActionSheet::visibleSheets().empty());
  EXPECT_EQ(ui::Application::shared().keyWindow(), window.get());
}

TEST_F(PickerTest, SheetIndexesPutDestructiveFirstAndCancelLast) {
  auto sheet = ui::ActionSheet::create("t", {}, "取消", "删除", {"一", "二"});
  EXPECT_EQ(sheet->destructiveButtonIndex(), 0);
  EXPECT_EQ(sheet->firstOtherButtonIndex(), 1);
  EXPECT_EQ(sheet->cancelButtonIndex(), 3);
  EXPECT_GT(sheet->buttonAtIndex(3)->frame().y(), sheet->buttonAtIndex(2)->frame().y());
  int clicked = -1;
  sheet->setClickedHandler([&](ui::ActionSheet&, int i) { clicked = i; });
  EXPECT_FALSE(sheet->pressButtonAtIndex(3));  // not shown yet
  sheet->showInView(window.get());
  EXPECT_EQ(ui::ActionSheet::topSheet(), sheet);
  EXPECT_TRUE(sheet->pressButtonAtIndex(3));
  EXPECT_EQ(clicked, 3);
}

// --- date picker ------------------------------------------------------------------------------

class DatePickerTest : public InputTest {};

foundation::Date localDate(int y, int mo, int d, int h = 0, int mi = 0) {
  foundation::DateComponents c;
  c.year = y;
  c.month = mo;
  c.day = d;
  c.hour = h;
  c.minute = mi;
  return foundation::dateFromLocalComponents(c);
}

TEST_F(DatePickerTest, DateModeShowsAndReportsTheDate) {
  auto picker = ui::DatePicker::create(gfx::Rect(0, 200, 320, 216));
  window->addSubview(picker);
  picker->setDatePickerMode(ui::DatePickerMode::Date);
  picker->setDate(localDate(2024, 1, 31, 10, 30));
  auto* wheel = picker->pickerView();
  EXPECT_EQ(wheel->numberOfComponents(), 3);
  EXPECT_EQ(wheel->titleForRow(wheel->selectedRowInComponent(0), 0), "2024年");
  EXPECT_EQ(wheel->titleForRow(wheel->selectedRowInComponent(1), 1), "1月");
  EXPECT_EQ(wheel->titleForRow(wheel->selectedRowInComponent(2), 2), "31日");

  int changes = 0;
  picker->addTarget([&](ui::Control&) { ++changes; }, ui::ControlEvent::ValueChanged);
  // Choosing February keeps the day within the month (2024 is a leap year).
  wheel->userSelectRow(1, 1);
  EXPECT_EQ(changes, 1);
  auto parts = foundation::localComponents(picker->date());
  EXPECT_EQ(parts.month, 2);
  EXPECT_EQ(parts.day, 29);
  EXPECT_EQ(parts.hour, 10);
  EXPECT_EQ(wheel->numberOfRowsInComponent(2), 29);
  EXPECT_EQ(wheel->selectedRowInComponent(2), 28);
}

TEST_F(DatePickerTest, LimitsAndTimeModes) {
  auto picker = ui::DatePicker::create();
  window->addSubview(picker);
  picker->setMinimumDate(localDate(2020, 1, 1));
  picker->setMaximumDate(localDate(2021, 6, 30, 23, 59));
  picker->setDatePickerMode(ui::DatePickerMode::Date);
  EXPECT_EQ(picker->pickerView()->numberOfRowsInComponent(0), 2);
  picker->setDate(localDate(2030, 1, 1));
  EXPECT_EQ(picker->date(), localDate(2021, 6, 30, 23, 59));
  picker->setDate(localDate(2019, 1, 1));
  EXPECT_EQ(picker->date(), localDate(2020, 1, 1));

  picker->setDatePickerMode(ui::DatePickerMode::Time);
  picker->setDate(localDate(2020, 3, 4, 9, 41));
  auto* wheel = picker->pickerView();
  ASSERT_EQ(wheel->numberOfComponents(), 2);
  EXPECT_EQ(wheel->titleForRow(wheel->selectedRowInComponent(0), 0), "09");
  wheel->userSelectRow(15, 1);
  EXPECT_EQ(foundation::localComponents(picker->date()).minute, 15);
  EXPECT_EQ(foundation::localComponents(picker->date()).day, 4);

  picker->setDatePickerMode(ui::DatePickerMode::CountDownTimer);
  picker->setCountDownDuration(5400 + 59);
  EXPECT_EQ(picker->countDownDuration(), 5400);
  EXPECT_EQ(wheel->selectedRowInComponent(0), 1);
  EXPECT_EQ(wheel->selectedRowInComponent(1), 30);
  wheel->userSelectRow(2, 0);
  EXPECT_EQ(picker->countDownDuration(), 2 * 3600 + 30 * 60);
}

}  // namespace
