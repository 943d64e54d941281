#include "kline/KLineClasses.h"

#include "kline/KLineModuleView.h"
#include "platform/ui/Object.h"

void RegisterKLineClasses() {
  auto& registry = ui::ClassRegistry::shared();
  // Made at the landscape chart's size; hosts set their own frame.
  registry.registerClass("KLineModuleView", [] {
    return std::static_pointer_cast<ui::Object>(KLineModuleView::initWithFrame({0, 0, 480, 254}));
  });
}
