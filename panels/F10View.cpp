#include "panels/F10View.h"

#include <algorithm>

#include "platform/foundation/Log.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/Application.h"
#include "widgets/StaleCheck.h"

F10View::F10View(const gfx::Rect& frame) : ui::View(frame) {}

F10View::~F10View() {
  if (retryTimer_) retryTimer_->invalidate();
  // A load cut short by the page going away never reports back: its indicator goes with it.
  if (auto* web = webView(); web && web->isLoading()) {
    web->setDelegate({});
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
  }
}

std::shared_ptr<F10View> F10View::create(const gfx::Rect& frame) {
  auto view = std::make_shared<F10View>(frame);
  view->build();
  return view;
}

std::shared_ptr<F10View> F10View::create(const gfx::Rect& frame, const std::string& address) {
  auto view = create(frame);
  view->RequestF10(address);
  return view;
}

void F10View::build() {
  setBackgroundColor(gfx::Color::black());
  notice_ = ui::Label::create();
  notice_->setBackgroundColor(gfx::Color::black());
  notice_->setTextColor(gfx::Color::rgb255(255, 255, 0));
  notice_->setText("F10更新中...");
  addSubview(notice_);

  auto web = ui::WebView::create(bounds());
  web->setTag(kF10WebViewTag);
  web->setBackgroundColor(gfx::Color::black());
  web->setDelegate(sharedAs<F10View>());
  web->setHidden(true);
  // Numbers and addresses in company texts stay plain text.
  web->setDataDetectorTypes(0);
  addSubview(web);
  layoutPage();
  DeclareStaleCheck(*this, "F10 page", [weak = weakAs<F10View>()]() -> std::optional<Freshness> {
    auto self = weak.lock();
    if (!self) return std::nullopt;
    return Freshness{self->showsAskedPage(), self->showsAskedPage() ? 0 : self->askedSince_,
                     self->retries_};
  });
}

ui::WebView* F10View::webView() const {
  for (const auto& sub : subviews())
    if (sub->tag() == kF10WebViewTag) return dynamic_cast<ui::WebView*>(sub.get());
  return nullptr;
}

void F10View::setBounds(const gfx::Rect& bounds) {
  const gfx::Size old = this->bounds().size;
  ui::View::setBounds(bounds);
  if (!(old == bounds.size)) layoutPage();
}

// The pager may make the page by name and size it afterwards.
void F10View::layoutPage() {
  const gfx::Rect b = bounds();
  if (notice_) notice_->setFrame({b.width() / 3, b.height() / 4, b.width() / 3, 40});
  if (auto* web = webView()) web->setFrame(b);
}

void F10View::RequestF10(const std::string& address) {
  // A new address is asked at once: a retry waiting for an older one goes.
  if (retryTimer_) retryTimer_->invalidate();
  retryTimer_.reset();
  retryAddress_.clear();
  auto* web = webView();
  // Without an information server the notice stays for good: nothing is asked or awaited.
  if (!web) return;
  if (address != address_) {
    if (showsAskedPage() || askedSince_ <= 0) askedSince_ = foundation::Clock::now();
    loadedAddress_.clear();
    retryDelay_ = 0;
    // Another security's page: the old one's text goes at once, the notice stands meanwhile.
    if (!address_.empty()) web->setHidden(true);
  }
  address_ = address;
  web->loadRequest(address);
}

void F10View::scheduleRetry(const std::string& address) {
  if (address.empty()) return;
  retryDelay_ = retryDelay_ <= 0 ? kRetryShortest : std::min(2 * retryDelay_, kRetryLongest);
  retryAddress_ = address;
  if (retryTimer_) retryTimer_->invalidate();
  std::weak_ptr<F10View> weak = sharedAs<F10View>();
  retryTimer_ = foundation::performAfter(retryDelay_, [weak] {
    auto self = weak.lock();
    if (!self || self->retryAddress_.empty()) return;
    const std::string again = self->retryAddress_;
    const double delay = self->retryDelay_;
    ++self->retries_;
    self->RequestF10(again);
    self->retryDelay_ = delay;
  });
}

void F10View::webViewDidStartLoad(ui::WebView& web) {
  (void)web;
  ui::Application::shared().setNetworkActivityIndicatorVisible(true);
}

void F10View::webViewDidFinishLoad(ui::WebView& web) {
  retryDelay_ = 0;
  loadedAddress_ = address_;
  web.setHidden(false);
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
}

void F10View::webViewDidFailLoadWithError(ui::WebView& web, const ui::WebError& error) {
  // A load replaced by a newer one or stopped as the page goes is not an error.
  if (error.code == ui::WebErrorCode::Cancelled) {
    foundation::logInfo("Web Thumbs Error: %d %s", error.code, error.description.c_str());
  } else {
    foundation::logError("Web Thumbs Error: %d %s", error.code, error.description.c_str());
  }
  if (error.code == ui::WebErrorCode::CannotFindHost) {
    // Without an information server the notice stays for good.
    auto keep = web.sharedView();
    web.setDelegate({});
    web.removeFromSuperview();
    askedSince_ = 0;
  } else if (error.code != ui::WebErrorCode::Cancelled && error.code != ui::WebErrorCode::BadURL &&
             error.code != ui::WebErrorCode::UnsupportedURL) {
    // The server away, a time-out, a cut connection: the page asks again until it is back, so
    // that neither the notice nor another security's page stays once it answers.
    scheduleRetry(address_);
  }
  // A cancelled load was replaced by a newer one, which owns the indicator now.
  if (error.code != ui::WebErrorCode::Cancelled)
    ui::Application::shared().setNetworkActivityIndicatorVisible(false);
}
