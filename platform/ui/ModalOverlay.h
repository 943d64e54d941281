// What alerts and action sheets share: their own alert-level window over a dimmed screen, the
// list of those on screen, and a column of buttons pressed by index.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

class ModalOverlay {
 public:
  // Puts `content` over a dimmed screen in a new window above every other one; the window
  // shows with makeKeyAndVisible().
  void build(const std::shared_ptr<View>& content);
  void makeKeyAndVisible() { window_->makeKeyAndVisible(); }
  View& dimming() const { return *dimming_; }
  // Ends editing, takes `content` out and drops the window, so the top visible window below
  // becomes the key window again. Nothing when not built.
  void tearDown(View& content);

 private:
  std::shared_ptr<Window> window_;
  std::shared_ptr<View> dimming_;
};

// The modals of one kind on screen, oldest first (never destroyed: alerts may outlive main).
template <class T>
std::vector<std::shared_ptr<T>>& shownModals() {
  static auto* shown = new std::vector<std::shared_ptr<T>>();
  return *shown;
}

template <class T>
void forgetShownModal(const std::shared_ptr<T>& modal) {
  auto& shown = shownModals<T>();
  shown.erase(std::remove(shown.begin(), shown.end(), modal), shown.end());
}

template <class T>
std::shared_ptr<T> topShownModal() {
  auto& shown = shownModals<T>();
  return shown.empty() ? nullptr : shown.back();
}

using ModalButtons = std::vector<std::shared_ptr<Button>>;

// Appends a custom button to `owner` and `buttons`; a tap calls `press` with its index.
std::shared_ptr<Button> addModalButton(View& owner, ModalButtons& buttons, const std::string& title,
                                       std::function<void(int)> press);
// "" and null out of range.
std::string modalButtonTitle(const ModalButtons& buttons, int index);
Button* modalButton(const ModalButtons& buttons, int index);

}  // namespace ui
