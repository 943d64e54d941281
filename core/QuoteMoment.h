// Figures of one moment. A quote record is merged from answers that each carry some of its fields
// (a list's row carries the best bid and ask, the detail's quote all five levels, its main-force
// page the main-force table), and each answer is of its own minute. Fields that only agree with
// each other when they come from one answer (the levels of the book and 委比 made of them; 总量
// and the 外盘 and 内盘 it is made of; 总量 and the main-force table that splits it) form groups: a
// merge that moves part of a group and does not carry the rest leaves the rest of another minute,
// so the rest becomes not known (the empty marks, shown "----") until an answer carries it again.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/StockData.h"

// Run on a stored record right after a merge (and its scaling) with the record as it was before
// and the ids the merge carried.
void KeepOneMoment(tagLocalStockData& merged, const tagLocalStockData& before, const uint8_t* ids,
                   size_t idCount);
// The same for a record this answer made: what it did not carry reads 0, and a 0 beside figures
// that are made of it would read as a figure (委比 and 委差 beside the book).
void KeepOneMomentOfFirst(tagLocalStockData& placed, const uint8_t* ids, size_t idCount);

// The day's volume risen since the record held it is its latest trade (现量) only when the answer
// is of the minute held or the next: over a longer gap (a screen that asks again after the server
// was away, a list asked now and then) the rise spans minutes and is no one trade's. An answer
// that does not name its minute (21) cannot tell, and its rise is taken.
bool RiseIsLatestTrade(const tagLocalStockData& fresh, const tagLocalStockData& held,
                       const uint8_t* ids, size_t idCount);

// The book levels held (price and volume not empty marks) from level `from` on, of either side.
bool BookHoldsLevelsFrom(const tagLocalStockData& q, int from);
// The main-force table (order counts, volumes and amounts by side and size) is known.
bool MainForceKnown(const tagLocalStockData& q);
