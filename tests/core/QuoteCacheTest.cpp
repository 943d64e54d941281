// The quote cache: capacity and replacement, list replies of both head forms, pushes, briefs,
// misses, derived fields, the seat table, and replies that are cut short or hostile.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/ChartStore.h"
#include "core/MDBF.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/QuoteMoment.h"
#include "core/ValueMath.h"
#include "testserver/MarketParts.h"
#include "tests/core/QuoteWire.h"

namespace {

class QuoteCacheTest : public testing::Test {
 protected:
  QuoteCacheTest() : cache_(std::make_unique<CQuoteCache>([this] { return next_++; })) {}

  // A child-type-10 body: id list, then one record.
  static Wire One(std::initializer_list<uint8_t> ids, const Wire& record) {
    Wire w;
    w.u8(static_cast<uint8_t>(ids.size())).ids(ids).append(record);
    return w;
  }
  static Wire Basic(uint8_t market, const std::string& code, int32_t now, int64_t volume = 0) {
    return One(kBasicIds, BasicRecord(market, code, now, now - 10, volume));
  }
  // A sort reply: 9-byte head (3 screen bytes, total, count), id list, records.
  static Wire ListReply(uint32_t total, uint16_t announced, const Wire& records,
                        std::initializer_list<uint8_t> ids = kBasicIds) {
    Wire w;
    w.u8(0xA1).u8(0xA2).u8(0xA3).i32(static_cast<int32_t>(total)).u16(announced);
    w.u8(static_cast<uint8_t>(ids.size())).ids(ids).append(records);
    return w;
  }
  tagLocalStockData Get(uint8_t market, const char* code, int* found = nullptr) {
    tagLocalStockData rec;
    int f = cache_->GetQuote(rec, market, code);
    if (found) *found = f;
    return rec;
  }
  bool Has(uint8_t market, const char* code) {
    int found = 0;
    Get(market, code, &found);
    return found == 1;
  }
  static std::string Code(int i) { return std::to_string(100000 + i); }

  uint32_t next_ = 1;
  std::unique_ptr<CQuoteCache> cache_;
};

TEST_F(QuoteCacheTest, StartsWithThePinnedIndexRecords) {
  EXPECT_EQ(cache_->GetCount(), 3);
  EXPECT_TRUE(Has(1, "000001"));
  EXPECT_TRUE(Has(2, "399001"));
  EXPECT_TRUE(Has(3, "999999"));
  EXPECT_FALSE(Has(2, "000001"));  // the market is part of the key
}

TEST_F(QuoteCacheTest, MissGivesAZeroedRecordWithMarketAndCode) {
  int found = 1;
  tagLocalStockData rec = Get(7, "ABCDEFGHIJK", &found);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(rec.market, 7);
  EXPECT_STREQ(rec.code, "ABCDEFGH");
  tagLocalStockData expect = Zeroed();
  expect.market = 7;
  SetRecordCode(expect, "ABCDEFGH");
  EXPECT_EQ(std::memcmp(&rec, &expect, sizeof rec), 0);
}

TEST_F(QuoteCacheTest, FullCacheReplacesTheLeastRecentlyUsedBeyondThePinned) {
  for (int i = 0; i < 297; ++i) {
    Wire w = Basic(1, Code(i), 1000 + i);
    ASSERT_GT(cache_->MergeOne(w.data(), w.size()), 0);
  }
  ASSERT_EQ(cache_->GetCount(), 300);
  // The pinned records have the smallest stamps (never used); record 0 is refreshed by a read.
  EXPECT_TRUE(Has(1, Code(0).c_str()));
  Wire fresh = Basic(2, "NEW1", 5000);
  cache_->MergeOne(fresh.data(), fresh.size());
  EXPECT_EQ(cache_->GetCount(), 300);
  EXPECT_TRUE(Has(2, "NEW1"));
  EXPECT_FALSE(Has(1, Code(1).c_str()));  // the oldest stamp of the unpinned records
  EXPECT_TRUE(Has(1, Code(0).c_str()));
  EXPECT_TRUE(Has(1, Code(2).c_str()));
  EXPECT_TRUE(Has(1, "000001"));
  EXPECT_TRUE(Has(2, "399001"));
  EXPECT_TRUE(Has(3, "999999"));
}

TEST_F(QuoteCacheTest, MergeKeepsUnlistedMembersScalesPricesAndTracksRealVolume) {
  Wire first = Basic(1, "600000", 1234, 1000);
  tagLocalStockData out, previous;
  ASSERT_EQ(cache_->MergeOne(first.data(), first.size(), &out, &previous), 8 + 1 + 3 + 4 + 4 + 8);
  EXPECT_EQ(out.now, 123400);  // pricedot 2
  EXPECT_EQ(out.yesterday, 122400);
  EXPECT_EQ(previous.market, 0);  // nothing stored before

  Wire volumeOnly = One({9, 10, 6}, Wire().u8(1).text("600000", 8).i64(1500));
  cache_->MergeOne(volumeOnly.data(), volumeOnly.size(), &out, &previous);
  EXPECT_EQ(previous.volume, 1000);
  EXPECT_EQ(out.volume, 1500);
  EXPECT_EQ(out.realvol, 500);
  EXPECT_EQ(out.now, 123400);  // not listed, kept as stored

  Wire lower = One({9, 10, 6}, Wire().u8(1).text("600000", 8).i64(1200));
  cache_->MergeOne(lower.data(), lower.size(), &out);
  EXPECT_EQ(out.realvol, 500);  // a falling volume leaves it

  // A record first made by a list without the day's volume (the watch list's first list: name,
  // prices, trading periods) holds 0 there: the volume a later list brings is the day's, not a
  // trade's, and the price panel would show the day's volume as 现量.
  Wire listRow = One({9, 10, 1}, Wire().u8(2).text("000002", 8).i32(1000));
  cache_->MergeOne(listRow.data(), listRow.size(), &out);
  Wire dayVolume = One({9, 10, 6}, Wire().u8(2).text("000002", 8).i64(135000));
  int64_t rise = -1;
  cache_->MergeOne(dayVolume.data(), dayVolume.size(), &out, &previous, &rise);
  EXPECT_EQ(out.volume, 135000);
  EXPECT_EQ(out.realvol, 0);
  EXPECT_EQ(rise, 0);
  // From then on the volume held is the day's, and its rises are trades.
  Wire risen = One({9, 10, 6}, Wire().u8(2).text("000002", 8).i64(136062));
  cache_->MergeOne(risen.data(), risen.size(), &out, &previous, &rise);
  EXPECT_EQ(out.realvol, 1062);
  EXPECT_EQ(rise, 1062);
  // The server's own 现量 is taken as it comes.
  Wire given = One({9, 10, 6, 8}, Wire().u8(2).text("000002", 8).i64(136062).i64(900));
  cache_->MergeOne(given.data(), given.size(), &out);
  EXPECT_EQ(out.realvol, 900);
}

// An answer the server made minutes before it came (held back, late) never lays its older figures
// over newer ones; a record that merely looks older by one reading of the clock is still taken.
TEST_F(QuoteCacheTest, ALateAnswerLeavesTheNewerFiguresAsTheyAre) {
  auto at = [](int day, int hour, int minute) {
    return testserver::DateMinWord(20261200 + day, hour * 60 + minute);
  };
  auto quote = [](int32_t now, int64_t volume, uint32_t when) {
    return One({9, 10, 5, 6, 21},
               Wire().u8(1).text("600000", 8).i32(now).i64(volume).i32(static_cast<int32_t>(when)));
  };
  tagLocalStockData out;
  const Wire newer = quote(1010, 5000, at(9, 10, 33));
  ASSERT_GT(cache_->MergeOne(newer.data(), newer.size(), &out), 0);
  // Two minutes older, less traded: the record and what the caller is handed stay the newer.
  const Wire late = quote(1005, 4200, at(9, 10, 31));
  ASSERT_GT(cache_->MergeOne(late.data(), late.size(), &out), 0);
  EXPECT_EQ(out.volume, 5000);
  EXPECT_EQ(Get(1, "600000").volume, 5000);
  EXPECT_EQ(Get(1, "600000").datetime.Minute, 33u);
  // The next minute, the next day, and a night session's first minute under its trading day's
  // date (an earlier clock, more traded) are all taken.
  for (const Wire& taken : std::vector<Wire>{quote(1011, 5100, at(9, 10, 34)), quote(1020, 100, at(10, 9, 31)),
                            quote(1021, 900, at(10, 21, 5)), quote(1022, 1000, at(10, 9, 1))}) {
    ASSERT_GT(cache_->MergeOne(taken.data(), taken.size(), &out), 0);
    EXPECT_EQ(out.volume, Get(1, "600000").volume);
  }
  EXPECT_EQ(Get(1, "600000").volume, 1000);
  // Without its minute a record cannot be told older: it is merged as ever.
  const Wire bare = One({9, 10, 6}, Wire().u8(1).text("600000", 8).i64(700));
  cache_->MergeOne(bare.data(), bare.size(), &out);
  EXPECT_EQ(out.volume, 700);

  // A new login (a server started again, playing its market anew from an earlier minute): its
  // answers are the market now. The latest trade held is of the course left, so none is known.
  const Wire ahead = quote(1030, 6000, at(11, 11, 0));
  const Wire again = One({9, 10, 5, 6, 21}, Wire().u8(1).text("600000", 8).i32(990).i64(3000).i32(
                                                static_cast<int32_t>(at(11, 10, 30))));
  ASSERT_GT(cache_->MergeOne(ahead.data(), ahead.size(), &out), 0);
  cache_->NewSession();
  ASSERT_GT(cache_->MergeOne(again.data(), again.size(), &out), 0);
  EXPECT_EQ(Get(1, "600000").volume, 3000);
  EXPECT_EQ(Get(1, "600000").datetime.Minute, 30u);
  EXPECT_TRUE(vmath::IsMark(out.realvol));
  // Within that session the guard holds again.
  ASSERT_GT(cache_->MergeOne(ahead.data(), ahead.size(), &out), 0);
  const Wire behind = quote(1000, 2000, at(11, 10, 20));
  ASSERT_GT(cache_->MergeOne(behind.data(), behind.size(), &out), 0);
  EXPECT_EQ(Get(1, "600000").volume, 6000);
}

TEST_F(QuoteCacheTest, TheRiseIsTheLatestTradeOnlyFromTheMinuteHeldOrTheNext) {
  auto at = [](int hour, int minute) {
    return static_cast<int32_t>(testserver::DateMinWord(20261209, hour * 60 + minute));
  };
  // A row that names its minute and 总量 but carries no 现量 of its own.
  auto row = [](int64_t volume, int32_t when) {
    return One({9, 10, 6, 21}, Wire().u8(1).text("600000", 8).i64(volume).i32(when));
  };
  tagLocalStockData out;
  for (const Wire& w : {row(5000, at(10, 30)), row(5400, at(10, 31))})
    ASSERT_GT(cache_->MergeOne(w.data(), w.size(), &out), 0);
  EXPECT_EQ(out.realvol, 400);
  // Four minutes on (the server was away): the rise spans them and is no trade's.
  const Wire gap = row(7000, at(10, 35));
  ASSERT_GT(cache_->MergeOne(gap.data(), gap.size(), &out), 0);
  EXPECT_TRUE(vmath::IsMark(out.realvol));
  EXPECT_EQ(FormatVolumeString(out.market, out.realvol, 100, 6), "----");
  // An answer with its own 现量 gives it, whatever the gap; the next minute's rise is taken again.
  const Wire own = One({9, 10, 6, 8, 21},
                       Wire().u8(1).text("600000", 8).i64(9000).i64(321).i32(at(10, 40)));
  ASSERT_GT(cache_->MergeOne(own.data(), own.size(), &out), 0);
  EXPECT_EQ(out.realvol, 321);
  const Wire next = row(9250, at(10, 41));
  ASSERT_GT(cache_->MergeOne(next.data(), next.size(), &out), 0);
  EXPECT_EQ(out.realvol, 250);
}

TEST_F(QuoteCacheTest, OverlappingBookIdsAreScaledOnce) {
  Wire rec;
  rec.u8(1).text("600000", 8).u8(2).u16(100).i32(1234);
  for (int l = 0; l < 10; ++l) rec.i32(1000 + l).i64(l);
  Wire body = One({9, 10, 19, 72, 74, 72}, rec.append(Wire().i32(1234)));
  tagLocalStockData out;
  ASSERT_GT(cache_->MergeOne(body.data(), body.size(), &out), 0);
  EXPECT_EQ(+out.buysell10.buy[0].price, 123400);
  EXPECT_EQ(+out.buysell10.buy[4].price, 100400);
  EXPECT_EQ(+out.buysell10.sell[0].price, 100500);
}

TEST_F(QuoteCacheTest, DerivedFields) {
  struct Case {
    const char* name;
    uint8_t zqlb;
    int64_t ltgb;
    int32_t hsl;
    int32_t ycmgsy;
    int32_t now;
    int64_t volume;
    int32_t expectHsl;
    int32_t expectSyl;
    int32_t expectLb;
  };
  const Case cases[] = {
      {"turnover from float", 0, 2000000, 0, 0, 100, 50000, 250, 0, kEmptyValue + 0},
      {"no float keeps decoded turnover", 0, 0, 77, 0, 100, 0, 77, 0, kEmptyValue},
      {"no float and no turnover is empty", 0, 0, 0, 0, 100, 0, kEmptyValue, 0, kEmptyValue},
      {"P/E from earnings", 0, 0, 5, 2500, 100, 10, 5, 400, 0},
      {"category 1 has no P/E", 1, 0, 5, 2500, 100, 10, 5, 0, 0},
      {"no prices: empty P/E", 0, 0, 5, 0, 0, 10, 5, kEmptyValue, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tagLocalStockData rec = Zeroed();
    rec.zqlb = c.zqlb;
    rec.ltgb = c.ltgb;
    rec.hsl = c.hsl;
    rec.ycmgsy = c.ycmgsy;
    rec.now = c.now;
    rec.volume = c.volume;
    CalcQuoteDerived(rec);
    EXPECT_EQ(rec.hsl, c.expectHsl);
    EXPECT_EQ(rec.syl, c.expectSyl);
    if (c.volume == 0) {
      EXPECT_EQ(rec.lb, kEmptyValue);
    }
  }
}

TEST_F(QuoteCacheTest, VolumeRatioUsesThePerMinuteBasisAndTheSessionIndex) {
  // Sessions 570-690, 780-900 (241 minutes); volrate 241000 on the wire is 1000 per minute.
  Wire rec;
  rec.u8(1).text("600000", 8).u8(2).u16(100);
  rec.u8(2).u16(570).u16(690).u16(780).u16(900).u16(0).u16(0);
  rec.i32(static_cast<int32_t>(0u | (10u << 6)));  // 10:00, point 31
  rec.i64(62000).i64(241000);
  Wire body = One({9, 10, 19, 20, 21, 6, 82}, rec);
  tagLocalStockData out;
  ASSERT_GT(cache_->MergeOne(body.data(), body.size(), &out), 0);
  EXPECT_DOUBLE_EQ(out.volrate, 1000.0);
  EXPECT_EQ(out.lb, 20000);  // 62000 x 10000 / (1000 x 31)
}

TEST_F(QuoteCacheTest, ListReplyMergesRecordsAndWritesCodeItemsAndHead) {
  Wire records;
  records.append(BasicRecord(1, "600000", 1000, 990, 5))
      .append(BasicRecord(2, "000002", 2000, 1990, 6))
      .append(BasicRecord(1, "600036", 3000, 2990, 7));
  Wire body = ListReply(4321, 3, records);
  // Category 11 is not in the list: a stored one comes back in the items.
  Wire typed = One({9, 10, 11}, Wire().u8(2).text("000002", 8).u8(4));
  cache_->MergeOne(typed.data(), typed.size());

  tagCodeItem items[30];
  uint8_t head[9];
  ASSERT_EQ(cache_->ParseListReply(body.data(), body.size(), items, 30, head), 3);
  EXPECT_EQ(ReadLE32(head + 3), 4321u);
  EXPECT_EQ(ReadLE16(head + 7), 3);
  EXPECT_EQ(head[0], 0xA1);
  EXPECT_STREQ(items[1].code, "000002");
  EXPECT_EQ(items[1].market, 2);
  EXPECT_EQ(items[1].zqlb, 4);
  EXPECT_EQ(Get(1, "600036").now, 300000);

  // A maximum below the count cuts the reply, and the head says so.
  auto small = std::make_unique<CQuoteCache>();
  ASSERT_EQ(small->ParseListReply(body.data(), body.size(), items, 2, head), 2);
  EXPECT_EQ(ReadLE16(head + 7), 2);
  tagLocalStockData rec;
  EXPECT_EQ(small->GetQuote(rec, 1, "600036"), 0);
}

TEST_F(QuoteCacheTest, BoardListReplyHasTheLongHead) {
  Wire body;
  body.zeros(9).i32(77).u16(1).zeros(55 - 15);
  body.u8(6).ids(kBasicIds).append(BasicRecord(2, "BK0001", 1500, 1400, 9));
  tagCodeItem items[25];
  uint8_t head[55];
  ASSERT_EQ(cache_->ParseListReply55(body.data(), body.size(), items, 25, head), 1);
  EXPECT_EQ(ReadLE32(head + 9), 77u);
  EXPECT_EQ(ReadLE16(head + 13), 1);
  EXPECT_STREQ(items[0].code, "BK0001");
}

TEST_F(QuoteCacheTest, HostileListRepliesKeepWhatDecodedAndNothingElse) {
  LogCapture log;
  Wire two;
  two.append(BasicRecord(1, "AAA", 1000, 990, 5)).append(BasicRecord(1, "BBB", 2000, 1990, 6));
  Wire half = BasicRecord(1, "CCC", 3000, 2990, 7);
  half.b.resize(half.size() - 5);
  Wire claims = ListReply(65535, 65535, Wire().append(two).append(half));

  tagCodeItem items[30];
  uint8_t head[9];
  EXPECT_EQ(cache_->ParseListReply(claims.data(), claims.size(), items, 30, head), 2);
  EXPECT_EQ(ReadLE16(head + 7), 2);  // clamped to what was decoded
  EXPECT_TRUE(Has(1, "BBB"));
  EXPECT_FALSE(Has(1, "CCC"));
  EXPECT_EQ(cache_->GetCount(), 5);

  // Every cut of the reply decodes safely, never more records than whole ones.
  for (size_t cut = 0; cut < claims.size(); ++cut) {
    auto local = std::make_unique<CQuoteCache>();
    const int n = local->ParseListReply(claims.data(), cut, items, 30, head);
    EXPECT_LE(n, 2);
    EXPECT_EQ(n < 0, cut < 9 + 1 + 6) << cut;
  }

  // An unknown id stops the reply at once: nothing is stored misaligned.
  Wire unknown = ListReply(2, 2, two, {9, 10, 19, 5, 34, 1, 6});
  auto other = std::make_unique<CQuoteCache>();
  EXPECT_EQ(other->ParseListReply(unknown.data(), unknown.size(), items, 30, head), 0);
  EXPECT_EQ(other->GetCount(), 3);
  EXPECT_EQ(log.count("!!!!!!!!ERROR: HQ_FIELD_FUNC unknown field:34"), 1);

  // A head that does not fit.
  EXPECT_EQ(cache_->ParseListReply(claims.data(), 8, items, 30, head), -1);
  EXPECT_EQ(cache_->ParseListReply(nullptr, 0, items, 30, head), -1);
  uint8_t head55[55];
  EXPECT_EQ(cache_->ParseListReply55(claims.data(), 55, items, 30, head55), -1);
}

TEST_F(QuoteCacheTest, QuotePushReportsTheBytesOfWholeRecords) {
  Wire body;
  body.u16(3).u8(6).ids(kBasicIds);
  const size_t head = body.size();
  body.append(BasicRecord(1, "AAA", 1, 1, 1)).append(BasicRecord(1, "BBB", 2, 2, 2));
  const size_t whole = body.size();
  body.append(BasicRecord(1, "CCC", 3, 3, 3)).b.resize(body.size() - 1);
  LogCapture log;
  EXPECT_EQ(cache_->UpdateQuotes(body.data(), body.size()), static_cast<int>(whole));
  EXPECT_TRUE(Has(1, "BBB"));
  EXPECT_FALSE(Has(1, "CCC"));
  EXPECT_EQ(cache_->UpdateQuotes(body.data(), head - 1), -1);
}

TEST_F(QuoteCacheTest, Field86IsMergedWithoutComplaint) {
  LogCapture log;
  Wire a = One({9, 10, 86}, Wire().u8(1).text("600000", 8).i64(111));
  Wire b = One({9, 10, 86}, Wire().u8(1).text("600000", 8).i64(222));
  cache_->MergeOne(a.data(), a.size());
  cache_->MergeOne(b.data(), b.size());
  EXPECT_EQ(Get(1, "600000").ltBG, 222);
  EXPECT_EQ(log.countPrefix("!!!!!!!"), 0);
}

TEST_F(QuoteCacheTest, BriefPushes) {
  Wire known = Basic(1, "600000", 1000, 10);
  cache_->MergeOne(known.data(), known.size());
  Wire body;
  body.u16(5);  // announces more items than the length holds
  body.u8(1).text("600000", 8).u8(2).u8(2).i32(1234).i32(1200).i64(99);
  body.u8(2).text("000002", 8).u8(3).u8(3).i32(5000).i32(4000).i64(77);
  body.zeros(26);
  cache_->PushBrief(body.data(), body.size());
  tagLocalStockData a = Get(1, "600000");
  EXPECT_EQ(a.now, 123400);
  EXPECT_EQ(a.yesterday, 120000);
  EXPECT_EQ(a.zd, 3400);
  EXPECT_EQ(a.amount, 99);
  EXPECT_EQ(a.zqlb, 2);
  EXPECT_EQ(a.volume, 10);  // not carried by a brief
  tagLocalStockData b = Get(2, "000002");
  EXPECT_EQ(b.now, 50000);
  EXPECT_EQ(b.zd, 0);  // a new record starts without a change
  EXPECT_EQ(cache_->GetCount(), 5);

  Wire index;
  index.u8(0).u16(2);
  index.u8(1)
      .text("000001", 8)
      .u8(0)
      .u8(2)
      .i32(300000)
      .i32(290000)
      .i64(1)
      .u16(700)
      .u16(50)
      .u16(300);
  index.zeros(32);
  cache_->PushIndexBrief(index.data(), index.size());
  tagLocalStockData i = Get(1, "000001");
  EXPECT_EQ(i.now, 30000000);
  EXPECT_EQ(i.index_up, 700);
  EXPECT_EQ(i.index_same, 50);
  EXPECT_EQ(i.index_down, 300);
  EXPECT_EQ(cache_->GetCount(), 5);
}

TEST_F(QuoteCacheTest, SearchedStockKeepsItsCategory) {
  Wire typed = One({9, 10, 11}, Wire().u8(1).text("600000", 8).u8(3));
  cache_->MergeOne(typed.data(), typed.size());

  auto hit = [](uint8_t market, const char* code, uint8_t type, const std::u16string& name) {
    Wire w;
    w.u8(market).text(code, 8).u8(type);
    for (int k = 0; k < 8; ++k) w.u16(k < static_cast<int>(name.size()) ? name[k] : 0);
    return w;
  };
  Wire noType = hit(1, "600000", 0, u"浦发银行");
  cache_->AddSearchedStock(noType.data(), noType.size());
  tagLocalStockData rec = Get(1, "600000");
  EXPECT_EQ(rec.zqlb, 3);
  EXPECT_EQ(std::u16string(rec.name), u"浦发银行");

  Wire withType = hit(1, "600000", 5, u"浦发");
  cache_->AddSearchedStock(withType.data(), withType.size());
  rec = Get(1, "600000");
  EXPECT_EQ(rec.zqlb, 5);
  EXPECT_EQ(std::u16string(rec.name), u"浦发");  // the whole name is replaced

  Wire fresh = hit(2, "000002", 1, u"万科Ａ");
  cache_->AddSearchedStock(fresh.data(), fresh.size());
  EXPECT_EQ(std::u16string(Get(2, "000002").name), u"万科Ａ");
  cache_->AddSearchedStock(fresh.data(), 25);  // short item: ignored
  EXPECT_EQ(cache_->GetCount(), 5);
}

TEST_F(QuoteCacheTest, SeatTable) {
  LogCapture log;
  cache_->AddHKSeat(1000, 1099, "高盛", "高盛(亚洲)证券有限公司");
  cache_->AddHKSeat(1000, 1099, "高盛亚洲", std::string(200, 'x').c_str());
  EXPECT_EQ(cache_->GetSeatCount(), 1);
  tagHKSeat seat;
  ASSERT_EQ(cache_->FindHKJJSName("1050", &seat), 1);
  EXPECT_STREQ(seat.shortName, "高盛亚洲");
  EXPECT_EQ(std::strlen(seat.fullName), 79u);
  EXPECT_EQ(cache_->FindHKJJSName("2000", &seat), 0);

  for (int k = 1; k <= 200; ++k) cache_->AddHKSeat(k * 10000, k * 10000 + 9, "s", "f");
  EXPECT_EQ(cache_->GetSeatCount(), 200);
  EXPECT_EQ(cache_->FindHKJJSName("1050", &seat), 0);  // the oldest range was dropped
  EXPECT_EQ(cache_->FindHKJJSName("2000005", &seat), 1);
  EXPECT_EQ(log.count("After update , there are 200"), 2);
}

TEST_F(QuoteCacheTest, SeatReplyIsARecordTable) {
  LogCapture log;
  MDBF table;
  table.AddIntField(22, 2000);
  table.AddIntField(23, 2099);
  table.SetNSString(24, std::string_view("摩根"));
  std::string longName;
  for (int k = 0; k < 40; ++k) longName += "摩";  // 120 bytes of UTF-8
  table.SetNSString(25, std::string_view(longName));
  uint8_t body[1024];
  int written = 0;
  const int len = table.SerializeAll(body, sizeof body, &written);
  ASSERT_GT(len, 0);
  EXPECT_EQ(cache_->UpdateHKJJSInfo(body, static_cast<size_t>(len)), 1);
  tagHKSeat seat;
  ASSERT_EQ(cache_->FindHKJJSName("2001", &seat), 1);
  EXPECT_STREQ(seat.shortName, "摩根");
  EXPECT_EQ(std::strlen(seat.fullName), 78u);  // cut between characters
  EXPECT_EQ(log.count("---Start update HKJJSInfo: 2000-2099 (摩根)"), 1);
  EXPECT_EQ(cache_->UpdateHKJJSInfo(body, 3), 0);
  EXPECT_EQ(cache_->GetSeatCount(), 1);
}

TEST_F(QuoteCacheTest, WrappedStampsEmptyTheCache) {
  Wire a = Basic(1, "600000", 1000);
  cache_->MergeOne(a.data(), a.size());
  next_ = 0;  // the counter wrapped
  Wire b = Basic(1, "600001", 1000);
  cache_->MergeOne(b.data(), b.size());
  EXPECT_EQ(cache_->GetCount(), 1);
  EXPECT_FALSE(Has(1, "600000"));
  EXPECT_TRUE(Has(1, "600001"));
}

TEST_F(QuoteCacheTest, PushedQuoteExtendsTheTrendAndTicksOfTheStockOnShow) {
  CTrendStore trend;
  CTickList ticks;
  trend.SetStock(1, "600000");
  ticks.SetStock(1, "600000");
  auto push = [&](const char* code, int32_t now, int64_t volume, int minute) {
    Wire rec;
    rec.u8(1).text(code, 8).u8(2).u16(100).i32(now).i32(1000).i64(volume);
    rec.u8(2).u16(570).u16(690).u16(780).u16(900).u16(0).u16(0);
    rec.i32(static_cast<int32_t>((minute % 60) | ((minute / 60) << 6)));
    Wire body = One({9, 10, 19, 5, 1, 6, 20, 21}, rec);
    cache_->PushQuote(body.data(), body.size(), trend, ticks);
  };
  // The first push gives the day's volume so far, which is no trade and no minute's volume.
  push("600000", 1010, 10000, 571);
  tagLocalTrendData points[kTrendCapacity];
  EXPECT_EQ(trend.CopyPoints(points, kTrendCapacity), 0);
  push("600000", 1020, 10000, 572);  // volume did not rise: nothing appended
  push("600000", 1030, 15000, 572);
  push("600001", 1030, 99999, 573);  // another stock
  ASSERT_EQ(trend.CopyPoints(points, kTrendCapacity), 3);
  EXPECT_EQ(points[2].now, 103000);
  EXPECT_EQ(points[2].volume, 5000);
  EXPECT_EQ(points[1].volume, 0);
  EXPECT_EQ(points[0].now, 100000);  // the gap before takes yesterday
  tagLocalDealData deals[kTickCapacity];
  ASSERT_EQ(ticks.CopyTicks(deals, kTickCapacity), 1);
  EXPECT_EQ(+deals[0].volume, 50);
  EXPECT_EQ(+deals[0].time, 572);
}

TEST_F(QuoteCacheTest, GetQuotesReadsEachItem) {
  Wire a = Basic(1, "600000", 1000);
  cache_->MergeOne(a.data(), a.size());
  tagCodeItem items[3] = {};
  std::strcpy(items[0].code, "600000");
  items[0].market = 1;
  std::strcpy(items[1].code, "NONE");
  items[1].market = 1;
  std::strcpy(items[2].code, "399001");
  items[2].market = 2;
  tagLocalStockData out[3];
  EXPECT_EQ(cache_->GetQuotes(out, items, 3), 2);
  EXPECT_EQ(out[0].now, 100000);
  EXPECT_STREQ(out[1].code, "NONE");
  EXPECT_EQ(out[2].market, 2);
}

}  // namespace

namespace {

// A detail quote of 600000 with its five levels, 委比, 外盘 and 内盘 and the main-force volumes,
// or a list row carrying the best bid and ask, 委比, 总量, 外盘 and 内盘 as the watch list asks.
Wire DetailQuote(int32_t bestBid, int64_t volume) {
  Wire rec;
  rec.u8(1).text("600000", 8).u8(2).u16(100).i64(volume);
  for (int l = 0; l < 5; ++l) rec.i32(bestBid - l).i64(100 + l);
  for (int l = 0; l < 5; ++l) rec.i32(bestBid + 1 + l).i64(200 + l);
  rec.i32(-2000).i64(volume * 6 / 10).i64(volume - volume * 6 / 10);
  for (int k = 0; k < 8; ++k) rec.i32(k + 1);
  for (int k = 0; k < 8; ++k) rec.i64(volume / 8 + (k == 0 ? volume % 8 : 0));
  for (int k = 0; k < 8; ++k) rec.i64(volume * 10);
  return rec;
}
const std::initializer_list<uint8_t> kDetailIds = {9, 10, 19, 6, 74, 40, 75, 62, 95, 96, 97};
const std::initializer_list<uint8_t> kRowIds = {9, 10, 6, 72, 73, 40, 75, 62};
Wire ListRow(int32_t bestBid, int64_t volume, int32_t ratio) {
  return Wire()
      .u8(1)
      .text("600000", 8)
      .i64(volume)
      .i32(bestBid)
      .i32(bestBid + 1)
      .i32(ratio)
      .i64(volume / 2)
      .i64(volume - volume / 2);
}

bool Crossed(const tagLocalStockData& q) {
  auto known = [](int32_t p) { return p != 0 && !vmath::IsMark(p); };
  for (int l = 0; l + 1 < 5; ++l) {
    const int32_t b0 = q.buysell10.buy[l].price, b1 = q.buysell10.buy[l + 1].price;
    const int32_t a0 = q.buysell10.sell[l].price, a1 = q.buysell10.sell[l + 1].price;
    if (known(b0) && known(b1) && b1 >= b0) return true;
    if (known(a0) && known(a1) && a1 <= a0) return true;
  }
  return known(q.buysell10.buy[0].price) && known(q.buysell10.sell[0].price) &&
         q.buysell10.sell[0].price <= q.buysell10.buy[0].price;
}

}  // namespace

// A list row of a later minute moves the best bid and ask, 委比 and 总量 but carries neither the
// other levels nor the main-force table: those it leaves of the older minute are not known now
// (never a crossed book, never a table that does not add up to 总量), until an answer of the
// whole group comes. A row of the same minute changes nothing of them.
TEST_F(QuoteCacheTest, FieldsOfAGroupComeFromOneAnswer) {
  tagLocalStockData out;
  const Wire detail = One(kDetailIds, DetailQuote(1000, 8000));
  ASSERT_GT(cache_->MergeOne(detail.data(), detail.size(), &out), 0);
  EXPECT_TRUE(BookHoldsLevelsFrom(out, 1));
  EXPECT_TRUE(MainForceKnown(out));
  // The same minute's row: the best prices as held.
  const Wire same = One(kRowIds, ListRow(1000, 8000, -2000));
  ASSERT_GT(cache_->MergeOne(same.data(), same.size(), &out), 0);
  EXPECT_EQ(out.buysell10.buy[4].price, 99600);
  EXPECT_EQ(out.buysell10.buy[0].volume, 100);
  EXPECT_TRUE(MainForceKnown(out));

  // A later minute's row: the bid rose above the held second ask.
  const Wire later = One(kRowIds, ListRow(1003, 9000, 1500));
  ASSERT_GT(cache_->MergeOne(later.data(), later.size(), &out), 0);
  EXPECT_FALSE(Crossed(out));
  EXPECT_EQ(out.buysell10.buy[0].price, 100300);
  EXPECT_EQ(out.buysell10.sell[0].price, 100400);
  EXPECT_TRUE(vmath::IsMark(out.buysell10.buy[0].volume));  // 72 carries the price alone
  EXPECT_FALSE(BookHoldsLevelsFrom(out, 1));
  EXPECT_TRUE(vmath::IsMark(out.buysell10.sell[1].price));
  EXPECT_EQ(out.index_wb, 1500);
  EXPECT_EQ(out.out + out.in, out.volume);
  EXPECT_FALSE(MainForceKnown(out));
  EXPECT_EQ(FormatPriceString(out.buysell10.sell[2].price, 8, 2, 0), "----");
  // The detail's next answer brings the whole group back.
  const Wire next = One(kDetailIds, DetailQuote(1004, 9100));
  ASSERT_GT(cache_->MergeOne(next.data(), next.size(), &out), 0);
  EXPECT_TRUE(BookHoldsLevelsFrom(out, 1));
  EXPECT_TRUE(MainForceKnown(out));
  EXPECT_FALSE(Crossed(out));

  // A row moving 总量 without 外盘 and 内盘 leaves them not known.
  const Wire volumeOnly = One({9, 10, 6}, Wire().u8(1).text("600000", 8).i64(9500));
  ASSERT_GT(cache_->MergeOne(volumeOnly.data(), volumeOnly.size(), &out), 0);
  EXPECT_TRUE(vmath::IsMark(out.out));
  EXPECT_TRUE(vmath::IsMark(out.in));
  EXPECT_FALSE(MainForceKnown(out));
  // 委比 moved alone: the whole book is of an older answer.
  const Wire ratioOnly = One({9, 10, 40}, Wire().u8(1).text("600000", 8).i32(700));
  const Wire full = One(kDetailIds, DetailQuote(1004, 9600));
  ASSERT_GT(cache_->MergeOne(full.data(), full.size(), &out), 0);
  ASSERT_GT(cache_->MergeOne(ratioOnly.data(), ratioOnly.size(), &out), 0);
  EXPECT_FALSE(BookHoldsLevelsFrom(out, 0));
  // A row whose best bid and ask stand as held while 委比 moved: the levels beyond the best
  // moved too, and those held are of the older answer (never a 委比 the shown levels don't make).
  ASSERT_GT(cache_->MergeOne(full.data(), full.size(), &out), 0);
  const Wire ratioMoved = One(kRowIds, ListRow(1004, 9700, 700));
  ASSERT_GT(cache_->MergeOne(ratioMoved.data(), ratioMoved.size(), &out), 0);
  EXPECT_EQ(out.buysell10.buy[0].price, 100400);
  EXPECT_EQ(out.index_wb, 700);
  EXPECT_FALSE(BookHoldsLevelsFrom(out, 1));
}

// The main-force page asks for the five levels without 委比 (40): the 委比 beside them is not
// known whether the record held an older one, one of 0 (a balanced book) or none at all (a
// search hit, or the record made by that answer); a 0 would read as a balanced book beside
// levels that are not. The trend page's answer, which carries both, makes it known again.
TEST_F(QuoteCacheTest, FiveLevelsWithoutTheirRatioLeaveItNotKnown) {
  const std::initializer_list<uint8_t> kBookIds = {9, 10, 19, 6, 74, 75, 62};
  const std::initializer_list<uint8_t> kTrendIds = {9, 10, 19, 6, 74, 75, 62, 40};
  auto quote = [](const char* code, int32_t bestBid, int64_t bids, int64_t asks,
                  const int32_t* ratio) {
    Wire rec;
    rec.u8(1).text(code, 8).u8(2).u16(100).i64(9000);
    for (int l = 0; l < 5; ++l) rec.i32(bestBid - l).i64(bids);
    for (int l = 0; l < 5; ++l) rec.i32(bestBid + 1 + l).i64(asks);
    rec.i64(5000).i64(4000);
    if (ratio) rec.i32(*ratio);
    return rec;
  };
  const int32_t balanced = 0, ratio = 5000;  // (1500 - 500) / 2000
  tagLocalStockData out;

  // Made by the main-force answer.
  const Wire first = One(kBookIds, quote("600000", 1000, 300, 100, nullptr));
  ASSERT_GT(cache_->MergeOne(first.data(), first.size(), &out), 0);
  EXPECT_TRUE(vmath::IsMark(out.index_wb));
  EXPECT_TRUE(vmath::IsMark(out.index_wc));

  // Made by a search hit, then the main-force answer.
  Wire hit;
  hit.u8(1).text("600004", 8).u8(2).zeros(16);
  cache_->AddSearchedStock(hit.data(), hit.size());
  const Wire afterHit = One(kBookIds, quote("600004", 1000, 300, 100, nullptr));
  ASSERT_GT(cache_->MergeOne(afterHit.data(), afterHit.size(), &out), 0);
  EXPECT_TRUE(vmath::IsMark(out.index_wb));

  // A balanced book's 委比 of 0, then the main-force answer of another book.
  const Wire even = One(kTrendIds, quote("600006", 1000, 200, 200, &balanced));
  ASSERT_GT(cache_->MergeOne(even.data(), even.size(), &out), 0);
  EXPECT_EQ(out.index_wb, 0);
  const Wire moved = One(kBookIds, quote("600006", 1001, 300, 100, nullptr));
  ASSERT_GT(cache_->MergeOne(moved.data(), moved.size(), &out), 0);
  EXPECT_TRUE(vmath::IsMark(out.index_wb));
  const Wire trend = One(kTrendIds, quote("600006", 1001, 300, 100, &ratio));
  ASSERT_GT(cache_->MergeOne(trend.data(), trend.size(), &out), 0);
  EXPECT_EQ(out.index_wb, 5000);
  EXPECT_EQ(out.buysell10.buy[4].volume, 300);
}
