// Action sheets: a title and a column of buttons (destructive, others, cancel) that slides up
// from the bottom of the screen over a dimmed background. Screens may add their own subviews
// (a picker over buttons with empty titles, which make the room and take no taps).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ModalOverlay.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

class ActionSheet;

// Every method is optional.
class ActionSheetDelegate {
 public:
  virtual ~ActionSheetDelegate() = default;
  virtual void actionSheetClickedButtonAtIndex(ActionSheet& sheet, int buttonIndex) {
    (void)sheet;
    (void)buttonIndex;
  }
  virtual void actionSheetCancel(ActionSheet& sheet) { (void)sheet; }
  virtual void willPresentActionSheet(ActionSheet& sheet) { (void)sheet; }
  virtual void didPresentActionSheet(ActionSheet& sheet) { (void)sheet; }
  virtual void actionSheetWillDismissWithButtonIndex(ActionSheet& sheet, int buttonIndex) {
    (void)sheet;
    (void)buttonIndex;
  }
  virtual void actionSheetDidDismissWithButtonIndex(ActionSheet& sheet, int buttonIndex) {
    (void)sheet;
    (void)buttonIndex;
  }
};

// Same numbers as the phone platform.
enum class ActionSheetStyle { Automatic = -1, Default = 0, BlackTranslucent = 2, BlackOpaque = 1 };

class ActionSheet : public View {
 public:
  static constexpr double kButtonHeight = 44;
  static constexpr double kButtonGap = 8;

  ActionSheet();
  ~ActionSheet() override;
  // Index order: the destructive button, the others, then the cancel button (each when given).
  static std::shared_ptr<ActionSheet> create(
      const std::string& title, std::weak_ptr<ActionSheetDelegate> delegate = {},
      const std::string& cancelButtonTitle = {}, const std::string& destructiveButtonTitle = {},
      const std::vector<std::string>& otherButtonTitles = {});

  void setDelegate(std::weak_ptr<ActionSheetDelegate> delegate) { delegate_ = std::move(delegate); }
  ActionSheetDelegate* delegate() const { return delegate_.lock().get(); }
  void setClickedHandler(std::function<void(ActionSheet&, int)> handler) {
    clickedHandler_ = std::move(handler);
  }

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  Label* titleLabel() const { return titleLabel_.get(); }
  ActionSheetStyle actionSheetStyle() const { return style_; }
  void setActionSheetStyle(ActionSheetStyle style);

  int addButtonWithTitle(const std::string& title);
  int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
  std::string buttonTitleAtIndex(int index) const;
  Button* buttonAtIndex(int index) const;
  int cancelButtonIndex() const { return cancelIndex_; }
  void setCancelButtonIndex(int index);
  int destructiveButtonIndex() const { return destructiveIndex_; }
  void setDestructiveButtonIndex(int index);
  int firstOtherButtonIndex() const;

  // All show the sheet at the bottom of the screen above everything; the view only tells
  // where the sheet comes from.
  void showInView(View* view);
  void showFromTabBar(View* tabBar);
  void showFromToolbar(View* toolbar);
  bool isVisible() const { return visible_; }
  void dismissWithClickedButtonIndex(int buttonIndex, bool animated);
  // Presses a button as a tap would. False when not shown or out of range.
  bool pressButtonAtIndex(int index);

  static std::vector<std::shared_ptr<ActionSheet>> visibleSheets();
  static std::shared_ptr<ActionSheet> topSheet();
  static void dismissAll();

  void layoutSubviews() override {}
  std::string describe() const override;

 private:
  void relayout();
  void styleButtons();
  void finishDismiss(int buttonIndex);

  std::weak_ptr<ActionSheetDelegate> delegate_;
  std::function<void(ActionSheet&, int)> clickedHandler_;
  std::string title_;
  std::shared_ptr<Label> titleLabel_;
  std::vector<std::shared_ptr<Button>> buttons_;
  int cancelIndex_ = -1;
  int destructiveIndex_ = -1;
  ActionSheetStyle style_ = ActionSheetStyle::Default;
  ModalOverlay overlay_;
  bool visible_ = false;
};

}  // namespace ui
