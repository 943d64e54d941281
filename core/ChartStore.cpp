#include "core/ChartStore.h"

#include <algorithm>
#include <cstring>

namespace {

void StoreCode(char (&dst)[12], const char* code) {
  std::memset(dst, 0, sizeof dst);
  if (code) std::strncpy(dst, code, sizeof dst - 1);
}

bool SameStock(uint8_t market, const char (&code)[12], const tagLocalStockData& rec) {
  return rec.market == market && std::strncmp(code, rec.code, sizeof rec.code) == 0;
}

int MinuteOfDay(const tagLocalStockData& rec) {
  return static_cast<int>(rec.datetime.Hour) * 60 + static_cast<int>(rec.datetime.Minute);
}

// Order speed of one side: MainAmount scaled to a 240-minute day.
int32_t CashSpeed(int64_t mainAmount, int64_t avr5, int idx) {
  const double basis = static_cast<double>(avr5) * idx;
  if (!(basis > 0)) return 0;
  return ClampToInt32(static_cast<double>(mainAmount) * 100.0 / basis * 240.0 + 0.5);
}

void CopyStock(uint8_t m, const char (&c)[12], uint8_t* market, char* code) {
  if (market) *market = m;
  if (code) std::memcpy(code, c, sizeof c);
}

}  // namespace

CTrendStore::CTrendStore() {
  std::memset(points_, 0, sizeof points_);
}

void CTrendStore::SetStock(uint8_t market, const char* code) {
  std::lock_guard<std::mutex> lock(mutex_);
  market_ = market;
  StoreCode(code_, code);
  std::memset(points_, 0, sizeof points_);
  count_ = 0;
}

void CTrendStore::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::memset(points_, 0, sizeof points_);
  count_ = 0;
}

int CTrendStore::LoadReply(const uint8_t* body, size_t len, const tagLocalStockData& rec,
                           int recordCount) {
  std::lock_guard<std::mutex> lock(mutex_);
  count_ = AnalyTrendData(body, len, rec, recordCount, points_, kTrendCapacity);
  return count_;
}

int CTrendStore::UpdateFromQuote(const tagLocalStockData& fresh,
                                 const tagLocalStockData& previous) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!SameStock(market_, code_, fresh)) return 0;
  const int idx = TradeMinuteToIndex(fresh, MinuteOfDay(fresh));
  // The index comes from the pushed sessions, which may be anything: never write past the store.
  if (idx < 1 || idx > kTrendCapacity) {
    count_ = 0;
  } else {
    tagLocalTrendData& p = points_[idx - 1];
    // idx is the point's 1-based place; the minute of a place counts from 0.
    p.time = IndexToTradeMinute(fresh, idx - 1);
    p.now = fresh.now;
    p.amount = WrapAdd64(p.amount, PositiveDelta64(fresh.amount, previous.amount));
    p.average = fresh.average;
    p.lb = fresh.lb;
    p.volume = WrapAdd64(p.volume, PositiveDelta64(fresh.volume, previous.volume));
    p.ZLZJL = WrapSub64(fresh.MainAmount[0], fresh.MainAmount[1]);
    p.LJZLDX = fresh.ZLZJ;
    p.BUY_CASH_SPEED = CashSpeed(fresh.MainAmount[0], fresh.BuyAvr5, idx);
    p.SELL_CASH_SPEED = CashSpeed(fresh.MainAmount[1], fresh.SellAvr5, idx);
    p.WBZL = fresh.DelegateBuySellInfo[0].volume;
    p.WSZL = fresh.DelegateBuySellInfo[1].volume;
    count_ = idx;
  }
  std::memset(static_cast<void*>(points_ + count_), 0,
              sizeof(tagLocalTrendData) * static_cast<size_t>(kTrendCapacity - count_));
  FillTrendGaps(fresh, points_, count_);
  return 1;
}

int CTrendStore::CopyPoints(tagLocalTrendData* out, int capacity, uint8_t* market,
                            char* code) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (out && capacity > 0) {
    std::memcpy(static_cast<void*>(out), points_,
                sizeof(tagLocalTrendData) * static_cast<size_t>(std::min(count_, capacity)));
  }
  CopyStock(market_, code_, market, code);
  return count_;
}

int CTrendStore::GetCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

CTickList::CTickList() {
  std::memset(ticks_, 0, sizeof ticks_);
}

void CTickList::SetStock(uint8_t market, const char* code) {
  std::lock_guard<std::mutex> lock(mutex_);
  market_ = market;
  StoreCode(code_, code);
  std::memset(ticks_, 0, sizeof ticks_);
  count_ = 0;
}

void CTickList::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::memset(ticks_, 0, sizeof ticks_);
  count_ = 0;
}

int CTickList::Push(const tagLocalStockData& fresh, const tagLocalStockData& previous) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!SameStock(market_, code_, fresh)) return 0;
  tagLocalDealData t;
  t.time = static_cast<int16_t>(MinuteOfDay(fresh));
  t.price = fresh.now;
  const int64_t u = fresh.unit ? fresh.unit : 1;
  t.volume = static_cast<int32_t>(WrapAdd64(WrapSub64(fresh.volume, previous.volume), u / 2) / u);
  const int64_t bid = fresh.buysell10.buy[0].price;
  const int64_t ask = fresh.buysell10.sell[0].price;
  const int64_t mid = bid == 0 ? ask - 1 : (ask != 0 ? (bid + ask) / 2 : bid + 1);
  t.inoutflag = t.price > mid ? 0 : (t.price == mid ? 2 : 1);
  if (count_ == kTickCapacity) {
    std::memmove(ticks_, ticks_ + 1, sizeof(tagLocalDealData) * (kTickCapacity - 1));
    --count_;
  }
  ticks_[count_++] = t;
  return 1;
}

int CTickList::CopyTicks(tagLocalDealData* out, int capacity, uint8_t* market, char* code) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (out && capacity > 0) {
    std::memcpy(out, ticks_,
                sizeof(tagLocalDealData) * static_cast<size_t>(std::min(count_, capacity)));
  }
  CopyStock(market_, code_, market, code);
  return count_;
}

int CTickList::GetCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

CTrendStore& GetTrendStore() {
  static CTrendStore store;
  return store;
}

CTickList& GetTickList() {
  static CTickList list;
  return list;
}

int UpdateTrendFromQuote(CTrendStore& store, const tagLocalStockData& fresh,
                         const tagLocalStockData& previous) {
  return store.UpdateFromQuote(fresh, previous);
}

int PushTick(CTickList& list, const tagLocalStockData& fresh, const tagLocalStockData& previous) {
  return list.Push(fresh, previous);
}
