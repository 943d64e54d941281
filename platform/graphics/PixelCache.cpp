#include "platform/graphics/PixelCache.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/foundation/Log.h"

namespace gfx {
namespace {

template <typename T>
void Append(std::string& key, const T& v) {
  key.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void AppendColor(std::string& key, const Color& c) {
  Append(key, c.r());
  Append(key, c.g());
  Append(key, c.b());
  Append(key, c.a());
  // A pattern colour is kept by its image: only the same image draws the same.
  const void* image = c.isPattern() ? c.patternImage().get() : nullptr;
  Append(key, image);
}

// Everything of the graphics state a drawing may inherit, and the clip's rectangles.
void AppendState(std::string& key, const GraphicsState& s, const std::vector<Rect>& clip) {
  const AffineTransform& m = s.ctm;
  for (double v : {m.a, m.b, m.c, m.d, m.tx, m.ty, s.lineWidth, s.miterLimit, s.dashPhase, s.alpha,
                   s.shadow.offset.width, s.shadow.offset.height, s.shadow.blur})
    Append(key, v);
  for (int v : {static_cast<int>(s.lineCap), static_cast<int>(s.lineJoin),
                static_cast<int>(s.blendMode), static_cast<int>(s.antialias)})
    Append(key, v);
  AppendColor(key, s.fillColor);
  AppendColor(key, s.strokeColor);
  AppendColor(key, s.shadow.color);
  Append(key, s.dashLengths.size());
  for (double d : s.dashLengths) Append(key, d);
  Append(key, clip.size());
  for (const Rect& r : clip) {
    Append(key, r.x());
    Append(key, r.y());
    Append(key, r.width());
    Append(key, r.height());
  }
}

// The device pixels a user-space rectangle touches, within `limit`.
bool DeviceBox(const AffineTransform& m, const Rect& r, const Rect& limit, int box[4]) {
  if (r.isNull() || r.isEmpty()) return false;
  const Rect d = m.apply(r).integral().intersection(limit.integral());
  if (d.isNull() || d.isEmpty() || !(std::fabs(d.x()) < 1e7) || !(std::fabs(d.y()) < 1e7) ||
      !(d.width() < 1e5) || !(d.height() < 1e5))
    return false;
  box[0] = static_cast<int>(d.x());
  box[1] = static_cast<int>(d.y());
  box[2] = static_cast<int>(d.width());
  box[3] = static_cast<int>(d.height());
  return true;
}

void CopyRows(uint32_t* to, int toStride, const uint32_t* from, int fromStride, int w, int h) {
  for (int row = 0; row < h; ++row)
    std::memcpy(to + static_cast<size_t>(row) * toStride,
                from + static_cast<size_t>(row) * fromStride,
                static_cast<size_t>(w) * sizeof(uint32_t));
}

std::atomic<int>& Verifying() {
  static std::atomic<int> on{[] {
    const char* v = std::getenv("VERDAN_VERIFY_FRAMES");
    return v && *v && std::strcmp(v, "0") != 0 ? 1 : 0;
  }()};
  return on;
}

std::atomic<long> differing{0};

}  // namespace

void PixelCache::setVerifying(bool on) {
  Verifying() = on ? 1 : 0;
}

bool PixelCache::verifying() {
  return Verifying() != 0;
}

long PixelCache::differingFrames() {
  return differing;
}

void PixelCache::Background::put(uint32_t* to, int stride, int w, int h) const {
  for (int row = 0; row < h; ++row) {
    uint32_t* p = to + static_cast<size_t>(row) * stride;
    if (uniform) {
      std::fill(p, p + w, colour);
    } else {
      std::memcpy(p, pixels.data() + static_cast<size_t>(row) * w,
                  static_cast<size_t>(w) * sizeof(uint32_t));
    }
  }
}

void PixelCache::Background::take(const uint32_t* from, int stride, int w, int h) {
  colour = from[0];
  uniform = true;
  for (int row = 0; row < h && uniform; ++row) {
    const uint32_t* p = from + static_cast<size_t>(row) * stride;
    for (int i = 0; i < w; ++i)
      if (p[i] != colour) {
        uniform = false;
        break;
      }
  }
  if (uniform) {
    pixels.clear();
    return;
  }
  pixels.resize(static_cast<size_t>(w) * h);
  CopyRows(pixels.data(), w, from, stride, w, h);
}

bool PixelCache::Background::sameAs(const uint32_t* from, int stride, int w, int h) const {
  for (int row = 0; row < h; ++row) {
    const uint32_t* p = from + static_cast<size_t>(row) * stride;
    if (uniform) {
      // A row at a time, without a branch per pixel (it vectorizes).
      uint32_t differ = 0;
      for (int i = 0; i < w; ++i) differ |= p[i] ^ colour;
      if (differ != 0) return false;
    } else if (std::memcmp(p, pixels.data() + static_cast<size_t>(row) * w,
                           static_cast<size_t>(w) * sizeof(uint32_t)) != 0) {
      return false;
    }
  }
  return true;
}

void PixelCache::clear() {
  haveKept_ = false;
  haveComposite_ = false;
  composite_ = {};
  overlayKey_.clear();
  heavy_ = skip_ = 0;
  key_.clear();
  place_.clear();
  lastPlace_.clear();
  lastKey_.clear();
  before_ = Background();
  after_ = {};
  kept_.clear();
  fresh_.clear();
}

bool PixelCache::locate(Context& ctx, const Rect& rect, std::string* place, int box[4],
                        uint32_t** pixels, int* stride) {
  const GraphicsState& state = ctx.state();
  const AffineTransform& m = state.ctm;
  std::vector<Rect> clip;
  // Whole device pixels keep the cached picture on the surface's own grid.
  const bool usable = m.b == 0 && m.c == 0 && m.a > 0 && m.d > 0 &&
                      DeviceBox(m, rect, state.deviceClipBounds, box) &&
                      ctx.deviceClipRects(&clip) &&
                      ctx.devicePixels(box[0], box[1], box[2], box[3], pixels, stride);
  if (!usable) return false;
  place->clear();
  AppendState(*place, state, clip);
  for (int i = 0; i < 4; ++i) Append(*place, box[i]);
  return true;
}

void PixelCache::forget() {
  haveKept_ = false;
  haveComposite_ = false;
  composite_ = {};
  heavy_ = skip_ = 0;
  key_.clear();
  lastKey_.clear();
  // What a kept frame holds is of no use once the picture moved: it goes with its memory.
  after_ = {};
  before_ = Background();
  kept_.clear();
  fresh_.clear();
}

void PixelCache::drawWhole(Context& ctx, const Rect& rect,
                           const std::function<void(Context&)>& drawing) {
  std::string place;
  int box[4] = {};
  uint32_t* pixels = nullptr;
  int stride = 0;
  // The next frame at this place keeps its pixels.
  if (locate(ctx, rect, &place, box, &pixels, &stride)) {
    lastPlace_ = std::move(place);
  } else {
    lastPlace_.clear();
  }
  if (haveKept_ || !after_.empty()) forget();
  drawing(ctx);
  last_ = Outcome::Drawn;
}

void PixelCache::verify(Context& ctx, int x, int y, int w, int h,
                        const std::function<void(Context&)>& drawing,
                        const std::vector<uint32_t>& made) {
  uint32_t* pixels = nullptr;
  int stride = 0;
  if (!ctx.devicePixels(x, y, w, h, &pixels, &stride)) return;
  // The surface under the view was the kept background (that is what let the cache work).
  before_.put(pixels, stride, w, h);
  ctx.pixelsChanged(x, y, w, h);
  {
    DrawnTextCollector swallowed;  // the frame told of its texts already
    StateSaver saver(ctx);
    ctx.clipToDevicePixels(x, y, w, h);
    drawing(ctx);
  }
  if (!ctx.devicePixels(x, y, w, h, &pixels, &stride)) return;
  for (int row = 0; row < h; ++row) {
    const uint32_t* whole = pixels + static_cast<size_t>(row) * stride;
    const uint32_t* ours = made.data() + static_cast<size_t>(row) * w;
    for (int i = 0; i < w; ++i) {
      if (whole[i] == ours[i]) continue;
      long count = 0;
      for (int r = row; r < h; ++r)
        for (int k = 0; k < w; ++k)
          count +=
              pixels[static_cast<size_t>(r) * stride + k] != made[static_cast<size_t>(r) * w + k];
      ++differing;
      foundation::logError(
          "PixelCache: %s frame differs from the whole drawing at device pixel (%d, %d): "
          "%08x instead of %08x, %ld pixels",
          last_ == Outcome::Reused ? "kept" : "patched", x + i, y + row, ours[i], whole[i], count);
      row = h;
      break;
    }
  }
  // The frame shows what the cache made, as it would without the check.
  CopyRows(pixels, stride, made.data(), w, w, h);
  ctx.pixelsChanged(x, y, w, h);
}

PixelCache::Outcome PixelCache::draw(Context& ctx, const Rect& rect, const std::string& key,
                                     const std::function<void(Context&)>& drawing) {
  int box[4] = {};
  uint32_t* pixels = nullptr;
  int stride = 0;
  std::string place;
  if (!locate(ctx, rect, &place, box, &pixels, &stride)) {
    haveKept_ = false;
    lastPlace_.clear();
    drawing(ctx);
    return last_ = Outcome::Drawn;
  }
  const int x = box[0], y = box[1], w = box[2], h = box[3];

  const bool samePlace = haveKept_ && place == place_ && before_.sameAs(pixels, stride, w, h);
  if (samePlace && key == key_) {
    heavy_ = 0;
    CopyRows(pixels, stride, after_.data(), w, w, h);
    ctx.pixelsChanged(x, y, w, h);
    for (const DrawnText& text : kept_.shownTexts()) DrawnTextCollector::note(text);
    last_ = Outcome::Reused;
    if (verifying()) verify(ctx, x, y, w, h, drawing, after_);
    return last_;
  }
  // Pixels are kept once the view is drawn twice in a row at the same place.
  bool keep = place == lastPlace_;
  lastPlace_ = place;
  if (!keep && !samePlace) {
    // Moved (the screen scrolls under the view): the frame can be neither patched nor kept,
    // so it is drawn straight, without a recording.
    if (haveKept_ || !after_.empty()) forget();
    lastKey_ = key;
    drawing(ctx);
    return last_ = Outcome::Drawn;
  }
  // A picture shown twice in a row has stopped changing: it is kept again at once.
  const bool repeated = key == lastKey_;
  lastKey_ = key;
  if (repeated) skip_ = 0;
  if (skip_ > 0) {
    // Frames that change nearly everything (a scroll) are drawn straight: recording them and
    // keeping their pixels would only add to their cost.
    --skip_;
    haveKept_ = false;
    drawing(ctx);
    return last_ = Outcome::Drawn;
  }
  const PixelBox limit{x, y, x + w, y + h};
  {
    StateSaver saver(ctx);
    ctx.clipToDevicePixels(x, y, w, h);
    DisplayListRecorder recorder(ctx, fresh_, limit);
    drawing(recorder);
  }
  bool patch = samePlace && fresh_.comparable() && kept_.comparable();
  if (patch) {
    tiles_.reset(limit);
    fresh_.markChanges(kept_, tiles_);
    // Mostly changed: drawing whole costs no more. After such frames, the next ones are drawn
    // straight, 1, 3, then 7 of them, until a frame changes less again.
    patch = tiles_.share() < 0.5;
    heavy_ = patch ? 0 : std::min(heavy_ + 1, 3);
    skip_ = (1 << heavy_) - 1;
    keep = keep && skip_ == 0;
  }
  if (!patch && keep) before_.take(pixels, stride, w, h);
  {
    StateSaver saver(ctx);
    ctx.clipToDevicePixels(x, y, w, h);
    fresh_.replay(ctx, patch ? &tiles_ : nullptr, patch ? &kept_ : nullptr);
  }
  for (const DrawnText& text : fresh_.shownTexts()) DrawnTextCollector::note(text);
  if (!keep || !ctx.devicePixels(x, y, w, h, &pixels, &stride)) {
    haveKept_ = false;
    return last_ = Outcome::Drawn;
  }
  if (patch) {
    // The changed tiles are new; everything else is the kept picture.
    for (int r = 0; r < tiles_.rows(); ++r) {
      const int top = r * DirtyTiles::kTileHeight;
      const int rows = std::min(DirtyTiles::kTileHeight, h - top);
      for (int c = 0; c < tiles_.columns();) {
        const bool changed = tiles_.at(c, r);
        int end = c + 1;
        while (end < tiles_.columns() && tiles_.at(end, r) == changed) ++end;
        const int left = c * DirtyTiles::kTileWidth;
        const int cols = std::min(end * DirtyTiles::kTileWidth, w) - left;
        uint32_t* surface = pixels + static_cast<size_t>(top) * stride + left;
        uint32_t* kept = after_.data() + static_cast<size_t>(top) * w + left;
        if (changed) {
          CopyRows(kept, w, surface, stride, cols, rows);
        } else {
          CopyRows(surface, stride, kept, w, cols, rows);
        }
        c = end;
      }
    }
    ctx.pixelsChanged(x, y, w, h);
    last_ = Outcome::Patched;
    if (verifying()) verify(ctx, x, y, w, h, drawing, after_);
  } else {
    after_.resize(static_cast<size_t>(w) * h);
    CopyRows(after_.data(), w, pixels, stride, w, h);
    last_ = Outcome::Drawn;
  }
  key_ = key;
  place_ = std::move(place);
  std::swap(kept_, fresh_);
  haveKept_ = true;
  return last_;
}

PixelCache::Outcome PixelCache::drawWithOverlay(Context& ctx, const Rect& rect,
                                                const std::string& key,
                                                const std::function<void(Context&)>& drawing,
                                                const std::string& overlayKey,
                                                const std::function<void(Context&)>& overlay) {
  int box[4] = {};
  uint32_t* pixels = nullptr;
  int stride = 0;
  std::string place;
  if (haveComposite_ && haveKept_ && key == key_ && overlayKey == overlayKey_ &&
      locate(ctx, rect, &place, box, &pixels, &stride) && place == place_ &&
      before_.sameAs(pixels, stride, box[2], box[3])) {
    const int x = box[0], y = box[1], w = box[2], h = box[3];
    heavy_ = 0;
    CopyRows(pixels, stride, composite_.data(), w, w, h);
    ctx.pixelsChanged(x, y, w, h);
    for (const DrawnText& text : kept_.shownTexts()) DrawnTextCollector::note(text);
    last_ = Outcome::Reused;
    if (verifying()) {
      verify(
          ctx, x, y, w, h,
          [&](Context& c) {
            drawing(c);
            StateSaver saver(c);
            c.clipToDevicePixels(x, y, w, h);
            overlay(c);
          },
          composite_);
    }
    return last_;
  }
  haveComposite_ = false;
  const Outcome outcome = draw(ctx, rect, key, drawing);
  // Within the picture's box, as a kept frame covers it.
  const bool located = locate(ctx, rect, &place, box, &pixels, &stride);
  {
    StateSaver saver(ctx);
    if (located) ctx.clipToDevicePixels(box[0], box[1], box[2], box[3]);
    overlay(ctx);
  }
  // The picture is kept where it was drawn: so is the frame with its overlay.
  if (located && haveKept_ && key == key_ && place == place_ &&
      ctx.devicePixels(box[0], box[1], box[2], box[3], &pixels, &stride)) {
    const int w = box[2], h = box[3];
    composite_.resize(static_cast<size_t>(w) * h);
    CopyRows(composite_.data(), w, pixels, stride, w, h);
    overlayKey_ = overlayKey;
    haveComposite_ = true;
  }
  last_ = outcome;
  return outcome;
}

}  // namespace gfx
