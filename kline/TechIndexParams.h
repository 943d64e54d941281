// The indicator parameters of the landscape chart: five rows (MACD, KDJ, RSI, BIAS, CCI) of up
// to four periods, with the bundle defaults ("TechIndexParamList.plist") and the user's list
// ("TechIndexParamListSaved.plist" in the documents folder: an array of five dictionaries with
// integer values under "0", "1", "2", rewritten whole and atomically on each apply).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/foundation/Value.h"

namespace kline {

inline constexpr int kParamRows = 5;
inline constexpr int kParamColumns = 4;
inline constexpr int kParamMin = 1;
inline constexpr int kParamMax = 100;
using ParamTable = std::array<std::array<int32_t, kParamColumns>, kParamRows>;

inline constexpr const char* kParamBundleFile = "TechIndexParamList.plist";
inline constexpr const char* kParamSavedFile = "TechIndexParamListSaved.plist";

// The common published periods, used when the bundle list cannot be read.
ParamTable BuiltInParams();
// Columns a row uses: 1 for CCI, else 3.
int ParamColumns(int row);

// A list that is an array of five dictionaries, or null.
foundation::Value CheckedParamList(const foundation::Value& list);
// Row values from a list: only integers 1..100 under "0".."3" are taken, `fallback`'s value for
// anything else (a missing key, a text, 0, 500).
ParamTable TableFromList(const foundation::Value& list, const ParamTable& fallback);
// The same table as a list of five dictionaries (what a missing bundle list gives way to).
foundation::Value ListFromTable(const ParamTable& table);

struct ParamStore {
  ParamTable defaults{};   // the bundle list's values
  ParamTable table{};      // the working values
  foundation::Value list;  // the working list, written on apply
  // Reads the bundle list and the user's file (a file that is unreadable or not five
  // dictionaries is ignored and the bundle list used).
  void load();
  // Stores `count` values of a row in the list and the table and writes the file; false when
  // the write failed (the values are kept either way).
  bool apply(int row, const int32_t* values, int count);
  static std::string savedPath();
};

}  // namespace kline
