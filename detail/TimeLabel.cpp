#include "detail/TimeLabel.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"

std::shared_ptr<TimeLabel> TimeLabel::create(const gfx::Rect& frame) {
  auto view = std::make_shared<TimeLabel>(frame);
  // Both children take the bubble's frame as it stands in its superview, so a bubble made away
  // from the origin shifts them by that origin.
  view->background_ = ui::ImageView::create(frame);
  view->background_->setBackgroundColor(gfx::Color::clear());
  view->background_->setImage(gfx::Image::named("timelabel.png").stretchable(0, 0));
  view->addSubview(view->background_);
  view->timelabel_ = ui::Label::create(frame);
  view->timelabel_->setBackgroundColor(gfx::Color::clear());
  view->timelabel_->setTextColor(gfx::Color::white());
  view->timelabel_->setFont(gfx::Font::boldSystemFont(12));
  view->timelabel_->setTextAlignment(gfx::TextAlignment::Center);
  view->addSubview(view->timelabel_);
  return view;
}
