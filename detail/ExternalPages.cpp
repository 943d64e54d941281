#include "detail/ExternalPages.h"

#include "platform/ui/Object.h"
#include "platform/ui/View.h"

std::shared_ptr<ui::View> CreateRadarPage() {
  // The radar page belongs to another folder; a build without it shows an empty page slot.
  if (!ui::ClassRegistry::shared().contains("RadarView")) return nullptr;
  return std::dynamic_pointer_cast<ui::View>(ui::ClassRegistry::shared().create("RadarView"));
}

RadarListRole* RadarRoleOf(ui::View* view) {
  return dynamic_cast<RadarListRole*>(view);
}
