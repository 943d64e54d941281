// What the detail screens compute from the values of well-formed answers: a quote record with
// every field raw (empty marks and extremes included), a trend answer, a tick answer and a
// series of pushes go through the pager's handlers into the trend chart and its indicator pane,
// the trend page (price strip, rows carousel), the main-force page with its holdings charts and
// the Hong Kong ten levels with their broker queues, and into the other detail views (order book
// table, index panel, futures ticks, inside/outside bar); every view is drawn with the chart's
// cursor moved across it.
//
// Input: u8 security (its low two bits pick a Shanghai share, a Hong Kong share, an index or a
// futures contract), u8 flags (bit 0 a landscape-width chart, the rest the indicator shown),
// u16 quote length and that many bytes laid over an empty quote record, u16 trend answer length
// and body, u16 tick answer length and body, then pushes to the end: u16 offset, u8 length and
// the bytes laid over the quote record before it is pushed again.
#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/CoreState.h"
#include "core/QuoteCache.h"
#include "core/ReceiveRecord.h"
#include "core/StockData.h"
#include "core/TrendIndicators.h"
#include "detail/TechIndexMoveView.h"
#include "detail/TrendlineController.h"
#include "detail/TrendlineView.h"
#include "fuzz/FuzzSupport.h"
#include "panels/BargainTable.h"
#include "panels/DetailIndexView.h"
#include "panels/DetailView.h"
#include "panels/FenBiView.h"
#include "panels/InOutRateBar.h"
#include "panels/MiniDetailView.h"
#include "panels/TrendFrameView.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/RecordingContext.h"
#include "platform/ui/Orientation.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Object.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "shell/VerdanAppDelegate.h"

namespace {

struct PagerReader {
  const uint8_t* p;
  size_t n;
  bool u8(uint8_t& v) {
    if (n < 1) return false;
    v = *p++;
    --n;
    return true;
  }
  bool u16(uint16_t& v) {
    if (n < 2) return false;
    v = static_cast<uint16_t>(p[0] | (p[1] << 8));
    p += 2;
    n -= 2;
    return true;
  }
  std::vector<uint8_t> bytes(size_t len) {
    len = std::min(len, n);
    std::vector<uint8_t> out(p, p + len);
    p += len;
    n -= len;
    return out;
  }
};

void Post(TrendlineController& pager, uint8_t child, int slot, const std::vector<uint8_t>& body) {
  foundation::Data record(kReceiveRecordSize, 0);
  const int32_t status = kReceiveStatusPacket;
  std::memcpy(record.data(), &status, 4);
  PacketHeader header;
  header.bodyLen =
      static_cast<uint16_t>(std::min<size_t>(body.size(), kReceiveRecordBodyCapacity));
  header.PageID = kDetailPageId;
  header.MainType = kMainTypeQuote;
  header.ChildType = child;
  header.RequestCode = static_cast<uint16_t>(pager.requestCode(slot));
  header.DataFlag = 1;
  header.Write(record.data() + kReceiveRecordHeaderOffset);
  if (header.bodyLen) std::memcpy(record.data() + kReceiveRecordBodyOffset, body.data(), header.bodyLen);
  foundation::NotificationCenter::defaultCenter().post(
      "TrendLine", nullptr, foundation::Dictionary{{kReceiveRecordKey, foundation::Value(record)}});
}

std::shared_ptr<ui::Touch> TouchAt(double x, double y) {
  return std::make_shared<ui::Touch>(1, nullptr, gfx::Point(x, y), 0);
}

// Moves the chart's cursor across it, with the indicator the input picks under it.
void MoveCursor(TrendlineView& chart, int indicator) {
  chart.updateDrawIndexType(indicator);
  const double y = chart.BaseYCoor - chart.tViewHeight / 2;
  chart.touchesBegan({TouchAt(chart.StartXCoor + 1, y)}, ui::Event(0));
  for (double x = chart.StartXCoor; x <= chart.StartXCoor + chart.tViewWidth; x += 31)
    chart.touchesMoved({TouchAt(x, y)}, ui::Event(0));
  chart.touchesEnded({TouchAt(chart.StartXCoor + chart.tViewWidth, y)}, ui::Event(0));
}

// Every view's own drawing, each into the recording of its page. Labels and the platform's
// containers are left out: their drawing is the platform's and the recording of their every
// state change would cost most of the run.
void DrawViews(ui::View& view, gfx::RecordingContext& rec) {
  if (view.isHidden()) return;
  view.layoutIfNeeded();
  if (!dynamic_cast<ui::Label*>(&view)) {
    gfx::StateSaver saver(rec);
    view.drawRect(rec, view.bounds());
  }
  for (const auto& sub : view.subviews()) DrawViews(*sub, rec);
}

void DrawAll(TrendlineController& pager) {
  for (int tag : {kTagTrendPage, kTagDetailPage, kTagHK10Page}) {
    if (ui::View* page = pager.pageView(tag)) {
      gfx::RecordingContext rec(gfx::Size(320, 480));
      DrawViews(*page, rec);
    }
  }
}

// The detail views no page of the pager holds (other screens make them by class name) and the
// main-force page's holdings charts, fed the pushed record and drawn.
void OtherViews(TrendlineController& pager, const tagLocalStockData& quote) {
  if (auto* mainForce = dynamic_cast<DetailView*>(pager.pageView(kTagDetailPage))) {
    if (!mainForce->realView2()) {
      mainForce->setRealView2(ui::View::create({0, 0, 320, 300}));
      mainForce->initRealView2();
    }
    mainForce->SetDataInfo(quote, kQuoteFlagPush);
    if (ui::View* holdings = mainForce->realView2()) {
      gfx::RecordingContext rec(gfx::Size(320, 300));
      DrawViews(*holdings, rec);
    }
  }
  auto bargain = BargainTable::create({0, 0, 320, 200});
  bargain->setStockQuote(quote);
  auto index = DetailIndexView::initWithFrame({0, 0, 320, 300});
  index->SetDataInfo(quote, kQuoteFlagReply);
  index->SetDataInfo(quote, kQuoteFlagPush);
  index->RefreshTrendPricePanel(quote);
  auto futures = FenBiView::create({0, 0, 320, 300});
  futures->SetDataInfo(quote, kQuoteFlagReply);
  futures->SetDataInfo(quote, kQuoteFlagPush);
  auto rate = InOutRateBar::initWithFrame({0, 0, 300, 20});
  rate->SetInOutData(static_cast<double>(quote.in), static_cast<double>(quote.out));
  for (ui::View* view : {static_cast<ui::View*>(bargain.get()), static_cast<ui::View*>(index.get()),
                         static_cast<ui::View*>(futures.get()), static_cast<ui::View*>(rate.get())}) {
    gfx::RecordingContext rec(gfx::Size(320, 300));
    DrawViews(*view, rec);
  }
}

void Run(PagerReader in) {
  uint8_t kind = 0, flags = 0;
  uint16_t len = 0;
  if (!in.u8(kind) || !in.u8(flags)) return;
  static const struct {
    const char* code;
    uint8_t market, type;
  } kSecurities[4] = {{"600000", 1, 2}, {"00700", 3, 10}, {"000001", 1, 1}, {"IF1512", 4, 30}};
  const auto& sec = kSecurities[kind & 3];

  tagLocalStockData quote = MakeEmptyStockData();
  if (!in.u16(len)) return;
  const std::vector<uint8_t> raw = in.bytes(len);
  if (!raw.empty()) std::memcpy(&quote, raw.data(), std::min(raw.size(), sizeof quote));
  if (!in.u16(len)) return;
  const std::vector<uint8_t> trend = in.bytes(len);
  if (!in.u16(len)) return;
  const std::vector<uint8_t> ticks = in.bytes(len);

  auto pager = ui::ClassRegistry::shared().create<TrendlineController>("TrendlineController");
  if (!pager) return;
  pager->SetStockInfo(sec.code, sec.market, sec.type);
  auto navigation = ui::NavigationController::create(pager);
  pager->view();
  pager->viewWillAppear(false);
  pager->viewDidAppear(false);

  auto* page = dynamic_cast<TrendFrameView*>(pager->pageView(kTagTrendPage));
  TrendlineView* chart = page ? page->chartView() : nullptr;
  if (chart && (flags & 1)) chart->updateViewWidth(480);

  for (int shown : {kPageTrend, kPageMainForce, kPageHK10}) {
    if (shown != kPageTrend) {
      if (!pager->hasPage(shown)) continue;
      pager->selectMenuPage(shown);
    }
    pager->onDrawHQ(quote, kQuoteFlagReply);
    Post(*pager, 33, kSlotTrend, trend);
    Post(*pager, 14, kSlotTicks, ticks);
    fuzzsupport::DrainMainLoop();
  }
  pager->selectMenuPage(kPageTrend);
  pager->onDrawHQ(quote, kQuoteFlagReply);
  Post(*pager, 33, kSlotTrend, trend);

  PagerReader pushes = in;
  tagLocalStockData pushed = quote;
  for (int k = 0; k < 64; ++k) {
    uint16_t offset = 0;
    uint8_t n = 0;
    if (!pushes.u16(offset) || !pushes.u8(n)) break;
    const std::vector<uint8_t> patch = pushes.bytes(n);
    const size_t at = offset % sizeof pushed;
    const size_t take = std::min(patch.size(), sizeof pushed - at);
    if (take) std::memcpy(reinterpret_cast<uint8_t*>(&pushed) + at, patch.data(), take);
    pager->onDrawHQ(pushed, kQuoteFlagPush);
  }
  if (page && page->miniDetailView()) {
    for (int p = 0; p < 3; ++p) page->miniDetailView()->resetScrollViewContent(p);
  }
  fuzzsupport::DrainMainLoop();
  if (chart) MoveCursor(*chart, (flags >> 1) % kTechIndexCount);
  DrawAll(*pager);
  for (int shown : {kPageMainForce, kPageHK10}) {
    if (!pager->hasPage(shown)) continue;
    pager->selectMenuPage(shown);
    pager->onDrawHQ(pushed, kQuoteFlagPush);
  }
  DrawAll(*pager);
  OtherViews(*pager, pushed);
  pager->viewWillDisappear(false);
  fuzzsupport::DrainMainLoop();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::InitCoreReceive();
  if (const char* bundle = std::getenv("VERDAN_BUNDLE_DIR")) foundation::setBundleDir(bundle);
  foundation::Clock::setManual();
  ui::Screen::main().setHeight(480);
  ui::Device::current().reset();
  QuoteCache_Init();
  ParseRightsList("30,31,32");
  VerdanAppDelegate::registerClasses();
  RegisterDetailClasses();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Run(PagerReader{data, size});
  return 0;
}
