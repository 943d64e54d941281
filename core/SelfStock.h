// The user's watch list as the core keeps it: stock keys (16-byte code items) saved after every
// change to "selfblk.cfg" in the documents folder, with the user it belongs to, the server
// date-time of the list and the upload flags. Used on the main thread only.
#pragma once

#include <cstdint>
#include <functional>

#include "core/ListBuffer.h"
#include "core/StockData.h"

inline constexpr int kSelfStockMaxItems = 1000;
inline constexpr int kSelfStockNameSize = 30;  // characters of the owner and login user

int SelfStock_Load();
// The count saved, or -1 when the file could not be written (the old file then stays whole).
int SelfStock_Save();
bool SelfStock_FileExists();

int SelfStock_GetCount();
bool SelfStock_Contains(int market, const char* code);
// Refused when the market is 0 or the list holds 1000 items; does not look for duplicates.
bool SelfStock_Add(int market, const char* code, int type);
// Appends the items not yet present (market and code), then saves.
bool SelfStock_AddItems(const tagCodeItem* items, int count);
bool SelfStock_ReplaceAll(const tagCodeItem* items, int count);
// Empties the list in memory only.
bool SelfStock_Clear();
// False (and nothing written) when absent.
bool SelfStock_Remove(int market, const char* code);
// The caller's list takes item size 16 and gets every item appended; returns the count.
int SelfStock_CopyList(TListBuffer& out);
// Item i, or null.
const tagCodeItem* SelfStock_GetItem(int index);

// The owner (the user the stored list belongs to): copies at most 30 characters and a NUL into
// buffer; returns the characters copied.
int SelfStock_GetUserName(char* buffer, int size);
void SelfStock_SetUserName(const char* text);
// True when the owner equals name (compared over at most 30 characters).
bool SelfStock_IsOwner(const char* name);
void SelfStock_SetLoginUser(const char* text);

// List time: date YYYYMMDD in the high 32 bits, time hhmmss in the low 32 bits.
int64_t SelfStock_GetListTime();
void SelfStock_SetListTime(int time, int date);
// Stamps the list with the server's clock (device clock plus the server time offset).
int64_t SelfStock_StampNow();
// Offset of the server clock from the device clock, from a server time hhmmss and date YYYYMMDD
// read in the local time zone.
void SetServerTimeOffset(int time, int date);
double SelfStock_GetServerTimeOffset();

int SelfStock_GetUploadState();
// Clearing the upload state also clears the update flag.
void SelfStock_SetUploadState(int state);
int SelfStock_GetUpdateFlag();
void SelfStock_SetUpdateFlag(int flag);
int SelfStock_IsDirty();
void SelfStock_SetDirty(int dirty);

// Seconds since the epoch; tests install a fixed clock, null restores the system clock.
void SelfStock_SetClock(std::function<double()> now);
