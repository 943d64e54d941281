// The reply bar along the bottom of a conversation: cancel, a text box that grows with its text
// and a reply button. It rides up with the keyboard and hands a finished text to its delegate,
// which sends it; the bar itself sends nothing.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextView.h"
#include "platform/ui/View.h"

class SendMessageTabbar;

// Every method is optional.
class SendMessageTabbarDelegate {
 public:
  virtual ~SendMessageTabbarDelegate() = default;
  // The bar moves with the keyboard or changed its height; `center` in its superview.
  virtual void sendMessageTabbarWillChangeCenter(SendMessageTabbar& bar, gfx::Point center) {
    (void)bar;
    (void)center;
  }
  // Declared for delegates; the bar never sends it.
  virtual void sendMessageTabbarDidCancel(SendMessageTabbar& bar) { (void)bar; }
  // Reply tapped with a text that is not blank (handed over as typed).
  virtual void sendMessageTabbarDidSendMessageWithText(SendMessageTabbar& bar,
                                                       const std::string& text) {
    (void)bar;
    (void)text;
  }
};

class SendMessageTabbar : public ui::View, public ui::TextViewDelegate {
 public:
  static constexpr double kHeight = 40;
  // The bar stops growing here and the text box scrolls instead.
  static constexpr double kMaxHeight = 100;
  static constexpr double kMoveDuration = 0.33;

  explicit SendMessageTabbar(const gfx::Rect& frame = {});
  ~SendMessageTabbar() override;
  // Builds the bar in `frame` and starts observing the keyboard.
  static std::shared_ptr<SendMessageTabbar> create(const gfx::Rect& frame);

  void setSendMessageDelegate(std::weak_ptr<SendMessageTabbarDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  SendMessageTabbarDelegate* sendMessageDelegate() const { return delegate_.lock().get(); }

  // The growth step: the bar takes height `height` keeping its bottom edge (below kMaxHeight).
  void changeToFrame(double height);
  void buttonAction_send();
  void buttonAction_cancel();
  void keyboardWillShow(const foundation::Notification& notification);
  void keyboardWillhidden(const foundation::Notification& notification);
  void addObservers();
  void removeObservers();

  // UITextViewDelegate.
  void textViewDidBeginEditing(ui::TextView& view) override;
  void textViewDidChange(ui::TextView& view) override;
  void scrollViewDidScroll(ui::ScrollView& view) override { (void)view; }

  ui::TextView* sendContent() const { return sendContent_.get(); }
  ui::Button* sendButton() const { return buttonSend_.get(); }
  ui::Button* cancelButton() const { return buttonCancel_.get(); }

 private:
  void build();
  void moveTo(gfx::Point center);
  void tellCenter(gfx::Point center);

  std::shared_ptr<ui::TextView> sendContent_;
  std::shared_ptr<ui::Button> buttonSend_;
  std::shared_ptr<ui::Button> buttonCancel_;
  std::weak_ptr<SendMessageTabbarDelegate> delegate_;
};
