// The first tab as the shell's tests see it: a plain screen playing the watch-list role that
// counts what the shell asks of it. Registered as "SelfStockController" for this test program.
#pragma once

#include "shell/ScreenRoles.h"
#include "shell/placeholders/PlaceholderScreen.h"

class WatchListDouble : public PlaceholderScreen, public WatchListRole {
 public:
  WatchListDouble() : PlaceholderScreen("自选股") {}
  bool showsTicker() const override { return true; }
  void refreshTableShowType() override { ++refreshes_; }
  int refreshes() const { return refreshes_; }

 private:
  int refreshes_ = 0;
};
