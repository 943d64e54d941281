#include "messaging/MyMessage.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/LineStep.h"
#include "core/MessageRequests.h"
#include "core/PacketHeader.h"
#include "core/ReceiveRecord.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MyMessageDetailController.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "shell/SharedTool.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"

using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr const char* kNotification = "MyMessage";
// A content may not gather more than its part count allows: 255 parts of one record each.
constexpr size_t kMaxContentBytes = 255u * kReceiveRecordBodyCapacity;

std::weak_ptr<foundation::Timer>& PollTimer() {
  static std::weak_ptr<foundation::Timer> timer;
  return timer;
}

std::function<void()>& ListRequestPause() {
  static std::function<void()> pause;
  return pause;
}

std::string Without(std::string text, const char* drop) {
  std::erase_if(text, [drop](char c) { return std::strchr(drop, c) != nullptr && c != '\0'; });
  return text;
}

void ActivityOff() {
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
}

void ActivityOn() {
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
}

}  // namespace

MyMessage::MyMessage() : store_(this) {
  requestCodes_.fill(-1);
}

MyMessage::~MyMessage() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

void MyMessage::loadView() {
  buildScreen();
  observe();
}

void MyMessage::observe() {
  // One registration however often the view loads and initSomeFirst runs: a second one would
  // append a middle content part twice.
  if (observing_) return;
  observing_ = true;
  auto& center = foundation::NotificationCenter::defaultCenter();
  std::weak_ptr<MyMessage> weak = weakAs<MyMessage>();
  center.addObserver(this, kNotification, [weak](const foundation::Notification& n) {
    if (auto self = weak.lock()) self->recvmsg(n);
  });
  center.addObserver(this, "relogin", [weak](const foundation::Notification&) {
    if (auto self = weak.lock()) self->UserReloginSuccess();
  });
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
  } else {
    store_.initBrokerListArray_NoBroker();
  }
  requestBrokerList();
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
  if (receivedStaff_.GetRecordNum() > 0 || store_.brokerList().GetRecordNum() > 0) {
    request_MessageList();
  } else {
    requestOnOffMessage();
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
  requestBrokerList();
}

void MyMessage::revertToAllFunc() {
  changeSelSubItem(1);
  timeRequestAll();
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
  if (!PollTimer().expired()) return;
  std::weak_ptr<MyMessage> weak = weakAs<MyMessage>();
  auto timer = foundation::Timer::schedule(kPollSeconds, true, [weak](foundation::Timer&) {
    if (auto self = weak.lock()) self->timeRequestAll();
  });
  PollTimer() = timer;
}

void MyMessage::stopTimer() {
  if (auto timer = PollTimer().lock()) timer->invalidate();
  PollTimer().reset();
}

void MyMessage::setListRequestPause(std::function<void()> pause) {
  ListRequestPause() = std::move(pause);
}

void MyMessage::timeRequestAll() {
  if (IsLoginUserNameEmpty()) return;
  willActiveByClickTabBar();
  request_MessageList();
}

void MyMessage::request_MessageList() {
  if (!needRequest_) return;
  messageList_.Clear();
  requestCodes_[kList] = NextRequestCode(GlobalDataRequest());
  std::string user = GetLoginUserName();
  int64_t start =
      std::strtoll(foundation::UserDefaults::standard().string(StartIdKey(user)).c_str(), nullptr, 10);
  if (start == 0 && !store_.totalMessages().empty()) {
    start = store_.totalMessages().front()["id"].toInt(0);
  }
  MakeRequest_MessageList(GlobalDataRequest(), 0, static_cast<uint16_t>(requestCodes_[kList]),
                          start, kListPageSize, kPageId);
  ActivityOn();
  needRequest_ = false;
}

void MyMessage::requestMessageContent() {
  if (currentRequestIndex_ < 0 || currentRequestIndex_ >= static_cast<int>(listIds_.size())) {
    return;
  }
  auto [id, oid] = listIds_[currentRequestIndex_];
  foundation::logInfo("request message id ==== %lld  %lld", static_cast<long long>(id),
                      static_cast<long long>(oid));
  request_MessageGetContent(id, oid);
  ++currentRequestIndex_;
}

void MyMessage::request_MessageGetContent(int64_t id, int64_t oid) {
  requestCodes_[kContent] = NextRequestCode(GlobalDataRequest());
  recMailData_.clear();
  nextMailPart_ = 0;
  MakeRequest_MessageGetContent(GlobalDataRequest(), 0,
                                static_cast<uint16_t>(requestCodes_[kContent]), id, oid, 0, -1,
                                kPageId);
  ActivityOn();
}

void MyMessage::request_MessageDelete(int64_t id) {
  requestCodes_[kDelete] = NextRequestCode(GlobalDataRequest());
  MakeRequest_MessageDelete(GlobalDataRequest(), 0, static_cast<uint16_t>(requestCodes_[kDelete]),
                            id, kPageId);
}

void MyMessage::requestBrokerList() {
  if (AreBrokerTablesLoaded()) return;
  std::string user = GetLoginUserName();
  std::string qsid = GetQSID();
  requestCodes_[kStaff] = NextRequestCode(GlobalDataRequest());
  if (IsAdviserLogin()) {
    MakeRequest_BrokerList(GlobalDataRequest(), 0, static_cast<uint16_t>(requestCodes_[kStaff]),
                           user.c_str(), qsid.c_str(), 107, kPageId);
    if (ListRequestPause()) {
      ListRequestPause()();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    requestCodes_[kClients] = NextRequestCode(GlobalDataRequest());
    MakeRequest_BrokerList(GlobalDataRequest(), 0, static_cast<uint16_t>(requestCodes_[kClients]),
                           user.c_str(), qsid.c_str(), 108, kPageId);
  } else {
    MakeRequest_BrokerList(GlobalDataRequest(), 0, static_cast<uint16_t>(requestCodes_[kStaff]),
                           user.c_str(), qsid.c_str(), 104, kPageId);
  }
}

void MyMessage::requestOnOffMessage() {
  if (IsAdviserLogin()) return;
  requestCodes_[kOnOffQuery] = NextRequestCode(GlobalDataRequest());
  std::string user = GetLoginUserName();
  std::string password = GetLoginPassword();
  MakeRequest_OnOffMessage(GlobalDataRequest(), 0,
                           static_cast<uint16_t>(requestCodes_[kOnOffQuery]), user.c_str(),
                           password.c_str(), "21");
}

void MyMessage::requestUploadOnOffMessage() {
  if (IsAdviserLogin()) return;
  requestCodes_[kOnOffUpload] = NextRequestCode(GlobalDataRequest());
  std::string user = GetLoginUserName();
  std::string password = GetLoginPassword();
  std::string list = GetOffMessageBrokersUTF8().value_or("");
  MakeRequest_UploadOnOffMessage(GlobalDataRequest(), 0,
                                 static_cast<uint16_t>(requestCodes_[kOnOffUpload]), user.c_str(),
                                 password.c_str(), list.c_str());
}

void MyMessage::recvmsg(const foundation::Notification& notification) {
  const Value& data = notification.userInfo[kReceiveRecordKey];
  if (!data.isData()) return;
  takeRecord(data.asData().data(), static_cast<int>(data.asData().size()));
}

void MyMessage::fail(Slot slot, const std::string& text) {
  requestCodes_[slot] = -1;
  if (visibled_ && !text.empty()) ShowMessageAlert(text);
}

void MyMessage::takeRecord(const uint8_t* record, int size) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, size, view)) return;
  if (view.status != kReceiveStatusPacket || view.header.MainType != kMainTypeLogin) return;
  const int code = view.requestCode() & 0x3FFF;
  const bool error = view.header.isError();
  const uint8_t child = view.header.ChildType;
  auto matches = [this, code](Slot slot) { return requestCodes_[slot] == code; };
  switch (child) {
    case 100: {
      if (!matches(kList)) return;
      ActivityOff();
      requestCodes_[kList] = -1;
      if (error) {
        if (visibled_) ShowMessageAlert(view.errorText());
        return;
      }
      messageList_.Clear();
      if (messageList_.Parse(view.body, view.bodyLen) < 0) messageList_.Clear();
      foundation::logInfo("Receive message list:%d", messageList_.GetRecordNum());
      listIds_.clear();
      currentRequestIndex_ = 0;
      for (int i = 0; i < messageList_.GetRecordNum(); ++i) {
        messageList_.Seek(i);
        listIds_.emplace_back(messageList_.GetInt64(20), messageList_.GetInt64(42));
      }
      requestMessageContent();
      return;
    }
    case 101:
      if (!matches(kContent)) return;
      ActivityOff();
      if (error) {
        fail(kContent, view.errorText());
        return;
      }
      takeContentPart(view.header, view.body, view.bodyLen);
      return;
    case 102:
      ActivityOff();
      requestCodes_[kDelete] = -1;
      return;
    case 104:
    case 107:
      if (!matches(kStaff)) return;
      if (error) return fail(kStaff, view.errorText());
      takeDirectoryPart(kStaff, receivedStaff_, view.header, view.body, view.bodyLen);
      return;
    case 108:
      if (!matches(kClients)) return;
      if (error) return fail(kClients, view.errorText());
      takeDirectoryPart(kClients, receivedClients_, view.header, view.body, view.bodyLen);
      return;
    case 109:
      if (!matches(kClientTags)) return;
      if (error) return fail(kClientTags, view.errorText());
      takeDirectoryPart(kClientTags, receivedTags_, view.header, view.body, view.bodyLen);
      return;
    case 29: {
      if (!matches(kOnOffQuery)) return;
      if (error) return fail(kOnOffQuery, view.errorText());
      CLineStep kv;
      kv.Append(view.body, static_cast<uint32_t>(std::max(view.bodyLen, 0)));
      char list[1024] = {};
      kv.GetValue(21, list, sizeof list);
      SetOffMessageBrokers(list);
      return;
    }
    case 28:
      if (!matches(kOnOffUpload)) return;
      ApplyOnOffUploadResult(error ? 1 : 0);
      return;
    default:
      return;
  }
}

void MyMessage::takeContentPart(const PacketHeader& header, const uint8_t* body, int length) {
  const int parts = std::max<int>(1, header.PackageNum);
  if (header.PackageNo == 0) {
    recMailData_.clear();
    nextMailPart_ = 0;
  }
  if (header.PackageNo != nextMailPart_ ||
      recMailData_.size() + static_cast<size_t>(std::max(length, 0)) > kMaxContentBytes) {
    // A part out of order (or a content past its bound): what was gathered cannot be trusted.
    foundation::logError("!!!!!!! message content part %d of %d out of order, dropped",
                         header.PackageNo, parts);
    recMailData_.clear();
    nextMailPart_ = -1;
    return;
  }
  recMailData_.append(reinterpret_cast<const char*>(body), static_cast<size_t>(std::max(length, 0)));
  ++nextMailPart_;
  foundation::logInfo("receive mail(%d-%d) current page size = %d", header.PackageNo, parts,
                      length);
  if (header.PackageNo + 1 < parts) return;

  requestCodes_[kContent] = -1;
  std::string text(recMailData_.c_str());  // up to the first NUL, as the server's string
  recMailData_.clear();
  nextMailPart_ = 0;
  Value message = MessageFromContent(text);
  if (message.isNull()) {
    // Left on the server with the start id unchanged; the next entry is fetched so that one
    // broken message does not stop every later one.
    foundation::logError("!!!!!!! Error:XML parse failed! (%zu bytes)", text.size());
    requestMessageContent();
    return;
  }
  int64_t id = message["id"].toInt(0);
  // Named by id, sender and size: a message's title and text stay out of the log.
  foundation::logInfo("received message %lld from %s: %zu bytes", static_cast<long long>(id),
                      message["brokerID"].toString().c_str(), text.size());
  if (!store_.addNewMessage(message)) {
    // Not saved (a full disk): keep it on the server and the start id where it was; the next
    // cycle fetches it again and the store keeps it once.
    foundation::logError("!!!!!!! message %lld not saved, left on the server",
                         static_cast<long long>(id));
    return;
  }
  std::string user = GetLoginUserName();
  auto& defaults = foundation::UserDefaults::standard();
  defaults.set(StartIdKey(user), Value(std::to_string(id)));
  defaults.synchronize();
  request_MessageDelete(id);
  requestMessageContent();
  reloadMessageTable();
  store_.updateShowingMessageList();
  store_.updateUnreadMessageCount();
}

Value MyMessage::MessageFromContent(const std::string& text) {
  Value parsed = XMLReader::dictionaryForXMLString(text);
  const Value& data = parsed["data"];
  if (!data.isDictionary()) return Value();
  auto element = [&data](const char* name) -> std::optional<std::string> {
    const Value& e = data[name];
    if (e.isNull()) return std::nullopt;
    return e["Content"].toString();
  };
  std::string idText = Without(element("id").value_or(""), " \n\r");
  if (idText.empty()) return Value();
  char* end = nullptr;
  errno = 0;
  long long id = std::strtoll(idText.c_str(), &end, 10);
  if (end == idText.c_str() || errno == ERANGE) return Value();
  auto orBlank = [](const std::optional<std::string>& v) {
    return v && !v->empty() ? *v : std::string(" ");
  };
  Dictionary m;
  m.set("id", Value(static_cast<int64_t>(id)));
  m.set("unread", Value(1));
  m.set("title", Value(orBlank(element("title"))));
  m.set("date", Value(orBlank(element("msgtime"))));
  auto from = element("from");
  std::string brokerId = from ? Without(*from, "\n") : std::string();
  if (brokerId.empty()) brokerId = " ";
  m.set("brokerID", Value(brokerId));
  std::string sender = element("fromname").value_or("");
  m.set("sender", Value(sender.empty() ? brokerId : sender));
  m.set("content", Value(orBlank(element("content"))));
  std::string typeId = orBlank(element("typeid"));
  m.set("typeid", Value(typeId));
  auto optional = [&m, &element](const char* key, const char* name) {
    auto v = element(name);
    if (v && !v->empty()) m.set(key, Value(*v));
  };
  optional("goldcode", "goldcode");
  m.set("messagesource", Value(idText + "," + typeId));
  optional("messageProductType", "producttype");
  optional("messageExt1", "Ext1");
  optional("taskid", "taskid");
  optional("taskstatus", "taskstatus");
  return Value(std::move(m));
}

void MyMessage::takeDirectoryPart(Slot slot, MDBF& table, const PacketHeader& header,
                                  const uint8_t* body, int length) {
  if (header.PackageNo == 0) {
    table.Clear();
    if (table.Parse(body, length) < 0) table.Clear();
  } else {
    table.AppendPacket(body, length);
  }
  if (header.PackageNo + 1 < header.PackageNum) return;
  requestCodes_[slot] = -1;
  if (slot == kStaff) {
    LoadStaffTable(table);
    updateAllList_BrokerAccount();
    if (!IsAdviserLogin()) {
      reloadMessageTable();
      request_MessageList();
    }
  } else if (slot == kClients) {
    requestCodes_[kClientTags] = NextRequestCode(GlobalDataRequest());
    std::string user = GetLoginUserName();
    std::string qsid = GetQSID();
    MakeRequest_BrokerList(GlobalDataRequest(), 0,
                           static_cast<uint16_t>(requestCodes_[kClientTags]), user.c_str(),
                           qsid.c_str(), 109, kPageId);
    LoadClientTable(table);
    updateAllList_BrokerAccount();
    reloadMessageTable();
    request_MessageList();
  } else if (slot == kClientTags) {
    LoadClientTagTable(table);
    updateAllList_BrokerAccount();
  }
}

void MyMessage::UserReloginSuccess() {
  selectedItem_ = 2;
  if (menuBarView_) {
    if (IsAdviserLogin()) {
      menuBarView_->updateBarWithItemsButtons(2, {"客户列表", "未读消息", "收件箱", "已发消息"});
    } else {
      menuBarView_->updateBarWithItemsButtons(2, {"我的投顾", "未读消息", "全部消息"});
    }
  }
  store_.initMessageFromFile();
  store_.updateShowingMessageList();
  reloadMessageTable();
  if (IsLoginUserNameEmpty()) return;
  receivedStaff_.Clear();
  receivedClients_.Clear();
  receivedTags_.Clear();
  ResetBrokerTables();
  requestBrokerList();
  requestOnOffMessage();
}
