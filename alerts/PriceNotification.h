// The price-alert menu "价格提醒": each appearance asks whether the user holds the price-alert
// permission. With it, "提醒消息" opens the received alerts and "设置更改" the settings list;
// without it, one row "权限申请" applies for it and shows the server's answer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "alerts/PriceAlertPage.h"

class PriceNotification : public PriceAlertScreen {
 public:
  static constexpr uint8_t kPageId = 50;
  static constexpr int kApplyAlertTag = 103;
  static constexpr int kLoginAlertTag = 1020;
  enum Slot { kSlotQuery = 0, kSlotApply = 1 };
  static constexpr char kApplyText[] =
      "您正在申请Trevane价格提醒权限，继续将发信给您的客户经理，返回请取消 \n"
      "注:同时包含自定义价格提醒权限";

  void queryAuthority();
  void applyAuthority();
  void recvmsg(const foundation::Notification& notification) override;

  bool havePriceNotification() const { return _bHavePriceNotification; }
  int32_t requestCode(Slot slot) const { return awaitedCode(slot); }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  bool tableViewCanEditRowAtIndexPath(ui::TableView&, const ui::IndexPath&) override {
    return false;
  }

  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

 private:
  bool _bHavePriceNotification = false;
};
