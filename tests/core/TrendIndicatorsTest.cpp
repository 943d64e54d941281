// The indicator sub-chart's arithmetic and texts: main-force direction lines, the cursor point,
// the scale and cursor texts of each indicator and the indicators a security offers.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/TrendIndicators.h"

namespace {

std::vector<tagLocalTrendData> Day(const std::vector<int32_t>& ljzldx) {
  std::vector<tagLocalTrendData> day(kTrendCapacity);
  for (size_t i = 0; i < ljzldx.size(); ++i) day[i].LJZLDX = ljzldx[i];
  return day;
}

TEST(TrendIndicators, MainForceLinesSmoothAndRangeAlwaysHoldsZero) {
  auto lines = std::make_unique<ZLDXLines>();
  auto flat = Day({100, 100, 100});
  CalcZLDXLines(flat.data(), 3, lines.get());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(lines->rows[0][i], 100);
    EXPECT_EQ(lines->rows[1][i], 100);
  }
  EXPECT_EQ(lines->maxValue, 100);
  EXPECT_EQ(lines->minValue, 0);  // all positive: from 0 up

  auto jump = Day({0, 600});
  CalcZLDXLines(jump.data(), 2, lines.get());
  EXPECT_EQ(lines->rows[0][1], 200);  // 600 x 2 / 6
  EXPECT_EQ(lines->rows[1][1], 109);  // 1200 / 11 = 109.09
  EXPECT_EQ(lines->maxValue, 200);
  EXPECT_EQ(lines->minValue, 0);

  // Half away from zero below 0: -5/3 is -2 and -10/11 is -1; the range ends at 0.
  auto fall = Day({0, -5});
  CalcZLDXLines(fall.data(), 2, lines.get());
  EXPECT_EQ(lines->rows[0][1], -2);
  EXPECT_EQ(lines->rows[1][1], -1);
  EXPECT_EQ(lines->minValue, -2);
  EXPECT_EQ(lines->maxValue, 0);

  // A range across 0 is kept as it is.
  auto both = Day({-30, 90});
  CalcZLDXLines(both.data(), 2, lines.get());
  EXPECT_EQ(lines->minValue, -30);
  EXPECT_EQ(lines->maxValue, 10);  // fast: -20 + 30

  // Counts from the chart are bounded to one day block: no write past the rows.
  CalcZLDXLines(flat.data(), 100000, lines.get());
  EXPECT_EQ(lines->rows[0][kTrendCapacity - 1], 0);
  CalcZLDXLines(flat.data(), -4, lines.get());
  EXPECT_EQ(lines->maxValue, 0);
  EXPECT_EQ(lines->minValue, 0);
}

TEST(TrendIndicators, CursorPointFollowsTheChartOrTheDaysLastMinute) {
  _TECHINDEX_CALC_VLAUE v{};
  v.nTradeMinutes = 241;
  v.nTrendNum = 57;
  v.nTouchIndex = 12;
  EXPECT_EQ(TechIndexCursorPoint(v), 12);
  v.nTouchIndex = -1;
  EXPECT_EQ(TechIndexCursorPoint(v), 56);  // cursor off: the last received minute
  v.nTouchPhase = 2;
  EXPECT_EQ(TechIndexCursorPoint(v), 240);  // an earlier day: its last minute
  v.nTouchPhase = 0;
  v.nTrendNum = 0;
  EXPECT_EQ(TechIndexCursorPoint(v), 0);  // empty day
  v.nTouchIndex = 1450;
  EXPECT_EQ(TechIndexCursorPoint(v), 0);
}

TEST(TrendIndicators, ScaleAndCursorTextsPerIndicator) {
  _TECHINDEX_CALC_VLAUE v{};
  v.fMaxVolume = 2000000;
  v.fMaxAmount = 123456789;
  v.fMaxLB = 25000;
  v.fMaxZJLS = 300;
  v.fMinZJLS = -100;
  v.fMaxZL = 50000;
  v.fMinZL = -10000;
  v.fMaxZLZJL = 3000000;
  v.fMinZLZJL = -1000000;
  v.fMaxKPC = 800;
  v.fMinKPC = -200;
  v.fMaxCCL = 90000;
  v.fMinCCL = 10000;
  tagLocalStockData stock{};
  stock.market = 1;
  stock.unit = 100;
  tagLocalTrendData p{};
  p.volume = 4500;
  p.amount = 123456789;
  p.lb = 15000;
  p.BUY_CASH_SPEED = 250;
  p.SELL_CASH_SPEED = -75;
  p.WBZL = 30000;
  p.WSZL = 20000;
  p.ZLZJL = -500000;
  p.kc = 300;
  p.pc = -1250;
  p.ccl = 45000;
  auto lines = std::make_unique<ZLDXLines>();
  lines->rows[0][5] = 1234;
  lines->rows[1][5] = -50;
  lines->maxValue = 2000;
  lines->minValue = -1000;

  auto t = MakeTechIndexTexts(kTechVolume, v, stock, p, *lines, 5);
  EXPECT_EQ(t.top, "2万");
  EXPECT_EQ(t.middle, "1万");
  EXPECT_EQ(t.title, "");
  ASSERT_EQ(t.cursor.size(), 1u);
  EXPECT_EQ(t.cursor[0].text, "VOL: 45");
  EXPECT_EQ(t.cursor[0].offset, 10);
  EXPECT_EQ(t.cursor[0].color, (QuoteColor{238, 236, 129, 255}));

  t = MakeTechIndexTexts(kTechLB, v, stock, p, *lines, 5);
  EXPECT_EQ(t.top, "2.50");
  EXPECT_EQ(t.middle, "1.25");
  EXPECT_EQ(t.cursor[0].text, "量比: 1.50");

  t = MakeTechIndexTexts(kTechZLDX, v, stock, p, *lines, 5);
  EXPECT_EQ(t.top, "");
  EXPECT_EQ(t.middle, "5.00");
  EXPECT_EQ(t.title, "主力动向");
  ASSERT_EQ(t.cursor.size(), 2u);
  EXPECT_EQ(t.cursor[0].text, "x1: 12.34");
  EXPECT_EQ(t.cursor[1].text, "x2: -0.50");
  EXPECT_EQ(t.cursor[1].offset, 115);

  t = MakeTechIndexTexts(kTechZJLS, v, stock, p, *lines, 5);
  EXPECT_EQ(t.middle, "1.00");
  EXPECT_EQ(t.cursor[0].text, "B: 2.50");
  EXPECT_EQ(t.cursor[1].text, "S: -0.75");
  // Two speeds near the int32 limits: the middle label is their true mean.
  _TECHINDEX_CALC_VLAUE wide = v;
  wide.fMaxZJLS = 2000000000;
  wide.fMinZJLS = 2000000000;
  EXPECT_EQ(MakeTechIndexTexts(kTechZJLS, wide, stock, p, *lines, 5).middle, "20000000.00");

  t = MakeTechIndexTexts(kTechMMZL, v, stock, p, *lines, 5);
  EXPECT_EQ(t.title, "总买卖");
  EXPECT_EQ(t.middle, "200");
  EXPECT_EQ(t.cursor[0].text, "B: 300");
  EXPECT_EQ(t.cursor[1].color, (QuoteColor{0, 255, 0, 255}));

  t = MakeTechIndexTexts(kTechZLZJL, v, stock, p, *lines, 5);
  EXPECT_EQ(t.title, "资金流");
  EXPECT_EQ(t.middle, "1万");
  EXPECT_EQ(t.cursor[0].text, "-4999");  // (value + 50) / 100

  t = MakeTechIndexTexts(kTechKPC, v, stock, p, *lines, 5);
  EXPECT_EQ(t.top, "8");
  EXPECT_EQ(t.middle, "3");
  EXPECT_EQ(t.cursor[0].text, "开仓: 3 平仓: -12");

  t = MakeTechIndexTexts(kTechCCL, v, stock, p, *lines, 5);
  EXPECT_EQ(t.top, "900");
  EXPECT_EQ(t.middle, "500");
  EXPECT_EQ(t.cursor[0].text, "持仓量: 450");

  // Amounts are divided by 100 in every market; Hong Kong writes them in K/M/B.
  t = MakeTechIndexTexts(kTechAmount, v, stock, p, *lines, 5);
  EXPECT_EQ(t.top, "123万");
  EXPECT_EQ(t.cursor[0].text, "AMT: 123万");
  stock.market = 3;
  t = MakeTechIndexTexts(kTechAmount, v, stock, p, *lines, 5);
  EXPECT_EQ(t.top, "1235K");
  EXPECT_EQ(t.cursor[0].text, "AMT: 1235K");

  EXPECT_TRUE(MakeTechIndexTexts(9, v, stock, p, *lines, 5).cursor.empty());
}

TEST(TrendIndicators, OfferedListsByMarketTypeAndRight) {
  using L = std::vector<int32_t>;
  EXPECT_EQ(OfferedTechIndexes(4, 0, false), (L{0, 1, 7, 8}));
  EXPECT_EQ(OfferedTechIndexes(7, 0, true), (L{0, 1, 7, 8}));
  EXPECT_EQ(OfferedTechIndexes(6, 0, false), (L{0}));  // the first rule wins
  EXPECT_EQ(OfferedTechIndexes(5, 1, false), (L{0}));
  EXPECT_EQ(OfferedTechIndexes(1, 1, false), (L{0, 1, 2, 5, 6}));
  EXPECT_EQ(OfferedTechIndexes(9, 0, false), (L{0, 1, 2, 5, 6}));
  EXPECT_EQ(OfferedTechIndexes(9, 0, true), (L{0, 1, 2}));
  EXPECT_EQ(OfferedTechIndexes(1, 0, true), (L{0, 1, 2}));
  EXPECT_EQ(OfferedTechIndexes(2, 0, false), (L{0, 1, 2, 3, 4, 5}));
  EXPECT_STREQ(TechIndexTitle(3), "分时主力");
  EXPECT_STREQ(TechIndexTitle(9), "");
}

}  // namespace
