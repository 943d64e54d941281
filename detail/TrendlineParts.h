// What the detail pager's request side and its reply side share: the request codes, the session
// value and the field lists of its requests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/PacketHeader.h"
#include "core/StockData.h"

namespace trendline {

inline constexpr int kPacketBuffer = 1024;
inline constexpr int kTickCount = 20;

using List = std::vector<uint8_t>;

// A field-id list in wire form: a count byte, then the ids.
inline List WireList(std::initializer_list<std::initializer_list<uint8_t>> parts) {
  List out{0};
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  out[0] = static_cast<uint8_t>(out.size() - 1);
  return out;
}

inline bool HoldsRight30() {
  return LacksRight30() == 0;
}

inline int32_t SessionValue() {
  CDataRequest* request = GlobalDataRequest();
  return request ? static_cast<int32_t>(request->GetSessionValue() & 0xffffff) : 0;
}

inline uint16_t NextCode() {
  return NextRequestCode(GlobalDataRequest());
}

inline int32_t QuoteDate(const tagLocalStockData& quote) {
  return static_cast<int32_t>(quote.datetime.Year) * 10000 +
         static_cast<int32_t>(quote.datetime.Month) * 100 +
         static_cast<int32_t>(quote.datetime.Day);
}

inline const char* const kPageTitles[6] = {"走势", "K线", "主力", "F10", "信息", "十档"};

}  // namespace trendline
