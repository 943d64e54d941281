#include "core/LineStep.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {
CLineStep Body(const std::string& text) {
  CLineStep b;
  b.Append(text.data(), static_cast<uint32_t>(text.size()));
  return b;
}
}  // namespace

TEST(CLineStep, FindsExactFieldNumbers) {
  CLineStep b = Body(
      "1\x01"
      "5\x02"
      "32\x01"
      "9");
  struct {
    int field;
    const char* want;
  } cases[] = {{1, "5"}, {2, ""}, {32, "9"}, {3, ""}, {12, ""}};
  for (auto c : cases) {
    char out[16];
    std::memset(out, 'q', sizeof out);
    char* end = b.GetValue(c.field, out, sizeof out);
    EXPECT_STREQ(out, c.want) << c.field;
    EXPECT_EQ(end, out + std::strlen(c.want));
  }
  // 12 must not match the tail of 112 nor 21 the head of 212.
  CLineStep c = Body(
      "112\x01"
      "a\x02"
      "212\x01"
      "b\x02"
      "12\x01"
      "c");
  char out[8];
  c.GetValue(12, out, sizeof out);
  EXPECT_STREQ(out, "c");
  c.GetValue(21, out, sizeof out);
  EXPECT_STREQ(out, "");
}

TEST(CLineStep, ValueEndsAtControlBytesAndSize) {
  CLineStep b = Body(
      "7\x01"
      "ab\x03"
      "cd\x02"
      "8\x01"
      "0123456789");
  char out[6];
  b.GetValue(7, out, sizeof out);
  EXPECT_STREQ(out, "ab");
  char* end = b.GetValue(8, out, sizeof out);
  EXPECT_STREQ(out, "01234");
  EXPECT_EQ(end, out + 5);
  EXPECT_EQ(b.GetIntValue(8), 123456789);
  EXPECT_EQ(b.GetIntValue(9), 0);

  CLineStep empty;
  EXPECT_EQ(empty.GetValue(1, out, sizeof out), out);
  EXPECT_STREQ(out, "");
}

TEST(CLineStep, DateTimeValues) {
  CLineStep b;
  AppendStockTimeRecord(b, 3, 20151217, 93000);
  AppendStockTimeRecord(b, 4, 20260102, 150001);
  EXPECT_EQ(std::string(b.GetData(), b.GetSize()),
            "3\x01"
            "20151217 093000\x02"
            "4\x01"
            "20260102 150001");
  int date = 0, time = 0;
  b.GetDateTimeValue(3, &date, &time);
  EXPECT_EQ(date, 20151217);
  EXPECT_EQ(time, 93000);
  b.GetDateTimeValue(5, &date, &time);  // absent: zeros
  EXPECT_EQ(date, 0);
  EXPECT_EQ(time, 0);
}
