#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/WhileAlive.h"

namespace {

class WatchedScreen : public ui::Object {
 public:
  ~WatchedScreen() override {
    foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  }
  void tapped() { log.push_back("tapped"); }
  void heard(const foundation::Notification& n) { log.push_back("heard " + n.name); }
  void control(ui::Control& c) { log.push_back("control " + std::to_string(c.tag())); }
  std::vector<std::string> log;
};

// The callback passes its arguments on only to what takes them, reaches a living object only,
// and is harmless once the object is gone (the observer stays registered but reaches nobody).
TEST(WhileAlive, CallsTheLivingObjectWithTheArgumentsItTakes) {
  auto screen = std::make_shared<WatchedScreen>();
  auto button = ui::Button::create(gfx::Rect(0, 0, 10, 10));
  button->setTag(7);
  button->addTarget(ui::WhileAlive(screen.get(), &WatchedScreen::tapped),
                    ui::ControlEvent::TouchUpInside);
  button->addTarget(ui::WhileAlive(screen.get(), &WatchedScreen::control),
                    ui::ControlEvent::TouchUpInside);
  button->addTarget(
      ui::WhileAlive(screen.get(), [](WatchedScreen& s) { s.log.push_back("lambda"); }),
      ui::ControlEvent::TouchUpInside);
  ui::Observe(screen.get(), "ping", &WatchedScreen::heard);
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  foundation::NotificationCenter::defaultCenter().post("ping");
  EXPECT_EQ(screen->log, (std::vector<std::string>{"tapped", "control 7", "lambda", "heard ping"}));

  // Held weakly: the callbacks do not keep the screen, and after it goes they do nothing.
  std::weak_ptr<WatchedScreen> gone = screen;
  auto late = ui::WhileAlive(screen.get(), &WatchedScreen::tapped);
  screen.reset();
  EXPECT_TRUE(gone.expired());
  late();
  button->sendActionsForControlEvents(ui::ControlEvent::TouchUpInside);
  foundation::NotificationCenter::defaultCenter().post("ping");

  // An object not yet owned by a shared pointer gets a callback that reaches nobody.
  WatchedScreen unowned;
  ui::WhileAlive(&unowned, &WatchedScreen::tapped)();
  EXPECT_TRUE(unowned.log.empty());
}

}  // namespace
