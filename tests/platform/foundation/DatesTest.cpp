#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Dates.h"

using namespace foundation;

namespace {

// Beijing time without depending on installed zone files.
class Dates : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    hadTz_ = old != nullptr;
    if (old) oldTz_ = old;
    ::setenv("TZ", "CST-8", 1);
    resetTimeZone();
  }
  void TearDown() override {
    if (hadTz_) {
      ::setenv("TZ", oldTz_.c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    resetTimeZone();
  }
  // 2023-11-14 22:13:20 UTC, a Tuesday: 2023-11-15 06:13:20 Wednesday in Beijing.
  const Date kSample{1700000000.125};

 private:
  bool hadTz_ = false;
  std::string oldTz_;
};

TEST_F(Dates, LocalAndUtcComponents) {
  DateComponents local = localComponents(kSample);
  EXPECT_EQ(local, (DateComponents{2023, 11, 15, 6, 13, 20, 125, 4}));
  DateComponents utc = utcComponents(kSample);
  EXPECT_EQ(utc, (DateComponents{2023, 11, 14, 22, 13, 20, 125, 3}));
  EXPECT_EQ(localDateNumber(kSample), 20231115);
  EXPECT_EQ(localTimeNumber(kSample), 61320);
  // Before 1970 the fraction still counts forward from the whole second below.
  EXPECT_EQ(utcComponents(Date{-0.5}), (DateComponents{1969, 12, 31, 23, 59, 59, 500, 4}));
}

TEST_F(Dates, ComponentsBackToDatesCarryOver) {
  EXPECT_DOUBLE_EQ(dateFromLocalComponents(localComponents(kSample)).secondsSince1970,
                   kSample.secondsSince1970);
  EXPECT_DOUBLE_EQ(dateFromUtcComponents(utcComponents(kSample)).secondsSince1970,
                   kSample.secondsSince1970);
  DateComponents c{2023, 13, 1, 9, 30, 0, 0, 0};  // month 13: next January
  EXPECT_EQ(localDateNumber(dateFromLocalComponents(c)), 20240101);
  c = {2024, 2, 30, 0, 0, 0, 0, 0};
  EXPECT_EQ(localDateNumber(dateFromLocalComponents(c)), 20240301);
}

TEST_F(Dates, FormatPatterns) {
  struct Case {
    const char* pattern;
    const char* expected;
  };
  const Case cases[] = {
      {"yyyy-MM-dd HH:mm:ss", "2023-11-15 06:13:20"},
      {"yy/M/d h:m:s", "23/11/15 6:13:20"},
      {"HH:mm:ss.SSS", "06:13:20.125"},
      {"a hh", "上午 06"},
      {"EEE EEEE 星期E", "Wed Wednesday 星期三"},
      {"'Date:' yyyyMMdd 'o''clock'", "Date: 20231115 o'clock"},
      {"''", "'"},
      {"MM月dd日", "11月15日"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatDate(kSample, c.pattern), c.expected) << c.pattern;
  EXPECT_EQ(formatDate(Date{1700000000 + 12 * 3600}, "a h"), "下午 6");
}

TEST_F(Dates, ParseIsTheInverseOfFormatAndRejectsMismatches) {
  auto d = parseDate("2023-11-15 06:13:20", "yyyy-MM-dd HH:mm:ss");
  ASSERT_TRUE(d.has_value());
  EXPECT_DOUBLE_EQ(d->secondsSince1970, 1700000000);
  auto ms = parseDate("20231115 061320.125", "yyyyMMdd HHmmss.SSS");
  ASSERT_TRUE(ms.has_value());
  EXPECT_DOUBLE_EQ(ms->secondsSince1970, kSample.secondsSince1970);
  EXPECT_TRUE(parseDate("2023-1-5", "yyyy-M-d").has_value());
  for (const char* bad :
       {"2023-11-15", "2023-11-15 06:13", "2023-13-15 06:13:20", "2023/11/15 06:13:20",
        "2023-11-15 06:13:20 extra", "abcd-11-15 06:13:20"})
    EXPECT_FALSE(parseDate(bad, "yyyy-MM-dd HH:mm:ss").has_value()) << bad;
}

TEST_F(Dates, CurrentDateFollowsTheManualClock) {
  Clock::setManual();
  Date a = currentDate();
  Clock::advance(90);
  Date b = currentDate();
  Clock::setReal();
  EXPECT_DOUBLE_EQ(b.secondsSince1970 - a.secondsSince1970, 90);
  EXPECT_GT(a.secondsSince1970, 1.6e9);  // a wall-clock date, not a monotonic count
}

}  // namespace
