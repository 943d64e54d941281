#include "testserver/Market.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/NewYorkClock.h"
#include "core/MarketTable.h"
#include "testserver/PriceGrid.h"
#include "testserver/TradeTape.h"
#include "platform/foundation/Text.h"

namespace testserver {

uint64_t Mix(uint64_t key, uint64_t index) {
  uint64_t z = key + 0x9E3779B97F4A7C15ull * (index + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Unit(uint64_t key, uint64_t index) {
  return static_cast<double>(Mix(key, index) >> 11) * (1.0 / 9007199254740992.0);
}

namespace {

// Streams of one security's random numbers.
enum Stream : uint64_t {
  kWalk = 1ull << 40,
  kVolume = 2ull << 40,
  kHistory = 3ull << 40,
  kBook = 4ull << 40,
  kTrade = 5ull << 40,
  kMisc = 6ull << 40,
  kPast = 7ull << 40,
};

double Gauss(uint64_t key, uint64_t index) {
  // Sum of four uniforms: cheap, bounded and close enough to normal for a price walk.
  double s = 0;
  for (int i = 0; i < 4; ++i) s += Unit(key, index * 4 + i);
  return (s - 2.0) * 1.7320508;
}

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int DaysIn(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

struct NameChar {
  const char* text;
  char initial;
};
const NameChar kFirst[] = {
    {"华", 'H'}, {"中", 'Z'}, {"国", 'G'}, {"东", 'D'}, {"方", 'F'}, {"海", 'H'}, {"南", 'N'},
    {"北", 'B'}, {"金", 'J'}, {"科", 'K'}, {"天", 'T'}, {"新", 'X'}, {"信", 'X'}, {"安", 'A'},
    {"建", 'J'}, {"泰", 'T'}, {"宏", 'H'}, {"长", 'C'}, {"江", 'J'}, {"恒", 'H'}, {"大", 'D'},
    {"万", 'W'}, {"瑞", 'R'}, {"鑫", 'X'}, {"盛", 'S'}, {"德", 'D'}, {"龙", 'L'}, {"凯", 'K'},
};
const NameChar kSecond[] = {
    {"通", 'T'}, {"达", 'D'}, {"汇", 'H'}, {"联", 'L'}, {"创", 'C'}, {"丰", 'F'}, {"隆", 'L'},
    {"宁", 'N'}, {"源", 'Y'}, {"远", 'Y'}, {"光", 'G'}, {"明", 'M'}, {"星", 'X'}, {"川", 'C'},
};
struct Industry {
  const char* text;
  const char* initials;
};
const Industry kIndustries[] = {
    {"电力", "DL"}, {"银行", "YH"}, {"科技", "KJ"}, {"医药", "YY"}, {"能源", "NY"},
    {"地产", "DC"}, {"钢铁", "GT"}, {"汽车", "QC"}, {"证券", "ZQ"}, {"化工", "HG"},
    {"传媒", "CM"}, {"电子", "DZ"}, {"食品", "SP"}, {"机械", "JX"}, {"水泥", "SN"},
    {"航空", "HK"}, {"物流", "WL"}, {"环保", "HB"}, {"软件", "RJ"}, {"通信", "TX"},
};
constexpr int kIndustryCount = sizeof kIndustries / sizeof kIndustries[0];

struct Named {
  const char* code;
  const char* name;
  const char* initials;
  int32_t price;  // 1/10000
};

const uint16_t kSessionsA[] = {570, 690, 780, 900};
const uint16_t kSessionsHk[] = {570, 720, 780, 960};
const uint16_t kSessionsFinFut[] = {555, 690, 780, 915};
// A commodity's trading day opens with the night session on the evening before (21:00 to 02:30
// past midnight) and goes on with the day's: its periods run on a day from that evening.
const uint16_t kSessionsComFut[] = {1260, 1590, 1980, 2130, 2250, 2340};
const uint16_t kSessionsForex[] = {540, 1380};
const uint16_t kSessionsGlobal[] = {570, 960};
// New York's session in its own time; Beijing is twelve hours ahead while New York keeps
// daylight-saving time (21:30 to 04:00), thirteen outside it (22:30 to 05:00).
const uint16_t kSessionsUs[] = {570, 960};

void SetSessions(tagLocalStockData& q, const uint16_t* t, int n) {
  q.tradetimenum = static_cast<uint8_t>(n / 2);
  for (int i = 0; i < 6; ++i) q.tradetime[i] = i < n ? t[i] : 0;
}

void SetName(tagLocalStockData& q, const std::string& utf8) {
  std::u16string n = foundation::utf8ToUtf16(utf8);
  std::memset(q.name, 0, sizeof q.name);
  for (size_t i = 0; i < n.size() && i < 16; ++i) q.name[i] = n[i];
}

tagDateMin MakeDateMin(int32_t date, int minuteOfDay) {
  tagDateMin d{};
  d.Year = static_cast<uint32_t>(date / 10000);
  d.Month = static_cast<uint32_t>(date / 100 % 100);
  d.Day = static_cast<uint32_t>(date % 100);
  int m = minuteOfDay % 1440;
  d.Hour = static_cast<uint32_t>(m / 60);
  d.Minute = static_cast<uint32_t>(m % 60);
  return d;
}

uint32_t DateMinWord(int32_t date, int minuteOfDay) {
  tagDateMin d = MakeDateMin(date, minuteOfDay);
  uint32_t w;
  std::memcpy(&w, &d, 4);
  return w;
}

// Volumes go out on the trend wire in lots, and for indices and boards in thousands of lots:
// every volume is a whole number of these so that the minutes add up to the day on the client.
int64_t VolumeStep(const tagLocalStockData& q) {
  const int64_t unit = q.unit > 0 ? q.unit : 1;
  return q.zqlb == kTypeIndex || q.market == kMarketBoard ? unit * 1000 : unit;
}

// Typical shares traded in a day; past days and today share it so the K-line stays level.
double DailyVolume(const tagLocalStockData& q) {
  if (q.zqlb == kTypeIndex) return q.market == kMarketHk ? 1e9 : 2e10;
  return q.ltgb > 0 ? q.ltgb * 0.01 : 5e6;
}

// Amounts are kept in 1/100 of the currency. They go out on the trend wire in units of 100 of
// the currency (1000 for indices and boards): every minute's amount is a whole number of the
// larger unit, so that the minutes add up to the day on the client and a board's amount, the sum
// of its members', stays whole too.
constexpr int64_t kAmountStep = 100000;

int64_t RoundToStep(double v, int64_t step) {
  return static_cast<int64_t>(std::llround(v / static_cast<double>(step))) * step;
}

// A ratio x 10000, rounded half away from zero as the client rounds the ratios it works out.
int32_t RatioX10000(int64_t a, int64_t b) {
  if (b == 0) return 0;
  const double r = static_cast<double>(a) * 10000.0 / static_cast<double>(b);
  return static_cast<int32_t>(std::clamp(std::round(r), -2147483647.0, 2147483647.0));
}

bool IsAggregate(const tagLocalStockData& q) {
  return q.zqlb == kTypeIndex || q.market == kMarketBoard;
}

// What one share traded at, at a price of the security: an index or board trades its members'
// shares, whose price moves with its level.
double SharePrice(const Security& s, int32_t price) {
  if (IsAggregate(s.q) && s.sharePrice > 0 && s.q.yesterday > 0)
    return static_cast<double>(s.sharePrice) * price / s.q.yesterday;
  return price;
}

// Five days' average volume per day.
double FiveDayVolume(const Security& s) {
  double avg = 0;
  for (size_t i = s.history.size() >= 5 ? s.history.size() - 5 : 0; i < s.history.size(); ++i)
    avg += static_cast<double>(s.history[i].volume) / 5.0;
  return avg;
}

// Five days' average amount of the large buy orders (sell: nine tenths of it), 1/100.
int64_t BuyAverage5(const Security& s) {
  return static_cast<int64_t>(FiveDayVolume(s) * SharePrice(s, s.q.yesterday) / 100.0 * 0.2);
}

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
// mark is still in progress and already carries that mark, the minute it will end on: a push
// of the next minute names the same bar and replaces it.
std::vector<DayBar> SessionBars(const tagLocalStockData& q, const tagLocalTrendData* pts, int n,
                                int32_t date, int span, uint64_t key) {
  std::vector<DayBar> out;
  int mark = -1;
  for (int i = 0; i < n; ++i) {
    const tagLocalTrendData& p = pts[i];
    int open = 0, close = 0;
    SessionOfPoint(q, i, &open, &close);
    const int steps = std::max(1, (p.time - open + span - 1) / span);
    const int end = std::min(close, open + steps * span);
    if (end != mark) {
      mark = end;
      DayBar b;
      b.date = DateMinWord(date, end);
      b.open = b.high = b.low = p.now;
      b.mainFlow = static_cast<int32_t>(
          (Unit(key, static_cast<uint64_t>(date) * 2048 + static_cast<uint64_t>(end)) - 0.5) *
          2000);
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
  }
  return out;
}

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

}  // namespace

int32_t AddDays(int32_t date, int days) {
  int y = date / 10000, m = date / 100 % 100, d = date % 100;
  while (days > 0) {
    if (++d > DaysIn(y, m)) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
    --days;
  }
  while (days < 0) {
    if (--d < 1) {
      if (--m < 1) {
        m = 12;
        --y;
      }
      d = DaysIn(y, m);
    }
    ++days;
  }
  return y * 10000 + m * 100 + d;
}

int32_t NextTradingDay(int32_t date) {
  do {
    date = AddDays(date, 1);
  } while (WeekDay(date) == 0 || WeekDay(date) == 6);
  return date;
}

int32_t TradingDaysBefore(int32_t date, int days) {
  for (; days > 0; --days) {
    do {
      date = AddDays(date, -1);
    } while (WeekDay(date) == 0 || WeekDay(date) == 6);
  }
  return date;
}

namespace {

int32_t SessionTime(int seconds) {
  const int index = seconds / 60;
  const int minute = index <= 120 ? 570 + index : 780 + index - 120;
  return minute / 60 * 10000 + minute % 60 * 100 + seconds % 60;
}

}  // namespace

int32_t SessionMinuteTime(int index) {
  return SessionTime(std::clamp(index, 0, 240) * 60);
}

SeedStamp Market::stampSeed(int daysBack, int32_t time) const {
  const int back = std::max(daysBack, 0) + (sessionBegun() ? 0 : 1);
  SeedStamp out{TradingDaysBefore(date_, back), time, true};
  // The market has one history: a seed keeps its own time on its day, and one of today that
  // lies after the clock has not happened yet (never moved to look as if it had).
  if (back == 0) out.due = time / 100 <= minute_ / 60 * 100 + minute_ % 60;
  return out;
}

int WeekDay(int32_t date) {
  // Zeller-style count from a known Sunday (2000-01-02).
  int y = date / 10000, m = date / 100 % 100, d = date % 100;
  if (m < 3) {
    m += 12;
    --y;
  }
  int k = y % 100, j = y / 100;
  int h = (d + 13 * (m + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;  // 0 Saturday
  return (h + 6) % 7;
}

Market::Market(uint64_t seed, int32_t date, int minute, bool closed)
    : seed_(seed), date_(date), minute_(minute), closed_(closed) {
  if (minute_ < 0) minute_ = 0;
  if (minute_ > 1439) minute_ = 1439;
  build();
}

int Market::add(uint8_t market, const std::string& code, const std::string& name,
                const std::string& initials, uint8_t type, int32_t price) {
  Security s;
  tagLocalStockData& q = s.q;
  std::memset(&q, 0, sizeof q);
  q.market = market;
  SetRecordCode(q, code.c_str());
  q.zqlb = type;
  SetName(q, name);
  s.initials = initials;
  s.key = Mix(seed_, CodeToKey(code.c_str()) ^ (uint64_t(market) << 56));
  switch (type) {
    case kTypeFund:
    case kTypeHkMain:
    case kTypeHkGem:
    case kTypeHkOther:
    case kTypeHkWarrant:
    case kTypeHkCbbc:
      q.pricedot = 3;
      break;
    case kTypeForex:
      q.pricedot = 4;
      break;
    case kTypeFuture: {
      const markets::Contract* c = markets::FindContract(market, code);
      q.pricedot = c ? c->pricedot : 1;
      break;
    }
    default:
      q.pricedot = 2;
  }
  q.unit = type == kTypeFuture ? 1 : (market == kMarketHk ? 1000 : 100);
  if (type == kTypeForex) q.unit = 1;
  if (const markets::Contract* c = type == kTypeFuture ? markets::FindContract(market, code) : nullptr)
    q.unit = c->lot;
  // The Hong Kong boards trade in their members' hours.
  const bool hkBoard = market == kMarketBoard && code.rfind("505", 0) == 0;
  switch (hkBoard ? static_cast<uint8_t>(kMarketHk) : market) {
    case kMarketHk:
      SetSessions(q, kSessionsHk, 4);
      break;
    case kMarketFinancialFutures:
      SetSessions(q, kSessionsFinFut, 4);
      break;
    case kMarketCommodityFutures:
    case kMarketOtherFutures:
      SetSessions(q, kSessionsComFut, 6);
      break;
    case kMarketForex:
      SetSessions(q, kSessionsForex, 2);
      break;
    case kMarketGlobalIndex:
      SetSessions(q, kSessionsGlobal, 2);
      break;
    case kMarketUs:
      SetSessions(q, kSessionsUs, 2);
      break;
    default:
      SetSessions(q, kSessionsA, 4);
  }
  s.points = GetTradeMinutes(q);
  const int32_t tick = PriceStep(q);
  q.yesterday = OnStep(q, price * (0.9 + 0.2 * Unit(s.key, kMisc)));
  if (q.yesterday < tick * 10) q.yesterday = OnStep(q, tick * 10);
  // Indices have no share capital of their own.
  const bool share =
      type != kTypeIndex && (type == kTypeAShare || type == kTypeSme || type == kTypeChiNext ||
                             type == kTypeBShare || market == kMarketHk || market == kMarketUs);
  if (share) {
    q.zgb = static_cast<int64_t>(2e8 + 8e9 * Unit(s.key, kMisc + 1)) / 100 * 100;
    q.ltgb = q.zgb / 10 * 7;
    q.ycmgsy = static_cast<int32_t>(q.yesterday / (8 + 30 * Unit(s.key, kMisc + 2)));
    q.zxmgsy = q.ycmgsy;
    q.mgJZZ = q.yesterday / 3;
  }
  if (const double limit = DailyLimit(q); limit > 0) {
    q.upprice = RoundTo(q.yesterday * (1 + limit), tick);
    q.downprice = RoundTo(q.yesterday * (1 - limit), tick);
  }
  if (type == kTypeFuture) {
    q.ZRJSJ = q.yesterday;
    // Open interest of the order of a day's volume.
    q.JRCCS.zrccl = static_cast<int64_t>(DailyVolume(q) * (0.6 + 0.6 * Unit(s.key, kMisc + 4)));
  }
  s.base = q.yesterday;
  makeHistory(s);
  secs_.push_back(std::move(s));
  return static_cast<int>(secs_.size()) - 1;
}

namespace {

// Days since 1970-01-01.
int64_t DayNumber(int32_t date) {
  int y = date / 10000;
  const int m = date / 100 % 100, d = date % 100;
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return int64_t{era} * 146097 + doe - 719468;
}

int64_t FloorDiv(int64_t a, int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int64_t FloorMod(int64_t a, int64_t b) {
  return a - FloorDiv(a, b) * b;
}

// Random numbers of a trading day, by its number: the day's figures whatever date looks at it.
constexpr uint64_t kDay = 8ull << 40;
uint64_t DayIndex(int64_t ordinal, int k) {
  return kDay + static_cast<uint64_t>(ordinal + (int64_t{1} << 24)) * 16 + static_cast<uint64_t>(k);
}

// One mix read as four uniforms summed: roughly normal, and cheap enough for years of days.
double QuickGauss(uint64_t key, uint64_t index) {
  const uint64_t r = Mix(key, index);
  double s = 0;
  for (int i = 0; i < 4; ++i) s += static_cast<double>((r >> (16 * i)) & 0xFFFF) / 65536.0;
  return (s - 2.0) * 1.7320508;
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

// Weekdays since Monday 1970-01-05: each trading day's own number, one more than the trading
// day's before it (a weekend's date has the following Monday's).
int64_t TradingOrdinal(int32_t date) {
  const int64_t n = DayNumber(date) - 4;
  const int64_t weeks = FloorDiv(n, 7);
  return weeks * 5 + std::min<int64_t>(n - weeks * 7, 5);
}

Market::Closes Market::closesOf(const Security& s, int64_t from, int64_t to) {
  const tagLocalStockData& q = s.q;
  const int32_t tick = PriceStep(q);
  const std::vector<double> logs = LogPrices(s, from - 1, to);
  const EventCalendar events = CalendarOf(s);
  const double limit = DailyLimit(q);
  Closes c;
  c.from = from;
  int32_t before = std::max(tick, OnStep(q, std::exp(logs[0])));
  for (int64_t u = from; u <= to; ++u) {
    const int32_t close =
        std::max(tick, OnStep(q, std::exp(logs[static_cast<size_t>(u - from + 1)])));
    EventKind kind;
    const int32_t ref =
        events.on(u, &kind) ? AdjustedClose(q, MakeEvent(kind, before, tick), before) : before;
    // A day closes within its limits, the wander taking up from there the next day.
    const int32_t limited =
        limit > 0 ? std::clamp(close, RoundTo(ref * (1 - limit), tick), RoundTo(ref * (1 + limit), tick))
                  : close;
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
    b.amount = RoundToStep(static_cast<double>(b.volume) * middle / 100.0, kAmountStep);
    b.mainFlow = static_cast<int32_t>((Unit(s.key, DayIndex(u, 5)) - 0.5) * 2000);
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
      at[j][i] = std::clamp(TradeMinuteToIndex(mq, IndexToTradeMinute(q, i)), 1,
                            members[j].s->points) - 1;
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

// The minute amounts of a day's points in whole steps of the wire, rounded on the running total:
// they still add up to the day's amount, itself a whole number of steps.
std::vector<int64_t> SteppedAmounts(const std::vector<tagLocalTrendData>& pts) {
  std::vector<int64_t> out;
  out.reserve(pts.size());
  int64_t exact = 0, given = 0;
  for (const tagLocalTrendData& p : pts) {
    exact += p.amount;
    const int64_t total = RoundToStep(static_cast<double>(exact), kAmountStep);
    out.push_back(total - given);
    given = total;
  }
  return out;
}

}  // namespace

void Market::takeMinutes(Security& s, const std::vector<tagLocalTrendData>& pts,
                         const DayBar& before) {
  s.path.clear();
  s.minuteVolume.clear();
  s.minuteAmount.clear();
  s.minuteInterest.clear();
  int64_t interest = before.ccl;
  for (const tagLocalTrendData& p : pts) {
    s.path.push_back(p.now);
    s.minuteVolume.push_back(p.volume);
    s.minuteInterest.push_back(p.ccl - interest);
    interest = p.ccl;
  }
  s.minuteAmount = SteppedAmounts(pts);
}

void Market::build() {
  auto named = [&](uint8_t market, uint8_t type, const Named* list, size_t n) {
    for (size_t i = 0; i < n; ++i)
      add(market, list[i].code, list[i].name, list[i].initials, type, list[i].price);
  };
  static const Named kShIndices[] = {{"000001", "上证指数", "SZZS", 35000000},
                                     {"000016", "上证50", "SZ50", 23000000},
                                     {"000300", "沪深300", "HS300", 37000000}};
  static const Named kSzIndices[] = {{"399001", "深证成指", "SZCZ", 125000000},
                                     {"399005", "中小板指", "ZXBZ", 78000000},
                                     {"399006", "创业板指", "CYBZ", 26000000}};
  static const Named kHkIndices[] = {{"999999", "恒生指数", "HSZS", 220000000},
                                     {"999998", "国企指数", "GQZS", 96000000}};
  named(kMarketSh, kTypeIndex, kShIndices, 3);
  named(kMarketSz, kTypeIndex, kSzIndices, 3);
  named(kMarketHk, kTypeIndex, kHkIndices, 2);

  // Generated names: two characters and an industry, unique across the market.
  int nameNo = 0;
  std::vector<std::string> used;
  auto nextName = [&](std::string* initials) {
    for (;;) {
      uint64_t r = Mix(seed_, 0xA11CE + nameNo++);
      const NameChar& a = kFirst[r % (sizeof kFirst / sizeof kFirst[0])];
      const NameChar& b = kSecond[(r >> 8) % (sizeof kSecond / sizeof kSecond[0])];
      const Industry& c = kIndustries[(r >> 16) % kIndustryCount];
      std::string name = std::string(a.text) + b.text + c.text;
      if (std::find(used.begin(), used.end(), name) != used.end()) continue;
      used.push_back(name);
      *initials = std::string(1, a.initial) + b.initial + c.initials;
      return name;
    }
  };
  auto generated = [&](uint8_t market, uint8_t type, int first, int step, int count, int digits,
                       const char* suffix, int32_t price) {
    for (int i = 0; i < count; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%0*d", digits, first + i * step);
      std::string initials;
      std::string name = nextName(&initials);
      if (suffix && *suffix) name = name.substr(0, 6) + suffix;  // two characters + the kind
      int32_t p = static_cast<int32_t>(price * (0.3 + 1.7 * Unit(seed_, CodeToKey(code) + type)));
      // A few Hong Kong shares in the price bands the others miss, from pennies to thousands.
      if (market == kMarketHk) {
        static const std::pair<int, int32_t> kBandPrices[] = {
            {6, 1500000}, {8, 15000000}, {8001, 1800}, {8004, 3500}};
        for (const auto& [n, bandPrice] : kBandPrices)
          if (first + i * step == n) p = bandPrice;
      }
      add(market, code, name, initials, type, p);
    }
  };
  generated(kMarketSh, kTypeAShare, 600000, 3, 40, 6, nullptr, 200000);
  generated(kMarketSz, kTypeAShare, 1, 2, 30, 6, nullptr, 150000);
  generated(kMarketSz, kTypeSme, 2001, 3, 15, 6, nullptr, 180000);
  generated(kMarketSz, kTypeChiNext, 300001, 4, 15, 6, nullptr, 250000);
  generated(kMarketSh, kTypeBShare, 900901, 2, 5, 6, "Ｂ股", 10000);
  generated(kMarketSz, kTypeBShare, 200002, 7, 5, 6, "Ｂ", 60000);
  generated(kMarketSh, kTypeFund, 510050, 10, 6, 6, "基金", 25000);
  generated(kMarketSz, kTypeFund, 159901, 2, 6, 6, "基金", 15000);
  generated(kMarketSh, kTypeBond, 10107, 100, 5, 6, "债", 1000000);
  generated(kMarketSz, kTypeBond, 100213, 50, 5, 6, "债", 1000000);
  generated(kMarketSz, kTypeTransfer, 400001, 1, 5, 6, nullptr, 30000);
  generated(kMarketHk, kTypeHkMain, 1, 1, 20, 5, nullptr, 500000);
  generated(kMarketHk, kTypeHkGem, 8001, 3, 5, 5, nullptr, 20000);
  generated(kMarketHk, kTypeHkOther, 4301, 7, 3, 5, nullptr, 1000000);

  static const Named kForex[] = {{"USDCNY", "美元人民币", "MYRMB", 64000},
                                 {"EURUSD", "欧元美元", "OYMY", 10900},
                                 {"USDJPY", "美元日元", "MYRY", 1230000},
                                 {"GBPUSD", "英镑美元", "YBMY", 15100},
                                 {"AUDUSD", "澳元美元", "AYMY", 7200}};
  static const Named kGlobal[] = {
      {"DJI", "道琼斯", "DQS", 177000000},    {"IXIC", "纳斯达克", "NSDK", 51000000},
      {"SPX", "标普500", "BP500", 20800000},  {"N225", "日经225", "RJ225", 198000000},
      {"FTSE", "富时100", "FS100", 63000000}, {"GDAXI", "德国DAX", "DGDAX", 107000000}};
  static const Named kUs[] = {{"AAPL", "苹果", "PG", 1190000},
                              {"BIDU", "百度", "BD", 2000000},
                              {"BABA", "阿里巴巴", "ALBB", 810000},
                              {"JD", "京东", "JD", 310000},
                              {"NTES", "网易", "WY", 1700000}};
  // The contracts of the markets table: those of the first exchanges here, the others (listed
  // after them) below, so that the shares keep their places.
  auto contracts = [&](bool first) {
    for (const markets::Contract& c : markets::kContracts) {
      const bool early = c.market == kMarketFinancialFutures ? c.list == 40 : c.market == 7;
      if (early == first) add(c.market, c.code, c.name, c.initials, kTypeFuture, c.price);
    }
  };
  contracts(true);
  named(kMarketForex, kTypeForex, kForex, 5);
  named(kMarketGlobalIndex, kTypeGlobalIndex, kGlobal, 6);
  named(kMarketUs, kTypeUs, kUs, 5);

  // Boards: one per industry over the A shares of that industry, and the two Hong Kong boards.
  const size_t shares = secs_.size();
  for (int k = 0; k < 12; ++k) {
    char code[16];
    std::snprintf(code, sizeof code, "%d", 880301 + k);
    std::string ind = kIndustries[k].text;
    int b = add(kMarketBoard, code, ind + "板块", std::string(kIndustries[k].initials) + "BK",
                kTypeBoard, 10000000);
    for (size_t i = 0; i < shares; ++i) {
      const Security& s = secs_[i];
      if (s.q.zqlb != kTypeAShare && s.q.zqlb != kTypeSme && s.q.zqlb != kTypeChiNext) continue;
      std::string name = foundation::utf16ToUtf8(std::u16string(s.q.name));
      if (name.find(ind) != std::string::npos) secs_[b].members.push_back(static_cast<int>(i));
    }
  }
  int hk1 = add(kMarketBoard, "505001", "国企股", "GQG", kTypeBoard, 10000000);
  int hk2 = add(kMarketBoard, "505003", "红筹股", "HCG", kTypeBoard, 10000000);
  for (size_t i = 0; i < shares; ++i) {
    const Security& s = secs_[i];
    if (s.q.market != kMarketHk || s.q.zqlb != kTypeHkMain) continue;
    secs_[(i % 2) ? hk1 : hk2].members.push_back(static_cast<int>(i));
  }
  // Region and concept boards.
  auto memberBoard = [&](const char* code, const char* name, const char* initials,
                         bool (*takes)(const tagLocalStockData&)) {
    int b = add(kMarketBoard, code, name, initials, kTypeBoard, 10000000);
    for (size_t i = 0; i < shares; ++i)
      if (takes(secs_[i].q)) secs_[b].members.push_back(static_cast<int>(i));
  };
  memberBoard("880401", "上海板块", "SHBK", [](const tagLocalStockData& q) {
    return q.market == kMarketSh && q.zqlb == kTypeAShare;
  });
  memberBoard("880402", "深圳板块", "SZBK", [](const tagLocalStockData& q) {
    return q.market == kMarketSz && q.zqlb == kTypeAShare;
  });
  memberBoard("880501", "中小概念", "ZXGN",
              [](const tagLocalStockData& q) { return q.zqlb == kTypeSme; });
  memberBoard("880502", "创业概念", "CYGN",
              [](const tagLocalStockData& q) { return q.zqlb == kTypeChiNext; });
  // A board's day is its members' day: its price moves by their average change and its
  // volume is theirs, minute by minute, so its trend, bars and quote tell one story.
  for (Security& b : secs_)
    if (b.q.zqlb == kTypeBoard && !b.members.empty()) boardHistory(b);
  // Indices are made of their own members as boards are: a composite index of its market's
  // shares, the others of their board's or of a leading few.
  for (size_t i = 0; i < shares; ++i) {
    Security& idx = secs_[i];
    if (idx.q.zqlb != kTypeIndex) continue;
    const std::string code(idx.q.code, strnlen(idx.q.code, sizeof idx.q.code));
    int hkMain = 0, shMain = 0;
    for (size_t j = 0; j < shares; ++j) {
      const auto& m = secs_[j].q;
      if (m.zqlb == kTypeIndex) continue;
      const bool aShare =
          m.zqlb == kTypeAShare || m.zqlb == kTypeSme || m.zqlb == kTypeChiNext;
      bool takes = m.market == idx.q.market;
      if (code == "000016") takes = m.market == kMarketSh && m.zqlb == kTypeAShare && shMain++ < 20;
      if (code == "000300") takes = (m.market == kMarketSh || m.market == kMarketSz) && aShare;
      if (code == "399005") takes = m.market == kMarketSz && m.zqlb == kTypeSme;
      if (code == "399006") takes = m.market == kMarketSz && m.zqlb == kTypeChiNext;
      // The H shares: every other main-board share, those of the 国企股 board.
      if (code == "999998") takes = m.market == kMarketHk && m.zqlb == kTypeHkMain && hkMain++ % 2;
      if (takes) idx.members.push_back(static_cast<int>(j));
    }
    boardHistory(idx);
  }
  memberCloses_.clear();
  memberCloses_.shrink_to_fit();

  // Lists of their own, after the index members so the indices keep their day: risk-warning,
  // delisting and B-to-H shares, more futures exchanges and a third US exchange.
  static const Named kRiskSh[] = {{"600898", "ST国美", "STGM", 30000}};
  static const Named kRiskSz[] = {{"000982", "*ST中绒", "STZR", 20000}};
  static const Named kDelistSh[] = {{"600832", "退市东电", "TSDD", 9000},
                                    {"600899", "退市信联", "TSXL", 12000}};
  static const Named kBToH[] = {{"200039", "中集转H", "ZJZH", 150000}};
  static const Named kMoreUs[] = {{"IMO", "帝国石油", "DGSY", 330000}};
  named(kMarketSh, kTypeRiskWarning, kRiskSh, 1);
  named(kMarketSz, kTypeRiskWarning, kRiskSz, 1);
  named(kMarketSh, kTypeDelisting, kDelistSh, 2);
  named(kMarketSz, kTypeBToH, kBToH, 1);
  contracts(false);
  named(kMarketUs, kTypeUs, kMoreUs, 1);

  // Hong Kong broker seats.
  static const char* kBrokers[][2] = {
      {"汇丰", "香港上海汇丰银行有限公司"},   {"中银", "中银国际证券有限公司"},
      {"高盛", "高盛(亚洲)证券有限公司"},     {"摩通", "摩根大通证券(亚太)有限公司"},
      {"瑞银", "瑞银证券香港有限公司"},       {"招商", "招商证券(香港)有限公司"},
      {"国泰", "国泰君安证券(香港)有限公司"}, {"海通", "海通国际证券有限公司"},
  };
  for (int i = 0; i < 8; ++i) {
    seats_.push_back({1000 + i * 100, 1000 + i * 100 + 99, kBrokers[i][0], kBrokers[i][1]});
  }

  // Information sections; their news and the radar's signals are made for each day asked for
  // from the securities seeded so far (see MarketItems.cpp).
  sections_ = {{1, "要闻"}, {2, "公司新闻"}, {3, "研究报告"}, {4, "公告"}};
  seeded_ = shares;
  // Hong Kong warrants and bull/bear certificates, added last so that everything above keeps its
  // names, news and radar; they belong to no index or board. 51 and 50 give lists of three and
  // of exactly two 25-row pages.
  auto derivative = [&](uint8_t type, int first, int step, int count, const char* kind,
                        int32_t price) {
    for (int i = 0; i < count; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%05d", first + i * step);
      std::string initials;
      std::string name = nextName(&initials) + kind;  // the whole name keeps them unique
      int32_t p = static_cast<int32_t>(price * (0.3 + 1.7 * Unit(seed_, CodeToKey(code) + type)));
      add(kMarketHk, code, name, initials, type, p);
    }
  };
  derivative(kTypeHkWarrant, 10001, 13, 51, "购", 2000);
  derivative(kTypeHkCbbc, 60001, 11, 50, "牛", 1500);
  // The stocks of the bundled first-start watch list that the generated codes miss, last again
  // so that everything above keeps its names, indices and boards.
  static const Named kBundledSz[] = {{"000002", "万科A", "WKA", 185000}};
  static const Named kBundledHk[] = {{"00700", "腾讯控股", "TXKG", 3600000}};
  named(kMarketSz, kTypeAShare, kBundledSz, 1);
  named(kMarketHk, kTypeHkMain, kBundledHk, 1);
  memberCloses_.clear();
  memberCloses_.shrink_to_fit();
  setMinute(minute_);
}

void Market::setMinute(int minute) {
  minute_ = std::clamp(minute, 0, 1439);
  stampNews();
  // Members first: an index's or board's session is made of theirs.
  for (int pass = 0; pass < 2; ++pass) {
    for (auto& s : secs_) {
      if (s.members.empty() != (pass == 0)) continue;
      // Until its first session opens a security shows the last one: as it closed, or while its
      // night trading runs on past midnight, as it stands. A day that opens the evening before
      // is today's until that evening's night session opens the next trading day; on a weekend
      // it is the next trading day, whose night ran on Friday evening.
      int shown = closed_ || localMinute(s) < s.q.tradetime[0] ? -1 : 0;
      if (DayOpensTheEveningBefore(s.q))
        shown = closed_ || localMinute(s) < s.q.tradetime[0] || s.nextBar.date == 0 ? 0 : 1;
      // An index's or board's session is its members' session, as its day is theirs.
      if (showSession(s, shown) && !s.members.empty()) boardDay(s);
      recompute(s);
    }
  }
  for (auto& s : secs_)
    if (!s.members.empty()) recomputeAggregate(s);
}

bool Market::advance() {
  if (minute_ >= 1439) return false;
  setMinute(minute_ + 1);
  return true;
}

bool Market::showSession(Security& s, int shown) {
  if (shown < 0 && s.history.size() < 2) shown = 0;
  const int was = s.lastSession ? -1 : s.nextSession ? 1 : 0;
  if (shown == was && !s.path.empty()) return false;
  tagLocalStockData& q = s.q;
  if (shown != was) {
    // The session shown until now waits (its minutes, once made, are kept); the day's own only
    // waits in `today`, the last and next sessions' are made again when shown again.
    if (was == 0) {
      std::swap(s.path, s.today.path);
      std::swap(s.minuteVolume, s.today.minuteVolume);
      std::swap(s.minuteAmount, s.today.minuteAmount);
      std::swap(s.minuteInterest, s.today.minuteInterest);
    }
    if (was == -1) s.history.push_back(s.lastBar);
    if (was == 1) s.history.pop_back();
    if (shown == 0) {
      std::swap(s.path, s.today.path);
      std::swap(s.minuteVolume, s.today.minuteVolume);
      std::swap(s.minuteAmount, s.today.minuteAmount);
      std::swap(s.minuteInterest, s.today.minuteInterest);
    } else {
      s.path.clear();
    }
    if (shown == -1) {
      s.lastBar = s.history.back();
      s.history.pop_back();
    }
    if (shown == 1) s.history.push_back(s.liveBar);
    s.lastSession = shown == -1;
    s.nextSession = shown == 1;
  }
  const bool last = shown == -1;
  const DayBar& day = last ? s.lastBar : shown == 1 ? s.nextBar : s.liveBar;
  const DayBar& before = s.history.back();
  const int32_t tick = PriceStep(q);
  q.yesterday = day.ref;
  if (const double limit = DailyLimit(q); limit > 0) {
    q.upprice = RoundTo(q.yesterday * (1 + limit), tick);
    q.downprice = RoundTo(q.yesterday * (1 - limit), tick);
  }
  if (q.zqlb == kTypeFuture) {
    q.ZRJSJ = before.close;
    q.JRCCS.zrccl = before.ccl;
  }
  if (s.path.empty()) {
    if (s.members.empty()) {
      takeMinutes(s, dayPoints(s, day, before), before);
    } else {
      // Indices and boards take their members' minutes (boardDay).
      const size_t n = static_cast<size_t>(s.points);
      s.path.assign(n, day.close);
      s.minuteVolume.assign(n, 0);
      s.minuteAmount.assign(n, 0);
      s.minuteInterest.assign(n, 0);
    }
  }
  return true;
}

int Market::elapsed(const Security& s) const {
  const tagLocalStockData& q = s.q;
  int index = 0;
  if (!s.lastSession) {
    // From the open: 1 at the open, all after the close.
    index = TradeMinuteToIndex(q, localMinute(s));
    // A night session opening the day runs on the evening of the trading day before: after a
    // day without trading (a weekend) it ran before that day, and is whole by now.
    const int night = q.tradetime[1] - q.tradetime[0] + 1;
    if (DayOpensTheEveningBefore(q) && index < night && localMinute(s) < q.tradetime[0] &&
        !s.history.empty() && s.history.back().date != static_cast<uint32_t>(AddDays(date_, -1)))
      index = night;
    // On a weekend only the next trading day's night has traded, on Friday evening into Saturday.
    const int weekDay = WeekDay(date_);
    if (DayOpensTheEveningBefore(q) && !s.nextSession && (weekDay == 0 || weekDay == 6))
      index = weekDay == 6 && localMinute(s) < q.tradetime[0] ? std::min(index, night) : night;
  } else if (!DayOpensTheEveningBefore(q) &&
             s.lastBar.date == static_cast<uint32_t>(AddDays(date_, -1)) &&
             FindTradeMinuteSlot(q, localMinute(s) + 1440, &index) == 0) {
    // The last session's night trading runs on past midnight (or, in New York, it is still
    // yesterday's afternoon).
  } else {
    index = s.points;
  }
  return std::clamp(index, 1, s.points);
}

int Market::localMinute(const Security& s) const {
  if (s.q.market != kMarketUs) return minute_;
  // Before New York's midnight it is still the day before there, whose offset counts.
  int ahead = BeijingAheadOfNewYork(date_);
  if (minute_ < ahead) ahead = BeijingAheadOfNewYork(AddDays(date_, -1));
  return minute_ - (ahead > 0 ? ahead : 12 * 60);
}

int32_t Market::sessionDate(const Security& s) const {
  if (s.lastSession) return static_cast<int32_t>(s.lastBar.date);
  if (s.nextSession) return static_cast<int32_t>(s.nextBar.date);
  return s.liveBar.date ? static_cast<int32_t>(s.liveBar.date) : date_;
}

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
  }
  c.upTo = n;
  return c.totals;
}

std::vector<MinuteFigures> Market::figures(const Security& s, int n, bool everyMinute) const {
  const tagLocalStockData& q = s.q;
  n = std::clamp(n, 0, static_cast<int>(s.path.size()));
  std::vector<MinuteFigures> out(static_cast<size_t>(n));
  const double avg5 = FiveDayVolume(s);
  const int64_t unit = q.unit > 0 ? q.unit : 1;
  const int64_t buyAvr5 = BuyAverage5(s);
  const int64_t avr5[2] = {buyAvr5, buyAvr5 / 10 * 9};
  const bool futures = q.zqlb == kTypeFuture;
  const bool index = q.zqlb == kTypeIndex;
  const int32_t date = sessionDate(s);
  int64_t volume = 0, amount = 0, opened = 0, closed = 0;
  double priced = 0, hlz = 0;
  // Every minute's main force is its trades' up to it; the quote's alone comes from the kept sums.
  TapeTotals tape;
  std::vector<TapeTrade> trades;
  int32_t low = 0, high = 0;
  for (int i = 0; i < n; ++i) {
    MinuteFigures& f = out[static_cast<size_t>(i)];
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
    if (everyMinute) {
      low = i == 0 ? s.path[0] : std::min(low, s.path[i]);
      high = i == 0 ? s.path[0] : std::max(high, s.path[i]);
      MinuteTrades(q, s.key, date, i, tapeMinute(s, i, low, high), trades);
      for (const TapeTrade& t : trades) tape.add(t);
    }
    const TapeTotals& sums = everyMinute ? tape : tapeTotals(s, n);
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
    f.main[0] = RoundToStep(static_cast<double>(sums.mainAmount(0)), kAmountStep);
    f.main[1] = RoundToStep(static_cast<double>(sums.mainAmount(1)), kAmountStep);
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
    // The latest trade's share of opening and closing positions.
    q.XKP[0] = q.realvol / 2;
    q.XKP[1] = q.realvol / 3;
  }
  (void)unit;
}

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
    members.push_back({&s, s.q.yesterday, s.path.data(), s.minuteVolume.data(),
                       s.minuteAmount.data()});
  }
  CombineMembers(b.q, b.q.yesterday, b.points, members, b.path.data(), b.minuteVolume.data(),
                 b.minuteAmount.data());
}

std::vector<tagLocalTrendData> Market::membersPastDay(const Security& b, size_t k,
                                                      bool pricesOnly) const {
  if (b.members.empty() || k >= b.history.size() || b.points < 1) return {};
  const DayBar& day = b.history[k];
  if (day.ref <= 0) return {};
  // Each member's own day of that date, played again.
  struct Played {
    std::vector<int32_t> path;
    std::vector<int64_t> volume, amount;
  };
  std::vector<Played> played(b.members.size());
  std::vector<MemberMinutes> members;
  members.reserve(b.members.size());
  for (size_t j = 0; j < b.members.size(); ++j) {
    const Security& s = secs_[b.members[j]];
    const auto at = std::lower_bound(s.history.begin(), s.history.end(), day.date,
                                     [](const DayBar& d, uint32_t date) { return d.date < date; });
    if (at == s.history.end() || at->date != day.date || at->ref <= 0 || s.points < 1) return {};
    Played& p = played[j];
    if (pricesOnly) {
      p.path = dayPrices(s, *at);
    } else {
      const std::vector<tagLocalTrendData> pts =
          dayPoints(s, *at, at == s.history.begin() ? *at : *(at - 1));
      for (const tagLocalTrendData& t : pts) {
        p.path.push_back(t.now);
        p.volume.push_back(t.volume);
      }
      p.amount = SteppedAmounts(pts);
    }
    if (static_cast<int>(p.path.size()) < s.points) return {};
    members.push_back({&s, at->ref, p.path.data(), pricesOnly ? nullptr : p.volume.data(),
                       pricesOnly ? nullptr : p.amount.data()});
  }
  const size_t n = static_cast<size_t>(b.points);
  std::vector<int32_t> path(n);
  std::vector<int64_t> volume(pricesOnly ? 0 : n), amount(pricesOnly ? 0 : n);
  CombineMembers(b.q, day.ref, b.points, members, path.data(),
                 pricesOnly ? nullptr : volume.data(), pricesOnly ? nullptr : amount.data());
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

DayBar Market::pastBar(const Security& s, size_t k) const {
  DayBar d = s.history[k];
  if (s.members.empty()) return d;
  // An index's or board's extremes are those its members' minutes reached that day, as when the
  // day was played; made once a day is asked for.
  auto at = s.pastExtremes.find(d.date);
  if (at == s.pastExtremes.end()) {
    std::pair<int32_t, int32_t> extremes{d.high, d.low};
    const std::vector<tagLocalTrendData> pts = membersPastDay(s, k, true);
    if (!pts.empty()) {
      const auto [low, high] = std::minmax_element(
          pts.begin(), pts.end(), [](const auto& a, const auto& b) { return a.now < b.now; });
      extremes = {high->now, low->now};
    }
    at = s.pastExtremes.emplace(d.date, extremes).first;
  }
  d.high = at->second.first;
  d.low = at->second.second;
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

void Market::addBoard(const std::string& code, int memberCount) {
  std::vector<int> members;
  for (int i : list(kMarketShSz, kTypeAShare)) {
    if (static_cast<int>(members.size()) >= memberCount) break;
    members.push_back(i);
  }
  const std::string key = code.substr(0, 8);
  std::erase_if(addedBoards_, [&](const auto& board) { return board.first == key; });
  addedBoards_.emplace_back(key, std::move(members));
}

const Security* Market::find(uint8_t market, std::string_view code) const {
  int i = indexOf(market, code);
  return i < 0 ? nullptr : &secs_[i];
}

int Market::indexOf(uint8_t market, std::string_view code) const {
  std::string c(code.substr(0, 8));
  const int64_t key = CodeToKey(c.c_str());
  for (size_t i = 0; i < secs_.size(); ++i) {
    if (secs_[i].q.market == market && RecordCodeKey(secs_[i].q) == key) return static_cast<int>(i);
  }
  return -1;
}

namespace {

bool CodeStarts(const tagLocalStockData& q, std::initializer_list<const char*> prefixes) {
  for (const char* p : prefixes) {
    const size_t n = std::strlen(p);
    if (std::strncmp(q.code, p, n) == 0 && (q.code[n] < 'A' || q.code[n] > 'Z')) return true;
  }
  return false;
}

// The sub-list of a board, futures or US security; -1 when it has none (Hong Kong boards).
int SubList(const tagLocalStockData& q) {
  switch (q.market) {
    case kMarketBoard:
      return std::strncmp(q.code, "8803", 4) == 0   ? 1
             : std::strncmp(q.code, "8804", 4) == 0 ? 2
             : std::strncmp(q.code, "8805", 4) == 0 ? 3
                                                    : -1;
    case kMarketFinancialFutures:
    case kMarketOtherFutures:
    case kMarketCommodityFutures: {
      const markets::Contract* c =
          markets::FindContract(q.market, std::string_view(q.code, strnlen(q.code, sizeof q.code)));
      return c ? c->list : -1;
    }
    case kMarketUs:
      return CodeStarts(q, {"BABA"}) ? 100 : CodeStarts(q, {"IMO"}) ? 102 : 101;
    default:
      return -1;
  }
}

// Whether `type` names one of the sub-lists of `market`.
bool IsSubList(uint8_t market, uint8_t type) {
  switch (market) {
    case kMarketBoard:
      return type <= 3;
    case kMarketFinancialFutures:
    case kMarketOtherFutures:
    case kMarketCommodityFutures:
      for (const markets::ListTab& t : markets::kFuturesTabs)
        if (t.market == market && t.stockType == type) return true;
      return false;
    case kMarketUs:
      return type >= 100 && type <= 102;
    default:
      return false;
  }
}

}  // namespace

std::vector<int> Market::list(uint8_t market, uint8_t type) const {
  std::vector<int> out;
  for (size_t i = 0; i < secs_.size(); ++i) {
    const tagLocalStockData& q = secs_[i].q;
    bool marketOk = market == kMarketShSz ? (q.market == kMarketSh || q.market == kMarketSz)
                                          : q.market == market;
    if (!marketOk) continue;
    bool typeOk = q.zqlb == type;
    // The A-share lists include the small and growth boards.
    if (type == kTypeAShare && (q.zqlb == kTypeSme || q.zqlb == kTypeChiNext)) typeOk = true;
    // Futures, foreign exchange, global and US lists are asked for by market alone.
    if (q.market != kMarketSh && q.market != kMarketSz && q.market != kMarketHk) typeOk = true;
    if (IsSubList(market, type)) {
      const int sub = SubList(q);
      typeOk = market == kMarketBoard && type == 0 ? sub > 0 : sub == type;
    }
    if (typeOk) out.push_back(static_cast<int>(i));
  }
  std::stable_sort(out.begin(), out.end(), [&](int a, int b) {
    if (secs_[a].q.market != secs_[b].q.market) return secs_[a].q.market < secs_[b].q.market;
    return std::strncmp(secs_[a].q.code, secs_[b].q.code, 8) < 0;
  });
  return out;
}

std::vector<int> Market::boardMembers(std::string_view boardCode) const {
  for (const auto& [code, members] : addedBoards_)
    if (code == boardCode.substr(0, 8)) return members;
  const Security* b = find(kMarketBoard, boardCode);
  return b ? b->members : std::vector<int>{};
}

std::vector<int> Market::search(std::string_view text, size_t max) const {
  std::string key;
  for (char c : text) key.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  std::vector<int> out;
  if (key.empty()) return out;
  for (size_t i = 0; i < secs_.size() && out.size() < max; ++i) {
    const Security& s = secs_[i];
    std::string code(s.q.code, strnlen(s.q.code, 8));
    std::string upper;
    for (char c : code)
      upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (upper.rfind(key, 0) == 0 || s.initials.rfind(key, 0) == 0)
      out.push_back(static_cast<int>(i));
  }
  return out;
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
  // The minutes agree with the day's bar: the first is its open, the last its close, one
  // minute each touches its high and its low, and the minute volumes add up to its volume.
  const tagLocalStockData& q = s.q;
  const int n = s.points;
  std::vector<tagLocalTrendData> pts(static_cast<size_t>(n));
  if (n < 4) return pts;
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
  const double average =
      day.volume > 0 ? static_cast<double>(day.amount) * 100.0 / static_cast<double>(day.volume)
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
  for (const auto& p : pts) raw += static_cast<double>(p.volume) * p.now / 100.0;
  const double scale = leaning ? 1.0 : raw > 0 ? static_cast<double>(day.amount) / raw : 0;
  int64_t amount = 0, volume = 0;
  double priced = 0, exact = 0;
  for (int i = 0; i < n; ++i) {
    tagLocalTrendData& p = pts[i];
    exact += static_cast<double>(p.volume) * p.now / 100.0 * scale;
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
  return pts;
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
      r.nature = static_cast<char>(t->interest > 0 ? t->side : t->interest < 0 ? 2 + t->side : 4 + t->side);
      out.push_back(r);
    }
  }
  std::reverse(out.begin(), out.end());
  return out;
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
  b.mainFlow = s.lastSession   ? s.lastBar.mainFlow
               : s.nextSession ? s.nextBar.mainFlow
                               : s.liveBar.mainFlow;
  return b;
}

std::vector<DayBar> Market::bars(const Security& s, int period, int count) const {
  std::vector<DayBar> out;
  if (count <= 0) return out;
  if (period >= 4 && period <= 7) {
    static const int kMinutes[] = {5, 60, 15, 30};
    const int span = kMinutes[period - 4];
    const std::vector<tagLocalTrendData> today = trend(s);
    out =
        SessionBars(s.q, today.data(), static_cast<int>(today.size()), sessionDate(s), span, s.key);
    // Earlier days, newest first, until the count is reached.
    const int h = static_cast<int>(s.history.size());
    for (int back = 1; static_cast<int>(out.size()) < count && back <= h; ++back) {
      const DayBar& day = s.history[h - back];
      const std::vector<tagLocalTrendData> pts = pastPoints(s, static_cast<size_t>(h - back));
      std::vector<DayBar> earlier = SessionBars(s.q, pts.data(), static_cast<int>(pts.size()),
                                                static_cast<int32_t>(day.date), span, s.key);
      out.insert(out.begin(), earlier.begin(), earlier.end());
    }
  } else {
    std::vector<DayBar> days = s.history;
    // The days that can reach the bars asked for (a month has at most 23 trading days).
    const size_t h = days.size();
    const size_t span = period == 1 ? static_cast<size_t>(count)
                                     : static_cast<size_t>(count + 1) * (period == 3 ? 23 : 5);
    for (size_t k = h - std::min(h, span); k < h; ++k) days[k] = pastBar(s, k);
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
          b.mainFlow = d.mainFlow;
        }
      }
    } else {
      out = std::move(days);
    }
  }
  if (static_cast<int>(out.size()) > count) out.erase(out.begin(), out.end() - count);
  return out;
}

const SeatRange* Market::findSeat(int32_t seat) const {
  for (const auto& r : seats_)
    if (seat >= r.from && seat <= r.to) return &r;
  return nullptr;
}

}  // namespace testserver
