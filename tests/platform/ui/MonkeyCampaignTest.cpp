// The monkey campaign (scripts/monkey.sh) played with a stand-in client and server in a small
// copy of the source tree: where each walk starts, the summary of what the walks reached, and a
// campaign whose script is rewritten while it runs.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/platform/foundation/TestDir.h"

namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& text, bool executable = false) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text;
  if (executable)
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The client stands in for a walk: it logs the screens and places its seed reaches (seed 2 also
// rewrites the campaign's script, as a checkout during a campaign would), keeps its start in the
// log and writes its steps.
constexpr const char* kClient = R"sh(#!/usr/bin/env bash
seed=0 shots=. start=""
while [ $# -gt 0 ]; do
  case "$1" in
    --monkey) seed=$2; shift 2 ;;
    --shots) shots=$2; shift 2 ;;
    --script) start=$2; shift 2 ;;
    *) shift ;;
  esac
done
log() { echo "2026-12-09 10:00:00.000 $*" >&2; }
[ -n "$start" ] && log "started from: $(head -1 "$start")"
log "monkey step 0: screen HomeScreen"
case $seed in
  1) log "monkey step 2: reached market list: 甲 甲一(1/2)"
     log "monkey step 3: reached market list: 甲 甲一(2/2)"
     log "monkey step 4: screen Deeper" ;;
  2) log "monkey step 1: reached market list: 乙 乙一"
     log "monkey step 2: reached market list: 丙 丙一"
     log "monkey step 3: reached kline period: 日线"
     echo 'echo rewritten; exit 7' >"$CAMPAIGN_SCRIPT" ;;
esac
printf '# step 1\n# step 2\n# step 3\n' >"$shots/monkey-$seed.script"
)sh";

// The server says its ports and waits to be stopped.
constexpr const char* kServer = R"sh(#!/usr/bin/env bash
printf 'auth 1\nquote 2\nhttp 3\ntrade 4\nseed 1 date 20261201\n'
exec sleep 60
)sh";

class MonkeyCampaignTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path source(VERDAN_SOURCE_DIR);
    root = dir.path();
    for (const char* script :
         {"scripts/monkey.sh", "scripts/lib/testserver.sh", "scripts/lib/walk.sh"}) {
      fs::create_directories((root / script).parent_path());
      fs::copy_file(source / script, root / script);
    }
    for (const char* folder : {"shell", "widgets", "watchlist", "ranking", "detail", "panels",
                               "kline", "account", "messaging", "alerts"})
      fs::create_directories(root / folder);
    // Two groups of lists on the market tab.
    writeFile(root / "ranking/NewStockSort.cpp",
              "constexpr Entry kOne[] = {{\"甲一\", 1, 2}, {\"甲二\", 1, 3}};\n"
              "constexpr Entry kTwo[] = {{\"乙一\", 2, 2}};\n"
              "constexpr MenuGroup kGroups[] = {G(kOne), G(kTwo)};\n"
              "constexpr const char* kTopTitles[] = {\"甲\", \"乙\"};\n");
    // Two screens (one through a base, registered over two lines) and a view that is none.
    writeFile(root / "shell/Screens.h",
              "class HomeScreen : public ui::ViewController {};\n"
              "class Deeper final : public HomeScreen {};\n"
              "class NotAScreen : public ui::View {};\n");
    writeFile(root / "shell/Screens.cpp",
              "registry.registerClass<HomeScreen>(\"HomeScreen\");\n"
              "ui::ClassRegistry::shared().registerClass(\n    \"Deeper\", [] { return x; });\n"
              "registry.registerClass<NotAScreen>(\"NotAScreen\");\n");
    writeFile(root / "build/app/verdan", kClient, true);
    writeFile(root / "build/testserver/verdan-testserver", kServer, true);
    writeFile(root / "build/app/resources/main.cfg", "[hq]\nip1=127.0.0.1:17001\n");
  }

  // Runs the campaign with the options; its output, and its exit status in `status`.
  std::string campaign(const std::string& options, int& status) {
    const std::string command = "cd '" + root.string() + "' && CAMPAIGN_SCRIPT='" +
                                (root / "scripts/monkey.sh").string() +
                                "' bash scripts/monkey.sh --build build --steps 3 --jobs 2 "
                                "--out out " +
                                options + " 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
  }

  testing_support::TempDir dir;
  fs::path root;
};

TEST_F(MonkeyCampaignTest, WalksStartApartAndTheSummaryNamesWhatNoneReached) {
  int status = -1;
  const std::string out = campaign("--seeds '1 2'", status);
  // The script was rewritten by the second walk: the campaign goes on as it was.
  EXPECT_EQ(out.find("rewritten"), std::string::npos) << out;
  EXPECT_EQ(status, 0) << out;

  // Each seed its own start, kept beside the walk and given to the client first.
  EXPECT_NE(out.find("== seed 1 (from detail 港股 十档): passed"), std::string::npos) << out;
  EXPECT_NE(out.find("== seed 2 (from detail 期货 landscape K线): passed"), std::string::npos)
      << out;
  const std::string start = readFile(root / "out/1/start.script");
  EXPECT_EQ(start.rfind("# start: detail 港股 十档\nwait 4\n", 0), 0u) << start;
  EXPECT_NE(start.find("\ntype 00700\n"), std::string::npos) << start;
  EXPECT_NE(readFile(root / "out/2/client.log").find("started from: # start: detail 期货"),
            std::string::npos);

  // Screens: the registered view controllers only, with how many walks reached each.
  EXPECT_NE(out.find("  screen (2): 2 reached:\n"
                     "       1  Deeper\n"
                     "       2  HomeScreen\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("NotAScreen"), std::string::npos) << out;
  // A list counts once a walk whatever page it showed; one no walk reached is named, and one
  // not in the menus is shown marked.
  EXPECT_NE(out.find("  market list (3): 2 reached:\n"
                     "       1  甲 甲一\n"
                     "       0  甲 甲二 never\n"
                     "       1  乙 乙一\n"
                     "       1  丙 丙一 +\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("       1  日线\n       0  周线 never\n"), std::string::npos) << out;
  EXPECT_NE(out.find("== never reached:\n    market list: 甲 甲二\n"), std::string::npos) << out;
  EXPECT_NE(out.find("    kline period: 周线, 月线, 5分钟, 15分钟, 30分钟, 60分钟\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("== monkey: every walk passed"), std::string::npos) << out;
}

TEST_F(MonkeyCampaignTest, FromHomeEveryWalkStartsOnTheStartScreenAndQuietCountsOnly) {
  int status = -1;
  const std::string out = campaign("--seeds 1 --from-home --quiet", status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(out.find("== seed 1"), std::string::npos) << out;
  EXPECT_NE(out.find("  screen (2): 2 reached\n  market list (3): 1 reached\n"), std::string::npos)
      << out;
  EXPECT_NE(out.find("  kline period (7): 0 reached\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("HomeScreen"), std::string::npos) << out;
  EXPECT_NE(out.find("== never reached: 4 areas"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(root / "out/1/start.script"));
  EXPECT_EQ(readFile(root / "out/1/client.log").find("started from"), std::string::npos);
}

}  // namespace
