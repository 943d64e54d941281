// Records the test server's radar and information answers as seeds of their fuzz targets (see
// FuzzSeedTest.cpp for how seeds are refreshed): with VERDAN_FUZZ_SEED_DIR set they go to the
// source tree, otherwise to a scratch folder, and the test checks that each target got seeds
// and has committed ones.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "tests/testserver/SeedWriter.h"
#include "tests/testserver/TestClient.h"
#include "testserver/Market.h"
#include "testserver/ServerCore.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

using Bytes = std::vector<uint8_t>;

// A quote request of one record-table body.
Bytes Request(uint8_t child, uint8_t page, uint16_t code, MDBF& table) {
  Bytes packet(kPacketHeaderSize + 1008, 0);
  int records = 0;
  const int len = table.SerializeAll(packet.data() + kPacketHeaderSize, 1008, &records);
  EXPECT_GT(len, 0);
  const int n = BuildPacket(kMainTypeQuote, child, page, 0, code, packet.data(), len, kCipherNone);
  packet.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return packet;
}

// Every packet of one answer, in order.
std::vector<Reply> AskAll(TestClient& client, const Bytes& packet) {
  std::vector<Reply> parts;
  EXPECT_TRUE(client.send(packet));
  for (;;) {
    Reply r = client.receiveReply();
    EXPECT_TRUE(r.ok);
    if (!r.ok) break;
    parts.push_back(r);
    if (r.header.PackageNo + 1 >= r.header.PackageNum) break;
  }
  return parts;
}

Bytes Cut(uint8_t at, const Bytes& body) {
  Bytes out{at};
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

void RecordRadar(testserver::TestServer& server, TestClient& quote, SeedWriter& seeds) {
  MDBF list;
  list.AddStringField(0, "\x14\x15\x16\x17");
  list.AddStringField(71, "01600000,01600036,02000001,02000002");
  list.AddIntField(28, 0);
  list.AddIntField(29, 50);
  auto whole = AskAll(quote, Request(96, 12, 1, list));
  ASSERT_EQ(whole.size(), 1u);
  seeds.add("radar_replies", "list", Cut(255, whole[0].body));

  MDBF one;
  one.AddIntField(26, 1);
  one.AddStringField(27, "600000");
  one.AddIntField(28, 0);
  one.AddIntField(29, 50);
  auto stock = AskAll(quote, Request(81, 13, 2, one));
  ASSERT_EQ(stock.size(), 1u);
  seeds.add("radar_replies", "stock", Cut(255, stock[0].body));
  one.AddIntField(98, 2);
  auto tables = AskAll(quote, Request(81, 13, 3, one));
  ASSERT_EQ(tables.size(), 1u);
  seeds.add("radar_replies", "two-tables", Cut(128, tables[0].body));

  server.splitReplies(kMainTypeQuote, 96, 2);
  auto parts = AskAll(quote, Request(96, 12, 4, list));
  server.splitReplies(kMainTypeQuote, 96, 1);
  ASSERT_EQ(parts.size(), 2u);
  Bytes joined = parts[0].body;
  joined.insert(joined.end(), parts[1].body.begin(), parts[1].body.end());
  seeds.add("radar_replies", "two-packets",
            Cut(static_cast<uint8_t>(parts[0].body.size() * 255 / joined.size()), joined));

  // The text of 000002's alert, whose ids lie from 6,000,000,000 on (one a day).
  MDBF rows;
  ASSERT_GT(rows.Parse(whole[0].body.data(), static_cast<int>(whole[0].body.size())), 0);
  int64_t id = 0;
  for (int i = 0; i < rows.GetRecordNum(); ++i) {
    rows.Seek(i);
    if (rows.GetInt64(22) >= 6000000000LL) id = rows.GetInt64(22);
  }
  ASSERT_NE(id, 0);
  MDBF text;
  text.AddInt64Field(22, id);
  auto content = AskAll(quote, Request(82, 0, 5, text));
  ASSERT_EQ(content.size(), 1u);
  ASSERT_FALSE(content[0].error());
  seeds.add("radar_replies", "text", Cut(255, content[0].body));
}

void RecordInfo(testserver::TestServer& server, TestClient& quote, SeedWriter& seeds) {
  MDBF sections;
  sections.AddStringField(0, "\x20\x21\x22\x24");
  sections.AddIntField(31, 1);
  auto list = AskAll(quote, Request(85, 22, 11, sections));
  ASSERT_EQ(list.size(), 1u);
  seeds.add("info_replies", "sections", Cut(255, list[0].body));
  MDBF first;
  ASSERT_GT(first.Parse(list[0].body.data(), static_cast<int>(list[0].body.size())), 0);
  first.Seek(0);

  MDBF titles;
  titles.AddStringField(0, "\x20\x16\x17\x25\x24\x14\x15");
  titles.AddIntField(32, first.GetInt(32));
  titles.AddStringField(36, first.GetNSString(36).c_str());
  titles.AddIntField(28, 0);
  titles.AddIntField(29, 20);
  titles.AddIntField(39, 60);
  auto whole = AskAll(quote, Request(86, 22, 12, titles));
  ASSERT_EQ(whole.size(), 1u);
  seeds.add("info_replies", "titles", Cut(255, whole[0].body));
  server.splitReplies(kMainTypeQuote, 86, 2);
  auto parts = AskAll(quote, Request(86, 22, 13, titles));
  server.splitReplies(kMainTypeQuote, 86, 1);
  ASSERT_EQ(parts.size(), 2u);
  Bytes joined = parts[0].body;
  joined.insert(joined.end(), parts[1].body.begin(), parts[1].body.end());
  seeds.add("info_replies", "titles-two-packets",
            Cut(static_cast<uint8_t>(parts[0].body.size() * 255 / joined.size()), joined));

  MDBF row;
  ASSERT_GT(row.Parse(whole[0].body.data(), static_cast<int>(whole[0].body.size())), 0);
  row.Seek(0);
  MDBF article;
  article.AddStringField(0, "\x18");
  article.AddIntField(32, first.GetInt(32));
  article.AddStringField(36, row.GetNSString(36).c_str());
  auto text = AskAll(quote, Request(87, 22, 14, article));
  ASSERT_EQ(text.size(), 1u);
  ASSERT_FALSE(text[0].error());
  seeds.add("info_replies", "article", Cut(255, text[0].body));

  // The text of 600000's first alert (its ids lie from 2^31 on, one a day).
  MDBF stock;
  stock.AddIntField(26, 1);
  stock.AddStringField(27, "600000");
  stock.AddIntField(28, 0);
  stock.AddIntField(29, 50);
  auto alerts = AskAll(quote, Request(81, 13, 16, stock));
  ASSERT_EQ(alerts.size(), 1u);
  MDBF rows;
  ASSERT_GT(rows.Parse(alerts[0].body.data(), static_cast<int>(alerts[0].body.size())), 0);
  ASSERT_GT(rows.GetRecordNum(), 0);
  rows.Seek(0);
  MDBF alert;
  alert.AddInt64Field(22, rows.GetInt64(22));
  auto radar = AskAll(quote, Request(82, 0, 15, alert));
  ASSERT_EQ(radar.size(), 1u);
  seeds.add("info_replies", "radar-text", Cut(255, radar[0].body));
}

// The web role's news list and an article, as the web view reads them (HTML).
void RecordWebPages(SeedWriter& seeds, const testserver::ServerOptions& options) {
  testserver::Market market(options.seed, options.date, options.minute);
  auto body = [](const std::string& answer) {
    const size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? answer : answer.substr(at + 4);
  };
  const std::string list = body(testserver::HttpAnswer(market, "/hpf10/xltxt.aspx"));
  ASSERT_NE(list.find("/news?id="), std::string::npos);
  Bytes page{1};
  page.insert(page.end(), list.begin(), list.end());
  seeds.add("web_page", "news-list", page);
  ASSERT_FALSE(market.news().empty());
  const std::string article =
      body(testserver::HttpAnswer(market, "/news?id=" + std::to_string(market.news().front().id)));
  page.assign(1, 1);
  page.insert(page.end(), article.begin(), article.end());
  seeds.add("web_page", "article", page);
}

}  // namespace

TEST(FuzzSeeds, RadarAndInformationAnswers) {
  const char* wanted = std::getenv("VERDAN_FUZZ_SEED_DIR");
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("verdan-info-seeds-" + std::to_string(::getpid()));
  SeedWriter seeds(wanted ? std::string(wanted) : scratch.string());
  auto options = testserver::ServerOptions::Ephemeral();
  options.date = 20151217;
  options.minute = 10 * 60 + 30;
  testserver::TestServer server(options);
  ASSERT_TRUE(server.start());
  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  ASSERT_TRUE(AskGuestQuoteLogin(quote).ok);
  RecordRadar(server, quote, seeds);
  RecordInfo(server, quote, seeds);
  RecordWebPages(seeds, options);
  server.stop();

  const std::filesystem::path committed =
      std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz";
  for (const char* target : {"radar_replies", "info_replies", "web_page"}) {
    EXPECT_GT(seeds.count(target), 0) << target;
    EXPECT_TRUE(std::filesystem::is_directory(committed / target) &&
                !std::filesystem::is_empty(committed / target))
        << "no committed seeds for " << target;
  }
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
}
