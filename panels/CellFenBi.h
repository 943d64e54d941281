// One row of the futures tick list: time, price, volume with the trade side's arrow, change of
// open interest and nature, in fixed 64-point columns.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

inline constexpr int kCellFenBiArrowTag = 1010;

class CellFenBi : public ui::View {
 public:
  // The layout does not follow the frame.
  explicit CellFenBi(const gfx::Rect& frame = {});
  static std::shared_ptr<CellFenBi> create(const gfx::Rect& frame = {});

  // 0 outside (rise colour, up arrow), 1 inside (fall colour, down arrow), else white, no arrow.
  void setVolLabelState(int32_t flag);

  ui::Label* timeLabel() const { return timeLabel_.get(); }
  ui::Label* nowLabel() const { return nowLabel_.get(); }
  ui::Label* volLabel() const { return volLabel_.get(); }
  ui::Label* ccLabel() const { return ccLabel_.get(); }
  ui::Label* xzLabel() const { return xzLabel_.get(); }
  ui::ImageView* arrow() const { return arrow_.get(); }

 private:
  std::shared_ptr<ui::Label> timeLabel_;
  std::shared_ptr<ui::Label> nowLabel_;
  std::shared_ptr<ui::Label> volLabel_;
  std::shared_ptr<ui::Label> ccLabel_;
  std::shared_ptr<ui::Label> xzLabel_;
  std::shared_ptr<ui::ImageView> arrow_;
};
