// Information replies: the section list, a title list gathered over packets and an article's
// or alert's text. Input: one byte choosing where the body is cut into two packets, then the
// body. Nothing may read past the body or keep more records than the cap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/InfoReplies.h"
#include "core/MDBF.h"
#include "fuzz/FuzzSupport.h"  // drops log lines

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 1 + 9000) return 0;
  const int len = static_cast<int>(size - 1);
  std::vector<uint8_t> body(data + 1, data + size);  // exact size: a read past it is caught
  const uint8_t* b = body.empty() ? nullptr : body.data();

  if (ReadInfoSections(b, len).size() > static_cast<size_t>(kInfoMaxRecords)) std::abort();
  if (ReadInfoSections(b, len, 2).size() > 2) std::abort();
  const InfoText text = ReadInfoText(b, len);
  if (!text.found && !text.text.empty()) std::abort();

  const int cut = len * data[0] / 255;
  MDBF list;
  GatherInfoTitles(list, b, cut, true);
  GatherInfoTitles(list, b ? b + cut : nullptr, len - cut, false, 50);
  GatherInfoTitles(list, b, len, false, 50);
  const int rows = InfoTitleCount(list);
  if (rows < 0 || rows > kInfoMaxRecords) std::abort();
  for (int i = 0; i < rows && i < 64; ++i) (void)ReadInfoTitle(list, i);
  (void)ReadInfoTitle(list, -1);
  (void)ReadInfoTitle(list, rows);
  return 0;
}
