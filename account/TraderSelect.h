// Broker and branch selection: the two-row form an account screen places in its slot, the
// pushed list of brokers or of one broker's branches, and the broker information page. All
// three ask the authentication server and hear the answers as "TraderTypeSelect".
#pragma once

#include <memory>
#include <string>

#include "account/AccountUi.h"
#include "core/MDBF.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"
#include "widgets/RenewingRequest.h"

inline constexpr int kTraderInfoWebTag = 1301;
inline constexpr uint8_t kTraderListPageId = 40;
inline constexpr uint8_t kTraderInfoPageId = 42;
inline constexpr char kChooseBrokerTitle[] = "选择券商";
inline constexpr char kChooseBranchTitle[] = "选择营业部";

class TraderSelectViewController;

class TraderSelectViewDelegate {
 public:
  virtual ~TraderSelectViewDelegate() = default;
  virtual void TraderSelectViewDone(TraderSelectViewController& list, int code,
                                    const std::string& name, int listType) = 0;
};

class TraderTypeSelectView : public ui::View, public TraderSelectViewDelegate {
 public:
  explicit TraderTypeSelectView(const gfx::Rect& frame);
  static std::shared_ptr<TraderTypeSelectView> initWithFrame(const gfx::Rect& frame);

  void setNavigationController(ui::NavigationController* navigation) {
    navigation_ = navigation ? navigation->weakAs<ui::NavigationController>()
                             : std::weak_ptr<ui::NavigationController>();
  }
  void setQSMC(const std::string& name, int code);
  void setYYBMC(const std::string& name, int code);
  int getQSDM() const { return qsdm_; }
  const std::string& getQSMC() const { return qsmc_; }
  int getYYBDM() const { return yybdm_; }
  const std::string& getYYBMC() const { return yybmc_; }
  // False, once the user is told which, while no broker or no branch is chosen.
  bool checkChosen() const;
  void buttonAction(ui::Control& sender);
  void TraderSelectViewDone(TraderSelectViewController& list, int code, const std::string& name,
                            int listType) override;

  ui::Button* brokerButton() const { return btnQuanShang_.get(); }
  ui::Button* branchButton() const { return btnYingYeBu_.get(); }

 private:
  void build();

  std::shared_ptr<ui::Button> btnQuanShang_;
  std::shared_ptr<ui::Button> btnYingYeBu_;
  std::weak_ptr<ui::NavigationController> navigation_;
  int qsdm_ = -1;
  std::string qsmc_;
  int yybdm_ = -1;
  std::string yybmc_;
};

// What the list and the information page share: pushed without the tab bar, a refresh button,
// the "TraderTypeSelect" answers heard while shown, and the request sent on each appearance.
// Only the answer to the latest request is taken; while none came, what the screen shows stays
// and it asks again by itself (after an error, a time-out, a dropped connection).
class TraderRequestScreen : public ui::ViewController {
 public:
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  // The refresh control and each appearance.
  virtual void DataRefresh() = 0;
  virtual void recvmsg(const foundation::Notification& notification) = 0;
  const RenewingRequest& live() const { return live_; }

 protected:
  TraderRequestScreen() { setHidesBottomBarWhenPushed(true); }
  // Sends the screen's request as a new round (also when it asks again by itself).
  virtual void sendRequest() = 0;
  // The user asked: an error of this request is told again.
  void askForUser();
  // The answer with that code was taken whole.
  void roundAnswered(uint16_t code);
  // The latest round failed: its error text is told once, not at every asking again.
  void roundFailed(const ReceiveRecordView* error);

  RenewingRequest live_;

 private:
  bool errorTold_ = false;
  foundation::ObserversOf observers_{this};
};

class TraderSelectViewController : public TraderRequestScreen,
                                   public ui::TableViewDataSource,
                                   public ui::TableViewDelegate {
 public:
  void setListType(int listType, int brokerCode) {
    listType_ = listType;
    qsdm_ = brokerCode;
  }
  void setDelegate(std::weak_ptr<TraderSelectViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void DataRefresh() override;
  void recvmsg(const foundation::Notification& notification) override;

  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

  int listType() const { return listType_; }
  // The list shown: the last answer taken whole.
  MDBF& listDBF() { return listDBF_; }
  ui::TableView* tableView() const { return tableView_.get(); }
  // The text of a row as shown.
  std::string rowText(int row);

 protected:
  void sendRequest() override;

 private:
  std::weak_ptr<TraderSelectViewDelegate> delegate_;
  std::shared_ptr<ui::TableView> tableView_;
  int listType_ = 0;
  MDBF listDBF_;
  // The list comes in several packets: they gather apart and replace the list shown only when
  // the latest request's answer is whole.
  accountui::PacketGather incoming_;
  int qsdm_ = 0;
};

class TraderInfoController : public TraderRequestScreen, public ui::WebViewDelegate {
 public:
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void DataRefresh() override;
  void recvmsg(const foundation::Notification& notification) override;
  void webViewDidFinishLoad(ui::WebView& web) override;

  ui::WebView* webView();

 protected:
  void sendRequest() override;
};

// The refresh control of the list and information screens' navigation bars.
std::shared_ptr<ui::Button> MakeRefreshButton(std::function<void()> action);
