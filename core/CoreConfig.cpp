#include "core/CoreConfig.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/CDataCenter.h"
#include "core/CoreState.h"
#include "core/CoreText.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

namespace {

struct ServerLists {
  CDataIP quote, trade, info, message, auth, priceAlert;
};

ServerLists& Lists() {
  static ServerLists lists;
  return lists;
}

// Reads "ip1".."ipN" of a section until the first empty value or a full list.
void ReadAddresses(MIniFile& ini, const char* section, int count, CDataIP& list) {
  for (int i = 1; i <= count && list.GetCount() < CDataIP::kMaxAddresses; ++i) {
    char key[16];
    char value[CDataIP::kAddressSize];
    std::snprintf(key, sizeof key, "ip%d", i);
    ini.GetStringLocked(section, key, "", value, sizeof value);
    if (!value[0]) break;
    list.AddIP(value);
  }
}

}  // namespace

MIniFileExt& GetMainConfig() {
  static MIniFileExt config;
  return config;
}

MIniFileExt& GetSaveConfig() {
  static MIniFileExt config;
  return config;
}

CDataIP* GetServerList(int type) {
  ServerLists& lists = Lists();
  switch (type) {
    case kServerListQuote:
      return &lists.quote;
    case kServerListTrade:
      return &lists.trade;
    case kServerListInfo:
      return &lists.info;
    case kServerListMessage:
      return &lists.message;
    case kServerListAuth:
      return &lists.auth;
    case kServerListPriceAlert:
      return &lists.priceAlert;
    default:
      return nullptr;
  }
}

void ClearServerLists() {
  for (int type : {kServerListQuote, kServerListTrade, kServerListInfo, kServerListMessage,
                   kServerListAuth, kServerListPriceAlert}) {
    GetServerList(type)->Clear();
  }
}

void InitCoreConfig() {
  SetPriceNotifyRight(-1);
  InitDocumentPath(nullptr, 0);

  MIniFileExt& main = GetMainConfig();
  MIniFileExt& save = GetSaveConfig();
  std::string mainPath = foundation::bundlePath("main.cfg");
  if (main.Load(mainPath.c_str()) != 0) {
    foundation::logError("InitCoreConfig: no bundle configuration %s", mainPath.c_str());
  }
  char savePath[1024];
  MakeFullPath(savePath, sizeof savePath, "save.cfg");
  save.SetOwnerOnly(true);  // it keeps the login password
  save.Load(savePath);      // missing before the first login: every key takes its default

  CDataIP* auth = GetServerList(kServerListAuth);
  auth->Clear();
  GetServerList(kServerListQuote)->Clear();
  // Saved addresses first, bundle defaults after; duplicates dropped, at most 10 in all.
  ReadAddresses(save, "hq", save.GetInt("hq", "num", 10), *auth);
  ReadAddresses(main, "hq", main.GetInt("hq", "num", 10), *auth);
  ReadAddresses(main, "info", 10, *GetServerList(kServerListInfo));
  ReadAddresses(main, "trade", 10, *GetServerList(kServerListTrade));

  char name[100];
  char password[100];
  save.GetStringLocked("hq", "loginname", "", name, sizeof name);
  save.GetStringLocked("hq", "loginpwd", "", password, sizeof password);
  SetLoginInfo(name, password);
  SetKLineIndexType(save.GetInt("hq", "KLineIndexType", 0));
  char token[100];
  save.GetStringLocked("hq", "devicetoken", "", token, sizeof token);
  SetDeviceToken(token, 0);

  CDataCenter& center = GetDataCenter();
  center.SetTraderCode(main.GetInt("trade", "traderCode", 0));
  center.SetSmsSwitch(main.GetInt("trade", "issmscode", 0));
  char appleId[100];
  main.GetStringLocked("trade", "appleId", "0", appleId, sizeof appleId);
  center.SetAppleId(StrToInt64(appleId));
  center.SetDefPriceType(main.GetInt("trade", "defPriceType", 0));
}

char* GetKeyValue(const char* text, char* out, int size, const char* key) {
  if (!out || size < 1) return out;
  std::memset(out, 0, static_cast<size_t>(size));
  if (!text || !key || !*key) return out;
  const char* at = std::strstr(text, key);
  if (!at) return out;
  if (at != text && at[-1] != ',') return out;
  const char* value = at + std::strlen(key);
  if (*value != '=') return out;
  StrCopyUntil(out, value + 1, size, ',');
  return out;
}

int GetKeyValueInt(const char* text, const char* key) {
  char value[50];
  GetKeyValue(text, value, sizeof value, key);
  return static_cast<int>(std::strtol(value, nullptr, 10));
}

void SetServerAddressList(const char* text) {
  if (!text) return;
  foundation::logInfo("Returned Address String: %s", text);
  MIniFileExt& save = GetSaveConfig();
  for (int k = 1; k <= 6; ++k) {
    char group[256];
    GetField(text, group, sizeof group, k, ';', 0);
    if (!group[0]) break;
    int type = GetKeyValueInt(group, "type");
    CDataIP* target = GetServerList(type);
    if (!target) continue;

    // Built aside and put in place whole, so a connecting thread never sees a half-filled list.
    CDataIP fresh;
    int written = 0;
    for (int j = 1; j <= CDataIP::kMaxAddresses; ++j) {
      char key[16];
      char address[100];
      std::snprintf(key, sizeof key, "addr%d", j);
      GetKeyValue(group, address, sizeof address, key);
      if (!address[0]) break;
      fresh.AddIP(address);
      if (type == kServerListAuth) {
        std::snprintf(key, sizeof key, "ip%d", j);
        save.WriteStringLocked("hq", key, address);
        ++written;
      }
    }
    *target = fresh;
    if (type == kServerListAuth) {
      save.WriteInt("hq", "num", written);
      save.Save();
    }
  }
}
