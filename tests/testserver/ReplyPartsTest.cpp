// Replies in several packets: a body longer than one packet goes out in numbered byte parts
// that join to the whole, and a test can ask for any reply to be split.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/CXMLMake.h"
#include "core/LineStep.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/PacketHeader.h"
#include "core/QuoteRequests.h"
#include "tests/testserver/TestClient.h"
#include "testserver/Market.h"
#include "testserver/ServerCore.h"
#include "testserver/Table.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

using Bytes = std::vector<uint8_t>;

class ReplyParts : public ::testing::Test {
 protected:
  void SetUp() override {
    server = std::make_unique<testserver::TestServer>(testserver::ServerOptions::Ephemeral());
    ASSERT_TRUE(server->start());
  }
  void TearDown() override { server->stop(); }

  std::unique_ptr<TestClient> QuoteClient() {
    auto client = std::make_unique<TestClient>(server->port(Role::Quote));
    EXPECT_TRUE(client->connected());
    uint8_t buf[1024];
    const int len = MakeRequest_HQLogin(0, 8, 1, "", "", buf, sizeof buf);
    EXPECT_TRUE(client->send(buf, len));
    EXPECT_TRUE(client->receiveReply().ok);
    return client;
  }

  // Every part of the next reply, in order of arrival.
  static std::vector<Reply> Parts(TestClient& client) {
    std::vector<Reply> parts;
    do {
      Reply r = client.receiveReply();
      if (!r.ok) break;
      parts.push_back(r);
    } while (parts.back().header.PackageNo + 1 < parts.back().header.PackageNum);
    return parts;
  }

  std::unique_ptr<testserver::TestServer> server;
};

// The server's answer with its newer list of 1000 stocks does not fit one packet.
TEST_F(ReplyParts, ALongUploadAnswerGoesOutInNumberedPartsThatJoin) {
  testserver::Market market(testserver::ServerOptions::Ephemeral().seed, 20240105, 600);
  // The market holds a few hundred stocks; the list names them round after round.
  std::vector<std::string> codes;
  // Six-digit codes of Shanghai and Shenzhen: 1000 of them do not fit one packet.
  for (uint8_t mk : {1, 2})
    for (uint8_t type = 0; type < 130; ++type)
      for (int i : market.list(mk, type)) {
        char item[16];
        std::snprintf(item, sizeof item, "%02d%s", mk, market.at(i).q.code);
        if (std::strlen(item) == 8) codes.emplace_back(item);
      }
  ASSERT_FALSE(codes.empty());
  std::string list;
  int taken = 0;
  for (; taken < 1000; ++taken) {
    if (!list.empty()) list += ",";
    list += codes[static_cast<size_t>(taken) % codes.size()];
  }
  ASSERT_EQ(taken, 1000);
  // The client's builder keeps its uploads within one packet; this upload is written by hand.
  Bytes upload(16384, 0);
  CLineStep kvUp;
  KVBody_AddString(kvUp, 2, "li");
  AppendStockTimeRecord(kvUp, 3, 20240105, 150000);
  KVBody_AddString(kvUp, 4, list.c_str());
  const int bodyLen = KVBody_CopyText(kvUp, upload.data() + kPacketHeaderSize,
                                      static_cast<int>(upload.size()) - kPacketHeaderSize);
  ASSERT_GT(bodyLen, static_cast<int>(list.size()));
  const int upLen = BuildPacket(145, 53, 12, 0, 5, upload.data(), bodyLen, 0);
  auto first = QuoteClient();
  ASSERT_TRUE(first->send(upload.data(), upLen));
  ASSERT_EQ(Parts(*first).size(), 1u);

  auto second = QuoteClient();
  uint8_t buf[1024];
  const int64_t earlier = (int64_t{20240105} << 32) | 140000;
  const int len = MakeRequest_53(0, 6, 12, "li", 1, "01600000", earlier, buf, sizeof buf);
  ASSERT_TRUE(second->send(buf, len));
  std::vector<Reply> parts = Parts(*second);
  ASSERT_GE(parts.size(), 2u);
  Bytes joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    EXPECT_EQ(parts[i].header.PackageNo, i);
    EXPECT_EQ(parts[i].header.PackageNum, parts.size());
    EXPECT_EQ(parts[i].code(), 6);
    EXPECT_LE(parts[i].body.size(), testserver::kMaxReplyPartBody);
    joined.insert(joined.end(), parts[i].body.begin(), parts[i].body.end());
  }
  CLineStep kv;
  kv.Append(joined.data(), static_cast<uint32_t>(joined.size()));
  std::vector<char> text(joined.size() + 1);
  kv.GetValue(4, text.data(), static_cast<int>(text.size()));
  EXPECT_TRUE(std::string(text.data()) == list)
      << "joined list of " << strlen(text.data()) << " bytes instead of " << list.size();
  char flag[8];
  kv.GetValue(5, flag, sizeof flag);
  EXPECT_STREQ(flag, "2");
}

TEST_F(ReplyParts, ATestCanSplitAnyReply) {
  auto client = QuoteClient();
  uint8_t buf[1024];
  // A quote reply, asked to come in three parts.
  server->splitReplies(145, 10, 3);
  const uint8_t l1[] = {0}, l2[] = {4, 9, 10, 19, 5};
  int len = MakeRequest_StockData(0, 3, 13, 1, "600000", l1, l2, buf, sizeof buf);
  ASSERT_TRUE(client->send(buf, len));
  std::vector<Reply> parts = Parts(*client);
  ASSERT_EQ(parts.size(), 3u);
  server->splitReplies(145, 10, 0);
  ASSERT_TRUE(client->send(buf, len));
  EXPECT_EQ(Parts(*client).size(), 1u);
}

// A handler's record table in several packets: whole records, each packet a table of its own,
// that together hold every record once and in order.
TEST(ReplyTableParts, ARecordTableGoesOutAsTablesOfWholeRecords) {
  testserver::ServerCore core(testserver::ServerOptions::Ephemeral());
  constexpr uint8_t kTableChild = 240, kBytesChild = 241;
  // Asks for `parts` packets; the request's page byte carries it.
  core.on(Role::Quote, kMainTypeQuote, kTableChild,
          [](testserver::ServerCore& s, testserver::Connection& c, const testserver::Request& req) {
            testserver::TableWriter w;
            for (int i = 0; i < 10; ++i) {
              w.addRow();
              w.i32(22, i);
              w.text(26, "row" + std::to_string(i));
            }
            s.replyTableInParts(c, req, w.build(), req.header.PageID);
          });
  core.on(Role::Quote, kMainTypeQuote, kBytesChild,
          [](testserver::ServerCore& s, testserver::Connection& c, const testserver::Request& req) {
            const std::vector<uint8_t> notATable = {1, 2, 3, 4, 5, 6, 7};
            s.replyTableInParts(c, req, notATable, 3);
          });
  ASSERT_TRUE(core.start());
  TestClient client(core.port(Role::Quote));
  ASSERT_TRUE(client.connected());
  auto ask = [&](uint8_t child, uint8_t parts) {
    std::vector<uint8_t> packet(kPacketHeaderSize, 0);
    const int len = BuildPacket(kMainTypeQuote, child, parts, 0, 7, packet.data(), 0, 0);
    EXPECT_TRUE(client.send(packet.data(), len));
    std::vector<Reply> got;
    do {
      Reply r = client.receiveReply();
      if (!r.ok) break;
      got.push_back(r);
    } while (got.back().header.PackageNo + 1 < got.back().header.PackageNum);
    return got;
  };

  struct Case {
    uint8_t asked;
    size_t packets;
  };
  // 10 records in 3 packets (4, 3, 3); more packets than records: one record each; 0: one.
  for (Case k : {Case{3, 3}, Case{20, 10}, Case{0, 1}}) {
    std::vector<Reply> parts = ask(kTableChild, k.asked);
    ASSERT_EQ(parts.size(), k.packets) << int(k.asked);
    int next = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
      EXPECT_EQ(parts[i].header.PackageNo, i);
      EXPECT_EQ(parts[i].header.PackageNum, parts.size());
      EXPECT_EQ(parts[i].code(), 7);
      MDBF t;
      ASSERT_GT(t.Parse(parts[i].body.data(), static_cast<int>(parts[i].body.size())), 0)
          << "packet " << i << " is no table of its own";
      ASSERT_GE(t.GetRecordNum(), 1);
      for (int r = 0; r < t.GetRecordNum(); ++r, ++next) {
        t.Seek(r);
        EXPECT_EQ(t.GetInt(22), next);
        EXPECT_EQ(t.GetNSString(26), "row" + std::to_string(next));
      }
    }
    EXPECT_EQ(next, 10) << int(k.asked);
  }
  if (auto three = ask(kTableChild, 3); three.size() == 3) {
    MDBF a, b;
    a.Parse(three[0].body.data(), static_cast<int>(three[0].body.size()));
    b.Parse(three[2].body.data(), static_cast<int>(three[2].body.size()));
    EXPECT_EQ(a.GetRecordNum(), 4);
    EXPECT_EQ(b.GetRecordNum(), 3);
  }

  // A body that is no record table goes out in byte parts that join to it.
  std::vector<Reply> bytes = ask(kBytesChild, 0);
  ASSERT_EQ(bytes.size(), 3u);
  std::vector<uint8_t> joined;
  for (const Reply& r : bytes) joined.insert(joined.end(), r.body.begin(), r.body.end());
  EXPECT_EQ(joined, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}));
  core.stop();
}

}  // namespace
