#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <atomic>

#include "platform/foundation/RunLoop.h"

namespace foundation {

struct NotificationCenter::Observer {
  ObserverId id;
  const void* owner;
  std::string name;
  const void* object;
  Callback callback;
  std::atomic<bool> removed{false};

  bool matches(const Notification& n) const {
    return (name.empty() || name == n.name) && (!object || object == n.object);
  }
};

NotificationCenter& NotificationCenter::defaultCenter() {
  // Never destroyed: threads winding down at exit may still post.
  static auto* center = new NotificationCenter;
  return *center;
}

NotificationCenter::NotificationCenter() = default;
NotificationCenter::~NotificationCenter() = default;

NotificationCenter::ObserverId NotificationCenter::addObserver(const void* owner, std::string name,
                                                               Callback callback,
                                                               const void* object) {
  auto observer = std::make_shared<Observer>();
  observer->owner = owner;
  observer->name = std::move(name);
  observer->object = object;
  observer->callback = std::move(callback);
  std::lock_guard<std::mutex> lock(mutex_);
  observer->id = nextId_++;
  observers_.push_back(observer);
  return observer->id;
}

void NotificationCenter::removeObserver(ObserverId id) {
  std::vector<std::shared_ptr<Observer>> gone;  // callbacks destroyed outside the lock
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(observers_.begin(), observers_.end(),
                         [id](const auto& o) { return o->id == id; });
  if (it == observers_.end()) return;
  (*it)->removed.store(true);
  gone.push_back(*it);
  observers_.erase(it);
}

void NotificationCenter::removeObserversOf(const void* owner) {
  std::vector<std::shared_ptr<Observer>> gone;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::stable_partition(observers_.begin(), observers_.end(),
                                  [owner](const auto& o) { return o->owner != owner; });
  for (auto j = it; j != observers_.end(); ++j) (*j)->removed.store(true);
  gone.assign(it, observers_.end());
  observers_.erase(it, observers_.end());
}

void NotificationCenter::removeObserversOf(const void* owner, std::string_view name,
                                           const void* object) {
  std::vector<std::shared_ptr<Observer>> gone;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::stable_partition(observers_.begin(), observers_.end(), [&](const auto& o) {
    return !(o->owner == owner && o->name == name && (!object || o->object == object));
  });
  for (auto j = it; j != observers_.end(); ++j) (*j)->removed.store(true);
  gone.assign(it, observers_.end());
  observers_.erase(it, observers_.end());
}

void NotificationCenter::post(const Notification& notification) {
  std::vector<std::shared_ptr<Observer>> targets;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& o : observers_)
      if (o->matches(notification)) targets.push_back(o);
  }
  for (const auto& o : targets) {
    // Removed by an earlier callback of this post (or by another thread meanwhile).
    if (o->removed.load()) continue;
    if (o->callback) o->callback(notification);
  }
}

void NotificationCenter::post(std::string name, const void* object, Value userInfo) {
  post(Notification{std::move(name), object, std::move(userInfo)});
}

void NotificationCenter::postOnMain(Notification notification) {
  RunLoop::main()->perform([this, n = std::move(notification)] { post(n); });
}

void NotificationCenter::postOnMain(std::string name, const void* object, Value userInfo) {
  postOnMain(Notification{std::move(name), object, std::move(userInfo)});
}

size_t NotificationCenter::observerCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return observers_.size();
}

}  // namespace foundation
