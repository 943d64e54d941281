// A self-drawn prompt over the whole screen: dimming layer, white rounded panel (tag 1000) with
// title, message, an optional "下次不在提醒" check box, and the buttons "取消" (index 0) and
// "确定" (index 1). It pops in with a bouncing scale and removes itself when a button is
// pressed, after telling its delegate, which reads the check box from bolTag().
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/View.h"

class GPPopShareView;

class GPPopShareViewDelegate {
 public:
  virtual ~GPPopShareViewDelegate() = default;
  virtual void clickPopShareView(GPPopShareView& view, int buttonIndex) {
    (void)view;
    (void)buttonIndex;
  }
};

inline constexpr int kPopSharePanelTag = 1000;
inline constexpr char kPopShareCheckText[] = "下次不在提醒";

class GPPopShareView : public ui::View {
 public:
  explicit GPPopShareView(const gfx::Rect& frame = {});
  static std::shared_ptr<GPPopShareView> create(const gfx::Rect& frame);

  // 0 for an empty text; else its one-line width in `font`, capped at a positive `limit`, or
  // rounded up to a whole point.
  static double getTxtLength(const std::string& text, const gfx::Font& font, double limit);

  // Builds the prompt; the panel only when the message is not empty.
  void upView();
  // Adds the prompt to the key window with the pop-in animation; the keyboard closes.
  void showInWindow();
  // The check box's tap.
  void clikeShare();
  void LeftAction_Click();
  void rightAction_Click();

  const std::string& contentString() const { return contentString_; }
  void setContentString(const std::string& text) { contentString_ = text; }
  const std::string& contentTitle() const { return contentTitle_; }
  void setContentTitle(const std::string& text) { contentTitle_ = text; }
  bool bolShareButton() const { return bolShareButton_; }
  void setBolShareButton(bool show) { bolShareButton_ = show; }
  bool bolTag() const { return bolTag_; }
  void setBolTag(bool ticked) { bolTag_ = ticked; }
  std::weak_ptr<GPPopShareViewDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<GPPopShareViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  int leftButtonTag() const { return leftButtonTag_; }
  void setLeftButtonTag(int tag) { leftButtonTag_ = tag; }
  int rightButtonTag() const { return rightButtonTag_; }
  void setRightButtonTag(int tag) { rightButtonTag_ = tag; }
  ui::Button* selButton() const { return selButton_.get(); }

  static constexpr double kPopDuration = 0.4;

 private:
  // The button stops dimming its image and gets a single-tap recogniser running `action`.
  void btnWithGesture(ui::Button& button, void (GPPopShareView::*action)());
  void finish(int index);

  std::string contentString_;
  std::string contentTitle_;
  bool bolShareButton_ = false;
  bool bolTag_ = false;
  std::weak_ptr<GPPopShareViewDelegate> delegate_;
  int leftButtonTag_ = 0;
  int rightButtonTag_ = 0;
  std::shared_ptr<ui::Button> selButton_;
};
