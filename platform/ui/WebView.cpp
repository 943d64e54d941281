#include "platform/ui/WebView.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Text.h"
#include "platform/net/Http.h"
#include "platform/ui/Touch.h"

namespace ui {

namespace {

constexpr double kWebMargin = 8;
constexpr double kTimeout = 30;

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool startsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

// Bytes that are not UTF-8 become '?', so drawing never sees broken text.
std::string sanitize(const std::string& text) {
  if (foundation::isValidUtf8(text)) return text;
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n > 0 && i + n <= text.size() && foundation::isValidUtf8(text.substr(i, n))) {
      out += text.substr(i, n);
      i += n;
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

std::string encodeUtf8(unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return "?";
  std::u16string units;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    units += static_cast<char16_t>(0xD800 + (cp >> 10));
    units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    units += static_cast<char16_t>(cp);
  }
  return foundation::utf16ToUtf8(units);
}

std::string decodeEntities(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    size_t semi = text.find(';', i);
    if (semi == std::string::npos || semi - i > 10) {
      out += '&';
      continue;
    }
    std::string name = text.substr(i + 1, semi - i - 1);
    std::string value;
    if (name == "amp")
      value = "&";
    else if (name == "lt")
      value = "<";
    else if (name == "gt")
      value = ">";
    else if (name == "quot")
      value = "\"";
    else if (name == "apos")
      value = "'";
    else if (name == "nbsp")
      value = " ";
    else if (name == "middot")
      value = "·";
    else if (name == "copy")
      value = "©";
    else if (!name.empty() && name[0] == '#') {
      bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
      std::string digits = name.substr(hex ? 2 : 1);
      char* end = nullptr;
      unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
      if (!digits.empty() && end && *end == 0) value = encodeUtf8(cp);
    }
    if (value.empty()) {
      out += '&';
      continue;
    }
    out += value;
    i = semi;
  }
  return out;
}

// The value of attribute `name` inside a tag's text ("a href=\"x\" ...").
std::string attribute(const std::string& tag, const char* name) {
  std::string l = lower(tag);
  std::string key = std::string(name) + "=";
  size_t at = 0;
  while ((at = l.find(key, at)) != std::string::npos) {
    if (at > 0 && !std::isspace(static_cast<unsigned char>(l[at - 1]))) {
      at += key.size();
      continue;
    }
    size_t v = at + key.size();
    if (v >= tag.size()) return {};
    char quote = tag[v];
    if (quote == '"' || quote == '\'') {
      size_t end = tag.find(quote, v + 1);
      return tag.substr(v + 1, end == std::string::npos ? std::string::npos : end - v - 1);
    }
    size_t end = v;
    while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) &&
           tag[end] != '>')
      ++end;
    return tag.substr(v, end - v);
  }
  return {};
}

bool isBlockTag(const std::string& name) {
  static const char* blocks[] = {"p",          "div", "br",      "h1",      "h2",     "h3",
                                 "h4",         "h5",  "h6",      "li",      "tr",     "table",
                                 "ul",         "ol",  "section", "article", "header", "footer",
                                 "blockquote", "pre", "hr",      "dt",      "dd",     "form"};
  for (const char* b : blocks)
    if (name == b) return true;
  return false;
}

}  // namespace

// --- parsing ----------------------------------------------------------------------------------

std::string WebPage::plainText() const {
  std::string out;
  for (const auto& p : paragraphs) {
    if (!out.empty()) out += "\n";
    for (const auto& r : p.runs) out += r.text;
  }
  return out;
}

WebPage parseWebPage(const std::string& rawBody, bool html) {
  WebPage page;
  std::string body = sanitize(rawBody);
  if (!html) {
    size_t start = 0;
    while (start <= body.size()) {
      size_t nl = body.find('\n', start);
      std::string line =
          body.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) page.paragraphs.push_back({{{line, ""}}, false});
      if (nl == std::string::npos) break;
      start = nl + 1;
    }
    return page;
  }
  WebPage::Paragraph current;
  std::string href;
  bool inTitle = false;
  bool pendingSpace = false;
  auto endParagraph = [&] {
    // Trailing blanks go; empty paragraphs are dropped.
    while (!current.runs.empty()) {
      auto& last = current.runs.back().text;
      while (!last.empty() && last.back() == ' ') last.pop_back();
      if (!last.empty()) break;
      current.runs.pop_back();
    }
    if (!current.runs.empty()) page.paragraphs.push_back(current);
    current = {};
    pendingSpace = false;
  };
  auto addText = [&](const std::string& raw) {
    std::string text;
    for (char c : decodeEntities(raw)) {
      bool space = c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
      if (space) {
        pendingSpace = true;
        continue;
      }
      if (pendingSpace && (!text.empty() || !current.runs.empty())) text += ' ';
      pendingSpace = false;
      text += c;
    }
    if (text.empty()) return;
    if (inTitle) {
      page.title += text;
      return;
    }
    if (!current.runs.empty() && current.runs.back().href == href)
      current.runs.back().text += text;
    else
      current.runs.push_back({text, href});
  };
  size_t i = 0;
  while (i < body.size()) {
    if (body[i] != '<') {
      size_t next = body.find('<', i);
      addText(body.substr(i, next == std::string::npos ? std::string::npos : next - i));
      i = next == std::string::npos ? body.size() : next;
      continue;
    }
    if (body.compare(i, 4, "<!--") == 0) {
      size_t end = body.find("-->", i + 4);
      i = end == std::string::npos ? body.size() : end + 3;
      continue;
    }
    size_t close = body.find('>', i);
    if (close == std::string::npos) break;  // a tag cut off at the end is dropped
    std::string tag = body.substr(i + 1, close - i - 1);
    i = close + 1;
    bool closing = !tag.empty() && tag[0] == '/';
    std::string nameText = closing ? tag.substr(1) : tag;
    size_t nameEnd = 0;
    while (nameEnd < nameText.size() && std::isalnum(static_cast<unsigned char>(nameText[nameEnd])))
      ++nameEnd;
    std::string name = lower(nameText.substr(0, nameEnd));
    if (!closing && (name == "script" || name == "style" || name == "head")) {
      if (name == "head") {
        // The head only gives the title.
        size_t end = lower(body).find("</head>", i);
        std::string head = body.substr(i, end == std::string::npos ? std::string::npos : end - i);
        size_t t = lower(head).find("<title>");
        if (t != std::string::npos) {
          size_t te = lower(head).find("</title>", t);
          inTitle = true;
          addText(head.substr(t + 7, te == std::string::npos ? std::string::npos : te - t - 7));
          inTitle = false;
        }
        i = end == std::string::npos ? body.size() : end + 7;
        continue;
      }
      size_t end = lower(body).find("</" + name, i);
      i = end == std::string::npos ? body.size() : body.find('>', end) + 1;
      if (i == 0) i = body.size();
      continue;
    }
    if (name == "title") {
      inTitle = !closing;
      continue;
    }
    if (name == "a") {
      href = closing ? std::string() : attribute(tag, "href");
      if (!closing && !href.empty() && pendingSpace && !current.runs.empty()) {
        current.runs.back().text += ' ';
        pendingSpace = false;
      }
      continue;
    }
    if (isBlockTag(name)) {
      endParagraph();
      bool heading = name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
      if (!closing && heading) current.heading = true;
      if (!closing && name == "li") current.runs.push_back({"• ", ""});
    }
  }
  endParagraph();
  return page;
}

std::string resolveURL(const std::string& base, const std::string& href) {
  std::string h = href;
  while (!h.empty() && std::isspace(static_cast<unsigned char>(h.front()))) h.erase(h.begin());
  while (!h.empty() && std::isspace(static_cast<unsigned char>(h.back()))) h.pop_back();
  if (h.empty()) return base;
  std::string lh = lower(h);
  if (startsWith(lh, "http://") || startsWith(lh, "https://")) return h;
  if (h.find(':') != std::string::npos && h.find(':') < h.find('/')) return h;  // other schemes
  size_t schemeEnd = base.find("://");
  if (schemeEnd == std::string::npos) return {};
  if (startsWith(h, "//")) return base.substr(0, schemeEnd + 1) + h;
  size_t pathStart = base.find('/', schemeEnd + 3);
  std::string origin = pathStart == std::string::npos ? base : base.substr(0, pathStart);
  std::string path = pathStart == std::string::npos ? "/" : base.substr(pathStart);
  size_t cut = path.find_first_of("?#");
  if (cut != std::string::npos) path.erase(cut);
  if (h[0] == '#') return origin + path + h;
  if (h[0] == '?') return origin + path + h;
  std::string joined = h[0] == '/' ? h : path.substr(0, path.rfind('/') + 1) + h;
  // Removes "." and ".." segments.
  std::string query;
  size_t q = joined.find_first_of("?#");
  if (q != std::string::npos) {
    query = joined.substr(q);
    joined.erase(q);
  }
  std::vector<std::string> parts;
  size_t start = 1;
  while (start <= joined.size()) {
    size_t slash = joined.find('/', start);
    std::string part =
        joined.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != ".") {
      parts.push_back(part);
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  std::string out;
  for (const auto& p : parts) out += "/" + p;
  if (out.empty()) out = "/";
  if (!joined.empty() && joined.back() == '/' && out.back() != '/') out += "/";
  return origin + out + query;
}

// --- the page's view --------------------------------------------------------------------------

namespace {

gfx::Font fragmentFont(bool heading) {
  return heading ? gfx::Font::boldSystemFont(19) : gfx::Font::systemFont(16);
}

class WebContentView : public View {
 public:
  WebContentView(WebView* owner) : owner_(owner) {}
  void drawRect(gfx::Context& ctx, const gfx::Rect& rect) override {
    for (const auto& f : owner_->fragments()) {
      if (!f.frame.intersects(rect)) continue;
      gfx::TextStyle style(fragmentFont(f.heading), gfx::TextAlignment::Left,
                           gfx::LineBreakMode::Clip);
      style.numberOfLines = 1;
      gfx::Color color = f.href.empty() ? textColor : gfx::Color::rgb255(40, 110, 235);
      ctx.setFillColor(color);
      ctx.drawText(f.text,
                   gfx::Rect(f.frame.x(), f.frame.y(), f.frame.width() + 2, f.frame.height()),
                   style);
      if (!f.href.empty())
        ctx.fillRect(gfx::Rect(f.frame.x(), f.frame.maxY() - 2, f.frame.width(), 1));
    }
  }
  void touchesBegan(const TouchSet& touches, const Event&) override {
    pressed_ = touches.empty() ? std::string() : hrefAt(touches.front()->locationInView(this));
  }
  void touchesEnded(const TouchSet& touches, const Event&) override {
    if (touches.empty() || pressed_.empty()) return;
    std::string href = hrefAt(touches.front()->locationInView(this));
    std::string pressed = std::move(pressed_);
    if (href == pressed) owner_->linkTapped(href);
  }
  void touchesCancelled(const TouchSet&, const Event&) override { pressed_.clear(); }
  gfx::Color textColor = gfx::Color::black();

 private:
  std::string hrefAt(gfx::Point p) const {
    for (const auto& f : owner_->fragments())
      if (!f.href.empty() && f.frame.inset(-4, -6).contains(p)) return f.href;
    return {};
  }
  WebView* owner_;
  std::string pressed_;
};

}  // namespace

WebView::WebView(const gfx::Rect& frame) : View(frame) {
  setBackgroundColor(gfx::Color::white());
  scroll_ = ScrollView::create(bounds());
  scroll_->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
  scroll_->setAlwaysBounceVertical(true);
  addSubview(scroll_);
  content_ = std::make_shared<WebContentView>(this);
  scroll_->addSubview(content_);
}

WebView::~WebView() {
  if (request_) request_->cancel();
}

std::shared_ptr<WebView> WebView::create(const gfx::Rect& frame) {
  return std::make_shared<WebView>(frame);
}

void WebView::setBackgroundColor(const gfx::Color& color) {
  View::setBackgroundColor(color);
  // Text stays readable on dark pages.
  double luminance = 0.3 * color.r() + 0.59 * color.g() + 0.11 * color.b();
  textColor_ = color.a() > 0.5 && luminance < 0.5 ? gfx::Color::grey(0.92) : gfx::Color::black();
  if (content_) {
    static_cast<WebContentView*>(content_.get())->textColor = textColor_;
    content_->setNeedsDisplay();
  }
}

void WebView::layoutSubviews() {
  scroll_->setFrame(bounds());
  layoutPage();
}

std::string WebView::describe() const {
  return View::describe() + " url=" + url_ + (loading_ ? " loading" : "");
}

void WebView::loadRequest(const std::string& url) {
  start(url, WebViewNavigationType::Other, -1);
}

void WebView::loadHTMLString(const std::string& html, const std::string& baseURL) {
  stopLoading();
  auto hold = sharedView();
  auto d = delegate_.lock();
  if (d && !d->webViewShouldStartLoadWithRequest(*this, baseURL, WebViewNavigationType::Other))
    return;
  loading_ = true;
  if (d) d->webViewDidStartLoad(*this);
  finished(baseURL, -1, html, true);
}

void WebView::start(const std::string& url, WebViewNavigationType type, int historyIndex) {
  auto hold = sharedView();
  auto d = delegate_.lock();
  if (d && !d->webViewShouldStartLoadWithRequest(*this, url, type)) return;
  // A new load replaces the running one, which fails as cancelled.
  if (loading_) stopLoading();
  std::string lowerURL = lower(url);
  loading_ = true;
  loadingURL_ = url;
  int generation = ++generation_;
  if (d) d->webViewDidStartLoad(*this);
  if (generation != generation_) return;  // the delegate started another load
  if (!startsWith(lowerURL, "http://") && !startsWith(lowerURL, "https://")) {
    failed(
        {url.find("://") == std::string::npos ? WebErrorCode::BadURL : WebErrorCode::UnsupportedURL,
         "unsupported URL: " + url});
    return;
  }
  std::weak_ptr<WebView> weak = sharedAs<WebView>();
  request_ = net::httpGet(
      url, kTimeout, foundation::RunLoop::main(),
      [weak, generation, url, historyIndex](const net::HttpResponse& response) {
        auto self = weak.lock();
        if (!self || generation != self->generation_) return;
        self->request_.reset();
        if (response.error != 0) {
          const std::string& t = response.errorText;
          int code = response.error == -2                     ? WebErrorCode::TimedOut
                     : t.find("resolve") != std::string::npos ? WebErrorCode::CannotFindHost
                     : t.find("connect") != std::string::npos ? WebErrorCode::CannotConnectToHost
                     : t.find("URL") != std::string::npos || t.find("protocol") != std::string::npos
                         ? WebErrorCode::BadURL
                         : WebErrorCode::NetworkConnectionLost;
          self->failed({code, t});
          return;
        }
        std::string contentType = lower(response.header("Content-Type"));
        bool html = contentType.empty() || contentType.find("html") != std::string::npos;
        self->finished(url, historyIndex, response.body, html);
      });
}

void WebView::finished(const std::string& url, int historyIndex, const std::string& body,
                       bool html) {
  auto hold = sharedView();
  loading_ = false;
  loadingURL_.clear();
  show(url, parseWebPage(body, html));
  if (historyIndex >= 0) {
    index_ = historyIndex;
  } else if (!url.empty() && (index_ < 0 || history_[index_] != url)) {
    history_.resize(index_ + 1);
    history_.push_back(url);
    index_ = static_cast<int>(history_.size()) - 1;
  }
  if (auto d = delegate_.lock()) d->webViewDidFinishLoad(*this);
}

void WebView::failed(const WebError& error) {
  auto hold = sharedView();
  loading_ = false;
  loadingURL_.clear();
  request_.reset();
  // A load stopped or replaced on purpose is no failure worth an error line.
  if (error.code == WebErrorCode::Cancelled) {
    foundation::logInfo("WebView: load cancelled");
  } else {
    foundation::logError("WebView: load failed (%d): %s", error.code, error.description.c_str());
  }
  if (auto d = delegate_.lock()) d->webViewDidFailLoadWithError(*this, error);
}

void WebView::stopLoading() {
  if (!loading_) return;
  ++generation_;
  if (request_) request_->cancel();
  request_.reset();
  failed({WebErrorCode::Cancelled, "cancelled"});
}

void WebView::reload() {
  if (index_ >= 0) start(history_[index_], WebViewNavigationType::Reload, index_);
}

bool WebView::canGoBack() const {
  return index_ > 0;
}

bool WebView::canGoForward() const {
  return index_ >= 0 && index_ + 1 < static_cast<int>(history_.size());
}

void WebView::goBack() {
  if (canGoBack()) start(history_[index_ - 1], WebViewNavigationType::BackForward, index_ - 1);
}

void WebView::goForward() {
  if (canGoForward()) start(history_[index_ + 1], WebViewNavigationType::BackForward, index_ + 1);
}

void WebView::linkTapped(const std::string& href) {
  std::string lowerHref = lower(href);
  if (startsWith(lowerHref, "http://") || startsWith(lowerHref, "https://")) {
    start(href, WebViewNavigationType::LinkClicked, -1);
    return;
  }
  // Other schemes (tel:, mailto:) are only offered to the delegate.
  if (auto d = delegate_.lock())
    d->webViewShouldStartLoadWithRequest(*this, href, WebViewNavigationType::LinkClicked);
}

bool WebView::followLink(const std::string& text) {
  for (const auto& f : fragments_)
    if (!f.href.empty() && f.text.find(text) != std::string::npos) {
      std::string href = f.href;
      linkTapped(href);
      return true;
    }
  return false;
}

gfx::Rect WebView::frameOfLink(const std::string& text) const {
  for (const auto& f : fragments_)
    if (!f.href.empty() && f.text.find(text) != std::string::npos)
      return content_->convertRectToView(f.frame, this);
  return gfx::Rect();
}

void WebView::show(const std::string& url, WebPage page) {
  url_ = url;
  page_ = std::move(page);
  for (auto& p : page_.paragraphs)
    for (auto& r : p.runs)
      if (!r.href.empty()) r.href = resolveURL(url_, r.href);
  scroll_->setContentOffset(gfx::Point(0, 0));
  layoutPage();
}

void WebView::layoutPage() {
  fragments_.clear();
  double width = std::max(10.0, bounds().width() - 2 * kWebMargin);
  double y = kWebMargin;
  for (const auto& p : page_.paragraphs) {
    gfx::Font font = fragmentFont(p.heading);
    double lineHeight = std::ceil(font.pointSize() * 1.45);
    double x = 0;
    for (const auto& run : p.runs) {
      // Words (ASCII up to a blank) and single wide characters are the units of wrapping.
      std::vector<std::string> tokens;
      std::string word;
      for (size_t i = 0; i < run.text.size();) {
        unsigned char c = static_cast<unsigned char>(run.text[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        std::string ch = run.text.substr(i, n);
        i += n;
        if (n > 1) {
          if (!word.empty()) tokens.push_back(std::move(word));
          word.clear();
          tokens.push_back(ch);
        } else {
          word += ch;
          if (c == ' ') {
            tokens.push_back(std::move(word));
            word.clear();
          }
        }
      }
      if (!word.empty()) tokens.push_back(word);
      for (const auto& token : tokens) {
        double w = gfx::measureText(token, font).width;
        if (x > 0 && x + w > width && token != " ") {
          x = 0;
          y += lineHeight;
          if (token == " ") continue;
        }
        bool merge = !fragments_.empty() && fragments_.back().href == run.href &&
                     fragments_.back().frame.y() == y &&
                     std::abs(fragments_.back().frame.maxX() - (kWebMargin + x)) < 0.01;
        if (merge) {
          fragments_.back().text += token;
          fragments_.back().frame.size.width += w;
        } else {
          fragments_.push_back(
              {token, gfx::Rect(kWebMargin + x, y, w, lineHeight), run.href, p.heading});
        }
        x += w;
      }
    }
    y += lineHeight + 6;
  }
  double height = std::max(y + kWebMargin, bounds().height());
  content_->setFrame(gfx::Rect(0, 0, bounds().width(), height));
  scroll_->setContentSize(gfx::Size(bounds().width(), height));
  content_->setNeedsDisplay();
}

}  // namespace ui
