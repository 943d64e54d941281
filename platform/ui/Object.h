// Root of the reference-counted objects of the UI layer (views, controllers, application
// delegates) and the class registry that creates them by class name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object() = default;

  // The shared owner of this object as type T (null when it is not a T or not shared yet).
  template <class T>
  std::shared_ptr<T> sharedAs() {
    return std::dynamic_pointer_cast<T>(weak_from_this().lock());
  }
  template <class T>
  std::weak_ptr<T> weakAs() {
    return sharedAs<T>();
  }
};

// Classes registered under their names, so that configuration files and start-up code can create
// screens, views and delegates from a name. Main thread.
class ClassRegistry {
 public:
  using Factory = std::function<std::shared_ptr<Object>()>;

  static ClassRegistry& shared();

  // Replaces an earlier registration of the same name.
  void registerClass(const std::string& name, Factory factory);
  template <class T>
  void registerClass(const std::string& name) {
    registerClass(name, [] { return std::static_pointer_cast<Object>(std::make_shared<T>()); });
  }
  bool contains(const std::string& name) const;
  std::vector<std::string> names() const;

  // A new object of the named class, or null (and a log line) for an unknown name.
  std::shared_ptr<Object> create(const std::string& name) const;
  // The same, null also when the object is not a T (logged).
  template <class T>
  std::shared_ptr<T> create(const std::string& name) const {
    auto object = create(name);
    if (!object) return nullptr;
    auto typed = std::dynamic_pointer_cast<T>(object);
    if (!typed) logWrongType(name);
    return typed;
  }

 private:
  void logWrongType(const std::string& name) const;
  std::vector<std::pair<std::string, Factory>> factories_;
};

// Registers T under `name` during static initialisation:
//   static ui::ClassRegistration<MyScreen> reg("MyScreen");
// Static libraries drop unreferenced object files, so screens that rely on this must be
// referenced from the program (or register explicitly at start-up).
template <class T>
struct ClassRegistration {
  explicit ClassRegistration(const char* name) { ClassRegistry::shared().registerClass<T>(name); }
};

}  // namespace ui
