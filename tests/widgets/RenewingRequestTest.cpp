#include <vector>

#include "BarsTestSupport.h"
#include "core/NetworkThreads.h"
#include "core/PacketHeader.h"
#include "core/SendQueues.h"
#include "widgets/RenewingRequest.h"

namespace {

using barstest::BarsTest;

// A screen with a request in two parts (a quote and its chart), as the detail pages send it.
struct AskingScreen {
  RenewingRequest live;
  uint16_t counter = 100;
  std::vector<std::vector<uint16_t>> rounds;  // the codes of every round sent
  AskingScreen() : live([this] { ask(); }) {}
  void ask() {
    live.begin();
    rounds.push_back({live.expect(NextRequestCode(counter)), live.expect(NextRequestCode(counter))});
  }
  uint16_t part(int round, int k) const { return rounds.at(static_cast<size_t>(round)).at(static_cast<size_t>(k)); }
};

class RenewingRequestTest : public BarsTest {};

// An error answer keeps what is shown and asks again after a back-off that grows, until an
// answer comes; then it rests. Only the latest round's parts are taken.
TEST_F(RenewingRequestTest, AFailedRoundAsksAgainWithABackOffUntilAnAnswerComes) {
  AskingScreen screen;
  screen.ask();
  EXPECT_FALSE(screen.live.current());
  EXPECT_TRUE(screen.live.takes(screen.part(0, 0)));
  EXPECT_TRUE(screen.live.takes(screen.part(0, 1) | 0x4000));  // the flag bits are not the code
  screen.live.failed();
  advance(0.4);
  EXPECT_EQ(screen.rounds.size(), 1u);
  advance(0.2);
  ASSERT_EQ(screen.rounds.size(), 2u);
  // The first round's answers come late: another request's, they change nothing.
  EXPECT_FALSE(screen.live.takes(screen.part(0, 0)));
  screen.live.failed();
  advance(0.9);
  EXPECT_EQ(screen.rounds.size(), 2u);  // the back-off doubled
  advance(0.2);
  ASSERT_EQ(screen.rounds.size(), 3u);
  for (int k = 0; k < 4; ++k) {
    screen.live.failed();
    advance(3.05);
  }
  EXPECT_EQ(screen.rounds.size(), 7u);  // never longer than the longest back-off
  EXPECT_EQ(screen.live.renewals(), 6);
  // One part answered is not a current answer; both are.
  screen.live.answered(screen.part(6, 0));
  EXPECT_FALSE(screen.live.current());
  screen.live.answered(screen.part(6, 1));
  EXPECT_TRUE(screen.live.current());
  EXPECT_EQ(screen.live.notCurrentSince(), 0);
  advance(60);
  EXPECT_EQ(screen.rounds.size(), 7u);
  // Pushes of the subscription still pass; the back-off starts again from its first step.
  EXPECT_TRUE(screen.live.takes(screen.part(6, 1)));
  screen.ask();
  screen.live.failed();
  advance(0.6);
  EXPECT_EQ(screen.rounds.size(), 9u);
}

// A stalled answer (a server that reads and never answers, a connection that dropped or refused)
// is a failure once the time-out passes; a late answer of the same round before the asking again
// is still taken.
TEST_F(RenewingRequestTest, NoAnswerInTimeAsksAgainAndALateAnswerOfTheRoundIsTaken) {
  AskingScreen screen;
  screen.ask();
  advance(5.9);
  EXPECT_EQ(screen.rounds.size(), 1u);
  advance(0.2);  // timed out; asks again after the first back-off
  EXPECT_EQ(screen.rounds.size(), 1u);
  EXPECT_TRUE(screen.live.takes(screen.part(0, 0)));
  screen.live.answered();
  advance(10);
  EXPECT_EQ(screen.rounds.size(), 1u);
  EXPECT_TRUE(screen.live.current());

  screen.ask();
  advance(6.1);
  advance(0.5);
  ASSERT_EQ(screen.rounds.size(), 3u);
  advance(6.1);
  advance(1.0);
  EXPECT_EQ(screen.rounds.size(), 4u);
  EXPECT_GT(screen.live.notCurrentSince(), 0);
}

// A screen out of sight asks nothing; its next round starts anew. A failure reported after it
// stopped asks nothing either.
TEST_F(RenewingRequestTest, AStoppedScreenNeverAsksAgain) {
  AskingScreen screen;
  screen.ask();
  screen.live.failed();
  screen.live.stop();
  advance(30);
  EXPECT_EQ(screen.rounds.size(), 1u);
  screen.live.failed();
  advance(30);
  EXPECT_EQ(screen.rounds.size(), 1u);
  EXPECT_FALSE(screen.live.active());
  // reset: another item, nothing taken until it asks.
  screen.live.reset();
  EXPECT_FALSE(screen.live.takes(screen.part(0, 0)));
  {
    AskingScreen gone;
    gone.ask();
    gone.live.failed();
  }
  advance(30);  // the timer of a screen that went reaches nobody
}

// The parts of a round replaced while they still wait for their connection never go out: the
// new round's requests are the only ones sent when the connection is back.
TEST_F(RenewingRequestTest, ARoundReplacedWhileQueuedIsWithdrawn) {
  CSocket& quotes = GetCoreSocket(CoreConnection::Quote);
  quotes.ClearBuffers();
  auto queue = [](uint16_t code) {
    std::vector<uint8_t> packet(kPacketHeaderSize + 4, 0);
    const int n = BuildPacket(kMainTypeQuote, 10, 13, 0, code, packet.data(), 4, kCipherNone);
    PushCenterSendQueue(packet.data(), n);
    return n;
  };
  RenewingRequest live;
  live.begin();
  queue(live.expect(0x0101));
  live.begin();
  const int kept = queue(live.expect(0x0102));
  EXPECT_EQ(quotes.GetSendLen(), kept);
  EXPECT_FALSE(live.takes(0x0101));
  EXPECT_TRUE(live.takes(0x0102));
  quotes.ClearBuffers();
}

}  // namespace
