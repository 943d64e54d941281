// What the shell asks of the bottom index ticker (a thin bar that rolls through the Shanghai,
// Shenzhen and Hong Kong indices). The bar itself lives with the ranking lists, which the shell
// cannot include: they register it in ui::ClassRegistry under kMarqueeViewClassName and the
// shell makes it by that name.
#pragma once

#include <memory>

#include "platform/graphics/Geometry.h"
#include "platform/ui/Button.h"
#include "platform/ui/View.h"

inline constexpr char kMarqueeViewClassName[] = "MarqueeView";

// Told of touches on an index row; `row` is the ticker row (0 Shanghai, 1 Shenzhen, 2 Hong Kong).
class IndexMarqueeDelegate {
 public:
  virtual ~IndexMarqueeDelegate() = default;
  virtual void indexMarqueeTouchWillTouchWithIndexPath(ui::View& item, int row) {
    (void)item;
    (void)row;
  }
  virtual void indexMarqueeTouchDidTouchWithIndexPath(ui::View& item, int row) {
    (void)item;
    (void)row;
  }
};

// Told of taps on the bar's buttons.
class MarqueeViewDelegate {
 public:
  virtual ~MarqueeViewDelegate() = default;
  virtual void MarqueeViewClicked(ui::View& bar, ui::Button& button) {
    (void)bar;
    (void)button;
  }
};

class MarqueeViewRole {
 public:
  virtual ~MarqueeViewRole() = default;
  // The bar's delegate (weak).
  virtual void setDelegate(std::weak_ptr<MarqueeViewDelegate> delegate) = 0;
  // The delegate of the index rows (weak).
  virtual void setIndexDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate) = 0;
  // Starts rolling on the action engine's ticks.
  virtual void start() = 0;
  // The rows re-read their indices from the quote cache.
  virtual void updateIndex() = 0;
  virtual void pauseAllActions() = 0;
  virtual void resumeAllActions() = 0;
  // The bar as a view, to lay it into the window.
  virtual std::shared_ptr<ui::View> barView() = 0;
};

// A new ticker with that frame, made by class name; null (and a log line) when it is not
// registered.
std::shared_ptr<MarqueeViewRole> CreateMarqueeView(const gfx::Rect& frame);
