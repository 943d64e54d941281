// A stack of controllers under a navigation bar: push slides the new screen in from the right,
// pop slides it back out; the bar shows the top controller's navigation item and a back button.
//
// Order of a push or pop while on screen: old will-disappear, new will-appear, the delegate's
// will-show, (animation), old did-disappear, new did-appear, the delegate's did-show. Pops that
// skip screens (to root, to a controller) send calls only to the two ends. The delegate's
// will-show may change the stack (pop the screen about to show): that change then replaces
// this one, and the screen is never placed.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/NavigationBar.h"
#include "platform/ui/ViewController.h"

namespace ui {

class NavigationController;

class NavigationControllerDelegate {
 public:
  virtual ~NavigationControllerDelegate() = default;
  virtual void navigationControllerWillShowViewController(NavigationController& navigation,
                                                          ViewController& controller,
                                                          bool animated) {
    (void)navigation;
    (void)controller;
    (void)animated;
  }
  virtual void navigationControllerDidShowViewController(NavigationController& navigation,
                                                         ViewController& controller,
                                                         bool animated) {
    (void)navigation;
    (void)controller;
    (void)animated;
  }
};

class NavigationController : public ViewController {
 public:
  NavigationController() = default;
  ~NavigationController() override;
  // With `root` as the first (bottom) controller.
  static std::shared_ptr<NavigationController> create(std::shared_ptr<ViewController> root);

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return stack_; }
  // Replaces the stack: the old top goes and the new top comes (with animation: sliding in as
  // a push when the old top leaves the stack, else as a pop).
  void setViewControllers(std::vector<std::shared_ptr<ViewController>> controllers,
                          bool animated = false);
  ViewController* topViewController() const {
    return stack_.empty() ? nullptr : stack_.back().get();
  }
  // The top controller, or what it presents modally.
  ViewController* visibleViewController() const;

  // A controller already in a stack or container is refused (logged).
  void pushViewController(std::shared_ptr<ViewController> controller, bool animated);
  // Null when only the root is left.
  std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToRootViewControllerAnimated(bool animated);
  // Pops down to `controller` (logged and nothing when it is not in the stack).
  std::vector<std::shared_ptr<ViewController>> popToViewController(ViewController* controller,
                                                                   bool animated);

  NavigationBar* navigationBar();
  bool isNavigationBarHidden() const { return barHidden_; }
  void setNavigationBarHidden(bool hidden, bool animated = false);

  void setDelegate(std::weak_ptr<NavigationControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  NavigationControllerDelegate* delegate() const { return delegate_.lock().get(); }

  // A push or pop is still sliding.
  bool isTransitioning() const { return pendingFinish_ != nullptr; }
  static constexpr double kPushDuration = 0.35;

  void loadView() override;
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) override;

 protected:
  std::vector<ViewController*> childrenForAppearance() const override;

 private:
  void transition(std::shared_ptr<ViewController> from, std::shared_ptr<ViewController> to,
                  bool push, bool animated, std::vector<std::shared_ptr<ViewController>> released);
  void finishTransition();
  // Ends a transition whose will-show made a change of the stack of its own: what was leaving
  // goes, and the screen it was to show is left as that change left it.
  void abandonTransition(const std::shared_ptr<ViewController>& from,
                         const std::shared_ptr<ViewController>& to,
                         const std::vector<std::shared_ptr<ViewController>>& released);
  void updateBar();
  void layoutContent();
  void updateBottomBar();

  std::vector<std::shared_ptr<ViewController>> stack_;
  std::shared_ptr<NavigationBar> bar_;
  std::shared_ptr<View> container_;
  bool barHidden_ = false;
  std::weak_ptr<NavigationControllerDelegate> delegate_;
  std::function<void()> pendingFinish_;
  int transitionId_ = 0;
  // Counts transitions begun: one begun inside another's will-show supersedes it.
  int generation_ = 0;
};

}  // namespace ui
