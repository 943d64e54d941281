// Keeps the pixels of a view's last drawing, so that a frame whose picture did not change puts
// them back instead of rasterizing every shape again (the screen is drawn whole every frame, so
// a chart is redrawn whenever anything else on its screen changes), and a frame whose picture
// changed in places draws only those places again.
//
// The view describes its picture with a key: every value its drawing reads, and every value the
// drawing writes back on the view (a kept frame is only reused when drawing would change
// nothing). A changed key records the drawing as a display list and compares it with the kept
// frame's (see DisplayList.h): the operations that meet the changed pixels are drawn again over
// the background, the kept pixels stay everywhere else. The result is the same to the last pixel
// as drawing afresh: the kept pixels are only used when the surface under the view holds exactly
// the pixels the kept drawing was made on, under the same transform, clip and graphics state, and
// the texts the kept drawing showed are announced again (DrawnTextCollector). Backends that keep
// no pixels (recordings) always draw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/DisplayList.h"

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
  // What the last call did (tests and benchmarks read it): drawn whole, the kept pixels put
  // back, or the changed places drawn again.
  enum class Outcome { Drawn, Reused, Patched };

  // Draws `draw` into `ctx`, or puts back the pixels it drew last time. `rect` (user space)
  // holds everything the drawing paints; a kept frame covers the device pixels it touches.
  Outcome draw(Context& ctx, const Rect& rect, const std::string& key,
               const std::function<void(Context&)>& draw);
  // As draw(), then `overlay` drawn over the picture: what changes often in a small place over a
  // picture that stays (a chart's newest point, a cursor). The whole drawing is the picture, then
  // the overlay. The frame with its overlay is kept too: a frame whose key and overlay key are both
  // unchanged puts it back in one copy; one whose overlay alone changed puts the picture back and
  // draws the overlay straight over it, never recording or patching the picture. The overlay's
  // texts are not noted again on a kept frame: it draws shapes only.
  Outcome drawWithOverlay(Context& ctx, const Rect& rect, const std::string& key,
                          const std::function<void(Context&)>& draw, const std::string& overlayKey,
                          const std::function<void(Context&)>& overlay);
  // Draws `draw` into `ctx` straight, keeping nothing: for a frame the view knows changes nearly
  // everything (a scroll, another period), where recording and keeping would only add cost. The
  // kept pixels are forgotten.
  void drawWhole(Context& ctx, const Rect& rect, const std::function<void(Context&)>& draw);
  // Forgets the kept pixels.
  void clear();
  Outcome lastOutcome() const { return last_; }

  // Checking: every frame put back or patched is drawn whole as well and compared with it; a
  // difference is logged as an error ("frame differs") with its first pixel. On when the
  // environment has VERDAN_VERIFY_FRAMES set (not "0"); tests turn it on here.
  static void setVerifying(bool on);
  static bool verifying();
  // Frames found different since the process started.
  static long differingFrames();

 private:
  // The surface under the view before the kept drawing: one colour (a cleared or filled
  // background, compared without a copy) or every pixel.
  struct Background {
    bool uniform = false;
    uint32_t colour = 0;
    std::vector<uint32_t> pixels;
    void take(const uint32_t* from, int stride, int w, int h);
    bool sameAs(const uint32_t* from, int stride, int w, int h) const;
    void put(uint32_t* to, int stride, int w, int h) const;
  };

  // The device box the view covers, and its place (graphics state, clip and box); false when
  // the surface keeps no pixels or the transform is not upright.
  static bool locate(Context& ctx, const Rect& rect, std::string* place, int box[4],
                     uint32_t** pixels, int* stride);
  // Drops the kept frame and its memory.
  void forget();
  // Draws the frame whole over the kept background and compares it with what the cache made.
  void verify(Context& ctx, int x, int y, int w, int h, const std::function<void(Context&)>& draw,
              const std::vector<uint32_t>& made);

  std::string key_;        // the kept frame's picture key
  std::string place_;      // its graphics state, clip and device box
  std::string lastPlace_;  // the place of the frame before, kept or not
  std::string lastKey_;    // and its picture key
  Background before_;
  std::vector<uint32_t> after_;  // the kept frame's pixels, row after row
  // The kept frame with its overlay drawn over it, and the overlay's key.
  std::vector<uint32_t> composite_;
  std::string overlayKey_;
  bool haveComposite_ = false;
  DisplayList kept_, fresh_;  // the kept frame's drawing, and the new one
  DirtyTiles tiles_;
  bool haveKept_ = false;
  int heavy_ = 0;  // frames in a row that changed nearly everything
  int skip_ = 0;   // frames still to draw straight
  Outcome last_ = Outcome::Drawn;
};

}  // namespace gfx
