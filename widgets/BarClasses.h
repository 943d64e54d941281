// Registers the bars, the waiting box and the base screens of the component kit under their
// class names in ui::ClassRegistry (the shell makes its waiting box by name).
#pragma once

void RegisterBarClasses();
