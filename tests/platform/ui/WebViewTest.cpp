#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "InputTestSupport.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/WebView.h"
#include "tests/platform/net/LoopbackListener.h"

namespace {

using uitest::InputTest;

// Serves fixed pages by path on 127.0.0.1, one connection at a time.
class PageServer {
 public:
  explicit PageServer(std::map<std::string, std::string> pages)
      : pages_(std::move(pages)), thread_([this] { serve(); }) {}
  ~PageServer() {
    stop_ = true;
    thread_.join();
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(listener_.port()) + path;
  }
  std::vector<std::string> paths() {
    std::lock_guard<std::mutex> lock(m_);
    return served_;
  }

 private:
  void serve() {
    while (!stop_) {
      int c = listener_.accept(50);
      if (c < 0) continue;
      std::string head = nettest::readRequestHead(c);
      size_t sp = head.find(' ');
      std::string path = head.substr(sp + 1, head.find(' ', sp + 1) - sp - 1);
      {
        std::lock_guard<std::mutex> lock(m_);
        served_.push_back(path);
      }
      auto it = pages_.find(path);
      bool found = it != pages_.end();
      nettest::writeAll(
          c, nettest::httpReply(found ? 200 : 404, found ? it->second : "<p>missing</p>"));
      ::shutdown(c, SHUT_WR);
      char buf[1024];
      pollfd p{c, POLLIN, 0};
      for (int i = 0; i < 40 && !stop_; ++i)
        if (::poll(&p, 1, 50) > 0 && ::recv(c, buf, sizeof buf, 0) <= 0) break;
      ::close(c);
    }
  }
  nettest::LoopbackListener listener_;
  std::map<std::string, std::string> pages_;
  std::atomic<bool> stop_{false};
  std::mutex m_;
  std::vector<std::string> served_;
  std::thread thread_;
};

class WebRecorder : public ui::WebViewDelegate {
 public:
  std::vector<std::string> calls;
  std::vector<int> errors;
  bool refuseOther = false;
  bool webViewShouldStartLoadWithRequest(ui::WebView&, const std::string& url,
                                         ui::WebViewNavigationType type) override {
    calls.push_back("should " + std::to_string(static_cast<int>(type)) + " " + url);
    return !(refuseOther && url.find("other") != std::string::npos);
  }
  void webViewDidStartLoad(ui::WebView&) override { calls.push_back("start"); }
  void webViewDidFinishLoad(ui::WebView&) override { calls.push_back("finish"); }
  void webViewDidFailLoadWithError(ui::WebView&, const ui::WebError& e) override {
    calls.push_back("fail");
    errors.push_back(e.code);
  }
};

class WebViewTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    // Replies come from the HTTP worker in real time.
    foundation::Clock::setReal();
    web = ui::WebView::create(gfx::Rect(0, 20, 320, 460));
    recorder = std::make_shared<WebRecorder>();
    web->setDelegate(recorder);
    window->addSubview(web);
  }
  bool waitLoaded() {
    return foundation::RunLoop::main()->runUntilCondition([&] { return !web->isLoading(); }, 10);
  }
  std::shared_ptr<ui::WebView> web;
  std::shared_ptr<WebRecorder> recorder;
};

TEST_F(WebViewTest, LoadsFollowsALinkAndGoesBack) {
  PageServer server({
      {"/news/index.html",
       "<html><head><title>资讯</title><style>p{}</style></head><body>"
       "<h1>今日要闻</h1><p>沪指&nbsp;收涨 &amp; 放量<br>第二行</p>"
       "<script>var x = '<p>hidden</p>';</script>"
       "<ul><li><a href=\"item.html?id=7\">浦发银行公告</a></li></ul></body></html>"},
      {"/news/item.html?id=7", "<p>公告全文</p><a href='/news/index.html'>返回</a>"},
  });
  web->loadRequest(server.url("/news/index.html"));
  EXPECT_TRUE(web->isLoading());
  ASSERT_TRUE(waitLoaded());
  EXPECT_EQ(web->pageTitle(), "资讯");
  EXPECT_EQ(web->pageText(), "今日要闻\n沪指 收涨 & 放量\n第二行\n• 浦发银行公告");
  EXPECT_FALSE(web->canGoBack());

  // A tap on the link follows it (relative address, query kept).
  gfx::Rect link = web->frameOfLink("浦发");
  ASSERT_FALSE(link.isEmpty());
  gfx::Point p = web->convertPointToView(link.center(), nullptr);
  tap(p.x, p.y);
  // The scroll view may hold the touch back a moment before the link hears it.
  ASSERT_TRUE(foundation::RunLoop::main()->runUntilCondition(
      [&] { return web->currentURL() == server.url("/news/item.html?id=7"); }, 10));
  EXPECT_EQ(web->pageText(), "公告全文\n返回");
  EXPECT_TRUE(web->canGoBack());

  web->goBack();
  ASSERT_TRUE(waitLoaded());
  EXPECT_EQ(web->currentURL(), server.url("/news/index.html"));
  EXPECT_FALSE(web->canGoBack());
  EXPECT_TRUE(web->canGoForward());
  web->goForward();
  ASSERT_TRUE(waitLoaded());
  EXPECT_EQ(web->pageText(), "公告全文\n返回");
  web->reload();
  ASSERT_TRUE(waitLoaded());
  EXPECT_EQ(server.paths().size(), 5u);
  EXPECT_EQ(recorder->calls,
            (std::vector<std::string>{
                "should 5 " + server.url("/news/index.html"), "start", "finish",
                "should 0 " + server.url("/news/item.html?id=7"), "start", "finish",
                "should 2 " + server.url("/news/index.html"), "start", "finish",
                "should 2 " + server.url("/news/item.html?id=7"), "start", "finish",
                "should 3 " + server.url("/news/item.html?id=7"), "start", "finish"}));
}

TEST_F(WebViewTest, FailedLoadsReportTheirCodeAndKeepThePage) {
  PageServer server(std::map<std::string, std::string>{{"/a", "<p>第一页</p>"}});
  web->loadRequest(server.url("/a"));
  ASSERT_TRUE(waitLoaded());
  recorder->calls.clear();

  // Nothing listens on a closed loopback port.
  nettest::LoopbackListener closed(false);
  std::string dead = "http://127.0.0.1:" + std::to_string(closed.port()) + "/x";
  web->loadRequest(dead);
  ASSERT_TRUE(waitLoaded());
  web->loadRequest("ftp://127.0.0.1/file");
  web->loadRequest("not a url");
  // Names under ".invalid" never resolve.
  web->loadRequest("http://f10.verdan.invalid/f10/index.html?key=00001,hk");
  ASSERT_TRUE(waitLoaded());
  ASSERT_EQ(recorder->errors.size(), 4u);
  EXPECT_EQ(recorder->errors[0], ui::WebErrorCode::CannotConnectToHost);
  EXPECT_EQ(recorder->errors[1], ui::WebErrorCode::UnsupportedURL);
  EXPECT_EQ(recorder->errors[2], ui::WebErrorCode::BadURL);
  EXPECT_EQ(recorder->errors[3], ui::WebErrorCode::CannotFindHost);
  EXPECT_EQ(web->pageText(), "第一页");  // the old page stays
  EXPECT_EQ(web->currentURL(), server.url("/a"));

  // A load replaced by another fails as cancelled; stopping does too. Neither is logged as an
  // error, while a real failure still is.
  std::vector<std::pair<foundation::LogLevel, std::string>> lines;
  foundation::setLogSink([&](foundation::LogLevel level, const std::string& line) {
    lines.emplace_back(level, line);
  });
  recorder->errors.clear();
  web->loadRequest(server.url("/a"));
  web->loadRequest(server.url("/missing"));
  web->stopLoading();
  web->loadRequest("not a url");
  foundation::setLogSink({});
  EXPECT_FALSE(web->isLoading());
  EXPECT_EQ(recorder->errors,
            (std::vector<int>{ui::WebErrorCode::Cancelled, ui::WebErrorCode::Cancelled,
                              ui::WebErrorCode::BadURL}));
  int errorLines = 0;
  for (const auto& [level, line] : lines) {
    if (level != foundation::LogLevel::Error) continue;
    ++errorLines;
    EXPECT_EQ(line.find("cancelled"), std::string::npos) << line;
  }
  EXPECT_EQ(errorLines, 1);
  // The delegate can refuse a load.
  recorder->refuseOther = true;
  web->loadRequest(server.url("/other"));
  EXPECT_FALSE(web->isLoading());
}

TEST(WebPageTest, ResolvesLinksAgainstThePage) {
  struct Case {
    const char* base;
    const char* href;
    const char* expected;
  };
  const Case cases[] = {
      {"http://h:8/a/b/c.html", "d.html", "http://h:8/a/b/d.html"},
      {"http://h:8/a/b/c.html", "../d.html?x=1", "http://h:8/a/d.html?x=1"},
      {"http://h:8/a/b/c.html?q", "/e", "http://h:8/e"},
      {"http://h:8/a/b/", "#top", "http://h:8/a/b/#top"},
      {"http://h:8", "x", "http://h:8/x"},
      {"http://h/a", "//cdn/x.js", "http://cdn/x.js"},
      {"http://h/a", "https://other/", "https://other/"},
      {"http://h/a", "tel:95555", "tel:95555"},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::resolveURL(c.base, c.href), c.expected) << c.href;
  // Broken markup and bytes never break the reader.
  auto page = ui::parseWebPage("<p>a<b\xff<!-- x", true);
  EXPECT_EQ(page.plainText(), "a");
  EXPECT_EQ(ui::parseWebPage("one\r\ntwo\n\nthree", false).plainText(), "one\ntwo\nthree");
  EXPECT_EQ(ui::parseWebPage("&#x6CAA;&#27700;&bogus; &lt;", true).plainText(), "沪水&bogus; <");
}

}  // namespace
