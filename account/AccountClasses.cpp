#include "account/AccountClasses.h"

#include <cstdlib>

#include "account/AccountManager.h"
#include "account/RegisterViewController.h"
#include "account/SmsVerify.h"
#include "account/SystemSetting.h"
#include "account/TradeLoginViewController.h"
#include "account/TraderSelect.h"
#include "account/UIHKTransferViewController.h"
#include "account/UILoginViewCtrl.h"
#include "platform/ui/Object.h"
#include "shell/ScreenOpener.h"
#include "shell/VerdanAppDelegate.h"

namespace {

// The login and splash screens open as the application's own instances, over the window.
std::shared_ptr<ui::Object> KeptScreen(bool login) {
  auto* app = VerdanAppDelegate::sharedAppDelegate();
  if (!app) return nullptr;
  if (login) return app->loginViewControllerShared();
  auto* splash = app->splashView();
  return splash ? splash->sharedAs<ui::Object>() : nullptr;
}

}  // namespace

void RegisterAccountClasses() {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<RegisterViewController>("RegisterViewController");
  registry.registerClass<UIRegisterViewCtrl>("UIRegisterViewCtrl");
  registry.registerClass<UILoginViewCtrl>("UILoginViewCtrl");
  registry.registerClass<SplashViewController>("SplashViewController");
  registry.registerClass<AccountManager>("AccountManager");
  registry.registerClass<SystemSetting>("SystemSetting");
  registry.registerClass<AboutUS>("AboutUS");
  registry.registerClass<YourSuggestion>("YourSuggestion");
  registry.registerClass<TradeLoginViewController>("TradeLoginViewController");
  registry.registerClass("UIHKTransferViewController",
                         [] { return std::static_pointer_cast<ui::Object>(MakeTransferScreen(0)); });
  registry.registerClass<UIHKTransferSMViewController>("UIHKTransferSMViewController");
  registry.registerClass("TraderTypeSelectView", [] {
    return std::static_pointer_cast<ui::Object>(
        TraderTypeSelectView::initWithFrame(gfx::Rect(10, 0, 300, 90)));
  });
  registry.registerClass<TraderSelectViewController>("TraderSelectViewController");
  registry.registerClass<TraderInfoController>("TraderInfoController");
  registry.registerClass("UserVerifyView",
                         [] { return std::static_pointer_cast<ui::Object>(UserVerifyView::create()); });
  registry.registerClass<MessageViewController>("MessageViewController");

  // "open RegisterViewController [USER]"
  ScreenOpener::registerScreen(
      "RegisterViewController",
      {{}, [](ui::Object& screen, const ScreenOpener::Args& args) {
         if (auto* form = dynamic_cast<RegisterViewController*>(&screen); form && !args.empty())
           form->setUser(args[0]);
       }});
  // "open UILoginViewCtrl [USER [PASSWORD]]"
  ScreenOpener::registerScreen(
      "UILoginViewCtrl", {[] { return KeptScreen(true); },
                          [](ui::Object& screen, const ScreenOpener::Args& args) {
                            auto* login = dynamic_cast<UILoginViewCtrl*>(&screen);
                            if (login && !args.empty())
                              login->setLoginInfo(args[0], args.size() > 1 ? args[1] : "");
                          },
                          true});
  // "open UIHKTransferViewController [TYPE]": 0 bank to securities, 1 out, 2 bank balance.
  ScreenOpener::registerScreen(
      "UIHKTransferViewController",
      {{}, [](ui::Object& screen, const ScreenOpener::Args& args) {
         if (auto* transfer = dynamic_cast<UIHKTransferViewController*>(&screen); transfer && !args.empty())
           transfer->setTransferType(std::atoi(args[0].c_str()) % 3);
       }});
  // "open TraderSelectViewController [LISTTYPE [BROKER]]": 0 brokers, 1 one broker's branches.
  ScreenOpener::registerScreen(
      "TraderSelectViewController",
      {{}, [](ui::Object& screen, const ScreenOpener::Args& args) {
         auto* list = dynamic_cast<TraderSelectViewController*>(&screen);
         if (!list) return;
         list->setListType(args.empty() ? 0 : std::atoi(args[0].c_str()),
                           args.size() > 1 ? std::atoi(args[1].c_str()) : 0);
       }});
  ScreenOpener::registerScreen("SplashViewController",
                               {[] { return KeptScreen(false); }, {}, true});
}
