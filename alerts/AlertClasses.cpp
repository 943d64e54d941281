#include "alerts/AlertClasses.h"

#include "alerts/InfoArticlePage.h"
#include "alerts/MainPage.h"
#include "alerts/MainSettings.h"
#include "alerts/NewsController.h"
#include "alerts/PriceNotification.h"
#include "alerts/PriceNotificationList.h"
#include "alerts/PriceNotificationModifySetting.h"
#include "alerts/PriceNotificationSetting.h"
#include "alerts/RadarView.h"
#include "platform/ui/Object.h"

void RegisterAlertClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<PriceNotification>("PriceNotification");
  registry.registerClass<PriceNotificationList>("PriceNotificationList");
  registry.registerClass<PriceNotificationModifySetting>("PriceNotificationModifySetting");
  registry.registerClass<PriceNotificationSetting>("PriceNotificationSetting");
  registry.registerClass("RadarView",
                         [] { return std::static_pointer_cast<ui::Object>(RadarView::create()); });
  registry.registerClass<CRadarDetailInfoController>("CRadarDetailInfoController");
  registry.registerClass<CDetailInfoController>("CDetailInfoController");
  registry.registerClass<MainPage>("MainPage");
  registry.registerClass<MainSettings>("MainSettings");
  registry.registerClass<NewsController>("NewsController");
}
