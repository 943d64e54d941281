#include "alerts/placeholders/PriceNotificationStandIn.h"

#include "alerts/PriceNotificationModifySetting.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Object.h"

void PriceNotificationStandIn::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  setTitle("价格提醒");
  table_ = ui::TableView::create(view()->bounds(), ui::TableViewStyle::Grouped);
  table_->setDataSource(sharedAs<ui::TableViewDataSource>());
  table_->setDelegate(sharedAs<ui::TableViewDelegate>());
  view()->addSubview(table_);
}

std::shared_ptr<ui::TableViewCell> PriceNotificationStandIn::tableViewCellForRowAtIndexPath(
    ui::TableView&, const ui::IndexPath&) {
  auto cell = ui::TableViewCell::create(ui::TableViewCellStyle::Value1, "PriceNotificationTableCell");
  cell->textLabel()->setText("设置更改");
  cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
  return cell;
}

void PriceNotificationStandIn::tableViewDidSelectRowAtIndexPath(ui::TableView& table,
                                                                const ui::IndexPath& path) {
  table.deselectRowAtIndexPath(path, true);
  if (auto* navigation = navigationController())
    navigation->pushViewController(std::make_shared<PriceNotificationModifySetting>(), true);
}

void RegisterPriceAlertPlaceholders() {
  ui::ClassRegistry::shared().registerClass<PriceNotificationStandIn>("PriceNotification");
}
