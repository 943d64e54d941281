#include "detail/placeholders/AnalysisView.h"
#include "platform/ui/Object.h"

void RegisterDetailPlaceholders() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<AnalysisView>("AnalysisView");
}
