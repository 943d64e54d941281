// A web view that fetches pages with the platform's HTTP GET and shows their text: tags are
// dropped, paragraphs, headings, list items and links are kept, and a tap on a link follows
// it. History (back, forward, reload, stop), the loading state and the delegate calls work as
// screens expect; a page that cannot be loaded ends in the did-fail call with an error code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/View.h"

namespace net {
class HttpRequest;
}

namespace ui {

class WebView;

// Same numbers as the phone platform.
enum class WebViewNavigationType {
  LinkClicked = 0,
  FormSubmitted = 1,
  BackForward = 2,
  Reload = 3,
  FormResubmitted = 4,
  Other = 5
};

// Error codes of failed loads (the platform's URL error numbers).
namespace WebErrorCode {
constexpr int Cancelled = -999;
constexpr int BadURL = -1000;
constexpr int TimedOut = -1001;
constexpr int UnsupportedURL = -1002;
constexpr int CannotFindHost = -1003;
constexpr int CannotConnectToHost = -1004;
constexpr int NetworkConnectionLost = -1005;
}  // namespace WebErrorCode

struct WebError {
  int code = 0;
  std::string description;
};

// Every method is optional.
class WebViewDelegate {
 public:
  virtual ~WebViewDelegate() = default;
  virtual bool webViewShouldStartLoadWithRequest(WebView& web, const std::string& url,
                                                 WebViewNavigationType type) {
    (void)web;
    (void)url;
    (void)type;
    return true;
  }
  virtual void webViewDidStartLoad(WebView& web) { (void)web; }
  virtual void webViewDidFinishLoad(WebView& web) { (void)web; }
  virtual void webViewDidFailLoadWithError(WebView& web, const WebError& error) {
    (void)web;
    (void)error;
  }
};

// One piece of laid-out page text.
struct WebFragment {
  std::string text;
  gfx::Rect frame;   // in the page's coordinates
  std::string href;  // resolved link target; empty for plain text
  bool heading = false;
};

// A page's text: paragraphs of runs (text, optional link), its title.
struct WebPage {
  struct Run {
    std::string text;
    std::string href;
  };
  struct Paragraph {
    std::vector<Run> runs;
    bool heading = false;
  };
  std::string title;
  std::vector<Paragraph> paragraphs;
  // The page as plain text: paragraphs separated by "\n".
  std::string plainText() const;
};

// Reads HTML (or plain text when `html` is false) into paragraphs and links; never fails.
WebPage parseWebPage(const std::string& body, bool html);
// `href` made absolute against `base` (http URLs); empty when it cannot be.
std::string resolveURL(const std::string& base, const std::string& href);

class WebView : public View {
 public:
  explicit WebView(const gfx::Rect& frame = {});
  ~WebView() override;
  static std::shared_ptr<WebView> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }
  WebViewDelegate* delegate() const { return delegate_.lock().get(); }

  // Starts loading; a load in progress is cancelled first (it fails with Cancelled).
  void loadRequest(const std::string& url);
  // Shows the given markup at once (links resolve against baseURL).
  void loadHTMLString(const std::string& html, const std::string& baseURL = {});
  void stopLoading();
  void reload();
  void goBack();
  void goForward();
  bool canGoBack() const;
  bool canGoForward() const;
  bool isLoading() const { return loading_; }

  // The shown page's address (or the loading one's once it is shown), title and text.
  const std::string& currentURL() const { return url_; }
  const std::string& pageTitle() const { return page_.title; }
  std::string pageText() const { return page_.plainText(); }
  const std::vector<WebFragment>& fragments() const { return fragments_; }
  // Follows the first link whose text contains `text`, as a tap would. False when none.
  bool followLink(const std::string& text);
  // The frame of that link in this view's coordinates (empty when none).
  gfx::Rect frameOfLink(const std::string& text) const;

  // Kept for screens that set them; the page text is shown the same way.
  bool scalesPageToFit() const { return scalesPageToFit_; }
  void setScalesPageToFit(bool scales) { scalesPageToFit_ = scales; }
  unsigned dataDetectorTypes() const { return dataDetectors_; }
  void setDataDetectorTypes(unsigned types) { dataDetectors_ = types; }
  ScrollView* scrollView() const { return scroll_.get(); }

  void layoutSubviews() override;
  void setBackgroundColor(const gfx::Color& color) override;
  std::string describe() const override;

  // Called by the page's content view for a tapped link.
  void linkTapped(const std::string& href);

 private:
  void start(const std::string& url, WebViewNavigationType type, int historyIndex);
  void finished(const std::string& url, int historyIndex, const std::string& body, bool html);
  void failed(const WebError& error);
  void show(const std::string& url, WebPage page);
  void layoutPage();

  std::weak_ptr<WebViewDelegate> delegate_;
  std::shared_ptr<ScrollView> scroll_;
  std::shared_ptr<View> content_;
  std::shared_ptr<net::HttpRequest> request_;
  std::string loadingURL_;
  std::string url_;
  WebPage page_;
  std::vector<WebFragment> fragments_;
  std::vector<std::string> history_;
  int index_ = -1;
  bool loading_ = false;
  bool scalesPageToFit_ = false;
  unsigned dataDetectors_ = 0;
  int generation_ = 0;
  gfx::Color textColor_ = gfx::Color::black();
};

}  // namespace ui
