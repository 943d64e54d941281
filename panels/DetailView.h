// The main-force page of the stock detail pager (menu "主力"): the order-size pie with the price
// and order figures at the top, a title row, then the buy-side and the sell-side table. The
// pager feeds it quote replies and pushes; the page sends nothing, stores nothing and has one
// layout for every security.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/StockData.h"
#include "panels/PageRoles.h"
#include "panels/ZLCC_FLCC.h"
#include "panels/ZLCC_PZZJ.h"
#include "panels/ZLLHDataView.h"
#include "panels/ZLLHTable.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/PageControl.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "widgets/CustomLabels.h"

class DetailView : public ui::View, public DetailPageRole, public ui::ScrollViewDelegate {
 public:
  // Use create: the inner scroll view needs the page's shared owner as its delegate.
  explicit DetailView(const gfx::Rect& frame);
  ~DetailView() override;
  static std::shared_ptr<DetailView> create(const gfx::Rect& frame);
  // Registers "DetailView", made at the pager's page size (320 by screen height - 166).
  static void registerClass();

  // Builds the first inner page: pie panel, title row and the two tables.
  void initRealView1();
  // Hands the last record to the tables and the pie panel again.
  void updateRealView1();
  // Puts the fund monitor (top two fifths) and the holding chart on the second inner page. The
  // page never builds that page itself; without one there is nowhere to put them.
  void initRealView2();
  void setRealView2(std::shared_ptr<ui::View> view) { _realView2 = std::move(view); }

  // Kept for the pager; the page itself does not use it.
  void setParentController(std::weak_ptr<ui::ViewController> controller) {
    _parentController = std::move(controller);
  }

  // Replies and pushes alike: the record goes to both tables and the pie panel, in that order.
  void SetDataInfo(const tagLocalStockData& quote, uint16_t isPush) override;
  // The page shows no ticks; nothing changes.
  void SetDetailData(const tagDealHead& head, const uint8_t* records) override;
  // Back to the inner scroll view's origin with scrolling on (after a new login).
  void refreshDetailViewState(int state) override;
  void scrollViewDidScroll(ui::ScrollView& scrollView) override;

  // Rise red, fall green, unchanged white.
  static gfx::Color CheckPriceColor(int32_t change);
  // "red-up.png", "green-down.png" or "stop.png".
  static gfx::Image CheckPriceUpDown(int32_t change);
  // "%.2fB" of value / 1e11 from 1e11 on, "%.2fM" of value / 1e8 from 1e8 on, else nothing.
  static std::optional<std::string> CalcDotBit(float value);
  // The number format with n decimals ("%.2f" for 2).
  static std::string DotBitNum(int32_t n);

  const tagLocalStockData& stockInfo() const { return StockInfo; }
  ui::ScrollView* scrollView() const { return _scrollView.get(); }
  ui::PageControl* pageControl() const { return _pageControl.get(); }
  ui::View* realView1() const { return _realView1.get(); }
  ZLLHDataView* dataView() const { return _lhDataView.get(); }
  CustomLabels* titleRow() const { return _titleRow.get(); }
  ZLLHTable* buyTable() const { return _buyTable.get(); }
  ZLLHTable* sellTable() const { return _sellTable.get(); }
  ui::View* realView2() const { return _realView2.get(); }
  ZLCC_PZZJ* pzzjView() const { return _pzzjView.get(); }
  ZLCC_FLCC* flccView() const { return _flccView.get(); }

 private:
  void build();

  std::shared_ptr<ui::ScrollView> _scrollView;
  std::shared_ptr<ui::View> _realView1;
  std::shared_ptr<ui::View> _realView2;
  std::shared_ptr<ui::PageControl> _pageControl;
  std::shared_ptr<ZLLHDataView> _lhDataView;
  std::shared_ptr<CustomLabels> _titleRow;
  std::shared_ptr<ZLLHTable> _buyTable;
  std::shared_ptr<ZLLHTable> _sellTable;
  // The holdings charts of the second inner page; that page is not built, so they stay empty.
  std::shared_ptr<ZLCC_PZZJ> _pzzjView;
  std::shared_ptr<ZLCC_FLCC> _flccView;
  std::weak_ptr<ui::ViewController> _parentController;
  tagLocalStockData StockInfo{};
};
