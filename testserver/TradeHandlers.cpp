// The trade server (key exchange, bank information, transfers) and the verification server,
// whose requests may also come over the quote port (the client races the quote list for it).
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
  static const char* const kCodes[] = {"01", "02", "03"};
  TableWriter w;
  for (int i = start; i < kAssetRecords && i < start + count; ++i) {
    const int bank = i < 15 ? 0 : (i < 25 ? 1 : 2);
    w.addRow();
    // Every record an account of its own: one balance a row.
    w.text(1, foundation::format("88000%d%04d", bank + 1, 1000 + i));
    w.text(20, kCodes[bank]);
    w.i32(6, i % 3 == 2 ? 1 : 0);
    w.utf16(15, i % 3 == 2 ? "美元" : "人民币");
    w.text(31, foundation::format("%d.%02d", 10000 + i * 731, i * 7 % 100));
    w.text(32, foundation::format("%d.%02d", 8000 + i * 512, i * 3 % 100));
    w.text(30, foundation::format("%04d", i + 1));
  }
  s.reply(c, req, w.build(kAssetRecords, start), true);
}

void Transfer(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string amount;
  int32_t direction = 0;
  if (ParseTable(req, t)) {
    amount = t.GetNSString(33);
    direction = t.GetInt(34);
  }
  if (req.header.ChildType == 41 && (amount.empty() || std::atof(amount.c_str()) <= 0)) {
    s.replyError(c, req, "转账金额不正确", false);
    return;
  }
  TableWriter w;
  switch (req.header.ChildType) {
    case 41:
      w.utf16(15, direction == 1 ? "银行转证券委托已提交" : "证券转银行委托已提交");
      w.text(35, foundation::format(
                     "%08u", static_cast<unsigned>(Mix(c.id, s.requestCount()) % 100000000u)));
      w.text(33, amount);
      break;
    case 43:
      w.utf16(15, "银行余额查询成功");
      w.text(40, "52360.88");
      break;
    case 45:
      w.utf16(15, "可转资金查询成功");
      w.text(73, "100000.00");
      break;
    default:
      w.utf16(15, "成功");
  }
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
  s.on(Role::Trade, kMainTypeTrade, 40, BankInfo);
  s.on(Role::Trade, kMainTypeTrade, 41, Transfer);
  s.on(Role::Trade, kMainTypeTrade, 43, Transfer);
  s.on(Role::Trade, kMainTypeTrade, 45, Transfer);
  s.on(Role::Trade, kMainTypeTrade, 46, AssetList);
  s.on(Role::Trade, kMainTypeTrade, 253, Handshake);
  for (Role r : {Role::Verify, Role::Quote}) {
    s.on(r, kMainTypeLogin, 20, Verify);
    s.on(r, kMainTypeLogin, 21, Verify);
  }
}

}  // namespace testserver
