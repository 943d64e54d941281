// The account screen: login with a user name and password, guest entry, logout, and the accounts
// stored on the phone (newest first) in a panel that slides up from the bottom. It learns the
// outcome of its logins from "login" while visible; one success is reported per login.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "account/TraderSelect.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "shell/ScreenRoles.h"
#include "widgets/AlertView.h"
#include "widgets/RequestWaiter.h"
#include "widgets/ScreenParts.h"

inline constexpr char kAccountTitle[] = "账号管理";
inline constexpr int kAccountStatusTag = 20;
inline constexpr int kAccountAnchorTag = 21;
inline constexpr int kLogoutAlertTag = 101;
inline constexpr int kLoginDoneAlertTag = 102;
inline constexpr int kClearListAlertTag = 103;
inline constexpr int kDeleteAccountAlertTag = 104;
inline constexpr char kLoginSuccessText[] = "登录成功";
inline constexpr char kOnlineMark[] = "当前在线";
inline constexpr double kAccountPanelSeconds = 0.4;

class AccountManager : public ui::ViewController,
                       public AccountRole,
                       public ReturnClosesKeyboard,
                       public ::AlertViewDelegate,
                       public ui::AlertViewDelegate,
                       public ui::TableViewDataSource,
                       public ui::TableViewDelegate {
 public:
  AccountManager();
  ~AccountManager() override;

  // --- AccountRole ---
  // Also closes the screen after the login.
  void setTabBarClickIndex(int index) override;
  void setCloseAfterLogin(bool close) override { closeAfterLogin_ = close; }
  int tabBarClickIndex() const { return tabBarClickIndex_; }
  bool closeAfterLogin() const { return closeAfterLogin_; }

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidUnload() override;

  // --- User actions ---
  void UserLogin();
  void GuestLogin();
  void RegisterAndGetPwd();
  void btn_Logout();
  void LogOut();
  void AccountSelect();
  void SelectCancel();
  // The remember switch flipped: the stored account the form names keeps the choice.
  void SwitchButton();
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  void handleTimeoutRequest() override;

  // --- Requests and answers ---
  void Request_RenZhengLogin(bool flag);
  void Request_Logout(int brokerCode, int branchCode);
  void recvmsg(const foundation::Notification& notification);

  void setLoginInfo(const std::string& user, const std::string& password);
  void updateAccountStatus();
  // The status line for a session online or not, as a guest when no user is logged in.
  void showAccountStatus(bool online);
  void addNewAccountInfo(foundation::Value record);
  void initAccountInfoFromFile();
  void saveAccountInfoToFile();
  void showAccountSelectView(bool show);
  // Chooses a stored account as a tap on its row does.
  void selectAccountRow(int row);
  // The row's delete button: asks first, for the account's mail and settings on the phone go
  // with it.
  void deleteAccountRow(int row);
  // The deletion confirmed: the record, and what the client stored for the user.
  void deleteAccount(const std::string& user);

  // --- Table ---
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

  // Places a broker/branch form in the slot (after the view loaded; the screen keeps none of
  // its own).
  void setTraderTypeSelectView(std::shared_ptr<TraderTypeSelectView> form);
  TraderTypeSelectView* traderTypeSelectView() const { return traderTypeSelectView_.get(); }

  // --- For tests ---
  ui::TextField* m_user() const { return user_.get(); }
  ui::TextField* m_password() const { return password_.get(); }
  ui::Button* m_btnUserLogin() const { return btnUserLogin_.get(); }
  ui::Button* m_btnRegistry() const { return btnRegistry_.get(); }
  ui::Button* m_btnGuestLogin() const { return btnGuestLogin_.get(); }
  ui::Button* m_BtnSelectAccount() const { return btnSelectAccount_.get(); }
  ui::Switch* m_RememberSwitch() const { return rememberSwitch_.get(); }
  ui::BarButtonItem* m_btnLogout() const { return btnLogout_.get(); }
  ui::Label* statusLabel();
  AlertView* waitingBox() const { return waiter_.box(); }
  const foundation::Array& accounts() const { return accounts_; }
  ui::View* accountSelectView() const { return accountSelectView_.get(); }
  ui::View* topgroundView() const { return topgroundView_.get(); }
  ui::TableView* accountTable() const { return tableView_.get(); }
  int requestCodeRZ() const { return requestCodeRZ_; }
  bool isObserving() const { return observing_; }

 private:
  void showLoginProcess(ui::Button* button);
  void hideWaiting();
  // The login failed (refused, unanswered, no connection): the box goes, the buttons work again.
  void failWaiting();
  // Brings back the user's session the failed login had replaced, in the background (with
  // `guestToo`, a guest's session that was online too); false when there was none (the session
  // stays a guest's). The status says "未登录" until the session is back.
  bool restoreSession(bool guestToo);
  void startLogin(const std::string& user, const std::string& password, int brokerCode,
                  int branchCode);
  void resetToGuest();
  void initAccountSelectView();
  void stopObserving();

  std::shared_ptr<ui::TextField> user_;
  std::shared_ptr<ui::TextField> password_;
  RequestWaiter waiter_;
  std::shared_ptr<ui::Button> btnUserLogin_;
  std::shared_ptr<ui::Button> btnGuestLogin_;
  std::shared_ptr<ui::BarButtonItem> btnLogout_;
  std::shared_ptr<ui::Switch> rememberSwitch_;
  std::shared_ptr<ui::Button> btnRegistry_;
  std::shared_ptr<ui::View> realView1_;
  int tabBarClickIndex_ = -1;
  bool closeAfterLogin_ = false;
  foundation::Array accounts_;
  std::shared_ptr<ui::View> accountSelectView_;
  std::shared_ptr<ui::ImageView> topgroundView_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<TraderTypeSelectView> traderTypeSelectView_;
  int requestCodeRZ_ = -1;
  // The login under way is the guest login that follows a logout: it reports no success.
  bool quietLogin_ = false;
  // Whether the session was online when the login under way began: a refused login leaves it a
  // guest's as it was, which the status keeps showing.
  bool onlineBeforeLogin_ = false;
  // The user's session in place when a user login began. The login replaces it only once
  // accepted: refused or unanswered, the earlier user is logged in again and the screen, the
  // More bar and the session stay theirs.
  struct EarlierSession {
    std::string user, password;
    int brokerCode = 0, branchCode = 0;
    std::string brokerName, branchName;
  };
  std::optional<EarlierSession> earlier_;
  // The login under way brings the earlier session back: it reports no success of its own.
  bool restoring_ = false;
  std::shared_ptr<ui::Button> btnSelectAccount_;
  bool observing_ = false;
  std::string deleting_;  // the user whose deletion awaits its confirmation
};
