// Stand-ins for the tab screens: home information and trade login.
#pragma once

#include "shell/placeholders/PlaceholderScreen.h"

class MainPage : public PlaceholderScreen {
 public:
  MainPage() : PlaceholderScreen("资讯") {}
};

class TradeLoginViewController : public PlaceholderScreen {
 public:
  TradeLoginViewController() : PlaceholderScreen("交易") {}
};

