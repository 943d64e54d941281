// Who is logged in, what the servers granted and a few session values. The login answers write
// them on a network thread while the screens read them on the main thread: the numbers are
// atomic and the texts sit behind one lock, handed out as copies.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Texts are cut to their stored widths: user name and password 49, QSID 9, device string 1023,
// device token 99 characters.
void SetLoginInfo(const char* name, const char* password);
std::string GetLoginUserName();
std::string GetLoginPassword();
int IsLoginUserNameEmpty();

void SetQSID(const char* text);
std::string GetQSID();
void SetDeviceString(const char* text);
std::string GetDeviceString();
// With save set, also writes "hq"/"devicetoken" of "save.cfg" and saves it.
void SetDeviceToken(const char* text, int save);
std::string GetDeviceToken();

void SetLoggedIn(int flag);
int IsLoggedIn();
void SetGuestLogin(int flag);
int IsGuestLogin();

// The rights list of the quote login: decimal numbers separated by ','; at most ten items are
// read and an empty or non-numeric item ends the scan. Sets the logged-in flag.
void ParseRightsList(const char* text);
int GetQuoteLevelRight();  // 0 none, 1 (right 31), 2 (right 32)
int HasRight49();
int LacksRight30();

void SetKLineIndexType(int type);
int GetKLineIndexType();
void SetMsgUserType(int type);
int GetMsgUserType();

// -1 while not yet known; 1 grants the price-alert screens.
void SetPriceNotifyRight(int8_t right);
int8_t GetPriceNotifyRight();
// Keeps at most 30 UTF-16 units.
void StorePriceNotifyText(std::u16string_view text);
std::u16string GetPriceNotifyText();

// The two "adviser table loaded" flags of the messaging screens (index 0 or 1).
void SetBrokerTableLoaded(int index, int loaded);
int IsBrokerTableLoaded(int index);
// The messaging subsystem clears its adviser tables and kept broker list here.
void SetBrokerTablesResetHandler(std::function<void()> handler);
void ResetBrokerTables();

// Logout or forced re-login: closes the authentication, quote, message and price-alert
// connections, clears the rights (not the logged-in flag), restarts the hand-out position of the
// quote, info, trade, message and price-alert lists, resets the broker tables, the message user
// type (0) and the price-alert right (-1).
void ResetAllCoreState();
