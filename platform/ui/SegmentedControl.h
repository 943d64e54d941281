// A row of segments of which one (or none) is selected; touching a segment selects it.
#pragma once

#include <string>
#include <vector>

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"

namespace ui {

enum class SegmentedControlStyle { Plain = 0, Bordered = 1, Bar = 2, Bezeled = 3 };

class SegmentedControl : public Control {
 public:
  static constexpr int kNoSegment = -1;

  explicit SegmentedControl(const std::vector<std::string>& titles = {});
  static std::shared_ptr<SegmentedControl> create(const std::vector<std::string>& titles = {});

  size_t numberOfSegments() const { return segments_.size(); }
  void insertSegment(const std::string& title, size_t index, bool animated = false);
  void insertSegment(const gfx::Image& image, size_t index, bool animated = false);
  void removeSegment(size_t index, bool animated = false);
  void removeAllSegments();
  void setTitle(const std::string& title, size_t index);
  std::string titleForSegment(size_t index) const;
  void setImage(const gfx::Image& image, size_t index);
  gfx::Image imageForSegment(size_t index) const;
  using Control::setEnabled;  // the whole control; the overload below is one segment
  void setEnabled(bool enabled, size_t index);
  bool isEnabledForSegment(size_t index) const;
  // 0: automatic (the remaining width is shared evenly).
  void setWidth(double width, size_t index);
  double widthForSegment(size_t index) const;

  // Setting it in code does not send value-changed.
  int selectedSegmentIndex() const { return selected_; }
  void setSelectedSegmentIndex(int index);
  // Momentary: the touched segment lights only while pressed, and stays unselected.
  bool isMomentary() const { return momentary_; }
  void setMomentary(bool momentary) { momentary_ = momentary; }
  SegmentedControlStyle segmentedControlStyle() const { return style_; }
  void setSegmentedControlStyle(SegmentedControlStyle style);
  gfx::Color tintColor() const { return tint_; }
  void setTintColor(const gfx::Color& color);
  // Title font and colours (normal and selected).
  void setTitleFont(const gfx::Font& font);
  void setTitleColor(const gfx::Color& color, unsigned state = ControlState::Normal);

  // Segment rectangles in the control's bounds.
  std::vector<gfx::Rect> segmentRects() const;
  int segmentAtPoint(gfx::Point point) const;

  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size size) const override;

 private:
  struct Segment {
    std::string title;
    gfx::Image image;
    bool enabled = true;
    double width = 0;
  };
  std::vector<Segment> segments_;
  int selected_ = kNoSegment;
  int pressed_ = kNoSegment;
  bool momentary_ = false;
  SegmentedControlStyle style_ = SegmentedControlStyle::Plain;
  gfx::Color tint_ = gfx::Color(0.28, 0.45, 0.72);
  gfx::Font font_ = gfx::Font::boldSystemFont(13);
  gfx::Color titleColor_ = gfx::Color::grey(0.3);
  gfx::Color selectedTitleColor_ = gfx::Color::white();
};

}  // namespace ui
