// The detail pager's reply side: the answers and pushes that reach it, checked against the
// request codes of its latest round, parsed and handed to the pages; the quote fan-out; and
// what the pager does when the login or the connection changes under it.
#include <algorithm>
#include <cstring>

#include "core/ByteOrder.h"
#include "core/ChartData.h"
#include "core/CoreState.h"
#include "core/MDBF.h"
#include "core/MessageTypes.h"
#include "core/PacketHeader.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/ReplyHead.h"
#include "core/SearchHistory.h"
#include "detail/TrendlineController.h"
#include "detail/TrendlineParts.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/WhileAlive.h"

using namespace trendline;

namespace {

// The count of the day's minutes up to the quote's, as a push makes the day.
int QuoteTrendCount(const tagLocalStockData& quote) {
  return TradeMinuteToIndex(
      quote, static_cast<int>(quote.datetime.Hour) * 60 + static_cast<int>(quote.datetime.Minute));
}

}  // namespace

// --- replies and pushes ----------------------------------------------------------------------

void TrendlineController::indicatorOff() {
  if (isTopScreen()) ui::Application::shared().setNetworkActivityIndicatorVisible(false);
}

TrendlineView* TrendlineController::trendChart() const {
  return trendPage() ? dynamic_cast<TrendlineView*>(trendPage()->trendlineView()) : nullptr;
}

bool TrendlineController::trendApartFromQuote(bool evenAwaiting) const {
  auto* chart = trendChart();
  if (!chart || chart->m_trendnum <= 0 || (chart->awaitingPoints() && !evenAwaiting)) return false;
  const tagLocalStockData quote = cachedQuote();
  if (quote.tradetimenum == 0 || QuoteDate(quote) != chart->m_trenddate[0]) return false;
  const int count = QuoteTrendCount(quote);
  if (count < 1 || count > GetTradeMinutes(quote)) return false;
  return count != chart->m_trendnum;
}

void TrendlineController::armTrendCatchUp() {
  if (trendCatchUp_) trendCatchUp_->invalidate();
  trendCatchUp_ = foundation::performAfter(kTrendPartsSettle,
                                           ui::WhileAlive(this, &TrendlineController::catchUpTrend));
}

void TrendlineController::catchUpTrend() {
  // A day that ends at another minute than the quote beside it (an answer made minutes before it
  // came while the market moved on, or a quote of an older answer than the day) is asked again, a
  // few times at most, so that the page shows the figures of one minute. The day held back from the
  // check while its parts settled is judged again unless asked anew. A day whose quote has not
  // come is judged once it comes.
  if (trendAwaitsQuote_) return;
  const bool held = heldForCatchUp_;
  heldForCatchUp_ = false;
  auto release = [&] {
    if (auto* chart = held ? trendChart() : nullptr) chart->settlePoints();
  };
  if (!onScreen_ || IsSelWhichTab != kPageTrend || IsLandscapeKline || !trendApartFromQuote(held)) {
    trendCatchUps_ = 0;
    release();
    return;
  }
  if (trendCatchUps_ >= kTrendCatchUps) {
    release();
    return;
  }
  ++trendCatchUps_;
  // A day that ends before the quote's minute lacks its last minutes only (a part of the answer
  // still on its way, or the minutes the market made since): they are asked from its end on, and
  // the later parts of the old answer, dropped as another request's, are not needed. A day that
  // runs past the quote is asked whole.
  auto* chart = trendChart();
  const tagLocalStockData quote = cachedQuote();
  const int count = QuoteTrendCount(quote);
  const int from = chart && count > chart->m_trendnum ? chart->m_trendnum : 0;
  foundation::logInfo("TrendlineController: the trend ends at another minute than its quote's, "
                      "asking again from point %d",
                      from);
  requestTrend(from);
}

void TrendlineController::renewalFailed(uint16_t code) {
  if (pageRequest_.takes(code)) pageRequest_.failed();
}

void TrendlineController::renewalAnswered(uint16_t code, bool shown) {
  if (!pageRequest_.takes(code)) return;
  if (shown) {
    pageRequest_.answered(code);
  } else {
    pageRequest_.failed();
  }
}

bool TrendlineController::isTopScreen() const {
  auto* navigation = navigationController();
  return navigation &&
         dynamic_cast<TrendlineController*>(navigation->topViewController()) != nullptr;
}

void TrendlineController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(notification, reply)) return;
  // The radar page reads the whole record (a continuation part appends to its list).
  radarRecord_ = &notification.userInfo[kReceiveRecordKey].asData();
  handleReply(reply);
  radarRecord_ = nullptr;
}

void TrendlineController::handleReply(const ReceiveRecordView& reply) {
  if (reply.header.MainType != kMainTypeQuote) return;
  const bool error = reply.header.isError();
  const int32_t code = reply.requestCode() & 0x3fff;
  switch (reply.header.ChildType) {
    case QuoteChild::kStockData: {
      if (code != mRequestFlagCount[kSlotQuote]) return;
      if (error) {
        // What the page shows stays; it asks again.
        renewalFailed(code);
        return;
      }
      if (!reply.header.isPush()) pageRequest_.answered(code);
      const tagLocalStockData quote = cachedQuote();
      onDrawHQ(quote, reply.header.DataFlag);
      if (auto* trend = trendPage()) {
        if (auto* chart = trend->trendlineView()) chart->reDrawView();
      }
      if (auto* land = IsLandscapeKline ? landscape() : nullptr) {
        if (auto* chart = land->trendlineView()) chart->reDrawView();
      }
      if (quote.code[0] != '\0') GetSearchHistory().Add(quote);
      // The bars or the day that came before the round's quote are judged by it now. (A push
      // of the round's subscription moves the bars on by itself; the day, held meanwhile, waits
      // for the answer, or for the round asked again.)
      if (barsAwaitQuote_) {
        barsAwaitQuote_ = false;
        if (auto* chart = klineChart()) chart->quoteCaughtUp();
      }
      if (trendAwaitsQuote_ && !reply.header.isPush()) {
        trendAwaitsQuote_ = false;
        heldForCatchUp_ = true;
        armTrendCatchUp();
      }
      return;
    }
    case QuoteChild::kTrendline:
      if (error) {
        indicatorOff();
        renewalFailed(code);
        return;
      }
      if (code == mRequestFlagCount[kSlotTrend]) {
        const bool shown = handleTrend(reply);
        renewalAnswered(code, shown);
        // Once the day's parts are in (they come one right after the other), it is judged
        // against the quote beside it.
        if (shown && quoteOfRoundAwaited()) {
          // The quote asked with the day has not come: the quote shown is older than the day,
          // which waits for it before its last minute is judged.
          trendAwaitsQuote_ = true;
          if (auto* chart = trendChart()) chart->awaitPoints();
        } else if (shown) {
          // A day apart from the quote beside it, to be asked again once its parts are in, is
          // not shown as the page's figures meanwhile: the chart waits for its points still. So
          // too while the pager slides in: its page is on screen already.
          if (trendCatchUps_ < kTrendCatchUps && onScreen_ && IsSelWhichTab == kPageTrend &&
              !IsLandscapeKline && trendApartFromQuote()) {
            if (auto* chart = trendChart()) chart->awaitPoints();
            heldForCatchUp_ = true;
          }
          armTrendCatchUp();
        }
      }
      return;
    case QuoteChild::kKLine:
      if (error) {
        indicatorOff();
        renewalFailed(code);
        return;
      }
      if (code == mRequestFlagCount[kSlotKLine]) {
        const KLineTaken taken = handleKLine(reply);
        // A bar pushed to the subscription is no answer: the history asked for may be lost yet.
        if (!reply.header.isPush() && taken != KLineTaken::PartHeld)
          renewalAnswered(code, taken == KLineTaken::Shown);
        // The quote asked with the bars has not come (a stalled answer, asked again by the
        // round): the quote shown is older than the bars, whose last one is not judged by it.
        if (taken == KLineTaken::Shown && !reply.header.isPush() && quoteOfRoundAwaited()) {
          barsAwaitQuote_ = true;
          if (auto* chart = klineChart()) chart->awaitBars();
        }
      }
      return;
    case QuoteChild::kExRights:
      if (!error) handleWeight(reply);
      return;
    case QuoteChild::kDealDetail:
      if (code == mRequestFlagCount[kSlotTicks]) {
        if (error) {
          indicatorOff();
          renewalFailed(code);
          return;
        }
        if (reply.header.isPush() && radarRecord_) {
          pushedTicks_ = *radarRecord_;
          ticksRefresh_.schedule();
        } else {
          ticksRefresh_.cancel();
          renewalAnswered(code, handleTicks(reply));
        }
      } else if (code == mRequestFlagCount[kSlotFuturesTicks]) {
        // Futures ticks are taken off the wire but no page draws them.
        indicatorOff();
        if (error) {
          renewalFailed(code);
        } else if (!reply.header.isPush()) {
          pageRequest_.answered(code);
        }
      }
      return;
    case QuoteChild::kRadarList:
      handleRadar(reply);
      return;
    case QuoteChild::kHistTrendline:
      if (error) return;
      for (int slot = kSlotFuturesTicks; slot <= kSlotHist4; ++slot) {
        if (code == mRequestFlagCount[static_cast<size_t>(slot)]) {
          handleHistTrend(reply, slot - kSlotRadar);
          return;
        }
      }
      return;
    case QuoteChild::kHKJJSInfo:
      if (code != mRequestFlagCount[kSlotSeat]) return;
      if (error) {
        ui::Application::shared().setNetworkActivityIndicatorVisible(false);
        return;
      }
      handleSeat(reply);
      return;
    default:
      return;
  }
}

tagLocalStockData TrendlineController::trendParseQuote(const TrendChartRole* chart,
                                                       const TrendChartRole* landChart,
                                                       const tagLocalStockData& cached) const {
  // The minutes are placed by the security's trading periods. A chart's copy of the quote may
  // be a list row's (no periods: every minute would fall on the first) when the quote's answer
  // went to the page shown instead (the landscape screen opened from the K-line page), so the
  // first record of this security that has them is taken.
  auto usable = [&](const tagLocalStockData& q) {
    return q.tradetimenum > 0 && q.market == static_cast<uint8_t>(MarketType) &&
           std::strncmp(q.code, StockCode, sizeof q.code) == 0;
  };
  tagLocalStockData candidates[3] = {landChart ? landChart->GetStockData() : tagLocalStockData{},
                                     chart ? chart->GetStockData() : tagLocalStockData{}, cached};
  for (const tagLocalStockData& q : candidates)
    if (usable(q)) return q;
  return chart ? chart->GetStockData() : cachedQuote();
}

bool TrendlineController::handleTrend(const ReceiveRecordView& reply) {
  indicatorOff();
  ReplyHeadCheck check;
  if (!CheckReplyHead(ReplyHeadKind::Trend, reply.body, reply.bodyLen, &check)) {
    foundation::logError("TrendlineController: trend answer shorter than its head");
    return false;
  }
  TrendChartRole* chart = trendPage() ? trendPage()->trendlineView() : nullptr;
  TrendChartRole* landChart =
      (IsLandscapeKline && landscape()) ? landscape()->trendlineView() : nullptr;
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  if (chart) chart->SetStockInfo(market, type);
  if (landChart) landChart->SetStockInfo(market, type);
  std::vector<tagLocalTrendData> points(kTrendCapacity);
  uint8_t head[13];
  std::memcpy(head, reply.body, sizeof head);
  tagLocalStockData named{};
  char headCode[9] = {};
  std::memcpy(headCode, head + 1, 8);
  QuoteCache_GetQuote(named, head[0], headCode);
  const int parsed = AnalyTrendData(
      reply.body + check.headSize, static_cast<size_t>(reply.bodyLen - check.headSize),
      trendParseQuote(chart, landChart, named), check.count, points.data(), kTrendCapacity);
  // The chart appends the head's points from its start on (a day may come in several answers,
  // each from its own start minute): the head keeps its own count, bounded by what was parsed
  // behind that start.
  const int start = head[9] | (head[10] << 8);
  SetReplyHeadCount(ReplyHeadKind::Trend, head,
                    std::clamp(std::min(check.count, parsed - start), 0, kTrendCapacity));
  FillTrendGaps(named, points.data(), kTrendCapacity);
  if (chart) chart->SetTrendLineArray(head, points.data());
  if (landChart) landChart->SetTrendLineArray(head, points.data());
  return true;
}

void TrendlineController::handleHistTrend(const ReceiveRecordView& reply, int period) {
  ReplyHeadCheck check;
  if (!CheckReplyHead(ReplyHeadKind::HistTrend, reply.body, reply.bodyLen, &check)) {
    foundation::logError("TrendlineController: past-day trend shorter than its head");
    return;
  }
  uint8_t head[29];
  std::memcpy(head, reply.body, sizeof head);
  tagLocalStockData named{};
  char headCode[9] = {};
  std::memcpy(headCode, head + 1, 8);
  QuoteCache_GetQuote(named, head[0], headCode);
  if (ReadLE32(head + 17) == 0) {
    for (int i = 0; i < 3; ++i) WriteLE32(head + 9 + 4 * i, static_cast<uint32_t>(named.yesterday));
  }
  TrendChartRole* chart = trendPage() ? trendPage()->trendlineView() : nullptr;
  std::vector<tagLocalTrendData> points(kTrendCapacity);
  const tagLocalStockData chartQuote = chart ? chart->GetStockData() : named;
  const int parsed = AnalyTrendData(reply.body + check.headSize,
                                    static_cast<size_t>(reply.bodyLen - check.headSize), chartQuote,
                                    check.count, points.data(), kTrendCapacity);
  SetReplyHeadCount(ReplyHeadKind::HistTrend, head, std::clamp(parsed, 0, kTrendCapacity));
  FillTrendGaps(named, points.data(), kTrendCapacity);
  if (chart) chart->SetHistTrendLineArray(head, points.data(), period);
  if (auto* land = IsLandscapeKline ? landscape() : nullptr) {
    if (auto* landChart = land->trendlineView())
      landChart->SetHistTrendLineArray(head, points.data(), period);
  }
}

TrendlineController::KLineTaken TrendlineController::handleKLine(const ReceiveRecordView& reply) {
  ReplyHeadCheck check;
  if (!CheckReplyHead(ReplyHeadKind::KLine, reply.body, reply.bodyLen, &check)) {
    indicatorOff();
    foundation::logError("TrendlineController: K-line answer shorter than its head");
    return KLineTaken::Failed;
  }
  const tagLocalStockData quote = cachedQuote();
  std::fill(KLinedata.begin(), KLinedata.end(), tagLocalKData{});
  int parsed =
      Analy_15(reply.body + check.headSize, static_cast<size_t>(reply.bodyLen - check.headSize),
               quote, check.count, KLinedata.data(), kKLineCapacity);
  uint8_t head[21];
  std::memcpy(head, reply.body, sizeof head);
  uint16_t isPush = reply.header.DataFlag;
  const uint8_t parts = reply.header.PackageNum, part = reply.header.PackageNo;
  if (!reply.header.isPush() && parts > 1) {
    KLineParts& held = klineParts_;
    if (part == 0) held = KLineParts{reply.requestCode(), parts, 0, {}};
    if (held.code != reply.requestCode() || held.count != parts || held.next != part) {
      // A part lost or come late on the way (a misbehaving server): the round asks again.
      indicatorOff();
      foundation::logInfo("TrendlineController: K-line part %d of %d came without the one before",
                          part + 1, parts);
      held = {};
      return KLineTaken::Failed;
    }
    held.bars.insert(held.bars.end(), KLinedata.begin(), KLinedata.begin() + std::max(parsed, 0));
    ++held.next;
    if (!reply.header.isLastPart()) return KLineTaken::PartHeld;
    // The whole answer: its newest bars, as many as a chart holds.
    const size_t n = std::min(held.bars.size(), static_cast<size_t>(kKLineCapacity));
    std::copy(held.bars.end() - static_cast<long>(n), held.bars.end(), KLinedata.begin());
    parsed = static_cast<int>(n);
    held = {};
  }
  indicatorOff();
  SetReplyHeadCount(ReplyHeadKind::KLine, head, std::clamp(parsed, 0, kKLineCapacity));
  if (auto* chart = klineChart()) chart->SetKlineArray(KLinedata.data(), head, isPush);
  return KLineTaken::Shown;
}

void TrendlineController::handleWeight(const ReceiveRecordView& reply) {
  ReplyHeadCheck check;
  if (!CheckReplyHead(ReplyHeadKind::Weight, reply.body, reply.bodyLen, &check)) {
    foundation::logError("TrendlineController: ex-rights answer shorter than its head");
    return;
  }
  // Only the events of the security shown: another stock's would shift its bars.
  char headCode[9] = {};
  std::memcpy(headCode, reply.body + 1, 8);
  if (reply.body[0] != static_cast<uint8_t>(MarketType) ||
      std::strncmp(headCode, StockCode, 8) != 0 || StockCode[8] != '\0')
    return;
  std::fill(_weightData.begin(), _weightData.end(), tagLocalWeightData{});
  static const uint8_t kIds[] = {1, 2, 3, 4, 5, 6, 7, 10};
  const int parsed = ParseFieldRecords(
      reply.body + check.headSize, static_cast<size_t>(reply.bodyLen - check.headSize), check.count,
      _weightData.data(), kWeightCapacity, kIds, sizeof kIds);
  _weightDays = std::clamp(parsed, 0, kWeightCapacity);
  if (auto* kline = page<KLinePageRole>(kTagKLinePage))
    kline->setTagLocalWeightData(_weightData.data(), _weightDays);
  if (auto* land = landscape()) land->setTagLocalWeightData(_weightData.data(), _weightDays);
}

bool TrendlineController::handleTicks(const ReceiveRecordView& reply) {
  indicatorOff();
  ReplyHeadCheck check;
  if (!CheckReplyHead(ReplyHeadKind::Ticks, reply.body, reply.bodyLen, &check)) {
    foundation::logError("TrendlineController: tick answer shorter than its head");
    return false;
  }
  tagDealHead head{};
  std::memcpy(&head, reply.body, sizeof head);
  head.count = static_cast<uint16_t>(check.count);
  const uint8_t* records = reply.body + check.headSize;
  if (auto* detail = page<DetailPageRole>(kTagDetailPage)) detail->SetDetailData(head, records);
  if (auto* trend = trendPage()) trend->SetDetailData(head, records);
  return true;
}

void TrendlineController::showPushedTicks() {
  ReceiveRecordView reply;
  if (ReceiveRecordView::From(pushedTicks_.data(), static_cast<int>(pushedTicks_.size()), reply))
    static_cast<void>(handleTicks(reply));
  pushedTicks_.clear();
}

void TrendlineController::handleRadar(const ReceiveRecordView& reply) {
  RadarListRole* radar = RadarRoleOf(pageView(kTagRadarPage));
  if (radar) radar->setCurrentNavigationController(navigationController());
  if (reply.header.isError()) {
    if (isTopScreen()) {
      if (radar) radar->SetRadarTitle(nullptr, 0);
      indicatorOff();
    }
    renewalFailed(reply.requestCode());
    return;
  }
  if ((reply.requestCode() & 0x3fff) != mRequestFlagCount[kSlotRadar]) return;
  indicatorOff();
  if (!reply.header.isPush()) pageRequest_.answered(reply.requestCode());
  if (!radar) return;
  if (radarRecord_) {
    radar->SetRadarTitle(*radarRecord_);
  } else {
    radar->SetRadarTitle(reply.body, reply.bodyLen);
  }
}

void TrendlineController::handleSeat(const ReceiveRecordView& reply) {
  indicatorOff();
  const size_t len = static_cast<size_t>(std::max(reply.bodyLen, 0));
  UpdateHKJJSInfo(reply.body, len);
  MDBF table;
  if (table.Parse(reply.body, reply.bodyLen) < 0) {
    foundation::logError("TrendlineController: seat answer is no record table");
    return;
  }
  table.Seek(0);
  const std::string title = "(" + table.GetNSString(26) + ")" + table.GetNSString(24);
  if (auto* hk = page<HK10PageRole>(kTagHK10Page))
    hk->refreshDetailView(title, table.GetNSString(25));
}

void TrendlineController::onDrawHQ(const tagLocalStockData& quote, uint16_t dataFlag) {
  shownQuote_ = quote;
  if (IsFirstShow) {
    std::string name = UnicharsToNSString(quote.name, 16);
    char code[10] = {};
    std::memcpy(code, quote.code, 8);
    // No quote cached yet, or one without a name (the ticker's): keep what the list or the
    // search screen named and let the first named quote fill the labels.
    if (!name.empty()) {
      IsFirstShow = 0;
      if (StockNameLabel) StockNameLabel->setText(name);
      stockNameStr = name;
    }
    if (code[0] != '\0') {
      if (StockCodeLabel) StockCodeLabel->setText(code);
      stockCodeStr = code;
    }
  }
  LandscapeKlineRole* land = IsLandscapeKline ? landscape() : nullptr;
  switch (IsSelWhichTab) {
    case kPageTrend: {
      _iDateReqHist = QuoteDate(quote);
      // A push that would not make its minute (minutes went by unseen: a connection lost, a
      // stall, an answer that failed) asks for the day again rather than make a minute of
      // several. Both charts take the push as a minute while the landscape one is up.
      TrendChartRole* upright = trendPage() ? trendPage()->trendlineView() : nullptr;
      TrendChartRole* landChart = land ? land->trendlineView() : nullptr;
      if (dataFlag == kQuoteFlagPush && ((upright && upright->pushSkipsMinutes(quote)) ||
                                         (landChart && landChart->pushSkipsMinutes(quote)))) {
        foundation::logInfo("TrendlineController: a push skips minutes of the day, asking again");
        RequestDataTrendline();
        return;
      }
      // A landscape chart still without its day (its answer failed or has not come) takes the
      // quote, not the push's minute: a day made of pushes alone would stand flat at the close.
      const uint16_t landFlag =
          dataFlag == kQuoteFlagPush && landChart && landChart->awaitingPoints() ? kQuoteFlagReply
                                                                                 : dataFlag;
      if (auto* trend = trendPage()) trend->SetDataInfo(quote, dataFlag);
      if (land) land->SetDataInfo(quote, landFlag);
      break;
    }
    case kPageKLine:
      if (land) {
        land->setTrevaneFlag(_bHasTrevane);
        land->SetDataInfo(quote, dataFlag);
      } else if (auto* kline = page<KLinePageRole>(kTagKLinePage)) {
        kline->setTrevaneFlag(_bHasTrevane);
        kline->SetDataInfo(quote, dataFlag);
      }
      break;
    case kPageMainForce:
      if (auto* detail = page<DetailPageRole>(kTagDetailPage)) detail->SetDataInfo(quote, dataFlag);
      break;
    case kPageHK10:
      if (auto* hk = page<HK10PageRole>(kTagHK10Page)) hk->SetDataInfo(quote, dataFlag);
      break;
    default:
      break;
  }
}

void TrendlineController::recvmsg_PriceNotification(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(notification, reply)) return;
  if (reply.header.MainType != kMainTypePriceAlert ||
      reply.header.ChildType != PriceAlertChild::kGetSetting)
    return;
  if (mRequestFlagCount[kSlotPriceAlert] < 0 ||
      (reply.requestCode() & 0x3fff) != mRequestFlagCount[kSlotPriceAlert])
    return;
  mRequestFlagCount[kSlotPriceAlert] = -1;
  // An error text or a body that is no table says nothing about the ladder alert.
  if (reply.header.isError()) return;
  MDBF table;
  if (table.Parse(reply.body, reply.bodyLen) < 0) {
    foundation::logError("TrendlineController: price-alert setting is no record table");
    return;
  }
  table.Seek(0);
  _bHasTrevane = table.GetLong(10) != 0 ? 1 : 0;
}

void TrendlineController::commandmsg(const foundation::Notification& notification) {
  const foundation::Value& command = notification.userInfo["Command_ID"];
  if (!command.isString()) return;
  static const struct {
    const char* name;
    uint8_t period;
  } kPeriods[] = {{"Day", 1},   {"Week", 2},  {"Month", 3}, {"5Min", 4},
                  {"60Min", 5}, {"15Min", 6}, {"30Min", 7}};
  for (const auto& entry : kPeriods) {
    if (command.asString() == entry.name) {
      RequestKlineData(entry.period);
      return;
    }
  }
}

void TrendlineController::UserReloginSuccess(const foundation::Notification& notification) {
  (void)notification;
  updateTrendTitle(IsSelWhichTab);
  const auto market = static_cast<uint8_t>(MarketType);
  const auto type = static_cast<uint8_t>(StockType);
  const bool stock = !IsStockIndex(type, market) && !IsStockQH(type, market);
  if (!HoldsRight30()) {
    if (_bShowZLLH) {
      if (IsSelWhichTab == kPageMainForce) IsSelWhichTab = kPageTrend;
      removeSwitchToolBar();
      SetMenuToolBar(IsSelWhichTab);
    }
  } else if (IsSelWhichTab == kPageHK10 && GetQuoteLevelRight() != 2) {
    IsSelWhichTab = kPageTrend;
    removeSwitchToolBar();
    SetMenuToolBar(IsSelWhichTab);
  } else if (!_bShowZLLH && stock) {
    removeSwitchToolBar();
    SetMenuToolBar(IsSelWhichTab);
  }
  // Any other page the rights now allow or refuse (the ten levels of a quote level granted or
  // taken while another page is shown).
  keepMenuWithRights();
  if (auto* detail = page<DetailPageRole>(kTagDetailPage)) detail->refreshDetailViewState(0);
  if (auto* trend = trendPage()) trend->refreshMiniDetailViewWithStockType(type, market);
  if (auto* land = landscape()) land->updateUIWhenUserReloginSuccess();
  // A new session (or the same one on a new connection) carries none of the subscriptions the
  // page's pushes came by: what it shows stands still until it asks again.
  askShownPageAgain();
}

void TrendlineController::askShownPageAgain() {
  if (!IsShow || !isViewLoaded()) return;
  if (auto* land = IsLandscapeKline ? landscape() : nullptr) {
    requestLandscapeData(*land);
    return;
  }
  // The company page loads its own address.
  if (IsSelWhichTab != kPageF10) requestPageData(IsSelWhichTab);
}

void TrendlineController::connectionFailed(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view) || view.status != kReceiveStatusConnectFailed)
    return;
  // Even a page that holds its answer asks again after the back-off, and again while the
  // connect keeps failing: each asking tries the connection, so the page comes back within a
  // back-off of the server's return, not at the next heartbeat.
  if (IsShow) pageRequest_.failed();
}
