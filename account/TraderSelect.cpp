#include "account/TraderSelect.h"

#include "account/AccountUi.h"
#include "core/CDataCenter.h"
#include "core/DataRequest.h"
#include "core/LoginRequests.h"
#include "core/ReceiveRecord.h"
#include "core/SendQueues.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ScreenMetrics.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"
#include "widgets/StaleCheck.h"

namespace {

constexpr char kListCell[] = "TraderSelect_TableCell";
// The information page's wanted fields: kind and content.
constexpr char kInfoFields[] = {28, 29, 0};

void NetworkActivity(bool on) {
  ui::Application::shared().setNetworkActivityIndicatorVisible(on);
}

}  // namespace

std::shared_ptr<ui::Button> MakeRefreshButton(std::function<void()> action) {
  auto button = ui::Button::create(gfx::Rect(0, 0, 57, 40));
  button->setImage(gfx::Image::named("右侧刷新Button.png"));
  button->setImageEdgeInsets(gfx::EdgeInsets(0, 13, 0, -13));
  button->setAdjustsImageWhenHighlighted(false);
  button->addGestureRecognizer(
      ui::TapGestureRecognizer::create([action](ui::GestureRecognizer&) { action(); }));
  return button;
}

// ---------------------------------------------------------------------------------------------
// The form

TraderTypeSelectView::TraderTypeSelectView(const gfx::Rect& frame) : ui::View(frame) {}

std::shared_ptr<TraderTypeSelectView> TraderTypeSelectView::initWithFrame(const gfx::Rect& frame) {
  auto view = std::make_shared<TraderTypeSelectView>(frame);
  view->build();
  return view;
}

void TraderTypeSelectView::build() {
  setBackgroundColor(gfx::Color::clear());
  const double w = bounds().width();
  double y = static_cast<int>((bounds().height() - 65) / 2);
  auto row = [&](const char* caption, const char* title) {
    auto label = accountui::MakeLabel(caption, gfx::Rect(0, y, 70, 30), 15, gfx::Color::midGrey());
    addSubview(label);
    auto button = ui::Button::create(ui::ButtonType::RoundedRect, gfx::Rect(75, y, w - 75, 30));
    button->setTitle(title);
    button->setFont(gfx::Font::systemFont(15));
    button->addTarget(ui::WhileAlive(this, &TraderTypeSelectView::buttonAction),
                      ui::ControlEvent::TouchUpInside, this);
    addSubview(button);
    y += 35;
    return button;
  };
  btnQuanShang_ = row("券商名称:", kChooseBrokerTitle);
  btnYingYeBu_ = row("营 业 部:", kChooseBranchTitle);
}

void TraderTypeSelectView::setQSMC(const std::string& name, int code) {
  if (name.empty()) return;
  btnQuanShang_->setTitle(name);
  qsmc_ = name;
  qsdm_ = code;
}

void TraderTypeSelectView::setYYBMC(const std::string& name, int code) {
  if (name.empty()) return;
  btnYingYeBu_->setTitle(name);
  yybmc_ = name;
  yybdm_ = code;
}

bool TraderTypeSelectView::checkChosen() const {
  if (qsdm_ < 0)
    ShowMessageAlert("请选择券商！");
  else if (yybdm_ < 0)
    ShowMessageAlert("请选择营业部！");
  return qsdm_ >= 0 && yybdm_ >= 0;
}

void TraderTypeSelectView::buttonAction(ui::Control& sender) {
  int listType = 0, code = 0;
  if (&sender == btnQuanShang_.get()) {
    listType = 0;
  } else if (&sender == btnYingYeBu_.get()) {
    if (qsdm_ == -1) {
      ShowAlertMessage("请先选择券商！", "");
      return;
    }
    listType = 1;
    code = qsdm_;
  } else {
    return;
  }
  auto navigation = navigation_.lock();
  if (!navigation) return;
  auto list = std::make_shared<TraderSelectViewController>();
  list->setListType(listType, code);
  list->setDelegate(sharedAs<TraderSelectViewDelegate>());
  navigation->pushViewController(list, true);
}

void TraderTypeSelectView::TraderSelectViewDone(TraderSelectViewController&, int code,
                                                const std::string& name, int listType) {
  if (listType == 0) {
    if (code != qsdm_) {
      btnYingYeBu_->setTitle(kChooseBranchTitle);
      yybdm_ = -1;
    }
    setQSMC(name, code);
  } else if (listType == 1) {
    setYYBMC(name, code);
  }
}

// ---------------------------------------------------------------------------------------------
// What the list and the information page share

void TraderRequestScreen::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  live_.setAsk(ui::WhileAlive(this, &TraderRequestScreen::sendRequest));
  DeclareStaleCheck(*view(), "broker list or page", weakAs<TraderRequestScreen>(),
                    &TraderRequestScreen::live_);
  navigationItem().setRightBarButtonItem(ui::BarButtonItem::withCustomView(
      MakeRefreshButton(ui::WhileAlive(this, &TraderRequestScreen::DataRefresh))));
}

void TraderRequestScreen::viewWillAppear(bool animated) {
  Extend::setNavigationBarColorForiOS7(*this);
  ui::ViewController::viewWillAppear(animated);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::Observe(this, "TraderTypeSelect", &TraderRequestScreen::recvmsg);
  askForUser();
}

void TraderRequestScreen::viewWillDisappear(bool animated) {
  NetworkActivity(false);
  live_.stop();
  ui::ViewController::viewWillDisappear(animated);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

void TraderRequestScreen::askForUser() {
  errorTold_ = false;
  sendRequest();
}

void TraderRequestScreen::roundAnswered(uint16_t code) {
  NetworkActivity(false);
  errorTold_ = false;
  live_.answered(code);
}

void TraderRequestScreen::roundFailed(const ReceiveRecordView* error) {
  NetworkActivity(false);
  live_.failed();
  if (!error || errorTold_) return;
  errorTold_ = true;
  ShowErrorText(*error);
}

// ---------------------------------------------------------------------------------------------
// The list screen

void TraderSelectViewController::viewDidLoad() {
  TraderRequestScreen::viewDidLoad();
  tableView_ = ui::TableView::create(gfx::Rect(0, 0, 320, ScreenContentHeight()));
  tableView_->setBackgroundColor(gfx::Color::white());
  ServeTable(*tableView_, *this);
  view()->addSubview(tableView_);
}

void TraderSelectViewController::viewWillAppear(bool animated) {
  if (listType_ == 0) setTitle(kChooseBrokerTitle);
  if (listType_ == 1) setTitle(kChooseBranchTitle);
  TraderRequestScreen::viewWillAppear(animated);
}

// The refresh control asks again even while a request is outstanding: the new one replaces it.
void TraderSelectViewController::DataRefresh() {
  askForUser();
}

void TraderSelectViewController::sendRequest() {
  if (listType_ != 0 && listType_ != 1) return;
  live_.begin();
  incoming_.reset();
  const uint16_t code = live_.send(GlobalDataRequest());
  uint8_t buffer[1024] = {0};
  const int n = listType_ == 0 ? MakeRequest_TraderList(0, code, kTraderListPageId, buffer,
                                                        sizeof buffer)
                               : MakeRequest_41(0, code, kTraderListPageId, qsdm_, buffer,
                                                sizeof buffer);
  if (n <= 0) {
    foundation::logError("!!!!!!!trader list: the request for list %d could not be built",
                         listType_);
    live_.stop();
    return;
  }
  NetworkActivity(true);
  PushRenZhengQueue(buffer, n);
}

void TraderSelectViewController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  // Only this list's kind, and only the packets of its latest request.
  const uint8_t child = listType_ == 0 ? LoginChild::kTraderList : LoginChild::kTraderBranches;
  if (!view.isPacket(kMainTypeLogin, child) || !live_.takes(view.requestCode())) return;
  if (view.header.isError()) {
    incoming_.reset();
    roundFailed(&view);
    return;
  }
  switch (incoming_.add(view)) {
    case accountui::PacketGather::Step::More:
    case accountui::PacketGather::Step::Stray:
      return;
    case accountui::PacketGather::Step::Broken:
      foundation::logError("!!!!!!!trader list: answer %u came incomplete or unreadable",
                           view.requestCode());
      roundFailed(nullptr);
      return;
    case accountui::PacketGather::Step::Whole:
      break;
  }
  listDBF_.CopyFrom(incoming_.table(), 0, -1);
  roundAnswered(view.requestCode());
  if (tableView_) tableView_->reloadData();
}

std::string TraderSelectViewController::rowText(int row) {
  if (row < 0 || row >= listDBF_.GetRecordNum()) return {};
  listDBF_.Seek(row);
  return listDBF_.GetNSString(listType_ == 0 ? 20 : 23);
}

int TraderSelectViewController::tableViewNumberOfRowsInSection(ui::TableView&, int) {
  return listDBF_.GetRecordNum();
}

std::shared_ptr<ui::TableViewCell> TraderSelectViewController::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kListCell);
  if (!cell) cell = ui::TableViewCell::create(ui::TableViewCellStyle::Value1, kListCell);
  cell->textLabel()->setText(rowText(path.row));
  return cell;
}

double TraderSelectViewController::tableViewHeightForRowAtIndexPath(ui::TableView&,
                                                                    const ui::IndexPath&) {
  return 40;
}

void TraderSelectViewController::tableViewDidSelectRowAtIndexPath(ui::TableView&,
                                                                  const ui::IndexPath& path) {
  auto delegate = delegate_.lock();
  if (delegate && path.row >= 0 && path.row < listDBF_.GetRecordNum()) {
    listDBF_.Seek(path.row);
    const int code = listDBF_.GetInt(listType_ == 0 ? 22 : 25);
    const std::string name = listDBF_.GetNSString(listType_ == 0 ? 20 : 23);
    delegate->TraderSelectViewDone(*this, code, name, listType_);
  }
  if (auto* navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

// ---------------------------------------------------------------------------------------------
// The information page

ui::WebView* TraderInfoController::webView() {
  return isViewLoaded() ? dynamic_cast<ui::WebView*>(view()->viewWithTag(kTraderInfoWebTag))
                        : nullptr;
}

void TraderInfoController::viewDidLoad() {
  TraderRequestScreen::viewDidLoad();
  auto web = ui::WebView::create(gfx::Rect(0, 0, 320, ScreenContentHeight()));
  web->setBackgroundColor(gfx::Color::black());
  web->setDelegate(sharedAs<ui::WebViewDelegate>());
  web->setTag(kTraderInfoWebTag);
  view()->addSubview(web);
}

void TraderInfoController::viewWillAppear(bool animated) {
  setTitle(GetDataCenter().GetYYB());
  TraderRequestScreen::viewWillAppear(animated);
}

// A refresh while the page's request is outstanding sends nothing; the page asks again by itself
// when that request fails.
void TraderInfoController::DataRefresh() {
  if (live_.active() && !live_.current()) return;
  askForUser();
}

void TraderInfoController::sendRequest() {
  live_.begin();
  const uint16_t code = live_.send(GlobalDataRequest());
  uint8_t buffer[1024] = {0};
  const int n = MakeRequest_42(0, code, kTraderInfoPageId, GetDataCenter().GetTraderCode(),
                               GetDataCenter().GetTraderCode2(), buffer, sizeof buffer,
                               kInfoFields);
  if (n <= 0) {
    foundation::logError("!!!!!!!trader info: the request could not be built");
    live_.stop();
    return;
  }
  NetworkActivity(true);
  PushRenZhengQueue(buffer, n);
}

void TraderInfoController::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  // Only the answer to the page's latest request: an earlier one may be another broker's.
  if (!view.isPacket(kMainTypeLogin, LoginChild::kTraderInfo) ||
      !live_.takes(view.requestCode()))
    return;
  if (view.header.isError()) {
    roundFailed(&view);
    return;
  }
  MDBF table;
  if (table.Parse(view.body, view.bodyLen) < 0 && view.bodyLen > 0) {
    foundation::logError("!!!!!!!trader info: answer %u is unreadable", view.requestCode());
    roundFailed(nullptr);
    return;
  }
  roundAnswered(view.requestCode());
  if (table.GetRecordNum() > 0) table.Seek(0);
  ui::WebView* web = webView();
  if (!web) return;
  const std::string content = table.GetNSString(29);
  if (table.GetInt(28) == 1) {
    NetworkActivity(true);
    web->loadRequest(content);
  } else {
    web->loadHTMLString(content);
  }
}

void TraderInfoController::webViewDidFinishLoad(ui::WebView&) {
  NetworkActivity(false);
}
