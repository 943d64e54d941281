// The test server stays up for everyone: a flood of broken connections, clients that never read
// and connections left idle cost it bounded memory, and a normal login still works.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "core/DataEncrypt.h"
#include "core/DataRequest.h"
#include "core/LoginRequests.h"
#include "core/MDBF.h"
#include "core/MessageRequests.h"
#include "core/PacketHeader.h"
#include "core/QuoteRequests.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "tests/testserver/TestClient.h"
#include "testserver/ServerCore.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

constexpr Role kRoles[] = {Role::Auth,    Role::Quote,      Role::Verify, Role::Trade,
                           Role::Message, Role::PriceAlert, Role::Http};

// Waits (real time, generously) for something the server thread does after an event.
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

int OpenConnections(const testserver::TestServer& server) {
  int n = 0;
  for (Role r : kRoles) n += server.connectionCount(r);
  return n;
}

// A guest login on the authentication and quote servers, as the client makes it.
void GuestLogsIn(testserver::TestServer& server) {
  TestClient auth(server.port(Role::Auth));
  ASSERT_TRUE(auth.connected());
  Reply a = AskGuestAuthLogin(auth);
  ASSERT_TRUE(a.ok);
  EXPECT_FALSE(a.error());
  MDBF t;
  ASSERT_GT(t.Parse(a.body.data(), static_cast<int>(a.body.size())), 0);

  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  Reply q = AskGuestQuoteLogin(quote);
  ASSERT_TRUE(q.ok);
  EXPECT_EQ(q.header.ChildType, 7);
  EXPECT_FALSE(q.error());
}

class Robustness : public ::testing::Test {
 protected:
  void SetUp() override {
    // The flood makes the server log a line per broken connection.
    foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  }
  void TearDown() override {
    foundation::Clock::setReal();
    foundation::setLogSink({});
  }
};

}  // namespace

TEST_F(Robustness, FloodOfBrokenFramesThenANormalLogin) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  std::mt19937 random(20151217);
  auto bytes = [&](size_t n) {
    std::vector<uint8_t> out(n);
    for (auto& b : out) b = static_cast<uint8_t>(random());
    return out;
  };
  uint8_t login[2048];
  const int loginLen = MakeRequest_HQLogin(0, 8, 1, "", "", login, sizeof login);
  ASSERT_GT(loginLen, kPacketHeaderSize);

  std::vector<std::unique_ptr<TestClient>> flood;
  for (int i = 0; i < 200; ++i) {
    auto c = std::make_unique<TestClient>(server.port(kRoles[i % 7]));
    ASSERT_TRUE(c->connected()) << i;
    std::vector<uint8_t> frame;
    switch (i % 5) {
      case 0:  // noise
        frame = bytes(1 + random() % 3000);
        break;
      case 1:  // a real request cut short: the server waits for the rest
        frame.assign(login, login + 1 + random() % (loginLen - 1));
        break;
      case 2: {  // a header promising the largest body, then a little of it
        frame = bytes(kPacketHeaderSize + 100);
        frame[0] = kPacketMagic;
        frame[1] = 0;
        frame[6] = 0xFF;
        frame[7] = 0xFF;
        break;
      }
      case 3: {  // a real request, then noise
        frame.assign(login, login + loginLen);
        auto tail = bytes(200);
        frame.insert(frame.end(), tail.begin(), tail.end());
        break;
      }
      case 4:  // a real request with its bytes flipped
        frame.assign(login, login + loginLen);
        for (int k = 0; k < 4; ++k) frame[random() % frame.size()] ^= 0x5A;
        break;
    }
    c->send(frame);
    flood.push_back(std::move(c));
  }
  ASSERT_TRUE(server.isRunning());
  GuestLogsIn(server);
  // Nothing the flood sent made users out of thin air beyond what logins may make.
  EXPECT_LE(server.userCount(), testserver::kMaxUsers);

  // Once the flood hangs up, the server holds no connection of it.
  flood.clear();
  EXPECT_TRUE(Eventually([&] { return OpenConnections(server) == 0; }))
      << OpenConnections(server) << " connections left";
  GuestLogsIn(server);
  server.stop();
}

TEST_F(Robustness, IdleConnectionsAreClosedByTheRunLoopClock) {
  foundation::Clock::setManual();
  auto options = testserver::ServerOptions::Ephemeral();
  options.idleTimeout = 30;
  testserver::TestServer server(options);
  ASSERT_TRUE(server.start());

  TestClient idle(server.port(Role::Quote));
  ASSERT_TRUE(idle.connected());
  uint8_t buf[2048];
  int len = MakeRequest_HQLogin(0, 8, 1, "", "", buf, sizeof buf);
  ASSERT_TRUE(idle.send(buf, 10));  // a request begun and never finished
  TestClient busy(server.port(Role::Quote));
  ASSERT_TRUE(busy.connected());
  ASSERT_TRUE(Eventually([&] { return server.connectionCount(Role::Quote) == 2; }));

  foundation::Clock::advance(20);
  server.runOnServer([] {});  // the server has looked at the time
  ASSERT_TRUE(busy.send(buf, len));
  ASSERT_TRUE(busy.receiveReply().ok);
  foundation::Clock::advance(20);  // 40 s for the idle one, 20 s since the busy one spoke
  server.runOnServer([] {});
  EXPECT_TRUE(idle.closedByServer());
  // The server's loop may close the socket in the pass after the one that ran the task above.
  EXPECT_TRUE(Eventually([&] { return server.connectionCount(Role::Quote) == 1; }));

  foundation::Clock::advance(30);
  EXPECT_TRUE(busy.closedByServer());
  server.stop();
}

TEST_F(Robustness, AClientThatDoesNotReadNeverHoldsUpTheOthers) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  TestClient deaf(server.port(Role::Quote));
  ASSERT_TRUE(deaf.connected());
  uint8_t buf[512];
  const uint8_t list[] = {12, 6, 7, 9, 10, 8, 20, 14, 15, 16, 17, 18, 19};
  const int len = MakeRequest_Trendline(0, 33, 13, 1, "600000", 0, list, buf, sizeof buf);
  std::vector<uint8_t> batch;
  for (int i = 0; i < 10; ++i) batch.insert(batch.end(), buf, buf + len);
  // Answers of 60 000 bytes fill the sockets after a few requests.
  server.setFault(Role::Quote, testserver::Fault::Oversize);

  // Ask until the answers no longer fit into the sockets and wait at the server.
  int sent = 0;
  while (sent < 1000 && server.queuedOutput(Role::Quote) == 0) {
    ASSERT_TRUE(deaf.send(batch));
    ++sent;
  }
  ASSERT_GT(server.queuedOutput(Role::Quote), 0u);
  ASSERT_EQ(server.connectionCount(Role::Quote), 1);

  // Everyone else is served at once.
  server.clearFaults();
  GuestLogsIn(server);

  // Asking on without reading ends the deaf connection, not the server.
  server.setFault(Role::Quote, testserver::Fault::Oversize);
  while (server.connectionCount(Role::Quote) > 0 && sent < 2000) {
    if (!deaf.send(batch)) break;
    ++sent;
  }
  EXPECT_TRUE(Eventually([&] { return server.connectionCount(Role::Quote) == 0; }));
  EXPECT_LE(server.queuedOutput(Role::Quote), testserver::kMaxQueuedOutput);
  server.clearFaults();
  GuestLogsIn(server);
  server.stop();
}

TEST_F(Robustness, UnknownNamesAndUnfinishedMailsAreBounded) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());

  // Quote logins under ever new names, sent in one go.
  TestClient quote(server.port(Role::Quote));
  ASSERT_TRUE(quote.connected());
  const int logins = static_cast<int>(testserver::kMaxUsers) + 200;
  std::vector<uint8_t> batch;
  uint8_t buf[2048];
  for (int i = 0; i < logins; ++i) {
    std::string name = "u";
    name += std::to_string(i);  // appended: GCC 12 -O2 warns falsely on "u" + string
    int len =
        MakeRequest_HQLogin(0, static_cast<uint16_t>(i), 1, name.c_str(), "pw", buf, sizeof buf);
    batch.insert(batch.end(), buf, buf + len);
  }
  ASSERT_TRUE(quote.send(batch));
  int answered = 0;
  for (; answered < logins; ++answered) {
    Reply r = quote.receiveReply();
    if (!r.ok) break;
    MDBF t;
    ASSERT_GT(t.Parse(r.body.data(), static_cast<int>(r.body.size())), 0);
    t.Seek(0);
    EXPECT_FALSE(t.GetNSString(58).empty());  // every login still gets its QSID
  }
  EXPECT_EQ(answered, logins);
  EXPECT_EQ(server.userCount(), testserver::kMaxUsers);

  // First parts of more mails than a connection may leave unfinished, then one whole mail.
  std::vector<std::string> errors;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  MailPartPause previous = SetMailPartPause([](int) {});
  TestClient message(server.port(Role::Message));
  ASSERT_TRUE(message.connected());
  const std::string body(kMailPartSize + 100, 'x');
  auto mail = [&](uint16_t code) {
    QueueCapture capture;
    MakeRequest_MessageSendXml(GlobalDataRequest(), 0, code, "9001", "li", "长邮件", body.c_str(),
                               1, nullptr, nullptr, nullptr, nullptr, 24);
    return capture.take(SendQueueKind::Message);
  };
  for (uint16_t code = 200; code < 200 + 3 * testserver::kMaxUnfinishedMails; ++code) {
    auto parts = mail(code);
    ASSERT_EQ(parts.size(), 2u);
    ASSERT_TRUE(message.send(parts[0]));
  }
  for (const auto& part : mail(300)) ASSERT_TRUE(message.send(part));
  Reply sent = message.receiveReply();
  SetMailPartPause(previous);
  ASSERT_TRUE(sent.ok);
  EXPECT_EQ(sent.code(), 300);
  EXPECT_FALSE(sent.error());
  server.runOnServer([] {});
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  int dropped = 0;
  for (const auto& line : errors) dropped += line.find("unfinished mails") != std::string::npos;
  // The 5th and the 9th unfinished mail, and the whole one, each found four held and cleared them.
  EXPECT_EQ(dropped, 3);
  server.stop();
}

// A server going away as the clients see it: every connection of the role ends, the others
// and the listener stay, and the next connection logs in as before.
TEST_F(Robustness, DroppedConnectionsEndButTheRoleStillAnswers) {
  testserver::TestServer server(testserver::ServerOptions::Ephemeral());
  ASSERT_TRUE(server.start());
  TestClient first(server.port(Role::Quote));
  TestClient second(server.port(Role::Quote));
  TestClient auth(server.port(Role::Auth));
  ASSERT_TRUE(first.connected() && second.connected() && auth.connected());
  ASSERT_TRUE(Eventually([&] { return server.connectionCount(Role::Quote) == 2; }));
  ASSERT_TRUE(Eventually([&] { return server.connectionCount(Role::Auth) == 1; }));

  server.dropConnections(Role::Quote);
  EXPECT_TRUE(first.closedByServer());
  EXPECT_TRUE(second.closedByServer());
  EXPECT_TRUE(Eventually([&] { return server.connectionCount(Role::Quote) == 0; }));
  EXPECT_EQ(server.connectionCount(Role::Auth), 1);

  TestClient again(server.port(Role::Quote));
  ASSERT_TRUE(again.connected());
  Reply login = AskGuestQuoteLogin(again);
  ASSERT_TRUE(login.ok);
  EXPECT_EQ(login.header.ChildType, 7);
  EXPECT_FALSE(login.error());
  server.stop();
}
