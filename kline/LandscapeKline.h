// The landscape screen of one stock, shown while the phone lies sideways on the detail pager's
// trend or K-line page: page 0 the intraday chart, page 1 the K-line chart with its period and
// ex-rights bar, its indicator bar and the period editor. It builds no request: the pager (its
// delegate) is asked for data, or told of a period change by "TrendCommand", and feeds replies in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "detail/ExternalPages.h"
#include "kline/KLineModuleView.h"
#include "kline/KlineToolBar.h"
#include "kline/SettingsMenu.h"
#include "kline/TechIndexParams.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ViewController.h"
#include "widgets/GroupBarView.h"

class TrendlineView;
class PriceShowView;
class AlertLoading;
class Overlay;
class MyToolBar;

class LandscapeKline : public ui::ViewController,
                       public LandscapeKlineRole,
                       public KlineToolBarDelegate,
                       public SettingsMenuDelegate,
                       public KLineModuleViewDelegate,
                       public GroupBarViewDelegate {
 public:
  LandscapeKline();
  ~LandscapeKline() override;

  // --- the pager's side ----------------------------------------------------------------------
  void SetStockInfo(const std::string& name, const std::string& code) override;
  void setDelegate(LandscapeKlineDelegate* delegate) override;
  void changeToPage(int page) override;
  int getCurrentPage() const override;
  int getTimeCircle() const override;
  void startRefreshKLineView() override;
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override;
  void SetKlineArray(const tagLocalKData* bars, const uint8_t* head, uint16_t isPush) override;
  void awaitBars() override {
    if (klineView) klineView->awaitBars();
  }
  void quoteCaughtUp() override {
    if (klineView) klineView->quoteCaughtUp();
  }
  void setTagLocalWeightData(const tagLocalWeightData* events, int count) override;
  void setTrevaneFlag(uint8_t flag) override;
  void resetWeight() override;
  void updateUIWhenUserReloginSuccess() override;
  // The intraday chart as the pager sees it: a trend reply also takes the veil down.
  TrendChartRole* trendlineView() override;
  void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points);
  void updateWeightType(int type);
  void updateTechIndex(int item);

  // --- delegates -------------------------------------------------------------------------------
  bool GroupBarShouldChangeToGroup(int group, GroupBarView& bar) override;
  void GroupBarDidChangeToGroup(int group, GroupBarView& bar) override;
  bool GroupBarShouldChangeToSubItem(int subItem, int group, GroupBarView& bar) override;
  void GroupBarDidChangeToSubItem(int subItem, int group, GroupBarView& bar) override;
  void ReturnSelectedValue(const std::string& name, int selected, const int32_t* values,
                           int columns) override;
  void ShowVolume() override;
  void ShowMACD() override;
  void ShowKDJ() override;
  void ShowRSI() override;
  void ShowBIAS() override;
  void ShowCCI() override;
  void ShowCCL() override;
  void ShowZLCC() override;
  void ShowZLZJL() override;
  void ShowZLHYD() override;
  void dealWeight(int type) override;
  void KLineIndexChange(uint16_t type) override { (void)type; }
  void KLineModuleViewToucherBegan() override;
  void TimeframeCircle(uint16_t command) override;

  // --- buttons ---------------------------------------------------------------------------------
  void ClickBtnChange();
  void ClickBtnIndexParams();
  void preButton();
  void nextButton();

  // --- view life cycle -------------------------------------------------------------------------
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
  // Turns the screen for the device's landscape orientation (3: a quarter turn, 4: three).
  void DEVS();

  // The parameter menu is hidden: one flag for every screen of the process (main thread).
  static bool menuHidden();
  static void setMenuHidden(bool hidden);
  // A landscape screen is on screen (the pager's pages under it are not what the user sees).
  static bool anyShown();
  void showMenu();
  void hideMenu();

  // --- parts (tests read them) -----------------------------------------------------------------
  std::shared_ptr<KLineModuleView> klineView;
  std::shared_ptr<KlineToolBar> klineToolBar;  // stays empty on this screen
  std::shared_ptr<ui::Label> StockNameLabel, StockCodeLabel;
  std::string stockNameStr, stockCodeStr;
  int32_t _nMarketType = 0;
  int32_t _nStockType = 0;
  std::shared_ptr<SettingsMenu> settingsMenu;
  std::shared_ptr<Overlay> overlay;
  kline::ParamStore params;
  std::shared_ptr<ui::View> _realView;
  std::shared_ptr<ui::ScrollView> _scrollView;
  std::shared_ptr<PriceShowView> MainPriceShow;
  std::shared_ptr<AlertLoading> myActivity;
  std::shared_ptr<TrendlineView> _trendLineView;
  std::shared_ptr<ui::BarButtonItem> _barBtnChange;
  std::shared_ptr<GroupBarView> _groupBarCircle, _groupBarIndex;
  std::shared_ptr<ui::Button> indexSwitchButton, prevButton, nextStockButton;

 private:
  class TrendForward;
  // Steps 1 to 3 of a period change: veil, chart period, "TrendCommand".
  void changePeriod(int code);
  // The chart's bars disagree with the quote after a late answer or a lost push: the pager asks
  // for the period again while this screen shows its K-line page.
  void askAgainForBars(int32_t period);
  // The period bar marks the chart's period, and "除权" has its buttons only on the day chart.
  void showChartPeriodOnBar();
  void showPane(int16_t pane, int row, int columns);
  std::shared_ptr<LandscapeKline> self();
  double screenLength() const;
  static std::vector<std::string> IndicatorItems(bool futures);

  LandscapeKlineDelegate* _delegate = nullptr;
  std::unique_ptr<TrendForward> trendForward_;
};
