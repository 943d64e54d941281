#include "core/InfoReplies.h"

#include <algorithm>

#include "core/MDBF.h"
#include "platform/foundation/Log.h"

std::vector<InfoSection> ReadInfoSections(const uint8_t* body, int length, int maxRecords) {
  std::vector<InfoSection> out;
  MDBF table;
  if (!body || table.Parse(body, length) <= 0) return out;
  const int n = std::min(table.GetRecordNum(), maxRecords);
  for (int i = 0; i < n; ++i) {
    if (table.Seek(i) < 0) break;
    InfoSection s;
    s.additional = table.GetNSString(36);
    s.title = table.GetNSString(33);
    s.partId = table.GetInt(32);
    s.partPar = table.GetInt64(34);
    s.time = table.GetInt64(20);
    out.push_back(std::move(s));
  }
  return out;
}

int GatherInfoTitles(MDBF& list, const uint8_t* body, int length, bool first, int maxRecords) {
  if (first) return list.Parse(body, length) > 0 ? list.GetRecordNum() : -1;
  if (list.GetRecordNum() >= maxRecords) {
    foundation::logInfo("information titles: %d records held, further packets dropped",
                        list.GetRecordNum());
    return list.GetRecordNum();
  }
  return list.AppendPacket(body, length) > 0 ? list.GetRecordNum() : -1;
}

int InfoTitleCount(const MDBF& list, int maxRecords) {
  return std::clamp(list.GetRecordNum(), 0, maxRecords);
}

InfoTitle ReadInfoTitle(MDBF& list, int row) {
  InfoTitle t;
  if (list.Seek(row) < 0) return t;
  t.date = list.GetInt(21);
  t.time = list.GetInt(20);
  t.title = list.GetNSString(23);
  t.summary = list.GetNSString(37);
  t.additional = list.GetNSString(36);
  t.partId = list.GetInt(32);
  return t;
}

InfoText ReadInfoText(const uint8_t* body, int length) {
  InfoText out;
  MDBF table;
  // A parsed table leaves its last record current.
  if (!body || table.Parse(body, length) <= 0 || table.GetRecno() < 0) return out;
  out.found = true;
  out.date = table.GetInt(21);
  out.time = table.GetInt(20);
  out.text = table.GetNSString(24);
  return out;
}
