// The pager's portrait K-line page: its layout, the store and its push policy, touches that
// refuse where the landscape chart snaps, the panel and the header, headless and against the
// test server through the pager.
#include "core/QuoteCache.h"
#include "detail/TimeLabel.h"
#include "kline/AnalysisView.h"
#include "kline/KLineClasses.h"
#include "panels/PriceDetailPanel.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/detail/DetailClientSupport.h"
#include "tests/detail/PictureSupport.h"
#include "tests/kline/KLineTestSupport.h"

namespace {

using klinetest::Bar;
using klinetest::Day;
using klinetest::Feed;
using klinetest::Series;

class PortraitPage : public klinetest::WindowedChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    OpenWindow(320);
    page = AnalysisView::createPage({0, 0, 320, 480 - 166});
    window->addSubview(page);
    k = page->chart();
    tagLocalStockData q{};
    q.market = 1;
    q.pricedot = 2;
    q.unit = 100;
    q.ltgb = 1000000;
    page->SetDataInfo(q, 1);
  }
  static void Slide(gfx::Point from, gfx::Point to) { WindowedChartTest::Slide({from, to}); }
  std::unique_ptr<gfx::RecordingContext> DrawPage() {
    auto rec = std::make_unique<gfx::RecordingContext>(gfx::Size(320, 314));
    k->drawRect(*rec, k->bounds());
    return rec;
  }
  void Window(int end, int start) {
    k->EndIndex = end;
    k->StartIndex = start;
    k->CalcArguments();
  }
  std::shared_ptr<AnalysisView> page;
  KLineModuleView* k = nullptr;
};

TEST_F(PortraitPage, LayoutOfThe480PointScreenAndTheFirstReply) {
  EXPECT_FLOAT_EQ(k->kViewHeight, 148);
  EXPECT_FLOAT_EQ(k->BaseYCoor, 221);
  EXPECT_FLOAT_EQ(k->BaseVolYCoor, 313);
  EXPECT_FLOAT_EQ(k->kViewWidth, 272);
  EXPECT_EQ(k->kNumOfView, 27);
  Feed(*k, Series(27), 1);
  EXPECT_EQ(k->EndIndex, 0);
  EXPECT_EQ(k->StartIndex, 26);
  Feed(*k, Series(26), 1);
  EXPECT_EQ(k->EndIndex, 0);
  EXPECT_EQ(k->StartIndex, 25);
  // A head counting 500 bars takes at most the 400 handed over.
  std::vector<tagLocalKData> area = Series(kKLineCapacity);
  const auto head = klinetest::Head(500);
  page->SetKlineArray(area.data(), head.data(), 1);
  EXPECT_EQ(k->m_knum(), 400);
  // isPointInScrollRect: no on the price area's top edge, yes one point below.
  auto touchAt = [&](double y) {
    auto t = std::make_shared<ui::Touch>(0, window.get(), gfx::Point(100, y), 0);
    return page->isPointInScrollRect({t});
  };
  EXPECT_FALSE(touchAt(73));
  EXPECT_TRUE(touchAt(74));
}

TEST_F(PortraitPage, PushesFollowTheNewestBarAndLeaveAScrolledBackWindowAlone) {
  std::vector<tagLocalKData> bars = Series(50);
  Feed(*k, bars, 1);
  tagLocalKData same = bars.back();
  same.close = 123400;
  Feed(*k, {same}, 2);
  EXPECT_EQ(k->m_knum(), 50);
  EXPECT_EQ(k->KDataArray.back().close, 123400);
  Feed(*k, {Bar(Day(50), 1, 2, 1, 2), Bar(Day(50), 3, 4, 3, 4)}, 2);  // the date twice
  EXPECT_EQ(k->m_knum(), 51);
  EXPECT_EQ(k->KDataArray.back().close, 4);
  EXPECT_EQ(k->StartIndex, 50);

  // Scrolled back: the store grows, the window and the scale stay.
  Window(10, 36);
  const float max = k->fMaxValue;
  const int redraws = k->redrawRequests;
  Feed(*k, {Bar(Day(51), 900000, 900000, 900000, 900000)}, 2);
  EXPECT_EQ(k->m_knum(), 52);
  EXPECT_EQ(k->EndIndex, 10);
  EXPECT_EQ(k->StartIndex, 36);
  EXPECT_EQ(k->fMaxValue, max);
  EXPECT_EQ(k->redrawRequests, redraws);

  // A full store on the newest bar drops bar 0 and stays on the newest bar.
  Feed(*k, Series(400), 1);
  const uint32_t second = k->KDataArray[1].Date;
  Feed(*k, {Bar(Day(400), 100000, 100000, 100000, 100000)}, 2);
  EXPECT_EQ(k->m_knum(), 400);
  EXPECT_EQ(k->KDataArray[0].Date, second);
  EXPECT_EQ(k->StartIndex, 399);

  // New bars leave the ruler and the panel up; a quote with flag 0 empties the store, the scale
  // and dates keep their values, and every quote refreshes the header.
  Tap({100, 150});
  ASSERT_TRUE(k->IsShowPriceDetailPanel);
  const int ruler = k->iRulerIndex;
  Feed(*k, Series(400), 1);
  EXPECT_TRUE(k->IsShowPriceDetailPanel);
  EXPECT_EQ(k->iRulerIndex, ruler);
  const std::string date = k->startDateTime->text();
  const float low = k->fMinValue;
  const int refreshes = page->quoteRefreshes;
  page->SetDataInfo(k->m_stockdata, 0);
  EXPECT_EQ(k->m_knum(), 0);
  EXPECT_EQ(k->StartIndex, -1);
  EXPECT_EQ(k->startDateTime->text(), date);
  EXPECT_EQ(k->fMinValue, low);
  EXPECT_EQ(page->quoteRefreshes, refreshes + 1);
}

TEST_F(PortraitPage, DragsRefuseAtBothEndsAndPinchesStopAtTheLimits) {
  Feed(*k, Series(200), 1);
  Window(74, 100);
  ASSERT_EQ(k->kWidth + k->kLineSpace, 10);
  Slide({150, 150}, {172, 150});  // 2.2 bars toward older: two bars
  EXPECT_EQ(k->StartIndex, 98);
  EXPECT_EQ(k->EndIndex, 72);
  Window(74, 100);
  Slide({172, 150}, {150, 150});
  EXPECT_EQ(k->StartIndex, 102);
  EXPECT_EQ(k->EndIndex, 76);
  Window(74, 100);
  Slide({153, 150}, {150, 150});  // under a bar toward newer: stays
  EXPECT_EQ(k->EndIndex, 74);
  Slide({150, 150}, {153, 150});  // and toward older
  EXPECT_EQ(k->EndIndex, 74);
  EXPECT_FALSE(k->bIsOperation);
  // Toward older past the oldest bar: stops on it.
  Window(3, 29);
  Slide({150, 150}, {200, 150});
  EXPECT_EQ(k->EndIndex, 0);
  EXPECT_EQ(k->StartIndex, 26);
  // Toward newer past the newest bar: refused, not snapped.
  Window(170, 196);
  Slide({250, 150}, {150, 150});
  EXPECT_EQ(k->StartIndex, 196);
  // A slide from left of the price area does not scroll.
  Window(74, 100);
  Slide({20, 150}, {80, 150});
  EXPECT_EQ(k->EndIndex, 74);

  k->kWidth = 11;
  k->PinchKline(true);
  EXPECT_EQ(k->kWidth, 13);
  k->PinchKline(true);
  EXPECT_EQ(k->kWidth, 13);
  k->kWidth = 1;
  k->PinchKline(false);
  EXPECT_EQ(k->kWidth, 1);
}

TEST_F(PortraitPage, DrawingPanelAndTurnover) {
  // Bar 1 is a doji at bar 0's close: it takes bar 0's colour; at the left edge it is red.
  std::vector<tagLocalKData> bars = {Bar(Day(0), 100000, 101000, 99000, 99500),
                                     Bar(Day(1), 99500, 100000, 99000, 99500),
                                     Bar(Day(2), 99000, 99800, 98000, 99800)};
  Feed(*k, bars, 1);
  k->m_stockdata.xswsdot = 3;
  auto rec = DrawPage();
  std::vector<gfx::Rect> green;
  for (const auto& op : rec->ops("fillRects"))
    if (op.color == k->candleColors().green)
      for (const auto& r : op.rects)
        if (r.y() < 221) green.push_back(r);
  ASSERT_EQ(green.size(), 2u);  // bars 0 and 1
  EXPECT_EQ(green[1].x(), 55);
  // Average texts at a ruler on bar 2: the mean of bars 0..2 with three decimals.
  k->iRulerIndex = 2;
  DrawPage();
  const int32_t mean = (99500 + 99500 + 99800) / 3;
  EXPECT_EQ(k->MAArgument1->text(), "MA5: " + FormatPriceString(mean, 8, 3, mean));

  // The panel: right for a ruler in the left half, left otherwise; markets 4, 6, 7: 9 rows.
  Feed(*k, Series(60), 1);  // window 33..59
  k->ShowRefreshPriceDetailPanel(40);
  ASSERT_NE(k->priceDetailPanel, nullptr);
  EXPECT_DOUBLE_EQ(k->priceDetailPanel->frame().maxX(), 320);
  k->ShowRefreshPriceDetailPanel(50);
  EXPECT_DOUBLE_EQ(k->priceDetailPanel->frame().x(), 0);
  EXPECT_DOUBLE_EQ(k->timeLandscapeLabel->timelabel()->frame().y(), 222);
  k->m_stockdata.market = 4;
  k->ShowRefreshPriceDetailPanel(50);
  EXPECT_EQ(k->priceDetailPanel->valueNum(), 9);
  k->m_stockdata.market = 1;
  // Turnover: the newest counting event on or before the bar, else the earliest later one.
  tagLocalWeightData e[2] = {};
  e[0].date = static_cast<int32_t>(Day(20));
  e[0].sgs = 1000;
  e[0].ltgb = 500;
  e[1].date = static_cast<int32_t>(Day(45));
  e[1].hl = 100;
  e[1].ltgb = 800;
  page->setTagLocalWeightData(e, 2);
  EXPECT_EQ(k->getCurrentLTGB(k->KDataArray[50]), 800);
  EXPECT_EQ(k->getCurrentLTGB(k->KDataArray[30]), 500);
  EXPECT_EQ(k->getCurrentLTGB(k->KDataArray[5]), 500);

  // A tap right of the last bar of a scrolled-back window selects StartIndex + 1.
  Window(10, 36);
  Tap({45 + 272 - 2, 150});
  EXPECT_EQ(k->iRulerIndex, 37);
  EXPECT_TRUE(k->IsShowPriceDetailPanel);
  // A flat window puts every price on the bottom line.
  std::vector<tagLocalKData> flat(5, Bar(0, 100000, 100000, 100000, 100000));
  for (int i = 0; i < 5; ++i) flat[i].Date = Day(i);
  Feed(*k, flat, 1);
  EXPECT_EQ(k->YValueScale, 0.f);
}

// The date tag at the first bars keeps off the axis column: the lowest price and the top of the
// volume axis stay whole. The panel keeps to the price area, above the date labels.
TEST_F(PortraitPage, TheDateTagAndThePanelLeaveTheAxisAndTheDatesReadable) {
  Feed(*k, Series(60), 1);  // window 33..59
  k->ShowRefreshPriceDetailPanel(k->EndIndex);
  const gfx::Rect tag = k->timeLandscapeLabel->timelabel()->frame();
  EXPECT_DOUBLE_EQ(tag.y(), k->BaseYCoor + 1);
  const gfx::Rect lowestPrice(1, k->BaseYCoor - 6, k->kStartXCoor - 5, 12);
  const gfx::Rect volumeTop(1, k->BaseVolYCoor - k->vViewHeight - 6, k->kStartXCoor - 5, 12);
  EXPECT_FALSE(tag.intersects(lowestPrice));
  EXPECT_FALSE(tag.intersects(volumeTop));
  EXPECT_GE(tag.x(), k->kStartXCoor);
  for (int market : {1, 4}) {
    k->m_stockdata.market = static_cast<uint8_t>(market);
    k->ShowRefreshPriceDetailPanel(k->StartIndex);
    const gfx::Rect panel = k->priceDetailPanel->frame();
    EXPECT_LE(panel.maxY(), k->BaseYCoor) << market;
    EXPECT_FALSE(panel.intersects(k->startDateTime->frame())) << market;
  }
}

// The page's panel is opaque (no candle reads through its rows), and its date tag at either end
// of the strip lies over the date label there, which gives way to it.
TEST_F(PortraitPage, ThePanelAndTheDateTagHideWhatIsUnderThem) {
  Feed(*k, Series(60), 1);  // window 33..59
  for (int bar : {k->EndIndex, k->StartIndex}) {
    SCOPED_TRACE(bar);
    Tap({k->kStartXCoor + (bar - k->EndIndex) * 10 + 5, 150});
    ASSERT_EQ(k->iRulerIndex, bar);
    ASSERT_TRUE(k->IsShowPriceDetailPanel);
    EXPECT_EQ(k->priceDetailPanel->backgroundColor().a(), 1);
    EXPECT_EQ(k->priceDetailPanel->alpha(), 1);
    const gfx::Rect tag = k->timeLandscapeLabel->background()->frame();
    EXPECT_GE(tag.x(), k->kStartXCoor);
    EXPECT_LE(tag.maxX(), k->kStartXCoor + k->kViewWidth);
    EXPECT_TRUE((bar == k->EndIndex ? k->endDateTime : k->startDateTime)->isHidden());
    EXPECT_FALSE((bar == k->EndIndex ? k->startDateTime : k->endDateTime)->isHidden());
    Tap({160, k->BaseYCoor + 40});  // under the price area: the panel and the tag go
    EXPECT_FALSE(k->IsShowPriceDetailPanel);
    EXPECT_FALSE(k->endDateTime->isHidden());
    EXPECT_FALSE(k->startDateTime->isHidden());
  }
}

class PortraitServer : public detailtest::DetailClientTest {
 protected:
  void SetUp() override {
    DetailClientTest::SetUp();
    RegisterKLineClasses();
  }
  // 600000's pager turned to its K-line page (nullptr on failure).
  AnalysisView* OpenKLinePage(TrendlineController*& pager) {
    pager = Open("600000", 1, 1);
    if (!pager) return nullptr;
    pager->changeUIToSubPage(kPageKLine);
    pager->updateDataForSubPage(kPageKLine);
    return dynamic_cast<AnalysisView*>(pager->pageView(kTagKLinePage));
  }
};

TEST_F(PortraitServer, TheKLinePageShowsTheServersDayBarsAndFollowsPushes) {
  LoggedIn("30,31");
  TrendlineController* pager = nullptr;
  AnalysisView* page = OpenKLinePage(pager);
  ASSERT_NE(page, nullptr);
  KLineModuleView* chart = page->chart();
  ASSERT_TRUE(WaitFor([&] { return chart->m_knum() > 100 && chart->_weightDays > 0; }));
  EXPECT_EQ(chart->StartIndex, chart->m_knum() - 1);
  EXPECT_GT(chart->_weightDays, 0);
  const int quotes = page->quoteRefreshes;
  EXPECT_GT(quotes, 0);
  chart->iRulerIndex = chart->StartIndex - 5;
  chart->IsShowPriceDetailPanel = 1;
  chart->ShowRefreshPriceDetailPanel(chart->iRulerIndex);
  const tagLocalKData& bar = chart->KDataArray[static_cast<size_t>(chart->iRulerIndex)];
  EXPECT_EQ(chart->timeLandscapeLabel->timelabel()->text(), kline::BarDateText(bar.Date, false));
  EXPECT_EQ(chart->priceDetailPanel->valueLabel(3)->text(),
            FormatPriceString(bar.close, 8, chart->priceDecimals(), bar.close));
  const uint32_t last = chart->KDataArray.back().Date;
  server->advanceMinute();
  ASSERT_TRUE(WaitFor([&] { return page->quoteRefreshes > quotes; }));
  EXPECT_EQ(chart->KDataArray.back().Date, last);
  const std::string dir = VERDAN_BINARY_DIR "/pictures";
  std::filesystem::create_directories(dir);
  picturetest::WritePicture(*page, dir + "/kline-portrait-page.png");
}

// Switched to a security with no quote cached yet, the page is handed an empty record of it until
// the answer comes: its decimals are not known, so bars that come before the quote show their
// prices as not known, never cut to whole units.
TEST_F(PortraitServer, BarsBeforeTheirSecuritysFirstQuoteShowTheirFiguresAsNotKnown) {
  LoggedIn("30,31");
  TrendlineController* pager = nullptr;
  AnalysisView* page = OpenKLinePage(pager);
  ASSERT_NE(page, nullptr);
  KLineModuleView* chart = page->chart();
  ASSERT_TRUE(WaitFor([&] { return chart->m_knum() > 0; }));
  tagLocalStockData cached{};
  ASSERT_EQ(QuoteCache_GetQuote(cached, 1, "600036"), 0);
  pager->UpdateStockInfo("600036", 1, 1);
  EXPECT_EQ(page->gridCell(3)->textPrice()->text(), "----");
  // The bars' answer first (the quote's failed or is late).
  const std::vector<tagLocalKData> bars = Series(60);
  std::vector<uint8_t> head = klinetest::Head(60);
  std::memcpy(head.data() + 1, "600036", 6);
  page->SetKlineArray(bars.data(), head.data(), 1);
  auto axis = [&] {  // the price axis's texts (the volume axis lies below the price area)
    gfx::RecordingContext rec(gfx::Size(320, 314));
    chart->drawRect(rec, chart->bounds());
    std::vector<std::string> texts;
    for (const gfx::DrawOp& op : rec.ops("drawText"))
      if (op.args.size() >= 2 && op.args[1] < chart->BaseYCoor) texts.push_back(op.text);
    return texts;
  };
  ASSERT_FALSE(axis().empty());
  for (const std::string& text : axis()) EXPECT_EQ(text, "----");
  EXPECT_EQ(chart->MAArgument1->text(), "MA5: ----");
  chart->iRulerIndex = chart->StartIndex - 5;
  chart->IsShowPriceDetailPanel = 1;
  chart->ShowRefreshPriceDetailPanel(chart->iRulerIndex);
  for (int row : {0, 3}) EXPECT_EQ(chart->priceDetailPanel->valueLabel(row)->text(), "----");
  // Its quote comes: the prices show with its decimals.
  ASSERT_TRUE(WaitFor([&] { return chart->m_stockdata.pricedot != 0; }));
  EXPECT_NE(axis().front().find('.'), std::string::npos);
}

}  // namespace
