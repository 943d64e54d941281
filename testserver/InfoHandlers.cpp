// The quote server's information and radar answers: the news sections (145/85), a section's
// titles (145/86), an article (145/87), the radar alerts of one stock (145/81) and of a watch
// list (145/96), and an alert's text (145/82).
//
// Radar alerts: the market's signals of today, and for the stocks of the bundled first-start
// watch list (600000, 600036, 000001, 000002) alerts of today and of the two days before, with
// ids above 2^31 (one stock's above 2^32), so that a new user's list has rows of several days
// and ids that need 64 bits. Every alert is at the minute of the trades that gave it and keeps
// its day, time and id whenever it is seen. A request with field 98 = n (n >= 2) gets its rows as n
// record tables one after another in one body.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/MDBF.h"
#include "platform/foundation/Text.h"
#include "testserver/ServerCore.h"
#include "testserver/Table.h"

namespace testserver {

namespace {

struct Alert {
  int64_t id;
  uint8_t market;
  std::string code;
  int32_t date;
  int32_t time;
  std::string title;
  std::string content;
};

// The field of a radar request asking for its rows in several tables.
constexpr int kTablesField = 98;

// Bytes of an article's start its summary gives: 40 Chinese characters, about two lines of the
// information list.
constexpr size_t kSummaryBytes = 120;

// Cuts UTF-8 text to at most `bytes` bytes without splitting a character.
std::string CutUtf8(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::vector<Alert> Alerts(ServerCore& s) {
  struct Bundled {
    uint8_t market;
    const char* code;
    int64_t firstId;
  };
  static const Bundled kBundled[] = {{1, "600000", 2147483648LL},
                                     {1, "600036", 2147483748LL},
                                     {2, "000001", 3000000000LL},
                                     {2, "000002", 6000000000LL}};
  const Market& m = s.market();
  auto text = [](int32_t time) {
    return foundation::format("%d:%02d", time / 10000, time / 100 % 100);
  };
  std::vector<Alert> out;
  // A bundled stock's alert of a day: the first signal its trades gave that day, looked for in an
  // order of its own from a minute of its own; one of today is listed once its minute has come.
  auto bundled = [&](int back) {
    const int32_t date = m.stampSeed(back, 0).date;
    const int64_t day = TradingOrdinal(date);
    int k = 0;
    for (const Bundled& b : kBundled) {
      const Security* sec = m.find(b.market, b.code);
      const int first = static_cast<int>((k * 3 + day) % 8);
      const int from = 5 + static_cast<int>((k * 17 + day * 11) % 90);
      ++k;
      if (!sec) continue;
      for (int n = 0; n < 8; ++n) {
        const int signal = (first + n) % 8;
        const int32_t time = m.signalTime(*sec, date, signal, from);
        if (time < 0) continue;
        if (!m.stampSeed(back, time).due) break;
        const std::string name = foundation::utf16ToUtf8(std::u16string(sec->q.name));
        Alert a;
        // One id a day, whenever it is seen.
        a.id = b.firstId + day % 100;
        a.market = b.market;
        a.code = b.code;
        a.date = date;
        a.time = time;
        a.title = name + kRadarSignals[signal];
        a.content = a.title + "：" + name + "（" + b.code + "）在" + text(time) + "出现" +
                    kRadarSignals[signal] + "信号，请关注风险。";
        out.push_back(std::move(a));
        break;
      }
    }
  };
  bundled(0);
  for (const RadarItem& r : m.radar()) {
    Alert a{r.id, r.market, r.code, r.date, r.time, r.title, {}};
    a.content = r.title + "：" + r.name + "在" + text(r.time) + "出现" + r.signal + "信号。";
    out.push_back(std::move(a));
  }
  bundled(1);
  bundled(2);
  return out;
}

// The rows as `tables` record tables one after another (at least one row a table).
std::vector<uint8_t> RadarBody(const std::vector<const Alert*>& items, int tables) {
  const size_t n = items.size();
  const size_t parts =
      std::clamp<size_t>(static_cast<size_t>(std::max(tables, 1)), 1, std::max<size_t>(n, 1));
  std::vector<uint8_t> body;
  size_t at = 0;
  for (size_t p = 0; p < parts; ++p) {
    const size_t end = p + 1 == parts ? n : at + n / parts;
    TableWriter w;
    for (; at < end; ++at) {
      const Alert& a = *items[at];
      w.addRow();
      w.i32(20, a.time);
      w.i32(21, a.date);
      w.i64(22, a.id);
      w.utf16(23, a.title);
    }
    const std::vector<uint8_t> table = w.build();
    body.insert(body.end(), table.begin(), table.end());
  }
  return body;
}

int TablesAsked(const MDBF& t) {
  return t.FindField(kTablesField) ? t.GetInt(kTablesField) : 1;
}

void RadarOfStock(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  int32_t market = 0, count = 50;
  std::string code;
  int tables = 1;
  if (ParseTable(req, t)) {
    market = t.GetInt(26);
    code = t.GetNSString(27);
    if (t.FindField(29)) count = t.GetInt(29);
    tables = TablesAsked(t);
  }
  const std::vector<Alert> all = Alerts(s);
  std::vector<const Alert*> items;
  for (const Alert& a : all)
    if (a.market == market && a.code == code && static_cast<int>(items.size()) < count)
      items.push_back(&a);
  s.reply(c, req, RadarBody(items, tables));
}

void RadarOfList(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string list;
  int32_t count = 50;
  int tables = 1;
  if (ParseTable(req, t)) {
    list = t.GetNSString(71);
    if (t.FindField(29)) count = t.GetInt(29);
    tables = TablesAsked(t);
  }
  // The list: "MMCCCCCC" keys separated by commas.
  std::vector<std::string> keys;
  for (size_t at = 0; at < list.size();) {
    size_t comma = list.find(',', at);
    if (comma == std::string::npos) comma = list.size();
    keys.push_back(list.substr(at, comma - at));
    at = comma + 1;
  }
  const std::vector<Alert> all = Alerts(s);
  std::vector<const Alert*> items;
  for (const Alert& a : all) {
    const std::string key = foundation::format("%02d%.6s", a.market, a.code.c_str());
    if (std::find(keys.begin(), keys.end(), key) != keys.end() &&
        static_cast<int>(items.size()) < count)
      items.push_back(&a);
  }
  s.reply(c, req, RadarBody(items, tables));
}

void RadarContent(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  const int64_t id = ParseTable(req, t) ? t.GetInt64(22) : 0;
  for (const Alert& a : Alerts(s)) {
    if (a.id != id) continue;
    TableWriter w;
    w.i32(20, a.time);
    w.i32(21, a.date);
    w.i64(22, a.id);
    w.utf16(24, a.content);
    s.reply(c, req, w.build());
    return;
  }
  s.replyError(c, req, "该信息已不存在", false);
}

void InfoList(ServerCore& s, Connection& c, const Request& req) {
  TableWriter w;
  for (const auto& [id, name] : s.market().sections()) {
    w.addRow();
    w.i32(32, id);
    w.utf16(33, name);
    w.i64(34, id * 100);
    w.text(36, foundation::format("sec%d", id));
    w.i64(20, s.date());
  }
  s.reply(c, req, w.build());
}

void InfoTitles(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  int32_t part = 0, from = 0, count = 20;
  if (ParseTable(req, t)) {
    part = t.GetInt(32);
    from = t.GetInt(28);
    if (t.FindField(29)) count = t.GetInt(29);
  }
  std::vector<const NewsItem*> items;
  for (const NewsItem& n : s.market().news())
    if (n.partId == part) items.push_back(&n);
  TableWriter w;
  int written = 0;
  for (size_t k = static_cast<size_t>(std::max(0, from)); k < items.size() && written < count;
       ++k) {
    const NewsItem& n = *items[k];
    w.addRow();
    w.i32(32, n.partId);
    w.i32(22, n.id);
    w.utf16(23, n.title);
    // The summary: the start of the article, as much as two lines of the list hold, ending in
    // an ellipsis where it is cut.
    const std::string summary = CutUtf8(n.body, kSummaryBytes);
    w.utf16(37, summary.size() < n.body.size() ? summary + "…" : summary);
    w.text(36, std::to_string(n.id));
    w.i32(20, n.time);
    w.i32(21, n.date);
    ++written;
  }
  s.reply(c, req, w.build(static_cast<int>(items.size()), from));
}

void InfoContent(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string extra = ParseTable(req, t) ? t.GetNSString(36) : "";
  const int id = std::atoi(extra.c_str());
  for (const NewsItem& n : s.market().news()) {
    if (n.id != id) continue;
    TableWriter w;
    w.i32(20, n.time);
    w.i32(21, n.date);
    w.utf16(24, n.body);
    s.reply(c, req, w.build());
    return;
  }
  s.replyError(c, req, "该资讯已不存在", false);
}

}  // namespace

void RegisterInfoHandlers(ServerCore& s) {
  const Role q = Role::Quote;
  s.on(q, kMainTypeQuote, 81, RadarOfStock);
  s.on(q, kMainTypeQuote, 82, RadarContent);
  s.on(q, kMainTypeQuote, 85, InfoList);
  s.on(q, kMainTypeQuote, 86, InfoTitles);
  s.on(q, kMainTypeQuote, 87, InfoContent);
  s.on(q, kMainTypeQuote, 96, RadarOfList);
}

}  // namespace testserver
