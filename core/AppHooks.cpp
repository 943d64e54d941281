#include "core/AppHooks.h"

#include <functional>
#include <mutex>

#include "platform/foundation/RunLoop.h"

namespace {

std::mutex g_hooksLock;
// Not owned: an owning global would keep the application's delegate (and its screens) alive
// past main into static destruction, where what their destructors call is already gone.
std::weak_ptr<AppHooks> g_hooks;

}  // namespace

void SetAppHooks(const std::shared_ptr<AppHooks>& hooks) {
  std::lock_guard<std::mutex> guard(g_hooksLock);
  g_hooks = hooks;
}

std::shared_ptr<AppHooks> GetAppHooks() {
  std::lock_guard<std::mutex> guard(g_hooksLock);
  return g_hooks.lock();
}

void CallAppHooksOnMain(std::function<void(AppHooks&)> call) {
  std::shared_ptr<AppHooks> hooks = GetAppHooks();
  if (!hooks || !call) return;
  // Always queued, even on main, so hooks and posts keep the order they were issued in.
  foundation::RunLoop::main()->perform(
      [hooks = std::move(hooks), call = std::move(call)] { call(*hooks); });
}

void ShowCoreAlert(CoreAlert alert) {
  CallAppHooksOnMain([alert = std::move(alert)](AppHooks& hooks) { hooks.showAlert(alert); });
}
