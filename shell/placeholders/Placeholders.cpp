#include "platform/ui/Object.h"
#include "shell/placeholders/PlaceholderScreen.h"

// Every screen the shell names has its real class now; tests and demos still use
// PlaceholderScreen for screens of their own.
void RegisterPlaceholderClasses() {}
