// The name/value table a chart shows while a finger holds its cursor. It only lays
// out, fills and animates its rows; the caller decides what they say and where the panel sits.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class PriceDetailPanel : public ui::View {
 public:
  static constexpr int kMaxRows = 10;

  explicit PriceDetailPanel(const gfx::Rect& frame) : ui::View(frame) {}
  // A count outside 1 to 10 makes 10 rows. Column widths and row height come from this frame
  // and stay.
  static std::shared_ptr<PriceDetailPanel> initWithFrame(const gfx::Rect& frame, int valueNum);

  // Applies the frame and grows or shrinks the rows; the same count changes nothing.
  void resetFrame(const gfx::Rect& frame, int valueNum);
  // Rows outside the panel are ignored.
  void setFirstData(const std::string& name, const gfx::Color& nameColor, const std::string& value,
                    int index);
  void setValueData(const std::string& value, const gfx::Color& valueColor, int index);

  void presentView();
  void removeView();
  void removeViewNoAnimation();

  int valueNum() const { return m_valueNum; }
  ui::Label* nameLabel(int index) const {
    return inRange(index) ? labelName[index].get() : nullptr;
  }
  ui::Label* valueLabel(int index) const {
    return inRange(index) ? labelValue[index].get() : nullptr;
  }
  float rowHeight() const { return segmentHeight; }

 private:
  bool inRange(int index) const { return index >= 0 && index < m_valueNum; }
  void makeRow(int index, double y, bool shrinkToFit);
  void setLabelHeights(double height);

  int m_valueNum = 0;
  std::array<std::shared_ptr<ui::Label>, kMaxRows> labelName{};
  std::array<std::shared_ptr<ui::Label>, kMaxRows> labelValue{};
  float labelWidth = 0;
  float valueWidth = 0;
  float segmentWidth = 0;
  float segmentHeight = 0;
};
