// Text input traits shared by text fields, text views and search bars, and the interface the
// on-screen keyboard uses to talk to whichever of them is first responder.
#pragma once

#include <memory>
#include <string>

namespace ui {

class View;

// Same numbers as the phone platform.
enum class KeyboardType {
  Default = 0,
  ASCIICapable = 1,
  NumbersAndPunctuation = 2,
  URL = 3,
  NumberPad = 4,
  PhonePad = 5,
  NamePhonePad = 6,
  EmailAddress = 7,
  DecimalPad = 8
};
enum class KeyboardAppearance { Default = 0, Alert = 1 };
enum class ReturnKeyType {
  Default = 0,
  Go = 1,
  Google = 2,
  Join = 3,
  Next = 4,
  Route = 5,
  Search = 6,
  Send = 7,
  Yahoo = 8,
  Done = 9,
  EmergencyCall = 10
};
enum class TextAutocapitalizationType { None = 0, Words = 1, Sentences = 2, AllCharacters = 3 };
enum class TextAutocorrectionType { Default = 0, No = 1, Yes = 2 };

// A range of text in UTF-16 units, as the delegates' should-change calls report it.
struct TextRange {
  size_t location = 0;
  size_t length = 0;
  bool operator==(const TextRange&) const = default;
};

// What the keyboard asks of its client (the first responder that takes text).
class TextInputClient {
 public:
  virtual ~TextInputClient() = default;

  // A view that replaces the system keyboard (null: the system keyboard shows).
  virtual std::shared_ptr<View> inputView() const { return inputView_; }
  void setInputView(std::shared_ptr<View> view) { inputView_ = std::move(view); }
  // A bar shown on top of the keyboard (null: none).
  virtual std::shared_ptr<View> inputAccessoryView() const { return inputAccessoryView_; }
  void setInputAccessoryView(std::shared_ptr<View> view) { inputAccessoryView_ = std::move(view); }

  KeyboardType keyboardType() const { return keyboardType_; }
  void setKeyboardType(KeyboardType type) { keyboardType_ = type; }
  KeyboardAppearance keyboardAppearance() const { return keyboardAppearance_; }
  void setKeyboardAppearance(KeyboardAppearance a) { keyboardAppearance_ = a; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  TextAutocapitalizationType autocapitalizationType() const { return autocapitalization_; }
  void setAutocapitalizationType(TextAutocapitalizationType t) { autocapitalization_ = t; }
  TextAutocorrectionType autocorrectionType() const { return autocorrection_; }
  void setAutocorrectionType(TextAutocorrectionType t) { autocorrection_ = t; }
  bool enablesReturnKeyAutomatically() const { return enablesReturnAutomatically_; }
  void setEnablesReturnKeyAutomatically(bool on) { enablesReturnAutomatically_ = on; }
  bool isSecureTextEntry() const { return secure_; }
  virtual void setSecureTextEntry(bool secure) { secure_ = secure; }

 private:
  std::shared_ptr<View> inputView_;
  std::shared_ptr<View> inputAccessoryView_;
  KeyboardType keyboardType_ = KeyboardType::Default;
  KeyboardAppearance keyboardAppearance_ = KeyboardAppearance::Default;
  ReturnKeyType returnKeyType_ = ReturnKeyType::Default;
  TextAutocapitalizationType autocapitalization_ = TextAutocapitalizationType::Sentences;
  TextAutocorrectionType autocorrection_ = TextAutocorrectionType::Default;
  bool enablesReturnAutomatically_ = false;
  bool secure_ = false;
};

// Title of the return key for a type ("换行", "前往", "搜索", "发送", "完成", ...).
std::string returnKeyTitle(ReturnKeyType type);

// UTF-16 helpers for ranges: the length of `text` in UTF-16 units, and `text` with the range
// replaced (the range clamped to the text).
size_t utf16Length(const std::string& text);
std::string replaceUtf16Range(const std::string& text, TextRange range,
                              const std::string& replacement);
// The text without its last character (a whole code point); empty stays empty.
std::string dropLastCharacter(const std::string& text);

}  // namespace ui
