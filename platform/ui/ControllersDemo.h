// A demo of the controller layer for the program's "--demo controllers" option and the
// screenshot tests: three tabs (a quote list in a navigation stack, a grouped watch list with
// swipe to delete, a page that presents modal screens), until the real shell exists.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/TableView.h"
#include "platform/ui/Window.h"

namespace ui {

// Tags of the demo's views (tests find them with viewWithTag).
namespace ControllersDemoTag {
constexpr int QuoteTable = 200;
constexpr int WatchTable = 201;
constexpr int DetailPrice = 210;
constexpr int PresentFlip = 220;
constexpr int PresentDissolve = 221;
constexpr int PresentCover = 222;
constexpr int ModalLabel = 230;
}  // namespace ControllersDemoTag

class ControllersDemoDelegate : public Object, public ApplicationDelegate {
 public:
  bool applicationDidFinishLaunchingWithOptions(Application& app) override;

  Window* window() const { return window_.get(); }
  TabBarController* tabs() const { return tabs_.get(); }
  // The navigation controller of tab `index`.
  NavigationController* navigation(int index) const;

 private:
  std::shared_ptr<Window> window_;
  std::shared_ptr<TabBarController> tabs_;
};

// Registers the demo delegate under "ControllersDemoAppDelegate".
void registerControllersDemoClasses();

}  // namespace ui
