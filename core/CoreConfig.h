// The core configuration: the bundle's "main.cfg" (defaults, never written), the documents
// folder's "save.cfg" (user state) and the six server address lists the connections pick their
// servers from.
#pragma once

#include "core/CDataIP.h"
#include "core/MIniFile.h"

// Type numbers of the lists in the server address string.
enum ServerListType {
  kServerListQuote = 1,
  kServerListTrade = 2,
  kServerListInfo = 3,
  kServerListMessage = 5,
  kServerListAuth = 6,
  kServerListPriceAlert = 7,
};

MIniFileExt& GetMainConfig();
MIniFileExt& GetSaveConfig();

// The list of a type above; null for any other number.
CDataIP* GetServerList(int type);
// Empties all six lists.
void ClearServerLists();

// Start-up, on the main thread before any connection: sets the documents folder, loads both
// files, fills the authentication list ("save.cfg" first, then "main.cfg"), the info and trade
// lists, and restores the login, K-line indicator, device token and trade settings.
void InitCoreConfig();

// Rebuilds the lists named in a server address string: up to six ';'-separated groups of
// "type=N,addr1=host:port,addr2=..."; an empty group ends the string. The authentication list
// (type 6) is also written to "save.cfg".
void SetServerAddressList(const char* text);

// The value of "key=" inside one group; only the first occurrence of the key is looked at, and it
// counts only at the start of the group or right after a ','.
char* GetKeyValue(const char* text, char* out, int size, const char* key);
int GetKeyValueInt(const char* text, const char* key);
