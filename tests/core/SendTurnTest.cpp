// Send turns on the network threads: connecting on demand, the login put in front, draining
// the whole queue in one turn, failures.
#include <gtest/gtest.h>

#include "core/LoginRequests.h"
#include "core/SendQueues.h"
#include "tests/core/ConnectionTestSupport.h"

using namespace conntest;

namespace {

class SendTurnTest : public ConnectionFixture {};

// Bytes that the framing's compressor cannot shorten.
std::string QuoteRequest(uint16_t code, size_t bodySize = 40, uint8_t page = 12) {
  std::string body(bodySize, '\0');
  uint32_t x = 2463534242u + code;
  for (char& c : body) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x);
  }
  return MakePacket({145, 12, page, code}, body);
}

void Push(void (*push)(const void*, int), const std::string& packet) {
  push(packet.data(), static_cast<int>(packet.size()));
}

TEST_F(SendTurnTest, QuoteLoginGoesInFrontOfAFreshConnectionOnlyWhenSomeoneIsLoggedIn) {
  nettest::LoopbackListener listener;
  Serve(kServerListQuote, listener);
  ASSERT_TRUE(StartNetworkThreads());

  for (int guest : {1, 0}) {
    SetLastSendRecvTime(0);
    SCOPED_TRACE(guest);
    SetGuestLogin(guest);
    std::string request = QuoteRequest(static_cast<uint16_t>(100 + guest));
    Push(PushCenterSendQueue, request);
    int peer = listener.accept();
    ASSERT_GE(peer, 0);
    Packet p;
    if (guest) {
      ASSERT_TRUE(ReadPacket(peer, p));
      EXPECT_EQ(p.header.MainType, 144);
      EXPECT_EQ(p.header.ChildType, 7);
      // Page 0 and code 0: its answer is a relogin, not the "login" of the start-up chain.
      EXPECT_EQ(p.header.PageID, 0);
      EXPECT_EQ(p.header.RequestCode, 0);
    }
    ASSERT_TRUE(ReadPacket(peer, p));
    EXPECT_EQ(p.wire, request);
    // Stored by the turn after its send, so perhaps a moment after the peer has the bytes.
    EXPECT_TRUE(WaitUntil([] { return GetLastSendRecvTime() > 0; }));
    GetCoreSocket(CoreConnection::Quote).Close();
    // The next race prefers other addresses; give it the one listener again.
    Serve(kServerListQuote, listener);
  }
}

// The main thread closes the connection and pushes at once, while the turn that sent the last
// request may still be looking for more: the new request is never lost, whichever turn
// takes it.
TEST_F(SendTurnTest, RequestPushedRightAfterACloseIsSentOnTheNextConnection) {
  nettest::LoopbackListener listener;
  Serve(kServerListQuote, listener);
  ASSERT_TRUE(StartNetworkThreads());
  for (uint16_t round = 1; round <= 20; ++round) {
    SCOPED_TRACE(round);
    std::string request = QuoteRequest(round);
    Push(PushCenterSendQueue, request);
    int peer = listener.accept();
    ASSERT_GE(peer, 0);
    Packet p;
    ASSERT_TRUE(ReadPacket(peer, p));
    EXPECT_EQ(p.wire, request);
    GetCoreSocket(CoreConnection::Quote).Close();
    Serve(kServerListQuote, listener);
  }
}

TEST_F(SendTurnTest, MessageLoginIsNotDoubledButOtherMessagesGetOne) {
  nettest::LoopbackListener listener;
  Serve(kServerListMessage, listener);
  SetLoginInfo("user1", "pw");
  ASSERT_TRUE(StartNetworkThreads());

  uint8_t login[2048];
  int n = MakeRequest_MsgLogin(0, 9, 0, "user1", "pw", login, sizeof login);
  ASSERT_GT(n, 0);
  PushMessageSendQueue(login, n);
  int peer = listener.accept();
  Packet p;
  ASSERT_TRUE(ReadPacket(peer, p));
  EXPECT_EQ(p.header.ChildType, 10);
  EXPECT_EQ(p.header.RequestCode, 9);
  EXPECT_FALSE(ReadPacket(peer, p, 200));  // nothing else came

  GetCoreSocket(CoreConnection::Message).Close();
  std::string other = MakePacket({144, 30, 0, 11}, "hello");
  Push(PushMessageSendQueue, other);
  peer = listener.accept();
  ASSERT_TRUE(ReadPacket(peer, p));
  EXPECT_EQ(p.header.ChildType, 10);  // the login in front
  ASSERT_TRUE(ReadPacket(peer, p));
  EXPECT_EQ(p.wire, other);
}

// More than one 8192-byte piece and more than the old 9000-byte buffer: all of it goes out in
// the one turn that a single announcement starts, whole and in order.
TEST_F(SendTurnTest, TwentyKilobyteQueueGoesOutInOneTurn) {
  nettest::LoopbackListener listener;
  Serve(kServerListQuote, listener);
  std::vector<std::string> requests;
  for (uint16_t code = 1; code <= 5; ++code) {
    requests.push_back(QuoteRequest(code, 4000));
    // Not running yet: nobody takes the turn, the packets stay queued.
    Push(PushCenterSendQueue, requests.back());
  }
  size_t total = 0;
  for (auto& r : requests) total += r.size();
  EXPECT_GT(total, 20000u);
  EXPECT_EQ(GetCoreSocket(CoreConnection::Quote).GetSendLen(), static_cast<int>(total));

  ASSERT_TRUE(StartNetworkThreads());
  PushCenterSendQueue(nullptr, 0);
  int peer = listener.accept();
  ASSERT_GE(peer, 0);
  for (const std::string& request : requests) {
    Packet p;
    ASSERT_TRUE(ReadPacket(peer, p));
    EXPECT_EQ(p.wire, request);
  }
  EXPECT_EQ(GetCoreSocket(CoreConnection::Quote).GetSendLen(), 0);
}

// The login the failure answers is withdrawn (the user's next try queues its own: one login
// chain per try); every other request stays queued for the next connection.
TEST_F(SendTurnTest, RefusedConnectionPostsStatus11KeepsRequestsAndWithdrawsTheLogin) {
  CSocket::SetConnectTimeouts(0.3, 1.0);
  nettest::LoopbackListener refusing(false);
  Serve(kServerListAuth, refusing);
  PostLog posts({"login"});
  ASSERT_TRUE(StartNetworkThreads());
  std::string login = MakePacket({144, 5, 1, 0}, "x");
  std::string request = MakePacket({144, 1, 2, 3}, "y");
  Push(PushRenZhengQueue, login);
  Push(PushRenZhengQueue, request);
  // (The kept request's next turn may meet the refusal too, and be told as well.)
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("login") >= 1; }));
  const auto* post = posts.First("login");
  EXPECT_TRUE(post->onMain);
  ASSERT_EQ(post->data.size(), static_cast<size_t>(kReceiveRecordSize));
  EXPECT_EQ(post->view().status, kReceiveStatusConnectFailed);
  EXPECT_EQ(GetCoreSocket(CoreConnection::Authentication).GetSendLen(),
            static_cast<int>(request.size()));

  // Once a server answers, the kept packet goes out with the next turn, and no login before it.
  nettest::LoopbackListener accepting;
  Serve(kServerListAuth, accepting);
  PushRenZhengQueue(nullptr, 0);
  int peer = accepting.accept();
  Packet p;
  ASSERT_TRUE(ReadPacket(peer, p));
  EXPECT_EQ(p.wire, request);
}

// A login queued on the quote connection (its login after the authentication) is withdrawn by
// its connect's failure too; WithdrawQueuedLogins takes what waits on either queue.
TEST_F(SendTurnTest, QueuedLoginsAreWithdrawnAndOtherRequestsKept) {
  CSocket& auth = GetCoreSocket(CoreConnection::Authentication);
  CSocket& quote = GetCoreSocket(CoreConnection::Quote);
  const std::string rz = MakePacket({144, 6, 1, 0}, "a");
  const std::string hq = MakePacket({144, 7, 1, 0}, "b");
  const std::string index = MakePacket({145, 12, 18, 4}, "c");
  const std::string reg = MakePacket({144, 1, 2, 5}, "d");
  ASSERT_EQ(auth.PutSendData(rz.data(), static_cast<int>(rz.size())), 1);
  ASSERT_EQ(auth.PutSendData(reg.data(), static_cast<int>(reg.size())), 1);
  ASSERT_EQ(quote.PutSendData(hq.data(), static_cast<int>(hq.size())), 1);
  ASSERT_EQ(quote.PutSendData(index.data(), static_cast<int>(index.size())), 1);
  ASSERT_EQ(quote.PutSendData(hq.data(), static_cast<int>(hq.size())), 1);
  EXPECT_EQ(WithdrawQueuedLogins(), 3);
  EXPECT_EQ(auth.GetSendLen(), static_cast<int>(reg.size()));
  EXPECT_EQ(quote.GetSendLen(), static_cast<int>(index.size()));
  EXPECT_EQ(WithdrawQueuedLogins(), 0);
}

// A new login closes every connection while a turn may be connecting. That close must not come
// back as "connect failed": the failure handler would close again and cancel the new login.
TEST_F(SendTurnTest, CloseDuringTheConnectReportsNoFailureAndTheNextTurnSends) {
  nettest::LoopbackListener accepting;
  Serve(kServerListAuth, accepting);
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  CSocket::SetAttemptHookForTesting([&](int) {
    held = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  });
  CSocket::SetConnectTimeouts(30.0, 1.0);
  PostLog posts({"login"});
  ASSERT_TRUE(StartNetworkThreads());
  std::string request = MakePacket({144, 5, 0, 3}, "x");
  Push(PushRenZhengQueue, request);
  while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  GetCoreSocket(CoreConnection::Authentication).Close();
  release = true;

  // The next turn runs after the cancelled one on the same thread and sends the kept packet.
  PushRenZhengQueue(nullptr, 0);
  Packet p;
  bool sent = false;
  for (int tries = 0; tries < 3 && !sent; ++tries) {
    int peer = accepting.accept();  // the cancelled attempt's connection comes first, closed
    ASSERT_GE(peer, 0);
    sent = ReadPacket(peer, p) && p.wire == request;
  }
  EXPECT_TRUE(sent);
  RunMainUntil([] { return false; }, 0.05);  // deliver whatever the turns posted
  EXPECT_EQ(posts.Count("login"), 0u);
}

TEST_F(SendTurnTest, PeerThatGoesAwayIsReconnectedByTheNextPush) {
  nettest::LoopbackListener listener;
  Serve(kServerListQuote, listener);
  ASSERT_TRUE(StartNetworkThreads());
  Push(PushCenterSendQueue, QuoteRequest(1));
  int peer = listener.accept();
  Packet p;
  ASSERT_TRUE(ReadPacket(peer, p));
  ::shutdown(peer, SHUT_RDWR);
  // The read callback sees the end and closes; the next push connects again.
  ASSERT_TRUE(
      RunMainUntil([] { return GetCoreSocket(CoreConnection::Quote).NeedsConnect() == 1; }));
  Serve(kServerListQuote, listener);
  std::string second = QuoteRequest(2);
  Push(PushCenterSendQueue, second);
  int again = listener.accept();
  ASSERT_GE(again, 0);
  ASSERT_TRUE(ReadPacket(again, p));
  EXPECT_EQ(p.wire, second);
}

// A quote connection the server ends (or breaks with bytes that are no packet) is reported
// once, and its next connect once more, so the application can reopen it and have its screens
// ask again; a connection the client closes itself is reported never.
TEST_F(SendTurnTest, QuoteConnectionLostByTheServerIsReportedAndItsReconnectToo) {
  nettest::LoopbackListener listener;
  ASSERT_TRUE(StartNetworkThreads());
  for (bool garbage : {false, true}) {
    SCOPED_TRACE(garbage);
    const size_t lost = hooks->Count("quoteConnectionLost");
    const size_t reopened = hooks->Count("quoteConnectionReopened");
    Serve(kServerListQuote, listener);
    Push(PushCenterSendQueue, QuoteRequest(1));
    int peer = listener.accept();
    ASSERT_GE(peer, 0);
    Packet p;
    ASSERT_TRUE(ReadPacket(peer, p));
    if (garbage) {
      const char junk[32] = "no packet starts like this....";
      ASSERT_EQ(::send(peer, junk, sizeof junk, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof junk));
    } else {
      ::shutdown(peer, SHUT_RDWR);
    }
    ASSERT_TRUE(RunMainUntil([&] { return hooks->Count("quoteConnectionLost") == lost + 1; }));
    EXPECT_TRUE(IsQuoteConnectionDropped());
    EXPECT_EQ(hooks->Count("quoteConnectionReopened"), reopened);
    // The application's reopening: a turn with nothing queued.
    Serve(kServerListQuote, listener);
    PushCenterSendQueue(nullptr, 0);
    int again = listener.accept();
    ASSERT_GE(again, 0);
    ASSERT_TRUE(
        RunMainUntil([&] { return hooks->Count("quoteConnectionReopened") == reopened + 1; }));
    EXPECT_FALSE(IsQuoteConnectionDropped());
    EXPECT_EQ(hooks->Count("quoteConnectionLost"), lost + 1);
    // Closed on purpose (logout, background): nothing to report, now or at the next connect.
    GetCoreSocket(CoreConnection::Quote).Close();
    Serve(kServerListQuote, listener);
    std::string after = QuoteRequest(3);
    Push(PushCenterSendQueue, after);
    int third = listener.accept();
    ASSERT_GE(third, 0);
    ASSERT_TRUE(ReadPacket(third, p));
    EXPECT_EQ(p.wire, after);
    RunMainUntil([] { return false; }, 0.05);
    EXPECT_EQ(hooks->Count("quoteConnectionLost"), lost + 1);
    EXPECT_EQ(hooks->Count("quoteConnectionReopened"), reopened + 1);
    EXPECT_FALSE(IsQuoteConnectionDropped());
    GetCoreSocket(CoreConnection::Quote).Close();
  }
}

// Only the quote connection feeds screens by subscription; the others stay as they were,
// reopened by their next request.
TEST_F(SendTurnTest, OtherConnectionsLostByTheServerAreNotReported) {
  nettest::LoopbackListener listener;
  Serve(kServerListPriceAlert, listener);
  ASSERT_TRUE(StartNetworkThreads());
  Push(PushPriceNotificationSendQueue, QuoteRequest(4));
  int peer = listener.accept();
  ASSERT_GE(peer, 0);
  Packet p;
  ASSERT_TRUE(ReadPacket(peer, p));
  ::shutdown(peer, SHUT_RDWR);
  ASSERT_TRUE(
      RunMainUntil([] { return GetCoreSocket(CoreConnection::PriceAlert).NeedsConnect() == 1; }));
  RunMainUntil([] { return false; }, 0.05);
  EXPECT_EQ(hooks->Count("quoteConnectionLost"), 0u);
  EXPECT_FALSE(IsQuoteConnectionDropped());
}

TEST_F(SendTurnTest, VerificationIsServedOnThePushingThread) {
  nettest::LoopbackListener listener;
  Serve(kServerListQuote, listener);
  PostLog posts({"verify"});
  ASSERT_TRUE(StartNetworkThreads());
  std::string request = MakePacket({144, 21, 0, 4}, "v");
  Push(PushVerifySendQueue, request);  // connects right here, on the main thread
  EXPECT_EQ(GetCoreSocket(CoreConnection::Verification).NeedsConnect(), 0);
  int peer = listener.accept();
  Packet p;
  ASSERT_TRUE(ReadPacket(peer, p));
  EXPECT_EQ(p.wire, request);
  nettest::writeAll(peer, MakePacket({144, 21, 0, 4}, "ok") + MakePacket({144, 99, 0, 5}, ""));
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("verify") == 1; }));
  EXPECT_EQ(posts.First("verify")->view().requestCode(), 4);
}

TEST_F(SendTurnTest, StopEndsARaceInProgressAndJoinsEverything) {
  nettest::LoopbackListener listener;
  Serve(kServerListQuote, listener);
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  CSocket::SetAttemptHookForTesting([&](int) {
    held = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  });
  CSocket::SetConnectTimeouts(30.0, 1.0);
  ASSERT_TRUE(StartNetworkThreads());
  Push(PushCenterSendQueue, QuoteRequest(1));
  while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::thread releaser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    release = true;
  });
  StopNetworkThreads();  // does not wait out the 30-second race
  releaser.join();
  EXPECT_FALSE(AreNetworkThreadsRunning());
  EXPECT_EQ(GetCoreSocket(CoreConnection::Quote).GetCFSocket(), nullptr);
  // Queued requests survive the stop.
  EXPECT_GT(GetCoreSocket(CoreConnection::Quote).GetSendLen(), 0);
}

}  // namespace
