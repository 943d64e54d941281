// Opening screens by class name, for screens no user path reaches and for scripts and tests:
// the application installs open() as the runner's open handler. A class may register how it is
// made and a set-up that applies the words of the open step before its view loads. A controller
// is pushed on the selected tab's navigation controller (or laid over the window when it asks),
// a view is laid over the top screen's view. Until the tab bar shows (the start-up login), the
// request waits and runs when it shows. Main thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Object.h"

namespace ScreenOpener {

using Args = std::vector<std::string>;

struct Entry {
  // Makes the object; empty: a new object of the registered class.
  std::function<std::shared_ptr<ui::Object>()> make;
  // Applies the words (before the view loads); may be empty.
  std::function<void(ui::Object& object, const Args& args)> setup;
  // A controller whose view is laid over the whole window instead of being pushed.
  bool overWindow = false;
};

// Replaces an earlier entry of the same name.
void registerScreen(const std::string& className, Entry entry);
// Forgets every entry and waiting request (tests).
void reset();

// Opens the named screen: true when it was opened, or queued until the tab bar shows. An
// unknown class logs a line and opens nothing.
bool open(const std::string& className, const Args& args);
// Runs the requests that waited for the tab bar (the application calls it once the bar shows).
void openPending();
// Requests still waiting.
size_t pendingCount();

}  // namespace ScreenOpener
