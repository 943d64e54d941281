#include "widgets/WidgetClasses.h"

#include "platform/ui/Object.h"
#include "widgets/BarClasses.h"
#include "widgets/InputClasses.h"
#include "widgets/ListCells.h"
#include "widgets/Table_TableView.h"

namespace {

template <class T>
void RegisterView(const char* name) {
  ui::ClassRegistry::shared().registerClass(
      name, [] { return std::static_pointer_cast<ui::Object>(T::create()); });
}

}  // namespace

void RegisterWidgetClasses() {
  RegisterView<Table_TableView>("Table_TableView");
  // Row views loaded as "tableViewCellContent" followed by their index (none for 0).
  RegisterView<ChangeDetailView>("tableViewCellContent");
  RegisterView<SelfStockListView>("tableViewCellContent1");
  RegisterView<ChangeDetailView2>("tableViewCellContent2");
  RegisterView<ChangeDetailView>("ChangeDetailView");
  RegisterView<SelfStockListView>("SelfStockListView");
  RegisterView<ChangeDetailView2>("ChangeDetailView2");
  RegisterBarClasses();
  RegisterInputClasses();
}
