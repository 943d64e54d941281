// Small boxes and text fields screens use for short-lived messages and input: a loading strip
// that hides itself after 10 seconds, a message box shown for 2 seconds, a plain overlay, an
// alert whose labels can be left-aligned, a borderless text field that insets its accessories,
// and an empty-string test.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/graphics/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"

// A transparent strip with a spinner and a one-line white text, shown while data loads. It can
// hide another label while it shows; every show hides the strip again 10 seconds later.
class AlertLoading : public ui::View {
 public:
  static constexpr double kAutoHideSeconds = 10;

  explicit AlertLoading(const gfx::Rect& frame);
  static std::shared_ptr<AlertLoading> create(const gfx::Rect& frame);

  // The label to hide while the strip shows. Not owned: when the screen drops it, the strip
  // simply has nothing to hide.
  void setHideLabel(const std::shared_ptr<ui::Label>& label) { labelToHide_ = label; }
  void showAlertMsg();
  void hideAlertMsg();
  void setAlertTextMsg(const std::string& text);
  // The timer's target.
  void handleOrientalFlag() { hideAlertMsg(); }

  ui::Label* label() const { return label_.get(); }
  ui::ActivityIndicatorView* activity() const { return myActivity_.get(); }

 private:
  std::shared_ptr<ui::ActivityIndicatorView> myActivity_;
  std::shared_ptr<ui::Label> label_;
  std::weak_ptr<ui::Label> labelToHide_;
};

// A box with a stretched background, an icon and a centred text; each show hides it again two
// seconds later.
class AlertText : public ui::View {
 public:
  static constexpr double kAutoHideSeconds = 2;

  explicit AlertText(const gfx::Rect& frame);
  static std::shared_ptr<AlertText> create(const gfx::Rect& frame);

  void showAlertMsg();
  void hideAlertMsg() { setHidden(true); }
  void setAlertTextMsg(const std::string& text) { label_->setText(text); }
  void setAlertImageMsg(const gfx::Image& image) { flagImage_->setImage(image); }
  void handleOrientalFlag() { hideAlertMsg(); }

  ui::ImageView* background() const { return background_.get(); }
  ui::ImageView* flagImage() const { return flagImage_.get(); }
  ui::Label* label() const { return label_.get(); }

 private:
  std::shared_ptr<ui::ImageView> background_;
  std::shared_ptr<ui::ImageView> flagImage_;
  std::shared_ptr<ui::Label> label_;
};

// A plain view that screens lay over others with their own colour and transparency.
class Overlay : public ui::View {
 public:
  using ui::View::View;
  static std::shared_ptr<Overlay> create(const gfx::Rect& frame = {}) {
    return std::make_shared<Overlay>(frame);
  }
};

// An alert whose labels can be left-aligned (multi-line confirmations).
class myUIAlertView : public ui::AlertView {
 public:
  static std::shared_ptr<myUIAlertView> create(
      const std::string& title, const std::string& message,
      std::weak_ptr<ui::AlertViewDelegate> delegate = {}, const std::string& cancelButtonTitle = {},
      const std::vector<std::string>& otherButtonTitles = {});
  // Left-aligns every label that is a direct subview of the alert (its title and message).
  void setAlignLeft();
};

// A borderless text field whose left and right views sit 2 points in from its edges, centred
// vertically.
class myTextField : public ui::TextField {
 public:
  explicit myTextField(const gfx::Rect& frame = {});
  static std::shared_ptr<myTextField> create(const gfx::Rect& frame = {});

  // The rectangle passed in is not used: the field's own bounds place the views.
  gfx::Rect leftViewRectForBounds(const gfx::Rect& bounds) const override;
  gfx::Rect rightViewRectForBounds(const gfx::Rect& bounds) const override;
};

// True for "" and for a text whose first character is U+0000.
bool isEmptyString(std::string_view text);
