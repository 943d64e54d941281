// A one-line editable text field: text, placeholder, border styles, clear button, left and
// right views, secure entry, the text input traits, its own input view, and the delegate that
// may refuse each step of editing.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Control.h"
#include "platform/ui/TextInput.h"

namespace ui {

class TextField;

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
// When the clear button, the left view or the right view shows.
enum class TextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };

// Every method is optional; the defaults allow everything.
class TextFieldDelegate {
 public:
  virtual ~TextFieldDelegate() = default;
  virtual bool textFieldShouldBeginEditing(TextField& field) {
    (void)field;
    return true;
  }
  virtual void textFieldDidBeginEditing(TextField& field) { (void)field; }
  virtual bool textFieldShouldEndEditing(TextField& field) {
    (void)field;
    return true;
  }
  virtual void textFieldDidEndEditing(TextField& field) { (void)field; }
  // Typing, deleting and pasting ask first: `range` (UTF-16 units) is replaced by `string`.
  virtual bool textFieldShouldChangeCharactersInRange(TextField& field, TextRange range,
                                                      const std::string& string) {
    (void)field;
    (void)range;
    (void)string;
    return true;
  }
  virtual bool textFieldShouldClear(TextField& field) {
    (void)field;
    return true;
  }
  virtual bool textFieldShouldReturn(TextField& field) {
    (void)field;
    return true;
  }
};

// Posted on the default centre with the field as object.
inline constexpr const char* kTextFieldTextDidBeginEditingNotification =
    "TextFieldTextDidBeginEditingNotification";
inline constexpr const char* kTextFieldTextDidChangeNotification =
    "TextFieldTextDidChangeNotification";
inline constexpr const char* kTextFieldTextDidEndEditingNotification =
    "TextFieldTextDidEndEditingNotification";

class TextField : public Control, public TextInputClient {
 public:
  explicit TextField(const gfx::Rect& frame = {});
  ~TextField() override;
  static std::shared_ptr<TextField> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<TextFieldDelegate> delegate) { delegate_ = std::move(delegate); }
  TextFieldDelegate* delegate() const { return delegate_.lock().get(); }

  // Setting the text asks nobody and sends no events; the caret goes to the end.
  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(const std::string& placeholder);
  const gfx::Font& font() const { return font_; }
  void setFont(const gfx::Font& font);
  gfx::Color textColor() const { return textColor_; }
  void setTextColor(const gfx::Color& color);
  gfx::Color placeholderColor() const { return placeholderColor_; }
  void setPlaceholderColor(const gfx::Color& color);
  gfx::TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(gfx::TextAlignment alignment);
  TextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(TextBorderStyle style);
  bool clearsOnBeginEditing() const { return clearsOnBegin_; }
  void setClearsOnBeginEditing(bool clears) { clearsOnBegin_ = clears; }
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSize_; }
  void setAdjustsFontSizeToFitWidth(bool adjusts);
  double minimumFontSize() const { return minimumFontSize_; }
  void setMinimumFontSize(double size);
  void setSecureTextEntry(bool secure) override;

  TextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
  void setClearButtonMode(TextFieldViewMode mode);
  View* leftView() const { return leftView_.get(); }
  void setLeftView(std::shared_ptr<View> view);
  TextFieldViewMode leftViewMode() const { return leftViewMode_; }
  void setLeftViewMode(TextFieldViewMode mode);
  View* rightView() const { return rightView_.get(); }
  void setRightView(std::shared_ptr<View> view);
  TextFieldViewMode rightViewMode() const { return rightViewMode_; }
  void setRightViewMode(TextFieldViewMode mode);

  // Editing: the field is first responder and takes typed text.
  bool isEditing() const { return editing_; }
  // The caret in UTF-16 units from the start.
  size_t caretPosition() const { return caret_; }
  void setCaretPosition(size_t position);
  // Whether the clear button shows now (mode, editing state and a non-empty text).
  bool isClearButtonVisible() const;
  // Presses the clear button as a tap would (asks textFieldShouldClear). False when it does not
  // show or the delegate refused.
  bool pressClearButton();
  // The text drawn: the text, or one dot per character for secure entry.
  std::string displayText() const;

  // Layout rectangles (subclasses may override them).
  virtual gfx::Rect borderRectForBounds(const gfx::Rect& bounds) const;
  virtual gfx::Rect textRectForBounds(const gfx::Rect& bounds) const;
  virtual gfx::Rect placeholderRectForBounds(const gfx::Rect& bounds) const;
  virtual gfx::Rect editingRectForBounds(const gfx::Rect& bounds) const;
  virtual gfx::Rect clearButtonRectForBounds(const gfx::Rect& bounds) const;
  virtual gfx::Rect leftViewRectForBounds(const gfx::Rect& bounds) const;
  virtual gfx::Rect rightViewRectForBounds(const gfx::Rect& bounds) const;

  // Responder.
  bool canBecomeFirstResponder() const override;
  bool canResignFirstResponder() const override;
  bool becomeFirstResponder() override;
  void insertText(const std::string& text) override;
  void deleteBackward() override;
  bool keyPressed(const std::string& name) override;
  bool hasText() const override { return !text_.empty(); }

  void layoutSubviews() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  std::string describe() const override;

 protected:
  void didBecomeFirstResponder() override;
  void didResignFirstResponder() override;
  void willMoveToWindow(Window* newWindow) override;

 private:
  bool showsInMode(TextFieldViewMode mode) const;
  // Replaces `range` by `string` when the delegate agrees; true when the text changed.
  bool replace(TextRange range, const std::string& string);
  gfx::TextStyle style() const;

  std::weak_ptr<TextFieldDelegate> delegate_;
  std::string text_;
  std::string placeholder_;
  gfx::Font font_ = gfx::Font::systemFont(17);
  gfx::Color textColor_ = gfx::Color::black();
  gfx::Color placeholderColor_ = gfx::Color::grey(0.7);
  gfx::TextAlignment alignment_ = gfx::TextAlignment::Left;
  TextBorderStyle borderStyle_ = TextBorderStyle::None;
  TextFieldViewMode clearButtonMode_ = TextFieldViewMode::Never;
  TextFieldViewMode leftViewMode_ = TextFieldViewMode::Never;
  TextFieldViewMode rightViewMode_ = TextFieldViewMode::Never;
  std::shared_ptr<View> leftView_;
  std::shared_ptr<View> rightView_;
  bool clearsOnBegin_ = false;
  bool adjustsFontSize_ = false;
  double minimumFontSize_ = 0;
  bool editing_ = false;
  bool touchOnClear_ = false;
  size_t caret_ = 0;
};

}  // namespace ui
