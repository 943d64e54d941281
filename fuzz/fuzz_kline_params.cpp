// Arbitrary bytes as "TechIndexParamListSaved.plist" read through the landscape screen's loader:
// the table always holds five rows of periods 1..100, and an apply then writes a file that
// reads back as what was applied.
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzSupport.h"
#include "kline/TechIndexParams.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

namespace {

void CheckTable(const kline::ParamTable& table) {
  for (int i = 0; i < kline::kParamRows; ++i)
    for (int j = 0; j < kline::ParamColumns(i); ++j) {
      const int32_t v = table[static_cast<size_t>(i)][static_cast<size_t>(j)];
      if (v < kline::kParamMin || v > kline::kParamMax) std::abort();
    }
}

}  // namespace

// The folders are set once the program's statics exist (not from another static's initialiser).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  foundation::setDocumentsDir(fuzzsupport::ScratchDir());
  foundation::setBundleDir(fuzzsupport::ScratchDir());
  foundation::PropertyList::writeFile(fuzzsupport::ScratchPath(kline::kParamBundleFile),
                                      kline::ListFromTable(kline::BuiltInParams()));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::WriteBytes(kline::ParamStore::savedPath(), data, size);
  kline::ParamStore store;
  store.load();
  CheckTable(store.table);
  const int row = size > 0 ? data[0] % kline::kParamRows : 0;
  const int32_t values[3] = {1 + (size > 1 ? data[1] % 100 : 0), 50, 100};
  store.apply(row, values, kline::ParamColumns(row));
  kline::ParamStore again;
  again.load();
  CheckTable(again.table);
  for (int c = 0; c < kline::ParamColumns(row); ++c)
    if (again.table[static_cast<size_t>(row)][static_cast<size_t>(c)] != values[c]) std::abort();
  return 0;
}
