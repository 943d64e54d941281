// The trade screen: shows the session's user and broker, agrees the trade session key when it
// appears, and lists the bank transfer screens and the transfer notes. A guest is asked to log
// in. Status-10 texts posted under "tradelogin" (trade errors, the trade time-out) are shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "account/SmsVerify.h"
#include "shell/Extend.h"

inline constexpr char kTradeTitle[] = "证券交易";
inline constexpr char kTradeKeyText[] = "20090514.01";

class UIHKTransferViewController;

// A transfer screen of the type with its asset table's layout read (before its view loads).
std::shared_ptr<UIHKTransferViewController> MakeTransferScreen(int type);
// The text of a status-10 "tradelogin" record ("" for other records).
std::string TradeErrorText(const uint8_t* record, size_t size);

class TradeLoginViewController : public ui::ViewController,
                                 public Extend::ScreenHooks,
                                 public ui::TableViewDataSource,
                                 public ui::TableViewDelegate,
                                 public TradeVerifyDelegate {
 public:

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  // The menu ends above the index ticker, so that it scrolls to its last row.
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // Sends the key exchange; its answer sets the trade session key.
  void requestSessionKey();
  void recvmsg(const foundation::Notification& notification);
  void recvTradeLogin(const foundation::Notification& notification);
  // Opens the row's screen.
  void openRow(int row);

  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

  // The verification's outcome shows in the status line.
  void tradeUserVerifyReturn(UserVerifyView& view, int8_t result, int tabBarIndex) override;
  const std::string& verifyText() const { return verifyText_; }

  ui::Label* statusLabel() const { return status_.get(); }
  ui::TableView* tableView() const { return table_.get(); }
  int keyRequestCode() const { return keyCode_; }
  bool keyAgreed() const { return keyAgreed_; }
  static const std::vector<std::string>& rowTitles();

 private:
  void updateStatus();

  std::shared_ptr<ui::Label> status_;
  std::shared_ptr<ui::TableView> table_;
  int keyCode_ = -1;
  bool keyAgreed_ = false;
  std::string verifyText_;
  foundation::ObserversOf observers_{this};
};
