// The company page's failures: a load replaced or stopped on purpose is written to the log as
// information, a real failure as an error.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/NetworkThreads.h"
#include "panels/F10View.h"
#include "platform/ui/Invariants.h"
#include "widgets/StaleCheck.h"
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

// A load that failed because the server was away, timed out or was cut is asked again, sooner
// than the user would switch pages; a cancelled load, a bad address or no host at all is not. The
// page of another security goes as soon as its address is asked.
TEST_F(F10PageLog, AFailedLoadIsAskedAgainUntilTheServerIsBack) {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  auto page = F10View::create({0, 0, 320, 300});
  window->addSubview(page);
  ui::WebView* web = page->webView();
  ASSERT_NE(web, nullptr);
  // An address the web view refuses at once, so that only the failures below count.
  const std::string first = "f10://page/600000";
  page->RequestF10(first);
  advance(0.1);
  EXPECT_TRUE(page->retryAddress().empty());
  std::vector<double> delays;
  for (int i = 0; i < 4; ++i) {
    page->webViewDidFailLoadWithError(*web, {ui::WebErrorCode::CannotConnectToHost, "refused"});
    EXPECT_EQ(page->retryAddress(), first);
    delays.push_back(page->retryDelay());
    advance(page->retryDelay() + 0.1);
    // Asked again: nothing waits any more.
    EXPECT_TRUE(page->retryAddress().empty()) << i;
  }
  EXPECT_EQ(delays, (std::vector<double>{1, 2, 4, 4}));
  page->webViewDidFailLoadWithError(*web, {ui::WebErrorCode::TimedOut, "timed out"});
  EXPECT_FALSE(page->retryAddress().empty());
  // Loaded: the notice goes under the page and the next failure starts from the shortest wait.
  page->webViewDidFinishLoad(*web);
  EXPECT_FALSE(web->isHidden());
  page->webViewDidFailLoadWithError(*web, {ui::WebErrorCode::NetworkConnectionLost, "cut"});
  EXPECT_EQ(page->retryDelay(), F10View::kRetryShortest);
  page->webViewDidFinishLoad(*web);

  // Another security: its page is asked at once and the old one's text is no longer shown.
  page->RequestF10("f10://page/600036");
  EXPECT_TRUE(web->isHidden());
  EXPECT_TRUE(page->retryAddress().empty());
  advance(0.1);
  for (int code : {ui::WebErrorCode::Cancelled, ui::WebErrorCode::BadURL}) {
    page->webViewDidFailLoadWithError(*web, {code, "no"});
    EXPECT_TRUE(page->retryAddress().empty()) << code;
  }
  page->webViewDidFailLoadWithError(*web, {ui::WebErrorCode::CannotFindHost, "no host"});
  EXPECT_TRUE(page->retryAddress().empty());
  foundation::setLogSink({});
}

// The walker's "stale": a page that keeps asking while its server is away is not; one that has
// stopped asking for the page of its address, once the servers answer again, is.
TEST_F(F10PageLog, APageThatStoppedAskingIsStaleOnceTheServerAnswers) {
  foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
  auto stale = [] {
    std::vector<std::string> out;
    for (const std::string& f : ui::declaredInvariantFailures())
      if (f.find("F10 page") != std::string::npos) out.push_back(f);
    return out;
  };
  auto page = F10View::create({0, 0, 320, 300});
  window->addSubview(page);
  ui::WebView* web = page->webView();
  ASSERT_NE(web, nullptr);
  page->RequestF10("f10://page/600000");
  advance(0.1);
  EXPECT_TRUE(stale().empty());
  // Refused, asked again, refused... for 30 s while the quote server answers.
  for (int i = 0; i < 10; ++i) {
    page->webViewDidFailLoadWithError(*web, {ui::WebErrorCode::CannotConnectToHost, "refused"});
    NoteQuoteAnswered();
    advance(page->retryDelay() + 0.1);
    EXPECT_TRUE(stale().empty()) << i;
  }
  page->webViewDidFinishLoad(*web);
  EXPECT_TRUE(page->showsAskedPage());
  // Another security's page, and a failure the page does not ask again after.
  page->RequestF10("f10://page/600036");
  advance(0.1);
  page->webViewDidFailLoadWithError(*web, {ui::WebErrorCode::BadURL, "bad"});
  NoteQuoteAnswered();
  EXPECT_TRUE(stale().empty());
  advance(kStaleSeconds + 0.5);
  EXPECT_EQ(stale().size(), 1u);
  page->RequestF10("f10://page/600036");
  page->webViewDidFinishLoad(*web);
  EXPECT_TRUE(stale().empty());
  foundation::setLogSink({});
}

}  // namespace
