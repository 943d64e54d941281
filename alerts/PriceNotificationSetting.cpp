#include "alerts/PriceNotificationSetting.h"

#include <algorithm>
#include <cstring>

#include "alerts/PriceAlertPage.h"
#include "core/DataRequest.h"
#include "core/NetworkThreads.h"
#include "core/PriceAlertReplies.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteCache.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "core/ValueMath.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TextInput.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ScreenMetrics.h"
#include "shell/SharedTool.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"
#include "widgets/TableCell.h"

namespace {

constexpr char kFooter[] =
    "Ostravin【价格】提醒为您提供实时股价、Trevane买卖点提醒服务，该服务依赖于网络及推送系统，"
    "可能会出现延迟情况，提醒消息仅作参考，不作为买卖依据，请注意风险。";
constexpr char kSettingCellId[] = "priceNotificationSettingCell";
constexpr double kSettingRowHeight = 40;

std::shared_ptr<ui::Label> HeaderLabel(const gfx::Rect& frame, int tag, gfx::TextAlignment align) {
  auto label = MakeClearLabel(frame, gfx::Font::boldSystemFont(16));
  label->setTag(tag);
  label->setTextAlignment(align);
  return label;
}

}  // namespace

PriceNotificationSetting::~PriceNotificationSetting() {
  removeLoginObserver();
  if (_tableView) {
    _tableView->setDataSource({});
    _tableView->setDelegate({});
  }
}

void PriceNotificationSetting::viewDidLoad() {
  ArScrollViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle("提醒设置");
  setHeightToBottomScreen(49);
  const gfx::Rect frame(0, 0, 320, ScreenContentHeight());
  mView()->setFrame(frame);
  mView()->setContentSize(frame.size);
  setScrollViewFrame(frame);

  _tableView = ui::TableView::create(mView()->bounds(), ui::TableViewStyle::Grouped);
  ServeTable(*_tableView, *this);
  _tableView->setBackgroundColor(gfx::Color::clear());
  mView()->addSubview(_tableView);

  navigationItem().setRightBarButtonItem(PriceAlertToolBarItem(
      "完成", ui::WhileAlive(this, &PriceNotificationSetting::settingDone), nullptr));

  buildHeader();
  buildEditViews();
  for (int i = 0; i < 4; ++i) {
    auto onOff = ui::Switch::create();
    onOff->setTag(i == 0 ? 0 : 10 + (i - 1));
    onOff->setOn(false);
    onOff->addTarget(ui::WhileAlive(this,
                                    [](PriceNotificationSetting& me, ui::Control& sender) {
                                      if (auto* flipped = dynamic_cast<ui::Switch*>(&sender))
                                        me.swtichValueChanged(*flipped);
                                    }),
                     ui::ControlEvent::ValueChanged, this);
    switches_[static_cast<size_t>(i)] = onOff;
  }

  waiter_.attach(*view(), RequestWaiter::BoxFrame(200), weakAs<::AlertViewDelegate>());

  // The digits pad has no return key and covers the change row and the notice: a tap beside the
  // fields puts it away, keeping what was typed unsaved until "完成".
  std::weak_ptr<ui::View> weakView = viewShared();
  auto tap = ui::TapGestureRecognizer::create([weakView](ui::GestureRecognizer& recognizer) {
    auto page = weakView.lock();
    if (!page) return;
    const gfx::Point at = recognizer.locationInView(page.get());
    for (ui::View* hit = page->hitTest(at, nullptr); hit && hit != page.get();
         hit = hit->superview()) {
      // A field that takes the tap keeps the pad; a switched-off one is beside the fields.
      auto* control = dynamic_cast<ui::Control*>(hit);
      if (dynamic_cast<ui::TextInputClient*>(hit) && (!control || control->isEnabled())) return;
    }
    page->endEditing(true);
  });
  tap->setCancelsTouchesInView(false);
  view()->addGestureRecognizer(tap);

  addLoginObserver();
  foundation::NotificationCenter::defaultCenter().addObserver(
      &keyboardHideOwner_, ui::kKeyboardWillHideNotification,
      [this](const foundation::Notification&) { keyboardWillHide(); });
  // The header shows the handed record at once; the fresh quote replaces it when it comes.
  refreshHeader();
}

void PriceNotificationSetting::buildHeader() {
  _codeView = ui::View::create(gfx::Rect(0, 0, 320, 40));
  _codeView->setBackgroundColor(gfx::Color::clear());
  auto name = HeaderLabel(gfx::Rect(14, 0, 120, 40), kNameTag, gfx::TextAlignment::Left);
  name->setTextColor(gfx::Color::black());
  _codeView->addSubview(name);
  _codeView->addSubview(
      HeaderLabel(gfx::Rect(134, 0, 80, 40), kPriceTag, gfx::TextAlignment::Right));
  _codeView->addSubview(
      HeaderLabel(gfx::Rect(216, 0, 90, 40), kChangeTag, gfx::TextAlignment::Right));
}

void PriceNotificationSetting::buildEditViews() {
  static const char* const kCaptions[] = {"涨价", "跌价", "涨跌幅"};
  static const char* const kUnits[] = {"元", "元", "%"};
  std::weak_ptr<ui::TextFieldDelegate> delegate = sharedAs<ui::TextFieldDelegate>();
  for (int i = 0; i < 3; ++i) {
    auto edit = ui::View::create(gfx::Rect(0, 0, 210, kSettingRowHeight));
    edit->setBackgroundColor(gfx::Color::clear());
    edit->addSubview(MakeClearLabel(gfx::Rect(10, 0, 56, kSettingRowHeight),
                                    gfx::Font::systemFont(16), gfx::Color::black(), kCaptions[i]));
    auto field = ui::TextField::create(gfx::Rect(68, 6, 110, 28));
    field->setTag(kRiseFieldTag + i);
    field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    field->setFont(gfx::Font::systemFont(16));
    field->setKeyboardType(ui::KeyboardType::DecimalPad);
    field->setEnabled(false);
    field->setDelegate(delegate);
    edit->addSubview(field);
    edit->addSubview(MakeClearLabel(gfx::Rect(182, 0, 26, kSettingRowHeight),
                                    gfx::Font::systemFont(14), gfx::Color::black(), kUnits[i]));
    editViews_[static_cast<size_t>(i)] = edit;
  }
}

ui::TextField* PriceNotificationSetting::field(int tag) const {
  const int i = tag - kRiseFieldTag;
  if (i < 0 || i > 2 || !editViews_[static_cast<size_t>(i)]) return nullptr;
  return dynamic_cast<ui::TextField*>(editViews_[static_cast<size_t>(i)]->viewWithTag(tag));
}

void PriceNotificationSetting::viewWillAppear(bool animated) {
  ArScrollViewController::viewWillAppear(animated);
  Extend::setNavigationBarColorForiOS7(*this);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, false);
  requestSetting();
}

// --- The stock ------------------------------------------------------------------------------

void PriceNotificationSetting::setStockData(const tagLocalStockData* data) {
  if (!data) return;
  std::memcpy(static_cast<void*>(&m_stockdata), data, sizeof m_stockdata);
  m_stockdata.code[sizeof m_stockdata.code - 1] = 0;
  m_stockdata.name[16] = 0;
  refreshHeader();
}

void PriceNotificationSetting::refreshHeader() {
  if (!_codeView) return;
  auto* name = dynamic_cast<ui::Label*>(_codeView->viewWithTag(kNameTag));
  auto* price = dynamic_cast<ui::Label*>(_codeView->viewWithTag(kPriceTag));
  auto* change = dynamic_cast<ui::Label*>(_codeView->viewWithTag(kChangeTag));
  if (!name || !price || !change) return;
  name->setText(foundation::utf16ToUtf8(std::u16string(m_stockdata.name)));
  price->setText(vmath::IsEmpty(m_stockdata.now)
                     ? std::string("----")
                     : FormatPriceString(m_stockdata.now, 0, m_stockdata.pricedot, 0));
  change->setText(FormatValueString(m_stockdata.zd, m_stockdata.yesterday, m_stockdata.now));
  const gfx::Color colour = SharedTool::CheckPriceColor(m_stockdata.zd);
  price->setTextColor(colour);
  change->setTextColor(colour);
}

void PriceNotificationSetting::requestHQData(const char* code, int market) {
  if (!code) return;
  static const uint8_t kList1[] = {6, 10, 9, 30, 11, 19, 1};
  static const uint8_t kList2[] = {7, 10, 9, 30, 11, 5, 31, 17};
  const uint16_t requestCode = pending_.renew(GlobalDataRequest(), kSlotStockQuote);
  uint8_t buffer[1024];
  CDataRequest* request = GlobalDataRequest();
  const int32_t session = request ? static_cast<int32_t>(request->GetSessionValue() & 0xffffff) : 0;
  const int n = MakeRequest_StockData(session, requestCode, kPageId, static_cast<uint8_t>(market),
                                      code, kList1, kList2, buffer, sizeof buffer);
  if (n <= 0) {
    foundation::logError("!!!!!!!PriceNotificationSetting: quote request not built (%d)", n);
    return;
  }
  PushCenterSendQueue(buffer, n);
}

// --- Exchanges --------------------------------------------------------------------------------

uint16_t PriceNotificationSetting::startExchange(Slot slot) {
  waiter_.show();
  const uint16_t code = pending_.renew(GlobalDataRequest(), slot);
  waiter_.expect(code);
  return code;
}

void PriceNotificationSetting::requestSetting() {
  if (!waiter_.attached() || waiter_.waiting()) return;
  const uint16_t code = startExchange(kSlotGet);
  MakeRequest_PriceNotificationGetSetting(GlobalDataRequest(), 0, code, m_stockdata.market,
                                          m_stockdata.code, kPageId);
}

void PriceNotificationSetting::settingDone() {
  // The keypad goes first: the waiting box stands where the keypad rises.
  if (isViewLoaded()) view()->endEditing(true);
  uploadSetting();
}

void PriceNotificationSetting::uploadSetting() {
  if (!isViewLoaded()) return;
  PriceAlertInput in;
  in.ladderOn = switches_[0]->isOn();
  in.riseOn = switches_[1]->isOn();
  in.fallOn = switches_[2]->isOn();
  in.changeOn = switches_[3]->isOn();
  in.riseText = field(kRiseFieldTag)->text();
  in.fallText = field(kFallFieldTag)->text();
  in.changeText = field(kChangeFieldTag)->text();
  in.now = m_stockdata.now;
  in.yesterday = m_stockdata.yesterday;
  in.priceDecimals = m_stockdata.pricedot;
  PriceAlertUpload up;
  const std::string message = CheckPriceAlertInput(in, &up);
  if (!message.empty()) {
    ShowMessageAlert(message);
    return;
  }
  if (waiter_.waiting()) return;
  if (up.remove) {
    const uint16_t code = startExchange(kSlotDelete);
    MakeRequest_PriceNotificationDeleteSetting(GlobalDataRequest(), 0, code, m_stockdata.code,
                                               kPageId);
    return;
  }
  const uint16_t code = startExchange(kSlotUpload);
  const std::string name = foundation::utf16ToUtf8(std::u16string(m_stockdata.name));
  MakeRequest_PriceNotificationUploadSetting(GlobalDataRequest(), 0, code, m_stockdata.market,
                                             m_stockdata.code, name.c_str(), up.ladder, 3, up.rise,
                                             up.fall, up.change, kPageId);
}

void PriceNotificationSetting::updateViewWithData(const MDBF& table) {
  if (!isViewLoaded()) return;
  const PriceAlertShown shown = ReadPriceAlertSetting(table);
  switches_[0]->setOn(shown.ladder);
  struct Row {
    bool on;
    const std::string& text;
    int tag;
    bool emptyWhenOff;
  };
  const Row rows[] = {{shown.riseOn, shown.riseText, kRiseFieldTag, false},
                      {shown.fallOn, shown.fallText, kFallFieldTag, false},
                      {shown.changeOn, shown.changeText, kChangeFieldTag, true}};
  for (size_t i = 0; i < 3; ++i) {
    switches_[i + 1]->setOn(rows[i].on);
    ui::TextField* f = field(rows[i].tag);
    f->setEnabled(rows[i].on);
    if (rows[i].on || rows[i].emptyWhenOff) f->setText(rows[i].text);
  }
}

void PriceNotificationSetting::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (!ReadPriceAlertReply(notification, kPageId, reply)) return;
  // Only the answer the box waits for: after its time-out was shown, a late "saved" would say
  // the setting the user believes lost was kept.
  if (!waiter_.takes(reply.requestCode())) return;
  if (reply.header.isError()) {
    waiter_.failed();
    ShowReplyError(reply);
    return;
  }
  const uint8_t child = reply.header.ChildType;
  // The detail pager asks for the stored setting on this page too, with codes of its own.
  const Slot* slot = pending_.find(reply.requestCode());
  auto matches = [slot](Slot s) { return slot && *slot == s; };
  if (child == PriceAlertChild::kGetSetting && matches(kSlotGet)) {
    waiter_.end();
    pending_.forget(kSlotGet);
    MDBF table;
    if (table.Parse(reply.body, reply.bodyLen) < 0)
      foundation::logError("!!!!!!!PriceNotificationSetting: stored setting is no record table");
    updateViewWithData(table);
    _tableView->reloadData();
    return;
  }
  if ((child == PriceAlertChild::kUploadSetting && matches(kSlotUpload)) ||
      (child == PriceAlertChild::kDeleteSetting && matches(kSlotDelete))) {
    waiter_.end();
    pending_.forget(*slot);
    MDBF table;
    table.Parse(reply.body, reply.bodyLen);
    ShowAlert(table.GetNSString(15), "", {"确定"}, kAnswerAlertTag,
              sharedAs<ui::AlertViewDelegate>());
    return;
  }
}

void PriceNotificationSetting::recvUpdataStock(const foundation::Notification& notification) {
  ReceiveRecordView reply;
  if (!ReceiveRecordView::From(notification, reply) || reply.status != kReceiveStatusPacket) return;
  if (reply.header.MainType != kMainTypeQuote || reply.header.ChildType != QuoteChild::kStockData)
    return;
  if (reply.header.isError()) {
    ShowReplyError(reply);
    return;
  }
  const Slot* slot = pending_.find(reply.requestCode());
  if (!slot || *slot != kSlotStockQuote) return;
  tagLocalStockData quote{};
  QuoteCache_GetQuote(quote, m_stockdata.market, m_stockdata.code);
  setStockData(&quote);
}

void PriceNotificationSetting::swtichValueChanged(ui::Switch& sender) {
  for (int i = 1; i < 4; ++i) {
    if (switches_[static_cast<size_t>(i)].get() != &sender) continue;
    ui::TextField* f = field(kRiseFieldTag + i - 1);
    if (!f) return;
    if (sender.isOn()) {
      f->setEnabled(true);
    } else {
      f->setText("");
      f->resignFirstResponder();
      f->setEnabled(false);
    }
  }
}

bool PriceNotificationSetting::textFieldShouldChangeCharactersInRange(ui::TextField& f,
                                                                      ui::TextRange,
                                                                      const std::string& string) {
  if (f.tag() < kRiseFieldTag || f.tag() > kChangeFieldTag) return true;
  return PriceAlertInputAccepted(string);
}

void PriceNotificationSetting::handleTimeoutRequest() {
  PriceAlertRequestTimedOut(waiter_);
}

void PriceNotificationSetting::alertViewClickedButtonAtIndex(ui::AlertView& alert, int) {
  if (alert.tag() != kAnswerAlertTag) return;
  if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

// --- Keyboard ---------------------------------------------------------------------------------

void PriceNotificationSetting::keyboardWasShown(const foundation::Notification& notification) {
  ui::ScrollView* scroll = mView();
  if (!scroll) return;
  const gfx::Rect begin = scroll->convertRectToView(
      ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameBeginUserInfoKey), nullptr);
  if (!keyboardIsShowing()) {
    gfx::Rect frame = scroll->frame();
    frame.size.height -= std::max(0.0, begin.height() - heightToBottomScreen());
    scroll->setFrame(frame);
    for (int row = 0; row < 3; ++row) {
      ui::TextField* editing = nullptr;
      for (const auto& sub : editViews_[static_cast<size_t>(row)]->subviews()) {
        auto* f = dynamic_cast<ui::TextField*>(sub.get());
        if (f && f->isEditing()) editing = f;
      }
      if (!editing) continue;
      fitAbovePad(ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameEndUserInfoKey).y());
      scrollFieldAbovePad(*editing);
      break;
    }
    commitEmptyAnimation();
    setKeyboardIsShowing(true);
    return;
  }
  const gfx::Rect end = scroll->convertRectToView(
      ui::keyboardFrame(notification.userInfo, ui::kKeyboardFrameEndUserInfoKey), nullptr);
  if (end.height() != begin.height()) {
    gfx::Rect frame = scroll->frame();
    frame.size.height += begin.height() - end.height();
    scroll->setFrame(frame);
  }
}

void PriceNotificationSetting::fitAbovePad(double padTop) {
  ui::ScrollView* scroll = mView();
  if (!scroll || !scroll->superview()) return;
  const gfx::Rect onScreen = scroll->superview()->convertRectToView(scroll->frame(), nullptr);
  const double over = onScreen.maxY() - padTop;
  if (over <= 0) return;
  gfx::Rect frame = scroll->frame();
  frame.size.height = std::max(0.0, frame.height() - over);
  scroll->setFrame(frame);
}

void PriceNotificationSetting::scrollFieldAbovePad(ui::TextField& field) {
  ui::ScrollView* scroll = mView();
  if (!scroll) return;
  gfx::Rect shown = field.convertRectToView(field.bounds(), scroll);
  shown.size.height += 10;  // some air between the field's edge and the pad
  scroll->scrollRectToVisible(shown, true);
}

// Another field taken while the pad stays up: no keyboard notification comes, so the field is
// brought above the pad here.
void PriceNotificationSetting::textFieldDidBeginEditing(ui::TextField& field) {
  if (!keyboardIsShowing()) return;
  if (ui::Keyboard::shared().isVisible()) fitAbovePad(ui::Keyboard::shared().frame().y());
  scrollFieldAbovePad(field);
}

void PriceNotificationSetting::keyboardWillHide() {
  ui::ScrollView* scroll = mView();
  if (!scroll) return;
  const double most = std::max(0.0, scroll->contentSize().height - scrollViewFrame().height());
  gfx::Point offset = scroll->contentOffset();
  if (offset.y <= most) return;
  offset.y = most;
  scroll->setContentOffset(offset, true);
}

// --- Table ------------------------------------------------------------------------------------

int PriceNotificationSetting::numberOfSectionsInTableView(ui::TableView&) {
  return 2;
}

int PriceNotificationSetting::tableViewNumberOfRowsInSection(ui::TableView&, int section) {
  return section == 0 ? 1 : section == 1 ? 3 : 0;
}

std::shared_ptr<ui::TableViewCell> PriceNotificationSetting::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kSettingCellId);
  if (!cell) cell = ui::TableViewCell::create(ui::TableViewCellStyle::Subtitle, kSettingCellId);
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  cell->textLabel()->setFont(gfx::Font::systemFont(16));
  // A reused cell may still hold another row's edit view.
  for (const auto& edit : editViews_) {
    if (edit && edit->superview() == cell->contentView()) edit->removeFromSuperview();
  }
  // The four switches move between reused cells: the cell that held one gives it up first, or
  // that cell would take it out of its new cell when it gets its own switch.
  auto giveSwitch = [&cell](const std::shared_ptr<ui::Switch>& onOff) {
    auto* holder = dynamic_cast<ui::TableViewCell*>(onOff->superview());
    if (holder && holder != cell.get()) holder->setAccessoryView(nullptr);
    cell->setAccessoryView(onOff);
  };
  if (path.section == 0) {
    cell->textLabel()->setText("Trevane提醒");
    giveSwitch(switches_[0]);
  } else if (path.row >= 0 && path.row < 3) {
    cell->textLabel()->setText("");
    giveSwitch(switches_[static_cast<size_t>(path.row) + 1]);
    cell->contentView()->addSubview(editViews_[static_cast<size_t>(path.row)]);
  }
  return cell;
}

std::string PriceNotificationSetting::tableViewTitleForFooterInSection(ui::TableView&,
                                                                       int section) {
  return section == 1 ? kFooter : std::string();
}

double PriceNotificationSetting::tableViewHeightForRowAtIndexPath(ui::TableView&,
                                                                  const ui::IndexPath&) {
  return kSettingRowHeight;
}

double PriceNotificationSetting::tableViewHeightForFooterInSection(ui::TableView&, int section) {
  return section == 1 ? 96 : 10;
}

// The notice is several lines long; a label of its own wraps it.
std::shared_ptr<ui::View> PriceNotificationSetting::tableViewViewForFooterInSection(ui::TableView&,
                                                                                    int section) {
  if (section != 1) return nullptr;
  auto footer = ui::View::create(gfx::Rect(0, 0, 320, 96));
  footer->setBackgroundColor(gfx::Color::clear());
  auto text = MakeClearLabel(gfx::Rect(20, 4, 280, 88), gfx::Font::systemFont(13),
                             gfx::Color::rgb255(76, 86, 108), kFooter);
  text->setNumberOfLines(0);
  footer->addSubview(text);
  return footer;
}

double PriceNotificationSetting::tableViewHeightForHeaderInSection(ui::TableView&, int section) {
  return section == 0 ? 40 : 0;
}

std::shared_ptr<ui::View> PriceNotificationSetting::tableViewViewForHeaderInSection(ui::TableView&,
                                                                                    int section) {
  return section == 0 ? _codeView : nullptr;
}

// --- Observers --------------------------------------------------------------------------------

void PriceNotificationSetting::addLoginObserver() {
  removeLoginObserver();
  ui::Observe(this, "PriceNotification", &PriceNotificationSetting::recvmsg);
  ui::Observe(this, "NotificationName_UpdateStock", &PriceNotificationSetting::recvUpdataStock);
  observing_ = true;
}

void PriceNotificationSetting::removeLoginObserver() {
  if (!observing_) return;
  auto& center = foundation::NotificationCenter::defaultCenter();
  center.removeObserversOf(this, "PriceNotification");
  center.removeObserversOf(this, "NotificationName_UpdateStock");
  observing_ = false;
}
