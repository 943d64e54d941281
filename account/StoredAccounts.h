// The accounts stored on the phone ("hq_privateInfo.plist" in the documents folder): an array of
// dictionaries, newest first, one per user name. Records are kept as read, so entries of any
// shape survive a rewrite; the readers below take what a record holds of the expected type.
#pragma once

#include <string>

#include "platform/foundation/Value.h"

inline constexpr char kStoredAccountsFile[] = "hq_privateInfo.plist";
inline constexpr char kAccountUser[] = "hq_sasa";
inline constexpr char kAccountPassword[] = "hq_lklk";
inline constexpr char kAccountRemember[] = "hq_remem";
inline constexpr char kAccountBrokerName[] = "hq_qsmc";
inline constexpr char kAccountBrokerCode[] = "hq_qsdm";
inline constexpr char kAccountBranchName[] = "hq_yybmc";
inline constexpr char kAccountBranchCode[] = "hq_yybdm";

std::string StoredAccountsPath();
// The stored records; an empty array when the file is missing, unreadable or not an array.
foundation::Array LoadStoredAccounts(const std::string& path = StoredAccountsPath());
// Writes the whole array atomically, readable by its owner only; a record whose remember flag
// is off is written without its password. False (logged) when it cannot be written. Loading
// makes a file that others can read owner-only.
bool SaveStoredAccounts(const foundation::Array& accounts,
                        const std::string& path = StoredAccountsPath());
// Puts the record first, dropping an earlier record of the same user name; a record without a
// user name changes nothing. True when the list changed.
bool AddStoredAccount(foundation::Array& accounts, foundation::Value record);

// A record's fields ("" or 0 when absent or of another type).
std::string AccountUser(const foundation::Value& record);
std::string AccountPassword(const foundation::Value& record);
bool AccountRemembers(const foundation::Value& record);
// The last login in "save.cfg": its user name and, only when the user asked for it ("记住密码"),
// its password, marked "loginpwdkept" so that a password kept unasked by older versions can be
// told apart. An empty password clears the stored one.
inline constexpr char kLoginPasswordKeptKey[] = "loginpwdkept";
void WriteLastLogin(const std::string& user, const std::string& password);
// The user name of the last login in "save.cfg" ("" when none).
std::string LastLoginUser();
// The remember choice of the stored account named `user`, made on the account screen: kept in
// its record at once (a record no longer remembering is written without its password), and
// when it is the last login, in "save.cfg" too. `sessionPassword` is the password of that user's
// login in the session ("" when another user is logged in); it is what a record turned back on
// remembers when it no longer holds one. True when a record names the user.
bool SetStoredAccountRemembers(foundation::Array& accounts, const std::string& user, bool remember,
                               const std::string& sessionPassword);
// Older versions kept the login screen's password whatever the user chose: a stored password
// that neither the mark nor a remembering account record (`accounts`) vouches for is dropped
// from "save.cfg" and from the session, and one a remembering record vouches for gets the mark.
// True when a password was dropped.
bool DropUnaskedLoginPassword(const foundation::Array& accounts);

// A new record of the given values.
foundation::Value MakeAccountRecord(const std::string& user, const std::string& password,
                                    bool remember, const std::string& brokerName, int brokerCode,
                                    const std::string& branchName, int branchCode);
