#include "messaging/MyMessage.h"

#include "core/CoreState.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MyMessageDetailController.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/WhileAlive.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"

namespace {

constexpr const char* kRelogin = "relogin";

}  // namespace

MyMessage::MyMessage() : store_(this), server_(std::make_shared<MessageServer>(store_, *this)) {}

void MyMessage::loadView() {
  buildScreen();
  observe();
}

void MyMessage::observe() {
  server_->observe();
  if (observing_) return;
  observing_ = true;
  ui::Observe(this, kRelogin, &MyMessage::UserReloginSuccess);
}

void MyMessage::viewWillAppear(bool animated) {
  if (IsLoginUserNameEmpty()) {
    // A guest has no messages: back to the first tab, nothing loaded or sent.
    if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->changeTabBarSelController(0);
    ui::ViewController::viewWillAppear(animated);
    return;
  }
  willActiveByClickTabBar();
  if (IsAdviserLogin() || store_.savedName() != GetLoginUserName()) {
    store_.initMessageFromFile();
  } else if (store_.brokerListArray().empty()) {
    // A centre opened from the More grid while the tab's centre holds the messages: its own
    // adviser rows come from the directory the tab's centre loaded.
    updateAllList_BrokerAccount();
  } else {
    store_.initBrokerListArray_NoBroker();
  }
  server_->requestBrokerList();
  store_.updateShowingMessageList();
  // The count too: a centre opened from the More grid shows the shared store's messages.
  store_.updateUnreadMessageCount();
  reloadMessageTable();
  ui::ViewController::viewWillAppear(animated);
  if (auto* navigation = navigationController()) {
    navigation->setNavigationBarHidden(false, false);
    Extend::setNavigationBarColorForiOS7(*this);
    // A message left open when the tab was changed is not shown again over the centre.
    if (dynamic_cast<MyMessageDetailController*>(navigation->topViewController()))
      navigation->popToViewController(this, false);
  }
  if (server_->hasDirectory() || store_.brokerList().GetRecordNum() > 0) {
    server_->requestList();
  } else {
    server_->requestOnOff();
  }
}

void MyMessage::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
  visibled_ = true;
}

void MyMessage::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  endEditMessage(true);
  if (!IsLoginUserNameEmpty()) store_.saveMessageToFile();
  visibled_ = false;
}

void MyMessage::initSomeFirst() {
  store_.initMessageFromFile();
  observe();
  server_->requestBrokerList();
}

void MyMessage::revertToAllFunc() {
  changeSelSubItem(1);
  server_->poll();
}

std::vector<const char*> MyMessage::menuTitles() {
  if (IsAdviserLogin()) return {"客户列表", "未读消息", "收件箱", "已发消息"};
  return {"我的投顾", "未读消息", "全部消息"};
}

void MyMessage::changeSelSubItem(int item) {
  if (menuBarView_) {
    menuBarView_->changeSelSubItem(item);  // informs MenuBarDidChangeToSubItem
    return;
  }
  selectedItem_ = item;
  menuItemChanged();
}

void MyMessage::MenuBarDidChangeToSubItem(int index, MenuBarView&) {
  selectedItem_ = index;
  menuItemChanged();
}

void MyMessage::menuItemChanged() {
  store_.updateShowingMessageList();
  store_.updateUnreadMessageCount();
  reloadMessageTable();
}

void MyMessage::timeRequest() {
  server_->startPolling();
}

void MyMessage::messageStored() {
  reloadMessageTable();
  store_.updateShowingMessageList();
  store_.updateUnreadMessageCount();
}

void MyMessage::directoryChanged(bool reloadTable) {
  updateAllList_BrokerAccount();
  if (reloadTable) reloadMessageTable();
}

void MyMessage::serverRefused(const std::string& text) {
  if (visibled_) ShowMessageAlert(text);
}

void MyMessage::UserReloginSuccess() {
  selectedItem_ = 2;
  if (menuBarView_) menuBarView_->updateBarWithItemsButtons(2, menuTitles());
  store_.initMessageFromFile();
  store_.updateShowingMessageList();
  reloadMessageTable();
  if (IsLoginUserNameEmpty()) return;
  server_->forgetDirectory();
  ResetBrokerTables();
  server_->requestBrokerList();
  server_->requestOnOff();
}
