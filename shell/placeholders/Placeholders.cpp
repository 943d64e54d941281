#include "platform/ui/Object.h"
#include "shell/placeholders/PlaceholderScreen.h"
#include "shell/placeholders/RadarPlaceholder.h"
#include "shell/placeholders/TabPlaceholders.h"

void RegisterPlaceholderClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<MainPage>("MainPage");
  registry.registerClass<MyMessage>("MyMessage");
  registry.registerClass<RadarView>("RadarView");
}
