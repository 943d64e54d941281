#include "detail/TrendlineController.h"
#include "platform/ui/Object.h"

void RegisterDetailPlaceholders();

void RegisterDetailClasses() {
  RegisterDetailPlaceholders();
  ui::ClassRegistry::shared().registerClass<TrendlineController>("TrendlineController");
}
