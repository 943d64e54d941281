#include "core/RadarReplies.h"

#include "core/MDBF.h"

int WalkRecordTables(const uint8_t* body, int length, MDBF& table,
                     const std::function<bool(MDBF&)>& each) {
  int at = 0;
  while (body && at < length) {
    const int used = table.Parse(body + at, length - at);
    // Parse answers at most the bytes it was given; anything else ends the walk.
    if (used <= 0 || used > length - at) break;
    at += used;
    if (!each(table)) break;
  }
  return at;
}

int AppendRadarRows(MDBF& table, int textField, std::vector<RadarRow>& rows, int maxRows) {
  int added = 0;
  const int records = table.GetRecordNum();
  for (int i = 0; i < records && static_cast<int>(rows.size()) < maxRows; ++i) {
    if (table.Seek(i) < 0) break;
    RadarRow row;
    row.date = table.GetInt(21);
    row.time = table.GetInt(20);
    row.id = table.GetInt64(22);
    row.text = table.GetNSString(textField);
    rows.push_back(std::move(row));
    ++added;
  }
  return added;
}

std::vector<RadarRow> ReadRadarRows(const uint8_t* body, int length, int textField, int maxRows) {
  std::vector<RadarRow> rows;
  MDBF table;
  WalkRecordTables(body, length, table, [&](MDBF& t) {
    AppendRadarRows(t, textField, rows, maxRows);
    return static_cast<int>(rows.size()) < maxRows;
  });
  return rows;
}

int GatherRadarPacket(MDBF& list, const uint8_t* body, int length, bool first, int maxRows) {
  int at = 0;
  if (first) {
    const int used = list.Parse(body, length);  // clears the list whatever it finds
    if (used <= 0 || used > length) return 0;
    at = used;
  }
  MDBF part;
  while (body && at < length && list.GetRecordNum() < maxRows) {
    const int used = part.Parse(body + at, length - at);
    if (used <= 0 || used > length - at) break;
    if (list.AppendPacket(body + at, used) < 0) break;
    at += used;
  }
  return at;
}
