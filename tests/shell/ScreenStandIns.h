// Screens and views of later folders that the shell makes by class name; this program links only
// the shell and the component kit, so it registers plain stand-ins under those names.
#pragma once

#include <memory>
#include <string>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Object.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "shell/MarqueeTicker.h"
#include "shell/ScreenRoles.h"
#include "shell/EmptyTabScreen.h"

class NamedScreenStandIn : public ui::ViewController, public Extend::ScreenHooks {
 public:
  explicit NamedScreenStandIn(std::string name) : className(std::move(name)) {}
  const std::string className;
};

// The market tab: keeps the list it was last asked to show.
class MarketTabStandIn : public EmptyTabScreen, public MarketListRole {
 public:
  MarketTabStandIn() : EmptyTabScreen("行情") {}
  bool showsTicker() const override { return true; }
  void updateViewWithDict(const foundation::Value& param) override { lastParam_ = param; }
  const foundation::Value& lastParam() const { return lastParam_; }

 private:
  foundation::Value lastParam_;
};

// The bottom ticker: counts what the shell asks and passes row touches to its delegate.
class TickerStandIn : public ui::View, public MarqueeViewRole {
 public:
  void setDelegate(std::weak_ptr<MarqueeViewDelegate> delegate) override {
    delegate_ = std::move(delegate);
  }
  void setIndexDelegate(std::weak_ptr<IndexMarqueeDelegate> delegate) override {
    indexDelegate_ = std::move(delegate);
  }
  void start() override { ++starts; }
  void updateIndex() override { ++updates; }
  void pauseAllActions() override { running = false; }
  void resumeAllActions() override { running = true; }
  std::shared_ptr<ui::View> barView() override { return sharedAs<ui::View>(); }
  void touchRow(int row) {
    if (auto delegate = indexDelegate_.lock()) {
      delegate->indexMarqueeTouchWillTouchWithIndexPath(*this, row);
      delegate->indexMarqueeTouchDidTouchWithIndexPath(*this, row);
    }
  }
  int starts = 0;
  int updates = 0;
  bool running = true;

 private:
  std::weak_ptr<MarqueeViewDelegate> delegate_;
  std::weak_ptr<IndexMarqueeDelegate> indexDelegate_;
};

// The first tab: a plain screen playing the watch-list role that counts what the shell asks.
class WatchListDouble : public EmptyTabScreen, public WatchListRole {
 public:
  WatchListDouble() : EmptyTabScreen("自选股") {}
  bool showsTicker() const override { return true; }
  void refreshTableShowType() override { ++refreshes_; }
  int refreshes() const { return refreshes_; }

 private:
  int refreshes_ = 0;
};

// The account screen of the account folder: remembers what the shell set.
class AccountManagerDouble : public EmptyTabScreen, public AccountRole {
 public:
  AccountManagerDouble() : EmptyTabScreen("账户管理") {}
  void setTabBarClickIndex(int index) override { clickIndex_ = index; }
  void setCloseAfterLogin(bool close) override { closeAfterLogin_ = close; }
  int tabBarClickIndex() const { return clickIndex_; }
  bool closeAfterLogin() const { return closeAfterLogin_; }

 private:
  int clickIndex_ = -1;
  bool closeAfterLogin_ = false;
};

// The settings menu of the account folder.
class SystemSettingDouble : public EmptyTabScreen {
 public:
  SystemSettingDouble() : EmptyTabScreen("系统设置") {}
};

inline void RegisterAccountDoubles() {
  ui::ClassRegistry::shared().registerClass<AccountManagerDouble>("AccountManager");
  ui::ClassRegistry::shared().registerClass<SystemSettingDouble>("SystemSetting");
}

// The message centre: counts what the shell asks; timeRequest starts one 60-second timer per
// process, as the real centre does.
class MessageCentreStandIn : public EmptyTabScreen, public MessageCentreRole {
 public:
  MessageCentreStandIn() : EmptyTabScreen("服务") {}
  ~MessageCentreStandIn() override {
    if (timer_) timer_->invalidate();
  }
  void initSomeFirst() override { ++inits_; }
  void revertToAllFunc() override { ++allRequests_; }
  void timeRequest() override {
    if (!processTimer().expired()) return;
    timer_ = foundation::Timer::schedule(60.0, true, [this](foundation::Timer&) { ++timerFires_; });
    processTimer() = timer_;
  }
  bool canShowMessage() override { return false; }
  int inits() const { return inits_; }
  int allRequests() const { return allRequests_; }
  int timerFires() const { return timerFires_; }
  bool timerRunning() const { return timer_ && timer_->isValid(); }

 private:
  static std::weak_ptr<foundation::Timer>& processTimer() {
    static std::weak_ptr<foundation::Timer> timer;
    return timer;
  }
  int inits_ = 0;
  int allRequests_ = 0;
  int timerFires_ = 0;
  std::shared_ptr<foundation::Timer> timer_;
};

inline void RegisterScreenStandIns() {
  RegisterAccountDoubles();
  ui::ClassRegistry::shared().registerClass<MessageCentreStandIn>("MyMessage");
  ui::ClassRegistry::shared().registerClass<TickerStandIn>(kMarqueeViewClassName);
  ui::ClassRegistry::shared().registerClass<MarketTabStandIn>("NewStockSort");
  ui::ClassRegistry::shared().registerClass<WatchListDouble>("SelfStockController");
  for (const char* name :
       {"HKSortController", "MainSortController", "MainPage", "TradeLoginViewController"}) {
    ui::ClassRegistry::shared().registerClass(name, [name] {
      return std::static_pointer_cast<ui::Object>(std::make_shared<NamedScreenStandIn>(name));
    });
  }
}
