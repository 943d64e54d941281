#include "widgets/StaleCheck.h"

#include <algorithm>

#include "core/NetworkThreads.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Invariants.h"

std::string StaleJudge::judge(const Freshness& f, double now, double lastAnswer) {
  if (f.renewals != renewals_) {
    renewals_ = f.renewals;
    renewedAt_ = now;
  }
  // Holding an answer, or never having asked: nothing to judge.
  if (f.current || f.notCurrentSince <= 0) {
    answerSeen_ = 0;
    return {};
  }
  const double baseline = std::max(f.notCurrentSince, renewedAt_);
  if (baseline != baseline_) {
    baseline_ = baseline;
    answerSeen_ = 0;
  }
  if (answerSeen_ <= 0 && lastAnswer > baseline) answerSeen_ = lastAnswer;
  if (answerSeen_ <= 0 || now - answerSeen_ < seconds_) return {};
  return foundation::format(
      "no current answer %.0f s after the server answered again (without one for %.0f s, asked "
      "again %d times)",
      now - answerSeen_, now - f.notCurrentSince, f.renewals);
}

void DeclareStaleCheck(ui::View& view, std::string screen,
                       std::function<std::optional<Freshness>()> look) {
  auto judge = std::make_shared<StaleJudge>();
  ui::addScreenInvariant(view, "stale", [judge, look = std::move(look),
                                         screen = std::move(screen)]() -> std::string {
    const std::optional<Freshness> f = look();
    if (!f) return {};
    const std::string why =
        judge->judge(*f, foundation::Clock::now(), LastQuoteAnswerAt());
    return why.empty() ? why : screen + ": " + why;
  });
}
