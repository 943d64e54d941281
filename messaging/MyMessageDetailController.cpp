#include "messaging/MyMessageDetailController.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <vector>

#include "core/ByteOrder.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/MessageRequests.h"
#include "core/QuoteCache.h"
#include "core/QuoteField.h"
#include "core/QuoteFormat.h"
#include "core/QuoteRequests.h"
#include "core/StockData.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MySendMessageView.h"
#include "messaging/SendMessageViewController.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ScreenMetrics.h"
#include "shell/ScreenRoles.h"
#include "shell/SharedTool.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"
#include "widgets/TableCell.h"

using foundation::Value;

namespace {

// The fields asked for the stock's name: name, stock type, code, market.
constexpr uint8_t kNameFields[] = {30, 11, 10, 9};

const char kRefusalContent[] =
    "您好！您已经多日申请了Zornik临时权限，鉴于我们工作的精力有限，恕我们暂时不能再为您提供本项服务，"
    "请及时与我们进行沟通，以恢复本项权限申请功能";

// The server's number before a "|" of an error text ("99|已处理"), -1 when it is none.
int ErrorNumber(std::string_view part) {
  while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
  while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
  int number = -1;
  auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), number);
  if (ec != std::errc() || end != part.data() + part.size()) return -1;
  return number;
}

// The sender's row in the sheet's picker: found by id, since the picker orders the directory
// by its own sections; the directory position when the picker has no such row.
int PickerPosition(const MySendMessageView& sheet, const std::string& id, int directoryIndex) {
  const int position = sheet.receiverPosition(id);
  return position >= 0 ? position : directoryIndex;
}

}  // namespace

// --- views ------------------------------------------------------------------------------------

void MyMessageDetailController::loadView() {
  // Sender or receivers, title and date over the body; the permission buttons beside the date.
  auto view = ui::View::create(ui::Screen::main().applicationFrame());
  view->setBackgroundColor(gfx::Color::black());
  setView(view);
  auto label = [&view](int tag, const gfx::Rect& frame, const gfx::Font& font,
                       const gfx::Color& color) {
    auto made = MakeClearLabel(frame, font, color);
    made->setTag(tag);
    view->addSubview(made);
  };
  const double top = kToolViewHeight;
  label(kTagSender, gfx::Rect(10, top + 6, 300, 20), gfx::Font::systemFont(14),
        gfx::Color::rgb255(150, 180, 220));
  label(kTagTitle, gfx::Rect(10, top + 28, 300, 22), gfx::Font::boldSystemFont(16), gfx::Color::white());
  label(kTagDate, gfx::Rect(10, top + 54, 170, 18), gfx::Font::systemFont(12), gfx::Color::lightGrey());

  auto permission = [&](int tag, const char* title, double x) {
    auto button = MakeTextButton(gfx::Rect(x, top + 48, 62, 28), title,
                                 gfx::Font::boldSystemFont(13), gfx::Color::white());
    button->setTag(tag);
    button->setTitleColor(gfx::Color::darkGrey(), ui::ControlState::Disabled);
    button->setBackgroundImage(gfx::Image::named("bg_btn.png").stretchable(10, 0));
    button->setBackgroundImage(gfx::Image::named("bg_btn_highlight.png").stretchable(10, 0),
                               ui::ControlState::Highlighted);
    button->setHidden(true);
    button->addTarget(
        ui::WhileAlive(this, [tag](MyMessageDetailController& me) { me.ButtonClicked(tag); }),
        ui::ControlEvent::TouchUpInside);
    view->addSubview(button);
  };
  permission(kTagGrant, "同意赋权", 182);
  permission(kTagRefuse, "拒绝赋权", 250);

  auto body = ui::TextView::create(gfx::Rect(5, top + 80, 310, 200));
  body->setTag(kTagBody);
  body->setEditable(false);
  body->setBackgroundColor(gfx::Color::clear());
  view->addSubview(body);
}

void MyMessageDetailController::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  _toolView.reset();
  _bReset = false;
  setTitle("我的消息");
  navigationItem().setBackBarButtonItem(
      ui::BarButtonItem::withTitle("返回", ui::BarButtonItemStyle::Bordered));
  auto toolbar = MyToolBar::initWithFrame(gfx::Rect(0, 0, 50, 44));
  toolbar->setItems({ui::BarButtonItem::withTitle(
      "查询", ui::BarButtonItemStyle::Bordered,
      ui::WhileAlive(this, &MyMessageDetailController::searchStock))});
  navigationItem().setRightBarButtonItem(ui::BarButtonItem::withCustomView(toolbar));

  const gfx::Rect bounds = view()->bounds();
  waiter_.attach(*view(), gfx::Rect(bounds.width() / 2 - 70, bounds.height() / 2 - 32, 140, 65),
                 weakAs<::AlertViewDelegate>(), kTimeoutSeconds, kRequestSendingText);
}

void MyMessageDetailController::observe() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::Observe(this, "MyMessage", &MyMessageDetailController::recvmsg);
  ui::Observe(this, "relogin", &MyMessageDetailController::UserReloginSuccess);
  ui::Observe(this, "wtStockData", &MyMessageDetailController::recvStockData);
}

void MyMessageDetailController::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* nav = navigationController()) nav->setNavigationBarHidden(false, false);
  Extend::setNavigationBarColorForiOS7(*this);
  initToolView(kToolViewHeight);
  observe();
}

void MyMessageDetailController::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->showBottomHurricaneLamp();
  if (!_bReset) return;
  // Logged in again meanwhile: the centre's list is another one now.
  _bReset = false;
  if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void MyMessageDetailController::viewDidDisappear(bool animated) {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::ViewController::viewDidDisappear(animated);
}

void MyMessageDetailController::initToolView(double height) {
  if (_toolView) return;
  _toolView = ui::View::create(gfx::Rect(0, 0, 320, height));
  _toolView->setBackgroundColor(gfx::Color::rgb255(1, 12, 30));
  _toolView->layer().setBorderColor(gfx::Color::lightGrey());
  _toolView->layer().setBorderWidth(1);
  struct Item {
    int tag;
    const char* title;
    gfx::Rect frame;
  };
  std::vector<Item> items;
  if (_bSentMessage) {
    items = {{kTagForward, "转发", gfx::Rect(5, 3, 96, height - 6)},
             {kTagPrevious, "上一条", gfx::Rect(112, 3, 96, 32)},
             {kTagNext, "下一条", gfx::Rect(219, 3, 96, 32)}};
  } else {
    items = {{kTagReply, "回复", gfx::Rect(5, 3, 64, height - 6)},
             {kTagCall, "电话", gfx::Rect(74, 3, 64, height - 6)},
             {kTagPrevious, "上一条", gfx::Rect(143, 3, 83, 32)},
             {kTagNext, "下一条", gfx::Rect(232, 3, 83, 32)}};
  }
  const gfx::Image background = gfx::Image::named("bg_btn.png").stretchable(10, 0);
  for (const Item& item : items) {
    auto button =
        MakeTextButton(item.frame, item.title, gfx::Font::boldSystemFont(14), gfx::Color::white());
    button->setTag(item.tag);
    button->setBackgroundImage(background);
    const int tag = item.tag;
    button->addTarget(
        ui::WhileAlive(this, [tag](MyMessageDetailController& me) { me.toolViewClicked(tag); }),
        ui::ControlEvent::TouchUpInside);
    _toolView->addSubview(button);
  }
  view()->addSubview(_toolView);
  // Built after the centre showed the first message: its states apply from the start.
  updateButtonState();
}

ui::Button* MyMessageDetailController::toolButton(int tag) const {
  return _toolView ? dynamic_cast<ui::Button*>(_toolView->viewWithTag(tag)) : nullptr;
}

ui::Button* MyMessageDetailController::buttonWithTag(int tag) {
  return dynamic_cast<ui::Button*>(view()->viewWithTag(tag));
}

ui::Label* MyMessageDetailController::labelWithTag(int tag) {
  return dynamic_cast<ui::Label*>(view()->viewWithTag(tag));
}

ui::TextView* MyMessageDetailController::bodyView() {
  return dynamic_cast<ui::TextView*>(view()->viewWithTag(kTagBody));
}

// --- showing a row ------------------------------------------------------------------------------

MyMessageDetailController::GoldCode MyMessageDetailController::ParseGoldCode(const std::string& goldcode) {
  GoldCode out;
  const std::string text = goldcode.substr(0, kGoldTextMax);
  const size_t comma = text.find(',');
  const std::string marketText = text.substr(0, comma);
  if (marketText == "SZ" || marketText == "sz") out.market = 2;
  if (marketText == "SH" || marketText == "sh") out.market = 1;
  if (comma == std::string::npos) return out;
  std::string item = text.substr(comma + 1);
  item = item.substr(0, item.find(','));
  out.code = item.substr(0, item.find('|')).substr(0, kGoldCodeMax);
  return out;
}

void MyMessageDetailController::showBody() {
  ui::TextView* body = bodyView();
  if (!body) return;
  if (_nMessageType == 7) {
    body->setText(foundation::format("索取代码: %s %s \r\n%s", _goldCode.c_str(), _goldStockName.c_str(),
                                     message_["content"].toString().c_str()));
  }
}

void MyMessageDetailController::updateCurrentView(int row) {
  (void)view();
  _nCurrentRecord = row;
  auto delegate = delegate_.lock();
  message_ = delegate ? delegate->currentMyMessage(row) : Value();
  if (!message_.isNull()) {
    _goldStockName.clear();
    _nMarket = 0;
    if (ui::TextView* body = bodyView()) {
      gfx::Rect f = body->frame();
      f.size.height = std::max(0.0, ScreenContentHeight() - 28 - f.y());
      body->setFrame(f);
      body->setTextColor(gfx::Color::white());
      body->setFont(gfx::Font::systemFont(14));
    }
    auto setLabel = [this](int tag, const std::string& text) {
      if (ui::Label* l = labelWithTag(tag)) l->setText(text);
    };
    _goldCode.clear();
    if (_bSentMessage) {
      setLabel(kTagSender, "收件人:" + message_["sendMessageKey_showRecivers"].toString());
      setLabel(kTagTitle, message_["sendMessageKey_title"].toString());
      setLabel(kTagDate, message_["sendMessageKey_date"].toString());
      if (ui::TextView* body = bodyView()) body->setText(message_["sendMessageKey_content"].toString());
      _nMessageType = 0;
    } else {
      setLabel(kTagSender, "发件人:" + message_["sender"].toString());
      setLabel(kTagTitle, message_["title"].toString());
      setLabel(kTagDate, message_["date"].toString());
      if (ui::TextView* body = bodyView()) body->setText(message_["content"].toString());
      _nMessageType = static_cast<int>(message_["typeid"].toInt(0));
      if (_nMessageType == 7) {
        const GoldCode gold = ParseGoldCode(message_["goldcode"].toString());
        _nMarket = gold.market;
        _goldCode = gold.code;
        showBody();
        // Nothing to ask for without a code.
        if (!_goldCode.empty()) requestOneStockData(_goldCode.c_str(), static_cast<uint8_t>(_nMarket));
      }
    }
  }
  updateButtonState();
}

void MyMessageDetailController::updateButtonState() {
  auto setStep = [](ui::Button* button, bool enabled) {
    if (!button) return;
    button->setEnabled(enabled);
    button->setTitleColor(enabled ? gfx::Color::white() : gfx::Color::darkGrey());
  };
  auto delegate = delegate_.lock();
  const int total = delegate ? delegate->totalMyMessage() : 0;
  setStep(toolButton(kTagPrevious), _nCurrentRecord != 0);
  setStep(toolButton(kTagNext), _nCurrentRecord < total - 1);
  if (!isViewLoaded()) return;
  const bool permission = _nMessageType == 7;
  const bool open = permission && !message_.isNull() && message_["taskstatus"].toInt(0) == 0;
  for (int tag : {kTagGrant, kTagRefuse}) {
    if (ui::Button* button = buttonWithTag(tag)) {
      button->setHidden(!permission);
      button->setEnabled(open);
    }
  }
}

void MyMessageDetailController::attachSheet(MySendMessageView& sheet) {
  sheet.setNeedPopViewController(weakAs<ui::ViewController>());
  sheet.setTaskAnswered(ui::WhileAlive(this, &MyMessageDetailController::updateTaskStatusToDone));
}

void MyMessageDetailController::updateTaskStatusToDone() {
  if (_nMessageType != 7) return;
  if (auto delegate = delegate_.lock()) delegate->currentMessageChanged(_nCurrentRecord, "taskstatus", Value("1"));
  // The screen's copy too, so the buttons follow whatever the delegate did with it.
  if (!message_.isNull()) message_["taskstatus"] = Value("1");
  updateButtonState();
}

// --- tool view ----------------------------------------------------------------------------------

std::shared_ptr<SendMessageViewController> MyMessageDetailController::presentSheet() {
  auto sheet = Extend::produceObject<ui::ViewController>("SendMessageViewController");
  if (!sheet) return nullptr;
  presentModalViewController(sheet, true);
  (void)sheet->view();
  auto compose = std::dynamic_pointer_cast<SendMessageViewController>(sheet);
  return compose && compose->sendMessageView() ? compose : nullptr;
}

void MyMessageDetailController::forward() {
  auto compose = presentSheet();
  if (!compose) return;
  ui::TextView* body = bodyView();
  ui::Label* title = labelWithTag(kTagTitle);
  compose->sendMessageView()->setInitContent(body ? body->text() : "", title ? title->text() : "");
}

void MyMessageDetailController::reply() {
  const std::string sender = message_["sender"].toString();
  const int index = FindBrokerIndex(message_["brokerID"].toString());
  if (index < 0) {
    ShowMessageAlert(foundation::format("%s不是您的投资顾问，您不能向他发送消息.", sender.c_str()));
    return;
  }
  auto compose = presentSheet();
  if (!compose) return;
  MySendMessageView& sheet = *compose->sendMessageView();
  sheet.setMessageInfo(2, message_);
  sheet.setInitSelect(PickerPosition(sheet, message_["brokerID"].toString(), index));
  ui::Label* title = labelWithTag(kTagTitle);
  sheet.setInitDataWhenRepay(sender, "回复: " + (title ? title->text() : std::string()));
}

void MyMessageDetailController::call() {
  if (!message_["sender"].isNull() && !message_["sender"].toString().empty()) {
    const std::string id = message_["brokerID"].toString();
    const std::string mobile = FindBrokerMobile(id);
    if (mobile.size() > 3) {
      SharedTool::makeCall(mobile);
      return;
    }
    const std::string phone = FindBrokerPhone(id);
    if (phone.size() > 3) {
      SharedTool::makeCall(phone);
      return;
    }
    ShowMessageAlert(foundation::format("%s 电话为空！", message_["sender"].toString().c_str()));
  }
}

void MyMessageDetailController::toolViewClicked(int tag) {
  switch (tag) {
    case kTagForward:
      forward();
      break;
    case kTagReply:
      if (!message_.isNull()) reply();
      break;
    case kTagCall:
      call();
      break;
    case kTagPrevious:
      updateCurrentView(_nCurrentRecord - 1);
      break;
    case kTagNext:
      updateCurrentView(_nCurrentRecord + 1);
      break;
    default:
      break;
  }
}

// --- permission requests ------------------------------------------------------------------------

std::string MyMessageDetailController::stockText() const {
  return _goldCode + " " + _goldStockName;
}

void MyMessageDetailController::ButtonClicked(int tag) {
  if (tag == kTagGrant) grant();
  if (tag == kTagRefuse) refuse();
}

void MyMessageDetailController::grant() {
  // One grant at a time.
  if (message_.isNull() || isWaiting()) return;
  waiter_.show();
  _nRequestCode = waiter_.send(GlobalDataRequest());
  const std::string title = "Zornik主力数据赋权，代码：" + stockText();
  const std::string content = "您申请的Zornik短期产品已经开通，请使用！\r\n权限：" + stockText() + "的Zornik短期权限";
  auto text = [this](const char* key) { return message_[key].toString(); };
  auto orNull = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
  const std::string to = text("brokerID"), source = text("messagesource"), gold = text("goldcode"),
                    product = text("messageProductType"), ext1 = text("messageExt1"), task = text("taskid");
  const int result = Request_MessageFuQuan(GlobalDataRequest(), 0, static_cast<uint16_t>(_nRequestCode), nullptr,
                                           to.c_str(), title.c_str(), content.c_str(), 1, orNull(source),
                                           orNull(gold), orNull(product), orNull(ext1), orNull(task), kPageId);
  if (result < 0) {
    // Refused by the builder (a record too long): nothing went, so nothing to wait for.
    waiter_.hide();
    _nRequestCode = -1;
    ShowMessageAlert("内容过长，无法发送！");
  }
}

void MyMessageDetailController::refuse() {
  if (message_.isNull()) return;
  const int index = FindBrokerIndex(message_["brokerID"].toString());
  if (index < 0) {
    foundation::logError("ERROR:拒绝赋权失败，收件人不在客户列表中");
    return;
  }
  auto compose = presentSheet();
  if (!compose) return;
  MySendMessageView& sheet = *compose->sendMessageView();
  attachSheet(sheet);
  sheet.setMessageInfo(7, message_);
  sheet.setInitSelect(PickerPosition(sheet, message_["brokerID"].toString(), index));
  sheet.setInitReceiverData(message_["sender"].toString(), true);
  sheet.setInitContent(kRefusalContent, stockText() + "Zornik短期产品申请被拒绝，十分抱歉");
}

void MyMessageDetailController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView record;
  if (!ReceiveRecordView::From(notification, record)) return;
  if (record.status != kReceiveStatusPacket || record.header.MainType != kMainTypeLogin ||
      record.header.ChildType != LoginChild::kGrant || !waiter_.takes(record.requestCode()))
    return;
  _nRequestCode = -1;
  if (record.header.isError()) {
    waiter_.failed();
    const std::string text = record.errorText();
    const size_t bar = text.find('|');
    if (bar != std::string::npos && ErrorNumber(std::string_view(text).substr(0, bar)) == 99) {
      // Already handled on the server's side: only its words, and the task is done.
      std::string rest = text.substr(bar + 1);
      rest = rest.substr(0, rest.find('|'));
      ShowMessageAlert(rest);
      updateTaskStatusToDone();
      return;
    }
    if (!text.empty()) ShowMessageAlert(text);
    return;
  }
  waiter_.end();
  ShowAlert(SendAnswerText(record.body, record.bodyLen), "", {kAlertOK}, kAlertGranted, weakAs<ui::AlertViewDelegate>());
  updateTaskStatusToDone();
}

void MyMessageDetailController::handleTimeoutRequest() {
  // No answer: the user is told, and may grant again; the late answer changes nothing.
  _nRequestCode = -1;
  waiter_.timedOut();
}

void MyMessageDetailController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int) {
  if (alert.tag() != kAlertGranted) return;
  if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

// --- the stock's name ---------------------------------------------------------------------------

void MyMessageDetailController::requestOneStockData(const char* code, uint8_t market) {
  uint8_t item[9] = {};
  FillStockItem(item, market, code);
  MakeRequest_OneStockData(GlobalDataRequest(), 0, item, 1, kNameFields,
                           static_cast<int>(sizeof kNameFields));
}

bool MyMessageDetailController::recvStockData(const foundation::Notification& notification) {
  ReceiveRecordView record;
  if (!ReceiveRecordView::From(notification, record)) return false;
  if (record.status != kReceiveStatusPacket || record.header.MainType != kMainTypeQuote ||
      record.header.ChildType != QuoteChild::kOneStockData || record.header.isError())
    return false;
  if (_nMessageType == 7) updateStockData(record);
  return true;
}

bool MyMessageDetailController::StockNameInReply(const uint8_t* body, size_t length, int market,
                                                 const std::string& code, std::string& name) {
  if (!body || length < 3 || length - 3 < body[2]) return false;
  const int count = ReadLE16(body);
  const size_t idCount = body[2];
  // Records without fields name no stock.
  if (count == 0 || idCount == 0) return false;
  const uint8_t* ids = body + 3;
  size_t offset = 3 + idCount;
  const int64_t key = CodeToKey(code.c_str());
  bool found = false;
  tagLocalStockData match{};
  for (int r = 0; r < count; ++r) {
    tagLocalStockData rec{};
    const int wire = DecodeQuoteRecord(ids, idCount, body + offset, length - offset, rec);
    // A record cut short or of an unknown field: the reply is damaged, none of it is used.
    if (wire < 0) return false;
    offset += static_cast<size_t>(wire);
    if (!found && rec.market == market && RecordCodeKey(rec) == key) {
      match = rec;
      found = true;
    }
  }
  if (!found) return false;
  ScaleQuoteFields(match, ids, idCount);
  CalcQuoteDerived(match);
  name = UnicharsToNSString(match.name, sizeof match.name / sizeof match.name[0]);
  return true;
}

void MyMessageDetailController::updateStockData(const ReceiveRecordView& record) {
  if (record.bodyLen <= 2 || !record.body) return;
  std::string name;
  if (!StockNameInReply(record.body, static_cast<size_t>(record.bodyLen), _nMarket, _goldCode, name)) return;
  _goldStockName = name;
  showBody();
}

// --- stock search -------------------------------------------------------------------------------

void MyMessageDetailController::searchStock() {
  auto search = Extend::produceObject<ui::ViewController>("SearchStocks");
  if (!search) return;
  if (auto* screen = dynamic_cast<SearchStocks*>(search.get()))
    screen->setDelegate(weakAs<SearchStocksDelegate>());
  search->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  ui::ViewController* presenter = navigationController();
  (presenter ? presenter : this)->presentModalViewController(search, true);
}

void MyMessageDetailController::SearchDone(const char* code, uint16_t market, const std::string&,
                                           uint16_t stockType) {
  OpenStockDetail(*this, code, static_cast<uint8_t>(market), static_cast<uint8_t>(stockType));
}
