// What every role does whatever the request: heartbeats, unknown requests, the per-request log
// line, and undecodable input.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/PacketHeader.h"
#include "core/QuoteRequests.h"
#include "platform/foundation/Log.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

class ServerBasics : public ::testing::Test {
 protected:
  void SetUp() override {
    auto o = testserver::ServerOptions::Ephemeral();
    o.date = 20151217;
    o.minute = 600;
    server_ = std::make_unique<testserver::TestServer>(o);
    ASSERT_TRUE(server_->start());
  }
  std::unique_ptr<testserver::TestServer> server_;
};

TEST_F(ServerBasics, HeartbeatIsAnsweredOnEveryPacketRole) {
  for (Role role : {Role::Auth, Role::Quote, Role::Verify, Role::Message, Role::PriceAlert}) {
    TestClient c(server_->port(role));
    uint8_t packet[16];
    ASSERT_EQ(MakeRequest(0, 0, 0, 0, 0, packet, 0), 16);
    ASSERT_TRUE(c.send(packet, 16));
    Reply r = c.receive();
    ASSERT_TRUE(r.ok) << testserver::RoleName(role);
    EXPECT_EQ(r.header.MainType, 0);
    EXPECT_TRUE(r.body.empty());
  }
}

TEST_F(ServerBasics, UnknownRequestsGetAnErrorTextWithoutTheUserMarker) {
  TestClient c(server_->port(Role::Quote));
  uint8_t packet[16 + 4] = {};
  int len = MakeRequest(145, 200, 9, 0, 321, packet, 4);
  ASSERT_TRUE(c.send(packet, len));
  Reply r = c.receive();
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.error());
  EXPECT_EQ(r.code(), 321);
  EXPECT_EQ(r.header.ChildType, 200);
  EXPECT_NE(r.header.PackageNo, 0xFF);
  EXPECT_FALSE(r.errorText().empty());
}

TEST_F(ServerBasics, EveryRequestLogsItsRoleTypesPageAndCode) {
  std::mutex mutex;
  std::vector<std::string> lines;
  const auto level = foundation::logLevel();
  foundation::setLogLevel(foundation::LogLevel::Verbose);
  foundation::setLogSink([&](foundation::LogLevel, const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    lines.push_back(line);
  });
  {
    TestClient c(server_->port(Role::Quote));
    uint8_t buf[256];
    const uint8_t l1[] = {0}, l2[] = {2, 9, 10};
    int len = MakeRequest_StockData(0, 4321, 13, 1, "600000", l1, l2, buf, sizeof buf);
    ASSERT_TRUE(c.send(buf, len));
    ASSERT_TRUE(c.receive().ok);
  }
  foundation::setLogSink({});
  foundation::setLogLevel(level);
  std::lock_guard<std::mutex> lock(mutex);
  bool found = false;
  for (const auto& l : lines)
    found = found || l.find("quote: [145,10] page 13 code 4321") != std::string::npos;
  EXPECT_TRUE(found);
}

TEST_F(ServerBasics, UndecodableInputClosesOnlyThatConnection) {
  TestClient bad(server_->port(Role::Message));
  TestClient good(server_->port(Role::Message));
  // An enciphered body that is no cipher frame.
  uint8_t packet[16 + 8] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::memmove(packet + 16, packet, 8);
  int len = BuildPacket(144, 100, 24, 0, 5, packet, 8, 1);
  ASSERT_TRUE(bad.send(packet, len));
  EXPECT_TRUE(bad.closedByServer());
  uint8_t hb[16];
  MakeRequest(0, 0, 0, 0, 0, hb, 0);
  ASSERT_TRUE(good.send(hb, 16));
  EXPECT_TRUE(good.receive().ok);
}

TEST_F(ServerBasics, RestartedServerGetsItsFixedPortsBack) {
  const uint16_t port = server_->port(Role::Quote);
  server_->stop();
  auto o = testserver::ServerOptions::Ephemeral();
  o.ports[static_cast<int>(Role::Quote)] = port;
  testserver::TestServer again(o);
  ASSERT_TRUE(again.start());
  EXPECT_EQ(again.port(Role::Quote), port);
  // A second server cannot take a port in use.
  testserver::TestServer clash(o);
  EXPECT_FALSE(clash.start());
}

}  // namespace
