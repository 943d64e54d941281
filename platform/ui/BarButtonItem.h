// An item of a toolbar (and of navigation bars): a title, an image, a custom view or a space.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

namespace ui {

class View;
class Button;

enum class BarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

enum class BarButtonSystemItem {
  Done,
  Cancel,
  Edit,
  Save,
  Add,
  FlexibleSpace,
  FixedSpace,
  Compose,
  Reply,
  Action,
  Organize,
  Bookmarks,
  Search,
  Refresh,
  Stop,
  Camera,
  Trash,
  Play,
  Pause,
  Rewind,
  FastForward,
  Undo,
  Redo
};

enum class BarStyle { Default = 0, Black = 1, BlackTranslucent = 2 };

class BarButtonItem : public std::enable_shared_from_this<BarButtonItem> {
 public:
  using Action = std::function<void(BarButtonItem& item)>;

  BarButtonItem() = default;
  static std::shared_ptr<BarButtonItem> withTitle(const std::string& title,
                                                  BarButtonItemStyle style, Action action = {});
  static std::shared_ptr<BarButtonItem> withImage(const gfx::Image& image, BarButtonItemStyle style,
                                                  Action action = {});
  static std::shared_ptr<BarButtonItem> withCustomView(std::shared_ptr<View> view);
  static std::shared_ptr<BarButtonItem> withSystemItem(BarButtonSystemItem item,
                                                       Action action = {});
  static std::shared_ptr<BarButtonItem> flexibleSpace();
  static std::shared_ptr<BarButtonItem> fixedSpace(double width);

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  const gfx::Image& image() const { return image_; }
  void setImage(const gfx::Image& image);
  BarButtonItemStyle style() const { return style_; }
  void setStyle(BarButtonItemStyle style);
  // Fixed spaces and items with a set width take it; 0: sized to the content.
  double width() const { return width_; }
  void setWidth(double width);
  const std::shared_ptr<View>& customView() const { return customView_; }
  void setCustomView(std::shared_ptr<View> view);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  std::optional<gfx::Color> tintColor() const { return tint_; }
  void setTintColor(const gfx::Color& color);
  bool isSystemItem() const { return system_; }
  BarButtonSystemItem systemItem() const { return systemItem_; }
  bool isFlexibleSpace() const {
    return system_ && systemItem_ == BarButtonSystemItem::FlexibleSpace;
  }
  bool isFixedSpace() const { return system_ && systemItem_ == BarButtonSystemItem::FixedSpace; }

  void setAction(Action action) { action_ = std::move(action); }
  const Action& action() const { return action_; }
  // Runs the action as a tap on the item would.
  void trigger();

  // The view that shows the item on a bar (the custom view, or a button made for it); spaces
  // have none. The bar calls this whenever the item changed.
  std::shared_ptr<View> makeView(BarStyle barStyle, const std::optional<gfx::Color>& barTint);

  // The bar holding the item is told when it changes.
  void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

 private:
  void notify() {
    if (changed_) changed_();
  }

  std::string title_;
  gfx::Image image_;
  BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
  double width_ = 0;
  std::shared_ptr<View> customView_;
  bool enabled_ = true;
  int tag_ = 0;
  std::optional<gfx::Color> tint_;
  bool system_ = false;
  BarButtonSystemItem systemItem_ = BarButtonSystemItem::Done;
  Action action_;
  std::function<void()> changed_;
};

}  // namespace ui
