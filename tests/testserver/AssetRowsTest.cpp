// The transfer screen's asset table as the trade server pages it: one row per account, each
// account with its one balance.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

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

// Each asset row's bank, currency and available funds by account.
struct Row {
  std::string bank;
  int currency = 0;
  std::string available;
};
std::map<std::string, Row> AssetRowsByAccount(TestClient& trade) {
  std::map<std::string, Row> rows;
  QueueCapture capture;
  MakeRequest_BankInfo(GlobalTradeRequest(), 0, 46, 0, 40, "", "\x01\x14\x06\x0f\x1f\x20", 146);
  const auto packets = capture.take(SendQueueKind::Trade);
  if (packets.size() != 1u || !trade.send(packets[0])) return rows;
  const Reply r = trade.receiveReply();
  MDBF t;
  if (!r.ok || r.error() || t.Parse(r.body.data(), static_cast<int>(r.body.size())) <= 0)
    return rows;
  for (int i = 0; i < t.GetRecordNum(); ++i) {
    t.Seek(i);
    rows[t.GetNSString(1)] = {t.GetNSString(20), t.GetInt(6), t.GetNSString(32)};
  }
  return rows;
}

// A transfer through a bank reaches that bank's own fund account of the currency, whichever
// account the request names (the login account, another bank's account); a bank without an
// account of the currency refuses it.
TEST(AssetRows, ATransferReachesTheChosenBanksOwnFundAccount) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  server.setMinute(10 * 60);
  GetDataCenter().Reset();
  TestClient trade(server.port(Role::Trade), GetDataCenter().GetSessionKey().c_str());
  ASSERT_TRUE(trade.connected());
  auto transfer = [&](const char* account, const char* bank, int currency) {
    QueueCapture capture;
    MakeRequest_Transfer(GlobalTradeRequest(), 0, account, "pw", bank, "6225880155667788", "bpw",
                         currency, "100.00", 1);
    const auto packets = capture.take(SendQueueKind::Trade);
    EXPECT_EQ(packets.size(), 1u);
    if (packets.empty() || !trade.send(packets[0])) return Reply{};
    return trade.receiveReply();
  };
  struct Case {
    const char* account;
    const char* bank;
    int currency;
  };
  for (const Case& k :
       {Case{"demo", "03", 0}, Case{"8800011000", "03", 0}, Case{"8800011000", "01", 1}}) {
    SCOPED_TRACE(std::string(k.account) + " via " + k.bank);
    const auto before = AssetRowsByAccount(trade);
    ASSERT_EQ(before.size(), 35u);
    const Reply r = transfer(k.account, k.bank, k.currency);
    ASSERT_TRUE(r.ok);
    ASSERT_FALSE(r.error()) << r.errorText();
    const auto after = AssetRowsByAccount(trade);
    std::vector<std::string> changed;
    for (const auto& [account, row] : after)
      if (before.at(account).available != row.available) changed.push_back(account);
    ASSERT_EQ(changed.size(), 1u);
    const Row& row = after.at(changed[0]);
    EXPECT_EQ(row.bank, k.bank);
    EXPECT_EQ(row.currency, k.currency);
  }
  const Reply refused = transfer("demo", "03", 1);
  ASSERT_TRUE(refused.ok);
  EXPECT_TRUE(refused.error());
  server.stop();
}

}  // namespace
