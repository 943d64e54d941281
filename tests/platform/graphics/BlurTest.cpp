#include "platform/graphics/Blur.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace gfx::detail {
namespace {

// The blur written plainly: every output sums its window afresh, clipped to the image, and
// divides by the whole window, rounding; rows first, then columns, for each radius.
std::vector<uint8_t> plainBlur(std::vector<uint8_t> px, int width, int height, int stride,
                               int channels, const std::vector<int>& radii) {
  auto at = [&](int x, int y, int c) -> uint8_t& {
    return px[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * channels + c];
  };
  for (int r : radii) {
    const int64_t window = 2 * int64_t{r} + 1;
    for (int horizontal = 1; horizontal >= 0; --horizontal) {
      std::vector<uint8_t> out = px;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
          for (int c = 0; c < channels; ++c) {
            int64_t sum = 0;
            const int at0 = horizontal ? x : y, side = horizontal ? width : height;
            for (int k = std::max(0, at0 - r); k <= std::min(side - 1, at0 + r); ++k)
              sum += horizontal ? at(k, y, c) : at(x, k, c);
            out[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * channels + c] =
                static_cast<uint8_t>((sum + window / 2) / window);
          }
      px = out;
    }
  }
  return px;
}

TEST(BlurTest, MatchesThePlainBlurAtEdgesAndForAnyRadius) {
  struct Case {
    int width, height, channels, padding;
    std::vector<int> radii;
    bool saturated;  // every byte 255: the largest sums
  } cases[] = {
      {13, 7, 1, 3, {1, 1, 1}, false},  // the chart line's shadow
      {9, 6, 4, 8, {2, 1, 1}, false},   // colour channels blur apart
      {5, 3, 1, 3, {20}, false},        // the window is wider and taller than the image
      {1, 9, 1, 3, {3, 2}, false},      // a single column
      {11, 1, 4, 0, {4}, false},        // a single row
      {8, 4, 1, 0, {0}, false},         // no blur copies
      {4000, 1, 1, 0, {2500}, true},   {1, 300, 1, 3, {149, 150}, true},
  };
  std::mt19937 rng(11);
  for (const Case& tc : cases) {
    SCOPED_TRACE(testing::Message() << tc.width << "x" << tc.height << " x" << tc.channels
                                    << " first radius " << tc.radii[0]);
    const int stride = tc.width * tc.channels + tc.padding;
    std::vector<uint8_t> src(static_cast<size_t>(stride) * tc.height);
    // Mostly clear with a few shapes, as masks are.
    for (uint8_t& b : src) b = tc.saturated ? 255 : rng() % 4 == 0 ? rng() % 256 : 0;
    std::vector<uint8_t> dst(src.size(), 0xab);
    BlurBuffers buffers;
    boxBlur(src.data(), dst.data(), tc.width, tc.height, stride, tc.channels, tc.radii, buffers);
    const std::vector<uint8_t> expected =
        plainBlur(src, tc.width, tc.height, stride, tc.channels, tc.radii);
    int wrong = 0;
    for (int y = 0; y < tc.height; ++y)
      for (int i = 0; i < stride; ++i) {
        const size_t at = static_cast<size_t>(y) * stride + i;
        // Padding past the pixels is left alone.
        wrong += dst[at] != (i < tc.width * tc.channels ? expected[at] : 0xab);
      }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace gfx::detail
