// The screen invariant "stale": a screen on screen that has shown no current answer for some
// seconds after the quote server answered again. A screen that asks through a RenewingRequest
// declares it where its view is loaded:
//
//   DeclareStaleCheck(*view(), "article page", weakAs<Page>(), &Page::live_);
//
// A screen whose request keeps failing (the server stalls or refuses it) asks again each time,
// at most a time-out and a back-off apart: every asking again starts the count anew, so only a
// screen that has stopped asking, or never took the answer that came, is reported. The walker
// and the shots ask it with the other declared invariants.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/View.h"
#include "widgets/RenewingRequest.h"

// Seconds after the server answered again in which a screen must hold a current answer.
inline constexpr double kStaleSeconds = 10;

// What the check reads of a screen's request.
struct Freshness {
  bool current = false;
  double notCurrentSince = 0;  // 0: holds one, or has never asked
  int renewals = 0;
};

inline Freshness FreshnessOf(const RenewingRequest& live) {
  return {live.current(), live.notCurrentSince(), live.renewals()};
}

// The judge behind the invariant, for a clock and a server's last answer given (tests drive it).
class StaleJudge {
 public:
  explicit StaleJudge(double seconds = kStaleSeconds) : seconds_(seconds) {}
  // Empty while the screen is not stale; else why it is. `now` and `lastAnswer` on one clock.
  std::string judge(const Freshness& f, double now, double lastAnswer);

 private:
  double seconds_;
  int renewals_ = -1;
  double renewedAt_ = 0;   // when the check first saw the latest asking again
  double answerSeen_ = 0;  // the server's first answer seen after the screen's baseline
  double baseline_ = 0;
};

// Declares "stale" on `view` for the screen's request; `look` gives it (nullopt once the screen
// is gone).
void DeclareStaleCheck(ui::View& view, std::string screen,
                       std::function<std::optional<Freshness>()> look);

template <class Screen>
void DeclareStaleCheck(ui::View& view, std::string screen, std::weak_ptr<Screen> weak,
                       RenewingRequest Screen::*live) {
  DeclareStaleCheck(view, std::move(screen), [weak, live]() -> std::optional<Freshness> {
    auto self = weak.lock();
    if (!self) return std::nullopt;
    return FreshnessOf((*self).*live);
  });
}
