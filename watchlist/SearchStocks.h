// The stock search screen: the user types a code or the initials of a name on the stock-code
// keyboard, the quote server lists the matching stocks, and the user picks one (the presenting
// screen hears it through SearchStocksDelegate) or adds and removes stocks of the stored watch
// list. With an empty field it lists the search history. Presented modally; in adding mode
// (opened from the watch-list editor) a row tap adds or removes instead of picking.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "watchlist/SearchSupport.h"
#include "widgets/CustomKeyboardView.h"

class SearchStocksDelegate {
 public:
  virtual ~SearchStocksDelegate() = default;
  // A stock was picked: NUL-terminated code, market, name (UTF-8) and stock type.
  virtual void SearchDone(const char* code, uint16_t market, const std::string& name,
                          uint16_t stockType) = 0;
};

class SearchStocks : public ui::ViewController,
                     public Extend::ScreenHooks,
                     public ui::TableViewDataSource,
                     public ui::TableViewDelegate,
                     public ui::TextFieldDelegate,
                     public ui::AlertViewDelegate,
                     public CustomKeyboardViewDelegate {
 public:
  static constexpr uint8_t kPageId = 11;
  static constexpr const char* kNotificationName = "SearchStocks";
  static constexpr int kRowViewTag = 231;
  static constexpr int kButtonTagBase = 300;
  static constexpr int kAlertTagBase = 100;

  SearchStocks();
  ~SearchStocks() override;
  static std::shared_ptr<SearchStocks> create() { return std::make_shared<SearchStocks>(); }

  void setDelegate(std::weak_ptr<SearchStocksDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  // YES: adding mode (a row tap adds or removes instead of picking).
  void setDisalbedSelect(bool disabled) { m_DisabledSelect = disabled; }
  bool disabledSelect() const { return m_DisabledSelect; }

  ui::NavigationBar* titleBar() const { return titleBar_.get(); }
  ui::TableView* tableView() const { return tableView_.get(); }
  ui::TextField* codeEdit() const { return codeEdit_.get(); }
  const std::vector<SearchRow>& StockList() const { return StockList_; }
  int selIndex() const { return iSelIndex; }
  bool isSearchPending() const { return m_searchTimer != nullptr; }

  // Sends one search for the key (its first 8 characters go out).
  void RequestData(const std::string& key);
  void recvmsg(const foundation::Notification& notification);

  void startSearchTimer();
  void stopSearchTimer();
  void handleSearchTimer();
  // The text rule: 1 to 9 characters restart the delay, none shows the history.
  void searchCodeTextDidChange(const std::string& text);
  void searchBarSearchButtonClicked();
  void AddButton(int tag);
  void DeleteButton(int tag);
  void SettingCancel();
  // Picks the row at the selected index.
  void SettingDone();
  // The market image of a market ("shanghai.png", "shenzhen.png", "hengseng.png"), or "".
  static std::string checkMarketType(int market);

  // ui::ViewController
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // ui::TableViewDataSource / ui::TableViewDelegate
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void scrollViewWillBeginDragging(ui::ScrollView& scrollView) override;

  // ui::TextFieldDelegate
  bool textFieldShouldReturn(ui::TextField& field) override;
  bool textFieldShouldClear(ui::TextField& field) override;
  bool textFieldShouldChangeCharactersInRange(ui::TextField& field, ui::TextRange range,
                                              const std::string& string) override;

  // ui::AlertViewDelegate
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;

  // CustomKeyboardViewDelegate: 0 insert, 1 backspace, 2 OK, 3 hide.
  void CustomKeyboardInput(int kind, const std::string& text) override;

 private:
  void pick(const SearchRow& row);
  void configureButton(ui::View& rowView, int row);
  // Stamps and marks the stored list changed and asks the shell for an upload.
  static void noteListChanged();
  void reload();

  std::weak_ptr<SearchStocksDelegate> delegate_;
  std::shared_ptr<ui::NavigationBar> titleBar_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::TextField> codeEdit_;
  std::vector<SearchRow> StockList_;
  int iSelIndex = -1;
  std::shared_ptr<foundation::Timer> m_searchTimer;
  bool m_DisabledSelect = false;
  tagSearchHit RetStockList[kSearchMaxHits];
  bool observing_ = false;
  // The field was cleared after the last search was asked: its answer is no longer wanted.
  bool clearedSinceRequest_ = false;
  // The stock each open removal question names, by alert tag.
  std::map<int, SearchRow> asked_;
};
