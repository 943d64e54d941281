// The price-alert settings list "设置更改": one row (code, name) per stock with a stored setting,
// in the server's order. A tap opens the editor of that stock; in edit mode a swipe deletes one
// setting at once and "清空" deletes them all after a question.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "alerts/PriceAlertPage.h"
#include "core/MDBF.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Label.h"

class PriceNotificationModifySettingCell : public ui::TableViewCell {
 public:
  PriceNotificationModifySettingCell(ui::TableViewCellStyle style, const std::string& identifier);
  ui::Label* nameLabel() const { return nameLabel_.get(); }
  ui::Label* codeLabel() const { return codeLabel_.get(); }

 private:
  std::shared_ptr<ui::Label> nameLabel_;
  std::shared_ptr<ui::Label> codeLabel_;
};

class PriceNotificationModifySetting : public PriceAlertPage {
 public:
  static constexpr uint8_t kPageId = 53;
  static constexpr int kClearAlertTag = 102;
  enum Slot { kSlotList = 0, kSlotClear = 1, kSlotDelete = 2 };

  void requestList() override;
  void clearAllList();
  void deleteListItem(int row);
  void Btn_ReturnClicked();
  void Btn_EditClicked();
  void recvmsg(const foundation::Notification& notification) override;

  const MDBF& settings() const { return _messageInfo; }
  int32_t requestCode(Slot slot) const { return awaitedCode(slot); }
  bool isEditMode() const { return _EditEnabled; }
  ui::BarButtonItem* returnItem() const { return _btnReturn.get(); }
  ui::BarButtonItem* editItem() const { return _btnEdit.get(); }

  void viewDidLoad() override;

  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewCommitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                                   const ui::IndexPath& path) override;

  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

 private:
  std::shared_ptr<ui::BarButtonItem> _btnReturn;
  std::shared_ptr<ui::BarButtonItem> _btnEdit;
  bool _EditEnabled = false;
  MDBF _messageInfo;
};
