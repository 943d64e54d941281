// The watch-list editor: deletes and moves rows of a working copy of the stored watch list,
// searches stocks with its own search bar and adds or removes them, and opens the stock search
// screen in adding mode ("添加"). "完成" hands the copy to its delegate, which stores and uploads
// it. Presented modally by the watch-list screen.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/ListBuffer.h"
#include "core/StockData.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/SearchBar.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "watchlist/SearchStocks.h"
#include "watchlist/SearchSupport.h"
#include "widgets/RenewingRequest.h"

class SettingDelegate {
 public:
  virtual ~SettingDelegate() = default;
  // The edited copy (items of tagCodeItem), sent by "完成" before the editor dismisses itself.
  virtual void FinishSelfStock(const TListBuffer& list) = 0;
};

class Setting : public ui::ViewController,
                public Extend::ScreenHooks,
                public ui::TableViewDataSource,
                public ui::TableViewDelegate,
                public ui::SearchBarDelegate,
                public ui::SearchDisplayDelegate,
                public ui::AlertViewDelegate,
                public SearchStocksDelegate {
 public:
  static constexpr uint8_t kPageId = 15;
  static constexpr const char* kNotificationName = "SettingStocks";
  static constexpr int kListRowViewTag = 228;
  static constexpr int kResultRowViewTag = 227;
  static constexpr int kButtonTagBase = 300;
  static constexpr int kAlertTagBase = 100;
  static constexpr int kMaxNameRequests = 455;
  static constexpr const char* kNoSuchCode = "该代码不存在";

  Setting();
  ~Setting() override;
  static std::shared_ptr<Setting> create() { return std::make_shared<Setting>(); }

  void setDelegate(std::weak_ptr<SettingDelegate> delegate) { delegate_ = std::move(delegate); }
  // Copies the given list (items of tagCodeItem) into the working copy and reloads the list.
  void SetStockArray(const TListBuffer& list);

  ui::TableView* selfstocklist() const { return selfstocklist_.get(); }
  ui::NavigationBar* YFBar() const { return YFBar_.get(); }
  ui::SearchBar* searchBar() const { return searchBar_.get(); }
  ui::SearchDisplayController* searchDisplay() const { return searchDisplay_.get(); }
  ui::TableView* resultTable() const;
  const TListBuffer& workingCopy() const { return m_listcode; }
  const std::vector<SearchRow>& filterList() const { return m_filterlist; }
  uint16_t searchRequestCode() const { return mRequestFlagCount[0]; }
  uint16_t namesRequestCode() const { return mRequestFlagCount[1]; }
  bool isSearchPending() const { return m_searchTimer != nullptr; }
  // The stock search screen "添加" opened last.
  std::shared_ptr<SearchStocks> searchScreen() const { return search_.lock(); }

  // "完成" and "添加".
  void SetSelfStockDone();
  void SetSelfStockCancel();
  void RequestData(const std::string& key);
  // Asks the names of the copy's stocks the quote cache has no name for (at most 455).
  // Returns the stocks asked for.
  int RequestData_StockName();
  void recvmsg(const foundation::Notification& notification);
  void AddButton(int tag);
  void DeleteButton(int tag);
  void startSearchTimer();
  void stopSearchTimer();
  void handleSearchTimer();
  static bool checkIfSelfStock(const char* code, int market);

  // SearchStocksDelegate: opens the stock detail screen.
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;

  // ui::ViewController
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // Both tables.
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  bool tableViewCanEditRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  bool tableViewCanMoveRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewCommitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                                   const ui::IndexPath& path) override;
  void tableViewMoveRowAtIndexPath(ui::TableView& table, const ui::IndexPath& from,
                                   const ui::IndexPath& to) override;

  // The search bar and its display controller.
  void searchDisplayControllerWillBeginSearch(ui::SearchDisplayController& controller) override;
  void searchBarTextDidChange(ui::SearchBar& bar, const std::string& text) override;
  void searchBarSearchButtonClicked(ui::SearchBar& bar) override;

  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

 private:
  // Index of the copy's item with this market and code, or -1.
  int findInCopy(int market, const std::string& code) const;
  void configureButton(ui::View& rowView, int row);
  void reloadBoth();
  void reloadResults();

  std::weak_ptr<SettingDelegate> delegate_;
  std::shared_ptr<ui::TableView> selfstocklist_;
  std::shared_ptr<ui::NavigationBar> YFBar_;
  std::shared_ptr<ui::Button> YFAddBtn;
  std::shared_ptr<ui::Button> YFDoneBtn;
  std::shared_ptr<ui::SearchBar> searchBar_;
  std::shared_ptr<ui::SearchDisplayController> searchDisplay_;
  TListBuffer m_listcode;
  std::vector<SearchRow> m_filterlist;
  uint16_t mRequestFlagCount[5] = {};
  // The names of the copy's stocks: asked again by themselves after an error answer or none.
  RenewingRequest namesRequest_;
  int iSelIndex = -1;
  std::shared_ptr<foundation::Timer> m_searchTimer;
  std::weak_ptr<SearchStocks> search_;
  tagSearchHit hits_[kSearchMaxHits];
  bool observing_ = false;
  // The stock each open removal question names, by alert tag.
  std::map<int, SearchRow> asked_;
};
