#include "messaging/MessageServer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/LineStep.h"
#include "core/MessageRequests.h"
#include "core/MessageTypes.h"
#include "core/ReceiveRecord.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageStore.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/WhileAlive.h"
#include "shell/SharedTool.h"

using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr const char* kServerNotification = "MyMessage";
// A content may not gather more than its part count allows: 255 parts of one record each.
constexpr size_t kMaxContentBytes = 255u * kReceiveRecordBodyCapacity;

std::string Without(std::string text, const char* drop) {
  std::erase_if(text, [drop](char c) { return std::strchr(drop, c) != nullptr && c != '\0'; });
  return text;
}

void Activity(bool on) {
  ui::Application::shared().setNetworkActivityIndicatorVisible(on);
}

}  // namespace

MessageServer::MessageServer(MyMessageStore& store, MessageServerListener& listener)
    : store_(store), listener_(listener) {}

MessageServer::~MessageServer() {
  if (clientsTimer_) clientsTimer_->invalidate();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

void MessageServer::observe() {
  MessagingSession::shared().attach(weak_from_this());
  // One registration however often the centre loads: a second one would append a middle content
  // part twice.
  if (observing_) return;
  observing_ = true;
  foundation::NotificationCenter::defaultCenter().addObserver(
      this, kServerNotification, ui::WhileAlive(weak_from_this(), &MessageServer::recvmsg));
}

void MessageServer::recvmsg(const foundation::Notification& notification) {
  const Value& data = notification.userInfo[kReceiveRecordKey];
  if (!data.isData()) return;
  takeRecord(data.asData().data(), static_cast<int>(data.asData().size()));
}

// --- polling ------------------------------------------------------------------------------------

void MessageServer::startPolling() {
  MessagingSession& session = MessagingSession::shared();
  session.attach(weak_from_this());
  session.startPolling();
}

void MessageServer::poll() {
  if (IsLoginUserNameEmpty()) return;
  setNeedsRequest();
  requestList();
}

// --- requests -----------------------------------------------------------------------------------

int MessageServer::requestCode(Slot slot) const {
  const uint16_t code = pending_.codeOf(slot);
  return code ? code : -1;
}

bool MessageServer::awaited(Slot slot, uint16_t code) const {
  const Slot* found = pending_.find(code);
  return found && *found == slot;
}

void MessageServer::requestList() {
  if (!needRequest_) return;
  messageList_.Clear();
  const uint16_t code = pending_.renew(GlobalDataRequest(), kList);
  const std::string user = GetLoginUserName();
  int64_t start = std::strtoll(
      foundation::UserDefaults::standard().string(StartIdKey(user)).c_str(), nullptr, 10);
  if (start == 0 && !store_.totalMessages().empty()) {
    start = store_.totalMessages().front()["id"].toInt(0);
  }
  MakeRequest_MessageList(GlobalDataRequest(), 0, code, start, kListPageSize, kPageId);
  Activity(true);
  needRequest_ = false;
}

void MessageServer::requestNextContent() {
  if (currentRequestIndex_ < 0 || currentRequestIndex_ >= static_cast<int>(listIds_.size())) {
    return;
  }
  auto [id, oid] = listIds_[currentRequestIndex_];
  foundation::logInfo("request message id ==== %lld  %lld", static_cast<long long>(id),
                      static_cast<long long>(oid));
  requestContent(id, oid);
  ++currentRequestIndex_;
}

void MessageServer::requestContent(int64_t id, int64_t oid) {
  const uint16_t code = pending_.renew(GlobalDataRequest(), kContent);
  recMailData_.clear();
  nextMailPart_ = 0;
  MakeRequest_MessageGetContent(GlobalDataRequest(), 0, code, id, oid, 0, -1, kPageId);
  Activity(true);
}

void MessageServer::requestDelete(int64_t id) {
  const uint16_t code = pending_.renew(GlobalDataRequest(), kDelete);
  MakeRequest_MessageDelete(GlobalDataRequest(), 0, code, id, kPageId);
}

void MessageServer::requestDirectory(Slot slot, int32_t childType) {
  const uint16_t code = pending_.renew(GlobalDataRequest(), slot);
  const std::string user = GetLoginUserName();
  const std::string qsid = GetQSID();
  MakeRequest_BrokerList(GlobalDataRequest(), 0, code, user.c_str(), qsid.c_str(), childType,
                         kPageId);
}

void MessageServer::requestBrokerList() {
  if (AreBrokerTablesLoaded()) return;
  if (!IsAdviserLogin()) {
    requestDirectory(kStaff, LoginChild::kBrokerList);
    return;
  }
  requestDirectory(kStaff, LoginChild::kAdviserStaff);
  // The client list follows a moment later, on a timer: the main thread never sleeps.
  if (clientsTimer_) clientsTimer_->invalidate();
  clientsTimer_ =
      foundation::Timer::schedule(MessagingSession::shared().listPauseSeconds(), false,
                                  ui::WhileAlive(weak_from_this(), [](MessageServer& me) {
                                    me.requestDirectory(kClients, LoginChild::kAdviserClients);
                                  }));
}

void MessageServer::requestOnOff() {
  if (IsAdviserLogin()) return;
  const uint16_t code = pending_.renew(GlobalDataRequest(), kOnOffQuery);
  const std::string user = GetLoginUserName();
  const std::string password = GetLoginPassword();
  MakeRequest_OnOffMessage(GlobalDataRequest(), 0, code, user.c_str(), password.c_str(), "21");
}

void MessageServer::requestUploadOnOff() {
  if (IsAdviserLogin()) return;
  const uint16_t code = pending_.renew(GlobalDataRequest(), kOnOffUpload);
  const std::string user = GetLoginUserName();
  const std::string password = GetLoginPassword();
  const std::string list = GetOffMessageBrokersUTF8().value_or("");
  MakeRequest_UploadOnOffMessage(GlobalDataRequest(), 0, code, user.c_str(), password.c_str(),
                                 list.c_str());
}

void MessageServer::forgetDirectory() {
  receivedStaff_.Clear();
  receivedClients_.Clear();
  receivedTags_.Clear();
}

// --- replies ------------------------------------------------------------------------------------

void MessageServer::fail(Slot slot, const std::string& text) {
  pending_.forget(slot);
  if (!text.empty()) listener_.serverRefused(text);
}

void MessageServer::takeRecord(const uint8_t* record, int size) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(record, size, view)) return;
  if (view.status != kReceiveStatusPacket || view.header.MainType != kMainTypeLogin) return;
  const uint16_t code = view.requestCode();
  const bool error = view.header.isError();
  auto matches = [this, code](Slot slot) { return awaited(slot, code); };
  switch (view.header.ChildType) {
    case LoginChild::kMessageList: {
      if (!matches(kList)) return;
      Activity(false);
      pending_.forget(kList);
      if (error) {
        listener_.serverRefused(view.errorText());
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
      requestNextContent();
      return;
    }
    case LoginChild::kMessageContent:
      if (!matches(kContent)) return;
      Activity(false);
      if (error) {
        fail(kContent, view.errorText());
        return;
      }
      takeContentPart(view.header, view.body, view.bodyLen);
      return;
    case LoginChild::kMessageDelete:
      Activity(false);
      pending_.forget(kDelete);
      return;
    case LoginChild::kBrokerList:
    case LoginChild::kAdviserStaff:
      if (!matches(kStaff)) return;
      if (error) return fail(kStaff, view.errorText());
      takeDirectoryPart(kStaff, receivedStaff_, view.header, view.body, view.bodyLen);
      return;
    case LoginChild::kAdviserClients:
      if (!matches(kClients)) return;
      if (error) return fail(kClients, view.errorText());
      takeDirectoryPart(kClients, receivedClients_, view.header, view.body, view.bodyLen);
      return;
    case LoginChild::kClientTags:
      if (!matches(kClientTags)) return;
      if (error) return fail(kClientTags, view.errorText());
      takeDirectoryPart(kClientTags, receivedTags_, view.header, view.body, view.bodyLen);
      return;
    case LoginChild::kOnOffQuery: {
      if (!matches(kOnOffQuery)) return;
      if (error) return fail(kOnOffQuery, view.errorText());
      CLineStep kv;
      kv.Append(view.body, static_cast<uint32_t>(std::max(view.bodyLen, 0)));
      char list[1024] = {};
      kv.GetValue(21, list, sizeof list);
      SetOffMessageBrokers(list);
      return;
    }
    case LoginChild::kOnOffUpload:
      if (!matches(kOnOffUpload)) return;
      ApplyOnOffUploadResult(error ? 1 : 0);
      return;
    default:
      return;
  }
}

void MessageServer::takeContentPart(const PacketHeader& header, const uint8_t* body, int length) {
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
  recMailData_.append(reinterpret_cast<const char*>(body),
                      static_cast<size_t>(std::max(length, 0)));
  ++nextMailPart_;
  foundation::logInfo("receive mail(%d-%d) current page size = %d", header.PackageNo, parts,
                      length);
  if (header.PackageNo + 1 < parts) return;

  pending_.forget(kContent);
  std::string text(recMailData_.c_str());  // up to the first NUL, as the server's string
  recMailData_.clear();
  nextMailPart_ = 0;
  Value message = MessageFromContent(text);
  if (message.isNull()) {
    // Left on the server with the start id unchanged; the next entry is fetched so that one
    // broken message does not stop every later one.
    foundation::logError("!!!!!!! Error:XML parse failed! (%zu bytes)", text.size());
    requestNextContent();
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
  const std::string user = GetLoginUserName();
  auto& defaults = foundation::UserDefaults::standard();
  defaults.set(StartIdKey(user), Value(std::to_string(id)));
  defaults.synchronize();
  requestDelete(id);
  requestNextContent();
  listener_.messageStored();
}

Value MessageServer::MessageFromContent(const std::string& text) {
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

void MessageServer::takeDirectoryPart(Slot slot, MDBF& table, const PacketHeader& header,
                                      const uint8_t* body, int length) {
  if (header.PackageNo == 0) {
    table.Clear();
    if (table.Parse(body, length) < 0) table.Clear();
  } else {
    table.AppendPacket(body, length);
  }
  if (header.PackageNo + 1 < header.PackageNum) return;
  pending_.forget(slot);
  if (slot == kStaff) {
    LoadStaffTable(table);
    const bool adviser = IsAdviserLogin();
    listener_.directoryChanged(!adviser);
    if (!adviser) requestList();
  } else if (slot == kClients) {
    requestDirectory(kClientTags, LoginChild::kClientTags);
    LoadClientTable(table);
    listener_.directoryChanged(true);
    requestList();
  } else if (slot == kClientTags) {
    LoadClientTagTable(table);
    listener_.directoryChanged(false);
  }
}
