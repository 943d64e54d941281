#include "core/QuoteField.h"

#include <array>
#include <bit>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/QuoteFieldTable.h"
#include "platform/foundation/Log.h"

// Whole groups are copied from the wire into packed structs as they stand.
static_assert(std::endian::native == std::endian::little);

namespace {

// Constant-size copies for the common widths, so they compile to plain moves.
inline void CopyBytes(uint8_t* dst, const uint8_t* src, size_t n) {
  switch (n) {
    case 1:
      *dst = *src;
      break;
    case 2:
      std::memcpy(dst, src, 2);
      break;
    case 4:
      std::memcpy(dst, src, 4);
      break;
    case 8:
      std::memcpy(dst, src, 8);
      break;
    default:
      std::memcpy(dst, src, n);
      break;
  }
}

// The plain copies dispatched in one step (most ids are one integer copied as it stands); every
// other id goes through its descriptor's rule.
enum class Move : uint8_t { kOther, k1, k2, k4, k8 };

constexpr Move MoveOf(int bytes) {
  switch (bytes) {
    case 1:
      return Move::k1;
    case 2:
      return Move::k2;
    case 4:
      return Move::k4;
    case 8:
      return Move::k8;
    default:
      return Move::kOther;
  }
}

struct Moves {
  Move decode;
  Move merge;
};

constexpr std::array<Moves, 256> MakeMoves() {
  std::array<Moves, 256> t{};
  for (size_t id = 0; id < t.size(); ++id) {
    const QuoteFieldDesc& f = kQuoteFields[id];
    t[id].decode = f.decode == QuoteDecode::kCopy ? MoveOf(f.wire) : Move::kOther;
    t[id].merge = f.merge2 == 0 ? MoveOf(f.merge) : Move::kOther;
  }
  return t;
}

constexpr std::array<Moves, 256> kMoves = MakeMoves();

// A row of the table that writes outside the record, decodes bytes a merge would not carry or
// knows an id only half is a build error, not a corrupted quote.
constexpr bool TableIsSound() {
  constexpr size_t kRecord = sizeof(tagLocalStockData);
  for (const QuoteFieldDesc& f : kQuoteFields) {
    const bool known = f.wire != 0;
    if (known != (f.decode != QuoteDecode::kUnknown) || known != (f.merge != 0)) return false;
    if (f.member + size_t{f.merge} > kRecord || f.member2 + size_t{f.merge2} > kRecord)
      return false;
    const size_t wire = f.wire > 0 ? static_cast<size_t>(f.wire) : 0;
    switch (f.decode) {
      case QuoteDecode::kCopy:
      case QuoteDecode::kClear:
        if (f.member + wire > kRecord || f.merge < wire) return false;
        if (f.decode == QuoteDecode::kClear && f.member2 + size_t{f.part} > kRecord) return false;
        break;
      case QuoteDecode::kSplit:
        if (f.part >= wire || f.member + size_t{f.part} > kRecord ||
            f.member2 + (wire - f.part) > kRecord)
          return false;
        break;
      case QuoteDecode::kTwice:
        if (f.member + wire > kRecord || f.member2 + wire > kRecord || f.merge2 < wire)
          return false;
        break;
      default:
        break;
    }
  }
  return true;
}
static_assert(TableIsSound());

// Copies of the fixed widths; false for kOther.
inline bool MoveBytes(Move m, uint8_t* dst, const uint8_t* src) {
  switch (m) {
    case Move::k1:
      *dst = *src;
      return true;
    case Move::k2:
      std::memcpy(dst, src, 2);
      return true;
    case Move::k4:
      std::memcpy(dst, src, 4);
      return true;
    case Move::k8:
      std::memcpy(dst, src, 8);
      return true;
    case Move::kOther:
      break;
  }
  return false;
}

inline uint8_t* Bytes(tagLocalStockData& rec) {
  return reinterpret_cast<uint8_t*>(&rec);
}
inline const uint8_t* Bytes(const tagLocalStockData& rec) {
  return reinterpret_cast<const uint8_t*>(&rec);
}

// The order queue: per side a 14-byte head and volcount entries.
int DecodeQueue(const uint8_t* src, size_t len, tagLocalStockData& rec) {
  tagBuySellQueue sides[2];
  std::memcpy(sides, rec.buySellQueue, sizeof sides);
  size_t used = 0;
  for (auto& side : sides) {
    if (len - used < 14) return -2;
    const uint8_t* p = src + used;
    int16_t count = ReadI16(p + 12);
    if (count < 0 || count > 50) count = 0;
    size_t need = 14 + 2 * static_cast<size_t>(count);
    if (len - used < need) return -2;
    side.price = ReadI32(p);
    side.totalvol = ReadI32(p + 4);
    side.volrecord = ReadI32(p + 8);
    side.volcount = count;
    std::memcpy(side.vol, p + 14, 2 * static_cast<size_t>(count));
    used += need;
  }
  std::memcpy(rec.buySellQueue, sides, sizeof sides);
  return static_cast<int>(used);
}

void NameFromUnits(tagLocalStockData& rec, const uint8_t* p, size_t units) {
  std::memset(rec.name, 0, sizeof rec.name);
  for (size_t i = 0; i < units; ++i) rec.name[i] = static_cast<char16_t>(ReadLE16(p + 2 * i));
}

}  // namespace

int QuoteFieldWireWidth(uint8_t id) {
  return QuoteFieldDescOf(id).wire;
}

int HQ_FIELD_FUNC(const uint8_t* src, size_t len, uint8_t id, tagLocalStockData& rec) {
  const QuoteFieldDesc& f = QuoteFieldDescOf(id);
  const Move move = kMoves[id].decode;
  if (move != Move::kOther && src && len >= static_cast<size_t>(f.wire)) {
    MoveBytes(move, Bytes(rec) + f.member, src);
    return f.wire;
  }
  if (f.wire == 0) {
    foundation::logError("!ERROR: HQ_FIELD_FUNC unknown field:%d", id);
    return -1;
  }
  if (!src) return -2;
  if (f.decode == QuoteDecode::kQueue) return DecodeQueue(src, len, rec);
  const size_t width = static_cast<size_t>(f.wire);
  if (len < width) return -2;

  const uint8_t* p = src;
  uint8_t* base = Bytes(rec);
  switch (f.decode) {
    case QuoteDecode::kCopy:
      CopyBytes(base + f.member, p, width);
      break;
    case QuoteDecode::kSplit:
      CopyBytes(base + f.member, p, f.part);
      CopyBytes(base + f.member2, p + f.part, width - f.part);
      break;
    case QuoteDecode::kTwice:
      CopyBytes(base + f.member, p, width);
      CopyBytes(base + f.member2, p, width);
      break;
    case QuoteDecode::kClear:
      CopyBytes(base + f.member, p, width);
      std::memset(base + f.member2, 0, f.part);
      break;
    case QuoteDecode::kCode: {
      // Bytes after the first NUL are cleared so the stored key matches CodeToKey of the text.
      char code[9] = {};
      for (size_t i = 0; i < 8 && p[i]; ++i) code[i] = static_cast<char>(p[i]);
      std::memcpy(rec.code, code, sizeof code);
      break;
    }
    case QuoteDecode::kName:
      NameFromUnits(rec, p, width / 2);
      break;
    case QuoteDecode::kAsciiName:
      std::memset(rec.name, 0, sizeof rec.name);
      for (size_t i = 0; i < 8 && p[i]; ++i) rec.name[i] = p[i] < 0x80 ? p[i] : u'?';
      break;
    case QuoteDecode::kSessions:
      rec.tradetimenum = p[0];
      for (int i = 0; i < 6; ++i) {
        uint16_t t = ReadLE16(p + 1 + 2 * i);
        // A close past midnight comes as the clock minute; keep the sessions ascending.
        if (i > 0 && t < rec.tradetime[i - 1]) t = static_cast<uint16_t>(t + 1440);
        rec.tradetime[i] = t;
      }
      break;
    case QuoteDecode::kDouble: {
      const double v = static_cast<double>(ReadI64(p));
      std::memcpy(base + f.member, &v, sizeof v);
      break;
    }
    case QuoteDecode::kQueue:
    case QuoteDecode::kUnknown:
      return -1;  // unreachable: handled above
  }
  return static_cast<int>(width);
}

bool HQ_FIELD_FUNC_UPDATE(tagLocalStockData& stored, const tagLocalStockData& fresh, uint8_t id) {
  const QuoteFieldDesc& f = QuoteFieldDescOf(id);
  if (f.merge == 0) {
    foundation::logError("!ERROR: HQ_FIELD_FUNC_UPDATE unknown field:%d", id);
    return false;
  }
  if (MoveBytes(kMoves[id].merge, Bytes(stored) + f.member, Bytes(fresh) + f.member)) return true;
  CopyBytes(Bytes(stored) + f.member, Bytes(fresh) + f.member, f.merge);
  if (f.merge2 != 0) CopyBytes(Bytes(stored) + f.member2, Bytes(fresh) + f.member2, f.merge2);
  return true;
}

int DecodeQuoteRecord(const uint8_t* ids, size_t idCount, const uint8_t* src, size_t len,
                      tagLocalStockData& rec) {
  size_t offset = 0;
  for (size_t i = 0; i < idCount; ++i) {
    const uint8_t id = ids[i];
    const QuoteFieldDesc& f = QuoteFieldDescOf(id);
    // The plain integers inline; the rest through the one-field decoder.
    if (src && len - offset >= static_cast<size_t>(f.wire) &&
        MoveBytes(kMoves[id].decode, Bytes(rec) + f.member, src + offset)) {
      offset += static_cast<size_t>(f.wire);
      continue;
    }
    int used = HQ_FIELD_FUNC(src ? src + offset : nullptr, len - offset, id, rec);
    if (used < 0) return used;
    offset += static_cast<size_t>(used);
  }
  return static_cast<int>(offset);
}

void MergeQuoteRecord(tagLocalStockData& stored, const tagLocalStockData& fresh, const uint8_t* ids,
                      size_t idCount) {
  for (size_t i = 0; i < idCount; ++i) {
    const uint8_t id = ids[i];
    const uint16_t at = QuoteFieldDescOf(id).member;
    if (!MoveBytes(kMoves[id].merge, Bytes(stored) + at, Bytes(fresh) + at)) {
      HQ_FIELD_FUNC_UPDATE(stored, fresh, id);
    }
  }
}
