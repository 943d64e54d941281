// A deterministic synthetic market: the securities the quote server knows, their quotes at the
// current market minute, and the data behind every chart and list. Everything follows from the
// seed, the trading date and the minute: the same three give the same answers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "testserver/TradeTape.h"

namespace testserver {

// Stock types of the lists (the second byte of a list request).
enum StockType : uint8_t {
  kTypeIndex = 1,
  kTypeAShare = 2,
  kTypeBShare = 3,
  kTypeSme = 4,
  kTypeFund = 5,
  kTypeBond = 6,
  kTypeBToH = 7,  // Shenzhen B shares moved to Hong Kong
  kTypeChiNext = 8,
  kTypeTransfer = 9,
  kTypeHkMain = 10,
  kTypeHkGem = 11,
  kTypeHkWarrant = 12,
  kTypeHkCbbc = 14,
  kTypeDelisting = 18,
  kTypeRiskWarning = 19,
  kTypeBoard = 20,
  kTypeFuture = 30,
  kTypeForex = 31,
  kTypeGlobalIndex = 32,
  kTypeUs = 33,
  kTypeHkOther = 127,
};

// Markets of the lists.
enum MarketId : uint8_t {
  kMarketSh = 1,
  kMarketSz = 2,
  kMarketHk = 3,
  kMarketFinancialFutures = 4,
  kMarketForex = 5,
  kMarketCommodityFutures = 6,
  kMarketOtherFutures = 7,
  kMarketBoard = 9,
  kMarketGlobalIndex = 10,
  kMarketUs = 16,
  kMarketShSz = 100,
  kMarketServerList = 101,
};

// One daily (or longer) bar in 1/10000 prices.
struct DayBar {
  uint32_t date = 0;  // yyyymmdd, or a tagDateMin for minute bars
  int32_t open = 0, high = 0, low = 0, close = 0;
  int64_t volume = 0, amount = 0, ccl = 0;
  int32_t jsj = 0;
  // The day's previous close (昨收): the close of the trading day before, or on the day of an
  // ex-rights event that close adjusted for it.
  int32_t ref = 0;
  // The main force: what the large orders (庄 and 大) bought and sold in the bar, 1/100 of the
  // currency in the trend's steps of amounts, as the quote's main-force amounts say for a day.
  int64_t main[2] = {};
};

struct Trade {
  int16_t minute;  // minute of the day (the lists send hour x 100 + minute)
  int32_t price;   // 1/10000
  int32_t lots;
  char inout;  // 0 at the ask, 1 at the bid, 2 at the mid
  int32_t openInterestChange;
  char nature;
};

struct Security {
  tagLocalStockData q{};              // the quote at the current minute
  std::string initials;               // pinyin initials of the name, upper case
  int points = 241;                   // minutes of the trading day
  std::vector<int32_t> path;          // price at each trading minute
  std::vector<int64_t> minuteVolume;  // shares per minute
  std::vector<int64_t> minuteAmount;  // 1/100 of the currency per minute
  // Futures: the change of open interest each minute (positions opened less those closed).
  std::vector<int64_t> minuteInterest;
  std::vector<DayBar> history;  // days before today, oldest first
  std::vector<tagLocalWeightData> weights;
  std::vector<int> members;  // boards and indices: their constituents
  uint64_t key = 0;          // seed of this security's random streams
  // Indices and boards: what one share of their members cost on average at the previous close
  // (1/10000); their amounts are their volumes at this price, moved with their level.
  int32_t sharePrice = 0;
  // The security's usual price, which its days wander around (1/10000).
  int32_t base = 0;
  // The whole day of the market's date: its minutes are played up to the clock.
  DayBar liveBar;
  // Before its market's open a security plays its last session: that day's bar leaves `history`
  // for `lastBar` and its minutes are shown; the minutes of the session not shown wait in
  // `today` (each session's are made when it is first shown).
  bool lastSession = false;
  DayBar lastBar;
  // A trading day opening the evening before (commodity futures): from that evening's night
  // session on the next trading day is shown, the market's date joining `history`.
  bool nextSession = false;
  DayBar nextBar;  // date 0 when there is none
  struct Day {
    std::vector<int32_t> path;
    std::vector<int64_t> minuteVolume, minuteAmount, minuteInterest;
  } today;
  // What a past day's minutes made of it, by date (made when the day is first asked for): an
  // index's or board's extremes are those its members' minutes reached; every security's
  // main-force amounts are its trades'.
  struct PastDay {
    int32_t high = 0, low = 0;
    bool traded = false;  // the main force made
    int64_t main[2] = {};
  };
  mutable std::map<uint32_t, PastDay> pastDays;
  // A past day's minute bars of one span (5, 15, 30 or 60), by date and span: made when first
  // asked for, as every chart asked again, minute after minute, reaches back over the same days.
  // Dropped whenever a session shown changes (Market::setMinute) or a test rewrites a quote.
  mutable std::map<std::pair<uint32_t, int>, std::vector<DayBar>> pastMinuteBars;
  // The shown session's trades summed up to a minute, kept so that the next minute only adds its
  // own (made again from the open when the session shown changes or the clock goes back).
  struct TapeCache {
    int32_t date = 0;
    int shown = 2;
    int upTo = 0;
    int32_t low = 0, high = 0;
    TapeTotals totals;
    // The main-force amounts bought and sold after each minute summed, as the quote of that
    // minute gives them (the trend's points and today's minute bars carry them).
    std::vector<std::array<int64_t, 2>> main;
  };
  mutable TapeCache tape;
};

// The cumulative figures of a security after some minutes of its day: the quote carries those of
// the current minute, each trend point those of its own, so that both tell the same story.
struct MinuteFigures {
  int64_t volume = 0;
  int64_t amount = 0;  // 1/100 of the currency
  int32_t average = 0;
  int32_t lb = 0;            // volume ratio x 10000
  int64_t main[2] = {};      // amounts of the large buy and sell orders, 1/100
  int32_t zlzj = 0;          // net of the two in 10,000s, x 10000 / 100
  int64_t delegate[2] = {};  // bid and ask order totals, shares
  int32_t cashSpeed[2] = {};
  int64_t openInterest = 0;
  int64_t opened = 0, closed = 0;  // futures: volumes opening and closing positions
  int16_t hlz = 0;
};

struct SeatRange {
  int32_t from, to;
  std::string shortName, fullName;
};

struct NewsItem {
  int32_t id;  // the same item whenever it is seen
  int32_t partId;
  std::string title;           // UTF-8
  std::string body;            // UTF-8
  int32_t date = 0, time = 0;  // its trading day and its time (hhmmss)
  std::string source;
};

// Shanghai's open: until this minute of a day its session has not begun.
inline constexpr int kSessionOpenMinute = 9 * 60 + 30;

// A date and time of day the server gives what it seeds (Market::stampSeed).
struct SeedStamp {
  int32_t date = 0;  // yyyymmdd
  int32_t time = 0;  // hhmmss
  bool due = true;   // its time has come by the clock (only a seed of today can wait)
};

struct RadarItem {
  int64_t id;  // the same signal whenever it is seen
  uint8_t market;
  std::string code;
  int32_t date = 0;  // its trading day
  int32_t time = 0;  // hhmmss: the minute of the trades that gave it
  std::string title;
  std::string name;    // UTF-8, of the security
  std::string signal;  // UTF-8
};

// The radar's signals, by number.
inline constexpr const char* kRadarSignals[8] = {"大单买入", "急速拉升", "大单卖出", "快速下跌",
                                                 "封涨停板", "打开涨停", "放量上攻", "低位反弹"};
enum RadarSignal {
  kSignalLargeBuy,    // a 庄-sized order bought at the ask
  kSignalSurge,       // the price up by a quarter of the day's range within five minutes
  kSignalLargeSell,   // a 庄-sized order sold at the bid
  kSignalPlunge,      // down by a quarter of the day's range within five minutes
  kSignalSealed,      // at the limit up from this minute to the close
  kSignalUnsealed,    // off the limit up after a minute at it
  kSignalVolumeRise,  // three times the day's usual minute volume, the price up
  kSignalRebound,     // up by a quarter of the range from the day's low within ten minutes
};

class Market {
 public:
  // date: yyyymmdd of the trading day; minute: minute of the day of the market clock (values
  // outside 0..1439 are clamped). Before a security's open it shows its last whole session (the
  // trading day before, a Monday's the Friday's), from the open today's, which starts from that
  // close; after the close the day stays whole. A day `closed` (a weekend's, by the wall clock)
  // shows the last session all day.
  Market(uint64_t seed, int32_t date, int minute, bool closed = false);

  uint64_t seed() const { return seed_; }
  int32_t date() const { return date_; }
  int minute() const { return minute_; }
  // A day that trades nothing (a weekend's by the wall clock): it shows its last session.
  bool closed() const { return closed_; }
  // Whether today's session has begun (Shanghai's open passed on a day that trades).
  bool sessionBegun() const { return !closed_ && minute_ >= kSessionOpenMinute; }
  // Where what the server seeds with a date lies by the clock. A seed names its trading day
  // counted back from the newest (0) and its time of day (hhmmss): the newest day is today once
  // today's session has begun, else the trading day before. The time is the seed's own, whatever
  // the clock: a seed of today later than the clock is not due yet, and is not shown until it is.
  SeedStamp stampSeed(int daysBack, int32_t time) const;
  // Moves every security to this elapsed minute and recomputes the quotes.
  void setMinute(int minute);
  // One minute on; false when the day is already over (nothing changes then).
  bool advance();

  const std::vector<Security>& securities() const { return secs_; }
  const Security* find(uint8_t market, std::string_view code) const;
  int indexOf(uint8_t market, std::string_view code) const;
  const Security& at(int i) const { return secs_[i]; }

  // Members of a list by (market, stock type), in code order. Market 100 joins 1 and 2. Boards
  // (9) take kinds 0 all (without the Hong Kong boards), 1 industry, 2 region, 3 concept; the
  // futures markets their exchanges (4: 40, 41; 7: 57-59; 6: 71-77) and the United States its
  // exchanges (100-102); any other type of these markets lists the whole market.
  std::vector<int> list(uint8_t market, uint8_t type) const;
  // Constituents of a board by its code.
  std::vector<int> boardMembers(std::string_view boardCode) const;
  // A board for tests: only its constituents, the first `memberCount` Shanghai and Shenzhen
  // shares in list order (fewer when the market has fewer). It is no security of the market and
  // no list shows it; the board code is answered before the market's own boards.
  void addBoard(const std::string& code, int memberCount);
  // Code prefix or name initials, case-insensitive; at most `max` hits.
  std::vector<int> search(std::string_view text, size_t max) const;

  // The trading day a security shows: today's date, or before its market's open its last
  // session's.
  int32_t sessionDate(const Security& s) const;
  // Minute points up to the current minute.
  std::vector<tagLocalTrendData> trend(const Security& s) const;
  // A full past day's points (dayOffset 1 = yesterday), its previous close through prevClose.
  std::vector<tagLocalTrendData> pastTrend(const Security& s, int dayOffset, int32_t* prevClose,
                                           int32_t* dayDate) const;
  // The last `count` trades up to the current minute, oldest first.
  std::vector<Trade> trades(const Security& s, int count) const;
  // Bars of a period (1 day, 2 week, 3 month, 4 5-min, 5 60-min, 6 15-min, 7 30-min),
  // oldest first, at most `count`, the shown session's bar last (today's from the open). Minute
  // bars end on the N-minute marks of each session and reach back over earlier days, whose minutes
  // agree with their day bars. Their main force is their trades' (`mainForce`: for past days'
  // bars, which make it from their minutes when first asked for; without it they carry none).
  std::vector<DayBar> bars(const Security& s, int period, int count, bool mainForce = true) const;

  const std::vector<SeatRange>& seats() const { return seats_; }
  const SeatRange* findSeat(int32_t seat) const;
  // The news of the last six trading days whose time has come, newest day first; each day's are
  // a function of the seed and the date.
  const std::vector<NewsItem>& news() const { return newsDue_; }
  // The radar's signals of the day before the newest trading day and those of the newest whose
  // time has come, in their order.
  const std::vector<RadarItem>& radar() const;
  // The signals of a trading day, in their order: a function of the seed and the date, each at the
  // minute whose trades gave it. Empty for a day the history does not hold.
  const std::vector<RadarItem>& radarOf(int32_t date) const;
  // The time (hhmmss) of the first minute of a share's day `date` at or after its `from`-th
  // minute whose trades give `signal` (one of RadarSignal), in the Shanghai sessions; -1 when
  // none does.
  int32_t signalTime(const Security& s, int32_t date, int signal, int from) const;
  // A security's minute points of one of its days (history, today or the next trading day) and
  // that day's bar; empty when it has no such day.
  std::vector<tagLocalTrendData> pointsOn(const Security& s, int32_t date, DayBar* bar) const;
  // Info sections: (partId, name).
  const std::vector<std::pair<int32_t, std::string>>& sections() const { return sections_; }

  // Tests: a security's stored quote, for values no market would compute (see
  // TestServer::setQuoteValues), and a rewrite of the minute points every trend answer carries.
  Security& mutableAt(int i) {
    dropMinuteBars();
    return secs_[static_cast<size_t>(i)];
  }
  std::function<void(const tagLocalStockData&, std::vector<tagLocalTrendData>&)> trendOverride;

 private:
  void build();
  int add(uint8_t market, const std::string& code, const std::string& name,
          const std::string& initials, uint8_t type, int32_t price);
  // The days of the history and the market's date, each a function of the seed and its own date.
  void makeHistory(Security& s);
  // An index's or board's minutes from its members' minutes of the session they show.
  void boardDay(Security& b);
  // An index's or board's days from its members' days, chained day after day.
  void boardHistory(Security& b);
  int32_t membersPrice(const Security& s) const;
  void recompute(Security& s);
  // The news and signals listed at the clock.
  void stampNews();
  // The news of one trading day, oldest first.
  std::vector<NewsItem> newsOf(int32_t date) const;
  // Puts the last session in place of today's before the open (and back from the open), making
  // its minutes when first shown; whether the minutes shown changed.
  // `shown`: -1 the last session, 0 the market date's, 1 the next trading day's.
  bool showSession(Security& s, int shown);
  // Trading minutes of the shown session elapsed at the clock (at least 1).
  int elapsed(const Security& s) const;
  // The clock in the security's own time of day, which its sessions are given in: the market's
  // (Beijing) minute, for United States shares New York's, twelve or thirteen hours earlier
  // (negative when it is still the day before there).
  int localMinute(const Security& s) const;
  // Puts a day's minute points in place of the security's minutes.
  static void takeMinutes(Security& s, const std::vector<tagLocalTrendData>& pts,
                          const DayBar& before);
  // A security's closes and previous closes on the trading days numbered from `from` to `to`.
  struct Closes {
    int64_t from = 0;
    std::vector<int32_t> close, ref;
  };
  static Closes closesOf(const Security& s, int64_t from, int64_t to);
  // The minute `i` of the shown session as its trades take it; `low` and `high` the day's range
  // up to it.
  TapeMinute tapeMinute(const Security& s, int i, int32_t low, int32_t high) const;
  // The shown session's trades of its first `n` minutes, summed.
  const TapeTotals& tapeTotals(const Security& s, int n) const;
  // The figures after each of the first `n` minutes; unless `everyMinute`, only those after the
  // last of them (one entry).
  std::vector<MinuteFigures> figures(const Security& s, int n, bool everyMinute = true) const;
  void recomputeAggregate(Security& s);
  DayBar todayBar(const Security& s) const;
  // The main-force amounts bought and sold after each of a day's minutes (`pts`: its prices,
  // volumes and amounts as the day is played), as the quote of that minute gives them: the
  // minutes' trades summed. `ref`: the day's previous close.
  std::vector<std::array<int64_t, 2>> mainAfterEachMinute(const Security& s, int32_t date,
                                                          int32_t ref, const int32_t* path,
                                                          const int64_t* volume,
                                                          const int64_t* amount, int n) const;
  // The same of a past day's minute points (their amounts in the trend's steps first).
  std::vector<std::array<int64_t, 2>> mainAfterEachMinute(
      const Security& s, const DayBar& day, const std::vector<tagLocalTrendData>& pts) const;
  // Every minute of a past day, agreeing with its bar and, for futures, running from the open
  // interest of the day before (`before`) to the bar's.
  std::vector<tagLocalTrendData> dayPoints(const Security& s, const DayBar& day,
                                           const DayBar& before) const;
  // The same into `pts` (its room used again).
  void dayPoints(const Security& s, const DayBar& day, const DayBar& before,
                 std::vector<tagLocalTrendData>& pts) const;
  // A past day's prices minute by minute, as dayPoints gives them.
  std::vector<int32_t> dayPrices(const Security& s, const DayBar& day) const;
  // An index's or board's past day (the `k`-th of its history) made of its members' minutes of
  // that day as boardDay makes the day played: its minute points, or only their prices. Empty
  // when a member has no such day.
  std::vector<tagLocalTrendData> membersPastDay(const Security& b, size_t k, bool pricesOnly) const;
  // The `k`-th day of a security's history; an index's or board's extremes are those its
  // members' minutes reached that day, and (`mainForce`) its main force its trades'.
  DayBar pastBar(const Security& s, size_t k, bool mainForce) const;
  // The hashes of all that the `k`-th day of a security's history played again (`withTrades`:
  // with its trades, else its prices alone) follows from.
  std::pair<uint64_t, uint64_t> playedDayKey(const Security& s, size_t k, bool withTrades) const;
  // The minutes of the `k`-th day of a security's history.
  std::vector<tagLocalTrendData> pastPoints(const Security& s, size_t k) const;
  // The `span`-minute bars of the `k`-th day of a security's history, kept once made.
  const std::vector<DayBar>& pastMinuteBars(const Security& s, size_t k, int span) const;
  // Forgets every security's kept minute bars (an index's are made of its members' days) and
  // the members' days kept.
  void dropMinuteBars();
  // A member's past day as its indices and boards take it: its prices, volumes and amounts in
  // the trend's steps minute by minute.
  struct MemberDay {
    std::vector<int32_t> path;
    std::vector<int64_t> volume, amount;
  };
  // The member's day (`day`, the bar of its history at `at`), kept once made: an index and the
  // boards a share belongs to each reach back over the same days of it.
  const MemberDay& memberDay(int member, std::vector<DayBar>::const_iterator at) const;

  uint64_t seed_;
  int32_t date_;
  int minute_;
  bool closed_;
  std::vector<Security> secs_;
  std::vector<SeatRange> seats_;
  std::vector<NewsItem> newsDue_;  // what news() lists
  // What radar() lists, made when first asked for at a minute (it looks into the days' trades).
  mutable std::vector<RadarItem> radarDue_;
  mutable bool radarMade_ = false;
  mutable std::map<int32_t, std::vector<RadarItem>> radarDays_;
  // The securities news and signals are made of: those seeded before the boards.
  size_t seeded_ = 0;
  std::vector<std::pair<int32_t, std::string>> sections_;
  std::vector<std::pair<std::string, std::vector<int>>> addedBoards_;
  // Members' past days made for their indices and boards, by security and date: a bounded few
  // (all forgotten when full; the week and month bars of an index reach back over every day).
  mutable std::map<std::pair<int, uint32_t>, MemberDay> memberDays_;
  // While the market is built: the members' closes the indices and boards chain theirs from.
  std::vector<Closes> memberCloses_;
  // Room for the minutes of a session shown, used again by each security in turn.
  std::vector<tagLocalTrendData> sessionPoints_;
  // The history's trading days and the market's date, oldest first.
  std::vector<int32_t> dates_;
};

// Random numbers of a stream named by a key and an index: the same pair gives the same value.
uint64_t Mix(uint64_t key, uint64_t index);
// Uniform in [0, 1).
double Unit(uint64_t key, uint64_t index);

// Calendar helpers on yyyymmdd dates.
int32_t AddDays(int32_t date, int days);
int WeekDay(int32_t date);  // 0 Sunday .. 6 Saturday
// The trading day (Monday to Friday) `days` trading days before `date` (a Monday's one before is
// the Friday); 0 gives `date` itself.
int32_t TradingDaysBefore(int32_t date, int days);
// Each trading day's own number, one more than the trading day's before it (a weekend's date has
// the following Monday's).
int64_t TradingOrdinal(int32_t date);
// The first trading day after `date`.
int32_t NextTradingDay(int32_t date);
// The time of day (hhmmss) of a minute of Shanghai's trading day (0 the open, 240 the close).
int32_t SessionMinuteTime(int index);

}  // namespace testserver
