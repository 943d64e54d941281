// A multi-column wheel inside an action sheet raised from the tab bar, with "确定" and "取消",
// reporting the chosen rows to its delegate. The columns are arrays of texts given by the
// caller; they are forgotten after each answer, so they are set again before the next show.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ActionSheet.h"
#include "platform/ui/Object.h"
#include "platform/ui/PickerView.h"

// Every method is optional.
class PickerSheetDelegate {
 public:
  virtual ~PickerSheetDelegate() = default;
  virtual void ReturnSelectedValue(const std::vector<int>& rows) { (void)rows; }
  virtual void ReturnSelectedStringValue(const std::string& text) { (void)text; }
  virtual void ReturnSelectedValueWithTag(const std::vector<int>& rows, int tag) {
    (void)rows;
    (void)tag;
  }
  virtual void PickerSheetReturnWithCancel() {}
};

class PickerSheet : public ui::Object,
                    public ui::PickerViewDataSource,
                    public ui::PickerViewDelegate,
                    public ui::ActionSheetDelegate {
 public:
  static constexpr int kMaxWidths = 4;
  static constexpr double kFirstColumnWidth = 135;
  static constexpr double kOtherColumnWidth = 80;
  static constexpr int kOKIndex = 4;
  static constexpr int kCancelIndex = 5;
  static constexpr double kPickerTop = 40;

  static std::shared_ptr<PickerSheet> create() { return std::make_shared<PickerSheet>(); }

  void setDelegate(std::weak_ptr<PickerSheetDelegate> delegate) { delegate_ = std::move(delegate); }
  PickerSheetDelegate* Delegate() const { return delegate_.lock().get(); }
  void setTag(int tag) { tag_ = tag; }
  int tag() const { return tag_; }

  // `count` columns from `arrays`; below 1 (or none given): one column with the placeholder row.
  void SetArrays(int count, const std::vector<std::vector<std::string>>& arrays);
  // Raises the sheet; `rows` gives each column's starting row (missing entries: row 0). Without
  // columns (never set, or forgotten after the last answer) nothing shows (logged).
  void ShowPickerSheet(ui::View* tabBar, const std::string& title, const std::vector<int>& rows);
  void setColumnWidth(const std::vector<int>& widths);

  int columns() const { return columns_; }
  const std::vector<int>& selectedRows() const { return indexArray_; }
  // The action sheet while it shows (null after).
  std::shared_ptr<ui::ActionSheet> sheet() const { return sheet_.lock(); }
  ui::PickerView* picker() const { return picker_.get(); }

  int numberOfComponentsInPickerView(ui::PickerView& picker) override;
  int pickerViewNumberOfRowsInComponent(ui::PickerView& picker, int component) override;
  std::string pickerViewTitleForRow(ui::PickerView& picker, int row, int component) override;
  void pickerViewDidSelectRow(ui::PickerView& picker, int row, int component) override;
  double pickerViewWidthForComponent(ui::PickerView& picker, int component) override;
  void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int buttonIndex) override;

 private:
  std::weak_ptr<PickerSheetDelegate> delegate_;
  std::vector<std::vector<std::string>> arrayManagement_;
  std::vector<int> indexArray_;
  int columns_ = 0;
  std::array<int, kMaxWidths> columnWidth_{};
  int tag_ = 0;
  // The screen holds the action sheet while it shows, and the sheet holds this object through
  // its click handler: however the sheet goes, nothing is left holding itself.
  std::weak_ptr<ui::ActionSheet> sheet_;
  std::shared_ptr<ui::PickerView> picker_;
};
