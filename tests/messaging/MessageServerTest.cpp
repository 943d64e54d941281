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
  EXPECT_FALSE(server->needsRequest());
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

}  // namespace
}  // namespace messagingtest
