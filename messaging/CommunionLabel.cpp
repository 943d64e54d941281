#include "messaging/CommunionLabel.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"

CommunionLabel::CommunionLabel(const gfx::Rect& frame) : ui::Label(frame) {
  backgroundView_ = ui::ImageView::create(gfx::Rect(0, 0, 277, 20));
  bmbackgroundView_ = ui::ImageView::create(gfx::Rect(0, 0, 277, 20));
  addSubview(backgroundView_);
  addSubview(bmbackgroundView_);
}

std::shared_ptr<CommunionLabel> CommunionLabel::create(const gfx::Rect& frame) {
  return std::make_shared<CommunionLabel>(frame);
}

void CommunionLabel::needShowLabel() {
  if (titleLabel_) return;
  titleLabel_ = ui::Label::create(gfx::Rect(0, 0, bounds().width(), bounds().height()));
  titleLabel_->setUserInteractionEnabled(false);
  titleLabel_->setBackgroundColor(gfx::Color::clear());
  titleLabel_->setFont(font());
  titleLabel_->setText(text());
  addSubview(titleLabel_);
}

void CommunionLabel::setFrame(const gfx::Rect& frame) {
  const double oldWidth = this->frame().width();
  ui::Label::setFrame(frame);
  if (!laidOut_) {
    if (titleLabel_) titleLabel_->setFrame(gfx::Rect(0, 0, frame.width(), frame.height()));
    return;
  }
  // Once laid out: a new width (the cell's content view narrowed for the edit marks, or back)
  // lays the picture out again at once; otherwise the text keeps its rectangle (the content
  // view's autoresizing sets the frame again) and a new height waits for the host's setDrawType.
  if (frame.width() != oldWidth) {
    setDrawType(drawType_);
  } else if (titleLabel_) {
    titleLabel_->setFrame(textRect());
  }
}

gfx::Rect CommunionLabel::textRect() const {
  const gfx::Rect b = bounds();
  if (drawType_ == kTypeReceived)
    return gfx::Rect(drawPointer_ + drawSpaceWidth_, 5, drawWidth_, b.height() - 10);
  if (drawType_ == kTypeSent)
    return gfx::Rect(frame().width() - drawPointer_ - drawSpaceWidth_ - drawWidth_, 5, drawWidth_,
                     b.height() - 10);
  return b;
}

void CommunionLabel::setDrawType(int type) {
  drawType_ = type;
  if (!haveNoBackground_) return;
  laidOut_ = true;
  const double h = frame().height();
  const double upper = std::max(0.0, h - kStripHeight);
  const bool sent = type == kTypeSent;
  // Never wider than the bubble: in edit mode the bubble is narrower than the picture, which
  // would otherwise run past the screen's edge.
  const double width = std::min(kPictureWidth, std::max(0.0, frame().width()));
  const double x = sent ? frame().width() - width : 0;
  const gfx::Image top = gfx::Image::named(sent ? "YELLOWTOP.png" : "BLUETOP.png").stretchable(50, 30);
  const gfx::Image bottom = gfx::Image::named(sent ? "YELLOWBOTTOM.png" : "BLUEBOTTOM.png").stretchable(50, 0);
  if (backgroundView_) {
    backgroundView_->setFrame(gfx::Rect(x, 0, width, upper));
    backgroundView_->setImage(
        upper > 0 && width > 0 ? Extend::scaleToSize(top, gfx::Size(width, upper)) : gfx::Image());
  }
  bmbackgroundView_->setFrame(gfx::Rect(x, h - kStripHeight, width, kStripHeight));
  bmbackgroundView_->setImage(
      width > 0 ? Extend::scaleToSize(bottom, gfx::Size(width, kStripHeight)) : gfx::Image());
  if (titleLabel_) {
    const gfx::Rect r = textRect();
    titleLabel_->setFrame(r);
    titleLabel_->setNumberOfLines(static_cast<int>(r.height() / 15 + 1));
  }
}

void CommunionLabel::setText(const std::string& text) {
  ui::Label::setText(text);
  if (titleLabel_) {
    titleLabel_->setBackgroundColor(gfx::Color::clear());
    titleLabel_->setText(text);
  }
}

void CommunionLabel::setFont(const gfx::Font& font) {
  ui::Label::setFont(font);
  if (titleLabel_) titleLabel_->setFont(font);
}

void CommunionLabel::setLineBreakMode(gfx::LineBreakMode mode) {
  ui::Label::setLineBreakMode(mode);
  if (titleLabel_) titleLabel_->setLineBreakMode(mode);
}

void CommunionLabel::updateBeSelect(bool selected) {
  beSelect_ = selected;
  if (titleLabel_) titleLabel_->setNeedsDisplay();
}

void CommunionLabel::setHaveNoBackground(bool haveNoBackground) {
  haveNoBackground_ = haveNoBackground;
  if (haveNoBackground) return;
  if (backgroundView_) backgroundView_->removeFromSuperview();
  backgroundView_.reset();
  if (titleLabel_) titleLabel_->removeFromSuperview();
  titleLabel_.reset();
  setNeedsDisplay();
}

void CommunionLabel::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  // Nothing under the text: the bubble is see-through. In picture mode the picture views and
  // the inner label show the bubble.
  if (haveNoBackground_ || text().empty()) return;
  ctx.setFillColor(gfx::Color::black());
  ctx.drawText(text(), textRect(), gfx::TextStyle(font(), gfx::TextAlignment::Left, lineBreakMode()));
}

// --- touches and the menu -----------------------------------------------------------------------

void CommunionLabel::touchesBegan(const ui::TouchSet&, const ui::Event&) {
  if (auto* d = delegate()) d->communionLabelWillTap(*this, indexPath_);
  updateBeSelect(true);
  becomeFirstResponder();
  auto item = [this](const char* title, void (CommunionLabel::*action)()) {
    return ui::MenuItem{title, ui::WhileAlive(this, action)};
  };
  std::vector<ui::MenuItem> items{item("复制", &CommunionLabel::buttonAction_copy),
                                  item("分享", &CommunionLabel::buttonAction_shared)};
  if (drawType_ == kTypeReceived) items.push_back(item("回复", &CommunionLabel::buttonAction_replay));
  ui::MenuController& menu = ui::MenuController::shared();
  menu.setMenuItems(std::move(items));
  // The menu points at the bubble itself and opens beside it, never over the next bubble.
  menu.setTargetRect(gfx::Rect(160, 0, 60, bounds().height()), this);
  menu.setMenuVisible(true, true);
  menu.update();
}

void CommunionLabel::touchesEnded(const ui::TouchSet&, const ui::Event&) {
  if (auto* d = delegate()) d->communionLabelDidTap(*this, indexPath_);
}

void CommunionLabel::buttonAction_copy() {
  const std::string& shown = text();
  if (!shown.empty())
    ui::Pasteboard::general().setData(kPasteboardType, std::vector<std::uint8_t>(shown.begin(), shown.end()));
  if (auto* d = delegate()) d->communionLabelCopy(*this, indexPath_);
}

void CommunionLabel::buttonAction_shared() {
  if (auto* d = delegate()) d->communionLabelSharedTo(*this, indexPath_);
}

void CommunionLabel::buttonAction_replay() {
  if (auto* d = delegate()) d->communionLabelReplay(*this, indexPath_);
}
