// Arbitrary text as an XML document from a server (message contents, configuration pages):
// turning it into nested dictionaries must never crash, whatever the nesting or encoding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "shell/SharedTool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  XMLReader::dictionaryForXMLString(std::string_view(reinterpret_cast<const char*>(data), size),
                                    &error);
  foundation::Data bytes(data, data + size);
  XMLReader::dictionaryForXMLData(bytes);
  return 0;
}
