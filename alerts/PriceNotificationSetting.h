// The price-alert editor "提醒设置" of one stock: a header with name, price and change, the
// ladder alert and three thresholds (rise price, fall price, change) each with a switch. Each
// appearance fetches the stored setting; "完成" checks the input and uploads it, or deletes the
// stock's setting when every alert is off. Opened by the settings list, which hands over the
// cached quote and then asks for a fresh one.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/MDBF.h"
#include "core/PendingRequests.h"
#include "core/StockData.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "widgets/AlertView.h"
#include "widgets/BaseControllers.h"
#include "widgets/RequestWaiter.h"

class PriceNotificationSetting : public ArScrollViewController,
                                 public ui::TableViewDataSource,
                                 public ui::TableViewDelegate,
                                 public AlertViewDelegate,
                                 public ui::AlertViewDelegate {
 public:
  static constexpr uint8_t kPageId = 52;
  static constexpr int kNameTag = 301;
  static constexpr int kPriceTag = 302;
  static constexpr int kChangeTag = 303;
  static constexpr int kRiseFieldTag = 511;
  static constexpr int kFallFieldTag = 512;
  static constexpr int kChangeFieldTag = 513;
  static constexpr int kAnswerAlertTag = 101;
  // Request-code slots.
  enum Slot { kSlotGet = 0, kSlotUpload = 1, kSlotStockQuote = 2, kSlotDelete = 3 };

  ~PriceNotificationSetting() override;

  // Copies the record and refreshes the header (when the view is loaded).
  void setStockData(const tagLocalStockData* data);
  void requestHQData(const char* code, int market);
  void requestSetting();
  void settingDone();
  void uploadSetting();
  void updateViewWithData(const MDBF& table);
  void recvmsg(const foundation::Notification& notification);
  void recvUpdataStock(const foundation::Notification& notification);
  void swtichValueChanged(ui::Switch& sender);

  const tagLocalStockData& stockData() const { return m_stockdata; }
  // The code the slot waits for, or -1.
  int32_t requestCode(Slot slot) const {
    const uint16_t code = pending_.codeOf(slot);
    return code ? code : -1;
  }
  ui::TableView* tableView() const { return _tableView.get(); }
  ::AlertView* waitingBox() const { return waiter_.box(); }
  ui::View* codeView() const { return _codeView.get(); }
  ui::View* editView(int i) const { return i >= 1 && i <= 3 ? editViews_[i - 1].get() : nullptr; }
  ui::TextField* field(int tag) const;
  // 1 the ladder alert, 2 rise, 3 fall, 4 change.
  ui::Switch* switchAt(int i) const { return i >= 1 && i <= 4 ? switches_[i - 1].get() : nullptr; }

  // ArScrollViewController
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void keyboardWasShown(const foundation::Notification& notification) override;
  void textFieldDidBeginEditing(ui::TextField& field) override;
  bool textFieldShouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                              const std::string& string) override;

  // Table
  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  std::string tableViewTitleForFooterInSection(ui::TableView& table, int section) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForHeaderInSection(ui::TableView& table, int section) override;
  double tableViewHeightForFooterInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::View> tableViewViewForFooterInSection(ui::TableView& table,
                                                            int section) override;
  std::shared_ptr<ui::View> tableViewViewForHeaderInSection(ui::TableView& table,
                                                            int section) override;
  bool tableViewCanEditRowAtIndexPath(ui::TableView&, const ui::IndexPath&) override {
    return false;
  }

  void handleTimeoutRequest() override;
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

 private:
  void buildHeader();
  void buildEditViews();
  void refreshHeader();
  void addLoginObserver();
  void removeLoginObserver();
  // The pad grew the page's scroll range for the edited field; once it goes, the range shrinks
  // back and the page must come back inside it.
  void keyboardWillHide();
  // The page ends where the pad begins (`padTop` in screen points), and the edited field shows
  // whole above it.
  void fitAbovePad(double padTop);
  void scrollFieldAbovePad(ui::TextField& field);
  // Shows the waiting box and takes a fresh code for the slot.
  uint16_t startExchange(Slot slot);

  std::shared_ptr<ui::TableView> _tableView;
  char keyboardHideOwner_ = 0;
  foundation::ObserversOf keyboardHideObservers_{&keyboardHideOwner_};
  RequestWaiter waiter_;
  PendingRequests<Slot> pending_;
  tagLocalStockData m_stockdata{};
  std::shared_ptr<ui::View> _codeView;
  std::array<std::shared_ptr<ui::View>, 3> editViews_;
  std::array<std::shared_ptr<ui::Switch>, 4> switches_;
  bool observing_ = false;
};
