// The watch list's trend reply reader and the small chart's scale.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "core/ByteOrder.h"
#include "core/MiniTrend.h"

namespace {

std::vector<uint8_t> Reply(uint16_t announced, std::vector<uint8_t> fields,
                           const std::vector<int32_t>& values) {
  std::vector<uint8_t> b(14, 0);
  b[0] = 1;
  std::memcpy(b.data() + 1, "600000\0\0", 8);
  WriteLE16(b.data() + 11, announced);
  b[13] = static_cast<uint8_t>(fields.size());
  for (uint8_t f : fields) b.push_back(f);  // a range insert trips GCC 12 -O2 bounds checks
  for (int32_t v : values) {
    uint8_t w[4];
    WriteLE32(w, static_cast<uint32_t>(v));
    b.insert(b.end(), w, w + 4);
  }
  return b;
}

TEST(MiniTrendReply, TakesOnlyThePointsTheBodyHolds) {
  // Head, field list and three points; the head's count decides when the body holds more.
  auto body = Reply(3, {6}, {100, 2, -1, 7});
  MiniTrendReply r;
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  EXPECT_EQ(uint8_t{r.head.market}, 1);
  EXPECT_STREQ(r.head.code, "600000");
  EXPECT_EQ(uint16_t{r.head.count}, 3);
  EXPECT_EQ(r.count, 3);
  EXPECT_EQ(r.points, body.data() + 15);

  // A count that lies past the body keeps the whole points inside it (a torn last one too).
  body = Reply(500, {6}, {100, 2});
  body.push_back(0xAA);
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  EXPECT_EQ(uint16_t{r.head.count}, 500);
  EXPECT_EQ(r.count, 2);

  // Never more than the chart holds.
  body = Reply(2000, {6}, std::vector<int32_t>(2000, 1));
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  EXPECT_EQ(r.count, kMiniTrendCapacity);

  // No points at all is a valid, empty reply.
  body = Reply(0, {}, {});
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  EXPECT_EQ(r.count, 0);
}

TEST(MiniTrendReply, RefusesAHeadOrFieldListThatDoesNotFit) {
  MiniTrendReply r;
  auto body = Reply(1, {6}, {5});
  EXPECT_FALSE(ParseMiniTrendReply(body.data(), 13, &r));
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(r.points, nullptr);
  // The field list says 200 ids but only 4 bytes follow.
  body[13] = 200;
  EXPECT_FALSE(ParseMiniTrendReply(body.data(), body.size(), &r));
  EXPECT_EQ(r.count, 0);
  EXPECT_FALSE(ParseMiniTrendReply(nullptr, 40, &r));
}

TEST(MiniTrendPoints, SumsChangesScalesAndClamps) {
  auto body = Reply(4, {6}, {1000, 5, -15, 0});
  MiniTrendReply r;
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  int32_t out[4];
  ASSERT_EQ(AccumulateMiniTrend(r.points, r.count, 10, out, 4), 4);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(out[1], 10050);
  EXPECT_EQ(out[2], 9900);
  EXPECT_EQ(out[3], 9900);

  // Changes that would wrap a 32-bit sum stay at the ends of the range instead.
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  body = Reply(4, {6}, {kMax, kMax, kMin, kMin});
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  ASSERT_EQ(AccumulateMiniTrend(r.points, r.count, 1, out, 4), 4);
  EXPECT_EQ(out[0], kMax);
  EXPECT_EQ(out[1], kMax);      // 2 x max, clamped
  EXPECT_EQ(out[2], kMax - 1);  // back inside: the sum itself was kept exact
  EXPECT_EQ(out[3], -2);
  body = Reply(1, {6}, {kMax});
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  ASSERT_EQ(AccumulateMiniTrend(r.points, r.count, 10000, out, 4), 1);
  EXPECT_EQ(out[0], kMax);

  // The output's room bounds what is written.
  body = Reply(4, {6}, {1, 1, 1, 1});
  ASSERT_TRUE(ParseMiniTrendReply(body.data(), body.size(), &r));
  EXPECT_EQ(AccumulateMiniTrend(r.points, r.count, 1, out, 2), 2);
}

TEST(MiniTrendScale, SymmetricAroundThePreviousClose) {
  int32_t off[3];
  // Up 10%: the top of the chart; the previous close at mid-height; down 10% at the bottom.
  const int32_t prices[] = {110000, 100000, 90000};
  MiniTrendOffsets(prices, 3, 105000, 95000, 100000, 60.0f, off);
  EXPECT_EQ(off[0], -60);
  EXPECT_EQ(off[1], -30);
  EXPECT_EQ(off[2], 0);

  // The day's high widens the range past the points.
  const int32_t mid[] = {100000};
  MiniTrendOffsets(mid, 1, 120000, 100000, 100000, 60.0f, off);
  EXPECT_EQ(off[0], -30);

  // A flat day: the range is a hundredth of the previous close, the curve at mid-height.
  MiniTrendOffsets(mid, 1, 100000, 100000, 100000, 60.0f, off);
  EXPECT_EQ(off[0], -30);

  // All prices 0: a fixed range, still mid-height, no division by zero.
  const int32_t zero[] = {0};
  MiniTrendOffsets(zero, 1, 0, 0, 0, 60.0f, off);
  EXPECT_EQ(off[0], -30);

  // Extreme values stay on the chart.
  const int32_t wild[] = {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
  MiniTrendOffsets(wild, 2, 0, 0, std::numeric_limits<int32_t>::min(), 60.0f, off);
  for (int i = 0; i < 2; ++i) {
    EXPECT_GE(off[i], -60);
    EXPECT_LE(off[i], 0);
  }
}

TEST(MiniTrendReply, ReplaysFuzzInputs) {
  const auto dir = std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz/mini_trend";
  ASSERT_TRUE(std::filesystem::is_directory(dir));
  int seen = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    std::ifstream f(e.path(), std::ios::binary);
    std::vector<uint8_t> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ++seen;
    if (in.size() < 13) continue;
    MiniTrendReply r;
    if (!ParseMiniTrendReply(in.data() + 13, in.size() - 13, &r)) continue;
    EXPECT_LE(r.points + 4 * static_cast<size_t>(r.count), in.data() + in.size());
    std::vector<int32_t> prices(kMiniTrendCapacity), off(kMiniTrendCapacity);
    const int n = AccumulateMiniTrend(r.points, r.count, 100, prices.data(), kMiniTrendCapacity);
    MiniTrendOffsets(prices.data(), n, 0, 0, 100000, 60.0f, off.data());
  }
  EXPECT_GT(seen, 0);
}

}  // namespace
