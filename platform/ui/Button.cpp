#include "platform/ui/Button.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"

namespace ui {

namespace {

const gfx::Color kRoundedTitle = gfx::Color(0.196, 0.310, 0.522);

}  // namespace

Button::Button(ButtonType type, const gfx::Rect& frame) : Control(frame), type_(type) {
  titleLabel_ = std::make_shared<Label>();
  titleLabel_->setFont(gfx::Font::boldSystemFont(15));
  titleLabel_->setTextAlignment(gfx::TextAlignment::Center);
  titleLabel_->setLineBreakMode(gfx::LineBreakMode::TruncateMiddle);
  imageView_ = std::make_shared<ImageView>();
  imageView_->setContentMode(ContentMode::Center);
  addSubview(imageView_);
  addSubview(titleLabel_);
  setOpaque(false);
  if (type == ButtonType::RoundedRect) {
    titleColors_[ControlState::Normal] = kRoundedTitle;
    titleColors_[ControlState::Highlighted] = gfx::Color::white();
  } else {
    titleColors_[ControlState::Normal] = gfx::Color::white();
  }
  update();
}

std::shared_ptr<Button> Button::create(ButtonType type, const gfx::Rect& frame) {
  auto button = std::make_shared<Button>(type, frame);
  if (type == ButtonType::DetailDisclosure || type == ButtonType::InfoLight ||
      type == ButtonType::InfoDark || type == ButtonType::ContactAdd) {
    if (frame.isEmpty()) button->setFrame(gfx::Rect(frame.origin, gfx::Size(29, 31)));
  }
  return button;
}

template <class T>
std::optional<T> Button::lookup(const std::map<unsigned, T>& values) const {
  unsigned s = state();
  if (auto it = values.find(s); it != values.end()) return it->second;
  if ((s & ControlState::Selected) && (s & ControlState::Highlighted))
    if (auto it = values.find(ControlState::Selected); it != values.end()) return it->second;
  if (auto it = values.find(ControlState::Normal); it != values.end()) return it->second;
  return std::nullopt;
}

void Button::setTitle(const std::string& title, unsigned state) {
  titles_[state] = title;
  update();
}
std::optional<std::string> Button::title(unsigned state) const {
  auto it = titles_.find(state);
  return it == titles_.end() ? std::nullopt : std::optional<std::string>(it->second);
}
std::string Button::currentTitle() const {
  return lookup(titles_).value_or("");
}

void Button::setTitleColor(const gfx::Color& color, unsigned state) {
  titleColors_[state] = color;
  update();
}
std::optional<gfx::Color> Button::titleColor(unsigned state) const {
  auto it = titleColors_.find(state);
  return it == titleColors_.end() ? std::nullopt : std::optional<gfx::Color>(it->second);
}
gfx::Color Button::currentTitleColor() const {
  return lookup(titleColors_).value_or(gfx::Color::white());
}

void Button::setTitleShadowColor(const gfx::Color& color, unsigned state) {
  titleShadowColors_[state] = color;
  update();
}
std::optional<gfx::Color> Button::titleShadowColor(unsigned state) const {
  auto it = titleShadowColors_.find(state);
  return it == titleShadowColors_.end() ? std::nullopt : std::optional<gfx::Color>(it->second);
}

void Button::setImage(const gfx::Image& image, unsigned state) {
  images_[state] = image;
  update();
}
std::optional<gfx::Image> Button::image(unsigned state) const {
  auto it = images_.find(state);
  return it == images_.end() ? std::nullopt : std::optional<gfx::Image>(it->second);
}
gfx::Image Button::currentImage() const {
  return lookup(images_).value_or(gfx::Image());
}

void Button::setBackgroundImage(const gfx::Image& image, unsigned state) {
  backgroundImages_[state] = image;
  update();
}
std::optional<gfx::Image> Button::backgroundImage(unsigned state) const {
  auto it = backgroundImages_.find(state);
  return it == backgroundImages_.end() ? std::nullopt : std::optional<gfx::Image>(it->second);
}
gfx::Image Button::currentBackgroundImage() const {
  return lookup(backgroundImages_).value_or(gfx::Image());
}

void Button::setFont(const gfx::Font& font) {
  titleLabel_->setFont(font);
  setNeedsLayout();
}

void Button::setContentEdgeInsets(const gfx::EdgeInsets& insets) {
  contentInsets_ = insets;
  setNeedsLayout();
}
void Button::setTitleEdgeInsets(const gfx::EdgeInsets& insets) {
  titleInsets_ = insets;
  setNeedsLayout();
}
void Button::setImageEdgeInsets(const gfx::EdgeInsets& insets) {
  imageInsets_ = insets;
  setNeedsLayout();
}
void Button::setAdjustsImageWhenHighlighted(bool adjusts) {
  adjustsWhenHighlighted_ = adjusts;
  update();
}
void Button::setAdjustsImageWhenDisabled(bool adjusts) {
  adjustsWhenDisabled_ = adjusts;
  update();
}
void Button::setShowsTouchWhenHighlighted(bool shows) {
  showsTouch_ = shows;
  setNeedsDisplay();
}

void Button::stateDidChange() {
  update();
}

void Button::update() {
  unsigned s = state();
  titleLabel_->setText(currentTitle());
  titleLabel_->setTextColor(currentTitleColor());
  if (auto shadow = lookup(titleShadowColors_)) titleLabel_->setShadowColor(*shadow);
  gfx::Image img = currentImage();
  imageView_->setImage(img);
  // Without an image of its own for the state, a pressed or disabled button dims the normal one.
  bool ownHighlighted = images_.count(s) != 0;
  imageView_->setDimmed(!ownHighlighted && ((isHighlighted() && adjustsWhenHighlighted_) ||
                                            (!isEnabled() && adjustsWhenDisabled_)));
  setNeedsLayout();
  setNeedsDisplay();
}

gfx::Size Button::titleSize() const {
  std::string title = currentTitle();
  if (title.empty()) return gfx::Size();
  return gfx::measureText(title, titleLabel_->font());
}

namespace {

double alignedX(ContentHorizontalAlignment a, const gfx::Rect& content, double width) {
  switch (a) {
    case ContentHorizontalAlignment::Left:
      return content.minX();
    case ContentHorizontalAlignment::Right:
      return content.maxX() - width;
    default:
      return content.midX() - width / 2;
  }
}

double alignedY(ContentVerticalAlignment a, const gfx::Rect& content, double height) {
  switch (a) {
    case ContentVerticalAlignment::Top:
      return content.minY();
    case ContentVerticalAlignment::Bottom:
      return content.maxY() - height;
    default:
      return content.midY() - height / 2;
  }
}

}  // namespace

gfx::Rect Button::imageRectForContentRect(const gfx::Rect& content) const {
  gfx::Size img = currentImage().size();
  if (img.width <= 0) return gfx::Rect(content.midX(), content.midY(), 0, 0);
  gfx::Size title = titleSize();
  double total = img.width + title.width;
  double x = alignedX(contentHorizontalAlignment(), content, std::min(total, content.width()));
  if (contentHorizontalAlignment() == ContentHorizontalAlignment::Fill && currentTitle().empty())
    return content.inset(imageInsets_);
  double h =
      contentVerticalAlignment() == ContentVerticalAlignment::Fill ? content.height() : img.height;
  double y = alignedY(contentVerticalAlignment(), content, h);
  return gfx::Rect(x, y, img.width, h).inset(imageInsets_);
}

gfx::Rect Button::titleRectForContentRect(const gfx::Rect& content) const {
  gfx::Size title = titleSize();
  if (title.width <= 0) return gfx::Rect(content.midX(), content.midY(), 0, 0);
  double imgW = currentImage().size().width;
  double w = std::min(title.width, std::max(0.0, content.width() - imgW));
  double x =
      alignedX(contentHorizontalAlignment(), content, std::min(w + imgW, content.width())) + imgW;
  if (contentHorizontalAlignment() == ContentHorizontalAlignment::Fill) {
    x = content.minX() + imgW;
    w = content.width() - imgW;
  }
  double h = std::min(title.height, content.height());
  double y = alignedY(contentVerticalAlignment(), content, h);
  return gfx::Rect(x, y, w, h).inset(titleInsets_);
}

void Button::layoutSubviews() {
  gfx::Rect content = bounds().inset(contentInsets_);
  imageView_->setFrame(imageRectForContentRect(content));
  titleLabel_->setFrame(titleRectForContentRect(content));
  titleLabel_->setHidden(currentTitle().empty());
  imageView_->setHidden(currentImage().isEmpty());
}

void Button::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect b = bounds();
  gfx::Image background = currentBackgroundImage();
  if (!background.isEmpty()) {
    ctx.drawImage(background, b);
    bool own = backgroundImages_.count(state()) != 0;
    if (!own && isHighlighted() && adjustsWhenHighlighted_) {
      gfx::StateSaver saver(ctx);
      ctx.setBlendMode(gfx::BlendMode::Multiply);
      ctx.setAlpha(ctx.alpha() * 0.6);
      ctx.drawImage(background, b);
    }
  } else if (type_ == ButtonType::RoundedRect) {
    gfx::Rect r = b.inset(0.5, 0.5);
    if (isHighlighted()) {
      ctx.save();
      ctx.addRoundedRect(r, 8);
      ctx.clip();
      ctx.drawLinearGradient(
          gfx::Gradient::linear(gfx::Color(0.02, 0.55, 0.96), gfx::Color(0.0, 0.37, 0.90)),
          gfx::Point(0, b.minY()), gfx::Point(0, b.maxY()));
      ctx.restore();
    } else {
      ctx.setFillColor(gfx::Color::white());
      ctx.addRoundedRect(r, 8);
      ctx.fillPath();
    }
    ctx.setStrokeColor(gfx::Color::grey(0.55));
    ctx.setLineWidth(1);
    ctx.addRoundedRect(r, 8);
    ctx.strokePath();
  }
  if (showsTouch_ && isHighlighted()) {
    double d = std::min(b.width(), b.height());
    gfx::Point c = b.center();
    ctx.drawRadialGradient(
        gfx::Gradient::linear(gfx::Color::white().withAlpha(0.8), gfx::Color::white().withAlpha(0)),
        c, 0, c, d / 2);
  }
}

gfx::Size Button::sizeThatFits(gfx::Size) const {
  gfx::Size title = titleSize();
  gfx::Size img = currentImage().size();
  gfx::Size bg = currentBackgroundImage().size();
  double w = title.width + img.width + contentInsets_.left + contentInsets_.right;
  double h = std::max(title.height, img.height) + contentInsets_.top + contentInsets_.bottom;
  return gfx::Size(std::ceil(std::max(w, bg.width)), std::ceil(std::max(h, bg.height)));
}

std::string Button::describe() const {
  std::string d = View::describe();
  if (auto t = currentTitle(); !t.empty()) d += " title=" + t;
  if (isSelected()) d += " selected";
  if (!isEnabled()) d += " disabled";
  return d;
}

}  // namespace ui
