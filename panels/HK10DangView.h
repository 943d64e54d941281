// The Hong Kong ten-level page of the stock detail pager: under the price panel, the broker
// queues of the best ask and the best bid at the left and the ten ask and ten bid levels at the
// right. A tapped seat opens a pop-up with the seat's name, which the pager supplies.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/StockData.h"
#include "panels/HKJJPWView.h"
#include "panels/PageRoles.h"
#include "panels/PublicView.h"
#include "panels/QuoteRowsSource.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableView.h"
#include "shell/BaseView.h"

inline constexpr int kHKDetailTitleTag = 400;
inline constexpr int kHKDetailContentTag = 401;
// Width of the level table at the right.
inline constexpr double kHKLevelTableWidth = 100;
// Room between a level's volume and the table's right edge (the screen's).
inline constexpr double kLevelVolumeInset = 3;

class HK10DangView : public PublicView,
                     public HK10PageRole,
                     public QuoteRowsSource,
                     public ui::TableViewDelegate,
                     public myBaseViewDelegate {
 public:
  // Make it with PublicView::create<HK10DangView>: the build needs the shared owner.
  explicit HK10DangView(const gfx::Rect& frame = {});
  ~HK10DangView() override;

  // The price panel, then the two queues and the level table under it.
  void SetTrendPricePanel() override;
  // Handed to the bid side, then to the ask side.
  void setJJPWDelegate(std::weak_ptr<HKJJPWViewDelegate> delegate) override;
  // Replies and pushes alike: the panel, both queues, then the levels.
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override;
  // Both texts empty: pop-up and price bubbles hidden. Otherwise the pop-up shows them.
  void refreshDetailView(const std::string& title, const std::string& content) override;
  // Moves the pop-up there, kept on the page.
  void setDetailViewPoint(gfx::Point point);
  // Lays the pop-up over that band of a queue (whole rows of places, page coordinates): it hides
  // what it covers and covers no seat in part.
  void setDetailViewBand(const gfx::Rect& band);
  // Touches on the queues or on the shown pop-up are the page's own.
  bool isPointInScrollRect(const ui::TouchSet& touches) override;
  void myBaseViewDidClick(BaseView& view) override;
  void setBounds(const gfx::Rect& bounds) override;

  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;

  // "卖十" .. "卖一" for rows 0..9, "买一" .. "买十" for 10..19.
  static const char* levelName(int index);

  ui::TableView* tableView() const { return _tableViewMM.get(); }
  HKJJPWView* sellView() const { return _sellView.get(); }
  HKJJPWView* buyView() const { return _buyView.get(); }
  BaseView* detailView() const { return _detailView.get(); }
  gfx::Point detailViewPoint() const { return _ptDetailView; }
  // The pop-up's texts (empty before its first use).
  std::string detailTitle() const { return detailText(kHKDetailTitleTag); }
  std::string detailContent() const { return detailText(kHKDetailContentTag); }
  int32_t rowHeight() const { return _fRowHeight; }
  const tagLocalStockData& stockData() const { return m_stockdata; }

 private:
  // Levels on each side.
  static constexpr int kLevels = 10;

  void layoutPage();
  std::string detailText(int tag) const;

  tagLocalStockData m_stockdata{};
  std::shared_ptr<ui::TableView> _tableViewMM;
  int32_t _fRowHeight = 0;
  std::shared_ptr<HKJJPWView> _sellView;
  std::shared_ptr<HKJJPWView> _buyView;
  std::shared_ptr<BaseView> _detailView;
  gfx::Point _ptDetailView{0, 0};
  gfx::Rect _detailBand;  // empty: placed by the point
};
