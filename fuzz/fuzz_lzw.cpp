// LZW: decode arbitrary streams into buffers of several sizes, and check that whatever the
// encoder accepts decodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "core/LZW.h"
#include "fuzz/FuzzSupport.h"  // drops log lines

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto work = std::make_unique<LzwWorkArea>();
  static uint8_t out[65535];
  static uint8_t packed[9000];
  if (size > 65535) return 0;
  uint16_t len = static_cast<uint16_t>(size);
  for (uint16_t cap : {uint16_t{0}, uint16_t{1}, uint16_t{300}, uint16_t{65535}}) {
    uint32_t r = LzwDecompress(work.get(), data, len, out, cap);
    if (!LzwFailed(r) && r > cap) std::abort();
  }
  if (size <= kLzwMaxInput) {
    uint32_t r = LzwCompress(work.get(), data, len, packed, sizeof packed);
    if (!LzwFailed(r)) {
      if (r >= size) std::abort();
      uint32_t back = LzwDecompress(work.get(), packed, static_cast<uint16_t>(r), out, len);
      if (back != size || std::memcmp(out, data, size) != 0) std::abort();
    }
  }
  return 0;
}
