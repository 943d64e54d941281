#include "ranking/RankingClasses.h"

#include "platform/ui/Object.h"
#include "ranking/MarqueeView.h"
#include "ranking/NewStockSort.h"
#include "ranking/SortControllers.h"
#include "ranking/StockSort.h"

void RegisterRankingClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<StockSort>("StockSort");
  registry.registerClass<NewStockSort>("NewStockSort");
  registry.registerClass<MainSortController>("MainSortController");
  registry.registerClass<HKSortController>("HKSortController");
  registry.registerClass<OneMarketSortController>("OneMarketSortController");
  // The ticker the shell makes by name, and its row view.
  registry.registerClass<MarqueeView>(kMarqueeViewClassName);
  registry.registerClass("tableViewCellContent12", [] {
    return std::static_pointer_cast<ui::Object>(IndexItemView::create());
  });
}
