// Text-pair reader: look up fields named by the input itself and a fixed set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "core/LineStep.h"
#include "fuzz/FuzzSupport.h"  // drops log lines

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CLineStep body;
  body.Append(data, static_cast<uint32_t>(size));
  char out[32];
  int fields[] = {0, 1, 2, 3, 12, 32, 100, -1, 2147483647, size ? data[0] : 5};
  for (int f : fields) {
    for (int cap : {1, 2, 8, 32}) {
      char* end = body.GetValue(f, out, cap);
      if (end < out || end > out + cap - 1 || out[cap - 1] != 0) std::abort();
    }
    volatile int v = body.GetIntValue(f);
    int date = 0, time = 0;
    body.GetDateTimeValue(f, &date, &time);
    (void)v;
  }
  return 0;
}
