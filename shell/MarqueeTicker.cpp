#include "shell/MarqueeTicker.h"

#include "platform/foundation/Log.h"
#include "platform/ui/Object.h"

std::shared_ptr<MarqueeViewRole> CreateMarqueeView(const gfx::Rect& frame) {
  auto view = ui::ClassRegistry::shared().create<ui::View>(kMarqueeViewClassName);
  auto bar = std::dynamic_pointer_cast<MarqueeViewRole>(view);
  if (!bar) {
    foundation::logError("!!!!!!!CreateMarqueeView: no ticker class \"%s\"", kMarqueeViewClassName);
    return nullptr;
  }
  view->setFrame(frame);
  return bar;
}
