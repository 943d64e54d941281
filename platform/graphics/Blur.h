// Internal: the box blur that softens shadow masks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gfx::detail {

// Working memory kept between blurs, so that a frame's shadows allocate nothing.
struct BlurBuffers {
  std::vector<uint8_t> first, second, row;
  std::vector<uint32_t> sums;
};

// Blurs rows of 8-bit channels (1 for A8, 4 interleaved for ARGB32) from `src` into `dst`, which
// have the same size and stride and do not overlap: for each radius in turn, one horizontal and
// one vertical pass of a (2 * radius + 1) box over every channel. Pixels past the edges count as
// clear and every output is its window's sum over the whole window, rounded, so edges fade.
// Radii up to 2^19 and sides up to 32767 pixels (Cairo's largest image) are computed exactly.
// Bytes past each row's pixels are left as they are.
void boxBlur(const uint8_t* src, uint8_t* dst, int width, int height, int stride, int channels,
             std::span<const int> radii, BlurBuffers& buffers);

}  // namespace gfx::detail
