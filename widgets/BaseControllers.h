// Base controllers screens build on: UIBaseViewController with an empty message hook, and
// ArScrollViewController, whose scroll view shrinks while the keyboard is up and scrolls the
// field being edited into view.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"

class UIBaseViewController : public ui::ViewController {
 public:
  // A received packet record (status word, header, body); subclasses that take packets this
  // way override it.
  virtual void doMsg(const uint8_t* record) { (void)record; }
};

class ArScrollViewController : public ui::ViewController,
                               public ui::ScrollViewDelegate,
                               public ui::TextFieldDelegate {
 public:
  ArScrollViewController() = default;
  ~ArScrollViewController() override;

  // Makes the scroll view the screen's fields go in, unless the subclass set its own.
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  void registerForKeyboardNotifications();
  void removeForKeyboardNotifications();
  // A screen that scrolls its fields its own way replaces this.
  virtual void keyboardWasShown(const foundation::Notification& notification);
  void keyboardWasHidden(const foundation::Notification& notification);

  bool textFieldShouldReturn(ui::TextField& field) override;

  ui::ScrollView* mView() const { return mView_.get(); }
  void setMView(std::shared_ptr<ui::ScrollView> view) { mView_ = std::move(view); }
  bool keyboardIsShowing() const { return mKeyboardIsShowing; }
  // Points between the scroll view's bottom and the screen's bottom that the keyboard may
  // cover without shrinking the view.
  uint32_t heightToBottomScreen() const { return mHeightToBottomScreen; }
  void setHeightToBottomScreen(uint32_t points) { mHeightToBottomScreen = points; }
  gfx::Rect scrollViewFrame() const { return scrollViewFrame_; }
  void setScrollViewFrame(const gfx::Rect& frame) { scrollViewFrame_ = frame; }

 protected:
  void setKeyboardIsShowing(bool showing) { mKeyboardIsShowing = showing; }
  static void commitEmptyAnimation();

 private:

  std::shared_ptr<ui::ScrollView> mView_;
  bool mKeyboardIsShowing = false;
  uint32_t mHeightToBottomScreen = 0;
  gfx::Rect scrollViewFrame_;
};
