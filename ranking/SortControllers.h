// The ranking screens by market: the main-force ranking, the Hong Kong lists of the "港股" tab,
// and the plain list the More grid opens by name.
#pragma once

#include "ranking/StockSort.h"

// Shanghai, Shenzhen and Hong Kong markets with the main-force columns; its rows open the detail
// screen on the main-force page.
class MainSortController : public StockSort {
 public:
  MainSortController();
  void viewDidLoad() override;
  void initMarketArray() override;
  void initTableParams() override;
  void CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const override;
  // The menu index of a pair; 0 for a pair not in the menu.
  int CheckMarketIndex(int market, int stockType) const override;
  // Always a sort request with the main-force fields.
  void RequestData(uint8_t market, uint8_t sortType, uint16_t stockType, int start,
                   int count) override;
  void updateCellContent(ui::TableViewCell& cell, ui::TableView& table, int position,
                         const ui::IndexPath& path) override;
  std::shared_ptr<ui::View> titleViewForTable_TableViewRightView(Table_TableView& view) override;

 protected:
  bool opensMainForcePage() const override { return true; }
  bool hidesBackButtonWhileShown() const override { return true; }
};

// The Hong Kong lists; "国企" and "红筹" are board lists. The title stays "港股".
class HKSortController : public StockSort {
 public:
  HKSortController();
  void initMarketArray() override;
  void CheckMarketType(int index, uint16_t& market, uint16_t& stockType) const override;
  int CheckMarketIndex(int market, int stockType) const override;
  void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) override;

 protected:
  bool hidesBackButtonWhileShown() const override { return true; }
};

// The base list unchanged, reached by class name.
class OneMarketSortController : public StockSort {};
