#include "messaging/CommunionView.h"

#include <algorithm>
#include <optional>

#include "core/DataRequest.h"
#include "core/MessageRequests.h"
#include "core/MessageTypes.h"
#include "core/ReceiveRecord.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageDateFormatter.h"
#include "messaging/SendMessageViewController.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"

using foundation::Value;

namespace {

constexpr const char* kNotification = "MyMessage";
// The "MyMessage" observation, apart from "notification_update", which stays for the view's life.
const void* MessageOwner(const CommunionView* view) {
  return reinterpret_cast<const char*>(view) + 1;
}

}  // namespace

CommunionView::CommunionView(const gfx::Rect& frame)
    : ui::View(frame), textFont_(gfx::Font::systemFont(13)) {}

CommunionView::~CommunionView() {
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this);
  center.removeObserversOf(MessageOwner(this));
  if (scrollTimer_) scrollTimer_->invalidate();
}

std::shared_ptr<CommunionView> CommunionView::create(const gfx::Rect& frame) {
  auto view = std::make_shared<CommunionView>(frame);
  view->build();
  return view;
}

void CommunionView::build() {
  const double w = bounds().width();
  const double h = bounds().height();
  background_ = ui::ImageView::create(gfx::Rect(0, 0, w, h));
  background_->setImage(gfx::Image::named("bg（经济人）.png"));
  addSubview(background_);
  tableView_ = ui::TableView::create(gfx::Rect(0, 0, w, h - SendMessageTabbar::kHeight));
  ServeTable(*tableView_, *this);
  tableView_->setAllowsSelection(false);
  tableView_->setAllowsSelectionDuringEditing(true);
  tableView_->setBackgroundColor(gfx::Color::clear());
  tableView_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
  tableView_->setContentInset(gfx::EdgeInsets(kMenuRoom, 0, 0, 0));
  addSubview(tableView_);
  sendMessageTabbar_ = SendMessageTabbar::create(
      gfx::Rect(0, h - SendMessageTabbar::kHeight, w, SendMessageTabbar::kHeight));
  sendMessageTabbar_->setSendMessageDelegate(weakAs<SendMessageTabbarDelegate>());
  addSubview(sendMessageTabbar_);
  waiter_.attach(*this, RequestWaiter::BoxFrame(h / 2 - 65), weakAs<AlertViewDelegate>(),
                 kRequestTimeoutSeconds, kRequestSendingText);
  ui::Observe(this, "notification_update", &CommunionView::responseUpdateView);
  addObservers();
}

void CommunionView::addObservers() {
  removeObservers();
  sendMessageTabbar_->addObservers();
  foundation::NotificationCenter::defaultCenter().addObserver(
      MessageOwner(this), kNotification, ui::WhileAlive(this, &CommunionView::recvmsg));
}

void CommunionView::removeObservers() {
  sendMessageTabbar_->removeObservers();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(MessageOwner(this));
}

void CommunionView::setSuperViewController(ui::ViewController* controller) {
  superViewController_ = controller ? controller->weakAs<ui::ViewController>() : std::weak_ptr<ui::ViewController>();
}

// --- rows ---------------------------------------------------------------------------------------

void CommunionView::responseUpdateView(const foundation::Notification& notification) {
  clearAllContents();
  if (notification.userInfo.isArray() && !notification.userInfo.asArray().empty())
    addContents(notification.userInfo.asArray());
  updateCommunionView();
}

void CommunionView::addContents(const foundation::Array& rows) {
  // Each date is parsed once. Rows whose date does not parse come first, then by date; equal
  // dates keep their given order. (A comparison treating an unparsable date as equal to
  // everything is no ordering at all, and sorting with it is undefined.)
  struct Keyed {
    std::optional<double> when;
    size_t index;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    auto date = MessageDateFormatter::parse(rows[i]["communion_date"].toString());
    keyed.push_back({date ? std::optional<double>(date->secondsSince1970) : std::nullopt, i});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (!a.when || !b.when) return !a.when && b.when;
    return *a.when < *b.when;
  });
  rows_.reserve(rows_.size() + rows.size());
  for (const Keyed& k : keyed) rows_.push_back({rows[k.index], -1});
}

void CommunionView::clearAllContents() {
  rows_.clear();
  currentSelect_ = -1;
}

void CommunionView::updateCommunionView() {
  tableView_->reloadData();
  if (scrollTimer_) scrollTimer_->invalidate();
  scrollTimer_ = foundation::Timer::schedule(kScrollDelay, false,
                                             ui::WhileAlive(this, &CommunionView::scrollToLastRow));
}

void CommunionView::scrollToLastRow() {
  if (rows_.empty()) return;
  tableView_->scrollToRowAtIndexPath(ui::IndexPath::forRow(static_cast<int>(rows_.size()) - 1, 0),
                                     ui::TableViewScrollPosition::Bottom, false);
}

void CommunionView::reloadRow(int row) {
  if (!inList(row) || row >= tableView_->numberOfRowsInSection(0)) return;
  tableView_->reloadRowsAtIndexPaths({ui::IndexPath::forRow(row, 0)}, ui::TableViewRowAnimation::None);
}

double CommunionView::textWidth(const std::string& text, double width) const {
  if (text.empty()) return 5.0;
  ++measured_;
  return gfx::measureText(text, textFont_, gfx::Size(width, 1024), gfx::LineBreakMode::WordWrap).height + 15.0;
}

// --- editing ------------------------------------------------------------------------------------

void CommunionView::setTableEdit(bool editing) {
  deleteRows_.clear();
  for (ui::TableViewCell* cell : tableView_->visibleCells())
    if (ui::View* bubble = cell->contentView()->viewWithTag(kTagBubble)) bubble->setUserInteractionEnabled(!editing);
  tableView_->setEditing(editing, true);
  tableView_->reloadData();
  sendMessageTabbar_->setHidden(editing);
  if (editing) sendMessageTabbar_->sendContent()->resignFirstResponder();
}

std::vector<int> CommunionView::markedIndexes() const {
  std::vector<int> marked;
  for (const Value& mark : deleteRows_) marked.push_back(static_cast<int>(mark["allIndex"].toInt(-1)));
  std::sort(marked.begin(), marked.end());
  marked.erase(std::unique(marked.begin(), marked.end()), marked.end());
  return marked;
}

void CommunionView::clearDeleteRows() {
  if (deleteRows_.empty()) return;
  const std::vector<int> marked = markedIndexes();
  for (auto row = marked.rbegin(); row != marked.rend(); ++row)
    if (inList(*row)) rows_.erase(rows_.begin() + *row);
  deleteRows_.clear();
  currentSelect_ = -1;
  tableView_->reloadData();
}

foundation::Array CommunionView::markedRows() const {
  foundation::Array out;
  for (int row : markedIndexes())
    if (inList(row)) out.push_back(rows_[static_cast<size_t>(row)].row);
  return out;
}

// --- sending ------------------------------------------------------------------------------------

void CommunionView::sendMessageTabbarDidSendMessageWithText(SendMessageTabbar&, const std::string& text) {
  for (auto it = rows_.rbegin(); it != rows_.rend(); ++it) {
    if (it->row["communion_type"].toString() != "0") continue;
    setBrokerID(it->row["communion_readBrokerID"].toString());
    replyText_ = text;
    sendMessage("回复: " + it->row["communion_title"].toString(), text);
    return;
  }
  ShowMessageAlert("没有可回复的主题！");
}

void CommunionView::handleTimeoutRequest() {
  // The user reads that it failed (the request, still queued for a connection, never goes out)
  // and finds the reply in the bar to send again: sending again sends it once.
  waiter_.timedOut();
  if (!replyText_.empty() && sendMessageTabbar_->sendContent()->text().empty())
    sendMessageTabbar_->sendContent()->setText(replyText_);
}

void CommunionView::sendMessage(const std::string& title, const std::string& body) {
  // The box stands while any reply is on its way; each answer is taken for its own reply.
  waiter_.show();
  sendMessage_ = Value(foundation::Dictionary{});
  const int code = waiter_.send(GlobalDataRequest());
  const int result = MakeRequest_MessageSendXml(GlobalDataRequest(), 0, static_cast<uint16_t>(code), nullptr,
                                                brokerId_.c_str(), title.c_str(), body.c_str(), 0, nullptr,
                                                nullptr, nullptr, nullptr, kPageId);
  if (result < 0) {
    // Refused by the builder (too long): nothing went out, and no answer will come.
    if (pending_.empty()) waiter_.hide();
    ShowMessageAlert("内容过长，无法发送！");
    return;
  }
  requestCode_ = code;
  sendMessage_ = Value(foundation::Dictionary{
      {"sendMessageKey_recivers", Value(brokerId_)},
      {"sendMessageKey_showRecivers", Value(FindBrokerName(brokerId_))},
      {"sendMessageKey_title", Value(title)},
      {"sendMessageKey_content", Value(body)},
      {"sendMessageKey_needUpdate", Value(brokerId_)},
      {"sendMessageKey_date",
       Value(MessageDateFormatter::format(MessageDateFormatter::marketNow()))}});
  if (pending_.size() >= kMaxPendingSends) pending_.erase(pending_.begin());
  pending_[code] = sendMessage_;
}

void CommunionView::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  if (view.status != kReceiveStatusPacket || view.header.MainType != kMainTypeLogin) return;
  if (view.header.ChildType != LoginChild::kMessageSend &&
      view.header.ChildType != LoginChild::kMessageSendXml)
    return;
  auto found = pending_.find(view.requestCode());
  if (found == pending_.end()) return;
  const Value record = found->second;
  pending_.erase(found);
  // An answer after the time-out was shown changes nothing: the user was told it failed.
  if (!waiter_.takes(static_cast<uint16_t>(view.requestCode()))) return;
  const bool last = pending_.empty();
  if (view.header.isError()) {
    if (last) waiter_.failed();
    ShowErrorText(view);
    return;
  }
  if (last) {
    waiter_.end();
    replyText_.clear();
  }
  ShowMessageAlert("消息已发送");
  addLast(record);
  foundation::NotificationCenter::defaultCenter().post("notification_saveSendMessage", nullptr, record);
}

void CommunionView::addLast(const Value& record) {
  if (!record.isDictionary()) return;
  const uint32_t count = GetSentMessageCount();
  const std::string content =
      record["sendMessageKey_date"].toString() + "\n" + record["sendMessageKey_content"].toString();
  rows_.push_back({Value(foundation::Dictionary{{"comunion_content", Value(content)},
                                                {"communion_date", record["sendMessageKey_date"]},
                                                {"communion_type", Value("1")},
                                                {"communion_readBrokerID", Value(brokerId_)},
                                                {"communion_brokerName", Value("myself")},
                                                {"communion_title", record["sendMessageKey_title"]},
                                                {"communion_index", Value(std::to_string(count))}}),
                   -1});
  foundation::logInfo("CommunionView SendList(-%u-): to %s, %zu bytes", count, brokerId_.c_str(),
                      record["sendMessageKey_content"].toString().size());
  tableView_->reloadData();
}

void CommunionView::addLast() {
  if (sendMessage_.isDictionary() && !sendMessage_.asDictionary().empty()) addLast(sendMessage_);
}

void CommunionView::responseSaveSendMessage(const foundation::Notification& notification) {
  if (notification.userInfo.isDictionary()) addLast(notification.userInfo);
}

// --- table --------------------------------------------------------------------------------------

int CommunionView::tableViewNumberOfRowsInSection(ui::TableView&, int) {
  return static_cast<int>(rows_.size());
}

double CommunionView::tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath& path) {
  if (!inList(path.row)) return 5.0;
  Row& row = rows_[static_cast<size_t>(path.row)];
  if (row.height < 0) row.height = textWidth(row.row["comunion_content"].toString(), kBubbleTextWidth);
  return row.height;
}

ui::TableViewCellEditingStyle CommunionView::tableViewEditingStyleForRowAtIndexPath(ui::TableView&,
                                                                                   const ui::IndexPath&) {
  return ui::TableViewCellEditingStyle::MultipleSelect;
}

std::shared_ptr<ui::TableViewCell> CommunionView::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier("cellIdentify");
  if (!cell) cell = ui::TableViewCell::create(ui::TableViewCellStyle::Default, "cellIdentify");
  configCell(*cell, path);
  updateCell(*cell, path);
  return cell;
}

void CommunionView::configCell(ui::TableViewCell& cell, const ui::IndexPath& path) {
  if (!inList(path.row) || cell.contentView()->viewWithTag(kTagBubble)) return;
  const double w = tableView_->bounds().width();
  auto selected = ui::View::create(gfx::Rect(0, 0, w, 30));
  selected->setBackgroundColor(gfx::Color::clear());
  cell.setSelectedBackgroundView(selected);
  auto bubble = CommunionLabel::create(gfx::Rect(0, 0, w, 30));
  bubble->needShowLabel();
  bubble->setTag(kTagBubble);
  bubble->setDelegate(weakAs<CommunionLabelDelegate>());
  bubble->setUserInteractionEnabled(true);
  bubble->setFont(textFont_);
  bubble->setIndexPath(path);
  bubble->setLineBreakMode(gfx::LineBreakMode::WordWrap);
  bubble->setBackgroundColor(gfx::Color::clear());
  // Follows the content view, which edit mode narrows to make room for the marks.
  bubble->setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
  cell.contentView()->addSubview(bubble);
}

void CommunionView::updateCell(ui::TableViewCell& cell, const ui::IndexPath& path) {
  if (!inList(path.row)) return;
  auto* bubble = dynamic_cast<CommunionLabel*>(cell.contentView()->viewWithTag(kTagBubble));
  if (!bubble) return;
  const Value& row = rows_[static_cast<size_t>(path.row)].row;
  bubble->setIndexPath(path);
  bubble->setFrame(gfx::Rect(0, 0, bubble->frame().width(), tableViewHeightForRowAtIndexPath(*tableView_, path)));
  const std::string type = row["communion_type"].toString();
  if (type == "0") bubble->setDrawType(CommunionLabel::kTypeReceived);
  if (type == "1") bubble->setDrawType(CommunionLabel::kTypeSent);
  bubble->setText(row["comunion_content"].toString());
  bubble->updateBeSelect(false);
  bubble->setUserInteractionEnabled(!tableView_->isEditing());
  clearBackgrounds(cell);
}

void CommunionView::clearBackgrounds(ui::TableViewCell& cell) {
  ui::View* content = cell.contentView();
  content->setBackgroundColor(gfx::Color::clear());
  for (const auto& sub : content->subviews()) {
    sub->setBackgroundColor(gfx::Color::clear());
    for (const auto& inner : sub->subviews()) inner->setBackgroundColor(gfx::Color::clear());
  }
  if (ui::View* selected = cell.selectedBackgroundView()) selected->setBackgroundColor(gfx::Color::clear());
  cell.setBackgroundColor(gfx::Color::clear());
}

void CommunionView::tableViewWillDisplayCell(ui::TableView&, ui::TableViewCell& cell, const ui::IndexPath&) {
  clearBackgrounds(cell);
}

void CommunionView::tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) {
  if (!table.isEditing() || !inList(path.row)) return;
  const Value& row = rows_[static_cast<size_t>(path.row)].row;
  deleteRows_.push_back(Value(foundation::Dictionary{{"allIndex", Value(std::to_string(path.row))},
                                                     {"messageIndex", row["communion_index"]},
                                                     {"messageType", row["communion_type"]},
                                                     {"broker_id", row["communion_readBrokerID"]}}));
  if (ui::TableViewCell* cell = table.cellForRowAtIndexPath(path)) clearBackgrounds(*cell);
}

void CommunionView::tableViewDidDeselectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) {
  if (!table.isEditing()) return;
  const std::string row = std::to_string(path.row);
  auto found = std::find_if(deleteRows_.begin(), deleteRows_.end(),
                            [&row](const Value& mark) { return mark["allIndex"].toString() == row; });
  if (found != deleteRows_.end()) deleteRows_.erase(found);
  if (ui::TableViewCell* cell = table.cellForRowAtIndexPath(path)) clearBackgrounds(*cell);
}

void CommunionView::scrollViewDidScroll(ui::ScrollView&) {
  if (tableView_->isEditing() || currentSelect_ < 0) return;
  const int row = currentSelect_;
  currentSelect_ = -1;
  reloadRow(row);
  // The menu would point at a bubble that moved away, and its items act on the selection.
  ui::MenuController::shared().setMenuVisible(false);
}

// --- bubbles ------------------------------------------------------------------------------------

void CommunionView::communionLabelWillTap(CommunionLabel&, const ui::IndexPath& path) {
  if (currentSelect_ != path.row && inList(currentSelect_)) reloadRow(currentSelect_);
  if (!inList(path.row)) return;
  // The menu opens above the bubble: a bubble near the top comes down far enough for it.
  const gfx::Rect row = tableView_->rectForRowAtIndexPath(path);
  const double wanted = std::max(tableView_->minimumContentOffset().y, row.y() - kMenuRoom);
  if (wanted < tableView_->contentOffset().y) {
    tableView_->stopScrolling();
    tableView_->setContentOffset(gfx::Point(tableView_->contentOffset().x, wanted));
  }
}

void CommunionView::communionLabelDidTap(CommunionLabel&, const ui::IndexPath& path) {
  currentSelect_ = path.row;
}

void CommunionView::communionLabelCopy(CommunionLabel&, const ui::IndexPath&) {
  currentSelect_ = -1;
}

void CommunionView::communionLabelSharedTo(CommunionLabel&, const ui::IndexPath&) {
  displayComposerSheetWithIndex(currentSelect_);
}

void CommunionView::displayComposerSheetWithIndex(int row) {
  if (!inList(row)) return;
  ui::ViewController* host = superViewController();
  if (!ui::MailComposer::canSendMail() || !host) {
    ShowMessageAlert("请先设置您的邮箱！");
    return;
  }
  auto composer = ui::MailComposer::create();
  composer->setMailComposeDelegate(weakAs<ui::MailComposeDelegate>());
  composer->setSubject(kShareSubject);
  composer->setMessageBody(rows_[static_cast<size_t>(row)].row["comunion_content"].toString(), false);
  host->presentModalViewController(composer, true);
  currentSelect_ = -1;
}

void CommunionView::mailComposeControllerDidFinishWithResult(ui::MailComposer& composer,
                                                             ui::MailComposeResult, int) {
  const int row = currentSelect_;
  currentSelect_ = -1;
  reloadRow(row);
  composer.dismissModalViewControllerAnimated(true);
}

void CommunionView::communionLabelReplay(CommunionLabel&, const ui::IndexPath&) {
  ui::ViewController* host = superViewController();
  if (!host || !inList(currentSelect_)) return;
  const Value row = rows_[static_cast<size_t>(currentSelect_)].row;
  auto compose = Extend::produceObject<SendMessageViewController>("SendMessageViewController");
  if (!compose) return;
  host->presentModalViewController(compose, true);
  MySendMessageView* sheet = compose->sendMessageView();
  // The adviser's place in the picker, found by id: the picker orders the directory by initial
  // for an adviser's login, so the directory position would name someone else there.
  sheet->setInitSelect(sheet->receiverPosition(row["communion_readBrokerID"].toString()));
  sheet->setInitDataWhenRepay(row["communion_brokerName"].toString(),
                              "回复: " + row["communion_title"].toString());
  sheet->setConversationToUpdate(row["communion_readBrokerID"].toString());
  currentSelect_ = -1;
}

// --- reply bar ----------------------------------------------------------------------------------

void CommunionView::sendMessageTabbarWillChangeCenter(SendMessageTabbar& bar, gfx::Point center) {
  const gfx::Rect now = tableView_->frame();
  // A conversation read to its end stays at its end: the newest bubbles remain above the bar.
  const bool atEnd = tableView_->contentOffset().y >= tableView_->maximumContentOffset().y - 1;
  tableView_->setFrame(gfx::Rect(now.x(), now.y(), now.width(), center.y - bar.frame().height() / 2));
  // The room kept above the first bubble counts too: a short conversation scrolls as well.
  if (atEnd && !rows_.empty()) {
    const double end = std::max(tableView_->minimumContentOffset().y, tableView_->maximumContentOffset().y);
    tableView_->setContentOffset(gfx::Point(tableView_->contentOffset().x, end));
  }
}
