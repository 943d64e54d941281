// The markets' lists, as the markets table files the contracts under their exchanges' tabs, the
// boards' members, the search and the Hong Kong broker seats.
#include "testserver/Market.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "core/MarketTable.h"
#include "testserver/MarketParts.h"

namespace testserver {

void Market::addBoard(const std::string& code, int memberCount) {
  std::vector<int> members;
  for (int i : list(kMarketShSz, kTypeAShare)) {
    if (static_cast<int>(members.size()) >= memberCount) break;
    members.push_back(i);
  }
  const std::string key = code.substr(0, 8);
  std::erase_if(addedBoards_, [&](const auto& board) { return board.first == key; });
  addedBoards_.emplace_back(key, std::move(members));
}

const Security* Market::find(uint8_t market, std::string_view code) const {
  int i = indexOf(market, code);
  return i < 0 ? nullptr : &secs_[i];
}

int Market::indexOf(uint8_t market, std::string_view code) const {
  std::string c(code.substr(0, 8));
  const int64_t key = CodeToKey(c.c_str());
  for (size_t i = 0; i < secs_.size(); ++i) {
    if (secs_[i].q.market == market && RecordCodeKey(secs_[i].q) == key) return static_cast<int>(i);
  }
  return -1;
}

namespace {

bool CodeStarts(const tagLocalStockData& q, std::initializer_list<const char*> prefixes) {
  for (const char* p : prefixes) {
    const size_t n = std::strlen(p);
    if (std::strncmp(q.code, p, n) == 0 && (q.code[n] < 'A' || q.code[n] > 'Z')) return true;
  }
  return false;
}

// The sub-list of a board, futures or US security; -1 when it has none (Hong Kong boards).
int SubList(const tagLocalStockData& q) {
  switch (q.market) {
    case kMarketBoard:
      return std::strncmp(q.code, "8803", 4) == 0   ? 1
             : std::strncmp(q.code, "8804", 4) == 0 ? 2
             : std::strncmp(q.code, "8805", 4) == 0 ? 3
                                                    : -1;
    case kMarketFinancialFutures:
    case kMarketOtherFutures:
    case kMarketCommodityFutures: {
      const markets::Contract* c =
          markets::FindContract(q.market, std::string_view(q.code, strnlen(q.code, sizeof q.code)));
      return c ? c->list : -1;
    }
    case kMarketUs:
      return CodeStarts(q, {"BABA"}) ? 100 : CodeStarts(q, {"IMO"}) ? 102 : 101;
    default:
      return -1;
  }
}

// Whether `type` names one of the sub-lists of `market`.
bool IsSubList(uint8_t market, uint8_t type) {
  switch (market) {
    case kMarketBoard:
      return type <= 3;
    case kMarketFinancialFutures:
    case kMarketOtherFutures:
    case kMarketCommodityFutures:
      for (const markets::ListTab& t : markets::kFuturesTabs)
        if (t.market == market && t.stockType == type) return true;
      return false;
    case kMarketUs:
      return type >= 100 && type <= 102;
    default:
      return false;
  }
}

}  // namespace

std::vector<int> Market::list(uint8_t market, uint8_t type) const {
  std::vector<int> out;
  for (size_t i = 0; i < secs_.size(); ++i) {
    const tagLocalStockData& q = secs_[i].q;
    bool marketOk = market == kMarketShSz ? (q.market == kMarketSh || q.market == kMarketSz)
                                          : q.market == market;
    if (!marketOk) continue;
    bool typeOk = q.zqlb == type;
    // The A-share lists include the small and growth boards.
    if (type == kTypeAShare && (q.zqlb == kTypeSme || q.zqlb == kTypeChiNext)) typeOk = true;
    // Futures, foreign exchange, global and US lists are asked for by market alone.
    if (q.market != kMarketSh && q.market != kMarketSz && q.market != kMarketHk) typeOk = true;
    if (IsSubList(market, type)) {
      const int sub = SubList(q);
      typeOk = market == kMarketBoard && type == 0 ? sub > 0 : sub == type;
    }
    if (typeOk) out.push_back(static_cast<int>(i));
  }
  std::stable_sort(out.begin(), out.end(), [&](int a, int b) {
    if (secs_[a].q.market != secs_[b].q.market) return secs_[a].q.market < secs_[b].q.market;
    return std::strncmp(secs_[a].q.code, secs_[b].q.code, 8) < 0;
  });
  return out;
}

std::vector<int> Market::boardMembers(std::string_view boardCode) const {
  for (const auto& [code, members] : addedBoards_)
    if (code == boardCode.substr(0, 8)) return members;
  const Security* b = find(kMarketBoard, boardCode);
  return b ? b->members : std::vector<int>{};
}

std::vector<int> Market::search(std::string_view text, size_t max) const {
  std::string key;
  for (char c : text) key.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  std::vector<int> out;
  if (key.empty()) return out;
  for (size_t i = 0; i < secs_.size() && out.size() < max; ++i) {
    const Security& s = secs_[i];
    std::string code(s.q.code, strnlen(s.q.code, 8));
    std::string upper;
    for (char c : code)
      upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (upper.rfind(key, 0) == 0 || s.initials.rfind(key, 0) == 0)
      out.push_back(static_cast<int>(i));
  }
  return out;
}

const SeatRange* Market::findSeat(int32_t seat) const {
  for (const auto& r : seats_)
    if (seat >= r.from && seat <= r.to) return &r;
  return nullptr;
}

}  // namespace testserver
