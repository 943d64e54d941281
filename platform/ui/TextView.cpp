#include "platform/ui/TextView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

constexpr double kSide = 4;
constexpr double kTop = 8;

}  // namespace

TextView::TextView(const gfx::Rect& frame) : ScrollView(frame) {
  setBackgroundColor(gfx::Color::white());
  setAlwaysBounceVertical(true);
  setAutocapitalizationType(TextAutocapitalizationType::Sentences);
}

TextView::~TextView() = default;

std::shared_ptr<TextView> TextView::create(const gfx::Rect& frame) {
  return std::make_shared<TextView>(frame);
}

void TextView::setDelegate(std::weak_ptr<TextViewDelegate> delegate) {
  textDelegate_ = delegate;
  ScrollView::setDelegate(std::weak_ptr<ScrollViewDelegate>(delegate.lock()));
}

void TextView::setText(const std::string& text) {
  text_ = text;
  updateContentSize();
  setNeedsDisplay();
}

void TextView::setFont(const gfx::Font& font) {
  font_ = font;
  updateContentSize();
  setNeedsDisplay();
}

void TextView::setTextColor(const gfx::Color& color) {
  textColor_ = color;
  setNeedsDisplay();
}

void TextView::setTextAlignment(gfx::TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void TextView::setEditable(bool editable) {
  editable_ = editable;
  if (!editable && editing_)
    if (Window* w = window(); w && w->firstResponder() == this) w->setFirstResponder(nullptr, true);
}

void TextView::setFrame(const gfx::Rect& frame) {
  ScrollView::setFrame(frame);
  updateContentSize();
}

gfx::TextStyle TextView::style() const {
  return gfx::TextStyle(font_, alignment_, gfx::LineBreakMode::WordWrap);
}

gfx::Rect TextView::textRect() const {
  double width = std::max(0.0, bounds().width() - 2 * kSide);
  gfx::Size size = gfx::measureText(text_.empty() ? " " : text_, style(), gfx::Size(width, 1e6));
  return gfx::Rect(kSide, kTop, width, size.height);
}

void TextView::updateContentSize() {
  gfx::Rect r = textRect();
  setContentSize(gfx::Size(bounds().width(), r.maxY() + kTop));
}

void TextView::scrollToEnd() {
  double maxY = maximumContentOffset().y;
  if (maxY > contentOffset().y || contentOffset().y > maxY)
    setContentOffset(gfx::Point(contentOffset().x, std::max(minimumContentOffset().y, maxY)));
}

void TextView::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect r = textRect();
  ctx.setFillColor(textColor_);
  if (!text_.empty())
    ctx.drawText(text_, gfx::Rect(r.x(), r.y(), r.width(), r.height() + 4), style());
  if (editing_) {
    // The caret after the last character.
    std::string last = text_;
    size_t nl = last.rfind('\n');
    std::string line = nl == std::string::npos ? last : last.substr(nl + 1);
    gfx::Size whole =
        gfx::measureText(text_.empty() ? " " : text_, style(), gfx::Size(r.width(), 1e6));
    double lineHeight = std::ceil(font_.pointSize() * 1.2);
    double x = r.x() + std::min(r.width() - 2, gfx::measureText(line, font_).width);
    double y = r.y() + std::max(0.0, whole.height - lineHeight);
    if (!text_.empty() && text_.back() == '\n') {
      x = r.x();
      y = r.y() + whole.height;
    }
    ctx.setFillColor(gfx::Color::rgb255(0, 122, 255));
    ctx.fillRect(gfx::Rect(x, y, 2, lineHeight));
  }
}

std::string TextView::describe() const {
  return ScrollView::describe() + " text=" + text_ + (editing_ ? " editing" : "");
}

bool TextView::canBecomeFirstResponder() const {
  return editable_ && isUserInteractionEnabled();
}

bool TextView::canResignFirstResponder() const {
  auto d = textDelegate_.lock();
  return !d || d->textViewShouldEndEditing(const_cast<TextView&>(*this));
}

bool TextView::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!window() || !canBecomeFirstResponder()) return false;
  auto hold = sharedView();
  if (auto d = textDelegate_.lock(); d && !d->textViewShouldBeginEditing(*this)) return false;
  return ScrollView::becomeFirstResponder();
}

void TextView::didBecomeFirstResponder() {
  auto hold = sharedView();
  editing_ = true;
  setNeedsDisplay();
  if (auto d = textDelegate_.lock()) d->textViewDidBeginEditing(*this);
  foundation::NotificationCenter::defaultCenter().post(kTextViewTextDidBeginEditingNotification,
                                                       this);
}

void TextView::didResignFirstResponder() {
  auto hold = sharedView();
  editing_ = false;
  setNeedsDisplay();
  if (auto d = textDelegate_.lock()) d->textViewDidEndEditing(*this);
  foundation::NotificationCenter::defaultCenter().post(kTextViewTextDidEndEditingNotification,
                                                       this);
}

void TextView::willMoveToWindow(Window* newWindow) {
  if (!newWindow && editing_)
    if (Window* w = window(); w && w->firstResponder() == this) w->setFirstResponder(nullptr, true);
}

bool TextView::replace(TextRange range, const std::string& text) {
  auto hold = sharedView();
  auto d = textDelegate_.lock();
  if (d && !d->textViewShouldChangeTextInRange(*this, range, text)) return false;
  text_ = replaceUtf16Range(text_, range, text);
  updateContentSize();
  scrollToEnd();
  setNeedsDisplay();
  if (d) d->textViewDidChange(*this);
  foundation::NotificationCenter::defaultCenter().post(kTextViewTextDidChangeNotification, this);
  return true;
}

void TextView::insertText(const std::string& text) {
  if (!editing_ || text.empty()) return;
  replace({utf16Length(text_), 0}, text);
}

void TextView::deleteBackward() {
  if (!editing_ || text_.empty()) return;
  std::string shorter = dropLastCharacter(text_);
  size_t total = utf16Length(text_);
  size_t kept = utf16Length(shorter);
  replace({kept, total - kept}, "");
}

bool TextView::keyPressed(const std::string& name) {
  if (!editing_) return false;
  if (name == "Return") {
    insertText("\n");
    return true;
  }
  if (name == "Escape") {
    resignFirstResponder();
    return true;
  }
  return ScrollView::keyPressed(name);
}

void TextView::touchesEnded(const TouchSet& touches, const Event& event) {
  bool dragged = isDragging() || isDecelerating();
  auto hold = sharedView();
  ScrollView::touchesEnded(touches, event);
  if (!dragged && editable_ && !editing_) becomeFirstResponder();
}

}  // namespace ui
