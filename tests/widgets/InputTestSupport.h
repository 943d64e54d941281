// Shared set-up of the input widget tests: the kit's fixture, which also starts each test with a
// fresh keyboard and no alert or sheet left over.
#pragma once

#include "WidgetTestSupport.h"

namespace inputtest {

class InputTest : public widgettest::WidgetTest {};

}  // namespace inputtest
