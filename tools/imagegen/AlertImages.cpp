// The images of the alert screens.
#include "tools/imagegen/ImageGen.h"

namespace imagegen {

void AlertImages() {}

}  // namespace imagegen
