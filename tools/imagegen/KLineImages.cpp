// The images of the kline screens.
#include "tools/imagegen/ImageGen.h"

namespace imagegen {

void KLineImages() {}

}  // namespace imagegen
