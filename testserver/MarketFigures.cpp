// What the server derives from a day's minutes and trades up to the clock: the quote, the trend's
// points, the ticks, the main-force figures and the bars of every period.
#include "testserver/Market.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "testserver/MarketParts.h"
#include "testserver/PriceGrid.h"
#include "testserver/TradeTape.h"

namespace testserver {

namespace {

// Session of point index i (0-based): its open and close minute.
void SessionOfPoint(const tagLocalStockData& q, int i, int* open, int* close) {
  const int len1 = q.tradetime[1] - q.tradetime[0] + 1;
  const int len12 = len1 + q.tradetime[3] - q.tradetime[2];
  const int k = i < len1 ? 0 : (i < len12 ? 1 : 2);
  *open = q.tradetime[2 * k];
  *close = q.tradetime[2 * k + 1];
}

// N-minute bars of one day's points, each ending on an N-minute mark counted from its
// session's open (the opening minute joins the first bar; a short last stretch ends on the
// close). No bar crosses from one session into the next. A bar whose points stop before its
// mark is still in progress and carries its last minute so far: never a time the clock has not
// reached (a push of a later minute of the same bar replaces it). `main`: the day's main-force
// amounts after each point, whose differences are the bars'.
std::vector<DayBar> SessionBars(const tagLocalStockData& q, const tagLocalTrendData* pts, int n,
                                int32_t date, int span,
                                const std::vector<std::array<int64_t, 2>>& main) {
  std::vector<DayBar> out;
  int mark = -1;
  std::array<int64_t, 2> before{};
  for (int i = 0; i < n; ++i) {
    const tagLocalTrendData& p = pts[i];
    int open = 0, close = 0;
    SessionOfPoint(q, i, &open, &close);
    const int steps = std::max(1, (p.time - open + span - 1) / span);
    const int end = std::min(close, open + steps * span);
    if (end != mark) {
      mark = end;
      DayBar b;
      b.date = BarDateMin(q, date, end);
      b.open = b.high = b.low = p.now;
      if (i > 0 && static_cast<size_t>(i) <= main.size()) before = main[static_cast<size_t>(i) - 1];
      out.push_back(b);
    }
    DayBar& b = out.back();
    b.high = std::max(b.high, p.now);
    b.low = std::min(b.low, p.now);
    b.close = p.now;
    b.volume += p.volume;
    b.amount += p.amount;
    b.ccl = p.ccl;
    b.jsj = p.now;
    if (static_cast<size_t>(i) < main.size()) {
      b.main[0] = main[static_cast<size_t>(i)][0] - before[0];
      b.main[1] = main[static_cast<size_t>(i)][1] - before[1];
    }
  }
  if (n > 0 && pts[n - 1].time < mark) out.back().date = BarDateMin(q, date, pts[n - 1].time);
  return out;
}

}  // namespace

TapeMinute Market::tapeMinute(const Security& s, int i, int32_t low, int32_t high) const {
  TapeMinute m;
  m.price = s.path[i];
  m.previous = i > 0 ? s.path[i - 1] : s.q.yesterday;
  m.low = low;
  m.high = high;
  m.volume = s.minuteVolume[i];
  m.amount = s.minuteAmount[i];
  m.interest = i < static_cast<int>(s.minuteInterest.size()) ? s.minuteInterest[i] : 0;
  return m;
}

const TapeTotals& Market::tapeTotals(const Security& s, int n) const {
  Security::TapeCache& c = s.tape;
  const int32_t date = sessionDate(s);
  const int shown = s.lastSession ? -1 : s.nextSession ? 1 : 0;
  n = std::clamp(n, 0, static_cast<int>(s.path.size()));
  if (c.date != date || c.shown != shown || c.upTo > n) {
    c = Security::TapeCache{};
    c.date = date;
    c.shown = shown;
  }
  std::vector<TapeTrade> trades;
  for (int i = c.upTo; i < n; ++i) {
    c.low = i == 0 ? s.path[0] : std::min(c.low, s.path[i]);
    c.high = i == 0 ? s.path[0] : std::max(c.high, s.path[i]);
    MinuteTrades(s.q, s.key, date, i, tapeMinute(s, i, c.low, c.high), trades);
    for (const TapeTrade& t : trades) c.totals.add(t);
    c.main.push_back({RoundToStep(static_cast<double>(c.totals.mainAmount(0)), kAmountStep),
                      RoundToStep(static_cast<double>(c.totals.mainAmount(1)), kAmountStep)});
  }
  c.upTo = n;
  return c.totals;
}

std::vector<std::array<int64_t, 2>> Market::mainAfterEachMinute(const Security& s, int32_t date,
                                                                int32_t ref, const int32_t* path,
                                                                const int64_t* volume,
                                                                const int64_t* amount,
                                                                int n) const {
  // As tapeTotals sums the session shown and figures rounds its main-force amounts.
  std::vector<std::array<int64_t, 2>> out(static_cast<size_t>(std::max(n, 0)));
  std::vector<TapeTrade> trades;
  TapeTotals sums;
  TapeMinute m;
  for (int i = 0; i < n; ++i) {
    m.price = path[i];
    m.previous = i > 0 ? path[i - 1] : ref;
    m.low = i == 0 ? path[0] : std::min(m.low, path[i]);
    m.high = i == 0 ? path[0] : std::max(m.high, path[i]);
    m.volume = volume[i];
    m.amount = amount[i];
    MinuteTrades(s.q, s.key, date, i, m, trades);
    for (const TapeTrade& t : trades) sums.add(t);
    out[static_cast<size_t>(i)] = {
        RoundToStep(static_cast<double>(sums.mainAmount(0)), kAmountStep),
        RoundToStep(static_cast<double>(sums.mainAmount(1)), kAmountStep)};
  }
  return out;
}

std::vector<std::array<int64_t, 2>> Market::mainAfterEachMinute(
    const Security& s, const DayBar& day, const std::vector<tagLocalTrendData>& pts) const {
  // The minutes as the day is played (takeMinutes): its amounts in the trend's steps.
  const int n = static_cast<int>(pts.size());
  std::vector<int32_t> path(pts.size());
  std::vector<int64_t> volume(pts.size());
  for (size_t i = 0; i < pts.size(); ++i) {
    path[i] = pts[i].now;
    volume[i] = pts[i].volume;
  }
  const std::vector<int64_t> amount = SteppedAmounts(pts);
  return mainAfterEachMinute(s, static_cast<int32_t>(day.date), day.ref, path.data(), volume.data(),
                             amount.data(), n);
}

std::vector<MinuteFigures> Market::figures(const Security& s, int n, bool everyMinute) const {
  const tagLocalStockData& q = s.q;
  n = std::clamp(n, 0, static_cast<int>(s.path.size()));
  // The quote's figures alone are one entry: every quote of every security is worked out again
  // at each minute, and a day's entries would be cleared and thrown away each time.
  std::vector<MinuteFigures> out(static_cast<size_t>(everyMinute ? n : std::min(n, 1)));
  const double avg5 = FiveDayVolume(s);
  const int64_t unit = q.unit > 0 ? q.unit : 1;
  const int64_t buyAvr5 = BuyAverage5(s);
  const int64_t avr5[2] = {buyAvr5, buyAvr5 / 10 * 9};
  const bool futures = q.zqlb == kTypeFuture;
  const bool index = q.zqlb == kTypeIndex;
  int64_t volume = 0, amount = 0, opened = 0, closed = 0;
  double priced = 0, hlz = 0;
  // Every minute's main force is its trades' up to it, kept as the quote's sums are made.
  const TapeTotals& sums = tapeTotals(s, n);
  const std::vector<std::array<int64_t, 2>>& main = s.tape.main;
  for (int i = 0; i < n; ++i) {
    MinuteFigures& f = out[everyMinute ? static_cast<size_t>(i) : 0];
    volume += s.minuteVolume[i];
    amount += s.minuteAmount[i];
    priced += static_cast<double>(s.minuteVolume[i]) * s.path[i];
    // An index's red/green strength drifts a unit or two a minute within +-12.
    if (index) hlz = std::clamp(hlz + (Unit(s.key, kMisc + 11000 + i) - 0.5) * 3, -12.0, 12.0);
    if (futures) {
      // Each minute's volume opens and closes positions; their difference moves the interest.
      const int64_t change = s.minuteInterest[i];
      const int64_t opening = (s.minuteVolume[i] + change) / 2;
      opened += opening;
      closed += opening - change;
    }
    // The quote needs only its own minute: the running sums above are all it needs of the others.
    if (!everyMinute && i + 1 < n) continue;
    f.volume = volume;
    f.amount = amount;
    f.hlz = static_cast<int16_t>(hlz);
    f.average = volume ? static_cast<int32_t>(std::llround(priced / static_cast<double>(volume)))
                       : s.path[i];
    f.lb = avg5 > 0 ? static_cast<int32_t>(std::llround(static_cast<double>(volume) * 10000.0 *
                                                        s.points / (i + 1) / avg5))
                    : 0;
    // Main force: what the large orders (庄 and 大) bought and sold.
    // In whole steps of the trend wire's amounts, which a push of the quote makes its last point
    // from.
    if (everyMinute) {
      f.main[0] = main[static_cast<size_t>(i)][0];
      f.main[1] = main[static_cast<size_t>(i)][1];
    } else {
      f.main[0] = RoundToStep(static_cast<double>(sums.mainAmount(0)), kAmountStep);
      f.main[1] = RoundToStep(static_cast<double>(sums.mainAmount(1)), kAmountStep);
    }
    // Shown with the price's four decimals: the net in 100 millions of the currency.
    f.zlzj = static_cast<int32_t>((f.main[0] - f.main[1]) / 1000000);
    f.delegate[0] = volume / 3 / unit * unit;
    f.delegate[1] = volume / 4 / unit * unit;
    for (int k = 0; k < 2; ++k) {
      const int64_t basis = avr5[k] * (i + 1);
      f.cashSpeed[k] = basis > 0 ? static_cast<int32_t>(static_cast<double>(f.main[k]) * 100.0 /
                                                            static_cast<double>(basis) * 240.0 +
                                                        0.5)
                                 : 0;
    }
    if (futures) {
      f.opened = opened;
      f.closed = closed;
      f.openInterest = q.JRCCS.zrccl + opened - closed;
    }
  }
  return out;
}

void Market::recompute(Security& s) {
  tagLocalStockData& q = s.q;
  const int n = elapsed(s);
  q.open = s.path[0];
  q.high = q.low = s.path[0];
  for (int i = 0; i < n; ++i) {
    q.high = std::max(q.high, s.path[i]);
    q.low = std::min(q.low, s.path[i]);
  }
  const MinuteFigures f = figures(s, n, false).back();
  const int64_t volume = f.volume;
  q.now = s.path[n - 1];
  q.volume = volume;
  q.amount = f.amount;
  // 现量: what the current minute traded, whenever the quote is asked for.
  q.realvol = s.minuteVolume[n - 1];
  q.zd = q.now - q.yesterday;
  q.zf = RatioX10000(q.zd, q.yesterday);
  q.swing = RatioX10000(q.high - q.low, q.yesterday);
  q.average = q.average_new = f.average;
  const int back = std::max(0, n - 6);
  q.zs_5M = RatioX10000(q.now - s.path[back], s.path[back]);
  const int minuteOfDay = IndexToTradeMinute(q, n - 1);
  q.datetime = MakeDateMin(sessionDate(s), minuteOfDay);
  q.date = sessionDate(s);
  q.time = (minuteOfDay % 1440 / 60) * 10000 + (minuteOfDay % 60) * 100;
  // Five days' average volume per day; the client turns it into a per-minute basis.
  q.volrate = FiveDayVolume(s);
  q.lb = f.lb;
  q.hsl = q.ltgb > 0 ? RatioX10000(volume, q.ltgb) : 0;
  q.syl = q.ycmgsy > 0 ? static_cast<int32_t>(int64_t(q.now) * 10000 / q.ycmgsy) : 0;
  // Price to book from the same net assets a share the detail page and F10 show.
  q.sjl = q.mgJZZ > 0 ? static_cast<int32_t>(int64_t(q.now) * 10000 / q.mgJZZ) : 0;
  // Market values in 1/100 like every amount.
  q.ltsz = static_cast<int64_t>(static_cast<double>(q.ltgb) * q.now / 100.0);
  q.zsz = static_cast<int64_t>(static_cast<double>(q.zgb) * q.now / 100.0);
  // Every trade was at the ask or at the bid.
  const TapeTotals& tape = tapeTotals(s, n);
  q.out = tape.bought();
  q.in = tape.sold();
  q.number_cjbs = static_cast<int32_t>(n * 37 + q.volume % 97);
  // The book around the last price.
  const int32_t tick = PriceStep(q);
  const uint64_t bk = s.key + kBook + static_cast<uint64_t>(n) * 64;
  const int64_t unit = q.unit > 0 ? q.unit : 1;
  for (int i = 0; i < 10; ++i) {
    // Neighbouring levels one price step apart.
    q.buysell10.buy[i].price = i == 0 ? q.now : StepDown(q, q.buysell10.buy[i - 1].price);
    q.buysell10.sell[i].price = StepUp(q, i == 0 ? q.now : q.buysell10.sell[i - 1].price);
    q.buysell10.buy[i].volume = (1 + static_cast<int64_t>(Unit(bk, i) * 500)) * unit;
    q.buysell10.sell[i].volume = (1 + static_cast<int64_t>(Unit(bk, 10 + i) * 500)) * unit;
  }
  q.DelegateBuySellInfo[0] = {q.buysell10.buy[4].price, f.delegate[0]};
  q.DelegateBuySellInfo[1] = {q.buysell10.sell[4].price, f.delegate[1]};
  // The order ratio of the five levels shown: (bids - asks) / (bids + asks).
  int64_t bids = 0, asks = 0;
  for (int i = 0; i < 5; ++i) {
    bids += q.buysell10.buy[i].volume;
    asks += q.buysell10.sell[i].volume;
  }
  q.index_wb = RatioX10000(bids - asks, bids + asks);
  for (int side = 0; side < 2; ++side) {
    tagBuySellQueue& queue = q.buySellQueue[side];
    queue.price = side == 0 ? q.buysell10.buy[0].price : q.buysell10.sell[0].price;
    queue.volcount = static_cast<int16_t>(5 + Unit(bk, 31 + side) * 20);
    queue.totalvol = 0;
    for (int i = 0; i < queue.volcount; ++i) {
      queue.vol[i] = static_cast<int16_t>(1 + Unit(bk, 40 + side * 50 + i) * 300);
      queue.totalvol += queue.vol[i];
    }
    queue.volrecord = queue.volcount;
  }
  if (q.market == kMarketHk && q.zqlb != kTypeIndex) {
    for (int side = 0; side < 2; ++side) {
      tagBrokerQueue& b = side == 0 ? q.broker_info_buy : q.broker_info_sell;
      b.count = 10;
      for (int i = 0; i < 40; ++i) {
        b.broker[i] =
            i < b.count ? static_cast<int16_t>(1000 + Mix(bk, 200 + side * 40 + i) % 800) : 0;
      }
      // Orders one and two price steps away from the best price.
      b.broker[4] = -1;
      b.broker[8] = -2;
    }
  }
  // Main force: the day's trades by side and order size, the large ones (庄 and 大) its amounts.
  q.MainAmount[0] = f.main[0];
  q.MainAmount[1] = f.main[1];
  q.MainVolume[0] = tape.mainVolume(0);
  q.MainVolume[1] = tape.mainVolume(1);
  q.BuyAvr5 = BuyAverage5(s);
  q.SellAvr5 = q.BuyAvr5 / 10 * 9;
  q.ZLZJ = f.zlzj;
  q.dphlzz = f.hlz;
  q.MMQ = static_cast<int32_t>((Unit(s.key, kMisc + 10) - 0.3) * 10000);
  q.RZJ5 = static_cast<int32_t>((Unit(s.key, kMisc + 11) - 0.5) * 20000);
  q.RZJ10 = static_cast<int32_t>((Unit(s.key, kMisc + 12) - 0.5) * 30000);
  q.RZJ20 = static_cast<int32_t>((Unit(s.key, kMisc + 13) - 0.5) * 40000);
  q.RNH10 = static_cast<uint8_t>(Unit(s.key, kMisc + 14) * 10);
  q.ZLLH = static_cast<int16_t>(Unit(s.key, kMisc + 15) * 20);
  for (int i = 0; i < 8; ++i) {
    q.VolumeGold[i] = tape.volume[i];
    q.AmountGold[i] = tape.amount[i];
    q.BuySellGold[i] = tape.orders[i];
  }
  for (int i = 0; i < 4; ++i) {
    q.mainMMC[i] = q.MainAmount[0] / (i + 2);
    q.mainFLCCBL[i] = {static_cast<int16_t>(Unit(bk, 430 + i) * 10000),
                       static_cast<int16_t>(Unit(bk, 434 + i) < 0.5 ? -1 : 1)};
  }
  q.maincc = static_cast<int32_t>(Unit(s.key, kMisc + 16) * 100000);
  if (q.zqlb == kTypeFuture) {
    q.JRCCS.jrccl = f.openInterest;
    q.JRCCS.jrjsj = q.average / tick * tick;
    q.JRCCS.ccsz = 1;
    q.KPC[0] = f.opened;
    q.KPC[1] = f.closed;
    // The current minute's opening and closing, which make its volume (现量) as the day's make
    // 总量, and move the interest by their difference.
    const int64_t change = s.minuteInterest[n - 1];
    q.XKP[0] = (q.realvol + change) / 2;
    q.XKP[1] = q.realvol - q.XKP[0];
  }
  (void)unit;
}

void Market::recomputeAggregate(Security& s) {
  // Members rising, unchanged and falling. (Indices and boards follow their members through
  // their own minutes, see boardDay.)
  tagLocalStockData& q = s.q;
  uint16_t up = 0, same = 0, down = 0;
  for (int m : s.members) {
    int32_t zd = secs_[m].q.zd;
    if (zd > 0)
      ++up;
    else if (zd < 0)
      ++down;
    else
      ++same;
  }
  q.index_up = up;
  q.index_same = same;
  q.index_down = down;
  // Its members' trades at the ask and at the bid, in the steps its volume goes out in.
  int64_t bought = 0;
  for (int m : s.members) bought += secs_[m].q.out;
  const int64_t step = VolumeStep(q);
  q.out = std::clamp((bought + step / 2) / step * step, int64_t{0}, q.volume);
  q.in = q.volume - q.out;
  // A board's capital is its members': their market values, and its turnover on their shares.
  if (q.market == kMarketBoard) {
    int64_t floating = 0, total = 0, floatingShares = 0;
    for (int m : s.members) {
      floating += secs_[m].q.ltsz;
      total += secs_[m].q.zsz;
      floatingShares += secs_[m].q.ltgb;
    }
    q.ltsz = floating;
    q.zsz = total;
    q.hsl = floatingShares > 0 ? RatioX10000(q.volume, floatingShares) : 0;
  }
}

std::vector<tagLocalTrendData> Market::trend(const Security& s) const {
  const tagLocalStockData& q = s.q;
  const int n = elapsed(s);
  const std::vector<MinuteFigures> figs = figures(s, n);
  std::vector<tagLocalTrendData> pts(n);
  for (int i = 0; i < n; ++i) {
    tagLocalTrendData& p = pts[i];
    const MinuteFigures& f = figs[static_cast<size_t>(i)];
    std::memset(&p, 0, sizeof p);
    p.time = IndexToTradeMinute(q, i);
    p.now = s.path[i];
    p.volume = s.minuteVolume[i];
    p.amount = s.minuteAmount[i];
    // What a quote of this minute said: a push builds the last point from the quote alike.
    p.average = f.average;
    p.lb = f.lb;
    p.WBZL = f.delegate[0];
    p.WSZL = f.delegate[1];
    p.ZLZJL = f.main[0] - f.main[1];
    p.LJZLDX = f.zlzj;
    p.BUY_CASH_SPEED = f.cashSpeed[0];
    p.SELL_CASH_SPEED = f.cashSpeed[1];
    if (q.zqlb == kTypeFuture) {
      p.ccl = f.openInterest;
      p.kc = (s.minuteVolume[i] + s.minuteInterest[i]) / 2;
      p.pc = p.kc - s.minuteInterest[i];
    }
    p.hlz = f.hlz;
  }
  if (trendOverride) trendOverride(q, pts);
  return pts;
}

std::vector<tagLocalTrendData> Market::pastTrend(const Security& s, int dayOffset,
                                                 int32_t* prevClose, int32_t* dayDate) const {
  const int h = static_cast<int>(s.history.size());
  if (h < 2) return {};
  dayOffset = std::clamp(dayOffset, 1, h - 1);
  const DayBar& day = s.history[h - dayOffset];
  const DayBar& before = s.history[h - dayOffset - 1];
  if (prevClose) *prevClose = before.close;
  if (dayDate) *dayDate = static_cast<int32_t>(day.date);
  return pastPoints(s, static_cast<size_t>(h - dayOffset));
}

std::vector<Trade> Market::trades(const Security& s, int count) const {
  const tagLocalStockData& q = s.q;
  const int n = elapsed(s);
  const int64_t unit = q.unit > 0 ? q.unit : 1;
  const int32_t date = sessionDate(s);
  std::vector<Trade> out;
  // The day's range as it stood at each minute.
  std::vector<std::pair<int32_t, int32_t>> range(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    range[i] = i == 0 ? std::pair{s.path[0], s.path[0]}
                      : std::pair{std::min(range[i - 1].first, s.path[i]),
                                  std::max(range[i - 1].second, s.path[i])};
  // The minutes' trades, newest last; walk back from the current minute.
  std::vector<TapeTrade> minute;
  for (int i = n - 1; i >= 0 && static_cast<int>(out.size()) < count; --i) {
    MinuteTrades(q, s.key, date, i, tapeMinute(s, i, range[i].first, range[i].second), minute);
    for (auto t = minute.rbegin(); t != minute.rend() && static_cast<int>(out.size()) < count;
         ++t) {
      Trade r{};
      r.minute = static_cast<int16_t>(IndexToTradeMinute(q, i) % 1440);
      r.price = t->price;
      r.lots = static_cast<int32_t>(t->volume / unit);
      r.inout = static_cast<char>(t->side);
      r.openInterestChange = static_cast<int32_t>(t->interest);
      // Its nature by the side that took it and whether it opened or closed positions: 0 多开,
      // 1 空开, 2 空平, 3 多平, 4 多换, 5 空换.
      r.nature = static_cast<char>(t->interest > 0   ? t->side
                                   : t->interest < 0 ? 2 + t->side
                                                     : 4 + t->side);
      out.push_back(r);
    }
  }
  std::reverse(out.begin(), out.end());
  return out;
}

const std::vector<DayBar>& Market::pastMinuteBars(const Security& s, size_t k, int span) const {
  const DayBar& day = s.history[k];
  auto at = s.pastMinuteBars.find({day.date, span});
  if (at == s.pastMinuteBars.end()) {
    const std::vector<tagLocalTrendData> pts = pastPoints(s, k);
    at = s.pastMinuteBars
             .emplace(std::pair{day.date, span},
                      SessionBars(s.q, pts.data(), static_cast<int>(pts.size()),
                                  static_cast<int32_t>(day.date), span,
                                  mainAfterEachMinute(s, day, pts)))
             .first;
  }
  return at->second;
}

void Market::dropMinuteBars() {
  for (const Security& s : secs_) s.pastMinuteBars.clear();
  memberDays_.clear();
}

DayBar Market::todayBar(const Security& s) const {
  DayBar b;
  b.date = static_cast<uint32_t>(sessionDate(s));
  b.open = s.q.open;
  b.high = s.q.high;
  b.low = s.q.low;
  b.close = s.q.now;
  b.volume = s.q.volume;
  b.amount = s.q.amount;
  b.ccl = s.q.JRCCS.jrccl;
  b.jsj = s.q.JRCCS.jrjsj;
  // The main force is the quote's: the shown session's trades up to the clock.
  b.main[0] = s.q.MainAmount[0];
  b.main[1] = s.q.MainAmount[1];
  return b;
}

std::vector<DayBar> Market::bars(const Security& s, int period, int count, bool mainForce) const {
  std::vector<DayBar> out;
  if (count <= 0) return out;
  if (period >= 4 && period <= 7) {
    static const int kMinutes[] = {5, 60, 15, 30};
    const int span = kMinutes[period - 4];
    const int n = elapsed(s);
    const int32_t date = sessionDate(s);
    // The bars take of the trend's points only their times, prices, volumes, amounts and open
    // interest: those are made here without the figures of every minute the trend carries
    // (unless a test rewrites the points, which the bars then show as the trend does).
    std::vector<tagLocalTrendData> today;
    if (trendOverride) {
      today = trend(s);
    } else {
      today.resize(static_cast<size_t>(n));
      const bool futures = s.q.zqlb == kTypeFuture;
      int64_t interest = s.q.JRCCS.zrccl;
      for (int i = 0; i < n; ++i) {
        tagLocalTrendData& p = today[static_cast<size_t>(i)];
        p.time = IndexToTradeMinute(s.q, i);
        p.now = s.path[i];
        p.volume = s.minuteVolume[i];
        p.amount = s.minuteAmount[i];
        // The interest opened less that closed, minute by minute, as the trend's figures add it.
        if (futures) p.ccl = interest += s.minuteInterest[i];
      }
    }
    // The main force after each minute as the quote's sums keep it (an interest change moves
    // no trade's amount).
    tapeTotals(s, n);
    const std::vector<DayBar> todays =
        SessionBars(s.q, today.data(), static_cast<int>(today.size()), date, span, s.tape.main);
    // Earlier days, newest first, until the count is reached.
    const int h = static_cast<int>(s.history.size());
    std::vector<const std::vector<DayBar>*> earlier;
    size_t total = todays.size();
    for (int back = 1; static_cast<int>(total) < count && back <= h; ++back) {
      earlier.push_back(&pastMinuteBars(s, static_cast<size_t>(h - back), span));
      total += earlier.back()->size();
    }
    // Only the newest `count` are kept.
    size_t skip = total > static_cast<size_t>(count) ? total - static_cast<size_t>(count) : 0;
    out.reserve(total - skip);
    for (auto day = earlier.rbegin(); day != earlier.rend(); ++day) {
      const std::vector<DayBar>& bars = **day;
      const size_t from = std::min(skip, bars.size());
      skip -= from;
      out.insert(out.end(), bars.begin() + static_cast<long>(from), bars.end());
    }
    out.insert(out.end(), todays.begin() + static_cast<long>(std::min(skip, todays.size())),
               todays.end());
  } else {
    std::vector<DayBar> days = s.history;
    // The days that can reach the bars asked for (a month has at most 23 trading days).
    const size_t h = days.size();
    const size_t span = period == 1 ? static_cast<size_t>(count)
                                    : static_cast<size_t>(count + 1) * (period == 3 ? 23 : 5);
    for (size_t k = h - std::min(h, span); k < h; ++k) days[k] = pastBar(s, k, mainForce);
    days.push_back(todayBar(s));
    if (period == 2 || period == 3) {
      for (const DayBar& d : days) {
        // Weeks end on Fridays; a new week starts after a weekday that is not later.
        bool startNew = out.empty();
        if (!startNew) {
          if (period == 3) {
            startNew = d.date / 100 != out.back().date / 100;
          } else {
            int32_t last = static_cast<int32_t>(out.back().date);
            startNew = WeekDay(static_cast<int32_t>(d.date)) <= WeekDay(last) ||
                       AddDays(last, 7) <= static_cast<int32_t>(d.date);
          }
        }
        if (startNew) {
          out.push_back(d);
        } else {
          DayBar& b = out.back();
          b.high = std::max(b.high, d.high);
          b.low = std::min(b.low, d.low);
          b.close = d.close;
          b.volume += d.volume;
          b.amount += d.amount;
          b.date = d.date;
          b.ccl = d.ccl;
          b.jsj = d.jsj;
          b.main[0] += d.main[0];
          b.main[1] += d.main[1];
        }
      }
    } else {
      out = std::move(days);
    }
  }
  if (static_cast<int>(out.size()) > count) out.erase(out.begin(), out.end() - count);
  return out;
}

}  // namespace testserver
