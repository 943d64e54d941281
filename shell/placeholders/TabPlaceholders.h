// Stand-in for the trade tab.
#pragma once

#include "shell/placeholders/PlaceholderScreen.h"

class TradeLoginViewController : public PlaceholderScreen {
 public:
  TradeLoginViewController() : PlaceholderScreen("交易") {}
};

