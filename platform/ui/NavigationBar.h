// The bar at the top of a navigation controller: the top item's title (or title view), its left
// and right bar items, and a back button naming the item below.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"

namespace ui {

class NavigationBar : public View {
 public:
  explicit NavigationBar(const gfx::Rect& frame = {});
  ~NavigationBar() override;
  static std::shared_ptr<NavigationBar> create(const gfx::Rect& frame = {});

  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  std::optional<gfx::Color> tintColor() const { return tint_; }
  void setTintColor(const gfx::Color& color);
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent);
  // Drawn stretched over the bar instead of the style's background.
  const gfx::Image& backgroundImage() const { return background_; }
  void setBackgroundImage(const gfx::Image& image);

  const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<NavigationItem>> items, bool animated = false);
  void pushNavigationItem(std::shared_ptr<NavigationItem> item, bool animated = false);
  std::shared_ptr<NavigationItem> popNavigationItemAnimated(bool animated = false);
  NavigationItem* topItem() const { return items_.empty() ? nullptr : items_.back().get(); }
  NavigationItem* backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2].get();
  }

  // What a tap on the back button does (the navigation controller pops).
  void setBackAction(std::function<void()> action) { backAction_ = std::move(action); }

  // The views on show (null when none).
  View* leftView() const { return left_.get(); }
  View* rightView() const { return right_.get(); }
  View* titleView() const { return title_.get(); }
  Button* backButton() const { return back_.get(); }
  // The title text on show ("" for a title view).
  std::string titleText() const;

  void layoutSubviews() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size size) const override;

  static constexpr double kHeight = 44;

 private:
  void rebuild();
  void watch();
  void watchBarItems();

  std::vector<std::shared_ptr<NavigationItem>> items_;
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<gfx::Color> tint_;
  bool translucent_ = false;
  gfx::Image background_;
  std::function<void()> backAction_;
  std::shared_ptr<View> left_;
  std::shared_ptr<View> right_;
  std::shared_ptr<View> title_;
  std::shared_ptr<Button> back_;
  // Bar items on show: a change to one (a new title) rebuilds the bar.
  std::vector<std::shared_ptr<BarButtonItem>> watchedItems_;
};

}  // namespace ui
