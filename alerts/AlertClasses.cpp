#include "alerts/AlertClasses.h"

#include "alerts/PriceNotification.h"
#include "alerts/PriceNotificationList.h"
#include "alerts/PriceNotificationModifySetting.h"
#include "alerts/PriceNotificationSetting.h"
#include "platform/ui/Object.h"

void RegisterAlertClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<PriceNotification>("PriceNotification");
  registry.registerClass<PriceNotificationList>("PriceNotificationList");
  registry.registerClass<PriceNotificationModifySetting>("PriceNotificationModifySetting");
  registry.registerClass<PriceNotificationSetting>("PriceNotificationSetting");
}
