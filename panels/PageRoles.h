// What the stock detail pager asks of the pages it holds. The pager hands each page whole
// records by value; a page never sends a request and never changes the pager's stores.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/ChartData.h"
#include "core/StockData.h"

namespace ui {
class ViewController;
}

#pragma pack(push, 1)
// The head of a tick reply.
struct tagDealHead {
  uint8_t market;
  char code[8];
  uint16_t count;
};
#pragma pack(pop)
static_assert(sizeof(tagDealHead) == 11);

// Quote flags handed to the pages: 0 after a change of security, 1 a reply, 2 a push.
inline constexpr uint16_t kQuoteFlagNewStock = 0;
inline constexpr uint16_t kQuoteFlagReply = 1;
inline constexpr uint16_t kQuoteFlagPush = 2;

// A page fed with the security's quote.
class QuotePage {
 public:
  virtual ~QuotePage() = default;
  virtual void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) {
    (void)quote;
    (void)isPush;
  }
};

// A page showing the latest ticks.
class TickPage {
 public:
  virtual ~TickPage() = default;
  // records: head.count 11-byte records, oldest first, coded as the reply carries them.
  virtual void SetDetailData(const tagDealHead& head, const uint8_t* records) {
    (void)head;
    (void)records;
  }
};

// The intraday trend chart (on the trend page and on the landscape screen).
class TrendChartRole {
 public:
  virtual ~TrendChartRole() = default;
  virtual void SetStockInfo(uint8_t market, uint8_t stockType) {
    (void)market;
    (void)stockType;
  }
  // The quote the chart decodes its points against.
  virtual tagLocalStockData GetStockData() const { return {}; }
  // head: the 13-byte trend head, its count the points given.
  virtual void SetTrendLineArray(const uint8_t* head, const tagLocalTrendData* points) {
    (void)head;
    (void)points;
  }
  // head: the 29-byte past-day head; period 1 to 4 days back.
  virtual void SetHistTrendLineArray(const uint8_t* head, const tagLocalTrendData* points,
                                     int period) {
    (void)head;
    (void)points;
    (void)period;
  }
  virtual void reDrawView() {}
  // A trend request for this chart went out: the minutes it holds are of before it until the
  // answer comes (the quote shown meanwhile may have moved on).
  virtual void awaitPoints() {}
  virtual bool awaitingPoints() const { return false; }
  // A push that would not make its minute of the day the chart holds (minutes went by unseen, or
  // the day's volume fell below the chart's base): the day is to be asked again.
  virtual bool pushSkipsMinutes(const tagLocalStockData& quote) const {
    (void)quote;
    return false;
  }
  // The indicator the sub-chart under the chart shows (0 volume, 3 main-force direction, ...).
  virtual void updateDrawIndexType(int32_t type) { (void)type; }
};

// The trend page (tag 1000).
class TrendPageRole : public QuotePage, public TickPage {
 public:
  virtual void refreshMiniDetailViewWithStockType(uint8_t stockType, uint8_t market) {
    (void)stockType;
    (void)market;
  }
  virtual void setSuperViewController(ui::ViewController* controller) { (void)controller; }
  virtual TrendChartRole* trendlineView() { return nullptr; }
  // The security's own quote is asked: until it (or a push of it) comes, the panel shows what
  // the cache held (a list's row, an index brief), which may be of an earlier moment than the
  // day's answer beside it.
  virtual void awaitQuote() {}
};

// The main-force detail page (tag 1001).
class DetailPageRole : public QuotePage, public TickPage {
 public:
  virtual void refreshDetailViewState(int state) { (void)state; }
};

// Told of a tapped broker seat: the seat number as the grid shows it ("%4d").
class HKJJPWViewDelegate {
 public:
  virtual ~HKJJPWViewDelegate() = default;
  virtual void HKJJPWViewClicked(const std::string& seat) { (void)seat; }
};

// The Hong Kong ten-level page (tag 1006).
class HK10PageRole : public QuotePage {
 public:
  // Handed to both broker grids; not retained.
  virtual void setJJPWDelegate(std::weak_ptr<HKJJPWViewDelegate> delegate) { (void)delegate; }
  // A tapped broker seat's answer: "(number)short name" and the full name.
  virtual void refreshDetailView(const std::string& title, const std::string& content) {
    (void)title;
    (void)content;
  }
};

// The F10 page (tag 1002).
class F10PageRole {
 public:
  virtual ~F10PageRole() = default;
  virtual void loadAddress(const std::string& address) { (void)address; }
};
