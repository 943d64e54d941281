#include "messaging/SenderListViewController.h"

#include "platform/ui/Screen.h"
#include "shell/Extend.h"

void SenderListViewController::loadView() {
  auto root = ui::View::create(ui::Screen::main().applicationFrame());
  tableView_ = ui::TableView::create(root->bounds());
  root->addSubview(tableView_);
  setView(root);
}

void SenderListViewController::viewDidLoad() {
  Extend::resizeClientViewForiOS7(*this);
}

bool SenderListViewController::shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) {
  return false;
}
