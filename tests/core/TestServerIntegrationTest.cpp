// The core against the loopback test server: real sockets, the real network threads, the
// whole login chain and the server's misbehaviour modes.
#include <gtest/gtest.h>

#include "core/DataRequest.h"
#include "core/LoginRequests.h"
#include "core/MessageTypes.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "core/SendQueues.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/core/ConnectionTestSupport.h"
#include "testserver/TestServer.h"

using namespace conntest;
using testserver::Fault;
using testserver::Role;

namespace {

// The shell's part of the chain: a successful authentication answer queues the quote login.
class ChainHooks : public RecordingHooks {
 public:
  void CheckEnrollment(int flag) override {
    RecordingHooks::CheckEnrollment(flag);
    uint8_t buffer[2048];
    int n =
        MakeRequest_HQLogin(0, NextRequestCode(GlobalDataRequest()), 1, GetLoginUserName().c_str(),
                            GetLoginPassword().c_str(), buffer, sizeof buffer);
    PushCenterSendQueue(buffer, n);
  }
};

class TestServerIntegration : public ConnectionFixture {
 protected:
  void SetUp() override {
    ConnectionFixture::SetUp();
    foundation::makeDirectories(dir.file("bundle"));
    foundation::setBundleDir(dir.file("bundle"));
    foundation::UserDefaults::resetStandard();
    InitCoreConfig();
    chain = std::make_shared<ChainHooks>();
    hooks = chain;
    SetAppHooks(chain);
    server = std::make_unique<testserver::TestServer>(testserver::ServerOptions::Ephemeral());
    ASSERT_TRUE(server->start());
    GetServerList(kServerListAuth)->Clear();
    GetServerList(kServerListAuth)->AddIP(Address(server->port(Role::Auth)).c_str());
    QuoteCache_Init();
    ASSERT_TRUE(StartNetworkThreads());
  }
  void TearDown() override {
    StopNetworkThreads();
    server->stop();
    ConnectionFixture::TearDown();
  }

  void GuestLogin() {
    uint8_t buffer[2048];
    int n = MakeRequest_RZLogin(0, NextRequestCode(GlobalDataRequest()), 0, "", "", buffer,
                                sizeof buffer, 0);
    ASSERT_GT(n, 0);
    PushRenZhengQueue(buffer, n);
  }

  // A one-stock quote request (145/10) under `page`; returns its request code.
  uint16_t RequestStock(uint8_t page, const char* code) {
    uint8_t buffer[256];
    const uint8_t list[] = {3, 9, 10, 30};  // market, code, a price
    const uint8_t none[] = {0};
    uint16_t requestCode = NextRequestCode(GlobalDataRequest());
    int n = MakeRequest_StockData(0, requestCode, page, 1, code, list, none, buffer, sizeof buffer);
    PushCenterSendQueue(buffer, n);
    return requestCode;
  }

  std::shared_ptr<ChainHooks> chain;
  std::unique_ptr<testserver::TestServer> server;
};

TEST_F(TestServerIntegration, GuestStartRunsTheWholeLoginChain) {
  PostLog posts({"login", "notification_receiveIndex"}, chain);
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("notification_receiveIndex") >= 1; }));
  ASSERT_EQ(posts.Count("login"), 1u);

  // Server lists rebuilt from the authentication answer and saved.
  char address[64];
  ASSERT_EQ(GetServerList(kServerListMessage)->GetIP(0, address, sizeof address), 1);
  EXPECT_EQ(std::string(address), Address(server->port(Role::Message)));
  EXPECT_NE(ReadFileBytes(dir.file("docs/save.cfg")).find(Address(server->port(Role::Auth))),
            std::string::npos);
  // Rights and QSID from the quote login answer.
  EXPECT_EQ(IsLoggedIn(), 1);
  EXPECT_EQ(HasRight49(), 1);
  EXPECT_EQ(GetDeviceString(), "VERDAN-LOOPBACK-DEVICE");

  // In order on the main thread: the enrollment, the upload and the timer, then "login",
  // then the index snapshot's answer.
  std::vector<std::string> events = chain->Events();
  auto at = [&](const std::string& e) {
    return std::find(events.begin(), events.end(), e) - events.begin();
  };
  EXPECT_LT(at("CheckEnrollment:1"), at("uploadSelfStock"));
  EXPECT_LT(at("uploadSelfStock"), at("startMessageRequestTimer"));
  EXPECT_LT(at("startMessageRequestTimer"), at("post:login"));
  EXPECT_LT(at("post:login"), at("post:notification_receiveIndex"));
  EXPECT_TRUE(chain->offMain.empty());

  const auto* login = posts.First("login");
  EXPECT_TRUE(login->onMain);
  ReceiveRecordView v = login->view();
  EXPECT_EQ(v.status, kReceiveStatusPacket);
  EXPECT_EQ(v.header.MainType, 144);
  EXPECT_EQ(v.header.ChildType, 7);
  EXPECT_EQ(v.header.PageID, 1);
}

TEST_F(TestServerIntegration, ReplyReachesItsPageOnMainAfterTheCacheWasUpdated) {
  PostLog posts({"login", "SelfStock"});
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") == 1; }));
  tagLocalStockData before;
  ASSERT_EQ(QuoteCache_GetQuote(before, 1, "000016"), 0);
  int cachedAtPost = -1;
  foundation::NotificationCenter::defaultCenter().addObserver(
      &posts, "SelfStock", [&](const foundation::Notification&) {
        tagLocalStockData seen;
        cachedAtPost = QuoteCache_GetQuote(seen, 1, "000016");
      });
  uint16_t code = RequestStock(12, "000016");
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("SelfStock") == 1; }));
  const auto* reply = posts.First("SelfStock");
  EXPECT_TRUE(reply->onMain);
  EXPECT_EQ(reply->view().requestCode(), code);
  EXPECT_EQ(reply->view().header.ChildType, 10);
  EXPECT_EQ(cachedAtPost, 1);
}

TEST_F(TestServerIntegration, RefusedAuthenticationPostsStatus11) {
  CSocket::SetConnectTimeouts(0.3, 1.0);
  server->setFault(Role::Auth, Fault::Refuse);
  PostLog posts({"login"});
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") == 1; }));
  EXPECT_EQ(posts.First("login")->view().status, kReceiveStatusConnectFailed);
  // The failure answered the login: it no longer waits in the queue, and the next login is the
  // only one that goes through once the server accepts again.
  EXPECT_EQ(GetCoreSocket(CoreConnection::Authentication).GetSendLen(), 0);
  server->clearFaults();
  server->clearReceivedRequests();
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") == 2; }));
  EXPECT_EQ(posts.entries[1].view().status, kReceiveStatusPacket);
  EXPECT_EQ(server->receivedRequests(Role::Auth).size(), 1u);
}

TEST_F(TestServerIntegration, ErrorRepliesShowOrPostTheServerText) {
  PostLog posts({"login"});
  server->setFault(Role::Auth, Fault::ErrorReply, 1, "用户名或密码错误", true);
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return !chain->Alerts().empty(); }));
  EXPECT_EQ(chain->Alerts()[0].message, "用户名或密码错误");
  EXPECT_EQ(chain->Alerts()[0].tag, kAlertTagServerText);

  server->setFault(Role::Auth, Fault::ErrorReply, 1, "服务暂停", false);
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") == 1; }));
  EXPECT_TRUE(posts.First("login")->view().header.isError());
  EXPECT_EQ(posts.First("login")->view().errorText(), "服务暂停");
}

TEST_F(TestServerIntegration, ForcedLogoutFromTheServer) {
  PostLog posts({"login"});
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") == 1; }));
  server->pushForcedLogout("您的账号已在别处登录");
  ASSERT_TRUE(RunMainUntil([&] { return !chain->Alerts().empty(); }));
  EXPECT_EQ(chain->Alerts()[0].tag, kAlertTagForcedLogout);
  EXPECT_EQ(chain->Alerts()[0].message, "您的账号已在别处登录");
  EXPECT_EQ(IsLoggedIn(), 0);
  EXPECT_EQ(GetCoreSocket(CoreConnection::Quote).GetCFSocket(), nullptr);
  // The next request reconnects.
  PostLog replies({"SelfStock"});
  RequestStock(12, "000016");
  ASSERT_TRUE(RunMainUntil([&] { return replies.Count("SelfStock") == 1; }));
}

// A quote connection opened again logs in again; an error answer to that login ends the session
// (its rights with it), and the screens are told as after any change of login, so that a screen
// the rights no longer allow goes (it stood, shown without its right). The next login taken
// brings the rights back, and the screens are told again, so that what they allow comes back.
TEST_F(TestServerIntegration, AnErrorAnswerToTheLoginAgainTellsTheScreensAndSoDoesTheNextLogin) {
  PostLog posts({"login"});
  server->setRights("", "30,31,32,49");
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") == 1; }));
  ASSERT_TRUE(RunMainUntil([&] { return LacksRight30() == 0; }));
  const size_t told = chain->Count("refreshTabBar:1");
  server->setFault(Role::Quote, {kMainTypeLogin, LoginChild::kLoginHQ}, Fault::ErrorReply, 1,
                   "服务器繁忙，请稍后再试", true);
  GetCoreSocket(CoreConnection::Quote).Close();
  RequestStock(12, "000016");
  ASSERT_TRUE(RunMainUntil([&] { return chain->Count("refreshTabBar:1") > told; }));
  EXPECT_NE(LacksRight30(), 0);
  const size_t refused = chain->Count("refreshTabBar:1");
  RequestStock(12, "000016");
  ASSERT_TRUE(RunMainUntil([&] { return chain->Count("refreshTabBar:1") > refused; }));
  EXPECT_EQ(LacksRight30(), 0);
}

// Every misbehaviour of the quote server leaves the client running; the request queued after
// it is answered.
TEST_F(TestServerIntegration, QuoteServerMisbehaviourLosesNothingQueued) {
  PostLog posts({"login", "SelfStock"});
  GuestLogin();
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") == 1; }));
  const Fault faults[] = {Fault::CloseMidFrame, Fault::SingleByteWrites, Fault::Stall,
                          Fault::Garbage,       Fault::Oversize,         Fault::Corrupt,
                          Fault::ErrorReply};
  for (Fault fault : faults) {
    SCOPED_TRACE(static_cast<int>(fault));
    server->setFault(Role::Quote, fault, 1, "错误", false);
    size_t seen = posts.Count("SelfStock");
    RequestStock(12, "000016");
    // Give the faulty answer its time, then ask again: the client is still there.
    RunMainUntil([&] { return posts.Count("SelfStock") > seen; }, 0.5);
    server->clearFaults();
    seen = posts.Count("SelfStock");
    uint16_t code = RequestStock(12, "000016");
    ASSERT_TRUE(RunMainUntil([&] {
      return posts.Count("SelfStock") > seen && posts.entries.back().view().requestCode() == code;
    }));
  }
}

}  // namespace
