// Property lists (XML and binary) read and written through libplist.
//
// Every Value type maps onto a property-list type except null, which property lists cannot
// hold: a null inside an array or dictionary is left out when writing, and a null document is
// an error. Strings are stored as UTF-8 up to their first NUL; invalid UTF-8 read from a file
// becomes U+FFFD. Dates keep whole seconds in XML and milliseconds in binary files (whole seconds
// before 2001). Damaged or hostile input gives an error result, never a crash.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/DurableFile.h"
#include "platform/foundation/Value.h"

namespace foundation {

enum class PropertyListFormat { Xml, Binary };

struct PropertyListResult {
  Value value;        // null on error
  std::string error;  // empty on success
  bool ok() const { return error.empty(); }
};

class PropertyList {
 public:
  // Nesting deeper than this is rejected (protects the stack against hostile files).
  static constexpr int kMaxDepth = 512;

  // Parses XML or binary bytes; the format is detected from the content.
  static PropertyListResult parse(std::string_view bytes);
  // Reads and parses a file. A missing file is an error like any other ("cannot read").
  static PropertyListResult readFile(const std::string& path);

  // Serialises `value`; false (and logs) when it cannot be represented.
  static bool serialize(const Value& value, PropertyListFormat format, std::string& out);
  // Writes to a temporary file beside `path` and renames it over, so a crash never leaves a
  // half-written file. Creates missing parent folders; `options` as for writeFileAtomically.
  static bool writeFile(const std::string& path, const Value& value,
                        PropertyListFormat format = PropertyListFormat::Xml,
                        AtomicWriteOptions options = {});
};

// Small file helpers shared by the stores built on property lists.
// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& out);

}  // namespace foundation
