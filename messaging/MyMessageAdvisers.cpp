// The adviser pane of the message centre: the adviser list (advisers of an investor; colleagues,
// clients and client groups of an adviser, by letter with an index) and the tag table, their
// rows with counts and unread badges, and what the card's actions do.
#include <algorithm>
#include <charconv>

#include "core/CoreState.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/CommunionViewController.h"
#include "messaging/MyMessage.h"
#include "messaging/SendMessageViewController.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/MailComposer.h"
#include "platform/ui/NavigationController.h"
#include "shell/Extend.h"
#include "shell/SharedTool.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

using foundation::Value;

namespace {

constexpr const char* kRowImage = "bg(经济人列表栏）.png";

}  // namespace

// --- sections ---------------------------------------------------------------------------------

int MyMessage::getIntFromIndexPath(const ui::IndexPath& path) const {
  if (!IsAdviserLogin()) {
    return path.row >= 0 && path.row < static_cast<int>(const_cast<MyMessage*>(this)->store_.brokerListArray().size())
               ? path.row
               : -1;
  }
  return brokerSections_.positionAt(path);
}

ui::IndexPath MyMessage::getIndexPathFromInt(int position) const {
  if (!IsAdviserLogin()) return ui::IndexPath::forRow(position, 0);
  return brokerSections_.pathOf(position);
}

int MyMessage::getIntFromIndexPath_TagList(const ui::IndexPath& path) const {
  return tagSections_.positionAt(path);
}

ui::IndexPath MyMessage::getIndexPathFromInt_TagList(int position) const {
  return tagSections_.pathOf(position);
}

int MyMessage::numberOfSectionsInTableView(ui::TableView& table) {
  if (&table == brokerListTableView_.get())
    return IsAdviserLogin() ? static_cast<int>(brokerSections_.keys.size()) : 1;
  if (&table == tagDetailTableView_.get()) return static_cast<int>(tagSections_.keys.size());
  return 1;
}

std::vector<std::string> MyMessage::sectionIndexTitlesForTableView(ui::TableView& table) {
  if (&table == brokerListTableView_.get() && IsAdviserLogin()) return brokerSections_.keys;
  if (&table == tagDetailTableView_.get()) return tagSections_.keys;
  return {};
}

std::string MyMessage::tableViewTitleForHeaderInSection(ui::TableView& table, int section) {
  if (&table == tagDetailTableView_.get()) return tagSections_.key(section);
  if (&table == brokerListTableView_.get() && IsAdviserLogin()) return brokerSections_.key(section);
  return {};
}

void MyMessage::updateAllList_BrokerAccount() {
  store_.brokerListArray() = BuildBrokerList();
  if (IsAdviserLogin()) {
    brokerSections_ = LetterSections::Of(store_.brokerListArray());
    reloadBrokerListTableView();
  } else {
    brokerSections_ = Sections{};
    store_.initBrokerListArray_NoBroker();
  }
}

void MyMessage::refreshTagListArray(const Value& row) {
  currentTagListArray_.clear();
  if (row["broker_index"].toInt(0) < 0) currentTagListArray_ = GetBrokerRows(row);
  tagSections_ = LetterSections::Of(currentTagListArray_);
}

// --- rows ---------------------------------------------------------------------------------------

void MyMessage::configCell(ui::TableViewCell& cell) {
  ui::View* content = cell.contentView();
  if (content->viewWithTag(kTagRowGround)) return;
  const double h = brokerListTableView_ ? brokerListTableView_->rowHeight() : 43;
  auto ground = ui::ImageView::create(gfx::Rect(0, 0, 320, h));
  ground->setTag(kTagRowGround);
  ground->setImage(gfx::Image::named(kRowImage));
  content->addSubview(ground);
  auto name = MakeClearLabel(gfx::Rect(10, 0, 276, h), gfx::Font::systemFont(17));
  name->setTag(kTagRowName);
  content->addSubview(name);
  auto count = MakeClearLabel(gfx::Rect(170, 0, 111, h), gfx::Font::systemFont(11));
  count->setTag(kTagRowCount);
  count->setTextAlignment(gfx::TextAlignment::Right);
  content->addSubview(count);
}

void MyMessage::updateCell(ui::TableViewCell& cell, const Value& row, double rowWidth) {
  ui::View* content = cell.contentView();
  auto* ground = dynamic_cast<ui::ImageView*>(content->viewWithTag(kTagRowGround));
  auto* name = dynamic_cast<ui::Label*>(content->viewWithTag(kTagRowName));
  auto* count = dynamic_cast<ui::Label*>(content->viewWithTag(kTagRowCount));
  if (!ground || !name || !count) return;
  // The name, the count and the badge end where the row does (short of a letter index).
  const double h = brokerListTableView_ ? brokerListTableView_->rowHeight() : 43;
  name->setFrame(gfx::Rect(10, 0, std::max(0.0, rowWidth - 44), h));
  count->setFrame(gfx::Rect(rowWidth - 150, 0, 111, h));
  ground->setImage(gfx::Image::named(kRowImage));
  auto removeBadge = [content] {
    if (ui::View* badge = content->viewWithTag(kTagRowBadge)) badge->removeFromSuperview();
  };
  if (row["broker_index"].toInt(0) < 0) {
    cell.setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    name->setText(row["broker_name"].toString());
    name->setTextColor(gfx::Color::black());
    count->setText("");
    removeBadge();
    return;
  }
  cell.setAccessoryType(ui::TableViewCellAccessoryType::None);
  foundation::Dictionary summary;
  store_.getAllMessageWithIndex(row, &summary);
  const int total = static_cast<int>(summary.get("TOTAL").toInt(0));
  const int unread = static_cast<int>(summary.get("UNREAD").toInt(0));
  std::string text;
  gfx::Color colour = gfx::Color::black();
  if (total >= 1) {
    text = foundation::format("共%d条消息(%d条未读)", total, unread);
    colour = gfx::Color(1 / 255.0, 21 / 255.0, 37 / 255.0, 192 / 255.0);
    if (unread > 0) colour = gfx::Color::rgb255(255, 0, 0);
  }
  name->setTextColor(colour);
  name->setText(row["broker_name"].toString());
  count->setText(text);
  if (unread < 1) {
    removeBadge();
    return;
  }
  auto* badge = dynamic_cast<ui::Label*>(content->viewWithTag(kTagRowBadge));
  if (!badge) {
    auto made = ui::Label::create(gfx::Rect(0, 0, 20, 20));
    made->setTag(kTagRowBadge);
    made->setBackgroundColor(gfx::Color::rgb255(255, 0, 0));
    made->setTextColor(gfx::Color::white());
    made->setTextAlignment(gfx::TextAlignment::Center);
    made->setFont(gfx::Font::named("Helvetica-Bold", 9));
    made->layer().setCornerRadius(10);
    made->layer().setBorderWidth(1);
    made->layer().setBorderColor(gfx::Color::rgb255(255, 0, 0));
    made->setClipsToBounds(true);
    content->addSubview(made);
    badge = made.get();
  }
  badge->setFrame(gfx::Rect(rowWidth - 17 - 10, h / 2 - 10, 20, 20));
  badge->setText(std::to_string(unread));
}

// --- actions ------------------------------------------------------------------------------------

void MyMessage::brokerDetailWithActionID(BrokerDetail& card, int actionId) {
  const Value row = card.brokerDetail();
  switch (actionId) {
    case 1: doAction(2, row); return;
    case 2: doAction(1, row); return;
    case 3: doAction(0, row); return;
    case 4: doAction(3, row); return;
    case 5: doAction(4, row); return;
    case 6:
      if (card.switchMessage())
        ToggleBrokerOnOff(row["broker_id"].toString(), !card.switchMessage()->isOn());
      return;
    default:
      return;
  }
}

void MyMessage::doAction(int action, const Value& given) {
  // Two of the card's buttons pressed at once (two fingers): the first opened its screen, the
  // second does nothing over it.
  if (presentedViewController()) return;
  currentSelect_ = FindBrokerIndex(given["broker_id"].toString());
  const auto& rows = store_.brokerListArray();
  if (currentSelect_ < 0 || currentSelect_ >= static_cast<int>(rows.size())) return;
  const Value row = rows[static_cast<size_t>(currentSelect_)];
  switch (action) {
    case 0:
      SharedTool::makeCall(row["broker_mphone"].toString());
      return;
    case 1: {
      auto compose = Extend::produceObject<SendMessageViewController>("SendMessageViewController");
      if (!compose) return;
      presentModalViewController(compose, true);
      MySendMessageView* sheet = compose->sendMessageView();
      // The picker lists the directory by initial (for an adviser, groups first), so the card's
      // person is found there by id rather than by its place in this list.
      sheet->setReceiverArray(BuildBrokerList());
      sheet->setInitSelect(sheet->receiverPosition(row["broker_id"].toString()));
      sheet->setInitReceiverData(row["broker_name"].toString(), false);
      return;
    }
    case 2:
      showNewPersonViewController(Value(foundation::Dictionary{
          {"broker_name", row["broker_name"]},
          {"mobilePhone", row["broker_mphone"]},
          {"phone", row["broker_phone"]}}));
      return;
    case 3:
      SharedTool::makeCall(row["broker_phone"].toString());
      return;
    case 4: {
      auto conversation = store_.getAllMessageWithIndex(row, nullptr);
      if (!conversation || conversation->empty()) {
        ShowMessageAlert("没有任何消息记录");
        return;
      }
      auto communion = Extend::produceObject<CommunionViewController>("CommunionViewController");
      if (!communion) return;
      presentModalViewController(communion, true);
      communion->addContents(*conversation);
      communion->updateCommunionView();
      store_.changeAllToRead(row["broker_id"]);
      communion->setCurrentBrokerID(row["broker_id"].toString());
      communion->setTitle(row["broker_name"].toString());
      std::weak_ptr<MyMessage> weak = weakAs<MyMessage>();
      communion->setDeleteHandler([weak, row](const foundation::Array& marked) -> std::optional<foundation::Array> {
        auto self = weak.lock();
        if (!self) return std::nullopt;
        self->deleteCommunionRows(marked);
        return self->store().getAllMessageWithIndex(row, nullptr);
      });
      return;
    }
    default:
      return;
  }
}

void MyMessage::showNewPersonViewController(const Value& person) {
  ui::Contact contact;
  contact.firstName = person["broker_name"].toString();
  contact.phones.emplace_back("mobile", person["mobilePhone"].toString());
  contact.phones.emplace_back("main", person["phone"].toString());
  if (contact.firstName.empty() && person["mobilePhone"].toString().empty()) return;
  presentNewContact(std::move(contact));
}

void MyMessage::showNewPersonViewController(const std::string& phone, const std::string& name) {
  ui::Contact contact;
  contact.firstName = name;
  contact.phones.emplace_back("mobile", phone);
  presentNewContact(std::move(contact));
}

// The system's new-contact screen over the centre, filled in; it closes itself either way.
void MyMessage::presentNewContact(ui::Contact contact) {
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  auto screen = ui::NewContactController::create(std::move(contact));
  std::weak_ptr<MyMessage> weak = weakAs<MyMessage>();
  screen->setCompletion([weak](ui::NewContactController&, const ui::Contact* saved) {
    foundation::logInfo(saved ? "newPerson Saved" : "newPerson Cancel");
    if (auto self = weak.lock()) self->dismissModalViewControllerAnimated(true);
  });
  auto navigation = ui::NavigationController::create(screen);
  presentModalViewController(navigation, true);
}

bool MyMessage::findWhetherOffMessage(const std::string& id) const {
  if (!currentOffMessageBrokers_) return false;
  if (*currentOffMessageBrokers_ == id) return true;
  size_t start = 0;
  const std::string& list = *currentOffMessageBrokers_;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (list.compare(start, end - start, id) == 0) return true;
    start = end + 1;
  }
  return false;
}

// --- the conversation's delete ------------------------------------------------------------------

void MyMessage::deleteSendMessage(const std::vector<int>& indexes, int type) {
  store_.deleteSendMessage(indexes, type);
  store_.updateShowingMessageList();
  store_.updateUnreadMessageCount();
  reloadMessageTable();
  updateAllList_BrokerAccount();
}

int MyMessage::deleteCommunionRows(const foundation::Array& rows) {
  std::vector<int> received;
  std::vector<int> sent;
  const foundation::Array& total = store_.totalMessages();
  const foundation::Array& sentList = store_.sentMessages();
  for (const Value& row : rows) {
    const std::string text = row["communion_index"].toString();
    int index = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc() || end != text.data() + text.size() || index < 0) continue;
    const std::string type = row["communion_type"].toString();
    const bool isSent = type == "1";
    if (!isSent && type != "0") continue;
    const foundation::Array& list = isSent ? sentList : total;
    if (static_cast<size_t>(index) >= list.size()) continue;
    const Value& stored = list[static_cast<size_t>(index)];
    const std::string date = stored[isSent ? "sendMessageKey_date" : "date"].toString();
    const std::string title = stored[isSent ? "sendMessageKey_title" : "title"].toString();
    const std::string content = stored[isSent ? "sendMessageKey_content" : "content"].toString();
    if (date != row["communion_date"].toString() || title != row["communion_title"].toString() ||
        date + "\n" + content != row["comunion_content"].toString())
      continue;
    (isSent ? sent : received).push_back(index);
  }
  if (!received.empty()) deleteSendMessage(received, 0);
  if (!sent.empty()) deleteSendMessage(sent, 1);
  foundation::logInfo("MyMessage deleteCommunionRows: %zu of %zu", received.size() + sent.size(), rows.size());
  return static_cast<int>(received.size() + sent.size());
}
