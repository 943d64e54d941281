#include "alerts/AlertClasses.h"

#include "alerts/RadarView.h"
#include "alerts/InfoArticlePage.h"
#include "alerts/MainPage.h"
#include "alerts/MainSettings.h"
#include "alerts/NewsController.h"
#include "platform/ui/Object.h"

void RegisterAlertClasses() {
  [[maybe_unused]] auto& registry = ui::ClassRegistry::shared();
  registry.registerClass("RadarView", [] {
    return std::static_pointer_cast<ui::Object>(RadarView::create());
  });
  registry.registerClass<CRadarDetailInfoController>("CRadarDetailInfoController");
  registry.registerClass<CDetailInfoController>("CDetailInfoController");
  registry.registerClass<MainPage>("MainPage");
  registry.registerClass<MainSettings>("MainSettings");
  registry.registerClass<NewsController>("NewsController");
}
