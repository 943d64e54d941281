// The process-wide cache of the 300 most recently used quote records, merged from every quote
// reply and push and read back by the screens. Merges run on the network thread and reads on
// the main thread: every operation takes the cache's lock and readers get whole copies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "core/StockData.h"

class CTrendStore;
class CTickList;

// One Hong Kong broker seat range.
struct tagHKSeat {
  uint32_t reserved;
  int32_t from;
  int32_t to;
  char shortName[20];  // UTF-8, NUL-terminated
  char fullName[80];   // UTF-8, NUL-terminated
};

class CQuoteCache {
 public:
  static constexpr int kCapacity = 300;
  static constexpr int kPinned = 3;  // the index records, never replaced
  static constexpr int kSeatCapacity = 200;
  static constexpr size_t kListHead = 9;
  static constexpr size_t kListHead55 = 55;
  static constexpr size_t kSearchItemSize = 26;
  static constexpr size_t kSearchHitItemSize = 42;

  // Use stamps come from NextGeneration unless a source is given (tests).
  using StampSource = std::function<uint32_t()>;
  explicit CQuoteCache(StampSource stamps = {});
  virtual ~CQuoteCache() = default;
  CQuoteCache(const CQuoteCache&) = delete;
  CQuoteCache& operator=(const CQuoteCache&) = delete;

  // Empties the cache and creates the three index records.
  void Init();

  // A new login of the quote connection: what it answers is the market as the server holds it
  // now. A late answer can only come on the connection that asked, so the guard against older
  // figures holds within a session; across one the server's word is taken even where it is of
  // an earlier minute (a server started again over a market it plays anew).
  void NewSession();

  // Merges one wire record under the given stamp. Returns its wire length, or -1/-2 when it
  // does not decode (nothing stored).
  int UpdateQuoteRecord(const uint8_t* ids, size_t idCount, const uint8_t* src, size_t len,
                        uint32_t stamp, tagLocalStockData* out = nullptr,
                        tagLocalStockData* previous = nullptr);

  // Push of child type 12. Returns the bytes used by the records merged, -1 for a bad head.
  int UpdateQuotes(const uint8_t* body, size_t len);
  // Sort replies (9-byte head) and board sort replies (55-byte head). Merges at most maxItems
  // records, writes one code item per record and the head with its record count set to the
  // records taken. Returns that count, -1 for a head that does not fit.
  int ParseListReply(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                     uint8_t* head);
  int ParseListReply55(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                       uint8_t* head);
  // One-record reply or push of child type 10. Returns the record's wire length or -1/-2;
  // rise as MergeLocked's.
  int MergeOne(const uint8_t* body, size_t len, tagLocalStockData* out = nullptr,
               tagLocalStockData* previous = nullptr, int64_t* rise = nullptr);
  // A pushed child-type-10 quote: merged, and when its volume rose handed to the minute store
  // and the tick list.
  void PushQuote(const uint8_t* body, size_t len, CTrendStore& trend, CTickList& ticks);
  // Brief pushes of child types 22 and 23.
  void PushBrief(const uint8_t* body, size_t len);
  void PushIndexBrief(const uint8_t* body, size_t len);

  // Copy-out readers. A miss gives a zeroed record holding only market and code.
  int GetQuote(tagLocalStockData& out, uint8_t market, const char* code);
  // The ticker's read: GetQuote with the latest brief's figures (最新, 涨跌, close, amount) laid
  // over a record that kept its own minute's (see BriefLocked). 1 when either is held.
  int GetTickerQuote(tagLocalStockData& out, uint8_t market, const char* code);
  int GetQuotes(tagLocalStockData* out, const tagCodeItem* items, int count);
  int GetCount() const;

  // Search hit: market at 0, code char[8] at 1, stock type at 9, name UTF-16 units at 10: 8 in a
  // 26-byte item, 16 in a 42-byte hit.
  void AddSearchedStock(const uint8_t* item, size_t len);

  // Seat table of the Hong Kong broker queue. The reply is a record table whose first record
  // holds 22 from, 23 to, 24 short name, 25 full name; 1 when it was taken.
  int UpdateHKJJSInfo(const uint8_t* body, size_t len);
  void AddHKSeat(int32_t from, int32_t to, const char* shortName, const char* fullName);
  int FindHKJJSName(const char* seat, tagHKSeat* out) const;
  int GetSeatCount() const;

 private:
  int FindLocked(uint8_t market, int64_t codeKey) const;
  int LeastRecentLocked() const;
  // Appends or replaces; returns the index. volumeKnown: the record came with its day's volume.
  int PlaceLocked(const tagLocalStockData& rec, bool volumeKnown = false);
  uint32_t BeginReplyLocked();
  // A record made before the one held: of its date, an earlier minute with less traded.
  static bool IsOlderMoment(const tagLocalStockData& fresh, const tagLocalStockData& stored,
                            const uint8_t* ids, size_t idCount);
  // rise: how much the day's volume rose at this merge (0 when it did not, or when the record
  // held no volume to rise from).
  int MergeLocked(const uint8_t* ids, size_t idCount, const uint8_t* src, size_t len,
                  uint32_t stamp, tagLocalStockData* out, tagLocalStockData* previous, int* index,
                  int64_t* rise = nullptr);
  int ParseListLocked(const uint8_t* body, size_t len, size_t headSize, size_t countAt,
                      tagCodeItem* items, int maxItems, uint8_t* head);
  void BriefLocked(const uint8_t* item, const uint8_t* indexCounts);

  // The figures of the latest brief of a security, kept beside its record.
  struct BriefFigures {
    int64_t codeKey = 0;
    uint8_t market = 0;
    uint8_t pricedot = 0;
    int32_t now = 0;
    int32_t yesterday = 0;
    int32_t zd = 0;
    int64_t amount = 0;
    uint32_t stamp = 0;  // 0: the slot is free
  };
  static constexpr int kBriefCapacity = 16;
  void KeepBriefLocked(const tagLocalStockData& brief, int32_t zd, uint32_t stamp);
  void LogSeatsLocked() const;

  mutable std::mutex mutex_;
  StampSource stamps_;
  tagLocalStockData records_[kCapacity];
  // Keys mirrored apart from the records so the lookup scan stays in a few cache lines.
  int64_t keyCode_[kCapacity];
  uint8_t keyMarket_[kCapacity];
  // Whether a record has been given its day's volume (id 6). A record made by a list that did
  // not ask for it holds 0 there, which is no volume to count the latest trade's from.
  bool volumeKnown_[kCapacity];
  // The session each record was last merged in.
  uint32_t sessionOf_[kCapacity];
  uint32_t session_ = 0;
  int count_ = 0;
  uint32_t generation_ = 0;
  BriefFigures briefs_[kBriefCapacity];
  tagHKSeat seats_[kSeatCapacity];
  int seatCount_ = 0;
};

// The process-wide cache (initialised on first use).
CQuoteCache& GetQuoteCache();

// The same operations on the process-wide cache.
void QuoteCache_Init();
void QuoteCache_NewSession();
int UpdateQuotes(const uint8_t* body, size_t len);
int QuoteCache_ParseListReply(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                              uint8_t* head);
int QuoteCache_ParseListReply55(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                                uint8_t* head);
int QuoteCache_MergeOne(const uint8_t* body, size_t len, tagLocalStockData* out = nullptr,
                        tagLocalStockData* previous = nullptr);
void PushQuote(const uint8_t* body, size_t len);  // with GetTrendStore() and GetTickList()
void QuoteCache_PushBrief(const uint8_t* body, size_t len);
void QuoteCache_PushIndexBrief(const uint8_t* body, size_t len);
int QuoteCache_GetQuote(tagLocalStockData& out, uint8_t market, const char* code);
int QuoteCache_GetQuotes(tagLocalStockData* out, const tagCodeItem* items, int count);
int QuoteCache_GetTickerQuote(tagLocalStockData& out, uint8_t market, const char* code);
void QuoteCache_AddSearchedStock(const uint8_t* item, size_t len);
int UpdateHKJJSInfo(const uint8_t* body, size_t len);
int FindHKJJSName(const char* seat, tagHKSeat* out);

// Run on a record after every merge: P/E, turnover, volume ratio and the empty marks.
void CalcQuoteDerived(tagLocalStockData& rec);
// Wire prices of the listed ids to 1/10000; the volume-ratio basis to per minute.
void ScaleQuoteFields(tagLocalStockData& rec, const uint8_t* ids, size_t idCount);
