// Arbitrary text as the server's watch-list text: the keys read must stay within the room
// given and within the item limit, and the keys read make a text that reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "shell/SelfStockUpload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks the room: a small one, or the whole list's.
  const int room = data[0] < 128 ? data[0] % 40 : kSelfStockUploadMaxItems;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  // Exactly the room, so a write past it is caught.
  std::vector<tagCodeItem> keys(static_cast<size_t>(room));
  int count = ParseSelfStockListText(text, keys.data(), room);
  if (count < 0 || count > room || count > kSelfStockUploadMaxItems) std::abort();
  std::string made = MakeSelfStockUploadText(keys.data(), count);
  if (made.size() > kSelfStockUploadTextLimit + 16) std::abort();
  return 0;
}
