#include "widgets/InputClasses.h"

#include "platform/ui/Object.h"
#include "widgets/ArPickerView.h"
#include "widgets/CustomKeyboardView.h"
#include "widgets/NewTimeInputAlertView.h"
#include "widgets/RiskShowView.h"

namespace {

template <class T, class Make>
void Register(const char* name, Make make) {
  ui::ClassRegistry::shared().registerClass(
      name, [make] { return std::static_pointer_cast<ui::Object>(std::shared_ptr<T>(make())); });
}

}  // namespace

void RegisterInputClasses() {
  Register<CustomKeyboardView>("CustomKeyboardView", [] { return CustomKeyboardView::create(); });
  Register<ArPickerView>("ArPickerView", [] { return ArPickerView::create(); });
  Register<CustomDatePickerView>("CustomDatePickerView",
                                 [] { return CustomDatePickerView::create(); });
  Register<RiskShowView>("RiskShowView", [] { return RiskShowView::createWithDefaultXib(); });
  Register<NewTimeInputAlertView>(kPhoneLoginBoxClass,
                                  [] { return NewTimeInputAlertView::createWithDefaultXib(); });
}
