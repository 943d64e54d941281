// The whole client, headless on the real clock, against the test server's flood fault: 20 s
// with the watch list shown, then 20 s on the trend page of its first stock. Reported per
// phase: resident memory (peak, and above the idle figure after login), how late a 60 Hz frame
// clock on the main loop fires (99th percentile and worst), pushes handled per second on the
// main thread, and how long a script step (the tap that opens the stock) took.
//
// A watchdog stops the flood when the process passes 3 GB, so a client without flow control
// cannot take the machine down; "capped_after_s" then says when (0: never).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "account/AccountClasses.h"
#include "alerts/AlertClasses.h"
#include "core/AppHooks.h"
#include "core/CDataIP.h"
#include "core/CoreConfig.h"
#include "detail/TrendlineController.h"
#include "kline/KLineClasses.h"
#include "messaging/MessagingClasses.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Runner.h"
#include "platform/ui/Screen.h"
#include "ranking/RankingClasses.h"
#include "shell/VerdanAppDelegate.h"
#include "testserver/TestServer.h"
#include "watchlist/WatchlistClasses.h"
#include "widgets/WidgetClasses.h"

namespace {

constexpr double kPhaseSeconds = 20;
constexpr double kFrame = 1.0 / 60;
constexpr long kRssCapKb = 3L << 20;

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Samples the resident size every 20 ms; stops the flood past the cap.
class Watchdog {
 public:
  explicit Watchdog(testserver::TestServer& server)
      : server_(server), thread_([this] { loop(); }) {}
  ~Watchdog() {
    done_ = true;
    thread_.join();
  }
  long takePeakKb() { return peak_.exchange(ResidentKb()); }
  bool capped() const { return capped_; }
  // Seconds from the watchdog's start to the cap (0: not capped).
  double cappedAfter() const { return cappedAfter_; }

 private:
  void loop() {
    while (!done_) {
      long kb = ResidentKb();
      long seen = peak_.load();
      while (kb > seen && !peak_.compare_exchange_weak(seen, kb)) {
      }
      if (kb > kRssCapKb && !capped_.exchange(true)) {
        cappedAfter_ = Now() - started_;
        server_.stopFlood();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  testserver::TestServer& server_;
  std::atomic<long> peak_{0};
  std::atomic<bool> capped_{false};
  std::atomic<double> cappedAfter_{0};
  const double started_ = Now();
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// A 60 Hz frame clock on the main loop: how late each tick runs after its grid point.
class FrameClock {
 public:
  void start() {
    lateness_.clear();
    next_ = Now() + kFrame;
    timer_ = foundation::Timer::schedule(
        kFrame, true, [this](foundation::Timer&) { tick(); }, foundation::kCommonRunLoopModes);
  }
  void stop() {
    if (timer_) timer_->invalidate();
    timer_.reset();
  }
  double percentileMs(double p) const {
    if (lateness_.empty()) return 0;
    std::vector<double> sorted = lateness_;
    std::sort(sorted.begin(), sorted.end());
    size_t at = std::min(sorted.size() - 1, static_cast<size_t>(p * (sorted.size() - 1)));
    return sorted[at] * 1000;
  }
  double worstMs() const {
    return lateness_.empty() ? 0 : *std::max_element(lateness_.begin(), lateness_.end()) * 1000;
  }

 private:
  // Every frame of the grid counts: one the loop missed is as late as the tick that came.
  void tick() {
    double now = Now();
    if (next_ > now) lateness_.push_back(0);
    for (; next_ <= now; next_ += kFrame) lateness_.push_back(now - next_);
  }
  std::shared_ptr<foundation::Timer> timer_;
  std::vector<double> lateness_;
  double next_ = 0;
};

void Play(const std::string& script) {
  std::vector<ui::ScriptStep> steps;
  if (ui::parseScript(script, steps) == 0) ui::runScript(steps, {});
}

struct Phase {
  double p99 = 0, worst = 0, pushesPerSecond = 0, peakMb = 0;
};

Phase Measure(FrameClock& clock, Watchdog& watchdog, const std::atomic<uint64_t>& handled,
              const std::string& script) {
  watchdog.takePeakKb();
  const uint64_t before = handled.load();
  const double start = Now();
  clock.start();
  Play(script);
  clock.stop();
  Phase phase;
  phase.p99 = clock.percentileMs(0.99);
  phase.worst = clock.worstMs();
  phase.pushesPerSecond = static_cast<double>(handled.load() - before) / (Now() - start);
  phase.peakMb = static_cast<double>(watchdog.takePeakKb()) / 1024;
  return phase;
}

void BM_PushFlood(benchmark::State& state) {
  foundation::setLogLevel(foundation::LogLevel::Error);
  foundation::Clock::setReal();
  std::string tmpl = (std::filesystem::temp_directory_path() / "verdan-flood-XXXXXX").string();
  const char* made = ::mkdtemp(tmpl.data());
  const std::string documents = made ? made : "";
  foundation::setDocumentsDir(documents);
  foundation::setBundleDir(VERDAN_SOURCE_DIR "/resources");
  foundation::UserDefaults::resetStandard();
  ui::Screen::main().setHeight(480);
  VerdanAppDelegate::registerClasses();
  RegisterWidgetClasses();
  RegisterWatchlistClasses();
  RegisterRankingClasses();
  RegisterDetailClasses();
  RegisterKLineClasses();
  RegisterAccountClasses();
  RegisterMessagingClasses();
  RegisterAlertClasses();

  auto options = testserver::ServerOptions::Ephemeral();
  options.rights = "30,31,32,49";
  testserver::TestServer server(options);
  if (!server.start()) {
    state.SkipWithError("test server did not start");
    return;
  }
  std::atomic<uint64_t> handled{0};
  auto& center = foundation::NotificationCenter::defaultCenter();
  int owner = 0;
  center.addObserver(&owner, "", [&handled](const foundation::Notification& n) {
    // Receive records are posted with the application's hooks as their object.
    if (n.object && n.object == GetAppHooks().get()) handled.fetch_add(1);
  });

  Phase list, trend;
  double idleMb = 0, tapSeconds = 0;
  uint64_t sent = 0;
  double cappedAfter = 0;
  for (auto _ : state) {
    auto app = std::make_shared<VerdanAppDelegate>();
    ui::Application::shared().launch(app);
    CDataIP* auth = GetServerList(kServerListAuth);
    auth->Clear();
    auth->AddIP(("127.0.0.1:" + std::to_string(server.port(testserver::Role::Auth))).c_str());
    Play("wait 5");  // guest login, the watch list and its quotes
    idleMb = static_cast<double>(ResidentKb()) / 1024;
    Watchdog watchdog(server);
    FrameClock clock;
    server.startFlood({2 * kPhaseSeconds + 5, 0});
    list = Measure(clock, watchdog, handled, "wait " + std::to_string(kPhaseSeconds));
    const double tapStart = Now();
    Play("tap 250 155");
    tapSeconds = Now() - tapStart;
    trend = Measure(clock, watchdog, handled, "wait " + std::to_string(kPhaseSeconds));
    server.stopFlood();
    sent = server.floodPackets();
    cappedAfter = watchdog.cappedAfter();
    Play("wait 1");
    ui::Application::shared().terminate();
    ui::Application::shared().reset();
  }
  center.removeObserversOf(&owner);
  server.stop();
  std::error_code ec;
  std::filesystem::remove_all(documents, ec);

  state.counters["idle_mb"] = idleMb;
  state.counters["list_peak_mb"] = list.peakMb;
  state.counters["list_over_idle_mb"] = list.peakMb - idleMb;
  state.counters["list_late_p99_ms"] = list.p99;
  state.counters["list_late_worst_ms"] = list.worst;
  state.counters["list_pushes_per_s"] = list.pushesPerSecond;
  state.counters["tap_step_s"] = tapSeconds;
  state.counters["trend_peak_mb"] = trend.peakMb;
  state.counters["trend_over_idle_mb"] = trend.peakMb - idleMb;
  state.counters["trend_late_p99_ms"] = trend.p99;
  state.counters["trend_late_worst_ms"] = trend.worst;
  state.counters["trend_pushes_per_s"] = trend.pushesPerSecond;
  state.counters["flood_packets_sent"] = static_cast<double>(sent);
  state.counters["capped_after_s"] = cappedAfter;
}
BENCHMARK(BM_PushFlood)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
