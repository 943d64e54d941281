#include "account/TradeSession.h"

#include <memory>

#include "core/CDataCenter.h"
#include "core/CSocket.h"
#include "core/CoreState.h"
#include "core/NetworkThreads.h"

namespace {

struct TradeLogin {
  std::weak_ptr<net::Socket> connection;
  std::string user;  // the application's user at the trade login
  bool made = false;
};

TradeLogin& Login() {
  static TradeLogin login;
  return login;
}

}  // namespace

bool IsTradeLoggedIn() {
  const TradeLogin& login = Login();
  if (!login.made || GetDataCenter().GetAccount().empty()) return false;
  const net::SocketPtr now = GetCoreSocket(CoreConnection::Trade).GetCFSocket();
  return now && now == login.connection.lock() && login.user == GetLoginUserName();
}

std::string TradeLoginAccount() {
  return IsTradeLoggedIn() ? GetDataCenter().GetAccount() : std::string();
}

void NoteTradeLogin(const std::string& account, const std::string& password) {
  TradeLogin& login = Login();
  login.connection = GetCoreSocket(CoreConnection::Trade).GetCFSocket();
  login.user = GetLoginUserName();
  login.made = true;
  GetDataCenter().SetAccount(account.c_str());
  GetDataCenter().SetAssetPassword(password.c_str());
}

void ForgetTradeLogin() {
  Login() = TradeLogin{};
  GetDataCenter().SetAccount("");
  GetDataCenter().SetAssetPassword("");
}

void EndTradeLogin() {
  ForgetTradeLogin();
  GetCoreSocket(CoreConnection::Trade).Close();
}
