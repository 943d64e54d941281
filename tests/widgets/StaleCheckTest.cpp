// The judge of the screen invariant "stale": a screen without a current answer some seconds after
// the server answered again is stale; one that keeps asking again while its requests fail is not.
#include <gtest/gtest.h>

#include <string>

#include "widgets/StaleCheck.h"

namespace {

Freshness Lacking(double since, int renewals = 0) {
  return Freshness{false, since, renewals};
}

TEST(StaleJudge, AScreenThatStoppedAskingIsStaleTenSecondsAfterTheServerAnswered) {
  StaleJudge judge;
  // Lost its answer at 100; the server away until it answers at 104.
  EXPECT_EQ(judge.judge(Lacking(100), 101, 50), "");
  EXPECT_EQ(judge.judge(Lacking(100), 103, 50), "");
  EXPECT_EQ(judge.judge(Lacking(100), 104.5, 104), "");
  EXPECT_EQ(judge.judge(Lacking(100), 113.9, 113), "");
  const std::string why = judge.judge(Lacking(100), 114.2, 114);
  EXPECT_NE(why.find("10 s after the server answered again"), std::string::npos) << why;
  EXPECT_NE(why.find("for 14 s"), std::string::npos) << why;
  // An answer taken ends it; the next loss starts the count anew.
  EXPECT_EQ(judge.judge(Freshness{true, 0, 0}, 115, 115), "");
  EXPECT_EQ(judge.judge(Lacking(116), 120, 117), "");
  EXPECT_EQ(judge.judge(Lacking(116), 126.9, 126), "");
  EXPECT_NE(judge.judge(Lacking(116), 127.1, 127), "");
}

TEST(StaleJudge, AScreenThatKeepsAskingAgainOrAServerThatStaysAwayIsNotStale) {
  StaleJudge judge;
  // Every request stalls: a time-out and a back-off apart, at most 9 s, it asks again, for a
  // minute, while the server answers other screens.
  int renewals = 0;
  for (double t = 200; t < 260; t += 0.5) {
    if (static_cast<int>(t - 200) % 9 == 0 && t - static_cast<int>(t) == 0) ++renewals;
    EXPECT_EQ(judge.judge(Lacking(200, renewals), t, t - 0.2), "") << t;
  }
  // The server answers nothing at all: whatever the screen does, it is not to blame.
  StaleJudge away;
  for (double t = 300; t < 400; t += 1) EXPECT_EQ(away.judge(Lacking(300), t, 250), "") << t;
  // A screen that never asked (nothing to show yet) is not judged.
  StaleJudge never;
  EXPECT_EQ(never.judge(Freshness{false, 0, 0}, 500, 499), "");
  EXPECT_EQ(never.judge(Freshness{false, 0, 0}, 600, 599), "");
}

}  // namespace
