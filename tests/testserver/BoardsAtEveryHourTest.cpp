// A board's quote is made of its members' at every hour: in the session, after the close, at
// night before the next open and on the weekend, its change is their average change and its
// volume and amount are theirs.
#include <gtest/gtest.h>

#include <cmath>

#include "testserver/Market.h"

namespace {

struct Hour {
  int32_t date;
  int minute;
  bool closed;
};

TEST(BoardsAtEveryHour, ABoardsChangeVolumeAndAmountAreItsMembers) {
  const Hour hours[] = {{20261208, 10 * 60 + 30, false}, {20261208, 23 * 60, false},
                        {20261209, 90, false},           {20261209, 9 * 60, false},
                        {20261212, 11 * 60, true}};
  for (uint64_t seed : {1ull, 20151217ull}) {
    for (const Hour& h : hours) {
      testserver::Market m(seed, h.date, h.minute, h.closed);
      int boards = 0;
      for (const auto& b : m.securities()) {
        if (b.q.market != testserver::kMarketBoard || b.members.empty()) continue;
        SCOPED_TRACE(testing::Message() << seed << " " << h.date << " " << h.minute << " "
                                        << b.q.code);
        double change = 0;
        int64_t volume = 0, amount = 0;
        for (int i : b.members) {
          const tagLocalStockData& q = m.at(i).q;
          ASSERT_GT(q.yesterday, 0);
          change += static_cast<double>(q.now - q.yesterday) / q.yesterday;
          volume += q.volume;
          amount += q.amount;
        }
        change /= static_cast<double>(b.members.size());
        // The board's price is its previous close moved by the average, on its price step.
        EXPECT_NEAR(static_cast<double>(b.q.now), b.q.yesterday * (1.0 + change),
                    PriceDotToScale(b.q) / 2.0 + 1);
        // Its volume goes out in thousands of lots: the members' sum rounded to them.
        EXPECT_LE(std::llabs(b.q.volume - volume), 100000 / 2);
        EXPECT_EQ(b.q.amount, amount);
        ++boards;
      }
      EXPECT_GT(boards, 10);
    }
  }
}

TEST(BoardsAtEveryHour, ABoardsPastDaysAreItsMembersDays) {
  testserver::Market m(5, 20261209, 10 * 60 + 30);
  int boards = 0;
  for (const auto& b : m.securities()) {
    if (b.q.market != testserver::kMarketBoard || b.members.empty()) continue;
    const auto bars = m.bars(b, 1, 60);
    ASSERT_GE(bars.size(), 60u);
    // Every board's past volumes are its own, day by day (not one figure for every day).
    int64_t first = bars[0].volume;
    bool varies = false;
    for (size_t k = 1; k + 1 < bars.size(); ++k) {
      SCOPED_TRACE(testing::Message() << b.q.code << " " << bars[k].date);
      double change = 0;
      int64_t volume = 0, amount = 0;
      for (int i : b.members) {
        const auto member = m.bars(m.at(i), 1, 60);
        ASSERT_EQ(member.size(), bars.size());
        ASSERT_EQ(member[k].date, bars[k].date);
        // Against its previous close, which an ex-rights event of the day adjusts.
        ASSERT_EQ(member[k].ref == member[k - 1].close || !m.at(i).weights.empty(), true);
        change += static_cast<double>(member[k].close) / member[k].ref - 1;
        volume += member[k].volume;
        amount += member[k].amount;
      }
      change /= static_cast<double>(b.members.size());
      EXPECT_NEAR(static_cast<double>(bars[k].close), bars[k - 1].close * (1 + change),
                  PriceDotToScale(b.q) + 1);
      EXPECT_LE(std::llabs(bars[k].volume - volume), 100000 / 2);
      EXPECT_EQ(bars[k].amount, amount);
      EXPECT_LE(bars[k].low, std::min(bars[k].open, bars[k].close));
      EXPECT_GE(bars[k].high, std::max(bars[k].open, bars[k].close));
      varies = varies || bars[k].volume != first;
    }
    EXPECT_TRUE(varies) << b.q.code;
    ++boards;
  }
  EXPECT_GT(boards, 10);
}

}  // namespace
