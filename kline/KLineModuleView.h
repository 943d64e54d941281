// The K-line chart of the landscape K-line screen: up to 400 bars of one security as candles with
// three average lines, a date strip, a label row and a lower pane (volume or an indicator). The
// host hands on what the detail pager feeds it; every arrival lays out the window on the newest
// bars and asks for one redraw, which recomputes adjustment, averages and texts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "detail/ExternalPages.h"
#include "kline/KLineDraw.h"
#include "kline/TechIndex.h"
#include "kline/WeightCalc.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/PixelCache.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

class TimeLabel;
class PriceDetailPanel;

class KLineModuleViewDelegate {
 public:
  virtual ~KLineModuleViewDelegate() = default;
  virtual void KLineIndexChange(uint16_t type) = 0;
  // Sent when a touch starts on the chart.
  virtual void KLineModuleViewToucherBegan() {}
};

// Lower-pane indicator types.
enum : int16_t {
  kIndexVolume = 0,
  kIndexMACD = 1,
  kIndexKDJ = 2,
  kIndexRSI = 3,
  kIndexBIAS = 4,
  kIndexCCI = 5,
  kIndexZLCC = 6,
  kIndexZLDX = 7,
  kIndexZLHYD = 8,
  kIndexCCL = 9,
};

class KLineModuleView : public ui::View, public KLineFeedRole {
 public:
  // portrait: the chart of the detail pager's K-line page (its layout, a volume area instead of
  // the pane, a push that leaves a scrolled-back window alone, no ex-rights on prices, day dates,
  // the quote's xswsdot decimals, no delegate); otherwise the landscape chart.
  explicit KLineModuleView(const gfx::Rect& frame, bool portrait = false);
  ~KLineModuleView() override;
  static std::shared_ptr<KLineModuleView> initWithFrame(const gfx::Rect& frame);
  static std::shared_ptr<KLineModuleView> initPortrait(const gfx::Rect& frame);
  bool isPortrait() const { return portrait_; }
  // Number of bars held (the portrait page's m_knum).
  int32_t m_knum() const { return static_cast<int32_t>(KSourceDataArray.size()); }
  // Decimals of prices: the quote's xswsdot before its pricedot on the portrait page.
  int priceDecimals() const;
  // A price as the chart's texts give it, with the quote's decimals. A quote without them (the
  // pager's empty record of a security none of whose quotes is cached yet) leaves the prices not
  // known: "----", never the bars' prices cut to whole units.
  std::string priceText(int32_t price, int32_t reference) const;
  std::string priceText(int32_t price) const { return priceText(price, price); }

  // --- feed ---------------------------------------------------------------------------------
  // head: the 21-byte K-line head; its count (at most 400) is the number of bars given.
  void SetKlineArray(const tagLocalKData* bars, const uint8_t* head, uint16_t isPush) override;
  void awaitBars() override { awaitingBars_ = true; }
  void quoteCaughtUp() override;
  void SetDataInfo(const tagLocalStockData& stock, uint16_t isPush) override;
  void setTagLocalWeightData(const tagLocalWeightData* events, int count) override;
  void setTrevaneFlag(uint8_t flag) override { _bHasTrevane = static_cast<int8_t>(flag); }
  void updateWeightType(int32_t type);
  void SetTimeCircle(int32_t period);
  int32_t getTimeCircle() const { return KCircleType; }
  // Declares that the last bar agrees with the quote held (see figures::TodaysBarIsTheQuote).
  void declareFigures();
  // What the last bar disagrees with the quote held on: empty while they agree, nothing while
  // there is nothing to judge (no bars, bars of another security, an answer awaited, a day bar
  // of another day).
  std::optional<std::string> apartFromQuote() const;
  // How the screen showing the chart asks for its bars again (the period shown). A last bar that
  // still disagrees with the quote a moment after both came (an answer that came late, a push
  // lost with its connection) is asked for again, a few times at most, until they agree.
  void setAskAgain(std::function<void(int32_t period)> ask) { askAgain_ = std::move(ask); }
  // Times the chart asked again since its bars last agreed with the quote.
  int catchUps() const { return catchUps_; }
  void SetStockTechTypeDraw(int16_t type, const int32_t* params, int32_t count);
  void saveKLineIndexType(int32_t type);
  void setDelegate(KLineModuleViewDelegate* d) { delegate_ = d; }
  KLineModuleViewDelegate* delegate() const { return delegate_; }

  // --- window and scale ----------------------------------------------------------------------
  void CalcKLine(const std::vector<tagLocalKData>& bars, int32_t count, uint8_t isPush);
  void CalcArguments();
  void calcArguments(const tagLocalKData* bars);

  // --- drawing --------------------------------------------------------------------------------
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  // How the last frame came about: drawn whole, kept pixels, or its changed places drawn.
  gfx::PixelCache::Outcome frameOutcome() const { return pixels_.lastOutcome(); }
  void drawDisableText(gfx::Context& ctx);
  int64_t getCurrentLTGB(const tagLocalKData& bar) const;
  void updateEndStartDateTime();
  void refreshMAArgumentText();
  // Creates on first use, lays out, places and fills the price detail panel for a bar, and
  // moves the date bubble to it.
  virtual void ShowRefreshPriceDetailPanel(int index);
  // Where the panel stands for a cross-hair on that bar.
  gfx::Rect priceDetailPanelFrame(int index) const;

  // --- touches -------------------------------------------------------------------------------
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  // The portrait page's chart leaves the price header above it to the header.
  bool pointInside(gfx::Point point, const ui::Event* event) const override;
  // Scrolls by fDragStep bars: true toward older bars.
  void DragKLine(bool older);
  // Scrolls by the whole bar widths the finger has moved from startPoint.
  void followFinger(gfx::Point p);
  // One zoom step: true widens the bars.
  void PinchKline(bool wider);
  // Strictly inside the price area.
  bool inPriceArea(gfx::Point p) const;
  // The bar under a point (not limited to StartIndex; past the list: the last bar).
  int barUnder(gfx::Point p) const;

  // The lower panes, with the bar width as step (see paneBars for the bars they read).
  virtual void drawMACDIndex(gfx::Context& ctx, int step);
  virtual void drawKDJIndex(gfx::Context& ctx, int step);
  virtual void drawRSIIndex(gfx::Context& ctx, int step);
  virtual void drawBIASIndex(gfx::Context& ctx, int step);
  virtual void drawCCIIndex(gfx::Context& ctx, int step);
  virtual void drawZLCCIndex(gfx::Context& ctx, int step);
  virtual void drawZLDXIndex(gfx::Context& ctx, int step);
  virtual void drawZLHYDIndex(gfx::Context& ctx, int step);
  virtual void drawCCLIndex(gfx::Context& ctx, int step);

  // The window and scale as the shared drawing code takes them.
  kline::ChartScale chartScale() const;
  // The pane rectangle with its label row: what a change of indicator redraws.
  gfx::Rect paneRect() const;

  // Redraw requests since creation, and the rectangle of the last one (the bounds for a whole
  // redraw): tests read them to tell a full redraw from a pane redraw or none.
  int redrawRequests = 0;
  gfx::Rect lastRedrawRect;

  // --- state (names as the chart's other parts use them) --------------------------------------
  std::vector<tagLocalKData> KSourceDataArray;
  std::vector<tagLocalKData> KDataArray;
  uint8_t bIsOperation = 0;
  float redColor[3] = {184 / 255.f, 6 / 255.f, 26 / 255.f};
  float greenColor[3] = {0, 187 / 255.f, 187 / 255.f};
  int8_t IsShowPriceDetailPanel = 0;
  gfx::Point startPoint;
  bool finished = false;
  bool _haveDragged = false;
  // Two fingers have been on the chart in this gesture.
  bool multitouch = false;
  int32_t KCircleType = 1;
  float fMaxValue = 0;
  float fMinValue = 0;
  double fMaxVolume = 0;
  double fMaxTechValue = 0;  // the pane axis' top value
  double fMidTechValue = 0;  // and its middle value
  int32_t iRulerIndex = -1;
  int32_t StartIndex = -1;
  int32_t EndIndex = 0;
  int32_t kNumOfView = 0;
  int32_t kWidth = 9;
  float kViewWidth = 0;
  float kViewHeight = 0;
  int32_t kLineSpace = 1;
  float YValueScale = 0;
  float kStartXCoor = 50;
  float BaseYCoor = 0;
  float fDragStep = 1.0f;
  float vViewHeight = 0;
  float BaseVolYCoor = 0;
  float fIndexXScale = 0;
  float fIndexYScale = 0;
  float fIndexWidth = 0;
  float fIndexHeight = 0;
  int16_t iIndexType = 0;
  TechIndex calcTechIndex;
  int32_t IndexArray[4] = {};
  uint8_t IsDrawKLine = 0;
  int8_t _bHasTrevane = 0;
  tagLocalStockData m_stockdata{};
  std::array<tagLocalWeightData, kWeightCapacity> _weightData{};
  int32_t _weightDays = 0;
  int32_t _weightType = kWeightMarkOnly;
  std::array<tagLocalKData, kKLineCapacity> m_DataAfterCalWeight{};

  std::shared_ptr<ui::Label> IndexLabelName, IndexArgument1, IndexArgument2, IndexArgument3;
  std::shared_ptr<ui::Label> MAArgument1, MAArgument2, MAArgument3;
  std::shared_ptr<ui::Label> startDateTime, endDateTime;
  std::shared_ptr<TimeLabel> timeLandscapeLabel;
  std::shared_ptr<PriceDetailPanel> priceDetailPanel;

  // Colours of the chart.
  static gfx::Color FrameColor();
  static gfx::Color MA5Color();
  static gfx::Color MA10Color();
  static gfx::Color MA20Color();
  kline::CandleColors candleColors() const;

 protected:
  void requestRedraw();
  void requestRedraw(const gfx::Rect& rect);
  // Takes the panel and the date bubble down and clears the ruler.
  void hideRulerAndPanel();
  // Every bar held goes (another period or another security), and the chart shows none.
  void forgetBars();
  // Puts the date tag up or takes it down; the date labels it covers give way to it.
  void showDateTag(bool shown);
  void coverDateLabels();

 private:
  // A K-line request went out and its answer has not come yet.
  bool awaitingBars_ = false;
  // The quote's figures carried into the bar they belong to: today's bar of the day chart is the
  // quote's open, high, low, 最新 and 总量; the minute bar still being made closes at 最新 and
  // spans it. A bar answer or push that lags the quote then shows no older figure beside it.
  void followQuote();
  // After a quote or bars came: agreeing bars end a catch-up; disagreeing ones are judged again
  // a moment later (the other part of the minute may still be on its way) and then asked for.
  void judgeAgreement();
  void catchUp();
  static constexpr int kCatchUps = 3;
  static constexpr double kCatchUpSettle = 1.0;
  std::function<void(int32_t)> askAgain_;
  std::shared_ptr<foundation::Timer> catchUpTimer_;
  int catchUps_ = 0;
  void setUp();
  void DrawBackground(gfx::Context& ctx);
  void DrawScaleValue(gfx::Context& ctx);
  void DrawRulerLine(gfx::Context& ctx);
  void DrawKLineVolume(gfx::Context& ctx, const tagLocalKData* bars, bool fallBack);
  void drawPane(gfx::Context& ctx, bool adjusted);
  void drawPortrait(gfx::Context& ctx);
  // The whole picture of one redraw (what drawRect draws through its pixel cache).
  void drawPicture(gfx::Context& ctx);
  // Everything the picture depends on and everything drawing it writes back (see PixelCache).
  // A member that drawRect comes to read or write goes in here too.
  std::string pictureKey() const;
  void drawAverages(gfx::Context& ctx, const kline::ChartScale& s);
  // The ex-rights pass over a copy of the bars (m_DataAfterCalWeight) and its three average
  // series; then their lines, which the MA labels read (broken at event bars under "除权").
  void weightAverages(int32_t weightType, tagKAverageInfo* ma);
  void drawWeightedAverages(gfx::Context& ctx, const kline::ChartScale& s,
                            const tagKAverageInfo* ma, int32_t weightType);
  // Keeps the series within 400 bars, moving the window and ruler with the bars.
  void dropOldest();
  void scaleOver(const tagLocalKData* bars);

  // --- pane helpers ---
  struct PaneFit {
    double T;
    double R;
    double B;
  };
  // Window position whose values the labels show, or -1 (a ruler outside the window).
  int paneLabelPosition() const;
  // The axis' top and middle from the pane's top and bottom, divided by `divisor`.
  void setPaneAxis(double top, double bottom, double divisor);
  double oscillatorX(int i) const;
  double barLineX(int i) const;
  void drawOscillator(gfx::Context& ctx, const double* const* series, int lines,
                      const gfx::Color* colours, double bottomSeed, bool skipZeroStarts);
  // A calculator of three lines (RSI, KDJ, BIAS) over the window with the pane's three periods.
  template <class Record>
  using ThreeLineCalc = void (*)(const tagLocalKData*, int32_t, Record*, int32_t, int32_t, int32_t,
                                 int32_t, int32_t);
  // Computes the window's records, sets the three labels and draws the three lines (the record's
  // three fields).
  template <class Record, class Field>
  void drawThreeLines(gfx::Context& ctx, ThreeLineCalc<Record> calc, const char* const* formats,
                      Field Record::*const* fields, bool skipZeroStarts);
  // `has`: the window positions that carry a value.
  PaneFit fitValues(const double* values, const bool* has);
  void drawBarLine(gfx::Context& ctx, const double* values, const bool* has, const PaneFit& fit,
                   const std::function<int(int)>& state, const gfx::Color* colours);
  // The bars the panes compute on: as drawn when the prices are restated (forward or backward
  // adjustment), so an indicator never shows a jump the candles beside it do not have; the bars
  // as received otherwise.
  const tagLocalKData* paneBars() const;
  // Rectangle lists reused by every redraw.
  std::vector<gfx::Rect> upRects_, downRects_;

  KLineModuleViewDelegate* delegate_ = nullptr;
  bool portrait_ = false;
  // The security of the bars held (from the K-line answer's key).
  uint8_t barsMarket_ = 0;
  char barsCode_[9] = {};
  gfx::PixelCache pixels_;
  // The window the last frame showed (first and last bar, bar width and spacing, bars in view,
  // period, bars held).
  std::optional<std::array<int, 7>> drawnWindow_;
  // The average lines of the last ex-rights drawing pass, which the MA labels show.
  std::array<std::array<int32_t, kKLineCapacity>, 3> drawnAverages_{};
  bool averagesAdjusted_ = false;
  // The last drawing pass restated the prices (m_DataAfterCalWeight holds the candles drawn).
  bool panesAdjusted_ = false;
  // The open-interest pane's axis, in contracts: its top and middle in the volume format.
  bool paneAxisVolume_ = false;
  bool paneAxisHidden_ = false;  // a pane that refuses the period shows no axis values
  int64_t paneAxisTop_ = 0;
  int64_t paneAxisMid_ = 0;
  // Finger distance at the start of the two-finger gesture (or its last zoom step); -1: none.
  double pinchBase_ = -1;
};
