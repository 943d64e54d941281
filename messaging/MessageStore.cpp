#include "messaging/MessageStore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

#include "core/CoreState.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageDateFormatter.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

using foundation::Array;
using foundation::Dictionary;
using foundation::Value;

namespace {

constexpr const char* kFilePrefix = "myMessageOV";

bool IsUnread(const Value& message) {
  return message["unread"].toInt(0) == 1;
}

// Entries that are not dictionaries (a damaged or foreign file) are left out.
Array ReadMessageFile(const std::string& path, bool* damaged) {
  Array out;
  if (damaged) *damaged = false;
  auto read = foundation::PropertyList::readFile(path);
  if (!read.ok()) return out;
  if (!read.value.isArray()) {
    foundation::logError("!!!!!!! message file %s holds no list", path.c_str());
    if (damaged) *damaged = true;
    return out;
  }
  for (const Value& entry : read.value.asArray()) {
    if (entry.isDictionary()) out.push_back(entry);
  }
  return out;
}

bool WriteMessageFile(const std::string& name, const Array& list) {
  if (name.empty()) return false;
  return foundation::PropertyList::writeFile(foundation::documentsPath(name), Value(list));
}

int64_t ParseId(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 10);
}

SharedMessages& Shared() {
  return MessagingSession::shared().messages();
}

}  // namespace

void SharedMessages::attach(MyMessageStore* member) {
  members.push_back(member);
  if (observing) return;
  observing = true;
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(this, "notification_saveSendMessage",
                     [this](const foundation::Notification& n) { saveSent(n.userInfo); });
  center.addObserver(this, "notification_allToRead", [this](const foundation::Notification& n) {
    if (!members.empty()) members.front()->changeAllToRead(n.userInfo);
  });
  // Posted by nothing; observed so that a post changes nothing.
  center.addObserver(this, "notification_removeSaveMessage",
                     [](const foundation::Notification&) {});
}

void SharedMessages::detach(MyMessageStore* member) {
  std::erase(members, member);
  if (!members.empty() || !observing) return;
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  observing = false;
}

void SharedMessages::othersChanged(MyMessageStore* except) {
  // A member may go away while another one's owner reacts: walk a copy and skip the gone.
  std::vector<MyMessageStore*> copy = members;
  for (MyMessageStore* member : copy) {
    if (member == except) continue;
    if (std::find(members.begin(), members.end(), member) == members.end()) continue;
    member->rebuildAfterSharedChange();
  }
}

bool SharedMessages::saveSentList() {
  while (sent.size() > kMaxStoredMessages) sent.pop_back();
  SetSentMessageCount(static_cast<uint32_t>(sent.size()));
  return WriteMessageFile(sendMessageFileName, sent);
}

void SharedMessages::saveSent(const Value& object) {
  if (!object.isDictionary()) return;
  if (members.empty() || !loaded || messageFileName.empty()) return;
  sent.insert(sent.begin(), object);
  saveSentList();
  std::vector<MyMessageStore*> copy = members;
  for (MyMessageStore* member : copy) {
    if (member->owner_ && member->owner_->selectedMenuItem() == 3) {
      member->owner_->reloadMessageTable();
    }
  }
  std::string needUpdate = object["sendMessageKey_needUpdate"].toString();
  if (needUpdate.empty()) return;
  int index = FindBrokerIndex(needUpdate);
  std::optional<Array> rows;
  for (MyMessageStore* member : copy) {
    if (member->owner_) member->owner_->selectBrokerRow(index);
    if (!rows && index >= 0 && static_cast<size_t>(index) < member->brokerListArray_.size()) {
      rows = member->getAllMessageWithIndex(member->brokerListArray_[index], nullptr);
    }
  }
  if (rows) {
    foundation::NotificationCenter::defaultCenter().post("notification_update", nullptr,
                                                         Value(std::move(*rows)));
  }
}

void SharedMessages::forget() {
  savedName.clear();
  loaded = false;
  messageFileName.clear();
  sendMessageFileName.clear();
  sysMessageFileName.clear();
  total.clear();
  sent.clear();
  for (MyMessageStore* member : members) member->synced_ = false;
}

std::string MessageFileUserPart(std::string_view userName) {
  std::string out;
  for (char c : userName) {
    switch (c) {
      case '/':
        out += "%2F";
        break;
      case '\\':
        out += "%5C";
        break;
      case '%':
        out += "%25";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string ReceivedMessageFileName(std::string_view userName) {
  return std::string(kFilePrefix) + "_" + MessageFileUserPart(userName) + ".plist";
}

std::string SentMessageFileName(std::string_view userName) {
  return std::string(kFilePrefix) + "_" + MessageFileUserPart(userName) + "_sendMessage.plist";
}

std::string StartIdKey(std::string_view userName) {
  return std::string(userName) + "-startID";
}

void ForgetStoredMessages(const std::string& userName) {
  if (userName.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(foundation::documentsPath(ReceivedMessageFileName(userName)), ignored);
  std::filesystem::remove(foundation::documentsPath(SentMessageFileName(userName)), ignored);
  auto& defaults = foundation::UserDefaults::standard();
  defaults.remove(StartIdKey(userName));
  defaults.synchronize();
  SharedMessages& shared = Shared();
  if (shared.loaded && shared.savedName == userName) shared.forget();
}

MyMessageStore::MyMessageStore(MessageStoreOwner* owner) : owner_(owner) {
  Shared().attach(this);
}

MyMessageStore::~MyMessageStore() {
  Shared().detach(this);
}

Array& MyMessageStore::totalMessages() {
  return Shared().total;
}

Array& MyMessageStore::sentMessages() {
  return Shared().sent;
}

std::string MyMessageStore::messageFileName() const {
  return Shared().messageFileName;
}
std::string MyMessageStore::sendMessageFileName() const {
  return Shared().sendMessageFileName;
}
std::string MyMessageStore::sysMessageFileName() const {
  return Shared().sysMessageFileName;
}
std::string MyMessageStore::savedName() const {
  return Shared().savedName;
}

void MyMessageStore::messagesChanged() {
  Shared().othersChanged(this);
}

void MyMessageStore::rebuildAfterSharedChange() {
  synced_ = true;
  updateShowingMessageList();
  updateUnreadMessageCount();
  if (owner_) owner_->reloadMessageTable();
  if (!IsAdviserLogin() && !brokerListArray_.empty()) initBrokerListArray_NoBroker();
}

void MyMessageStore::initMessageFromFile() {
  brokerList_.Clear();
  messageUserList_.Clear();
  userTagList_.Clear();
  CopyStaffTable(brokerList_);
  CopyClientTable(messageUserList_);
  CopyClientTagTable(userTagList_);
  if (owner_) owner_->updateAllList_BrokerAccount();

  SharedMessages& shared = Shared();
  std::string user = GetLoginUserName();
  if (shared.loaded && shared.savedName == user) {
    // Another centre loaded this user already; this one only builds its own shown list.
    if (!synced_) rebuildAfterSharedChange();
    return;
  }
  shared.savedName = user;
  shared.loaded = true;
  shared.total.clear();
  shared.sent.clear();
  shared.messageFileName.clear();
  shared.sendMessageFileName.clear();
  if (user.empty()) {
    // A guest sees no stored messages and writes none.
    shared.sysMessageFileName = std::string(kFilePrefix) + "_guest.plist";
    SetSentMessageCount(0);
  } else {
    shared.messageFileName = ReceivedMessageFileName(user);
    shared.sendMessageFileName = SentMessageFileName(user);
    shared.total = ReadMessageFile(foundation::documentsPath(shared.messageFileName), nullptr);
    auto& defaults = foundation::UserDefaults::standard();
    std::string key = StartIdKey(user);
    if (ParseId(defaults.string(key)) == 0 && !shared.total.empty()) {
      defaults.set(key, Value(std::to_string(shared.total.front()["id"].toInt(0))));
      defaults.synchronize();
    }
    shared.sent = ReadMessageFile(foundation::documentsPath(shared.sendMessageFileName), nullptr);
    SetSentMessageCount(static_cast<uint32_t>(shared.sent.size()));
  }
  for (MyMessageStore* member : std::vector<MyMessageStore*>(shared.members)) {
    member->synced_ = true;
    member->unreadCount_ = 0;
    member->updateShowingMessageList();
    member->updateUnreadMessageCount();
    if (member != this && member->owner_) member->owner_->reloadMessageTable();
  }
}

bool MyMessageStore::saveMessageToFile() {
  SharedMessages& shared = Shared();
  bool received = WriteMessageFile(shared.messageFileName, shared.total);
  bool sent = WriteMessageFile(shared.sendMessageFileName, shared.sent);
  return received && sent;
}

bool MyMessageStore::saveSendMessage() {
  return Shared().saveSentList();
}

void MyMessageStore::changeAllToRead(const Value& senderId) {
  std::string id = senderId.toString();
  if (senderId.isNull() || id.empty()) return;
  bool changed = false;
  for (Value& message : totalMessages()) {
    if (message["brokerID"].toString() != id) continue;
    if (message["unread"].toInt(0) != 0 || !message["unread"].isInteger()) {
      message["unread"] = Value(0);
      changed = true;
    }
  }
  if (changed) {
    updateUnreadMessageCount();
    messagesChanged();
  }
  saveMessageToFile();
}

void MyMessageStore::updateShowingMessageList() {
  synced_ = true;
  showIndexArray_.clear();
  int item = owner_ ? owner_->selectedMenuItem() : 2;
  const Array& total = totalMessages();
  if (item == 1) {
    for (size_t i = 0; i < total.size(); ++i) {
      if (IsUnread(total[i])) showIndexArray_.push_back(static_cast<int>(i));
    }
  } else if (item != 0 && item != 3) {
    for (size_t i = 0; i < total.size(); ++i) showIndexArray_.push_back(static_cast<int>(i));
  }
  if (owner_) owner_->showingMessageListUpdated();
}

void MyMessageStore::updateUnreadMessageCount() {
  int item = owner_ ? owner_->selectedMenuItem() : 2;
  if (item != 3) {
    const Array& total = totalMessages();
    int unread = 0;
    for (int index : showIndexArray_) {
      if (index >= 0 && static_cast<size_t>(index) < total.size() && IsUnread(total[index])) {
        ++unread;
      }
    }
    unreadCount_ = unread;
  }
  if (owner_) owner_->unreadCountChanged();
}

int MyMessageStore::allUnreadCount() {
  const Array& total = totalMessages();
  return static_cast<int>(std::count_if(total.begin(), total.end(), IsUnread));
}

bool MyMessageStore::addNewMessage(const Value& message) {
  if (!message.isDictionary()) return false;
  SharedMessages& shared = Shared();
  if (shared.messageFileName.empty()) return false;
  Array& total = shared.total;
  const Value& id = message["id"];
  bool held = !id.isNull() && std::any_of(total.begin(), total.end(), [&id](const Value& m) {
    return m["id"].toInt(0) == id.toInt(0) && !m["id"].isNull();
  });
  if (!held) {
    while (total.size() >= kMaxStoredMessages) total.pop_back();
    total.insert(total.begin(), message);
  }
  updateShowingMessageList();
  updateUnreadMessageCount();
  bool saved = saveMessageToFile();
  if (owner_) owner_->reloadMessageTable();
  if (!held) {
    // An investor's advisers stay newest exchange first as the mails come in one by one.
    if (!IsAdviserLogin()) initBrokerListArray_NoBroker();
    messagesChanged();
  }
  return saved;
}

std::optional<Array> MyMessageStore::getAllMessageWithIndex(const Value& row, Dictionary* summary) {
  std::string id = row["broker_id"].toString();
  if (id.empty()) return std::nullopt;
  std::string name = row["broker_name"].toString();
  const Array& total = totalMessages();
  const Array& sent = sentMessages();
  Array rows;
  int count = 0;
  int unread = 0;
  std::optional<foundation::Date> latest;
  auto keepLatest = [&latest](const std::string& text) {
    auto date = MessageDateFormatter::parse(text);
    if (date && (!latest || date->secondsSince1970 > latest->secondsSince1970)) latest = date;
  };
  // One message exchanged with the adviser: counted, dated and, without a summary, a row.
  // `type` "0" received, "1" sent; the keys are the list's own.
  auto take = [&](const Array& list, size_t index, const char* type, const char* dateKey,
                  const char* contentKey, const char* titleKey) {
    const Value& message = list[index];
    ++count;
    std::string date = message[dateKey].toString();
    keepLatest(date);
    if (summary) return;
    rows.push_back(
        Value(Dictionary{{"comunion_content", Value(date + "\n" + message[contentKey].toString())},
                         {"communion_date", Value(date)},
                         {"communion_type", Value(type)},
                         {"communion_readBrokerID", Value(id)},
                         {"communion_brokerName", Value(name)},
                         {"communion_title", Value(message[titleKey].toString())},
                         {"communion_index", Value(std::to_string(index))},
                         {"communion_allindex", Value(std::to_string(list.size()))}}));
  };
  for (size_t i = 0; i < total.size(); ++i) {
    if (total[i]["brokerID"].toString() != id) continue;
    take(total, i, "0", "date", "content", "title");
    if (IsUnread(total[i])) ++unread;
  }
  for (size_t i = 0; i < sent.size(); ++i) {
    auto receivers = SplitIds(sent[i]["sendMessageKey_recivers"].toString());
    if (std::find(receivers.begin(), receivers.end(), id) == receivers.end()) continue;
    take(sent, i, "1", "sendMessageKey_date", "sendMessageKey_content", "sendMessageKey_title");
  }
  if (summary) {
    summary->set("UNREAD", Value(std::to_string(unread)));
    summary->set("TOTAL", Value(std::to_string(count)));
    if (latest) summary->set("LASTDATE", Value(MessageDateFormatter::format(*latest)));
  }
  return rows;
}

void MyMessageStore::deleteSendMessage(const std::vector<int>& indexes, int type) {
  Array& list = type == 1 ? sentMessages() : totalMessages();
  std::vector<int> sorted = indexes;
  std::sort(sorted.begin(), sorted.end(), std::greater<int>());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  for (int index : sorted) {
    if (index >= 0 && static_cast<size_t>(index) < list.size()) list.erase(list.begin() + index);
  }
  saveMessageToFile();
  messagesChanged();
}

void MyMessageStore::sortBrokerList() {
  // One pass over the messages, each date parsed once, instead of one pass per adviser.
  struct Summary {
    int total = 0;
    int unread = 0;
    std::optional<double> latest;
  };
  std::unordered_map<std::string, Summary> byId;
  auto keep = [](Summary& s, const std::string& text) {
    auto date = MessageDateFormatter::parse(text);
    if (date && (!s.latest || date->secondsSince1970 > *s.latest))
      s.latest = date->secondsSince1970;
  };
  for (const Value& message : totalMessages()) {
    Summary& s = byId[message["brokerID"].toString()];
    ++s.total;
    if (IsUnread(message)) ++s.unread;
    keep(s, message["date"].toString());
  }
  for (const Value& message : sentMessages()) {
    auto receivers = SplitIds(message["sendMessageKey_recivers"].toString());
    std::sort(receivers.begin(), receivers.end());
    receivers.erase(std::unique(receivers.begin(), receivers.end()), receivers.end());
    std::string date = message["sendMessageKey_date"].toString();
    for (const auto& id : receivers) {
      Summary& s = byId[id];
      ++s.total;
      keep(s, date);
    }
  }
  struct Keyed {
    Value row;
    std::optional<double> latest;
    std::string id;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(brokerListArray_.size());
  for (const Value& original : brokerListArray_) {
    Value row = original;
    Dictionary& dict = row.mutableDictionary();
    dict.remove("TOTAL");
    dict.remove("UNREAD");
    dict.remove("LASTDATE");
    std::string id = dict.get("broker_id").toString();
    std::optional<double> latest;
    if (!id.empty()) {
      Summary s;
      if (auto found = byId.find(id); found != byId.end()) s = found->second;
      dict.set("TOTAL", Value(std::to_string(s.total)));
      dict.set("UNREAD", Value(std::to_string(s.unread)));
      if (s.latest) {
        dict.set("LASTDATE", Value(MessageDateFormatter::format(foundation::Date{*s.latest})));
        latest = s.latest;
      }
    }
    keyed.push_back({std::move(row), latest, std::move(id)});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (!a.latest && !b.latest) return a.id < b.id;
    if (!a.latest) return false;
    if (!b.latest) return true;
    return *a.latest > *b.latest;
  });
  brokerListArray_.clear();
  for (Keyed& k : keyed) brokerListArray_.push_back(std::move(k.row));
  KeepSortedBrokerList(brokerListArray_);
}

void MyMessageStore::initBrokerListArray_NoBroker() {
  sortBrokerList();
  if (owner_) owner_->reloadBrokerListTableView();
}
