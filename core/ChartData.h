// Chart data of one stock: minute points, trades, K-line bars and ex-rights events; the
// session-minute arithmetic; and the parsers of the trend, K-line and ex-rights replies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/StockData.h"

// One minute point of the intraday trend.
struct tagLocalTrendData {
  int32_t time;  // minute of the day; above 1440 for a session past midnight
  int32_t now;
  int32_t average;
  int64_t volume;  // within the minute
  int64_t amount;  // within the minute
  int32_t lb;
  int64_t WBZL;
  int64_t WSZL;
  int64_t ZLZJL;
  int32_t LJZLDX;
  int32_t BUY_CASH_SPEED;
  int32_t SELL_CASH_SPEED;
  int64_t ccl;
  int64_t kc;
  int64_t pc;
  uint8_t flag;
  int16_t hlz;
};

#pragma pack(push, 1)
// One trade.
struct tagLocalDealData {
  int16_t time;  // minute of the day
  int32_t price;
  int32_t volume;  // lots
  char inoutflag;  // 0 above the mid price, 1 below, 2 at it
};

// One futures trade.
struct tagLocalQHFenBiData {
  int16_t time;
  int32_t price;
  int32_t volume;
  char inoutflag;
  int32_t cc;  // change of open interest
  char ccxz;   // nature of the trade
};
#pragma pack(pop)
static_assert(sizeof(tagLocalDealData) == 11);
static_assert(sizeof(tagLocalQHFenBiData) == 16);

struct tagLocalKDataGold {
  int32_t ZLCC;
  int32_t ZLDX;
  int32_t ZLHYD;
  int32_t MMQ;
};

// One K-line bar.
struct tagLocalKData {
  union {
    uint32_t Date;
    tagDateMin DateMin;  // minute periods
  };
  int32_t open;
  int32_t high;
  int32_t low;
  int32_t close;
  int64_t volume;
  int64_t amount;
  int64_t ccl;
  int32_t jsj;  // settlement price
  uint8_t flag;
  int8_t qrbzflag;
  tagLocalKDataGold GoldData;
  int32_t qxflag;
};

// One ex-rights event.
struct tagLocalWeightData {
  int32_t date;
  int32_t sgs;
  int32_t pgs;
  int32_t pgj;
  int32_t hl;
  int32_t zgs;
  int64_t zgb;
  int64_t ltgb;
};

// One point of a watch-list mini trend line.
struct tagLocalMiniTData {
  int32_t now;
};

inline constexpr int kTrendCapacity = 1450;
inline constexpr int kKLineCapacity = 400;
inline constexpr int kWeightCapacity = 200;
inline constexpr int kTickCapacity = 20;

// Whether an event changes the share count (only those count when picking ltgb at a date).
bool HasWeightChange(const tagLocalWeightData& w);

// Session-minute arithmetic over the record's tradetime pairs.
int GetTradeMinutes(const tagLocalStockData& rec);
// 0 inside a session (index = its 1-based point), -1 outside (index = the nearest point).
int FindTradeMinuteSlot(const tagLocalStockData& rec, int minute, int* index);
int TradeMinuteToIndex(const tagLocalStockData& rec, int minute);
int IndexToTradeMinute(const tagLocalStockData& rec, int index);
// Whether the trading day opens with a session on the evening before (a futures night session
// first, its later periods stored a day on): its clock minutes before that open lie on the day
// after it.
bool DayOpensTheEveningBefore(const tagLocalStockData& rec);

// Trend reply (field list first). Writes points[0..capacity) and returns the points in use.
// Decoding stops at a field that does not fit or an unknown id; points of the records decoded
// before it stay.
int AnalyTrendData(const uint8_t* body, size_t len, const tagLocalStockData& rec, int recordCount,
                   tagLocalTrendData* points, int capacity);

// Zero values of later points take the previous point's; point 0 starts from yesterday.
void FillTrendGaps(const tagLocalStockData& rec, tagLocalTrendData* points, int count);

// K-line reply (field list first). Returns the bars fully decoded (at most min(recordCount,
// capacity)); members whose ids are absent keep what bars held; a bar cut short is not written.
int Analy_15(const uint8_t* body, size_t len, const tagLocalStockData& rec, int recordCount,
             tagLocalKData* bars, int capacity);

// Ex-rights records with their field list given apart. Returns the events fully decoded.
int ParseFieldRecords(const uint8_t* records, size_t len, int recordCount,
                      tagLocalWeightData* events, int capacity, const uint8_t* ids, size_t idCount);
