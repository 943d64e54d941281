// Pages for the pager tests: each is registered under a real class name, keeps what the pager
// hands it and shows a line saying so.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/ChartData.h"
#include "core/StockData.h"
#include "panels/PageRoles.h"
#include "panels/PublicView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

// What a stand-in was handed last, and how often.
struct StandInLog {
  tagLocalStockData quote{};
  uint16_t quoteFlag = 0xffff;
  int quotes = 0;
  std::vector<uint16_t> quoteFlags;
  tagDealHead tickHead{};
  std::vector<uint8_t> ticks;
  int tickCalls = 0;

  void noteQuote(const tagLocalStockData& q, uint16_t flag) {
    quote = q;
    quoteFlag = flag;
    quoteFlags.push_back(flag);
    ++quotes;
  }
  void noteTicks(const tagDealHead& head, const uint8_t* records) {
    tickHead = head;
    ticks.assign(records, records + static_cast<size_t>(head.count) * sizeof(tagLocalDealData));
    ++tickCalls;
  }
};

// What a trend chart was handed last, and how often.
struct TrendChartLog {
  uint8_t trendHead[13] = {};
  uint8_t histHead[29] = {};
  std::vector<tagLocalTrendData> trend;
  std::vector<tagLocalTrendData> hist;
  int trendCalls = 0;
  int histPeriod = 0;
  int redraws = 0;

  // head: the 13-byte trend head, its count in bytes 11 and 12.
  void noteTrend(const uint8_t* head, const tagLocalTrendData* points) {
    std::copy(head, head + 13, trendHead);
    const int count = head[11] | (head[12] << 8);
    trend.assign(points, points + count);
    ++trendCalls;
  }
  // head: the 29-byte past-day head, its count in bytes 27 and 28.
  void noteHist(const uint8_t* head, const tagLocalTrendData* points, int period) {
    std::copy(head, head + 29, histHead);
    const int count = head[27] | (head[28] << 8);
    hist.assign(points, points + count);
    histPeriod = period;
  }
};

// A dark page with its name on it. Base is the view class the real page derives from; pages with
// the price panel (PublicView) put the name under it.
template <class Base>
class PageStandInOf : public Base {
 public:
  template <class... Args>
  explicit PageStandInOf(std::string name, Args&&... args)
      : Base(std::forward<Args>(args)...), name_(std::move(name)) {}
  void ensureLabel() {
    if (label_) return;
    const double top = std::is_base_of_v<PublicView, Base> ? 60 : 10;
    label_ = ui::Label::create({10, top, 300, 20});
    label_->setText(name_ + " 建设中");
    label_->setTextColor(gfx::Color::white());
    this->addSubview(label_);
  }
  void noteQuote(const tagLocalStockData& quote, uint16_t flag) {
    ensureLabel();
    log.noteQuote(quote, flag);
  }
  void noteTicks(const tagDealHead& head, const uint8_t* records) { log.noteTicks(head, records); }
  StandInLog log;

 private:
  std::string name_;
  std::shared_ptr<ui::Label> label_;
};

using PageStandIn = PageStandInOf<ui::View>;
