// The connection object on its own: the send queue, the connection race and packet cutting.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "core/DataEncrypt.h"
#include "tests/core/ConnectionTestSupport.h"

using namespace conntest;

namespace {

std::string Filler(size_t n, char c) {
  return std::string(n, c);
}

TEST(CSocketQueue, KeepsWholePacketsBeyond9000BytesAndRefusesWhatCannotFit) {
  CSocket socket("test");
  std::string a = Filler(5000, 'a'), b = Filler(5000, 'b');
  // Two packets together larger than 9000 bytes: both stay, in order.
  EXPECT_EQ(socket.PutSendData(a.data(), 5000), 1);
  EXPECT_EQ(socket.PutSendData(b.data(), 5000), 1);
  EXPECT_EQ(socket.GetSendLen(), 10000);

  // Larger than any frame: refused, the queue untouched.
  std::string huge = Filler(CSocket::kMaxPacketSize + 1, 'h');
  EXPECT_EQ(socket.PutSendData(huge.data(), static_cast<int>(huge.size())), 0);
  EXPECT_EQ(socket.GetSendLen(), 10000);

  // Over the queue's capacity: refused, nothing queued dropped.
  std::string big = Filler(60000, 'c');
  int queued = 10000;
  while (socket.PutSendData(big.data(), 60000) == 1) queued += 60000;
  EXPECT_EQ(socket.GetSendLen(), queued);
  EXPECT_LE(queued, CSocket::kSendQueueCapacity);

  // Taking gives whole packets only, within the maximum.
  std::vector<uint8_t> out;
  EXPECT_EQ(socket.GetSendData(out, 8192), 5000);  // the second would pass 8192
  EXPECT_EQ(std::string(out.begin(), out.end()), a);
  out.assign(300, 'L');  // a login already in front
  EXPECT_EQ(socket.GetSendData(out, 8192), 5000);
  EXPECT_EQ(std::string(out.begin() + 300, out.end()), b);
  // A first packet larger than the maximum is taken alone.
  out.clear();
  EXPECT_EQ(socket.GetSendData(out, 8192), 60000);
  socket.ClearBuffers();
  EXPECT_EQ(socket.GetSendLen(), 0);
  out.clear();
  EXPECT_EQ(socket.GetSendData(out, 8192), 0);
}

class CSocketRace : public ConnectionFixture {};

TEST_F(CSocketRace, FirstAcceptingAddressWinsAndLeavesTheList) {
  nettest::LoopbackListener refused1(false), accepting, refused3(false);
  CDataIP list;
  list.AddIP(Address(refused1.port()).c_str());
  list.AddIP(Address(accepting.port()).c_str());
  list.AddIP(Address(refused3.port()).c_str());

  CSocket socket("race");
  ASSERT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 1);
  EXPECT_GE(accepting.accept(), 0);
  ASSERT_NE(socket.GetCFSocket(), nullptr);
  EXPECT_EQ(socket.NeedsConnect(), 0);
  // The winner moved out; the next race tries the other two.
  ASSERT_EQ(list.GetCount(), 2);
  char ip[64];
  list.GetIP(0, ip, sizeof ip);
  EXPECT_EQ(std::string(ip), Address(refused1.port()));
  list.GetIP(1, ip, sizeof ip);
  EXPECT_EQ(std::string(ip), Address(refused3.port()));

  // Neither of those accepts: the race fails and the list comes back whole.
  EXPECT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 0);
  EXPECT_EQ(socket.NeedsConnect(), 1);
  EXPECT_EQ(list.GetCount(), 3);
  socket.JoinAttempts();
}

// A server that refuses every connect: the race is lost as soon as each attempt has failed, not
// when its time is up, so that the connection is tried again as soon as the server is back.
TEST_F(CSocketRace, ARaceEveryAttemptOfWhichFailedEndsAtOnce) {
  CSocket::SetConnectTimeouts(30.0, 30.0);
  nettest::LoopbackListener refused1(false), refused2(false);
  CDataIP list;
  list.AddIP(Address(refused1.port()).c_str());
  list.AddIP(Address(refused2.port()).c_str());
  CSocket socket("refused");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 0);
  // Far below the race's 30 s, whatever the machine's load.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_EQ(socket.NeedsConnect(), 1);
  EXPECT_EQ(list.GetCount(), 2);
  // The server back: the next race wins.
  nettest::LoopbackListener accepting;
  list.AddIP(Address(accepting.port()).c_str());
  EXPECT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 1);
  socket.Close();
  socket.JoinAttempts();
}

TEST_F(CSocketRace, EmptyListIsRestoredBeforeTheRace) {
  nettest::LoopbackListener accepting;
  CDataIP list;
  list.AddIP(Address(accepting.port()).c_str());
  list.DeleteIndex(0);
  ASSERT_EQ(list.GetCount(), 0);
  CSocket socket("restore");
  EXPECT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 1);
  socket.Close();
  socket.JoinAttempts();
}

TEST_F(CSocketRace, LateAttemptClosesItsOwnSocketAndNeverClaims) {
  CSocket::SetConnectTimeouts(0.2, 1.0);
  nettest::LoopbackListener accepting;
  std::mutex m;
  std::condition_variable cv;
  bool release = false;
  CSocket::SetAttemptHookForTesting([&](int) {
    std::unique_lock<std::mutex> lock(m);
    cv.wait_for(lock, std::chrono::seconds(5), [&] { return release; });
  });
  CDataIP list;
  list.AddIP(Address(accepting.port()).c_str());
  CSocket socket("late");
  // The attempt connects but is held until the race has given up.
  EXPECT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 0);
  int peer = accepting.accept();
  ASSERT_GE(peer, 0);
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
  }
  cv.notify_all();
  socket.JoinAttempts();
  EXPECT_EQ(socket.GetCFSocket(), nullptr);
  EXPECT_EQ(socket.NeedsConnect(), 1);
  EXPECT_TRUE(PeerClosed(peer));
}

TEST_F(CSocketRace, CloseDuringTheRaceEndsIt) {
  nettest::LoopbackListener accepting;
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  CSocket::SetAttemptHookForTesting([&](int) {
    held = true;
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  });
  CDataIP list;
  list.AddIP(Address(accepting.port()).c_str());
  CSocket socket("closed");
  std::thread closer([&] {
    while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    socket.Close();
    release = true;
  });
  // Cancelled, not failed: whoever closed meant it, and the list keeps every address.
  EXPECT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), CSocket::kConnectCancelled);
  closer.join();
  socket.JoinAttempts();
  EXPECT_EQ(socket.GetCFSocket(), nullptr);
  EXPECT_EQ(list.GetCount(), 1);
}

// A send turn takes packets only for a live connection, and gives back what a Close from
// another thread kept from going out: queued requests survive a close.
TEST_F(CSocketRace, TakingNeedsALiveConnectionAndPacketsComeBackAfterAClose) {
  CSocket socket("take");
  std::string a = Filler(3000, 'a'), b = Filler(4000, 'b'), c = Filler(2000, 'c');
  for (auto* p : {&a, &b, &c}) socket.PutSendData(p->data(), static_cast<int>(p->size()));

  net::SocketPtr taken;
  std::vector<int> lengths;
  std::vector<uint8_t> out;
  EXPECT_EQ(socket.TakeSendData(out, 8192, taken, lengths), 0);
  EXPECT_EQ(taken, nullptr);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(socket.GetSendLen(), 9000);

  nettest::LoopbackListener accepting;
  CDataIP list;
  list.AddIP(Address(accepting.port()).c_str());
  ASSERT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 1);
  int peer = accepting.accept();
  ASSERT_GE(peer, 0);
  out.assign(100, 'L');  // a login in front is not a queued packet
  EXPECT_EQ(socket.TakeSendData(out, 8192, taken, lengths), 7000);
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(lengths, (std::vector<int>{3000, 4000}));

  socket.Close();  // as the main thread does at logout, while the turn holds the packets
  EXPECT_NE(socket.SendData(taken, out.data(), static_cast<int>(out.size())), 0);
  socket.ReturnSendData(out.data() + 100, lengths);
  EXPECT_EQ(socket.GetSendLen(), 9000);
  std::string all;
  for (std::vector<uint8_t> piece; socket.GetSendData(piece, 8192) > 0; piece.clear())
    all.append(piece.begin(), piece.end());
  EXPECT_TRUE(all == a + b + c);  // the same packets, in their order
  socket.JoinAttempts();
}

// Feeds bytes from a peer into a connected CSocket and cuts packets on the test thread.
class CSocketCut : public ConnectionFixture {
 protected:
  void SetUp() override {
    ConnectionFixture::SetUp();
    CDataIP list;
    list.AddIP(Address(listener.port()).c_str());
    ASSERT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 1);
    peer = listener.accept();
    ASSERT_GE(peer, 0);
  }
  void TearDown() override {
    socket.Close();
    socket.JoinAttempts();
    ConnectionFixture::TearDown();
  }
  // Sends bytes and reads until `total` bytes are buffered (or the read fails).
  int Feed(const std::string& bytes, int total) {
    nettest::writeAll(peer, bytes);
    int r = 0;
    for (int i = 0; i < 500 && socket.GetRecvLen() < total; ++i) {
      r = socket.RecvData();
      if (r < 0) return r;
      if (r == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return socket.GetRecvLen();
  }

  nettest::LoopbackListener listener;
  CSocket socket{"cut"};
  int peer = -1;
  uint8_t header[16];
  uint8_t body[9000];
};

TEST_F(CSocketCut, PartialPacketWaitsAndTwoPacketsCutInOrder) {
  std::string first = MakePacket({145, 12, 12, 7}, Filler(100, 'x'));
  std::string second = MakePacket({145, 22, 0, 8}, Filler(27, 'y'));
  ASSERT_EQ(Feed(first.substr(0, 20), 20), 20);
  EXPECT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), 0);
  EXPECT_EQ(socket.GetRecvLen(), 20);
  std::string rest = first.substr(20) + second;
  ASSERT_EQ(Feed(rest, static_cast<int>(first.size() + second.size())),
            static_cast<int>(first.size() + second.size()));
  ASSERT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), 1);
  EXPECT_EQ(header[13], 12);
  EXPECT_EQ(header[6] | (header[7] << 8), 100);
  ASSERT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), 1);
  EXPECT_EQ(header[13], 22);
  EXPECT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), 0);
  EXPECT_EQ(socket.GetRecvLen(), 0);
}

TEST_F(CSocketCut, EncipheredAndCompressedBodiesAreDecoded) {
  std::string plain = Filler(600, 'q');  // compressed by the framing
  std::vector<uint8_t> enc(1024);
  int n = CDataEncrypt::Encrypt(plain.data(), static_cast<uint16_t>(plain.size()), enc.data(),
                                static_cast<int>(enc.size()), kRequestKey1);
  PacketSpec shape{144, 7, 1, 3};
  shape.cipher = kCipherBody;
  std::string packet = MakePacket(shape, std::string(enc.begin(), enc.begin() + n));
  ASSERT_GT(Feed(packet, static_cast<int>(packet.size())), 0);
  ASSERT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), 1);
  EXPECT_EQ(header[1] & 0x3F, 0);  // cipher and compression bits cleared
  EXPECT_EQ(header[6] | (header[7] << 8), 600);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(body), 600), plain);
}

// What a headless script's virtual clock waits for: a request is awaited from its queueing until
// a packet with its code is handed on (the parts of one message, and the logins' code 0, once),
// the last of an answer's numbered parts (each an answer of its own: the rest are on the way); a
// withdrawn request and one sent on a connection that closed are not, one kept queued over the
// close or given back to the queue still is.
TEST_F(CSocketCut, ARequestIsAwaitedUntilAPacketWithItsCodeIsHandedOn) {
  auto request = [](uint16_t code) { return MakePacket({145, 12, 0, code}, Filler(20, 'r')); };
  const std::string five = request(5), sixPart = request(6), seven = request(7), login = request(0);
  for (const std::string* p : {&five, &sixPart, &sixPart, &seven, &login})
    ASSERT_EQ(socket.PutSendData(p->data(), static_cast<int>(p->size())), 1);
  EXPECT_EQ(socket.AwaitedAnswers(), 4);
  EXPECT_EQ(socket.WithdrawQueued(7), 1);
  EXPECT_EQ(socket.AwaitedAnswers(), 3);

  // A push of another code answers nothing; the answers to 5 and to the login do.
  const std::string answers = MakePacket({145, 12, 0, 9, true}, "p") +
                              MakePacket({145, 12, 0, 5}, "a") + MakePacket({145, 12, 0, 0}, "l");
  ASSERT_GT(Feed(answers, static_cast<int>(answers.size())), 0);
  auto handOn = [&] {
    ASSERT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), 1);
    PacketHeader cut;
    ASSERT_TRUE(PacketHeader::Read(header, 16, &cut));
    socket.AnswerArrived(cut);
  };
  handOn();
  EXPECT_EQ(socket.AwaitedAnswers(), 3);
  handOn();
  handOn();
  EXPECT_EQ(socket.AwaitedAnswers(), 1);  // 6, whose two parts are answered once
  PacketHeader part;
  part.RequestCode = 6;
  part.PackageNum = 3;
  for (part.PackageNo = 0; part.PackageNo < 2; ++part.PackageNo) socket.AnswerArrived(part);
  EXPECT_EQ(socket.AwaitedAnswers(), 1);  // two parts of an answer of three
  socket.AnswerArrived(part);
  EXPECT_EQ(socket.AwaitedAnswers(), 0);

  // Sent, then the connection closes: its answer cannot come.
  net::SocketPtr taken;
  std::vector<int> lengths;
  std::vector<uint8_t> out;
  EXPECT_GT(socket.TakeSendData(out, 8192, taken, lengths), 0);
  socket.Close();
  EXPECT_EQ(socket.AwaitedAnswers(), 0);
  // Given back to the queue (the close came under the send): each is awaited again.
  socket.ReturnSendData(out.data(), lengths);
  EXPECT_EQ(socket.AwaitedAnswers(), 3);
  // Counted only while younger than the time asked for.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(socket.AwaitedAnswers(0.02), 0);
  EXPECT_EQ(socket.AwaitedAnswers(5), 3);
  socket.ClearBuffers();
  EXPECT_EQ(socket.AwaitedAnswers(), 0);
  // The login a turn puts in front of the queue is awaited too.
  socket.AwaitAnswerTo(reinterpret_cast<const uint8_t*>(login.data()), static_cast<int>(login.size()));
  EXPECT_EQ(socket.AwaitedAnswers(), 1);
  // A round queued at once (a page's quote, its chart and its ticks, one after the other): each
  // request is awaited by its own code, the chart's after the quote's answer came.
  socket.ClearBuffers();
  const std::string round = request(10) + request(11) + request(12);
  ASSERT_EQ(socket.PutSendData(round.data(), static_cast<int>(round.size())), 1);
  EXPECT_EQ(socket.AwaitedAnswers(), 3);
  PacketHeader answer;
  answer.RequestCode = 10;
  socket.AnswerArrived(answer);
  EXPECT_EQ(socket.AwaitedAnswers(), 2);
}

// Packets that cannot be trusted: the cut reports -1 instead of stalling or inventing a body.
TEST_F(CSocketCut, UntrustworthyPacketsAreRefused) {
  struct Case {
    const char* what;
    std::function<std::string()> make;
  };
  const Case cases[] = {
      {"does not start with the magic byte",
       [] {
         std::string p = MakePacket({145, 12, 12, 1}, Filler(10, 'a'));
         p[0] = 0x01;
         return p;
       }},
      {"declares more than 9000 bytes",
       [] {
         std::string p = MakePacket({145, 12, 12, 1}, Filler(10, 'a'));
         p[6] = static_cast<char>(0x30);  // 9008-byte body
         p[7] = static_cast<char>(0x23);
         return p;
       }},
      {"does not decipher",
       [] {
         PacketSpec shape{144, 7, 1, 1};
         shape.cipher = kCipherBody;
         return MakePacket(shape, Filler(32, 'z'));
       }},
      {"does not decompress",
       [] {
         std::string p = MakePacket({145, 12, 12, 1}, Filler(40, '\xFF'));
         p[1] = static_cast<char>((p[1] & 0xF8) | kCompressLzw);
         return p;
       }},
      {"unknown compression code",
       [] {
         std::string p = MakePacket({145, 12, 12, 1}, Filler(40, 'a'));
         p[1] = static_cast<char>((p[1] & 0xF8) | 5);
         return p;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    socket.Close();
    CDataIP list;
    list.AddIP(Address(listener.port()).c_str());
    ASSERT_EQ(socket.Connect(list, [](const net::SocketPtr&) {}), 1);
    peer = listener.accept();
    std::string bytes = c.make();
    int held = Feed(bytes, std::min<int>(static_cast<int>(bytes.size()), 9000));
    ASSERT_GT(held, 0);
    EXPECT_EQ(socket.GetPacket(header, body, 9000, kRequestKey1), -1);
  }
}

}  // namespace
