// The time bubble a chart shows at its cursor: a stretchable bubble image with a centred text.
// Owners create it with a zero frame and place its two children themselves.
#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class TimeLabel : public ui::View {
 public:
  explicit TimeLabel(const gfx::Rect& frame = {}) : ui::View(frame) {}
  static std::shared_ptr<TimeLabel> create(const gfx::Rect& frame = {});

  ui::Label* timelabel() const { return timelabel_.get(); }
  ui::ImageView* background() const { return background_.get(); }

 private:
  std::shared_ptr<ui::Label> timelabel_;
  std::shared_ptr<ui::ImageView> background_;
};
