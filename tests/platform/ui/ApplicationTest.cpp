#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Object.h"
#include "platform/ui/View.h"

namespace {

using gfx::Rect;
using ui::Application;
using uitest::UiTest;

std::vector<std::string>* gLog = nullptr;

class LoggingDelegate : public ui::Object, public ui::ApplicationDelegate {
 public:
  bool applicationDidFinishLaunchingWithOptions(Application&) override {
    gLog->push_back("launch");
    return true;
  }
  void applicationWillResignActive(Application&) override { gLog->push_back("resign"); }
  void applicationDidEnterBackground(Application&) override { gLog->push_back("background"); }
  void applicationWillEnterForeground(Application&) override { gLog->push_back("foreground"); }
  void applicationDidBecomeActive(Application&) override { gLog->push_back("active"); }
  void applicationWillTerminate(Application&) override { gLog->push_back("terminate"); }
};

TEST_F(UiTest, DelegateMadeByClassNameHearsTheLifeCycleInOrder) {
  std::vector<std::string> log;
  gLog = &log;
  ui::ClassRegistry::shared().registerClass<LoggingDelegate>("LoggingDelegate");
  Application& app = Application::shared();
  std::vector<std::string> posted;
  auto& center = foundation::NotificationCenter::defaultCenter();
  auto id = center.addObserver(this, "ApplicationDidEnterBackgroundNotification",
                               [&](const foundation::Notification& n) {
                                 posted.push_back(n.name);
                                 EXPECT_EQ(n.object, &app);
                               });

  EXPECT_FALSE(app.launch("NoSuchDelegate"));
  EXPECT_FALSE(app.launch("LoggingView"));  // registered, but not a delegate
  ASSERT_TRUE(app.launch("LoggingDelegate"));
  EXPECT_EQ(app.state(), ui::ApplicationState::Active);
  app.enterBackground();
  app.enterBackground();  // already there: nothing more
  app.enterForeground();
  app.resignActive();
  app.becomeActive();
  app.terminate();
  EXPECT_EQ(log, (std::vector<std::string>{"launch", "active", "resign", "background", "foreground",
                                           "active", "resign", "active", "terminate"}));
  EXPECT_EQ(posted.size(), 1u);
  center.removeObserver(id);
  gLog = nullptr;
}

TEST(ClassRegistry, CreatesByNameAndChecksTheKind) {
  auto& registry = ui::ClassRegistry::shared();
  registry.registerClass<ui::View>("LoggingView");
  EXPECT_TRUE(registry.contains("LoggingView"));
  EXPECT_NE(registry.create<ui::View>("LoggingView"), nullptr);
  EXPECT_EQ(registry.create<ui::View>("Nope"), nullptr);
  EXPECT_EQ(registry.create<ui::ApplicationDelegate>("LoggingView"), nullptr);
  // A later registration replaces the factory.
  registry.registerClass("LoggingView", [] {
    auto v = ui::View::create();
    v->setTag(5);
    return std::static_pointer_cast<ui::Object>(v);
  });
  EXPECT_EQ(registry.create<ui::View>("LoggingView")->tag(), 5);
}

TEST_F(UiTest, UrlOpenerRecordsTheSchemesThatLeaveTheApplication) {
  Application& app = Application::shared();
  struct Case {
    const char* url;
    bool opens;
  };
  const Case cases[] = {{"tel:95555", true},
                        {"sms:10086", true},
                        {"mailto:a@b.cn?cc=c@d.cn&subject=%E4%BD%A0", true},
                        {"http://127.0.0.1:8080/f10", true},
                        {"https://example.com", true},
                        {"itms-apps://itunes.example/app", true},
                        {"ftp://host/file", false},
                        {"", false},
                        {"telephone", false}};
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    EXPECT_EQ(app.openURL(c.url), c.opens) << c.url;
    if (c.opens) expected.push_back(c.url);
  }
  EXPECT_EQ(app.openedURLs(), expected);
}

TEST_F(UiTest, FlagsStatusBarAndScreen) {
  Application& app = Application::shared();
  app.setApplicationIconBadgeNumber(3);
  app.setNetworkActivityIndicatorVisible(true);
  app.setStatusBarStyle(ui::StatusBarStyle::LightContent);
  EXPECT_EQ(app.applicationIconBadgeNumber(), 3);
  EXPECT_TRUE(app.isNetworkActivityIndicatorVisible());
  EXPECT_EQ(static_cast<int>(app.statusBarStyle()), 1);
  EXPECT_EQ(app.statusBarFrame(), Rect(0, 0, 320, 20));
  EXPECT_EQ(ui::Screen::main().applicationFrame(), Rect(0, 20, 320, 460));
  app.setStatusBarHidden(true);
  EXPECT_EQ(ui::Screen::main().applicationFrame(), Rect(0, 0, 320, 480));
  ui::Screen::main().setHeight(568);
  EXPECT_EQ(ui::Screen::main().bounds(), Rect(0, 0, 320, 568));
}

// A responder that takes typed text.
class Field : public ui::View {
 public:
  using View::View;
  bool canBecomeFirstResponder() const override { return true; }
  void insertText(const std::string& t) override { text += t; }
  void deleteBackward() override {
    if (!text.empty()) text.pop_back();
  }
  bool keyPressed(const std::string& name) override {
    keys.push_back(name);
    return true;
  }
  std::string text;
  std::vector<std::string> keys;
};

TEST_F(UiTest, TextGoesToTheKeyWindowsFirstResponder) {
  auto field = std::make_shared<Field>(Rect(0, 0, 100, 30));
  auto plain = ui::View::create(Rect(0, 40, 100, 30));
  window->addSubview(field);
  window->addSubview(plain);
  Application& app = Application::shared();
  app.sendText("ignored");  // no first responder yet
  EXPECT_FALSE(plain->becomeFirstResponder());
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_TRUE(field->isFirstResponder());
  app.sendText("600");
  app.sendText("0001");
  app.sendKey("BackSpace");
  app.sendKey("Return");
  EXPECT_EQ(field->text, "600000");
  EXPECT_EQ(field->keys, (std::vector<std::string>{"Return"}));

  // Ending editing in an ancestor resigns it; a detached field cannot become first responder.
  EXPECT_TRUE(window->endEditing(true));
  EXPECT_EQ(window->firstResponder(), nullptr);
  field->becomeFirstResponder();
  field->removeFromSuperview();
  EXPECT_EQ(window->firstResponder(), nullptr);
  EXPECT_FALSE(field->becomeFirstResponder());
}

TEST_F(UiTest, HigherWindowsTakeTouchesFirstAndDrawLast) {
  auto low = ui::View::create(Rect(0, 0, 320, 480));
  window->addSubview(low);
  auto overlay = ui::Window::create(Rect(185, 0, 135, 20));
  overlay->setWindowLevel(ui::WindowLevel::StatusBar + 1);
  auto message = ui::View::create(Rect(0, 0, 135, 20));
  overlay->addSubview(message);
  EXPECT_TRUE(overlay->isHidden());  // windows start hidden
  EXPECT_EQ(Application::shared().windowAtPoint(gfx::Point(200, 10)), window.get());
  overlay->setHidden(false);
  EXPECT_EQ(Application::shared().windowAtPoint(gfx::Point(200, 10)), overlay.get());
  EXPECT_EQ(Application::shared().windowAtPoint(gfx::Point(100, 10)), window.get());
  EXPECT_EQ(message->convertPointToView(gfx::Point(0, 0), low.get()), gfx::Point(185, 0));
  EXPECT_EQ(Application::shared().keyWindow(), window.get());
  auto order = Application::shared().windows();
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order.back(), overlay.get());
}

}  // namespace
