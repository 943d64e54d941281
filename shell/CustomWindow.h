// A small window over the status bar in which short messages slide in from below and out
// upwards. An empty (or one-character) message in step one hides it.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Label.h"
#include "platform/ui/Window.h"

class CustomWindow : public ui::Window {
 public:
  // Level just above the status bar, black, clipping; the label waits below the visible area.
  explicit CustomWindow(const gfx::Rect& frame);
  static std::shared_ptr<CustomWindow> create(const gfx::Rect& frame);

  // Shows, replaces (the old text leaves upwards, the new one rises) or clears the message.
  void updateMessage(const std::string& text);

  ui::Label* messageLabel() const { return messageLabel_.get(); }

  static constexpr double kSlideDuration = 0.4;

 private:
  std::shared_ptr<ui::Label> messageLabel_;
};
