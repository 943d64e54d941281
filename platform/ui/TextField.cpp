#include "platform/ui/TextField.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

namespace ui {

namespace {

constexpr double kClearButtonSize = 19;
constexpr double kTextInset = 7;
// How far a glyph may reach past its origin or its advance (the hook of a J, an italic end).
constexpr double kGlyphOverhang = 2;

void post(const char* name, const TextField* field) {
  foundation::NotificationCenter::defaultCenter().post(name, field);
}

// The UTF-16 width of the character that ends at `caret` (1, or 2 for a surrogate pair).
size_t unitsBefore(const std::u16string& units, size_t caret) {
  if (caret == 0) return 0;
  char16_t last = units[caret - 1];
  if (caret >= 2 && last >= 0xDC00 && last <= 0xDFFF) return 2;
  return 1;
}

}  // namespace

TextField::TextField(const gfx::Rect& frame) : Control(frame) {
  setContentVerticalAlignment(ContentVerticalAlignment::Top);
}

TextField::~TextField() = default;

std::shared_ptr<TextField> TextField::create(const gfx::Rect& frame) {
  return std::make_shared<TextField>(frame);
}

void TextField::setText(const std::string& text) {
  text_ = text;
  caret_ = utf16Length(text_);
  setNeedsLayout();
  setNeedsDisplay();
}

void TextField::setPlaceholder(const std::string& placeholder) {
  placeholder_ = placeholder;
  setNeedsDisplay();
}

void TextField::setFont(const gfx::Font& font) {
  font_ = font;
  setNeedsDisplay();
}

void TextField::setTextColor(const gfx::Color& color) {
  textColor_ = color;
  setNeedsDisplay();
}

void TextField::setPlaceholderColor(const gfx::Color& color) {
  placeholderColor_ = color;
  setNeedsDisplay();
}

void TextField::setTextAlignment(gfx::TextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style) {
  borderStyle_ = style;
  if (style == TextBorderStyle::RoundedRect && backgroundColor() == gfx::Color::clear())
    setBackgroundColor(gfx::Color::white());
  setNeedsLayout();
  setNeedsDisplay();
}

void TextField::setAdjustsFontSizeToFitWidth(bool adjusts) {
  adjustsFontSize_ = adjusts;
  setNeedsDisplay();
}

void TextField::setMinimumFontSize(double size) {
  minimumFontSize_ = size;
  setNeedsDisplay();
}

void TextField::setSecureTextEntry(bool secure) {
  TextInputClient::setSecureTextEntry(secure);
  setNeedsDisplay();
}

void TextField::setClearButtonMode(TextFieldViewMode mode) {
  clearButtonMode_ = mode;
  setNeedsLayout();
  setNeedsDisplay();
}

void TextField::setLeftView(std::shared_ptr<View> view) {
  if (leftView_) leftView_->removeFromSuperview();
  leftView_ = std::move(view);
  if (leftView_) addSubview(leftView_);
  setNeedsLayout();
}

void TextField::setLeftViewMode(TextFieldViewMode mode) {
  leftViewMode_ = mode;
  setNeedsLayout();
}

void TextField::setRightView(std::shared_ptr<View> view) {
  if (rightView_) rightView_->removeFromSuperview();
  rightView_ = std::move(view);
  if (rightView_) addSubview(rightView_);
  setNeedsLayout();
}

void TextField::setRightViewMode(TextFieldViewMode mode) {
  rightViewMode_ = mode;
  setNeedsLayout();
}

void TextField::setCaretPosition(size_t position) {
  caret_ = std::min(position, utf16Length(text_));
  setNeedsDisplay();
}

bool TextField::showsInMode(TextFieldViewMode mode) const {
  switch (mode) {
    case TextFieldViewMode::Never:
      return false;
    case TextFieldViewMode::WhileEditing:
      return editing_;
    case TextFieldViewMode::UnlessEditing:
      return !editing_;
    case TextFieldViewMode::Always:
      return true;
  }
  return false;
}

bool TextField::isClearButtonVisible() const {
  return !text_.empty() && showsInMode(clearButtonMode_);
}

std::string TextField::displayText() const {
  if (!isSecureTextEntry()) return text_;
  std::string dots;
  for (size_t i = 0, n = foundation::utf8ToUtf16(text_).size(); i < n; ++i) dots += "●";
  return dots;
}

// --- layout -----------------------------------------------------------------------------------

gfx::Rect TextField::borderRectForBounds(const gfx::Rect& bounds) const {
  return bounds;
}

gfx::Rect TextField::textRectForBounds(const gfx::Rect& bounds) const {
  double left = borderStyle_ == TextBorderStyle::None ? 0 : kTextInset;
  double right = left;
  if (leftView_ && showsInMode(leftViewMode_))
    left = std::max(left, leftViewRectForBounds(bounds).maxX() + 2);
  if (rightView_ && showsInMode(rightViewMode_))
    right = std::max(right, bounds.width() - rightViewRectForBounds(bounds).x() + 2);
  if (isClearButtonVisible())
    right = std::max(right, bounds.width() - clearButtonRectForBounds(bounds).x() + 2);
  double inset = borderStyle_ == TextBorderStyle::None ? 0 : 2;
  return gfx::Rect(bounds.x() + left, bounds.y() + inset,
                   std::max(0.0, bounds.width() - left - right),
                   std::max(0.0, bounds.height() - 2 * inset));
}

gfx::Rect TextField::placeholderRectForBounds(const gfx::Rect& bounds) const {
  return textRectForBounds(bounds);
}

gfx::Rect TextField::editingRectForBounds(const gfx::Rect& bounds) const {
  return textRectForBounds(bounds);
}

gfx::Rect TextField::clearButtonRectForBounds(const gfx::Rect& bounds) const {
  double right = 4;
  if (rightView_ && showsInMode(rightViewMode_))
    right = bounds.width() - rightViewRectForBounds(bounds).x() + 2;
  return gfx::Rect(bounds.width() - right - kClearButtonSize,
                   std::floor((bounds.height() - kClearButtonSize) / 2), kClearButtonSize,
                   kClearButtonSize);
}

gfx::Rect TextField::leftViewRectForBounds(const gfx::Rect& bounds) const {
  if (!leftView_) return gfx::Rect();
  gfx::Size s = leftView_->bounds().size;
  return gfx::Rect(0, std::floor((bounds.height() - s.height) / 2), s.width, s.height);
}

gfx::Rect TextField::rightViewRectForBounds(const gfx::Rect& bounds) const {
  if (!rightView_) return gfx::Rect();
  gfx::Size s = rightView_->bounds().size;
  return gfx::Rect(bounds.width() - s.width, std::floor((bounds.height() - s.height) / 2), s.width,
                   s.height);
}

void TextField::layoutSubviews() {
  if (leftView_) {
    leftView_->setFrame(leftViewRectForBounds(bounds()));
    leftView_->setHidden(!showsInMode(leftViewMode_));
  }
  if (rightView_) {
    rightView_->setFrame(rightViewRectForBounds(bounds()));
    rightView_->setHidden(!showsInMode(rightViewMode_));
  }
}

// --- drawing ----------------------------------------------------------------------------------

gfx::TextStyle TextField::style() const {
  gfx::TextStyle s(font_, alignment_, gfx::LineBreakMode::Clip);
  s.numberOfLines = 1;
  if (adjustsFontSize_ && minimumFontSize_ > 0 && font_.pointSize() > 0)
    s.minimumScaleFactor = minimumFontSize_ / font_.pointSize();
  return s;
}

void TextField::drawRect(gfx::Context& ctx, const gfx::Rect&) {
  gfx::Rect b = bounds();
  switch (borderStyle_) {
    case TextBorderStyle::None:
      break;
    case TextBorderStyle::Line:
      ctx.setStrokeColor(gfx::Color::black());
      ctx.strokeRect(b.inset(0.5, 0.5), 1);
      break;
    case TextBorderStyle::Bezel:
      ctx.setStrokeColor(gfx::Color::grey(0.45));
      ctx.strokeRect(b.inset(0.5, 0.5), 1);
      ctx.setStrokeColor(gfx::Color::grey(0.75));
      ctx.strokeRect(b.inset(1.5, 1.5), 1);
      break;
    case TextBorderStyle::RoundedRect:
      ctx.setStrokeColor(gfx::Color::grey(0.7));
      ctx.setLineWidth(1);
      ctx.beginPath();
      ctx.addRoundedRect(b.inset(0.5, 0.5), 6);
      ctx.strokePath();
      break;
  }

  gfx::Rect r = editing_ ? editingRectForBounds(b) : textRectForBounds(b);
  bool empty = text_.empty();
  std::string shown = empty ? placeholder_ : displayText();
  gfx::TextStyle s = style();
  gfx::Size size = gfx::measureText(shown, s.font);
  double y = r.y();
  switch (contentVerticalAlignment()) {
    case ContentVerticalAlignment::Center:
    case ContentVerticalAlignment::Fill:
      y = r.y() + std::floor((r.height() - size.height) / 2);
      break;
    case ContentVerticalAlignment::Bottom:
      y = r.maxY() - size.height;
      break;
    case ContentVerticalAlignment::Top:
      break;
  }
  gfx::Rect textRect(r.x(), y, r.width(), size.height);
  // While editing a text too long for the field, its end (where the caret is) stays visible.
  double shift = 0;
  if (editing_ && !empty && size.width > r.width()) {
    shift = size.width - r.width();
    s.alignment = gfx::TextAlignment::Left;
  }
  // At rest a text too long for the field ends in an ellipsis rather than in a glyph cut in two
  // at the field's edge; a text that fits is not clipped to its own box either (see below).
  if (!editing_ || shift <= 0) s.lineBreak = gfx::LineBreakMode::TruncateTail;
  {
    gfx::StateSaver saver(ctx);
    // A glyph may reach a little past its origin (the hook of a J): a text at rest is cut at
    // the field's edges, not at its own. A scrolled text is cut at its own, where it scrolls.
    gfx::Rect clip = r;
    if (shift <= 0) {
      const double before = std::clamp(r.x() - b.x(), 0.0, kGlyphOverhang);
      const double after = std::clamp(b.maxX() - r.maxX(), 0.0, kGlyphOverhang);
      clip = gfx::Rect(r.x() - before, r.y(), r.width() + before + after, r.height());
    }
    ctx.beginPath();
    ctx.addRect(clip);
    ctx.clip();
    ctx.setFillColor(empty ? placeholderColor_ : textColor_);
    gfx::Rect drawRect = textRect;
    if (shift > 0) drawRect = gfx::Rect(r.x() - shift, y, size.width + 1, size.height);
    {
      // While editing, the field scrolls its text sideways under its edge (told to the checks
      // of cut texts as a list scrolling across would be).
      std::optional<gfx::DrawnTextCollector::InScrollView> scrolling;
      if (shift > 0) {
        const gfx::AffineTransform& m = ctx.state().ctm;
        scrolling.emplace(m.apply(r).intersection(ctx.state().deviceClipBounds),
                          std::abs(m.b) > std::abs(m.a) ? gfx::kScrollsDown : gfx::kScrollsAcross);
      }
      if (!shown.empty()) ctx.drawText(shown, drawRect, s);
    }
    if (editing_) {
      // The caret after the text before it (the whole text when it sits at the end).
      std::string before = isSecureTextEntry() ? displayText() : text_;
      std::u16string units = foundation::utf8ToUtf16(before);
      if (!isSecureTextEntry()) units.resize(std::min(units.size(), caret_));
      double cx = gfx::measureText(foundation::utf16ToUtf8(units), s.font).width;
      double start = drawRect.x();
      if (shift <= 0 && !empty) {
        if (s.alignment == gfx::TextAlignment::Center) start += (r.width() - size.width) / 2;
        if (s.alignment == gfx::TextAlignment::Right) start += r.width() - size.width;
      } else if (empty) {
        if (s.alignment == gfx::TextAlignment::Center) start += r.width() / 2;
        if (s.alignment == gfx::TextAlignment::Right) start += r.width();
      }
      ctx.setFillColor(gfx::Color::rgb255(0, 122, 255));
      ctx.fillRect(gfx::Rect(std::min(start + (empty ? 0 : cx), r.maxX() - 2), y, 2,
                             std::max(size.height, font_.pointSize())));
    }
  }
  if (isClearButtonVisible()) {
    gfx::Rect c = clearButtonRectForBounds(b);
    ctx.setFillColor(gfx::Color::grey(0.7));
    ctx.beginPath();
    ctx.addEllipse(c);
    ctx.fillPath();
    ctx.setStrokeColor(gfx::Color::white());
    ctx.setLineWidth(1.5);
    ctx.beginPath();
    ctx.moveTo(c.x() + 6, c.y() + 6);
    ctx.lineTo(c.maxX() - 6, c.maxY() - 6);
    ctx.moveTo(c.maxX() - 6, c.y() + 6);
    ctx.lineTo(c.x() + 6, c.maxY() - 6);
    ctx.strokePath();
  }
}

std::string TextField::describe() const {
  std::string line = Control::describe();
  line += " text=" + (isSecureTextEntry() ? displayText() : text_);
  if (editing_) line += " editing";
  return line;
}

// --- responder --------------------------------------------------------------------------------

bool TextField::canBecomeFirstResponder() const {
  return isEnabled() && isUserInteractionEnabled();
}

bool TextField::canResignFirstResponder() const {
  auto* d = delegate();
  return !d || d->textFieldShouldEndEditing(const_cast<TextField&>(*this));
}

bool TextField::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!window() || !canBecomeFirstResponder()) return false;
  auto hold = sharedView();
  if (auto* d = delegate(); d && !d->textFieldShouldBeginEditing(*this)) return false;
  return Control::becomeFirstResponder();
}

void TextField::didBecomeFirstResponder() {
  auto hold = sharedView();
  editing_ = true;
  if (clearsOnBegin_) text_.clear();
  caret_ = utf16Length(text_);
  setNeedsLayout();
  setNeedsDisplay();
  if (auto* d = delegate()) d->textFieldDidBeginEditing(*this);
  sendActionsForControlEvents(ControlEvent::EditingDidBegin);
  post(kTextFieldTextDidBeginEditingNotification, this);
}

void TextField::didResignFirstResponder() {
  auto hold = sharedView();
  editing_ = false;
  setNeedsLayout();
  setNeedsDisplay();
  if (auto* d = delegate()) d->textFieldDidEndEditing(*this);
  sendActionsForControlEvents(ControlEvent::EditingDidEnd);
  post(kTextFieldTextDidEndEditingNotification, this);
}

void TextField::willMoveToWindow(Window* newWindow) {
  // A field that leaves its window stops editing (and the keyboard goes).
  if (!newWindow && editing_)
    if (Window* w = window(); w && w->firstResponder() == this) w->setFirstResponder(nullptr, true);
}

bool TextField::replace(TextRange range, const std::string& string) {
  auto hold = sharedView();
  if (auto* d = delegate(); d && !d->textFieldShouldChangeCharactersInRange(*this, range, string))
    return false;
  text_ = replaceUtf16Range(text_, range, string);
  caret_ = std::min(range.location + utf16Length(string), utf16Length(text_));
  setNeedsLayout();
  setNeedsDisplay();
  sendActionsForControlEvents(ControlEvent::EditingChanged);
  post(kTextFieldTextDidChangeNotification, this);
  return true;
}

void TextField::insertText(const std::string& text) {
  if (!editing_) return;
  if (text == "\n" || text == "\r") {
    keyPressed("Return");
    return;
  }
  // A field holds one line: line breaks in pasted or typed text become spaces.
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::replace(line.begin(), line.end(), '\r', ' ');
  replace({caret_, 0}, line);
}

void TextField::deleteBackward() {
  if (!editing_ || caret_ == 0) return;
  std::u16string units = foundation::utf8ToUtf16(text_);
  size_t n = unitsBefore(units, std::min(caret_, units.size()));
  replace({caret_ - n, n}, "");
}

bool TextField::keyPressed(const std::string& name) {
  if (!editing_) return false;
  auto hold = sharedView();
  if (name == "Return") {
    auto* d = delegate();
    bool ok = !d || d->textFieldShouldReturn(*this);
    if (ok && actionCount(ControlEvent::EditingDidEndOnExit) > 0) {
      sendActionsForControlEvents(ControlEvent::EditingDidEndOnExit);
      resignFirstResponder();
    }
    return true;
  }
  size_t length = utf16Length(text_);
  if (name == "Left") {
    if (caret_ > 0) setCaretPosition(caret_ - unitsBefore(foundation::utf8ToUtf16(text_), caret_));
    return true;
  }
  if (name == "Right") {
    if (caret_ < length) setCaretPosition(caret_ + 1);
    return true;
  }
  if (name == "Home" || name == "Up") {
    setCaretPosition(0);
    return true;
  }
  if (name == "End" || name == "Down") {
    setCaretPosition(length);
    return true;
  }
  if (name == "Delete") {
    if (caret_ < length) replace({caret_, 1}, "");
    return true;
  }
  if (name == "Escape") {
    resignFirstResponder();
    return true;
  }
  return Control::keyPressed(name);
}

bool TextField::pressClearButton() {
  if (!isClearButtonVisible()) return false;
  auto hold = sharedView();
  if (auto* d = delegate(); d && !d->textFieldShouldClear(*this)) return false;
  if (!editing_ && !becomeFirstResponder()) return false;
  text_.clear();
  caret_ = 0;
  setNeedsLayout();
  setNeedsDisplay();
  sendActionsForControlEvents(ControlEvent::EditingChanged);
  post(kTextFieldTextDidChangeNotification, this);
  return true;
}

void TextField::touchesBegan(const TouchSet& touches, const Event& event) {
  touchOnClear_ = !touches.empty() && isClearButtonVisible() &&
                  clearButtonRectForBounds(bounds()).inset(-8, -8).contains(
                      touches.front()->locationInView(this));
  Control::touchesBegan(touches, event);
}

void TextField::touchesEnded(const TouchSet& touches, const Event& event) {
  bool inside = !touches.empty() && bounds().contains(touches.front()->locationInView(this));
  bool onClear = touchOnClear_;
  touchOnClear_ = false;
  auto hold = sharedView();
  Control::touchesEnded(touches, event);
  if (!inside || !isEnabled()) return;
  if (onClear) {
    pressClearButton();
  } else if (!editing_) {
    becomeFirstResponder();
  } else if (!touches.empty()) {
    // A tap inside a field being edited moves the caret to the end or start by side.
    gfx::Point p = touches.front()->locationInView(this);
    setCaretPosition(p.x < textRectForBounds(bounds()).x() + 4 ? 0 : utf16Length(text_));
  }
}

}  // namespace ui
