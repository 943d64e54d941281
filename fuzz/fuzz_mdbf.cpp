// Record-table parser: parse, extend with a second part, read every field of every record,
// copy, delete and serialise again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/MDBF.h"
#include "fuzz/FuzzSupport.h"  // drops log lines
#include "platform/foundation/Log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool quiet =
      (foundation::setLogLevel(foundation::LogLevel::Error),
       foundation::setLogSink([](foundation::LogLevel, const std::string&) {}), true);
  (void)quiet;
  if (size > 70000) return 0;
  int len = static_cast<int>(size);
  MDBF t;
  int used = t.Parse(data, len);
  if (used > 0 && used < len) t.AppendPacket(data + used, len - used);
  // Also a split that often cuts a table in the middle.
  MDBF u;
  u.AppendPacket(data, len / 2);
  u.AppendPacket(data + len / 2, len - len / 2);

  char text[64];
  for (int r = 0; r < t.GetRecordNum() && r < 64; ++r) {
    t.Seek(r);
    for (int s = 0; s < t.GetFieldNum(); ++s) {
      int id = t.GetFieldInfo(s)->no;
      // Read each form on its own: their sum could overflow, which is the harness's fault.
      volatile int64_t sink = t.GetInt(id);
      sink = t.GetLong(id);
      sink = t.GetInt64(id);
      (void)sink;
      t.GetFieldText(id, text, static_cast<int>(1 + (r % sizeof text)));
      volatile size_t n = t.GetNSString(id).size();
      (void)n;
    }
  }
  MDBF copy;
  copy.CopyFrom(t, 1, 3);
  copy.Merge(u);
  if (copy.GetRecordNum() > 0) copy.DeleteRecord(0);
  uint8_t out[4096];
  int written = 0;
  copy.SerializeAll(out, sizeof out, &written);
  t.Serialize(0, t.GetRecordNum(), out, sizeof out, &written);
  return 0;
}
