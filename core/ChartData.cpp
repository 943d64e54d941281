#include "core/ChartData.h"

#include <algorithm>
#include <cstring>

#include "core/ByteOrder.h"
#include "platform/foundation/Log.h"

namespace {

struct Sessions {
  int num;
  int t[6];
};

Sessions SessionsOf(const tagLocalStockData& rec) {
  Sessions s{rec.tradetimenum, {}};
  for (int i = 0; i < 6; ++i) s.t[i] = rec.tradetime[i];
  return s;
}

// Field list at the body start: uint8 n, n ids. False when it does not fit.
bool ReadFieldList(const uint8_t* body, size_t len, const uint8_t** ids, size_t* count) {
  if (!body || len < 1) return false;
  *count = body[0];
  if (len - 1 < *count) return false;
  *ids = body + 1;
  return true;
}

// Wire widths of the trend reply's ids; 0 outside its vocabulary.
int TrendFieldWidth(uint8_t id) {
  switch (id) {
    case 3:
    case 4:
    case 22:
    case 23:
    case 24:
      return 8;
    case 20:
    case 21:
      return 2;
    case 1:
    case 2:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
      return 4;
    default:
      return 0;
  }
}

// Wire widths of the K-line reply's ids; 0 outside its vocabulary.
int KLineFieldWidth(uint8_t id) {
  switch (id) {
    case 6:
    case 7:
    case 8:
    case 9:
    case 16:
    case 17:
    case 18:
    case 19:
    case 28:
      return 8;
    case 22:
    case 23:
    case 24:
      return 2;
    case 30:
      return 1;
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 20:
    case 29:
      return 4;
    default:
      return 0;
  }
}

// A trading day that opens with a session on the evening before and runs on past midnight (a
// futures night session first): its periods are stored ascending from that evening, so a clock
// minute before the evening open lies on the day after it.
bool OpensTheEveningBefore(const Sessions& s) {
  if (s.num < 1 || s.num > 3) return false;
  const int open = s.t[0], close = s.t[2 * s.num - 1];
  constexpr int kNoon = 12 * 60, kDay = 24 * 60;
  return open >= kNoon && open < kDay && close > kDay;
}

}  // namespace

bool HasWeightChange(const tagLocalWeightData& w) {
  return w.sgs > 0 || (w.pgs > 0 && w.pgj > 0) || w.hl > 0 || w.zgs > 0;
}

int GetTradeMinutes(const tagLocalStockData& rec) {
  const Sessions s = SessionsOf(rec);
  if (s.t[0] == 0) return 241;
  int minutes = (s.t[1] - s.t[0] + 1) + (s.t[3] - s.t[2]) + (s.t[5] - s.t[4]);
  return minutes < 1 ? 241 : minutes;
}

int FindTradeMinuteSlot(const tagLocalStockData& rec, int m, int* index) {
  const Sessions s = SessionsOf(rec);
  const int* t = s.t;
  const int len1 = t[1] - t[0] + 1;
  const int len2 = t[3] - t[2];
  int idx;
  int result;
  if (s.num != 0 && m < t[0]) {
    idx = 1;
    result = -1;
  } else if (s.num != 0 && m < t[1]) {
    idx = m - t[0] + 1;
    result = 0;
  } else if (s.num > 1 && m > t[2]) {
    if (m < t[3]) {
      idx = len1 + m - t[2];
      result = 0;
    } else if (s.num > 2 && m > t[4]) {
      if (m >= t[5]) {
        idx = len1 + len2 + t[5] - t[4];
        result = -1;
      } else {
        idx = len1 + len2 + m - t[4];
        result = 0;
      }
    } else {
      idx = len1 + len2;
      result = -1;
    }
  } else {
    idx = len1;
    result = -1;
  }
  if (index) *index = idx;
  return result;
}

bool DayOpensTheEveningBefore(const tagLocalStockData& rec) {
  return OpensTheEveningBefore(SessionsOf(rec));
}

int TradeMinuteToIndex(const tagLocalStockData& rec, int minute) {
  if (const Sessions s = SessionsOf(rec); OpensTheEveningBefore(s)) {
    int index = 0;
    FindTradeMinuteSlot(rec, minute >= 0 && minute < s.t[0] ? minute + 1440 : minute, &index);
    return index;
  }
  int first = 0;
  if (FindTradeMinuteSlot(rec, minute, &first) == 0) return first;
  int night = 0;
  if (FindTradeMinuteSlot(rec, minute + 1440, &night) == 0) return night;
  return first;
}

int IndexToTradeMinute(const tagLocalStockData& rec, int i) {
  const Sessions s = SessionsOf(rec);
  const int* t = s.t;
  if (i <= 0) return t[0];
  const int len1 = t[1] - t[0] + 1;
  const int len12 = len1 + t[3] - t[2];
  const int len123 = len12 + t[5] - t[4];
  if (i >= len123) i = len123 - 1;
  if (i < len1) return t[0] + i;
  if (i < len12) return t[2] + i - len1 + 1;
  return t[4] + i - len12 + 1;
}

int AnalyTrendData(const uint8_t* body, size_t len, const tagLocalStockData& rec, int recordCount,
                   tagLocalTrendData* points, int capacity) {
  if (!points || capacity <= 0) return 0;
  const uint8_t* ids = nullptr;
  size_t idCount = 0;
  int count = 0;
  if (ReadFieldList(body, len, &ids, &idCount) && idCount > 0) {
    const int32_t s = PriceDotToScale(rec);
    int64_t unitScale = rec.unit;
    int64_t amountScale = 10000;
    if (rec.zqlb == 1 || rec.market == 9) {
      unitScale = static_cast<int64_t>(rec.unit) * 1000;
      amountScale = 100000;
    }
    // Running sums of the difference forms, shared by all records of the reply.
    int32_t sNow = 0, sAvg = 0, sLb = 0, sDx = 0, sBuy = 0, sSell = 0, sZj = 0, sTime = 0, sHlz = 0;
    int64_t sWb = 0, sWs = 0, sCcl = 0;
    bool seen[25] = {};
    tagLocalTrendData pt;
    std::memset(&pt, 0, sizeof pt);

    size_t off = 1 + idCount;
    bool stop = false;
    for (int r = 0; r < recordCount && off < len && !stop; ++r) {
      for (size_t k = 0; k < idCount; ++k) {
        const uint8_t id = ids[k];
        const int width = TrendFieldWidth(id);
        if (width == 0) {
          foundation::logError("!ERROR: AnalyTrendData unknown field:%d", id);
          stop = true;
          break;
        }
        if (len - off < static_cast<size_t>(width)) {
          stop = true;
          break;
        }
        const uint8_t* p = body + off;
        off += static_cast<size_t>(width);
        seen[id] = true;
        switch (id) {
          case 1:
            pt.now = WrapMul32(ReadI32(p), s);
            break;
          case 2:
            pt.average = ReadI32(p);
            break;
          case 3:
            pt.volume = ReadI64(p);
            break;
          case 4:
            pt.amount = ReadI64(p);
            break;
          case 5:
            pt.lb = ReadI32(p);
            break;
          case 6:
            sNow = WrapAdd32(sNow, ReadI32(p));
            pt.now = WrapMul32(sNow, s);
            break;
          case 7:
            pt.average = sAvg = WrapAdd32(sAvg, ReadI32(p));
            break;
          case 8:
            pt.lb = sLb = WrapAdd32(sLb, ReadI32(p));
            break;
          case 9:
            pt.volume = WrapMul64(ReadI32(p), unitScale);
            break;
          case 10:
            pt.amount = WrapMul64(ReadI32(p), amountScale);
            break;
          case 14:
            sWb = WrapAdd64(sWb, ReadI32(p));
            pt.WBZL = WrapMul64(sWb, rec.unit);
            break;
          case 15:
            sWs = WrapAdd64(sWs, ReadI32(p));
            pt.WSZL = WrapMul64(sWs, rec.unit);
            break;
          case 16:
            pt.LJZLDX = sDx = WrapAdd32(sDx, ReadI32(p));
            break;
          case 17:
            pt.BUY_CASH_SPEED = sBuy = WrapAdd32(sBuy, ReadI32(p));
            break;
          case 18:
            pt.SELL_CASH_SPEED = sSell = WrapAdd32(sSell, ReadI32(p));
            break;
          case 19:
            sZj = WrapAdd32(sZj, ReadI32(p));
            pt.ZLZJL = WrapMul64(sZj, amountScale);
            break;
          case 20:
            pt.time = sTime = WrapAdd32(sTime, ReadI16(p));
            break;
          case 21:
            sHlz = WrapAdd32(sHlz, ReadI16(p));
            pt.hlz = static_cast<int16_t>(sHlz);
            break;
          case 22:
            sCcl = WrapAdd64(sCcl, ReadI64(p));
            pt.ccl = sCcl;
            break;
          case 23:
            pt.kc = ReadI64(p);
            break;
          case 24:
            pt.pc = WrapSub64(0, ReadI64(p));
            break;
        }
      }
      if (stop) break;  // the record is incomplete: store nothing of it

      const int idx = TradeMinuteToIndex(rec, pt.time);
      if (idx < 1 || idx > capacity) continue;
      tagLocalTrendData& out = points[idx - 1];
      out.time = pt.time;
      if (seen[1] || seen[6]) out.now = pt.now;
      if (seen[2] || seen[7]) out.average = pt.average;
      if (seen[3] || seen[9]) out.volume = pt.volume;
      if (seen[4] || seen[10]) out.amount = pt.amount;
      if (seen[5] || seen[8]) out.lb = pt.lb;
      if (seen[14]) out.WBZL = pt.WBZL;
      if (seen[15]) out.WSZL = pt.WSZL;
      if (seen[16]) out.LJZLDX = pt.LJZLDX;
      if (seen[17]) out.BUY_CASH_SPEED = pt.BUY_CASH_SPEED;
      if (seen[18]) out.SELL_CASH_SPEED = pt.SELL_CASH_SPEED;
      if (seen[19]) out.ZLZJL = pt.ZLZJL;
      if (seen[21]) out.hlz = pt.hlz;
      if (seen[22]) out.ccl = pt.ccl;
      if (seen[23]) out.kc = pt.kc;
      if (seen[24]) out.pc = pt.pc;
      count = std::max(count, idx);
    }
  }
  std::memset(static_cast<void*>(points + count), 0,
              sizeof(tagLocalTrendData) * static_cast<size_t>(capacity - count));
  return count;
}

void FillTrendGaps(const tagLocalStockData& rec, tagLocalTrendData* points, int count) {
  if (!points || count <= 0) return;
  if (points[0].now == 0) points[0].now = rec.yesterday;
  if (points[0].average == 0) points[0].average = rec.yesterday;
  for (int i = 1; i < count; ++i) {
    tagLocalTrendData& p = points[i];
    const tagLocalTrendData& q = points[i - 1];
    if (p.now == 0) p.now = q.now;
    if (p.average == 0) p.average = q.average;
    if (p.lb == 0) p.lb = q.lb;
    if (p.LJZLDX == 0) p.LJZLDX = q.LJZLDX;
    if (p.BUY_CASH_SPEED == 0) p.BUY_CASH_SPEED = q.BUY_CASH_SPEED;
    if (p.SELL_CASH_SPEED == 0) p.SELL_CASH_SPEED = q.SELL_CASH_SPEED;
    if (p.WBZL == 0) p.WBZL = q.WBZL;
    if (p.WSZL == 0) p.WSZL = q.WSZL;
    if (p.ZLZJL == 0) p.ZLZJL = q.ZLZJL;
  }
}

int Analy_15(const uint8_t* body, size_t len, const tagLocalStockData& rec, int recordCount,
             tagLocalKData* bars, int capacity) {
  const uint8_t* ids = nullptr;
  size_t idCount = 0;
  if (!bars || !ReadFieldList(body, len, &ids, &idCount)) return 0;
  const int limit = std::min(recordCount, capacity);
  const int32_t s = PriceDotToScale(rec);
  const int64_t unit = rec.unit;
  int32_t sDate = 0, sZlcc = 0, sHyd = 0, sMmq = 0;
  int32_t sPrice[4] = {};
  int64_t sCcl = 0;

  size_t off = 1 + idCount;
  int done = 0;
  for (; done < limit; ++done) {
    tagLocalKData bar = bars[done];
    bool ok = true;
    for (size_t k = 0; k < idCount && ok; ++k) {
      const uint8_t id = ids[k];
      const int width = KLineFieldWidth(id);
      if (width == 0) {
        foundation::logError("!ERROR: Analy_15 unknown field:%d", id);
        ok = false;
        break;
      }
      if (len - off < static_cast<size_t>(width)) {
        ok = false;
        break;
      }
      const uint8_t* p = body + off;
      off += static_cast<size_t>(width);
      switch (id) {
        case 1:
          bar.Date = ReadLE32(p);
          break;
        case 2:
          bar.open = WrapMul32(ReadI32(p), s);
          break;
        case 3:
          bar.high = WrapMul32(ReadI32(p), s);
          break;
        case 4:
          bar.low = WrapMul32(ReadI32(p), s);
          break;
        case 5:
          bar.close = WrapMul32(ReadI32(p), s);
          break;
        case 6:
          bar.volume = ReadI64(p);
          break;
        case 7:
          bar.amount = ReadI64(p);
          break;
        case 10:
          bar.GoldData.ZLCC = WrapMul32(ReadI32(p), 100);
          break;
        case 11:
          sDate = WrapAdd32(sDate, ReadI32(p));
          bar.Date = static_cast<uint32_t>(sDate);
          break;
        case 12:
          bar.open = WrapMul32(sPrice[0] = WrapAdd32(sPrice[0], ReadI32(p)), s);
          break;
        case 13:
          bar.high = WrapMul32(sPrice[1] = WrapAdd32(sPrice[1], ReadI32(p)), s);
          break;
        case 14:
          bar.low = WrapMul32(sPrice[2] = WrapAdd32(sPrice[2], ReadI32(p)), s);
          break;
        case 15:
          bar.close = WrapMul32(sPrice[3] = WrapAdd32(sPrice[3], ReadI32(p)), s);
          break;
        case 16:
          bar.volume = WrapMul64(ReadI64(p), unit);
          break;
        case 17:
          bar.amount = WrapMul64(ReadI64(p), 100);
          break;
        case 20:
          sZlcc = WrapAdd32(sZlcc, ReadI32(p));
          bar.GoldData.ZLCC = WrapMul32(sZlcc, 100);
          break;
        case 22:
          bar.GoldData.ZLHYD = sHyd = WrapAdd32(sHyd, ReadI16(p));
          break;
        case 23:
          sMmq = WrapAdd32(sMmq, ReadI16(p));
          bar.GoldData.MMQ = WrapMul32(sMmq, 100);
          break;
        case 24:
          bar.GoldData.ZLDX = ReadI16(p) * 100;
          break;
        case 28:
          bar.ccl = sCcl = WrapAdd64(sCcl, ReadI64(p));
          break;
        case 29:
          bar.jsj = WrapMul32(ReadI32(p), s);
          break;
        case 30:
          bar.qrbzflag = static_cast<int8_t>(p[0]);
          foundation::logVerbose("Analy_15 qrbzflag:%d", bar.qrbzflag);
          break;
        default:
          break;  // 8, 9, 18, 19: carried but not kept
      }
    }
    if (!ok) break;  // a bar cut short or misaligned is not written
    bars[done] = bar;
  }
  return done;
}

int ParseFieldRecords(const uint8_t* records, size_t len, int recordCount,
                      tagLocalWeightData* events, int capacity, const uint8_t* ids,
                      size_t idCount) {
  if (!records || !events || (!ids && idCount > 0)) return 0;
  const int limit = std::min(recordCount, capacity);
  size_t off = 0;
  int done = 0;
  for (; done < limit; ++done) {
    tagLocalWeightData w = events[done];
    bool ok = true;
    for (size_t k = 0; k < idCount; ++k) {
      const uint8_t id = ids[k];
      const int width = (id >= 1 && id <= 6) ? 4 : (id == 7 || id == 10) ? 8 : 0;
      if (width == 0) {
        foundation::logError("!ERROR: ParseFieldRecords unknown field:%d", id);
        ok = false;
        break;
      }
      if (len - off < static_cast<size_t>(width)) {
        ok = false;
        break;
      }
      const uint8_t* p = records + off;
      off += static_cast<size_t>(width);
      switch (id) {
        case 1:
          w.date = ReadI32(p);
          break;
        case 2:
          w.sgs = ReadI32(p);
          break;
        case 3:
          w.pgs = ReadI32(p);
          break;
        case 4:
          w.pgj = ReadI32(p);
          break;
        case 5:
          w.hl = ReadI32(p);
          break;
        case 6:
          w.zgs = ReadI32(p);
          break;
        case 7:
          w.zgb = ReadI64(p);
          break;
        case 10:
          w.ltgb = ReadI64(p);
          break;
      }
    }
    if (!ok) break;
    events[done] = w;
  }
  return done;
}
