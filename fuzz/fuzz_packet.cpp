// Packet cutter over a stream of arbitrary bytes: cut until the stream is bad or short.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/DataEncrypt.h"
#include "core/PacketHeader.h"
#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/foundation/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet =
      (foundation::setLogSink([](foundation::LogLevel, const std::string&) {}), true);
  (void)quiet;
  static auto work = std::make_unique<LzwWorkArea>();
  static uint8_t body[9000];
  if (size > 9000) return 0;
  std::vector<uint8_t> stream(data, data + size);
  size_t pos = 0;
  for (;;) {
    PacketHeader h;
    int len = -1, used = -1;
    CutResult r = CutPacket(stream.data() + pos, static_cast<int>(stream.size() - pos), 9000,
                            kRequestKey1, work.get(), &h, body, sizeof body, &len, &used);
    if (r != CutResult::Complete) break;
    if (used < 16 || static_cast<size_t>(used) > stream.size() - pos || len < 0 ||
        len > static_cast<int>(sizeof body) || h.bodyLen != len)
      std::abort();
    pos += static_cast<size_t>(used);
  }
  return 0;
}
