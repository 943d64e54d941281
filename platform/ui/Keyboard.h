// The on-screen keyboard: shown at the bottom of the screen (216 points for the system
// keyboard, or the height of a client's own input view, plus any accessory bar) while a text
// client is first responder of the key window, with the keyboard notifications around each
// appearance and disappearance.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/TextInput.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

class Responder;

// Posted on the default notification centre (object: null). userInfo carries the frames in
// screen coordinates (read them with keyboardFrame) and the animation duration in seconds.
inline constexpr const char* kKeyboardWillShowNotification = "KeyboardWillShowNotification";
inline constexpr const char* kKeyboardDidShowNotification = "KeyboardDidShowNotification";
inline constexpr const char* kKeyboardWillHideNotification = "KeyboardWillHideNotification";
inline constexpr const char* kKeyboardDidHideNotification = "KeyboardDidHideNotification";
inline constexpr const char* kKeyboardFrameBeginUserInfoKey = "KeyboardFrameBeginUserInfoKey";
inline constexpr const char* kKeyboardFrameEndUserInfoKey = "KeyboardFrameEndUserInfoKey";
inline constexpr const char* kKeyboardAnimationDurationUserInfoKey =
    "KeyboardAnimationDurationUserInfoKey";
inline constexpr const char* kKeyboardAnimationCurveUserInfoKey =
    "KeyboardAnimationCurveUserInfoKey";

inline constexpr double kSystemKeyboardHeight = 216;
inline constexpr double kKeyboardAnimationDuration = 0.25;

// Rectangles in userInfo: dictionaries {"x", "y", "width", "height"}.
foundation::Value valueWithRect(const gfx::Rect& rect);
gfx::Rect rectFromValue(const foundation::Value& value);
// The frame stored under `key` (kKeyboardFrameBeginUserInfoKey or ...EndUserInfoKey).
gfx::Rect keyboardFrame(const foundation::Value& userInfo, const char* key);

// The system keyboard's keys, drawn and hit-tested by itself. A tap sends the key to the
// keyboard's client: characters as text, "BackSpace" as delete, "Return" as the return key.
class SystemKeyboardView : public View {
 public:
  explicit SystemKeyboardView(const gfx::Rect& frame = {});
  static std::shared_ptr<SystemKeyboardView> create(const gfx::Rect& frame = {});

  struct Key {
    std::string label;  // what the key shows
    std::string input;  // text typed, or a key name: "BackSpace", "Return", "Shift", "Mode"
    gfx::Rect frame;
  };
  // Lays the keys out for the type (letters, digits, phone pad) and the return key's title.
  void configure(KeyboardType type, ReturnKeyType returnKey,
                 TextAutocapitalizationType capitalization = TextAutocapitalizationType::None);
  const std::vector<Key>& keys() const { return keys_; }
  // The key under a point in the view's coordinates (null: none).
  const Key* keyAt(gfx::Point point) const;
  // Presses a key as a tap would; false for an unknown key label.
  bool pressKey(const std::string& label);

  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

 private:
  void layoutKeys();
  void press(const Key& key);
  KeyboardType type_ = KeyboardType::Default;
  ReturnKeyType returnKey_ = ReturnKeyType::Default;
  bool shifted_ = false;
  bool capsLock_ = false;
  bool symbols_ = false;
  int pressed_ = -1;
  std::vector<Key> keys_;
};

// The window that holds the keyboard: it takes touches but never becomes the key window, so
// typed text keeps going to the first responder of the window below.
class KeyboardWindow : public Window {
 public:
  using Window::Window;
  bool canBecomeKeyWindow() const override { return false; }
};

class Keyboard {
 public:
  static Keyboard& shared();

  // Called by windows after their first responder changed: shows the keyboard for a text
  // client of the key window, hides it when no client is left.
  void firstResponderChanged(Window* window);
  // Brings the keyboard in line with the key window's first responder (after the key window
  // changed, or a client changed its input view).
  void update();

  bool isVisible() const { return visible_; }
  // The keyboard's frame in screen coordinates when shown (the zero rectangle when hidden).
  gfx::Rect frame() const;
  // The client it types into (null when hidden).
  Responder* client() const;
  // The system keyboard view (null while a custom input view shows or the keyboard is hidden).
  SystemKeyboardView* systemKeyboard() const;
  // The view showing in the keyboard area (a client's input view or the system keyboard).
  View* currentInputView() const { return input_.get(); }
  Window* window() const { return window_.get(); }

  // Tests: hides at once without notifications and forgets the client.
  void reset();

 private:
  Keyboard() = default;
  void show(Responder* client, TextInputClient* traits);
  void hide();
  void post(const char* name, const gfx::Rect& begin, const gfx::Rect& end);

  std::shared_ptr<KeyboardWindow> window_;
  std::shared_ptr<View> input_;
  std::shared_ptr<View> accessory_;
  std::shared_ptr<SystemKeyboardView> system_;
  std::weak_ptr<Responder> client_;
  gfx::Rect frame_;
  bool visible_ = false;
  int generation_ = 0;
};

}  // namespace ui
