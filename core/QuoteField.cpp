#include "core/QuoteField.h"

#include <array>
#include <bit>
#include <cstring>

#include "core/ByteOrder.h"
#include "platform/foundation/Log.h"

// Whole groups are copied from the wire into packed structs as they stand.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr std::array<int16_t, 256> MakeWidths() {
  std::array<int16_t, 256> w{};
  constexpr struct {
    uint8_t id;
    int16_t width;
  } kTable[] = {
      {1, 4},   {2, 4},    {3, 4},    {4, 4},    {5, 4},    {6, 8},    {7, 8},    {8, 8},
      {9, 1},   {10, 8},   {11, 1},   {12, 16},  {13, 1},   {14, 4},   {15, 4},   {16, 4},
      {17, 4},  {18, 4},   {19, 3},   {20, 13},  {21, 4},   {22, 8},   {23, 4},   {24, 4},
      {25, 4},  {26, 4},   {27, 1},   {28, 4},   {29, 8},   {30, 32},  {31, 1},   {40, 4},
      {41, 8},  {42, 2},   {43, 2},   {44, 2},   {45, 4},   {46, 4},   {47, 2},   {62, 8},
      {70, 4},  {71, 4},   {72, 4},   {73, 4},   {74, 120}, {75, 8},   {76, 240}, {77, 24},
      {78, -1}, {79, 162}, {80, 8},   {81, 4},   {82, 8},   {83, 8},   {84, 8},   {85, 8},
      {86, 8},  {87, 4},   {88, 4},   {89, 4},   {90, 8},   {91, 8},   {92, 8},   {93, 4},
      {95, 32}, {96, 64},  {97, 64},  {98, 32},  {99, 8},   {100, 8},  {101, 4},  {102, 4},
      {103, 4}, {104, 4},  {105, 4},  {106, 1},  {107, 2},  {108, 16}, {109, 16}, {110, 16},
      {130, 8}, {131, 8},  {132, 40}, {160, 21}, {161, 16}, {162, 16}, {163, 4},  {200, 4},
  };
  for (const auto& e : kTable) w[e.id] = e.width;
  return w;
}

constexpr std::array<int16_t, 256> kWidths = MakeWidths();

// The order queue: per side a 14-byte head and volcount entries.
int DecodeQueue(const uint8_t* src, size_t len, tagLocalStockData& rec) {
  tagBuySellQueue sides[2];
  std::memcpy(sides, rec.buySellQueue, sizeof sides);
  size_t used = 0;
  for (auto& side : sides) {
    if (len - used < 14) return -2;
    const uint8_t* p = src + used;
    int16_t count = ReadI16(p + 12);
    if (count < 0 || count > 50) count = 0;
    size_t need = 14 + 2 * static_cast<size_t>(count);
    if (len - used < need) return -2;
    side.price = ReadI32(p);
    side.totalvol = ReadI32(p + 4);
    side.volrecord = ReadI32(p + 8);
    side.volcount = count;
    std::memcpy(side.vol, p + 14, 2 * static_cast<size_t>(count));
    used += need;
  }
  std::memcpy(rec.buySellQueue, sides, sizeof sides);
  return static_cast<int>(used);
}

void NameFromUnits(tagLocalStockData& rec, const uint8_t* p, size_t units) {
  std::memset(rec.name, 0, sizeof rec.name);
  for (size_t i = 0; i < units; ++i) rec.name[i] = static_cast<char16_t>(ReadLE16(p + 2 * i));
}

}  // namespace

int QuoteFieldWireWidth(uint8_t id) {
  return kWidths[id];
}

int HQ_FIELD_FUNC(const uint8_t* src, size_t len, uint8_t id, tagLocalStockData& rec) {
  const int width = QuoteFieldWireWidth(id);
  if (width == 0) {
    foundation::logError("!ERROR: HQ_FIELD_FUNC unknown field:%d", id);
    return -1;
  }
  if (!src) return -2;
  if (width == kQuoteFieldVariable) return DecodeQueue(src, len, rec);
  if (len < static_cast<size_t>(width)) return -2;

  const uint8_t* p = src;
  switch (id) {
    case 1:
      rec.yesterday = ReadI32(p);
      break;
    case 2:
      rec.open = ReadI32(p);
      break;
    case 3:
      rec.high = ReadI32(p);
      break;
    case 4:
      rec.low = ReadI32(p);
      break;
    case 5:
      rec.now = ReadI32(p);
      break;
    case 6:
      rec.volume = ReadI64(p);
      break;
    case 7:
      rec.amount = ReadI64(p);
      break;
    case 8:
      rec.realvol = ReadI64(p);
      break;
    case 9:
      rec.market = p[0];
      break;
    case 10: {
      // Bytes after the first NUL are cleared so the stored key matches CodeToKey of the text.
      char code[9] = {};
      for (size_t i = 0; i < 8 && p[i]; ++i) code[i] = static_cast<char>(p[i]);
      std::memcpy(rec.code, code, sizeof code);
      break;
    }
    case 11:
      rec.zqlb = p[0];
      break;
    case 12:
      NameFromUnits(rec, p, 8);
      break;
    case 13:
      rec.ldflag = p[0];
      break;
    case 14:
      rec.lb = ReadI32(p);
      rec.volrate = 0;
      break;
    case 15:
      rec.hsl = ReadI32(p);
      break;
    case 16:
      rec.syl = ReadI32(p);
      rec.ycmgsy = 0;
      break;
    case 17:
      rec.zd = ReadI32(p);
      break;
    case 18:
      rec.average = rec.average_new = ReadI32(p);
      break;
    case 19:
      rec.pricedot = p[0];
      rec.unit = ReadLE16(p + 1);
      break;
    case 20:
      rec.tradetimenum = p[0];
      for (int i = 0; i < 6; ++i) {
        uint16_t t = ReadLE16(p + 1 + 2 * i);
        // A close past midnight comes as the clock minute; keep the sessions ascending.
        if (i > 0 && t < rec.tradetime[i - 1]) t = static_cast<uint16_t>(t + 1440);
        rec.tradetime[i] = t;
      }
      break;
    case 21: {
      uint32_t v = ReadLE32(p);
      std::memcpy(&rec.datetime, &v, 4);
      break;
    }
    case 22: {
      std::memset(rec.name, 0, sizeof rec.name);
      for (size_t i = 0; i < 8 && p[i]; ++i) rec.name[i] = p[i] < 0x80 ? p[i] : u'?';
      break;
    }
    case 23:
      rec.zf = ReadI32(p);
      break;
    case 24:
      rec.swing = ReadI32(p);
      break;
    case 25:
      rec.sjl = ReadI32(p);
      break;
    case 26:
      rec.zs_5M = ReadI32(p);
      break;
    case 27:
      rec.flag_nwp = static_cast<char>(p[0]);
      break;
    case 28:
      rec.number_cjbs = ReadI32(p);
      break;
    case 29:
      rec.date = ReadI32(p);
      rec.time = ReadI32(p + 4);
      break;
    case 30:
      NameFromUnits(rec, p, 16);
      break;
    case 31:
      rec.xswsdot = p[0];
      break;
    case 40:
      rec.index_wb = ReadI32(p);
      break;
    case 41:
      rec.index_wc = ReadI64(p);
      break;
    case 42:
      rec.index_up = ReadLE16(p);
      break;
    case 43:
      rec.index_same = ReadLE16(p);
      break;
    case 44:
      rec.index_down = ReadLE16(p);
      break;
    case 45:
      rec.index_rate_up = ReadI32(p);
      break;
    case 46:
      rec.index_qrd = ReadI32(p);
      break;
    case 47:
      rec.dphlzz = ReadI16(p);
      break;
    case 62:
      rec.in = ReadI64(p);
      break;
    case 70:
      rec.upprice = ReadI32(p);
      break;
    case 71:
      rec.downprice = ReadI32(p);
      break;
    case 72:
      rec.buysell10.buy[0].price = ReadI32(p);
      break;
    case 73:
      rec.buysell10.sell[0].price = ReadI32(p);
      break;
    case 74:
      std::memcpy(rec.buysell10.buy, p, 60);
      std::memcpy(rec.buysell10.sell, p + 60, 60);
      break;
    case 75:
      rec.out = ReadI64(p);
      break;
    case 76:
      std::memcpy(&rec.buysell10, p, 240);
      break;
    case 77:
      std::memcpy(rec.DelegateBuySellInfo, p, 24);
      break;
    case 79:
      std::memcpy(&rec.broker_info_buy, p, 81);
      std::memcpy(&rec.broker_info_sell, p + 81, 81);
      break;
    case 80:
      rec.ltgb = ReadI64(p);
      break;
    case 81:
      rec.ycmgsy = ReadI32(p);
      break;
    case 82:
      rec.volrate = static_cast<double>(ReadI64(p));
      break;
    case 83:
      rec.zgb = ReadI64(p);
      break;
    case 84:
      rec.ltsz = ReadI64(p);
      break;
    case 85:
      rec.zsz = ReadI64(p);
      break;
    case 86:
      rec.ltBG = ReadI64(p);
      break;
    case 87:
      rec.mgJZZ = ReadI32(p);
      break;
    case 88:
      rec.jzcSYL = ReadI32(p);
      break;
    case 89:
      rec.zcFZL = ReadI32(p);
      break;
    case 90:
      rec.zySR = ReadI64(p);
      break;
    case 91:
      rec.jLR = ReadI64(p);
      break;
    case 92:
      rec.zZC = ReadI64(p);
      break;
    case 93:
      rec.zxmgsy = ReadI32(p);
      break;
    case 95:
      std::memcpy(rec.BuySellGold, p, 32);
      break;
    case 96:
      std::memcpy(rec.VolumeGold, p, 64);
      break;
    case 97:
      std::memcpy(rec.AmountGold, p, 64);
      break;
    case 98:
      std::memcpy(rec.mainMMC, p, 32);
      break;
    case 99:
      rec.BuyAvr5 = ReadI64(p);
      break;
    case 100:
      rec.SellAvr5 = ReadI64(p);
      break;
    case 101:
      rec.MMQ = ReadI32(p);
      break;
    case 102:
      rec.ZLZJ = ReadI32(p);
      break;
    case 103:
      rec.RZJ5 = ReadI32(p);
      break;
    case 104:
      rec.RZJ10 = ReadI32(p);
      break;
    case 105:
      rec.RZJ20 = ReadI32(p);
      break;
    case 106:
      rec.RNH10 = p[0];
      break;
    case 107:
      rec.ZLLH = ReadI16(p);
      break;
    case 108:
      std::memcpy(rec.MainAmount, p, 16);
      break;
    case 109:
      std::memcpy(rec.MainVolume, p, 16);
      break;
    case 110:
      std::memcpy(rec.mainFLCCBL, p, 16);
      break;
    case 130:
      std::memcpy(rec.radar_lastTime, p, 8);
      break;
    case 131:
      rec.radar_code = ReadI64(p);
      break;
    case 132:
      std::memcpy(rec.radar_title, p, 40);
      break;
    case 160:
      std::memcpy(&rec.JRCCS, p, 21);
      break;
    case 161:
      std::memcpy(rec.KPC, p, 16);
      break;
    case 162:
      std::memcpy(rec.XKP, p, 16);
      break;
    case 163:
      rec.ZRJSJ = ReadI32(p);
      break;
    case 200:
      rec.maincc = ReadI32(p);
      break;
    default:
      return -1;  // unreachable: the width table and the switch list the same ids
  }
  return width;
}

bool HQ_FIELD_FUNC_UPDATE(tagLocalStockData& stored, const tagLocalStockData& fresh, uint8_t id) {
#define COPY(member) std::memcpy(&stored.member, &fresh.member, sizeof stored.member)
  switch (id) {
    case 1:
      COPY(yesterday);
      break;
    case 2:
      COPY(open);
      break;
    case 3:
      COPY(high);
      break;
    case 4:
      COPY(low);
      break;
    case 5:
      COPY(now);
      break;
    case 6:
      COPY(volume);
      break;
    case 7:
      COPY(amount);
      break;
    case 8:
      COPY(realvol);
      break;
    case 9:
      COPY(market);
      break;
    case 10:
      COPY(code);
      break;
    case 11:
      COPY(zqlb);
      break;
    case 12:
    case 22:
    case 30:
      COPY(name);
      break;
    case 13:
      COPY(ldflag);
      break;
    case 14:
      COPY(lb);
      break;
    case 15:
      COPY(hsl);
      break;
    case 16:
      COPY(syl);
      break;
    case 17:
      COPY(zd);
      break;
    case 18:
      COPY(average);
      COPY(average_new);
      break;
    case 19:
      COPY(pricedot);
      COPY(unit);
      break;
    case 20:
      COPY(tradetimenum);
      COPY(tradetime);
      break;
    case 21:
      COPY(datetime);
      break;
    case 23:
      COPY(zf);
      break;
    case 24:
      COPY(swing);
      break;
    case 25:
      COPY(sjl);
      break;
    case 26:
      COPY(zs_5M);
      break;
    case 27:
      COPY(flag_nwp);
      break;
    case 28:
      COPY(number_cjbs);
      break;
    case 29:
      COPY(date);
      COPY(time);
      break;
    case 31:
      COPY(xswsdot);
      break;
    case 40:
      COPY(index_wb);
      break;
    case 41:
      COPY(index_wc);
      break;
    case 42:
      COPY(index_up);
      break;
    case 43:
      COPY(index_same);
      break;
    case 44:
      COPY(index_down);
      break;
    case 45:
      COPY(index_rate_up);
      break;
    case 46:
      COPY(index_qrd);
      break;
    case 47:
      COPY(dphlzz);
      break;
    case 62:
      COPY(in);
      break;
    case 70:
      COPY(upprice);
      break;
    case 71:
      COPY(downprice);
      break;
    case 72:
      stored.buysell10.buy[0].price = fresh.buysell10.buy[0].price;
      break;
    case 73:
      stored.buysell10.sell[0].price = fresh.buysell10.sell[0].price;
      break;
    case 74:  // the five-level form replaces the whole book: levels 6-10 become what fresh holds
    case 76:
      COPY(buysell10);
      break;
    case 75:
      COPY(out);
      break;
    case 77:
      COPY(DelegateBuySellInfo);
      break;
    case 78:
      COPY(buySellQueue);
      break;
    case 79:
      COPY(broker_info_buy);
      COPY(broker_info_sell);
      break;
    case 80:
      COPY(ltgb);
      break;
    case 81:
      COPY(ycmgsy);
      break;
    case 82:
      COPY(volrate);
      break;
    case 83:
      COPY(zgb);
      break;
    case 84:
      COPY(ltsz);
      break;
    case 85:
      COPY(zsz);
      break;
    case 86:
      COPY(ltBG);
      break;
    case 87:
      COPY(mgJZZ);
      break;
    case 88:
      COPY(jzcSYL);
      break;
    case 89:
      COPY(zcFZL);
      break;
    case 90:
      COPY(zySR);
      break;
    case 91:
      COPY(jLR);
      break;
    case 92:
      COPY(zZC);
      break;
    case 93:
      COPY(zxmgsy);
      break;
    case 95:
      COPY(BuySellGold);
      break;
    case 96:
      COPY(VolumeGold);
      break;
    case 97:
      COPY(AmountGold);
      break;
    case 98:
      COPY(mainMMC);
      break;
    case 99:
      COPY(BuyAvr5);
      break;
    case 100:
      COPY(SellAvr5);
      break;
    case 101:
      COPY(MMQ);
      break;
    case 102:
      COPY(ZLZJ);
      break;
    case 103:
      COPY(RZJ5);
      break;
    case 104:
      COPY(RZJ10);
      break;
    case 105:
      COPY(RZJ20);
      break;
    case 106:
      COPY(RNH10);
      break;
    case 107:
      COPY(ZLLH);
      break;
    case 108:
      COPY(MainAmount);
      break;
    case 109:
      COPY(MainVolume);
      break;
    case 110:
      COPY(mainFLCCBL);
      break;
    case 130:
      COPY(radar_lastTime);
      break;
    case 131:
      COPY(radar_code);
      break;
    case 132:
      COPY(radar_title);
      break;
    case 160:
      COPY(JRCCS);
      break;
    case 161:
      COPY(KPC);
      break;
    case 162:
      COPY(XKP);
      break;
    case 163:
      COPY(ZRJSJ);
      break;
    case 200:
      COPY(maincc);
      break;
    default:
      foundation::logError("!ERROR: HQ_FIELD_FUNC_UPDATE unknown field:%d", id);
      return false;
  }
#undef COPY
  return true;
}

int DecodeQuoteRecord(const uint8_t* ids, size_t idCount, const uint8_t* src, size_t len,
                      tagLocalStockData& rec) {
  size_t offset = 0;
  for (size_t i = 0; i < idCount; ++i) {
    int used = HQ_FIELD_FUNC(src ? src + offset : nullptr, len - offset, ids[i], rec);
    if (used < 0) return used;
    offset += static_cast<size_t>(used);
  }
  return static_cast<int>(offset);
}
