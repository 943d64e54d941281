#include "shell/ScreenRoles.h"

#include "platform/ui/NavigationController.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"

bool OpenStockDetail(ui::ViewController& from, const char* code, uint8_t market, uint8_t stockType,
                     int page) {
  if (!code) return false;
  auto* navigation = from.navigationController();
  if (!navigation) return false;
  auto pager = Extend::produceObject<ui::ViewController>("TrendlineController");
  auto* role = dynamic_cast<StockDetailRole*>(pager.get());
  if (!role) return false;
  role->SetStockInfo(code, market, stockType);
  navigation->pushViewController(pager, true);
  if (page >= 0) role->showSubPage(page);
  return true;
}
