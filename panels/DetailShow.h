// A two-column quote summary: a large price field on the left with the change and the change
// percent under it, and four caption/value rows (high, low, open, volume) on the right. It only
// lays its labels out; the panel that places it sets texts, fonts and colours.
#pragma once

#include <memory>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class DetailShow : public ui::View {
 public:
  explicit DetailShow(const gfx::Rect& frame);
  static std::shared_ptr<DetailShow> initWithFrame(const gfx::Rect& frame);

  ui::Label* closeLabel() const { return closeLabel_.get(); }
  ui::Label* updownLabel() const { return updownLabel_.get(); }
  ui::Label* rangeLabel() const { return rangeLabel_.get(); }
  ui::Label* highLabel() const { return highLabel_.get(); }
  ui::Label* lowLabel() const { return lowLabel_.get(); }
  ui::Label* openLabel() const { return openLabel_.get(); }
  ui::Label* volLabel() const { return volLabel_.get(); }
  ui::Label* highStaticLabel() const { return highStaticLabel_.get(); }
  ui::Label* lowStaticLabel() const { return lowStaticLabel_.get(); }
  ui::Label* openStaticLabel() const { return openStaticLabel_.get(); }
  ui::Label* volStaticLabel() const { return volStaticLabel_.get(); }
  void setCloseLabel(std::shared_ptr<ui::Label> label) { closeLabel_ = std::move(label); }
  void setUpdownLabel(std::shared_ptr<ui::Label> label) { updownLabel_ = std::move(label); }
  void setRangeLabel(std::shared_ptr<ui::Label> label) { rangeLabel_ = std::move(label); }
  void setHighLabel(std::shared_ptr<ui::Label> label) { highLabel_ = std::move(label); }
  void setLowLabel(std::shared_ptr<ui::Label> label) { lowLabel_ = std::move(label); }
  void setOpenLabel(std::shared_ptr<ui::Label> label) { openLabel_ = std::move(label); }
  void setVolLabel(std::shared_ptr<ui::Label> label) { volLabel_ = std::move(label); }
  void setHighStaticLabel(std::shared_ptr<ui::Label> label) { highStaticLabel_ = std::move(label); }
  void setLowStaticLabel(std::shared_ptr<ui::Label> label) { lowStaticLabel_ = std::move(label); }
  void setOpenStaticLabel(std::shared_ptr<ui::Label> label) { openStaticLabel_ = std::move(label); }
  void setVolStaticLabel(std::shared_ptr<ui::Label> label) { volStaticLabel_ = std::move(label); }

 private:
  std::shared_ptr<ui::Label> closeLabel_;
  std::shared_ptr<ui::Label> updownLabel_;
  std::shared_ptr<ui::Label> rangeLabel_;
  std::shared_ptr<ui::Label> highLabel_;
  std::shared_ptr<ui::Label> lowLabel_;
  std::shared_ptr<ui::Label> openLabel_;
  std::shared_ptr<ui::Label> volLabel_;
  std::shared_ptr<ui::Label> highStaticLabel_;
  std::shared_ptr<ui::Label> lowStaticLabel_;
  std::shared_ptr<ui::Label> openStaticLabel_;
  std::shared_ptr<ui::Label> volStaticLabel_;
};
