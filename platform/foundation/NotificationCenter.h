// Notifications: named broadcasts with an optional sender object and a userInfo Value.
//
// post() calls the matching observers synchronously on the posting thread, in the order they
// were added. The center is thread-safe: observers can be added and removed from any thread,
// also from inside a callback during a post. An observer removed during a post is not called
// by that post afterwards; an observer added during a post is first called by the next post.
// Removal on another thread than a post in progress may not stop a callback already running.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Value.h"

namespace foundation {

struct Notification {
  std::string name;
  // The sender; used only for matching and passed through (never dereferenced here).
  const void* object = nullptr;
  Value userInfo;
};

class NotificationCenter {
 public:
  using Callback = std::function<void(const Notification&)>;
  using ObserverId = std::uint64_t;  // never 0

  // The process-wide center.
  static NotificationCenter& defaultCenter();

  NotificationCenter();
  ~NotificationCenter();
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  // Calls `callback` for every post of `name` (empty: every name) whose object is `object`
  // (null: any object). `owner` groups observers for removeObserversOf(); it may be null.
  ObserverId addObserver(const void* owner, std::string name, Callback callback,
                         const void* object = nullptr);
  // Removes one observer. Unknown ids are ignored.
  void removeObserver(ObserverId id);
  // Removes every observer added with `owner`.
  void removeObserversOf(const void* owner);
  // Removes `owner`'s observers of `name` (and of `object` when not null).
  void removeObserversOf(const void* owner, std::string_view name, const void* object = nullptr);

  void post(const Notification& notification);
  void post(std::string name, const void* object = nullptr, Value userInfo = {});
  // Queues the post on the main run loop and returns at once (also when called on main).
  void postOnMain(Notification notification);
  void postOnMain(std::string name, const void* object = nullptr, Value userInfo = {});

  size_t observerCount() const;

 private:
  struct Observer;
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Observer>> observers_;
  ObserverId nextId_ = 1;
};

// Held as a member by an object that observes under its own address: when the object goes, so do
// its observers, without a destructor written for it.
class ObserversOf {
 public:
  explicit ObserversOf(const void* owner) : owner_(owner) {}
  ObserversOf(const ObserversOf&) = delete;
  ObserversOf& operator=(const ObserversOf&) = delete;
  ~ObserversOf() { NotificationCenter::defaultCenter().removeObserversOf(owner_); }

 private:
  const void* owner_;
};

}  // namespace foundation
