#include "alerts/AlertClasses.h"

#include "alerts/PriceNotificationModifySetting.h"
#include "alerts/PriceNotificationSetting.h"
#include "alerts/placeholders/PriceNotificationStandIn.h"
#include "platform/ui/Object.h"

void RegisterAlertClasses() {
  auto& registry = ui::ClassRegistry::shared();
  RegisterPriceAlertPlaceholders();
  registry.registerClass<PriceNotificationModifySetting>("PriceNotificationModifySetting");
  registry.registerClass<PriceNotificationSetting>("PriceNotificationSetting");
}
