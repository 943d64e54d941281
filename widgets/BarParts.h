// Pieces the bar views share: the small page indicators at a row's ends and item buttons whose
// taps reach their bar without keeping it alive.
#pragma once

#include <memory>

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/View.h"

// A hidden 10 x 10 indicator showing the bundle image, added to `parent`.
inline std::shared_ptr<ui::ImageView> AddPageIndicator(ui::View& parent, const char* image) {
  auto view = ui::ImageView::create(gfx::Rect(0, 0, 10, 10));
  view->setImage(gfx::Image::named(image));
  view->setHidden(true);
  parent.addSubview(view);
  return view;
}

// Calls `action` on the bar with the tapped button, as long as the bar is still there.
template <class Bar>
void OnItemTap(ui::Button& button, const std::shared_ptr<Bar>& bar,
               void (Bar::*action)(ui::Button&)) {
  std::weak_ptr<Bar> weak = bar;
  button.addTarget(
      [weak, action](ui::Control& sender) {
        auto self = weak.lock();
        auto* item = dynamic_cast<ui::Button*>(&sender);
        if (self && item) ((*self).*action)(*item);
      },
      ui::ControlEvent::TouchUpInside);
}
