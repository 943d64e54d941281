#pragma once

// Pieces the sort pages share: the menu entry that maps a title to its market pair, the request
// blocks of the sort and board-sort packets, and small helpers around them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/ByteOrder.h"
#include "core/DataRequest.h"
#include "core/MarketTable.h"
#include "core/StockData.h"
#include "platform/ui/Application.h"

namespace sortpage {

// The field list that asks for no field (count byte 0).
inline constexpr uint8_t kNoFields[] = {0};

// A menu row: its title and the list it opens (the markets table's rows are these too).
using MarketEntry = markets::ListTab;

// The market pair of menu row `index`; both zero when the row does not exist.
template <size_t N>
void LookupEntry(const MarketEntry (&menu)[N], int index, uint16_t& market, uint16_t& stockType) {
  if (index < 0 || static_cast<size_t>(index) >= N) {
    market = 0;
    stockType = 0;
    return;
  }
  market = menu[index].market;
  stockType = menu[index].stockType;
}

// The menu row of a market pair, or `missing` when no row has it.
template <size_t N>
int FindEntry(const MarketEntry (&menu)[N], int market, int stockType, int missing) {
  for (size_t i = 0; i < N; ++i) {
    if (menu[i].market == market && menu[i].stockType == stockType) return static_cast<int>(i);
  }
  return missing;
}

// The session value a request carries (its low 24 bits); zero before the first login.
inline int32_t SessionValue(CDataRequest* request) {
  return request ? static_cast<int32_t>(request->GetSessionValue() & 0xffffff) : 0;
}

// The seven-byte block of a sort request: market, kind, sort type, start, count.
inline void FillSortBlock(uint8_t (&block)[7], uint8_t market, uint8_t kind, uint8_t sortType,
                          int start, int count) {
  block[0] = market;
  block[1] = kind;
  block[2] = sortType;
  WriteLE16(block + 3, static_cast<uint16_t>(start));
  WriteLE16(block + 5, static_cast<uint16_t>(count));
}

// The block of a board-sort request: the board code (at most eight bytes, zero padded), then
// sort type, start and count; the rest stays zero.
inline void FillBoardSortBlock(uint8_t (&block)[53], const char* boardCode, uint8_t sortType,
                               int start, int count) {
  std::memset(block, 0, sizeof block);
  std::memcpy(block, boardCode, strnlen(boardCode, 8));
  block[8] = sortType;
  WriteLE16(block + 9, static_cast<uint16_t>(start));
  WriteLE16(block + 11, static_cast<uint16_t>(count));
}

// Where the list starts after a page turn: status 2 is the next page (back to the top after the
// last), any other the previous one (the last page from the top).
inline int TurnedPageStart(int status, int start, int shown, int total, int pageSize) {
  if (status == 2) {
    start += shown;
    if (start >= total) start = 0;
  } else if (start != 0) {
    start -= pageSize;
  } else {
    int rest = total % pageSize;
    if (rest == 0) rest = pageSize;
    start = total - rest;
  }
  return start < 0 ? 0 : start;
}

inline void NetworkIndicator(bool on) {
  ui::Application::shared().setNetworkActivityIndicatorVisible(on);
}

inline std::string CodeText(const tagLocalStockData& rec) {
  return std::string(rec.code, strnlen(rec.code, sizeof rec.code));
}

}  // namespace sortpage
