#include "testserver/TestServer.h"

#include <algorithm>

#include "testserver/ServerCore.h"

namespace testserver {

ServerOptions ServerOptions::Ephemeral() {
  ServerOptions o;
  o.ports.fill(0);
  // A whole trading day of every market (Hong Kong closes last), whatever the hour the tests run
  // at: before the open the market plays the last session, and the charts' tests need today's.
  o.minute = 17 * 60;
  return o;
}

TestServer::TestServer(ServerOptions options)
    : core_(std::make_unique<ServerCore>(std::move(options))) {}

TestServer::~TestServer() {
  stop();
}

bool TestServer::start() {
  return core_->start();
}

void TestServer::stop() {
  core_->stop();
}

bool TestServer::isRunning() const {
  return core_->running();
}

uint16_t TestServer::port(Role role) const {
  return core_->port(role);
}

std::string TestServer::addressString() const {
  return core_->addressString();
}

namespace {

FaultState MakeFault(Fault fault, int count, const std::string& text, bool userText) {
  FaultState f;
  f.fault = fault;
  f.count = fault == Fault::None ? 0 : count;
  f.text = text;
  f.userText = userText;
  return f;
}

}  // namespace

void TestServer::setFault(Role role, Fault fault, int count, const std::string& text,
                          bool userText) {
  core_->setFault(role, MakeFault(fault, count, text, userText));
}

void TestServer::setFault(Role role, RequestKind only, Fault fault, int count,
                          const std::string& text, bool userText) {
  FaultState f = MakeFault(fault, count, text, userText);
  f.only = only;
  core_->setFault(role, f);
}

void TestServer::setFaultAfter(Role role, RequestKind only, int spared, Fault fault, int count) {
  FaultState f = MakeFault(fault, count, "", true);
  f.only = only;
  f.spared = spared;
  core_->setFault(role, f);
}

void TestServer::clearFaults() {
  core_->clearFaults();
}

void TestServer::releaseHeld(Role role) {
  core_->runOnServer([this, role] { core_->releaseHeld(role); });
}

void TestServer::pushForcedLogout(const std::string& text) {
  core_->pushForcedLogout(text);
}

void TestServer::dropConnections(Role role) {
  core_->dropConnections(role);
}

void TestServer::startFlood(const FloodOptions& options) {
  core_->startFlood(options);
}

void TestServer::stopFlood() {
  core_->stopFlood();
}

bool TestServer::isFlooding() const {
  return core_->isFlooding();
}

uint64_t TestServer::floodPackets() const {
  return core_->floodPackets();
}

uint64_t TestServer::floodRounds() const {
  return core_->floodRounds();
}

void TestServer::advanceMinute() {
  core_->advanceMinute();
}

void TestServer::setMinute(int minuteOfDay) {
  core_->setMinute(minuteOfDay);
}

int TestServer::minute() const {
  return core_->minute();
}

int32_t TestServer::date() const {
  return core_->date();
}

std::vector<ReceivedRequest> TestServer::receivedRequests(Role role) const {
  return core_->receivedRequests(role);
}

void TestServer::clearReceivedRequests() {
  core_->clearReceivedRequests();
}

void TestServer::setKLineInParts(bool inParts) {
  core_->setKLineInParts(inParts);
}

void TestServer::setRights(const std::string& user, const std::string& rights) {
  core_->runOnServer([&] { core_->forEachState(user, [&](UserState& u) { u.rights = rights; }); });
}

void TestServer::setPriceAlertPermission(const std::string& user, int value,
                                         const std::string& text) {
  core_->runOnServer([&] {
    core_->forEachState(user, [&](UserState& u) {
      u.permissionScripted = true;
      u.permissionValue = value;
      u.permissionText = text;
    });
  });
}

void TestServer::setPriceAlertApplication(const std::string& user, PriceAlertApplication answer,
                                          const std::string& text) {
  core_->runOnServer([&] {
    core_->forEachState(user, [&](UserState& u) {
      u.application = answer;
      u.applicationScripted = true;
      u.applicationText = text;
    });
  });
}

void TestServer::setReceivedAlerts(const std::string& user, std::vector<ReceivedAlert> alerts) {
  core_->runOnServer([&] {
    core_->forEachState(user, [&](UserState& u) {
      u.receivedScripted = true;
      u.received = alerts;
    });
  });
}

std::string TestServer::watchListText(const std::string& user) const {
  return core_->watchListText(user);
}

void TestServer::storeWatchList(const std::string& user, const std::string& text, int date,
                                int time) {
  core_->runOnServer([this, user, text, date, time] {
    core_->forEachState(user, [&](UserState& u) {
      u.watchList = text;
      u.watchListTime = (static_cast<int64_t>(date) << 32) | static_cast<uint32_t>(time);
      u.hasWatchList = true;
    });
  });
}

int TestServer::connectionCount(Role role) const {
  return core_->connectionCount(role);
}

size_t TestServer::queuedOutput(Role role) const {
  return core_->queuedOutput(role);
}

size_t TestServer::userCount() const {
  return core_->userCount();
}

uint64_t TestServer::requestCount() const {
  return core_->requestCount();
}

void TestServer::splitReplies(uint8_t main, uint8_t child, int parts) {
  core_->runOnServer([this, main, child, parts] { core_->splitReplies(main, child, parts); });
}

void TestServer::addBoard(const std::string& code, int memberCount) {
  core_->runOnServer([this, code, memberCount] { core_->market().addBoard(code, memberCount); });
}

void TestServer::runOnServer(const std::function<void()>& fn) const {
  core_->runOnServer(fn);
}

bool TestServer::setQuoteValues(uint8_t market, const std::string& code,
                                const std::function<void(tagLocalStockData&)>& change, bool push) {
  bool found = false;
  core_->runOnServer([&] {
    const int i = core_->market().indexOf(market, code);
    if (i < 0) return;
    found = true;
    change(core_->market().mutableAt(i).q);
    if (push) core_->pushQuotes();
  });
  return found;
}

void TestServer::setTrendValues(
    std::function<void(const tagLocalStockData&, std::vector<tagLocalTrendData>&)> change) {
  core_->runOnServer([&] { core_->market().trendOverride = std::move(change); });
}

void TestServer::setLoginNotice(const std::string& text) {
  core_->changeAccountSettings([&](ServerCore::AccountSettings& a) { a.loginNotice = text; });
}

void TestServer::setUpgradeOffer(const std::string& notes, const std::string& url) {
  core_->changeAccountSettings([&](ServerCore::AccountSettings& a) {
    a.upgradeNotes = notes;
    a.upgradeURL = url;
  });
}

void TestServer::setQuoteLoginNotAccepted(int count) {
  core_->changeAccountSettings([&](ServerCore::AccountSettings& a) { a.notAccepted = count; });
}

void TestServer::setBrokerInfoWithoutPhone(bool without) {
  core_->changeAccountSettings(
      [&](ServerCore::AccountSettings& a) { a.brokerInfoWithoutPhone = without; });
}

void TestServer::startMailboxEmpty(const std::string& user) {
  core_->runOnServer([this, user] {
    UserState& u = core_->user(user);
    u.messagesSeeded = true;
    u.messages.clear();
  });
}

int64_t TestServer::putMessage(const std::string& user, Message message) {
  int64_t id = 0;
  core_->runOnServer([this, &user, &message, &id] {
    UserState& u = core_->user(user);
    SeedMailbox(*core_, u, user);
    if (message.id == 0) {
      message.id = NextMessageId(u);
    } else {
      u.lastMessageId = std::max(u.lastMessageId, message.id);
    }
    if (message.oid == 0) message.oid = message.id + 4000;
    if (message.to.empty()) message.to = user;
    if (message.date == 0) message.date = core_->date();
    id = message.id;
    u.messages.push_back(message);
  });
  return id;
}

std::vector<Message> TestServer::mailbox(const std::string& user) const {
  std::vector<Message> out;
  core_->runOnServer([this, &user, &out] { out = core_->user(user).messages; });
  return out;
}

void TestServer::setSendAnswerText(const std::string& text) {
  core_->runOnServer([this, text] { MessageState(*core_).answerText = text; });
}

std::vector<SentMail> TestServer::sentMails() const {
  std::vector<SentMail> out;
  core_->runOnServer([this, &out] { out = MessageState(*core_).sent; });
  return out;
}

std::string TestServer::lastSmsCode(const std::string& phone) const {
  const auto settings = core_->accountSettings();
  auto it = settings.smsCodes.find(phone);
  return it == settings.smsCodes.end() ? std::string() : it->second;
}

void TestServer::setTradeCodeWithoutField21(bool without) {
  core_->changeAccountSettings(
      [&](ServerCore::AccountSettings& a) { a.tradeCodeWithoutField21 = without; });
}

}  // namespace testserver
