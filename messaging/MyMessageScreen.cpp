// The view side of the message centre: the menu bar, the tool view with edit mode, the message
// table, the adviser list with the card and the tag table, the unread count and the badge, and
// the detail screen's delegate.
#include <algorithm>
#include <cmath>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/MessageRequests.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageCells.h"
#include "messaging/MyMessage.h"
#include "messaging/MyMessageDetailController.h"
#include "messaging/SendMessageViewController.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ShellAlerts.h"
#include "shell/TabBarController.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

using foundation::Value;

namespace {

constexpr const char* kCellIdentifier = "info-cell-identifier";
constexpr double kSlide = 0.4;

bool IsMessageUnread(const Value& message) {
  return message["unread"].toInt(0) == 1;
}

}  // namespace

void MyMessage::buildScreen() {
  const double h = ui::Screen::main().bounds().height();
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  view->setBackgroundColor(gfx::Color::black());
  setView(view);
  setTitle("我的服务");
  navigationItem().setBackBarButtonItem(ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered, {}));
  navigationItem().setHidesBackButton(true);
  navigationItem().setRightBarButtonItem(
      ui::BarButtonItem::withTitle("写信", ui::BarButtonItemStyle::Plain,
                                   ui::WhileAlive(this, &MyMessage::Action_WriteMessageBtn)));

  menuBarView_ = MenuBarView::create(gfx::Rect(0, 0, 320, 37));
  menuBarView_->initMenuBarType(3);
  menuBarView_->addItemsButtons(selectedItem_, menuTitles());
  menuBarView_->setDelegate(weakAs<MenuBarViewDelegate>());
  view->addSubview(menuBarView_);

  toolView_ = ui::View::create(gfx::Rect(0, 36, 320, 36));
  toolView_->setBackgroundColor(gfx::Color::rgb255(1, 12, 30));
  toolView_->layer().setBorderColor(gfx::Color::grey(0.33));
  toolView_->layer().setBorderWidth(1);
  toolView_->setAutoresizesSubviews(false);
  const double toolHeight = std::floor(toolView_->frame().height());
  auto count = MakeClearLabel(gfx::Rect(2, 0, 180, toolHeight), gfx::Font::boldSystemFont(13),
                              gfx::Color::white());
  count->setTag(kTagCount);
  toolView_->addSubview(count);
  const gfx::Image normal = gfx::Image::named("bg_btn.png").resizable(gfx::EdgeInsets{0, 10, 0, 10});
  const gfx::Image disabled =
      gfx::Image::named("bg_btn_highlight.png").resizable(gfx::EdgeInsets{0, 10, 0, 10});
  struct ToolButton {
    int tag;
    const char* title;
    double x;
    bool hidden;
  };
  for (const ToolButton& b : {ToolButton{kTagEdit, "编辑", 240, false},
                              ToolButton{kTagClear, "清空", 185, true},
                              ToolButton{kTagDelete, "删除", 130, true},
                              ToolButton{kTagCancel, "取消", 240, true}}) {
    auto button = MakeTextButton(gfx::Rect(b.x, 3, 50, toolHeight - 6), b.title,
                                 gfx::Font::boldSystemFont(13), gfx::Color::white());
    button->setTag(b.tag);
    button->setBackgroundImage(normal);
    button->setBackgroundImage(disabled, ui::ControlState::Disabled);
    button->setHidden(b.hidden);
    const int tag = b.tag;
    button->addTarget(ui::WhileAlive(this, [tag](MyMessage& me) { me.toolViewClicked(tag); }),
                      ui::ControlEvent::TouchUpInside);
    toolView_->addSubview(button);
  }
  view->addSubview(toolView_);

  auto table = [&](const gfx::Rect& frame, double rowHeight, const char* ground = nullptr) {
    auto t = ui::TableView::create(frame);
    if (ground) {
      auto image = ui::ImageView::create(gfx::Rect(0, 0, 320, h - 172));
      image->setImage(gfx::Image::named(ground));
      t->setBackgroundView(image);
    }
    t->setBackgroundColor(gfx::Color::clear());
    t->setSeparatorColor(gfx::Color::clear());
    t->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    t->setRowHeight(rowHeight);
    ServeTable(*t, *this);
    return t;
  };
  tableView_ = table(gfx::Rect(0, 72, 320, h - 208), MyMessageCell::kRowHeight);
  view->addSubview(tableView_);
  brokerListTableView_ = table(gfx::Rect(0, 36, 320, h - 172), 43, "bg（经济人）.png");
  brokerListTableView_->setHidden(true);
  view->addSubview(brokerListTableView_);
  tagDetailTableView_ =
      table(brokerListTableView_->frame(), brokerListTableView_->rowHeight(), "bg（经济人）.png");
  tagDetailTableView_->setHidden(true);

  brokerDetail_ = h >= 568 ? Extend::produceObject<BrokerDetail>("BrokerDetail_iP5")
                           : Extend::produceObject<BrokerDetail>("BrokerDetail");
  if (!brokerDetail_) brokerDetail_ = BrokerDetail::load();
  brokerDetail_->setFrame(brokerListTableView_->frame());
  brokerDetail_->setBrokerDetailDelegate(weakAs<BrokerDetailDelegate>());
  std::weak_ptr<MyMessage> weakSelf = weakAs<MyMessage>();
  brokerDetail_->setCloseHandler([weakSelf] {
    if (auto self = weakSelf.lock()) self->hiddenBrokerDetail(0);
  });
  brokerDetail_->setHidden(true);
  view->addSubview(brokerDetail_);
  arrangePanes();
  updateUnreadMessageCount();
}

int MyMessage::listCount() {
  return selectedItem_ == 3 ? static_cast<int>(store_.sentMessages().size())
                            : static_cast<int>(store_.showIndexArray().size());
}

void MyMessage::arrangePanes() {
  if (selectedItem_ == 3 || selectedItem_ == 2) {
    if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hideMessage();
  }
  if (!menuBarView_) return;
  if (selectedItem_ == 0) {
    hiddenBrokerDetail(0);
    showTagDetailTable(false);
    toolView_->setHidden(true);
    brokerListTableView_->setHidden(false);
    brokerListTableView_->reloadData();
    tableView_->setHidden(true);
  } else {
    hiddenBrokerDetail(1);
    toolView_->setHidden(false);
    brokerListTableView_->setHidden(true);
    tagDetailTableView_->setHidden(true);
    navigationItem().setLeftBarButtonItem(nullptr);
    tableView_->setHidden(false);
  }
}

void MyMessage::reloadMessageTable() {
  if (!tableView_) return;
  tableView_->reloadData();
  remark();
}

void MyMessage::reloadBrokerListTableView() {
  if (brokerListTableView_) brokerListTableView_->reloadData();
}

void MyMessage::updateUnreadMessageCount() {
  ui::Label* label = toolView_ ? dynamic_cast<ui::Label*>(toolView_->viewWithTag(kTagCount)) : nullptr;
  if (label) {
    label->setText(selectedItem_ == 3
                       ? foundation::format("共%d条已发消息", listCount())
                       : foundation::format("共%d条消息(%d条未读)", listCount(), store_.unreadCount()));
  }
  // The badge counts every unread mail, not the shown list's: the adviser pane and the sent
  // list show none, and the mails are no less unread for that.
  const int unread = store_.allUnreadCount();
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) {
    app->updateUnreadMessageCountOnTabBar(unread);
    if (auto* bar = app->customTabBarController()) bar->updateUnreadMessageCount(unread);
  }
}

// --- edit mode ------------------------------------------------------------------------------

std::string MyMessage::rowIdentity(int row) {
  if (selectedItem_ == 3) {
    if (row < 0 || row >= static_cast<int>(store_.sentMessages().size())) return {};
    return "s" + std::to_string(row);
  }
  const auto& shown = store_.showIndexArray();
  if (row < 0 || row >= static_cast<int>(shown.size())) return {};
  const Value& message = store_.totalMessages()[static_cast<size_t>(shown[static_cast<size_t>(row)])];
  return "r" + std::to_string(message["id"].toInt(0));
}

int MyMessage::rowOfIdentity(const std::string& identity) {
  if (identity.empty()) return -1;
  if (identity[0] == 's') {
    if (selectedItem_ != 3) return -1;
    int row = std::atoi(identity.c_str() + 1);
    return row < static_cast<int>(store_.sentMessages().size()) ? row : -1;
  }
  if (selectedItem_ == 3) return -1;
  const auto& shown = store_.showIndexArray();
  for (size_t row = 0; row < shown.size(); ++row) {
    if (rowIdentity(static_cast<int>(row)) == identity) return static_cast<int>(row);
  }
  return -1;
}

void MyMessage::remark() {
  if (!tableView_ || !tableView_->isEditing()) return;
  std::vector<std::string> kept;
  for (const auto& identity : markedIds_) {
    int row = rowOfIdentity(identity);
    if (row < 0) continue;
    kept.push_back(identity);
    tableView_->markRowAtIndexPath(ui::IndexPath::forRow(row, 0), false);
  }
  markedIds_ = kept;
}

void MyMessage::showEditButtons(bool editing) {
  editingMessages_ = editing;
  for (int tag : {kTagClear, kTagDelete, kTagCancel})
    if (auto* v = toolView_->viewWithTag(tag)) v->setHidden(!editing);
  if (auto* v = toolView_->viewWithTag(kTagEdit)) v->setHidden(editing);
}

void MyMessage::startEditMessage(bool withTable) {
  showEditButtons(true);
  if (withTable) {
    tableView_->setEditing(true, true);
    reloadMessageTable();
  }
}

void MyMessage::endEditMessage(bool withTable) {
  if (!toolView_) return;
  showEditButtons(false);
  if (withTable) {
    markedIds_.clear();
    tableView_->setEditing(false, true);
    reloadMessageTable();
  }
}

void MyMessage::toolViewClicked(int tag) {
  switch (tag) {
    case kTagEdit:
      if (listCount() == 0) return;
      markedIds_.clear();
      startEditMessage(true);
      return;
    case kTagClear:
      if (listCount() == 0) return;
      ShowAlert(selectedItem_ == 3 ? "您要删除所有已发消息吗？" : "您要删除所有消息吗？", "",
                {"确定", "取消"}, selectedItem_ == 3 ? kAlertClearSent : kAlertClearAll,
                weakAs<ui::AlertViewDelegate>());
      return;
    case kTagCancel:
      markedIds_.clear();
      endEditMessage(true);
      return;
    case kTagDelete:
      deleteSomeMessage();
      return;
    default:
      return;
  }
}

void MyMessage::deleteSomeMessage() {
  if (markedIds_.empty()) return;
  // The marks name messages; remove exactly those, wherever the poll has moved them.
  std::vector<int> rows;
  for (const auto& identity : markedIds_) {
    int row = rowOfIdentity(identity);
    if (row >= 0) rows.push_back(row);
  }
  std::sort(rows.begin(), rows.end(), std::greater<int>());
  std::vector<ui::IndexPath> paths;
  for (int row : rows) paths.push_back(ui::IndexPath::forRow(row, 0));
  markedIds_.clear();
  // Written at once, sent list included: deleted mails must not come back after a crash.
  if (!removeRows(rows)) foundation::logError("!!!!!!! deleted messages not saved");
  tableView_->deleteRowsAtIndexPaths(paths, ui::TableViewRowAnimation::Fade);
}

bool MyMessage::removeRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end(), std::greater<int>());
  if (selectedItem_ == 3) {
    auto& sent = store_.sentMessages();
    for (int row : rows) sent.erase(sent.begin() + row);
  } else {
    std::vector<int> indexes;
    for (int row : rows) indexes.push_back(store_.showIndexArray()[static_cast<size_t>(row)]);
    std::sort(indexes.begin(), indexes.end(), std::greater<int>());
    auto& total = store_.totalMessages();
    for (int index : indexes) total.erase(total.begin() + index);
    store_.updateShowingMessageList();
  }
  // The count label follows the deletion in every list, the sent one included.
  store_.updateUnreadMessageCount();
  const bool saved = store_.saveMessageToFile();
  store_.messagesChanged();
  return saved;
}

void MyMessage::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (buttonIndex != 0) return;
  if (alert.tag() == kAlertClearAll) {
    // Emptying "未读消息" removes only the unread messages it shows; "全部消息" / "收件箱" all
    // received ones and, for an investor, the sent ones too.
    auto& total = store_.totalMessages();
    std::vector<int> indexes(store_.showIndexArray().begin(), store_.showIndexArray().end());
    std::sort(indexes.begin(), indexes.end(), std::greater<int>());
    for (int index : indexes)
      if (index >= 0 && index < static_cast<int>(total.size())) total.erase(total.begin() + index);
    if (!IsAdviserLogin() && selectedItem_ != 1) store_.sentMessages().clear();
    store_.updateShowingMessageList();
    store_.updateUnreadMessageCount();
    store_.saveMessageToFile();
    store_.messagesChanged();
    endEditMessage(true);
  } else if (alert.tag() == kAlertClearSent) {
    store_.sentMessages().clear();
    store_.saveMessageToFile();
    store_.messagesChanged();
    store_.updateUnreadMessageCount();
    endEditMessage(true);
  }
}

// --- tables ---------------------------------------------------------------------------------

int MyMessage::tableViewNumberOfRowsInSection(ui::TableView& table, int section) {
  if (&table == tableView_.get()) return listCount();
  if (&table == brokerListTableView_.get()) {
    if (!IsAdviserLogin()) return static_cast<int>(store_.brokerListArray().size());
    return brokerSections_.rowCount(section);
  }
  if (&table == tagDetailTableView_.get()) return tagSections_.rowCount(section);
  return 0;
}

double MyMessage::tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath&) {
  return &table == tableView_.get() ? MyMessageCell::kRowHeight : 43;
}

std::shared_ptr<ui::TableViewCell> MyMessage::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  if (&table != tableView_.get()) {
    const bool tags = &table == tagDetailTableView_.get();
    const foundation::Array& rows = tags ? currentTagListArray_ : store_.brokerListArray();
    const int position = tags ? getIntFromIndexPath_TagList(path) : getIntFromIndexPath(path);
    auto cell = table.dequeueReusableCellWithIdentifier(kCellIdentifier);
    if (!cell) cell = IndexedRowCell::create(ui::TableViewCellStyle::Default, kCellIdentifier);
    configCell(*cell);
    if (position >= 0 && position < static_cast<int>(rows.size()))
      updateCell(*cell, rows[static_cast<size_t>(position)], IndexedRowCell::RowWidth(table));
    return cell;
  }
  auto cell = std::dynamic_pointer_cast<MyMessageCell>(table.dequeueReusableCellWithIdentifier(kCellIdentifier));
  if (!cell) {
    cell = MyMessageCell::create(kCellIdentifier);
    cell->setSelectedBackgroundView(ui::View::create(gfx::Rect(0, 0, table.bounds().width(), 30)));
    cell->selectedBackgroundView()->setBackgroundColor(gfx::Color::clear());
  }
  if (selectedItem_ == 3) {
    const auto& sent = store_.sentMessages();
    if (path.row < static_cast<int>(sent.size())) {
      const Value& m = sent[static_cast<size_t>(path.row)];
      cell->dateLabel()->setText(m["sendMessageKey_date"].toString());
      cell->titleLabel()->setText(m["sendMessageKey_title"].toString());
      cell->senderLabel()->setText("收件人:" + m["sendMessageKey_showRecivers"].toString());
      cell->setMessageSended();
    }
    return cell;
  }
  const auto& shown = store_.showIndexArray();
  if (path.row < static_cast<int>(shown.size())) {
    const Value& m = store_.totalMessages()[static_cast<size_t>(shown[static_cast<size_t>(path.row)])];
    cell->dateLabel()->setText(m["date"].toString());
    cell->titleLabel()->setText(m["title"].toString());
    cell->senderLabel()->setText("发件人:" + m["sender"].toString());
    cell->setMessageUnread(IsMessageUnread(m));
    cell->revertCell();
  }
  return cell;
}

void MyMessage::tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) {
  if (&table == brokerListTableView_.get()) {
    currentSelect_ = getIntFromIndexPath(path);
    if (auto* cell = table.cellForRowAtIndexPath(path))
      if (auto* ground = dynamic_cast<ui::ImageView*>(cell->contentView()->viewWithTag(kTagRowGround)))
        ground->setImage(gfx::Image::named("bg(经济人列表栏选中）.png"));
    table.deselectRowAtIndexPath(path, false);
    showBrokerDetail(currentSelect_);
    return;
  }
  if (&table == tagDetailTableView_.get()) {
    navigationItem().setLeftBarButtonItem(nullptr);
    table.deselectRowAtIndexPath(path, false);
    const int n = getIntFromIndexPath_TagList(path);
    if (n < 0 || n >= static_cast<int>(currentTagListArray_.size())) {
      foundation::logError("ERROR: nRow >= [_currentTagListArray count]");
      return;
    }
    slideInBrokerCard(currentTagListArray_[static_cast<size_t>(n)]);
    return;
  }
  if (&table != tableView_.get()) return;
  if (table.isEditing()) {
    std::string identity = rowIdentity(path.row);
    if (!identity.empty() && std::find(markedIds_.begin(), markedIds_.end(), identity) == markedIds_.end())
      markedIds_.push_back(identity);
    return;
  }
  if (path.row >= listCount()) return;
  auto detail = Extend::produceObject<MyMessageDetailController>("MyMessageDetailController");
  if (!detail) return;
  if (selectedItem_ == 3) detail->setMessageBeSent(true);
  // The rows the detail screen steps through are those of now, whatever the poll adds.
  detailIds_.clear();
  for (int row = 0; row < listCount(); ++row) detailIds_.push_back(rowIdentity(row));
  openDetail_ = detail;
  if (auto* nav = navigationController()) nav->pushViewController(detail, true);
  detail->setDelegate(weakAs<MyMessageDetailDelegate>());
  detail->updateCurrentView(path.row);
  table.deselectRowAtIndexPath(path, false);
}

void MyMessage::tableViewDidDeselectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) {
  if (&table != tableView_.get() || !table.isEditing()) return;
  std::erase(markedIds_, rowIdentity(path.row));
}

bool MyMessage::tableViewCanEditRowAtIndexPath(ui::TableView& table, const ui::IndexPath&) {
  return &table == tableView_.get();
}

ui::TableViewCellEditingStyle MyMessage::tableViewEditingStyleForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath&) {
  // Edit mode marks rows; outside it a swipe offers the delete button.
  return table.isEditing() ? ui::TableViewCellEditingStyle::MultipleSelect
                           : ui::TableViewCellEditingStyle::Delete;
}

void MyMessage::tableViewCommitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                                            const ui::IndexPath& path) {
  if (&table != tableView_.get() || style != ui::TableViewCellEditingStyle::Delete) return;
  if (path.row < 0 || path.row >= listCount()) return;
  removeRows({path.row});
  table.deleteRowsAtIndexPaths({path}, ui::TableViewRowAnimation::Fade);
  reloadMessageTable();
}

void MyMessage::tableViewWillBeginEditingRowAtIndexPath(ui::TableView& table, const ui::IndexPath&) {
  if (&table == tableView_.get()) startEditMessage(false);
}

void MyMessage::tableViewDidEndEditingRowAtIndexPath(ui::TableView& table, const ui::IndexPath&) {
  if (&table == tableView_.get()) endEditMessage(false);
}

// --- detail delegate --------------------------------------------------------------------------

int MyMessage::resolveDetailRow(int row) {
  if (openDetail_.expired()) return row;
  if (row < 0 || row >= static_cast<int>(detailIds_.size())) return -1;
  return rowOfIdentity(detailIds_[static_cast<size_t>(row)]);
}

Value MyMessage::currentMyMessage(int row) {
  int current = resolveDetailRow(row);
  if (selectedItem_ == 3) {
    const auto& sent = store_.sentMessages();
    if (current < 0 || current >= static_cast<int>(sent.size())) return Value();
    return sent[static_cast<size_t>(current)];
  }
  // A message read in item 1 leaves the shown list only at the next rebuild, so the shown
  // positions stay valid here.
  const auto& shown = store_.showIndexArray();
  if (current < 0 || current >= static_cast<int>(shown.size())) return Value();
  const size_t index = static_cast<size_t>(shown[static_cast<size_t>(current)]);
  Value& message = store_.totalMessages()[index];
  if (IsMessageUnread(message)) {
    if (!IsAdviserLogin()) {
      std::string to = message["brokerID"].toString();
      std::string source = message["messagesource"].toString();
      std::string product = message["messageProductType"].toString();
      std::string ext1 = message["messageExt1"].toString();
      MakeRequest_MessageSendXml(GlobalDataRequest(), 0, NextRequestCode(GlobalDataRequest()),
                                 nullptr, to.c_str(), nullptr, nullptr, 1, source.c_str(), nullptr,
                                 product.empty() ? nullptr : product.c_str(),
                                 ext1.empty() ? nullptr : ext1.c_str(), kPageId);
    }
    message["unread"] = Value(0);
    store_.updateUnreadMessageCount();
    store_.saveMessageToFile();
    store_.messagesChanged();
    if (tableView_) {
      tableView_->reloadData();
      remark();
    }
  }
  return message;
}

int MyMessage::totalMyMessage() {
  if (!openDetail_.expired()) return static_cast<int>(detailIds_.size());
  return listCount();
}

void MyMessage::currentMessageChanged(int row, const std::string& key, const Value& value) {
  if (selectedItem_ == 3) return;
  int current = resolveDetailRow(row);
  const auto& shown = store_.showIndexArray();
  if (current < 0 || current >= static_cast<int>(shown.size())) return;
  Value& message = store_.totalMessages()[static_cast<size_t>(shown[static_cast<size_t>(current)])];
  if (message[key] == value) return;
  message[key] = value;
  store_.saveMessageToFile();
}

// --- writing, the card, the tag table, stock search -------------------------------------------

void MyMessage::Action_WriteMessageBtn() {
  auto compose = Extend::produceObject<SendMessageViewController>("SendMessageViewController");
  if (!compose) return;
  presentModalViewController(compose, true);
  compose->sendMessageView()->setDefaultFirstResponder();
  compose->sendMessageView()->setReceiverArray(BuildBrokerList());
}

void MyMessage::showBrokerDetail(int row) {
  const auto& rows = store_.brokerListArray();
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  const Value& broker = rows[static_cast<size_t>(row)];
  if (broker["broker_index"].toInt(0) < 0) {
    refreshTagListArray(broker);
    if (!currentTagListArray_.empty()) showTagDetailTable(true);
    return;
  }
  slideInBrokerCard(broker);
}

// The card of one adviser or client comes in from the right while the list leaves to the left.
void MyMessage::slideInBrokerCard(const Value& broker) {
  const gfx::Rect list = brokerListTableView_->frame();
  const double w = list.width();
  brokerDetail_->updateBrokerDetailView(broker);
  view()->bringSubviewToFront(brokerDetail_.get());
  brokerDetail_->setFrame(gfx::Rect(w, list.y(), w, list.height()));
  brokerDetail_->setHidden(false);
  auto card = brokerDetail_;
  auto listView = brokerListTableView_;
  const double y = list.y();
  const double height = list.height();
  ui::View::animate(kSlide, [card, listView, w, y, height] {
    card->setFrame(gfx::Rect(0, y, w, height));
    listView->setFrame(gfx::Rect(-w, y, w, height));
  });
}

void MyMessage::hiddenBrokerDetail(int mode) {
  if (!brokerListTableView_) return;
  if (IsOffMessageBrokersChanged()) server_->requestUploadOnOff();
  if (tagDetailTableView_ && !tagDetailTableView_->isHidden() && tagDetailTableView_->superview()) mode = 1;
  gfx::Rect list = brokerListTableView_->frame();
  const double w = list.width();
  const double y = list.y();
  const double height = list.height();
  auto card = brokerDetail_;
  auto listView = brokerListTableView_;
  if (mode == 0) {
    brokerListTableView_->setHidden(false);
    ui::View::animate(kSlide, [card, listView, w, y, height] {
      card->setFrame(gfx::Rect(w, y, w, height));
      listView->setFrame(gfx::Rect(0, y, w, height));
    });
  } else if (mode == 1) {
    card->setFrame(gfx::Rect(w, y, w, height));
    listView->setFrame(gfx::Rect(0, y, w, height));
    card->setHidden(true);
  }
  brokerListTableView_->reloadData();
}

void MyMessage::showTagDetailTable(bool show) {
  if (!tagDetailTableView_) return;
  const gfx::Rect list = brokerListTableView_->frame();
  const double y = list.y();
  const double w = list.width();
  const double height = list.height();
  auto tags = tagDetailTableView_;
  if (show) {
    navigationItem().setLeftBarButtonItem(ui::BarButtonItem::withTitle(
        "返回", ui::BarButtonItemStyle::Plain, ui::WhileAlive(this, [](MyMessage& me) {
          me.showTagDetailTable(false);
          me.reloadBrokerListTableView();
        })));
    if (!tags->superview()) view()->addSubview(tags);
    tags->setContentOffset(gfx::Point(0, 0));
    tags->setFrame(gfx::Rect(320, y, w, height));
    tags->setHidden(false);
    ui::View::animate(kSlide, [tags, y, w, height] { tags->setFrame(gfx::Rect(0, y, w, height)); });
    tags->reloadData();
    return;
  }
  currentTagListArray_.clear();
  tagSections_ = Sections{};
  navigationItem().setLeftBarButtonItem(nullptr);
  if (tags->superview() && !tags->isHidden()) {
    ui::View::animate(kSlide, [tags, y, w, height] { tags->setFrame(gfx::Rect(320, y, w, height)); },
                      [tags](bool) { tags->setHidden(true); });
  }
}

void MyMessage::SearchDone(const char* code, uint16_t market, const std::string&, uint16_t stockType) {
  OpenStockDetail(*this, code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType));
}
