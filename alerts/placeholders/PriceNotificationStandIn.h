// Stands in for the price-alert menu until it is built: "价格提醒" with one row "设置更改" that
// pushes the settings list.
#pragma once

#include <memory>

#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

class PriceNotificationStandIn : public ui::ViewController,
                                 public ui::TableViewDataSource,
                                 public ui::TableViewDelegate {
 public:
  void viewDidLoad() override;
  int tableViewNumberOfRowsInSection(ui::TableView&, int) override { return 1; }
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  ui::TableView* tableView() const { return table_.get(); }

 private:
  std::shared_ptr<ui::TableView> table_;
};

void RegisterPriceAlertPlaceholders();
