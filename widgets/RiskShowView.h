// A modal notice box: a text panel with OK and cancel and an optional acknowledgement check box,
// faded in over the key window. The answer goes to the delegate as one number: 1 (OK with the
// box ticked), 0 (OK) or -1 (cancel).
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/View.h"

// Tags inside the box.
inline constexpr int kRiskTextFrameTag = 10;
inline constexpr int kRiskTextTag = 11;
inline constexpr int kRiskCheckCaptionTag = 15;

class RiskShowViewDelegate {
 public:
  virtual ~RiskShowViewDelegate() = default;
  virtual void RiskViewDoneWithValue(int value) { (void)value; }
};

class RiskShowView : public ui::View {
 public:
  static constexpr double kFadeSeconds = 0.8;

  explicit RiskShowView(const gfx::Rect& frame = {});
  // The box as its interface builds it.
  static std::shared_ptr<RiskShowView> createWithDefaultXib();

  void setDelegate(std::weak_ptr<RiskShowViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  RiskShowViewDelegate* delegate() const { return delegate_.lock().get(); }

  void setContentText(const std::string& text);
  // Hides the check box and its caption; the text grows into their room.
  void hideCheckBox();
  void showInWindow();
  // Adds the box to `view` (once) and fades it in.
  void showInView(ui::View& view);
  // Fades out, then leaves the superview.
  void remove();

  void button_CheckBox(ui::Control& sender);
  void button_OK();
  void button_Cancel();

  ui::View* readlyView() const { return readlyView_.get(); }
  ui::Button* btnCheckBox() const { return btnCheckBox_.get(); }
  ui::Button* YFBtnOK() const { return YFBtnOK_.get(); }
  ui::Button* YFBtnCancle() const { return YFBtnCancle_.get(); }

 private:
  void answer(int value);

  std::weak_ptr<RiskShowViewDelegate> delegate_;
  std::shared_ptr<ui::View> readlyView_;
  std::shared_ptr<ui::Button> btnCheckBox_;
  std::shared_ptr<ui::Button> YFBtnCancle_;
  std::shared_ptr<ui::Button> YFBtnOK_;
  bool tapsWired_ = false;
  bool answered_ = false;
};
