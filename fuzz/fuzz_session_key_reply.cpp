// The trade server's answer to the key exchange: arbitrary bytes must never crash, and the
// session key stays a 16-character key whatever comes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/CDataCenter.h"
#include "core/TradeRequests.h"
#include "fuzz/FuzzSupport.h"  // drops log lines

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GetDataCenter().SetSessionKey(CDataCenter::kRequestKey2);
  int result = ApplySessionKeyReply(nullptr, data, static_cast<int>(size > 65535 ? 65535 : size));
  std::string key = GetDataCenter().GetSessionKey();
  if (result != 0 && key != CDataCenter::kRequestKey2) std::abort();  // a failure keeps the key
  if (key.size() > 16) std::abort();
  return 0;
}
