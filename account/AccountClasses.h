// Registers the screens of this folder under their class names in ui::ClassRegistry. The
// application calls it once at start, after the detail pager's.
#pragma once

void RegisterAccountClasses();
