// Readers for what a view drew into a gfx::RecordingContext: the straight strokes, the longer
// paths and the texts, in drawing order.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/graphics/RecordingContext.h"

namespace recordtest {

struct Segment {
  double x1, y1, x2, y2;
  gfx::GraphicsState state;
};

// Strokes of exactly one segment (grid lines, bars stroked one by one, rulers).
inline std::vector<Segment> Segments(const gfx::RecordingContext& rec) {
  std::vector<Segment> out;
  for (const auto& op : rec.ops("strokePath")) {
    const auto& e = op.path.elements();
    if (e.size() != 2) continue;
    out.push_back(
        {e[0].points[0].x, e[0].points[0].y, e[1].points[0].x, e[1].points[0].y, op.state});
  }
  return out;
}

// Strokes of more than one segment: polylines and bar paths.
inline std::vector<gfx::DrawOp> Paths(const gfx::RecordingContext& rec) {
  std::vector<gfx::DrawOp> out;
  for (const auto& op : rec.ops("strokePath"))
    if (op.path.elements().size() > 2) out.push_back(op);
  return out;
}

inline std::vector<std::string> Texts(const gfx::RecordingContext& rec) {
  std::vector<std::string> out;
  for (const auto& op : rec.ops("drawText")) out.push_back(op.text);
  return out;
}

inline bool Has(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

}  // namespace recordtest
