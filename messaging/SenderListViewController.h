// A screen holding one table; nothing in the client opens it. It never rotates.
#pragma once

#include <memory>

#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"

class SenderListViewController : public ui::ViewController {
 public:
  void loadView() override;
  void viewDidLoad() override;
  bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;
  ui::TableView* tableView() const { return tableView_.get(); }

 private:
  std::shared_ptr<ui::TableView> tableView_;
};
