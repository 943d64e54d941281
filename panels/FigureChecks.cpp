#include "panels/FigureChecks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/QuoteFormat.h"
#include "core/QuoteMoment.h"
#include "core/ValueMath.h"
#include "detail/TrendlineView.h"
#include "panels/DetailTable.h"

namespace figures {

namespace {

bool SameSecurity(const tagLocalStockData& a, const tagLocalStockData& b) {
  return a.code[0] != '\0' && a.market == b.market &&
         std::strncmp(a.code, b.code, sizeof a.code) == 0;
}

std::string PriceText(const tagLocalStockData& q, int32_t price) {
  return FormatPriceString(price, 8, q.pricedot, price);
}

std::string VolumeText(const tagLocalStockData& q, int64_t volume) {
  return FormatVolumeString(q.market, volume, q.unit, 6);
}

std::string Clock(int minute) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minute / 60 % 24, minute % 60);
  return text;
}

// An index's minute volumes come in another scale, and a board's are its members' sums.
bool VolumesAreTrades(const tagLocalStockData& q) {
  return q.zqlb != 1 && q.market != 9;
}

bool HasTraded(const tagLocalStockData& q) {
  return q.now != 0 && !vmath::IsMark(q.now);
}

}  // namespace

std::string TrendEndsAtThePanel(const TrendlineView& chart, const tagLocalStockData& panel) {
  const int n = chart.m_trendnum;
  const tagLocalStockData held = chart.GetStockData();
  if (n <= 0 || n > kTrendCapacity || !SameSecurity(held, panel) || !HasTraded(panel)) return {};
  // A list row's quote (no trading periods, no last volume) stands in until the security's own
  // quote comes: the page is still waiting for its figures.
  if (held.tradetimenum == 0 || panel.tradetimenum == 0) return {};
  const tagLocalTrendData& last = chart.trendData(0)[n - 1];
  const std::string at = Clock(IndexToTradeMinute(held, n - 1));
  const std::string price = PriceText(panel, last.now), shown = PriceText(panel, panel.now);
  if (price != shown)
    return "the trend ends at " + at + " with " + price + " but the price panel's 最新 is " + shown;
  // A quote asked without its last volume (the landscape chart's) shows none to compare.
  if (VolumesAreTrades(panel) && !vmath::IsMark(panel.realvol) && panel.realvol != 0) {
    const std::string volume = VolumeText(panel, last.volume);
    const std::string shownVolume = VolumeText(panel, panel.realvol);
    if (volume != shownVolume)
      return "the trend ends at " + at + " with a volume of " + volume +
             " but the price panel's 现量 is " + shownVolume + " (its quote of " +
             Clock(panel.datetime.Hour * 60 + panel.datetime.Minute) + ")";
  }
  return {};
}

std::string QuoteRowsAddUp(const tagLocalStockData& q) {
  // Shares of Shanghai and Shenzhen: an index's and a board's figures are the market's, and a
  // Hong Kong book has ten levels.
  if ((q.market != 1 && q.market != 2) || q.zqlb == 1 || !HasTraded(q)) return {};
  if (vmath::IsMark(q.out) || vmath::IsMark(q.in) || vmath::IsMark(q.volume)) return {};
  // Neither side given (the rows show them empty): a quote asked without them.
  if (q.out == 0 && q.in == 0) return {};
  if (vmath::SatAdd(q.out, q.in) != q.volume)
    return "外盘 " + VolumeText(q, q.out) + " + 内盘 " + VolumeText(q, q.in) + " is not 总量 " +
           VolumeText(q, q.volume) + " (" + std::to_string(q.out) + " + " + std::to_string(q.in) +
           " != " + std::to_string(q.volume) + ")";
  int64_t bid = 0, ask = 0;
  // Levels not known (of an older answer than the rest) show no 委比 to make.
  for (int i = 0; i < 5; ++i) {
    if (vmath::IsMark(q.buysell10.buy[i].volume) || vmath::IsMark(q.buysell10.sell[i].volume))
      return {};
  }
  for (int i = 0; i < 5; ++i) {
    bid = vmath::SatAdd(bid, vmath::MarkToZero(q.buysell10.buy[i].volume));
    ask = vmath::SatAdd(ask, vmath::MarkToZero(q.buysell10.sell[i].volume));
  }
  if (bid + ask <= 0 || vmath::IsMark(q.index_wb)) return {};
  // In hundredths of a percent, as the quote carries it; a rounding apart is the same figure.
  const int64_t made =
      std::llround(static_cast<double>(bid - ask) * 10000.0 / static_cast<double>(bid + ask));
  if (std::llabs(made - int64_t{q.index_wb}) > 1)
    return "委比 " + FormatChangePercent(q.index_wb, q.now, true, false) +
           " but the five levels make " +
           FormatChangePercent(static_cast<int32_t>(made), q.now, true, false) + " (bid " +
           std::to_string(bid) + ", ask " + std::to_string(ask) + ")";
  return {};
}

std::string TicksShowTheNewest(const DetailTable& table) {
  if (table.rowCount() <= 0 || table.userScrolled() || table.showsLastRow()) return {};
  return "the ticks list does not show its newest trade (row " + std::to_string(table.rowCount()) +
         ") and the user did not scroll it";
}

namespace {

bool KnownPrice(int32_t price) {
  return price > 0 && !vmath::IsMark(price);
}

}  // namespace

std::string TodaysBarIsTheQuote(const tagLocalKData& bar, int period, const tagLocalStockData& q) {
  if (!HasTraded(q) || bar.close == 0) return {};
  const std::string close = PriceText(q, bar.close), now = PriceText(q, q.now);
  if (close != now)
    return "the last bar (period " + std::to_string(period) + ", " + std::to_string(bar.Date) +
           ") closes at " + close + " but 最新 is " + now + " (at " +
           Clock(q.datetime.Hour * 60 + q.datetime.Minute) + ")";
  if (period != 1) return {};
  const struct {
    const char* name;
    int32_t bar, quote;
  } prices[] = {{"开盘", bar.open, q.open}, {"最高", bar.high, q.high}, {"最低", bar.low, q.low}};
  for (const auto& p : prices) {
    // A quote made of a list's row may not carry the day's range yet: not known is no disagreement.
    if (!KnownPrice(p.quote)) continue;
    if (PriceText(q, p.bar) != PriceText(q, p.quote))
      return std::string("today's bar's ") + p.name + " is " + PriceText(q, p.bar) +
             " but the quote's is " + PriceText(q, p.quote);
  }
  if (VolumesAreTrades(q) && !vmath::IsMark(q.volume) &&
      VolumeText(q, bar.volume) != VolumeText(q, q.volume))
    return "today's bar's volume is " + VolumeText(q, bar.volume) + " but 总量 is " +
           VolumeText(q, q.volume);
  return {};
}

namespace {

// The minutes of continuous trading (the auctions before the open and at the close may cross).
bool InContinuousTrading(const tagLocalStockData& q) {
  const int minute = static_cast<int>(q.datetime.Hour) * 60 + static_cast<int>(q.datetime.Minute);
  if (q.market == 1 || q.market == 2)
    return (minute >= 9 * 60 + 30 && minute < 11 * 60 + 30) ||
           (minute >= 13 * 60 && minute < 14 * 60 + 57);
  if (q.market == 3)
    return (minute >= 9 * 60 + 30 && minute < 12 * 60) || (minute >= 13 * 60 && minute < 16 * 60);
  return false;
}

}  // namespace

std::string BookNotCrossed(const tagLocalStockData& q) {
  if (q.zqlb == 1 || !HasTraded(q) || !InContinuousTrading(q)) return {};
  const auto& book = q.buysell10;
  for (int l = 0; l + 1 < 5; ++l) {
    const int32_t bid = book.buy[l].price, nextBid = book.buy[l + 1].price;
    if (KnownPrice(bid) && KnownPrice(nextBid) && nextBid >= bid)
      return "bid " + std::to_string(l + 2) + " " + PriceText(q, nextBid) + " is not below bid " +
             std::to_string(l + 1) + " " + PriceText(q, bid);
    const int32_t ask = book.sell[l].price, nextAsk = book.sell[l + 1].price;
    if (KnownPrice(ask) && KnownPrice(nextAsk) && nextAsk <= ask)
      return "ask " + std::to_string(l + 2) + " " + PriceText(q, nextAsk) + " is not above ask " +
             std::to_string(l + 1) + " " + PriceText(q, ask);
  }
  const int32_t bid = book.buy[0].price, ask = book.sell[0].price;
  if (KnownPrice(bid) && KnownPrice(ask) && ask <= bid)
    return "the best ask " + PriceText(q, ask) + " is not above the best bid " + PriceText(q, bid);
  return {};
}

std::string MainForceAddsUp(const tagLocalStockData& q) {
  // Shares of Shanghai and Shenzhen, whose main-force table splits the day's trades.
  if ((q.market != 1 && q.market != 2) || q.zqlb == 1 || !MainForceKnown(q)) return {};
  if (vmath::IsMark(q.volume) || q.volume <= 0) return {};
  int64_t buy = 0, sell = 0;
  for (int k = 0; k < 4; ++k) {
    buy = vmath::SatAdd(buy, q.VolumeGold[k]);
    sell = vmath::SatAdd(sell, q.VolumeGold[4 + k]);
  }
  // A record asked without the table holds none.
  if (buy == 0 && sell == 0) return {};
  if (vmath::SatAdd(buy, sell) != q.volume)
    return "the main-force table's buy " + VolumeText(q, buy) + " + sell " + VolumeText(q, sell) +
           " is not 总量 " + VolumeText(q, q.volume) + " (" + std::to_string(buy) + " + " +
           std::to_string(sell) + " != " + std::to_string(q.volume) + ")";
  return {};
}

}  // namespace figures
