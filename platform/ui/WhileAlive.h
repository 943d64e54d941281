// Callbacks that reach an object only while it lives. Observers, control targets, bar items,
// gestures and timers must not keep their screen alive, so each of them used to hold a weak
// pointer and lock it by hand; these build that callback once:
//
//   button->addTarget(ui::WhileAlive(this, &LoginScreen::login), ui::ControlEvent::TouchUpInside);
//   ui::Observe(this, "login", &LoginScreen::recvmsg);
//
// `fn` is a member function or a callable taking the object; the callback's own arguments (the
// notification, the control, the gesture...) are passed on when `fn` takes them and dropped when
// it takes none.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/foundation/NotificationCenter.h"

namespace ui {

namespace detail {

// Calls `fn` on `me` with the arguments it takes. (A function template, not a branch in the
// lambda below: clang checks a lambda's branch that does not depend on its arguments early.)
template <class T, class Fn, class... Args>
void CallAlive(const Fn& fn, T& me, Args&&... args) {
  if constexpr (std::is_invocable_v<const Fn&, T&, Args...>)
    std::invoke(fn, me, std::forward<Args>(args)...);
  else
    std::invoke(fn, me);
}

}  // namespace detail

template <class T, class Fn>
auto WhileAlive(std::weak_ptr<T> object, Fn fn) {
  return [object = std::move(object), fn = std::move(fn)](auto&&... args) {
    auto me = object.lock();
    if (!me) return;
    detail::CallAlive(fn, *me, std::forward<decltype(args)>(args)...);
  };
}

// `object` is a ui::Object (or has its weakAs); null before it is owned by a shared pointer, so
// the callback then does nothing.
template <class T, class Fn>
auto WhileAlive(T* object, Fn fn) {
  return WhileAlive(object->template weakAs<T>(), std::move(fn));
}

// Adds an observer of `name` owned by `object` (removeObserversOf(object) drops it) that calls
// `fn` while the object lives.
template <class T, class Fn>
foundation::NotificationCenter::ObserverId Observe(T* object, std::string name, Fn fn) {
  return foundation::NotificationCenter::defaultCenter().addObserver(
      object, std::move(name), WhileAlive(object, std::move(fn)));
}

}  // namespace ui
