// Registers the component kit's views under their interface names in ui::ClassRegistry, so that
// screens make them by name ("Table_TableView" through Extend::produceObject, the row views
// through TableCell::defaultUsingXIB). The application calls it once at start, after the shell's
// own registration; later kit pieces add their names here.
#pragma once

void RegisterWidgetClasses();
