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

}  // namespace
