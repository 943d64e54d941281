// Keeps the pixels of a view's last drawing, so that a frame whose picture did not change puts
// them back instead of rasterizing every shape again (the screen is drawn whole every frame, so
// a chart is redrawn whenever anything else on its screen changes).
//
// The view describes its picture with a key: every value its drawing reads, and every value the
// drawing writes back on the view (a kept frame is only reused when drawing would change
// nothing). The result is the same to the last pixel as drawing afresh: the kept pixels are only
// used when the surface under the view holds exactly the pixels the kept drawing was made on,
// under the same transform, clip and graphics state, and the texts the kept drawing showed are
// announced again (DrawnTextCollector). Backends that keep no pixels (recordings) always draw.
// (Redrawing only a changed strip, clipped, is not exact: Cairo rasterizes a slanted edge cut by
// the clip a little differently.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Context.h"

namespace gfx {

// Writers of a picture key: a plain value as its bytes, a run of bytes with its length first (so
// that two runs never read as one).
template <typename T>
void PutKey(std::string& key, const T& v) {
  key.append(reinterpret_cast<const char*>(&v), sizeof v);
}

inline void PutKeyBytes(std::string& key, const void* data, size_t size) {
  PutKey(key, size);
  if (size > 0) key.append(static_cast<const char*>(data), size);
}

class PixelCache {
 public:
  // What the last call did (tests and benchmarks read it).
  enum class Outcome { Drawn, Reused };

  // Draws `draw` into `ctx`, or puts back the pixels it drew last time. `rect` (user space)
  // holds everything the drawing paints; a kept frame covers the device pixels it touches.
  Outcome draw(Context& ctx, const Rect& rect, const std::string& key,
               const std::function<void(Context&)>& draw);
  // Forgets the kept pixels.
  void clear();
  Outcome lastOutcome() const { return last_; }

 private:
  // Pixels of the view's device rectangle, row after row.
  struct Pixels {
    std::vector<uint32_t> data;
  };

  std::string key_;                 // the kept frame's key, with the graphics state it was drawn in
  std::string lastKey_;             // the key of the frame before, kept or not
  Pixels before_;                   // the surface before the kept drawing
  Pixels after_;                    // and after it
  std::vector<std::string> texts_;  // the texts it drew (see DrawnTextCollector)
  bool kept_ = false;
  Outcome last_ = Outcome::Drawn;
};

}  // namespace gfx
