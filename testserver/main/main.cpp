// verdan-testserver: the loopback servers on their default ports (or the given ones) until
// interrupted.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/foundation/Log.h"
#include "testserver/TestServer.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
  gStop = 1;
}

void Usage() {
  std::fprintf(
      stderr,
      "usage: verdan-testserver [--seed N] [--date YYYYMMDD] [--minute HHMM]\n"
      "                         [--step SECONDS] [--play] [--verbose] [--ephemeral]\n"
      "                         [--auth P] [--quote P] [--verify P] [--trade P]\n"
      "                         [--message P] [--pricealert P] [--http P]\n"
      "                         [--rights LIST]   rights every login grants, e.g. 30,31,32,49\n"
      "                         [--kline-parts]   long K-line answers in numbered parts\n"
      "                         [--chaos SEED]    misbehave at random (seeded): stalls, late\n"
      "                             answers, error answers, dropped and refused connections\n"
      "                         [--away AT SECONDS]  gone AT seconds after the start for\n"
      "                             SECONDS: connections closed, connects refused\n"
      "                         [--flood SECONDS] [--flood-rounds N]\n"
      "                             push to every logged-in quote connection as fast as it\n"
      "                             reads, for SECONDS from the first push and/or N rounds\n"
      "\n"
      "The market clock. --date picks the trading day (default today), --minute the minute of\n"
      "that day the market stands at; a given minute holds, whatever the date, and the market\n"
      "keeps the quotes of that minute. Before a market's open it shows its last session (a\n"
      "Monday's the Friday's), after its close the whole day; a weekend date shows Friday's\n"
      "session all day. Without --minute the market starts at the wall clock's minute and\n"
      "moves every --step seconds (default 3; 0 never): today it follows the wall clock,\n"
      "another date plays one minute per step. Example: --date 20261208 --minute 1030.\n"
      "With --play a given minute is only where the market starts: it plays one minute per\n"
      "step from there (a live session at a chosen hour, whatever the wall clock says), and\n"
      "past midnight on into the next day.\n");
}

}  // namespace

int main(int argc, char** argv) {
  testserver::ServerOptions options;
  options.stepInterval = 3;
  bool verbose = false;
  bool klineParts = false;
  bool flood = false;
  testserver::FloodOptions floodOptions;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](long* out) {
      if (i + 1 >= argc) return false;
      char* end = nullptr;
      *out = std::strtol(argv[++i], &end, 10);
      return end && *end == 0;
    };
    long v = 0;
    bool ok = true;
    int role = -1;
    if (a == "--verbose" || a == "-v") {
      verbose = true;
    } else if (a == "--ephemeral") {
      options.ports.fill(0);
    } else if (a == "--seed") {
      ok = value(&v);
      options.seed = static_cast<uint64_t>(v);
    } else if (a == "--date") {
      ok = value(&v);
      options.date = static_cast<int32_t>(v);
    } else if (a == "--minute") {
      ok = value(&v);
      options.minute = static_cast<int>(v / 100 * 60 + v % 100);
    } else if (a == "--play") {
      options.play = true;
    } else if (a == "--step") {
      ok = value(&v);
      options.stepInterval = static_cast<double>(v);
    } else if (a == "--rights") {
      ok = i + 1 < argc;
      if (ok) options.rights = argv[++i];
      for (char ch : options.rights) ok = ok && ((ch >= '0' && ch <= '9') || ch == ',');
    } else if (a == "--flood") {
      ok = value(&v) && v > 0;
      floodOptions.seconds = static_cast<double>(v);
      flood = true;
    } else if (a == "--flood-rounds") {
      ok = value(&v) && v > 0;
      floodOptions.rounds = static_cast<uint64_t>(v);
      flood = true;
    } else if (a == "--chaos") {
      ok = value(&v) && v > 0;
      options.chaosSeed = static_cast<uint64_t>(v);
    } else if (a == "--away") {
      long at = 0;
      ok = value(&at) && at >= 0 && value(&v) && v > 0;
      options.awayAt = static_cast<double>(at);
      options.awaySeconds = static_cast<double>(v);
    } else if (a == "--kline-parts") {
      klineParts = true;
    } else if (a == "--auth") {
      role = 0;
    } else if (a == "--quote") {
      role = 1;
    } else if (a == "--verify") {
      role = 2;
    } else if (a == "--trade") {
      role = 3;
    } else if (a == "--message") {
      role = 4;
    } else if (a == "--pricealert") {
      role = 5;
    } else if (a == "--http") {
      role = 6;
    } else if (a == "--help" || a == "-h") {
      Usage();
      return 0;
    } else {
      ok = false;
    }
    if (ok && role >= 0) {
      ok = value(&v) && v >= 0 && v <= 65535;
      if (ok) options.ports[role] = static_cast<uint16_t>(v);
    }
    if (!ok) {
      Usage();
      return 2;
    }
  }
  if (verbose) foundation::setLogLevel(foundation::LogLevel::Verbose);

  // Installed before the ports are printed: whoever reads them may signal at once.
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  testserver::TestServer server(options);
  if (!server.start()) return 1;
  server.setKLineInParts(klineParts);
  if (flood) server.startFlood(floodOptions);
  for (int r = 0; r < testserver::kRoleCount; ++r) {
    auto role = static_cast<testserver::Role>(r);
    std::printf("%s %u\n", testserver::RoleName(role), server.port(role));
  }
  std::printf("seed %llu date %d\n", static_cast<unsigned long long>(options.seed), server.date());
  std::fflush(stdout);
  while (!gStop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server.stop();
  return 0;
}
