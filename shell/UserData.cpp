#include "shell/UserData.h"

#include <map>

#include "platform/foundation/Log.h"

namespace {

std::map<std::string, std::function<void(const std::string&)>>& Forgetters() {
  static std::map<std::string, std::function<void(const std::string&)>> all;
  return all;
}

}  // namespace

void RegisterUserDataForgetter(const std::string& keeper,
                               std::function<void(const std::string& user)> forget) {
  Forgetters()[keeper] = std::move(forget);
}

void ForgetUserData(const std::string& user) {
  if (user.empty()) return;
  for (const auto& [keeper, forget] : Forgetters()) {
    foundation::logInfo("forgetting what %s keeps for a deleted account", keeper.c_str());
    forget(user);
  }
}
