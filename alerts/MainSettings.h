// The information settings screen ("资讯定制"): the five stocks of the scrolling bar, each
// replaced through the stock search, and the news sections with a switch each. Reached by class
// name from the More screen. The stocks go to the root screen of its navigation stack when it
// leaves (when that screen takes them); the switches change the caller's section dictionaries.
// The five stocks are kept in "selfstocklistself.plist" in the documents folder, written at
// every pick, so the screen shows the last choice when it opens again.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "alerts/InfoDelegates.h"
#include "core/StockData.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "watchlist/SearchStocks.h"

// A stock row: name over code.
class SettingsCell : public ui::View {
 public:
  explicit SettingsCell(const gfx::Rect& frame);
  static std::shared_ptr<SettingsCell> create(const gfx::Rect& frame);
  ui::Label* nameLabel() const { return nameLabel_.get(); }
  ui::Label* codeLabel() const { return codeLabel_.get(); }

 private:
  std::shared_ptr<ui::Label> nameLabel_;
  std::shared_ptr<ui::Label> codeLabel_;
};

// A news section row: its title.
class NewsSettingsCell : public ui::View {
 public:
  explicit NewsSettingsCell(const gfx::Rect& frame);
  static std::shared_ptr<NewsSettingsCell> create(const gfx::Rect& frame);
  ui::Label* TitleLabel() const { return titleLabel_.get(); }

 private:
  std::shared_ptr<ui::Label> titleLabel_;
};

class NewsTitleViewDelegate {
 public:
  virtual ~NewsTitleViewDelegate() = default;
  virtual void ExcuteNewsTitleShow(int tag) = 0;
};

// A tab-like title button that reports its view's tag.
class NewsTitleView : public ui::View {
 public:
  explicit NewsTitleView(const gfx::Rect& frame);
  static std::shared_ptr<NewsTitleView> create(const gfx::Rect& frame);
  void setDelegate(std::weak_ptr<NewsTitleViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  ui::Button* TitleBtn() const { return titleBtn_.get(); }
  ui::Label* NewsTitle() const { return newsTitle_.get(); }
  void toggleBtn();

 private:
  std::weak_ptr<NewsTitleViewDelegate> delegate_;
  std::shared_ptr<ui::Button> titleBtn_;
  std::shared_ptr<ui::Label> newsTitle_;
};

class MainSettings : public ui::ViewController,
                     public Extend::ScreenHooks,
                     public ui::TableViewDataSource,
                     public ui::TableViewDelegate,
                     public SearchStocksDelegate {
 public:
  static constexpr int kStockRows = 5;
  static constexpr double kRowHeight = 40;
  static constexpr int kFirstSubviewTag = 112;
  static constexpr int kStockCellTag = 330;
  static constexpr int kSearchButtonTag = 340;
  static constexpr int kSectionCellTag = 370;
  static constexpr int kSwitchTag = 380;
  // A section cannot be switched off while fewer than this many are on.
  static constexpr int kMinSectionsOn = 5;

  // Section dictionaries {"NewsSectionTitle": text, "Status": bool}, shared with the caller.
  using SectionList = std::vector<std::shared_ptr<foundation::Value>>;

  MainSettings();

  // The stored stocks of the scrolling bar: an array of at most five dictionaries {"code",
  // "market", "type", "name"}, one per row in row order (a row never picked has an empty code).
  static std::string StoredStocksPath();
  // Fills `out` from a stored document; the number of rows read (0 for anything unreadable).
  // Rows past a damaged entry are dropped; a code keeps at most 8 ASCII characters, a name 16
  // UTF-16 units.
  static int ReadStoredStocks(const foundation::Value& document,
                              std::array<tagLocalStockData, kStockRows>& out);
  static foundation::Value StoredStocksDocument(const tagLocalStockData* stocks, int n);

  // Keeps the first min(n, 5) records.
  void SetMainStockArray(const tagLocalStockData* stocks, int n);
  void SetSelectedNewsArray(const SectionList& sections);
  // Loads the stored stocks (as SetMainStockArray); false when none are stored.
  bool LoadStoredStocks();
  // The search button of a stock row (tag 340 + row).
  std::shared_ptr<ui::ViewController> AddButton(int tag);
  // The switch of a section row, already flipped by the user.
  void SwitchButton(ui::Switch& control);
  int IsTrueNum() const;

  const tagLocalStockData& stock(int row) const { return m_stockdata[static_cast<size_t>(row)]; }
  int stockNum() const { return m_stocknum; }
  const SectionList& sections() const { return NewsSelectStatArray; }
  ui::TableView* tableView() const { return mTableView.get(); }

  // SearchStocksDelegate: the pick replaces the row the search was opened for.
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;

  // ui::ViewController
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // ui::TableViewDataSource / ui::TableViewDelegate
  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::string tableViewTitleForHeaderInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

 private:
  std::shared_ptr<ui::TableView> mTableView;
  int _index = 0;
  // The search hid the index ticker; it comes back with this screen.
  bool searchHidTicker_ = false;
  std::array<tagLocalStockData, kStockRows> m_stockdata{};
  int m_stocknum = 0;
  std::vector<std::string> NewsSelectNameArray;
  SectionList NewsSelectStatArray;
};
