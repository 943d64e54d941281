// What no screen may show, judged on the screen as it is now: text over text, text cut at an
// edge, unreadable text, and the invariants screens declare of themselves (the page a menu
// marks is the page shown, a sorted list's rows follow its arrow...). The headless runner asks
// after every shot, the monkey after every step.
#pragma once

#include <string>
#include <vector>

namespace ui {

// One line per failure (empty when the screen breaks nothing), each naming the texts, their
// rects and the screen.
std::vector<std::string> screenInvariantFailures();

}  // namespace ui
