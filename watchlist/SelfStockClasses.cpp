#include "watchlist/SelfStockClasses.h"

#include "platform/ui/Object.h"
#include "watchlist/SelfStockController.h"

void RegisterSelfStockClasses() {
  ui::ClassRegistry::shared().registerClass<SelfStockController>("SelfStockController");
}
