// Stand-ins for screens of subsystems that are not built yet: each is registered under the real
// class name and does the least the shell needs of it, so the client runs end to end. Delete a
// stand-in (its files and its line in Placeholders.cpp) when the real screen lands.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"

// A dark screen with a title and a few lines of text.
class PlaceholderScreen : public ui::ViewController, public Extend::ScreenHooks {
 public:
  explicit PlaceholderScreen(std::string title) : screenTitle_(std::move(title)) {}

  void loadView() override;
  void viewWillAppear(bool animated) override;
  void willActiveByClickTabBar() override { ++activations_; }

  // Lines shown under the title (screens refresh them on appearing).
  virtual std::vector<std::string> lines() const { return {"建设中"}; }
  // Quote screens show the bottom index ticker while they are on screen.
  virtual bool showsTicker() const { return false; }
  void refreshLines();
  int activations() const { return activations_; }
  int appearances() const { return appearances_; }
  const std::string& screenTitle() const { return screenTitle_; }

 private:
  std::string screenTitle_;
  std::shared_ptr<ui::Label> body_;
  int activations_ = 0;
  int appearances_ = 0;
};

// Registers every stand-in under its class name (main thread; idempotent).
void RegisterPlaceholderClasses();
