#include "detail/TrendlineController.h"
#include "platform/ui/Object.h"

void RegisterDetailPlaceholders();
void RegisterPanelClasses();

void RegisterDetailClasses() {
  RegisterDetailPlaceholders();
  RegisterPanelClasses();
  ui::ClassRegistry::shared().registerClass<TrendlineController>("TrendlineController");
}
