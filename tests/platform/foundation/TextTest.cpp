#include <gtest/gtest.h>

#include "platform/foundation/Text.h"

using namespace foundation;

TEST(Text, Utf8Utf16RoundTripIncludingAstralAndChinese) {
  std::string s = "上证指数 3245.67 \xF0\x9F\x93\x88";
  std::u16string u = utf8ToUtf16(s);
  EXPECT_EQ(u[0], u'上');
  EXPECT_EQ(u.size(), 4u + 1 + 7 + 1 + 2);
  EXPECT_EQ(utf16ToUtf8(u), s);
}

TEST(Text, MalformedInputBecomesReplacementNotCrash) {
  EXPECT_EQ(utf8ToUtf16("a\xE4\xB8"), u"a\uFFFD");
  EXPECT_EQ(utf8ToUtf16("\xC0\x80"), u"\uFFFD");  // overlong
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_FALSE(isValidUtf8("a\xE4\xB8"));
  EXPECT_TRUE(isValidUtf8("证券 \xEF\xBF\xBD"));
}

TEST(Text, StrictAsciiFailsOnAnyNonAscii) {
  EXPECT_EQ(toStrictAscii("13800138000").value(), "13800138000");
  EXPECT_FALSE(toStrictAscii("1380013800０").has_value());
  EXPECT_FALSE(toStrictAscii("\x80").has_value());
}

TEST(Text, FormatGrowsPastSmallBuffer) {
  std::string big(1000, 'x');
  EXPECT_EQ(format("%s-%d", big.c_str(), 42), big + "-42");
  unsigned char le[] = {0x0A, 0x4E, 0x41, 0x00};
  EXPECT_EQ(utf16FromLittleEndian(le, 2), u"\u4E0AA");
}

TEST(Text, Utf8CutsNeverSplitASequence) {
  // "交易" is six bytes: a cut at 4 or 5 falls inside the second character.
  const std::string text = "交易";
  EXPECT_EQ(foundation::utf8Prefix(text, 6), text);
  EXPECT_EQ(foundation::utf8Prefix(text, 5), "交");
  EXPECT_EQ(foundation::utf8Prefix(text, 4), "交");
  EXPECT_EQ(foundation::utf8Prefix(text, 3), "交");
  EXPECT_EQ(foundation::utf8Prefix(text, 2), "");
  EXPECT_EQ(foundation::utf8Prefix("ab交", 3), "ab");
  EXPECT_TRUE(foundation::isValidUtf8(foundation::utf8Prefix("a😀b", 3)));
  // A quote keeps a fitting text whole and marks a cut one.
  EXPECT_EQ(foundation::utf8Quote("abc", 3), "abc");
  EXPECT_EQ(foundation::utf8Quote("ab交易", 4), "ab...");
  EXPECT_EQ(foundation::utf8Quote("", 0), "");
}

TEST(Text, BlankIsWhiteSpaceOnlyOfEveryKindAUserTypes) {
  for (const char* blank : {"", " ", "    ", "\t\n\r ", "\u3000\u3000", "\u00A0 "})
    EXPECT_TRUE(foundation::isBlank(blank)) << blank;
  for (const char* text : {"a", "  意见 ", "\u3000x", "😀", ".", "\xff"})
    EXPECT_FALSE(foundation::isBlank(text)) << text;
}
