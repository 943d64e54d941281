#include "detail/placeholders/AnalysisView.h"
#include "detail/placeholders/F10View.h"
#include "detail/placeholders/HK10DangView.h"
#include "detail/placeholders/LandscapeKline.h"
#include "platform/ui/Object.h"

void RegisterDetailPlaceholders() {
  auto& registry = ui::ClassRegistry::shared();
  // The price panel is laid out for the 320-point page when the page is made.
  const gfx::Rect page{0, 0, 320, 51};
  registry.registerClass<F10View>("F10View");
  registry.registerClass("HK10DangView", [page] {
    return std::static_pointer_cast<ui::Object>(PublicView::create<HK10DangView>(page));
  });
  registry.registerClass<AnalysisView>("AnalysisView");
  registry.registerClass<LandscapeKline>("LandscapeKline");
}
