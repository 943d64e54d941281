// The general pasteboard (strings and typed bytes) and the edit menu: a row of commands in a
// black bubble over a target rectangle of a view ("拷贝" by default).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace ui {

inline constexpr const char* kPasteboardTypeText = "public.utf8-plain-text";

class Pasteboard {
 public:
  static Pasteboard& general();

  // The text (kPasteboardTypeText); empty when none.
  std::string string() const;
  void setString(const std::string& text);
  bool hasString() const { return items_.count(kPasteboardTypeText) > 0; }
  // Bytes under a type ("OV_Stock", ...). Setting replaces everything on the pasteboard.
  void setData(const std::string& type, const std::vector<std::uint8_t>& data);
  std::vector<std::uint8_t> dataForType(const std::string& type) const;
  std::vector<std::string> types() const;
  // Goes up by one with every change.
  int changeCount() const { return changeCount_; }
  void clear();

 private:
  std::map<std::string, std::vector<std::uint8_t>> items_;
  int changeCount_ = 0;
};

struct MenuItem {
  std::string title;
  std::function<void()> action;
};

// Posted on the default centre (object: the menu controller).
inline constexpr const char* kMenuControllerDidShowMenuNotification =
    "MenuControllerDidShowMenuNotification";
inline constexpr const char* kMenuControllerDidHideMenuNotification =
    "MenuControllerDidHideMenuNotification";

class MenuController {
 public:
  static MenuController& shared();

  // Custom items. Without any, the menu offers "拷贝", which copies the target view's text (a
  // label, text field or text view) to the general pasteboard.
  void setMenuItems(std::vector<MenuItem> items) { items_ = std::move(items); }
  const std::vector<MenuItem>& menuItems() const { return items_; }
  // Where the menu points: a rectangle in `view`'s coordinates.
  void setTargetRect(const gfx::Rect& rect, View* view);
  void setMenuVisible(bool visible, bool animated = false);
  bool isMenuVisible() const { return visible_; }
  // Re-reads the items while the menu shows.
  void update();
  // The bubble in screen coordinates (empty when hidden).
  gfx::Rect menuFrame() const;
  // The titles shown now.
  std::vector<std::string> visibleTitles() const;
  // Runs the item with this title as a tap would (and hides the menu). False when not shown.
  bool performItem(const std::string& title);

  // Tests: hides without notifications and forgets items and target.
  void reset();

 private:
  MenuController() = default;
  std::vector<MenuItem> effectiveItems() const;
  void build();

  std::vector<MenuItem> items_;
  std::weak_ptr<View> target_;
  gfx::Rect targetRect_;
  bool visible_ = false;
  std::shared_ptr<Window> window_;
  std::shared_ptr<View> bubble_;
};

}  // namespace ui
