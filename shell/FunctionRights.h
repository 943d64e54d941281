// The one table of what a function needs before it opens: a logged-in user, or a right the
// login grants. Every path of the shell that opens a function (its tab, the More grid, the More
// bar, a role's push) asks it, and a refusal names what is missing: the login for a guest (with
// the offer to log in), the right for a logged-in user (never "游客" to a user).
//
//   if (!FunctionRights::allows("MainSortController")) {
//     FunctionRights::refuse("MainSortController", delegate, tag);
//     return;
//   }
//
// Screens the shell opened under a guard are watched: while one is on screen without what it
// needs (the rights changed with a login), the screen invariant "rights" fails, and a login
// that takes the right away closes it (see closeRefused), as does a navigation stack about to
// show it again.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/AlertView.h"
#include "platform/ui/ViewController.h"

namespace FunctionRights {

// Functions shown inside a screen rather than as a screen of their own.
inline constexpr char kWatchListMainForce[] = "SelfStockController.mainForce";
inline constexpr char kHongKongQuotes[] = "NewStockSort.hongKong";
inline constexpr char kUsQuotes[] = "NewStockSort.us";

enum class Need {
  Nothing,
  User,   // a logged-in user (not a guest)
  Right,  // a right of the login's list
};

struct Guard {
  const char* className;
  const char* title;  // the function's name as the grid shows it
  Need need;
  int right;              // with Need::Right
  const char* rightName;  // with Need::Right: what the right gives
};

// The guard of a function by its screen's class name; null for a function that needs nothing.
const Guard* guardOf(const std::string& className);
// What the session lacks for the function: empty when it may open now.
std::string missing(const std::string& className);
bool allows(const std::string& className);
// The refusal for a function the session may not open: a guest who lacks the login (or a
// right) reads the guest notice with "登录/申请" (the delegate hears the buttons under `tag`); a
// logged-in user reads which right the account lacks, with "确定".
void refuse(const std::string& className, std::weak_ptr<ui::AlertViewDelegate> delegate, int tag);
// The refusal text a logged-in user reads for a missing right.
std::string rightRefusalText(const Guard& guard);

// Watches a screen opened under its function's guard (a tab root, a pushed screen).
void watch(const std::shared_ptr<ui::ViewController>& screen, const std::string& className);
// The watched screens on screen now without what they need: one line each (the invariant's).
std::string refusedOnScreen();
// A watched screen the session may no longer show (on screen or not).
bool refuses(const ui::ViewController& screen);
// Pops every watched screen the session may no longer show off its navigation stack; true when
// one went. A tab root cannot go: the caller changes the tab.
bool closeRefused();
// Forgets the watched screens (tests).
void resetForTesting();

}  // namespace FunctionRights
