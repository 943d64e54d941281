#include "messaging/MySendMessageView.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <cmath>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/MDBF.h"
#include "core/MessageRequests.h"
#include "core/MessageTypes.h"
#include "core/ReceiveRecord.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageCells.h"
#include "messaging/MessageDateFormatter.h"
#include "platform/foundation/Dates.h"
#include "platform/ui/Application.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"

using foundation::Value;

namespace {

std::string WithoutBlanks(std::string text) {
  std::erase(text, ' ');
  return text;
}

}  // namespace

MySendMessageView::MySendMessageView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<MySendMessageView> MySendMessageView::createWithDefaultXib() {
  auto sheet = std::make_shared<MySendMessageView>(ui::Screen::main().applicationFrame());
  sheet->build();
  return sheet;
}

void MySendMessageView::build() {
  const double screenHeight = ui::Screen::main().bounds().height();
  setBackgroundColor(gfx::Color(0, 0, 0, 0.4));
  setClipsToBounds(true);
  realView_ = ui::View::create(gfx::Rect(5, 5, 310, bounds().height() - 10));
  realView_->setBackgroundColor(gfx::Color::rgb255(246, 244, 238));
  realView_->layer().setCornerRadius(8);
  realView_->setClipsToBounds(true);
  addSubview(realView_);

  sendContentView_ = ui::ScrollView::create(gfx::Rect(0, 0, 310, realView_->bounds().height()));
  realView_->addSubview(sendContentView_);
  auto caption = [](const gfx::Rect& frame, const char* text) {
    auto label = ui::Label::create(frame);
    label->setText(text);
    label->setBackgroundColor(gfx::Color::clear());
    label->setFont(gfx::Font::systemFont(14));
    label->setTextColor(gfx::Color::grey(0.4));
    return label;
  };
  sendContentView_->addSubview(caption(gfx::Rect(6, 5, 56, 20), "收件人:"));
  editReceiver_ = ui::TextField::create(gfx::Rect(62, 0, 205, 30));
  editReceiver_->setUserInteractionEnabled(false);
  editReceiver_->setHidden(true);
  sendContentView_->addSubview(editReceiver_);
  senderTextView_ = SenderTextView::create(editReceiver_->frame());
  senderTextView_->setSenderTextViewDelegate(weakAs<SenderTextViewDelegate>());
  sendContentView_->addSubview(senderTextView_);
  btnSelectReceiver_ = MakeTextButton(gfx::Rect(272, 2, 32, 26), "+", gfx::Font::boldSystemFont(20),
                                      gfx::Color::rgb255(40, 110, 170));
  btnSelectReceiver_->addTarget(ui::WhileAlive(this, &MySendMessageView::button_SelectReceiver),
                                ui::ControlEvent::TouchUpInside);
  sendContentView_->addSubview(btnSelectReceiver_);

  const double bodyHeight = screenHeight - 20 - 44 - 216 - 35;
  sendBackView_ = ui::View::create(gfx::Rect(0, 35, 310, std::max(120.0, bodyHeight)));
  sendContentView_->addSubview(sendBackView_);
  sendBackView_->addSubview(caption(gfx::Rect(6, 5, 56, 24), "主题:"));
  editSubject_ = ui::TextField::create(gfx::Rect(62, 2, 240, 30));
  editSubject_->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  editSubject_->setDelegate(weakAs<ui::TextFieldDelegate>());
  sendBackView_->addSubview(editSubject_);
  const double contentTop = 40;
  textViewContent_ = ui::TextView::create(
      gfx::Rect(6, contentTop, 296, std::max(40.0, sendBackView_->bounds().height() - contentTop - 25 - 36)));
  textViewContent_->setFont(gfx::Font::systemFont(15));
  sendBackView_->addSubview(textViewContent_);
  auto makeButton = [&](int tag, const char* title, double x, auto action) {
    auto button = ui::Button::create(ui::ButtonType::Custom,
                                     gfx::Rect(x, sendBackView_->bounds().height() - 34, 90, 30));
    button->setTag(tag);
    button->setTitle(title);
    button->setTitleColor(gfx::Color::white());
    button->setTitleColor(gfx::Color::grey(0.7), ui::ControlState::Disabled);
    button->setBackgroundColor(gfx::Color::rgb255(176, 120, 60));
    button->layer().setCornerRadius(5);
    button->addTarget(ui::WhileAlive(this, action), ui::ControlEvent::TouchUpInside);
    sendBackView_->addSubview(button);
  };
  makeButton(kTagSend, "发送", 50, &MySendMessageView::button_Send);
  makeButton(kTagClose, "关闭", 170, &MySendMessageView::button_Close);
  sendContentView_->setContentSize(gfx::Size(310, sendBackView_->frame().maxY()));

  selectView_ = ui::View::create(gfx::Rect(0, 0, bounds().width(), screenHeight - 20));
  selectView_->setBackgroundColor(gfx::Color::white());
  selectView_->setHidden(true);
  auto bar = ui::View::create(gfx::Rect(0, 0, bounds().width(), 44));
  bar->setBackgroundColor(gfx::Color::rgb255(30, 34, 42));
  auto barButton = [&](const char* title, double x, auto action) {
    auto button = ui::Button::create(ui::ButtonType::Custom, gfx::Rect(x, 7, 60, 30));
    button->setTitle(title);
    button->setTitleColor(gfx::Color::white());
    button->addTarget(ui::WhileAlive(this, action), ui::ControlEvent::TouchUpInside);
    bar->addSubview(button);
  };
  barButton("取消", 8, &MySendMessageView::button_Cancel);
  barButton("完成", bounds().width() - 68, &MySendMessageView::buttonAction_Done);
  selectView_->addSubview(bar);
  const double tableHeight = selectView_->bounds().height() - 44;
  tableView_ = ui::TableView::create(gfx::Rect(0, 44, 320, tableHeight));
  tableView_->setBackgroundColor(gfx::Color::white());
  tableView_->setRowHeight(std::floor(tableHeight / 8));
  ServeTable(*tableView_, *this);
  selectView_->addSubview(tableView_);
  addSubview(selectView_);

  waiter_.attach(*realView_,
                 gfx::Rect(realView_->bounds().width() / 2 - 70,
                           realView_->bounds().height() / 2 - 32, 140, 65),
                 weakAs<::AlertViewDelegate>(), kTimeoutSeconds, kRequestSendingText);
  sendMessage_ = Value(foundation::Dictionary{});
  setReceiverArray(BuildBrokerList());

  auto& center = foundation::NotificationCenter::defaultCenter();
  center.addObserver(&keyboardOwner_, ui::kKeyboardWillShowNotification,
                     ui::WhileAlive(this, &MySendMessageView::fitContentAboveKeyboard));
  center.addObserver(&keyboardOwner_, ui::kKeyboardWillHideNotification,
                     ui::WhileAlive(this, &MySendMessageView::fitContentToSheet));
}

void MySendMessageView::fitContentAboveKeyboard(const foundation::Notification& notification) {
  const gfx::Rect keyboard =
      ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameEndUserInfoKey);
  const double top = realView_->convertPointFromView(gfx::Point(0, keyboard.y()), nullptr).y;
  const gfx::Rect f = sendContentView_->frame();
  sendContentView_->setFrame(
      gfx::Rect(f.x(), f.y(), f.width(), std::clamp(top - f.y(), 0.0, realView_->bounds().height())));
}

void MySendMessageView::fitContentToSheet(const foundation::Notification&) {
  const gfx::Rect f = sendContentView_->frame();
  sendContentView_->setFrame(gfx::Rect(f.x(), f.y(), f.width(), realView_->bounds().height()));
}

void MySendMessageView::observe() {
  if (observing_) return;
  observing_ = true;
  ui::Observe(this, "MyMessage", &MySendMessageView::recvmsg);
}

// --- set-up -------------------------------------------------------------------------------------

void MySendMessageView::setDefaultFirstResponder() {
  editSubject_->becomeFirstResponder();
}

void MySendMessageView::setReceiverArray(const foundation::Array& rows) {
  // Section order first, so that a flat index names the row shown at that place; rows without a
  // letter go under "#" after its own rows.
  receivers_.clear();
  sections_ = LetterSections::Of(rows);
  for (auto& section : sections_.positions) {
    for (int& position : section) {
      receivers_.push_back(rows[static_cast<size_t>(position)]);
      position = static_cast<int>(receivers_.size()) - 1;
    }
  }
  if (!IsAdviserLogin()) receivers_ = rows;  // one flat section in the directory's order
  if (tableView_) tableView_->reloadData();
}

int MySendMessageView::receiverPosition(const std::string& brokerId) const {
  for (size_t i = 0; i < receivers_.size(); ++i) {
    const Value& row = receivers_[i];
    if (row["broker_index"].toInt(0) >= 0 && row["broker_id"].toString() == brokerId) return static_cast<int>(i);
  }
  return -1;
}

void MySendMessageView::setInitSelect(int index) {
  if (index == -1) {
    initSelect_ = -1;
    return;
  }
  if (initSelect_ != -1) return;
  initSelect_ = index;
  chooseArray_ = {std::to_string(index)};
  oldChooseArray_ = chooseArray_;
}

void MySendMessageView::setInitReceiverData(const std::string& name, bool disabled) {
  editReceiver_->setText(name);
  if (disabled) {
    editReceiver_->setEnabled(false);
    btnSelectReceiver_->setHidden(true);
    senderTextView_->disableEdit();
  } else {
    editReceiver_->setEnabled(true);
    btnSelectReceiver_->setHidden(false);
  }
  if (!name.empty()) senderTextView_->updateSenders({name});
}

void MySendMessageView::setInitDataWhenRepay(const std::string& name, const std::string& subject) {
  if (!subject.empty()) {
    editSubject_->setText(subject);
    editSubject_->setEnabled(false);
    btnSelectReceiver_->setHidden(true);
    senderTextView_->disableEdit();
    textViewContent_->becomeFirstResponder();
  } else {
    editSubject_->setText("");
    btnSelectReceiver_->setHidden(false);
    editSubject_->becomeFirstResponder();
  }
  if (!name.empty()) senderTextView_->updateSenders({name});
}

void MySendMessageView::setInitContent(const std::string& content, const std::string& subject) {
  textViewContent_->setText(content);
  editSubject_->setText(subject);
}

void MySendMessageView::setMessageInfo(int type, const Value& source) {
  messageType_ = type;
  sourceMessage_ = source;
}

// --- picker -------------------------------------------------------------------------------------

int MySendMessageView::flatIndex(const ui::IndexPath& path) const {
  return IsAdviserLogin() ? sections_.positionAt(path) : path.row;
}

ui::IndexPath MySendMessageView::pathOf(int flat) const {
  return IsAdviserLogin() ? sections_.pathOf(flat) : ui::IndexPath::forRow(flat, 0);
}

int MySendMessageView::numberOfSectionsInTableView(ui::TableView&) {
  return IsAdviserLogin() ? static_cast<int>(sections_.keys.size()) : 1;
}

int MySendMessageView::tableViewNumberOfRowsInSection(ui::TableView&, int section) {
  return IsAdviserLogin() ? sections_.rowCount(section) : static_cast<int>(receivers_.size());
}

std::string MySendMessageView::tableViewTitleForHeaderInSection(ui::TableView&, int section) {
  return IsAdviserLogin() ? sections_.key(section) : std::string();
}

std::vector<std::string> MySendMessageView::sectionIndexTitlesForTableView(ui::TableView&) {
  return IsAdviserLogin() ? sections_.keys : std::vector<std::string>{};
}

std::shared_ptr<ui::TableViewCell> MySendMessageView::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier("cell-identifier");
  if (!cell) {
    cell = IndexedRowCell::create(ui::TableViewCellStyle::Value1, "cell-identifier");
    cell->setSelectionStyle(ui::TableViewCellSelectionStyle::Gray);
  }
  const int flat = flatIndex(path);
  cell->textLabel()->setText(flat >= 0 && flat < static_cast<int>(receivers_.size())
                                 ? receivers_[static_cast<size_t>(flat)]["broker_name"].toString()
                                 : "");
  return cell;
}

void MySendMessageView::tableViewDidSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& path) {
  const std::string text = std::to_string(flatIndex(path));
  if (std::find(chooseArray_.begin(), chooseArray_.end(), text) == chooseArray_.end())
    chooseArray_.push_back(text);
}

void MySendMessageView::tableViewDidDeselectRowAtIndexPath(ui::TableView&, const ui::IndexPath& path) {
  std::erase(chooseArray_, std::to_string(flatIndex(path)));
}

void MySendMessageView::button_SelectReceiver() {
  senderTextView_->senderTextViewResignFirstResponder();
  textViewContent_->resignFirstResponder();
  editSubject_->resignFirstResponder();
  selectView_->setFrame(gfx::Rect(0, bounds().height(), selectView_->frame().width(),
                                  selectView_->frame().height()));
  selectView_->setHidden(false);
  bringSubviewToFront(selectView_.get());
  auto panel = selectView_;
  ui::View::animate(0.4, [panel] {
    panel->setFrame(gfx::Rect(0, 0, panel->frame().width(), panel->frame().height()));
  });
  tableView_->setEditing(true, true);
  tableView_->reloadData();
  const int count = static_cast<int>(receivers_.size());
  if (initSelect_ >= 0 && initSelect_ < count && oldChooseArray_.size() <= 1 &&
      chooseArray_ == std::vector<std::string>{std::to_string(initSelect_)}) {
    tableView_->markRowAtIndexPath(pathOf(initSelect_), true);
  } else {
    chooseArray_.clear();
    for (const auto& text : oldChooseArray_) {
      const int flat = std::atoi(text.c_str());
      if (flat < 0 || flat >= count) continue;
      tableView_->markRowAtIndexPath(pathOf(flat), false);
      chooseArray_.push_back(text);
    }
  }
  initSelect_ = -2;
}

std::string MySendMessageView::namesOf(const std::vector<std::string>& indexes) const {
  std::string names;
  for (const auto& text : indexes) {
    const int flat = std::atoi(text.c_str());
    if (flat < 0 || flat >= static_cast<int>(receivers_.size())) continue;
    if (!names.empty()) names += ",";
    names += receivers_[static_cast<size_t>(flat)]["broker_name"].toString();
  }
  return names;
}

void MySendMessageView::updateSenders(const std::vector<std::string>& indexes) {
  std::vector<std::string> names;
  for (const auto& text : indexes) {
    const int flat = std::atoi(text.c_str());
    if (flat >= 0 && flat < static_cast<int>(receivers_.size()))
      names.push_back(receivers_[static_cast<size_t>(flat)]["broker_name"].toString());
  }
  senderTextView_->updateSenders(names);
  fitBodyUnderReceivers();
}

void MySendMessageView::fitBodyUnderReceivers() {
  gfx::Rect body = sendBackView_->frame();
  sendBackView_->setFrame(gfx::Rect(body.x(), std::max(35.0, senderTextView_->frame().maxY()),
                                    body.width(), body.height()));
  sendContentView_->setContentSize(gfx::Size(310, sendBackView_->frame().maxY()));
}

void MySendMessageView::buttonAction_Done() {
  editReceiver_->setText(namesOf(chooseArray_));
  oldChooseArray_ = chooseArray_;
  updateSenders(chooseArray_);
  closePicker();
}

void MySendMessageView::button_Cancel() {
  editReceiver_->setText(namesOf(oldChooseArray_));
  chooseArray_ = oldChooseArray_;
  updateSenders(chooseArray_);
  closePicker();
}

void MySendMessageView::closePicker() {
  tableView_->setEditing(false, true);
  auto panel = selectView_;
  const double bottom = bounds().height();
  ui::View::animate(0.4, [panel, bottom] {
    panel->setFrame(gfx::Rect(0, bottom, panel->frame().width(), panel->frame().height()));
  }, [panel](bool) { panel->setHidden(true); });
}

void MySendMessageView::senderTextViewDidDelete(SenderTextView&, int position) {
  if (position >= 0 && position < static_cast<int>(oldChooseArray_.size()))
    oldChooseArray_.erase(oldChooseArray_.begin() + position);
  if (position >= 0 && position < static_cast<int>(chooseArray_.size()))
    chooseArray_.erase(chooseArray_.begin() + position);
  initSelect_ = -2;
  fitBodyUnderReceivers();
}

// --- sending ------------------------------------------------------------------------------------

std::string MySendMessageView::receiverIds() const {
  std::vector<std::string> ids;
  auto add = [&ids](const std::string& raw) {
    std::string id = WithoutBlanks(raw);
    if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  };
  for (const auto& text : chooseArray_) {
    const int flat = std::atoi(text.c_str());
    if (flat < 0 || flat >= static_cast<int>(receivers_.size())) continue;
    const Value& row = receivers_[static_cast<size_t>(flat)];
    if (row["broker_index"].toInt(0) < 0) {
      for (const Value& member : GetBrokerRows(row)) add(member["broker_id"].toString());
    } else {
      add(row["broker_id"].toString());
    }
  }
  std::string to;
  for (const auto& id : ids) to += (to.empty() ? "" : ";") + id;
  return to;
}

void MySendMessageView::setSending(bool sending) {
  for (int tag : {kTagSend, kTagClose})
    if (auto* control = dynamic_cast<ui::Control*>(sendBackView_->viewWithTag(tag)))
      control->setEnabled(!sending);
}

void MySendMessageView::button_Send() {
  if (chooseArray_.empty()) {
    ShowMessageAlert("请选择收件人");
    return;
  }
  const std::string to = receiverIds();
  const std::string subject = editSubject_->text();
  const std::string content = textViewContent_->text();
  // Spaces alone are no subject or content either.
  if (foundation::isBlank(subject)) {
    ShowMessageAlert("请输入标题");
    return;
  }
  if (foundation::isBlank(content)) {
    ShowMessageAlert("请输入内容");
    return;
  }
  observe();
  waiter_.show();
  setSending(true);
  requestCode_ = waiter_.send(GlobalDataRequest());
  auto text = [this](const char* key) { return sourceMessage_[key].toString(); };
  auto orNull = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
  int result;
  if (messageType_ == 7) {
    const std::string source = text("messagesource"), gold = text("goldcode"),
                      product = text("messageProductType"), ext1 = text("messageExt1"),
                      task = text("taskid");
    result = Request_MessageFuQuan(GlobalDataRequest(), 0, static_cast<uint16_t>(requestCode_),
                                   nullptr, to.c_str(), subject.c_str(), content.c_str(), 0,
                                   orNull(source), orNull(gold), orNull(product), orNull(ext1),
                                   orNull(task), kPageId);
  } else {
    const std::string source = text("messagesource"), product = text("messageProductType"),
                      ext1 = text("messageExt1");
    result = MakeRequest_MessageSendXml(GlobalDataRequest(), 0, static_cast<uint16_t>(requestCode_),
                                        nullptr, to.c_str(), subject.c_str(), content.c_str(),
                                        messageType_, orNull(source), nullptr, orNull(product),
                                        orNull(ext1), kPageId);
  }
  if (result < 0) {
    // The builder refused (too long): nothing went out, so say so now, not after a time-out.
    waiter_.hide();
    setSending(false);
    requestCode_ = -1;
    ShowMessageAlert("内容过长，无法发送！");
    return;
  }
  // The receivers the mail went to, not the text field (a deleted token stays in it).
  sendMessage_ = Value(foundation::Dictionary{
      {"sendMessageKey_recivers", Value(to)},
      {"sendMessageKey_showRecivers", Value(namesOf(chooseArray_))},
      {"sendMessageKey_title", Value(subject)},
      {"sendMessageKey_content", Value(content)},
      {"sendMessageKey_date",
       Value(MessageDateFormatter::format(MessageDateFormatter::marketNow()))}});
  // A reply written from a conversation joins it as soon as it is stored, as one from the bar.
  if (!conversationToUpdate_.empty())
    sendMessage_.mutableDictionary().set("sendMessageKey_needUpdate", Value(conversationToUpdate_));
}

void MySendMessageView::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  const uint8_t child = view.header.ChildType;
  if (view.status != kReceiveStatusPacket || view.header.MainType != kMainTypeLogin) return;
  if (child != LoginChild::kMessageSend && child != LoginChild::kMessageSendXml &&
      child != LoginChild::kGrantTask)
    return;
  // Only the answer to the mail the box waits for: once its time-out was shown the user may
  // send again, and a late "sent" would tell them the first went after all.
  if (!waiter_.takes(view.requestCode())) return;
  setSending(false);
  if (view.header.isError()) {
    waiter_.failed();
    ShowErrorText(view);
    return;
  }
  waiter_.end();
  const std::string text = SendAnswerText(view.body, view.bodyLen);
  foundation::NotificationCenter::defaultCenter().post("notification_saveSendMessage", nullptr,
                                                       sendMessage_);
  ShowAlert(text, "", {"确定"}, kAlertSent, weakAs<ui::AlertViewDelegate>());
  if (child == LoginChild::kGrantTask && taskAnswered_) taskAnswered_();
}

void MySendMessageView::handleTimeoutRequest() {
  setSending(false);
  waiter_.timedOut();
}

void MySendMessageView::alertViewClickedButtonAtIndex(ui::AlertView& alert, int) {
  if (alert.tag() != kAlertSent) return;
  remove();
  if (messageType_ != 7) return;
  if (auto screen = needPopViewController_.lock())
    if (auto* navigation = screen->navigationController()) navigation->popViewControllerAnimated(false);
}

void MySendMessageView::remove() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  observing_ = false;
  waiter_.hide();
  ui::Application::shared().setNetworkActivityIndicatorVisible(false);
  if (superViewController_) superViewController_->dismissModalViewControllerAnimated(true);
}

std::string SendAnswerText(const void* body, int length) {
  MDBF table;
  std::string text;
  if (table.Parse(body, length) >= 0 && table.Seek(0) == 0) text = table.GetNSString(19);
  return text.empty() ? "消息已发送" : text;
}
