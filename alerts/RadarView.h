// The radar alert list: a plain view that the watch list (its "资讯" item) and the stock detail
// pager (its "信息" page) feed with their radar replies. One row per alert, title over date; a
// tapped row opens the radar detail page on the host's navigation controller, and the list then
// serves that page its rows. The view also shows an alert's text inline (RadarContentView) and
// sends the request for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "alerts/InfoDelegates.h"
#include "core/MDBF.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextView.h"
#include "platform/ui/View.h"
#include "shell/ScreenRoles.h"

struct RadarRow;

// The inline content view's back button.
class RadarContentDelegate {
 public:
  virtual ~RadarContentDelegate() = default;
  virtual void Back() = 0;
};

// One row: the title over the date, a file icon and a separator line.
class RadarCell : public ui::TableViewCell {
 public:
  explicit RadarCell(const std::string& reuseIdentifier);
  static std::shared_ptr<RadarCell> create(const std::string& reuseIdentifier);

  ui::Label* TimeLabel() const { return timeLabel_.get(); }
  ui::Label* TitleLabel() const { return titleLabel_.get(); }
  ui::View* separator() const { return separator_.get(); }

  // The line stays at the row's bottom, under the date, however tall the row the table makes.
  void layoutSubviews() override;

 private:
  std::shared_ptr<ui::View> separator_;
  std::shared_ptr<ui::Label> timeLabel_;
  std::shared_ptr<ui::Label> titleLabel_;
};

// An alert's text over the list, with a back arrow.
class RadarContentView : public ui::View {
 public:
  explicit RadarContentView(const gfx::Rect& frame);
  static std::shared_ptr<RadarContentView> create(const gfx::Rect& frame);

  void setDelegate(std::weak_ptr<RadarContentDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  ui::TextView* ContentTextView() const { return contentTextView_.get(); }
  ui::Button* backButton() const { return backButton_.get(); }
  void toggleButton();

 private:
  std::weak_ptr<RadarContentDelegate> delegate_;
  std::shared_ptr<ui::TextView> contentTextView_;
  std::shared_ptr<ui::Button> backButton_;
};

// Asks the quote server for the text of the radar alert; false (logged as the sender's) when
// nothing went out.
bool SendRadarTextRequest(int64_t alertId, uint8_t pageId, uint16_t code, const char* sender);

class RadarView : public ui::View,
                  public RadarListRole,
                  public ui::TableViewDataSource,
                  public ui::TableViewDelegate,
                  public RadarContentDelegate,
                  public RadarDetailInfoDelegate {
 public:
  static constexpr int kNoItemsLabelTag = 301;
  static constexpr int kContentViewTag = 601;
  static constexpr double kRowHeight = 48;
  static constexpr const char* kCellIdentifier = "radar-cell";

  explicit RadarView(const gfx::Rect& frame = {});
  // Use this: the table is wired to the view once it is shared.
  static std::shared_ptr<RadarView> create(const gfx::Rect& frame = {});

  // RadarListRole
  void setPageId(int pageId) override { _nPageId = pageId; }
  void setCurrentNavigationController(ui::NavigationController* navigation) override;
  void updateNoItemsLabel(const std::string& text) override;
  void SetRadarTitle(const foundation::Data& record) override;
  void SetRadarTitle(const uint8_t* data, int size) override;

  // RadarDetailInfoDelegate
  foundation::Value currentInfoRecord(int index) override;
  int totalInfoRecord() override { return static_cast<int>(radarArray_.size()); }

  // RadarContentDelegate: closes the inline content view.
  void Back() override;

  // Asks the quote server for an alert's text (145/82 on the view's page).
  void RequestRadarContent(int64_t alertId);
  // Shows the text of the last record of the body over the list.
  void SetRadarContent(const uint8_t* data, int size);
  // "2015-1-2(今)": not used by the page itself.
  static std::string ChangeTimeFormat(int yyyymmdd);

  int pageId() const { return _nPageId; }
  bool IsShowContent() const { return IsShowContent_; }
  const foundation::Array& radarArray() const { return radarArray_; }
  void setRadarArray(foundation::Array rows) { radarArray_ = std::move(rows); }
  ui::TableView* tableView() const { return mTableView_.get(); }
  ui::NavigationController* currentNavigationController() const { return navigation_.lock().get(); }

  // ui::TableViewDataSource / ui::TableViewDelegate
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;

  void layoutSubviews() override;

 protected:
  // Gives the table its data source and delegate (needs the view shared).
  void wire();

 private:
  void appendRows(const std::vector<RadarRow>& rows);
  void listChanged();

  std::shared_ptr<ui::TableView> mTableView_;
  std::shared_ptr<ui::Label> noItemsLabel_;
  foundation::Array radarArray_;
  bool IsShowContent_ = false;
  int _nPageId = 13;
  MDBF m_listdbf;
  std::weak_ptr<ui::NavigationController> navigation_;
};
