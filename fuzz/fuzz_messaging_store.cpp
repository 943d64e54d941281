// Arbitrary bytes as a user's received and sent message files: loading, the shown list of each
// menu item, one adviser's conversation and counts, and the adviser ordering must never crash,
// whatever the files hold (wrong value types, missing keys, damaged lists).
// Input: a 2-byte little-endian length n, n bytes of the received file, the rest the sent file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/MessagingFuzzSupport.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageStore.h"
#include "messaging/MessagingSession.h"
#include "platform/foundation/UserDefaults.h"

namespace {

class MenuOwner : public MessageStoreOwner {
 public:
  int item = 2;
  int selectedMenuItem() const override { return item; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::StartAsMessageUser();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzsupport::WriteMessageFiles(data, size)) return 0;
  foundation::UserDefaults::standard().remove("fuzz-startID");
  MessagingSession::shared().reset();
  MenuOwner owner;
  MyMessageStore store(&owner);
  store.initMessageFromFile();
  const foundation::Array& total = store.totalMessages();
  if (total.size() > 100000) std::abort();
  for (int item = 0; item < 4; ++item) {
    owner.item = item;
    store.updateShowingMessageList();
    store.updateUnreadMessageCount();
    for (int index : store.showIndexArray()) {
      if (index < 0 || static_cast<size_t>(index) >= total.size()) std::abort();
    }
  }
  // Adviser rows named after the senders and receivers the files hold.
  foundation::Array rows;
  for (const auto& message : total) {
    rows.push_back(foundation::Value(foundation::Dictionary{
        {"broker_id", foundation::Value(message["brokerID"].toString())},
        {"broker_name", foundation::Value("x")}}));
    if (rows.size() >= 50) break;
  }
  for (const auto& sent : store.sentMessages()) {
    rows.push_back(foundation::Value(foundation::Dictionary{
        {"broker_id", foundation::Value(sent["sendMessageKey_recivers"].toString())}}));
    if (rows.size() >= 100) break;
  }
  rows.push_back(foundation::Value(7));
  for (const auto& row : rows) {
    foundation::Dictionary summary;
    store.getAllMessageWithIndex(row, &summary);
    store.getAllMessageWithIndex(row, nullptr);
  }
  store.brokerListArray() = rows;
  store.sortBrokerList();
  if (store.brokerListArray().size() != rows.size()) std::abort();
  KeepSortedBrokerList({});
  fuzzsupport::DrainMainLoop();
  return 0;
}
