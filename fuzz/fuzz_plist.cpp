// Arbitrary bytes as a property list (XML or binary): parsing must never crash, and whatever
// parses must serialise and parse back to the same value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"

using foundation::PropertyList;
using foundation::PropertyListFormat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = [] {
    foundation::setLogSink([](foundation::LogLevel, const std::string&) {});
    return true;
  }();
  (void)quiet;
  auto parsed = PropertyList::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!parsed.ok()) return 0;
  for (auto format : {PropertyListFormat::Binary, PropertyListFormat::Xml}) {
    std::string bytes;
    if (!PropertyList::serialize(parsed.value, format, bytes)) continue;
    auto again = PropertyList::parse(bytes);
    // Binary keeps every value exactly; XML may drop sub-second date parts.
    if (format == PropertyListFormat::Binary && again.ok() && again.value != parsed.value) {
      // Not a crash, but a round-trip fault worth a finding.
      std::abort();
    }
  }
  return 0;
}
