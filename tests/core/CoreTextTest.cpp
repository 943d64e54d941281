#include "core/CoreText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/foundation/Paths.h"

TEST(CoreText, TrimFamily) {
  struct Case {
    const char* in;
    const char* left;
    const char* right;
    const char* both;
  } cases[] = {
      {"  ab c  ", "ab c  ", "  ab c", "ab c"},
      {"ab\n \n", "ab\n \n", "ab", "ab"},
      {"\tab ", "\tab ", "\tab", "\tab"},  // only spaces count on the left
      {"    ", "", "", ""},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    char a[32], b[32], d[32];
    std::strcpy(a, c.in);
    std::strcpy(b, c.in);
    std::strcpy(d, c.in);
    TrimLeft(a);
    TrimRight(b);
    Trim(d);
    EXPECT_STREQ(a, c.left) << c.in;
    EXPECT_STREQ(b, c.right) << c.in;
    EXPECT_STREQ(d, c.both) << c.in;
  }
  char s[] = "line\r\nrest";
  StripNewline(s);
  EXPECT_STREQ(s, "line");
  char t[] = "a\rb\nc";
  StripNewline(t);
  EXPECT_STREQ(t, "a");
}

TEST(CoreText, BoundedCopies) {
  char buf[16];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(StrCopyUntil(buf, "abcdefg", 5, 0), 4);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(StrCopyUntil(buf, "ab:cd", 16, ':'), 2);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(StrCopyUntil(buf, "abc", 1, 0), 0);
  EXPECT_STREQ(buf, "");

  EXPECT_EQ(CopyToken(buf, "   key  = value", 16, '='), 3);
  EXPECT_STREQ(buf, "key");
  EXPECT_EQ(CopyToken(buf, " long token here ", 5, ';'), 4);
  EXPECT_STREQ(buf, "long");
  EXPECT_EQ(CopyToken(buf, "", 5, ';'), 0);
  EXPECT_STREQ(buf, "");
}

TEST(CoreText, GetField) {
  struct Case {
    const char* src;
    int n;
    char sep, end;
    const char* want;
  } cases[] = {
      {"a;b;;c", 1, ';', 0, "a"},    {"a;b;;c", 2, ';', 0, "b"},   {"a;b;;c", 3, ';', 0, ""},
      {"a;b;;c", 4, ';', 0, "c"},    {"a;b;;c", 5, ';', 0, ""},    {" x , y ", 2, ',', 0, "y"},
      {"a,b\nc,d", 3, ',', 0, ""},                                  // the line ends at LF
      {"a,b\nc,d", 2, ',', 0, "b"},  {"a,b|c,d", 3, ',', '|', ""},  // and at the end character
      {"a,b|c,d", 2, ',', '|', "b"}, {"only", 0, ',', 0, ""},
  };
  for (const auto& c : cases) {
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    GetField(c.src, buf, sizeof buf, c.n, c.sep, c.end);
    EXPECT_STREQ(buf, c.want) << c.src << " field " << c.n;
  }
  char small[4];
  GetField("abcdef,g", small, sizeof small, 1, ',', 0);
  EXPECT_STREQ(small, "abc");

  EXPECT_EQ(GetFieldInt("1,-25,x", 2, ',', 0), -25);
  EXPECT_EQ(GetFieldInt("1,-25,x", 3, ',', 0), 0);
  EXPECT_EQ(GetFieldInt("1,99999999999", 2, ',', 0), 2147483647);
}

TEST(CoreText, ParseVersion) {
  struct Case {
    const char* text;
    int want;
  } cases[] = {{"2.5", 25000},     {"2.15", 21500},     {"3", 30000},
               {"3.12345", 31234}, {"10.0001", 100001}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(ParseVersion(c.text), c.want) << c.text;
}

TEST(CoreText, WideConversions) {
  char buf[8];
  EXPECT_EQ(WideToCString(buf, sizeof buf, u"abc", -1), 3);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(WideToCString(buf, sizeof buf, u"abcdefghij", -1), 7);  // cut, terminated
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_EQ(WideToCString(buf, sizeof buf, u"abcdef", 2), 2);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(WideToCString(buf, sizeof buf, u"a股", -1), 0);  // strict ASCII
  EXPECT_STREQ(buf, "");

  EXPECT_EQ(UniStrLen(u"hello"), 5);
  EXPECT_EQ(UniStrLen(nullptr), 0);

  char16_t wide[4];
  EXPECT_EQ(BytesToNSString(wide, 4, "xyz12", -1), 3);
  EXPECT_EQ(std::u16string(wide), u"xyz");
  EXPECT_EQ(BytesToNSString(wide, 4, "q\xC3\xA9", -1), 0);
  EXPECT_EQ(wide[0], 0);
}

TEST(CoreText, Numbers) {
  EXPECT_EQ(StrToInt64("-12a3"), -123);
  EXPECT_EQ(StrToInt64("+7"), 7);
  EXPECT_EQ(StrToInt64("1,234,567,890,123"), 1234567890123LL);
  EXPECT_EQ(StrToInt64(""), 0);
  EXPECT_EQ(WideToInt64(u"12-3"), -123);
  EXPECT_EQ(WideToInt64(u"９9"), 9);  // full-width digits are not digits

  EXPECT_EQ(RoundScaled(1.2345, 100), 123);
  EXPECT_EQ(RoundScaled(1.235, 1000), 1235);
  EXPECT_EQ(RoundScaled(2.5, 1), 3);
  EXPECT_EQ(RoundScaled(-2.5, 1), -3);
  EXPECT_EQ(RoundScaled(-0.00001, 10000), 0);  // just below zero still adds 0.5
  EXPECT_EQ(RoundScaled(1e12, 1), 2147483647);
  EXPECT_EQ(RoundScaled(-1e12, 1), -2147483647 - 1);

  uint32_t a = NextGeneration();
  EXPECT_EQ(NextGeneration(), a + 1);
}

TEST(CoreText, Paths) {
  foundation::setDocumentsDir("/tmp/verdan-coretext-docs");
  char buf[256];
  InitDocumentPath(buf, sizeof buf);
  EXPECT_STREQ(buf, "/tmp/verdan-coretext-docs/");
  EXPECT_STREQ(GetDocumentPath(), "/tmp/verdan-coretext-docs/");
  InitDocumentPath(nullptr, 0);

  MakeFullPath(buf, sizeof buf, "save.cfg");
  EXPECT_STREQ(buf, "/tmp/verdan-coretext-docs/save.cfg");
  MakeFullPath(buf, sizeof buf, "/etc/x.cfg");
  EXPECT_STREQ(buf, "/etc/x.cfg");
  MakeFullPath(buf, sizeof buf, "\\win.cfg");
  EXPECT_STREQ(buf, "\\win.cfg");
  char small[10];
  EXPECT_EQ(MakeFullPath(small, sizeof small, "save.cfg"), 9);
  EXPECT_STREQ(small, "/tmp/verd");
}

// Hong Kong spread table: at every band edge, up uses the band above, down the band below.
TEST(CoreText, HKPriceStep) {
  struct Case {
    int price;
    int up, down;
  } cases[] = {
      {0, 10, 0},
      {100, 110, 90},
      {3000, 3050, 2950},
      {2500, 2550, 2490},
      {5000, 5100, 4950},
      {100000, 100200, 99900},
      {200000, 200500, 199800},
      {1000000, 1001000, 999500},
      {2000000, 2002000, 1999000},
      {5000000, 5005000, 4998000},
      {10000000, 10010000, 9995000},
      {20000000, 20020000, 19990000},
      {50000000, 50050000, 49980000},
      {99900000, 99950000, 99850000},
      {99950000, 99950000, 99900000},  // the top edge only moves down
      {99990000, 99990000, 99990000},  // beyond the table
      {3013, 3050, 2950},              // off-grid prices snap to the step
      {123456, 123600, 123200},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HKPriceStep(c.price, true), c.up) << c.price;
    EXPECT_EQ(HKPriceStep(c.price, false), c.down) << c.price;
  }
}

// The one reader of typed prices and amounts: typos are refused whole, never read in part.
TEST(CoreText, ReadTypedDecimal) {
  struct Case {
    const char* text;
    int decimals, scale;
    bool ok;
    int64_t value;
  } cases[] = {
      {"40.5", 2, 4, true, 405000},
      {"0.01", 2, 4, true, 100},
      {"40", 2, 2, true, 4000},
      {"40.", 2, 2, true, 4000},
      {".5", 2, 2, true, 50},
      {"007", 0, 0, true, 7},
      {"1234567.89", 2, 2, true, 123456789},
      {"999999999999.99", 2, 2, true, 99999999999999},
      {"401..5", 2, 4, false, 0},
      {"1.2.3", 2, 4, false, 0},
      {".", 2, 4, false, 0},
      {"-1", 2, 4, false, 0},
      {"", 2, 4, false, 0},
      {"0.001", 2, 4, false, 0},
      {" 1", 2, 4, false, 0},
      {"1 ", 2, 4, false, 0},
      {"1e5", 2, 4, false, 0},
      {"+1", 2, 4, false, 0},
      {"１２", 2, 4, false, 0},
      {"1000000000001", 2, 2, false, 0},
      {"1.5", 2, 1, false, 0},  // a scale below the decimals is refused
  };
  for (const Case& c : cases) {
    int64_t value = -7;
    EXPECT_EQ(ReadTypedDecimal(c.text, c.decimals, c.scale, &value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : -7) << c.text;
  }
}
