// Where the user has got to, as the screens say it where the class of the screen on top does not
// tell: the market list shown, the detail page and the kind of security it shows, the K-line
// period, the landscape screen's page and bar. A screen says it in one line where that changes;
// the random walker listens, logs each new place and sums them up per campaign, so that a
// campaign names what no walk reached. Without a listener a note costs a comparison. Main thread.
#pragma once

#include <functional>
#include <string>

namespace ui {

// The screen says it now shows `place` of `area` ("market list", "沪深 上证A股"). A place other
// than the last one noted for its area goes to the listener.
void noteReached(const std::string& area, const std::string& place);

// The listener (an empty one removes it); setting one forgets the places noted so far, so that
// the first note of every area reaches it.
using ReachedListener = std::function<void(const std::string& area, const std::string& place)>;
void setReachedListener(ReachedListener listener);

// The last place noted for the area ("" when none).
std::string reachedPlace(const std::string& area);

}  // namespace ui
