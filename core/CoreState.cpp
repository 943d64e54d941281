#include "core/CoreState.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "core/CoreConfig.h"
#include "core/CoreConnectionControl.h"
#include "core/CoreText.h"

namespace {

struct StateTexts {
  std::mutex mutex;
  std::string userName;
  std::string password;
  std::string qsid;
  std::string deviceString;
  std::string deviceToken;
  std::u16string priceNotifyText;
  std::function<void()> brokerReset;
};

StateTexts& Texts() {
  static StateTexts texts;
  return texts;
}

std::atomic<int> g_loggedIn{0};
std::atomic<int> g_quoteLevel{0};
std::atomic<int> g_right49{0};
std::atomic<int> g_right30{0};
std::atomic<int> g_kLineIndexType{0};
std::atomic<int> g_guest{0};
std::atomic<int> g_msgUserType{0};
std::atomic<int> g_brokerTableLoaded[2] = {0, 0};
std::atomic<int8_t> g_priceNotifyRight{-1};
std::atomic<CoreConnectionControl*> g_connections{nullptr};

std::string Cut(const char* text, size_t width) {
  if (!text) return {};
  return std::string(text, strnlen(text, width));
}

void SetText(std::string StateTexts::*member, const char* text, size_t width) {
  std::string value = Cut(text, width);
  StateTexts& texts = Texts();
  std::lock_guard<std::mutex> hold(texts.mutex);
  texts.*member = std::move(value);
}

std::string GetText(std::string StateTexts::*member) {
  StateTexts& texts = Texts();
  std::lock_guard<std::mutex> hold(texts.mutex);
  return texts.*member;
}

void Close(CoreConnection which) {
  if (CoreConnectionControl* control = g_connections.load()) control->CloseConnection(which);
}

}  // namespace

void SetCoreConnectionControl(CoreConnectionControl* control) {
  g_connections.store(control);
}
CoreConnectionControl* GetCoreConnectionControl() {
  return g_connections.load();
}

void SetLoginInfo(const char* name, const char* password) {
  SetText(&StateTexts::userName, name, 49);
  SetText(&StateTexts::password, password, 49);
}
std::string GetLoginUserName() {
  return GetText(&StateTexts::userName);
}
std::string GetLoginPassword() {
  return GetText(&StateTexts::password);
}
int IsLoginUserNameEmpty() {
  return GetLoginUserName().empty() ? 1 : 0;
}

void SetQSID(const char* text) {
  SetText(&StateTexts::qsid, text, 9);
}
std::string GetQSID() {
  return GetText(&StateTexts::qsid);
}
void SetDeviceString(const char* text) {
  SetText(&StateTexts::deviceString, text, 1023);
}
std::string GetDeviceString() {
  return GetText(&StateTexts::deviceString);
}

void SetDeviceToken(const char* text, int save) {
  SetText(&StateTexts::deviceToken, text, 99);
  if (!save) return;
  MIniFileExt& config = GetSaveConfig();
  config.WriteStringLocked("hq", "devicetoken", GetDeviceToken().c_str());
  config.Save();
}
std::string GetDeviceToken() {
  return GetText(&StateTexts::deviceToken);
}

void SetLoggedIn(int flag) {
  g_loggedIn.store(flag);
}
int IsLoggedIn() {
  return g_loggedIn.load() & 0xFF;
}
void SetGuestLogin(int flag) {
  g_guest.store(flag);
}
int IsGuestLogin() {
  return g_guest.load() & 0xFF;
}

void ParseRightsList(const char* text) {
  char list[300] = {};
  if (text) StrCopyUntil(list, text, sizeof list, 0);
  int right30 = 0, level = 0, right49 = 0;
  for (int k = 1; k <= 10; ++k) {
    char item[30];
    GetField(list, item, sizeof item, k, ',', 0);
    int value = static_cast<int>(std::strtol(item, nullptr, 10));
    if (value == 0) break;
    switch (value) {
      case 30:
        right30 = 1;
        break;
      case 31:
        level = 1;
        break;
      case 32:
        level = 2;
        break;
      case 49:
        right49 = 1;
        break;
      default:
        break;
    }
  }
  g_right30.store(right30);
  g_quoteLevel.store(level);
  g_right49.store(right49);
  g_loggedIn.store(1);
}

int GetQuoteLevelRight() {
  return g_quoteLevel.load();
}
int HasRight49() {
  return g_right49.load();
}
int LacksRight30() {
  return g_right30.load() ? 0 : 1;
}

void SetKLineIndexType(int type) {
  g_kLineIndexType.store(type);
}
int GetKLineIndexType() {
  return g_kLineIndexType.load();
}
void SetMsgUserType(int type) {
  g_msgUserType.store(type);
}
int GetMsgUserType() {
  return g_msgUserType.load();
}

void SetPriceNotifyRight(int8_t right) {
  g_priceNotifyRight.store(right);
}
int8_t GetPriceNotifyRight() {
  return g_priceNotifyRight.load();
}

void StorePriceNotifyText(std::u16string_view text) {
  std::u16string value(text.substr(0, 30));
  StateTexts& texts = Texts();
  std::lock_guard<std::mutex> hold(texts.mutex);
  texts.priceNotifyText = std::move(value);
}

std::u16string GetPriceNotifyText() {
  StateTexts& texts = Texts();
  std::lock_guard<std::mutex> hold(texts.mutex);
  return texts.priceNotifyText;
}

void SetBrokerTableLoaded(int index, int loaded) {
  if (index == 0 || index == 1) g_brokerTableLoaded[index].store(loaded);
}
int IsBrokerTableLoaded(int index) {
  return (index == 0 || index == 1) ? g_brokerTableLoaded[index].load() : 0;
}

void SetBrokerTablesResetHandler(std::function<void()> handler) {
  StateTexts& texts = Texts();
  std::lock_guard<std::mutex> hold(texts.mutex);
  texts.brokerReset = std::move(handler);
}

void ResetBrokerTables() {
  g_brokerTableLoaded[0].store(0);
  g_brokerTableLoaded[1].store(0);
  std::function<void()> handler;
  {
    StateTexts& texts = Texts();
    std::lock_guard<std::mutex> hold(texts.mutex);
    handler = texts.brokerReset;
  }
  if (handler) handler();
}

void ResetAllCoreState() {
  Close(CoreConnection::Authentication);
  Close(CoreConnection::Quote);
  Close(CoreConnection::Message);
  Close(CoreConnection::PriceAlert);
  g_right30.store(0);
  g_quoteLevel.store(0);
  g_right49.store(0);
  for (int type : {kServerListQuote, kServerListInfo, kServerListTrade, kServerListMessage,
                   kServerListPriceAlert}) {
    GetServerList(type)->Reset();
  }
  ResetBrokerTables();
  g_msgUserType.store(0);
  g_priceNotifyRight.store(-1);
}
