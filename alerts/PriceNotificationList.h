// The received price alerts "提醒消息", grouped by day under day headers in the server's order.
// "清空" empties the list on the server; a tapped alert opens its stock's detail screen.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "alerts/PriceAlertPage.h"
#include "core/MDBF.h"
#include "core/PriceAlertReplies.h"
#include "platform/ui/Label.h"

class PriceNotificationListCell : public ui::TableViewCell {
 public:
  PriceNotificationListCell(ui::TableViewCellStyle style, const std::string& identifier);
  // Lays the labels out for a row of height h (two lines of h / 2).
  void setCellHeight(double h);
  ui::Label* nameLabel() const { return nameLabel_.get(); }
  ui::Label* timeLabel() const { return timeLabel_.get(); }
  ui::Label* contentLabel() const { return contentLabel_.get(); }

 private:
  std::shared_ptr<ui::Label> nameLabel_;
  std::shared_ptr<ui::Label> timeLabel_;
  std::shared_ptr<ui::Label> contentLabel_;
};

class PriceNotificationList : public PriceAlertPage {
 public:
  static constexpr uint8_t kPageId = 51;
  static constexpr int kClearAlertTag = 102;
  enum Slot { kSlotList = 0, kSlotClear = 1 };

  void requestList() override;
  void deleteList();
  void clearMessages();
  void recvmsg(const foundation::Notification& notification) override;
  void parsePriceNotificationList();

  const std::vector<PriceAlertDay>& days() const { return _listArray; }
  int32_t requestCode(Slot slot) const { return awaitedCode(slot); }

  void viewDidLoad() override;

  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::string tableViewTitleForHeaderInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForHeaderInSection(ui::TableView& table, int section) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  bool tableViewCanEditRowAtIndexPath(ui::TableView&, const ui::IndexPath&) override {
    return false;
  }

  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

 private:
  const PriceAlertRow* rowAt(const ui::IndexPath& path) const;

  MDBF _messageInfo;
  std::vector<PriceAlertDay> _listArray;
};
