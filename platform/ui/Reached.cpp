#include "platform/ui/Reached.h"

#include <map>

namespace ui {

namespace {

struct ReachedState {
  ReachedListener listener;
  std::map<std::string, std::string> last;
};

ReachedState& reachedState() {
  static ReachedState state;
  return state;
}

}  // namespace

void noteReached(const std::string& area, const std::string& place) {
  ReachedState& state = reachedState();
  auto [at, added] = state.last.try_emplace(area, place);
  if (!added) {
    if (at->second == place) return;
    at->second = place;
  }
  // A copy: the listener may set another listener.
  if (ReachedListener listener = state.listener) listener(area, place);
}

void setReachedListener(ReachedListener listener) {
  ReachedState& state = reachedState();
  state.listener = std::move(listener);
  state.last.clear();
}

std::string reachedPlace(const std::string& area) {
  const ReachedState& state = reachedState();
  const auto at = state.last.find(area);
  return at == state.last.end() ? std::string() : at->second;
}

}  // namespace ui
