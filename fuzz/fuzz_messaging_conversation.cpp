// Arbitrary bytes as a user's received and sent message files, shown as conversations: every
// adviser's rows go through the conversation view (date order, bubble heights, cells, edit marks
// and their removal) and the row list must stay whole, whatever the files hold.
// Input: as fuzz_messaging_store: a 2-byte little-endian length n, n bytes of the received file,
// the rest the sent file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "fuzz/MessagingFuzzSupport.h"
#include "messaging/CommunionView.h"
#include "messaging/MessageStore.h"
#include "messaging/MessagingSession.h"

namespace {

class ConversationOwner : public MessageStoreOwner {
 public:
  int selectedMenuItem() const override { return 2; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::StartAsMessageUser();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!fuzzsupport::WriteMessageFiles(data, size)) return 0;
  MessagingSession::shared().reset();
  ConversationOwner owner;
  MyMessageStore store(&owner);
  store.initMessageFromFile();
  std::set<std::string> ids;
  for (const auto& message : store.totalMessages()) {
    ids.insert(message["brokerID"].toString());
    if (ids.size() >= 8) break;
  }
  for (const auto& sent : store.sentMessages()) {
    ids.insert(sent["sendMessageKey_recivers"].toString());
    if (ids.size() >= 16) break;
  }
  static std::shared_ptr<CommunionView> view = CommunionView::create(gfx::Rect(0, 44, 320, 416));
  for (const std::string& id : ids) {
    auto rows = store.getAllMessageWithIndex(
        foundation::Value(foundation::Dictionary{{"broker_id", foundation::Value(id)}}), nullptr);
    view->clearAllContents();
    if (rows) view->addContents(*rows);
    // Rows that are no dictionaries at all.
    view->addContents({foundation::Value(7), foundation::Value("x")});
    const size_t count = view->rowCount();
    if (count != (rows ? rows->size() : 0) + 2) std::abort();
    view->updateCommunionView();
    view->tableView()->layoutIfNeeded();
    view->setTableEdit(true);
    ui::TableView& table = *view->tableView();
    for (int row = 0; row < static_cast<int>(count); row += 2)
      view->tableViewDidSelectRowAtIndexPath(table, ui::IndexPath::forRow(row, 0));
    view->tableViewDidDeselectRowAtIndexPath(table, ui::IndexPath::forRow(0, 0));
    const size_t marked = view->markedRows().size();
    view->clearDeleteRows();
    if (view->rowCount() != count - marked) std::abort();
    view->setTableEdit(false);
  }
  view->clearAllContents();
  fuzzsupport::DrainMainLoop();
  return 0;
}
