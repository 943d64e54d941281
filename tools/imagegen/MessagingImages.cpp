// The images of the messaging screens.
#include "tools/imagegen/ImageGen.h"

namespace imagegen {

void MessagingImages() {}

}  // namespace imagegen
