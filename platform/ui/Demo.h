// A demo scene of the view layer (labels, buttons, controls, an animated view) for the
// program's "--demo views" option and the screenshot tests, until the real shell exists.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"

namespace ui {

// Tags of the demo's views (tests find them with viewWithTag).
namespace DemoTag {
constexpr int Title = 100;
constexpr int Index = 101;
constexpr int Status = 102;
constexpr int AnimateButton = 110;
constexpr int FlipButton = 111;
constexpr int AnimatedView = 120;
constexpr int FlipPanel = 121;
constexpr int Switch = 130;
constexpr int Segments = 131;
constexpr int Spinner = 132;
constexpr int Toolbar = 140;
}  // namespace DemoTag

class ViewsDemoDelegate : public Object, public ApplicationDelegate {
 public:
  bool applicationDidFinishLaunchingWithOptions(Application& app) override;
  void applicationDidEnterBackground(Application& app) override;
  void applicationWillEnterForeground(Application& app) override;

  Window* window() const { return window_.get(); }
  // The text of the status line (the last action).
  std::string status() const;

 private:
  void setStatus(const std::string& text);
  void toggleAnimation();
  void flipPanel();

  std::shared_ptr<Window> window_;
  std::shared_ptr<Label> status_;
  bool animating_ = false;
  bool flipped_ = false;
};

// Registers the demo delegates under "ViewsDemoAppDelegate".
void registerDemoClasses();

}  // namespace ui
