#include "widgets/PickerSheet.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "widgets/ArPickerView.h"

void PickerSheet::SetArrays(int count, const std::vector<std::vector<std::string>>& arrays) {
  arrayManagement_.clear();
  if (count < 1 || arrays.empty()) {
    count = 1;
    arrayManagement_.push_back({kPickerPlaceholderRow});
  } else {
    if (static_cast<size_t>(count) > arrays.size()) {
      foundation::logError("PickerSheet: %d columns asked, %zu given", count, arrays.size());
      count = static_cast<int>(arrays.size());
    }
    arrayManagement_.assign(arrays.begin(), arrays.begin() + count);
  }
  columns_ = count;
  indexArray_.assign(static_cast<size_t>(count), 0);
}

void PickerSheet::setColumnWidth(const std::vector<int>& widths) {
  for (size_t i = 0; i < widths.size() && i < kMaxWidths; ++i) columnWidth_[i] = widths[i];
}

void PickerSheet::ShowPickerSheet(ui::View* tabBar, const std::string& title,
                                  const std::vector<int>& rows) {
  if (arrayManagement_.empty()) {
    foundation::logError("PickerSheet: no columns set before showing");
    return;
  }
  auto self = sharedAs<PickerSheet>();
  // The four untitled buttons make room for the wheel.
  auto sheet =
      ui::ActionSheet::create(title, std::static_pointer_cast<ui::ActionSheetDelegate>(self), {},
                              {}, {"", "", "", "", "确定", "取消"});
  sheet->setClickedHandler([self](ui::ActionSheet&, int) {});
  sheet->setActionSheetStyle(ui::ActionSheetStyle::BlackTranslucent);
  sheet->showFromTabBar(tabBar);
  sheet_ = sheet;
  if (ui::Button* ok = sheet->buttonAtIndex(kOKIndex)) {
    ok->setTitleColor(gfx::Color::red());
    ok->setTitleColor(gfx::Color::red(), ui::ControlState::Highlighted);
  }
  // The wheel fills the room the untitled buttons made, down to "确定".
  double height = ui::PickerView::kDefaultHeight;
  if (ui::Button* ok = sheet->buttonAtIndex(kOKIndex)) {
    height = std::max(ok->frame().y() - 4 - kPickerTop, 3 * ui::PickerView::kDefaultRowHeight);
  }
  picker_ = ui::PickerView::create(gfx::Rect(0, kPickerTop, 320, height));
  picker_->setDataSource(std::static_pointer_cast<ui::PickerViewDataSource>(self));
  picker_->setDelegate(std::static_pointer_cast<ui::PickerViewDelegate>(self));
  picker_->setShowsSelectionIndicator(true);
  for (size_t i = 0; i < indexArray_.size(); ++i) {
    indexArray_[i] = i < rows.size() ? rows[i] : 0;
    picker_->selectRow(indexArray_[i], static_cast<int>(i), true);
  }
  sheet->addSubview(picker_);
}

int PickerSheet::numberOfComponentsInPickerView(ui::PickerView&) {
  return static_cast<int>(arrayManagement_.size());
}

int PickerSheet::pickerViewNumberOfRowsInComponent(ui::PickerView&, int component) {
  if (component < 0 || static_cast<size_t>(component) >= arrayManagement_.size()) return 0;
  return static_cast<int>(arrayManagement_[static_cast<size_t>(component)].size());
}

std::string PickerSheet::pickerViewTitleForRow(ui::PickerView&, int row, int component) {
  if (component < 0 || static_cast<size_t>(component) >= arrayManagement_.size()) return {};
  const auto& column = arrayManagement_[static_cast<size_t>(component)];
  if (row < 0 || static_cast<size_t>(row) >= column.size()) return {};
  return column[static_cast<size_t>(row)];
}

void PickerSheet::pickerViewDidSelectRow(ui::PickerView&, int row, int component) {
  if (component < 0 || static_cast<size_t>(component) >= indexArray_.size()) return;
  indexArray_[static_cast<size_t>(component)] = row;
}

double PickerSheet::pickerViewWidthForComponent(ui::PickerView&, int component) {
  if (columnWidth_[0] < 1) return component == 0 ? kFirstColumnWidth : kOtherColumnWidth;
  if (component >= 0 && component < kMaxWidths && columnWidth_[component] > 0) {
    return columnWidth_[component];
  }
  return kOtherColumnWidth;
}

void PickerSheet::actionSheetClickedButtonAtIndex(ui::ActionSheet&, int buttonIndex) {
  auto self = sharedAs<PickerSheet>();
  auto delegate = delegate_.lock();
  if (buttonIndex == kOKIndex && delegate) {
    delegate->ReturnSelectedValue(indexArray_);
    if (!indexArray_.empty() && !arrayManagement_.empty() && indexArray_[0] >= 0 &&
        static_cast<size_t>(indexArray_[0]) < arrayManagement_[0].size()) {
      delegate->ReturnSelectedStringValue(arrayManagement_[0][static_cast<size_t>(indexArray_[0])]);
    }
    delegate->ReturnSelectedValueWithTag(indexArray_, tag_);
  } else if (buttonIndex == kCancelIndex && delegate) {
    delegate->PickerSheetReturnWithCancel();
  }
  indexArray_.clear();
  arrayManagement_.clear();
  columns_ = 0;
}
