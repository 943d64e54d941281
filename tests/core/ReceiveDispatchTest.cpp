// Replies read on the network threads: merged into the quote stores, handled as login answers
// or posted on the main thread under their page names.
#include <gtest/gtest.h>

#include "core/CDataCenter.h"
#include "core/DataEncrypt.h"
#include "core/LoginRequests.h"
#include "core/QuoteCache.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/core/ConnectionTestSupport.h"

using namespace conntest;

namespace {

class ReceiveDispatchTest : public ConnectionFixture {
 protected:
  void SetUp() override {
    ConnectionFixture::SetUp();
    foundation::UserDefaults::resetStandard();
    ASSERT_TRUE(StartNetworkThreads());
  }

  // Opens the connection of `push`'s queue with one request and returns the server's end.
  int Open(int listType, void (*push)(const void*, int), uint8_t main = 145, uint8_t child = 12) {
    Serve(listType, listener);
    std::string request = MakePacket({main, child, 12, 1}, "open");
    push(request.data(), static_cast<int>(request.size()));
    int peer = listener.accept();
    Packet p;
    EXPECT_TRUE(ReadPacket(peer, p));
    return peer;
  }

  nettest::LoopbackListener listener;
};

std::string QuoteLoginAnswer(uint8_t page, const std::string& rights = "31,49") {
  return MakePacket({144, 7, page, 0}, TableBody([&](MDBF& t) {
                      t.AddStringField(35, rights.c_str());
                      t.AddStringField(58, "QS1234567");
                      t.AddIntField(70, 3);
                      t.AddInt64Field(52, (int64_t{20261207} << 32) | 93000);
                    }));
}

TEST_F(ReceiveDispatchTest, QuoteRepliesArePostedByPageWithTheirRequestCodes) {
  PostLog posts({"notification_receiveIndex", "SelfStock", "wtStockData", "MainPage",
                 "MainPageCellContent", "SearchStocks", "SettingStocks", "TrendLine", "SortStock",
                 "IndexStock", "RadarCellContent", "notification_UploadNote"});
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  struct Case {
    PacketSpec shape;
    const char* name;
  };
  const Case cases[] = {
      {{145, 22, 0, 11}, "notification_receiveIndex"},
      {{145, 12, 12, 12}, "SelfStock"},
      {{145, 36, 23, 13}, "wtStockData"},
      {{145, 23, 23, 14}, "notification_receiveIndex"},  // page 23 keeps the push's name
      {{145, 10, 22, 15}, "MainPage"},
      {{145, 87, 22, 16}, "MainPageCellContent"},
      {{145, 10, 11, 17}, "SearchStocks"},
      {{145, 10, 15, 18}, "SettingStocks"},
      {{145, 30, 13, 19}, "TrendLine"},
      {{145, 17, 17, 20}, "SortStock"},
      {{145, 17, 18, 21}, "IndexStock"},
      {{145, 82, 0, 22}, "RadarCellContent"},
      {{145, 82, 12, 26}, "RadarCellContent"},  // whatever page asked
      {{145, 82, 22, 27}, "MainPage"},
      {{145, 94, 0, 23}, "notification_UploadNote"},
      {{145, 40, 5, 24}, nullptr},  // no page name: not posted
      {{146, 12, 12, 25}, nullptr},
  };
  std::string all;
  for (const Case& c : cases) all += MakePacket(c.shape, "body");
  nettest::writeAll(peer, all);  // one write, usually one read
  ASSERT_TRUE(RunMainUntil([&] { return posts.entries.size() == 15; }));
  RunMainUntil([] { return false; }, 0.1);
  ASSERT_EQ(posts.entries.size(), 15u);
  size_t i = 0;
  for (const Case& c : cases) {
    if (!c.name) continue;
    const auto& e = posts.entries[i++];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(e.name, c.name);
    EXPECT_TRUE(e.onMain);
    ReceiveRecordView v = e.view();
    EXPECT_EQ(v.status, kReceiveStatusPacket);
    EXPECT_EQ(v.requestCode(), c.shape.code);
    EXPECT_EQ(v.header.ChildType, c.shape.child);
    EXPECT_EQ(v.bodyLen, 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.body), 4), "body");
  }
}

// The fault mended: an error answer to a quote or list request (a server that is busy) was read
// as a quote, which logged it as broken data ("quote reply: head does not fit in 8 bytes"). It is
// posted for the screens as it is, and the store is left alone.
TEST_F(ReceiveDispatchTest, ErrorAnswersToQuoteRequestsArePostedNotMerged) {
  QuoteCache_Init();
  PostLog posts({"TrendLine", "SelfStock"});
  std::vector<std::string> errors;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    if (level == foundation::LogLevel::Error) errors.push_back(line);
  });
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  const std::string text("\x59\x7F\xD9\x5F", 4);  // UTF-16 "服务", 4 bytes: no quote head
  nettest::writeAll(peer, MakePacket({145, 10, 13, 7, false, true}, text));
  nettest::writeAll(peer, MakePacket({145, 12, 12, 8, false, true}, text));
  ASSERT_TRUE(RunMainUntil(
      [&] { return posts.Count("TrendLine") == 1 && posts.Count("SelfStock") == 1; }));
  foundation::setLogSink({});
  for (const std::string& line : errors)
    EXPECT_EQ(line.find("does not fit"), std::string::npos) << line;
}

TEST_F(ReceiveDispatchTest, QuotePushIsMergedBeforeThePost) {
  QuoteCache_Init();
  PostLog posts({"notification_receiveIndex"});
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  tagLocalStockData before;
  QuoteCache_GetQuote(before, 1, "000001");
  // One 27-byte brief item of the Shanghai index with a new price.
  std::string item(27, '\0');
  item[0] = 1;
  std::memcpy(&item[1], "000001", 6);
  int32_t price = 3333;
  std::memcpy(&item[11], &price, 4);
  int64_t amount = 123456789;
  std::memcpy(&item[19], &amount, 8);
  nettest::writeAll(peer, MakePacket({145, 22, 0, 0, true}, std::string("\x01\x00", 2) + item));
  tagLocalStockData seen{};
  PostLog* log = &posts;
  foundation::NotificationCenter::defaultCenter().addObserver(
      log, "notification_receiveIndex",
      [&](const foundation::Notification&) { QuoteCache_GetQuote(seen, 1, "000001"); });
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("notification_receiveIndex") == 1; }));
  tagLocalStockData after;
  QuoteCache_GetQuote(after, 1, "000001");
  EXPECT_NE(before.amount, amount);
  EXPECT_EQ(after.amount, amount);
  // The observer already saw the merged values.
  EXPECT_EQ(seen.amount, amount);
  EXPECT_EQ(seen.now, after.now);
}

// A quote login answer followed by a reply in the same read: the watch-list steps and hooks
// run on the main thread before "login" is posted, and the reply behind it is not held back.
TEST_F(ReceiveDispatchTest, QuoteLoginAnswerRunsTheChainAndPacketsBehindItArePosted) {
  PostLog posts({"login", "wtStockData"}, hooks);
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  SetLoginInfo("alice", "pw");
  nettest::writeAll(peer, QuoteLoginAnswer(1) + MakePacket({145, 36, 23, 8}, "quote"));
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("wtStockData") == 1; }));
  ASSERT_EQ(posts.Count("login"), 1u);
  std::vector<std::string> expected = {"uploadSelfStock", "startMessageRequestTimer", "post:login",
                                       "post:wtStockData"};
  EXPECT_EQ(hooks->Events(), expected);
  EXPECT_TRUE(hooks->offMain.empty());
  EXPECT_EQ(GetQSID(), "QS1234567");
  EXPECT_EQ(IsLoggedIn(), 1);
  EXPECT_EQ(IsGuestLogin(), 0);
  EXPECT_EQ(GetMsgUserType(), 3);
  EXPECT_EQ(HasRight49(), 1);
  // The index snapshot request follows on the same connection.
  Packet p;
  ASSERT_TRUE(ReadPacket(peer, p));
  EXPECT_EQ(p.header.MainType, 145);
  EXPECT_EQ(p.header.ChildType, 23);
}

TEST_F(ReceiveDispatchTest, ReloginAnswerIsNotPostedAndErrorsResetTheSession) {
  PostLog posts({"login"}, hooks);
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  nettest::writeAll(peer, QuoteLoginAnswer(0));
  ASSERT_TRUE(RunMainUntil([&] { return hooks->Has("uploadSelfStock"); }));
  EXPECT_FALSE(hooks->Has("startMessageRequestTimer"));
  EXPECT_EQ(GetQSID(), "QS1234567");

  // A refused relogin with a server text: session reset, the text shown with tag 1023.
  PacketSpec refused{144, 7, 0, 0};
  refused.error = refused.serverText = true;
  nettest::writeAll(peer, MakePacket(refused, Utf16Body(u"登录已失效")));
  ASSERT_TRUE(RunMainUntil([&] { return !hooks->Alerts().empty(); }));
  CoreAlert alert = hooks->Alerts().front();
  EXPECT_EQ(alert.message, "登录已失效");
  EXPECT_EQ(alert.tag, kAlertTagServerText);
  EXPECT_TRUE(alert.delegateIsApplication);
  EXPECT_EQ(alert.buttons, std::vector<std::string>{"确定"});
  EXPECT_TRUE(PeerClosed(peer));  // the reset closed the quote connection
  RunMainUntil([] { return false; }, 0.05);
  EXPECT_EQ(posts.Count("login"), 0u);
}

TEST_F(ReceiveDispatchTest, ForcedLogoutClosesAndOffersTwoWaysBack) {
  PostLog posts({"login"});
  SetLoggedIn(1);
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  nettest::writeAll(peer, MakePacket({144, 12, 0, 0},
                                     TableBody([](MDBF& t) { t.AddStringField(38, "kicked"); })));
  ASSERT_TRUE(RunMainUntil([&] { return !hooks->Alerts().empty(); }));
  CoreAlert alert = hooks->Alerts().front();
  EXPECT_EQ(alert.message, "kicked");
  EXPECT_EQ(alert.tag, kAlertTagForcedLogout);
  EXPECT_EQ(alert.buttons, (std::vector<std::string>{"重新登录", "游客登录"}));
  EXPECT_TRUE(hooks->Has("refreshTabBar:1"));
  EXPECT_EQ(IsLoggedIn(), 0);
  EXPECT_TRUE(PeerClosed(peer));
  EXPECT_EQ(posts.Count("login"), 0u);
}

TEST_F(ReceiveDispatchTest, UploadAnswerRefusedByTheAppKeepsOnlyThatPacketBack) {
  hooks->uploadAnswer = false;
  PostLog posts({"SelfStock"});
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  nettest::writeAll(peer, MakePacket({145, 53, 12, 5}, "up") + MakePacket({145, 12, 12, 6}, "q"));
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("SelfStock") == 1; }));
  EXPECT_EQ(posts.First("SelfStock")->view().requestCode(), 6);
  EXPECT_TRUE(hooks->Has("repondsToUploadSelfStock"));
}

TEST_F(ReceiveDispatchTest, GarbledPacketClosesTheConnectionAndTheNextRequestStillGoesOut) {
  PostLog posts({"SelfStock"});
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  PacketSpec bad{145, 12, 12, 3};
  bad.cipher = kCipherBody;
  nettest::writeAll(peer, MakePacket(bad, std::string(24, 'g')));
  EXPECT_TRUE(PeerClosed(peer));
  Serve(kServerListQuote, listener);
  std::string next = MakePacket({145, 12, 12, 4}, "next");
  PushCenterSendQueue(next.data(), static_cast<int>(next.size()));
  int again = listener.accept();
  Packet p;
  ASSERT_TRUE(ReadPacket(again, p));
  EXPECT_EQ(p.wire, next);
  nettest::writeAll(again, MakePacket({145, 12, 12, 4}, "ok"));
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("SelfStock") == 1; }));
}

TEST_F(ReceiveDispatchTest, OversizePacketClosesTheConnection) {
  int peer = Open(kServerListQuote, PushCenterSendQueue);
  std::string big = MakePacket({145, 12, 12, 3}, std::string(9100, '\0'));
  big[1] = static_cast<char>(big[1] & 0xF8);  // sent as is, uncompressed
  std::string raw = big.substr(0, 16);
  raw[6] = static_cast<char>(9100 & 0xFF);
  raw[7] = static_cast<char>(9100 >> 8);
  nettest::writeAll(peer, raw + std::string(9100, 'o'));
  EXPECT_TRUE(PeerClosed(peer));
}

TEST_F(ReceiveDispatchTest, AuthenticationAnswers) {
  PostLog posts({"login", "register", "TraderTypeSelect"}, hooks);
  foundation::makeDirectories(dir.file("bundle"));
  foundation::setBundleDir(dir.file("bundle"));
  InitCoreConfig();
  int peer = Open(kServerListAuth, PushRenZhengQueue, 144, 5);
  nettest::LoopbackListener quote;
  std::string servers = "type=1,addr1=" + Address(quote.port()) +
                        ",addr2=127.0.0.1:9;type=6,addr1=" + Address(listener.port());
  nettest::writeAll(peer, MakePacket({144, 5, 0, 1}, TableBody([&](MDBF& t) {
                                       t.AddStringField(36, servers.c_str());
                                       t.AddStringField(71, "device-71");
                                     })));
  ASSERT_TRUE(RunMainUntil([&] { return hooks->Has("CheckEnrollment:1"); }));
  EXPECT_EQ(GetServerList(kServerListQuote)->GetCount(), 2);
  EXPECT_EQ(GetDeviceString(), "device-71");
  EXPECT_EQ(GetServerList(kServerListAuth)->GetCount(), 1);
  EXPECT_NE(ReadFileBytes(dir.file("docs/save.cfg")).find(Address(listener.port())),
            std::string::npos);

  PacketSpec text{144, 5, 0, 2};
  text.error = text.serverText = true;
  PacketSpec plain{144, 6, 0, 3};
  plain.error = true;
  nettest::writeAll(peer, MakePacket(text, Utf16Body(u"密码错误")) +
                              MakePacket(plain, Utf16Body(u"无此用户")) +
                              MakePacket({144, 9, 2, 4}, "") + MakePacket({144, 13, 0, 5}, "") +
                              MakePacket({144, 41, 0, 6}, ""));
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("TraderTypeSelect") == 1; }));
  ASSERT_EQ(hooks->Alerts().size(), 1u);
  EXPECT_EQ(hooks->Alerts()[0].message, "密码错误");
  EXPECT_EQ(hooks->Alerts()[0].tag, kAlertTagServerText);
  ASSERT_EQ(posts.Count("login"), 2u);  // the plain error and the logout answer
  EXPECT_EQ(posts.entries[0].view().errorText(), "无此用户");
  EXPECT_EQ(posts.Count("register"), 1u);
}

TEST_F(ReceiveDispatchTest, SmsCodeAndPhoneLoginAnswers) {
  int peer = Open(kServerListAuth, PushRenZhengQueue, 144, 43);
  SetNewTimeKey(foundation::Dictionary{{"phoneNum", "13800000000"}, {"isSeccuss", "NO"}});
  PacketSpec smsError{144, 43, 0, 2};
  smsError.error = true;
  nettest::writeAll(peer, MakePacket({144, 43, 0, 1}, "") +
                              MakePacket(smsError, Utf16Body(u"发送太频繁")) +
                              MakePacket({144, 44, 0, 3}, ""));
  ASSERT_TRUE(RunMainUntil([&] { return hooks->Alerts().size() == 3; }));
  auto alerts = hooks->Alerts();
  EXPECT_EQ(alerts[0].message, "短信稍后会发到您的手机！");
  EXPECT_EQ(alerts[1].message, "发送太频繁");
  EXPECT_EQ(alerts[2].message, "手机号登陆成功！");
  EXPECT_TRUE(hooks->Has("changeTab:3"));
  foundation::Value value = GetNewTimeKey();
  const foundation::Dictionary& stored = value.asDictionary();
  EXPECT_EQ(stored.get("phoneNum").asString(), "13800000000");
  EXPECT_EQ(stored.get("isSeccuss").asString(), "YES");
}

TEST_F(ReceiveDispatchTest, PriceAlertRightIsStoredAndTheListQueried) {
  PostLog posts({"PriceNotification"}, hooks);
  int peer = Open(kServerListPriceAlert, PushPriceNotificationSendQueue, 150, 1);
  nettest::writeAll(peer, MakePacket({150, 8, 0, 1}, TableBody([](MDBF& t) {
                                       t.AddIntField(16, 1);
                                       t.AddStringField(28, "ok");
                                     })) +
                              MakePacket({150, 6, 0, 2}, "") + MakePacket({150, 6, 4, 3}, "") +
                              MakePacket({150, 2, 4, 4}, ""));
  ASSERT_TRUE(RunMainUntil([&] { return posts.entries.size() == 2; }));
  EXPECT_EQ(GetPriceNotifyRight(), 1);
  EXPECT_EQ(GetPriceNotifyText(), u"ok");
  std::vector<std::string> expected = {
      "QueryPriceNotificationList", "repondsToPriceNotificationList",
      "repondsToPriceNotificationList", "post:PriceNotification", "post:PriceNotification"};
  EXPECT_EQ(hooks->Events(), expected);
  EXPECT_EQ(posts.entries[0].view().requestCode(), 3);
}

TEST_F(ReceiveDispatchTest, MessageRepliesArePostedAsMyMessage) {
  PostLog posts({"MyMessage"});
  int peer = Open(kServerListMessage, PushMessageSendQueue, 144, 10);
  nettest::writeAll(peer, MakePacket({144, 30, 0, 7}, "m") + MakePacket({150, 30, 0, 8}, "x"));
  ASSERT_TRUE(RunMainUntil([&] { return posts.Count("MyMessage") == 1; }));
  EXPECT_EQ(posts.First("MyMessage")->view().requestCode(), 7);
}

// The trade channel gets its turns on the net thread; replies are deciphered with the trade
// session key and reach the screens under "money" and "tradelogin".
TEST_F(ReceiveDispatchTest, TradeRepliesAreDecipheredWithTheSessionKey) {
  PostLog posts({"money", "tradelogin"});
  GetDataCenter().SetSessionKey("abcdefghijklmnop");
  int peer = Open(kServerListTrade, PushTradeSendQueue, 146, 40);
  std::string plain = "trade reply";
  std::vector<uint8_t> enc(64);
  int n = CDataEncrypt::Encrypt(plain.data(), static_cast<uint16_t>(plain.size()), enc.data(), 64,
                                "abcdefghijklmnop");
  PacketSpec shape{146, 40, 0, 9};
  shape.cipher = kCipherBody;
  nettest::writeAll(peer, MakePacket(shape, std::string(enc.begin(), enc.begin() + n)));
  ASSERT_TRUE(RunMainUntil([&] { return posts.entries.size() == 2; }));
  for (const auto& e : posts.entries) {
    ReceiveRecordView v = e.view();
    EXPECT_EQ(v.requestCode(), 9);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.body), static_cast<size_t>(v.bodyLen)),
              plain);
  }
  GetDataCenter().Init(-1);
}

}  // namespace
