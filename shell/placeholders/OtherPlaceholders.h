// Stand-ins for screens the shell pushes or keeps: the account screen, the settings menu, the
// login and splash screens.
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

class UILoginViewCtrl : public PlaceholderScreen {
 public:
  UILoginViewCtrl() : PlaceholderScreen("登录") {}
};

class SplashViewController : public PlaceholderScreen {
 public:
  SplashViewController() : PlaceholderScreen("") {}
};
