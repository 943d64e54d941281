// The shell makes kit widgets (the waiting box) and later screens by class name; register them
// once for every test of this program, as the application does at start.
#include <gtest/gtest.h>

#include "tests/shell/ScreenStandIns.h"
#include "widgets/WidgetClasses.h"

namespace {

class KitClasses : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterWidgetClasses();
    RegisterScreenStandIns();
  }
};

const auto* const kKitClasses = ::testing::AddGlobalTestEnvironment(new KitClasses);

}  // namespace
