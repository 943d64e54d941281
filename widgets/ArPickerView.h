// Choosing a value: a sheet with a wheel of up to four columns of texts (ArPickerView), the same
// sheet around a date picker (CustomDatePickerView), and a button showing the current entry of a
// list that opens the wheel sheet when tapped (UIDropDownList). The sheets slide in from below
// over the key window and slide out again after OK or cancel.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/PickerView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"

// Tags inside a sheet's panel.
inline constexpr int kSheetTitleTag = 405;
inline constexpr int kSheetBackgroundTag = 78;
// The only row of a wheel given no columns.
inline constexpr char kPickerPlaceholderRow[] = "至少插入一个队列";
inline constexpr char kDropDownPrompt[] = "请选择";

// What both sheets share: the panel at the bottom, sliding in and out, the title.
class SlidingSheet : public ui::View {
 public:
  static constexpr double kSlideSeconds = 0.4;
  static constexpr double kPanelHeight = 260;

  explicit SlidingSheet(const gfx::Rect& frame = {});

  // The panel holding the title (tag 405), the background (tag 78), the buttons and the picker.
  ui::View* readlyView() const { return readlyView_.get(); }
  void updateTitle(const std::string& title);
  // Shows the sheet in the application's key window (nothing without one, logged).
  void showInWindow();
  void showInView(ui::View& view);
  // Slides out; the sheet leaves its superview when the slide ends.
  void remove();
  // Where the sheet waits off screen, by the interface orientation when it is in a window.
  gfx::Point newMoveToCenterOnView(ui::View* view) const;
  bool isRemoving() const { return removing_; }

  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;

 protected:
  // Builds the panel with its OK and cancel buttons; subclasses add their picker.
  void buildPanel(const std::shared_ptr<ui::View>& picker);
  // A tap recogniser on `button` calling `action` while the sheet is alive and not leaving.
  void onTap(ui::Button& button, void (*action)(SlidingSheet&));

  std::shared_ptr<ui::View> readlyView_;
  std::shared_ptr<ui::Button> okButton_;
  std::shared_ptr<ui::Button> cancelButton_;

 private:
  bool removing_ = false;
};

class ArPickerView;

// Every method is optional.
class ArPickerViewDelegate {
 public:
  virtual ~ArPickerViewDelegate() = default;
  // OK: the selected row of each column.
  virtual void resultDidDone(ArPickerView& sheet, const std::vector<int>& rows) {
    (void)sheet;
    (void)rows;
  }
  // OK, after resultDidDone: the text of column 0's selected row (only when that row exists).
  virtual void resultStringDidDone(ArPickerView& sheet, const std::string& text) {
    (void)sheet;
    (void)text;
  }
  virtual void cancelSelect(ArPickerView& sheet, const std::vector<int>& rows) {
    (void)sheet;
    (void)rows;
  }
};

class ArPickerView : public SlidingSheet,
                     public ui::PickerViewDataSource,
                     public ui::PickerViewDelegate {
 public:
  static constexpr int kMaxWidths = 4;
  static constexpr double kFirstColumnWidth = 150;
  static constexpr double kOtherColumnWidth = 80;

  explicit ArPickerView(const gfx::Rect& frame = {});
  // The sheet as its interface builds it, awoken.
  static std::shared_ptr<ArPickerView> create();
  void awakeFromNib();
  void initPickerData();

  void setArPickerViewDelgate(std::weak_ptr<ArPickerViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  ArPickerViewDelegate* arPickerViewDelegate() const { return delegate_.lock().get(); }

  // `count` columns from `arrays` (column 0 first). Below 1: one column with the placeholder
  // row. More columns than arrays given: only the given ones (logged).
  void setPickerArrays(int count, const std::vector<std::vector<std::string>>& arrays);
  // Requested widths of the first four columns (0: not set); a width beyond the wheel widens
  // the wheel, centred in the sheet.
  void setColumnWidth(const std::vector<int>& widths);
  // The starting row of each column (missing entries: row 0).
  void setPickerInitSel(const std::vector<int>& rows);

  int columnsCount() const { return columnsCount_; }
  const std::vector<int>& selectedRows() const { return indexArray_; }
  ui::PickerView* pickerView() const { return pickerView_.get(); }
  const std::vector<std::vector<std::string>>& columns() const { return columns_; }

  // The buttons' actions.
  void buttonAction_Done();
  void buttonAction_Cancle();

  // Wheel data source and delegate.
  int numberOfComponentsInPickerView(ui::PickerView& picker) override;
  int pickerViewNumberOfRowsInComponent(ui::PickerView& picker, int component) override;
  std::string pickerViewTitleForRow(ui::PickerView& picker, int row, int component) override;
  void pickerViewDidSelectRow(ui::PickerView& picker, int row, int component) override;
  double pickerViewWidthForComponent(ui::PickerView& picker, int component) override;

 private:
  std::shared_ptr<ui::PickerView> pickerView_;
  std::weak_ptr<ArPickerViewDelegate> delegate_;
  std::vector<std::vector<std::string>> columns_;
  // One selected row per column.
  std::vector<int> indexArray_;
  int columnsCount_ = 0;
  std::array<int, kMaxWidths> columnWidth_{};
};

class CustomDatePickerView;

// Every method is optional.
class CustomDatePickerViewDelegate {
 public:
  virtual ~CustomDatePickerViewDelegate() = default;
  virtual void resultDidDone(CustomDatePickerView& sheet, foundation::Date date) {
    (void)sheet;
    (void)date;
  }
  virtual void cancelSelect(CustomDatePickerView& sheet, foundation::Date date) {
    (void)sheet;
    (void)date;
  }
};

class CustomDatePickerView : public SlidingSheet {
 public:
  explicit CustomDatePickerView(const gfx::Rect& frame = {});
  static std::shared_ptr<CustomDatePickerView> create();
  void awakeFromNib();

  void setCustomDatePickerViewDelgate(std::weak_ptr<CustomDatePickerViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  CustomDatePickerViewDelegate* customPickerViewDelegate() const { return delegate_.lock().get(); }
  void setInitDate(foundation::Date date);
  ui::DatePicker* datePicker() const { return datePicker_.get(); }

  // Turns off the button's image highlighting and adds a tap recogniser with the action.
  void btnWithGesture(ui::Button& button, void (*action)(SlidingSheet&));
  void buttonAction_action2();  // OK
  void buttonAction_action();   // cancel

 private:
  std::shared_ptr<ui::DatePicker> datePicker_;
  std::weak_ptr<CustomDatePickerViewDelegate> delegate_;
};

class UIDropDownList;

class DropDownListDelegate {
 public:
  virtual ~DropDownListDelegate() = default;
  virtual void listSelValueChanged(int index, UIDropDownList& list) {
    (void)index;
    (void)list;
  }
};

class UIDropDownList : public ui::View,
                       public ArPickerViewDelegate,
                       public ui::ActionSheetDelegate,
                       public ui::TextFieldDelegate {
 public:
  static constexpr int kPickerWidth = 250;

  explicit UIDropDownList(const gfx::Rect& frame);
  static std::shared_ptr<UIDropDownList> create(const gfx::Rect& frame);

  void setDelegate(std::weak_ptr<DropDownListDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  DropDownListDelegate* delegate() const { return delegate_.lock().get(); }
  ui::Button* button() const { return button_.get(); }

  // A non-empty list selects and shows entry 0; an empty one is stored too (a tap then opens
  // nothing) and shows the prompt with index -1.
  void setListItemArray(const std::vector<std::string>& list);
  void setListItemArray(const std::vector<std::string>& list, int selIndex);
  // Selects and shows the entry; an index outside the list changes nothing.
  void setCurrentSelIndex(int index);
  void setParamArray(const std::vector<foundation::Value>& params);
  // The value beside the current entry (none without values or outside them).
  std::optional<foundation::Value> getCurrentItemParam() const;
  const std::string& currentText() const { return realTitle_; }
  int currentIndex() const { return selIndex_; }
  const std::vector<std::string>& listArray() const { return listArray_; }

  const std::string& pickTitle() const { return pickTitle_; }
  void setPickTitle(const std::string& title) { pickTitle_ = title; }
  const std::string& prefixTitle() const { return prefixTitle_; }
  void setPrefixTitle(const std::string& prefix) { prefixTitle_ = prefix; }

  // Shows the text (with the prefix in front, except for the prompt).
  void setButtonTitle(const std::string& text);
  // A tap: opens the wheel on the current entry (repairing an index outside the list to 0).
  void clickControl();
  void showPickerSheet(int index);
  // The wheel sheet last opened (while it is on screen).
  std::shared_ptr<ArPickerView> openSheet() const { return sheet_.lock(); }

  void resultDidDone(ArPickerView& sheet, const std::vector<int>& rows) override;
  void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;
  bool textFieldShouldReturn(ui::TextField& field) override;

 private:
  void choose(int index);

  std::shared_ptr<ui::Button> button_;
  std::vector<std::string> listArray_{"无"};
  std::weak_ptr<DropDownListDelegate> delegate_;
  std::string pickTitle_ = kDropDownPrompt;
  int currentSelIndex_ = 0;
  int selIndex_ = 0;
  std::string realTitle_;
  std::string prefixTitle_;
  std::vector<foundation::Value> paramArray_;
  std::weak_ptr<ArPickerView> sheet_;
};
