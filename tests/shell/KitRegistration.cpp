// The shell makes kit widgets (the waiting box) by class name; register them once for every
// test of this program, as the application does at start.
#include <gtest/gtest.h>

#include "widgets/WidgetClasses.h"

namespace {

class KitClasses : public ::testing::Environment {
 public:
  void SetUp() override { RegisterWidgetClasses(); }
};

const auto* const kKitClasses = ::testing::AddGlobalTestEnvironment(new KitClasses);

}  // namespace
