// The pager's own screen: title bar, menus and page layout, switching by tap and swipe, stepping
// through the list it was opened from, the watch-list button and the search screen.
#include <gtest/gtest.h>

#include "core/SelfStock.h"
#include "platform/graphics/RecordingContext.h"
#include "panels/CustomScrollView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"
#include "platform/ui/Invariants.h"
#include "platform/ui/Screen.h"
#include "tests/detail/DetailTestSupport.h"
#include "watchlist/RowFigures.h"

namespace detailtest {
namespace {

// A list source of fixed rows.
class RowList : public TrendlineRecordDelegate {
 public:
  struct Row {
    std::string code;
    int market;
    int type;
    std::string name;
  };
  std::vector<Row> rows;
  int fetched = 0;
  foundation::Value currentStockRecord(int row) override {
    ++fetched;
    if (row < 0 || row >= static_cast<int>(rows.size())) return {};
    foundation::Value out = foundation::Dictionary{};
    out["code"] = rows[static_cast<size_t>(row)].code;
    out["market"] = rows[static_cast<size_t>(row)].market;
    out["type"] = rows[static_cast<size_t>(row)].type;
    out["name"] = rows[static_cast<size_t>(row)].name;
    return out;
  }
  int totalStockRecord() override { return static_cast<int>(rows.size()); }
};

class PagerViewTest : public DetailTest {
 protected:
  ui::Button* MenuButton(int tag) const {
    return dynamic_cast<ui::Button*>(pager->menuBar()->viewWithTag(tag));
  }
  double PageX(int tag) const { return pager->pageView(tag)->frame().origin.x; }
  bool PageHidden(int tag) const { return pager->pageView(tag)->isHidden(); }
  static void RunLoopFor(double seconds) {
    for (double done = 0; done < seconds; done += 0.05) {
      foundation::Clock::advance(std::min(0.05, seconds - done));
      foundation::RunLoop::current()->runOnce();
    }
  }
  void Swipe(double x) {
    pager->scrollView()->setContentOffset({x, 0}, false);
    pager->scrollViewDidEndDecelerating(*pager->scrollView());
  }
};

TEST_F(PagerViewTest, SystemVersionsCompareAsNumbers) {
  EXPECT_EQ(TrendlineController::StatusBarHeight("7.0"), 20);
  EXPECT_EQ(TrendlineController::StatusBarHeight("10.0"), 20);
  EXPECT_EQ(TrendlineController::StatusBarHeight("17.4.1"), 20);
  EXPECT_EQ(TrendlineController::StatusBarHeight("6.1.3"), 0);
  EXPECT_EQ(TrendlineController::StatusBarHeight(""), 0);
}

TEST_F(PagerViewTest, TitleBarMenuAndPagePositionsOfAStock) {
  Open("600000", 1, 2);
  // Screens start below the status bar here: no strip for it above the title bar.
  const int s = pager->statusBarOffset();
  EXPECT_EQ(s, 0);
  ASSERT_NE(pager->titleView(), nullptr);
  EXPECT_EQ(pager->titleView()->frame().size.height, s + 44);
  EXPECT_EQ(pager->menuBar()->frame().origin.y, s + 44);
  EXPECT_EQ(pager->scrollView()->frame().origin.y, s + 74);
  ASSERT_NE(pager->selfStockButton(), nullptr);
  EXPECT_EQ(pager->selfStockButton()->tag(), 180);
  // The title bar is on top of the pages.
  EXPECT_EQ(pager->view()->subviews().back().get(), pager->titleView());
  for (int tag = 401; tag <= 405; ++tag) {
    ASSERT_NE(MenuButton(tag), nullptr) << tag;
    EXPECT_EQ(MenuButton(tag)->frame().size.width, 64);
    EXPECT_EQ(MenuButton(tag)->frame().origin.x, (tag - 401) * 64);
  }
  EXPECT_EQ(MenuButton(406), nullptr);
  EXPECT_FALSE(MenuButton(401)->isEnabled());
  EXPECT_EQ(PageX(kTagDetailPage), 640);
  EXPECT_EQ(PageX(kTagF10Page), 960);
  EXPECT_EQ(PageX(kTagRadarPage), 1280);
  EXPECT_TRUE(PageHidden(kTagHK10Page));
  EXPECT_EQ(pager->scrollView()->contentSize().width, 1600);
}

TEST_F(PagerViewTest, HongKongMenusFollowQuoteLevelAndRight30) {
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  for (int tag = 401; tag <= 406; ++tag) {
    ASSERT_NE(MenuButton(tag), nullptr) << tag;
    EXPECT_EQ(MenuButton(tag)->frame().size.width, 53);
  }
  EXPECT_EQ(PageX(kTagHK10Page), 1600);
  EXPECT_FALSE(PageHidden(kTagHK10Page));
  EXPECT_FALSE(PageHidden(kTagDetailPage));

  pager.reset();
  navigation.reset();
  ParseRightsList("32");
  Open("00700", 3, 2);
  EXPECT_EQ(MenuButton(403), nullptr);
  EXPECT_TRUE(PageHidden(kTagDetailPage));
  EXPECT_EQ(PageX(kTagF10Page), 640);
  EXPECT_EQ(PageX(kTagHK10Page), 1280);
  EXPECT_EQ(pager->scrollView()->contentSize().width, 1600);
}

// Menus by kind and rights, and where updateScrollView puts the pages (-1: hidden).
TEST_F(PagerViewTest, MenusAndPageLayoutOfEveryKindOfSecurity) {
  struct Case {
    const char* rights;
    const char* code;
    uint8_t market;
    uint8_t type;
    std::vector<std::string> titles;
    int firstTag;
    int detailX, f10X, radarX, hkX;
  };
  const std::vector<std::string> four{"走势", "K线", "F10", "信息"};
  const std::vector<std::string> five{"走势", "K线", "主力", "F10", "信息"};
  const Case cases[] = {
      {"30,31", "IF2612", 4, 2, four, 411, -1, 640, 960, -1},   // futures
      {"30,31", "399001", 2, 1, four, 411, -1, 640, 960, -1},   // index by type
      {"30,31", "HSI", 9, 2, four, 411, -1, 640, 960, -1},      // index by market
      {"30,31", "430001", 16, 2, four, 401, -1, 640, 960, -1},  // market 16
      {"31", "600000", 1, 2, four, 401, -1, 640, 960, -1},      // without right 30
      {"30,31", "00700", 3, 2, five, 401, 640, 960, 1280, -1},  // Hong Kong, level 1
      {"32", "00700", 3, 2, {"走势", "K线", "F10", "信息", "十档"}, 401, -1, 640, 960, 1280},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.code) + " rights " + c.rights);
    ParseRightsList(c.rights);
    Open(c.code, c.market, c.type);
    std::vector<std::string> titles;
    for (int tag = c.firstTag; tag < c.firstTag + 6; ++tag) {
      if (auto* button = MenuButton(tag)) {
        titles.push_back(button->title(ui::ControlState::Normal).value_or(""));
        EXPECT_EQ(button->frame().size.width, 320 / static_cast<int>(c.titles.size()));
      }
    }
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(MenuButton(c.firstTag == 401 ? 411 : 401), nullptr);
    const int xs[] = {c.detailX, c.f10X, c.radarX, c.hkX};
    const int tags[] = {kTagDetailPage, kTagF10Page, kTagRadarPage, kTagHK10Page};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(PageHidden(tags[i]), xs[i] < 0) << tags[i];
      if (xs[i] >= 0) {
        EXPECT_EQ(PageX(tags[i]), xs[i]) << tags[i];
      }
    }
    EXPECT_EQ(PageX(kTagKLinePage), 320);
    EXPECT_EQ(pager->scrollView()->contentSize().width, 320.0 * c.titles.size());
    pager.reset();
    navigation.reset();
  }
}

TEST_F(PagerViewTest, IndexF10ButtonScrollsToTheThirdPosition) {
  Open("000001", 1, 1);
  ASSERT_NE(MenuButton(414), nullptr);
  EXPECT_EQ(MenuButton(414)->frame().size.width, 80);
  MenuButton(414)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(pager->selectedPage(), kPageF10);
  EXPECT_EQ(pager->scrollCurrentPage(), 2);
  EXPECT_EQ(pager->scrollView()->contentOffset().x, 640);
  EXPECT_FALSE(MenuButton(414)->isEnabled());
  EXPECT_TRUE(MenuButton(411)->isEnabled());
  EXPECT_TRUE(PageHidden(kTagDetailPage));
  // Another screen turns to the K-line page; a page the menu lacks changes nothing.
  pushes.clear();
  pager->showSubPage(kPageKLine);
  EXPECT_EQ(pager->selectedPage(), kPageKLine);
  EXPECT_EQ(pager->scrollView()->contentOffset().x, 320);
  EXPECT_FALSE(MenuButton(412)->isEnabled());
  EXPECT_TRUE(MenuButton(414)->isEnabled());
  EXPECT_FALSE(pushes.empty());
  pager->showSubPage(kPageMainForce);
  EXPECT_EQ(pager->selectedPage(), kPageKLine);
  EXPECT_EQ(pager->scrollView()->contentOffset().x, 320);
}

TEST_F(PagerViewTest, SwipeSettlesOnTheNearestPageAndAsksItsDataLater) {
  Open("600000", 1, 2);
  pushes.clear();
  Swipe(320 + 170);  // past the middle of the third page's left half
  EXPECT_EQ(pager->scrollCurrentPage(), 2);
  EXPECT_FALSE(MenuButton(403)->isEnabled());
  EXPECT_TRUE(MenuButton(401)->isEnabled());
  EXPECT_TRUE(pushes.empty());  // the request waits
  EXPECT_EQ(pager->selectedPage(), kPageTrend);
  RunLoopFor(0.06);
  EXPECT_EQ(pager->selectedPage(), kPageMainForce);
  EXPECT_FALSE(pushes.empty());

  pushes.clear();
  Swipe(640 + 100);  // settles back on the same position
  RunLoopFor(0.06);
  EXPECT_TRUE(pushes.empty());
  EXPECT_EQ(pager->selectedPage(), kPageMainForce);
}

TEST_F(PagerViewTest, ASwipeRequestNeverReachesAReleasedPager) {
  Open("600000", 1, 2);
  Swipe(320);
  std::weak_ptr<TrendlineController> weak = pager;
  navigation.reset();
  pager.reset();
  EXPECT_TRUE(weak.expired());
  pushes.clear();
  RunLoopFor(0.1);
  EXPECT_TRUE(pushes.empty());
}

TEST_F(PagerViewTest, ArrowsStepThroughTheListAndWrap) {
  Open("600000", 1, 2);
  auto list = std::make_shared<RowList>();
  list->rows = {
      {"600000", 1, 2, "浦发银行"}, {"000001", 2, 2, "平安银行"}, {"600036", 1, 2, "招商银行"}};
  pager->setDelegate(list);
  pager->updateCurrentView(0);
  pager->preButton();  // wraps to the last row
  EXPECT_EQ(pager->currentRow(), 2);
  EXPECT_EQ(pager->code(), "600036");
  EXPECT_EQ(pager->nameLabel()->text(), "招商银行");
  pager->nextButton();  // wraps back to row 0
  EXPECT_EQ(pager->currentRow(), 0);
  EXPECT_EQ(pager->code(), "600000");
  pager->nextButton();
  EXPECT_EQ(pager->code(), "000001");
  EXPECT_EQ(pager->market(), 2);
  // Stepping to the row shown asks nothing again; only the mini detail view is refreshed.
  const int fetched = list->fetched;
  const int updates = pager->updates();
  auto* trend = Page<RecordingTrendPage>(kTagTrendPage);
  ASSERT_NE(trend, nullptr);
  trend->kindMarket = 0;
  pager->updateCurrentView(1);
  EXPECT_EQ(list->fetched, fetched);
  EXPECT_EQ(pager->updates(), updates);
  EXPECT_EQ(trend->kindMarket, 2);
}

TEST_F(PagerViewTest, MainForceOpeningStoresTheKLinePaneAndKeepsTheTrendPage) {
  SetKLineIndexType(1);
  Open("000001", 1, 1);
  pager->setInitShowIndexType(1);
  EXPECT_EQ(GetKLineIndexType(), 1);  // an index keeps its pane
  pager.reset();
  navigation.reset();
  Open("600000", 1, 2);
  pager->setInitShowIndexType(1);
  EXPECT_EQ(GetKLineIndexType(), 6);
  EXPECT_EQ(pager->selectedPage(), kPageTrend);
  SetKLineIndexType(1);
}

TEST_F(PagerViewTest, ArrowsChangeNothingWithoutAListOfTwoRows) {
  Open("600000", 1, 2);
  pager->nextButton();
  EXPECT_EQ(pager->code(), "600000");
  auto list = std::make_shared<RowList>();
  list->rows = {{"000001", 2, 2, "平安银行"}};
  pager->setDelegate(list);
  pager->updateCurrentView(0);
  pager->nextButton();
  pager->preButton();
  EXPECT_EQ(pager->code(), "600000");
  EXPECT_EQ(list->fetched, 0);
}

TEST_F(PagerViewTest, UnusableCodesInTheListChangeNeitherLabelsNorSecurity) {
  Open("600000", 1, 2);
  const std::string name = pager->nameLabel()->text();
  auto list = std::make_shared<RowList>();
  list->rows = {{"600000", 1, 2, "浦发银行"},
                {"0123456789AB", 1, 2, "过长"},
                {"", 1, 2, "空"},
                {"60\xe6\xb5\xa6", 1, 2, "非ASCII"}};
  pager->setDelegate(list);
  pager->updateCurrentView(0);
  for (int i = 0; i < 3; ++i) {
    pager->nextButton();
    EXPECT_EQ(pager->code(), "600000");
    EXPECT_EQ(pager->nameLabel()->text(), name);
  }
}

TEST_F(PagerViewTest, WatchListButtonAddsAndRemovesTheSecurity) {
  SelfStock_Clear();
  Open("600000", 1, 2);
  EXPECT_FALSE(pager->systemBarAddIsSelected());
  pager->selfStockButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE(SelfStock_Contains(1, "600000"));
  EXPECT_TRUE(pager->systemBarAddIsSelected());
  EXPECT_TRUE(pager->selfStockButton()->isSelected());
  pager->selfStockButton()->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_FALSE(SelfStock_Contains(1, "600000"));
  EXPECT_FALSE(pager->systemBarAddIsSelected());
  SelfStock_Clear();
}

TEST_F(PagerViewTest, AdditionFliesToTheCartAndTapsDuringTheFlightChangeNothing) {
  SelfStock_Clear();
  auto window = ui::Window::create(ui::Screen::main().bounds());
  window->makeKeyAndVisible();
  Open("600000", 1, 2);
  auto* button = pager->selfStockButton();
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE(SelfStock_Contains(1, "600000"));
  EXPECT_TRUE(pager->isFlying());
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE(SelfStock_Contains(1, "600000"));
  RunLoopFor(1.6);
  EXPECT_FALSE(pager->isFlying());
  EXPECT_TRUE(pager->systemBarAddIsSelected());
  EXPECT_TRUE(button->isSelected());

  // A full list takes nothing, and the button ends as "add" again.
  SelfStock_Clear();
  std::vector<tagCodeItem> full(1000);
  for (size_t i = 0; i < full.size(); ++i) {
    std::snprintf(full[i].code, sizeof full[i].code, "%06zu", 100000 + i);
    full[i].market = 2;
    full[i].zqlb = 2;
  }
  ASSERT_TRUE(SelfStock_AddItems(full.data(), static_cast<int>(full.size())));
  pager->refreshSelfStockButtonState();
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_FALSE(SelfStock_Contains(1, "600000"));
  EXPECT_TRUE(pager->systemBarAddIsSelected());  // swapped at the tap
  RunLoopFor(1.6);
  EXPECT_FALSE(pager->systemBarAddIsSelected());
  EXPECT_FALSE(button->isSelected());

  // A pager released mid-flight leaves nothing in the window.
  SelfStock_Clear();
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  ASSERT_TRUE(pager->isFlying());
  const size_t inWindow = window->subviews().size();
  navigation.reset();
  pager.reset();
  EXPECT_EQ(window->subviews().size(), inWindow - 1);
  RunLoopFor(1.6);
  SelfStock_Clear();
}

TEST_F(PagerViewTest, BrokerSeatTapNamesKnownSeatsAndAsksForOthers) {
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  auto* hk = Page<HK10DangView>(kTagHK10Page);
  ASSERT_NE(hk, nullptr);
  GetQuoteCache().AddHKSeat(1000, 1010, "高盛", "高盛亚洲证券");
  pushes.clear();
  pager->HKJJPWViewClicked("");
  EXPECT_TRUE(pushes.empty());
  pager->HKJJPWViewClicked("1005");
  EXPECT_EQ(hk->detailTitle(), "(1005)高盛");
  EXPECT_EQ(hk->detailContent(), "高盛亚洲证券");
  EXPECT_TRUE(pushes.empty());
  pager->HKJJPWViewClicked("2001");
  EXPECT_FALSE(pushes.empty());
}

TEST_F(PagerViewTest, SearchOpensWithTheFlipAndItsChoiceReplacesTheStock) {
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  MenuButton(406)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_EQ(pager->selectedPage(), kPageHK10);
  pager->searchStock();
  ui::ViewController* shown = navigation->presentedViewController();
  ASSERT_NE(dynamic_cast<SearchStocks*>(shown), nullptr);
  EXPECT_EQ(shown->modalTransitionStyle(), ui::ModalTransitionStyle::FlipHorizontal);
  // A Shanghai stock has no ten-level page: the pager falls back to the trend page.
  pager->SearchDone("600000", 1, "浦发银行", 2);
  EXPECT_EQ(pager->code(), "600000");
  EXPECT_EQ(pager->nameLabel()->text(), "浦发银行");
  EXPECT_EQ(pager->selectedPage(), kPageTrend);
  EXPECT_TRUE(PageHidden(kTagHK10Page));

  // The panel and the chart let the old stock go at once: the new one's cached quote, or none
  // while its answer is on its way (a trend answered first is never drawn under the old price).
  auto* trend = Page<RecordingTrendPage>(kTagTrendPage);
  ASSERT_NE(trend, nullptr);
  EXPECT_EQ(std::string(trend->shownQuote().code), "600000");
  CacheQuote(2, "000002", 176100, 20261209);
  pager->SearchDone("880310", 9, "化工板块", 1);
  EXPECT_EQ(std::string(trend->shownQuote().code), "880310");
  EXPECT_EQ(trend->shownQuote().now, 0);
  EXPECT_NE(std::string(trend->chart.GetStockData().code), "600000");
  // Nor does its scale stay: no price of the old stock stands beside the new name.
  gfx::RecordingContext drawn(trend->chart.bounds().size);
  trend->chart.drawRect(drawn, trend->chart.bounds());
  for (const auto& op : drawn.ops("drawText"))
    EXPECT_EQ(op.text.find_first_of("0123456789"), std::string::npos) << op.text;
  EXPECT_EQ(pager->nameLabel()->text(), "化工板块");
  pager->SearchDone("000002", 2, "万科A", 2);
  tagLocalStockData cached{};
  ASSERT_EQ(QuoteCache_GetQuote(cached, 2, "000002"), 1);
  EXPECT_EQ(trend->shownQuote().now, cached.now);
  // With no minutes of its own yet, the chart's scale is the band around the new close, not the
  // range the old minutes reached.
  const TrendlineView& chart = trend->chart;
  EXPECT_EQ(chart.m_trendnum, 0);
  EXPECT_LE(chart.fMaxValue - chart.fMinValue, 2 * 30000);
}

TEST_F(PagerViewTest, RotationHintShowsOncePerPageAndProcessForThreeSeconds) {
  TrendlineController::ResetOrientalFlagCounter();
  Open("600000", 1, 2);
  ASSERT_NE(pager->orientalFlagImage(), nullptr);
  EXPECT_FALSE(pager->orientalFlagImage()->isHidden());
  RunLoopFor(2.9);
  EXPECT_FALSE(pager->orientalFlagImage()->isHidden());
  RunLoopFor(0.2);
  EXPECT_TRUE(pager->orientalFlagImage()->isHidden());
  MenuButton(402)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_FALSE(pager->orientalFlagImage()->isHidden());
  EXPECT_EQ(pager->orientalFlagImage()->center().x, 320 + 160);
  // A released pager leaves no timer that reaches it.
  navigation.reset();
  pager.reset();
  RunLoopFor(3.1);
  // A second pager shows neither hint again.
  Open("600000", 1, 2);
  EXPECT_TRUE(pager->orientalFlagImage()->isHidden());
  MenuButton(402)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  EXPECT_TRUE(pager->orientalFlagImage()->isHidden());
}

TEST_F(PagerViewTest, AppearingAsksTheAlertSettingAndPageDataAndAReleasedPagerLeavesNothing) {
  const size_t observers = foundation::NotificationCenter::defaultCenter().observerCount();
  Open("600000", 1, 2);
  auto sent = [&](SendQueueKind kind) {
    return std::any_of(pushes.begin(), pushes.end(), [&](const Push& p) { return p.kind == kind; });
  };
  EXPECT_TRUE(sent(SendQueueKind::PriceNotification));
  EXPECT_TRUE(sent(SendQueueKind::Center));
  EXPECT_GT(foundation::NotificationCenter::defaultCenter().observerCount(), observers);
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
  pager->viewWillDisappear(false);
  pager->viewDidDisappear(false);
  EXPECT_FALSE(ui::Application::shared().isNetworkActivityIndicatorVisible());
  EXPECT_FALSE(pager->isShown());
  navigation.reset();
  pager.reset();
  EXPECT_EQ(foundation::NotificationCenter::defaultCenter().observerCount(), observers);
}

// A page that claims the touches given to it while `claims` is set.
class ClaimingPage : public ui::View, public ScrollRectOwner {
 public:
  bool isPointInScrollRect(const ui::TouchSet& touches) override {
    (void)touches;
    ++asked;
    return claims;
  }
  bool claims = false;
  int asked = 0;
};

class SilentDelegate : public CustomScrollViewDelegate {};

TEST_F(PagerViewTest, PagerScrollViewWithoutAnAnsweringDelegateScrollsAndNeverCancels) {
  auto scroll = CustomScrollView::create({0, 0, 320, 300});
  EXPECT_FALSE(scroll->delaysContentTouches());
  auto plain = ui::View::create({0, 0, 100, 100});
  auto button = ui::Button::create(gfx::Rect{0, 0, 40, 30});
  const ui::TouchSet touches;
  const ui::Event event(0);
  EXPECT_FALSE(scroll->touchesShouldBegin(touches, event, plain.get()));
  EXPECT_TRUE(scroll->touchesShouldBegin(touches, event, button.get()));
  EXPECT_FALSE(scroll->touchesShouldCancelInContentView(plain.get()));
  auto silent = std::make_shared<SilentDelegate>();
  scroll->setCustomDelegate(silent);
  EXPECT_FALSE(scroll->touchesShouldBegin(touches, event, plain.get()));
  EXPECT_TRUE(scroll->touchesShouldBegin(touches, event, button.get()));
  EXPECT_FALSE(scroll->touchesShouldCancelInContentView(plain.get()));
}

TEST_F(PagerViewTest, TouchesGoToChartAreasOnChartPagesAndToContentElsewhere) {
  ParseRightsList("30,32");
  Open("00700", 3, 2);
  auto* scroll = dynamic_cast<CustomScrollView*>(pager->scrollView());
  ASSERT_NE(scroll, nullptr);
  // Stand a claiming page in for the trend page.
  auto chart = std::make_shared<ClaimingPage>();
  pager->pageView(kTagTrendPage)->setTag(0);
  chart->setTag(kTagTrendPage);
  scroll->addSubview(chart);
  const ui::TouchSet touches;
  const ui::Event event(0);
  chart->claims = true;
  EXPECT_TRUE(scroll->touchesShouldBegin(touches, event, chart.get()));
  EXPECT_FALSE(scroll->touchesShouldCancelInContentView(chart.get()));
  chart->claims = false;
  EXPECT_FALSE(scroll->touchesShouldBegin(touches, event, chart.get()));
  EXPECT_GT(chart->asked, 0);
  auto button = ui::Button::create(gfx::Rect{0, 0, 40, 30});
  EXPECT_TRUE(scroll->touchesShouldBegin(touches, event, button.get()));

  // On the radar page the content gets the touch and a drag turns the pager.
  MenuButton(405)->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  ASSERT_EQ(pager->selectedPage(), kPageRadar);
  auto* radar = pager->pageView(kTagRadarPage);
  EXPECT_TRUE(scroll->touchesShouldBegin(touches, event, radar));
  EXPECT_TRUE(scroll->touchesShouldCancelInContentView(radar));
}

}  // namespace
}  // namespace detailtest

namespace detailtest {
namespace {

// The pager opened from a list row declares that at the row's minute it shows the row's 最新,
// 涨跌 and 涨幅; at another minute (the list is older) it is not judged.
TEST_F(PagerViewTest, ARowAndTheDetailScreenOpenedFromItAgreeAtTheSameMinute) {
  Open("600000", 1, 2);
  auto window = ui::Window::create(ui::Screen::main().bounds());
  window->addSubview(navigation->viewShared());
  window->makeKeyAndVisible();
  tagLocalStockData quote{};
  quote.market = 1;
  std::memcpy(quote.code, "600000", 7);
  quote.pricedot = 2;
  quote.yesterday = 220200;
  quote.now = 227900;
  quote.zd = 7700;
  quote.datetime.Year = 2026;
  quote.datetime.Month = 12;
  quote.datetime.Day = 9;
  quote.datetime.Hour = 10;
  quote.datetime.Minute = 30;

  class FiguresList : public TrendlineRecordDelegate {
   public:
    tagLocalStockData row{};
    foundation::Value currentStockRecord(int) override {
      foundation::Value out = foundation::Dictionary{};
      out["code"] = std::string("600000");
      out["market"] = 1;
      out["type"] = 2;
      out["name"] = std::string("东隆航空");
      figures::AddRowFigures(out, row);
      return out;
    }
    int totalStockRecord() override { return 3; }
  };
  auto list = std::make_shared<FiguresList>();
  list->row = quote;
  pager->setDelegate(list);
  pager->updateCurrentView(0);
  pager->onDrawHQ(quote, 1);
  auto failures = [] {
    std::vector<std::string> out;
    for (const std::string& f : ui::declaredInvariantFailures())
      if (f.find("list row and detail") != std::string::npos) out.push_back(f);
    return out;
  };
  EXPECT_EQ(failures(), std::vector<std::string>{});

  // The same minute, another price on the detail screen.
  tagLocalStockData other = quote;
  other.now = 228500;
  other.zd = 8300;
  pager->onDrawHQ(other, 1);
  ASSERT_EQ(failures().size(), 1u);
  EXPECT_EQ(failures().front(),
            "list row and detail: the list row showed 最新 涨跌 涨幅 22.79 0.77 3.50% at 10:30, "
            "the detail screen shows 22.85 0.83 3.77%");
  // A minute later the figures may have moved.
  other.datetime.Minute = 31;
  pager->onDrawHQ(other, 2);
  EXPECT_EQ(failures(), std::vector<std::string>{});
  window.reset();
}

}  // namespace
}  // namespace detailtest
