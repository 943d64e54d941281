#include <memory>
#include <vector>

#include "core/CoreState.h"
#include "core/MessageTypes.h"
#include "core/SendQueues.h"
#include "messaging/MessageDateFormatter.h"
#include "messaging/MessageServer.h"
#include "messaging/MessageStore.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RunLoop.h"
#include "tests/messaging/MessagingTestSupport.h"

namespace messagingtest {
namespace {

struct NoOwner : MessageStoreOwner {
  int selectedMenuItem() const override { return 2; }
};

struct Heard : MessageServerListener {
  int stored = 0;
  int directory = 0;
  std::vector<std::string> refused;
  void messageStored() override { ++stored; }
  void directoryChanged(bool) override { ++directory; }
  void serverRefused(const std::string& text) override { refused.push_back(text); }
};

// The message server's side on a manual clock, with the packets it queues recorded by child type.
class MessageServerTest : public MessagingTest {
 protected:
  void SetUp() override {
    MessagingTest::SetUp();
    foundation::Clock::setManual();
    SetSendQueueSink([this](SendQueueKind, const uint8_t* packet, int length) {
      if (length > 13) sent.push_back(packet[13]);
    });
    server = std::make_shared<MessageServer>(store, heard);
  }
  void TearDown() override {
    server.reset();
    SetSendQueueSink(nullptr);
    foundation::Clock::setReal();
    MessagingTest::TearDown();
  }
  static void Advance(double seconds) {
    foundation::Clock::advance(seconds);
    auto loop = foundation::RunLoop::main();
    while (loop->runOnce(foundation::kDefaultRunLoopMode, 0)) {
    }
  }

  NoOwner owner;
  MyMessageStore store{&owner};
  Heard heard;
  std::shared_ptr<MessageServer> server;
  std::vector<uint8_t> sent;
};

TEST_F(MessageServerTest, AnAdvisersClientListFollowsTheStaffListOnATimerNotASleep) {
  SetLoginInfo("9001", "900100");
  SetMsgUserType(1);
  server->requestBrokerList();
  // The call returns at once with only the staff list asked for.
  ASSERT_EQ(sent, std::vector<uint8_t>{LoginChild::kAdviserStaff});
  EXPECT_GT(server->requestCode(MessageServer::kStaff), 0);
  EXPECT_EQ(server->requestCode(MessageServer::kClients), -1);
  Advance(MessagingSession::kListPauseSeconds / 2);
  EXPECT_EQ(sent.size(), 1u);
  Advance(MessagingSession::kListPauseSeconds);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1], LoginChild::kAdviserClients);
  EXPECT_GT(server->requestCode(MessageServer::kClients), 0);

  // An investor asks for the one list only.
  sent.clear();
  SetMsgUserType(0);
  server->requestBrokerList();
  Advance(1);
  EXPECT_EQ(sent, std::vector<uint8_t>{LoginChild::kBrokerList});
}

TEST_F(MessageServerTest, AServerGoneBeforeThePauseEndsSendsNothingMore) {
  SetLoginInfo("9001", "900100");
  SetMsgUserType(1);
  server->requestBrokerList();
  server.reset();
  Advance(1);
  EXPECT_EQ(sent, std::vector<uint8_t>{LoginChild::kAdviserStaff});
}

TEST_F(MessageServerTest, TheListGoesOutOncePerShowAndARefusalIsHeard) {
  SetLoginInfo("zhang", "secret");
  server->requestList();
  EXPECT_TRUE(sent.empty()) << "not asked for: the centre was not shown or polled";
  server->poll();
  ASSERT_EQ(sent, std::vector<uint8_t>{LoginChild::kMessageList});
  // The flag went with the request: asking again sends nothing.
  server->requestList();
  EXPECT_EQ(sent.size(), 1u);
  // No user: the poll asks nothing.
  SetLoginInfo("", "");
  server->poll();
  EXPECT_EQ(sent.size(), 1u);
}

TEST_F(MessageServerTest, TheSessionResetStopsThePollAndForgetsSharedState) {
  SetLoginInfo("zhang", "secret");
  server->startPolling();
  EXPECT_TRUE(MessagingSession::shared().isPolling());
  SetSentMessageCount(5);
  SetOffMessageBrokers("7,8");
  MessagingSession::shared().setListPauseSeconds(3);
  MessagingSession::shared().reset();
  EXPECT_FALSE(MessagingSession::shared().isPolling());
  EXPECT_EQ(GetSentMessageCount(), 0u);
  EXPECT_FALSE(GetOffMessageBrokersUTF8().has_value());
  EXPECT_EQ(MessagingSession::shared().listPauseSeconds(), MessagingSession::kListPauseSeconds);
  // A stopped poll sends nothing however long the clock runs.
  Advance(MessageServer::kPollSeconds * 2);
  EXPECT_TRUE(sent.empty());
}

TEST_F(MessageServerTest, ThePollReachesTheCentreThatIsThereNow) {
  SetLoginInfo("zhang", "secret");
  const std::vector<uint8_t> list{LoginChild::kMessageList};
  server->observe();
  server->startPolling();
  Advance(MessageServer::kPollSeconds);
  ASSERT_EQ(sent, list);

  // The centre is replaced (the tab bar rebuilt at a login change): the old one goes, the new one
  // loads and asks for the poll again. The next poll reaches the new one.
  server.reset();
  sent.clear();
  auto replaced = std::make_shared<MessageServer>(store, heard);
  replaced->observe();
  replaced->startPolling();
  EXPECT_TRUE(MessagingSession::shared().isPolling());
  Advance(MessageServer::kPollSeconds);
  ASSERT_EQ(sent, list);
  const int replacedCode = replaced->requestCode(MessageServer::kList);
  EXPECT_GT(replacedCode, 0);

  // A centre opened from the More grid loads but starts no poll: it takes the poll while it is
  // there, and the tab's centre has it back when it goes.
  sent.clear();
  auto more = std::make_shared<MessageServer>(store, heard);
  more->observe();
  Advance(MessageServer::kPollSeconds);
  ASSERT_EQ(sent, list);
  EXPECT_GT(more->requestCode(MessageServer::kList), 0);
  EXPECT_EQ(replaced->requestCode(MessageServer::kList), replacedCode);
  more.reset();
  sent.clear();
  Advance(MessageServer::kPollSeconds);
  ASSERT_EQ(sent, list);
  EXPECT_NE(replaced->requestCode(MessageServer::kList), replacedCode);

  // No centre at all: the poll asks nothing, and a centre that comes later is polled again.
  replaced.reset();
  sent.clear();
  Advance(MessageServer::kPollSeconds * 2);
  EXPECT_TRUE(sent.empty());
  auto later = std::make_shared<MessageServer>(store, heard);
  later->observe();
  Advance(MessageServer::kPollSeconds);
  EXPECT_EQ(sent, list);
}

}  // namespace
}  // namespace messagingtest
