// The test server writes exactly the hand-written reply bytes of tests/WireVectors.h: its own
// writers fed with the vectors' values, and its answers over a socket for the market the
// market-made vectors were taken from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CDataCenter.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/QuoteField.h"
#include "core/QuoteRequests.h"
#include "tests/WireVectors.h"
#include "tests/testserver/TestClient.h"
#include "testserver/QuoteEncoder.h"
#include "testserver/Table.h"
#include "testserver/TestServer.h"
#include "testserver/Wire.h"

using testserver::Role;
using namespace wirevec;

namespace {

Bytes Slice(const Bytes& b, size_t from, size_t n) {
  return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + n));
}

tagLocalStockData FromListRecord(const ListRecord& l) {
  tagLocalStockData q = MakeEmptyStockData();
  q.market = l.market;
  SetRecordCode(q, l.code);
  q.zqlb = l.zqlb;
  std::memcpy(q.name, l.name, sizeof l.name);
  q.pricedot = l.pricedot;
  q.unit = l.unit;
  q.yesterday = l.yesterday;
  q.open = l.open;
  q.high = l.high;
  q.low = l.low;
  q.now = l.now;
  q.volume = l.volume;
  q.amount = l.amount;
  q.zd = l.zd;
  q.zf = l.zf;
  q.lb = l.lb;
  q.hsl = l.hsl;
  q.average = q.average_new = l.average;
  std::memcpy(&q.datetime, &l.datetime, 4);
  q.buysell10.buy[0].price = l.bid1;
  q.buysell10.sell[0].price = l.ask1;
  return q;
}

TEST(WireVectors, LoginAnswersAreWrittenByteForByte) {
  testserver::TableWriter auth;
  auth.text(36, kAuthServerList);
  auth.text(71, kAuthDevice);
  auth.text(35, kRights);
  auth.text(58, kQsid);
  auth.i32(70, 1);
  EXPECT_EQ(auth.build(), kAuthLoginAnswer);

  testserver::TableWriter quote;
  quote.text(35, kRights);
  quote.text(58, kQsid);
  quote.i32(70, 1);
  quote.i64(52, kServerTime);
  quote.utf16(28, kUpgradeText);
  quote.text(46, kUpgradeUrl);
  EXPECT_EQ(quote.build(), kQuoteLoginAnswer);
}

TEST(WireVectors, QuoteRecordsAreWrittenByteForByte) {
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    testserver::ByteWriter w;
    testserver::EncodeQuoteRecord(FromListRecord(kListRecords[i]), kListIds, w);
    EXPECT_EQ(w.take(), Slice(kSortedList, kSortedListHead + i * kListRecordSize, kListRecordSize));
  }
  EXPECT_EQ(Slice(kSortedList, 10, kListIds.size()), kListIds);

  tagLocalStockData push = FromListRecord(kListRecords[0]);
  push.now = 326400;
  push.volume = 35310000;
  push.amount = 1152200000;
  const uint32_t at = kAt0932;
  std::memcpy(&push.datetime, &at, 4);
  push.buysell10.buy[0].price = 326300;
  push.buysell10.sell[0].price = 326400;
  push.buySellQueue[0] = {3263, 1200, 3, 2, {500, 700}};
  push.buySellQueue[1] = {3264, 800, 1, 1, {800}};
  testserver::ByteWriter w;
  testserver::EncodeQuoteRecord(push, kPushIds, w);
  EXPECT_EQ(w.take(),
            Slice(kPushQuote, 1 + kPushIds.size(), kPushQuote.size() - 1 - kPushIds.size()));
}

// The server decides which ids it may send by its own encoder; it must know exactly the ids the
// client reads.
TEST(WireVectors, ServerAndClientKnowTheSameFieldIds) {
  for (int id = 0; id < 256; ++id) {
    EXPECT_EQ(testserver::IsQuoteFieldId(static_cast<uint8_t>(id)),
              QuoteFieldWireWidth(static_cast<uint8_t>(id)) != 0)
        << id;
  }
}

class WireVectorServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto o = testserver::ServerOptions::Ephemeral();
    o.seed = 20151217;
    o.date = 20151217;
    o.minute = 9 * 60 + 31;
    server_ = new testserver::TestServer(o);
    ASSERT_TRUE(server_->start());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void TearDown() override { server_->clearFaults(); }

  static Reply Ask(TestClient& client, const uint8_t* packet, int len) {
    EXPECT_GT(len, 0);
    EXPECT_TRUE(client.send(packet, len));
    Reply r = client.receiveReply();
    EXPECT_TRUE(r.ok);
    return r;
  }

  static testserver::TestServer* server_;
};

testserver::TestServer* WireVectorServer::server_ = nullptr;

TEST_F(WireVectorServer, MarketRepliesAreTheVectors) {
  TestClient client(server_->port(Role::Quote));
  ASSERT_TRUE(client.connected());
  uint8_t buf[2048];

  {
    QueueCapture capture;
    Request_DP(GlobalDataRequest());
    const auto packets = capture.take(SendQueueKind::Center);
    ASSERT_EQ(packets.size(), 1u);
    Reply r = Ask(client, packets[0].data(), static_cast<int>(packets[0].size()));
    EXPECT_EQ(r.header.ChildType, 23);
    EXPECT_EQ(r.body, kIndexSnapshot);
  }
  {
    const uint8_t list[] = {3, 6, 20, 9};
    Reply r =
        Ask(client, buf, MakeRequest_Trendline(0, 33, 13, 1, "600000", 0, list, buf, sizeof buf));
    EXPECT_EQ(r.header.ChildType, 33);
    EXPECT_EQ(r.body, kTrend);
  }
  {
    const uint8_t list[] = {4, 1, 2, 3, 4};
    Reply r =
        Ask(client, buf,
            MakeRequest_DealDetail(0, 14, 13, 1, "600000", kTickCount, list, buf, sizeof buf));
    EXPECT_EQ(r.header.ChildType, 14);
    EXPECT_EQ(r.body, kTicks);
  }
  {
    uint8_t block[21] = {1, '6', '0', '0', '0', '0', '0', 0, 0, 1, 1};
    WriteLE32(block + 15, 99991231);
    WriteLE16(block + 19, 2);
    const uint8_t list[] = {4, 1, 5, 16, 15};
    const uint8_t weights[] = {8, 1, 2, 3, 4, 5, 6, 7, 10};
    Reply bars =
        Ask(client, buf, MakeRequest_KLine(0, 32, 13, block, list, list, weights, buf, sizeof buf));
    EXPECT_EQ(bars.header.ChildType, 32);
    EXPECT_EQ(bars.body, kKLine);
    Reply events = client.receiveReply();
    ASSERT_TRUE(events.ok);
    EXPECT_EQ(events.header.ChildType, 16);
    EXPECT_EQ(events.body, kWeights);
  }
}

// A server of its own: the market moves on here.
TEST(WireVectors, QuoteReplyAndPushAreTheVectorsOnTheWire) {
  auto o = testserver::ServerOptions::Ephemeral();
  o.seed = 20151217;
  o.date = 20151217;
  o.minute = 9 * 60 + 31;
  testserver::TestServer server(o);
  ASSERT_TRUE(server.start());
  TestClient client(server.port(Role::Quote));
  ASSERT_TRUE(client.connected());
  uint8_t buf[256];
  const uint8_t ids[] = {5, 9, 10, 19, 5, 6};
  const uint8_t none[] = {0};
  const int len =
      MakeRequest_StockData(0, kQuoteCode, kQuotePage, 1, "600000", ids, none, buf, sizeof buf);
  ASSERT_TRUE(client.send(buf, len));
  Reply reply = client.receiveReply();
  ASSERT_TRUE(reply.ok);
  EXPECT_EQ(reply.wire, kQuoteReplyPacket);

  server.advanceMinute();
  Reply push;
  do {
    push = client.receive();
  } while (push.ok && push.header.ChildType != 10);
  ASSERT_TRUE(push.ok);
  EXPECT_EQ(push.wire, kQuotePushPacket);
}

TEST_F(WireVectorServer, ErrorRepliesAreTheVectorsOnTheWire) {
  TestClient client(server_->port(Role::Quote));
  ASSERT_TRUE(client.connected());
  uint8_t buf[256];
  const uint8_t list[] = {1, 6};
  const int len =
      MakeRequest_Trendline(0, kErrorCode, kErrorPage, 1, "600000", 0, list, buf, sizeof buf);

  server_->setFault(Role::Quote, testserver::Fault::ErrorReply, 1, kErrorText, false);
  EXPECT_EQ(Ask(client, buf, len).wire, kErrorReply);

  server_->setFault(Role::Quote, testserver::Fault::ErrorReply, 1,
                    std::string(kCompressedTextUnits, 'A'), true);
  EXPECT_EQ(Ask(client, buf, len).wire, kCompressedErrorReply);
}

}  // namespace
