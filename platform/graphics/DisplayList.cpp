#include "platform/graphics/DisplayList.h"

#include <type_traits>

#include "platform/graphics/DisplayListSupport.h"

namespace gfx {
namespace {

// Each record played on a context.
void Play(Context& c, const rec::Save&) {
  c.save();
}
void Play(Context& c, const rec::Restore&) {
  c.restore();
}
void Play(Context& c, const rec::Translate& r) {
  c.translate(r.dx, r.dy);
}
void Play(Context& c, const rec::Scale& r) {
  c.scale(r.sx, r.sy);
}
void Play(Context& c, const rec::Rotate& r) {
  c.rotate(r.angle);
}
void Play(Context& c, const rec::Concat& r) {
  c.concat(r.transform);
}
void Play(Context& c, const rec::SetFillColor& r) {
  c.setFillColor(r.color);
}
void Play(Context& c, const rec::SetStrokeColor& r) {
  c.setStrokeColor(r.color);
}
void Play(Context& c, const rec::SetLineWidth& r) {
  c.setLineWidth(r.width);
}
void Play(Context& c, const rec::SetLineCap& r) {
  c.setLineCap(r.cap);
}
void Play(Context& c, const rec::SetLineJoin& r) {
  c.setLineJoin(r.join);
}
void Play(Context& c, const rec::SetMiterLimit& r) {
  c.setMiterLimit(r.limit);
}
void Play(Context& c, const rec::SetLineDash& r) {
  c.setLineDash(r.phase, r.lengths);
}
void Play(Context& c, const rec::SetAlpha& r) {
  c.setAlpha(r.alpha);
}
void Play(Context& c, const rec::SetAntialias& r) {
  c.setShouldAntialias(r.on);
}
void Play(Context& c, const rec::SetBlendMode& r) {
  c.setBlendMode(r.mode);
}
void Play(Context& c, const rec::SetShadow& r) {
  c.setShadow(r.offset, r.blur, r.color);
}
void Play(Context& c, const rec::BeginPath&) {
  c.beginPath();
}
void Play(Context& c, const rec::ClipToRects& r) {
  c.clipToRects(r.rects);
}
void Play(Context& c, const rec::Clip& r) {
  c.clip(r.rule);
}
void Play(Context& c, const rec::ClipToDevicePixels& r) {
  c.clipToDevicePixels(r.x, r.y, r.width, r.height);
}
void Play(Context& c, const rec::BeginLayer& r) {
  c.beginTransparencyLayer(r.alpha);
}
void Play(Context& c, const rec::EndLayer&) {
  c.endTransparencyLayer();
}
void Play(Context& c, const rec::MoveTo& r) {
  c.moveTo(r.p.x, r.p.y);
}
void Play(Context& c, const rec::LineTo& r) {
  c.lineTo(r.p.x, r.p.y);
}
void Play(Context& c, const rec::QuadTo& r) {
  c.quadTo(r.control.x, r.control.y, r.p.x, r.p.y);
}
void Play(Context& c, const rec::CurveTo& r) {
  c.curveTo(r.control1.x, r.control1.y, r.control2.x, r.control2.y, r.p.x, r.p.y);
}
void Play(Context& c, const rec::Arc& r) {
  c.arc(r.centre.x, r.centre.y, r.radius, r.start, r.end, r.clockwise);
}
void Play(Context& c, const rec::ArcTo& r) {
  c.arcTo(r.corner.x, r.corner.y, r.towards.x, r.towards.y, r.radius);
}
void Play(Context& c, const rec::ClosePath&) {
  c.closePath();
}
void Play(Context& c, const rec::AddRect& r) {
  c.addRect(r.rect);
}
void Play(Context& c, const rec::AddEllipse& r) {
  c.addEllipse(r.rect);
}
void Play(Context& c, const rec::DrawPath& r) {
  c.drawPath(r.mode);
}
void Play(Context& c, const rec::FillRects& r) {
  c.fillRects(r.rects);
}
void Play(Context& c, const rec::StrokeRect& r) {
  c.strokeRect(r.rect);
}
void Play(Context& c, const rec::ClearRect& r) {
  c.clearRect(r.rect);
}
void Play(Context& c, const rec::FillEllipse& r) {
  c.fillEllipse(r.rect);
}
void Play(Context& c, const rec::StrokeEllipse& r) {
  c.strokeEllipse(r.rect);
}
void Play(Context& c, const rec::StrokeLineSegments& r) {
  c.strokeLineSegments(r.points);
}
void Play(Context& c, const rec::LinearGradient& r) {
  c.drawLinearGradient(r.gradient, r.start, r.end, r.extend);
}
void Play(Context& c, const rec::RadialGradient& r) {
  c.drawRadialGradient(r.gradient, r.startCentre, r.startRadius, r.endCentre, r.endRadius,
                       r.extend);
}
void Play(Context& c, const rec::DrawImage& r) {
  c.drawImage(r.image, r.rect);
}
void Play(Context& c, const rec::DrawTiledImage& r) {
  c.drawTiledImage(r.image, r.rect);
}
void Play(Context& c, const rec::DrawText& r) {
  c.drawText(r.text, r.rect, r.style);
}

}  // namespace

void DisplayList::play(Context& ctx, const Call& call) const {
  records_.visit(static_cast<uint8_t>(call.cmd), call.index,
                 [&](const auto& record) { Play(ctx, record); });
}

Point DisplayList::pointOf(const Call& c) const {
  if (c.cmd == Cmd::MoveTo) return record<rec::MoveTo>(c).p;
  if (c.cmd == Cmd::LineTo) return record<rec::LineTo>(c).p;
  return Point(c.box[0], c.box[1]);
}

// --- tiles ---------------------------------------------------------------------------------------

void DirtyTiles::reset(const PixelBox& area) {
  area_ = area;
  columns_ = area.empty() ? 0 : (area.x1 - area.x0 + kTileWidth - 1) / kTileWidth;
  rows_ = area.empty() ? 0 : (area.y1 - area.y0 + kTileHeight - 1) / kTileHeight;
  marked_ = 0;
  tiles_.assign(static_cast<size_t>(columns_) * rows_, 0);
  rowMarked_.assign(static_cast<size_t>(rows_), 0);
}

bool DirtyTiles::span(const PixelBox& b, int* c0, int* r0, int* c1, int* r1) const {
  const int x0 = std::max(b.x0, area_.x0), y0 = std::max(b.y0, area_.y0);
  const int x1 = std::min(b.x1, area_.x1), y1 = std::min(b.y1, area_.y1);
  if (x0 >= x1 || y0 >= y1) return false;
  *c0 = (x0 - area_.x0) / kTileWidth;
  *r0 = (y0 - area_.y0) / kTileHeight;
  *c1 = (x1 - 1 - area_.x0) / kTileWidth;
  *r1 = (y1 - 1 - area_.y0) / kTileHeight;
  return true;
}

void DirtyTiles::mark(const PixelBox& box) {
  int c0, r0, c1, r1;
  if (!span(box, &c0, &r0, &c1, &r1)) return;
  for (int r = r0; r <= r1; ++r) {
    rowMarked_[static_cast<size_t>(r)] = 1;
    uint8_t* row = &tiles_[static_cast<size_t>(r) * columns_];
    for (int c = c0; c <= c1; ++c) {
      marked_ += row[c] == 0;
      row[c] = 1;
    }
  }
}

bool DirtyTiles::meets(const PixelBox& box) const {
  int c0, r0, c1, r1;
  if (!span(box, &c0, &r0, &c1, &r1)) return false;
  for (int r = r0; r <= r1; ++r) {
    if (!rowMarked_[static_cast<size_t>(r)]) continue;
    const uint8_t* row = &tiles_[static_cast<size_t>(r) * columns_];
    for (int c = c0; c <= c1; ++c)
      if (row[c]) return true;
  }
  return false;
}

PixelBox DirtyTiles::markedWithin(const PixelBox& box) const {
  PixelBox out{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  int c0, r0, c1, r1;
  if (!span(box, &c0, &r0, &c1, &r1)) return PixelBox();
  for (int r = r0; r <= r1; ++r) {
    if (!rowMarked_[static_cast<size_t>(r)]) continue;
    const uint8_t* row = &tiles_[static_cast<size_t>(r) * columns_];
    for (int c = c0; c <= c1; ++c)
      if (row[c]) {
        out.x0 = std::min(out.x0, area_.x0 + c * kTileWidth);
        out.y0 = std::min(out.y0, area_.y0 + r * kTileHeight);
        out.x1 = std::max(out.x1, std::min(area_.x1, area_.x0 + (c + 1) * kTileWidth));
        out.y1 = std::max(out.y1, std::min(area_.y1, area_.y0 + (r + 1) * kTileHeight));
      }
  }
  return out.x0 < out.x1 ? out : PixelBox();
}

double DirtyTiles::share() const {
  return tiles_.empty() ? 0 : double(marked_) / double(tiles_.size());
}

// --- the list ------------------------------------------------------------------------------------

void DisplayList::clear() {
  calls_.clear();
  records_.clear();
  ops_.clear();
  shown_.clear();
  opPaths_.clear();
  clips_.clear();
  clipChains_.clear();
  states_.clear();
  comparable_ = true;
  sameWith_ = nullptr;
}

std::vector<DrawnText> DisplayList::shownTexts() const {
  std::vector<DrawnText> out;
  for (const Op& op : ops_)
    if (op.shown >= 0) out.push_back(shown_[static_cast<size_t>(op.shown)]);
  return out;
}

}  // namespace gfx
