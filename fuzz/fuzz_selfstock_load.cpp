// Arbitrary bytes as the stored watch list ("selfblk.cfg"): loading and reading every item,
// the owner and the list time must never crash, and the list never exceeds what may be added.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/CoreText.h"
#include "core/SelfStock.h"
#include "fuzz/FuzzSupport.h"
#include "platform/foundation/Paths.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  foundation::setDocumentsDir(fuzzsupport::ScratchDir());
  InitDocumentPath(nullptr, 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::WriteBytes(fuzzsupport::ScratchPath("selfblk.cfg"), data, size);
  int count = SelfStock_Load();
  if (count < 0 || count > kSelfStockMaxItems || count != SelfStock_GetCount()) std::abort();
  for (int i = 0; i < count; ++i) {
    const tagCodeItem* item = SelfStock_GetItem(i);
    if (!item) std::abort();
    SelfStock_Contains(item->market, item->code);
  }
  char name[kSelfStockNameSize + 1];
  SelfStock_GetUserName(name, sizeof name);
  SelfStock_IsOwner(name);
  SelfStock_GetListTime();
  TListBuffer copy;
  SelfStock_CopyList(copy);
  return 0;
}
