// A multi-line text view: wrapped text that scrolls, optionally editable (typing goes to the
// end of the text; the return key starts a new line).
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Font.h"
#include "platform/graphics/Text.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextInput.h"

namespace ui {

class TextView;

// Every method is optional; it also hears the scroll view's calls.
class TextViewDelegate : public ScrollViewDelegate {
 public:
  virtual bool textViewShouldBeginEditing(TextView& view) {
    (void)view;
    return true;
  }
  virtual void textViewDidBeginEditing(TextView& view) { (void)view; }
  virtual bool textViewShouldEndEditing(TextView& view) {
    (void)view;
    return true;
  }
  virtual void textViewDidEndEditing(TextView& view) { (void)view; }
  virtual bool textViewShouldChangeTextInRange(TextView& view, TextRange range,
                                               const std::string& text) {
    (void)view;
    (void)range;
    (void)text;
    return true;
  }
  virtual void textViewDidChange(TextView& view) { (void)view; }
};

inline constexpr const char* kTextViewTextDidBeginEditingNotification =
    "TextViewTextDidBeginEditingNotification";
inline constexpr const char* kTextViewTextDidChangeNotification =
    "TextViewTextDidChangeNotification";
inline constexpr const char* kTextViewTextDidEndEditingNotification =
    "TextViewTextDidEndEditingNotification";

class TextView : public ScrollView, public TextInputClient {
 public:
  explicit TextView(const gfx::Rect& frame = {});
  ~TextView() override;
  static std::shared_ptr<TextView> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<TextViewDelegate> delegate);
  TextViewDelegate* delegate() const { return textDelegate_.lock().get(); }

  const std::string& text() const { return text_; }
  void setText(const std::string& text);
  const gfx::Font& font() const { return font_; }
  void setFont(const gfx::Font& font);
  gfx::Color textColor() const { return textColor_; }
  void setTextColor(const gfx::Color& color);
  gfx::TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(gfx::TextAlignment alignment);
  bool isEditable() const { return editable_; }
  void setEditable(bool editable);
  bool isEditing() const { return editing_; }
  // Data detection is not done; the flag is kept for screens that switch it off.
  unsigned dataDetectorTypes() const { return dataDetectors_; }
  void setDataDetectorTypes(unsigned types) { dataDetectors_ = types; }

  // The text area inside the view (4-point margins, 8 at the top).
  gfx::Rect textRect() const;
  // Scrolls so that the end of the text shows.
  void scrollToEnd();

  bool canBecomeFirstResponder() const override;
  bool canResignFirstResponder() const override;
  bool becomeFirstResponder() override;
  void insertText(const std::string& text) override;
  void deleteBackward() override;
  bool keyPressed(const std::string& name) override;
  bool hasText() const override { return !text_.empty(); }

  void setFrame(const gfx::Rect& frame) override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  std::string describe() const override;

 protected:
  void didBecomeFirstResponder() override;
  void didResignFirstResponder() override;
  void willMoveToWindow(Window* newWindow) override;

 private:
  void updateContentSize();
  bool replace(TextRange range, const std::string& text);
  gfx::TextStyle style() const;

  std::weak_ptr<TextViewDelegate> textDelegate_;
  std::string text_;
  gfx::Font font_ = gfx::Font::systemFont(17);
  gfx::Color textColor_ = gfx::Color::black();
  gfx::TextAlignment alignment_ = gfx::TextAlignment::Left;
  bool editable_ = true;
  bool editing_ = false;
  unsigned dataDetectors_ = 0;
};

}  // namespace ui
