// The arithmetic every screen uses on server values, at the ends of the ranges a well-formed
// answer can reach.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "core/ValueMath.h"

namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

TEST(ValueMath, MarksAreEmptyAndOnlyPricesTreatZeroAsEmpty) {
  EXPECT_TRUE(vmath::IsEmpty(int32_t{0}));
  EXPECT_TRUE(vmath::IsEmpty(kMin32));
  EXPECT_TRUE(vmath::IsEmpty(int64_t{kMin32}));
  EXPECT_TRUE(vmath::IsEmpty(kMin64));
  EXPECT_FALSE(vmath::IsEmpty(kMin32 + 1));
  EXPECT_FALSE(vmath::IsPrice(kMin32));
  EXPECT_TRUE(vmath::IsPrice(kMax32));
  EXPECT_FALSE(vmath::IsMark(int64_t{0}));
  EXPECT_EQ(vmath::MarkToZero(kMin64), 0);
  EXPECT_EQ(vmath::MarkToZero(int64_t{kMin32}), 0);
  EXPECT_EQ(vmath::MarkToZero(kMin64 + 1), kMin64 + 1);
  EXPECT_EQ(vmath::MarkToZero(kMin32), 0);
  EXPECT_EQ(vmath::MarkToZero(int32_t{-7}), -7);
}

TEST(ValueMath, SaturatingArithmeticSticksAtTheEnds) {
  EXPECT_EQ(vmath::SatAdd(kMax64, 1), kMax64);
  EXPECT_EQ(vmath::SatAdd(kMin64, -1), kMin64);
  EXPECT_EQ(vmath::SatAdd(kMax64, kMin64), -1);
  EXPECT_EQ(vmath::SatSub(kMax64, kMin64), kMax64);
  EXPECT_EQ(vmath::SatSub(kMin64, kMax64), kMin64);
  EXPECT_EQ(vmath::SatSub(0, kMin64), kMax64);
  EXPECT_EQ(vmath::SatMul(kMin64, -1), kMax64);
  EXPECT_EQ(vmath::SatMul(kMax64, -2), kMin64);
  EXPECT_EQ(vmath::SatNeg(kMin64), kMax64);
  EXPECT_EQ(vmath::SatAbs(kMin64), kMax64);
  EXPECT_EQ(vmath::Span(kMax64, kMin64 + 1), kMax64);
  EXPECT_EQ(vmath::Span(5, -5), 10);
}

TEST(ValueMath, DeltaOfCumulativeReadingsIgnoresTheMark) {
  EXPECT_EQ(vmath::Delta(kMax64, kMin64 + 1), kMax64);
  EXPECT_EQ(vmath::Delta(kMin64 + 1, kMax64), kMin64);
  EXPECT_EQ(vmath::Delta(kMin64, 100), 0);
  EXPECT_EQ(vmath::Delta(100, kMin64), 0);
  EXPECT_EQ(vmath::Delta(150, 100), 50);
}

TEST(ValueMath, PricesDifferAndMoveWithoutLeavingInt32) {
  EXPECT_EQ(vmath::Diff(kMax32, kMin32), int64_t{kMax32} - kMin32);
  EXPECT_EQ(vmath::Offset32(kMax32 - 5, 30000), kMax32);
  EXPECT_EQ(vmath::Offset32(kMin32 + 5, -30000), kMin32);
  EXPECT_EQ(vmath::Offset32(100, -30), 70);
  EXPECT_EQ(vmath::Narrow32(kMin64), kMin32);
}

TEST(ValueMath, FloatToIntegerIsClampedAndNaNIsZero) {
  EXPECT_EQ(vmath::ClampToInt32(std::nan("")), 0);
  EXPECT_EQ(vmath::ClampToInt32(1e300), kMax32);
  EXPECT_EQ(vmath::ClampToInt32(-1e300), kMin32);
  EXPECT_EQ(vmath::ClampToInt32(-2.7), -2);
  // 2^63 is no int64: the largest double below it still converts.
  EXPECT_EQ(vmath::ClampToInt64(9223372036854775808.0), kMax64);
  EXPECT_EQ(vmath::ClampToInt64(std::nextafter(9223372036854775808.0, 0.0)),
            int64_t{9223372036854774784});
  EXPECT_EQ(vmath::ClampToInt64(-std::numeric_limits<double>::infinity()), kMin64);
  EXPECT_EQ(vmath::Finite(std::nan(""), 3.0), 3.0);
  EXPECT_EQ(vmath::Ratio(1.0, 0.0), 0.0);
  EXPECT_EQ(vmath::Ratio(1e308, 1e-308), 0.0);
}

}  // namespace
