// The client program ended every way it can end: each run tears down without touching what is
// already gone (under the sanitizers a use after free or a leak shows in its output) and ends
// with the status that says how it ended.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/platform/foundation/TestDir.h"

namespace {

struct Ended {
  int status = -1;  // the exit status, or -1 when a signal ended the process
  std::string output;
};

class ClientEndsTest : public ::testing::Test {
 protected:
  std::string writeScript(const std::string& text) {
    const std::string path = dir.file("steps.script");
    std::ofstream(path) << text;
    return path;
  }

  // Runs the client with `args` (the documents folder added); when `signalAfter` is given, sends
  // SIGTERM once that line is in its output.
  Ended run(std::vector<std::string> args, const std::string& signalAfter = {}) {
    // A log of its own per run, so the signal waits for this run's line.
    const std::string log = dir.file("output-" + std::to_string(++runs) + ".log");
    args.insert(args.begin(),
                {std::string(VERDAN_BINARY_DIR) + "/app/verdan", "--documents", dir.file("docs")});
    pid_t pid = fork();
    if (pid == 0) {
      if (!freopen(log.c_str(), "w", stdout) || dup2(fileno(stdout), STDERR_FILENO) < 0) _exit(126);
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      std::vector<char*> argv;
      for (auto& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    Ended ended;
    if (pid < 0) return ended;
    if (!signalAfter.empty()) {
      // Real time: the client is another process. Bounded, so a client that never gets there
      // still ends the test.
      for (int i = 0; i < 600 && readLog(log).find(signalAfter) == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      kill(pid, SIGTERM);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    ended.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    ended.output = readLog(log);
    return ended;
  }

  static std::string readLog(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static void expectCleanEnd(const Ended& ended, int status) {
    EXPECT_EQ(ended.status, status) << ended.output;
    for (const char* report : {"AddressSanitizer", "LeakSanitizer", "runtime error:"})
      EXPECT_EQ(ended.output.find(report), std::string::npos) << ended.output;
  }

  testing_support::TempDir dir;
  int runs = 0;
};

TEST_F(ClientEndsTest, EveryWayOfEndingTearsDownCleanly) {
  Ended help = run({"--help"});
  expectCleanEnd(help, 0);
  EXPECT_NE(help.output.find("expect TEXT"), std::string::npos);
  EXPECT_NE(help.output.find("reject TEXT"), std::string::npos);

  // The script's end.
  expectCleanEnd(run({"--headless", "--script", writeScript("wait 0.3\n")}), 0);

  // A failed check: the run goes on to its end.
  Ended failed = run({"--headless", "--virtual-time", "--script",
                      writeScript("expect 不会出现的文字\nwait 0.3\n")});
  expectCleanEnd(failed, 3);
  EXPECT_NE(failed.output.find("script line 1: expected '不会出现的文字'"), std::string::npos);

  // An unreadable line: nothing is played, and the client still ends in order.
  Ended unreadable =
      run({"--headless", "--script", writeScript("wait 0.3\nwait for it\nwait 0.3\n")});
  expectCleanEnd(unreadable, 2);
  EXPECT_NE(unreadable.output.find("script line 2: cannot read 'wait for it'"), std::string::npos);

  // The window closed (after a time, as a smoke run closes it).
  expectCleanEnd(run({"--run-seconds", "0.5"}), 0);

  // A terminate signal during a long wait, once the application runs.
  expectCleanEnd(
      run({"--headless", "--script", writeScript("wait 60\n")}, "applicationDidBecomeActive"), 143);
}

}  // namespace
