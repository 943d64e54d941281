// A bar of items laid out left to right; flexible spaces share the room that is left.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/View.h"

namespace ui {

class Toolbar : public View {
 public:
  explicit Toolbar(const gfx::Rect& frame = {});
  static std::shared_ptr<Toolbar> create(const gfx::Rect& frame = {});

  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  std::optional<gfx::Color> tintColor() const { return tint_; }
  void setTintColor(const gfx::Color& color);
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent);
  const gfx::Image& backgroundImage() const { return background_; }
  void setBackgroundImage(const gfx::Image& image);
  // Draw nothing behind the items (bars that only carry their items).
  void setDrawsBackground(bool draws);

  const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
  // The view showing item `index` (null for spaces).
  View* viewForItem(size_t index) const;

  void layoutSubviews() override;
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  gfx::Size sizeThatFits(gfx::Size size) const override;

  // Drawing of a bar background (toolbars and navigation bars share the look).
  static void drawBarBackground(gfx::Context& ctx, const gfx::Rect& rect, BarStyle style,
                                const std::optional<gfx::Color>& tint, bool translucent);

 private:
  void rebuild();

  std::vector<std::shared_ptr<BarButtonItem>> items_;
  std::vector<std::shared_ptr<View>> itemViews_;
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<gfx::Color> tint_;
  bool translucent_ = false;
  bool drawsBackground_ = true;
  gfx::Image background_;
};

}  // namespace ui
