#include "kline/KLineClasses.h"

#include "platform/ui/Object.h"

void RegisterKLineClasses() {
  [[maybe_unused]] auto& registry = ui::ClassRegistry::shared();
}
