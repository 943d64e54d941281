// View controllers: a screen's view loaded on first use, the appearance calls, navigation and
// tab bar items, modal presentation with its transitions, orientation and memory warnings.
//
// Appearance order (every transition): the controller going away hears will-disappear, the
// one coming hears will-appear, then (after the animation) did-disappear and did-appear.
// Containers pass the calls on to the child on show (navigation: the top controller; tab bar:
// the selected one). A controller with no parent that was not presented hears them when its
// view enters or leaves a window.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/View.h"

namespace ui {

class NavigationController;
class TabBarController;

// Same numbers as the phone platform.
enum class InterfaceOrientation {
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeRight = 3,
  LandscapeLeft = 4
};

enum class ModalTransitionStyle {
  CoverVertical = 0,
  FlipHorizontal = 1,
  CrossDissolve = 2,
  PartialCurl = 3
};

// What a navigation bar shows while the controller is on top (and its back button shows for
// the controller above).
class NavigationItem {
 public:
  explicit NavigationItem(const std::string& title = {}) : title_(title) {}

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  // Replaces the title when set.
  const std::shared_ptr<View>& titleView() const { return titleView_; }
  void setTitleView(std::shared_ptr<View> view);
  const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return left_; }
  void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
  const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return right_; }
  void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item, bool animated = false);
  // The back button the next controller shows (its title replaces this item's title there).
  const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return back_; }
  void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item);
  bool hidesBackButton() const { return hidesBack_; }
  void setHidesBackButton(bool hides, bool animated = false);

  // The bar showing the item is told when it changes.
  void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

 private:
  void notify() {
    if (changed_) changed_();
  }
  std::string title_;
  std::shared_ptr<View> titleView_;
  std::shared_ptr<BarButtonItem> left_;
  std::shared_ptr<BarButtonItem> right_;
  std::shared_ptr<BarButtonItem> back_;
  bool hidesBack_ = false;
  std::function<void()> changed_;
};

// A controller's entry on a tab bar.
class TabBarItem {
 public:
  TabBarItem(const std::string& title = {}, const gfx::Image& image = {}, int tag = 0)
      : title_(title), image_(image), tag_(tag) {}
  static std::shared_ptr<TabBarItem> create(const std::string& title, const gfx::Image& image,
                                            int tag) {
    return std::make_shared<TabBarItem>(title, image, tag);
  }

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  const gfx::Image& image() const { return image_; }
  void setImage(const gfx::Image& image);
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  // Text in a red badge; none when empty.
  const std::optional<std::string>& badgeValue() const { return badge_; }
  void setBadgeValue(std::optional<std::string> value);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);

  void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

 private:
  void notify() {
    if (changed_) changed_();
  }
  std::string title_;
  gfx::Image image_;
  int tag_;
  std::optional<std::string> badge_;
  bool enabled_ = true;
  std::function<void()> changed_;
};

class ViewController : public Responder {
 public:
  ViewController();
  ~ViewController() override;
  ViewController(const ViewController&) = delete;
  ViewController& operator=(const ViewController&) = delete;
  static std::shared_ptr<ViewController> create() { return std::make_shared<ViewController>(); }

  // The view, loaded on first use (loadView, then viewDidLoad).
  View* view();
  std::shared_ptr<View> viewShared();
  bool isViewLoaded() const { return view_ != nullptr; }
  // Replaces (or with null releases) the view.
  void setView(std::shared_ptr<View> view);

  // Screens override these. loadView makes a plain view the size of the application frame.
  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewDidUnload() {}
  virtual void viewWillAppear(bool animated) { (void)animated; }
  virtual void viewDidAppear(bool animated) { (void)animated; }
  virtual void viewWillDisappear(bool animated) { (void)animated; }
  virtual void viewDidDisappear(bool animated) { (void)animated; }
  // Default: a loaded view that is not in a window is released (viewDidUnload follows).
  virtual void didReceiveMemoryWarning();
  // Sends didReceiveMemoryWarning to every controller whose view was loaded.
  static void sendMemoryWarningToAll();

  // Between did-appear and will-disappear.
  bool isViewVisible() const { return appearance_ == Appearance::Appeared; }

  const std::string& title() const { return title_; }
  // Also the navigation item's title and (when it has none) the tab bar item's.
  virtual void setTitle(const std::string& title);
  NavigationItem& navigationItem();
  std::shared_ptr<NavigationItem> navigationItemShared();
  TabBarItem& tabBarItem();
  std::shared_ptr<TabBarItem> tabBarItemShared();
  void setTabBarItem(std::shared_ptr<TabBarItem> item);

  // Containers.
  ViewController* parentViewController() const { return parent_.lock().get(); }
  NavigationController* navigationController() const;
  TabBarController* tabBarController() const;
  bool hidesBottomBarWhenPushed() const { return hidesBottomBar_; }
  void setHidesBottomBarWhenPushed(bool hides) { hidesBottomBar_ = hides; }

  // Modal screens. The presented controller's view covers the presenter's top-most container
  // (full screen) and animates in by its transition style. Dismissing from either end works.
  void presentModalViewController(std::shared_ptr<ViewController> controller, bool animated);
  void dismissModalViewControllerAnimated(bool animated);
  ViewController* modalViewController() const { return presented_.get(); }
  ViewController* presentedViewController() const { return presented_.get(); }
  ViewController* presentingViewController() const { return presenting_.lock().get(); }
  ModalTransitionStyle modalTransitionStyle() const { return transitionStyle_; }
  void setModalTransitionStyle(ModalTransitionStyle style) { transitionStyle_ = style; }
  static constexpr double kModalDuration = 0.4;

  // Orientation: portrait only unless a screen says otherwise.
  virtual bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation);
  InterfaceOrientation interfaceOrientation() const { return InterfaceOrientation::Portrait; }

  // Editing: editButtonItem toggles between "编辑" and "完成" and calls setEditing.
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated);
  std::shared_ptr<BarButtonItem> editButtonItem();

  // Appearance transitions (containers drive their children with these; each begin is matched
  // by one end). Repeated begins in the same direction are ignored.
  void beginAppearanceTransition(bool appearing, bool animated);
  void endAppearanceTransition();

  // Responder: a controller sits between its view and the view's superview.
  Responder* nextResponder() const override;
  Window* responderWindow() const override;

 protected:
  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
  // The children on show, which hear this controller's appearance calls.
  virtual std::vector<ViewController*> childrenForAppearance() const { return {}; }
  // Parent links (containers call this when they adopt or drop a child).
  static void setParent(ViewController& child, ViewController* parent);
  // The top-most container of this controller (itself when it has none).
  ViewController* rootAncestor();
  // Appearing or visible: children swapped now must hear appearance calls.
  bool isShowing() const {
    return appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared;
  }

  void ownedViewWillMoveToWindow(Window* newWindow) override;
  void ownedViewDidMoveToWindow(Window* window) override;

 private:
  bool drivenByWindow() const;
  void finishDismiss(std::shared_ptr<ViewController> presented);

  std::shared_ptr<View> view_;
  std::string title_;
  std::shared_ptr<NavigationItem> navigationItem_;
  std::shared_ptr<TabBarItem> tabBarItem_;
  std::weak_ptr<ViewController> parent_;
  std::shared_ptr<ViewController> presented_;
  std::weak_ptr<ViewController> presenting_;
  ModalTransitionStyle transitionStyle_ = ModalTransitionStyle::CoverVertical;
  bool hidesBottomBar_ = false;
  bool editing_ = false;
  std::shared_ptr<BarButtonItem> editButton_;
  Appearance appearance_ = Appearance::Disappeared;
  bool appearanceAnimated_ = false;
  bool inWindowTransition_ = false;
  // The host's picture a flip or curl leaves over the view while it goes away.
  std::shared_ptr<View> transitionCover_;
};

// Creates a controller registered in the class registry under `name`; null and a log line for
// an unknown name or a class that is not a controller.
std::shared_ptr<ViewController> createViewController(const std::string& name);

}  // namespace ui
