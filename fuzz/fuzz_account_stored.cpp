// "hq_privateInfo.plist" as the account screen reads it: records of any shape and value type.
// Reading, adding the screen's own record and writing back must not crash; the written list
// holds the new record first and each user name once.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "account/StoredAccounts.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzsupport::ScratchPath(kStoredAccountsFile);
  fuzzsupport::WriteBytes(path, data, size);
  foundation::Array accounts = LoadStoredAccounts(path);
  for (const auto& record : accounts) {
    AccountUser(record);
    AccountPassword(record);
    AccountRemembers(record);
  }
  AddStoredAccount(accounts, MakeAccountRecord("fuzz", "pw", true, "", 0, "", 0));
  if (accounts.empty() || AccountUser(accounts[0]) != "fuzz") __builtin_trap();
  if (!SaveStoredAccounts(accounts, path)) return 0;
  foundation::Array again = LoadStoredAccounts(path);
  if (again.size() != accounts.size()) __builtin_trap();
  int named = 0;
  for (const auto& record : again) named += AccountUser(record) == "fuzz" ? 1 : 0;
  if (named != 1) __builtin_trap();
  return 0;
}
