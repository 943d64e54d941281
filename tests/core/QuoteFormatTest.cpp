// Number formatting, colours and the text and colour of every displayed quote field.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "core/QuoteFieldTable.h"
#include "core/QuoteFormat.h"
#include "tests/core/QuoteWire.h"

namespace {

std::string Price(int32_t price, int decimals, int32_t reference) {
  return FormatPriceString(price, 8, decimals, reference);
}
std::string CN(int64_t v, int width = 6) {
  char buf[100];
  FormatVolumeCN(v, buf, sizeof buf, width);
  return buf;
}
std::string EN(int64_t v, int width = 6) {
  char buf[100];
  FormatVolumeEN(v, buf, sizeof buf, width);
  return buf;
}

TEST(NumberFormat, PriceDecimalsByMagnitude) {
  struct {
    int32_t price;
    int decimals;
    int32_t reference;
    const char* text;
  } cases[] = {
      {123456789, 2, 0, "12345.7"},
      {100000000, 4, 0, "10000.0"},
      {99990000, 4, 0, "9999.00"},
      {10000000, 4, 0, "1000.00"},
      {9999999, 4, 0, "1000.000"},
      {1000000, 4, 0, "100.000"},
      {999999, 4, 0, "99.9999"},
      {123456, 2, 0, "12.35"},
      {0, 2, 0, "----"},
      {0, 2, 5, "0.00"},
      {-2000, 2, 0, "-0.20"},
      {123456, 0, 0, "12"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Price(c.price, c.decimals, c.reference), c.text) << c.price;
  }
  EXPECT_EQ(FormatRateString(0, 2), "----");
  EXPECT_EQ(FormatRateString(kEmptyValue, 2), "----");
  EXPECT_EQ(FormatRateString(15000, 2), "1.50");
  EXPECT_EQ(FormatRateString(15000, 3), "1.500");
}

TEST(NumberFormat, ChineseUnits) {
  struct {
    int64_t v;
    int width;
    const char* text;
    int level;
  } cases[] = {
      {123456, 6, "12.3万", 1}, {9999, 6, "9999", 0},           {0, 6, "----", 0},
      {-50000, 6, "-5万", 1},   {10000, 6, "1万", 1},           {12345, 6, "1.23万", 1},
      {1234567, 6, "123万", 1}, {123456789012, 6, "1235亿", 2}, {120000000, 6, "1.2亿", 2},
      {-9999, 6, "-9999", 0},
  };
  for (const auto& c : cases) {
    char buf[100];
    EXPECT_EQ(FormatVolumeCN(c.v, buf, sizeof buf, c.width), c.level) << c.v;
    EXPECT_EQ(std::string(buf), c.text) << c.v;
  }
  // The extremes stay inside the buffer.
  EXPECT_FALSE(CN(INT64_MIN).empty());
  EXPECT_FALSE(CN(INT64_MAX).empty());
  char tiny[4];
  FormatVolumeCN(123456789, tiny, sizeof tiny, 6);
  EXPECT_LT(std::strlen(tiny), sizeof tiny);
}

TEST(NumberFormat, EnglishUnits) {
  struct {
    int64_t v;
    const char* text;
  } cases[] = {{1234567, "1235K"}, {9999, "9999"},   {10000, "10K"},  {1234567890, "1235M"},
               {0, "----"},        {-1500, "-1500"}, {99999, "100K"}, {9999999999, "10B"}};
  for (const auto& c : cases) EXPECT_EQ(EN(c.v), c.text) << c.v;
  EXPECT_FALSE(EN(INT64_MAX).empty());
  EXPECT_FALSE(EN(INT64_MIN).empty());
}

TEST(NumberFormat, VolumeAndAmountByMarket) {
  EXPECT_EQ(FormatVolumeString(1, 1234567, 100, 6), "1.23万");   // lots of 100
  EXPECT_EQ(FormatVolumeString(1, 1234567, 0, 6), "1.23万");     // unit 0 means 100
  EXPECT_EQ(FormatVolumeString(3, 1234567, 100, 6), "1235K");    // HK: shares, English units
  EXPECT_EQ(FormatAmountString(3, 123456700, 100, 6), "1235K");  // amounts are divided
  EXPECT_EQ(FormatAmountString(2, 987654321, 100, 6), "988万");
  EXPECT_EQ(FormatVolumeString(1, INT64_MAX, 1, 6).empty(), false);
}

TEST(NumberFormat, RatiosAndPercentages) {
  EXPECT_EQ(CalcRatio(0, 5, 0), kEmptyValue);
  EXPECT_EQ(CalcRatio(3, 0, 1), 0);
  EXPECT_EQ(CalcRatio(1, 3, 0), 3333);
  EXPECT_EQ(CalcRatio(-1, 3, 0), -3333);
  EXPECT_EQ(CalcRatio(2, 3, 0), 6667);
  EXPECT_EQ(CalcRatio(-2, 3, 0), -6667);
  EXPECT_EQ(CalcRatio(INT32_MAX, 1, 0), INT32_MAX);  // saturates, never undefined
  EXPECT_EQ(CalcRatio64(0, 5), kEmptyValue);
  EXPECT_EQ(CalcRatio64(5, 0), kEmptyValue);
  EXPECT_EQ(CalcRatio64(50000, 2000000), 250);

  EXPECT_EQ(FormatValueString(0, 100, 0), "----");
  EXPECT_EQ(FormatValueString(1, 3, 0), "33.33%");
  EXPECT_EQ(FormatValueString(0, 3, 1), "0.00%");

  EXPECT_EQ(FormatChangePercent(0, 0, false, false), "---- ");
  EXPECT_EQ(FormatChangePercent(kEmptyValue, 0, true, true), "---- ");
  EXPECT_EQ(FormatChangePercent(0, 1000, false, false), "0.00");
  EXPECT_EQ(FormatChangePercent(123, 1000, true, true), "+1.23%");
  EXPECT_EQ(FormatChangePercent(-123, 1000, true, true), "-1.23%");
  EXPECT_EQ(FormatPercentString(0, 0), "---- ");
  EXPECT_EQ(FormatPercentString(0, 1), "0.00%");
  EXPECT_EQ(FormatPercentString(250, 0), "2.50%");
  EXPECT_EQ(FormatPercent(0, 5, true), "----");
  EXPECT_EQ(FormatPercent(1, 8, true), "12.50%");
  EXPECT_EQ(FormatPercent(1, 8, false), "12.50");
}

// The no-value mark is shown empty whatever reference or flag comes with it: a latest price
// beside an empty turnover must not turn the mark into -21474836.48.
TEST(NumberFormat, NoValueMarkIsNeverPrintedAsANumber) {
  const int64_t wideMark = kEmptyValue;
  for (int32_t reference : {0, 1000, kEmptyValue}) {
    SCOPED_TRACE(reference);
    EXPECT_EQ(FormatChangePercent(kEmptyValue, reference, false, false), "---- ");
    EXPECT_EQ(FormatChangePercent(kEmptyValue, reference, true, true), "---- ");
    EXPECT_EQ(Price(kEmptyValue, 2, reference), "----");
  }
  EXPECT_EQ(FormatPercentString(kEmptyValue, 0), "---- ");
  EXPECT_EQ(FormatPercentString(kEmptyValue, 1000), "---- ");
  EXPECT_EQ(FormatValueString(kEmptyValue, 100000, 102000), "----");
  EXPECT_EQ(FormatValueString(2000, kEmptyValue, 102000), "----");
  for (int64_t mark : {INT64_MIN, wideMark}) {
    SCOPED_TRACE(mark);
    EXPECT_EQ(CN(mark), "----");
    EXPECT_EQ(EN(mark), "----");
    for (uint8_t market : {1, 3}) {
      EXPECT_EQ(FormatVolumeString(market, mark, 100, 6), "----");
      EXPECT_EQ(FormatAmountString(market, mark, 100, 6), "----");
    }
    EXPECT_EQ(FormatPercent(mark, 5, true), "----");
    EXPECT_EQ(FormatPercent(5, mark, true), "----");
  }
  // Real values next to the mark keep their text.
  EXPECT_EQ(FormatChangePercent(kEmptyValue + 1, 1000, false, false), "-21474836.47");
  EXPECT_EQ(CN(wideMark + 1), "-21亿");
}

TEST(NumberFormat, HongKongPriceStepsAtEveryBandEdge) {
  struct {
    const char* text;
    bool up;
    const char* moved;
  } cases[] = {
      {"0.01", true, "0.011"},     {"0.011", false, "0.010"},   {"0.25", true, "0.255"},
      {"0.25", false, "0.249"},    {"0.251", true, "0.255"},    {"0.5", true, "0.510"},
      {"0.50", false, "0.495"},    {"2.50", true, "2.510"},     {"10", true, "10.020"},
      {"10.00", false, "9.990"},   {"20", true, "20.050"},      {"20", false, "19.980"},
      {"100", true, "100.100"},    {"100", false, "99.950"},    {"200", true, "200.200"},
      {"200", false, "199.900"},   {"500", true, "500.500"},    {"500", false, "499.800"},
      {"1000", true, "1001.000"},  {"1000", false, "999.500"},  {"2000", true, "2002.000"},
      {"2000", false, "1999.000"}, {"5000", true, "5005.000"},  {"5000", false, "4998.000"},
      {"9995", true, "9995.000"},  {"9995", false, "9990.000"}, {"3.123456", true, "3.130"},
      {"", true, "0.001"},         {"abc", false, "0.000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatHKPrice3(c.text, c.up), c.moved) << c.text << (c.up ? " up" : " down");
  }
  EXPECT_EQ(FormatHKPrice3(nullptr, false), "0.000");
  EXPECT_FALSE(FormatHKPrice3("99999999999999999999", true).empty());
}

TEST(QuoteColours, UpDownAndMainForceBands) {
  EXPECT_EQ(GetUpDownColor(1), kColorUp);
  EXPECT_EQ(GetUpDownColor(-1), kColorDown);
  EXPECT_EQ(GetUpDownColor(0), kColorWhite);
  EXPECT_EQ(GetUpDownColorRef(0, -5), kColorWhite);
  EXPECT_EQ(GetUpDownColorRef(5, 4), kColorUp);
  EXPECT_EQ(GetUpDownColorRef(5, 6), kColorDown);
  EXPECT_EQ(GetLightBlueColor(), (QuoteColor{56, 187, 255, 255}));
  EXPECT_EQ(GetLightBlueColor2(), GetLightBlueColor());
  EXPECT_EQ(GetPaleYellowColor(), (QuoteColor{238, 236, 129, 255}));
  EXPECT_EQ(GetPaleYellowColor2(), GetPaleYellowColor());

  const QuoteColor grey{110, 110, 110, 255};
  struct {
    int32_t v;
    QuoteColor c;
  } bands[] = {
      {0, grey},
      {1, {150, 0, 0, 255}},
      {200000, {150, 0, 0, 255}},
      {200001, {180, 0, 0, 255}},
      {400000, {180, 0, 0, 255}},
      {400001, {255, 0, 0, 255}},
      {700000, {255, 0, 0, 255}},
      {700001, {255, 0, 255, 255}},
      {1000000, {255, 0, 255, 255}},
      {1000001, grey},
      {-1, {0, 90, 0, 255}},
      {-200000, {0, 90, 0, 255}},
      {-200001, {0, 180, 0, 255}},
      {-400001, {0, 255, 0, 255}},
      {-700000, {0, 255, 0, 255}},
      {-700001, {0, 255, 255, 255}},
      {-1000000, {0, 255, 255, 255}},
      {-1000001, grey},
      {INT32_MIN, grey},
  };
  for (const auto& b : bands) EXPECT_EQ(GetMMQColor(b.v), b.c) << b.v;

  // Every band reads on the lists' background (#11161D, #12171E) at 1.8 : 1 or better, the
  // positive bands grow lighter as the value grows, and so do the negative ones.
  auto luminance = [](const QuoteColor& c) {
    auto channel = [](int v) {
      double s = v / 255.0;
      return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
  };
  for (const QuoteColor& background : {QuoteColor{17, 22, 29, 255}, QuoteColor{18, 23, 30, 255}}) {
    for (const auto& b : bands) {
      double contrast = (luminance(GetMMQColor(b.v)) + 0.05) / (luminance(background) + 0.05);
      EXPECT_GE(contrast, 1.8) << b.v;
    }
  }
  const int32_t rising[] = {1, 200001, 400001};
  const int32_t falling[] = {-1, -200001, -400001};
  for (int i = 0; i + 1 < 3; ++i) {
    EXPECT_LT(luminance(GetMMQColor(rising[i])), luminance(GetMMQColor(rising[i + 1])));
    EXPECT_LT(luminance(GetMMQColor(falling[i])), luminance(GetMMQColor(falling[i + 1])));
  }
}

TEST(QuoteTests, MarketsAndFieldGroups) {
  for (int m = 0; m < 12; ++m) {
    EXPECT_EQ(IsMarketType467(m), m == 4 || m == 6 || m == 7) << m;
    EXPECT_EQ(IsMarketType5610(m), m == 5 || m == 6 || m == 10) << m;
  }
  for (int id : {1, 48, 50, 186}) EXPECT_TRUE(IsFieldGroupA(id));
  for (int id : {2, 49, 51, 187}) EXPECT_TRUE(IsFieldGroupB(id));
  EXPECT_FALSE(IsFieldGroupA(2));
  EXPECT_FALSE(IsFieldGroupB(1));
  tagLocalStockData rec = Zeroed();
  rec.market = 6;
  EXPECT_TRUE(IsMarket467(rec));
  const char* texts[] = {"  ", "SH", "SZ", "HK", "  "};
  for (uint8_t m = 0; m < 5; ++m) {
    rec.market = m;
    EXPECT_EQ(MarketTextOfStock(rec), texts[m]);
  }
}

TEST(QuoteText, Utf16AndAsciiBuffers) {
  char16_t units[5];
  EXPECT_EQ(NSStringToUnichars("浦发银行ABC", units, 5), 4);
  EXPECT_EQ(std::u16string(units), u"浦发银行");
  EXPECT_EQ(UnicharsToNSString(units, 5), "浦发银行");
  const char16_t full[3] = {u'a', u'b', u'c'};  // no terminating 0: bounded by the capacity
  EXPECT_EQ(UnicharsToNSString(full, 3), "abc");
  EXPECT_EQ(UnicharsToNSString(nullptr, 3), "");
  char buf[4];
  EXPECT_EQ(NSStringToCString("abcdef", buf, sizeof buf), 3);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(NSStringToCString("万", buf, sizeof buf), -1);
  EXPECT_STREQ(buf, "");
}

TEST(QuoteText, StockKeysFromDictionaries) {
  foundation::Value list;
  for (auto [code, market, type] :
       {std::tuple{"600000", 1, 1}, {"1234567890", 2, 3}, {"X", 3, 0}}) {
    foundation::Value entry;
    entry["StockCode"] = code;
    entry["Market"] = market;
    entry["StockType"] = type;
    list.append(entry);
  }
  tagCodeItem items[2];
  std::memset(items, 0xFF, sizeof items);
  ASSERT_EQ(FillStockKeys(items, 2, list), 2);
  EXPECT_STREQ(items[0].code, "600000");
  EXPECT_EQ(items[0].market, 1);
  EXPECT_EQ(items[0].zqlb, 1);
  EXPECT_STREQ(items[1].code, "12345678");
  EXPECT_EQ(items[1].reserved[0], 0);
  EXPECT_EQ(FillStockKeys(items, 2, foundation::Value("no list")), 0);
}

tagLocalStockData Sample() {
  tagLocalStockData r = Zeroed();
  r.market = 1;
  SetRecordCode(r, "600000");
  const std::u16string name = u"浦发银行";
  name.copy(r.name, name.size());
  r.pricedot = 2;
  r.unit = 100;
  r.yesterday = 100000;
  r.open = 101000;
  r.high = 105000;
  r.low = 99000;
  r.now = 102000;
  r.volume = 1234567;
  r.amount = 987654321;
  r.realvol = 500;
  r.lb = 15000;
  r.hsl = 123;
  r.syl = 155000;
  r.zd = 2000;
  r.average = 101500;
  r.average_new = 99500;
  r.datetime.Hour = 14;
  r.datetime.Minute = 5;
  r.zf = 200;
  r.swing = 600;
  r.sjl = 21000;
  r.zs_5M = -35;
  r.index_wb = 0;
  r.index_wc = static_cast<int64_t>((static_cast<uint64_t>(0xFFFFFFFBu) << 32) | 150u);
  r.index_qrd = 12;
  r.in = 300000;
  r.upprice = 112200;
  r.downprice = 91800;
  r.buysell10.buy[0].price = 101900;
  r.out = 250000;
  r.ltgb = 1234567890;
  r.ltsz = 123456789012;
  r.zsz = 5000;
  r.mgJZZ = 45600;
  r.MMQ = 1234;
  r.ZLZJ = -5678;
  r.RZJ10 = 10000;
  r.RZJ20 = 123456789;
  r.RNH10 = 7;
  r.ZLLH = -3;
  r.ZRJSJ = 101000;
  r.JRCCS.jrccl = 5000;
  r.JRCCS.zrccl = 4000;
  r.JRCCS.jrjsj = 100500;
  r.KPC[0] = 10;
  r.XKP[0] = 20000;
  r.XKP[1] = 3;
  return r;
}

const QuoteColor Y = kColorPaleYellow, W = kColorWhite, U = kColorUp, D = kColorDown;

struct FieldDisplay {
  uint32_t id;
  const char* text;
  QuoteColor colour;
};

const FieldDisplay kDisplays[] = {
    {1, "10.00", W},     {2, "10.10", U},     {3, "10.50", U},
    {4, "9.90", D},      {5, "10.20", U},     {6, "1.23万", kColorLightBlue},
    {7, "988万", Y},     {8, "5", W},         {10, "600000", W},
    {12, "浦发银行", W}, {14, "1.50", Y},     {15, "1.23", W},
    {16, "15.50", W},    {17, "0.20", U},     {18, "10.15", D},
    {21, "14:05", Y},    {22, "浦发银行", W}, {23, "2.00", U},
    {24, "6.00", W},     {25, "2.10", W},     {26, "-0.35", D},
    {30, "浦发银行", W}, {40, "0.00", W},     {41, "1.50", U},
    {46, "0.12", U},     {62, "3000", D},     {70, "11.22", U},
    {71, "9.18", D},     {72, "10.19", U},    {73, "----", W},
    {75, "2500", U},     {80, "12.3亿", Y},   {81, "", W},
    {83, "----", Y},     {84, "12.3亿", Y},   {85, "50", Y},
    {87, "4.56", D},     {93, "----", W},     {101, "0.12", {150, 0, 0, 255}},
    {102, "-0.568", D},  {103, "0.000", W},   {104, "1.000", U},
    {105, "12345.7", U}, {106, "7", U},       {107, "-3", D},
    {163, "10.10", W},   {501, "5000", Y},    {502, "1000", U},
    {503, "10.05", W},   {504, "4000", Y},    {505, "10", Y},
    {506, "----", Y},    {507, "2万", Y},     {508, "3", Y},
};

TEST(FieldDisplay, TextAndColourOfEveryShownField) {
  const tagLocalStockData r = Sample();
  for (const FieldDisplay& d : kDisplays) {
    EXPECT_EQ(GetFieldString(d.id, r), d.text) << "id " << d.id;
    EXPECT_EQ(GetFieldColor(d.id, r), d.colour) << "id " << d.id;
  }
}

TEST(FieldDisplay, MarketValuesAreHundredthsInEveryMarket) {
  tagLocalStockData r = Sample();
  for (uint8_t market : {1, 3}) {
    r.market = market;
    r.amount = r.ltsz;
    // 1,234,567,890.12 of the currency, like the same amount; Hong Kong volumes stay shares.
    EXPECT_EQ(GetFieldString(84, r), GetFieldString(7, r)) << +market;
    EXPECT_EQ(GetFieldString(84, r), market == 3 ? "1235M" : "12.3亿") << +market;
  }
  r.volume = 1234567;
  EXPECT_EQ(GetFieldString(6, r), "1235K");
}

// Every shown field whose member holds the no-value mark (32-bit, or either 64-bit form) shows no
// number, on a record with a latest price and every other field filled.
TEST(FieldDisplay, NoValueMarkInAnyFieldShowsNoNumber) {
  auto showsNumber = [](const std::string& text) {
    return text.find_first_of("123456789") != std::string::npos;
  };
  for (uint32_t id = 0; id < kQuoteFields.size(); ++id) {
    const QuoteFieldDesc& f = kQuoteFields[id];
    if (f.value != QuoteValue::kI32 && f.value != QuoteValue::kI64) continue;
    const std::vector<int64_t> marks = f.value == QuoteValue::kI32
                                           ? std::vector<int64_t>{kEmptyValue}
                                           : std::vector<int64_t>{kEmptyValue, INT64_MIN};
    for (int64_t mark : marks) {
      tagLocalStockData r = Sample();
      auto* at = reinterpret_cast<uint8_t*>(&r) + f.member;
      if (f.value == QuoteValue::kI32) {
        const int32_t v = static_cast<int32_t>(mark);
        std::memcpy(at, &v, sizeof v);
      } else {
        std::memcpy(at, &mark, sizeof mark);
      }
      const std::string text = GetFieldString(id, r);
      EXPECT_FALSE(showsNumber(text)) << "id " << id << " mark " << mark << ": " << text;
    }
  }
  // The derived open-interest columns, and the change of open interest when either side is empty.
  for (int64_t mark : {int64_t{kEmptyValue}, INT64_MIN}) {
    tagLocalStockData r = Sample();
    r.JRCCS.jrccl = r.JRCCS.zrccl = r.KPC[0] = r.KPC[1] = r.XKP[0] = r.XKP[1] = mark;
    r.JRCCS.jrjsj = kEmptyValue;
    for (uint32_t id = 501; id <= 508; ++id)
      EXPECT_FALSE(showsNumber(GetFieldString(id, r))) << "id " << id << " mark " << mark;
    r = Sample();
    r.JRCCS.zrccl = mark;
    EXPECT_FALSE(showsNumber(GetFieldString(502, r))) << mark;
    r = Sample();
    r.JRCCS.jrccl = mark;
    EXPECT_FALSE(showsNumber(GetFieldString(502, r))) << mark;
  }
}

// A negative figure too small for the decimals shown is zero on the screen: no "-0.000" in a
// main-force column, no "-0.00" rate or "-0.00%" change.
bool IsNegativeZero(const std::string& text) {
  if (text.size() < 2 || text[0] != '-' || text[1] < '0' || text[1] > '9') return false;
  return text.find_first_of("123456789") == std::string::npos;
}

TEST(NumberFormat, AFigureThatRoundsToZeroHasNoMinusSign) {
  EXPECT_EQ(Price(-3, 3, 1000), "0.000");
  EXPECT_EQ(Price(-49, 2, 0), "0.00");
  EXPECT_EQ(Price(-50, 2, 0), "-0.01");  // rounds away from zero: a real figure keeps its sign
  EXPECT_EQ(Price(-4999, 0, 0), "0");
  EXPECT_EQ(FormatRateString(-3, 2), "0.00");
  EXPECT_EQ(FormatRateString(-3, 4), "-0.0003");
  EXPECT_EQ(FormatPercent(-1, 1000000, true), "0.00%");
  EXPECT_EQ(FormatPercent(-1, 1000000, false), "0.00");
  char buf[32];
  FormatFloatFit(0, 6, -0.001, buf, sizeof buf);
  EXPECT_FALSE(IsNegativeZero(buf)) << buf;
  // The empty mark stays; a cut text is not judged by what is left of it.
  EXPECT_EQ(Price(0, 2, 0), "----");
  char tiny[3];
  EXPECT_EQ(FormatPriceDecimals(tiny, sizeof tiny, -3000, 4), 2);
  EXPECT_STREQ(tiny, "-0");

  // Every shown field of a record whose members are all slightly negative.
  for (uint32_t id = 0; id < kQuoteFields.size(); ++id) {
    const QuoteFieldDesc& f = kQuoteFields[id];
    if (f.value != QuoteValue::kI32 && f.value != QuoteValue::kI64) continue;
    for (int64_t small : {-1, -3, -49}) {
      tagLocalStockData r = Sample();
      auto* at = reinterpret_cast<uint8_t*>(&r) + f.member;
      if (f.value == QuoteValue::kI32) {
        const int32_t v = static_cast<int32_t>(small);
        std::memcpy(at, &v, sizeof v);
      } else {
        std::memcpy(at, &small, sizeof small);
      }
      const std::string text = GetFieldString(id, r);
      EXPECT_FALSE(IsNegativeZero(text)) << "id " << id << " value " << small << ": " << text;
    }
  }
}

TEST(FieldDisplay, IdsWithoutARuleAreEmptyAndWhite) {
  const tagLocalStockData r = Sample();
  for (uint32_t id : {0u, 9u, 11u, 13u, 19u, 20u, 27u, 31u, 47u, 86u, 200u, 500u, 509u, 70000u}) {
    EXPECT_EQ(GetFieldString(id, r), "") << id;
    EXPECT_EQ(GetFieldColor(id, r), kColorWhite) << id;
  }
}

TEST(FieldDisplay, ColoursFollowTheLowWordsAndReferences) {
  tagLocalStockData r = Sample();
  // Open interest change: the low 32 bits decide, not the 64-bit sign.
  r.JRCCS.jrccl = (int64_t{1} << 32) - 1;
  r.JRCCS.zrccl = 0;
  EXPECT_EQ(GetFieldColor(502, r), kColorDown);
  // An empty book price stays white whatever yesterday was.
  r.buysell10.sell[0].price = 0;
  r.yesterday = -5;
  EXPECT_EQ(GetFieldColor(73, r), kColorWhite);
  // Prices with nothing known show the empty mark.
  r = Zeroed();
  for (uint32_t id : {1u, 2u, 3u, 4u, 5u, 17u, 163u, 503u})
    EXPECT_EQ(GetFieldString(id, r), "----");
  EXPECT_EQ(GetFieldString(23, r), "---- ");
  EXPECT_EQ(GetFieldString(6, r), "----");
  EXPECT_EQ(GetFieldString(10, r), "");
}

}  // namespace
