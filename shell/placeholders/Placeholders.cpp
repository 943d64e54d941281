#include "platform/ui/Object.h"
#include "shell/placeholders/OtherPlaceholders.h"
#include "shell/placeholders/PlaceholderScreen.h"
#include "shell/placeholders/RadarPlaceholder.h"
#include "shell/placeholders/TabPlaceholders.h"

void RegisterPlaceholderClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<MainPage>("MainPage");
  registry.registerClass<TradeLoginViewController>("TradeLoginViewController");
  registry.registerClass<AccountManager>("AccountManager");
  registry.registerClass<SystemSetting>("SystemSetting");
  registry.registerClass<UILoginViewCtrl>("UILoginViewCtrl");
  registry.registerClass<SplashViewController>("SplashViewController");
  registry.registerClass<RadarView>("RadarView");
}
