// A drawn navigation bar: a centred title and a left ("返回") and right ("完成") button, both
// hidden until given a text, whose taps go to the delegate.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class CustomTitleView;

class CustomTitleViewDelegate {
 public:
  virtual ~CustomTitleViewDelegate() = default;
  // `left`: the left button was tapped (else the right one).
  virtual void CustomTitleViewClickItem(CustomTitleView& bar, bool left) = 0;
};

class CustomTitleView : public ui::View {
 public:
  explicit CustomTitleView(const gfx::Rect& frame = {});
  static std::shared_ptr<CustomTitleView> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<CustomTitleViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  void setTitle(const std::string& title);
  // The button's title; the button is shown.
  void setLeftText(const std::string& text);
  void setRightText(const std::string& text);
  void hideLeftButton(bool hide);
  void hideRightButton(bool hide);
  // Replaces the button (null: none). A new button keeps its own targets; it reaches the
  // delegate only when the caller gave it buttonAction.
  void setLeftButton(std::shared_ptr<ui::Button> button);
  void setRightButton(std::shared_ptr<ui::Button> button);

  // The buttons' action: the left or right button reports to the delegate, others nothing.
  void buttonAction(ui::Control& sender);

  ui::Button* leftButton() const { return leftButton_.get(); }
  ui::Button* rightButton() const { return rightButton_.get(); }
  ui::Label* titleLabel() const { return titleLabel_.get(); }

 private:
  void build();
  std::shared_ptr<ui::Button> makeButton(const gfx::Rect& frame, const std::string& title);
  void replaceButton(std::shared_ptr<ui::Button>& slot, std::shared_ptr<ui::Button> button);

  std::weak_ptr<CustomTitleViewDelegate> delegate_;
  std::shared_ptr<ui::Button> leftButton_;
  std::shared_ptr<ui::Button> rightButton_;
  std::shared_ptr<ui::Label> titleLabel_;
};
