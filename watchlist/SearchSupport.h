// What the stock search screen and the watch-list editor share: the search request for the
// logged-in user's rights, the reply's hits as rows, and the row texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ReceiveRecord.h"
#include "core/SearchHistory.h"
#include "core/SearchReply.h"
#include "platform/foundation/RunLoop.h"

// A row of a search list has the form of a search-history entry.
using SearchRow = SearchHistoryEntry;

inline constexpr int kSearchTextMax = 29;  // characters of a typed key that are kept
inline constexpr double kSearchDelay = 0.35;

// (Re)starts the typing pause in `slot`: after kSearchDelay, `fire` runs on the owner unless the
// owner is gone by then.
template <class T>
void RestartSearchPause(std::shared_ptr<foundation::Timer>& slot, std::weak_ptr<T> owner,
                        void (T::*fire)()) {
  if (slot) slot->invalidate();
  slot = foundation::Timer::schedule(kSearchDelay, false, [owner, fire](foundation::Timer&) {
    if (auto me = owner.lock()) (me.get()->*fire)();
  });
}
inline constexpr char kSelfStockFullText[] = "自选股已满1000只，无法继续添加";

// The key as ASCII text: characters that are not ASCII are dropped, at most 29 are kept.
std::string SearchKeyText(const std::string& text);

// Builds the search request (main type 145, child type 11) for the markets the logged-in user
// may see. Returns the packet length, or a negative value when it could not be built.
int MakeUserSearchRequest(const std::string& key, uint16_t code, uint8_t pageId, uint8_t* buffer,
                          int size);

// The hits of a posted record: -1 when it is no search reply (main type 145, child type 11);
// 0 for an error reply or a body of the count alone; otherwise the hits decoded into `hits`
// (at most 100, zeroed first).
int SearchHitsOfRecord(const ReceiveRecordView& record, tagSearchHit* hits);

SearchRow SearchRowOfHit(const tagSearchHit& hit);
// A hit built from a row; the name keeps at most maxNameUnits UTF-16 units.
tagSearchHit SearchHitOfRow(const SearchRow& row, int maxNameUnits);
// The market prefix ("SH", "SZ", "HK" or two blanks) followed by the code.
std::string SearchRowCodeText(const SearchRow& row);
std::string SearchRowNameText(const SearchRow& row);
// True when the text is six characters long and starts with a digit (a full stock code).
bool IsFullCodeText(const std::string& text);
