// The pages of the detail pager that other folders build: the K-line page (tag 1004), the
// landscape K-line screen and the radar page (tag 1003). The pager makes them by class name and
// talks to them only through these roles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/ChartData.h"
#include "panels/PageRoles.h"
#include "shell/ScreenRoles.h"

namespace ui {
class NavigationController;
class View;
class ViewController;
}  // namespace ui

// The K-line page and the landscape screen alike.
class KLineFeedRole : public QuotePage {
 public:
  virtual void setTrevaneFlag(uint8_t flag) { (void)flag; }
  // head: the 21-byte K-line head, its count the bars given; isPush 1 reload, 2 append or
  // replace the last bar of the same date.
  virtual void SetKlineArray(const tagLocalKData* bars, const uint8_t* head, uint16_t isPush) {
    (void)bars;
    (void)head;
    (void)isPush;
  }
  virtual void setTagLocalWeightData(const tagLocalWeightData* events, int count) {
    (void)events;
    (void)count;
  }
  // A K-line request for this chart went out: the bars it holds are of before it until the
  // answer comes (the quote shown meanwhile may have moved on). Also bars that came before the
  // quote of their request: they may be of a later minute than the quote shown, until it comes.
  virtual void awaitBars() {}
  // The quote of the request that brought the bars came after them: they are judged against it.
  virtual void quoteCaughtUp() {}
};

// What the landscape screen asks of the pager.
class LandscapeKlineDelegate {
 public:
  virtual ~LandscapeKlineDelegate() = default;
  virtual void RequestKlineData(uint8_t period) = 0;
  virtual void RequestDataTrendline() = 0;
  virtual void preButton() {}
  virtual void nextButton() {}
};

class KLinePageRole : public KLineFeedRole {
 public:
  virtual void setDelegate(LandscapeKlineDelegate* delegate) { (void)delegate; }
};

class LandscapeKlineRole : public KLineFeedRole {
 public:
  virtual void SetStockInfo(const std::string& name, const std::string& code) {
    (void)name;
    (void)code;
  }
  virtual void setDelegate(LandscapeKlineDelegate* delegate) { (void)delegate; }
  // 0 trend, 1 K-line.
  virtual void changeToPage(int page) { (void)page; }
  virtual int getCurrentPage() const { return 0; }
  // The K-line period shown (1 day until one is chosen).
  virtual int getTimeCircle() const { return 1; }
  virtual void startRefreshKLineView() {}
  virtual void resetWeight() {}
  virtual void updateUIWhenUserReloginSuccess() {}
  virtual TrendChartRole* trendlineView() { return nullptr; }
};

// The radar page made by name ("RadarView"), or null when no such class is registered.
std::shared_ptr<ui::View> CreateRadarPage();
// The page's role, or null.
RadarListRole* RadarRoleOf(ui::View* view);
