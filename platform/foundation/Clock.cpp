#include "platform/foundation/Clock.h"

#include <chrono>
#include <mutex>

namespace foundation {

// Defined in RunLoop.cpp: wakes every live loop after the manual clock moved.
void wakeAllRunLoops();

namespace {

std::mutex g_mutex;
bool g_manual = false;
TimeInterval g_manualNow = 0;
// Wall time minus monotonic time when the manual clock was set, so wallNow() follows it.
TimeInterval g_wallOffset = 0;

TimeInterval realNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

TimeInterval realWallNow() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

TimeInterval Clock::now() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_manual ? g_manualNow : realNow();
}

TimeInterval Clock::steadyNow() {
  return realNow();
}

TimeInterval Clock::wallNow() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_manual ? g_manualNow + g_wallOffset : realWallNow();
}

void Clock::setManual() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_manual) return;
    g_manualNow = realNow();
    g_wallOffset = realWallNow() - g_manualNow;
    g_manual = true;
  }
  wakeAllRunLoops();
}

void Clock::setReal() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_manual = false;
  }
  wakeAllRunLoops();
}

bool Clock::isManual() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_manual;
}

void Clock::advance(TimeInterval seconds) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_manual || !(seconds > 0)) return;
    g_manualNow += seconds;
  }
  wakeAllRunLoops();
}

void Clock::advanceTo(TimeInterval monotonic) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_manual || !(monotonic > g_manualNow)) return;
    g_manualNow = monotonic;
  }
  wakeAllRunLoops();
}

}  // namespace foundation
