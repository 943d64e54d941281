#include "platform/graphics/Blur.h"

#include <algorithm>
#include <cstring>

namespace gfx::detail {
namespace {

// A window's rounded average as a multiply and shift rather than a division per byte: with
// 2^shift / window below 2^32, one 32 x 32 -> 64-bit product per byte, which vectorizes. Exact
// while (sum + window / 2) * window < 2^shift, that is for any sum below 2^31 (they stay below
// 255 * 32767 + 2^19).
class WindowAverage {
 public:
  explicit WindowAverage(uint32_t window) : half_(window / 2) {
    int bits = 0;  // the smallest with window <= 2^bits
    while ((uint64_t{1} << bits) < window) ++bits;
    shift_ = 31 + bits;
    factor_ = static_cast<uint32_t>((uint64_t{1} << shift_) / window + 1);
  }
  // The averages of `count` window sums.
  void operator()(const uint32_t* sums, uint8_t* out, int count) const {
    for (int i = 0; i < count; ++i)
      out[i] = static_cast<uint8_t>((uint64_t{sums[i] + half_} * factor_) >> shift_);
  }

 private:
  uint32_t half_;
  uint32_t factor_;
  int shift_;
};

// Along each row: a running window sum per channel (one add and one subtract per byte, on a copy
// of the row with clear margins), then the averages of the whole row at once.
void blurRows(const uint8_t* in, int inStride, uint8_t* out, int outStride, int width, int height,
              int channels, int radius, BlurBuffers& buffers) {
  const WindowAverage average(2 * static_cast<uint32_t>(radius) + 1);
  // A window reaching past both ends holds the whole row however far it reaches.
  const int reach = std::min(radius, width);
  const int rowBytes = width * channels;
  const int margin = (reach + 1) * channels;
  buffers.row.assign(static_cast<size_t>(rowBytes + 2 * margin), 0);
  buffers.sums.resize(static_cast<size_t>(rowBytes));
  const uint8_t* p = buffers.row.data() + margin;
  uint32_t* sums = buffers.sums.data();
  for (int y = 0; y < height; ++y) {
    std::memcpy(buffers.row.data() + margin, in + static_cast<size_t>(y) * inStride,
                static_cast<size_t>(rowBytes));
    for (int c = 0; c < channels; ++c) {
      // The window of the pixel before the first, then slide it one pixel at a time.
      uint32_t sum = 0;
      for (int x = 0; x < reach; ++x) sum += p[x * channels + c];
      const uint8_t* enter = p + reach * channels + c;
      const uint8_t* leave = p - (reach + 1) * channels + c;
      for (int x = 0; x < width; ++x) {
        const int i = x * channels;
        sum += enter[i] - uint32_t{leave[i]};
        sums[i + c] = sum;
      }
    }
    average(sums, out + static_cast<size_t>(y) * outStride, rowBytes);
  }
}

// Down the columns, all of a row's bytes at once: every step reads and writes whole rows, which
// keeps the work in cache and lets the compiler vectorize it.
void blurColumns(const uint8_t* in, int inStride, uint8_t* out, int outStride, int rowBytes,
                 int height, int radius, BlurBuffers& buffers) {
  const WindowAverage average(2 * static_cast<uint32_t>(radius) + 1);
  const int reach = std::min(radius, height);
  auto row = [&](int y) { return in + static_cast<size_t>(y) * inStride; };
  buffers.sums.assign(static_cast<size_t>(rowBytes), 0);
  uint32_t* sum = buffers.sums.data();
  for (int y = 0; y <= std::min(reach, height - 1); ++y) {
    const uint8_t* r = row(y);
    for (int i = 0; i < rowBytes; ++i) sum[i] += r[i];
  }
  for (int y = 0; y < height; ++y) {
    average(sum, out + static_cast<size_t>(y) * outStride, rowBytes);
    if (y + reach + 1 < height) {
      const uint8_t* r = row(y + reach + 1);
      for (int i = 0; i < rowBytes; ++i) sum[i] += r[i];
    }
    if (y - reach >= 0) {
      const uint8_t* r = row(y - reach);
      for (int i = 0; i < rowBytes; ++i) sum[i] -= r[i];
    }
  }
}

}  // namespace

void boxBlur(const uint8_t* src, uint8_t* dst, int width, int height, int stride, int channels,
             std::span<const int> radii, BlurBuffers& buffers) {
  if (width <= 0 || height <= 0) return;
  const int rowBytes = width * channels;
  if (radii.empty()) {
    for (int y = 0; y < height; ++y)
      std::memcpy(dst + static_cast<size_t>(y) * stride, src + static_cast<size_t>(y) * stride,
                  static_cast<size_t>(rowBytes));
    return;
  }
  // Each pass reads from one buffer and writes another: rows into `first`, then columns into
  // `second` (or, after the last radius, into `dst`), and the next radius reads `second`.
  const size_t bytes = static_cast<size_t>(rowBytes) * height;
  buffers.first.resize(bytes);
  buffers.second.resize(bytes);
  const uint8_t* from = src;
  int fromStride = stride;
  for (size_t i = 0; i < radii.size(); ++i) {
    const int radius = std::max(radii[i], 0);
    blurRows(from, fromStride, buffers.first.data(), rowBytes, width, height, channels, radius,
             buffers);
    const bool last = i + 1 == radii.size();
    blurColumns(buffers.first.data(), rowBytes, last ? dst : buffers.second.data(),
                last ? stride : rowBytes, rowBytes, height, radius, buffers);
    from = buffers.second.data();
    fromStride = rowBytes;
  }
}

}  // namespace gfx::detail
