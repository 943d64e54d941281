// A one-row price strip for a landscape chart: five title/value pairs side by side on a
// translucent dark background. It unfolds downwards when presented and folds back up when
// removed; whoever holds it fills the labels.
#pragma once

#include <array>
#include <memory>

#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class PriceDetailPanelLand : public ui::View {
 public:
  explicit PriceDetailPanelLand(const gfx::Rect& frame);
  // Folded: every label 0 high. The full height is this frame's and stays.
  static std::shared_ptr<PriceDetailPanelLand> initWithFrame(const gfx::Rect& frame);

  // Unfolds to the height taken at creation over 0.5 s.
  void presentView();
  // Folds to height 0 over 0.5 s; the panel stays in its superview.
  void removeView();

  // Segment values, left to right.
  ui::Label* closeLabel() const { return closeLabel_.get(); }
  ui::Label* averageLabel() const { return averageLabel_.get(); }
  ui::Label* volLabel() const { return volLabel_.get(); }
  ui::Label* liangbiLabel() const { return liangbiLabel_.get(); }
  ui::Label* amountLabel() const { return amountLabel_.get(); }
  // Segment titles; timeFlag lies over the first segment and is never unfolded.
  ui::Label* timeFlag() const { return timeFlag_.get(); }
  ui::Label* closeFlag() const { return closeFlag_.get(); }
  ui::Label* averageFlag() const { return averageFlag_.get(); }
  ui::Label* volFlag() const { return volFlag_.get(); }
  ui::Label* liangbiFlag() const { return liangbiFlag_.get(); }
  ui::Label* amountFlag() const { return amountFlag_.get(); }
  void setCloseLabel(std::shared_ptr<ui::Label> label) { closeLabel_ = std::move(label); }
  void setAverageLabel(std::shared_ptr<ui::Label> label) { averageLabel_ = std::move(label); }
  void setVolLabel(std::shared_ptr<ui::Label> label) { volLabel_ = std::move(label); }
  void setLiangbiLabel(std::shared_ptr<ui::Label> label) { liangbiLabel_ = std::move(label); }
  void setAmountLabel(std::shared_ptr<ui::Label> label) { amountLabel_ = std::move(label); }
  void setTimeFlag(std::shared_ptr<ui::Label> label) { timeFlag_ = std::move(label); }
  void setCloseFlag(std::shared_ptr<ui::Label> label) { closeFlag_ = std::move(label); }
  void setAverageFlag(std::shared_ptr<ui::Label> label) { averageFlag_ = std::move(label); }
  void setVolFlag(std::shared_ptr<ui::Label> label) { volFlag_ = std::move(label); }
  void setLiangbiFlag(std::shared_ptr<ui::Label> label) { liangbiFlag_ = std::move(label); }
  void setAmountFlag(std::shared_ptr<ui::Label> label) { amountFlag_ = std::move(label); }

  float labelWidth() const { return labelWidth_; }
  float valueWidth() const { return valueWidth_; }
  float segmentWidth() const { return segmentWidth_; }
  float segmentHeight() const { return segmentHeight_; }

 private:
  std::array<ui::Label*, 5> values() const;
  std::array<ui::Label*, 5> titles() const;
  // Every segment's value and title at the given height (timeFlag left alone).
  void setLabelHeights(double height);

  std::shared_ptr<ui::Label> closeLabel_;
  std::shared_ptr<ui::Label> averageLabel_;
  std::shared_ptr<ui::Label> volLabel_;
  std::shared_ptr<ui::Label> liangbiLabel_;
  std::shared_ptr<ui::Label> amountLabel_;
  std::shared_ptr<ui::Label> timeFlag_;
  std::shared_ptr<ui::Label> closeFlag_;
  std::shared_ptr<ui::Label> averageFlag_;
  std::shared_ptr<ui::Label> volFlag_;
  std::shared_ptr<ui::Label> liangbiFlag_;
  std::shared_ptr<ui::Label> amountFlag_;
  float labelWidth_ = 0;
  float valueWidth_ = 0;
  float segmentWidth_ = 0;
  float segmentHeight_ = 0;
};
