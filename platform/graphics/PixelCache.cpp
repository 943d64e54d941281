#include "platform/graphics/PixelCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

}  // namespace

void PixelCache::clear() {
  kept_ = false;
  key_.clear();
  lastKey_.clear();
  texts_.clear();
  before_ = Pixels();
  after_ = Pixels();
}

PixelCache::Outcome PixelCache::draw(Context& ctx, const Rect& rect, const std::string& key,
                                     const std::function<void(Context&)>& drawing) {
  const GraphicsState& state = ctx.state();
  const AffineTransform& m = state.ctm;
  int box[4] = {};
  std::vector<Rect> clip;
  uint32_t* pixels = nullptr;
  int stride = 0;
  // Whole device pixels keep the cached picture on the surface's own grid.
  const bool usable = m.b == 0 && m.c == 0 && m.a > 0 && m.d > 0 &&
                      DeviceBox(m, rect, state.deviceClipBounds, box) &&
                      ctx.deviceClipRects(&clip) &&
                      ctx.devicePixels(box[0], box[1], box[2], box[3], &pixels, &stride);
  if (!usable) {
    kept_ = false;
    lastKey_.clear();
    drawing(ctx);
    return last_ = Outcome::Drawn;
  }
  const int x = box[0], y = box[1], w = box[2], h = box[3];
  std::string full = key;
  AppendState(full, state, clip);
  for (int v : box) Append(full, v);

  auto sameAsBefore = [&] {
    for (int row = 0; row < h; ++row)
      if (std::memcmp(pixels + static_cast<size_t>(row) * stride,
                      before_.data.data() + static_cast<size_t>(row) * w,
                      static_cast<size_t>(w) * sizeof(uint32_t)) != 0)
        return false;
    return true;
  };
  if (kept_ && full == key_ && sameAsBefore()) {
    CopyRows(pixels, stride, after_.data.data(), w, w, h);
    ctx.pixelsChanged(x, y, w, h);
    for (const std::string& text : texts_) DrawnTextCollector::note(text);
    return last_ = Outcome::Reused;
  }
  // Pixels are kept once a picture is drawn twice in a row: a chart scrolled or pushed every
  // frame pays for no copies.
  const bool keep = full == lastKey_;
  lastKey_ = full;
  if (keep) {
    before_.data.resize(static_cast<size_t>(w) * h);
    CopyRows(before_.data.data(), w, pixels, stride, w, h);
  }
  std::vector<std::string> texts;
  {
    // The texts the drawing shows, passed on to whoever collects them, and shown again with
    // the kept pixels.
    DrawnTextCollector shown;
    StateSaver saver(ctx);
    ctx.clipToDevicePixels(x, y, w, h);
    drawing(ctx);
    texts = shown.texts();
  }
  for (const std::string& text : texts) DrawnTextCollector::note(text);
  kept_ = false;
  if (keep && ctx.devicePixels(x, y, w, h, &pixels, &stride)) {
    after_.data.resize(static_cast<size_t>(w) * h);
    CopyRows(after_.data.data(), w, pixels, stride, w, h);
    key_ = std::move(full);
    texts_ = std::move(texts);
    kept_ = true;
  }
  return last_ = Outcome::Drawn;
}

}  // namespace gfx
