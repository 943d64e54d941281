// The stock detail pager: one screen per shown security with its pages side by side (trend,
// K-line, main force or futures ticks, F10, radar, Hong Kong ten levels). It keeps the request
// code of every kind of request it sends, routes the replies and pushes that match to the pages
// by tag, and presents the landscape K-line screen on rotation.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "core/ReceiveRecord.h"
#include "core/StockData.h"
#include "detail/ExternalPages.h"
#include "detail/TrendlineView.h"
#include "panels/CustomScrollView.h"
#include "panels/PageRoles.h"
#include "platform/foundation/Coalescer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WhileAlive.h"
#include "shell/ScreenRoles.h"
#include "watchlist/SearchStocks.h"
#include "widgets/RenewingRequest.h"

// Request-code slots.
enum RequestSlot : int {
  kSlotQuote = 0,
  kSlotTrend = 1,
  kSlotKLine = 2,
  kSlotTicks = 3,
  kSlotRadar = 4,
  kSlotFuturesTicks = 5,  // also the past-day trend one day back
  kSlotHist2 = 6,
  kSlotHist3 = 7,
  kSlotHist4 = 8,
  kSlotSeat = 9,
  kSlotPriceAlert = 10,
  kRequestSlotCount = 11
};

// Page numbers and the tags of the page views.
enum DetailPage : int16_t {
  kPageTrend = 0,
  kPageKLine = 1,
  kPageMainForce = 2,
  kPageF10 = 3,
  kPageRadar = 4,
  kPageHK10 = 5
};
inline constexpr int kTagTrendPage = 1000;
inline constexpr int kTagDetailPage = 1001;
inline constexpr int kTagF10Page = 1002;
inline constexpr int kTagRadarPage = 1003;
inline constexpr int kTagKLinePage = 1004;
inline constexpr int kTagHK10Page = 1006;
// Menu button tags: base + page.
inline constexpr int kStockMenuBase = 401;
inline constexpr int kIndexMenuBase = 411;

inline constexpr uint8_t kDetailPageId = 13;
inline constexpr uint8_t kPriceAlertPageId = 52;

class TrendlineController : public ui::ViewController,
                            public StockDetailRole,
                            public SearchStocksDelegate,
                            public LandscapeKlineDelegate,
                            public ui::ScrollViewDelegate,
                            public CustomScrollViewDelegate,
                            public TrendlineViewDelegate,
                            public HKJJPWViewDelegate {
 public:
  TrendlineController();
  ~TrendlineController() override;

  // --- identity ----------------------------------------------------------------------------
  void SetStockInfo(const char* code, uint8_t market, uint8_t stockType) override;
  void UpdateStockInfo(const char* code, uint8_t market, uint8_t stockType) override;
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;
  void setInitShowIndexType(int8_t type) override;
  void setDelegate(std::weak_ptr<TrendlineRecordDelegate> delegate) override;
  void updateCurrentView(int row) override;
  static bool IsStockIndex(uint8_t stockType, uint8_t market);
  static bool IsStockQH(uint8_t stockType, uint8_t market);

  // --- view --------------------------------------------------------------------------------
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

  // --- requests ----------------------------------------------------------------------------
  void RequestDataTrendline() override;
  void RequestKlineData(uint8_t period) override;
  void RequestDataDetail();
  void RequestFenBiDataDetail();
  void RequestMiniDataDetail();
  void RequestRadar();
  void RequestHK10Dang();
  void RequestHKJJSInfo(const std::string& seat);
  void RequestHistTrendline(int8_t dayOffset, int32_t date);
  void TrendlineReqPeriodRange(int n) override;
  void requestPriceNotificationSetting();
  std::string getRequestPageAddr(const char* code, int market);
  static const char* F10MarketType(int market);
  // The requests of page `page`.
  void updateDataForSubPage(int page);
  // Asks for the data of the given page.
  void requestPageData(int pageNumber);
  // The landscape chart's page: its period's bars, or the trend.
  void requestLandscapeData(LandscapeKlineRole& land);

  // --- replies -----------------------------------------------------------------------------
  void recvmsg(const foundation::Notification& notification);
  void recvmsg_PriceNotification(const foundation::Notification& notification);
  void commandmsg(const foundation::Notification& notification);
  void UserReloginSuccess(const foundation::Notification& notification);
  // A connect that failed: the subscriptions the page's pushes came by went with the connection.
  void connectionFailed(const foundation::Notification& notification);
  // The page shown asks anew (the login or the connection changed under it).
  void askShownPageAgain();
  void receivedRotate(const foundation::Notification& notification);
  void onDrawHQ(const tagLocalStockData& quote, uint16_t dataFlag);

  // --- menu and titles ---------------------------------------------------------------------
  void setTrendTitle();
  void updateTrendTitle(int page);
  void removeSwitchToolBar();
  // Builds the menu buttons for the security and rights and shows page `page`.
  void SetMenuToolBar(int page);
  void changeUIToSubPage(int page);
  // Another screen shows page `page` (the received price alerts show the K-line page).
  void showSubPage(int page) override;
  // Lays the pages out for a menu of `count` entries and hides those not in it.
  void updateScrollView(int count);
  // Menu tap on the button of page `page`; on the marked button it brings its page back when the
  // pager has left it.
  void selectMenuPage(int page);
  // Wherever scrolling stops (a glide ends, a finger catches one and lifts, a drag is released on
  // a page) the menu marks the page at floor((x + w/2) / w), and a new page's data is asked
  // 0.05 s later.
  void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;
  void scrollViewDidEndDragging(ui::ScrollView& scrollView, bool willDecelerate) override;
  // The marked button takes taps only while the pager is away from its page.
  void scrollViewDidScroll(ui::ScrollView& scrollView) override;

  // Touch hand-off between the pager and the page shown.
  std::optional<bool> touchesShouldHandleBySubView(const ui::TouchSet& touches,
                                                   const ui::Event& event,
                                                   ui::View* contentView) override;
  std::optional<bool> touchesShouldCancelByScrollView(ui::View* contentView) override;

  // Shows the one-time hint to turn the phone on the chart pages, for 3 seconds.
  void showOrientalFlagImage();
  void handleOrientalFlag();
  ui::View* orientalFlagImage() const { return orientalFlagImage_.get(); }
  // Tests: the hints count once per process.
  static void ResetOrientalFlagCounter();

  // A broker seat number tapped in the ten-level page's queues: names the seat, asking the
  // server when the seat table does not know it.
  void HKJJPWViewClicked(const std::string& seat) override;

  // --- title bar ---------------------------------------------------------------------------
  void returnBtn();
  void nextButton() override;
  void preButton() override;
  // Keeps the arrows above the name when the labels change.
  void updatePrepNextButtonState();
  void searchStock();
  void refreshSelfStockButtonState();
  void addSelfStock();
  void addStockToSelfStock();
  // Whether the fly animation of an addition runs.
  bool isFlying() const { return cart_ && cart_->superview(); }
  // 20 points of status bar from system version 7 on; versions compare as numbers.
  static int StatusBarHeight(const std::string& systemVersion);
  // Whether screens reach up under the status bar. They do not where the platform lays them out
  // in the application frame below it (as every other screen here assumes).
  static bool ScreensUnderStatusBar();
  ui::View* titleView() const { return _titleView.get(); }
  ui::Button* selfStockButton() const { return selfStockButton_.get(); }
  bool systemBarAddIsSelected() const { return systemBarAddIsSelected_; }
  int statusBarOffset() const { return nHeight_StatusBar; }
  // Whether page `page` is in the menu.
  bool hasPage(int page) const;

  // --- state for the screens around it and the tests ---------------------------------------
  const char* stockCode() const { return StockCode; }
  std::string code() const { return StockCode; }
  int market() const { return MarketType; }
  int8_t marketType() const { return MarketType; }
  int8_t stockType() const { return StockType; }
  int16_t selectedPage() const { return IsSelWhichTab; }
  int scrollCurrentPage() const { return _nScrollCurrentPage; }
  bool isShown() const { return IsShow != 0; }
  bool isLandscape() const { return IsLandscapeKline != 0; }
  bool showsMainForce() const { return _bShowZLLH; }
  bool hasTrevane() const { return _bHasTrevane != 0; }
  int weightDays() const { return _weightDays; }
  int32_t dateReqHist() const { return _iDateReqHist; }
  int32_t requestCode(int slot) const { return mRequestFlagCount[static_cast<size_t>(slot)]; }
  const std::string& stockNameText() const { return stockNameStr; }
  const std::string& stockCodeText() const { return stockCodeStr; }
  ui::Label* nameLabel() const { return StockNameLabel.get(); }
  ui::Label* codeLabel() const { return StockCodeLabel.get(); }
  ui::View* menuBar() const { return menuBar_.get(); }
  ui::ScrollView* scrollView() const { return _scrollView.get(); }
  ui::View* pageView(int tag) const;
  LandscapeKlineRole* landscape() const;
  std::shared_ptr<TrendlineRecordDelegate> recordDelegate() const { return recordDelegate_.lock(); }
  int currentRow() const { return currentRow_; }
  int initShowIndexType() const { return initShowIndexType_; }
  // The shown page holds the answer to its latest request.
  bool holdsCurrentAnswer() const { return pageRequest_.current(); }
  const RenewingRequest& pageRequest() const { return pageRequest_; }
  // Times the shown security was switched.
  int updates() const { return updates_; }
  const std::string& menuTitleOf(int page) const;
  // "" while the menu marks (one button disabled, the marker behind it) the page the pager
  // rests on; else what is wrong. Not asked while the pager moves.
  std::string markedPageFailure() const;

 private:
  // Copies at most 9 ASCII characters; false (nothing changed, logged) for a missing, non-ASCII
  // or longer code.
  static bool ValidCode(const char* code, const char* caller);
  void copyCode(const char* code);
  void applyFallBack();
  // The one way the shown security changes (the ticker, the list's arrows, the search).
  void switchSecurity(const char* code, uint8_t market, uint8_t stockType);
  bool showsSecurity(const char* code, uint8_t market, uint8_t stockType) const;
  void initNotification();
  // YES: the trend page and the delayed-quote note; NO: the other pages, once, when the
  // security and the navigation controller are known.
  void createSubViewsOnScrollView(bool trendPageOnly);
  void applyInitShowIndexType();
  std::vector<int> menuPages() const;
  // Builds the menu again when the rights changed under it (see menuShown_).
  void keepMenuWithRights();
  void sendPackets(const std::vector<uint8_t>& packets, bool indicator);
  // A page's request starts a round of the renewing request that asks it again (`again`) until
  // every part is answered; partCode draws a part's code into its slot.
  template <class Fn>
  void beginRound(Fn again) {
    pageRequest_.setAsk(ui::WhileAlive(this, std::move(again)));
    pageRequest_.begin();
    noteRoundBegun();
  }
  void noteRoundBegun();
  // The latest round was asked while the quote connection was down: it waits in the send queue
  // and goes out with the turn that connects again.
  bool roundWhileDropped_ = false;
  uint16_t partCode(int slot);
  bool appendQuote(std::vector<uint8_t>& out, const uint8_t* list1, const uint8_t* list2);
  bool appendTicks(std::vector<uint8_t>& out, int slot, const uint8_t* list);
  tagLocalStockData cachedQuote(bool* found = nullptr) const;
  void showCachedQuote(QuotePage* page, bool onlyWhenFound);
  void indicatorOff();
  bool isTopScreen() const;
  void handleReply(const ReceiveRecordView& reply);
  // The page's answer with that code failed, or came (shown: it decoded and the page shows it).
  void renewalFailed(uint16_t code);
  // The trend's last minute is not the minute of the security's cached quote.
  // (evenAwaiting: also a chart held back from the check by heldForCatchUp_.)
  bool trendApartFromQuote(bool evenAwaiting = false) const;
  void catchUpTrend();
  // (Re)starts the wait for the day's parts to settle before catchUpTrend judges them.
  void armTrendCatchUp();
  // The trend request from point `from` of the day on (0: the whole day), with the quote.
  void requestTrend(int from);
  TrendlineView* trendChart() const;
  // The K-line chart on show: the landscape screen's, or the K-line page's.
  KLineFeedRole* klineChart() const;
  // The quote asked in the latest round has not come (a stalled or lost answer the round asks
  // again): the quote shown is older than the round's other answers.
  bool quoteOfRoundAwaited() const;
  // The K-line answer came before the quote of its round: the chart waits for the quote before
  // its last bar is judged against it.
  bool barsAwaitQuote_ = false;
  // So does the trend's day: its last minute is judged against the quote once it comes.
  bool trendAwaitsQuote_ = false;
  // The trend chart waits for points because its day, apart from its quote, is to be asked again.
  bool heldForCatchUp_ = false;
  static constexpr int kTrendCatchUps = 2;
  int trendCatchUps_ = 0;
  static constexpr double kTrendPartsSettle = 1.0;
  std::shared_ptr<foundation::Timer> trendCatchUp_;
  void renewalAnswered(uint16_t code, bool shown);
  // The quote the trend answer's minutes are placed by (see handleTrend).
  tagLocalStockData trendParseQuote(const TrendChartRole* chart, const TrendChartRole* landChart,
                                    const tagLocalStockData& cached) const;
  // False: the answer does not decode and nothing was shown.
  bool handleTrend(const ReceiveRecordView& reply);
  void handleHistTrend(const ReceiveRecordView& reply, int period);
  // What became of a K-line answer or push: shown, not shown (it does not decode, or a part of
  // it was lost), or a part held until the rest of its answer is in.
  enum class KLineTaken { Shown, Failed, PartHeld };
  KLineTaken handleKLine(const ReceiveRecordView& reply);
  void handleWeight(const ReceiveRecordView& reply);
  bool handleTicks(const ReceiveRecordView& reply);
  void handleRadar(const ReceiveRecordView& reply);
  void handleSeat(const ReceiveRecordView& reply);
  TrendPageRole* trendPage() const;
  template <class Role>
  Role* page(int tag) const {
    return dynamic_cast<Role*>(pageView(tag));
  }
  void presentLandscape();
  void leaveLandscape();

  char StockCode[10] = {};
  int8_t MarketType = 0;
  int8_t StockType = 0;
  std::array<int32_t, kRequestSlotCount> mRequestFlagCount{};
  // The shown page's request: asked again by itself after an error answer or none.
  RenewingRequest pageRequest_;
  std::vector<tagLocalKData> KLinedata;
  // A K-line answer sent in numbered parts (each a whole answer of its own, the oldest bars
  // first): its bars so far, shown as one answer once the last part is in. A chart given the
  // first part alone would show a history that stops days before its quote.
  struct KLineParts {
    uint16_t code = 0;
    uint8_t count = 0;
    uint8_t next = 0;
    std::vector<tagLocalKData> bars;
  } klineParts_;
  std::vector<tagLocalWeightData> _weightData;
  int32_t _weightDays = 0;
  uint8_t _bHasTrevane = 0;
  int32_t _iDateReqHist = 0;
  int32_t _iPeriod = 0;
  int16_t IsSelWhichTab = 0;
  int _nScrollCurrentPage = 0;
  uint8_t IsShow = 0;
  // From viewWillAppear to viewWillDisappear: the pages are on screen, sliding in included (the
  // answers to the requests sent as it begins may come before it has appeared).
  bool onScreen_ = false;
  uint8_t IsLandscapeKline = 0;
  uint8_t IsFirstShow = 1;
  uint8_t IsFirstSelF10_redirect = 0;
  uint8_t _bDidLoad = 0;
  bool _bShowZLLH = false;
  bool observing_ = false;
  std::string stockNameStr;
  std::string stockCodeStr;
  std::shared_ptr<ui::Label> StockNameLabel;
  std::shared_ptr<ui::Label> StockCodeLabel;
  std::shared_ptr<ui::Label> _label_Delay15Min;
  std::shared_ptr<ui::View> menuBar_;
  std::shared_ptr<ui::View> _titleView;
  std::shared_ptr<ui::View> _nameCodeView;
  std::shared_ptr<ui::Button> _prepButton;
  std::shared_ptr<ui::Button> _nextButton;
  std::shared_ptr<ui::Button> selfStockButton_;
  std::shared_ptr<ui::View> _menuBarSlideBg;
  std::shared_ptr<foundation::Timer> pageRequestTimer_;
  std::shared_ptr<foundation::Timer> hintTimer_;
  std::shared_ptr<ui::View> orientalFlagImage_;
  std::shared_ptr<ui::ImageView> cart_;
  std::shared_ptr<ui::ImageView> flyingSnapshot_;
  void flyToCart();
  int nHeight_StatusBar = 0;
  bool systemBarAddIsSelected_ = false;
  void initNav(ui::View* root);
  void markMenuPosition(int position, bool request);
  void settleMenuOnShownPage(ui::ScrollView& scrollView);
  void refreshMarkedButton();
  int menuBase() const;
  std::shared_ptr<ui::ScrollView> _scrollView;
  std::shared_ptr<ui::ViewController> landscapeKline;
  std::weak_ptr<TrendlineRecordDelegate> recordDelegate_;
  // The record of the list row shown (with the figures the row showed) and the quote the
  // pages were last handed.
  foundation::Value rowRecord_;
  tagLocalStockData shownQuote_{};
  int currentRow_ = -1;
  int initShowIndexType_ = 0;
  bool initShowIndexTypeSet_ = false;
  uint8_t IsFirstCreateSubView = 1;
  int updates_ = 0;
  std::vector<std::string> menuTitles_;
  // The pages the menu's buttons stand for: those the rights allowed when it was built. Until a
  // change of rights is told to the pager, menuPages() may say otherwise.
  std::vector<int> menuShown_;
  const foundation::Data* radarRecord_ = nullptr;  // the record being routed, if posted
  // A pushed tick list replaces the one before: only the latest of a turn is shown.
  foundation::Data pushedTicks_;
  foundation::Coalescer ticksRefresh_{[this] { showPushedTicks(); }};
  void showPushedTicks();
};

// Registers the pager and the stand-ins of its pages under their class names.
void RegisterDetailClasses();
