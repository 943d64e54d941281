// The authentication server's answers (logins, logout, broker and branch lists, SMS code and
// phone login, registration and password) and the quote and message servers' login answers.
#include <ctime>

#include "core/MDBF.h"
#include "platform/foundation/Text.h"
#include "testserver/ServerCore.h"
#include "testserver/Table.h"

namespace testserver {

namespace {

constexpr const char* kDeviceString = "VERDAN-LOOPBACK-DEVICE";

struct Broker {
  int32_t code;
  const char* name;
  struct Branch {
    int32_t code;
    const char* name;
  } branches[3];
};
const Broker kBrokers[] = {
    {1001, "华信证券", {{1, "上海浦东营业部"}, {2, "北京金融街营业部"}, {3, "深圳福田营业部"}}},
    {1002,
     "长江证券",
     {{11, "武汉中北路营业部"}, {12, "上海世纪大道营业部"}, {13, "广州天河营业部"}}},
    {1003,
     "东方证券",
     {{21, "杭州延安路营业部"}, {22, "南京中山路营业部"}, {23, "成都人民南路营业部"}}},
};

// Users the server knows with their passwords; any other name logs in with any password.
struct KnownUser {
  const char* name;
  const char* password;
};
const KnownUser kKnownUsers[] = {{"zhang3", "123456"},
                                 {"li4", "654321"},
                                 {"demo01", "888888"},
                                 // The messaging accounts: the adviser 9001 (王明) of the staff
                                 // list and his clients 8001 (赵强) and 8002 (孙丽) of the client
                                 // list (each demo logs in as a client of its own).
                                 {"9001", "900100"},
                                 {"8001", "800100"},
                                 {"8002", "800200"}};

bool KnownName(const std::string& name) {
  for (const KnownUser& u : kKnownUsers)
    if (name == u.name) return true;
  return false;
}

// False for a known user with another password.
bool PasswordMatches(const std::string& name, const std::string& password) {
  for (const KnownUser& u : kKnownUsers)
    if (name == u.name) return password == u.password;
  return true;
}

int64_t ServerDateTime(const ServerCore& s) {
  int m = s.minute();
  int64_t time = (m / 60) * 10000 + (m % 60) * 100;
  return (static_cast<int64_t>(s.date()) << 32) | time;
}

// The quote and message servers take the user name (33) as given.
std::string LogInByName(Connection& c, const Request& req) {
  MDBF t;
  std::string name;
  if (ParseTable(req, t)) {
    name = t.GetNSString(33);
    c.device = t.GetNSString(47);
  }
  c.user = name;
  c.loggedIn = true;
  return name;
}

void LoginAnswer(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string name, password;
  if (ParseTable(req, t)) {
    name = t.GetNSString(33);
    password = t.GetNSString(23);
    c.device = t.GetNSString(47);
  }
  if (!name.empty() && password.empty()) {
    s.replyError(c, req, "请输入密码", true);
    return;
  }
  // Without the server-text mark: the screen that asked shows it.
  if (!PasswordMatches(name, password)) {
    s.replyError(c, req, "用户名或密码错误，请重新输入", false);
    return;
  }
  c.user = name;
  c.loggedIn = true;
  UserState& u = s.stateOf(c, name);
  TableWriter w;
  w.text(36, s.addressString());
  w.text(71, kDeviceString);
  w.text(35, u.rights);
  w.text(58, u.qsid);
  w.i32(70, MessageUserType(name));
  s.reply(c, req, w.build(), req.enciphered);
}

void QuoteLogin(ServerCore& s, Connection& c, const Request& req) {
  const std::string name = LogInByName(c, req);
  UserState& u = s.stateOf(c, name);
  bool accepted = true;
  s.changeAccountSettings([&](ServerCore::AccountSettings& a) {
    if (a.notAccepted > 0) {
      --a.notAccepted;
      accepted = false;
    }
  });
  const ServerCore::AccountSettings settings = s.accountSettings();
  TableWriter w;
  w.i32(40, accepted ? 0 : 1);
  w.text(34, s.addressString());
  w.text(35, u.rights);
  w.text(58, u.qsid);
  w.i32(70, MessageUserType(name));
  w.i64(52, ServerDateTime(s));
  w.utf16(28, settings.upgradeNotes);
  w.text(46, settings.upgradeURL);
  w.utf16(38, settings.loginNotice);
  s.reply(c, req, w.build(), req.enciphered);
}

void MessageLogin(ServerCore& s, Connection& c, const Request& req) {
  const std::string name = LogInByName(c, req);
  TableWriter w;
  w.text(44, s.stateOf(c, name).qsid);
  w.i32(70, MessageUserType(name));
  w.utf16(38, "登录成功");
  s.reply(c, req, w.build(), req.enciphered);
}

void Logout(ServerCore& s, Connection& c, const Request& req) {
  c.loggedIn = false;
  TableWriter w;
  w.utf16(38, "已退出登录");
  s.reply(c, req, w.build(), req.enciphered);
}

void RegisterOrPassword(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string name;
  if (ParseTable(req, t)) name = t.GetNSString(33);
  if (name.empty()) {
    s.replyError(c, req, "请输入用户名", false);
    return;
  }
  // As the real server: a name is registered once, and only a registered name has a password.
  const bool exists = KnownName(name) || s.hasUser(name);
  if (req.header.ChildType == 1 && exists) {
    s.replyError(c, req, "用户名" + name + "已被注册，请换一个用户名", false);
    return;
  }
  if (req.header.ChildType == 2 && !exists) {
    s.replyError(c, req, "用户" + name + "不存在，请先注册", false);
    return;
  }
  TableWriter w;
  if (req.header.ChildType == 1) {
    s.user(name);
    w.utf16(38, "用户" + name + "注册成功，初始密码已发送到您的手机。");
  } else {
    w.utf16(38, "用户" + name + "的密码已发送到您的手机。");
  }
  s.reply(c, req, w.build(), req.enciphered);
}

// Some 60 brokers: the three named ones first, then numbered ones, each with three branches.
constexpr int kBrokerCount = 60;

int32_t BrokerCode(int i) {
  return i < 3 ? kBrokers[i].code : 1001 + i;
}

std::string BrokerNameAt(int i) {
  if (i < 3) return kBrokers[i].name;
  static const char* const kCities[] = {"申江", "京华", "粤海", "蜀汉", "江南",
                                        "齐鲁", "燕赵", "闽台", "湘楚", "荆州"};
  return foundation::format("%s第%d证券", kCities[i % 10], i);
}

int BrokerIndex(int32_t code) {
  for (int i = 0; i < kBrokerCount; ++i)
    if (BrokerCode(i) == code) return i;
  return -1;
}

void BrokerList(ServerCore& s, Connection& c, const Request& req) {
  TableWriter w;
  for (int i = 0; i < kBrokerCount; ++i) {
    w.addRow();
    w.utf16(20, BrokerNameAt(i));
    w.i32(22, BrokerCode(i));
  }
  // Three packets of whole records, numbered 0, 1 and 2.
  s.replyTableInParts(c, req, w.build(), 3, req.enciphered);
}

void BranchList(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  int32_t broker = ParseTable(req, t) ? t.GetInt(22) : 0;
  const int index = BrokerIndex(broker);
  TableWriter w;
  if (index >= 0 && index < 3) {
    for (const auto& br : kBrokers[index].branches) {
      w.addRow();
      w.utf16(23, br.name);
      w.i32(25, br.code);
    }
  } else if (index >= 3) {
    static const char* const kPlaces[] = {"中心营业部", "东城营业部", "西城营业部"};
    for (int k = 0; k < 3; ++k) {
      w.addRow();
      w.utf16(23, kPlaces[k]);
      w.i32(25, index * 10 + k + 1);
    }
  }
  s.reply(c, req, w.build(), req.enciphered);
}

// Kind 1 with an address on the HTTP role for brokers of an even index, HTML for the others and
// for code 0.
void BrokerInfo(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  int32_t broker = 0, branch = 0;
  if (ParseTable(req, t)) {
    broker = t.GetInt(22);
    branch = t.GetInt(25);
  }
  const int index = BrokerIndex(broker);
  const std::string name = index >= 0 ? BrokerNameAt(index) : "证券公司";
  TableWriter w;
  if (index >= 0 && index % 2 == 0) {
    w.i32(28, 1);
    w.text(29, foundation::format("http://127.0.0.1:%u/broker/%d",
                                  static_cast<unsigned>(s.port(Role::Http)), broker));
  } else {
    w.i32(28, 0);
    w.utf16(29, foundation::format("<html><body><h3>%s</h3><p>营业部编号 %d，客服电话 95500。</p>"
                                   "</body></html>",
                                   name.c_str(), branch));
  }
  if (!s.accountSettings().brokerInfoWithoutPhone) w.text(26, "95500");
  w.utf16(27, name + "客服热线 95500");
  w.utf16(30, name);
  s.reply(c, req, w.build(), req.enciphered);
}

void SmsCode(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string phone = ParseTable(req, t) ? t.GetNSString(21) : "";
  if (phone.size() != 11) {
    s.replyError(c, req, "手机号码格式不正确", false);
    return;
  }
  TableWriter w;
  w.text(21, phone);
  w.utf16(38, "短信验证码已发送");
  s.reply(c, req, w.build(), req.enciphered);
}

void PhoneLogin(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string phone, code;
  if (ParseTable(req, t)) {
    phone = t.GetNSString(21);
    code = t.GetNSString(22);
  }
  // Any six-digit code passes, except the one tests use to see a refusal.
  if (code.size() != 6 || code == "000000") {
    s.replyError(c, req, "验证码错误", false);
    return;
  }
  c.user = phone;
  c.loggedIn = true;
  TableWriter w;
  w.text(21, phone);
  w.text(58, s.user(phone).qsid);
  s.reply(c, req, w.build(), req.enciphered);
}

}  // namespace

std::string BrokerName(int32_t code) {
  const int index = BrokerIndex(code);
  return index >= 0 ? BrokerNameAt(index) : std::string();
}

void RegisterAuthHandlers(ServerCore& s) {
  s.on(Role::Auth, kMainTypeLogin, 5, LoginAnswer);
  s.on(Role::Auth, kMainTypeLogin, 6, LoginAnswer);
  s.on(Role::Auth, kMainTypeLogin, 1, RegisterOrPassword);
  s.on(Role::Auth, kMainTypeLogin, 2, RegisterOrPassword);
  s.on(Role::Auth, kMainTypeLogin, 13, Logout);
  s.on(Role::Auth, kMainTypeLogin, 40, BrokerList);
  s.on(Role::Auth, kMainTypeLogin, 41, BranchList);
  s.on(Role::Auth, kMainTypeLogin, 42, BrokerInfo);
  s.on(Role::Auth, kMainTypeLogin, 43, SmsCode);
  s.on(Role::Auth, kMainTypeLogin, 44, PhoneLogin);
  s.on(Role::Quote, kMainTypeLogin, 7, QuoteLogin);
  s.on(Role::Message, kMainTypeLogin, 10, MessageLogin);
}

}  // namespace testserver
