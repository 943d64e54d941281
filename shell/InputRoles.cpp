#include "shell/InputRoles.h"

#include "platform/foundation/Log.h"
#include "shell/Extend.h"

std::shared_ptr<ui::View> CreatePhoneLoginBox() {
  auto box = Extend::produceObject<ui::View>(kPhoneLoginBoxClass);
  if (box && !dynamic_cast<PhoneLoginBoxRole*>(box.get())) {
    foundation::logError("CreatePhoneLoginBox: %s is not a phone-login box", kPhoneLoginBoxClass);
    return nullptr;
  }
  return box;
}
