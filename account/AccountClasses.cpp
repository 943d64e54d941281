#include "account/AccountClasses.h"

#include "account/AccountManager.h"
#include "account/RegisterViewController.h"
#include "account/SystemSetting.h"
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
  ScreenOpener::registerScreen("SplashViewController",
                               {[] { return KeptScreen(false); }, {}, true});
}
