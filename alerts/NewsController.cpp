#include "alerts/NewsController.h"

#include "core/CDataIP.h"
#include "core/CoreConfig.h"
#include "core/MIniFile.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"

std::string NewsController::NewsPageAddress() {
  CDataIP* servers = GetServerList(kServerListInfo);
  char address[CDataIP::kAddressSize] = {};
  if (!servers || servers->GetCount() < 1 || servers->GetIP(0, address, sizeof address) == 0)
    return {};
  std::string host(address);
  host = host.substr(0, host.find('|'));
  host = host.substr(0, host.find(':'));
  if (host.empty()) return {};
  const int port = GetMainConfig().GetInt("info", "news_port", kDefaultPort);
  return "http://" + host + ":" + std::to_string(port) + kPagePath;
}

void NewsController::loadView() {
  setView(ui::View::create(ui::Screen::main().applicationFrame()));
}

void NewsController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  view()->setBackgroundColor(gfx::Color::black());
  // The title bar names the page: More opens it with a blank left item and nothing else.
  setTitle(kTitle);

  // As high as the screen leaves it (the page's 414 points reached under the tab bar, where its
  // last rows could not be scrolled into view).
  auto web = ui::WebView::create(gfx::Rect(0, 0, 320, view()->bounds().height()));
  web->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
  web->setBackgroundColor(gfx::Color::black());
  web->setDelegate(weakAs<ui::WebViewDelegate>());
  web->setTag(kWebViewTag);
  view()->addSubview(web);
  const std::string address = NewsPageAddress();
  if (address.empty()) foundation::logError("!!!!!!!NewsController: no information server");
  web->loadRequest(address);

  backButton_ = ui::Button::create(gfx::Rect(0, view()->frame().height() - 100, 50, 50));
  // 100 points above the bottom of the view, wherever its container puts that.
  backButton_->setAutoresizingMask(ui::Autoresizing::FlexibleTopMargin);
  backButton_->setAlpha(0.5);
  backButton_->setBackgroundImage(gfx::Image::named("arrow_left.png").stretchable(0, 0));
  backButton_->setTitleColor(gfx::Color::midGrey(), ui::ControlState::Normal);
  backButton_->setTitleColor(gfx::Color::midGrey(), ui::ControlState::Highlighted);
  backButton_->setFont(gfx::Font::boldSystemFont(15));
  if (auto* label = backButton_->titleLabel()) {
    label->setTextAlignment(gfx::TextAlignment::Center);
    label->setLineBreakMode(gfx::LineBreakMode::WordWrap);
  }
  backButton_->addTarget(ui::WhileAlive(this, &NewsController::toggleButton),
                         ui::ControlEvent::TouchUpInside, this);
  // Shown only while there is a page to go back to: on the first page it would lie over the
  // list's rows for nothing.
  backButton_->setHidden(true);
  view()->addSubview(backButton_);
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
}

void NewsController::showBackButtonByHistory() {
  if (!backButton_) return;
  ui::WebView* web = webView();
  backButton_->setHidden(!web || !web->canGoBack());
  if (!backButton_->isHidden()) view()->bringSubviewToFront(backButton_.get());
}

ui::WebView* NewsController::webView() {
  return dynamic_cast<ui::WebView*>(view()->viewWithTag(kWebViewTag));
}

void NewsController::toggleButton() {
  if (auto* web = webView()) web->goBack();
}

void NewsController::webViewDidFinishLoad(ui::WebView&) {
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
  showBackButtonByHistory();
}

void NewsController::webViewDidFailLoadWithError(ui::WebView&, const ui::WebError& error) {
  // The web view shows the failure itself; the indicator must not stay on.
  foundation::logInfo("NewsController: load failed (%d)", error.code);
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
  showBackButtonByHistory();
}
