// Radar replies: the walk over a body's record tables, the rows read from it (titles and
// texts) and the gathering of a reply's packets. Input: one byte choosing where the body is cut
// into two packets, then the body. Nothing may read past the body, loop, or keep more rows than
// the cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/MDBF.h"
#include "core/RadarReplies.h"
#include "fuzz/FuzzSupport.h"  // drops log lines

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 + 9000) return 0;
  const int len = static_cast<int>(size - 1);
  // An exact copy, so that a read past the body is caught.
  std::vector<uint8_t> body(data + 1, data + size);
  const uint8_t* b = body.empty() ? nullptr : body.data();

  for (int field : {kRadarTitleField, kRadarTextField}) {
    const std::vector<RadarRow> rows = ReadRadarRows(b, len, field);
    if (rows.size() > static_cast<size_t>(kRadarMaxRows)) std::abort();
    if (ReadRadarRows(b, len, field, 3).size() > 3) std::abort();
  }
  MDBF table;
  int tables = 0;
  const int walked = WalkRecordTables(b, len, table, [&](MDBF&) { return ++tables > 0; });
  if (walked < 0 || walked > len || tables > len / 7 + 1) std::abort();

  // The reply in two packets, as the list gathers it.
  const int cut = len * data[0] / 255;
  MDBF list;
  if (GatherRadarPacket(list, b, cut, true) > cut) std::abort();
  if (GatherRadarPacket(list, b ? b + cut : nullptr, len - cut, false) > len - cut) std::abort();
  std::vector<RadarRow> rows;
  AppendRadarRows(list, kRadarTitleField, rows);
  if (rows.size() > static_cast<size_t>(kRadarMaxRows)) std::abort();
  return 0;
}
