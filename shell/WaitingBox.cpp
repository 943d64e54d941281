#include "shell/WaitingBox.h"

#include "platform/foundation/Log.h"
#include "platform/ui/Object.h"

std::shared_ptr<WaitingBoxRole> CreateWaitingBox(const gfx::Rect& frame) {
  auto view = ui::ClassRegistry::shared().create<ui::View>(kWaitingBoxClassName);
  auto box = std::dynamic_pointer_cast<WaitingBoxRole>(view);
  if (!box) {
    foundation::logError("!!!!!!!CreateWaitingBox: no waiting box class \"%s\"",
                         kWaitingBoxClassName);
    return nullptr;
  }
  view->setFrame(frame);
  return box;
}
