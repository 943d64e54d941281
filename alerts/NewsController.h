// The news web page ("新闻资讯"): one fixed page of the information web server in a web view,
// with a half-transparent arrow that steps back through the pages the user followed. Reached by
// class name from the More screen.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/WebView.h"
#include "shell/Extend.h"

class NewsController : public ui::ViewController,
                       public Extend::ScreenHooks,
                       public ui::WebViewDelegate {
 public:
  static constexpr int kWebViewTag = 1301;
  static constexpr int kDefaultPort = 9980;
  static constexpr const char* kPagePath = "/hpf10/xltxt.aspx";
  static constexpr const char* kTitle = "新闻资讯";

  // "http://<host>:<port>/hpf10/xltxt.aspx": the host of the information server list's first
  // address (before ":" and any "|"), the port of "main.cfg" [info] news_port (9980 without it).
  // Empty when the list has no address.
  static std::string NewsPageAddress();

  void toggleButton();
  ui::WebView* webView();
  ui::Button* backButton() const { return backButton_.get(); }

  void loadView() override;
  void viewDidLoad() override;

  void webViewDidFinishLoad(ui::WebView& web) override;
  void webViewDidFailLoadWithError(ui::WebView& web, const ui::WebError& error) override;

 private:
  // The arrow shows while the web view has a page to go back to.
  void showBackButtonByHistory();

  std::shared_ptr<ui::Button> backButton_;
};
