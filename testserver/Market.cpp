// The market: its securities and their sessions, built from the seed and the date, and the clock
// that moves them from minute to minute (the session each shows, the minutes played).
#include "testserver/Market.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/MarketTable.h"
#include "core/NewYorkClock.h"
#include "platform/foundation/Text.h"
#include "testserver/MarketParts.h"
#include "testserver/PriceGrid.h"
#include "testserver/TradeTape.h"

namespace testserver {

namespace {

struct NameChar {
  const char* text;
  char initial;
};

const NameChar kFirst[] = {
    {"华", 'H'}, {"中", 'Z'}, {"国", 'G'}, {"东", 'D'}, {"方", 'F'}, {"海", 'H'}, {"南", 'N'},
    {"北", 'B'}, {"金", 'J'}, {"科", 'K'}, {"天", 'T'}, {"新", 'X'}, {"信", 'X'}, {"安", 'A'},
    {"建", 'J'}, {"泰", 'T'}, {"宏", 'H'}, {"长", 'C'}, {"江", 'J'}, {"恒", 'H'}, {"大", 'D'},
    {"万", 'W'}, {"瑞", 'R'}, {"鑫", 'X'}, {"盛", 'S'}, {"德", 'D'}, {"龙", 'L'}, {"凯", 'K'},
};

const NameChar kSecond[] = {
    {"通", 'T'}, {"达", 'D'}, {"汇", 'H'}, {"联", 'L'}, {"创", 'C'}, {"丰", 'F'}, {"隆", 'L'},
    {"宁", 'N'}, {"源", 'Y'}, {"远", 'Y'}, {"光", 'G'}, {"明", 'M'}, {"星", 'X'}, {"川", 'C'},
};

struct Industry {
  const char* text;
  const char* initials;
};

const Industry kIndustries[] = {
    {"电力", "DL"}, {"银行", "YH"}, {"科技", "KJ"}, {"医药", "YY"}, {"能源", "NY"},
    {"地产", "DC"}, {"钢铁", "GT"}, {"汽车", "QC"}, {"证券", "ZQ"}, {"化工", "HG"},
    {"传媒", "CM"}, {"电子", "DZ"}, {"食品", "SP"}, {"机械", "JX"}, {"水泥", "SN"},
    {"航空", "HK"}, {"物流", "WL"}, {"环保", "HB"}, {"软件", "RJ"}, {"通信", "TX"},
};

constexpr int kIndustryCount = sizeof kIndustries / sizeof kIndustries[0];

struct Named {
  const char* code;
  const char* name;
  const char* initials;
  int32_t price;  // 1/10000
};

const uint16_t kSessionsA[] = {570, 690, 780, 900};

const uint16_t kSessionsHk[] = {570, 720, 780, 960};

const uint16_t kSessionsFinFut[] = {555, 690, 780, 915};

// A commodity's trading day opens with the night session on the evening before (21:00 to 02:30
// past midnight) and goes on with the day's: its periods run on a day from that evening.
const uint16_t kSessionsComFut[] = {1260, 1590, 1980, 2130, 2250, 2340};

const uint16_t kSessionsForex[] = {540, 1380};

const uint16_t kSessionsGlobal[] = {570, 960};

// New York's session in its own time; Beijing is twelve hours ahead while New York keeps
// daylight-saving time (21:30 to 04:00), thirteen outside it (22:30 to 05:00).
const uint16_t kSessionsUs[] = {570, 960};

void SetSessions(tagLocalStockData& q, const uint16_t* t, int n) {
  q.tradetimenum = static_cast<uint8_t>(n / 2);
  for (int i = 0; i < 6; ++i) q.tradetime[i] = i < n ? t[i] : 0;
}

void SetName(tagLocalStockData& q, const std::string& utf8) {
  std::u16string n = foundation::utf8ToUtf16(utf8);
  std::memset(q.name, 0, sizeof q.name);
  for (size_t i = 0; i < n.size() && i < 16; ++i) q.name[i] = n[i];
}

}  // namespace

SeedStamp Market::stampSeed(int daysBack, int32_t time) const {
  const int back = std::max(daysBack, 0) + (sessionBegun() ? 0 : 1);
  SeedStamp out{TradingDaysBefore(date_, back), time, true};
  // The market has one history: a seed keeps its own time on its day, and one of today that
  // lies after the clock has not happened yet (never moved to look as if it had).
  if (back == 0) out.due = time / 100 <= minute_ / 60 * 100 + minute_ % 60;
  return out;
}

Market::Market(uint64_t seed, int32_t date, int minute, bool closed)
    : seed_(seed), date_(date), minute_(minute), closed_(closed) {
  if (minute_ < 0) minute_ = 0;
  if (minute_ > 1439) minute_ = 1439;
  build();
}

int Market::add(uint8_t market, const std::string& code, const std::string& name,
                const std::string& initials, uint8_t type, int32_t price) {
  Security s;
  tagLocalStockData& q = s.q;
  std::memset(&q, 0, sizeof q);
  q.market = market;
  SetRecordCode(q, code.c_str());
  q.zqlb = type;
  SetName(q, name);
  s.initials = initials;
  s.key = Mix(seed_, CodeToKey(code.c_str()) ^ (uint64_t(market) << 56));
  switch (type) {
    case kTypeFund:
    case kTypeHkMain:
    case kTypeHkGem:
    case kTypeHkOther:
    case kTypeHkWarrant:
    case kTypeHkCbbc:
      q.pricedot = 3;
      break;
    case kTypeForex:
      q.pricedot = 4;
      break;
    case kTypeFuture: {
      const markets::Contract* c = markets::FindContract(market, code);
      q.pricedot = c ? c->pricedot : 1;
      break;
    }
    default:
      q.pricedot = 2;
  }
  q.unit = type == kTypeFuture ? 1 : (market == kMarketHk ? 1000 : 100);
  if (type == kTypeForex) q.unit = 1;
  if (const markets::Contract* c =
          type == kTypeFuture ? markets::FindContract(market, code) : nullptr)
    q.unit = c->lot;
  // The Hong Kong boards trade in their members' hours.
  const bool hkBoard = market == kMarketBoard && code.rfind("505", 0) == 0;
  switch (hkBoard ? static_cast<uint8_t>(kMarketHk) : market) {
    case kMarketHk:
      SetSessions(q, kSessionsHk, 4);
      break;
    case kMarketFinancialFutures:
      SetSessions(q, kSessionsFinFut, 4);
      break;
    case kMarketCommodityFutures:
    case kMarketOtherFutures:
      SetSessions(q, kSessionsComFut, 6);
      break;
    case kMarketForex:
      SetSessions(q, kSessionsForex, 2);
      break;
    case kMarketGlobalIndex:
      SetSessions(q, kSessionsGlobal, 2);
      break;
    case kMarketUs:
      SetSessions(q, kSessionsUs, 2);
      break;
    default:
      SetSessions(q, kSessionsA, 4);
  }
  s.points = GetTradeMinutes(q);
  const int32_t tick = PriceStep(q);
  q.yesterday = OnStep(q, price * (0.9 + 0.2 * Unit(s.key, kMisc)));
  if (q.yesterday < tick * 10) q.yesterday = OnStep(q, tick * 10);
  // Indices have no share capital of their own.
  const bool share =
      type != kTypeIndex && (type == kTypeAShare || type == kTypeSme || type == kTypeChiNext ||
                             type == kTypeBShare || market == kMarketHk || market == kMarketUs);
  if (share) {
    q.zgb = static_cast<int64_t>(2e8 + 8e9 * Unit(s.key, kMisc + 1)) / 100 * 100;
    q.ltgb = q.zgb / 10 * 7;
    q.ycmgsy = static_cast<int32_t>(q.yesterday / (8 + 30 * Unit(s.key, kMisc + 2)));
    q.zxmgsy = q.ycmgsy;
    q.mgJZZ = q.yesterday / 3;
  }
  if (const double limit = DailyLimit(q); limit > 0) {
    q.upprice = RoundTo(q.yesterday * (1 + limit), tick);
    q.downprice = RoundTo(q.yesterday * (1 - limit), tick);
  }
  if (type == kTypeFuture) {
    q.ZRJSJ = q.yesterday;
    // Open interest of the order of a day's volume.
    q.JRCCS.zrccl = static_cast<int64_t>(DailyVolume(q) * (0.6 + 0.6 * Unit(s.key, kMisc + 4)));
  }
  s.base = q.yesterday;
  makeHistory(s);
  secs_.push_back(std::move(s));
  return static_cast<int>(secs_.size()) - 1;
}

void Market::takeMinutes(Security& s, const std::vector<tagLocalTrendData>& pts,
                         const DayBar& before) {
  s.path.clear();
  s.minuteVolume.clear();
  s.minuteAmount.clear();
  s.minuteInterest.clear();
  s.path.reserve(pts.size());
  s.minuteVolume.reserve(pts.size());
  s.minuteInterest.reserve(pts.size());
  int64_t interest = before.ccl;
  for (const tagLocalTrendData& p : pts) {
    s.path.push_back(p.now);
    s.minuteVolume.push_back(p.volume);
    s.minuteInterest.push_back(p.ccl - interest);
    interest = p.ccl;
  }
  s.minuteAmount = SteppedAmounts(pts);
}

void Market::build() {
  // Room for every security the market lists (a Security carries its whole quote).
  secs_.reserve(400);
  auto named = [&](uint8_t market, uint8_t type, const Named* list, size_t n) {
    for (size_t i = 0; i < n; ++i)
      add(market, list[i].code, list[i].name, list[i].initials, type, list[i].price);
  };
  static const Named kShIndices[] = {{"000001", "上证指数", "SZZS", 35000000},
                                     {"000016", "上证50", "SZ50", 23000000},
                                     {"000300", "沪深300", "HS300", 37000000}};
  static const Named kSzIndices[] = {{"399001", "深证成指", "SZCZ", 125000000},
                                     {"399005", "中小板指", "ZXBZ", 78000000},
                                     {"399006", "创业板指", "CYBZ", 26000000}};
  static const Named kHkIndices[] = {{"999999", "恒生指数", "HSZS", 220000000},
                                     {"999998", "国企指数", "GQZS", 96000000}};
  named(kMarketSh, kTypeIndex, kShIndices, 3);
  named(kMarketSz, kTypeIndex, kSzIndices, 3);
  named(kMarketHk, kTypeIndex, kHkIndices, 2);

  // Generated names: two characters and an industry, unique across the market.
  int nameNo = 0;
  std::vector<std::string> used;
  auto nextName = [&](std::string* initials) {
    for (;;) {
      uint64_t r = Mix(seed_, 0xA11CE + nameNo++);
      const NameChar& a = kFirst[r % (sizeof kFirst / sizeof kFirst[0])];
      const NameChar& b = kSecond[(r >> 8) % (sizeof kSecond / sizeof kSecond[0])];
      const Industry& c = kIndustries[(r >> 16) % kIndustryCount];
      std::string name = std::string(a.text) + b.text + c.text;
      if (std::find(used.begin(), used.end(), name) != used.end()) continue;
      used.push_back(name);
      *initials = std::string(1, a.initial) + b.initial + c.initials;
      return name;
    }
  };
  auto generated = [&](uint8_t market, uint8_t type, int first, int step, int count, int digits,
                       const char* suffix, int32_t price) {
    for (int i = 0; i < count; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%0*d", digits, first + i * step);
      std::string initials;
      std::string name = nextName(&initials);
      if (suffix && *suffix) name = name.substr(0, 6) + suffix;  // two characters + the kind
      int32_t p = static_cast<int32_t>(price * (0.3 + 1.7 * Unit(seed_, CodeToKey(code) + type)));
      // A few Hong Kong shares in the price bands the others miss, from pennies to thousands.
      if (market == kMarketHk) {
        static const std::pair<int, int32_t> kBandPrices[] = {
            {6, 1500000}, {8, 15000000}, {8001, 1800}, {8004, 3500}};
        for (const auto& [n, bandPrice] : kBandPrices)
          if (first + i * step == n) p = bandPrice;
      }
      add(market, code, name, initials, type, p);
    }
  };
  generated(kMarketSh, kTypeAShare, 600000, 3, 40, 6, nullptr, 200000);
  generated(kMarketSz, kTypeAShare, 1, 2, 30, 6, nullptr, 150000);
  generated(kMarketSz, kTypeSme, 2001, 3, 15, 6, nullptr, 180000);
  generated(kMarketSz, kTypeChiNext, 300001, 4, 15, 6, nullptr, 250000);
  generated(kMarketSh, kTypeBShare, 900901, 2, 5, 6, "Ｂ股", 10000);
  generated(kMarketSz, kTypeBShare, 200002, 7, 5, 6, "Ｂ", 60000);
  generated(kMarketSh, kTypeFund, 510050, 10, 6, 6, "基金", 25000);
  generated(kMarketSz, kTypeFund, 159901, 2, 6, 6, "基金", 15000);
  generated(kMarketSh, kTypeBond, 10107, 100, 5, 6, "债", 1000000);
  generated(kMarketSz, kTypeBond, 100213, 50, 5, 6, "债", 1000000);
  generated(kMarketSz, kTypeTransfer, 400001, 1, 5, 6, nullptr, 30000);
  generated(kMarketHk, kTypeHkMain, 1, 1, 20, 5, nullptr, 500000);
  generated(kMarketHk, kTypeHkGem, 8001, 3, 5, 5, nullptr, 20000);
  generated(kMarketHk, kTypeHkOther, 4301, 7, 3, 5, nullptr, 1000000);

  static const Named kForex[] = {{"USDCNY", "美元人民币", "MYRMB", 64000},
                                 {"EURUSD", "欧元美元", "OYMY", 10900},
                                 {"USDJPY", "美元日元", "MYRY", 1230000},
                                 {"GBPUSD", "英镑美元", "YBMY", 15100},
                                 {"AUDUSD", "澳元美元", "AYMY", 7200}};
  static const Named kGlobal[] = {
      {"DJI", "道琼斯", "DQS", 177000000},    {"IXIC", "纳斯达克", "NSDK", 51000000},
      {"SPX", "标普500", "BP500", 20800000},  {"N225", "日经225", "RJ225", 198000000},
      {"FTSE", "富时100", "FS100", 63000000}, {"GDAXI", "德国DAX", "DGDAX", 107000000}};
  static const Named kUs[] = {{"AAPL", "苹果", "PG", 1190000},
                              {"BIDU", "百度", "BD", 2000000},
                              {"BABA", "阿里巴巴", "ALBB", 810000},
                              {"JD", "京东", "JD", 310000},
                              {"NTES", "网易", "WY", 1700000}};
  // The contracts of the markets table: those of the first exchanges here, the others (listed
  // after them) below, so that the shares keep their places.
  auto contracts = [&](bool first) {
    for (const markets::Contract& c : markets::kContracts) {
      const bool early = c.market == kMarketFinancialFutures ? c.list == 40 : c.market == 7;
      if (early == first) add(c.market, c.code, c.name, c.initials, kTypeFuture, c.price);
    }
  };
  contracts(true);
  named(kMarketForex, kTypeForex, kForex, 5);
  named(kMarketGlobalIndex, kTypeGlobalIndex, kGlobal, 6);
  named(kMarketUs, kTypeUs, kUs, 5);

  // Boards: one per industry over the A shares of that industry, and the two Hong Kong boards.
  const size_t shares = secs_.size();
  for (int k = 0; k < 12; ++k) {
    char code[16];
    std::snprintf(code, sizeof code, "%d", 880301 + k);
    std::string ind = kIndustries[k].text;
    int b = add(kMarketBoard, code, ind + "板块", std::string(kIndustries[k].initials) + "BK",
                kTypeBoard, 10000000);
    for (size_t i = 0; i < shares; ++i) {
      const Security& s = secs_[i];
      if (s.q.zqlb != kTypeAShare && s.q.zqlb != kTypeSme && s.q.zqlb != kTypeChiNext) continue;
      std::string name = foundation::utf16ToUtf8(std::u16string(s.q.name));
      if (name.find(ind) != std::string::npos) secs_[b].members.push_back(static_cast<int>(i));
    }
  }
  int hk1 = add(kMarketBoard, "505001", "国企股", "GQG", kTypeBoard, 10000000);
  int hk2 = add(kMarketBoard, "505003", "红筹股", "HCG", kTypeBoard, 10000000);
  for (size_t i = 0; i < shares; ++i) {
    const Security& s = secs_[i];
    if (s.q.market != kMarketHk || s.q.zqlb != kTypeHkMain) continue;
    secs_[(i % 2) ? hk1 : hk2].members.push_back(static_cast<int>(i));
  }
  // Region and concept boards.
  auto memberBoard = [&](const char* code, const char* name, const char* initials,
                         bool (*takes)(const tagLocalStockData&)) {
    int b = add(kMarketBoard, code, name, initials, kTypeBoard, 10000000);
    for (size_t i = 0; i < shares; ++i)
      if (takes(secs_[i].q)) secs_[b].members.push_back(static_cast<int>(i));
  };
  memberBoard("880401", "上海板块", "SHBK", [](const tagLocalStockData& q) {
    return q.market == kMarketSh && q.zqlb == kTypeAShare;
  });
  memberBoard("880402", "深圳板块", "SZBK", [](const tagLocalStockData& q) {
    return q.market == kMarketSz && q.zqlb == kTypeAShare;
  });
  memberBoard("880501", "中小概念", "ZXGN",
              [](const tagLocalStockData& q) { return q.zqlb == kTypeSme; });
  memberBoard("880502", "创业概念", "CYGN",
              [](const tagLocalStockData& q) { return q.zqlb == kTypeChiNext; });
  // A board's day is its members' day: its price moves by their average change and its
  // volume is theirs, minute by minute, so its trend, bars and quote tell one story.
  for (Security& b : secs_)
    if (b.q.zqlb == kTypeBoard && !b.members.empty()) boardHistory(b);
  // Indices are made of their own members as boards are: a composite index of its market's
  // shares, the others of their board's or of a leading few.
  for (size_t i = 0; i < shares; ++i) {
    Security& idx = secs_[i];
    if (idx.q.zqlb != kTypeIndex) continue;
    const std::string code(idx.q.code, strnlen(idx.q.code, sizeof idx.q.code));
    int hkMain = 0, shMain = 0;
    for (size_t j = 0; j < shares; ++j) {
      const auto& m = secs_[j].q;
      if (m.zqlb == kTypeIndex) continue;
      const bool aShare = m.zqlb == kTypeAShare || m.zqlb == kTypeSme || m.zqlb == kTypeChiNext;
      bool takes = m.market == idx.q.market;
      if (code == "000016") takes = m.market == kMarketSh && m.zqlb == kTypeAShare && shMain++ < 20;
      if (code == "000300") takes = (m.market == kMarketSh || m.market == kMarketSz) && aShare;
      if (code == "399005") takes = m.market == kMarketSz && m.zqlb == kTypeSme;
      if (code == "399006") takes = m.market == kMarketSz && m.zqlb == kTypeChiNext;
      // The H shares: every other main-board share, those of the 国企股 board.
      if (code == "999998") takes = m.market == kMarketHk && m.zqlb == kTypeHkMain && hkMain++ % 2;
      if (takes) idx.members.push_back(static_cast<int>(j));
    }
    boardHistory(idx);
  }
  memberCloses_.clear();
  memberCloses_.shrink_to_fit();

  // Lists of their own, after the index members so the indices keep their day: risk-warning,
  // delisting and B-to-H shares, more futures exchanges and a third US exchange.
  static const Named kRiskSh[] = {{"600898", "ST国美", "STGM", 30000}};
  static const Named kRiskSz[] = {{"000982", "*ST中绒", "STZR", 20000}};
  static const Named kDelistSh[] = {{"600832", "退市东电", "TSDD", 9000},
                                    {"600899", "退市信联", "TSXL", 12000}};
  static const Named kBToH[] = {{"200039", "中集转H", "ZJZH", 150000}};
  static const Named kMoreUs[] = {{"IMO", "帝国石油", "DGSY", 330000}};
  named(kMarketSh, kTypeRiskWarning, kRiskSh, 1);
  named(kMarketSz, kTypeRiskWarning, kRiskSz, 1);
  named(kMarketSh, kTypeDelisting, kDelistSh, 2);
  named(kMarketSz, kTypeBToH, kBToH, 1);
  contracts(false);
  named(kMarketUs, kTypeUs, kMoreUs, 1);

  // Hong Kong broker seats.
  static const char* kBrokers[][2] = {
      {"汇丰", "香港上海汇丰银行有限公司"},   {"中银", "中银国际证券有限公司"},
      {"高盛", "高盛(亚洲)证券有限公司"},     {"摩通", "摩根大通证券(亚太)有限公司"},
      {"瑞银", "瑞银证券香港有限公司"},       {"招商", "招商证券(香港)有限公司"},
      {"国泰", "国泰君安证券(香港)有限公司"}, {"海通", "海通国际证券有限公司"},
  };
  for (int i = 0; i < 8; ++i) {
    seats_.push_back({1000 + i * 100, 1000 + i * 100 + 99, kBrokers[i][0], kBrokers[i][1]});
  }

  // Information sections; their news and the radar's signals are made for each day asked for
  // from the securities seeded so far (see MarketItems.cpp).
  sections_ = {{1, "要闻"}, {2, "公司新闻"}, {3, "研究报告"}, {4, "公告"}};
  seeded_ = shares;
  // Hong Kong warrants and bull/bear certificates, added last so that everything above keeps its
  // names, news and radar; they belong to no index or board. 51 and 50 give lists of three and
  // of exactly two 25-row pages.
  auto derivative = [&](uint8_t type, int first, int step, int count, const char* kind,
                        int32_t price) {
    for (int i = 0; i < count; ++i) {
      char code[16];
      std::snprintf(code, sizeof code, "%05d", first + i * step);
      std::string initials;
      std::string name = nextName(&initials) + kind;  // the whole name keeps them unique
      int32_t p = static_cast<int32_t>(price * (0.3 + 1.7 * Unit(seed_, CodeToKey(code) + type)));
      add(kMarketHk, code, name, initials, type, p);
    }
  };
  derivative(kTypeHkWarrant, 10001, 13, 51, "购", 2000);
  derivative(kTypeHkCbbc, 60001, 11, 50, "牛", 1500);
  // The stocks of the bundled first-start watch list that the generated codes miss, last again
  // so that everything above keeps its names, indices and boards.
  static const Named kBundledSz[] = {{"000002", "万科A", "WKA", 185000}};
  static const Named kBundledHk[] = {{"00700", "腾讯控股", "TXKG", 3600000}};
  named(kMarketSz, kTypeAShare, kBundledSz, 1);
  named(kMarketHk, kTypeHkMain, kBundledHk, 1);
  memberCloses_.clear();
  memberCloses_.shrink_to_fit();
  setMinute(minute_);
}

void Market::setMinute(int minute) {
  minute_ = std::clamp(minute, 0, 1439);
  stampNews();
  // Members first: an index's or board's session is made of theirs.
  bool moved = false;  // a session shown changed: the days held are others
  for (int pass = 0; pass < 2; ++pass) {
    for (auto& s : secs_) {
      if (s.members.empty() != (pass == 0)) continue;
      const bool wasLast = s.lastSession, wasNext = s.nextSession;
      // Until its first session opens a security shows the last one: as it closed, or while its
      // night trading runs on past midnight, as it stands. A day that opens the evening before
      // is today's until that evening's night session opens the next trading day; on a weekend
      // it is the next trading day, whose night ran on Friday evening.
      int shown = closed_ || localMinute(s) < s.q.tradetime[0] ? -1 : 0;
      if (DayOpensTheEveningBefore(s.q))
        shown = closed_ || localMinute(s) < s.q.tradetime[0] || s.nextBar.date == 0 ? 0 : 1;
      // An index's or board's session is its members' session, as its day is theirs.
      if (showSession(s, shown) && !s.members.empty()) boardDay(s);
      moved = moved || wasLast != s.lastSession || wasNext != s.nextSession;
      recompute(s);
    }
  }
  if (moved) dropMinuteBars();
  for (auto& s : secs_)
    if (!s.members.empty()) recomputeAggregate(s);
}

bool Market::advance() {
  if (minute_ >= 1439) return false;
  setMinute(minute_ + 1);
  return true;
}

bool Market::showSession(Security& s, int shown) {
  if (shown < 0 && s.history.size() < 2) shown = 0;
  const int was = s.lastSession ? -1 : s.nextSession ? 1 : 0;
  if (shown == was && !s.path.empty()) return false;
  tagLocalStockData& q = s.q;
  if (shown != was) {
    // The session shown until now waits (its minutes, once made, are kept); the day's own only
    // waits in `today`, the last and next sessions' are made again when shown again.
    if (was == 0) {
      std::swap(s.path, s.today.path);
      std::swap(s.minuteVolume, s.today.minuteVolume);
      std::swap(s.minuteAmount, s.today.minuteAmount);
      std::swap(s.minuteInterest, s.today.minuteInterest);
    }
    if (was == -1) s.history.push_back(s.lastBar);
    if (was == 1) s.history.pop_back();
    if (shown == 0) {
      std::swap(s.path, s.today.path);
      std::swap(s.minuteVolume, s.today.minuteVolume);
      std::swap(s.minuteAmount, s.today.minuteAmount);
      std::swap(s.minuteInterest, s.today.minuteInterest);
    } else {
      s.path.clear();
    }
    if (shown == -1) {
      s.lastBar = s.history.back();
      s.history.pop_back();
    }
    if (shown == 1) s.history.push_back(s.liveBar);
    s.lastSession = shown == -1;
    s.nextSession = shown == 1;
  }
  const bool last = shown == -1;
  const DayBar& day = last ? s.lastBar : shown == 1 ? s.nextBar : s.liveBar;
  const DayBar& before = s.history.back();
  const int32_t tick = PriceStep(q);
  q.yesterday = day.ref;
  if (const double limit = DailyLimit(q); limit > 0) {
    q.upprice = RoundTo(q.yesterday * (1 + limit), tick);
    q.downprice = RoundTo(q.yesterday * (1 - limit), tick);
  }
  if (q.zqlb == kTypeFuture) {
    q.ZRJSJ = before.close;
    q.JRCCS.zrccl = before.ccl;
  }
  if (s.path.empty()) {
    if (s.members.empty()) {
      dayPoints(s, day, before, sessionPoints_);
      takeMinutes(s, sessionPoints_, before);
    } else {
      // Indices and boards take their members' minutes (boardDay).
      const size_t n = static_cast<size_t>(s.points);
      s.path.assign(n, day.close);
      s.minuteVolume.assign(n, 0);
      s.minuteAmount.assign(n, 0);
      s.minuteInterest.assign(n, 0);
    }
  }
  return true;
}

int Market::elapsed(const Security& s) const {
  const tagLocalStockData& q = s.q;
  int index = 0;
  if (!s.lastSession) {
    // From the open: 1 at the open, all after the close.
    index = TradeMinuteToIndex(q, localMinute(s));
    // A night session opening the day runs on the evening of the trading day before: after a
    // day without trading (a weekend) it ran before that day, and is whole by now.
    const int night = q.tradetime[1] - q.tradetime[0] + 1;
    if (DayOpensTheEveningBefore(q) && index < night && localMinute(s) < q.tradetime[0] &&
        !s.history.empty() && s.history.back().date != static_cast<uint32_t>(AddDays(date_, -1)))
      index = night;
    // On a weekend only the next trading day's night has traded, on Friday evening into Saturday.
    const int weekDay = WeekDay(date_);
    if (DayOpensTheEveningBefore(q) && !s.nextSession && (weekDay == 0 || weekDay == 6))
      index = weekDay == 6 && localMinute(s) < q.tradetime[0] ? std::min(index, night) : night;
  } else if (!DayOpensTheEveningBefore(q) &&
             s.lastBar.date == static_cast<uint32_t>(AddDays(date_, -1)) &&
             FindTradeMinuteSlot(q, localMinute(s) + 1440, &index) == 0) {
    // The last session's night trading runs on past midnight (or, in New York, it is still
    // yesterday's afternoon).
  } else {
    index = s.points;
  }
  return std::clamp(index, 1, s.points);
}

int Market::localMinute(const Security& s) const {
  if (s.q.market != kMarketUs) return minute_;
  // Before New York's midnight it is still the day before there, whose offset counts.
  int ahead = BeijingAheadOfNewYork(date_);
  if (minute_ < ahead) ahead = BeijingAheadOfNewYork(AddDays(date_, -1));
  return minute_ - (ahead > 0 ? ahead : 12 * 60);
}

int32_t Market::sessionDate(const Security& s) const {
  if (s.lastSession) return static_cast<int32_t>(s.lastBar.date);
  if (s.nextSession) return static_cast<int32_t>(s.nextBar.date);
  return s.liveBar.date ? static_cast<int32_t>(s.liveBar.date) : date_;
}

}  // namespace testserver
