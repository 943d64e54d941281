// The message server: message list, contents (XML, in parts when long), delete, the staff,
// client and client-tag lists, messages sent as record tables or XML mail (re-assembled from
// their parts and delivered to the receivers' lists), and the switched-off settings.
#include <algorithm>
#include <map>
#include <pugixml.hpp>

#include "core/CXMLMake.h"
#include "core/LineStep.h"
#include "core/MDBF.h"
#include "core/XmlText.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "testserver/ServerCore.h"
#include "testserver/Table.h"

namespace testserver {

namespace {

constexpr size_t kPartSize = 7984;

struct Staff {
  const char* id;
  const char* name;
  const char* mobile;
  const char* phone;
  const char* job;
  int32_t kind;
  const char* initial;
};
const Staff kStaff[] = {
    {"9001", "王明", "13800000001", "021-55550001", "投资顾问", 1, "W"},
    {"9002", "李华", "13800000002", "021-55550002", "投资顾问", 1, "L"},
    {"9003", "张伟", "13800000003", "021-55550003", "客户经理", 2, "Z"},
    {"9004", "陈静", "13800000004", "021-55550004", "客户经理", 2, "C"},
};

}  // namespace

void SeedMailbox(ServerCore& s, UserState& u, const std::string& name) {
  if (u.messagesSeeded) return;
  u.messagesSeeded = true;
  static const char* kTitles[] = {"欢迎使用", "今日策略", "市场早报"};
  static const char* kBodies[] = {"欢迎使用本系统，您的专属投资顾问将为您服务。",
                                  "今日大盘震荡，建议控制仓位，关注低估值蓝筹。",
                                  "隔夜外盘涨跌互现，两市早盘预计平开。"};
  // The mails at 08:00, 08:15 and 08:30 and the request at 08:45 of the newest trading day (today
  // only once its session has begun, so never after the clock): a reply written now sorts after
  // them.
  auto stamp = [&](Message& m, int32_t time) {
    const SeedStamp at = s.market().stampSeed(0, time);
    m.date = at.date;
    m.time = at.time;
  };
  for (int i = 0; i < 3; ++i) {
    Message m;
    m.id = 1000 + i;
    m.oid = 5000 + i;
    m.from = kStaff[i % 2].id;
    m.to = name;
    m.title = kTitles[i];
    m.content = kBodies[i];
    stamp(m, 80000 + i * 1500);
    m.kind = 1;
    u.messages.push_back(m);
  }
  // And a permission request for a listed stock, still open, so a client has one to answer.
  Message request;
  request.id = 1003;
  request.oid = 5003;
  request.from = kStaff[1].id;
  request.to = name;
  request.title = "申请Zornik短期权限";
  request.content = "客户申请开通Zornik短期产品权限，请审核。";
  stamp(request, 84500);
  request.kind = 7;
  request.goldcode = "sz,000001|30";
  request.producttype = "zornik";
  request.ext1 = "zk30";
  request.taskid = "T1003";
  request.taskstatus = "0";
  u.messages.push_back(request);
  u.lastMessageId = std::max<int64_t>(u.lastMessageId, 1003);
}

int64_t NextMessageId(UserState& u) {
  int64_t id = std::max<int64_t>(1000, u.lastMessageId + 1);
  for (const Message& m : u.messages) id = std::max(id, m.id + 1);
  u.lastMessageId = id;
  return id;
}

MessageServerState& MessageState(const ServerCore& s) {
  static std::map<const ServerCore*, MessageServerState> states;
  return states[&s];
}

int MessageUserType(const std::string& name) {
  return name == "9001" || name == "9002" ? 1 : 0;
}

namespace {

std::string Stamp(int32_t date, int32_t time) {
  return foundation::format("%04d-%02d-%02d %02d:%02d:%02d", date / 10000, date / 100 % 100,
                            date % 100, time / 10000, time / 100 % 100, time % 100);
}

void List(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string name = c.user;
  int64_t start = 0;
  int32_t count = 200;
  if (ParseTable(req, t)) {
    if (t.FindField(23)) name = t.GetNSString(23);
    start = t.GetInt64(20);
    if (t.FindField(27)) count = t.GetInt(27);
  }
  UserState& u = s.user(name);
  SeedMailbox(s, u, name);
  TableWriter w;
  int n = 0;
  for (const Message& m : u.messages) {
    if (m.id <= start || n >= count) continue;
    w.addRow();
    w.i64(20, m.id);
    w.i64(42, m.oid);
    w.text(21, m.from);
    w.utf16(22, m.title);
    w.text(23, m.to);
    w.text(24, Stamp(m.date, m.time));
    w.i32(25, m.kind);
    ++n;
  }
  s.reply(c, req, w.build(), true);
}

// The mailbox a request names (23, else the connection's user), seeded, and the message id (20).
UserState& MessageOf(ServerCore& s, const Connection& c, const Request& req, int64_t& id) {
  MDBF t;
  std::string name = c.user;
  if (ParseTable(req, t)) {
    if (t.FindField(23)) name = t.GetNSString(23);
    id = t.GetInt64(20);
  }
  UserState& u = s.user(name);
  SeedMailbox(s, u, name);
  return u;
}

void Content(ServerCore& s, Connection& c, const Request& req) {
  int64_t id = 0;
  UserState& u = MessageOf(s, c, req, id);
  auto it = std::find_if(u.messages.begin(), u.messages.end(),
                         [&](const Message& m) { return m.id == id; });
  if (it == u.messages.end()) {
    s.replyError(c, req, "该消息不存在", false);
    return;
  }
  std::string fromName = it->fromName.empty() ? it->from : it->fromName;
  if (it->fromName.empty())
    for (const Staff& st : kStaff)
      if (it->from == st.id) fromName = st.name;
  std::string xml = it->rawContent;
  if (xml.empty()) {
    auto element = [&xml](const char* tag, const std::string& value, bool always) {
      if (value.empty() && !always) return;
      xml += std::string("<") + tag + ">" + XmlEscape(value) + "</" + tag + ">";
    };
    xml = "<data>";
    if (it->withId) element("id", std::to_string(it->id), true);
    element("title", it->title, true);
    element("msgtime", Stamp(it->date, it->time), true);
    element("from", it->from, true);
    element("fromname", fromName, true);
    element("content", it->content, true);
    element("typeid", std::to_string(it->kind), true);
    element("goldcode", it->goldcode, false);
    element("producttype", it->producttype, false);
    element("Ext1", it->ext1, false);
    element("taskid", it->taskid, false);
    element("taskstatus", it->taskstatus, false);
    xml += "</data>";
  }
  if (xml.size() <= kPartSize) {
    // One part, unless the test asked for this answer in several (reply() then cuts it).
    s.reply(c, req, std::vector<uint8_t>(xml.begin(), xml.end()), true);
    return;
  }
  const size_t parts = std::max<size_t>(1, (xml.size() + kPartSize - 1) / kPartSize);
  for (size_t p = 0; p < parts && p < 255; ++p) {
    size_t from = p * kPartSize;
    std::vector<uint8_t> body(
        xml.begin() + static_cast<long>(from),
        xml.begin() + static_cast<long>(std::min(xml.size(), from + kPartSize)));
    s.replyAs(c, req.header.MainType, req.header.ChildType, req.header.PageID,
              req.header.RequestCode, body, s.keyFor(c), 1, static_cast<uint8_t>(parts),
              static_cast<uint8_t>(p));
  }
}

void Delete(ServerCore& s, Connection& c, const Request& req) {
  int64_t id = 0;
  UserState& u = MessageOf(s, c, req, id);
  std::erase_if(u.messages, [&](const Message& m) { return m.id == id; });
  TableWriter w;
  w.i64(20, id);
  s.reply(c, req, w.build(), true);
}

void Directory(ServerCore& s, Connection& c, const Request& req) {
  TableWriter w;
  const uint8_t child = req.header.ChildType;
  if (child == 104 || child == 107) {
    for (const Staff& st : kStaff) {
      w.addRow();
      w.text(32, st.id);
      w.utf16(33, st.name);
      w.text(35, st.mobile);
      w.text(36, st.phone);
      w.utf16(40, st.job);
      w.utf16(41, "上海市浦东新区世纪大道100号");
      w.i32(48, st.kind);
      w.text(53, st.initial);
    }
  } else if (child == 108) {
    static const char* kClients[][3] = {
        {"8001", "赵强", "Z"}, {"8002", "孙丽", "S"}, {"8003", "周杰", "Z"}};
    for (const auto& cl : kClients) {
      w.addRow();
      w.text(32, cl[0]);
      w.utf16(33, cl[1]);
      w.text(35, "13900000000");
      w.text(53, cl[2]);
    }
  } else {  // 109: one tag row, then its members
    w.addRow();
    w.i32(52, 1);
    w.text(32, "T1");
    w.utf16(33, "重点客户");
    for (const char* id : {"8001", "8003"}) {
      w.addRow();
      w.i32(52, 0);
      w.text(32, id);
    }
  }
  s.reply(c, req, w.build(), true);
}

void Deliver(ServerCore& s, const std::string& from, const std::string& to,
             const std::string& title, const std::string& content, int32_t kind) {
  size_t pos = 0;
  while (pos <= to.size()) {
    size_t end = to.find(';', pos);
    std::string who = to.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!who.empty()) {
      UserState& u = s.user(who);
      SeedMailbox(s, u, who);
      Message m;
      m.id = NextMessageId(u);
      m.oid = m.id + 4000;
      m.from = from;
      m.to = who;
      m.title = title;
      m.content = content;
      m.date = s.date();
      m.time = (s.minute() / 60) * 10000 + (s.minute() % 60) * 100;
      m.kind = kind;
      u.messages.push_back(m);
    }
    if (end == std::string::npos) break;
    pos = end + 1;
  }
}

// The type of a mail that only says its source was read.
constexpr int32_t kReadReceipt = 1;

// Marks read the mail a receipt names by its source text, "id,typeid" (the id alone will do).
void MarkRead(UserState& reader, const std::string& source) {
  const int64_t id = std::atoll(source.substr(0, source.find(',')).c_str());
  if (id <= 0) return;
  for (Message& m : reader.messages)
    if (m.id == id) m.read = true;
}

void Sent(ServerCore& s, Connection& c, const Request& req, int64_t count) {
  TableWriter w;
  w.utf16(15, "发送成功");
  w.i64(20, count);
  // The text the client shows ("消息已发送" when empty).
  w.utf16(19, MessageState(s).answerText);
  s.reply(c, req, w.build(), true);
}

void SendTable(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  if (!ParseTable(req, t)) {
    s.replyError(c, req, "消息格式错误", false);
    return;
  }
  std::string from = t.GetNSString(24);
  SentMail kept;
  kept.childType = req.header.ChildType;
  for (int field : {23, 24, 25, 26, 32, 44, 51, 54, 55, 56, 58}) {
    if (t.FindField(field)) kept.values.emplace_back(std::to_string(field), t.GetNSString(field));
  }
  MessageState(s).sent.push_back(std::move(kept));
  Deliver(s, from.empty() ? c.user : from, t.GetNSString(23), t.GetNSString(25), t.GetNSString(26),
          req.header.ChildType == 120 ? 1 : 2);
  Sent(s, c, req, 1);
}

// The text of an element of a mail: its character data and CDATA, references resolved.
std::string ElementText(const pugi::xml_node& element) {
  std::string text;
  for (const pugi::xml_node& child : element.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
      text += child.value();
  }
  return text;
}

void SendXml(ServerCore& s, Connection& c, const Request& req) {
  const PacketHeader& h = req.header;
  // A client may hold only a few unfinished mails of bounded size; past that they are dropped.
  size_t held = req.body.size();
  for (const auto& [code, mail] : c.mailParts)
    for (const auto& p : mail) held += p.size();
  if ((!c.mailParts.count(h.RequestCode) &&
       c.mailParts.size() >= static_cast<size_t>(kMaxUnfinishedMails)) ||
      held > kMaxMailBytes) {
    foundation::logError("testserver message: %zu unfinished mails of %zu bytes, dropped",
                         c.mailParts.size(), held);
    c.mailParts.clear();
  }
  auto& parts = c.mailParts[h.RequestCode];
  const int total = std::max<int>(1, h.PackageNum);
  if (parts.size() != static_cast<size_t>(total)) parts.assign(static_cast<size_t>(total), {});
  if (h.PackageNo < total) parts[h.PackageNo] = req.body;
  for (const auto& p : parts)
    if (p.empty()) return;  // wait for the rest
  std::string xml;
  for (const auto& p : parts) xml.append(p.begin(), p.end());
  c.mailParts.erase(h.RequestCode);
  // Read as XML: a mail that is not well-formed is refused, not searched for its tags.
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_ws_pcdata);
  const pugi::xml_node mail = document.child("request");
  if (!parsed || !mail) {
    foundation::logError("testserver message: mail of %zu bytes is no XML request (%s)", xml.size(),
                         parsed.description());
    s.replyError(c, req, "消息格式错误", false);
    return;
  }
  auto element = [&mail](const char* tag) { return ElementText(mail.child(tag)); };
  SentMail kept;
  kept.childType = 106;
  for (const char* tag : {"from", "to", "title", "content", "qsid_4x", "typeid", "sourcemail",
                          "goldcode", "usertype", "producttype", "ext1"}) {
    if (mail.child(tag)) kept.values.emplace_back(tag, element(tag));
  }
  MessageState(s).sent.push_back(std::move(kept));
  const std::string from = element("from");
  const int32_t kind = std::atoi(element("typeid").c_str());
  if (kind == kReadReceipt) {
    // A read receipt is no mail: it marks the mail it names (its "sourcemail", "id,typeid")
    // read in the reader's mailbox and goes to nobody.
    MarkRead(s.user(from.empty() ? c.user : from), element("sourcemail"));
  } else {
    Deliver(s, from.empty() ? c.user : from, element("to"), element("title"), element("content"),
            kind);
  }
  Sent(s, c, req, total);
}

void OnOff(ServerCore& s, Connection& c, const Request& req) {
  CLineStep in;
  in.Append(req.body.data(), static_cast<uint32_t>(req.body.size()));
  char name[64], setting[1024];
  in.GetValue(1, name, sizeof name);
  UserState& u = s.user(name[0] ? name : c.user);
  if (req.header.ChildType == 28) {
    in.GetValue(21, setting, sizeof setting);
    u.onOff = setting;
  }
  CLineStep out;
  KVBody_AddInt(out, 3, 4);
  KVBody_AddString(out, 21, u.onOff.c_str());
  std::vector<uint8_t> body(out.GetData(), out.GetData() + out.GetSize());
  s.reply(c, req, body, true);
}

}  // namespace

void RegisterMessageHandlers(ServerCore& s) {
  // A new server starts with no kept mails (another may have lived at the same address).
  MessageState(s) = MessageServerState{};
  const Role m = Role::Message;
  s.on(m, kMainTypeLogin, 100, List);
  s.on(m, kMainTypeLogin, 101, Content);
  s.on(m, kMainTypeLogin, 102, Delete);
  for (uint8_t child : {104, 107, 108, 109}) s.on(m, kMainTypeLogin, child, Directory);
  s.on(m, kMainTypeLogin, 106, SendXml);
  s.on(m, kMainTypeLogin, 120, SendTable);
  s.on(m, kMainTypeLogin, 121, SendTable);
  s.on(m, kMainTypeLogin, 28, OnOff);
  s.on(m, kMainTypeLogin, 29, OnOff);
}

}  // namespace testserver
