// The New York clock is shared with the test server: it lives in core/.
#pragma once
#include "core/NewYorkClock.h"
