// Records the test server's answers to the account screens as seeds of the fuzz_account_*
// targets (see FuzzSeedTest.cpp for the layout and VERDAN_FUZZ_SEED_DIR).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/CDataCenter.h"
#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/PacketHeader.h"
#include "core/SendQueues.h"
#include "core/TradeRequests.h"
#include "platform/foundation/PropertyList.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

using Bytes = std::vector<uint8_t>;

// One seed: the reader byte, the header as a receive record holds it, the decoded body.
Bytes Seed(uint8_t reader, const Reply& r) {
  PacketHeader h = r.header;
  h.flags &= 0x40;
  h.bodyLen = static_cast<uint16_t>(r.body.size());
  Bytes out(1 + kPacketHeaderSize);
  out[0] = reader;
  h.Write(out.data() + 1);
  out.insert(out.end(), r.body.begin(), r.body.end());
  return out;
}

void Write(const std::string& dir, const std::string& target, const std::string& name,
           const Bytes& bytes) {
  std::filesystem::create_directories(dir + "/" + target);
  std::ofstream out(dir + "/" + target + "/" + name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(FuzzSeeds, AccountScreensGetSeedsFromTheServersAnswers) {
  const char* wanted = std::getenv("VERDAN_FUZZ_SEED_DIR");
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() /
      ("verdan-account-seeds-" + std::to_string(::getpid()));
  const std::string dir = wanted ? std::string(wanted) : scratch.string();

  // In the broker's transfer hours, so that the transfer and the balance are answered.
  auto options = testserver::ServerOptions::Ephemeral();
  options.minute = 10 * 60;
  testserver::TestServer server(options);
  ASSERT_TRUE(server.start());
  uint8_t buf[2048];
  TestClient auth(server.port(Role::Auth));
  ASSERT_TRUE(auth.connected());

  int n = MakeRequest_Register(0, 0, 2, "seeduser", buf, sizeof buf);
  Reply registered = auth.ask(buf, n);
  ASSERT_TRUE(registered.ok);
  Write(dir, "account_login", "register", Seed(0, registered));
  n = MakeRequest_GetPwd(0, 0, 2, "", buf, sizeof buf);
  Reply refused = auth.ask(buf, n);
  ASSERT_TRUE(refused.ok);
  EXPECT_TRUE(refused.error());
  Write(dir, "account_login", "password-error", Seed(0, refused));
  const char wantedFields[] = {26, 27, 30, 0};
  n = MakeRequest_42(0, 5, 2, 1001, 2, buf, sizeof buf, wantedFields);
  Reply info = auth.ask(buf, n);
  ASSERT_TRUE(info.ok);
  Write(dir, "account_login", "broker-info", Seed(0, info));
  server.setBrokerInfoWithoutPhone(true);
  info = auth.ask(buf, n);
  ASSERT_TRUE(info.ok);
  Write(dir, "account_login", "broker-info-no-phone", Seed(0, info));

  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  Reply login = AskGuestQuoteLogin(quote);
  ASSERT_TRUE(login.ok);
  Write(dir, "account_login", "quote-login", Seed(1, login));
  server.setLoginNotice("系统公告");
  server.setUpgradeOffer("新版本说明", "http://127.0.0.1/update");
  server.setQuoteLoginNotAccepted(1);
  login = AskGuestQuoteLogin(quote);
  ASSERT_TRUE(login.ok);
  Write(dir, "account_login", "quote-login-notice", Seed(1, login));

  // The stored accounts as the account screen writes them after two user logins.
  foundation::Array accounts;
  for (const auto& [user, password] : {std::pair{"li4", "654321"}, {"zhang3", "123456"}}) {
    n = MakeRequest_RZLogin(0, 9, 1, user, password, buf, sizeof buf, 0);
    Reply answer = auth.ask(buf, n);
    ASSERT_TRUE(answer.ok);
    ASSERT_FALSE(answer.error());
    accounts.insert(accounts.begin(),
                    foundation::Dictionary{{"hq_sasa", user},
                                           {"hq_lklk", password},
                                           {"hq_remem", 1},
                                           {"hq_qsmc", ""},
                                           {"hq_qsdm", 0},
                                           {"hq_yybmc", ""},
                                           {"hq_yybdm", 0}});
  }
  std::string xml;
  ASSERT_TRUE(foundation::PropertyList::serialize(foundation::Value(accounts),
                                                  foundation::PropertyListFormat::Xml, xml));
  Write(dir, "account_stored", "two-accounts", Bytes(xml.begin(), xml.end()));
  ASSERT_TRUE(foundation::PropertyList::serialize(foundation::Value(accounts),
                                                  foundation::PropertyListFormat::Binary, xml));
  Write(dir, "account_stored", "two-accounts-binary", Bytes(xml.begin(), xml.end()));

  // The trade answers of the transfer screen, in the trade connection's first key.
  GetDataCenter().Reset();
  TestClient trade(server.port(Role::Trade), GetDataCenter().GetSessionKey().c_str());
  ASSERT_TRUE(trade.connected());
  CDataTradeRequest* tr = GlobalTradeRequest();
  const char bankFields[] = {1, 6, 15, 20, 21, 22, 23, 24, 25, 26, 27, 0};
  struct TradeSeed {
    const char* name;
    uint8_t reader;
    std::function<void()> build;
  };
  const TradeSeed tradeSeeds[] = {
      {"bank-info", 0, [&] { MakeRequest_BankInfo(tr, 0, 40, 0, 50, "", bankFields, 146); }},
      {"asset-page", 1,
       [&] { MakeRequest_BankInfo(tr, 0, 46, 10, 10, "", "\x01\x14\x06\x0f\x1f\x20", 146); }},
      {"transfer", 2,
       [&] { MakeRequest_Transfer(tr, 0, "8800011000", "pw", "01", "6222", "bpw", 0, "100", 1); }},
      {"balance", 2, [&] { MakeRequest_Transfer43(tr, 0, "8800011000", "01", "6222", "bpw", 0); }},
      {"transferable", 2, [&] { MakeRequest_CanTransfer(tr, 0, "8800011000", "pw", 0); }},
  };
  for (const TradeSeed& seed : tradeSeeds) {
    QueueCapture capture;
    seed.build();
    auto packets = capture.take(SendQueueKind::Trade);
    ASSERT_EQ(packets.size(), 1u) << seed.name;
    ASSERT_TRUE(trade.send(packets[0]));
    Reply first = trade.receiveReply();
    ASSERT_TRUE(first.ok) << seed.name;
    Bytes joined = first.body;
    for (int part = first.header.PackageNo + 1; part < first.header.PackageNum; ++part) {
      Reply more = trade.receiveReply();
      ASSERT_TRUE(more.ok);
      joined.insert(joined.end(), more.body.begin(), more.body.end());
    }
    Reply whole = first;
    whole.body = first.body;
    // The reader byte of a bank answer also says where its second packet starts.
    uint8_t reader = seed.reader;
    if (first.header.PackageNum > 1 && !joined.empty())
      reader = static_cast<uint8_t>(3 * ((first.body.size() * 85) / joined.size()));
    whole.body = joined;
    Write(dir, "account_bank", seed.name, Seed(reader, whole));
  }
  server.setFault(Role::Trade, testserver::Fault::ErrorReply, 1, "交易系统繁忙", false);
  {
    QueueCapture capture;
    MakeRequest_CanTransfer(tr, 0, "8800011000", "pw", 0);
    auto packets = capture.take(SendQueueKind::Trade);
    ASSERT_TRUE(trade.send(packets[0]));
    Reply error = trade.receiveReply();
    ASSERT_TRUE(error.ok);
    Write(dir, "account_bank", "error", Seed(2, error));
  }

  // The broker list in its three packets, joined, with the cut of its first two; a branch list;
  // the information page as an address and as HTML.
  {
    int len = MakeRequest_TraderList(0, 11, 40, buf, sizeof buf);
    ASSERT_TRUE(auth.send(buf, len));
    std::vector<Reply> parts;
    for (int i = 0; i < 3; ++i) {
      parts.push_back(auth.receiveReply());
      ASSERT_TRUE(parts.back().ok);
    }
    Reply joined = parts[0];
    for (int i = 1; i < 3; ++i)
      joined.body.insert(joined.body.end(), parts[i].body.begin(), parts[i].body.end());
    const size_t firstTwo = parts[0].body.size() + parts[1].body.size();
    Write(dir, "account_brokers", "broker-list",
          Seed(static_cast<uint8_t>(2 * ((firstTwo * 127) / joined.body.size())), joined));
    len = MakeRequest_41(0, 12, 40, 1002, buf, sizeof buf);
    Reply branches = auth.ask(buf, len);
    ASSERT_TRUE(branches.ok);
    Write(dir, "account_brokers", "branch-list", Seed(0, branches));
    const char infoFields[] = {28, 29, 0};
    for (int32_t broker : {1001, 1002}) {
      len = MakeRequest_42(0, 13, 42, broker, 1, buf, sizeof buf, infoFields);
      Reply page = auth.ask(buf, len);
      ASSERT_TRUE(page.ok);
      Write(dir, "account_brokers", broker == 1001 ? "info-address" : "info-html", Seed(1, page));
    }
  }

  // The SMS answers: code sent and verified on the verification role, the phone check on the
  // trade role, with and without the code and as an error.
  {
    TestClient verify(server.port(Role::Verify), kRequestKey1);
    ASSERT_TRUE(verify.connected());
    CDataTradeRequest* vr = GlobalTradeRequest();
    auto ask = [&](const std::function<void()>& build, SendQueueKind kind, TestClient& client) {
      QueueCapture capture;
      build();
      auto packets = capture.take(kind);
      EXPECT_EQ(packets.size(), 1u);
      EXPECT_TRUE(!packets.empty() && client.send(packets[0]));
      return client.receiveReply();
    };
    Reply sent = ask([&] { MakeRequest_VerifyCode(vr, "13912345678", "V3.15"); },
                     SendQueueKind::Verify, verify);
    ASSERT_TRUE(sent.ok);
    Write(dir, "account_sms", "code-sent", Seed(0, sent));
    const std::string sms = server.lastSmsCode("13912345678");
    Reply ok = ask([&] { MakeRequest_Verify(vr, "13912345678", sms.c_str(), "V3.15"); },
                   SendQueueKind::Verify, verify);
    ASSERT_TRUE(ok.ok);
    Write(dir, "account_sms", "verified", Seed(0, ok));
    Reply wrong = ask([&] { MakeRequest_Verify(vr, "13912345678", "abcdef", "V3.15"); },
                      SendQueueKind::Verify, verify);
    ASSERT_TRUE(wrong.ok);
    Write(dir, "account_sms", "verify-error", Seed(0, wrong));
    GetDataCenter().Reset();
    TestClient phone(server.port(Role::Trade), GetDataCenter().GetSessionKey().c_str());
    Reply code = ask([&] { MakeRequest_146_253(vr, "13912345678"); }, SendQueueKind::Trade, phone);
    ASSERT_TRUE(code.ok);
    Write(dir, "account_sms", "phone-code", Seed(1, code));
    server.setTradeCodeWithoutField21(true);
    Reply none = ask([&] { MakeRequest_146_253(vr, "13912345678"); }, SendQueueKind::Trade, phone);
    ASSERT_TRUE(none.ok);
    Write(dir, "account_sms", "phone-no-code", Seed(1, none));
    server.setFault(Role::Trade, testserver::Fault::ErrorReply, 1, "系统繁忙", false);
    Reply error = ask([&] { MakeRequest_146_253(vr, "13912345678"); }, SendQueueKind::Trade, phone);
    ASSERT_TRUE(error.ok);
    Write(dir, "account_sms", "phone-error", Seed(1, error));
  }
  server.stop();

  for (const char* target :
       {"account_login", "account_stored", "account_bank", "account_brokers", "account_sms"}) {
    const std::filesystem::path committed =
        std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz" / target;
    EXPECT_TRUE(std::filesystem::is_directory(committed) && !std::filesystem::is_empty(committed))
        << target;
  }
  std::error_code ec;
  std::filesystem::remove_all(scratch, ec);
}
