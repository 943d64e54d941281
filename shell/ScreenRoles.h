// What the application delegate asks of the screens it reaches by role. A screen class derives
// from the role it plays (and from ScreenHooks for the tab hooks); the delegate finds the role
// with a dynamic cast, so a screen without the role is simply not asked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/Value.h"

// The watch list.
class WatchListRole {
 public:
  virtual ~WatchListRole() = default;
  // Leaves the main-force columns when the user lost right 30.
  virtual void refreshTableShowType() {}
};

// The market lists of the second slot.
class MarketListRole {
 public:
  virtual ~MarketListRole() = default;
  // Switches to the list the dictionary names (sent after the view is loaded).
  virtual void updateViewWithDict(const foundation::Value& param) { (void)param; }
};

// The message centre.
class MessageCentreRole {
 public:
  virtual ~MessageCentreRole() = default;
  virtual void initSomeFirst() {}
  virtual void revertToAllFunc() {}
  // Starts, once per process, the periodic message request.
  virtual void timeRequest() {}
  virtual bool canShowMessage() { return false; }
};

// The list a stock detail pager was opened from, asked for the neighbouring stocks.
class TrendlineRecordDelegate {
 public:
  virtual ~TrendlineRecordDelegate() = default;
  // Row -> {"code" text, "name" text, "market" number, "type" number}, or null.
  virtual foundation::Value currentStockRecord(int row) = 0;
  virtual int totalStockRecord() = 0;
};

// The stock detail pager.
class StockDetailRole {
 public:
  virtual ~StockDetailRole() = default;
  virtual void SetStockInfo(const char* code, uint8_t market, uint8_t stockType) = 0;
  virtual void UpdateStockInfo(const char* code, uint8_t market, uint8_t stockType) = 0;
  // The page shown first: 1 the main-force page, 0 the normal page.
  virtual void setInitShowIndexType(int8_t type) { (void)type; }
  // The list the pager steps through (not owned).
  virtual void setDelegate(std::weak_ptr<TrendlineRecordDelegate> delegate) { (void)delegate; }
  // The row of the delegate's list now shown.
  virtual void updateCurrentView(int row) { (void)row; }
  // Another screen shows page `page` (the received price alerts show the K-line page).
  virtual void showSubPage(int page) { (void)page; }
};

// The stock detail pager's K-line page, for showSubPage.
inline constexpr int kStockDetailKLinePage = 1;

namespace ui {
class ViewController;
}  // namespace ui

// Opens the stock detail pager on the stock, pushed on the navigation controller of `from`; with
// page >= 0 the pager shows that page. The one way a screen opens a stock's detail: it reaches
// the pager by its role only. False (nothing pushed) without a code, a navigation controller or
// the pager class.
bool OpenStockDetail(ui::ViewController& from, const char* code, uint8_t market,
                     uint8_t stockType, int page = -1);

// The account screen.
class AccountRole {
 public:
  virtual ~AccountRole() = default;
  virtual void setTabBarClickIndex(int index) { (void)index; }
  virtual void setCloseAfterLogin(bool close) { (void)close; }
};

namespace ui {
class NavigationController;
}  // namespace ui

// The radar news list hosted by a screen (the watch list, the detail pager): it sends its own
// detail requests under the host's page identifier and pushes details on the host's
// navigation controller.
class RadarListRole {
 public:
  virtual ~RadarListRole() = default;
  virtual void setPageId(int pageId) = 0;
  // Not owned; null forgets it.
  virtual void setCurrentNavigationController(ui::NavigationController* navigation) = 0;
  // The text shown while the list is empty.
  virtual void updateNoItemsLabel(const std::string& text) = 0;
  // A posted receive record of a radar reply (its record table is the list; a continuation part
  // appends to it).
  virtual void SetRadarTitle(const foundation::Data& record) = 0;
  // No data and size 0 empties the list and shows the empty-list text.
  virtual void SetRadarTitle(const uint8_t* data, int size) = 0;
};
