#include <algorithm>

#include "panels/DetailView.h"
#include "panels/F10View.h"
#include "panels/HK10DangView.h"
#include "panels/TrendFrameView.h"
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
  // The price panel is laid out for the 320-point page when the page is made.
  registry.registerClass("HK10DangView", [] {
    return std::static_pointer_cast<ui::Object>(
        PublicView::create<HK10DangView>(gfx::Rect{0, 0, 320, 51}));
  });
  registry.registerClass("F10View",
                         [] { return std::static_pointer_cast<ui::Object>(F10View::create()); });
}
