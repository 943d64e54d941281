#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/Log.h"

using namespace foundation;

namespace {

struct CapturedLog {
  std::vector<std::string> lines;
  CapturedLog() {
    setLogSink([this](LogLevel, const std::string& line) { lines.push_back(line); });
  }
  ~CapturedLog() { setLogSink({}); }
};

}  // namespace

TEST(Log, ServerTextCannotForgeLinesOrTerminalCodes) {
  CapturedLog log;
  // A server's error text carrying a fake error line and a terminal escape.
  std::string serverText = "bad code\n!!!!!!!forged\r\x1B[2Jend\x7F";
  logInfo("reply: %s", serverText.c_str());
  logError("reply: %s", serverText.c_str());
  logMessage(LogLevel::Info, std::string("nul\0tab\t", 8));
  ASSERT_EQ(log.lines.size(), 3u);
  EXPECT_EQ(log.lines[0], "reply: bad code\\n!!!!!!!forged\\r\\x1B[2Jend\\x7F");
  EXPECT_EQ(log.lines[1], "!!!!!!!reply: bad code\\n!!!!!!!forged\\r\\x1B[2Jend\\x7F");
  EXPECT_EQ(log.lines[2], "nul\\x00tab\\t");
  for (const auto& line : log.lines) EXPECT_EQ(line.find_first_of("\n\r\x1B"), std::string::npos);
}

TEST(Log, TrailingLineBreakEndsTheLineAndTextStaysAsWritten) {
  CapturedLog log;
  logInfo("Connect success!\n");
  logInfo("上证指数 3245.67 \\n literal");
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_EQ(log.lines[0], "Connect success!");
  EXPECT_EQ(log.lines[1], "上证指数 3245.67 \\n literal");
}
