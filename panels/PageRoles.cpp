#include "panels/PageRoles.h"

// The roles are abstract; this unit anchors the library so the pages built here link as one.
void PanelsLinked() {}
