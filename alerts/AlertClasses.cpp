#include "alerts/AlertClasses.h"

#include "platform/ui/Object.h"

void RegisterAlertClasses() {
  [[maybe_unused]] auto& registry = ui::ClassRegistry::shared();
}
