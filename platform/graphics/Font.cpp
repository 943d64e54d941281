#include "platform/graphics/Font.h"

#include <cctype>
#include <charconv>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/foundation/Text.h"
#include "platform/graphics/PangoSupport.h"

namespace gfx {
namespace {

constexpr const char* kFamily = "WenQuanYi Micro Hei";
constexpr const char* kMonoFamily = "WenQuanYi Micro Hei Mono";

bool containsNoCase(std::string_view hay, std::string_view needle) {
  if (needle.size() > hay.size()) return false;
  for (size_t i = 0; i + needle.size() <= hay.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && std::tolower(static_cast<unsigned char>(hay[i + k])) ==
                                    std::tolower(static_cast<unsigned char>(needle[k])))
      ++k;
    if (k == needle.size()) return true;
  }
  return false;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

struct Metrics {
  double ascender = 0;
  double descender = 0;
  double height = 0;
};

// Metrics scale linearly with size for an unhinted font, so one measurement per face at a
// reference size serves every size.
Metrics unitMetrics(const Font& f) {
  static std::mutex mutex;
  static std::map<std::tuple<bool, bool, bool>, Metrics> cache;
  auto key = std::make_tuple(f.isBold(), f.isItalic(), f.isMonospace());
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
  }
  constexpr double kRef = 100.0;
  PangoContext* ctx = detail::measureContext();
  PangoFontDescription* desc = detail::describe(f, kRef);
  PangoFontMetrics* m = pango_context_get_metrics(ctx, desc, nullptr);
  Metrics out;
  out.ascender = pango_font_metrics_get_ascent(m) / double(PANGO_SCALE) / kRef;
  out.descender = pango_font_metrics_get_descent(m) / double(PANGO_SCALE) / kRef;
  int h = pango_font_metrics_get_height(m);
  out.height = h > 0 ? h / double(PANGO_SCALE) / kRef : out.ascender + out.descender;
  pango_font_metrics_unref(m);
  pango_font_description_free(desc);
  std::lock_guard<std::mutex> lock(mutex);
  cache[key] = out;
  return out;
}

}  // namespace

Font::Font() : name_("system") {}

Font::Font(std::string name, double size, bool bold, bool italic, bool mono)
    : name_(std::move(name)),
      size_(size > 0 ? size : 12),
      bold_(bold),
      italic_(italic),
      mono_(mono) {}

Font Font::systemFont(double size) {
  return Font("system", size, false, false, false);
}
Font Font::boldSystemFont(double size) {
  return Font("system", size, true, false, false);
}
Font Font::italicSystemFont(double size) {
  return Font("system", size, false, true, false);
}

Font Font::named(std::string_view name, double size) {
  name = trim(name);
  if (name.empty() || name == "system") return systemFont(size);
  bool bold = containsNoCase(name, "bold") || containsNoCase(name, "medium") ||
              containsNoCase(name, "black") || containsNoCase(name, "heavy") ||
              containsNoCase(name, "semibold");
  bool italic = containsNoCase(name, "italic") || containsNoCase(name, "oblique");
  bool mono = containsNoCase(name, "courier") || containsNoCase(name, "mono") ||
              containsNoCase(name, "menlo");
  return Font(std::string(name), size, bold, italic, mono);
}

Font Font::fromDescription(std::string_view text) {
  text = trim(text);
  double size = 12;
  // Trailing number is the size.
  size_t sp = text.find_last_of(" \t");
  if (sp != std::string_view::npos) {
    std::string_view last = text.substr(sp + 1);
    double v = 0;
    auto res = std::from_chars(last.data(), last.data() + last.size(), v);
    if (res.ec == std::errc() && res.ptr == last.data() + last.size() && v > 0) {
      size = v;
      text = trim(text.substr(0, sp));
    }
  }
  if (text == "system" || text.empty()) return systemFont(size);
  if (text == "bold system") return boldSystemFont(size);
  if (text == "italic system") return italicSystemFont(size);
  return named(text, size);
}

Font Font::withSize(double size) const {
  Font f = *this;
  f.size_ = size > 0 ? size : size_;
  return f;
}

Font Font::withBold(bool bold) const {
  Font f = *this;
  f.bold_ = bold;
  return f;
}

std::string Font::family() const {
  return mono_ ? kMonoFamily : kFamily;
}

std::string Font::pangoDescription() const {
  return foundation::format("%s%s%s %gpx", family().c_str(), bold_ ? " Bold" : "",
                            italic_ ? " Oblique" : "", size_);
}

double Font::ascender() const {
  return unitMetrics(*this).ascender * size_;
}
double Font::descender() const {
  return unitMetrics(*this).descender * size_;
}
double Font::lineHeight() const {
  return unitMetrics(*this).height * size_;
}

std::string Font::toString() const {
  if (name_ == "system") {
    const char* prefix = bold_ ? "bold " : (italic_ ? "italic " : "");
    return foundation::format("%ssystem %g", prefix, size_);
  }
  return foundation::format("%s %g", name_.c_str(), size_);
}

}  // namespace gfx
