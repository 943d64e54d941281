// The home information page (the tab "资讯"): the quote server's news sections as a menu, the
// newest titles of the chosen section below it; a title opens the article page, which steps
// through the same list. "查询" opens the stock search and a pick opens the stock's detail.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "alerts/InfoDelegates.h"
#include "core/InfoReplies.h"
#include "core/MDBF.h"
#include "core/PendingRequests.h"
#include "widgets/RenewingRequest.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "watchlist/SearchStocks.h"
#include "widgets/MenuBarView.h"

// A title row: date and time, the title and a two-line summary over the list background.
class MainPageCell : public ui::TableViewCell {
 public:
  static constexpr double kRowHeight = 76.5;

  explicit MainPageCell(const std::string& reuseIdentifier);
  static std::shared_ptr<MainPageCell> create(const std::string& reuseIdentifier);

  ui::Label* dateLabel() const { return dateLabel_.get(); }
  ui::Label* timeLabel() const { return timeLabel_.get(); }
  ui::Label* titleLabel() const { return titleLabel_.get(); }
  ui::Label* contentLabel() const { return contentLabel_.get(); }
  // Lays the labels out for a row of height h (nothing calls it).
  void setCellHeight(double h);

 private:
  std::shared_ptr<ui::Label> dateLabel_;
  std::shared_ptr<ui::Label> timeLabel_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> contentLabel_;
};

class MainPage : public ui::ViewController,
                 public Extend::ScreenHooks,
                 public SearchStocksDelegate,
                 public ui::TableViewDataSource,
                 public ui::TableViewDelegate,
                 public DetailInfoDelegate,
                 public MenuBarViewDelegate,
                 public MainStockRole {
 public:
  static constexpr uint8_t kPageId = 22;
  static constexpr const char* kNotificationName = "MainPage";
  static constexpr const char* kCellIdentifier = "info-cell-identifier";

  MainPage() = default;

  // Requests (145/85 the sections, 145/86 a section's first 20 titles).
  void requestInfoList(int type);
  void requestInfoTitle(int partId, const std::string& additional);
  void refreshCurrentView();
  void recvmsg(const foundation::Notification& notification);
  void layoutNewsTitleScrollViews();
  // Orders the rows newest first (date, then time); titles of one moment keep the reply's order.
  void orderRows();
  // "查询": the stock search, presented modally.
  std::shared_ptr<ui::ViewController> searchStock();

  // Extend::ScreenHooks: the tab was chosen; the titles are asked again on the next appearance.
  void willActiveByClickTabBar() override { _bNeedRequest = true; }
  // MenuBarViewDelegate
  void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) override;
  // DetailInfoDelegate
  foundation::Value currentInfoRecord(int index) override;
  int totalInfoRecord() override { return InfoTitleCount(_infoTitle); }
  // SearchStocksDelegate: opens the picked stock's detail.
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;
  // MainStockRole: the settings screen's stocks are not used here.
  void FinishMainStock(const tagLocalStockData* stocks, int num) override;

  // The documents paths this page names; nothing reads or writes them.
  static std::string dataFilePath();
  static std::string dataNewsTitleFilePath();
  static gfx::Color CheckPriceColor(double value);

  const foundation::Array& NewsTitleArray() const { return NewsTitleArray_; }
  // The record of _infoTitle that row `row` shows (-1 outside the list).
  int recordOfRow(int row) const;
  int selPartID() const { return _selPartID; }
  int awaitedCode(int slot) const {
    const uint16_t code = pending_.codeOf(slot);
    return code ? code : -1;
  }
  bool needRequest() const { return _bNeedRequest; }
  // The sections and the shown section's titles are the answers to their latest requests.
  bool holdsSections() const { return sectionsLive_.current(); }
  bool holdsTitles() const { return titlesLive_.current(); }
  MenuBarView* menuBarView() const { return _menuBarView.get(); }
  ui::TableView* tableView() const { return _tableView.get(); }

  // ui::ViewController
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // ui::TableViewDataSource / ui::TableViewDelegate
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

 private:
  foundation::Array NewsTitleArray_;
  int _selPartID = 0;
  // The menu item whose titles the table shows; -1 before the first.
  int _shownSection = -1;
  // Slot 0 the section list, 1 the titles of a section.
  PendingRequests<int> pending_;
  // Each asks again by itself until its answer came (after an error answer or none).
  RenewingRequest sectionsLive_;
  RenewingRequest titlesLive_;
  std::string _selAdditional;
  // Sends the titles request of the selected section (what is shown stays).
  void sendInfoTitle();
  std::vector<InfoSection> _infoList;
  MDBF _infoTitle;
  // The records of _infoTitle in the order the rows show them: newest first.
  std::vector<int> _rowRecords;
  std::shared_ptr<ui::TableView> _tableView;
  bool _bNeedRequest = false;
  std::shared_ptr<MenuBarView> _menuBarView;
  foundation::ObserversOf observers_{this};
};
