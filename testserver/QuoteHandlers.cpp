// The quote server's answers: index snapshot, quotes and lists with any requested field set,
// sort and board sort lists, search, watch-list upload, trend, past-day trend, ticks, K-lines
// with ex-rights, broker seats, information, radar and suggestion.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

#include "core/CXMLMake.h"
#include "core/LineStep.h"
#include "core/MDBF.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "testserver/MarketParts.h"
#include "testserver/QuoteEncoder.h"
#include "testserver/ServerCore.h"
#include "testserver/Table.h"

namespace testserver {

namespace {

// Bodies are cut to what a client's 9000-byte receive buffer holds.
constexpr size_t kMaxReplyBody = 8990;
// Bars of one part of a K-line answer from a server that sends them in parts.
constexpr size_t kKLinePartBars = 64;

void PutKey(ByteWriter& w, const tagLocalStockData& q) {
  w.u8(q.market);
  w.fixedText(std::string_view(q.code, strnlen(q.code, 8)), 8);
}

// Records that fit the body after `head` bytes.
size_t FitRecords(size_t head, size_t recordSize, size_t wanted) {
  if (recordSize == 0) return wanted;
  size_t fit = head >= kMaxReplyBody ? 0 : (kMaxReplyBody - head) / recordSize;
  return std::min(wanted, fit);
}

std::vector<uint8_t> Join(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<uint8_t> out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

Subscription& Subscribe(Connection& c, const Request& req, uint8_t child, std::vector<int> stocks,
                        std::vector<uint8_t> ids) {
  Subscription sub;
  sub.child = child;
  sub.page = req.header.PageID;
  sub.code = req.header.RequestCode;
  sub.stocks = std::move(stocks);
  if (child == 10 || child == 12) {
    // A pushed quote must name its stock, whatever the list asked for.
    for (uint8_t key : {uint8_t{9}, uint8_t{10}})
      if (std::find(ids.begin(), ids.end(), key) == ids.end()) ids.insert(ids.begin(), key);
  }
  sub.ids = std::move(ids);
  const uint16_t slot = static_cast<uint16_t>(sub.page * 256 + child);
  return c.subscriptions[slot] = std::move(sub);
}

// u16 count, field list, records: the stock-list reply and push.
std::vector<uint8_t> ListBody(Market& m, const std::vector<int>& stocks,
                              const std::vector<uint8_t>& ids, std::vector<int>* taken) {
  ByteWriter w;
  w.u16(0);
  w.u8(static_cast<uint8_t>(ids.size()));
  w.raw(ids.data(), ids.size());
  uint16_t n = 0;
  for (int i : stocks) {
    size_t before = w.size();
    EncodeQuoteRecord(m.at(i).q, ids, w);
    if (w.size() > kMaxReplyBody) {
      w.bytes().resize(before);
      break;
    }
    ++n;
    if (taken) taken->push_back(i);
  }
  w.patch16(0, n);
  return w.take();
}

bool ReadItems(ByteReader& r, int count, Market& m, std::vector<int>* out) {
  for (int k = 0; k < count; ++k) {
    uint8_t market;
    std::string code;
    if (!r.u8(market) || !r.code(code)) return false;
    int i = m.indexOf(market, code);
    if (i >= 0) out->push_back(i);
  }
  return true;
}

void IndexSnapshot(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t lead = 0;
  uint16_t count = 0;
  std::vector<int> stocks;
  if (!r.u8(lead) || !r.u16(count) || !ReadItems(r, count, s.market(), &stocks)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  ByteWriter w;
  w.u8(lead);
  w.u16(static_cast<uint16_t>(stocks.size()));
  for (int i : stocks) {
    const tagLocalStockData& q = s.market().at(i).q;
    const int32_t scale = PriceDotToScale(q);
    PutKey(w, q);
    w.u8(q.zqlb);
    w.u8(q.pricedot);
    w.i32(q.now / scale);
    w.i32(q.yesterday / scale);
    w.i64(q.amount);
    w.u16(q.index_up);
    w.u16(q.index_same);
    w.u16(q.index_down);
  }
  s.reply(c, req, w.take());
}

void StockData(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t market;
  std::string code;
  std::vector<uint8_t> l1, l2;
  if (!r.u8(market) || !r.code(code) || !r.fieldList(l1) || !r.fieldList(l2)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  int i = s.market().indexOf(market, code);
  if (i < 0) {
    s.replyError(c, req, "没有该股票的行情", false);
    return;
  }
  std::vector<uint8_t> ids = FilterQuoteFields(Join(l1, l2));
  ByteWriter w;
  w.u8(static_cast<uint8_t>(ids.size()));
  w.raw(ids.data(), ids.size());
  EncodeQuoteRecord(s.market().at(i).q, ids, w);
  s.reply(c, req, w.take());
  Subscribe(c, req, 10, {i}, FilterQuoteFields(l2.empty() ? l1 : l2));
}

void StockList(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint16_t count;
  std::vector<int> stocks;
  std::vector<uint8_t> l1, l2;
  const bool oneList = req.header.ChildType == 36;
  if (!r.u16(count) || !ReadItems(r, count, s.market(), &stocks) || !r.fieldList(l1) ||
      (!oneList && !r.fieldList(l2))) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  std::vector<int> taken;
  s.reply(c, req, ListBody(s.market(), stocks, FilterQuoteFields(Join(l1, l2)), &taken));
  if (!oneList) Subscribe(c, req, 12, taken, FilterQuoteFields(l2.empty() ? l1 : l2));
}

// Sort codes (the low seven bits of a list request's sort byte): the columns of the lists, each
// by the value it shows. 0 keeps the list's own order; an unknown code does too.
enum SortCode : uint8_t {
  kSortChangeRate = 1,  // 涨幅
  kSortVolume = 2,
  kSortAmount = 3,
  kSortTurnover = 4,  // 换手率
  kSortSwing = 5,     // 振幅
  kSortSpeed = 6,     // 涨速
  kSortVolumeRatio = 7,
  kSortAverage = 8,
  kSortMainFlow = 9,   // 主力资金
  kSortStrength = 10,  // 买卖强度
  kSortFlow5 = 11,
  kSortFlow10 = 12,
  kSortFlow20 = 13,
  kSortRedBars10 = 14,
  kSortRedDays = 15,
  kSortPrice = 16,
  kSortChange = 17,
  kSortBid = 18,
  kSortAsk = 19,
  kSortOrderRatio = 20,  // 委比
  kSortInside = 21,
  kSortOutside = 22,
  kSortPe = 23,
  kSortPb = 24,
  kSortHigh = 25,
  kSortLow = 26,
  kSortOpen = 27,
  kSortPreviousClose = 28,
  kSortFloatValue = 29,
  kSortTotalValue = 30,
  kSortOpenInterest = 31,    // futures: 持仓量
  kSortInterestChange = 32,  // 日增仓
  kSortSettlement = 33,
  kSortPreviousInterest = 34,
  kSortOpened = 35,  // 开仓
  kSortClosed = 36,  // 平仓
  kSortPreviousSettlement = 37,
};

// The value a sort code orders by; false for a code that names no column.
bool SortValue(const tagLocalStockData& q, uint8_t code, double* out) {
  switch (code) {
    case kSortChangeRate:
      *out = q.zf;
      break;
    case kSortVolume:
      *out = static_cast<double>(q.volume);
      break;
    case kSortAmount:
      *out = static_cast<double>(q.amount);
      break;
    case kSortTurnover:
      *out = q.hsl;
      break;
    case kSortSwing:
      *out = q.swing;
      break;
    case kSortSpeed:
      *out = q.zs_5M;
      break;
    case kSortVolumeRatio:
      *out = q.lb;
      break;
    case kSortAverage:
      *out = q.average;
      break;
    case kSortMainFlow:
      *out = q.ZLZJ;
      break;
    case kSortStrength:
      *out = q.MMQ;
      break;
    case kSortFlow5:
      *out = q.RZJ5;
      break;
    case kSortFlow10:
      *out = q.RZJ10;
      break;
    case kSortFlow20:
      *out = q.RZJ20;
      break;
    case kSortRedBars10:
      *out = q.RNH10;
      break;
    case kSortRedDays:
      *out = q.ZLLH;
      break;
    case kSortPrice:
      *out = q.now;
      break;
    case kSortChange:
      *out = q.zd;
      break;
    case kSortBid:
      *out = q.buysell10.buy[0].price;
      break;
    case kSortAsk:
      *out = q.buysell10.sell[0].price;
      break;
    case kSortOrderRatio:
      *out = q.index_wb;
      break;
    case kSortInside:
      *out = static_cast<double>(q.in);
      break;
    case kSortOutside:
      *out = static_cast<double>(q.out);
      break;
    case kSortPe:
      *out = q.syl;
      break;
    case kSortPb:
      *out = q.sjl;
      break;
    case kSortHigh:
      *out = q.high;
      break;
    case kSortLow:
      *out = q.low;
      break;
    case kSortOpen:
      *out = q.open;
      break;
    case kSortPreviousClose:
      *out = q.yesterday;
      break;
    case kSortFloatValue:
      *out = static_cast<double>(q.ltsz);
      break;
    case kSortTotalValue:
      *out = static_cast<double>(q.zsz);
      break;
    case kSortOpenInterest:
      *out = static_cast<double>(q.JRCCS.jrccl);
      break;
    case kSortInterestChange:
      *out = static_cast<double>(q.JRCCS.jrccl) - static_cast<double>(q.JRCCS.zrccl);
      break;
    case kSortSettlement:
      *out = q.JRCCS.jrjsj;
      break;
    case kSortPreviousInterest:
      *out = static_cast<double>(q.JRCCS.zrccl);
      break;
    case kSortOpened:
      *out = static_cast<double>(q.KPC[0]);
      break;
    case kSortClosed:
      *out = static_cast<double>(q.XKP[0]);
      break;
    case kSortPreviousSettlement:
      *out = q.ZRJSJ;
      break;
    default:
      return false;
  }
  return true;
}

// The sort byte: the column's code in the low seven bits; bit 7 clear lists the largest value
// first (the falling arrow the lists show on opening), set the smallest first.
void SortStocks(Market& m, std::vector<int>& stocks, uint8_t sortByte) {
  const uint8_t code = sortByte & 0x7F;
  const bool smallestFirst = (sortByte & 0x80) != 0;
  double probe = 0;
  if (code == 0 || stocks.empty() || !SortValue(m.at(stocks[0]).q, code, &probe)) return;
  std::stable_sort(stocks.begin(), stocks.end(), [&](int a, int b) {
    double va = 0, vb = 0;
    SortValue(m.at(a).q, code, &va);
    SortValue(m.at(b).q, code, &vb);
    return smallestFirst ? va < vb : va > vb;
  });
}

std::vector<int> WatchListStocks(ServerCore& s, const Connection& c) {
  std::vector<int> out;
  UserState& u = s.stateOf(c, c.user);
  size_t pos = 0;
  const std::string& text = u.watchList;
  while (pos < text.size()) {
    size_t comma = text.find(',', pos);
    std::string item =
        text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    pos = comma == std::string::npos ? text.size() : comma + 1;
    if (item.size() < 3) continue;
    int market = std::atoi(item.substr(0, 2).c_str());
    int i = s.market().indexOf(static_cast<uint8_t>(market), item.substr(2));
    if (i >= 0) out.push_back(i);
  }
  return out;
}

void SortList(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t block[7];
  std::vector<uint8_t> l1, l2;
  if (!r.raw(block, 7) || !r.fieldList(l1) || !r.fieldList(l2)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  const uint8_t market = block[0], type = block[1], sort = block[2];
  const uint16_t start = ReadLE16(block + 3), count = ReadLE16(block + 5);
  std::vector<int> stocks;
  if (market == kMarketServerList && type == 1) {
    stocks = WatchListStocks(s, c);
  } else if (market == kMarketServerList) {
    for (auto [mk, code] :
         {std::pair<uint8_t, const char*>{1, "000001"}, {2, "399001"}, {3, "999999"}}) {
      int i = s.market().indexOf(mk, code);
      if (i >= 0) stocks.push_back(i);
    }
  } else {
    stocks = s.market().list(market, type);
  }
  SortStocks(s.market(), stocks, sort);
  const uint32_t total = static_cast<uint32_t>(stocks.size());
  std::vector<int> page;
  for (size_t k = start; k < stocks.size() && page.size() < count; ++k) page.push_back(stocks[k]);
  std::vector<uint8_t> ids = FilterQuoteFields(Join(l1, l2));
  ByteWriter w;
  w.raw(block, 3);
  w.u32(total);
  w.u16(0);
  w.u8(static_cast<uint8_t>(ids.size()));
  w.raw(ids.data(), ids.size());
  std::vector<int> taken;
  for (int i : page) {
    size_t before = w.size();
    EncodeQuoteRecord(s.market().at(i).q, ids, w);
    if (w.size() > kMaxReplyBody) {
      w.bytes().resize(before);
      break;
    }
    taken.push_back(i);
  }
  w.patch16(7, static_cast<uint16_t>(taken.size()));
  s.reply(c, req, w.take());
  Subscribe(c, req, 12, taken, FilterQuoteFields(l2.empty() ? l1 : l2));
}

void BoardSort(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t block[53];
  std::vector<uint8_t> list;
  if (!r.raw(block, 53) || !r.fieldList(list)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  std::string board(reinterpret_cast<const char*>(block),
                    strnlen(reinterpret_cast<char*>(block), 8));
  const uint8_t sort = block[8];
  const uint16_t start = ReadLE16(block + 9), count = ReadLE16(block + 11);
  std::vector<int> stocks = s.market().boardMembers(board);
  SortStocks(s.market(), stocks, sort);
  std::vector<uint8_t> ids = FilterQuoteFields(list);
  ByteWriter w;
  w.raw(block, 9);
  w.u32(static_cast<uint32_t>(stocks.size()));
  w.u16(0);
  w.zeros(55 - 15);
  w.u8(static_cast<uint8_t>(ids.size()));
  w.raw(ids.data(), ids.size());
  std::vector<int> taken;
  for (size_t k = start; k < stocks.size() && taken.size() < count; ++k) {
    size_t before = w.size();
    EncodeQuoteRecord(s.market().at(stocks[k]).q, ids, w);
    if (w.size() > kMaxReplyBody) {
      w.bytes().resize(before);
      break;
    }
    taken.push_back(stocks[k]);
  }
  w.patch16(13, static_cast<uint16_t>(taken.size()));
  s.reply(c, req, w.take());
  Subscribe(c, req, 12, taken, ids);
}

void Search(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  std::string text;
  if (!r.code(text)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  // The request lists the markets the user may see; only their stocks are answered.
  uint8_t kind = 0, marketCount = 0;
  std::vector<uint8_t> markets;
  if (r.u8(kind) && r.u8(marketCount)) {
    markets.resize(std::min<size_t>(marketCount, r.left()));
    r.raw(markets.data(), markets.size());
  }
  std::vector<int> hits;
  for (int i : s.market().search(text, s.market().securities().size())) {
    if (hits.size() == 100) break;
    if (std::find(markets.begin(), markets.end(), s.market().at(i).q.market) != markets.end())
      hits.push_back(i);
  }
  ByteWriter w;
  w.u16(static_cast<uint16_t>(hits.size()));
  for (int i : hits) {
    const tagLocalStockData& q = s.market().at(i).q;
    PutKey(w, q);
    w.u8(q.zqlb);
    for (int k = 0; k < 16; ++k) w.u16(q.name[k]);
  }
  s.reply(c, req, w.take());
}

std::vector<uint8_t> TicksBody(Market& m, const Security& sec, int count, bool futures) {
  const size_t size = futures ? 16 : 11;
  std::vector<Trade> trades = m.trades(sec, static_cast<int>(FitRecords(11, size, count)));
  ByteWriter w;
  PutKey(w, sec.q);
  w.u16(static_cast<uint16_t>(trades.size()));
  // Oldest first; the first record holds its minute of the day and its price in units of
  // 10^-pricedot, each later one the differences from the record before.
  const int32_t scale = std::max(1, PriceDotToScale(sec.q));
  int previousMinute = 0;
  int32_t previousPrice = 0;
  bool first = true;
  for (const Trade& t : trades) {
    const int32_t price = t.price / scale;
    w.i16(static_cast<int16_t>(first ? t.minute : t.minute - previousMinute));
    w.i32(first ? price : price - previousPrice);
    previousMinute = t.minute;
    previousPrice = price;
    first = false;
    w.i32(t.lots);
    w.u8(static_cast<uint8_t>(t.inout));
    if (futures) {
      w.i32(t.openInterestChange);
      w.u8(static_cast<uint8_t>(t.nature));
    }
  }
  return w.take();
}

void Ticks(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t market;
  std::string code;
  uint16_t count;
  std::vector<uint8_t> list;
  if (!r.u8(market) || !r.code(code) || !r.u16(count) || !r.fieldList(list)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  const int i = s.market().indexOf(market, code);
  if (i < 0) {
    s.replyError(c, req, "没有该股票的成交明细", false);
    return;
  }
  // Ids 7 and 8 (open-interest change and nature) ask for the futures record.
  const bool futures = std::find(list.begin(), list.end(), 7) != list.end() ||
                       std::find(list.begin(), list.end(), 8) != list.end();
  s.reply(c, req, TicksBody(s.market(), s.market().at(i), count, futures));
  Subscription& sub = Subscribe(c, req, 14, {i}, {});
  sub.period = count;
  sub.blockFlag = futures ? 1 : 0;
}

// Trend points in the ids' wire form, differences running across the records.
void EncodeTrend(const tagLocalStockData& q, const std::vector<tagLocalTrendData>& pts,
                 const std::vector<uint8_t>& ids, ByteWriter& w, size_t maxBody, size_t* count) {
  const int32_t s = PriceDotToScale(q);
  const bool big = q.zqlb == 1 || q.market == 9;
  const int64_t U = static_cast<int64_t>(q.unit ? q.unit : 1) * (big ? 1000 : 1);
  const int64_t A = big ? 100000 : 10000;
  const int64_t unit = q.unit ? q.unit : 1;
  int64_t prev[32] = {};
  size_t n = 0;
  for (const tagLocalTrendData& p : pts) {
    size_t before = w.size();
    int64_t saved[32];
    std::memcpy(saved, prev, sizeof prev);
    for (uint8_t id : ids) {
      auto diff32 = [&](int64_t v) {
        w.i32(static_cast<int32_t>(v - prev[id]));
        prev[id] = v;
      };
      switch (id) {
        case 1:
          w.i32(p.now / s);
          break;
        case 2:
          w.i32(p.average);
          break;
        case 3:
          w.i64(p.volume);
          break;
        case 4:
          w.i64(p.amount);
          break;
        case 5:
          w.i32(p.lb);
          break;
        case 6:
          diff32(p.now / s);
          break;
        case 7:
          diff32(p.average);
          break;
        case 8:
          diff32(p.lb);
          break;
        case 9:
          w.i32(static_cast<int32_t>(p.volume / U));
          break;
        case 10:
          w.i32(static_cast<int32_t>(p.amount / A));
          break;
        case 14:
          diff32(p.WBZL / unit);
          break;
        case 15:
          diff32(p.WSZL / unit);
          break;
        case 16:
          diff32(p.LJZLDX);
          break;
        case 17:
          diff32(p.BUY_CASH_SPEED);
          break;
        case 18:
          diff32(p.SELL_CASH_SPEED);
          break;
        case 19:
          diff32(p.ZLZJL / A);
          break;
        case 20:
          w.i16(static_cast<int16_t>(p.time - prev[id]));
          prev[id] = p.time;
          break;
        case 21:
          w.i16(static_cast<int16_t>(p.hlz - prev[id]));
          prev[id] = p.hlz;
          break;
        case 22:
          w.i64(p.ccl - prev[id]);
          prev[id] = p.ccl;
          break;
        case 23:
          w.i64(p.kc);
          break;
        case 24:
          // The wire carries the closed volume; the client keeps it negated (drawn downward).
          w.i64(p.pc);
          break;
        default:
          break;
      }
    }
    if (w.size() > maxBody) {
      w.bytes().resize(before);
      std::memcpy(prev, saved, sizeof prev);
      break;
    }
    ++n;
  }
  *count = n;
}

// Bytes of one point with these ids, measured by the encoder itself (every trend field has a
// fixed width, so one point tells them all).
size_t TrendPointSize(const tagLocalStockData& q, const std::vector<uint8_t>& ids) {
  tagLocalTrendData p;
  std::memset(&p, 0, sizeof p);
  ByteWriter w;
  size_t n = 0;
  EncodeTrend(q, {p}, ids, w, SIZE_MAX, &n);
  return w.size();
}

// The ids the encoder knows: an unknown id takes no bytes.
bool IsTrendId(uint8_t id) {
  tagLocalStockData q;
  std::memset(&q, 0, sizeof q);
  return TrendPointSize(q, {id}) > 0;
}

std::vector<uint8_t> TrendIds(const std::vector<uint8_t>& list) {
  std::vector<uint8_t> ids;
  for (uint8_t id : list)
    if (IsTrendId(id) && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  return ids;
}

// A day of minute points with every asked-for field, in as many answers as it takes: each
// answer holds whole points from its start minute (the point index its head names) and counts
// them, and its differences run from its own first point, so the client appends the answers as
// they come. `head` writes an answer's head up to the field list for its start and count and
// returns the offset of the count.
void SendTrendDay(ServerCore& s, Connection& c, const Request& req, const tagLocalStockData& q,
                  const std::vector<tagLocalTrendData>& pts, size_t first,
                  const std::vector<uint8_t>& ids,
                  const std::function<size_t(ByteWriter&, uint16_t start)>& head) {
  size_t at = std::min(first, pts.size());
  do {
    ByteWriter w;
    const size_t countAt = head(w, static_cast<uint16_t>(at));
    w.u8(static_cast<uint8_t>(ids.size()));
    w.raw(ids.data(), ids.size());
    const std::vector<tagLocalTrendData> rest(pts.begin() + static_cast<std::ptrdiff_t>(at),
                                              pts.end());
    size_t n = 0;
    EncodeTrend(q, rest, ids, w, kMaxReplyBody, &n);
    w.patch16(countAt, static_cast<uint16_t>(n));
    s.reply(c, req, w.take());
    if (n == 0) break;  // nothing more fits (or nothing is left)
    at += n;
  } while (at < pts.size());
}

void Trend(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t market;
  std::string code;
  uint16_t start;
  std::vector<uint8_t> list;
  if (!r.u8(market) || !r.code(code) || !r.u16(start) || !r.fieldList(list)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  const Security* sec = s.market().find(market, code);
  if (!sec) {
    s.replyError(c, req, "没有该股票的走势", false);
    return;
  }
  // The request's value is the point the day is wanted from (0: the whole day).
  SendTrendDay(s, c, req, sec->q, s.market().trend(*sec), start, TrendIds(list),
               [&](ByteWriter& w, uint16_t at) {
                 PutKey(w, sec->q);
                 w.u16(at);
                 w.u16(0);
                 return size_t{11};
               });
}

void PastTrend(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t market, value;
  std::string code;
  uint32_t date;
  std::vector<uint8_t> list;
  if (!r.u8(market) || !r.code(code) || !r.u8(value) || !r.u32(date) || !r.fieldList(list)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  const Security* sec = s.market().find(market, code);
  if (!sec) {
    s.replyError(c, req, "没有该股票的走势", false);
    return;
  }
  // The day asked for by date when it is a past trading day, else by the offset.
  int offset = static_cast<int8_t>(value);
  if (offset < 0) offset = -offset;
  for (size_t k = 0; k < sec->history.size(); ++k) {
    if (sec->history[k].date == date) offset = static_cast<int>(sec->history.size() - k);
  }
  if (offset < 1) offset = 1;
  int32_t prevClose = 0, dayDate = 0;
  std::vector<tagLocalTrendData> pts = s.market().pastTrend(*sec, offset, &prevClose, &dayDate);
  SendTrendDay(s, c, req, sec->q, pts, 0, TrendIds(list), [&](ByteWriter& w, uint16_t at) {
    PutKey(w, sec->q);
    w.i32(prevClose);
    w.i32(prevClose);
    w.i32(prevClose);
    w.u16(at);
    w.u32(static_cast<uint32_t>(dayDate));
    w.u16(0);
    return size_t{27};
  });
}

// The bars in the ids' wire form, differences running from the first bar.
void EncodeKLineBars(const tagLocalStockData& q, const std::vector<DayBar>& bars,
                     const std::vector<uint8_t>& ids, ByteWriter& w) {
  const int32_t sc = PriceDotToScale(q);
  const int64_t U = q.unit ? q.unit : 1;
  int64_t prev[32] = {};
  for (const DayBar& b : bars) {
    // The main force of the bar, from what its large orders bought and sold: its holding is the
    // net in millions of the currency (which the client takes x 100 and shows in 100 millions,
    // as the lists show the quote's 主力资金, the same net in 10,000s); its direction the net as
    // a share of the bar's amount (1/10000, which the client takes as a percent x 100). Its
    // activity, in 1/10000 and never negative: how much of the bar's amount the large orders
    // made, whichever way they went. The way they went is the sentiment, the net as a share of
    // what they traded (a percent in 1/10000, sent in 1/100 of that), whose sign the activity
    // pane shows.
    const int64_t net = b.main[0] - b.main[1], traded = b.main[0] + b.main[1];
    const int32_t zlcc = static_cast<int32_t>(
        std::clamp<int64_t>(net / 100000000, INT32_MIN / 100, INT32_MAX / 100));
    const int16_t zldx = static_cast<int16_t>(RatioX10000(net, b.amount));
    const int16_t zlhyd = static_cast<int16_t>(RatioX10000(traded, b.amount));
    const int16_t mmq = static_cast<int16_t>(RatioX10000(net, traded));
    auto diff32 = [&](uint8_t id, int64_t v) {
      w.i32(static_cast<int32_t>(v - prev[id]));
      prev[id] = v;
    };
    auto diff16 = [&](uint8_t id, int64_t v) {
      w.i16(static_cast<int16_t>(v - prev[id]));
      prev[id] = v;
    };
    for (uint8_t id : ids) {
      switch (id) {
        case 1:
          w.u32(b.date);
          break;
        case 2:
          w.i32(b.open / sc);
          break;
        case 3:
          w.i32(b.high / sc);
          break;
        case 4:
          w.i32(b.low / sc);
          break;
        case 5:
          w.i32(b.close / sc);
          break;
        case 6:
          w.i64(b.volume);
          break;
        case 7:
          w.i64(b.amount);
          break;
        case 8:
        case 9:
        case 18:
        case 19:
          w.i64(0);
          break;
        case 10:
          w.i32(zlcc);
          break;
        case 11:
          diff32(id, static_cast<int32_t>(b.date));
          break;
        case 12:
          diff32(id, b.open / sc);
          break;
        case 13:
          diff32(id, b.high / sc);
          break;
        case 14:
          diff32(id, b.low / sc);
          break;
        case 15:
          diff32(id, b.close / sc);
          break;
        case 16:
          w.i64(b.volume / U);
          break;
        case 17:
          w.i64(b.amount / 100);
          break;
        case 20:
          diff32(id, zlcc);
          break;
        case 22:
          diff16(id, zlhyd);
          break;
        case 23:
          diff16(id, mmq);
          break;
        case 24:
          w.i16(zldx);
          break;
        case 28:
          w.i64(b.ccl - prev[id]);
          prev[id] = b.ccl;
          break;
        case 29:
          w.i32(b.jsj / sc);
          break;
        case 30:
          w.u8(0);
          break;
        default:
          break;
      }
    }
  }
}

// Whether bars with these ids carry the main force (holding, activity, sentiment, direction).
bool WantsMainForce(const std::vector<uint8_t>& ids) {
  for (uint8_t id : ids)
    if (id == 10 || id == 20 || (id >= 22 && id <= 24)) return true;
  return false;
}

// Bytes of one bar with these ids, measured by the encoder itself (every K-line field has a
// fixed width, so one bar tells them all).
size_t KLineBarSize(const tagLocalStockData& q, const std::vector<uint8_t>& ids) {
  ByteWriter w;
  EncodeKLineBars(q, {DayBar{}}, ids, w);
  return w.size();
}

// The ids the encoder knows: an unknown id takes no bytes.
bool IsKLineId(uint8_t id) {
  tagLocalStockData q;
  std::memset(&q, 0, sizeof q);
  return KLineBarSize(q, {id}) > 0;
}

std::vector<uint8_t> KLineBody(const tagLocalStockData& q, int period, uint8_t flag9,
                               const std::vector<DayBar>& bars, const std::vector<uint8_t>& ids) {
  ByteWriter w;
  PutKey(w, q);
  w.u8(static_cast<uint8_t>(period));
  w.u8(flag9);
  w.u16(static_cast<uint16_t>(bars.size()));
  w.u32(bars.empty() ? 0 : bars.front().date);
  w.u32(bars.empty() ? 0 : bars.back().date);
  w.u8(static_cast<uint8_t>(ids.size()));
  w.raw(ids.data(), ids.size());
  EncodeKLineBars(q, bars, ids, w);
  return w.take();
}

void KLine(ServerCore& s, Connection& c, const Request& req) {
  ByteReader r(req.body.data(), req.body.size());
  uint8_t block[21];
  std::vector<uint8_t> l1, l2, l3;
  if (!r.raw(block, 21) || !r.fieldList(l1) || !r.fieldList(l2) || !r.fieldList(l3)) {
    s.replyError(c, req, "请求格式错误", false);
    return;
  }
  std::string code(reinterpret_cast<const char*>(block + 1),
                   strnlen(reinterpret_cast<char*>(block + 1), 8));
  const Security* sec = s.market().find(block[0], code);
  if (!sec) {
    s.replyError(c, req, "没有该股票的K线", false);
    return;
  }
  const int period = block[10] >= 1 && block[10] <= 7 ? block[10] : 1;
  const uint16_t wanted = std::min<uint16_t>(ReadLE16(block + 19), 400);
  std::vector<uint8_t> ids;
  for (uint8_t id : l1)
    if (IsKLineId(id) && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  std::vector<DayBar> bars =
      s.market().bars(*sec, period, wanted ? wanted : 196, WantsMainForce(ids));
  const tagLocalStockData& q = sec->q;
  // An answer longer than one record goes in numbered parts whichever way the server sends: cut
  // to the newest bars that fit, the oldest ones asked for were lost. A server sending in parts
  // sends every longer answer in parts of `kKLinePartBars`, whatever its period.
  const size_t perBar = KLineBarSize(q, ids);
  size_t fit = FitRecords(21 + 1 + ids.size(), perBar, bars.size());
  if (s.klineInParts()) fit = std::min(fit, kKLinePartBars);
  if (fit > 0 && fit < bars.size()) {
    // Oldest bars first, one whole answer per part, numbered 0, 1, ...
    // At most 400 bars of at least a few bytes: far fewer than 256 parts.
    const size_t parts = (bars.size() + fit - 1) / fit;
    for (size_t k = 0; k < parts; ++k) {
      const size_t from = k * fit;
      const size_t to = std::min(bars.size(), from + fit);
      std::vector<DayBar> part(bars.begin() + static_cast<long>(from),
                               bars.begin() + static_cast<long>(to));
      s.replyAs(c, kMainTypeQuote, 32, req.header.PageID, req.header.RequestCode,
                KLineBody(q, period, block[9], part, ids), nullptr, 1, static_cast<uint8_t>(parts),
                static_cast<uint8_t>(k));
    }
  } else {
    s.reply(c, req, KLineBody(q, period, block[9], bars, ids));
  }
  Subscription& sub = Subscribe(c, req, 32, {s.market().indexOf(q.market, code)}, ids);
  sub.period = period;
  sub.blockFlag = block[9];

  // Ex-rights events follow the day K-line when the third list asks for them.
  std::vector<uint8_t> wids;
  for (uint8_t id : l3)
    if (((id >= 1 && id <= 7) || id == 10) && std::find(wids.begin(), wids.end(), id) == wids.end())
      wids.push_back(id);
  if (wids.empty()) return;
  ByteWriter e;
  PutKey(e, q);
  e.i16(static_cast<int16_t>(sec->weights.size()));
  for (const tagLocalWeightData& ev : sec->weights) {
    for (uint8_t id : wids) {
      switch (id) {
        case 1:
          e.i32(ev.date);
          break;
        case 2:
          e.i32(ev.sgs);
          break;
        case 3:
          e.i32(ev.pgs);
          break;
        case 4:
          e.i32(ev.pgj);
          break;
        case 5:
          e.i32(ev.hl);
          break;
        case 6:
          e.i32(ev.zgs);
          break;
        case 7:
          e.i64(ev.zgb);
          break;
        case 10:
          e.i64(ev.ltgb);
          break;
        default:
          break;
      }
    }
  }
  s.replyAs(c, kMainTypeQuote, 16, req.header.PageID, req.header.RequestCode, e.take(), nullptr, 1);
}

void QuoteUpload(ServerCore& s, Connection& c, const Request& req) {
  CLineStep in;
  in.Append(req.body.data(), static_cast<uint32_t>(req.body.size()));
  // Room for 1000 stocks of up to nine characters and their commas.
  std::vector<char> name(64), list(16384);
  in.GetValue(2, name.data(), static_cast<int>(name.size()));
  in.GetValue(4, list.data(), static_cast<int>(list.size()));
  int date = 0, time = 0;
  in.GetDateTimeValue(3, &date, &time);
  const int64_t stamp = (static_cast<int64_t>(date) << 32) | static_cast<uint32_t>(time);
  const std::string user = name.data();
  if (!user.empty()) c.user = user;
  UserState& u = s.stateOf(c, c.user);
  CLineStep out;
  if (u.hasWatchList && stamp < u.watchListTime) {
    // The server's copy is newer: the client takes it.
    KVBody_AddInt(out, 5, 2);
    AppendStockTimeRecord(out, 3, static_cast<int>(u.watchListTime >> 32),
                          static_cast<int>(u.watchListTime & 0xFFFFFFFF));
    KVBody_AddString(out, 4, u.watchList.c_str());
  } else {
    u.watchList = list.data();
    u.watchListTime = stamp;
    u.hasWatchList = true;
    s.publishWatchList(c.user, u.watchList);
    KVBody_AddInt(out, 5, 1);
  }
  std::vector<uint8_t> body(out.GetData(), out.GetData() + out.GetSize());
  s.reply(c, req, body);
}

void Seats(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  std::string seatText = ParseTable(req, t) ? t.GetNSString(26) : "";
  const SeatRange* r = s.market().findSeat(std::atoi(seatText.c_str()));
  if (!r) {
    s.replyError(c, req, "没有该席位的信息", false);
    return;
  }
  TableWriter w;
  w.i32(22, r->from);
  w.i32(23, r->to);
  w.utf16(24, r->shortName);
  w.utf16(25, r->fullName);
  w.text(26, seatText);
  s.reply(c, req, w.build());
}

void Suggestion(ServerCore& s, Connection& c, const Request& req) {
  MDBF t;
  if (ParseTable(req, t)) s.user(t.GetNSString(24)).suggestions.push_back(t.GetNSString(26));
  TableWriter w;
  w.utf16(27, "感谢您的宝贵意见！");
  s.reply(c, req, w.build());
}

}  // namespace

std::vector<uint8_t> SubscriptionPushBody(Market& m, const Subscription& sub) {
  if (sub.child == 32) {
    const Security& sec = m.at(sub.stocks[0]);
    return KLineBody(sec.q, sub.period, sub.blockFlag,
                     m.bars(sec, sub.period, 1, WantsMainForce(sub.ids)), sub.ids);
  }
  if (sub.child == 14) {
    return TicksBody(m, m.at(sub.stocks[0]), sub.period, sub.blockFlag != 0);
  }
  if (sub.child == 10) {
    ByteWriter w;
    w.u8(static_cast<uint8_t>(sub.ids.size()));
    w.raw(sub.ids.data(), sub.ids.size());
    EncodeQuoteRecord(m.at(sub.stocks[0]).q, sub.ids, w);
    return w.take();
  }
  return ListBody(m, sub.stocks, sub.ids, nullptr);
}

void RegisterQuoteHandlers(ServerCore& s) {
  const Role q = Role::Quote;
  s.on(q, kMainTypeQuote, 8, Seats);
  s.on(q, kMainTypeQuote, 10, StockData);
  s.on(q, kMainTypeQuote, 11, Search);
  s.on(q, kMainTypeQuote, 12, StockList);
  s.on(q, kMainTypeQuote, 14, Ticks);
  s.on(q, kMainTypeQuote, 17, SortList);
  s.on(q, kMainTypeQuote, 23, IndexSnapshot);
  s.on(q, kMainTypeQuote, 24, BoardSort);
  s.on(q, kMainTypeQuote, 32, KLine);
  s.on(q, kMainTypeQuote, 33, Trend);
  s.on(q, kMainTypeQuote, 34, PastTrend);
  s.on(q, kMainTypeQuote, 36, StockList);
  s.on(q, kMainTypeQuote, 53, QuoteUpload);
  s.on(q, kMainTypeQuote, 94, Suggestion);
  // Information and radar (InfoHandlers.cpp).
  RegisterInfoHandlers(s);
}

}  // namespace testserver
