// Registers the ranking screens and the index ticker under their class names in
// ui::ClassRegistry. The application calls it once at start, after the watch list's.
#pragma once

void RegisterRankingClasses();
