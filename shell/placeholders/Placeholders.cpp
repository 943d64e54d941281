#include "platform/ui/Object.h"
#include "shell/placeholders/PlaceholderScreen.h"

// Every screen the shell names now lives in its own folder; later stand-ins register here.
void RegisterPlaceholderClasses() {}
