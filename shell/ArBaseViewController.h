// A minimal screen base with the shell's layout and navigation-bar colours.
#pragma once

#include <memory>

#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"

class ArBaseViewController : public ui::ViewController {
 public:
  static std::shared_ptr<ArBaseViewController> create() {
    return std::make_shared<ArBaseViewController>();
  }
  // Green background, title "ArBaseViewController".
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool prefersStatusBarHidden() const { return false; }
  ui::StatusBarStyle preferredStatusBarStyle() const { return ui::StatusBarStyle::LightContent; }
};
