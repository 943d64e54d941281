#include "shell/Extend.h"

#include <cstring>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/CairoContext.h"
#include "platform/net/Md5.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Responder.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"

namespace Extend {

std::shared_ptr<ui::Object> produceObject(const std::string& className) {
  const auto& registry = ui::ClassRegistry::shared();
  if (!registry.contains(className)) {
    foundation::logError("produceObject: no class named %s", className.c_str());
    return nullptr;
  }
  foundation::logVerbose("description === %s", className.c_str());
  auto object = registry.create(className);
  // Views and view controllers have an interface; plain objects do not.
  if (!std::dynamic_pointer_cast<ui::Responder>(object)) return nullptr;
  return object;
}

std::shared_ptr<ui::Object> defaultUsingXIB_iP5(const std::string& className) {
  const std::string tall = className + "_iP5";
  if (ui::ClassRegistry::shared().contains(tall)) return produceObject(tall);
  return produceObject(className);
}

void postNotificationNameOnMainThread(const std::string& name, const void* object,
                                      foundation::Value userInfo) {
  foundation::NotificationCenter::defaultCenter().postOnMain(name, object, std::move(userInfo));
}

void removeObservers(const void* owner) {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(owner);
}

std::string MD5(std::string_view text) {
  const size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  return net::md5Hex(text);
}

std::string MD5(const foundation::Data& data) {
  return net::md5Hex(data.data(), data.size());
}

gfx::Image scaleToSize(const gfx::Image& image, gfx::Size size) {
  gfx::ImageContext context(size, image.isEmpty() ? 1 : image.scale());
  if (!context.isValid()) return {};
  context.context().drawImage(image, gfx::Rect(0, 0, size.width, size.height));
  return context.image();
}

void setCenterOnMainThread(ui::View& view, std::string_view pointText) {
  if (pointText.empty()) return;
  view.setCenter(gfx::pointFromString(pointText));
}

void willActiveByClickTabBar(ui::Object* object) {
  if (auto* hooks = dynamic_cast<ScreenHooks*>(object)) hooks->willActiveByClickTabBar();
}

void revertViewController(ui::Object* object) {
  if (auto* hooks = dynamic_cast<ScreenHooks*>(object)) hooks->revertViewController();
}

void resizeClientViewForiOS7(ui::ViewController&) {}

void setNavigationBarColorForiOS7(ui::ViewController& controller) {
  ui::NavigationController* navigation = controller.navigationController();
  if (!navigation) return;
  navigation->navigationBar()->setTintColor(gfx::Color::black());
}

void willAppearOnMainThread(ui::ViewController& controller) {
  foundation::performOnMain([&controller] { controller.viewWillAppear(false); }, true);
}

void scheduleAction(const std::shared_ptr<ui::Object>& target, ThreadActionPtr action,
                    ThreadCache& cache) {
  if (!action) {
    foundation::logError("action must not be null");
    return;
  }
  action->addTarget(target);
  cache.addThreadAction(std::move(action));
}

void unscheduleAllActions(const ui::Object* target, ThreadCache& cache) {
  cache.removeActionWithTarget(target, true);
}

void unscheduleAllActionsWithNoClean(const ui::Object* target, ThreadCache& cache) {
  cache.removeActionWithTarget(target, false);
}

void pauseAllActions(const ui::Object* target, ThreadCache& cache) {
  cache.pauseActionsWithTarget(target);
}

void resumeAllActions(const ui::Object* target, ThreadCache& cache) {
  cache.resumeActionsWithTarget(target);
}

void scheduleUpdate(std::shared_ptr<TickTarget> object, ThreadCache& cache) {
  cache.addUpdateObjectWithTarget(std::move(object));
}

void unscheduleUpdate(const TickTarget* object, ThreadCache& cache) {
  cache.removeUpdateObjectWithTarget(object);
}

}  // namespace Extend
