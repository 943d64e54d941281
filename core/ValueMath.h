// Arithmetic on values that come from a server or a stored file. A well-formed answer may carry
// any 32- or 64-bit value, including the "no value" marks 0 and 0x80000000 (and their 64-bit
// forms); screens compute scales, extremes and differences from such values only through these
// helpers, so no input can overflow, and the marks never reach a scale.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace vmath {

constexpr int32_t kEmpty32 = INT32_MIN;  // 0x80000000
constexpr int64_t kEmpty64 = INT64_MIN;  // 0x8000000000000000

// True for the "no value" marks: 0, 0x80000000 and the 64-bit forms of the mark (the 32-bit
// mark widened, or INT64_MIN). Use for prices, where 0 also means no value.
constexpr bool IsEmpty(int32_t v) { return v == 0 || v == kEmpty32; }
constexpr bool IsEmpty(int64_t v) { return v == 0 || v == kEmpty32 || v == kEmpty64; }
// The mark alone, for values where 0 is a real value (flows, changes, differences).
constexpr bool IsMark(int32_t v) { return v == kEmpty32; }
constexpr bool IsMark(int64_t v) { return v == kEmpty32 || v == kEmpty64; }

// Saturating 64-bit arithmetic: results beyond the range stick at INT64_MIN / INT64_MAX.
constexpr int64_t SatAdd(int64_t a, int64_t b) {
  int64_t r = 0;
  if (__builtin_add_overflow(a, b, &r)) return b > 0 ? INT64_MAX : INT64_MIN;
  return r;
}
constexpr int64_t SatSub(int64_t a, int64_t b) {
  int64_t r = 0;
  if (__builtin_sub_overflow(a, b, &r)) return b < 0 ? INT64_MAX : INT64_MIN;
  return r;
}
constexpr int64_t SatMul(int64_t a, int64_t b) {
  int64_t r = 0;
  if (__builtin_mul_overflow(a, b, &r)) return ((a < 0) != (b < 0)) ? INT64_MIN : INT64_MAX;
  return r;
}
constexpr int64_t SatNeg(int64_t a) { return a == INT64_MIN ? INT64_MAX : -a; }
constexpr int64_t SatAbs(int64_t a) { return a < 0 ? SatNeg(a) : a; }

// 32-bit values (prices) differ by at most 2^32: exact in 64 bits.
constexpr int64_t Diff(int32_t a, int32_t b) { return int64_t(a) - int64_t(b); }

// Float to integer with NaN as 0 and out-of-range values clamped (a plain cast is undefined
// beyond the range).
template <class Int>
constexpr Int ClampTo(double v) {
  if (v != v) return 0;  // NaN
  constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
  // The largest double below 2^(bits-1): max() itself rounds up to 2^(bits-1) for 64 bits.
  constexpr double hi = -lo;
  if (v <= lo) return std::numeric_limits<Int>::min();
  if (v >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(v);
}
constexpr int32_t ClampToInt32(double v) { return ClampTo<int32_t>(v); }
constexpr int64_t ClampToInt64(double v) { return ClampTo<int64_t>(v); }

// Narrowing a 64-bit result back to 32 bits (a price field), clamped.
constexpr int32_t Narrow32(int64_t v) {
  if (v < INT32_MIN) return INT32_MIN;
  if (v > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(v);
}

// A finite double for drawing: NaN and infinities become `fallback`.
inline double Finite(double v, double fallback = 0.0) { return std::isfinite(v) ? v : fallback; }

// a / b as double, 0 when b is 0 or the result is not finite.
inline double Ratio(double a, double b) {
  if (b == 0) return 0.0;
  const double r = a / b;
  return std::isfinite(r) ? r : 0.0;
}

// A 32-bit price as a scale may use it: the marks (0 and 0x80000000) are no price.
constexpr bool IsPrice(int32_t v) { return !IsEmpty(v); }

// A 64-bit series value (volume, amount, flow, order total) with the mark read as 0: a value
// the server does not know adds nothing to a sum and widens no scale.
constexpr int64_t MarkToZero(int64_t v) { return IsMark(v) ? 0 : v; }
constexpr int32_t MarkToZero(int32_t v) { return IsMark(v) ? 0 : v; }

// The change of a cumulative 64-bit value between two readings, saturating; 0 when either
// reading is the mark (nothing is known about the change then).
constexpr int64_t Delta(int64_t now, int64_t before) {
  return IsMark(now) || IsMark(before) ? 0 : SatSub(now, before);
}

// hi - lo of a scale's bounds, saturating: never negative when hi >= lo.
constexpr int64_t Span(int64_t hi, int64_t lo) { return SatSub(hi, lo); }

// A 32-bit price moved by a 64-bit offset, kept inside the int32 range.
constexpr int32_t Offset32(int32_t price, int64_t by) { return Narrow32(SatAdd(price, by)); }

}  // namespace vmath
