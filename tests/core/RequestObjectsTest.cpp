// Request objects, the request-code counter, the send queues and the guarded send buffer.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "core/COVFeeCal.h"
#include "core/DataBase.h"
#include "core/DataRequest.h"
#include "core/DeviceInfo.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"

namespace {

TEST(RequestCodeCounter, CountsFromOneAndSkipsZeroOnWrap) {
  CDataRequest request;
  EXPECT_EQ(NextRequestCode(&request), 1);
  EXPECT_EQ(NextRequestCode(&request), 2);
  request.SetRequestCodeCounter(16382);
  EXPECT_EQ(NextRequestCode(&request), 16383);
  EXPECT_EQ(NextRequestCode(&request), 1);  // 16384 % 16384 = 0 is skipped
  request.SetRequestCodeCounter(65535);     // a stray value still lands in range
  EXPECT_EQ(NextRequestCode(&request), 1);
  EXPECT_EQ(request.GetRequestCodeCounter(), 1);
  EXPECT_EQ(NextRequestCode(nullptr), 0);
}

TEST(RequestCodeCounter, ObjectsCountIndependentlyAndThreadsNeverShareACode) {
  CDataRequest a;
  CDataTradeRequest b;
  NextRequestCode(&a);
  NextRequestCode(&a);
  EXPECT_EQ(NextRequestCode(&b), 1);

  CDataRequest shared;
  constexpr int kThreads = 4, kEach = 2000;
  std::vector<std::vector<uint16_t>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) got[t].push_back(NextRequestCode(&shared));
    });
  }
  for (auto& th : threads) th.join();
  std::set<uint16_t> all;
  for (auto& v : got) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kEach));
  EXPECT_EQ(all.count(0), 0u);
}

TEST(RequestObject, SessionValueAndTagAreKeptPerObject) {
  CDataRequest request;
  EXPECT_EQ(request.GetSessionValue(), 0u);
  EXPECT_EQ(request.GetRequestTag(), 0);
  request.SetSessionValue(0x123456);
  request.SetRequestTag(7);
  EXPECT_EQ(request.GetSessionValue(), 0x123456u);
  EXPECT_EQ(GlobalTradeRequest(), GlobalTradeRequest());
  EXPECT_NE(static_cast<CDataRequest*>(GlobalTradeRequest()), GlobalDataRequest());
}

struct Pushed {
  SendQueueKind kind;
  std::vector<uint8_t> bytes;
};

TEST(SendQueues, EachPushReachesTheSinkWithItsQueue) {
  std::vector<Pushed> seen;
  SetSendQueueSink([&](SendQueueKind kind, const uint8_t* p, int n) {
    seen.push_back({kind, std::vector<uint8_t>(p, p + n)});
  });
  const uint8_t packet[3] = {0x23, 1, 2};
  struct {
    void (*push)(const void*, int);
    SendQueueKind kind;
    const char* name;
  } table[] = {
      {PushRenZhengQueue, SendQueueKind::RenZheng, "Center_RenZhengQueue"},
      {PushCenterSendQueue, SendQueueKind::Center, "Center_SendQueue"},
      {PushTradeSendQueue, SendQueueKind::Trade, "Trade_SendQueue"},
      {PushVerifySendQueue, SendQueueKind::Verify, "Verify_SendQueue"},
      {PushMessageSendQueue, SendQueueKind::Message, "Message_SendQueue"},
      {PushPriceNotificationSendQueue, SendQueueKind::PriceNotification,
       "PriceNotification_SendQueue"},
  };
  for (auto& row : table) {
    seen.clear();
    row.push(packet, 3);
    ASSERT_EQ(seen.size(), 1u) << row.name;
    EXPECT_EQ(seen[0].kind, row.kind);
    EXPECT_EQ(seen[0].bytes, std::vector<uint8_t>(packet, packet + 3));
    EXPECT_STREQ(SendQueueNotificationName(row.kind), row.name);
  }

  // The request object's hand-offs use the quote, message and price-alert queues.
  CDataRequest request;
  seen.clear();
  EXPECT_EQ(request.SendData(packet, 3), 0);
  EXPECT_EQ(request.SendMessageData(packet, 3), 0);
  EXPECT_EQ(request.SendPriceNotificationData(packet, 3), 0);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].kind, SendQueueKind::Center);
  EXPECT_EQ(seen[1].kind, SendQueueKind::Message);
  EXPECT_EQ(seen[2].kind, SendQueueKind::PriceNotification);

  // A null packet only announces the queue.
  seen.clear();
  PushMessageSendQueue(nullptr, 5);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0].bytes.empty());

  SetSendQueueSink(nullptr);
  seen.clear();
  PushCenterSendQueue(packet, 3);
  EXPECT_TRUE(seen.empty());
}

std::vector<uint8_t> FilledBytes(int n, uint8_t v) {
  return std::vector<uint8_t>(n, v);
}

TEST(DataBaseSendBuffer, KeepsWholePacketsAndRefusesOneThatDoesNotFit) {
  std::vector<std::string> errors;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  DataBase buffer;
  auto first = FilledBytes(8000, 0xA1);
  auto second = FilledBytes(2000, 0xB2);
  EXPECT_EQ(buffer.AddSendBuffer(first.data(), 8000), 1);
  // The 2000-byte packet does not fit beside 8000 pending: it is refused, the first kept.
  EXPECT_EQ(buffer.AddSendBuffer(second.data(), 2000), 0);
  EXPECT_EQ(buffer.GetPendingLength(), 8000);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("!!!!!!!", 0), 0u);
  auto exact = FilledBytes(1000, 0xC3);
  EXPECT_EQ(buffer.AddSendBuffer(exact.data(), 1000), 1);  // exactly full
  EXPECT_EQ(buffer.GetPendingLength(), 9000);
  auto over = FilledBytes(9001, 0);
  DataBase empty;
  EXPECT_EQ(empty.AddSendBuffer(over.data(), 9001), 0);
  EXPECT_EQ(empty.AddSendBuffer(nullptr, 10), 0);
  foundation::setLogSink(nullptr);

  // Taking from the front moves the rest up, in order.
  std::vector<uint8_t> out(8500);
  EXPECT_EQ(buffer.GetSendBuffer(out.data(), 8500), 8500);
  EXPECT_EQ(out[7999], 0xA1);
  EXPECT_EQ(out[8000], 0xC3);
  EXPECT_EQ(buffer.GetSendBuffer(out.data(), 8500), 500);
  EXPECT_EQ(buffer.GetSendBuffer(out.data(), 8500), 0);

  EXPECT_EQ(buffer.GetRequestCode(), 1u);
  EXPECT_EQ(buffer.GetRequestCode(), 2u);
  buffer.AddSendBuffer(first.data(), 10);
  buffer.clear();
  EXPECT_EQ(buffer.GetPendingLength(), 0);
}

TEST(FeeCalculator, ResetZeroesTheWholeTable) {
  COVFeeCal fee;
  for (int i = 0; i < COVFeeCal::kTableSize; ++i) ASSERT_EQ(fee.GetTable()[i], 0);
  const_cast<uint8_t*>(fee.GetTable())[100] = 7;
  const_cast<uint8_t*>(fee.GetTail())[4] = 7;
  fee.Reset();
  EXPECT_EQ(fee.GetTable()[100], 0);
  EXPECT_EQ(fee.GetTail()[4], 0);
}

bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 400 && !done(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return done();
}

TEST(RequestObjectLoop, SendsQueuedBytesAndCollectsReplies) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  CDataRequest request;
  request.GetConnect().Attach(net::Socket::adopt(fds[0]));
  ASSERT_TRUE(request.StartReceiving());

  const char hello[] = "request-bytes";
  ASSERT_TRUE(request.AppendSendData(hello, sizeof(hello)));
  char got[64] = {};
  ssize_t n = ::recv(fds[1], got, sizeof(got), 0);
  ASSERT_EQ(n, static_cast<ssize_t>(sizeof(hello)));
  EXPECT_STREQ(got, hello);
  EXPECT_TRUE(WaitFor([&] { return request.GetSendSize() == 0; }));

  const char reply[] = "reply-bytes";
  ASSERT_EQ(::send(fds[1], reply, sizeof(reply), 0), static_cast<ssize_t>(sizeof(reply)));
  EXPECT_TRUE(WaitFor([&] { return request.GetReceiveSize() == sizeof(reply); }));
  char out[64] = {};
  EXPECT_EQ(request.TakeReceivedData(out, sizeof(out)), static_cast<int>(sizeof(reply)));
  EXPECT_STREQ(out, reply);

  // The peer going away closes the connection and empties both buffers.
  ::close(fds[1]);
  EXPECT_TRUE(WaitFor([&] { return request.GetConnect().GetSocket() == nullptr; }));
  request.StopReceiving();
  EXPECT_FALSE(request.GetThread().IsRunning());
}

TEST(RequestObjectLoop, ConnectionClosedFromAnotherThreadOrReplacedHandsOverCleanly) {
  int a[2], b[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, a), 0);
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, b), 0);
  CDataRequest request;
  request.GetConnect().Attach(net::Socket::adopt(a[0]));
  ASSERT_TRUE(request.StartReceiving());

  // A reply not yet taken is dropped once the connection is closed under the loop.
  const char reply[] = "unread";
  ASSERT_EQ(::send(a[1], reply, sizeof(reply), 0), static_cast<ssize_t>(sizeof(reply)));
  EXPECT_TRUE(WaitFor([&] { return request.GetReceiveSize() == sizeof(reply); }));
  request.GetConnect().Close();
  EXPECT_EQ(request.GetConnect().GetSocket(), nullptr);
  EXPECT_TRUE(WaitFor([&] { return request.GetReceiveSize() == 0; }));
  char byte = 0;
  EXPECT_EQ(::recv(a[1], &byte, 1, 0), 0);  // the peer sees the end of the stream

  // A new socket is picked up by the running loop; replacing it closes the one before.
  auto second = net::Socket::adopt(b[0]);
  request.GetConnect().Attach(second);
  request.GetConnect().Attach(second);  // the same socket again is kept open
  EXPECT_TRUE(second->isValid());
  const char hello[] = "again";
  ASSERT_TRUE(request.AppendSendData(hello, sizeof(hello)));
  char got[16] = {};
  ASSERT_EQ(::recv(b[1], got, sizeof(got), 0), static_cast<ssize_t>(sizeof(hello)));
  EXPECT_STREQ(got, hello);
  int c[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, c), 0);
  request.GetConnect().Attach(net::Socket::adopt(c[0]));
  EXPECT_FALSE(second->isValid());
  EXPECT_EQ(::recv(b[1], &byte, 1, 0), 0);

  request.StopReceiving();
  for (int fd : {a[1], b[1], c[1]}) ::close(fd);
}

TEST(RequestObjectLoop, StopAskedBeforeTheLoopStartsStillEndsIt) {
  CDataRequest request;
  SetExitFlag(&request, 3);  // low bit only
  ASSERT_TRUE(request.StartReceiving());
  request.GetThread().Join();
  EXPECT_FALSE(request.GetThread().IsRunning());
}

TEST(DeviceTexts, DescriptionIsAsciiCutToTheBufferAndIdentifierIsAStableDigest) {
  std::string id = GetDeviceIdentifier();
  EXPECT_EQ(id.size(), 32u);
  EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(GetDeviceIdentifier(), id);

  OverrideDeviceTexts(std::string(150, 'm'), std::string("abc"));
  char buf[100];
  GetDeviceInfoString(buf, sizeof(buf));
  EXPECT_EQ(std::strlen(buf), 99u);
  EXPECT_EQ(GetDeviceIdentifier(), "abc");
  OverrideDeviceTexts(std::string("Phone \xE6\x89\x8B OS 1"), std::nullopt);
  GetDeviceInfoString(buf, sizeof(buf));
  EXPECT_STREQ(buf, "");
  OverrideDeviceTexts(std::nullopt, std::nullopt);
  EXPECT_EQ(GetDeviceIdentifier(), id);
  std::string description = GetDeviceDescription();
  EXPECT_GE(std::count(description.begin(), description.end(), ' '), 2);
}

}  // namespace
