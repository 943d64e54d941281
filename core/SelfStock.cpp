#include "core/SelfStock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "core/CoreText.h"
#include "core/MIniFile.h"
#include "platform/foundation/Log.h"

namespace {

constexpr const char* kFileName = "selfblk.cfg";

struct SelfStockList {
  TListBuffer items{50, sizeof(tagCodeItem), 50};
  uint8_t uploadState = 0;
  int32_t updateFlag = 0;
  uint8_t dirty = 0;
  // One byte beyond the 30 characters keeps both names terminated.
  char owner[kSelfStockNameSize + 1] = {};
  char loginUser[kSelfStockNameSize + 1] = {};
  int64_t listTime = 0;
  double serverOffset = 0;
  std::function<double()> clock;
};

SelfStockList& List() {
  static SelfStockList list;
  return list;
}

std::string FilePath() {
  char path[1024];
  MakeFullPath(path, sizeof path, kFileName);
  return path;
}

double Now() {
  const auto& clock = List().clock;
  if (clock) return clock();
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

int Find(int market, const char* code) {
  if (!code) return -1;
  TListBuffer& items = List().items;
  for (int i = 0; i < items.GetCount(); ++i) {
    auto* item = reinterpret_cast<const tagCodeItem*>(items.GetAt(i));
    if (item->market == market && std::strncmp(item->code, code, sizeof item->code) == 0) return i;
  }
  return -1;
}

tagCodeItem MakeItem(int market, int type, const char* code) {
  tagCodeItem item{};
  item.market = static_cast<uint8_t>(market);
  item.zqlb = static_cast<uint8_t>(type);
  if (code) StrCopyUntil(item.code, code, 9, 0);
  return item;
}

void SetName(char (&member)[kSelfStockNameSize + 1], const char* text) {
  std::memset(member, 0, sizeof member);
  if (text) StrCopyUntil(member, text, sizeof member, 0);
}

// Date in the high 32 bits, time in the low ones; wraps rather than overflows on absurd input.
int64_t MakeListTime(int date, int time) {
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(date)) << 32) +
                              static_cast<uint64_t>(int64_t{time}));
}

// The list time one second on (the calendar's own carry, whatever the time zone).
int64_t SecondAfter(int64_t listTime) {
  const int date = static_cast<int>(listTime >> 32);
  const int time = static_cast<int>(listTime & 0xFFFFFFFF);
  std::tm tm{};
  tm.tm_year = date / 10000 - 1900;
  tm.tm_mon = date % 10000 / 100 - 1;
  tm.tm_mday = date % 100;
  tm.tm_hour = time / 10000;
  tm.tm_min = time % 10000 / 100;
  tm.tm_sec = time % 100 + 1;
  const std::time_t t = timegm(&tm);
  std::tm next{};
  if (t == static_cast<std::time_t>(-1) || !gmtime_r(&t, &next)) return listTime + 1;
  return MakeListTime((next.tm_year + 1900) * 10000 + (next.tm_mon + 1) * 100 + next.tm_mday,
                      next.tm_hour * 10000 + next.tm_min * 100 + next.tm_sec);
}

int LeadingInt(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

int SelfStock_Load() {
  SelfStockList& list = List();
  std::string path = FilePath();
  foundation::logInfo("%s", path.c_str());
  list.items.Clear();
  MIniFile ini;
  ini.Load(path.c_str());  // missing: every read below takes its empty default

  char user[kSelfStockNameSize + 1];
  ini.GetString("info", "username", "", user, sizeof user);
  SetName(list.loginUser, user);
  SetName(list.owner, user);

  char stamp[101];
  ini.GetString("info", "serverdate", "", stamp, sizeof stamp);
  std::string text(stamp);
  int date = LeadingInt(text.substr(0, 8));
  int time = text.size() > 8 ? LeadingInt(text.substr(8, 6)) : 0;
  list.listTime = MakeListTime(date, time);

  // As many as may be added, so a load-then-save never drops the tail of a full list.
  for (int n = 1; n <= kSelfStockMaxItems; ++n) {
    char key[16];
    char value[256];
    std::snprintf(key, sizeof key, "%d", n);
    ini.GetString("main", key, "", value, sizeof value);
    if (!value[0]) break;
    char code[9];
    GetField(value, code, sizeof code, 3, ',', 0);
    tagCodeItem item = MakeItem(GetFieldInt(value, 1, ',', 0), GetFieldInt(value, 2, ',', 0), code);
    list.items.Append(&item, 1);
  }
  return list.items.GetCount();
}

int SelfStock_Save() {
  SelfStockList& list = List();
  std::string path = FilePath();
  MIniFile ini;
  ini.Load(path.c_str());  // keeps whatever else the file holds

  std::memcpy(list.owner, list.loginUser, sizeof list.owner);
  ini.WriteString("info", "username", list.loginUser);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%d%d", static_cast<int>(list.listTime >> 32),
                static_cast<int>(list.listTime & 0xFFFFFFFF));
  ini.WriteString("info", "serverdate", stamp);

  int count = list.items.GetCount();
  for (int i = 0; i < count; ++i) {
    auto* item = reinterpret_cast<const tagCodeItem*>(list.items.GetAt(i));
    char key[16];
    char value[64];
    std::snprintf(key, sizeof key, "%d", i + 1);
    std::snprintf(value, sizeof value, "%d,%d,%.8s", item->market, item->zqlb, item->code);
    ini.WriteString("main", key, value);
  }
  char end[16];
  std::snprintf(end, sizeof end, "%d", count + 1);
  ini.WriteString("main", end, "");
  if (ini.Save() != 0) {
    foundation::logError("SelfStock_Save: %s not written", path.c_str());
    return -1;
  }
  return count;
}

bool SelfStock_FileExists() {
  FILE* file = std::fopen(FilePath().c_str(), "r");
  if (!file) return false;
  std::fclose(file);
  return true;
}

int SelfStock_GetCount() {
  return List().items.GetCount();
}

bool SelfStock_Contains(int market, const char* code) {
  return Find(market, code) >= 0;
}

bool SelfStock_Add(int market, const char* code, int type) {
  SelfStockList& list = List();
  if (market == 0 || list.items.GetCount() >= kSelfStockMaxItems) return false;
  tagCodeItem item = MakeItem(market, type, code);
  list.items.Append(&item, 1);
  SelfStock_Save();
  return true;
}

bool SelfStock_AddItems(const tagCodeItem* items, int count) {
  // The stored list never grows past its limit; what does not fit is refused, not kept.
  int refused = 0;
  for (int i = 0; items && i < count; ++i) {
    tagCodeItem item = items[i];
    item.code[8] = '\0';
    if (Find(item.market, item.code) >= 0) continue;
    if (List().items.GetCount() >= kSelfStockMaxItems) {
      ++refused;
      continue;
    }
    List().items.Append(&item, 1);
  }
  if (refused > 0)
    foundation::logError("!!!!!!!SelfStock: list full (%d), %d stocks refused", kSelfStockMaxItems,
                         refused);
  SelfStock_Save();
  return refused == 0;
}

bool SelfStock_ReplaceAll(const tagCodeItem* items, int count) {
  List().items.Clear();
  return SelfStock_AddItems(items, count);
}

bool SelfStock_Clear() {
  List().items.Clear();
  return true;
}

bool SelfStock_Remove(int market, const char* code) {
  int index = Find(market, code);
  if (index < 0) return false;
  List().items.DeleteAt(index, 1);
  SelfStock_Save();
  return true;
}

int SelfStock_CopyList(TListBuffer& out) {
  TListBuffer& items = List().items;
  out.SetItemSize(sizeof(tagCodeItem));
  if (items.GetCount() > 0) out.Append(items.GetData(), items.GetCount());
  return out.GetCount();
}

const tagCodeItem* SelfStock_GetItem(int index) {
  return reinterpret_cast<const tagCodeItem*>(List().items.GetAt(index));
}

int SelfStock_GetUserName(char* buffer, int size) {
  if (!buffer || size < 1) return 0;
  return StrCopyUntil(buffer, List().owner, size, 0);
}

void SelfStock_SetUserName(const char* text) {
  SetName(List().owner, text);
}

bool SelfStock_IsOwner(const char* name) {
  return name && std::strncmp(List().owner, name, kSelfStockNameSize) == 0;
}

void SelfStock_SetLoginUser(const char* text) {
  SetName(List().loginUser, text);
}

int64_t SelfStock_GetListTime() {
  return List().listTime;
}

void SelfStock_SetListTime(int time, int date) {
  List().listTime = MakeListTime(date, time);
}

void SetServerTimeOffset(int time, int date) {
  std::tm tm{};
  tm.tm_year = date / 10000 - 1900;
  tm.tm_mon = date % 10000 / 100 - 1;
  tm.tm_mday = date % 100;
  tm.tm_hour = time / 10000;
  tm.tm_min = time % 10000 / 100;
  tm.tm_sec = time % 100;
  tm.tm_isdst = -1;
  std::time_t server = std::mktime(&tm);
  if (server == static_cast<std::time_t>(-1)) {
    foundation::logError("SetServerTimeOffset: bad server time %d %d", date, time);
    return;
  }
  List().serverOffset = static_cast<double>(server) - Now();
}

double SelfStock_GetServerTimeOffset() {
  return List().serverOffset;
}

int64_t SelfStock_StampNow() {
  SelfStockList& list = List();
  std::time_t t = static_cast<std::time_t>(std::floor(Now() + list.serverOffset));
  std::tm tm{};
  localtime_r(&t, &tm);
  int date = (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
  int time = tm.tm_hour * 10000 + tm.tm_min * 100 + tm.tm_sec;
  const int64_t now = MakeListTime(date, time);
  // An edit is never older than the list it changes: the server keeps the newer of its list and
  // an upload, so a clock behind the one that stamped the stored list (a phone's clock put back,
  // a market clock of another session) would have the edit reverted. It then takes the second
  // after the list's stamp.
  list.listTime = now > list.listTime ? now : SecondAfter(list.listTime);
  return list.listTime;
}

int SelfStock_GetUploadState() {
  return List().uploadState;
}
void SelfStock_SetUploadState(int state) {
  List().uploadState = static_cast<uint8_t>(state);
  if (state == 0) List().updateFlag = 0;
}
int SelfStock_GetUpdateFlag() {
  return List().updateFlag;
}
void SelfStock_SetUpdateFlag(int flag) {
  List().updateFlag = flag;
}
int SelfStock_IsDirty() {
  return List().dirty;
}
void SelfStock_SetDirty(int dirty) {
  List().dirty = static_cast<uint8_t>(dirty);
}

void SelfStock_SetClock(std::function<double()> now) {
  List().clock = std::move(now);
}
