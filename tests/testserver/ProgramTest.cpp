// The verdan-testserver program: prints one "role port" line per role, serves on them, and
// ends cleanly on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "core/PacketHeader.h"
#include "tests/testserver/TestClient.h"

extern char** environ;

namespace {

TEST(Program, PrintsItsPortsServesAndStopsOnTerm) {
  const std::string path = std::string(VERDAN_BINARY_DIR) + "/testserver/verdan-testserver";
  if (access(path.c_str(), X_OK) != 0) GTEST_SKIP() << "not built: " << path;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::string a0 = path, a1 = "--ephemeral", a2 = "--step", a3 = "0", a4 = "--seed", a5 = "9";
  char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), a5.data(), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);

  FILE* f = fdopen(out[0], "r");
  std::map<std::string, int> ports;
  char line[128];
  while (ports.size() < 7 && std::fgets(line, sizeof line, f)) {
    char role[32];
    int port = 0;
    if (std::sscanf(line, "%31s %d", role, &port) == 2) ports[role] = port;
  }
  for (const char* role : {"auth", "quote", "verify", "trade", "message", "pricealert", "http"})
    EXPECT_GT(ports[role], 0) << role;

  TestClient c(static_cast<uint16_t>(ports["quote"]));
  ASSERT_TRUE(c.connected());
  uint8_t hb[16];
  MakeRequest(0, 0, 0, 0, 0, hb, 0);
  ASSERT_TRUE(c.send(hb, 16));
  EXPECT_TRUE(c.receive().ok);

  ASSERT_EQ(kill(pid, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::fclose(f);
}

}  // namespace
