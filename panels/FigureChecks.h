// What one security's figures must agree on wherever the detail screen shows them, as checks a
// screen declares with ui::addScreenInvariant (asked after every shot and walker step). Each
// answers an empty string while the figures agree, else one line saying what disagrees. They
// read only what the screen holds and shows, and judge nothing while a screen is still waiting
// for the figures of the security it names.
#pragma once

#include <string>

#include "core/ChartData.h"
#include "core/StockData.h"

class TrendlineView;
class DetailTable;

namespace figures {

// The trend's last point against the price panel of the same security: its price is the
// panel's 最新 and (for a security whose minute volumes are its trades') its volume the
// panel's 现量, as each is shown.
std::string TrendEndsAtThePanel(const TrendlineView& chart, const tagLocalStockData& panel);

// The quote rows of a share: 外盘 + 内盘 = 总量, and 委比 is what the five bid and ask levels'
// volumes make of it, (bid - ask) / (bid + ask), to the hundredth of a percent shown.
std::string QuoteRowsAddUp(const tagLocalStockData& q);

// The ticks list shows its newest trade (the last row) unless the user scrolled it away.
std::string TicksShowTheNewest(const DetailTable& table);

// Today's bar of a day chart is the quote's open, high, low, close (最新) and volume; on any
// other period the last bar closes at 最新. `period` is the chart's period code (1 the day).
std::string TodaysBarIsTheQuote(const tagLocalKData& bar, int period, const tagLocalStockData& q);

// In continuous trading the five levels are not crossed: the bids fall, the asks rise and the
// best ask is above the best bid. Levels not known or empty are not judged.
std::string BookNotCrossed(const tagLocalStockData& q);

// The main-force table's buy and sell volumes add up to 总量 of the record they came with.
std::string MainForceAddsUp(const tagLocalStockData& q);

}  // namespace figures
