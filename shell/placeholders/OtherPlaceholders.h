// Stand-ins for screens the shell pushes or keeps: the account screen, the settings menu, the
// login and splash screens and the stock detail pager.
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

// Shows the stock it was given and its quote from the cache.
class TrendlineController : public PlaceholderScreen, public StockDetailRole {
 public:
  TrendlineController() : PlaceholderScreen("个股详情") {}
  void SetStockInfo(const char* code, uint8_t market, uint8_t stockType) override;
  void UpdateStockInfo(const char* code, uint8_t market, uint8_t stockType) override;
  void setInitShowIndexType(int8_t type) override { initShowIndexType_ = type; }
  void setDelegate(std::weak_ptr<TrendlineRecordDelegate> delegate) override {
    recordDelegate_ = std::move(delegate);
  }
  void updateCurrentView(int row) override { currentRow_ = row; }
  std::vector<std::string> lines() const override;
  const std::string& code() const { return code_; }
  int market() const { return market_; }
  int stockType() const { return stockType_; }
  int updates() const { return updates_; }
  int initShowIndexType() const { return initShowIndexType_; }
  std::shared_ptr<TrendlineRecordDelegate> recordDelegate() const { return recordDelegate_.lock(); }
  int currentRow() const { return currentRow_; }

 private:
  std::string code_;
  int market_ = 0;
  int stockType_ = 0;
  int updates_ = 0;
  int initShowIndexType_ = 0;
  std::weak_ptr<TrendlineRecordDelegate> recordDelegate_;
  int currentRow_ = -1;
};
