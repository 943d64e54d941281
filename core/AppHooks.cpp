#include "core/AppHooks.h"

#include <functional>
#include <mutex>

#include "platform/foundation/RunLoop.h"

namespace {

std::mutex g_hooksLock;
std::shared_ptr<AppHooks> g_hooks;

}  // namespace

void SetAppHooks(std::shared_ptr<AppHooks> hooks) {
  {
    std::lock_guard<std::mutex> guard(g_hooksLock);
    g_hooks.swap(hooks);
  }
  // The old hooks may go here; their destructor may ask for the hooks again.
}

std::shared_ptr<AppHooks> GetAppHooks() {
  std::lock_guard<std::mutex> guard(g_hooksLock);
  return g_hooks;
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
