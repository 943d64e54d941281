// The intraday trend chart of one security: the minute-point store of today (and room for the
// four earlier days the past-day requests can name), its three ways in (trend reply, quote
// snapshot, quote push merged into the last minute), the bounds that scale every series and the
// drawing coordinates the chart and its indicator sub-chart read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "core/TrendIndicators.h"
#include "detail/TrendTechIndexView.h"
#include "panels/PageRoles.h"
#include "platform/graphics/PixelCache.h"
#include "platform/graphics/Text.h"
#include "platform/ui/View.h"

class TimeLabel;
class TechIndexMoveView;
class PriceDetailPanel;
class AlertView;

class TrendlineViewDelegate {
 public:
  virtual ~TrendlineViewDelegate() = default;
  virtual void TrendlineReqPeriodRange(int days) { (void)days; }
};

class TrendlineView : public ui::View, public TrendChartRole, public TrendTechIndexViewDelegate {
 public:
  // Today and the four earlier days a past-day request can name.
  static constexpr int kDayBlocks = 5;

  // Portrait chart of the trend page, and the landscape chart of the K-line screen.
  static std::shared_ptr<TrendlineView> initWithFrame(const gfx::Rect& frame);
  static std::shared_ptr<TrendlineView> initWithFrame_Landscape(const gfx::Rect& frame);
  TrendlineView(const gfx::Rect& frame, bool landscape);
  ~TrendlineView() override;

  // The pager's side.
  void SetStockInfo(uint8_t market, uint8_t stockType) override;
  tagLocalStockData GetStockData() const override { return m_stockdata; }
  // head: 13 bytes {u8 market, char[8] code, u16 start, u16 count}; points: 1450 parsed points.
  void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) override;
  // head: 29 bytes {u8 market, char[8] code, 3 x int32, u16 start, u32 date, u16 count}.
  void SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                             int period) override;
  void reDrawView() override;
  void awaitPoints() override { awaitingPoints_ = true; }
  // The points held are the day's after all (no answer is coming to replace them).
  void settlePoints() { awaitingPoints_ = false; }
  // A trend request went out and its answer has not come yet.
  bool awaitingPoints() const override { return awaitingPoints_; }
  // mode 0 resets, 1 takes a snapshot, 2 merges a push into the last minute.
  void SetDataInfo(const tagLocalStockData& quote, uint16_t mode);
  // A push of this quote would not make its minute of the day held: minutes between the day's
  // last and the push's went by unseen, or the cumulative figures its change is taken from are
  // of an older minute than the one before it (their change would span minutes) or of a later
  // minute than the day's last (the trades of the minutes between would be lost). The day is
  // asked again instead.
  bool pushSkipsMinutes(const tagLocalStockData& quote) const override;

  void calPushTrendData(const tagLocalStockData& quote, tagLocalTrendData* point) const;
  // Takes the cumulative volume, amount and position counts of a quote as the base of the next
  // push's changes.
  void keepCumulative(const tagLocalStockData& quote);
  // True when the last minute took the held quote's price (see the definition).
  bool alignLastMinute();
  void CalcTLineMaxMinScale(int days);
  void CalcTrendLine(const tagLocalTrendData* points, int count, int dayCount, int day);
  void CalcHistTrendLine(int dayCount, int days);
  void clear();
  // Hides the waiting box.
  void NoneHistoryData();
  void updateDrawIndexType(int32_t type) override;
  void resetDrawIndexType();

  // Sub-chart's side.
  bool getCalcValueForDelegate(_TECHINDEX_CALC_VLAUE* value) override;
  // False for a day the store does not hold.
  bool getTrendColorDataFromDelegate(tagLocalTrendData* out, int day) override;
  bool getTrendDataFromDelegate(tagLocalTrendData* out, int day) override;
  bool getLocalStockDataFromDelegate(tagLocalStockData* out) override;

  void setDelegate(TrendlineViewDelegate* delegate) { delegate_ = delegate; }
  TrendlineViewDelegate* Delegate() const { return delegate_; }

  // Refreshes the hover panel for the cursor's point (its rows are the drawing side's).
  virtual void ShowRefreshPriceDetailPanel(int index, int period, int phase);
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override;
  // The chart drawn whole, keeping nothing: what every kept frame must show.
  void drawWhole(gfx::Context& ctx);
  // How the last frame came about: drawn whole, kept pixels, or its changed places drawn.
  gfx::PixelCache::Outcome frameOutcome() const { return pixels_.lastOutcome(); }
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  // Hides the cursor and resizes the plot to a new view width.
  void updateViewWidth(int width);
  PriceDetailPanel* priceDetailPanel() const { return priceDetailPanel_.get(); }

  // x of minute index `index` of the day, and of a minute of the day.
  int getXWithPos(int index) const;
  int getXWithTime(int minute) const;
  // "HH:MM" of a minute index (a time past midnight shown as the next day's).
  std::string TlineTimeCalc(int index) const;

  // Read access for the drawing side and the sub-chart.
  const tagLocalTrendData* trendData(int day) const { return m_trenddata[day]; }
  const tagLocalTrendData* trendColorData(int day) const { return m_trendcolordata[day]; }
  TechIndexMoveView* techIndexMoveView() const { return techIndex_.get(); }
  TimeLabel* timeLabel() const { return tlTimeLabel_.get(); }
  AlertView* waitingBox() const { return _alertView.get(); }

  // Store.
  tagLocalTrendData m_trenddata[kDayBlocks][kTrendCapacity];
  tagLocalTrendData m_trendcolordata[kDayBlocks][kTrendCapacity];
  int32_t m_trendnum = 0;
  int32_t m_trenddate[kDayBlocks] = {};
  int32_t m_TradeMinutes = 241;
  tagLocalStockData m_stockdata{};
  int32_t Yesterday = 0;
  int64_t oldVolume = 0, oldAmount = 0, oldKC = 0, oldPC = 0;
  // The minute (a count of trading minutes) of the quote the cumulative figures above are of;
  // -1 not known (a list row's quote without its sessions, or none yet).
  int cumulativeAt_ = -1;

  // Bounds.
  int32_t fMaxValue = 0, fMinValue = 0;
  int32_t fMaxAverage = 0, fMinAverage = 0;
  int64_t fMaxVolume = 0, fMinVolume = 0;
  int64_t fMaxAmount = 0, fMinAmount = 0;
  int32_t fMaxLB = 0, fMinLB = 0;
  int32_t fMaxZJLS = 0, fMinZJLS = 0;
  int64_t fMaxZL = 0, fMinZL = 0;
  int64_t fMaxZLZJL = 0, fMinZLZJL = 0;
  int64_t fMaxCCL = 0, fMinCCL = 0;
  int64_t fMaxKPC = 0, fMinKPC = 0;

  int32_t _TlineType = 0;
  int32_t PageNum = 0;
  int8_t MarketType = 0;
  int8_t StockType = 0;
  bool IsDrawTrendLine = false;

  // Cursor.
  int32_t _touchIndex = -1;
  int32_t _touchPhase = 0;
  int32_t iRulerIndex = -1;
  int32_t iRulerIndexYScale = 0;
  tagLocalTrendData cursorData{};
  bool IsShowPriceDetailPanel = false;
  bool IsTouch = false;
  bool _haveDragged = false;
  gfx::Point firstTouch;
  int panelRefreshes = 0;

  // Geometry.
  float StartXCoor = 0;
  float tViewWidth = 0;
  float tViewHeight = 0;
  float BaseYCoor = 0;
  float vViewHeight = 0;
  float BaseVolYCoor = 0;
  int32_t pDetailViewBaseY = 120;
  bool _bShowZDFScale = false;
  bool landscape = false;

 protected:
  // Adds the sub-views; run once the view is shared-owned (both initialisers do).
  void setUp();

 private:
  bool awaitingPoints_ = false;
  enum class Series { AverageFill, PriceFill, AverageLine, PriceLine };
  // The whole picture (what drawRect draws through its pixel cache), and everything it depends
  // on (see PixelCache); a member that the drawing comes to read goes into the key too.
  void drawPicture(gfx::Context& ctx);
  std::string pictureKey() const;
  // What is drawn over the kept picture every time it changes: today's newest minute and the
  // cursor. The whole drawing is the picture, then the overlay.
  void drawOverlay(gfx::Context& ctx);
  std::string overlayKey() const;
  gfx::PixelCache pixels_;
  // Today's minutes drawn (the newest is the overlay's).
  int newestCount() const;
  // Where today's settled columns end and the newest minute's begin: the device pixel edge at
  // or before the newest column.
  double newestSplit(const gfx::Context& ctx) const;
  bool drawsFills() const;
  // Farther than any drawing reaches: no limit to the columns drawn.
  static constexpr double kFar = 1e6;
  void DrawScaleValue(gfx::Context& ctx);
  void DrawBackground(gfx::Context& ctx, int days);
  void drawTimeScaleLine(gfx::Context& ctx);
  // A time label of the axis, and where its text stands.
  struct TimeTag {
    std::string text;
    gfx::Rect box;
    gfx::TextAlignment align;
    double left, width;
  };
  std::vector<TimeTag> timeTags(int days) const;
  bool clearOfCursorTag(const TimeTag& tag) const;
  // Points first..count-1 of a day: the line through them, or their columns' fill within
  // fromX <= x < toX.
  void drawDay(gfx::Context& ctx, int day, int first, int count, Series series,
               double fromX = -kFar, double toX = kFar);
  // The index bars of minutes from..count-1.
  void DrawHLZ(gfx::Context& ctx, int day, int from, int count);
  void DrawRulerLine(gfx::Context& ctx);
  bool inPriceArea(gfx::Point p) const;
  // Puts the cursor on the minute under x; false when no stored point is there.
  bool moveCursor(gfx::Point p, bool drag);
  // Left edge of the cursor's time tag: centred on the cursor, kept under the plot.
  static constexpr double kCursorTagWidth = 60;
  double cursorTagLeft() const;
  // Width and left edge of a day's column (today rightmost), and the step between minutes.
  float columnWidth() const;
  float columnStart(int day) const;
  float minuteStep(float whenShort) const;
  double halfRange() const;

  void hidePanel();
  void followCursor(bool wasOnLast);
  void calcDay(const tagLocalTrendData* points, int count, int day);

  std::shared_ptr<TimeLabel> tlTimeLabel_;
  std::shared_ptr<PriceDetailPanel> priceDetailPanel_;
  std::shared_ptr<TechIndexMoveView> techIndex_;
  std::shared_ptr<AlertView> _alertView;
  TrendlineViewDelegate* delegate_ = nullptr;
};
