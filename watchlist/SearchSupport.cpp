#include "watchlist/SearchSupport.h"

#include <cstring>

#include "core/CoreState.h"
#include "core/PacketHeader.h"
#include "core/QuoteRequests.h"
#include "platform/foundation/Text.h"

std::string SearchKeyText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80 || c == '\0') continue;
    out.push_back(c);
    if (out.size() == kSearchTextMax) break;
  }
  return out;
}

int MakeUserSearchRequest(const std::string& key, uint16_t code, uint8_t pageId, uint8_t* buffer,
                          int size) {
  // Hong Kong (3) needs a quote-level right, the US market (16) right 49.
  return MakeRequest_SearchStock(0, code, pageId, key.c_str(), buffer, size,
                                 GetQuoteLevelRight() != 0, HasRight49() != 0);
}

int SearchHitsOfRecord(const ReceiveRecordView& record, tagSearchHit* hits) {
  if (record.header.MainType != kMainTypeQuote ||
      record.header.ChildType != QuoteChild::kSearchStock)
    return -1;
  std::memset(static_cast<void*>(hits), 0, sizeof(tagSearchHit) * kSearchMaxHits);
  if (record.header.isError() || record.bodyLen == 2) return 0;
  return DecodeSearchReply(record.body, static_cast<size_t>(std::max(record.bodyLen, 0)), hits,
                           kSearchMaxHits);
}

SearchRow SearchRowOfHit(const tagSearchHit& hit) {
  SearchRow row;
  row.StockName = SearchHitName(hit);
  row.StockCode = SearchHitCode(hit);
  row.StockType = hit.style;
  row.Market = hit.codeinfo.market;
  return row;
}

tagSearchHit SearchHitOfRow(const SearchRow& row, int maxNameUnits) {
  return MakeSearchHit(static_cast<uint8_t>(row.Market), row.StockCode.c_str(),
                       static_cast<uint8_t>(row.StockType), row.StockName, maxNameUnits);
}

std::string SearchRowCodeText(const SearchRow& row) {
  return std::string(MarketText(static_cast<uint8_t>(row.Market))) + row.StockCode;
}

std::string SearchRowNameText(const SearchRow& row) {
  return foundation::utf16ToUtf8(row.StockName);
}

bool IsFullCodeText(const std::string& text) {
  return text.size() == 6 && text[0] >= '0' && text[0] <= '9';
}
