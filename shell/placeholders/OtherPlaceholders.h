// Stand-ins for screens the shell pushes: the account screen and the settings menu.
#pragma once

#include "shell/ScreenRoles.h"
#include "shell/placeholders/PlaceholderScreen.h"

class AccountManager : public PlaceholderScreen, public AccountRole {
 public:
  AccountManager() : PlaceholderScreen("账户管理") {}
  void setTabBarClickIndex(int index) override { clickIndex_ = index; }
  void setCloseAfterLogin(bool close) override { closeAfterLogin_ = close; }
  int tabBarClickIndex() const { return clickIndex_; }
  bool closeAfterLogin() const { return closeAfterLogin_; }

 private:
  int clickIndex_ = -1;
  bool closeAfterLogin_ = false;
};

class SystemSetting : public PlaceholderScreen {
 public:
  SystemSetting() : PlaceholderScreen("系统设置") {}
};
