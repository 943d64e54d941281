// The search reply decoder, the hit as the quote cache takes it, the user's search request and
// the stored list's limit.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/CoreState.h"
#include "core/CoreText.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/SearchReply.h"
#include "core/SelfStock.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "watchlist/SearchSupport.h"

namespace {

std::vector<uint8_t> Hit(uint8_t market, const char* code, uint8_t style,
                         const std::u16string& name) {
  std::vector<uint8_t> out(kSearchHitSize, 0);
  out[0] = market;
  std::memcpy(out.data() + 1, code, strnlen(code, 8));
  out[9] = style;
  for (size_t k = 0; k < name.size() && k < 16; ++k) {
    out[10 + 2 * k] = static_cast<uint8_t>(name[k] & 0xFF);
    out[11 + 2 * k] = static_cast<uint8_t>(name[k] >> 8);
  }
  return out;
}

std::vector<uint8_t> Reply(uint16_t count, const std::vector<std::vector<uint8_t>>& hits,
                           size_t extra = 0) {
  std::vector<uint8_t> out = {static_cast<uint8_t>(count & 0xFF), static_cast<uint8_t>(count >> 8)};
  for (const auto& h : hits) out.insert(out.end(), h.begin(), h.end());
  out.resize(out.size() + extra, 0xEE);
  return out;
}

TEST(SearchReply, TakesOnlyTheHitsTheBodyHolds) {
  tagSearchHit hits[kSearchMaxHits];
  // A count larger than the body: the one whole hit, not the trailing bytes.
  auto body = Reply(500, {Hit(1, "600000", 1, u"浦发银行")}, 41);
  ASSERT_EQ(DecodeSearchReply(body.data(), body.size(), hits, kSearchMaxHits), 1);
  EXPECT_EQ(SearchHitCode(hits[0]), "600000");
  EXPECT_EQ(SearchHitName(hits[0]), u"浦发银行");
  EXPECT_EQ(hits[1].codeinfo.market, 0);

  // A count smaller than the body: the count.
  body = Reply(1, {Hit(1, "600000", 1, u"A"), Hit(2, "000001", 1, u"B")});
  EXPECT_EQ(DecodeSearchReply(body.data(), body.size(), hits, kSearchMaxHits), 1);

  // Short bodies give nothing and leave nothing of an earlier reply behind.
  body = Reply(2, {Hit(1, "600000", 1, u"A"), Hit(2, "000001", 1, u"B")});
  ASSERT_EQ(DecodeSearchReply(body.data(), body.size(), hits, kSearchMaxHits), 2);
  const uint8_t one = 7;
  EXPECT_EQ(DecodeSearchReply(&one, 1, hits, kSearchMaxHits), 0);
  EXPECT_EQ(hits[0].codeinfo.market, 0);
  EXPECT_EQ(DecodeSearchReply(nullptr, 0, hits, kSearchMaxHits), 0);
  body = Reply(3, {}, 41);
  EXPECT_EQ(DecodeSearchReply(body.data(), body.size(), hits, kSearchMaxHits), 0);

  // More than 100: the first 100.
  std::vector<std::vector<uint8_t>> many(130, Hit(2, "000002", 1, u"C"));
  body = Reply(130, many);
  EXPECT_EQ(DecodeSearchReply(body.data(), body.size(), hits, kSearchMaxHits), 100);
}

TEST(SearchReply, AnEightCharacterCodeStaysEightCharacters) {
  tagSearchHit hits[kSearchMaxHits];
  // The code runs straight into a non-zero stock type and name.
  auto body = Reply(1, {Hit(16, "ABCDEFGH", 0x41, u"XXXXXXXXXXXXXXXX")});
  ASSERT_EQ(DecodeSearchReply(body.data(), body.size(), hits, kSearchMaxHits), 1);
  EXPECT_EQ(SearchHitCode(hits[0]), "ABCDEFGH");
  EXPECT_EQ(SearchHitName(hits[0]).size(), 16u);
  const SearchRow row = SearchRowOfHit(hits[0]);
  EXPECT_EQ(row.StockCode, "ABCDEFGH");
  EXPECT_EQ(row.Market, 16);
  EXPECT_EQ(row.StockType, 0x41);
  EXPECT_EQ(SearchRowCodeText(row), "  ABCDEFGH");
}

TEST(SearchReply, RecordsOfOtherKindsErrorsAndCountOnlyBodiesListNothing) {
  tagSearchHit hits[kSearchMaxHits];
  auto body = Reply(1, {Hit(1, "600000", 1, u"A")});
  ReceiveRecordView view;
  view.header.MainType = kMainTypeQuote;
  view.header.ChildType = 11;
  view.body = body.data();
  view.bodyLen = static_cast<int>(body.size());
  EXPECT_EQ(SearchHitsOfRecord(view, hits), 1);
  view.header.flags = 0x40;
  EXPECT_EQ(SearchHitsOfRecord(view, hits), 0);
  EXPECT_EQ(hits[0].codeinfo.market, 0);
  view.header.flags = 0;
  view.bodyLen = 2;
  EXPECT_EQ(SearchHitsOfRecord(view, hits), 0);
  view.header.ChildType = 12;
  EXPECT_EQ(SearchHitsOfRecord(view, hits), -1);
}

TEST(SearchReply, QuoteCacheTakesTheNameTheItemCarries) {
  CQuoteCache cache([] { return 1u; });
  cache.Init();
  const std::u16string longName = u"一二三四五六七八九十甲乙丙丁戊己";
  tagSearchHit hit = MakeSearchHit(1, "600010", 1, longName);
  cache.AddSearchedStock(reinterpret_cast<const uint8_t*>(&hit), sizeof hit);
  tagLocalStockData rec{};
  cache.GetQuote(rec, 1, "600010");
  EXPECT_EQ(std::u16string(rec.name), longName);

  // The 26-byte item carries 8 units; what follows it is not read as name.
  std::vector<uint8_t> item = Hit(2, "000010", 1, longName);
  item.resize(26);
  cache.AddSearchedStock(item.data(), item.size());
  cache.GetQuote(rec, 2, "000010");
  EXPECT_EQ(std::u16string(rec.name), longName.substr(0, 8));
}

TEST(SearchRequest, CarriesTheKeysFirstEightCharactersAndTheMarketsOfTheRights) {
  struct Case {
    const char* rights;
    std::vector<uint8_t> markets;
  } cases[] = {
      {"30,31,49", {1, 2, 3, 4, 5, 6, 7, 9, 10, 16}},
      {"30,49", {1, 2, 4, 5, 6, 7, 9, 10, 16}},
      {"31", {1, 2, 3, 4, 5, 6, 7, 9, 10}},
      {"30", {1, 2, 4, 5, 6, 7, 9, 10}},
  };
  for (const Case& c : cases) {
    ParseRightsList(c.rights);
    uint8_t packet[256];
    const int n = MakeUserSearchRequest("600000ABCDEF", 0, 11, packet, sizeof packet);
    ASSERT_EQ(n, 16 + 74) << c.rights;
    PacketHeader h;
    ASSERT_TRUE(PacketHeader::Read(packet, n, &h));
    EXPECT_EQ(h.MainType, 145);
    EXPECT_EQ(h.ChildType, 11);
    EXPECT_EQ(h.PageID, 11);
    const uint8_t* body = packet + 16;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(body), 8), "600000AB");
    EXPECT_EQ(body[8], 1);
    ASSERT_EQ(body[9], c.markets.size()) << c.rights;
    EXPECT_EQ(std::vector<uint8_t>(body + 10, body + 10 + c.markets.size()), c.markets);
    for (int k = 10 + body[9]; k < 74; ++k) EXPECT_EQ(body[k], 0);
  }
  ParseRightsList("");
}

TEST(SearchRequest, KeyTextIsAsciiOfAtMost29Characters) {
  EXPECT_EQ(SearchKeyText("60中0"), "600");
  EXPECT_EQ(SearchKeyText(std::string(40, 'A')).size(), 29u);
  EXPECT_TRUE(IsFullCodeText("600000"));
  EXPECT_FALSE(IsFullCodeText("A00000"));
  EXPECT_FALSE(IsFullCodeText("60000"));
}

TEST(StoredList, ReplacingStoresAtMostAThousandStocks) {
  const std::string dir =
      (std::filesystem::temp_directory_path() / "verdan-ssearch-store").string();
  std::filesystem::create_directories(dir);
  foundation::setDocumentsDir(dir);
  InitDocumentPath(nullptr, 0);
  std::vector<tagCodeItem> items(1200);
  for (size_t i = 0; i < items.size(); ++i) {
    std::snprintf(items[i].code, sizeof items[i].code, "%06d", static_cast<int>(i));
    items[i].market = 2;
  }
  EXPECT_FALSE(SelfStock_ReplaceAll(items.data(), static_cast<int>(items.size())));
  EXPECT_EQ(SelfStock_GetCount(), kSelfStockMaxItems);
  EXPECT_TRUE(SelfStock_Contains(2, "000999"));
  EXPECT_FALSE(SelfStock_Contains(2, "001000"));
  // What was stored is what the file holds.
  SelfStock_Clear();
  SelfStock_Load();
  EXPECT_EQ(SelfStock_GetCount(), kSelfStockMaxItems);
  // A full list takes no more, duplicates aside.
  EXPECT_FALSE(SelfStock_Add(1, "600000", 1));
  EXPECT_TRUE(SelfStock_ReplaceAll(items.data(), 10));
  EXPECT_EQ(SelfStock_GetCount(), 10);
  SelfStock_Clear();
  std::filesystem::remove_all(dir);
}

TEST(FuzzReplay, SearchReplies) {
  const auto dir = std::filesystem::path(VERDAN_SOURCE_DIR) / "tests/data/fuzz/search_reply";
  int seen = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    std::ifstream f(e.path(), std::ios::binary);
    std::vector<uint8_t> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    tagSearchHit hits[kSearchMaxHits];
    const int n = DecodeSearchReply(in.data(), in.size(), hits, kSearchMaxHits);
    EXPECT_LE(static_cast<size_t>(n), in.size() < 2 ? 0 : (in.size() - 2) / kSearchHitSize);
    for (int i = 0; i < n; ++i) EXPECT_LE(SearchHitCode(hits[i]).size(), 8u);
    ++seen;
  }
  EXPECT_GE(seen, 4);
}

}  // namespace
