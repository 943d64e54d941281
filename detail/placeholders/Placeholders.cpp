#include "detail/placeholders/AnalysisView.h"
#include "detail/placeholders/DetailView.h"
#include "detail/placeholders/LandscapeKline.h"
#include "platform/ui/Object.h"

void RegisterDetailPlaceholders() {
  auto& registry = ui::ClassRegistry::shared();
  // The price panel is laid out for the 320-point page when the page is made.
  const gfx::Rect page{0, 0, 320, 51};
  registry.registerClass<DetailView>("DetailView");
  registry.registerClass<AnalysisView>("AnalysisView");
  registry.registerClass<LandscapeKline>("LandscapeKline");
}
