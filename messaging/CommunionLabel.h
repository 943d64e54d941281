// One chat bubble of a conversation: a two-part bubble picture (blue on the left for a received
// message, yellow on the right for a sent one) with the text inside. A touch selects it and
// opens a menu: copy, share and, for a received message, reply. Taps and menu choices go to the
// delegate with the bubble's index path; the conversation does the sharing and replying.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

class CommunionLabel;

// Every method is optional.
class CommunionLabelDelegate {
 public:
  virtual ~CommunionLabelDelegate() = default;
  virtual void communionLabelWillTap(CommunionLabel& label, const ui::IndexPath& path) {
    (void)label;
    (void)path;
  }
  virtual void communionLabelDidTap(CommunionLabel& label, const ui::IndexPath& path) {
    (void)label;
    (void)path;
  }
  virtual void communionLabelSharedTo(CommunionLabel& label, const ui::IndexPath& path) {
    (void)label;
    (void)path;
  }
  virtual void communionLabelReplay(CommunionLabel& label, const ui::IndexPath& path) {
    (void)label;
    (void)path;
  }
  virtual void communionLabelCopy(CommunionLabel& label, const ui::IndexPath& path) {
    (void)label;
    (void)path;
  }
};

class CommunionLabel : public ui::Label {
 public:
  static constexpr int kTypeReceived = 1;
  static constexpr int kTypeSent = 2;
  // The bubble picture's width and the height of its bottom strip.
  static constexpr double kPictureWidth = 290;
  static constexpr double kStripHeight = 13;
  static constexpr const char* kPasteboardType = "OV_Stock";

  explicit CommunionLabel(const gfx::Rect& frame = {});
  static std::shared_ptr<CommunionLabel> create(const gfx::Rect& frame = {});

  // Makes the inner label that shows the text (picture mode).
  void needShowLabel();
  void setFrame(const gfx::Rect& frame) override;
  // Lays out the picture and the text rectangle for a received (1) or sent (2) bubble. The
  // picture is 290 wide, or as wide as the bubble when that is narrower; a later change of
  // width lays it out again.
  void setDrawType(int type);
  int drawType() const { return drawType_; }
  void setText(const std::string& text);
  void setFont(const gfx::Font& font);
  void setLineBreakMode(gfx::LineBreakMode mode);
  void updateBeSelect(bool selected);
  bool beSelect() const { return beSelect_; }
  // NO drops the upper picture and the inner label: the bubble draws its own text.
  void setHaveNoBackground(bool haveNoBackground);
  bool haveNoBackground() const { return haveNoBackground_; }

  void setIndexPath(const ui::IndexPath& path) { indexPath_ = path; }
  const ui::IndexPath& indexPath() const { return indexPath_; }
  void setDelegate(std::weak_ptr<CommunionLabelDelegate> delegate) { delegate_ = std::move(delegate); }
  CommunionLabelDelegate* delegate() const { return delegate_.lock().get(); }
  double drawSpaceWidth() const { return drawSpaceWidth_; }
  double drawWidth() const { return drawWidth_; }
  double drawPointer() const { return drawPointer_; }

  // Menu actions.
  void buttonAction_copy();
  void buttonAction_shared();
  void buttonAction_replay();

  // The text rectangle of the current draw type.
  gfx::Rect textRect() const;
  ui::ImageView* backgroundView() const { return backgroundView_.get(); }
  ui::ImageView* bottomView() const { return bmbackgroundView_.get(); }
  ui::Label* titleLabel() const { return titleLabel_.get(); }

  bool canBecomeFirstResponder() const override { return true; }
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;

 private:
  double drawSpaceWidth_ = 8;
  double drawWidth_ = 260;
  double drawPointer_ = 8;
  int drawType_ = kTypeReceived;
  bool beSelect_ = false;
  ui::IndexPath indexPath_ = ui::IndexPath::forRow(-1, -1);
  std::weak_ptr<CommunionLabelDelegate> delegate_;
  std::shared_ptr<ui::ImageView> backgroundView_;
  std::shared_ptr<ui::ImageView> bmbackgroundView_;
  std::shared_ptr<ui::Label> titleLabel_;
  bool haveNoBackground_ = true;
  bool laidOut_ = false;  // setDrawType has placed the picture once
};
