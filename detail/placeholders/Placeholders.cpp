#include "detail/placeholders/AnalysisView.h"
#include "detail/placeholders/LandscapeKline.h"
#include "platform/ui/Object.h"

void RegisterDetailPlaceholders() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<AnalysisView>("AnalysisView");
  registry.registerClass<LandscapeKline>("LandscapeKline");
}
