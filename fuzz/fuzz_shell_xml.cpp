// Arbitrary text as an XML document from a server (message contents, configuration pages):
// turning it into nested dictionaries must never crash, whatever the nesting or encoding. Any
// text escaped for a mail comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/XmlText.h"
#include "fuzz/FuzzSupport.h"
#include "shell/SharedTool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  XMLReader::dictionaryForXMLString(std::string_view(reinterpret_cast<const char*>(data), size),
                                    &error);
  foundation::Data bytes(data, data + size);
  XMLReader::dictionaryForXMLData(bytes);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (XmlUnescape(XmlEscape(text)) != text) std::abort();
  XmlUnescape(text);
  return 0;
}
