// The fuzz targets linked into the one fuzz program, by name (the table is made by the build).
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzsupport {

struct FuzzTarget {
  const char* name;                    // "fuzz_cipher": the name of the link that runs it
  int (*run)(const uint8_t*, size_t);  // the target's LLVMFuzzerTestOneInput
  int (*initialize)(int*, char***);    // its LLVMFuzzerInitialize, or nullptr
};

extern const FuzzTarget kFuzzTargets[];
extern const size_t kFuzzTargetCount;

}  // namespace fuzzsupport
