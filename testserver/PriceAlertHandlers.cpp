// The price-alert server: permission and its application, settings (upload, list, get,
// delete, clear), the alerts received (from the settings against the market) and their
// deletion.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/MDBF.h"
#include "core/ValueMath.h"
#include "testserver/MarketParts.h"
#include "platform/foundation/Text.h"
#include "testserver/ServerCore.h"
#include "testserver/Table.h"

namespace testserver {

namespace {

// The user a request names (field 1; "" for a guest) and the state it acts on: a guest's is
// found by the QSID (field 6) its quote login was given, as the guest of each device has its
// own.
struct AlertRequester {
  std::string name;
  UserState* state = nullptr;
};

AlertRequester RequesterOf(ServerCore& s, const Connection& c, const MDBF& t) {
  AlertRequester r;
  r.name = t.GetNSString(1);
  if (r.name.empty()) r.state = s.stateByQsid(t.GetNSString(6));
  if (!r.state) r.state = &s.stateOf(c, r.name);
  return r;
}

AlertRequester RequesterOf(ServerCore& s, const Connection& c, const Request& req) {
  MDBF t;
  if (!ParseTable(req, t)) return {c.user, &s.stateOf(c, c.user)};
  return RequesterOf(s, c, t);
}

// A new user starts with two settings: the ladder alert with a rise price above the market,
// and a change threshold of 0, which every quote meets (so the received alerts hold one of
// today). Tests start empty with 150/5.
UserState& AlertUser(ServerCore& s, UserState& u) {
  if (u.alertsSeeded) return u;
  u.alertsSeeded = true;
  auto nameOf = [](const Security& sec) {
    return foundation::utf16ToUtf8(std::u16string(sec.q.name));
  };
  if (const Security* a = s.market().find(1, "600000")) {
    // Above the usual price, whatever day the user first asks on (in 64 bits: tests may set
    // prices anywhere in their range).
    const int32_t rise = vmath::Narrow32((int64_t{a->base} / 100 * 12 / 10 + 1) * 100);
    u.alerts.push_back({1, "600000", nameOf(*a), 1, 3, rise, 0, 10000});
  }
  if (const Security* b = s.market().find(2, "000001"))
    u.alerts.push_back({2, "000001", nameOf(*b), 0, 3, 0, 0, 0});
  return u;
}

// The market's clock as one number: later minutes are larger.
int64_t ClockStamp(int32_t date, int minute) {
  return int64_t{date} * 1440 + minute;
}

int64_t ClockStamp(const ServerCore& s) {
  return ClockStamp(s.date(), s.minute());
}

// An alert's time: "yyyy-MM-dd HH:mm:00".
std::string WhenText(int32_t date, int minute) {
  return foundation::format("%04d-%02d-%02d %02d:%02d:00", date / 10000, date / 100 % 100,
                            date % 100, minute / 60, minute % 60);
}

void SendAlertMessage(ServerCore& s, Connection& c, const Request& req, const std::string& text) {
  TableWriter w;
  w.utf16(15, text);
  s.reply(c, req, w.build(), true);
}

void Authority(ServerCore& s, Connection& c, const Request& req) {
  const AlertRequester who = RequesterOf(s, c, req);
  const std::string& name = who.name;
  UserState& u = *who.state;
  TableWriter w;
  if (u.permissionScripted) {
    if (u.permissionValue != -1) w.i32(16, u.permissionValue);
    w.utf16(28, u.permissionText);
  } else {
    int32_t& right = u.priceAlertRight;
    if (right == 0 && !name.empty()) right = 1;
    w.i32(16, right);
    w.utf16(28, right == 1 ? "价格提醒已开通" : "请申请开通价格提醒");
  }
  s.reply(c, req, w.build(), true);
}

void Confirm(ServerCore& s, Connection& c, const Request& req) {
  const AlertRequester who = RequesterOf(s, c, req);
  const std::string& name = who.name;
  UserState& u = *who.state;
  // A guest has no customer manager to write to: the answer that offers the log-in.
  if (name.empty() && !u.applicationScripted) {
    s.replyErrorMarked(c, req, "游客无法使用该功能，请登录后申请价格提醒。", 0x04, 0xFF);
    return;
  }
  switch (u.application) {
    case PriceAlertApplication::LoginError:
      s.replyErrorMarked(c, req, u.applicationText.empty() ? "请登录后申请" : u.applicationText,
                         0x04, 0xFF);
      return;
    case PriceAlertApplication::Error:
      s.replyError(c, req, u.applicationText.empty() ? "申请失败" : u.applicationText, true);
      return;
    case PriceAlertApplication::Grant:
      break;
  }
  u.priceAlertRight = 1;
  if (u.permissionScripted) u.permissionValue = 1;
  SendAlertMessage(
      s, c, req, u.applicationText.empty() ? "价格提醒申请已受理，已为您开通" : u.applicationText);
}

void PriceAlertUpload(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  if (!ParseTable(req, t)) {
    s.replyError(c, req, "设置格式错误", false);
    return;
  }
  UserState& u = AlertUser(s, *RequesterOf(s, c, t).state);
  PriceAlertSetting a{t.GetInt(18), t.GetNSString(8), t.GetNSString(9), t.GetInt(10),
                      t.GetInt(11), t.GetInt(12),     t.GetInt(13),     t.GetInt(14)};
  if (a.code.empty()) {
    s.replyError(c, req, "请选择股票", false);
    return;
  }
  // A setting watches the trades from the minute it is made.
  a.since = ClockStamp(s);
  std::erase_if(u.alerts, [&](const PriceAlertSetting& x) { return x.code == a.code; });
  u.alerts.push_back(a);
  SendAlertMessage(s, c, req, "价格提醒设置成功");
}

void Row(TableWriter& w, const PriceAlertSetting& a) {
  w.i32(18, a.market);
  w.text(8, a.code);
  w.utf16(9, a.name);
  w.i32(10, a.notify);
  w.i32(11, a.kind);
  w.i32(12, a.upper);
  w.i32(13, a.lower);
  w.i32(14, a.change);
}

// Answers with a row for each of the user's settings that `keep` accepts.
template <class Keep>
void ReplyRows(ServerCore& s, Connection& c, const Request& req, const UserState& u, Keep keep) {
  TableWriter w;
  for (const auto& a : u.alerts) {
    if (!keep(a)) continue;
    w.addRow();
    Row(w, a);
  }
  s.reply(c, req, w.build(), true);
}

void Settings(ServerCore& s, Connection& c, const Request& req) {
  ReplyRows(s, c, req, AlertUser(s, *RequesterOf(s, c, req).state), [](const PriceAlertSetting&) { return true; });
}

void GetSetting(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  ParseTable(req, t);
  UserState& u = AlertUser(s, *RequesterOf(s, c, t).state);
  const std::string code = t.GetNSString(8);
  ReplyRows(s, c, req, u, [&](const PriceAlertSetting& a) { return a.code == code; });
}

void DeleteSetting(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  ParseTable(req, t);
  UserState& u = AlertUser(s, *RequesterOf(s, c, t).state);
  const std::string code = t.GetNSString(8);
  std::erase_if(u.alerts, [&](const PriceAlertSetting& x) { return x.code == code; });
  SendAlertMessage(s, c, req, "价格提醒已删除");
}

void ClearSettings(ServerCore& s, Connection& c, const Request& req) {
  AlertUser(s, *RequesterOf(s, c, req).state).alerts.clear();
  SendAlertMessage(s, c, req, "价格提醒已全部清除");
}

void ScriptedAlerts(TableWriter& w, const UserState& u) {
  for (const ReceivedAlert& a : u.received) {
    w.addRow();
    w.text(88, a.when);
    if (a.id) w.i64(81, a.id);
    if (!a.type.empty()) w.text(82, a.type);
    if (!a.text.empty()) w.utf16(83, a.text);
    if (!a.code.empty()) w.text(8, a.code);
    if (!a.name.empty()) w.utf16(9, a.name);
    w.i32(18, a.market);
    w.i32(19, a.zqlb);
  }
}



// One alert raised by the trades: where a security's minute met a setting.
struct RaisedAlert {
  int64_t at = 0;  // Stamp of the calendar day and minute it traded on
  int32_t date = 0;
  int minute = 0;
  int32_t type = 0;  // 0 up to the rise price, 1 down to the fall price, 2 the change reached
  std::string text;
  const PriceAlertSetting* setting = nullptr;
  uint8_t zqlb = 0;
};

// Trading days whose trades raise the alerts listed: the last ten up to the market's date and a
// night session of the next one already begun.
constexpr int kAlertDays = 10;

// The alerts a setting's security raised up to the clock, each condition at the first minute of
// a trading day that met it: the same whenever the list is asked for, none the trades never met.
void RaisedBy(ServerCore& s, const PriceAlertSetting& a, int64_t clock,
              std::vector<RaisedAlert>& out) {
  const Market& m = s.market();
  const Security* sec = m.find(static_cast<uint8_t>(a.market), a.code);
  if (!sec) return;
  const tagLocalStockData& q = sec->q;
  const bool change = a.change != 10000 && a.change >= 0;
  if (a.upper <= 0 && a.lower <= 0 && !change) return;
  std::vector<int32_t> days;
  for (int k = kAlertDays - 1; k >= 0; --k) days.push_back(TradingDaysBefore(m.date(), k));
  days.push_back(NextTradingDay(m.date()));
  days.erase(std::unique(days.begin(), days.end()), days.end());
  for (int32_t day : days) {
    DayBar bar;
    const std::vector<tagLocalTrendData> pts = m.pointsOn(*sec, day, &bar);
    bool met[3] = {};
    for (const tagLocalTrendData& p : pts) {
      int32_t date = 0;
      int minute = 0;
      TradedAt(q, day, p.time, &date, &minute);
      const int64_t at = ClockStamp(date, minute);
      if (at > clock) break;
      if (at < a.since) continue;
      auto raise = [&](int32_t type, std::string text) {
        if (met[type]) return;
        met[type] = true;
        out.push_back({at, date, minute, type, std::move(text), &a, q.zqlb});
      };
      if (a.upper > 0 && p.now >= a.upper)
        raise(0, "股价已涨到" + foundation::format("%.2f", a.upper / 10000.0));
      if (a.lower > 0 && p.now <= a.lower)
        raise(1, "股价已跌到" + foundation::format("%.2f", a.lower / 10000.0));
      const int32_t zf = RatioX10000(int64_t{p.now} - bar.ref, bar.ref);
      if (change && bar.ref > 0 && std::abs(zf) >= a.change)
        raise(2, "涨跌幅已达" + foundation::format("%.2f%%", zf / 100.0));
    }
  }
}

// The alerts the user's settings raised up to the clock, newest first (as a phone lists its
// messages), those before the list was last emptied left out.
void ListAlerts(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  const bool asked = ParseTable(req, t);
  UserState& u = AlertUser(s, *(asked ? RequesterOf(s, c, t) : RequesterOf(s, c, req)).state);
  TableWriter w;
  if (u.receivedScripted) {
    ScriptedAlerts(w, u);
    s.reply(c, req, w.build(), true);
    return;
  }
  const int64_t clock = ClockStamp(s);
  std::vector<RaisedAlert> raised;
  for (const auto& a : u.alerts) RaisedBy(s, a, clock, raised);
  std::erase_if(raised, [&](const RaisedAlert& r) { return r.at < u.alertListCleared; });
  std::stable_sort(raised.begin(), raised.end(),
                   [](const RaisedAlert& x, const RaisedAlert& y) { return x.at > y.at; });
  // As many as asked for (field 87), at most 200.
  const int wanted = asked && t.GetInt(87) > 0 ? std::min(t.GetInt(87), 200) : 200;
  if (raised.size() > static_cast<size_t>(wanted)) raised.resize(static_cast<size_t>(wanted));
  for (const RaisedAlert& r : raised) {
    const PriceAlertSetting& a = *r.setting;
    w.addRow();
    // The same alert keeps its id: its minute, its kind and its security.
    int64_t code = 0;
    for (char ch : a.code) code = (code * 31 + static_cast<unsigned char>(ch)) % 1000;
    w.i64(81, (r.at * 4 + r.type) * 1000 + code);
    w.i32(82, r.type);
    w.utf16(83, r.text);
    w.text(8, a.code);
    w.utf16(9, a.name);
    w.i32(18, a.market);
    w.i32(19, r.zqlb);
    w.text(88, WhenText(r.date, r.minute));
  }
  s.reply(c, req, w.build(), true);
}

// Empties the list: the alerts raised up to this minute are not sent again.
void DeleteAlerts(ServerCore& s, Connection& c, const Request& req) {
  UserState& u = *RequesterOf(s, c, req).state;
  u.alertListCleared = ClockStamp(s) + 1;
  u.received.clear();
  SendAlertMessage(s, c, req, "提醒消息已清空");
}

}  // namespace

void RegisterPriceAlertHandlers(ServerCore& s) {
  const Role p = Role::PriceAlert;
  s.on(p, kMainTypePriceAlert, 1, PriceAlertUpload);
  s.on(p, kMainTypePriceAlert, 2, Settings);
  s.on(p, kMainTypePriceAlert, 3, GetSetting);
  s.on(p, kMainTypePriceAlert, 4, DeleteSetting);
  s.on(p, kMainTypePriceAlert, 5, ClearSettings);
  s.on(p, kMainTypePriceAlert, 6, ListAlerts);
  s.on(p, kMainTypePriceAlert, 7, DeleteAlerts);
  s.on(p, kMainTypePriceAlert, 8, Authority);
  s.on(p, kMainTypePriceAlert, 11, Confirm);
}

}  // namespace testserver
