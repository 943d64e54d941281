// The transfer screen's asset table as the trade server pages it: one row per account, each
// account with its one balance.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
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
  ASSERT_FALSE(AskTradeLogin(trade).error());
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
struct AssetRow {
  std::string bank;
  int currency = 0;
  std::string available;
  bool operator==(const AssetRow&) const = default;
};
std::map<std::string, AssetRow> AssetRowsByAccount(TestClient& trade) {
  std::map<std::string, AssetRow> rows;
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
  ASSERT_FALSE(AskTradeLogin(trade).error());
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
       {Case{"880001", "03", 0}, Case{"8800011000", "03", 0}, Case{"8800011000", "01", 1}}) {
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
    const AssetRow& row = after.at(changed[0]);
    EXPECT_EQ(row.bank, k.bank);
    EXPECT_EQ(row.currency, k.currency);
  }
  const Reply refused = transfer("880001", "03", 1);
  ASSERT_TRUE(refused.ok);
  EXPECT_TRUE(refused.error());
  // A fund account of no login of this connection moves nothing.
  const auto before = AssetRowsByAccount(trade);
  const Reply stranger = transfer("demo", "03", 0);
  ASSERT_TRUE(stranger.ok);
  EXPECT_EQ(stranger.errorText(), "资金账号不属于当前登录的交易账号");
  EXPECT_EQ(AssetRowsByAccount(trade), before);
  server.stop();
}

// As a real trade server: nothing of a trade account goes to a connection without its login,
// a login must match an account and its password, and requests that carry the login's account
// and password must carry this connection's. Each refusal is an error answer with its text.
TEST(AssetRows, TradeRequestsNeedTheConnectionsTradeLogin) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  server.setMinute(10 * 60);
  GetDataCenter().Reset();
  GetDataCenter().SetAccount("880001");
  GetDataCenter().SetAssetPassword("112233");
  TestClient trade(server.port(Role::Trade), GetDataCenter().GetSessionKey().c_str());
  ASSERT_TRUE(trade.connected());
  auto askOn = [&](TestClient& client, const std::function<void()>& build) {
    QueueCapture capture;
    build();
    const auto packets = capture.take(SendQueueKind::Trade);
    EXPECT_EQ(packets.size(), 1u);
    if (packets.empty() || !client.send(packets[0])) return Reply{};
    Reply r = client.receiveReply();
    for (int part = r.header.PackageNo + 1; r.ok && part < r.header.PackageNum; ++part)
      client.receiveReply();
    return r;
  };
  auto ask = [&](const std::function<void()>& build) { return askOn(trade, build); };
  CDataTradeRequest* tr = GlobalTradeRequest();
  const std::vector<std::pair<const char*, std::function<void()>>> requests = {
      {"bank information", [&] { MakeRequest_BankInfo(tr, 0, 40, 0, 50, "", "\x01\x06", 146); }},
      {"asset list", [&] { MakeRequest_BankInfo(tr, 0, 46, 0, 10, "", "\x01\x14", 146); }},
      {"transferable", [&] { MakeRequest_CanTransfer(tr, 0, "880001", "112233", 0); }},
      {"transfer",
       [&] { MakeRequest_Transfer(tr, 0, "8800011000", "pw", "03", "6225", "", 0, "10.00", 1); }},
      {"balance", [&] { MakeRequest_Transfer43(tr, 0, "8800011000", "03", "6225", "", 0); }},
  };
  for (const auto& [name, build] : requests) {
    SCOPED_TRACE(name);
    const Reply r = ask(build);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.errorText(), "尚未登录交易账号，请先登录");
  }

  for (const auto& [account, password, text] :
       {std::tuple{"880001", "000000", "资金账号或交易密码错误"},
        std::tuple{"nosuch", "112233", "资金账号或交易密码错误"},
        std::tuple{"", "112233", "请输入资金账号"}, std::tuple{"880001", "", "请输入交易密码"}}) {
    const Reply r = AskTradeLogin(trade, account, password);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.errorText(), text);
  }
  EXPECT_EQ(ask(requests[0].second).errorText(), "尚未登录交易账号，请先登录");

  ASSERT_FALSE(AskTradeLogin(trade, "880002", "445566").error());
  // The refused transfer moved nothing: 招商银行's 人民币 account holds what it started with.
  const auto rows = AssetRowsByAccount(trade);
  ASSERT_EQ(rows.count("8800031025"), 1u);
  EXPECT_EQ(rows.at("8800031025").available, "20800.75");
  // The session object names 880001: not this connection's login.
  GetDataCenter().SetAccount("880001");
  GetDataCenter().SetAssetPassword("112233");
  EXPECT_EQ(ask(requests[0].second).errorText(), "资金账号或交易密码不符，请重新登录");
  EXPECT_EQ(ask(requests[2].second).errorText(), "资金账号或交易密码不符，请重新登录");
  GetDataCenter().SetAccount("880002");
  GetDataCenter().SetAssetPassword("445566");
  for (size_t i : {0u, 1u}) {
    const Reply r = ask(requests[i].second);
    EXPECT_FALSE(r.error()) << r.errorText();
  }
  // Another connection starts without a login.
  TestClient other(server.port(Role::Trade), GetDataCenter().GetSessionKey().c_str());
  ASSERT_TRUE(other.connected());
  EXPECT_EQ(askOn(other, requests[1].second).errorText(), "尚未登录交易账号，请先登录");
  GetDataCenter().Reset();
  GetDataCenter().SetAccount("");
  GetDataCenter().SetAssetPassword("");
  server.stop();
}

}  // namespace
