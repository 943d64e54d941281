// What no screen may show, judged on the screen as it is now: text over text, text cut at an
// edge, unreadable text, and the invariants screens declare of themselves (the page a menu
// marks is the page shown, a sorted list's rows follow its arrow...). The headless runner asks
// after every shot, the monkey after every step.
//
// The drawn checks, on the texts a person sees (gfx::DrawnTextCollector::visible):
//   - text over text: the glyphs of two seen texts overlap by more than a point (2 device
//     pixels at scale 2), also where one shows through a translucent view over the other;
//   - text cut: a seen text's glyphs reach more than a point beyond the screen, its clip, or
//     under an opaque view painted after it (an expect counts a text as seen from half of it
//     on; this check wants all of it); also a text the keyboard covers in part (one in a list
//     that scrolls down aside: its rows pass under the keyboard as they scroll), which the
//     keyboard's window, drawn over the screen, leaves cut in two. What an alert or a waiting
//     box (addCoveringView) covers is hidden on purpose, not cut;
//   - a time to come: with the market's clock given, a seen date and time of day later than it;
//   - unreadable: a seen text's colour against the background around its lines has a contrast
//     ratio (relative luminance, as the web's accessibility rules measure it) below 1.5 : 1.
//
// A screen declares an invariant of its own with addScreenInvariant, typically where its view
// is loaded:
//
//   ui::addScreenInvariant(*view(), "detail pager", [weak = weakAs<DetailPager>()] {
//     auto self = weak.lock();
//     if (!self || self->markedItem() == self->pageShown()) return std::string();
//     return "the menu marks '" + self->markedTitle() + "' but page " + ... + " is shown";
//   });
//
// The check is asked after every shot and monkey step while the view is on screen, until the
// view is released; it must be cheap and must not change what it looks at.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

namespace ui {

class View;

// A named overlap a script allows ("allow-overlap TEXT1 TEXT2 # why"): two seen texts that
// contain `first` and `second` (in either order) may overlap.
struct AllowedOverlap {
  std::string first;
  std::string second;
  std::string reason;
};

struct InvariantOptions {
  // The scale the screen is drawn at for the checks (0: the screen's own scale).
  double scale = 0;
  std::vector<AllowedOverlap> allowed;
  // Names the screen in the failure lines (a shot's file name, a monkey step).
  std::string where;
  // The market's clock (yyyymmddhhmm) where it holds still: no seen text may show a date and
  // time later than it. 0: not judged.
  int64_t marketClock = 0;
};

// One line per failure (empty when the screen breaks nothing), each naming the texts, their
// rects (device pixels of the upright picture) and the screen. Draws the screen once.
std::vector<std::string> screenInvariantFailures();
std::vector<std::string> screenInvariantFailures(const InvariantOptions& options);

// The drawn checks on one drawing pass: `collector` saw the screen drawn into `image` at
// `scale` (the portrait screen, not yet turned upright). Declared invariants are left out.
std::vector<std::string> drawnInvariantFailures(const gfx::DrawnTextCollector& collector,
                                                const gfx::Image& image, double scale,
                                                const InvariantOptions& options);

// A view laid over a screen on purpose while it shows (a waiting box): what it covers is hidden
// as under an alert, not cut by the screen's layout. Held weakly (the view must be owned by a
// shared pointer already). Main thread.
void addCoveringView(View& view);

// --- invariants screens declare ----------------------------------------------------------------

// Empty while it holds; else what is wrong, in one line.
using ScreenInvariant = std::function<std::string()>;
// Asks `check` while `view` is on screen (in a shown window, it and its ancestors shown), for as
// long as the view lives (it must be owned by a shared pointer already). `name` starts its
// failure lines. Main thread.
void addScreenInvariant(View& view, std::string name, ScreenInvariant check);
// The failures of the declared invariants of the views now on screen.
std::vector<std::string> declaredInvariantFailures();

// --- what a shot shows, for other tools ---------------------------------------------------------

// The JSON of a drawing pass (see writeShotJson): the upright picture's size, every seen text
// with the device rects of its lines, its clip and its colour, every seen bundle image with its
// rect; rects as [x, y, width, height] in device pixels of the upright picture.
std::string shotJson(const gfx::DrawnTextCollector& collector, double scale);
// Writes it; false (logged) when it cannot be written.
bool writeShotJson(const std::string& path, const gfx::DrawnTextCollector& collector,
                   double scale);

// The contrast ratio of two opaque colours (1 to 21), by their relative luminance.
double contrastRatio(const gfx::Color& a, const gfx::Color& b);

}  // namespace ui
