// The detail pager's requests: what each page asks the quote server for, and the F10 address.
// Every page's request is one round of the pager's renewing request, so that a page whose
// answer failed or never came asks again by itself.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/CoreConfig.h"
#include "core/CDataIP.h"
#include "core/MDBF.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteCache.h"
#include "core/QuoteRequests.h"
#include "core/SendQueues.h"
#include "detail/TrendlineController.h"
#include "detail/TrendlineParts.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/Reached.h"

using namespace trendline;

tagLocalStockData TrendlineController::cachedQuote(bool* found) const {
  tagLocalStockData quote{};
  const bool hit = QuoteCache_GetQuote(quote, static_cast<uint8_t>(MarketType), StockCode) > 0;
  if (found) *found = hit;
  return quote;
}

void TrendlineController::showCachedQuote(QuotePage* target, bool onlyWhenFound) {
  if (!target) return;
  bool found = false;
  const tagLocalStockData quote = cachedQuote(&found);
  if (found || !onlyWhenFound) target->SetDataInfo(quote, kQuoteFlagReply);
}

void TrendlineController::sendPackets(const std::vector<uint8_t>& packets, bool indicator) {
  if (packets.empty()) return;
  PushCenterSendQueue(packets.data(), static_cast<int>(packets.size()));
  if (indicator) ui::Application::shared().setNetworkActivityIndicatorVisible(true);
}

uint16_t TrendlineController::partCode(int slot) {
  const uint16_t code = NextCode();
  mRequestFlagCount[static_cast<size_t>(slot)] = code;
  pageRequest_.expect(code);
  return code;
}

bool TrendlineController::appendQuote(std::vector<uint8_t>& out, const uint8_t* list1,
                                      const uint8_t* list2) {
  const uint16_t code = partCode(kSlotQuote);
  uint8_t buffer[kPacketBuffer];
  const int n =
      MakeRequest_StockData(SessionValue(), code, kDetailPageId, static_cast<uint8_t>(MarketType),
                            StockCode, list1, list2, buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("TrendlineController: quote request not built (%d)", n);
    return false;
  }
  out.insert(out.end(), buffer, buffer + n);
  return true;
}

bool TrendlineController::appendTicks(std::vector<uint8_t>& out, int slot, const uint8_t* list) {
  const uint16_t code = partCode(slot);
  uint8_t buffer[kPacketBuffer];
  const int n =
      MakeRequest_DealDetail(SessionValue(), code, kDetailPageId, static_cast<uint8_t>(MarketType),
                             StockCode, kTickCount, list, buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("TrendlineController: tick request not built (%d)", n);
    return false;
  }
  out.insert(out.end(), buffer, buffer + n);
  return true;
}

void TrendlineController::RequestDataTrendline() {
  requestTrend(0);
}

void TrendlineController::requestTrend(int from) {
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  const bool index = IsStockIndex(type, market);
  const bool futures = IsStockQH(type, market);
  const bool right30 = HoldsRight30();
  const List list1 = WireList({{30, 11, 19, 1, 20, 70, 71, 47}});
  // A share's rows show 委比 (40) beside the five levels (74) it is made of: both come in the
  // same answer, or the rows would show a list's older figure (or none) against today's book.
  List list2 = WireList({{10, 9, 2, 3, 4, 5, 17, 6, 8, 18, 74, 16, 7, 14, 21, 75, 62, 27},
                         futures ? std::initializer_list<uint8_t>{160, 161, 162, 163}
                         : index ? std::initializer_list<uint8_t>{40, 41, 42, 43, 44, 84, 85, 47}
                                 : std::initializer_list<uint8_t>{80, 83, 87, 93, 40},
                         right30 ? std::initializer_list<uint8_t>{77, 99, 100, 102, 108}
                                 : std::initializer_list<uint8_t>{}});
  const List trendList = WireList(
      {{6, 7, 9, 10, 8, 20},
       type == 1 ? std::initializer_list<uint8_t>{21} : std::initializer_list<uint8_t>{},
       futures ? std::initializer_list<uint8_t>{22, 23, 24} : std::initializer_list<uint8_t>{},
       right30 ? std::initializer_list<uint8_t>{14, 15, 16, 17, 18, 19}
               : std::initializer_list<uint8_t>{}});
  beginRound([](TrendlineController& me) { me.RequestDataTrendline(); });
  std::vector<uint8_t> packets;
  if (!appendQuote(packets, list1.data(), list2.data())) return;
  const uint16_t trendCode = partCode(kSlotTrend);
  uint8_t buffer[kPacketBuffer];
  const int n = MakeRequest_Trendline(SessionValue(), trendCode, kDetailPageId, market, StockCode,
                                      static_cast<uint16_t>(from), trendList.data(), buffer,
                                      sizeof buffer);
  if (n <= 0) {
    foundation::logError("TrendlineController: trend request not built (%d)", n);
    return;
  }
  packets.insert(packets.end(), buffer, buffer + n);
  if (!index) {
    const List ticks = WireList({{1, 2, 3, 4}});
    if (!appendTicks(packets, kSlotTicks, ticks.data())) return;
  }
  if (auto* trend = trendPage(); trend && trend->trendlineView())
    trend->trendlineView()->awaitPoints();
  heldForCatchUp_ = false;
  if (auto* land = IsLandscapeKline ? landscape() : nullptr; land && land->trendlineView())
    land->trendlineView()->awaitPoints();
  sendPackets(packets, true);
  bool found = false;
  const tagLocalStockData quote = cachedQuote(&found);
  _iDateReqHist = QuoteDate(quote);
  if (found) {
    if (auto* trend = trendPage()) trend->SetDataInfo(quote, kQuoteFlagReply);
    if (auto* land = IsLandscapeKline ? landscape() : nullptr)
      land->SetDataInfo(quote, kQuoteFlagReply);
  }
  if (auto* trend = trendPage()) trend->awaitQuote();
}

void TrendlineController::RequestKlineData(uint8_t period) {
  ui::noteReached("kline period", period >= 1 && period <= 7
                                      ? std::string(std::array<const char*, 7>{
                                            "日线", "周线", "月线", "5分钟", "60分钟", "15分钟",
                                            "30分钟"}[period - 1])
                                      : "period " + std::to_string(period));
  const auto market = static_cast<uint8_t>(MarketType);
  const bool futures = IsStockQH(static_cast<uint8_t>(StockType), market);
  const List list1 = WireList({{30, 11, 19, 1, 20}});
  const List list2 = WireList({{10, 9, 5, 31, 17, 6, 8, 21, 2, 3, 4, 7}});
  const List bars =
      WireList({{11, 12, 13, 14, 15, 16, 17},
                futures ? std::initializer_list<uint8_t>{28, 29} : std::initializer_list<uint8_t>{},
                HoldsRight30() ? std::initializer_list<uint8_t>{10, 20, 24, 22, 23}
                               : std::initializer_list<uint8_t>{}});
  const List weights = period == 1 ? WireList({{1, 2, 3, 4, 5, 6, 7, 10}}) : List{0};
  beginRound([period](TrendlineController& me) { me.RequestKlineData(period); });
  std::vector<uint8_t> packets;
  if (!appendQuote(packets, list1.data(), list2.data())) return;
  uint8_t block[21] = {};
  block[0] = market;
  std::strncpy(reinterpret_cast<char*>(block + 1), StockCode, 8);
  block[9] = 1;
  block[10] = period;
  WriteLE32(block + 11, 0);
  WriteLE32(block + 15, 99991231);
  WriteLE16(block + 19, 196);
  const uint16_t code = partCode(kSlotKLine);
  uint8_t buffer[kPacketBuffer];
  const int n = MakeRequest_KLine(static_cast<int16_t>(SessionValue()), code, kDetailPageId, block,
                                  bars.data(), bars.data(), weights.data(), buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("TrendlineController: K-line request not built (%d)", n);
    return;
  }
  packets.insert(packets.end(), buffer, buffer + n);
  KLineFeedRole* chart = klineChart();
  showCachedQuote(chart, false);
  if (chart) chart->awaitBars();
  sendPackets(packets, true);
}

void TrendlineController::RequestDataDetail() {
  const List list1 = WireList({{19, 11, 30, 1}});
  const List list2 = WireList({{9, 10, 2, 3, 4, 5, 31, 6, 8, 7, 17, 74, 21, 75, 62, 27},
                               HoldsRight30() ? std::initializer_list<uint8_t>{95, 96, 97, 98, 110}
                                              : std::initializer_list<uint8_t>{}});
  const List ticks = WireList({{1, 2, 3, 4}});
  beginRound([](TrendlineController& me) { me.RequestDataDetail(); });
  std::vector<uint8_t> packets;
  if (!appendQuote(packets, list1.data(), list2.data())) return;
  if (!appendTicks(packets, kSlotTicks, ticks.data())) return;
  showCachedQuote(page<DetailPageRole>(kTagDetailPage), false);
  sendPackets(packets, true);
}

void TrendlineController::RequestFenBiDataDetail() {
  const List ticks = WireList({{1, 2, 3, 4, 7, 8}});
  beginRound([](TrendlineController& me) { me.RequestFenBiDataDetail(); });
  std::vector<uint8_t> packets;
  if (!appendTicks(packets, kSlotFuturesTicks, ticks.data())) return;
  sendPackets(packets, false);
}

void TrendlineController::RequestMiniDataDetail() {
  const List ticks = WireList({{1, 2, 3, 4}});
  std::vector<uint8_t> packets;
  if (!appendTicks(packets, kSlotTicks, ticks.data())) return;
  sendPackets(packets, false);
}

void TrendlineController::RequestRadar() {
  MDBF table;
  const char kind[5] = {20, 21, 22, 23, 0};
  table.AddStringField(0, kind);
  table.AddIntField(26, MarketType);
  table.AddStringField(27, StockCode);
  table.AddIntField(28, 0);
  table.AddIntField(29, 50);
  uint8_t buffer[kPacketHeaderSize + 1008];
  int records = 0;
  const int bodyLen = table.SerializeAll(buffer + kPacketHeaderSize, 1008, &records);
  if (bodyLen <= 0) {
    foundation::logError("TrendlineController: radar request not built (%d)", bodyLen);
    return;
  }
  beginRound([](TrendlineController& me) { me.RequestRadar(); });
  const uint16_t code = partCode(kSlotRadar);
  const int n = BuildPacket(kMainTypeQuote, QuoteChild::kRadarList, kDetailPageId, SessionValue(),
                            code, buffer, bodyLen, kCipherNone);
  if (n <= 0) return;
  sendPackets(std::vector<uint8_t>(buffer, buffer + n), true);
}

void TrendlineController::RequestHK10Dang() {
  const List list1 = WireList({{30, 11, 19, 1, 20, 70, 71}});
  const List list2 = WireList({{10, 9, 2, 3, 4, 5, 31, 17, 6, 8, 7, 14, 21, 18, 76, 79}});
  beginRound([](TrendlineController& me) { me.RequestHK10Dang(); });
  std::vector<uint8_t> packets;
  if (!appendQuote(packets, list1.data(), list2.data())) return;
  sendPackets(packets, false);
  showCachedQuote(page<HK10PageRole>(kTagHK10Page), false);
}

void TrendlineController::RequestHKJJSInfo(const std::string& seat) {
  if (seat.empty()) return;
  const uint16_t code = NextCode();
  uint8_t buffer[kPacketBuffer];
  const int n = MakeRequest_HKJJSInfo(SessionValue(), code, kDetailPageId, seat.c_str(), buffer,
                                      sizeof buffer);
  if (n <= 0) {
    foundation::logError("TrendlineController: seat request not built (%d)", n);
    return;
  }
  mRequestFlagCount[kSlotSeat] = code;
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
  sendPackets(std::vector<uint8_t>(buffer, buffer + n), false);
}

void TrendlineController::RequestHistTrendline(int8_t dayOffset, int32_t date) {
  if (dayOffset > -1 || dayOffset < -4) return;
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  const List trendList =
      WireList({{6, 7, 9, 10, 8, 20},
                type == 1 ? std::initializer_list<uint8_t>{21} : std::initializer_list<uint8_t>{},
                IsStockQH(type, market) ? std::initializer_list<uint8_t>{22, 23, 24}
                                        : std::initializer_list<uint8_t>{},
                HoldsRight30() ? std::initializer_list<uint8_t>{14, 15, 16, 17, 18, 19}
                               : std::initializer_list<uint8_t>{}});
  const uint16_t code = NextCode();
  mRequestFlagCount[static_cast<size_t>(kSlotRadar - dayOffset)] = code;
  uint8_t buffer[kPacketBuffer];
  const int n = MakeRequest_HistTrendline(
      SessionValue(), code, kDetailPageId, market, StockCode, static_cast<uint8_t>(dayOffset),
      static_cast<uint32_t>(date), trendList.data(), buffer, sizeof buffer);
  if (n <= 0) return;
  sendPackets(std::vector<uint8_t>(buffer, buffer + n), false);
}

void TrendlineController::TrendlineReqPeriodRange(int n) {
  if (n < 1 || n > 4) return;
  _iPeriod = n;
  RequestHistTrendline(static_cast<int8_t>(-n), _iDateReqHist);
}

void TrendlineController::requestPriceNotificationSetting() {
  _bHasTrevane = 0;
  const uint16_t code = NextCode();
  mRequestFlagCount[kSlotPriceAlert] = code;
  MakeRequest_PriceNotificationGetSetting(GlobalDataRequest(), 0, code, MarketType, StockCode,
                                          kPriceAlertPageId);
}

const char* TrendlineController::F10MarketType(int market) {
  if (market == 3) return "hk";
  if (market == 2) return "sz";
  return "sh";
}

std::string TrendlineController::getRequestPageAddr(const char* code, int market) {
  char path[101] = {};
  GetMainConfig().GetStringLocked("info", "F10_ip", "", path, sizeof path);
  CDataIP* servers = GetServerList(3);
  if (!servers) return {};
  char address[CDataIP::kAddressSize] = {};
  const int tries = servers->GetCount() + 1;
  bool got = false;
  for (int i = 0; i < tries && servers->GetCount() > 0; ++i) {
    address[0] = '\0';
    const int more = servers->GetNextIP(address, sizeof address);
    if (more && address[0] != '\0') {
      got = true;
      break;
    }
    servers->Reset();
  }
  if (!got) return {};
  std::string host(address);
  host = host.substr(0, host.find('|'));
  char out[512];
  std::snprintf(out, sizeof out, "http://%s%s?key=%s,%s", host.c_str(), path, code ? code : "",
                F10MarketType(market));
  return out;
}

