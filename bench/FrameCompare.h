// What the frame benchmarks against the plain programs share: the thread's CPU time (the ratio of
// two programs timed side by side holds on a loaded machine) and a pixel comparison of frames.
#pragma once

#include <cairo.h>
#include <time.h>

#include <cstdint>

namespace plain {

inline double ThreadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Pixels that differ between two ARGB32 surfaces; -1 when their sizes differ.
inline long DifferentPixels(cairo_surface_t* a, cairo_surface_t* b) {
  cairo_surface_flush(a);
  cairo_surface_flush(b);
  const int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  if (w != cairo_image_surface_get_width(b) || h != cairo_image_surface_get_height(b)) return -1;
  long diff = 0;
  for (int y = 0; y < h; ++y) {
    const auto* ra = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(a) +
                                                       y * cairo_image_surface_get_stride(a));
    const auto* rb = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(b) +
                                                       y * cairo_image_surface_get_stride(b));
    for (int x = 0; x < w; ++x) diff += ra[x] != rb[x];
  }
  return diff;
}

}  // namespace plain
