// The client launched against the in-process test server with a chosen user and rights, and
// the watch-list screens presented over its tab bar with a test delegate standing in for the
// watch list.
#pragma once

#include <string>
#include <vector>

#include "core/SelfStock.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Touch.h"
#include "tests/shell/StartupTestSupport.h"
#include "watchlist/SearchStocks.h"
#include "watchlist/Setting.h"

namespace watchlisttest {

struct Picked {
  std::string code;
  int market = 0;
  std::string name;
  int type = 0;
};

// Stands in for the watch list: records what the screens hand it.
class ListStandIn : public SearchStocksDelegate, public SettingDelegate {
 public:
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override {
    picked.push_back({code, market, name, stockType});
  }
  void FinishSelfStock(const TListBuffer& list) override {
    finished.clear();
    for (int i = 0; i < list.GetCount(); ++i)
      finished.push_back(*reinterpret_cast<const tagCodeItem*>(list.GetAt(i)));
    ++finishCount;
  }
  std::vector<Picked> picked;
  std::vector<tagCodeItem> finished;
  int finishCount = 0;
};

class WatchlistTest : public startuptest::StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    ui::AlertView::dismissAll();
    standIn = std::make_shared<ListStandIn>();
  }
  void TearDown() override {
    if (app && app->tabBarController() && app->tabBarController()->presentedViewController())
      app->tabBarController()->dismissModalViewControllerAnimated(false);
    StartupTest::TearDown();
  }

  // Logs in (a guest when the user is empty) with the rights the server grants that user.
  void LogIn(const std::string& user = "", const std::string& rights = "30,31,49") {
    server->setRights(user, rights);
    Launch([&] { SetLoginInfo(user.c_str(), user.empty() ? "" : "secret"); });
    ASSERT_TRUE(LoggedInAndShown());
    Settle();
    ui::AlertView::dismissAll();
  }

  ui::ViewController& Host() { return *app->tabBarController(); }
  ui::ViewController* Presented() { return Host().presentedViewController(); }

  std::shared_ptr<SearchStocks> OpenSearch(bool adding = false) {
    auto screen = SearchStocks::create();
    screen->setDelegate(standIn);
    screen->setDisalbedSelect(adding);
    Host().presentModalViewController(screen, false);
    advance(0.5);
    return screen;
  }
  std::shared_ptr<Setting> OpenEditor() {
    auto screen = Setting::create();
    screen->setDelegate(standIn);
    TListBuffer stored;
    SelfStock_CopyList(stored);
    screen->SetStockArray(stored);
    Host().presentModalViewController(screen, false);
    advance(0.5);
    return screen;
  }

  // Types keys on the stock-code keyboard.
  static void Type(SearchStocks& screen, const std::vector<std::string>& keys) {
    for (const auto& k : keys) screen.CustomKeyboardInput(kKeyboardInputText, k);
  }
  // Taps a key of the stock-code keyboard on screen ("btn600", "btnNumBack", ...). False when
  // the keyboard or the key is not showing.
  bool TapKey(SearchStocks& screen, const std::string& outlet) {
    auto* keyboard = dynamic_cast<CustomKeyboardView*>(screen.codeEdit()->inputView().get());
    ui::Button* key = keyboard ? keyboard->outlet(outlet) : nullptr;
    if (!key || !key->window()) return false;
    gfx::Point p = key->convertPointToView(key->bounds().center(), nullptr);
    p = p.offset(key->window()->frame().x(), key->window()->frame().y());
    ui::Application::shared().sendTouch(ui::TouchPhase::Began, 0, p);
    ui::Application::shared().sendTouch(ui::TouchPhase::Ended, 0, p);
    return true;
  }
  // Waits for the list to change from `before`.
  bool WaitForRows(SearchStocks& screen, size_t count) {
    return pump([&] { return screen.StockList().size() == count; });
  }
  bool WaitForNewRows(SearchStocks& screen) {
    const std::vector<SearchRow> before = screen.StockList();
    return pump([&] {
      const auto& now = screen.StockList();
      if (now.size() != before.size()) return true;
      for (size_t i = 0; i < now.size(); ++i)
        if (now[i].StockCode != before[i].StockCode || now[i].Market != before[i].Market)
          return true;
      return false;
    });
  }
  // Lets the request go out and its answer come back.
  void Quiet(double seconds = 0.3) {
    pump([] { return false; }, seconds);
  }

  static std::vector<std::string> Codes(const std::vector<SearchRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r.StockCode);
    return out;
  }
  static std::vector<std::string> Codes(const TListBuffer& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.GetCount(); ++i)
      out.emplace_back(reinterpret_cast<const tagCodeItem*>(list.GetAt(i))->code);
    return out;
  }
  static std::vector<std::string> StoredCodes() {
    TListBuffer list;
    SelfStock_CopyList(list);
    return Codes(list);
  }
  static bool AlertShowing(const std::string& message) {
    for (auto& alert : ui::AlertView::visibleAlerts())
      if (alert->message() == message) return true;
    return false;
  }
  // Fills the stored list to its limit with stocks the server does not know.
  static void FillStoredList() {
    std::vector<tagCodeItem> items(kSelfStockMaxItems);
    for (size_t i = 0; i < items.size(); ++i) {
      std::snprintf(items[i].code, sizeof items[i].code, "7%05d", static_cast<int>(i));
      items[i].market = 2;
    }
    SelfStock_ReplaceAll(items.data(), static_cast<int>(items.size()));
    SelfStock_SetDirty(0);
  }

  std::shared_ptr<ListStandIn> standIn;
};

}  // namespace watchlisttest
