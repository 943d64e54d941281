#include "platform/ui/Object.h"
#include "shell/placeholders/PlaceholderScreen.h"
#include "shell/placeholders/TabPlaceholders.h"

void RegisterPlaceholderClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<TradeLoginViewController>("TradeLoginViewController");
}
