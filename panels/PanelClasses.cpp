#include <algorithm>

#include "panels/TrendFrameView.h"
#include "panels/DetailView.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"

// The pages of the detail pager, made by class name. Called by RegisterDetailClasses() after
// the stand-ins, so a real page replaces its stand-in's name.
void RegisterPanelClasses() {
  [[maybe_unused]] auto& registry = ui::ClassRegistry::shared();
  DetailView::registerClass();
  // Made at the size of the pager's pages: its chart and rows are laid out once, when built.
  registry.registerClass("TrendFrameView", [] {
    const double height = std::max(0.0, ui::Screen::main().bounds().height() - 166);
    return std::static_pointer_cast<ui::Object>(
        PublicView::create<TrendFrameView>({0, 0, TrendFrameView::kPageWidth, height}));
  });
}
