#include "account/StoredAccounts.h"

#include <filesystem>

#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

std::string StoredAccountsPath() {
  return foundation::documentsDir() + "/" + kStoredAccountsFile;
}

foundation::Array LoadStoredAccounts(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return {};
  // Written readable by others before passwords were kept private: closed at once.
  const auto perms = std::filesystem::status(path, ec).permissions();
  if (!ec && (perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all)) !=
                 std::filesystem::perms::none) {
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
    if (ec) foundation::logError("cannot make the stored accounts owner-only");
  }
  auto result = foundation::PropertyList::readFile(path);
  if (!result.value.isArray()) return {};
  return result.value.asArray();
}

bool SaveStoredAccounts(const foundation::Array& accounts, const std::string& path) {
  // A password is kept only where the user asked for it, also in records of older files.
  foundation::Array kept = accounts;
  for (foundation::Value& record : kept) {
    if (record.isDictionary() && !AccountRemembers(record) && !AccountPassword(record).empty())
      record[kAccountPassword] = std::string();
  }
  foundation::AtomicWriteOptions options;
  options.mode = 0600;
  if (foundation::PropertyList::writeFile(path, foundation::Value(std::move(kept)),
                                          foundation::PropertyListFormat::Xml, options))
    return true;
  foundation::logError("cannot write the stored accounts");
  return false;
}

std::string AccountUser(const foundation::Value& record) {
  const foundation::Value& user = record[kAccountUser];
  return user.isString() ? user.asString() : std::string();
}

std::string AccountPassword(const foundation::Value& record) {
  const foundation::Value& password = record[kAccountPassword];
  return password.isString() ? password.asString() : std::string();
}

bool AccountRemembers(const foundation::Value& record) {
  const foundation::Value& remember = record[kAccountRemember];
  return remember.isNumber() && remember.toInt() != 0;
}

bool AddStoredAccount(foundation::Array& accounts, foundation::Value record) {
  const std::string user = AccountUser(record);
  if (user.empty()) return false;
  for (auto it = accounts.begin(); it != accounts.end(); ++it) {
    if (AccountUser(*it) == user) {
      accounts.erase(it);
      break;
    }
  }
  accounts.insert(accounts.begin(), std::move(record));
  return true;
}

foundation::Value MakeAccountRecord(const std::string& user, const std::string& password,
                                    bool remember, const std::string& brokerName, int brokerCode,
                                    const std::string& branchName, int branchCode) {
  return foundation::Dictionary{{kAccountUser, user},
                                {kAccountPassword, password},
                                {kAccountRemember, remember ? 1 : 0},
                                {kAccountBrokerName, brokerName},
                                {kAccountBrokerCode, brokerCode},
                                {kAccountBranchName, branchName},
                                {kAccountBranchCode, branchCode}};
}

void WriteLastLogin(const std::string& user, const std::string& password) {
  MIniFileExt& save = GetSaveConfig();
  save.WriteStringLocked("hq", "loginname", user.c_str());
  save.WriteStringLocked("hq", "loginpwd", password.c_str());
  save.WriteInt("hq", kLoginPasswordKeptKey, password.empty() ? 0 : 1);
  save.Save();
}

std::string LastLoginUser() {
  char user[100] = {0};
  GetSaveConfig().GetStringLocked("hq", "loginname", "", user, sizeof user);
  return user;
}

bool SetStoredAccountRemembers(foundation::Array& accounts, const std::string& user, bool remember,
                               const std::string& sessionPassword) {
  if (user.empty()) return false;
  for (foundation::Value& record : accounts) {
    if (AccountUser(record) != user) continue;
    record[kAccountRemember] = foundation::Value(remember ? 1 : 0);
    if (remember && AccountPassword(record).empty() && !sessionPassword.empty())
      record[kAccountPassword] = foundation::Value(sessionPassword);
    SaveStoredAccounts(accounts);
    if (LastLoginUser() == user) WriteLastLogin(user, remember ? AccountPassword(record) : "");
    return true;
  }
  return false;
}

bool DropUnaskedLoginPassword(const foundation::Array& accounts) {
  MIniFileExt& save = GetSaveConfig();
  char user[100] = {0};
  char password[100] = {0};
  save.GetStringLocked("hq", "loginname", "", user, sizeof user);
  save.GetStringLocked("hq", "loginpwd", "", password, sizeof password);
  if (!password[0] || save.GetInt("hq", kLoginPasswordKeptKey, 0) != 0) return false;
  for (const foundation::Value& record : accounts) {
    if (AccountUser(record) != user) continue;
    if (!AccountRemembers(record)) break;
    // Asked for on the account screen before the mark existed.
    save.WriteInt("hq", kLoginPasswordKeptKey, 1);
    save.Save();
    return false;
  }
  WriteLastLogin(user, "");
  if (GetLoginUserName() == user && !GetLoginPassword().empty()) SetLoginInfo(user, "");
  foundation::logInfo("a login password kept without being asked for was dropped");
  return true;
}
