// The company page's failures: a load replaced or stopped on purpose is written to the log as
// information, a real failure as an error.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "panels/F10View.h"
#include "platform/foundation/Log.h"
#include "tests/detail/PanelTestSupport.h"

namespace {

class F10PageLog : public paneltest::PanelTest {};

TEST_F(F10PageLog, ACancelledLoadIsNoErrorLine) {
  auto page = F10View::create({0, 0, 320, 300});
  window->addSubview(page);
  ASSERT_NE(page->webView(), nullptr);
  std::vector<std::pair<foundation::LogLevel, std::string>> lines;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    lines.emplace_back(level, line);
  });
  page->webViewDidFailLoadWithError(*page->webView(), {ui::WebErrorCode::Cancelled, "cancelled"});
  const size_t afterCancel = lines.size();
  page->webViewDidFailLoadWithError(*page->webView(), {ui::WebErrorCode::TimedOut, "timed out"});
  foundation::setLogSink({});
  for (size_t i = 0; i < afterCancel; ++i)
    EXPECT_NE(lines[i].first, foundation::LogLevel::Error) << lines[i].second;
  bool errorLogged = false;
  for (size_t i = afterCancel; i < lines.size(); ++i)
    errorLogged = errorLogged || lines[i].first == foundation::LogLevel::Error;
  EXPECT_TRUE(errorLogged);
}

}  // namespace
