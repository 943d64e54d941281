// The trade screen: shows the session's user and broker, agrees the trade session key when it
// appears, and lists the bank transfer screens and the transfer notes. A guest is asked to log
// in. Status-10 texts posted under "tradelogin" (trade errors, the trade time-out) are shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "account/SmsVerify.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "widgets/RequestWaiter.h"
#include "widgets/ScreenParts.h"

inline constexpr char kTradeTitle[] = "证券交易";
inline constexpr char kTradeKeyText[] = "20090514.01";
inline constexpr char kTradeAccountMissing[] = "请输入资金账号";
inline constexpr char kTradePasswordMissing[] = "请输入交易密码";
inline constexpr char kTradeLoginFirst[] = "请先登录交易账号";

class UIHKTransferViewController;

// A transfer screen of the type with its asset table's layout read (before its view loads).
std::shared_ptr<UIHKTransferViewController> MakeTransferScreen(int type);
// The text of a status-10 "tradelogin" record ("" for other records).
std::string TradeErrorText(const uint8_t* record, size_t size);

class TradeLoginViewController : public ui::ViewController,
                                 public Extend::ScreenHooks,
                                 public ui::TableViewDataSource,
                                 public ui::TableViewDelegate,
                                 public TradeVerifyDelegate,
                                 public AlertViewDelegate {
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
  // Opens the row's screen; the bank rows only after a trade login.
  void openRow(int row);
  // The trade login with the typed fund account and password (sent once the key is agreed).
  void tradeLogin();
  void handleTimeoutRequest() override;

  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

  // The verification's outcome shows in the status line.
  void tradeUserVerifyReturn(UserVerifyView& view, int8_t result, int tabBarIndex) override;
  const std::string& verifyText() const { return verifyText_; }

  ui::Label* statusLabel() const { return status_.get(); }
  ui::Label* tradeStateLabel() const { return tradeState_.get(); }
  ui::TextField* tradeAccountField() const { return accountField_.get(); }
  ui::TextField* tradePasswordField() const { return passwordField_.get(); }
  ui::Button* tradeLoginButton() const { return loginButton_.get(); }
  ui::TableView* tableView() const { return table_.get(); }
  int keyRequestCode() const { return keyCode_; }
  bool keyAgreed() const { return keyAgreed_; }
  static const std::vector<std::string>& rowTitles();

 private:
  void updateStatus();
  void sendTradeLogin();
  // A guest's notice: the trade screen needs a logged-in user.
  void showGuestNotice();

  std::shared_ptr<ui::Label> status_;
  // The trade login form, shown while there is no trade login; then the login's account.
  std::shared_ptr<ui::Label> tradeState_;
  std::shared_ptr<ui::TextField> accountField_, passwordField_;
  std::shared_ptr<ui::Button> loginButton_;
  std::shared_ptr<ReturnClosesKeyboard> returnCloses_ = std::make_shared<ReturnClosesKeyboard>();
  RequestWaiter waiter_;
  bool loginAfterKey_ = false;  // the login waits for the key exchange's answer
  std::string loggingIn_[2];    // the account and password of the login under way
  std::shared_ptr<ui::TableView> table_;
  int keyCode_ = -1;
  bool keyAgreed_ = false;
  std::string verifyText_;
  foundation::ObserversOf observers_{this};
};
