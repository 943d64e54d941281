#include "widgets/BarClasses.h"

#include "platform/ui/Object.h"
#include "shell/WaitingBox.h"
#include "widgets/AlertView.h"

void RegisterBarClasses() {
  ui::ClassRegistry::shared().registerClass(kWaitingBoxClassName, [] {
    return std::static_pointer_cast<ui::Object>(AlertView::initWithFrame(gfx::Rect()));
  });
}
