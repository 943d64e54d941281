// Records the test server's real answers as seed inputs of the fuzz targets, each in the input
// layout its target reads. With VERDAN_FUZZ_SEED_DIR set (to tests/data/fuzz of the source tree)
// the committed seeds are refreshed; otherwise they go to a scratch folder and the test checks
// that every target got seeds and that the committed ones are still there.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CDataCenter.h"
#include "core/CoreText.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/MessageRequests.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "core/SelfStock.h"
#include "core/TradeRequests.h"
#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "tests/testserver/SeedWriter.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

using Bytes = std::vector<uint8_t>;

// The targets' connection numbers (the order of the core's connections).
enum : uint8_t { kConnAuth = 0, kConnQuote = 1, kConnTrade = 2, kConnMessage = 4 };

// The 16-byte header as a receive record holds it: cipher and compression bits cleared, the
// length that of the decoded body.
Bytes RecordHeader(const Reply& r) {
  PacketHeader h = r.header;
  h.flags &= 0x40;
  h.bodyLen = static_cast<uint16_t>(r.body.size());
  Bytes out(kPacketHeaderSize);
  h.Write(out.data());
  return out;
}

Bytes Prefixed(std::initializer_list<uint8_t> head, const Bytes& a, const Bytes& b = {}) {
  Bytes out(head);
  out.insert(out.end(), a.begin(), a.end());
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

std::vector<Bytes> QueuedPackets(SendQueueKind kind, const std::function<void()>& build) {
  QueueCapture capture;
  build();
  return capture.take(kind);
}

// A keyed archive of the server list in the shape the archive target registers.
class Host : public foundation::Archivable {
 public:
  std::string archiveClassName() const override { return "Host"; }
  void encode(foundation::KeyedArchiver& a) const override {
    a.encode("name", name);
    a.encode("port", port);
  }
  bool decode(const foundation::KeyedUnarchiver&) override { return true; }
  std::string name;
  int64_t port = 0;
};

class HostList : public foundation::Archivable {
 public:
  std::string archiveClassName() const override { return "HostList"; }
  void encode(foundation::KeyedArchiver& a) const override {
    a.encodeObject("primary", primary);
    a.encodeObjects("hosts", hosts);
    a.encode("title", title);
  }
  bool decode(const foundation::KeyedUnarchiver&) override { return true; }
  std::shared_ptr<Host> primary;
  std::vector<std::shared_ptr<Host>> hosts;
  std::string title;
};

void RecordAll(SeedWriter& seeds) {
  auto options = testserver::ServerOptions::Ephemeral();
  options.date = 20151217;
  options.minute = 10 * 60 + 30;
  testserver::TestServer server(options);
  ASSERT_TRUE(server.start());
  uint8_t buf[9000];

  // Authentication: a guest login answer and a server-text error answer.
  TestClient auth(server.port(Role::Auth));
  ASSERT_TRUE(auth.connected());
  Reply rz = AskGuestAuthLogin(auth);
  ASSERT_TRUE(rz.ok);
  server.setFault(Role::Auth, testserver::Fault::ErrorReply, 1, "用户名或密码错误\r\n请重新输入");
  Reply rzError = AskGuestAuthLogin(auth);
  ASSERT_TRUE(rzError.ok);
  seeds.add("login_answers", "rz-login", Prefixed({0}, RecordHeader(rz), rz.body));
  seeds.add("login_answers", "rz-login-error", Prefixed({0}, RecordHeader(rzError), rzError.body));
  seeds.add("dispatch", "rz-login", Prefixed({kConnAuth}, RecordHeader(rz), rz.body));
  seeds.add("dispatch", "rz-login-error",
            Prefixed({kConnAuth}, RecordHeader(rzError), rzError.body));
  seeds.add("stream", "auth", auth.received());
  MDBF rzTable;
  ASSERT_GT(rzTable.Parse(rz.body.data(), static_cast<int>(rz.body.size())), 0);
  rzTable.Seek(0);
  const std::string addresses = rzTable.GetNSString(36);
  seeds.add("login_answers", "address-string",
            Prefixed({6}, Bytes(addresses.begin(), addresses.end())));

  // Quote: login, index snapshot, one quote, a ranking, a trend, pushes, the watch-list upload
  // and a forced logout.
  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  Reply hq = AskGuestQuoteLogin(quote);
  ASSERT_TRUE(hq.ok);
  seeds.add("login_answers", "hq-login", Prefixed({1}, RecordHeader(hq), hq.body));
  seeds.add("login_answers", "relogin", Prefixed({2}, RecordHeader(hq), hq.body));
  seeds.add("dispatch", "hq-login", Prefixed({kConnQuote}, RecordHeader(hq), hq.body));
  MDBF hqTable;
  ASSERT_GT(hqTable.Parse(hq.body.data(), static_cast<int>(hq.body.size())), 0);
  hqTable.Seek(0);
  const std::string rights = hqTable.GetNSString(35);
  seeds.add("login_answers", "rights", Prefixed({7}, Bytes(rights.begin(), rights.end())));

  auto ask = [&](const std::vector<Bytes>& packets) {
    for (const Bytes& p : packets) EXPECT_TRUE(quote.send(p));
    Reply r = quote.receiveReply();
    EXPECT_TRUE(r.ok);
    return r;
  };
  Reply dp = ask(QueuedPackets(SendQueueKind::Center, [] { Request_DP(GlobalDataRequest()); }));
  const uint8_t l1[] = {0}, l2[] = {4, 9, 10, 19, 5};
  int len = MakeRequest_StockData(0, 3, 13, 1, "600000", l1, l2, buf, sizeof buf);
  Reply one = ask({Bytes(buf, buf + len)});
  const uint8_t block[7] = {1, 2, 0x80 | 23, 0, 0, 25, 0};
  const uint8_t list2[] = {23, 30, 10, 9,  11, 19, 17, 1,  5,  31, 23, 6,
                           7,  15, 24, 14, 40, 16, 25, 26, 72, 73, 75, 62};
  len = MakeRequest_Sort(0, 9, 17, block, l1, list2, buf, sizeof buf);
  Reply sorted = ask({Bytes(buf, buf + len)});
  const uint8_t trendList[] = {12, 6, 7, 9, 10, 8, 20, 14, 15, 16, 17, 18, 19};
  len = MakeRequest_Trendline(0, 33, 13, 1, "600000", 0, trendList, buf, sizeof buf);
  // A whole day may come in several answers; the first one is the seed.
  const std::vector<Reply> trendAnswers = quote.askAll(buf, len);
  ASSERT_FALSE(trendAnswers.empty());
  Reply trend = trendAnswers.front();
  const uint8_t miniList[] = {1, 6};
  len = MakeRequest_Trendline(0, 34, 12, 1, "600000", 0, miniList, buf, sizeof buf);
  Reply mini = ask({Bytes(buf, buf + len)});
  // The detail pager's chart and tick answers as the core posts them: status, header, body.
  Bytes tickAnswer;
  {
    const uint8_t tickList[] = {4, 1, 2, 3, 4};
    len = MakeRequest_DealDetail(0, 44, 13, 1, "600000", 20, tickList, buf, sizeof buf);
    Reply ticks = ask({Bytes(buf, buf + len)});
    tickAnswer = ticks.body;
    uint8_t kblock[21] = {1, '6', '0', '0', '0', '0', '0', 0, 0, 1, 1};
    WriteLE32(kblock + 15, 99991231);
    WriteLE16(kblock + 19, 196);
    const uint8_t bars[] = {7, 11, 12, 13, 14, 15, 16, 17}, none[] = {0};
    len = MakeRequest_KLine(0, 45, 13, kblock, bars, bars, none, buf, sizeof buf);
    Reply kline = ask({Bytes(buf, buf + len)});
    for (const auto& [name, r] : std::map<std::string, const Reply*>{
             {"trend", &trend}, {"ticks", &ticks}, {"kline", &kline}})
      seeds.add("reply_head", name, Prefixed({1, 0, 0, 0}, RecordHeader(*r), r->body));
  }
  len = MakeRequest_53(0, 40, 12, "", 1, "01600000,02000001,01600036", 0, buf, sizeof buf);
  Reply upload = ask({Bytes(buf, buf + len)});
  server.advanceMinute();
  server.pushForcedLogout("您的账号已在其他设备登录\n请重新登录");
  Reply push = quote.receive();
  while (push.ok && !(push.header.MainType == 144 && push.header.ChildType == 12)) {
    seeds.add("dispatch", "push-" + std::to_string(push.header.ChildType),
              Prefixed({kConnQuote}, RecordHeader(push), push.body));
    if (push.header.ChildType == 10) seeds.add("quote_push", "push", Prefixed({0}, push.body));
    if (push.header.ChildType == 23)
      seeds.add("quote_push", "index-brief", Prefixed({3}, push.body));
    push = quote.receive();
  }
  ASSERT_TRUE(push.ok);
  seeds.add("login_answers", "forced-logout", Prefixed({3}, RecordHeader(push), push.body));
  seeds.add("dispatch", "forced-logout", Prefixed({kConnQuote}, RecordHeader(push), push.body));

  // A futures contract's tick answer with its 16-byte records, behind the chart target's head
  // (only the price decimals matter to it), on a connection of its own.
  {
    TestClient futures(server.port(Role::Quote));
    ASSERT_TRUE(AskGuestQuoteLogin(futures).ok);
    const uint8_t quoteIds[] = {4, 9, 10, 19, 5}, none[] = {0};
    len = MakeRequest_StockData(0, 46, 13, 4, "IF1512", none, quoteIds, buf, sizeof buf);
    ASSERT_TRUE(futures.send(Bytes(buf, buf + len)));
    Reply quoteReply = futures.receiveReply();
    const uint8_t tickIds[] = {6, 1, 2, 3, 4, 7, 8};
    len = MakeRequest_DealDetail(0, 47, 13, 4, "IF1512", 20, tickIds, buf, sizeof buf);
    ASSERT_TRUE(futures.send(Bytes(buf, buf + len)));
    Reply ticks = futures.receiveReply();
    ASSERT_TRUE(quoteReply.ok && ticks.ok);
    CQuoteCache contracts;
    contracts.Init();
    tagLocalStockData contract{};
    contracts.MergeOne(quoteReply.body.data(), quoteReply.body.size(), &contract);
    Bytes chart(22, 0);
    chart[0] = contract.pricedot;
    chart.insert(chart.end(), ticks.body.begin(), ticks.body.end());
    seeds.add("trend_kline", "futures-ticks", chart);
  }

  for (const auto& [name, r] : std::map<std::string, const Reply*>{{"index", &dp},
                                                                   {"one", &one},
                                                                   {"sort", &sorted},
                                                                   {"trend", &trend},
                                                                   {"upload", &upload}})
    seeds.add("dispatch", name, Prefixed({kConnQuote}, RecordHeader(*r), r->body));
  seeds.add("quote_push", "one", Prefixed({1}, one.body));
  seeds.add("quote_push", "index", Prefixed({3}, dp.body));
  seeds.add("quote_list", "sort", sorted.body);
  seeds.add("stream", "quote", quote.received());
  Bytes head(quote.received().begin(),
             quote.received().begin() + std::min<size_t>(quote.received().size(), 9000));
  seeds.add("packet", "quote-stream", head);

  // The trend as the chart target reads it: the stock's head, then the points.
  CQuoteCache cache;
  cache.Init();
  tagLocalStockData rec{};
  cache.MergeOne(one.body.data(), one.body.size(), &rec);
  if (trend.body.size() >= 13) {
    Bytes chart(22, 0);
    chart[0] = rec.pricedot;
    chart[1] = rec.zqlb;
    chart[2] = rec.market;
    chart[3] = rec.tradetimenum;
    std::memcpy(chart.data() + 4, &rec.unit, 2);
    std::memcpy(chart.data() + 6, rec.tradetime, 12);
    const uint16_t count = ReadLE16(trend.body.data() + 11);
    const uint16_t capacity = 400;
    std::memcpy(chart.data() + 18, &count, 2);
    std::memcpy(chart.data() + 20, &capacity, 2);
    chart.insert(chart.end(), trend.body.begin() + 13, trend.body.end());
    seeds.add("trend_kline", "trend", chart);
  }
  // The tick answer's entries behind the same head, its count as the record count.
  if (tickAnswer.size() >= 11) {
    Bytes ticks(22, 0);
    ticks[0] = rec.pricedot;
    ticks[2] = rec.market;
    std::memcpy(ticks.data() + 18, tickAnswer.data() + 9, 2);
    ticks[20] = 20;
    ticks.insert(ticks.end(), tickAnswer.begin() + 11, tickAnswer.end());
    seeds.add("trend_kline", "ticks", ticks);
  }
  // The watch list's one-field trend behind the stock's price decimals, high, low and close.
  {
    Bytes miniSeed(13, 0);
    miniSeed[0] = rec.pricedot;
    std::memcpy(miniSeed.data() + 1, &rec.high, 4);
    std::memcpy(miniSeed.data() + 5, &rec.low, 4);
    std::memcpy(miniSeed.data() + 9, &rec.yesterday, 4);
    miniSeed.insert(miniSeed.end(), mini.body.begin(), mini.body.end());
    seeds.add("mini_trend", "trend", miniSeed);
  }

  // The upload answer as parts, whole and cut in three; its list text.
  Bytes part = RecordHeader(upload);
  part.push_back(static_cast<uint8_t>(upload.body.size() & 0xFF));
  part.push_back(static_cast<uint8_t>(upload.body.size() >> 8));
  part.insert(part.end(), upload.body.begin(), upload.body.end());
  seeds.add("shell_upload_answer", "whole", part);
  {
    Bytes cut;
    const size_t third = upload.body.size() / 3;
    for (int i = 0; i < 3; ++i) {
      Reply piece = upload;
      piece.header.PackageNum = 3;
      piece.header.PackageNo = static_cast<uint8_t>(i);
      size_t from = third * static_cast<size_t>(i);
      size_t to = i == 2 ? upload.body.size() : from + third;
      piece.body.assign(upload.body.begin() + static_cast<long>(from),
                        upload.body.begin() + static_cast<long>(to));
      Bytes h = RecordHeader(piece);
      cut.insert(cut.end(), h.begin(), h.end());
      cut.push_back(static_cast<uint8_t>(piece.body.size() & 0xFF));
      cut.push_back(static_cast<uint8_t>(piece.body.size() >> 8));
      cut.insert(cut.end(), piece.body.begin(), piece.body.end());
    }
    seeds.add("shell_upload_answer", "three-parts", cut);
  }
  const std::string watchText = server.watchListText("");
  seeds.add("shell_watchlist_text", "server-list",
            Prefixed({0xFF}, Bytes(watchText.begin(), watchText.end())));
  seeds.add("shell_watchlist_text", "small-room",
            Prefixed({3}, Bytes(watchText.begin(), watchText.end())));

  // The stored watch list holding the ranking's stocks.
  {
    std::filesystem::path docs =
        std::filesystem::temp_directory_path() / ("verdan-seeds-" + std::to_string(::getpid()));
    std::filesystem::create_directories(docs);
    foundation::setDocumentsDir(docs.string());
    InitDocumentPath(nullptr, 0);
    tagCodeItem items[30];
    uint8_t listHead[9];
    int n = cache.ParseListReply(sorted.body.data(), sorted.body.size(), items, 30, listHead);
    SelfStock_Clear();
    SelfStock_SetLoginUser("zhang");
    SelfStock_SetListTime(103000, 20151217);
    for (int i = 0; i < n; ++i) items[i].zqlb = 1;
    SelfStock_AddItems(items, n);
    ASSERT_GT(SelfStock_Save(), 0);
    std::ifstream in(docs / "selfblk.cfg", std::ios::binary);
    seeds.add("selfstock_load", "selfblk.cfg",
              Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    SelfStock_Clear();
    std::filesystem::remove_all(docs);
  }

  // The server list as a keyed archive, binary and XML.
  {
    HostList list;
    list.title = "行情服务器";
    size_t pos = 0;
    while (pos < addresses.size()) {
      size_t end = addresses.find(';', pos);
      if (end == std::string::npos) end = addresses.size();
      auto host = std::make_shared<Host>();
      host->name = addresses.substr(pos, end - pos);
      host->port = static_cast<int64_t>(list.hosts.size()) + 17000;
      list.hosts.push_back(host);
      pos = end + 1;
    }
    if (!list.hosts.empty()) list.primary = list.hosts.front();
    std::string bytes;
    foundation::Value doc = foundation::KeyedArchive::archive(list);
    ASSERT_TRUE(
        foundation::PropertyList::serialize(doc, foundation::PropertyListFormat::Binary, bytes));
    seeds.add("keyed_archive", "servers.bplist", bytes);
    ASSERT_TRUE(
        foundation::PropertyList::serialize(doc, foundation::PropertyListFormat::Xml, bytes));
    seeds.add("keyed_archive", "servers.plist", bytes);
  }

  // Message server: a message's XML contents.
  {
    TestClient message(server.port(Role::Message));
    ASSERT_TRUE(message.connected());
    for (const Bytes& p : QueuedPackets(SendQueueKind::Message, [] {
           MakeRequest_MessageGetContent(GlobalDataRequest(), 0, 101, 1001, 5001, 0, -1, 24);
         }))
      ASSERT_TRUE(message.send(p));
    Reply content = message.receiveReply();
    ASSERT_TRUE(content.ok);
    seeds.add("shell_xml", "message-content", content.body);
    seeds.add("dispatch", "message-content",
              Prefixed({kConnMessage}, RecordHeader(content), content.body));
  }

  // Trade: the key exchange answer.
  {
    TestClient trade(server.port(Role::Trade));
    ASSERT_TRUE(trade.connected());
    uint16_t code = 0;
    for (const Bytes& p : QueuedPackets(SendQueueKind::Trade, [&] {
           MakeRequest_SessionKey(GlobalTradeRequest(), 0, &code, "20090514.01");
         }))
      ASSERT_TRUE(trade.send(p));
    trade.setKey(GetDataCenter().GetSessionKey());
    Reply key = trade.receiveReply();
    ASSERT_TRUE(key.ok);
    seeds.add("session_key_reply", "key", key.body);
    seeds.add("dispatch", "trade-key", Prefixed({kConnTrade}, RecordHeader(key), key.body));
  }
  server.stop();
}

}  // namespace

TEST(FuzzSeeds, EveryTargetGetsSeedsFromTheServersAnswers) {
  const char* wanted = std::getenv("VERDAN_FUZZ_SEED_DIR");
  std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("verdan-fuzz-seeds-" + std::to_string(::getpid()));
  SeedWriter seeds(wanted ? std::string(wanted) : scratch.string());
  RecordAll(seeds);
  const char* targets[] = {"stream",
                           "dispatch",
                           "login_answers",
                           "selfstock_load",
                           "shell_xml",
                           "shell_upload_answer",
                           "shell_watchlist_text",
                           "keyed_archive",
                           "quote_list",
                           "quote_push",
                           "trend_kline",
                           "reply_head",
                           "mini_trend",
                           "session_key_reply",
                           "packet"};
  const std::filesystem::path committed =
      std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz";
  for (const char* target : targets) {
    EXPECT_GT(seeds.count(target), 0) << target;
    EXPECT_TRUE(std::filesystem::is_directory(committed / target) &&
                !std::filesystem::is_empty(committed / target))
        << "no committed seeds for " << target;
  }
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
}
