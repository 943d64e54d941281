#include "shell/HomeItemView.h"

#include <cstdlib>
#include <vector>

#include "platform/graphics/CairoContext.h"
#include "platform/graphics/Font.h"
#include "platform/ui/LayerAnimation.h"
#include "platform/ui/Touch.h"
#include "shell/SharedTool.h"

namespace {

constexpr char kTitleFont[] = "Helvetica-Bold";
constexpr char kEmptyTitle[] = "空";

std::shared_ptr<ui::Label> MakeTitleLabel(const gfx::Rect& frame, double fontSize) {
  auto label = ui::Label::create(frame);
  label->setBackgroundColor(gfx::Color::clear());
  label->setTextAlignment(gfx::TextAlignment::Center);
  label->setTextColor(gfx::Color::white());
  label->setFont(gfx::Font::named(kTitleFont, fontSize));
  return label;
}

}  // namespace

HomeItemView::HomeItemView(const gfx::Rect& frame) : BaseView(frame) {
  const double w = frame.width();
  const double h = frame.height();
  const double iconY = (h - 64) / 2;
  addIconAndTitle(gfx::Rect((w - 44) / 2, iconY, 44, 44), gfx::Rect(0, iconY + 44 + 2, w, 20), 15);
  itemStyle_ = kHomeItemStyleGrid;
}

HomeItemView::HomeItemView(const gfx::Rect& frame, int style) : BaseView(frame) {
  const double w = frame.width();
  const double h = frame.height();
  const double s = style == kHomeItemStyleGrid ? 44 : 20;
  addIconAndTitle(gfx::Rect((w - s) / 2, (2 * h / 3 - s) / 2, s, s),
                  gfx::Rect(0, 2 * h / 3, w, h / 3), 12);
  itemStyle_ = style;
  if (style == kHomeItemStyleBar) {
    deleteButton_ = ui::Button::create(ui::ButtonType::Custom, gfx::Rect(w - 20, 0, 20, 20));
    deleteButton_->setBackgroundImage(gfx::Image::named("icon_delete.png"));
    deleteButton_->setHidden(true);
    addSubview(deleteButton_);
  }
  addSelectBg(gfx::Rect(0, 0, w, h));
}

std::shared_ptr<HomeItemView> HomeItemView::create(const gfx::Rect& frame) {
  return std::make_shared<HomeItemView>(frame);
}

std::shared_ptr<HomeItemView> HomeItemView::create(const gfx::Rect& frame, int style) {
  auto item = std::make_shared<HomeItemView>(frame, style);
  if (item->deleteButton_) {
    std::weak_ptr<HomeItemView> weakItem = item;
    item->deleteButton_->addTarget(
        [weakItem](ui::Control&) {
          if (auto self = weakItem.lock()) self->deleteButtonClick();
        },
        ui::ControlEvent::TouchUpInside, item.get());
  }
  return item;
}

void HomeItemView::addIconAndTitle(const gfx::Rect& iconFrame, const gfx::Rect& titleFrame,
                                   double fontSize) {
  setBackgroundColor(gfx::Color::clear());
  imageView_ = ui::ImageView::create(iconFrame);
  addSubview(imageView_);
  titleLabel_ = MakeTitleLabel(titleFrame, fontSize);
  addSubview(titleLabel_);
}

void HomeItemView::createWithTabBarStyle() {
  const double w = bounds().width();
  auto icon = ui::ImageView::create(gfx::Rect((w - 24) / 2, 2, 24, 24));
  icon->setImage(iconImage_);
  addSubview(icon);
  auto title = MakeTitleLabel(gfx::Rect(0, 28, w, 18), 13);
  if (titleLabel_) title->setText(titleLabel_->text());
  addSubview(title);
  imageView_ = std::move(icon);
  titleLabel_ = std::move(title);
}

void HomeItemView::addSelectBg(const gfx::Rect& rect) {
  selectedBg_ = ui::ImageView::create(gfx::Rect(0, 0, rect.width(), rect.height()));
  selectedBg_->setImage(gfx::Image::named("slide.png"));
  selectedBg_->layer().setMasksToBounds(true);
  selectedBg_->layer().setCornerRadius(8.0);
  selectedBg_->layer().setBorderWidth(1.0);
  selectedBg_->layer().setBorderColor(gfx::Color::clear());
  addSubview(selectedBg_);
  selectedBg_->setHidden(true);
}

void HomeItemView::updateWithParamDict(const foundation::Value& param, int functionID) {
  if (functionID < 0) {
    updateToEmptyItem();
    return;
  }
  if (deleteButton_ && isWobbling_) deleteButton_->setHidden(false);
  const foundation::Value& icon = param["Icon"];
  iconImage_ = icon.isString() ? gfx::Image::named(icon.asString()) : gfx::Image();
  imageView_->setImage(iconImage_);
  titleLabel_->setText(param["Title"].toString());
  functionID_ = functionID;
}

void HomeItemView::updateToEmptyItem() {
  if (deleteButton_) deleteButton_->setHidden(true);
  iconImage_ = gfx::Image::named("empty_item.png");
  imageView_->setImage(iconImage_);
  titleLabel_->setText(kEmptyTitle);
  functionID_ = -1;
}

void HomeItemView::updateWithTitle(const std::string& title) {
  titleLabel_->setText(title);
}

void HomeItemView::updateTouchState(bool pressed) {
  if (itemStyle_ == kHomeItemStyleBar) return;
  if (pressed) {
    setAlpha(0.9);
    setTransform(gfx::AffineTransform::scaling(1.1, 1.1));
  } else {
    setAlpha(1.0);
    setTransform(gfx::AffineTransform::identity());
  }
}

void HomeItemView::updateSelectState(bool selected) {
  if (selectedBg_) selectedBg_->setHidden(!selected);
  imageView_->setImage(selected ? beTouchedImage(iconImage_) : iconImage_);
}

gfx::Image HomeItemView::beTouchedImage(const gfx::Image& image) {
  return FillIconWithGradient(image, SharedResource::sharedObject()->getTouchGradient());
}

void HomeItemView::startWobble() {
  isWobbling_ = true;
  if (deleteButton_ && functionID_ != -1) deleteButton_->setHidden(false);
}

void HomeItemView::stopWobble() {
  isWobbling_ = false;
  if (deleteButton_) deleteButton_->setHidden(true);
}

void HomeItemView::wobble() {
  auto animation = ui::LayerAnimation::basic("transform");
  animation->setDuration(0.12);
  animation->setRepeatCount(ui::LayerAnimation::kRepeatForever);
  animation->setAutoreverses(true);
  const gfx::AffineTransform current = transform();
  animation->setFromValue(current.rotated(-0.04));
  animation->setToValue(current.rotated(0.04));
  layer().addAnimation(animation, kWobbleKey);
}

void HomeItemView::deleteButtonClick() {
  if (auto delegate = delegate_.lock()) delegate->HomeTabBarItemDidDelete(*this);
}

bool HomeItemView::moveEnabled() {
  auto delegate = delegate_.lock();
  return delegate && delegate->HomeItemMoveEnabled(*this);
}

void HomeItemView::touchesBegan(const ui::TouchSet& touches, const ui::Event&) {
  updateTouchState(true);
  if (!touches.empty()) startPoint_ = touches.front()->locationInView(superview());
  if (moveEnabled()) {
    // The delegate may release the tile; keep it until the call returns.
    auto hold = sharedView();
    if (auto delegate = delegate_.lock()) delegate->HomeItemMoved(*this, 0, 0, kHomeItemTouchBegan);
  }
}

void HomeItemView::touchesMoved(const ui::TouchSet& touches, const ui::Event&) {
  if (touches.empty() || !moveEnabled()) return;
  const gfx::Point p = touches.front()->locationInView(superview());
  const int dx = static_cast<int>(p.x - startPoint_.x);
  const int dy = static_cast<int>(p.y - startPoint_.y);
  if (std::abs(dx) < kMoveStep && std::abs(dy) < kMoveStep) return;
  startPoint_ = p;
  auto hold = sharedView();
  if (auto delegate = delegate_.lock()) delegate->HomeItemMoved(*this, dx, dy, kHomeItemTouchMoved);
}

void HomeItemView::touchesEnded(const ui::TouchSet& touches, const ui::Event&) {
  finishTouch(touches, false);
}

void HomeItemView::touchesCancelled(const ui::TouchSet& touches, const ui::Event&) {
  finishTouch(touches, true);
}

void HomeItemView::finishTouch(const ui::TouchSet& touches, bool cancelled) {
  auto hold = sharedView();
  updateTouchState(false);
  auto delegate = delegate_.lock();
  if (itemStyle_ == kHomeItemStyleBar) {
    // Bar tiles open their function when the finger is lifted on them, or near enough for a
    // finger's slip; a finger taken away (or a cancelled touch) opens nothing.
    if (!delegate || cancelled) return;
    if (!touches.empty() &&
        !frame().inset(-kLiftSlop, -kLiftSlop).contains(touches.front()->locationInView(superview())))
      return;
    delegate->HomeTabBarItemClicked(*this);
    return;
  }
  startPoint_ = gfx::Point(0, 0);
  if (!delegate) return;
  if (delegate->HomeItemMoveEnabled(*this)) {
    // A drag ends the same way whether lifted or cancelled: the owner puts the tile back.
    delegate->HomeItemMoved(*this, 0, 0, kHomeItemTouchEnded);
    return;
  }
  // Otherwise a tap, when lifted inside the tile; a cancelled touch is no tap.
  if (cancelled || touches.empty()) return;
  const gfx::Point end = touches.front()->locationInView(superview());
  if (frame().contains(end)) delegate->HomeItemMoved(*this, 0, 0, kHomeItemTouchEnded);
}
