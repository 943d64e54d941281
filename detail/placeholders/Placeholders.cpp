#include "detail/placeholders/AnalysisView.h"
#include "detail/placeholders/DetailView.h"
#include "detail/placeholders/F10View.h"
#include "detail/placeholders/HK10DangView.h"
#include "detail/placeholders/LandscapeKline.h"
#include "detail/placeholders/TrendFrameView.h"
#include "platform/ui/Object.h"

void RegisterDetailPlaceholders() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<TrendFrameView>("TrendFrameView");
  registry.registerClass<DetailView>("DetailView");
  registry.registerClass<F10View>("F10View");
  registry.registerClass<HK10DangView>("HK10DangView");
  registry.registerClass<AnalysisView>("AnalysisView");
  registry.registerClass<LandscapeKline>("LandscapeKline");
}
