// The panels' lists (order book, ticks, quote and index rows, main-force tables) show what the
// server sends: no row of them can be deleted, so a sideways swipe over one offers no delete.
#pragma once

#include "platform/ui/TableView.h"

class QuoteRowsSource : public ui::TableViewDataSource {
 public:
  bool tableViewCanEditRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override {
    (void)table;
    (void)path;
    return false;
  }
};
