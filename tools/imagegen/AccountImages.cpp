// The images of the account screens.
#include "tools/imagegen/ImageGen.h"

namespace imagegen {

void AccountImages() {}

}  // namespace imagegen
