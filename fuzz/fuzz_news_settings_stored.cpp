// Arbitrary bytes as the stored scrolling-bar stocks ("selfstocklistself.plist"): reading must
// never crash, never give more than five rows, every code and name stays terminated, and what is
// read writes and reads back to the same rows.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "alerts/MainSettings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto parsed = foundation::PropertyList::parse(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!parsed.ok()) return 0;
  std::array<tagLocalStockData, MainSettings::kStockRows> rows;
  const int n = MainSettings::ReadStoredStocks(parsed.value, rows);
  if (n < 0 || n > MainSettings::kStockRows) std::abort();
  for (const auto& row : rows) {
    if (strnlen(row.code, sizeof row.code) > 8) std::abort();
    if (row.name[16] != u'\0') std::abort();
  }
  std::array<tagLocalStockData, MainSettings::kStockRows> back;
  if (MainSettings::ReadStoredStocks(MainSettings::StoredStocksDocument(rows.data(), n), back) != n)
    std::abort();
  for (int i = 0; i < n; ++i)
    if (std::memcmp(&rows[static_cast<size_t>(i)], &back[static_cast<size_t>(i)],
                    sizeof rows[0]) != 0)
      std::abort();
  return 0;
}
