#include "watchlist/WatchlistClasses.h"

#include "platform/ui/Object.h"
#include "watchlist/SearchStocks.h"
#include "watchlist/SelfStockController.h"
#include "watchlist/Setting.h"

void RegisterWatchlistClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<SelfStockController>("SelfStockController");
  registry.registerClass<SearchStocks>("SearchStocks");
  registry.registerClass<Setting>("Setting");
}
