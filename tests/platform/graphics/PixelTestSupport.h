// Helpers for exact-pixel assertions on small surfaces.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Image.h"

namespace gfx::testing {

constexpr uint32_t kClear = 0x00000000;
constexpr uint32_t kRed = 0xffff0000;
constexpr uint32_t kGreen = 0xff00ff00;
constexpr uint32_t kBlue = 0xff0000ff;
constexpr uint32_t kBlack = 0xff000000;
constexpr uint32_t kWhite = 0xffffffff;

inline Image render(Size size, const std::function<void(Context&)>& draw, double scale = 1) {
  ImageContext ic(size, scale);
  draw(ic.context());
  return ic.image();
}

// The image as rows of characters: '.' clear, '#' the given colour, '?' anything else.
inline std::string mask(const Image& img, uint32_t colour) {
  std::string out;
  for (int y = 0; y < img.pixelHeight(); ++y) {
    for (int x = 0; x < img.pixelWidth(); ++x) {
      uint32_t p = img.pixelArgb(x, y);
      out += p == kClear ? '.' : p == colour ? '#' : '?';
    }
    out += '\n';
  }
  return out;
}

inline int countPixels(const Image& img, const std::function<bool(uint32_t)>& pred) {
  int n = 0;
  for (int y = 0; y < img.pixelHeight(); ++y)
    for (int x = 0; x < img.pixelWidth(); ++x) n += pred(img.pixelArgb(x, y));
  return n;
}

inline int alphaOf(uint32_t argb) {
  return static_cast<int>(argb >> 24);
}
inline int redOf(uint32_t argb) {
  return static_cast<int>((argb >> 16) & 0xff);
}
inline int greenOf(uint32_t argb) {
  return static_cast<int>((argb >> 8) & 0xff);
}
inline int blueOf(uint32_t argb) {
  return static_cast<int>(argb & 0xff);
}

// Bounding box of pixels with any alpha: x0, y0, x1 (exclusive), y1 (exclusive); all -1 if none.
struct Ink {
  int x0 = -1, y0 = -1, x1 = -1, y1 = -1;
  bool empty() const { return x0 < 0; }
};

inline Ink inkBounds(const Image& img) {
  Ink ink;
  for (int y = 0; y < img.pixelHeight(); ++y)
    for (int x = 0; x < img.pixelWidth(); ++x) {
      if (alphaOf(img.pixelArgb(x, y)) == 0) continue;
      if (ink.empty()) {
        ink = {x, y, x + 1, y + 1};
      } else {
        ink.x0 = std::min(ink.x0, x);
        ink.y0 = std::min(ink.y0, y);
        ink.x1 = std::max(ink.x1, x + 1);
        ink.y1 = std::max(ink.y1, y + 1);
      }
    }
  return ink;
}

}  // namespace gfx::testing
