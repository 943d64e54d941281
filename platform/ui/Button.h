// A push button with per-state titles, title colours, images and background images.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

namespace ui {

enum class ButtonType {
  Custom = 0,
  RoundedRect = 1,
  DetailDisclosure = 2,
  InfoLight = 3,
  InfoDark = 4,
  ContactAdd = 5
};

class Button : public Control {
 public:
  explicit Button(ButtonType type = ButtonType::Custom, const gfx::Rect& frame = {});
  static std::shared_ptr<Button> create(ButtonType type = ButtonType::Custom,
                                        const gfx::Rect& frame = {});
  static std::shared_ptr<Button> create(const gfx::Rect& frame) {
    return create(ButtonType::Custom, frame);
  }

  ButtonType buttonType() const { return type_; }

  // Per-state values. The getters answer what was set for exactly that state; the current...
  // getters resolve the control's state: exact match, then selected for selected+highlighted,
  // then normal.
  void setTitle(const std::string& title, unsigned state = ControlState::Normal);
  std::optional<std::string> title(unsigned state) const;
  std::string currentTitle() const;
  void setTitleColor(const gfx::Color& color, unsigned state = ControlState::Normal);
  std::optional<gfx::Color> titleColor(unsigned state) const;
  gfx::Color currentTitleColor() const;
  void setTitleShadowColor(const gfx::Color& color, unsigned state = ControlState::Normal);
  std::optional<gfx::Color> titleShadowColor(unsigned state) const;
  void setImage(const gfx::Image& image, unsigned state = ControlState::Normal);
  std::optional<gfx::Image> image(unsigned state) const;
  gfx::Image currentImage() const;
  void setBackgroundImage(const gfx::Image& image, unsigned state = ControlState::Normal);
  std::optional<gfx::Image> backgroundImage(unsigned state) const;
  gfx::Image currentBackgroundImage() const;

  Label* titleLabel() const { return titleLabel_.get(); }
  ImageView* imageView() const { return imageView_.get(); }
  // The title font (the title label's).
  void setFont(const gfx::Font& font);
  const gfx::Font& font() const { return titleLabel_->font(); }

  gfx::EdgeInsets contentEdgeInsets() const { return contentInsets_; }
  void setContentEdgeInsets(const gfx::EdgeInsets& insets);
  gfx::EdgeInsets titleEdgeInsets() const { return titleInsets_; }
  void setTitleEdgeInsets(const gfx::EdgeInsets& insets);
  gfx::EdgeInsets imageEdgeInsets() const { return imageInsets_; }
  void setImageEdgeInsets(const gfx::EdgeInsets& insets);

  bool adjustsImageWhenHighlighted() const { return adjustsWhenHighlighted_; }
  void setAdjustsImageWhenHighlighted(bool adjusts);
  bool adjustsImageWhenDisabled() const { return adjustsWhenDisabled_; }
  void setAdjustsImageWhenDisabled(bool adjusts);
  bool showsTouchWhenHighlighted() const { return showsTouch_; }
  void setShowsTouchWhenHighlighted(bool shows);

  // Where the title and image go inside the given bounds.
  gfx::Rect titleRectForContentRect(const gfx::Rect& contentRect) const;
  gfx::Rect imageRectForContentRect(const gfx::Rect& contentRect) const;

  void layoutSubviews() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size size) const override;
  std::string describe() const override;

 protected:
  void stateDidChange() override;

 private:
  template <class T>
  std::optional<T> lookup(const std::map<unsigned, T>& values) const;
  void update();
  gfx::Size titleSize() const;

  ButtonType type_;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<ImageView> imageView_;
  std::map<unsigned, std::string> titles_;
  std::map<unsigned, gfx::Color> titleColors_;
  std::map<unsigned, gfx::Color> titleShadowColors_;
  std::map<unsigned, gfx::Image> images_;
  std::map<unsigned, gfx::Image> backgroundImages_;
  gfx::EdgeInsets contentInsets_;
  gfx::EdgeInsets titleInsets_;
  gfx::EdgeInsets imageInsets_;
  bool adjustsWhenHighlighted_ = true;
  bool adjustsWhenDisabled_ = true;
  bool showsTouch_ = false;
};

}  // namespace ui
