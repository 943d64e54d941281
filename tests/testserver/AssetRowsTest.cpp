// The transfer screen's asset table as the trade server pages it: one row per account, each
// account with its one balance.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "core/CDataCenter.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/SendQueues.h"
#include "core/TradeRequests.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

namespace {

using testserver::Role;

TEST(AssetRows, EveryAccountIsListedOnce) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  GetDataCenter().Reset();
  TestClient trade(server.port(Role::Trade), GetDataCenter().GetSessionKey().c_str());
  ASSERT_TRUE(trade.connected());
  std::set<std::string> accounts;
  int rows = 0;
  for (int start = 0; start < 40; start += 10) {
    QueueCapture capture;
    MakeRequest_BankInfo(GlobalTradeRequest(), 0, 46, start, 10, "", "\x01\x14\x06\x0f\x1f\x20",
                         146);
    const auto packets = capture.take(SendQueueKind::Trade);
    ASSERT_EQ(packets.size(), 1u);
    ASSERT_TRUE(trade.send(packets[0]));
    const Reply r = trade.receiveReply();
    ASSERT_TRUE(r.ok);
    ASSERT_FALSE(r.error());
    MDBF t;
    ASSERT_GT(t.Parse(r.body.data(), static_cast<int>(r.body.size())), 0);
    for (int i = 0; i < t.GetRecordNum(); ++i) {
      t.Seek(i);
      const std::string account = t.GetNSString(1);
      EXPECT_FALSE(account.empty());
      EXPECT_TRUE(accounts.insert(account).second) << account << " listed twice";
      ++rows;
    }
  }
  EXPECT_EQ(rows, 35);
  server.stop();
}

}  // namespace
