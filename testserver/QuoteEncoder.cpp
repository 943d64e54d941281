#include "testserver/QuoteEncoder.h"

#include <array>
#include <cstring>

namespace testserver {

namespace {

int32_t Wire(int32_t price, int32_t scale) {
  if (price == kEmptyValue || scale <= 1) return price;
  return price / scale;
}

void Level(const tagPriceVol& level, int32_t scale, ByteWriter& out) {
  out.i32(Wire(level.price, scale));
  out.i64(level.volume);
}

}  // namespace

bool IsQuoteFieldId(uint8_t id) {
  // Asked of the server's own encoder, never of the client's reading of the wire.
  static const std::array<bool, 256> known = [] {
    std::array<bool, 256> k{};
    const tagLocalStockData empty = MakeEmptyStockData();
    for (size_t i = 0; i < k.size(); ++i) {
      ByteWriter scratch;
      k[i] = EncodeQuoteField(empty, static_cast<uint8_t>(i), scratch);
    }
    return k;
  }();
  return known[id];
}

std::vector<uint8_t> FilterQuoteFields(const std::vector<uint8_t>& ids) {
  std::vector<uint8_t> out;
  bool seen[256] = {};
  for (uint8_t id : ids) {
    if (!IsQuoteFieldId(id) || seen[id] || out.size() >= 255) continue;
    seen[id] = true;
    out.push_back(id);
  }
  return out;
}

bool EncodeQuoteField(const tagLocalStockData& r, uint8_t id, ByteWriter& out) {
  const int32_t s = PriceDotToScale(r);
  switch (id) {
    case 1:
      out.i32(Wire(r.yesterday, s));
      break;
    case 2:
      out.i32(Wire(r.open, s));
      break;
    case 3:
      out.i32(Wire(r.high, s));
      break;
    case 4:
      out.i32(Wire(r.low, s));
      break;
    case 5:
      out.i32(Wire(r.now, s));
      break;
    case 6:
      out.i64(r.volume);
      break;
    case 7:
      out.i64(r.amount);
      break;
    case 8:
      out.i64(r.realvol);
      break;
    case 9:
      out.u8(r.market);
      break;
    case 10:
      out.fixedText(std::string_view(r.code, strnlen(r.code, 8)), 8);
      break;
    case 11:
      out.u8(r.zqlb);
      break;
    case 12:
      for (int i = 0; i < 8; ++i) out.u16(r.name[i]);
      break;
    case 13:
      out.u8(r.ldflag);
      break;
    case 14:
      out.i32(r.lb);
      break;
    case 15:
      out.i32(r.hsl);
      break;
    case 16:
      out.i32(r.syl);
      break;
    case 17:
      out.i32(Wire(r.zd, s));
      break;
    case 18:
      out.i32(r.average);
      break;
    case 19:
      out.u8(r.pricedot);
      out.u16(r.unit);
      break;
    case 20:
      out.u8(r.tradetimenum);
      // A close past midnight travels as the clock minute; the reader adds the day back.
      for (int i = 0; i < 6; ++i) out.u16(static_cast<uint16_t>(r.tradetime[i] % 1440));
      break;
    case 21: {
      uint32_t v;
      std::memcpy(&v, &r.datetime, 4);
      out.u32(v);
      break;
    }
    case 22:
      for (int i = 0; i < 8; ++i) out.u8(r.name[i] < 0x80 ? static_cast<uint8_t>(r.name[i]) : '?');
      break;
    case 23:
      out.i32(r.zf);
      break;
    case 24:
      out.i32(r.swing);
      break;
    case 25:
      out.i32(r.sjl);
      break;
    case 26:
      out.i32(r.zs_5M);
      break;
    case 27:
      out.u8(static_cast<uint8_t>(r.flag_nwp));
      break;
    case 28:
      out.i32(r.number_cjbs);
      break;
    case 29:
      out.i32(r.date);
      out.i32(r.time);
      break;
    case 30:
      for (int i = 0; i < 16; ++i) out.u16(r.name[i]);
      break;
    case 31:
      out.u8(r.xswsdot);
      break;
    case 40:
      out.i32(r.index_wb);
      break;
    case 41:
      out.i64(r.index_wc);
      break;
    case 42:
      out.u16(r.index_up);
      break;
    case 43:
      out.u16(r.index_same);
      break;
    case 44:
      out.u16(r.index_down);
      break;
    case 45:
      out.i32(r.index_rate_up);
      break;
    case 46:
      out.i32(r.index_qrd);
      break;
    case 47:
      out.i16(r.dphlzz);
      break;
    case 62:
      out.i64(r.in);
      break;
    case 70:
      out.i32(Wire(r.upprice, s));
      break;
    case 71:
      out.i32(Wire(r.downprice, s));
      break;
    case 72:
      out.i32(Wire(r.buysell10.buy[0].price, s));
      break;
    case 73:
      out.i32(Wire(r.buysell10.sell[0].price, s));
      break;
    case 74:
      for (int i = 0; i < 5; ++i) Level(r.buysell10.buy[i], s, out);
      for (int i = 0; i < 5; ++i) Level(r.buysell10.sell[i], s, out);
      break;
    case 75:
      out.i64(r.out);
      break;
    case 76:
      for (int i = 0; i < 10; ++i) Level(r.buysell10.buy[i], s, out);
      for (int i = 0; i < 10; ++i) Level(r.buysell10.sell[i], s, out);
      break;
    case 77:
      Level(r.DelegateBuySellInfo[0], s, out);
      Level(r.DelegateBuySellInfo[1], s, out);
      break;
    case 78:
      for (const auto& side : r.buySellQueue) {
        int16_t n = side.volcount < 0 || side.volcount > 50 ? 0 : side.volcount;
        out.i32(side.price);
        out.i32(side.totalvol);
        out.i32(side.volrecord);
        out.i16(n);
        for (int i = 0; i < n; ++i) out.i16(side.vol[i]);
      }
      break;
    case 79:
      out.raw(&r.broker_info_buy, 81);
      out.raw(&r.broker_info_sell, 81);
      break;
    case 80:
      out.i64(r.ltgb);
      break;
    case 81:
      out.i32(r.ycmgsy);
      break;
    case 82:
      out.i64(static_cast<int64_t>(r.volrate));
      break;
    case 83:
      out.i64(r.zgb);
      break;
    case 84:
      out.i64(r.ltsz);
      break;
    case 85:
      out.i64(r.zsz);
      break;
    case 86:
      out.i64(r.ltBG);
      break;
    case 87:
      out.i32(r.mgJZZ);
      break;
    case 88:
      out.i32(r.jzcSYL);
      break;
    case 89:
      out.i32(r.zcFZL);
      break;
    case 90:
      out.i64(r.zySR);
      break;
    case 91:
      out.i64(r.jLR);
      break;
    case 92:
      out.i64(r.zZC);
      break;
    case 93:
      out.i32(r.zxmgsy);
      break;
    case 95:
      out.raw(r.BuySellGold, 32);
      break;
    case 96:
      out.raw(r.VolumeGold, 64);
      break;
    case 97:
      out.raw(r.AmountGold, 64);
      break;
    case 98:
      out.raw(r.mainMMC, 32);
      break;
    case 99:
      out.i64(r.BuyAvr5);
      break;
    case 100:
      out.i64(r.SellAvr5);
      break;
    case 101:
      out.i32(r.MMQ);
      break;
    case 102:
      out.i32(r.ZLZJ);
      break;
    case 103:
      out.i32(r.RZJ5);
      break;
    case 104:
      out.i32(r.RZJ10);
      break;
    case 105:
      out.i32(r.RZJ20);
      break;
    case 106:
      out.u8(r.RNH10);
      break;
    case 107:
      out.i16(r.ZLLH);
      break;
    case 108:
      out.raw(r.MainAmount, 16);
      break;
    case 109:
      out.raw(r.MainVolume, 16);
      break;
    case 110:
      out.raw(r.mainFLCCBL, 16);
      break;
    case 130:
      out.raw(r.radar_lastTime, 8);
      break;
    case 131:
      out.i64(r.radar_code);
      break;
    case 132:
      out.raw(r.radar_title, 40);
      break;
    case 160: {
      tagJRCCS j = r.JRCCS;
      j.jrjsj = Wire(j.jrjsj, s);
      out.raw(&j, 21);
      break;
    }
    case 161:
      out.raw(r.KPC, 16);
      break;
    case 162:
      out.raw(r.XKP, 16);
      break;
    case 163:
      out.i32(Wire(r.ZRJSJ, s));
      break;
    case 200:
      out.i32(r.maincc);
      break;
    default:
      return false;
  }
  return true;
}

void EncodeQuoteRecord(const tagLocalStockData& rec, const std::vector<uint8_t>& ids,
                       ByteWriter& out) {
  for (uint8_t id : ids) EncodeQuoteField(rec, id, out);
}

size_t QuoteRecordSize(const tagLocalStockData& rec, const std::vector<uint8_t>& ids) {
  ByteWriter w;
  EncodeQuoteRecord(rec, ids, w);
  return w.size();
}

}  // namespace testserver
