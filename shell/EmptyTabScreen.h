// The screen a tab gets when the configuration names a class the client does not know: the tab
// still works and shows its title. Tests derive their screen doubles from it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"

// A dark screen with the tab's title (and lines of text a subclass gives).
class EmptyTabScreen : public ui::ViewController, public Extend::ScreenHooks {
 public:
  explicit EmptyTabScreen(std::string title) : screenTitle_(std::move(title)) {}

  void loadView() override;
  void viewWillAppear(bool animated) override;
  void willActiveByClickTabBar() override { ++activations_; }

  // Lines shown under the title (screens refresh them on appearing).
  virtual std::vector<std::string> lines() const { return {}; }
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
