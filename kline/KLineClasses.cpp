#include "kline/KLineClasses.h"

#include <algorithm>
#include "kline/AnalysisView.h"
#include "kline/KLineModuleView.h"
#include "kline/LandscapeKline.h"

#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"

void RegisterKLineClasses() {
  auto& registry = ui::ClassRegistry::shared();
  // Made at the landscape chart's size; hosts set their own frame.
  registry.registerClass("KLineModuleView", [] {
    return std::static_pointer_cast<ui::Object>(KLineModuleView::initWithFrame({0, 0, 480, 254}));
  });
  registry.registerClass<LandscapeKline>("LandscapeKline");
  // The pager's K-line page at the pager's page size: its layout comes from that frame.
  registry.registerClass("AnalysisView", [] {
    const double height = std::max(0.0, ui::Screen::main().bounds().height() - 166);
    return std::static_pointer_cast<ui::Object>(AnalysisView::createPage({0, 0, 320, height}));
  });
}
