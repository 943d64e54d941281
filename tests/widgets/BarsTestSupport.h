// Set-up of the bar, waiting-box and base-screen tests: the kit's fixture.
#pragma once

#include "WidgetTestSupport.h"

namespace barstest {

class BarsTest : public widgettest::WidgetTest {};

}  // namespace barstest
