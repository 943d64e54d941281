#include "widgets/SmallBoxes.h"

#include <cmath>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"

AlertLoading::AlertLoading(const gfx::Rect& frame) : ui::View(frame) {
  const double w = frame.width();
  const double h = frame.height();
  setHidden(true);
  setBackgroundColor(gfx::Color::clear());
  label_ = ui::Label::create(gfx::Rect(22, 0, w, h));
  label_->setBackgroundColor(gfx::Color::clear());
  label_->setFont(gfx::Font::boldSystemFont(13));
  label_->setTextAlignment(gfx::TextAlignment::Left);
  label_->setTextColor(gfx::Color::white());
  myActivity_ = ui::ActivityIndicatorView::create(ui::ActivityIndicatorStyle::White);
  myActivity_->setFrame(gfx::Rect(4, (h - 16) / 2, 16, 16));
  addSubview(label_);
  addSubview(myActivity_);
}

std::shared_ptr<AlertLoading> AlertLoading::create(const gfx::Rect& frame) {
  return std::make_shared<AlertLoading>(frame);
}

void AlertLoading::showAlertMsg() {
  if (auto label = labelToHide_.lock()) label->setHidden(true);
  setHidden(false);
  // One timer per show, never cancelled: an earlier show's timer hides a later show too. It
  // holds the strip weakly, so a strip released meanwhile is left alone.
  std::weak_ptr<AlertLoading> weak = sharedAs<AlertLoading>();
  foundation::Timer::schedule(kAutoHideSeconds, false, [weak](foundation::Timer&) {
    if (auto self = weak.lock()) self->handleOrientalFlag();
  });
  myActivity_->startAnimating();
}

void AlertLoading::hideAlertMsg() {
  if (auto label = labelToHide_.lock()) label->setHidden(false);
  setHidden(true);
  myActivity_->stopAnimating();
}

void AlertLoading::setAlertTextMsg(const std::string& text) {
  label_->setText(text);
}

AlertText::AlertText(const gfx::Rect& frame) : ui::View(frame) {
  const double w = frame.width();
  const double h = frame.height();
  setHidden(true);
  background_ = ui::ImageView::create(gfx::Rect(0, 0, w, h));
  background_->setBackgroundColor(gfx::Color::clear());
  background_->setImage(gfx::Image::named("bg.png").stretchable(0, 0));
  flagImage_ = ui::ImageView::create(gfx::Rect(w / 2 - 32, h / 8, 64, 64));
  flagImage_->setBackgroundColor(gfx::Color::clear());
  label_ = ui::Label::create(gfx::Rect(5, h / 2, w - 10, h / 2));
  label_->setBackgroundColor(gfx::Color::clear());
  label_->setFont(gfx::Font::boldSystemFont(13));
  label_->setTextAlignment(gfx::TextAlignment::Center);
  label_->setTextColor(gfx::Color::white());
  addSubview(background_);
  addSubview(flagImage_);
  addSubview(label_);
}

std::shared_ptr<AlertText> AlertText::create(const gfx::Rect& frame) {
  return std::make_shared<AlertText>(frame);
}

void AlertText::showAlertMsg() {
  setHidden(false);
  std::weak_ptr<AlertText> weak = sharedAs<AlertText>();
  foundation::Timer::schedule(kAutoHideSeconds, false, [weak](foundation::Timer&) {
    if (auto self = weak.lock()) self->handleOrientalFlag();
  });
}

std::shared_ptr<myUIAlertView> myUIAlertView::create(
    const std::string& title, const std::string& message,
    std::weak_ptr<ui::AlertViewDelegate> delegate, const std::string& cancelButtonTitle,
    const std::vector<std::string>& otherButtonTitles) {
  auto alert = std::make_shared<myUIAlertView>();
  alert->setTitle(title);
  alert->setMessage(message);
  alert->setDelegate(std::move(delegate));
  if (!cancelButtonTitle.empty()) {
    alert->setCancelButtonIndex(alert->addButtonWithTitle(cancelButtonTitle));
  }
  for (const auto& other : otherButtonTitles) alert->addButtonWithTitle(other);
  return alert;
}

void myUIAlertView::setAlignLeft() {
  for (const auto& view : subviews()) {
    if (auto* label = dynamic_cast<ui::Label*>(view.get())) {
      label->setTextAlignment(gfx::TextAlignment::Left);
    }
  }
}

myTextField::myTextField(const gfx::Rect& frame) : ui::TextField(frame) {
  setBorderStyle(ui::TextBorderStyle::None);
}

std::shared_ptr<myTextField> myTextField::create(const gfx::Rect& frame) {
  return std::make_shared<myTextField>(frame);
}

gfx::Rect myTextField::leftViewRectForBounds(const gfx::Rect&) const {
  const ui::View* view = leftView();
  if (!view) return gfx::Rect();
  const gfx::Rect v = view->bounds();
  return gfx::Rect(2, std::floor((bounds().height() - v.height()) / 2), v.width(), v.height());
}

gfx::Rect myTextField::rightViewRectForBounds(const gfx::Rect&) const {
  const ui::View* view = rightView();
  if (!view) return gfx::Rect();
  const gfx::Rect v = view->bounds();
  const gfx::Rect b = bounds();
  return gfx::Rect(b.width() - v.width() - 2, std::floor((b.height() - v.height()) / 2), v.width(),
                   v.height());
}

bool isEmptyString(std::string_view text) {
  return text.empty() || text.front() == '\0';
}
