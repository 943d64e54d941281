// Registers the watch-list screens under their interface names ("SelfStockController",
// "SearchStocks", "Setting") in ui::ClassRegistry. The application calls it once at start,
// after the component kit's.
#pragma once

void RegisterWatchlistClasses();
