#include "platform/ui/SegmentedControl.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"
#include "platform/ui/Touch.h"

namespace ui {

SegmentedControl::SegmentedControl(const std::vector<std::string>& titles) {
  for (const auto& title : titles) segments_.push_back({title, {}, true, 0});
  setOpaque(false);
  setFrame(gfx::Rect(gfx::Point(), sizeThatFits({})));
}

std::shared_ptr<SegmentedControl> SegmentedControl::create(const std::vector<std::string>& titles) {
  return std::make_shared<SegmentedControl>(titles);
}

void SegmentedControl::insertSegment(const std::string& title, size_t index, bool) {
  index = std::min(index, segments_.size());
  segments_.insert(segments_.begin() + index, {title, {}, true, 0});
  if (selected_ >= static_cast<int>(index)) ++selected_;
  setNeedsDisplay();
}

void SegmentedControl::insertSegment(const gfx::Image& image, size_t index, bool) {
  index = std::min(index, segments_.size());
  segments_.insert(segments_.begin() + index, {{}, image, true, 0});
  if (selected_ >= static_cast<int>(index)) ++selected_;
  setNeedsDisplay();
}

void SegmentedControl::removeSegment(size_t index, bool) {
  if (index >= segments_.size()) return;
  segments_.erase(segments_.begin() + index);
  if (selected_ == static_cast<int>(index))
    selected_ = kNoSegment;
  else if (selected_ > static_cast<int>(index))
    --selected_;
  setNeedsDisplay();
}

void SegmentedControl::removeAllSegments() {
  segments_.clear();
  selected_ = kNoSegment;
  setNeedsDisplay();
}

void SegmentedControl::setTitle(const std::string& title, size_t index) {
  if (index >= segments_.size()) return;
  segments_[index].title = title;
  segments_[index].image = gfx::Image();
  setNeedsDisplay();
}

std::string SegmentedControl::titleForSegment(size_t index) const {
  return index < segments_.size() ? segments_[index].title : std::string();
}

void SegmentedControl::setImage(const gfx::Image& image, size_t index) {
  if (index >= segments_.size()) return;
  segments_[index].image = image;
  segments_[index].title.clear();
  setNeedsDisplay();
}

gfx::Image SegmentedControl::imageForSegment(size_t index) const {
  return index < segments_.size() ? segments_[index].image : gfx::Image();
}

void SegmentedControl::setEnabled(bool enabled, size_t index) {
  if (index >= segments_.size()) return;
  segments_[index].enabled = enabled;
  setNeedsDisplay();
}

bool SegmentedControl::isEnabledForSegment(size_t index) const {
  return index < segments_.size() && segments_[index].enabled;
}

void SegmentedControl::setWidth(double width, size_t index) {
  if (index >= segments_.size()) return;
  segments_[index].width = std::max(0.0, width);
  setNeedsDisplay();
}

double SegmentedControl::widthForSegment(size_t index) const {
  return index < segments_.size() ? segments_[index].width : 0;
}

void SegmentedControl::setSelectedSegmentIndex(int index) {
  if (index < kNoSegment || index >= static_cast<int>(segments_.size())) index = kNoSegment;
  selected_ = index;
  setNeedsDisplay();
}

void SegmentedControl::setSegmentedControlStyle(SegmentedControlStyle style) {
  style_ = style;
  setNeedsDisplay();
}

void SegmentedControl::setTintColor(const gfx::Color& color) {
  tint_ = color;
  setNeedsDisplay();
}

void SegmentedControl::setTitleFont(const gfx::Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void SegmentedControl::setTitleColor(const gfx::Color& color, unsigned state) {
  if (state & ControlState::Selected)
    selectedTitleColor_ = color;
  else
    titleColor_ = color;
  setNeedsDisplay();
}

std::vector<gfx::Rect> SegmentedControl::segmentRects() const {
  std::vector<gfx::Rect> rects;
  gfx::Rect b = bounds();
  double fixed = 0;
  int automatic = 0;
  for (const auto& s : segments_) {
    if (s.width > 0)
      fixed += s.width;
    else
      ++automatic;
  }
  double each = automatic > 0 ? std::max(0.0, b.width() - fixed) / automatic : 0;
  double x = b.minX();
  for (const auto& s : segments_) {
    double w = s.width > 0 ? s.width : each;
    rects.emplace_back(x, b.minY(), w, b.height());
    x += w;
  }
  return rects;
}

int SegmentedControl::segmentAtPoint(gfx::Point p) const {
  auto rects = segmentRects();
  for (size_t i = 0; i < rects.size(); ++i)
    if (rects[i].contains(p)) return static_cast<int>(i);
  return kNoSegment;
}

void SegmentedControl::touchesBegan(const TouchSet& touches, const Event& event) {
  Control::touchesBegan(touches, event);
  if (!isEnabled() || touches.empty()) return;
  int index = segmentAtPoint(touches.front()->locationInView(this));
  if (index == kNoSegment || !segments_[index].enabled) return;
  if (momentary_) {
    pressed_ = index;
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEvent::ValueChanged);
    return;
  }
  if (index == selected_) return;
  selected_ = index;
  setNeedsDisplay();
  sendActionsForControlEvents(ControlEvent::ValueChanged);
}

void SegmentedControl::touchesEnded(const TouchSet& touches, const Event& event) {
  pressed_ = kNoSegment;
  setNeedsDisplay();
  Control::touchesEnded(touches, event);
}

void SegmentedControl::touchesCancelled(const TouchSet& touches, const Event& event) {
  pressed_ = kNoSegment;
  setNeedsDisplay();
  Control::touchesCancelled(touches, event);
}

void SegmentedControl::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect b = bounds().inset(0.5, 0.5);
  double radius = style_ == SegmentedControlStyle::Bar ? 4 : 7;
  bool bar = style_ == SegmentedControlStyle::Bar || style_ == SegmentedControlStyle::Bezeled;
  ctx.save();
  ctx.addRoundedRect(b, radius);
  ctx.clip();
  ctx.setFillColor(bar ? tint_ : gfx::Color::white());
  ctx.fillRect(b);
  auto rects = segmentRects();
  for (size_t i = 0; i < rects.size(); ++i) {
    bool lit = static_cast<int>(i) == selected_ || static_cast<int>(i) == pressed_;
    if (lit) {
      ctx.setFillColor(bar ? gfx::Color(tint_.r() * 0.7, tint_.g() * 0.7, tint_.b() * 0.7) : tint_);
      ctx.fillRect(rects[i]);
    }
  }
  ctx.restore();
  ctx.setStrokeColor(bar ? gfx::Color(tint_.r() * 0.6, tint_.g() * 0.6, tint_.b() * 0.6)
                         : gfx::Color::grey(0.55));
  ctx.setLineWidth(1);
  ctx.addRoundedRect(b, radius);
  ctx.strokePath();
  for (size_t i = 1; i < rects.size(); ++i)
    ctx.strokeLine(gfx::Point(std::round(rects[i].minX()) + 0.5, b.minY()),
                   gfx::Point(std::round(rects[i].minX()) + 0.5, b.maxY()));

  gfx::TextStyle style(font_, gfx::TextAlignment::Center, gfx::LineBreakMode::TruncateTail);
  style.numberOfLines = 1;
  style.centerVertically = true;
  for (size_t i = 0; i < rects.size(); ++i) {
    const Segment& s = segments_[i];
    bool lit = static_cast<int>(i) == selected_ || static_cast<int>(i) == pressed_;
    double alpha = s.enabled && isEnabled() ? 1.0 : 0.4;
    if (!s.image.isEmpty()) {
      gfx::Size is = s.image.size();
      gfx::StateSaver saver(ctx);
      ctx.setAlpha(alpha);
      ctx.drawImage(s.image, gfx::Rect(rects[i].midX() - is.width / 2,
                                       rects[i].midY() - is.height / 2, is.width, is.height));
      continue;
    }
    gfx::Color c = lit || bar ? selectedTitleColor_ : titleColor_;
    ctx.setFillColor(c.withAlpha(c.a() * alpha));
    ctx.drawText(s.title, rects[i].inset(4, 0), style);
  }
}

gfx::Size SegmentedControl::sizeThatFits(gfx::Size) const {
  double w = 0;
  for (const auto& s : segments_) {
    double sw = s.width > 0 ? s.width
                            : (s.image.isEmpty() ? gfx::measureText(s.title, font_).width + 24
                                                 : s.image.size().width + 24);
    w += std::max(sw, 44.0);
  }
  return gfx::Size(std::ceil(w), style_ == SegmentedControlStyle::Bar ? 30 : 44);
}

}  // namespace ui
