// The days of a security: its closes day after day (with its ex-rights events and daily limits),
// its bars and the minutes of any of its days; an index's or board's made of its members'.
#include "testserver/Market.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "core/MarketTable.h"
#include "testserver/MarketParts.h"
#include "testserver/PriceGrid.h"

namespace testserver {

namespace {

// Ex-rights events a share's history carries.
enum class EventKind { Bonus, Rights, Dividend, Conversion };

// One event at a day whose (post-event) close is `close`: share ratios x 100000, the rights
// price in price units, the cash x 10 in price units.
tagLocalWeightData MakeEvent(EventKind kind, int32_t close, int32_t tick) {
  tagLocalWeightData w{};
  switch (kind) {
    case EventKind::Bonus:
      w.sgs = 50000;  // 5 bonus shares per 10
      break;
    case EventKind::Rights:
      w.pgs = 30000;  // 3 rights shares per 10 at about 80% of the price
      w.pgj = std::max(tick, RoundTo(close * 0.8, tick));
      break;
    case EventKind::Dividend:
      w.hl = static_cast<int32_t>(close / 100 * 10 / 10 * 10);  // about 1% cash, x10
      break;
    case EventKind::Conversion:
      w.zgs = 20000;  // 2 shares per 10 from the capital reserve
      break;
  }
  return w;
}

constexpr int kHistoryDays = 420;

// A price wanders from day to day within stretches of this many trading days, tied at their
// ends to prices around its usual one: a day's price follows from its own stretch alone.
constexpr int64_t kStretch = 250;

// Indices and boards chain their closes from their members' changes through eras of this many
// trading days (about a year); an era starts from its members' prices against their usual
// ones.
constexpr int64_t kEra = 250;

double StretchPin(const Security& s, int64_t k) {
  return std::log(static_cast<double>(s.base)) +
         0.15 * Gauss(s.key, kDay - 4096 + static_cast<uint64_t>(k + (int64_t{1} << 20)));
}

double DailySigma(const tagLocalStockData& q) {
  // A contract moves well inside its daily limit.
  if (q.zqlb == kTypeFuture) return DailyLimit(q) > 0 ? DailyLimit(q) / 5 : 0.012;
  return q.zqlb == kTypeIndex || q.zqlb == kTypeGlobalIndex ? 0.008
         : q.zqlb == kTypeBond || q.zqlb == kTypeForex      ? 0.004
                                                            : 0.02;
}

// What an event leaves of a price, about (its own figures are worked out on the real close).
double EventRatio(EventKind kind) {
  switch (kind) {
    case EventKind::Bonus:
      return 1 / 1.5;
    case EventKind::Rights:
      return 1.24 / 1.3;
    case EventKind::Dividend:
      return 0.99;
    case EventKind::Conversion:
      return 1 / 1.2;
  }
  return 1;
}

// A share's ex-rights events: every `period` trading days, each kind on its own day of the
// period.
struct EventCalendar {
  int64_t period = 0;
  int count = 0;
  int64_t phase[4] = {};
  EventKind kind[4] = {};
  bool on(int64_t ordinal, EventKind* out) const {
    for (int i = 0; i < count; ++i) {
      if (FloorMod(ordinal - phase[i], period) != 0) continue;
      *out = kind[i];
      return true;
    }
    return false;
  }
};

// Shares have a cash dividend a year and a conversion every three years. The first two watch-list
// shares go through theirs every 196 trading days, the bars of a day chart, which thus always shows
// them all: 600000 one event of each kind, 600036 a cash dividend and a bonus the next day.
EventCalendar CalendarOf(const Security& s) {
  const tagLocalStockData& q = s.q;
  EventCalendar c;
  if (q.ltgb <= 0 || q.market == kMarketUs) return c;
  const std::string code(q.code, strnlen(q.code, sizeof q.code));
  if (q.market == kMarketSh && code == "600000") {
    // A bonus on 2026-11-16 (the K-line of the weeks after it shows its gap).
    const int64_t bonus = TradingOrdinal(20261116);
    c = {196,
         4,
         {bonus, bonus + 50, bonus + 100, bonus + 145},
         {EventKind::Bonus, EventKind::Rights, EventKind::Dividend, EventKind::Conversion}};
  } else if (q.market == kMarketSh && code == "600036") {
    const int64_t dividend = TradingOrdinal(20150603);
    c = {196, 2, {dividend, dividend + 1}, {EventKind::Dividend, EventKind::Bonus}};
  } else {
    // A price follows its events back up (a stretch ends about its usual price): rare share
    // events keep that rise, which indices and boards add up, gentle.
    const int64_t dividend = static_cast<int64_t>(Unit(s.key, kHistory) * 250);
    int64_t conversion = static_cast<int64_t>(Unit(s.key, kHistory + 1) * 750);
    if (FloorMod(conversion - dividend, 250) == 0) ++conversion;
    c = {750,
         4,
         {dividend, dividend + 250, dividend + 500, conversion},
         {EventKind::Dividend, EventKind::Dividend, EventKind::Dividend, EventKind::Conversion}};
  }
  return c;
}

// The log of a security's price, before rounding, on each trading day of [from, to].
std::vector<double> LogPrices(const Security& s, int64_t from, int64_t to) {
  std::vector<double> out(static_cast<size_t>(std::max<int64_t>(0, to - from + 1)));
  const double sigma = DailySigma(s.q);
  const EventCalendar events = CalendarOf(s);
  std::vector<double> walk(static_cast<size_t>(kStretch + 1));
  std::vector<double> event(static_cast<size_t>(kStretch + 1));
  for (int64_t k = FloorDiv(from - 1, kStretch); k * kStretch < to; ++k) {
    const int64_t start = k * kStretch;
    std::fill(event.begin(), event.end(), 0.0);
    for (int e = 0; e < events.count; ++e)
      for (int64_t u = start + 1 + FloorMod(events.phase[e] - start - 1, events.period);
           u <= start + kStretch; u += events.period)
        event[static_cast<size_t>(u - start)] += std::log(EventRatio(events.kind[e]));
    for (int64_t i = 1; i <= kStretch; ++i)
      walk[i] = walk[i - 1] + sigma * QuickGauss(s.key, DayIndex(start + i, 0)) + event[i];
    // The walk bent to end on the next stretch's price.
    const double pin = StretchPin(s, k);
    const double miss = walk[kStretch] - (StretchPin(s, k + 1) - pin);
    for (int64_t u = std::max(from, start + 1); u <= std::min(to, start + kStretch); ++u) {
      const int64_t i = u - start;
      out[static_cast<size_t>(u - from)] =
          pin + walk[i] - miss * static_cast<double>(i) / static_cast<double>(kStretch);
    }
  }
  return out;
}

// The price an event leaves of the close before it.
int32_t AdjustedClose(const tagLocalStockData& q, const tagLocalWeightData& w, int32_t close) {
  const double exact = (static_cast<double>(close) * 100000 + static_cast<double>(w.pgs) * w.pgj -
                        static_cast<double>(w.hl) * 10000) /
                       (100000.0 + w.sgs + w.pgs + w.zgs);
  return std::max(PriceStep(q), OnStep(q, exact));
}

}  // namespace

Market::Closes Market::closesOf(const Security& s, int64_t from, int64_t to) {
  const tagLocalStockData& q = s.q;
  const int32_t tick = PriceStep(q);
  const std::vector<double> logs = LogPrices(s, from - 1, to);
  const EventCalendar events = CalendarOf(s);
  const double limit = DailyLimit(q);
  Closes c;
  c.from = from;
  c.close.reserve(static_cast<size_t>(std::max<int64_t>(0, to - from + 1)));
  c.ref.reserve(c.close.capacity());
  int32_t before = std::max(tick, OnStep(q, std::exp(logs[0])));
  for (int64_t u = from; u <= to; ++u) {
    const int32_t close =
        std::max(tick, OnStep(q, std::exp(logs[static_cast<size_t>(u - from + 1)])));
    EventKind kind;
    const int32_t ref =
        events.on(u, &kind) ? AdjustedClose(q, MakeEvent(kind, before, tick), before) : before;
    // A day closes within its limits, the wander taking up from there the next day.
    int32_t limited = close;
    const double move = std::abs(static_cast<double>(close) - ref);
    if (limit > 0 && move + tick >= ref * limit)  // only near a limit are they worked out
      limited =
          std::clamp(close, RoundTo(ref * (1 - limit), tick), RoundTo(ref * (1 + limit), tick));
    c.ref.push_back(ref);
    c.close.push_back(limited);
    before = limited;
  }
  return c;
}

void Market::makeHistory(Security& s) {
  tagLocalStockData& q = s.q;
  const int32_t tick = PriceStep(q);
  const double limit = DailyLimit(q);
  const bool limited = limit > 0;
  if (dates_.empty()) {
    dates_.resize(kHistoryDays + 1);
    dates_[kHistoryDays] = date_;
    for (int k = kHistoryDays; k > 0; --k) dates_[k - 1] = TradingDaysBefore(dates_[k], 1);
  }
  const std::vector<int32_t>& dates = dates_;
  // The trading days are numbered one after another.
  const int64_t first = TradingOrdinal(dates[0]);
  const int64_t last = first + kHistoryDays;
  // Shares an index or board may hold keep their closes from the start of the era on, which
  // the index or board chains its own from (boardHistory).
  const bool member = (q.market == kMarketSh || q.market == kMarketSz || q.market == kMarketHk) &&
                      q.zqlb != kTypeIndex && q.zqlb != kTypeHkWarrant && q.zqlb != kTypeHkCbbc;
  const int64_t era = FloorDiv(first, kEra) * kEra;
  // A trading day opening the evening before begins at that evening's night session: from then
  // on a weekday the next trading day is shown (a weekend's market day already is the next one).
  const bool weekend = WeekDay(date_) == 0 || WeekDay(date_) == 6;
  const bool next = DayOpensTheEveningBefore(q) && !weekend;
  Closes closes = closesOf(s, member ? era - 1 : first, last + (next ? 1 : 0));
  const size_t skip = static_cast<size_t>(first - closes.from);
  const int64_t step = VolumeStep(q);
  const double multiplier = static_cast<double>(ContractMultiplier(q));
  s.history.resize(kHistoryDays);
  s.nextBar = DayBar{};
  for (int i = 0; i <= kHistoryDays + (next ? 1 : 0); ++i) {
    const int64_t u = first + i;
    DayBar& b = i < kHistoryDays ? s.history[i] : i == kHistoryDays ? s.liveBar : s.nextBar;
    b = DayBar{};
    b.date = static_cast<uint32_t>(i <= kHistoryDays ? dates[i] : NextTradingDay(date_));
    if (i == kHistoryDays && weekend && DayOpensTheEveningBefore(q))
      b.date = static_cast<uint32_t>(NextTradingDay(date_));
    b.ref = closes.ref[skip + i];
    b.close = closes.close[skip + i];
    const double o = b.ref * (1 + 0.008 * QuickGauss(s.key, DayIndex(u, 1)));
    b.open = std::max(tick, OnStep(q, o));
    const int32_t up = RoundTo(b.ref * (1 + limit), tick),
                  down = RoundTo(b.ref * (1 - limit), tick);
    if (limited) b.open = std::clamp(b.open, down, up);
    // The high above both the open and the close, the low below them: a day's extremes are
    // reached during it (within its price limits).
    const int32_t top = std::max(b.open, b.close), bottom = std::min(b.open, b.close);
    b.high = std::max(StepUp(q, top), OnStep(q, top * (1 + 0.01 * Unit(s.key, DayIndex(u, 2)))));
    b.low = std::max(tick, std::min(StepDown(q, bottom),
                                    OnStep(q, bottom * (1 - 0.01 * Unit(s.key, DayIndex(u, 3))))));
    if (limited) {
      b.high = std::max(top, std::min(b.high, up));
      b.low = std::min(bottom, std::max(b.low, down));
    }
    const double v = DailyVolume(q) * (0.5 + Unit(s.key, DayIndex(u, 4)));
    // At least one step a minute, so that every minute of the day can trade.
    b.volume = std::max<int64_t>(static_cast<int64_t>(v) / step, s.points) * step;
    // At about the middle of the day's prices, in whole steps of the trend wire's unit (so whole
    // currency units, which the K-line sends): the day played minute by minute adds up to its bar
    // (see dayPoints).
    const double middle = (static_cast<double>(b.open) + b.high + b.low + b.close) / 4.0;
    // A contract's amount is what its contracts were worth: the price times its multiplier.
    b.amount =
        RoundToStep(static_cast<double>(b.volume) * middle * multiplier / 100.0, kAmountStep);
    if (q.zqlb == kTypeFuture) {
      // Open interest about its usual level, a few percent of the day's volume apart from the
      // day before's.
      b.ccl =
          static_cast<int64_t>(DailyVolume(q) * 0.9 * (0.95 + 0.1 * Unit(s.key, DayIndex(u, 6))));
      b.jsj = b.close;
    }
  }
  // The ex-rights events of the days shown (not of the first, which has no day before it), with
  // the share capital after each: fewer shares before a share event.
  s.weights.clear();
  const EventCalendar events = CalendarOf(s);
  int64_t zgb = q.zgb, ltgb = q.ltgb;
  for (int i = kHistoryDays; i > 0; --i) {
    EventKind kind;
    if (!events.on(first + i, &kind)) continue;
    tagLocalWeightData w = MakeEvent(kind, closes.close[skip + i - 1], tick);
    w.date = dates[i];
    w.zgb = zgb;
    w.ltgb = ltgb;
    const int64_t added = int64_t{w.sgs} + w.pgs + w.zgs;
    zgb = zgb * 100000 / (100000 + added);
    ltgb = ltgb * 100000 / (100000 + added);
    s.weights.insert(s.weights.begin(), w);
  }
  q.yesterday = s.liveBar.ref;
  if (limited) {
    q.upprice = RoundTo(q.yesterday * (1 + limit), tick);
    q.downprice = RoundTo(q.yesterday * (1 - limit), tick);
  }
  if (q.zqlb == kTypeFuture) {
    q.ZRJSJ = s.history.back().close;
    q.JRCCS.zrccl = s.history.back().ccl;
  }
  if (member) {
    memberCloses_.resize(secs_.size() + 1);
    memberCloses_[secs_.size()] = std::move(closes);
  }
}

namespace {

// One member's minutes of a day as an index or board takes them: its prices against its
// previous close of that day, and (when given) its minute volumes and amounts.
struct MemberMinutes {
  const Security* s;
  int32_t ref;
  const int32_t* path;
  const int64_t* volume;
  const int64_t* amount;
};

// An index's or board's minutes made of its members': its price moves by their average change,
// its volume and amount are theirs, minute by minute. `volume` and `amount` may be null.
void CombineMembers(const tagLocalStockData& q, int32_t ref, int points,
                    const std::vector<MemberMinutes>& members, int32_t* path, int64_t* volume,
                    int64_t* amount) {
  const int32_t tick = PriceStep(q);
  const int64_t step = VolumeStep(q);
  // The volume goes out in whole steps: rounded on the running total it stays within half a
  // step of the members' sum. Their amounts are whole steps already and add up exactly.
  int64_t exact = 0, given = 0;
  // The member's minute at the board's clock minute: the same minute where their sessions are
  // the same, else looked up (sessions may differ).
  std::vector<std::vector<int>> at(members.size());
  for (size_t j = 0; j < members.size(); ++j) {
    const tagLocalStockData& mq = members[j].s->q;
    if (mq.tradetimenum == q.tradetimenum && members[j].s->points == points &&
        std::equal(std::begin(mq.tradetime), std::end(mq.tradetime), std::begin(q.tradetime)))
      continue;
    at[j].resize(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i)
      at[j][i] =
          std::clamp(TradeMinuteToIndex(mq, IndexToTradeMinute(q, i)), 1, members[j].s->points) - 1;
  }
  for (int i = 0; i < points; ++i) {
    double change = 0;
    int64_t paid = 0;
    for (size_t j = 0; j < members.size(); ++j) {
      const MemberMinutes& m = members[j];
      const int k = at[j].empty() ? i : at[j][i];
      change += static_cast<double>(m.path[k] - m.ref) / m.ref;
      if (m.volume) exact += m.volume[k];
      if (m.amount) paid += m.amount[k];
    }
    change /= static_cast<double>(members.size());
    path[i] = std::max(tick, RoundTo(ref * (1.0 + change), tick));
    const int64_t total = (exact + step / 2) / step * step;
    if (volume) volume[i] = total - given;
    given = total;
    if (amount) amount[i] = paid;
  }
}

}  // namespace

int32_t Market::membersPrice(const Security& s) const {
  // Weighted by what each member usually trades.
  double paid = 0, shares = 0;
  for (int m : s.members) {
    const double v = DailyVolume(secs_[m].q);
    paid += v * secs_[m].q.yesterday;
    shares += v;
  }
  return shares > 0 ? static_cast<int32_t>(paid / shares) : 0;
}

void Market::boardDay(Security& b) {
  b.sharePrice = membersPrice(b);
  std::vector<MemberMinutes> members;
  members.reserve(b.members.size());
  for (int m : b.members) {
    const Security& s = secs_[m];
    members.push_back(
        {&s, s.q.yesterday, s.path.data(), s.minuteVolume.data(), s.minuteAmount.data()});
  }
  CombineMembers(b.q, b.q.yesterday, b.points, members, b.path.data(), b.minuteVolume.data(),
                 b.minuteAmount.data());
}

std::vector<tagLocalTrendData> Market::membersPastDay(const Security& b, size_t k,
                                                      bool pricesOnly) const {
  if (b.members.empty() || k >= b.history.size() || b.points < 1) return {};
  const DayBar& day = b.history[k];
  if (day.ref <= 0) return {};
  // Each member's own day of that date, played again. The days kept stay while this one is
  // made of them (about 20 MB of minutes at most are kept).
  constexpr size_t kKeptDays = 4096;
  if (memberDays_.size() + b.members.size() > kKeptDays) memberDays_.clear();
  std::vector<std::vector<int32_t>> prices(pricesOnly ? b.members.size() : 0);
  std::vector<MemberMinutes> members;
  members.reserve(b.members.size());
  for (size_t j = 0; j < b.members.size(); ++j) {
    const Security& s = secs_[b.members[j]];
    const auto at = std::lower_bound(s.history.begin(), s.history.end(), day.date,
                                     [](const DayBar& d, uint32_t date) { return d.date < date; });
    if (at == s.history.end() || at->date != day.date || at->ref <= 0 || s.points < 1) return {};
    // The prices alone are the day's minutes' prices: those of a day kept serve, else only they
    // are made.
    const auto kept = memberDays_.find({b.members[j], at->date});
    if (pricesOnly && kept == memberDays_.end()) {
      prices[j] = dayPrices(s, *at);
      if (static_cast<int>(prices[j].size()) < s.points) return {};
      members.push_back({&s, at->ref, prices[j].data(), nullptr, nullptr});
      continue;
    }
    const MemberDay& p = kept != memberDays_.end() ? kept->second : memberDay(b.members[j], at);
    if (static_cast<int>(p.path.size()) < s.points) return {};
    members.push_back({&s, at->ref, p.path.data(), pricesOnly ? nullptr : p.volume.data(),
                       pricesOnly ? nullptr : p.amount.data()});
  }
  const size_t n = static_cast<size_t>(b.points);
  std::vector<int32_t> path(n);
  std::vector<int64_t> volume(pricesOnly ? 0 : n), amount(pricesOnly ? 0 : n);
  CombineMembers(b.q, day.ref, b.points, members, path.data(), pricesOnly ? nullptr : volume.data(),
                 pricesOnly ? nullptr : amount.data());
  std::vector<tagLocalTrendData> pts(n);
  int64_t volumes = 0;
  double priced = 0;
  for (size_t i = 0; i < n; ++i) {
    tagLocalTrendData& p = pts[i];
    p.time = IndexToTradeMinute(b.q, static_cast<int>(i));
    p.now = path[i];
    if (pricesOnly) continue;
    p.volume = volume[i];
    p.amount = amount[i];
    // The volume-weighted price so far, as a share's past day has it (see dayPoints).
    volumes += p.volume;
    priced += static_cast<double>(p.volume) * p.now;
    p.average = volumes > 0
                    ? static_cast<int32_t>(std::llround(priced / static_cast<double>(volumes)))
                    : p.now;
  }
  return pts;
}

const Market::MemberDay& Market::memberDay(int member,
                                           std::vector<DayBar>::const_iterator at) const {
  const Security& s = secs_[static_cast<size_t>(member)];
  MemberDay& p = memberDays_[{member, at->date}];
  const std::vector<tagLocalTrendData> pts =
      dayPoints(s, *at, at == s.history.begin() ? *at : *(at - 1));
  p.path.resize(pts.size());
  p.volume.resize(pts.size());
  for (size_t i = 0; i < pts.size(); ++i) {
    p.path[i] = pts[i].now;
    p.volume[i] = pts[i].volume;
  }
  p.amount = SteppedAmounts(pts);
  return p;
}

namespace {

// What a security's past day played again is made of, read into a pair of hashes: its own
// identity and everything of it the minutes and trades follow from.
struct DayKey {
  uint64_t a = 0x243F6A8885A308D3ull, b = 0x13198A2E03707344ull;
  void add(uint64_t v) {
    a = Mix(a, v);
    b = Mix(b ^ 0xA4093822299F31D0ull, v + 0x082EFA98EC4E6C89ull);
  }
  void security(const Security& s) {
    const tagLocalStockData& q = s.q;
    add(s.key);
    add(static_cast<uint64_t>(s.points));
    add(q.market);
    add(q.zqlb);
    add(q.pricedot);
    add(q.unit);
    uint64_t code[2] = {};
    std::memcpy(code, q.code, sizeof q.code);
    add(code[0]);
    add(code[1]);
    add(q.tradetimenum);
    for (uint16_t t : q.tradetime) add(t);
  }
  void bar(const DayBar& d) {
    for (int64_t v :
         {int64_t{d.date}, int64_t{d.open}, int64_t{d.high}, int64_t{d.low}, int64_t{d.close},
          d.volume, d.amount, d.ccl, int64_t{d.jsj}, int64_t{d.ref}, d.main[0], d.main[1]})
      add(static_cast<uint64_t>(v));
  }
};

// Past days played again (with their trades, or their prices alone), shared by every market of
// the process: tests and tours build many markets, on many clocks and dates, over the same days
// of one history. By the hashes of all that makes a day (DayKey), so a day of other figures is
// another entry.
struct PlayedDays {
  std::mutex lock;
  std::map<std::pair<uint64_t, uint64_t>, Security::PastDay> days;
};

PlayedDays& SharedPlayedDays() {
  static PlayedDays* days = new PlayedDays;  // never destroyed: markets may outlive statics
  return *days;
}

}  // namespace

std::pair<uint64_t, uint64_t> Market::playedDayKey(const Security& s, size_t k,
                                                   bool withTrades) const {
  DayKey h;
  h.add(withTrades);
  h.security(s);
  h.bar(s.history[k]);
  h.bar(s.history[k > 0 ? k - 1 : 0]);
  h.add(s.members.size());
  for (int m : s.members) {
    // Each member as membersPastDay finds its day.
    const Security& ms = secs_[static_cast<size_t>(m)];
    h.security(ms);
    const uint32_t date = s.history[k].date;
    const auto at = std::lower_bound(ms.history.begin(), ms.history.end(), date,
                                     [](const DayBar& d, uint32_t day) { return d.date < day; });
    const bool found = at != ms.history.end() && at->date == date;
    h.add(found);
    if (!found) break;
    h.bar(*at);
    h.bar(at == ms.history.begin() ? *at : *(at - 1));
  }
  return {h.a, h.b};
}

DayBar Market::pastBar(const Security& s, size_t k, bool mainForce) const {
  DayBar d = s.history[k];
  // The day played again, as when it was shown, once it is asked for: an index's or board's
  // extremes are those its members' minutes reached, and the main force is the day's trades'.
  // Only what is asked for is made (the trades cost an index its members' minutes).
  auto at = s.pastDays.find(d.date);
  // Shared with other markets: what costs a day's minutes (a share's prices alone cost nothing).
  const bool shared = mainForce || !s.members.empty();
  std::pair<uint64_t, uint64_t> key{};
  if ((at == s.pastDays.end() || (mainForce && !at->second.traded)) && shared) {
    key = playedDayKey(s, k, mainForce);
    PlayedDays& played = SharedPlayedDays();
    std::lock_guard<std::mutex> hold(played.lock);
    if (const auto day = played.days.find(key); day != played.days.end())
      at = s.pastDays.insert_or_assign(d.date, day->second).first;
  }
  if (at == s.pastDays.end() || (mainForce && !at->second.traded)) {
    Security::PastDay past;
    past.high = d.high;
    past.low = d.low;
    const std::vector<tagLocalTrendData> pts = mainForce ? pastPoints(s, k)
                                               : s.members.empty()
                                                   ? std::vector<tagLocalTrendData>{}
                                                   : membersPastDay(s, k, true);
    if (!s.members.empty() && !pts.empty() && pts.front().now > 0) {
      const auto [low, high] = std::minmax_element(
          pts.begin(), pts.end(), [](const auto& a, const auto& b) { return a.now < b.now; });
      past.high = high->now;
      past.low = low->now;
    }
    if (mainForce) {
      past.traded = true;
      const std::vector<std::array<int64_t, 2>> main = mainAfterEachMinute(s, d, pts);
      if (!main.empty()) {
        past.main[0] = main.back()[0];
        past.main[1] = main.back()[1];
      }
    }
    at = s.pastDays.insert_or_assign(d.date, past).first;
    if (shared) {
      PlayedDays& played = SharedPlayedDays();
      std::lock_guard<std::mutex> hold(played.lock);
      // A few hundred thousand days at most (a few tens of MB).
      if (played.days.size() >= 400000) played.days.clear();
      played.days.emplace(key, past);
    }
  }
  d.high = at->second.high;
  d.low = at->second.low;
  d.main[0] = at->second.main[0];
  d.main[1] = at->second.main[1];
  return d;
}

std::vector<tagLocalTrendData> Market::pastPoints(const Security& s, size_t k) const {
  if (!s.members.empty()) {
    std::vector<tagLocalTrendData> pts = membersPastDay(s, k, false);
    if (!pts.empty()) return pts;
  }
  return dayPoints(s, s.history[k], s.history[k > 0 ? k - 1 : 0]);
}

void Market::boardHistory(Security& b) {
  // Day after day the close is the previous close moved by the members' average change, as the
  // minutes of boardDay move it, so that a day looks the same played or past. The chain starts
  // at the beginning of its era from the members' prices against their usual ones. A day's open
  // moves by the members' average open, its volume and amount are theirs; its extremes stand in
  // for those its members' minutes reach, which pastBar makes when the day is asked for.
  tagLocalStockData& q = b.q;
  const int32_t tick = PriceStep(q);
  const int64_t step = VolumeStep(q);
  const size_t h = b.history.size();
  if (b.members.empty() || h == 0) return;
  for (int m : b.members)
    if (secs_[m].history.size() != h) return;  // another calendar: the board keeps its own
  const int64_t first = TradingOrdinal(static_cast<int32_t>(b.history[0].date));
  const int64_t last = first + static_cast<int64_t>(h);  // the market's date
  const int64_t era = FloorDiv(first, kEra) * kEra;
  memberCloses_.resize(secs_.size());
  for (int m : b.members) {
    Closes& c = memberCloses_[m];
    if (c.close.empty() || c.from != era - 1) c = closesOf(secs_[m], era - 1, last);
  }
  const double n = static_cast<double>(b.members.size());
  // The members' summed changes day by day, added in the order boardDay adds them.
  std::vector<double> changes(static_cast<size_t>(last - era + 1), 0.0);
  double level = 0;
  for (int m : b.members) {
    const Closes& c = memberCloses_[m];
    level += static_cast<double>(c.close[0]) / secs_[m].base;
    for (size_t k = 0; k < changes.size(); ++k)
      changes[k] += static_cast<double>(c.close[k + 1] - c.ref[k + 1]) / c.ref[k + 1];
  }
  int32_t close = 0;
  for (int64_t u = era; u <= last; ++u) {
    const int32_t ref = u == era ? std::max(tick, RoundTo(b.base * level / n, tick)) : close;
    const double change = changes[static_cast<size_t>(u - era)] / n;
    close = std::max(tick, RoundTo(ref * (1.0 + change), tick));
    if (u < first) continue;
    const size_t k = static_cast<size_t>(u - first);
    DayBar& d = k < h ? b.history[k] : b.liveBar;
    double open = 0, high = 0, low = 0;
    int64_t volume = 0, amount = 0;
    for (int m : b.members) {
      const Security& s = secs_[m];
      const DayBar& day = k < h ? s.history[k] : s.liveBar;
      open += static_cast<double>(day.open - day.ref) / day.ref;
      high += static_cast<double>(day.high - day.ref) / day.ref;
      low += static_cast<double>(day.low - day.ref) / day.ref;
      volume += day.volume;
      amount += day.amount;
    }
    open /= n;
    d.ref = ref;
    d.close = close;
    d.open = std::max(tick, RoundTo(ref * (1.0 + open), tick));
    d.high = std::max({d.open, d.close, RoundTo(ref * (1.0 + high / n), tick)});
    d.low = std::max(tick, std::min({d.open, d.close, RoundTo(ref * (1.0 + low / n), tick)}));
    d.volume = std::max(step, (volume + step / 2) / step * step);
    d.amount = amount;
  }
  q.yesterday = b.liveBar.ref;
}

std::vector<int32_t> Market::dayPrices(const Security& s, const DayBar& day) const {
  // The first minute is the day's open, the last its close, and one minute each touches its
  // high and its low.
  const tagLocalStockData& q = s.q;
  const int n = s.points;
  std::vector<int32_t> prices(static_cast<size_t>(std::max(n, 0)), 0);
  if (n < 4) return prices;
  const uint64_t key = s.key + kPast + static_cast<uint64_t>(day.date) * 4096;
  // The high and the low fall well inside the day and apart from each other.
  const int edge = std::max(1, n / 8), apart = std::max(1, n / 6);
  const int inside = std::max(1, n - 2 * edge);
  const int atHigh = edge + static_cast<int>(Mix(key, 1) % static_cast<uint64_t>(inside));
  int atLow = edge + static_cast<int>(Mix(key, 2) % static_cast<uint64_t>(inside));
  for (int tries = 0; std::abs(atLow - atHigh) < apart && tries < 64; ++tries)
    atLow = edge + static_cast<int>(Mix(key, 100 + tries) % static_cast<uint64_t>(inside));
  if (std::abs(atLow - atHigh) < apart)
    atLow = atHigh + apart < n - edge ? atHigh + apart : atHigh - apart;
  std::pair<int, int32_t> anchors[] = {
      {0, day.open}, {atHigh, day.high}, {atLow, day.low}, {n - 1, day.close}};
  std::sort(std::begin(anchors), std::end(anchors));
  // Between two anchors the price walks at random from one to the other (a random walk tied to
  // both ends), folded back inside the day's range: it never leaves it, and only the anchors
  // stand on the high and the low (when the range is wider than two price steps).
  const double range = static_cast<double>(day.high - day.low);
  double top = day.high, bottom = day.low;
  if (StepDown(q, day.high) >= StepUp(q, day.low)) {
    top = StepDown(q, day.high);
    bottom = StepUp(q, day.low);
  }
  for (int k = 0; k < 3; ++k) {
    const auto [from, pa] = anchors[k];
    const auto [to, pb] = anchors[k + 1];
    const int len = to - from;
    std::vector<double> walk(static_cast<size_t>(len + 1), 0.0);
    for (int i = 1; i <= len; ++i) walk[i] = walk[i - 1] + QuickGauss(key, 4096 + from + i);
    const double sigma = len > 0 ? 0.7 * range / std::sqrt(static_cast<double>(len)) : 0;
    for (int i = 0; i <= len; ++i) {
      const double t = len > 0 ? static_cast<double>(i) / len : 0;
      double v = pa + (pb - pa) * t + sigma * (walk[i] - t * walk[len]);
      for (int fold = 0; fold < 8 && (v > top || v < bottom); ++fold)
        v = v > top ? 2.0 * top - v : 2.0 * bottom - v;
      if (v > top || v < bottom) v = (top + bottom) / 2;  // folded more often than it can be
      prices[from + i] = OnStep(q, v);
    }
  }
  for (const auto& [i, price] : anchors) prices[i] = price;
  return prices;
}

std::vector<tagLocalTrendData> Market::dayPoints(const Security& s, const DayBar& day,
                                                 const DayBar& before) const {
  std::vector<tagLocalTrendData> pts;
  dayPoints(s, day, before, pts);
  return pts;
}

void Market::dayPoints(const Security& s, const DayBar& day, const DayBar& before,
                       std::vector<tagLocalTrendData>& pts) const {
  // The minutes agree with the day's bar: the first is its open, the last its close, one
  // minute each touches its high and its low, and the minute volumes add up to its volume.
  const tagLocalStockData& q = s.q;
  const int n = s.points;
  pts.clear();
  pts.resize(static_cast<size_t>(n));
  if (n < 4) return;
  const std::vector<int32_t> prices = dayPrices(s, day);
  for (int i = 0; i < n; ++i) pts[i].now = prices[i];
  const uint64_t key = s.key + kPast + static_cast<uint64_t>(day.date) * 4096;

  // Volumes: whole steps shared out by the intraday shape, the remainder to the first minutes.
  const int64_t step = VolumeStep(q);
  const int64_t steps = day.volume / step;
  std::vector<double> weight(static_cast<size_t>(n));
  double total = 0;
  for (int i = 0; i < n; ++i) {
    const double x = static_cast<double>(i) / n;
    weight[i] = (1.6 - 2.4 * x * (1 - x)) * (0.4 + 1.2 * Unit(key, 16 + i));
    total += weight[i];
  }
  // A share's volumes lean towards the minutes below or above the day's average price (its
  // amount over its volume) until price times volume adds up to the amount: every minute's
  // amount is then its price times its volume, and the average so far lies within the range.
  const double multiplier = static_cast<double>(ContractMultiplier(q));
  const double average = day.volume > 0 ? static_cast<double>(day.amount) * 100.0 /
                                              (static_cast<double>(day.volume) * multiplier)
                                        : 0;
  const bool leaning = !IsAggregate(q) && average > day.low && average < day.high;
  if (leaning) {
    std::vector<double> lever(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) lever[i] = (average - pts[i].now) / (day.high - day.low);
    double theta = 0;
    for (int round = 0; round < 40; ++round) {
      double f = 0, slope = 0;
      for (int i = 0; i < n; ++i) {
        const double w = weight[i] * std::exp(theta * lever[i]);
        f += w * lever[i];
        slope += w * lever[i] * lever[i];
      }
      if (slope <= 0) break;
      const double move = std::clamp(f / slope, -4.0, 4.0);
      theta = std::clamp(theta - move, -80.0, 80.0);
      if (std::abs(move) < 1e-9) break;
    }
    total = 0;
    for (int i = 0; i < n; ++i) {
      weight[i] *= std::exp(theta * lever[i]);
      total += weight[i];
    }
  }
  int64_t given = 0;
  for (int i = 0; i < n; ++i) {
    pts[i].time = IndexToTradeMinute(q, i);
    const int64_t k = static_cast<int64_t>(static_cast<double>(steps) * weight[i] / total);
    pts[i].volume = k * step;
    given += k;
  }
  for (int i = 0; given < steps; i = (i + 1) % n, ++given) pts[i].volume += step;
  for (int i = 0; given > steps; i = (i + 1) % n) {  // rounding gave out a step too many
    if (pts[i].volume >= step) {
      pts[i].volume -= step;
      --given;
    }
  }
  pts[n - 1].volume += day.volume - steps * step;

  // Amounts follow price times volume (1/100 of the currency; an index's or board's scaled), the
  // last minute taking what rounding left, so that they add up to the day's amount.
  double raw = 0;
  for (const auto& p : pts) raw += static_cast<double>(p.volume) * p.now * multiplier / 100.0;
  const double scale = leaning ? 1.0 : raw > 0 ? static_cast<double>(day.amount) / raw : 0;
  int64_t amount = 0, volume = 0;
  double priced = 0, exact = 0;
  for (int i = 0; i < n; ++i) {
    tagLocalTrendData& p = pts[i];
    exact += static_cast<double>(p.volume) * p.now * multiplier / 100.0 * scale;
    p.amount = i + 1 < n ? std::llround(exact) - amount : day.amount - amount;
    amount += p.amount;
    volume += p.volume;
    // The volume-weighted price so far, as a live minute's quote gives it: the amounts, scaled
    // to the day's, need not be price times volume, and their quotient overflowed a price.
    priced += static_cast<double>(p.volume) * p.now;
    p.average = volume > 0
                    ? static_cast<int32_t>(std::llround(priced / static_cast<double>(volume)))
                    : p.now;
  }
  // Futures: the open interest runs from the day before's to the bar's, each minute opening and
  // closing positions within its volume.
  if (q.zqlb == kTypeFuture) {
    const int64_t net = day.ccl - before.ccl;
    const double share = day.volume > 0 ? static_cast<double>(net) / day.volume : 0;
    std::vector<double> lean(static_cast<size_t>(n));
    double leaned = 0;
    for (int i = 0; i < n; ++i) {
      lean[i] = 0.04 * (Unit(key, 2048 + i) - 0.5) * static_cast<double>(pts[i].volume);
      leaned += lean[i];
    }
    int64_t interest = before.ccl, shared = 0;
    for (int i = 0; i < n; ++i) {
      tagLocalTrendData& p = pts[i];
      const double v = static_cast<double>(p.volume);
      int64_t change =
          i + 1 < n ? std::llround(v * share + lean[i] -
                                   leaned * v / std::max(1.0, static_cast<double>(day.volume)))
                    : net - shared;
      shared += change;
      interest += change;
      p.ccl = interest;
      p.kc = (p.volume + change) / 2;
      p.pc = p.kc - change;
    }
  }
}

std::vector<tagLocalTrendData> Market::pointsOn(const Security& s, int32_t date,
                                                DayBar* bar) const {
  // The days the security holds, in their order: its history, the last or next session moved
  // out of it, today's.
  const DayBar* day = nullptr;
  const DayBar* before = nullptr;
  auto look = [&](const DayBar& d) {
    if (d.date == static_cast<uint32_t>(date)) day = &d;
    if (d.date < static_cast<uint32_t>(date) && d.date > 0 && (!before || d.date > before->date))
      before = &d;
  };
  for (const DayBar& d : s.history) look(d);
  if (s.lastSession) look(s.lastBar);
  look(s.liveBar);
  if (s.nextBar.date != 0) look(s.nextBar);
  if (!day || s.points < 4) return {};
  if (bar) *bar = *day;
  std::vector<tagLocalTrendData> pts = dayPoints(s, *day, before ? *before : *day);
  // The minutes' amounts as the day played gives them (takeMinutes).
  const std::vector<int64_t> amounts = SteppedAmounts(pts);
  for (size_t i = 0; i < pts.size(); ++i) pts[i].amount = amounts[i];
  return pts;
}

}  // namespace testserver
