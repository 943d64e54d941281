#include "core/QuoteMoment.h"

#include <algorithm>

#include "core/ChartData.h"
#include "core/ValueMath.h"

namespace {

bool CarriesId(const uint8_t* ids, size_t idCount, uint8_t id) {
  return ids && std::find(ids, ids + idCount, id) != ids + idCount;
}

bool SameLevel(const tagPriceVol& a, const tagPriceVol& b) {
  return a.price == b.price && a.volume == b.volume;
}

// The levels of one side the merge carried: 76 all ten, 74 five, 72 (bid) or 73 (ask) the best.
int DepthCarried(const uint8_t* ids, size_t idCount, uint8_t bestId) {
  if (CarriesId(ids, idCount, 76)) return 10;
  if (CarriesId(ids, idCount, 74)) return 5;
  return CarriesId(ids, idCount, bestId) ? 1 : 0;
}

void ForgetLevels(tagPriceVol* side, int from) {
  for (int l = from; l < 10; ++l) {
    side[l].price = vmath::kEmpty32;
    side[l].volume = vmath::kEmpty64;
  }
}

bool Held(int64_t v) {
  return v != 0 && !vmath::IsMark(v);
}

void ForgetRatioBesideBook(tagLocalStockData& q, const uint8_t* ids, size_t idCount) {
  if (!CarriesId(ids, idCount, 40)) q.index_wb = vmath::kEmpty32;
  if (!CarriesId(ids, idCount, 41)) q.index_wc = vmath::kEmpty64;
}

}  // namespace

bool RiseIsLatestTrade(const tagLocalStockData& fresh, const tagLocalStockData& held,
                       const uint8_t* ids, size_t idCount) {
  // An answer that does not name its minute, or a record that never held one, cannot tell: the
  // rise stands for the latest trade as ever.
  const tagDateMin& a = fresh.datetime;
  const tagDateMin& b = held.datetime;
  if (!CarriesId(ids, idCount, 21) || a.Year == 0 || b.Year == 0) return true;
  if (a.Year != b.Year || a.Month != b.Month || a.Day != b.Day) return false;
  const int minuteA = static_cast<int>(a.Hour) * 60 + static_cast<int>(a.Minute);
  const int minuteB = static_cast<int>(b.Hour) * 60 + static_cast<int>(b.Minute);
  // Counted in trading minutes where the sessions are known (the lunch break is no gap).
  const tagLocalStockData& sessions = fresh.tradetimenum > 0 ? fresh : held;
  const int apart = sessions.tradetimenum > 0 ? TradeMinuteToIndex(sessions, minuteA) -
                                                    TradeMinuteToIndex(sessions, minuteB)
                                              : minuteA - minuteB;
  return apart == 0 || apart == 1;
}

bool BookHoldsLevelsFrom(const tagLocalStockData& q, int from) {
  for (int l = std::max(from, 0); l < 10; ++l) {
    if (Held(q.buysell10.buy[l].price) || Held(q.buysell10.sell[l].price)) return true;
  }
  return false;
}

bool MainForceKnown(const tagLocalStockData& q) {
  for (int k = 0; k < 8; ++k) {
    if (vmath::IsMark(q.VolumeGold[k]) || vmath::IsMark(q.AmountGold[k]) ||
        vmath::IsMark(q.BuySellGold[k]))
      return false;
  }
  return true;
}

void KeepOneMoment(tagLocalStockData& merged, const tagLocalStockData& before, const uint8_t* ids,
                   size_t idCount) {
  // The book: levels beyond those carried are of an older answer once the carried ones moved.
  const int bidDepth = DepthCarried(ids, idCount, 72);
  const int askDepth = DepthCarried(ids, idCount, 73);
  bool bookMoved = false;
  for (int l = 0; l < bidDepth; ++l)
    bookMoved = bookMoved || !SameLevel(merged.buysell10.buy[l], before.buysell10.buy[l]);
  for (int l = 0; l < askDepth; ++l)
    bookMoved = bookMoved || !SameLevel(merged.buysell10.sell[l], before.buysell10.sell[l]);
  const bool ratioCarried = CarriesId(ids, idCount, 40) || CarriesId(ids, idCount, 41);
  const bool ratioMoved =
      merged.index_wb != before.index_wb || merged.index_wc != before.index_wc;
  // 委比 and 委差 moved with the best prices as they were (a list row's): the five levels they are
  // made of moved beyond the best, so those held are of an older answer.
  const bool ratioOutranBook = ratioCarried && ratioMoved && std::min(bidDepth, askDepth) < 5;
  if (bookMoved || ratioOutranBook) {
    // A side not carried at all is as old as the levels beyond those carried.
    if (BookHoldsLevelsFrom(before, std::min(bidDepth, askDepth))) {
      ForgetLevels(merged.buysell10.buy, bidDepth);
      ForgetLevels(merged.buysell10.sell, askDepth);
    }
  }
  // 72 and 73 carry the best price alone: its volume is of the older answer once the price moved.
  if (bidDepth == 1 && merged.buysell10.buy[0].price != before.buysell10.buy[0].price)
    merged.buysell10.buy[0].volume = vmath::kEmpty64;
  if (askDepth == 1 && merged.buysell10.sell[0].price != before.buysell10.sell[0].price)
    merged.buysell10.sell[0].volume = vmath::kEmpty64;
  // 委比 and 委差 are made of the five levels: a book moved without them leaves them older, or
  // never given, and a 0 held would read as a balanced book.
  if (bookMoved) ForgetRatioBesideBook(merged, ids, idCount);

  // 总量 and what it is made of.
  const bool volumeMoved = CarriesId(ids, idCount, 6) && merged.volume != before.volume;
  if (!volumeMoved) return;
  if (!CarriesId(ids, idCount, 75) && Held(before.out)) merged.out = vmath::kEmpty64;
  if (!CarriesId(ids, idCount, 62) && Held(before.in)) merged.in = vmath::kEmpty64;
  bool mainHeld = false;
  for (int k = 0; k < 8; ++k) mainHeld = mainHeld || Held(before.VolumeGold[k]);
  if (mainHeld && !CarriesId(ids, idCount, 96)) {
    for (int k = 0; k < 8; ++k) {
      if (!CarriesId(ids, idCount, 95)) merged.BuySellGold[k] = vmath::kEmpty32;
      merged.VolumeGold[k] = vmath::kEmpty64;
      if (!CarriesId(ids, idCount, 97)) merged.AmountGold[k] = vmath::kEmpty64;
    }
  }
}

void KeepOneMomentOfFirst(tagLocalStockData& placed, const uint8_t* ids, size_t idCount) {
  if (DepthCarried(ids, idCount, 72) > 0 || DepthCarried(ids, idCount, 73) > 0)
    ForgetRatioBesideBook(placed, ids, idCount);
}
