#include "detail/TrendlineController.h"
#include "platform/ui/Object.h"

void RegisterPanelClasses();

void RegisterDetailClasses() {
  RegisterPanelClasses();
  ui::ClassRegistry::shared().registerClass<TrendlineController>("TrendlineController");
}
