#include "platform/ui/Invariants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/Runner.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ShownTimes.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Window.h"

namespace ui {

// The helpers have a namespace of their own: the folder's files are built as one (unity).
namespace inv {

// What the checks let pass, in points (device pixels are this times the scale): antialiasing,
// rounding and a glyph's overhang reach a pixel or two beyond where a layout puts a text.
constexpr double kSlackPoints = 1;
// Below this contrast ratio a text does not stand out from what lies around it (#5A0000 on
// #12171E reads 1.2 : 1); 1.5 leaves the greys of hints and disabled controls readable.
constexpr double kMinContrast = 1.5;

double slack(double scale) {
  return std::max(1.0, kSlackPoints * scale);
}

// The portrait screen in device pixels of a drawing at `scale`.
gfx::Rect screenPixels(double scale) {
  const gfx::Size s = Screen::main().bounds().size;
  return gfx::Rect(0, 0, s.width * scale, s.height * scale);
}

// A device rect of the portrait drawing as one of the upright picture (the shot's PNG).
gfx::Rect upright(const gfx::Rect& r, double scale) {
  const gfx::Rect s = screenPixels(scale);
  switch (uprightQuarterTurns()) {
    case 1:
      return gfx::Rect(r.y(), s.width() - r.maxX(), r.height(), r.width());
    case 3:
      return gfx::Rect(s.height() - r.maxY(), r.x(), r.height(), r.width());
    default:
      return r;
  }
}

std::string describe(const gfx::Rect& r, double scale) {
  const gfx::Rect u = upright(r, scale);
  char text[96];
  std::snprintf(text, sizeof text, "(%.0f,%.0f %.0fx%.0f)", u.x(), u.y(), u.width(), u.height());
  return text;
}

std::string quoted(const std::string& text) {
  std::string shown = text;
  std::replace(shown.begin(), shown.end(), '\n', ' ');
  return "'" + shown + "'";
}

std::string hexColor(const gfx::Color& c) {
  char text[16];
  auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(c.r()), byte(c.g()), byte(c.b()));
  return text;
}

bool intersectsBeyond(const gfx::Rect& a, const gfx::Rect& b, double tolerance,
                      gfx::Rect* overlap = nullptr) {
  const gfx::Rect i = a.intersection(b);
  if (i.isNull() || i.width() <= tolerance || i.height() <= tolerance) return false;
  if (overlap) *overlap = i;
  return true;
}

bool contains(const gfx::Rect& outer, const gfx::Rect& inner) {
  return !outer.isNull() && inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() &&
         inner.minY() >= outer.minY() && inner.maxY() <= outer.maxY();
}

// A seen text as the checks look at it.
struct Seen {
  size_t index;  // in the collector's drawn()
  const gfx::DrawnText* text;
  gfx::Rect open;                   // its clip on the screen
  std::vector<gfx::Rect> visible;   // its lines' glyphs inside `open`
};

// Whether at most half of a text shows once opaque bundle pictures and bar gradients count as
// covers too (an expect does not count them): a navigation bar's picture hides the bar's
// buttons of the screen under it.
bool mostlyUnderImages(const gfx::DrawnTextCollector& collector, size_t index,
                       const gfx::Rect& open) {
  const gfx::Rect ink = collector.drawn()[index].ink.standardized();
  std::vector<gfx::Rect> images;  // and the views' backgrounds with them
  bool anyImage = false;
  for (const gfx::DrawnTextCollector::CoverOver& cover : collector.coversOver(index)) {
    images.push_back(cover.area);
    anyImage = anyImage || cover.image;
  }
  if (!anyImage) return false;
  constexpr int kColumns = 8, kRows = 3;
  int seen = 0;
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const gfx::Point p(ink.x() + ink.width() * (c + 0.5) / kColumns,
                         ink.y() + ink.height() * (r + 0.5) / kRows);
      if (!open.contains(p)) continue;
      bool covered = false;
      for (const gfx::Rect& image : images)
        if (image.contains(p)) covered = true;
      if (!covered) ++seen;
    }
  }
  return 2 * seen < kColumns * kRows;
}

std::vector<Seen> seenTexts(const gfx::DrawnTextCollector& collector, double scale) {
  const gfx::Rect screen = screenPixels(scale);
  std::vector<Seen> out;
  for (size_t i : collector.visibleIndices(screen)) {
    const gfx::DrawnText& t = collector.drawn()[i];
    if (t.image || mostlyUnderImages(collector, i, t.clip.intersection(screen))) continue;
    Seen s{i, &t, t.clip.intersection(screen), {}};
    for (const gfx::Rect& line : t.lines) {
      const gfx::Rect v = line.standardized().intersection(s.open);
      if (!v.isNull() && !v.isEmpty() && std::isfinite(v.x()) && std::isfinite(v.y()) &&
          std::isfinite(v.width()) && std::isfinite(v.height()))
        s.visible.push_back(v);
    }
    out.push_back(std::move(s));
  }
  return out;
}

bool allowed(const std::vector<AllowedOverlap>& allowances, const std::string& a,
             const std::string& b) {
  for (const AllowedOverlap& o : allowances) {
    if (a.find(o.first) != std::string::npos && b.find(o.second) != std::string::npos) return true;
    if (b.find(o.first) != std::string::npos && a.find(o.second) != std::string::npos) return true;
  }
  return false;
}

// The same text drawn again where it already is, give or take the slack: a kept frame told of
// again, or a text painted twice for an engraved look. One text to a reader, not two.
bool sameTextAgain(const gfx::DrawnText& a, const gfx::DrawnText& b, double tolerance) {
  if (a.text != b.text || a.lines.size() != b.lines.size()) return false;
  for (size_t i = 0; i < a.lines.size(); ++i) {
    const gfx::Rect& x = a.lines[i];
    const gfx::Rect& y = b.lines[i];
    if (std::abs(x.x() - y.x()) > tolerance || std::abs(x.y() - y.y()) > tolerance ||
        std::abs(x.width() - y.width()) > tolerance || std::abs(x.height() - y.height()) > tolerance)
      return false;
  }
  return true;
}

void checkOverlaps(const gfx::DrawnTextCollector& collector, const std::vector<Seen>& seen,
                   double scale, const InvariantOptions& options, const std::string& where,
                   std::vector<std::string>* failures) {
  const double tolerance = slack(scale);
  for (size_t a = 0; a < seen.size(); ++a) {
    const std::vector<gfx::DrawnTextCollector::CoverOver> coversOverA =
        collector.coversOver(seen[a].index);
    for (size_t b = a + 1; b < seen.size(); ++b) {
      const gfx::DrawnText& ta = *seen[a].text;
      const gfx::DrawnText& tb = *seen[b].text;
      if (sameTextAgain(ta, tb, tolerance) || allowed(options.allowed, ta.text, tb.text)) continue;
      bool found = false;
      for (const gfx::Rect& la : seen[a].visible) {
        for (const gfx::Rect& lb : seen[b].visible) {
          gfx::Rect overlap;
          if (!intersectsBeyond(la, lb, tolerance, &overlap)) continue;
          // Where an opaque view painted after the first text hides it, the second text does
          // not lie over it: the first is cut there (see checkCuts), not overwritten.
          bool hidden = false;
          for (const auto& cover : coversOverA)
            if (contains(cover.area, overlap)) hidden = true;
          if (hidden) continue;
          failures->push_back(where + "text over text: " + quoted(ta.text) + " " +
                              describe(la, scale) + " and " + quoted(tb.text) + " " +
                              describe(lb, scale));
          found = true;
          break;
        }
        if (found) break;
      }
    }
  }
}

enum class Side { Left, Right, Top, Bottom };

// Whether the clip's side that cuts a line is the edge of a list scrolling along that side's
// axis, beside the line: the list the text scrolls in cuts its rows there while they scroll in
// and out; a list's column titles, laid over it and moved with its columns, are cut there too.
bool cutByScrolling(const gfx::DrawnTextCollector& collector, const gfx::Rect& line,
                    const gfx::Rect& open, Side side, double tolerance) {
  const bool across = side == Side::Left || side == Side::Right;
  const int axis = across ? gfx::kScrollsAcross : gfx::kScrollsDown;
  auto edge = [side](const gfx::Rect& r) {
    switch (side) {
      case Side::Left:
        return r.minX();
      case Side::Right:
        return r.maxX();
      case Side::Top:
        return r.minY();
      case Side::Bottom:
        return r.maxY();
    }
    return 0.0;
  };
  for (const auto& [area, axes] : collector.scrollAreas()) {
    if (!(axes & axis) || std::abs(edge(area) - edge(open)) > 1) continue;
    const double beside = across ? std::min(line.maxY(), area.maxY()) - std::max(line.minY(), area.minY())
                                 : std::min(line.maxX(), area.maxX()) - std::max(line.minX(), area.minX());
    if (beside > tolerance) return true;
  }
  return false;
}

std::vector<std::weak_ptr<Object>>& coveringViews() {
  static std::vector<std::weak_ptr<Object>> all;
  return all;
}

bool onScreen(const View& view);

// The device areas of the covering views on screen now (waiting boxes shown).
std::vector<gfx::Rect> coveringAreas(double scale) {
  auto& all = coveringViews();
  all.erase(std::remove_if(all.begin(), all.end(), [](const auto& w) { return w.expired(); }),
            all.end());
  std::vector<gfx::Rect> areas;
  for (const auto& weak : all) {
    auto object = weak.lock();
    auto* view = dynamic_cast<View*>(object.get());
    if (!view || !onScreen(*view)) continue;
    const gfx::Rect r = view->convertRectToView(view->bounds(), nullptr);
    areas.push_back(gfx::Rect(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale));
  }
  return areas;
}

// The keyboard's device area while it shows (null otherwise).
gfx::Rect keyboardPixels(double scale) {
  Keyboard& keyboard = Keyboard::shared();
  if (!keyboard.isVisible()) return gfx::Rect::null();
  const gfx::Rect k = keyboard.frame();
  return gfx::Rect(k.x() * scale, k.y() * scale, k.width() * scale, k.height() * scale);
}

// Texts the keyboard cuts in two: drawn before its window, a part of them in sight above it and
// a part under it. The later-window covers excuse what a window hides whole; a text half under
// the keyboard is the screen's layout leaving it there (the old check let every later window
// pass, the keyboard's too, so such a text was never reported).
void checkKeyboardCuts(const gfx::DrawnTextCollector& collector, double scale,
                       const std::vector<gfx::Rect>& covering, const std::string& where,
                       std::vector<std::string>* failures) {
  const gfx::Rect keyboard = keyboardPixels(scale);
  if (keyboard.isNull() || keyboard.isEmpty()) return;
  const double tolerance = slack(scale);
  const gfx::Rect screen = screenPixels(scale);
  const auto& drawn = collector.drawn();
  for (size_t i = 0; i < drawn.size(); ++i) {
    const gfx::DrawnText& t = drawn[i];
    if (t.image || (t.scrollAxes & gfx::kScrollsDown) != 0) continue;
    bool underKeyboard = false;
    for (const gfx::Rect& window : collector.laterWindows(i))
      if (intersectsBeyond(window, keyboard, tolerance)) underKeyboard = true;
    if (!underKeyboard) continue;
    const gfx::Rect open = t.clip.intersection(screen);
    const auto covers = collector.coversOver(i);
    for (const gfx::Rect& raw : t.lines) {
      const gfx::Rect line = raw.standardized().intersection(open);
      if (line.isNull() || line.isEmpty()) continue;
      gfx::Rect under;
      if (!intersectsBeyond(line, keyboard, tolerance, &under)) continue;
      const gfx::Rect above(line.x(), line.y(), line.width(), keyboard.minY() - line.minY());
      // Wholly under the keyboard, or but a sliver of its glyphs' tops above: hidden, not cut.
      if (above.height() <= std::max(tolerance, line.height() / 4)) continue;
      // Part in sight only if nothing of its own window hides it there.
      bool hidden = false;
      for (const auto& cover : covers)
        if (!cover.laterWindow && contains(cover.area, above)) hidden = true;
      for (const gfx::Rect& area : covering)
        if (contains(area, above)) hidden = true;
      if (hidden) continue;
      failures->push_back(where + "text cut: " + quoted(t.text) + " " + describe(line, scale) +
                          " by the keyboard " + describe(keyboard, scale));
      break;
    }
  }
}

void checkCuts(const gfx::DrawnTextCollector& collector, const std::vector<Seen>& seen,
               double scale, const std::string& where, std::vector<std::string>* failures) {
  const double tolerance = slack(scale);
  const gfx::Rect screen = screenPixels(scale);
  const std::vector<gfx::Rect> covering = coveringAreas(scale);
  for (const Seen& s : seen) {
    const gfx::DrawnText& t = *s.text;
    const gfx::Rect& open = s.open;
    std::string failure;
    for (const gfx::Rect& raw : t.lines) {
      const gfx::Rect line = raw.standardized();
      // Scrolling cuts rows at a list's edges (see cutByScrolling); any other clip or the
      // screen's edge cutting a text is a fault of the layout.
      auto cut = [&](bool beyond, Side side) {
        return beyond && !cutByScrolling(collector, line, open, side, tolerance);
      };
      const bool left = cut(line.minX() < open.minX() - tolerance, Side::Left);
      const bool right = cut(line.maxX() > open.maxX() + tolerance, Side::Right);
      const bool top = cut(line.minY() < open.minY() - tolerance, Side::Top);
      const bool bottom = cut(line.maxY() > open.maxY() + tolerance, Side::Bottom);
      if (left || right || top || bottom) {
        const bool byScreen = (left && open.minX() <= screen.minX()) ||
                              (right && open.maxX() >= screen.maxX()) ||
                              (top && open.minY() <= screen.minY()) ||
                              (bottom && open.maxY() >= screen.maxY());
        failure = "text cut: " + quoted(t.text) + " " + describe(line, scale) +
                  (byScreen ? " by the screen's edge" : " by its clip " + describe(open, scale));
        break;
      }
      for (const gfx::DrawnTextCollector::CoverOver& cover : collector.coversOver(s.index)) {
        // A list's own header floating over the rows that scroll under it.
        if (t.scrollAxes != 0 && !t.scrolled.isNull() && cover.scrolled == t.scrolled) continue;
        // An alert, a sheet or the keyboard comes in a window of its own over the screen and
        // hides what it must: the screen's layout cuts nothing there.
        if (cover.laterWindow) continue;
        // A waiting box lies over the screen while its request goes, as an alert would.
        bool onPurpose = false;
        for (const gfx::Rect& area : covering)
          if (contains(area.inset(-tolerance, -tolerance), cover.area)) onPurpose = true;
        if (onPurpose) continue;
        if (!intersectsBeyond(line, cover.area.intersection(open), tolerance)) continue;
        failure = "text cut: " + quoted(t.text) + " " + describe(line, scale) +
                  " under a view drawn over it " + describe(cover.area, scale);
        break;
      }
      if (!failure.empty()) break;
    }
    if (!failure.empty()) failures->push_back(where + failure);
  }
  checkKeyboardCuts(collector, scale, covering, where, failures);
}

double linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const gfx::Color& c) {
  return 0.2126 * linear(c.r()) + 0.7152 * linear(c.g()) + 0.0722 * linear(c.b());
}

// The colour that covers most of a band around the lines (just outside their glyphs): what the
// text stands on. `over` are the waiting boxes drawn over a part of the text, which hide that
// part on purpose as an alert would: their pixels are not what the text stands on, and a line
// under one whole is not looked at. False when no pixel of the band is left inside the clip.
bool backgroundAround(const Seen& s, const gfx::Image& image, double scale,
                      const std::vector<gfx::Rect>& over, gfx::Color* out) {
  auto covered = [&over](double x, double y) {
    for (const gfx::Rect& area : over)
      if (area.contains(gfx::Point(x, y))) return true;
    return false;
  };
  const int gap = std::max(1, static_cast<int>(std::lround(0.5 * scale)));
  const int band = std::max(1, static_cast<int>(std::lround(scale)));
  const int w = image.pixelWidth(), h = image.pixelHeight();
  // Colours by their top five bits of each channel, with the sums to average them.
  struct Bucket {
    int count = 0;
    double r = 0, g = 0, b = 0;
  };
  std::map<uint32_t, Bucket> buckets;
  for (const gfx::Rect& line : s.visible) {
    bool hidden = false;
    for (const gfx::Rect& area : over)
      if (contains(area, line)) hidden = true;
    if (hidden) continue;
    const int x0 = static_cast<int>(std::floor(line.minX())) - gap;
    const int x1 = static_cast<int>(std::ceil(line.maxX())) + gap;  // exclusive
    const int y0 = static_cast<int>(std::floor(line.minY())) - gap;
    const int y1 = static_cast<int>(std::ceil(line.maxY())) + gap;
    const int ox0 = std::max({0, x0 - band, static_cast<int>(std::ceil(s.open.minX()))});
    const int ox1 = std::min({w, x1 + band, static_cast<int>(std::floor(s.open.maxX()))});
    const int oy0 = std::max({0, y0 - band, static_cast<int>(std::ceil(s.open.minY()))});
    const int oy1 = std::min({h, y1 + band, static_cast<int>(std::floor(s.open.maxY()))});
    for (int y = oy0; y < oy1; ++y) {
      for (int x = ox0; x < ox1; ++x) {
        if (x >= x0 && x < x1 && y >= y0 && y < y1) {
          x = x1 - 1;  // skip the inside of the band
          continue;
        }
        if (covered(x + 0.5, y + 0.5)) continue;
        const uint32_t p = image.pixelArgb(x, y);
        Bucket& bucket = buckets[(p >> 3) & 0x1F1F1F];
        ++bucket.count;
        bucket.r += (p >> 16) & 0xFF;
        bucket.g += (p >> 8) & 0xFF;
        bucket.b += p & 0xFF;
      }
    }
  }
  const Bucket* best = nullptr;
  for (const auto& [key, bucket] : buckets)
    if (!best || bucket.count > best->count) best = &bucket;
  if (!best) return false;
  *out = gfx::Color::rgb(best->r / best->count / 255, best->g / best->count / 255,
                         best->b / best->count / 255);
  return true;
}

// Whether a window drawn after the text's lies over it: an alert dims the screen under it on
// purpose, and the keyboard's window may pass over a row.
bool underLaterWindow(const gfx::DrawnTextCollector& collector, const Seen& s, double scale) {
  for (const gfx::Rect& window : collector.laterWindows(s.index))
    for (const gfx::Rect& line : s.visible)
      if (intersectsBeyond(window, line, slack(scale))) return true;
  return false;
}

bool underVeil(const gfx::DrawnTextCollector& collector, const Seen& s, double scale) {
  for (const gfx::Rect& veil : collector.veilsOver(s.index))
    for (const gfx::Rect& line : s.visible)
      if (intersectsBeyond(veil, line, slack(scale))) return true;
  return false;
}

void checkContrast(const gfx::DrawnTextCollector& collector, const std::vector<Seen>& seen,
                   const gfx::Image& image, double scale, const std::string& where,
                   std::vector<std::string>* failures) {
  const std::vector<gfx::Rect> covering = coveringAreas(scale);
  for (const Seen& s : seen) {
    const gfx::Color& c = s.text->color;
    if (c.isPattern() || c.a() <= 0 || s.visible.empty()) continue;
    // What a later window dims is not for reading while it is up (and its colour is no longer
    // the one it was drawn with).
    if (underLaterWindow(collector, s, scale)) continue;
    // Nor is what a translucent view painted after it dims (its colour is not the one it was
    // drawn with either).
    if (underVeil(collector, s, scale)) continue;
    // The waiting boxes drawn after this text over it (a box's own texts are drawn after it).
    std::vector<gfx::Rect> over;
    for (const gfx::Rect& area : covering) {
      const gfx::Rect around = area.inset(-slack(scale), -slack(scale));
      for (const gfx::DrawnTextCollector::CoverOver& cover : collector.coversOver(s.index)) {
        if (cover.laterWindow || !contains(around, cover.area)) continue;
        over.push_back(area);
        break;
      }
    }
    gfx::Color background;
    // A text that fills its clip to the edge leaves nothing around it to judge by.
    if (!backgroundAround(s, image, scale, over, &background)) continue;
    const double a = std::clamp(c.a(), 0.0, 1.0);
    const gfx::Color painted = gfx::Color::rgb(c.r() * a + background.r() * (1 - a),
                                               c.g() * a + background.g() * (1 - a),
                                               c.b() * a + background.b() * (1 - a));
    const double ratio = contrastRatio(painted, background);
    if (ratio >= kMinContrast) continue;
    char figures[96];
    std::snprintf(figures, sizeof figures, " %s on %s, contrast %.2f : 1", hexColor(painted).c_str(),
                  hexColor(background).c_str(), ratio);
    failures->push_back(where + "unreadable: " + quoted(s.text->text) + " " +
                        describe(s.visible.front(), scale) + figures);
  }
}

std::string wherePrefix(const InvariantOptions& options) {
  return (options.where.empty() ? std::string("the screen") : options.where) + ": ";
}

// --- declared invariants ---

struct Declared {
  std::weak_ptr<Object> owner;
  const View* view;
  std::string name;
  ScreenInvariant check;
};

std::vector<Declared>& declared() {
  static std::vector<Declared> all;
  return all;
}

bool onScreen(const View& view) {
  const Window* window = view.window();
  if (!window) return false;
  for (const View* v = &view; v; v = v->superview())
    if (v->isHidden() || v->alpha() <= 0) return false;
  return true;
}

// A view's rect in screen points.
gfx::Rect screenPoints(const View& view) {
  gfx::Rect r = view.convertRectToView(view.bounds(), nullptr);
  if (const Window* window = view.window(); window && &view != window) {
    r.origin.x += window->frame().origin.x;
    r.origin.y += window->frame().origin.y;
  }
  return r;
}

// What a person can see of a view: on screen, inside what its scrolling or clipping ancestors
// show, and not under the whole of a screen laid over it later (a screen presented over its
// own, as the landscape chart over the detail pager). A page scrolled out of sight or a screen
// under another is not looked at: its figures wait for it to come back, when it asks again.
bool inSight(const View& view) {
  if (!onScreen(view)) return false;
  gfx::Rect r = screenPoints(view);
  for (const View* v = view.superview(); v; v = v->superview())
    if (v->clipsToBounds() || dynamic_cast<const ScrollView*>(v))
      r = r.intersection(screenPoints(*v));
  r = r.intersection(Screen::main().bounds());
  if (r.isEmpty() || r.width() <= 0 || r.height() <= 0) return false;
  // The screens drawn after it: a controller's opaque view over the whole of what it shows.
  bool after = false, covered = false;
  std::function<void(const View&)> visit = [&](const View& v) {
    if (covered || v.isHidden() || v.alpha() <= 0) return;
    if (&v == &view) {
      after = true;
      return;
    }
    if (after && v.viewController() && !view.isDescendantOfView(&v) &&
        (v.backgroundColor().a() >= 1 || v.backgroundColor().isPattern()) &&
        screenPoints(v).contains(r)) {
      covered = true;
      return;
    }
    for (const ViewPtr& sub : v.subviews()) visit(*sub);
  };
  for (Window* window : Application::shared().windows()) visit(*window);
  return !covered;
}

nlohmann::ordered_json rectJson(const gfx::Rect& r, double scale) {
  const gfx::Rect u = upright(r, scale);
  auto round2 = [](double v) { return std::round(v * 100) / 100; };
  return nlohmann::ordered_json::array(
      {round2(u.x()), round2(u.y()), round2(u.width()), round2(u.height())});
}

}  // namespace inv

double contrastRatio(const gfx::Color& a, const gfx::Color& b) {
  const double la = inv::luminance(a), lb = inv::luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

std::vector<std::string> drawnInvariantFailures(const gfx::DrawnTextCollector& collector,
                                                const gfx::Image& image, double scale,
                                                const InvariantOptions& options) {
  std::vector<std::string> failures;
  const std::vector<inv::Seen> seen = inv::seenTexts(collector, scale);
  const std::string where = inv::wherePrefix(options);
  inv::checkOverlaps(collector, seen, scale, options, where, &failures);
  inv::checkCuts(collector, seen, scale, where, &failures);
  if (!image.isEmpty()) inv::checkContrast(collector, seen, image, scale, where, &failures);
  if (options.marketClock > 0) {
    for (const inv::Seen& s : seen)
      if (const std::string t = shownTimeAfter(s.text->text, options.marketClock); !t.empty())
        failures.push_back(where + "'" + s.text->text + "' shows " + t +
                           ", later than the market's clock " +
                           std::to_string(options.marketClock));
  }
  return failures;
}

std::vector<std::string> screenInvariantFailures() {
  return screenInvariantFailures(InvariantOptions{});
}

std::vector<std::string> screenInvariantFailures(const InvariantOptions& options) {
  const double scale = options.scale > 0 ? options.scale : Screen::main().scale();
  std::vector<std::string> failures;
  {
    gfx::DrawnTextCollector collector;
    const gfx::Image image = renderPortraitScreen(scale);
    failures = drawnInvariantFailures(collector, image, scale, options);
  }
  for (const std::string& failure : declaredInvariantFailures())
    failures.push_back(inv::wherePrefix(options) + failure);
  return failures;
}

void addCoveringView(View& view) {
  std::weak_ptr<Object> owner = view.weak_from_this();
  if (owner.expired()) {
    foundation::logError("covering view: the view is not shared yet");
    return;
  }
  inv::coveringViews().push_back(std::move(owner));
}

void addScreenInvariant(View& view, std::string name, ScreenInvariant check) {
  std::weak_ptr<Object> owner = view.weak_from_this();
  if (owner.expired()) {
    foundation::logError("invariant '%s': the view is not shared yet", name.c_str());
    return;
  }
  inv::declared().push_back({std::move(owner), &view, std::move(name), std::move(check)});
}

std::vector<std::string> declaredInvariantFailures() {
  auto& all = inv::declared();
  all.erase(std::remove_if(all.begin(), all.end(),
                           [](const inv::Declared& d) { return d.owner.expired(); }),
            all.end());
  std::vector<std::string> failures;
  // A check may declare another (a screen loaded on the way): walk a copy.
  const std::vector<inv::Declared> now = all;
  for (const inv::Declared& d : now) {
    const std::shared_ptr<Object> keep = d.owner.lock();
    if (!keep || !inv::inSight(*d.view)) continue;
    const std::string failure = d.check();
    if (!failure.empty()) failures.push_back(d.name + ": " + failure);
  }
  return failures;
}

std::string shotJson(const gfx::DrawnTextCollector& collector, double scale) {
  const gfx::Rect screen = inv::screenPixels(scale);
  const gfx::Rect picture = inv::upright(screen, scale);
  nlohmann::ordered_json shot;
  shot["width"] = picture.width();
  shot["height"] = picture.height();
  shot["scale"] = scale;
  nlohmann::ordered_json texts = nlohmann::ordered_json::array();
  nlohmann::ordered_json images = nlohmann::ordered_json::array();
  for (const gfx::DrawnText& t : collector.visible(screen)) {
    nlohmann::ordered_json item;
    if (t.image) {
      item["name"] = t.text;
      item["rect"] = inv::rectJson(t.ink.standardized(), scale);
      images.push_back(std::move(item));
      continue;
    }
    item["text"] = t.text;
    nlohmann::ordered_json lines = nlohmann::ordered_json::array();
    for (const gfx::Rect& line : t.lines) lines.push_back(inv::rectJson(line.standardized(), scale));
    item["lines"] = std::move(lines);
    item["clip"] = inv::rectJson(t.clip.intersection(screen), scale);
    if (t.color.isPattern()) {
      item["color"] = nullptr;
    } else {
      char alpha[8];
      std::snprintf(alpha, sizeof alpha, "%02X",
                    static_cast<int>(std::lround(std::clamp(t.color.a(), 0.0, 1.0) * 255)));
      item["color"] = inv::hexColor(t.color) + alpha;
    }
    texts.push_back(std::move(item));
  }
  shot["texts"] = std::move(texts);
  shot["images"] = std::move(images);
  return shot.dump(1);
}

bool writeShotJson(const std::string& path, const gfx::DrawnTextCollector& collector,
                   double scale) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << shotJson(collector, scale) << '\n';
  if (!out.flush()) {
    foundation::logError("cannot write '%s'", path.c_str());
    return false;
  }
  return true;
}

}  // namespace ui
