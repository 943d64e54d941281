// Sizes of the 320-point phone screen that the screens lay themselves out by.
#pragma once

#include "platform/ui/Screen.h"

// The status bar, the navigation bar and the tab bar together.
inline constexpr double kScreenBarsHeight = 108;

// The height left to a screen's content between its bars: the screen height - 108.
inline double ScreenContentHeight() {
  return ui::Screen::main().bounds().height() - kScreenBarsHeight;
}
