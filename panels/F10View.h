// The company information ("F10") page of the stock detail pager: a web page of the information
// server, fetched over HTTP and shown as text. A yellow notice stands on the black page until the
// first page has loaded; the platform's network activity indicator follows the loads.
#pragma once

#include <memory>
#include <string>

#include "panels/PageRoles.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/WebView.h"

inline constexpr int kF10WebViewTag = 1101;

class F10View : public ui::View, public F10PageRole, public ui::WebViewDelegate {
 public:
  // Use create: the web view reports to the page through its shared owner.
  explicit F10View(const gfx::Rect& frame = {});
  ~F10View() override;
  // The page without a load (made by class name; the pager hands it the address later).
  static std::shared_ptr<F10View> create(const gfx::Rect& frame = {});
  // The page loading `address` at once.
  static std::shared_ptr<F10View> create(const gfx::Rect& frame, const std::string& address);

  // Loads the address into the web view, which keeps showing its page until the new one is in.
  // Does nothing once the web view is gone (host not found).
  void RequestF10(const std::string& address);
  void loadAddress(const std::string& address) override { RequestF10(address); }

  ui::Label* notice() const { return notice_.get(); }
  // The address asked again after a failed load (empty: none waits), and in how many seconds.
  const std::string& retryAddress() const { return retryAddress_; }
  double retryDelay() const { return retryDelay_; }
  // The page of the address last asked is shown.
  bool showsAskedPage() const { return !address_.empty() && loadedAddress_ == address_; }

  // Seconds before a failed load is asked again: doubled from the shortest at each failure up
  // to the longest, so that the page is back within seconds of its server.
  static constexpr double kRetryShortest = 1;
  static constexpr double kRetryLongest = 4;
  // Null once a host-not-found failure removed it.
  ui::WebView* webView() const;

  void webViewDidStartLoad(ui::WebView& web) override;
  void webViewDidFinishLoad(ui::WebView& web) override;
  void webViewDidFailLoadWithError(ui::WebView& web, const ui::WebError& error) override;
  void setBounds(const gfx::Rect& bounds) override;

 private:
  void build();
  void layoutPage();

  void scheduleRetry(const std::string& address);

  std::shared_ptr<ui::Label> notice_;
  std::string address_;  // the page's last address asked
  std::string loadedAddress_;
  double askedSince_ = 0;  // when the page last lost the page of its address (Clock::now)
  int retries_ = 0;
  std::string retryAddress_;
  double retryDelay_ = 0;
  std::shared_ptr<foundation::Timer> retryTimer_;
};
