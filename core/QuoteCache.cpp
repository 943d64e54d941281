#include "core/QuoteCache.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/ByteOrder.h"
#include "core/ChartData.h"
#include "core/ValueMath.h"
#include "core/ChartStore.h"
#include "core/CoreText.h"
#include "core/MDBF.h"
#include "core/QuoteField.h"
#include "core/QuoteFieldTable.h"
#include "core/QuoteFormat.h"
#include "core/QuoteMoment.h"
#include "platform/foundation/Log.h"

namespace {

constexpr size_t kBriefItem = 27;
constexpr size_t kIndexBriefItem = 33;

void CopyCodeBytes(tagLocalStockData& rec, const uint8_t* p) {
  char code[9] = {};
  for (size_t i = 0; i < 8 && p[i]; ++i) code[i] = static_cast<char>(p[i]);
  SetRecordCode(rec, code);
}

// UTF-8 copy cut to size - 1 bytes, never inside a character.
void CopyText(char* dst, size_t size, const char* src) {
  std::memset(dst, 0, size);
  if (!src) return;
  size_t n = strnlen(src, size);
  if (n >= size) {
    n = size - 1;
    while (n > 0 && (static_cast<uint8_t>(src[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(dst, src, n);
}

}  // namespace

CQuoteCache::CQuoteCache(StampSource stamps) : stamps_(std::move(stamps)) {
  if (!stamps_) stamps_ = [] { return NextGeneration(); };
  Init();
}

void CQuoteCache::Init() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::memset(static_cast<void*>(records_), 0, sizeof records_);
  std::memset(keyCode_, 0, sizeof keyCode_);
  std::memset(keyMarket_, 0, sizeof keyMarket_);
  std::memset(volumeKnown_, 0, sizeof volumeKnown_);
  std::memset(sessionOf_, 0, sizeof sessionOf_);
  session_ = 0;
  for (BriefFigures& b : briefs_) b = BriefFigures{};
  std::memset(static_cast<void*>(seats_), 0, sizeof seats_);
  static const struct {
    uint8_t market;
    const char* code;
  } kIndexes[kPinned] = {{1, "000001"}, {2, "399001"}, {3, "999999"}};
  for (int i = 0; i < kPinned; ++i) {
    records_[i].market = kIndexes[i].market;
    SetRecordCode(records_[i], kIndexes[i].code);
    keyMarket_[i] = records_[i].market;
    keyCode_[i] = RecordCodeKey(records_[i]);
  }
  count_ = kPinned;
  generation_ = 0;
  seatCount_ = 0;
}

void CQuoteCache::NewSession() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++session_;
}

int CQuoteCache::FindLocked(uint8_t market, int64_t codeKey) const {
  for (int i = 0; i < count_; ++i) {
    if (keyCode_[i] == codeKey && keyMarket_[i] == market) return i;
  }
  return -1;
}

int CQuoteCache::LeastRecentLocked() const {
  int best = kPinned;
  uint32_t lowest = 0xFFFFFFFFu;
  for (int i = kPinned; i < count_; ++i) {
    if (records_[i].tickcount < lowest) {
      lowest = records_[i].tickcount;
      best = i;
    }
  }
  return best;
}

int CQuoteCache::PlaceLocked(const tagLocalStockData& rec, bool volumeKnown) {
  const int i = count_ < kCapacity ? count_++ : LeastRecentLocked();
  records_[i] = rec;
  keyMarket_[i] = rec.market;
  keyCode_[i] = RecordCodeKey(rec);
  volumeKnown_[i] = volumeKnown;
  sessionOf_[i] = session_;
  return i;
}

uint32_t CQuoteCache::BeginReplyLocked() {
  const uint32_t stamp = stamps_();
  if (stamp < generation_) {
    // The counter wrapped: every stored stamp would look newer than the new ones.
    std::memset(static_cast<void*>(records_), 0, sizeof records_);
    std::memset(keyCode_, 0, sizeof keyCode_);
    std::memset(keyMarket_, 0, sizeof keyMarket_);
    std::memset(volumeKnown_, 0, sizeof volumeKnown_);
    count_ = 0;
  }
  generation_ = stamp;
  return stamp;
}

namespace {

bool Carries(const uint8_t* ids, size_t idCount, uint8_t id) {
  return ids && std::find(ids, ids + idCount, id) != ids + idCount;
}

}  // namespace

bool CQuoteCache::IsOlderMoment(const tagLocalStockData& fresh, const tagLocalStockData& stored,
                                const uint8_t* ids, size_t idCount) {
  // Only a record that names its minute (21) and the day's volume (6) can be told older: of the
  // same date, an earlier minute and less traded. (A night session's first minutes may carry the
  // date of the day before or after them, and its volume starts anew: either alone would
  // misjudge them.)
  if (!Carries(ids, idCount, 21) || !Carries(ids, idCount, 6)) return false;
  const tagDateMin& a = fresh.datetime;
  const tagDateMin& b = stored.datetime;
  if (a.Year != b.Year || a.Month != b.Month || a.Day != b.Day || b.Year == 0) return false;
  const unsigned minuteA = a.Hour * 60u + a.Minute, minuteB = b.Hour * 60u + b.Minute;
  if (vmath::IsMark(fresh.volume) || vmath::IsMark(stored.volume)) return false;
  return minuteA < minuteB && fresh.volume < stored.volume;
}

int CQuoteCache::MergeLocked(const uint8_t* ids, size_t idCount, const uint8_t* src, size_t len,
                             uint32_t stamp, tagLocalStockData* out, tagLocalStockData* previous,
                             int* index, int64_t* rise) {
  tagLocalStockData fresh = MakeEmptyStockData();
  const int wire = DecodeQuoteRecord(ids, idCount, src, len, fresh);
  if (previous) *previous = MakeEmptyStockData();
  if (rise) *rise = 0;
  if (wire < 0) return wire;  // a cut or misaligned record is never stored
  const bool givesVolume = Carries(ids, idCount, 6);

  int i = FindLocked(fresh.market, RecordCodeKey(fresh));
  const bool rewound = i >= 0 && IsOlderMoment(fresh, records_[i], ids, idCount);
  if (rewound && sessionOf_[i] == session_) {
    // A late answer (one the server made minutes ago and sent only now): its figures are of an
    // earlier moment than those held, and merged over them they would contradict the rest (an
    // older 总量 beside newer 外盘 and 内盘). The record stays as it is.
    tagLocalStockData& stored = records_[i];
    if (previous) *previous = stored;
    stored.tickcount = stamp;
    if (out) *out = stored;
    if (index) *index = i;
    return wire;
  }
  tagLocalStockData before{};
  const bool held = i >= 0;
  if (held) {
    tagLocalStockData& stored = records_[i];
    before = stored;
    if (previous) *previous = stored;
    // The latest trade is what the day's volume rose by since the volume held; a record that
    // held none (its lists asked for other figures) has no rise to tell, and the day's whole
    // volume is not one trade's.
    const int64_t risen = givesVolume && volumeKnown_[i] && !rewound
                              ? PositiveDelta64(fresh.volume, stored.volume)
                              : 0;
    // A new session's market behind the one held: the latest trade held is of another day's
    // course, and this answer tells none unless it carries its own.
    if (rewound) stored.realvol = vmath::kEmpty64;
    // An answer that moves the volume without its own 现量 leaves the one held of an older
    // minute: it takes the rise only where the rise is the latest trade, else none is known.
    if (risen > 0)
      stored.realvol = Carries(ids, idCount, 8) || RiseIsLatestTrade(fresh, stored, ids, idCount)
                           ? risen
                           : vmath::kEmpty64;
    if (rise) *rise = risen;
    MergeQuoteRecord(stored, fresh, ids, idCount);
    volumeKnown_[i] = volumeKnown_[i] || givesVolume;
    sessionOf_[i] = session_;
  } else {
    i = PlaceLocked(fresh, givesVolume);
  }
  tagLocalStockData& stored = records_[i];
  ScaleQuoteFields(stored, ids, idCount);
  // Fields of a group this answer moved in part are of another minute now.
  if (held) {
    KeepOneMoment(stored, before, ids, idCount);
  } else {
    KeepOneMomentOfFirst(stored, ids, idCount);
  }
  CalcQuoteDerived(stored);
  stored.tickcount = stamp;
  if (out) *out = stored;
  if (index) *index = i;
  return wire;
}

int CQuoteCache::UpdateQuoteRecord(const uint8_t* ids, size_t idCount, const uint8_t* src,
                                   size_t len, uint32_t stamp, tagLocalStockData* out,
                                   tagLocalStockData* previous) {
  std::lock_guard<std::mutex> lock(mutex_);
  return MergeLocked(ids, idCount, src, len, stamp, out, previous, nullptr);
}

int CQuoteCache::UpdateQuotes(const uint8_t* body, size_t len) {
  if (!body || len < 3 || len - 3 < body[2]) {
    foundation::logError("quote push: head does not fit in %zu bytes", len);
    return -1;
  }
  const int count = ReadLE16(body);
  const size_t idCount = body[2];
  const uint8_t* ids = body + 3;
  size_t off = 3 + idCount;
  std::lock_guard<std::mutex> lock(mutex_);
  const uint32_t stamp = BeginReplyLocked();
  for (int r = 0; r < count && idCount > 0; ++r) {
    const int wire =
        MergeLocked(ids, idCount, body + off, len - off, stamp, nullptr, nullptr, nullptr);
    if (wire < 0) {
      if (wire == -2) foundation::logError("quote push cut short after %d of %d records", r, count);
      break;
    }
    off += static_cast<size_t>(wire);
  }
  return static_cast<int>(off);
}

int CQuoteCache::ParseListLocked(const uint8_t* body, size_t len, size_t headSize, size_t countAt,
                                 tagCodeItem* items, int maxItems, uint8_t* head) {
  if (head) std::memset(head, 0, headSize);
  if (!body || len < headSize + 1 || len - headSize - 1 < body[headSize]) {
    foundation::logError("list reply: head does not fit in %zu bytes", len);
    return -1;
  }
  if (head) std::memcpy(head, body, headSize);
  const int announced = ReadLE16(body + countAt);
  const size_t idCount = body[headSize];
  // Records without fields would all land on one empty key.
  const int limit = idCount == 0 ? 0 : announced;
  const uint8_t* ids = body + headSize + 1;
  size_t off = headSize + 1 + idCount;
  const int take = std::min(limit, std::max(maxItems, 0));

  const uint32_t stamp = BeginReplyLocked();
  int done = 0;
  for (; done < take; ++done) {
    int i = -1;
    const int wire = MergeLocked(ids, idCount, body + off, len - off, stamp, nullptr, nullptr, &i);
    if (wire < 0) {
      if (wire == -2) {
        foundation::logError("list reply cut short after %d of %d records", done, announced);
      }
      break;
    }
    off += static_cast<size_t>(wire);
    if (items) {
      const tagLocalStockData& stored = records_[i];
      tagCodeItem& item = items[done];
      std::memset(&item, 0, sizeof item);
      std::memcpy(item.code, stored.code, 8);
      item.market = stored.market;
      item.zqlb = stored.zqlb;
    }
  }
  // The count tells the caller how many records were really taken.
  if (head) WriteLE16(head + countAt, static_cast<uint16_t>(done));
  return done;
}

int CQuoteCache::ParseListReply(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                                uint8_t* head) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ParseListLocked(body, len, kListHead, 7, items, maxItems, head);
}

int CQuoteCache::ParseListReply55(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                                  uint8_t* head) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ParseListLocked(body, len, kListHead55, 13, items, maxItems, head);
}

int CQuoteCache::MergeOne(const uint8_t* body, size_t len, tagLocalStockData* out,
                          tagLocalStockData* previous, int64_t* rise) {
  if (!body || len < 1 || len - 1 < body[0]) {
    foundation::logError("quote reply: head does not fit in %zu bytes", len);
    if (previous) *previous = MakeEmptyStockData();
    return -1;
  }
  const size_t idCount = body[0];
  std::lock_guard<std::mutex> lock(mutex_);
  const uint32_t stamp = BeginReplyLocked();
  return MergeLocked(body + 1, idCount, body + 1 + idCount, len - 1 - idCount, stamp, out, previous,
                     nullptr, rise);
}

void CQuoteCache::PushQuote(const uint8_t* body, size_t len, CTrendStore& trend, CTickList& ticks) {
  tagLocalStockData fresh;
  tagLocalStockData previous;
  int64_t rise = 0;
  if (MergeOne(body, len, &fresh, &previous, &rise) < 0) return;
  // Only a rise from a volume held is a trade: a stock's first figures of the day are not.
  if (rise <= 0) return;
  // The cache's lock is released here: the stores have locks of their own.
  trend.UpdateFromQuote(fresh, previous);
  ticks.Push(fresh, previous);
}

void CQuoteCache::BriefLocked(const uint8_t* p, const uint8_t* indexCounts) {
  const uint32_t stamp = stamps_();
  generation_ = stamp;
  tagLocalStockData brief = MakeEmptyStockData();
  brief.market = p[0];
  CopyCodeBytes(brief, p + 1);
  brief.zqlb = p[9];
  brief.pricedot = p[10];
  const int32_t s = PriceDotToScale(brief.pricedot);
  brief.now = WrapMul32(static_cast<int32_t>(ReadLE32(p + 11)), s);
  brief.yesterday = WrapMul32(static_cast<int32_t>(ReadLE32(p + 15)), s);
  brief.amount = static_cast<int64_t>(ReadLE64(p + 19));
  if (indexCounts) {
    brief.index_up = ReadLE16(indexCounts);
    brief.index_same = ReadLE16(indexCounts + 2);
    brief.index_down = ReadLE16(indexCounts + 4);
  }

  const int32_t zd = brief.now >= 1 ? static_cast<int32_t>(static_cast<uint32_t>(brief.now) -
                                                          static_cast<uint32_t>(brief.yesterday))
                                     : 0;
  KeepBriefLocked(brief, zd, stamp);

  int i = FindLocked(brief.market, RecordCodeKey(brief));
  if (i < 0) {
    i = PlaceLocked(brief);
  } else {
    tagLocalStockData& stored = records_[i];
    stored.zqlb = brief.zqlb;
    if (indexCounts) {
      stored.index_up = brief.index_up;
      stored.index_same = brief.index_same;
      stored.index_down = brief.index_down;
    }
    // A brief names no minute: laid over a record that names its own, the record would claim
    // that minute for 最新 and 涨跌 of another (a push of the next minute, or a late answer of an
    // earlier one), and a list row and the detail screen would show two prices for one minute.
    // Such a record keeps its figures until its own answers or pushes move them; the ticker
    // reads the brief's beside it.
    if (stored.datetime.Year == 0) {
      stored.yesterday = brief.yesterday;
      stored.pricedot = brief.pricedot;
      stored.now = brief.now;
      stored.zd = zd;
      stored.amount = brief.amount;
    }
  }
  records_[i].tickcount = stamp;
}

void CQuoteCache::KeepBriefLocked(const tagLocalStockData& brief, int32_t zd, uint32_t stamp) {
  const int64_t key = RecordCodeKey(brief);
  BriefFigures* slot = nullptr;
  for (BriefFigures& b : briefs_) {
    if (b.stamp != 0 && b.codeKey == key && b.market == brief.market) {
      slot = &b;
      break;
    }
    if (!slot || b.stamp < slot->stamp) slot = &b;  // a free slot, or the least recent
  }
  slot->codeKey = key;
  slot->market = brief.market;
  slot->pricedot = brief.pricedot;
  slot->now = brief.now;
  slot->yesterday = brief.yesterday;
  slot->zd = zd;
  slot->amount = brief.amount;
  slot->stamp = stamp == 0 ? 1 : stamp;
}

void CQuoteCache::PushBrief(const uint8_t* body, size_t len) {
  if (!body || len < 2) return;
  const size_t count = std::min<size_t>(ReadLE16(body), (len - 2) / kBriefItem);
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t k = 0; k < count; ++k) BriefLocked(body + 2 + k * kBriefItem, nullptr);
}

void CQuoteCache::PushIndexBrief(const uint8_t* body, size_t len) {
  if (!body || len < 3) return;
  const size_t count = std::min<size_t>(ReadLE16(body + 1), (len - 3) / kIndexBriefItem);
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t k = 0; k < count; ++k) {
    const uint8_t* item = body + 3 + k * kIndexBriefItem;
    BriefLocked(item, item + kBriefItem);
  }
}

int CQuoteCache::GetQuote(tagLocalStockData& out, uint8_t market, const char* code) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int i = FindLocked(market, CodeToKey(code));
  if (i < 0) {
    out = MakeEmptyStockData();
    out.market = market;
    SetRecordCode(out, code);
    return 0;
  }
  const uint32_t stamp = stamps_();
  records_[i].tickcount = stamp;
  if (stamp > generation_) generation_ = stamp;
  out = records_[i];
  return 1;
}

int CQuoteCache::GetTickerQuote(tagLocalStockData& out, uint8_t market, const char* code) {
  int found = GetQuote(out, market, code);
  // A record without a minute took the brief's figures when it came, and only newer ones since.
  if (out.datetime.Year == 0) return found;
  std::lock_guard<std::mutex> lock(mutex_);
  const int64_t key = CodeToKey(code);
  for (const BriefFigures& b : briefs_) {
    if (b.stamp == 0 || b.codeKey != key || b.market != market) continue;
    out.pricedot = b.pricedot;
    out.now = b.now;
    out.yesterday = b.yesterday;
    out.zd = b.zd;
    out.amount = b.amount;
    found = 1;
    break;
  }
  return found;
}

int CQuoteCache::GetQuotes(tagLocalStockData* out, const tagCodeItem* items, int count) {
  if (!out || !items) return 0;
  int found = 0;
  for (int k = 0; k < count; ++k) {
    char code[9];
    std::memcpy(code, items[k].code, 8);
    code[8] = 0;
    found += GetQuote(out[k], items[k].market, code);
  }
  return found;
}

int CQuoteCache::GetCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

void CQuoteCache::AddSearchedStock(const uint8_t* item, size_t len) {
  if (!item || len < kSearchItemSize) return;
  tagLocalStockData rec = MakeEmptyStockData();
  rec.market = item[0];
  CopyCodeBytes(rec, item + 1);
  rec.zqlb = item[9];
  // A 26-byte item carries 8 name units; a 42-byte search hit carries 16.
  const int units = len >= kSearchHitItemSize ? 16 : 8;
  for (int k = 0; k < units; ++k) rec.name[k] = static_cast<char16_t>(ReadLE16(item + 10 + 2 * k));

  std::lock_guard<std::mutex> lock(mutex_);
  const uint32_t stamp = stamps_();
  generation_ = stamp;
  int i = FindLocked(rec.market, RecordCodeKey(rec));
  if (i < 0) {
    i = PlaceLocked(rec);
  } else {
    // A hit without a category must not erase the one a quote reply stored.
    if (rec.zqlb != 0) records_[i].zqlb = rec.zqlb;
    std::memcpy(records_[i].name, rec.name, sizeof rec.name);
  }
  records_[i].tickcount = stamp;
}

void CQuoteCache::AddHKSeat(int32_t from, int32_t to, const char* shortName, const char* fullName) {
  std::lock_guard<std::mutex> lock(mutex_);
  foundation::logInfo("---Start update HKJJSInfo: %d-%d (%s)", from, to,
                      shortName ? shortName : "");
  foundation::logInfo("Before update , there are %d", seatCount_);
  LogSeatsLocked();
  tagHKSeat* target = nullptr;
  for (int k = 0; k < seatCount_; ++k) {
    if (seats_[k].from == from && seats_[k].to == to) target = &seats_[k];
  }
  if (!target) {
    if (seatCount_ == kSeatCapacity) {
      std::memmove(static_cast<void*>(seats_), seats_ + 1, sizeof(tagHKSeat) * (kSeatCapacity - 1));
      --seatCount_;
    }
    target = &seats_[seatCount_++];
    std::memset(static_cast<void*>(target), 0, sizeof *target);
    target->from = from;
    target->to = to;
  }
  CopyText(target->shortName, sizeof target->shortName, shortName);
  CopyText(target->fullName, sizeof target->fullName, fullName);
  foundation::logInfo("After update , there are %d", seatCount_);
  LogSeatsLocked();
}

int CQuoteCache::UpdateHKJJSInfo(const uint8_t* body, size_t len) {
  auto table = std::make_unique<MDBF>();
  if (!body || len > INT32_MAX || table->Parse(body, static_cast<int>(len)) < 0 ||
      table->Seek(0) != 0) {
    foundation::logError("HK seat reply: no record in %zu bytes", len);
    return 0;
  }
  const std::string shortName = table->GetNSString(24);
  const std::string fullName = table->GetNSString(25);
  AddHKSeat(table->GetInt(22), table->GetInt(23), shortName.c_str(), fullName.c_str());
  return 1;
}

void CQuoteCache::LogSeatsLocked() const {
  for (int k = 0; k < seatCount_; ++k) {
    foundation::logVerbose(" HKJJSInfo %d: %d-%d (%s)", k, seats_[k].from, seats_[k].to,
                           seats_[k].shortName);
  }
}

int CQuoteCache::FindHKJJSName(const char* seat, tagHKSeat* out) const {
  if (!seat) return 0;
  const long n = std::strtol(seat, nullptr, 10);
  std::lock_guard<std::mutex> lock(mutex_);
  for (int k = 0; k < seatCount_; ++k) {
    if (seats_[k].from <= n && n <= seats_[k].to) {
      if (out) *out = seats_[k];
      return 1;
    }
  }
  return 0;
}

int CQuoteCache::GetSeatCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seatCount_;
}

void CalcQuoteDerived(tagLocalStockData& rec) {
  if (rec.zqlb != 1 && rec.market != 9 && rec.ycmgsy > 0) {
    rec.syl = ClampToInt32(rec.now * 10000.0 / rec.ycmgsy + 0.5);
  }
  if (rec.ltgb > 0) {
    rec.hsl = CalcRatio64(rec.volume, rec.ltgb);
  } else if (rec.hsl == 0) {
    rec.hsl = kEmptyValue;
  }
  if (rec.volrate > 0.00001) {
    const int minute =
        static_cast<int>(rec.datetime.Hour) * 60 + static_cast<int>(rec.datetime.Minute);
    const double basis = rec.volrate * TradeMinuteToIndex(rec, minute);
    rec.lb =
        basis < 0.00001 ? 0 : ClampToInt32(static_cast<double>(rec.volume) * 10000.0 / basis + 0.5);
  }
  if (rec.lb == 0 && rec.volume == 0) rec.lb = kEmptyValue;
  if (rec.now == 0 && rec.yesterday == 0) rec.syl = kEmptyValue;
}

void ScaleQuoteFields(tagLocalStockData& rec, const uint8_t* ids, size_t idCount) {
  const int32_t s = PriceDotToScale(rec);
  // An id listed twice is scaled once.
  uint64_t seen[4] = {};
  auto test = [&seen](uint8_t id) { return (seen[id >> 6] >> (id & 63)) & 1; };
  // Prices inside packed groups may be unaligned: read and write them as bytes.
  auto scaleAt = [s](uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    v = WrapMul32(v, s);
    std::memcpy(p, &v, 4);
  };
  bool bid1 = false;
  bool ask1 = false;
  int book = 0;  // levels of the book to scale
  for (size_t k = 0; k < idCount; ++k) {
    const uint8_t id = ids[k];
    const QuoteFieldDesc& f = QuoteFieldDescOf(id);
    if (f.scale == QuoteScale::kNone || test(id)) continue;
    seen[id >> 6] |= uint64_t{1} << (id & 63);
    uint8_t* member = reinterpret_cast<uint8_t*>(&rec) + f.member;
    switch (f.scale) {
      case QuoteScale::kPrice:
        scaleAt(member);
        break;
      case QuoteScale::kTwoPrices:
        scaleAt(member);
        scaleAt(member + sizeof(tagPriceVol));
        break;
      case QuoteScale::kSettle:
        scaleAt(member + offsetof(tagJRCCS, jrjsj));
        break;
      case QuoteScale::kPerMinute: {
        const int minutes = GetTradeMinutes(rec);
        if (minutes > 0) rec.volrate /= minutes;
        break;
      }
      // The book is scaled once below, however its ids overlap.
      case QuoteScale::kBid1:
        bid1 = true;
        break;
      case QuoteScale::kAsk1:
        ask1 = true;
        break;
      case QuoteScale::kBook5:
        book = std::max(book, 5);
        break;
      case QuoteScale::kBook10:
        book = 10;
        break;
      case QuoteScale::kNone:
        break;
    }
  }
  for (int l = 0; l < book; ++l) {
    rec.buysell10.buy[l].price = WrapMul32(rec.buysell10.buy[l].price, s);
    rec.buysell10.sell[l].price = WrapMul32(rec.buysell10.sell[l].price, s);
  }
  if (book == 0 && bid1) {
    rec.buysell10.buy[0].price = WrapMul32(rec.buysell10.buy[0].price, s);
  }
  if (book == 0 && ask1) {
    rec.buysell10.sell[0].price = WrapMul32(rec.buysell10.sell[0].price, s);
  }
}

CQuoteCache& GetQuoteCache() {
  static CQuoteCache cache;
  return cache;
}

void QuoteCache_Init() {
  GetQuoteCache().Init();
}
void QuoteCache_NewSession() {
  GetQuoteCache().NewSession();
}
int UpdateQuotes(const uint8_t* body, size_t len) {
  return GetQuoteCache().UpdateQuotes(body, len);
}
int QuoteCache_ParseListReply(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                              uint8_t* head) {
  return GetQuoteCache().ParseListReply(body, len, items, maxItems, head);
}
int QuoteCache_ParseListReply55(const uint8_t* body, size_t len, tagCodeItem* items, int maxItems,
                                uint8_t* head) {
  return GetQuoteCache().ParseListReply55(body, len, items, maxItems, head);
}
int QuoteCache_MergeOne(const uint8_t* body, size_t len, tagLocalStockData* out,
                        tagLocalStockData* previous) {
  return GetQuoteCache().MergeOne(body, len, out, previous);
}
void PushQuote(const uint8_t* body, size_t len) {
  GetQuoteCache().PushQuote(body, len, GetTrendStore(), GetTickList());
}
void QuoteCache_PushBrief(const uint8_t* body, size_t len) {
  GetQuoteCache().PushBrief(body, len);
}
void QuoteCache_PushIndexBrief(const uint8_t* body, size_t len) {
  GetQuoteCache().PushIndexBrief(body, len);
}
int QuoteCache_GetQuote(tagLocalStockData& out, uint8_t market, const char* code) {
  return GetQuoteCache().GetQuote(out, market, code);
}
int QuoteCache_GetTickerQuote(tagLocalStockData& out, uint8_t market, const char* code) {
  return GetQuoteCache().GetTickerQuote(out, market, code);
}
int QuoteCache_GetQuotes(tagLocalStockData* out, const tagCodeItem* items, int count) {
  return GetQuoteCache().GetQuotes(out, items, count);
}
void QuoteCache_AddSearchedStock(const uint8_t* item, size_t len) {
  GetQuoteCache().AddSearchedStock(item, len);
}
int UpdateHKJJSInfo(const uint8_t* body, size_t len) {
  return GetQuoteCache().UpdateHKJJSInfo(body, len);
}
int FindHKJJSName(const char* seat, tagHKSeat* out) {
  return GetQuoteCache().FindHKJJSName(seat, out);
}
