#include "core/QuoteRequests.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CXMLMake.h"
#include "core/ClientVersion.h"
#include "core/CoreState.h"
#include "core/LineStep.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"

namespace {

// Appends body pieces within a fixed area; any piece that does not fit spoils the whole body.
class BodyWriter {
 public:
  BodyWriter(uint8_t* out, int size) : out_(out), size_(out ? std::max(size, 0) : 0) {}

  void Bytes(const void* data, int n) {
    if (n < 0 || !Room(n)) return;
    if (n > 0) std::memcpy(out_ + used_, data, static_cast<size_t>(n));
    used_ += n;
  }
  void U8(uint8_t v) { Bytes(&v, 1); }
  void U16(uint16_t v) {
    uint8_t b[2];
    WriteLE16(b, v);
    Bytes(b, 2);
  }
  void U32(uint32_t v) {
    uint8_t b[4];
    WriteLE32(b, v);
    Bytes(b, 4);
  }
  void Code(const char* code) {
    uint8_t b[kStockCodeWidth] = {};
    if (code) std::memcpy(b, code, strnlen(code, kStockCodeWidth));
    Bytes(b, kStockCodeWidth);
  }
  // A field list in wire form: its count byte and that many ids. A null list counts as empty.
  void List(const uint8_t* list) {
    if (!list) {
      U8(0);
      return;
    }
    Bytes(list, 1 + list[0]);
  }
  int Result() const { return failed_ ? -2 : used_; }

 private:
  bool Room(int n) {
    if (failed_ || n > size_ - used_) {
      failed_ = true;
      return false;
    }
    return true;
  }
  uint8_t* out_;
  int size_;
  int used_ = 0;
  bool failed_ = false;
};

int ListBytes(const uint8_t* list) {
  return list ? 1 + list[0] : 1;
}

// Frames a packed body written at buffer + 16; the body length is what the packer returned.
int FramePacked(const char* name, uint8_t child, uint8_t pageId, int32_t value, uint16_t code,
                uint8_t* buffer, int bodyLength) {
  if (bodyLength < 0) {
    foundation::logError("%s: body does not fit the packet buffer", name);
    return -2;
  }
  return MakeRequest(kMainTypeQuote, child, pageId, value, code, buffer, bodyLength);
}

bool BufferUsable(const char* name, const uint8_t* buffer, int size) {
  if (buffer && size >= kPacketHeaderSize) return true;
  foundation::logError("%s: packet buffer of %d bytes", name, buffer ? size : 0);
  return false;
}

const uint8_t kSearchSets[4][10] = {
    {1, 2, 3, 4, 5, 6, 7, 9, 10, 16},
    {1, 2, 4, 5, 6, 7, 9, 10, 16, 0},
    {1, 2, 3, 4, 5, 6, 7, 9, 10, 0},
    {1, 2, 4, 5, 6, 7, 9, 10, 0, 0},
};
const uint8_t kSearchCounts[4] = {10, 9, 9, 8};

}  // namespace

void FillStockItem(uint8_t* item, uint8_t market, const char* code) {
  if (!item) return;
  std::memset(item, 0, kStockItemSize);
  item[0] = market;
  if (code) std::memcpy(item + 1, code, strnlen(code, kStockCodeWidth));
}

int PackStockData(uint8_t* out, int out_size, uint8_t market, const char* code,
                  const uint8_t* list1, const uint8_t* list2) {
  BodyWriter w(out, out_size);
  w.U8(market);
  w.Code(code);
  w.List(list1);
  w.List(list2);
  return w.Result();
}

int PackStockList(uint8_t* out, int out_size, const uint8_t* items, int count, const uint8_t* list1,
                  const uint8_t* list2) {
  if (count < 0 || count > 0xFFFF || (count > 0 && !items)) return -1;
  BodyWriter w(out, out_size);
  w.U16(static_cast<uint16_t>(count));
  w.Bytes(items, count * kStockItemSize);
  w.List(list1);
  w.List(list2);
  return w.Result();
}

int PackCappedStockList(const uint8_t* items, int count, const uint8_t* list, uint8_t* out,
                        int out_size) {
  if (count < 0 || (count > 0 && !items)) return -1;
  int room = out_size - 3 - (ListBytes(list) - 1);
  int fit = room > 0 ? room / kStockItemSize : 0;
  // Keep the count when it is below fit, else send fit - 1; never below 0 (a buffer too
  // small for one item sends none rather than a wrapped count).
  int c = count < fit ? count : std::max(fit - 1, 0);
  c = std::min(c, 0xFFFF);
  BodyWriter w(out, out_size);
  w.U16(static_cast<uint16_t>(c));
  w.Bytes(items, c * kStockItemSize);
  w.List(list);
  return w.Result();
}

int MakeRequest_HKJJSInfo(int32_t value, uint16_t code, uint8_t pageId, const char* text,
                          uint8_t* buffer, int size) {
  if (!BufferUsable("MakeRequest_HKJJSInfo", buffer, size)) return -2;
  uint8_t local[1024] = {};
  MDBF table;
  if (text) table.SetString(26, text);
  int written = 0;
  int body =
      table.SerializeAll(local + kPacketHeaderSize, sizeof(local) - kPacketHeaderSize, &written);
  if (body < 0) {
    foundation::logError("MakeRequest_HKJJSInfo: body does not fit (%d)", body);
    return -2;
  }
  int length =
      BuildPacket(kMainTypeQuote, QuoteChild::kHKJJSInfo, pageId, value, code, local, body, 0);
  int copied = std::min(size, length);
  std::memcpy(buffer, local, static_cast<size_t>(copied));
  return copied;
}

int MakeRequest_StockData(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                          const char* stockCode, const uint8_t* list1, const uint8_t* list2,
                          uint8_t* buffer, int size) {
  if (!BufferUsable("MakeRequest_StockData", buffer, size)) return -2;
  int body = PackStockData(buffer + kPacketHeaderSize, size - kPacketHeaderSize, market, stockCode,
                           list1, list2);
  return FramePacked("MakeRequest_StockData", QuoteChild::kStockData, pageId, value, code, buffer,
                     body);
}

int MakeRequest_SearchStock(int32_t value, uint16_t code, uint8_t pageId, const char* text,
                            uint8_t* buffer, int size, bool withField3, bool withField16) {
  if (!BufferUsable("MakeRequest_SearchStock", buffer, size)) return -2;
  int set = (withField16 ? 0 : 2) + (withField3 ? 0 : 1);
  uint8_t ids[64] = {};
  std::memcpy(ids, kSearchSets[set], kSearchCounts[set]);
  BodyWriter w(buffer + kPacketHeaderSize, size - kPacketHeaderSize);
  w.Code(text);
  w.U8(1);
  w.U8(kSearchCounts[set]);
  w.Bytes(ids, sizeof(ids));
  return FramePacked("MakeRequest_SearchStock", QuoteChild::kSearchStock, pageId, value, code,
                     buffer, w.Result());
}

namespace {

// Body: market, stock code, a 16-bit count or value, a field list.
int FrameStockRequest(const char* name, uint8_t child, uint8_t pageId, int32_t value, uint16_t code,
                      uint8_t market, const char* stockCode, uint16_t number, const uint8_t* list,
                      uint8_t* buffer, int size) {
  if (!BufferUsable(name, buffer, size)) return -2;
  BodyWriter w(buffer + kPacketHeaderSize, size - kPacketHeaderSize);
  w.U8(market);
  w.Code(stockCode);
  w.U16(number);
  w.List(list);
  return FramePacked(name, child, pageId, value, code, buffer, w.Result());
}

}  // namespace

int MakeRequest_StockList(int32_t value, uint16_t code, uint8_t pageId, const uint8_t* items,
                          int count, const uint8_t* list1, const uint8_t* list2, uint8_t* buffer,
                          int size) {
  if (!BufferUsable("MakeRequest_StockList", buffer, size)) return -2;
  int body = PackStockList(buffer + kPacketHeaderSize, size - kPacketHeaderSize, items, count,
                           list1, list2);
  return FramePacked("MakeRequest_StockList", QuoteChild::kStockList, pageId, value, code, buffer,
                     body == -1 ? -2 : body);
}

int MakeRequest_DealDetail(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                           const char* stockCode, uint16_t count, const uint8_t* list,
                           uint8_t* buffer, int size) {
  return FrameStockRequest("MakeRequest_DealDetail", QuoteChild::kDealDetail, pageId, value, code,
                           market, stockCode, count, list, buffer, size);
}

int MakeRequest_Sort(int32_t value, uint16_t code, uint8_t pageId, const uint8_t* block,
                     const uint8_t* list1, const uint8_t* list2, uint8_t* buffer, int size) {
  if (!BufferUsable("MakeRequest_Sort", buffer, size) || !block) return -2;
  BodyWriter w(buffer + kPacketHeaderSize, size - kPacketHeaderSize);
  w.Bytes(block, 7);
  w.List(list1);
  w.List(list2);
  return FramePacked("MakeRequest_Sort", QuoteChild::kSort, pageId, value, code, buffer,
                     w.Result());
}

int MakeRequest_BKSort(int32_t value, uint16_t code, uint8_t pageId, const uint8_t* block,
                       const uint8_t* list, uint8_t* buffer, int size) {
  if (!BufferUsable("MakeRequest_BKSort", buffer, size) || !block) return -2;
  BodyWriter w(buffer + kPacketHeaderSize, size - kPacketHeaderSize);
  w.Bytes(block, 53);
  w.List(list);
  return FramePacked("MakeRequest_BKSort", QuoteChild::kBoardSort, pageId, value, code, buffer,
                     w.Result());
}

int MakeRequest_KLine(int16_t value, uint16_t code, uint8_t pageId, const uint8_t* block,
                      const uint8_t* list1, const uint8_t* list2, const uint8_t* list3,
                      uint8_t* buffer, int size) {
  if (!BufferUsable("MakeRequest_KLine", buffer, size) || !block) return -2;
  BodyWriter w(buffer + kPacketHeaderSize, size - kPacketHeaderSize);
  w.Bytes(block, 21);
  w.List(list1);
  w.List(list2);
  w.List(list3);
  // The value travels sign-extended: -1 sets all 24 bits of the header field.
  return FramePacked("MakeRequest_KLine", QuoteChild::kKLine, pageId, static_cast<int32_t>(value),
                     code, buffer, w.Result());
}

int MakeRequest_Trendline(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                          const char* stockCode, uint16_t trendValue, const uint8_t* list,
                          uint8_t* buffer, int size) {
  return FrameStockRequest("MakeRequest_Trendline", QuoteChild::kTrendline, pageId, value, code,
                           market, stockCode, trendValue, list, buffer, size);
}

int MakeRequest_HistTrendline(int32_t value, uint16_t code, uint8_t pageId, uint8_t market,
                              const char* stockCode, uint8_t dayValue, uint32_t date,
                              const uint8_t* list, uint8_t* buffer, int size) {
  if (!BufferUsable("MakeRequest_HistTrendline", buffer, size)) return -2;
  BodyWriter w(buffer + kPacketHeaderSize, size - kPacketHeaderSize);
  w.U8(market);
  w.Code(stockCode);
  w.U8(dayValue);
  w.U32(date);
  w.List(list);
  return FramePacked("MakeRequest_HistTrendline", QuoteChild::kHistTrendline, pageId, value, code,
                     buffer, w.Result());
}

int MakeRequest_53(int32_t value, uint16_t code, uint8_t pageId, const char* userName, uint8_t flag,
                   const char* listText, int64_t listTime, uint8_t* buffer, int size) {
  if (!BufferUsable("MakeRequest_53", buffer, size)) return -2;
  const int32_t date = static_cast<int32_t>(static_cast<uint64_t>(listTime) >> 32);
  const int32_t time = static_cast<int32_t>(static_cast<uint64_t>(listTime) & 0xFFFFFFFFu);
  std::string qsid = GetQSID();
  CLineStep body;
  KVBody_AddInt(body, 1, flag);
  KVBody_AddString(body, 2, userName);
  AppendStockTimeRecord(body, 3, date, time);
  KVBody_AddString(body, 4, listText);
  KVBody_AddString(body, 6, kClientVersionText);
  KVBody_AddInt(body, 7, 4);
  KVBody_AddInt(body, 8, 0);
  KVBody_AddString(body, 9, qsid.c_str());
  foundation::logInfo("MakeRequest_53: UserName:%s QSID:%s DateTime:%lld", userName ? userName : "",
                      qsid.c_str(), static_cast<long long>(listTime));

  std::vector<uint8_t> local(8192, 0);
  // One byte of the local buffer is kept for a terminator: the text is cut at 8175 bytes.
  int bodyLength =
      KVBody_CopyText(body, local.data() + kPacketHeaderSize, 8192 - kPacketHeaderSize);
  int length = BuildPacket(kMainTypeQuote, QuoteChild::kSelfStockUpload, pageId, value, code,
                           local.data(), bodyLength, 0);
  int copied = std::min(size, length);
  std::memcpy(buffer, local.data(), static_cast<size_t>(copied));
  return copied;
}

const char* MarketText(uint8_t market) {
  switch (market) {
    case 1:
      return "SH";
    case 2:
      return "SZ";
    case 3:
      return "HK";
    default:
      return "  ";
  }
}
