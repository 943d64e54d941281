// The shell makes kit widgets (the waiting box) by class name; register them once for every
// test of this program, as the application does at start, with a double for the first tab.
#include <gtest/gtest.h>

#include "platform/ui/Object.h"
#include "tests/shell/WatchListDouble.h"
#include "widgets/WidgetClasses.h"

namespace {

class KitClasses : public ::testing::Environment {
 public:
  void SetUp() override {
    RegisterWidgetClasses();
    ui::ClassRegistry::shared().registerClass<WatchListDouble>("SelfStockController");
  }
};

const auto* const kKitClasses = ::testing::AddGlobalTestEnvironment(new KitClasses);

}  // namespace
