// The minute store and the tick list of the stock on show. Pushes write them on the network
// thread while the screens read them on the main thread, so both are guarded by a lock and
// readers get whole copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "core/ChartData.h"

class CTrendStore {
 public:
  CTrendStore();
  virtual ~CTrendStore() = default;
  CTrendStore(const CTrendStore&) = delete;
  CTrendStore& operator=(const CTrendStore&) = delete;

  // Names the stock whose pushes extend the store and empties it.
  void SetStock(uint8_t market, const char* code);
  void Clear();

  // Replaces the points by a trend reply for the stored stock (see AnalyTrendData).
  int LoadReply(const uint8_t* body, size_t len, const tagLocalStockData& rec, int recordCount);

  // A pushed quote of the stored stock moves the minute point of its time. 1 when the record is
  // the store's stock, else 0.
  int UpdateFromQuote(const tagLocalStockData& fresh, const tagLocalStockData& previous);

  // Copies min(count, capacity) points; returns the count. market and code (12 bytes) take
  // the stock the points belong to when given.
  int CopyPoints(tagLocalTrendData* out, int capacity, uint8_t* market = nullptr,
                 char* code = nullptr) const;
  int GetCount() const;

 private:
  mutable std::mutex mutex_;
  tagLocalTrendData points_[kTrendCapacity];
  int count_ = 0;
  char code_[12] = {};
  uint8_t market_ = 0;
};

class CTickList {
 public:
  CTickList();
  virtual ~CTickList() = default;
  CTickList(const CTickList&) = delete;
  CTickList& operator=(const CTickList&) = delete;

  void SetStock(uint8_t market, const char* code);
  void Clear();

  // Appends the trade a pushed quote implies (oldest dropped at 20). 1 when appended.
  int Push(const tagLocalStockData& fresh, const tagLocalStockData& previous);

  // Copies min(count, capacity) trades, oldest first; returns the count.
  int CopyTicks(tagLocalDealData* out, int capacity, uint8_t* market = nullptr,
                char* code = nullptr) const;
  int GetCount() const;

 private:
  mutable std::mutex mutex_;
  tagLocalDealData ticks_[kTickCapacity];
  int count_ = 0;
  char code_[12] = {};
  uint8_t market_ = 0;
};

// The process-wide stores.
CTrendStore& GetTrendStore();
CTickList& GetTickList();

int UpdateTrendFromQuote(CTrendStore& store, const tagLocalStockData& fresh,
                         const tagLocalStockData& previous);
int PushTick(CTickList& list, const tagLocalStockData& fresh, const tagLocalStockData& previous);
