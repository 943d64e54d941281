#include "account/AccountClasses.h"

#include "platform/ui/Object.h"

void RegisterAccountClasses() {
  [[maybe_unused]] auto& registry = ui::ClassRegistry::shared();
}
