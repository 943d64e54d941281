// New York's open as Beijing reads it, on sessions either side of each daylight-saving switch.
#include <gtest/gtest.h>

#include "core/NewYorkClock.h"

namespace {

struct Session {
  int date;
  int beijingOpen;  // minute of day of New York's 09:30 in Beijing
};

TEST(NewYorkClock, TheOpenMovesWithNewYorksDaylightSaving) {
  // 2026: summer time from Sunday 8 March to Sunday 1 November.
  // 2027: from Sunday 14 March to Sunday 7 November.
  // 2024 (a leap year): from Sunday 10 March to Sunday 3 November.
  // 2006 (the older rule): from Sunday 2 April to Sunday 29 October.
  for (const Session& s : {
           Session{20260105, 22 * 60 + 30}, Session{20260306, 22 * 60 + 30},
           Session{20260307, 22 * 60 + 30}, Session{20260308, 21 * 60 + 30},
           Session{20260309, 21 * 60 + 30}, Session{20260710, 21 * 60 + 30},
           Session{20261030, 21 * 60 + 30}, Session{20261031, 21 * 60 + 30},
           Session{20261101, 22 * 60 + 30}, Session{20261102, 22 * 60 + 30},
           Session{20261209, 22 * 60 + 30}, Session{20271231, 22 * 60 + 30},
           Session{20270312, 22 * 60 + 30}, Session{20270315, 21 * 60 + 30},
           Session{20271105, 21 * 60 + 30}, Session{20271108, 22 * 60 + 30},
           Session{20240308, 22 * 60 + 30}, Session{20240311, 21 * 60 + 30},
           Session{20240229, 22 * 60 + 30}, Session{20241101, 21 * 60 + 30},
           Session{20241104, 22 * 60 + 30}, Session{20060331, 22 * 60 + 30},
           Session{20060403, 21 * 60 + 30}, Session{20060313, 22 * 60 + 30},
           Session{20061027, 21 * 60 + 30}, Session{20061030, 22 * 60 + 30},
           Session{20061103, 22 * 60 + 30},
       }) {
    EXPECT_EQ(NewYorkMinuteInBeijing(9 * 60 + 30, s.date), s.beijingOpen) << s.date;
  }
}

TEST(NewYorkClock, TimesPastMidnightWrapAndNoDateGivesNone) {
  // The 16:00 close is the next morning in Beijing.
  EXPECT_EQ(NewYorkMinuteInBeijing(16 * 60, 20261209), 5 * 60);
  EXPECT_EQ(NewYorkMinuteInBeijing(16 * 60, 20260710), 4 * 60);
  for (int date : {0, -20261209, 20261301, 20260230, 20250229, 20261200, 99991232, 18991231})
    EXPECT_EQ(NewYorkMinuteInBeijing(570, date), -1) << date;
  EXPECT_EQ(NewYorkMinuteInBeijing(570, 20240229), 22 * 60 + 30);
}

}  // namespace
