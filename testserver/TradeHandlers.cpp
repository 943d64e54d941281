// The trade server (key exchange, bank information, transfers) and the verification server,
// whose requests may also come over the quote port (the client races the quote list for it).
#include <algorithm>
#include <string>

#include "core/DataEncrypt.h"
#include "core/MDBF.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "testserver/ServerCore.h"
#include "testserver/Table.h"

namespace testserver {

namespace {

std::string PickedKey(const std::string& text) {
  char key[kRequestKeyLen + 1] = {};
  PickKeyBytes(text.data(), static_cast<uint32_t>(text.size()), key, kRequestKeyLen);
  return std::string(key, kRequestKeyLen);
}

// Key exchange: the client's text gives the key it now holds, which enciphers this answer;
// the text sent back gives the key of the rest of the session.
void SessionKey(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string clientText = ParseTable(req, t) ? t.GetNSString(21) : "";
  if (clientText.empty()) {
    s.replyError(c, req, "密钥交换失败", false);
    return;
  }
  std::string serverText(1024, '0');
  static const char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (size_t i = 0; i < serverText.size(); ++i)
    serverText[i] = kAlphabet[Mix(s.options().seed ^ c.id, i) % 36];
  TableWriter w;
  w.text(21, serverText);
  w.text(20, "20090514.01");
  c.tradeKey = PickedKey(clientText);
  s.reply(c, req, w.build(), true);
  c.tradeKey = PickedKey(serverText);
}

// The trade accounts the broker keeps: fund account and trade password.
struct TradeAccount {
  const char* account;
  const char* password;
};
const TradeAccount kTradeAccounts[] = {{"880001", "112233"}, {"880002", "445566"}};

// 146/1: a trade login with the account (field 1) and password (field 16) binds this connection
// to the account; every trade request after it is served for that account only.
void TradeLogin(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string account, password;
  if (ParseTable(req, t)) {
    account = t.GetNSString(1);
    password = t.GetNSString(16);
  }
  if (account.empty() || password.empty()) {
    s.replyError(c, req, account.empty() ? "请输入资金账号" : "请输入交易密码", false);
    return;
  }
  bool matches = false;
  for (const TradeAccount& a : kTradeAccounts)
    matches = matches || (account == a.account && password == a.password);
  if (!matches) {
    c.tradeAccount.clear();
    c.tradePassword.clear();
    s.replyError(c, req, "资金账号或交易密码错误", false);
    return;
  }
  c.tradeAccount = account;
  c.tradePassword = password;
  TableWriter w;
  w.text(1, account);
  w.utf16(15, "交易登录成功");
  s.reply(c, req, w.build(), true);
}

constexpr const char* kNoTradeLogin = "尚未登录交易账号，请先登录";

// A request of a trade account is answered only on a connection logged in to it; where the
// request names the login's account and password (`passwordField`, 0 for none) they must be
// that login's.
Handler ForTradeLogin(Handler handler, uint8_t passwordField) {
  return [handler, passwordField](ServerCore& s, Connection& c, const Request& req) {
    if (c.tradeAccount.empty()) {
      s.replyError(c, req, kNoTradeLogin, false);
      return;
    }
    if (passwordField != 0) {
      MDBF t;
      const bool parsed = ParseTable(req, t);
      if (!parsed || t.GetNSString(1) != c.tradeAccount ||
          t.GetNSString(passwordField) != c.tradePassword) {
        s.replyError(c, req, "资金账号或交易密码不符，请重新登录", false);
        return;
      }
    }
    handler(s, c, req);
  };
}

// The linked banks: 工商银行 with two currencies whose password flags differ, 建设银行 whose
// record carries no currency (listed, not accepted), 招商银行 whose one currency has no flag
// fields at all.
void BankInfo(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string account = ParseTable(req, t) ? t.GetNSString(1) : "";
  TableWriter w;
  auto bank = [&](const char* code, const char* name, const char* card) {
    w.addRow();
    w.text(1, account);
    w.text(20, code);
    w.utf16(21, name);
    w.text(22, card);
  };
  // Flags as texts: a record without them holds empty texts.
  auto flags = [&](int f23, int f24, int f25, int f26, int f27) {
    const int values[] = {f23, f24, f25, f26, f27};
    for (int i = 0; i < 5; ++i) w.text(static_cast<uint8_t>(23 + i), std::to_string(values[i]));
  };
  bank("01", "工商银行", "6222020200112233");
  w.i32(6, 0);
  w.utf16(15, "人民币");
  flags(1, 1, 1, 1, 1);
  bank("01", "工商银行", "6222020200119988");
  w.i32(6, 1);
  w.utf16(15, "美元");
  flags(3, 2, 2, 2, 2);
  bank("02", "建设银行", "6227000012345678");
  bank("03", "招商银行", "6225880155667788");
  w.i32(6, 0);
  w.utf16(15, "人民币");
  // Two packets of whole records.
  s.replyTableInParts(c, req, w.build(), 2, true);
}

// The synthetic account's assets at its banks: 35 records, answered a page at a time from the
// request's first record (11) and count (12), each page with its start and the total.
constexpr int kAssetRecords = 35;
// Every bank account's balance before any transfer, 1/100.
constexpr int64_t kBankBalance = 5236088;
const char* const kBankCodes[] = {"01", "02", "03"};

int AssetBank(int record) {
  return record < 15 ? 0 : (record < 25 ? 1 : 2);
}
int AssetCurrency(int record) {
  return record % 3 == 2 ? 1 : 0;
}
std::string AssetAccount(int record) {
  return foundation::format("88000%d%04d", AssetBank(record) + 1, 1000 + record);
}
// A record's balance and available funds before any transfer, 1/100.
int64_t AssetBalance(int record) {
  return (10000 + record * 731) * 100 + record * 7 % 100;
}
int64_t AssetAvailable(int record) {
  return (8000 + record * 512) * 100 + record * 3 % 100;
}
std::string Money(int64_t cents) {
  return foundation::format("%s%lld.%02lld", cents < 0 ? "-" : "",
                            static_cast<long long>((cents < 0 ? -cents : cents) / 100),
                            static_cast<long long>((cents < 0 ? -cents : cents) % 100));
}
// An amount text as 1/100 of the currency: digits with at most two decimals; -1 otherwise.
int64_t Cents(const std::string& text) {
  int64_t whole = 0, cents = 0;
  int decimals = -1, digits = 0;
  for (char ch : text) {
    if (ch == '.' && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (ch < '0' || ch > '9' || decimals >= 2 || digits >= 12) return -1;
    if (decimals < 0) {
      whole = whole * 10 + (ch - '0');
      ++digits;
    } else {
      cents = cents * 10 + (ch - '0');
      ++decimals;
    }
  }
  if (digits == 0 && decimals <= 0) return -1;
  if (decimals == 1) cents *= 10;
  return whole * 100 + cents;
}

void AssetList(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  int32_t start = 0, count = 10;
  if (ParseTable(req, t)) {
    if (t.GetFieldData(11)) start = t.GetInt(11);
    if (t.GetFieldData(12)) count = t.GetInt(12);
  }
  if (start < 0 || count <= 0) {
    s.replyError(c, req, "查询参数不正确", false);
    return;
  }
  const auto books = s.accountSettings().fundMoved;
  TableWriter w;
  for (int i = start; i < kAssetRecords && i < start + count; ++i) {
    const auto moved = books.find(i);
    const int64_t delta = moved == books.end() ? 0 : moved->second;
    w.addRow();
    // Every record an account of its own: one balance a row.
    w.text(1, AssetAccount(i));
    w.text(20, kBankCodes[AssetBank(i)]);
    w.i32(6, AssetCurrency(i));
    w.utf16(15, AssetCurrency(i) ? "美元" : "人民币");
    w.text(31, Money(AssetBalance(i) + delta));
    w.text(32, Money(AssetAvailable(i) + delta));
    w.text(30, foundation::format("%04d", i + 1));
  }
  s.reply(c, req, w.build(kAssetRecords, start), true);
}

// The bank's password rules of a currency at a bank (the flags its bank information carries):
// whether a balance query needs the bank password or is not offered, whether a transfer out
// needs the fund password and the bank password, and whether a transfer in does.
struct BankRules {
  bool known = false;
  bool balanceNeedsBankPassword = false, balanceRefused = false;
  bool outNeedsFundPassword = false, outNeedsBankPassword = false;
  bool inNeedsFundPassword = false, inNeedsBankPassword = false;
};
BankRules RulesOf(const std::string& bank, int32_t currency) {
  BankRules r;
  if (bank == "01" && currency == 0) {  // flags 1, 1, 1, 1, 1
    r = {true, true, false, true, true, true, true};
  } else if (bank == "01" && currency == 1) {  // flags 3, 2, 2, 2, 2
    r = {true, false, true, true, true, true, true};
  } else if (bank == "03" && currency == 0) {  // no flags: no passwords
    r.known = true;
  }
  return r;
}

// The asset record a fund account names (the first of its currency when it names none, as the
// transferable amount is asked with the login account).
int FundRecord(const std::string& account, int32_t currency) {
  for (int i = 0; i < kAssetRecords; ++i)
    if (AssetAccount(i) == account && AssetCurrency(i) == currency) return i;
  for (int i = 0; i < kAssetRecords; ++i)
    if (AssetCurrency(i) == currency) return i;
  return -1;
}

// The fund account a transfer through a bank reaches: the named one when it is that bank's in
// the currency, else the bank's first of the currency (a transfer named with the login account,
// or with the bank's account of another currency); -1 when the bank has none.
int BankFundRecord(const std::string& account, const std::string& bank, int32_t currency) {
  auto at = [&](int i) { return kBankCodes[AssetBank(i)] == bank && AssetCurrency(i) == currency; };
  for (int i = 0; i < kAssetRecords; ++i)
    if (at(i) && AssetAccount(i) == account) return i;
  for (int i = 0; i < kAssetRecords; ++i)
    if (at(i)) return i;
  return -1;
}

// The fund accounts of the logged-in trade account: its own and those of its asset records.
bool OwnFundAccount(const Connection& c, const std::string& account) {
  if (account == c.tradeAccount) return true;
  for (int i = 0; i < kAssetRecords; ++i)
    if (AssetAccount(i) == account) return true;
  return false;
}

// Transfers and bank queries are served on trading days from 9:00 to 16:00.
bool TransferHours(ServerCore& s) {
  const Market& m = s.market();
  return !m.closed() && m.minute() >= 9 * 60 && m.minute() < 16 * 60;
}
constexpr const char* kOutOfHours =
    "非交易时段暂停服务：银证转账及银行余额查询的服务时间为交易日 9:00 至 16:00";

void Transfer(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  const bool parsed = ParseTable(req, t);
  const uint8_t child = req.header.ChildType;
  const int32_t currency = parsed && t.FindField(6) ? t.GetInt(6) : 0;
  if (child == 45) {
    // What may go out: the available funds of the account's record, as the asset table shows.
    const std::string account = parsed ? t.GetNSString(1) : "";
    const int record = FundRecord(account, currency);
    const auto books = s.accountSettings().fundMoved;
    const auto moved = books.find(record);
    const int64_t available =
        record < 0 ? 0
                   : AssetAvailable(record) + (moved == books.end() ? 0 : moved->second);
    TableWriter w;
    w.utf16(15, "可转资金查询成功");
    w.text(73, Money(std::max<int64_t>(0, available)));
    s.reply(c, req, w.build(), true);
    return;
  }
  if (!TransferHours(s)) {
    s.replyError(c, req, kOutOfHours, false);
    return;
  }
  const std::string fundAccount = parsed ? t.GetNSString(1) : "";
  const std::string bank = parsed ? t.GetNSString(20) : "";
  const std::string bankAccount = parsed ? t.GetNSString(22) : "";
  const std::string bankPassword = parsed ? t.GetNSString(14) : "";
  const BankRules rules = RulesOf(bank, currency);
  if (!rules.known) {
    s.replyError(c, req, "该银行账户未开通此币种的银证转账业务", false);
    return;
  }
  const std::string bankKey = foundation::format("%s/%s/%d", bank.c_str(), bankAccount.c_str(),
                                                 static_cast<int>(currency));
  if (child == 43) {
    if (rules.balanceRefused) {
      s.replyError(c, req, "无法查询银行资金", false);
      return;
    }
    if (rules.balanceNeedsBankPassword && bankPassword.empty()) {
      s.replyError(c, req, "请输入银行密码", false);
      return;
    }
    const auto banks = s.accountSettings().bankBalances;
    const auto it = banks.find(bankKey);
    TableWriter w;
    w.utf16(15, "银行余额查询成功");
    w.text(40, Money(it == banks.end() ? kBankBalance : it->second));
    s.reply(c, req, w.build(), true);
    return;
  }
  if (child != 41) {
    TableWriter w;
    w.utf16(15, "成功");
    s.reply(c, req, w.build(), true);
    return;
  }
  const int64_t amount = parsed ? Cents(t.GetNSString(33)) : -1;
  const int32_t direction = parsed ? t.GetInt(34) : 0;
  if (amount <= 0) {
    s.replyError(c, req, "转账金额不正确", false);
    return;
  }
  const bool in = direction == 1;  // bank to securities
  const std::string fundPassword = t.GetNSString(13);
  if ((in ? rules.inNeedsBankPassword : rules.outNeedsBankPassword) && bankPassword.empty()) {
    s.replyError(c, req, "请输入银行密码", false);
    return;
  }
  if ((in ? rules.inNeedsFundPassword : rules.outNeedsFundPassword) && fundPassword.empty()) {
    s.replyError(c, req, "请输入资金密码", false);
    return;
  }
  if (!OwnFundAccount(c, fundAccount)) {
    s.replyError(c, req, "资金账号不属于当前登录的交易账号", false);
    return;
  }
  const int record = BankFundRecord(fundAccount, bank, currency);
  if (record < 0) {
    s.replyError(c, req, "该银行没有此币种的资金账户", false);
    return;
  }
  std::string refusal;
  s.changeAccountSettings([&](ServerCore::AccountSettings& a) {
    const auto bankIt = a.bankBalances.find(bankKey);
    const int64_t bankBalance = bankIt == a.bankBalances.end() ? kBankBalance : bankIt->second;
    const int64_t available = AssetAvailable(record) + a.fundMoved[record];
    if (in && amount > bankBalance) {
      refusal = "银行账户余额不足";
      return;
    }
    if (!in && amount > available) {
      refusal = foundation::format("可转资金不足，当前可转 %s", Money(available).c_str());
      return;
    }
    a.bankBalances[bankKey] = bankBalance + (in ? -amount : amount);
    a.fundMoved[record] += in ? amount : -amount;
  });
  if (!refusal.empty()) {
    s.replyError(c, req, refusal, false);
    return;
  }
  TableWriter w;
  w.utf16(15, in ? "银行转证券委托已提交" : "证券转银行委托已提交");
  w.text(35, foundation::format("%08u",
                                static_cast<unsigned>(Mix(c.id, s.requestCount()) % 100000000u)));
  w.text(33, Money(amount));
  s.reply(c, req, w.build(), true);
}

// The phone check: the code "sent" to the phone (field 20) comes back in field 21 (tests can
// leave it out).
void Handshake(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  const std::string phone = ParseTable(req, t) ? t.GetNSString(20) : "";
  std::string code;
  bool without = false;
  s.changeAccountSettings([&](ServerCore::AccountSettings& a) {
    code = foundation::format(
        "%06u", static_cast<unsigned>(Mix(s.options().seed ^ 0x253, ++a.smsCount) % 1000000u));
    a.smsCodes[phone] = code;
    without = a.tradeCodeWithoutField21;
  });
  foundation::logVerbose("testserver: SMS to %s: %s", phone.c_str(), code.c_str());
  TableWriter w;
  w.utf16(15, "验证码已发送");
  if (!without) w.text(21, code);
  s.reply(c, req, w.build(), true);
}

// 144/21 "sends" a six-digit code to the phone (field 33) and answers with a text in field 38;
// 144/20 accepts only the last code sent to that phone.
void Verify(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string phone, code;
  if (ParseTable(req, t)) {
    phone = t.GetNSString(33);
    code = t.GetNSString(23);
  }
  if (phone.size() != 11) {
    s.replyError(c, req, "手机号码格式不正确", false);
    return;
  }
  TableWriter w;
  if (req.header.ChildType == 21) {
    std::string sent;
    s.changeAccountSettings([&](ServerCore::AccountSettings& a) {
      sent = foundation::format(
          "%06u", static_cast<unsigned>(Mix(s.options().seed ^ 0x21, ++a.smsCount) % 1000000u));
      a.smsCodes[phone] = sent;
    });
    foundation::logVerbose("testserver: SMS to %s: %s", phone.c_str(), sent.c_str());
    w.utf16(38, "验证码已发送到" + phone + "，请查收短信。");
  } else {
    const auto settings = s.accountSettings();
    auto it = settings.smsCodes.find(phone);
    if (it == settings.smsCodes.end() || code != it->second) {
      s.replyError(c, req, "验证码错误，请重新输入", false);
      return;
    }
    w.i32(16, 1);
    w.utf16(38, "验证成功");
  }
  w.text(33, phone);
  s.reply(c, req, w.build(), true);
}

}  // namespace

void RegisterTradeHandlers(ServerCore& s) {
  s.on(Role::Trade, kMainTypeTrade, 0, SessionKey);
  s.on(Role::Trade, kMainTypeTrade, 1, TradeLogin);
  s.on(Role::Trade, kMainTypeTrade, 40, ForTradeLogin(BankInfo, 16));
  s.on(Role::Trade, kMainTypeTrade, 41, ForTradeLogin(Transfer, 0));
  s.on(Role::Trade, kMainTypeTrade, 43, ForTradeLogin(Transfer, 0));
  s.on(Role::Trade, kMainTypeTrade, 45, ForTradeLogin(Transfer, 13));
  s.on(Role::Trade, kMainTypeTrade, 46, ForTradeLogin(AssetList, 16));
  s.on(Role::Trade, kMainTypeTrade, 253, Handshake);
  for (Role r : {Role::Verify, Role::Quote}) {
    s.on(r, kMainTypeLogin, 20, Verify);
    s.on(r, kMainTypeLogin, 21, Verify);
  }
}

}  // namespace testserver
