#include "panels/DetailView.h"
#include "platform/ui/Object.h"

// The pages of the detail pager, made by class name. Called by RegisterDetailClasses() after
// the stand-ins, so a real page replaces its stand-in's name.
void RegisterPanelClasses() {
  [[maybe_unused]] auto& registry = ui::ClassRegistry::shared();
  DetailView::registerClass();
}
