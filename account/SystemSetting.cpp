#include "account/SystemSetting.h"

#include <algorithm>
#include <cinttypes>

#include "account/AccountAnswers.h"
#include "account/AccountUi.h"
#include "core/CDataCenter.h"
#include "core/ClientVersion.h"
#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/InfoRequests.h"
#include "core/MDBF.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/WhileAlive.h"
#include "shell/Extend.h"
#include "shell/ScreenRoles.h"
#include "shell/ShellAlerts.h"
#include "shell/VerdanAppDelegate.h"
#include "widgets/ScreenParts.h"

namespace {

constexpr char kSettingCell[] = "SystemSettingTableCell";
constexpr int kProductTag = 10;
constexpr int kVersionTag = 11;
// The feedback's suggestion box: its height without a keyboard, and the least it keeps (five
// lines) when it gives up room to one.
constexpr double kSuggestionBoxHeight = 150;
constexpr double kSuggestionBoxMinHeight = 80;

bool HasStoreId() {
  return GetDataCenter().GetAppleId() != 0;
}

void Push(ui::ViewController& from, const std::string& className,
          const std::function<void(ui::ViewController&)>& setup = {}) {
  auto* navigation = from.navigationController();
  auto screen = Extend::produceObject<ui::ViewController>(className);
  if (!navigation || !screen) return;
  if (setup) setup(*screen);
  navigation->pushViewController(screen, true);
}

}  // namespace

std::string StoreReviewURL(int64_t storeId) {
  return foundation::format(
      "itms-apps://%s/WebObjects/MZStore.woa/wa/viewContentsUserReviews?type=Purple+Software&id="
      "%" PRId64,
      kStoreReviewHost, storeId);
}

// ---------------------------------------------------------------------------------------------
// The menu

SystemSetting::SystemSetting() {
  setHidesBottomBarWhenPushed(true);
}

void SystemSetting::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle(kSettingsTitle);
  tableView_ = ui::TableView::create(view()->bounds(), ui::TableViewStyle::Grouped);
  ServeTable(*tableView_, *this);
  tableView_->setBackgroundColor(gfx::Color::rgb255(214, 218, 224));
  tableView_->setScrollEnabled(false);
  view()->addSubview(tableView_);
  waiter_.attach(*view(), gfx::Rect(kWaitBoxX, 260, kWaitBoxW, kWaitBoxH),
                 weakAs<::AlertViewDelegate>(), kAccountTimeoutSeconds, kLoginWaitingText);
}

void SystemSetting::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  Extend::setNavigationBarColorForiOS7(*this);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(false, false);
  if (auto* app = VerdanAppDelegate::sharedAppDelegate()) app->hiddenBottomHurricaneLamp();
  tableView_->reloadData();
}

void SystemSetting::viewWillDisappear(bool animated) {
  ui::ViewController::viewWillDisappear(animated);
  removeLoginObserver();
}

std::string SystemSetting::AccountDetailText() {
  if (!IsLoggedIn()) return "未登录";
  const std::string user = GetLoginUserName();
  return user.empty() ? "游客" : user;
}

int SystemSetting::numberOfSectionsInTableView(ui::TableView&) {
  return 2;
}

int SystemSetting::tableViewNumberOfRowsInSection(ui::TableView&, int section) {
  if (section == 0) return HasStoreId() ? 3 : 2;
  return 2;
}

std::shared_ptr<ui::TableViewCell> SystemSetting::tableViewCellForRowAtIndexPath(
    ui::TableView& table, const ui::IndexPath& path) {
  auto cell = table.dequeueReusableCellWithIdentifier(kSettingCell);
  if (!cell) {
    cell = ui::TableViewCell::create(ui::TableViewCellStyle::Value1, kSettingCell);
    cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
  }
  static const char* const kRows[2][3] = {{"账号管理", "用户注册/密码获取", "我要评价"},
                                          {"意见反馈", "关于我们", ""}};
  const int section = path.section == 0 ? 0 : 1;
  const int row = std::min(path.row, 2);
  cell->textLabel()->setText(kRows[section][row]);
  cell->detailTextLabel()->setText(section == 0 && row == 0 ? AccountDetailText() : "");
  return cell;
}

double SystemSetting::tableViewHeightForRowAtIndexPath(ui::TableView&, const ui::IndexPath&) {
  return 40;
}

double SystemSetting::tableViewHeightForHeaderInSection(ui::TableView&, int) {
  return 10;
}

void SystemSetting::tableViewDidSelectRowAtIndexPath(ui::TableView&, const ui::IndexPath& path) {
  if (path.section == 0) {
    if (path.row == 0) {
      Push(*this, "AccountManager", [](ui::ViewController& screen) {
        if (auto* account = dynamic_cast<AccountRole*>(&screen)) account->setCloseAfterLogin(true);
      });
    } else if (path.row == 1) {
      Push(*this, "RegisterViewController");
    } else if (path.row == 2 && HasStoreId()) {
      ShowAlert(kRatingQuestion, "", {kAlertOK, "取消"}, kRatingAlertTag,
                sharedAs<ui::AlertViewDelegate>());
    }
    return;
  }
  Push(*this, path.row == 0 ? "YourSuggestion" : "AboutUS");
}

void SystemSetting::alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) {
  if (alert.tag() == kSettingsLoginAlertTag) {
    tableView_->reloadData();
  } else if (alert.tag() == kRatingAlertTag) {
    tableView_->reloadData();
    if (buttonIndex == 0)
      ui::Application::shared().openURL(StoreReviewURL(GetDataCenter().GetAppleId()));
  }
}

void SystemSetting::handleTimeoutRequest() {
  ResetAllCoreState();
  waiter_.timedOut();
}

void SystemSetting::addLoginObserver() {
  removeLoginObserver();
  ui::Observe(this, "login", &SystemSetting::recvmsg);
}

void SystemSetting::removeLoginObserver() {
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

void SystemSetting::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!accountui::TakeLoginPageAnswer(
          notification, view, [this] { waiter_.end(); }, [] { ResetAllCoreState(); },
          [] { ResetAllCoreState(); }))
    return;
  if (view.header.ChildType != LoginChild::kLoginHQ) return;
  QuoteLoginAnswer answer;
  ReadQuoteLoginAnswer(view, answer);
  if (!answer.accepted) {
    waiter_.restartTimeOut();
    return;
  }
  waiter_.end();
  std::weak_ptr<ui::AlertViewDelegate> delegate = sharedAs<ui::AlertViewDelegate>();
  if (answer.notice.empty())
    ShowAlert("登录成功", "", {kAlertOK}, kSettingsLoginAlertTag, delegate);
  else
    ShowAlert(answer.notice, kNoticeTitle, {kAlertOK}, kSettingsLoginAlertTag, delegate);
}

// ---------------------------------------------------------------------------------------------
// About

void AboutUS::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  auto view = ui::View::create(gfx::Rect(0, 0, frame.width(), frame.height()));
  view->setBackgroundColor(gfx::Color::white());
  setView(view);
  auto logo = ui::ImageView::create(gfx::Rect((frame.width() - 200) / 2, 40, 200, 60));
  logo->setImage(gfx::Image::named("login_logo.png"));
  logo->setBackgroundColor(accountui::FormBackground());
  logo->layer().setCornerRadius(8);
  view->addSubview(logo);
  auto product = accountui::MakeLabel("", gfx::Rect(0, 130, frame.width(), 26), 18,
                                      gfx::Color::black());
  product->setTextAlignment(gfx::TextAlignment::Center);
  product->setTag(kProductTag);
  view->addSubview(product);
  auto version = accountui::MakeLabel("", gfx::Rect(0, 164, frame.width(), 22), 13,
                                      gfx::Color::darkGrey());
  version->setTextAlignment(gfx::TextAlignment::Center);
  version->setTag(kVersionTag);
  view->addSubview(version);
}

void AboutUS::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle(kAboutTitle);
}

void AboutUS::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  if (auto* product = productLabel()) product->setText(kProductLine);
  if (auto* version = versionLabel())
    version->setText(foundation::format("内部版本号: %s %d.%d.%d", kClientVersionText,
                                        GetDataCenter().GetTraderCode(), 4, 0));
}

ui::Label* AboutUS::productLabel() {
  return isViewLoaded() ? dynamic_cast<ui::Label*>(view()->viewWithTag(kProductTag)) : nullptr;
}

ui::Label* AboutUS::versionLabel() {
  return isViewLoaded() ? dynamic_cast<ui::Label*>(view()->viewWithTag(kVersionTag)) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Feedback

YourSuggestion::YourSuggestion() {
  setHidesBottomBarWhenPushed(true);
}

void YourSuggestion::loadView() {
  const gfx::Rect frame = ui::Screen::main().applicationFrame();
  const double w = frame.width();
  auto view = ui::View::create(gfx::Rect(0, 0, w, frame.height()));
  view->setBackgroundColor(gfx::Color::rgb255(236, 238, 242));
  setView(view);
  // The form scrolls so that the keyboard never hides the field being filled.
  form_ = ui::ScrollView::create(view->bounds());
  form_->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
  form_->setAlwaysBounceVertical(true);
  view->addSubview(form_);
  form_->addSubview(accountui::MakeLabel("您的意见或建议:", gfx::Rect(12, 8, w - 24, 22), 14,
                                         gfx::Color::darkGrey()));
  textView_ = ui::TextView::create(gfx::Rect(12, 32, w - 24, kSuggestionBoxHeight));
  textView_->setBackgroundColor(gfx::Color::white());
  textView_->setFont(gfx::Font::systemFont(15));
  form_->addSubview(textView_);
  contactCaption_ = accountui::MakeLabel("联系方式(选填):", gfx::Rect(12, 192, w - 24, 22), 14,
                                         gfx::Color::darkGrey());
  form_->addSubview(contactCaption_);
  contactText_ = accountui::MakeField(gfx::Rect(12, 216, w - 24, 34), "电话、邮箱或QQ", false);
  contactText_->setReturnKeyType(ui::ReturnKeyType::Send);
  form_->addSubview(contactText_);
  layoutForm();
}

void YourSuggestion::layoutForm() {
  const double w = form_->bounds().width();
  // Above the box its caption (to 30), under it a gap, the contact caption, the field and a
  // margin: the box takes what is left, between a few lines and its full height.
  constexpr double kTop = 32, kBelow = 10 + 22 + 2 + 34 + 12;
  const double box = std::clamp(form_->bounds().height() - kTop - kBelow, kSuggestionBoxMinHeight,
                                kSuggestionBoxHeight);
  textView_->setFrame(gfx::Rect(12, kTop, w - 24, box));
  contactCaption_->setFrame(gfx::Rect(12, kTop + box + 10, w - 24, 22));
  contactText_->setFrame(gfx::Rect(12, kTop + box + 34, w - 24, 34));
  form_->setContentSize(gfx::Size(w, kTop + box + kBelow));
}

void YourSuggestion::viewDidLoad() {
  ui::ViewController::viewDidLoad();
  Extend::resizeClientViewForiOS7(*this);
  setTitle(kSuggestionTitle);
  textView_->layer().setCornerRadius(8);
  textView_->layer().setBorderColor(gfx::Color::midGrey());
  textView_->layer().setBorderWidth(1);
  textView_->layer().setShadowOffset(gfx::Size(2, 2));
  textView_->layer().setShadowColor(gfx::Color::black());
  textView_->setDelegate(sharedAs<ui::TextViewDelegate>());
  contactText_->setDelegate(sharedAs<ui::TextFieldDelegate>());

  submit_ = ui::Button::create(gfx::Rect(270, 0, 50, 44));
  submit_->setTitle("提交");
  submit_->setTitleColor(gfx::Color::white());
  submit_->addGestureRecognizer(
      ui::TapGestureRecognizer::create(ui::WhileAlive(this, &YourSuggestion::ButtonAction)));
  navigationItem().setRightBarButtonItem(ui::BarButtonItem::withCustomView(submit_));

  waiter_.attach(*view(), gfx::Rect(kWaitBoxX, 100, kWaitBoxW, kWaitBoxH),
                 weakAs<::AlertViewDelegate>(), kAccountTimeoutSeconds, kRequestSendingText);
}

void YourSuggestion::viewWillAppear(bool animated) {
  ui::ViewController::viewWillAppear(animated);
  keyboard_.attach(form_, [this] { layoutForm(); });
}

void YourSuggestion::viewDidAppear(bool animated) {
  ui::ViewController::viewDidAppear(animated);
  textView_->becomeFirstResponder();
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
  ui::Observe(this, "notification_UploadNote", &YourSuggestion::recvmsg);
}

void YourSuggestion::viewWillDisappear(bool animated) {
  keyboard_.detach();
  layoutForm();
  waiter_.hide();
  ui::ViewController::viewWillDisappear(animated);
  foundation::NotificationCenter::defaultCenter().removeObserversOf(this);
}

void YourSuggestion::ButtonAction() {
  if (waiter_.busy()) return;
  const std::string text = textView_->text();
  // Spaces alone are no suggestion either.
  if (foundation::isBlank(text)) {
    ShowMessageAlert(kSuggestionEmptyText);
    return;
  }
  const std::string user = GetLoginUserName();
  const std::string contact = contactText_->text();
  waiter_.show();
  int sent = MakeRequest_Suggestion(GlobalDataRequest(), 0, waiter_.send(GlobalDataRequest()),
                                    kClientVersionText, user.c_str(), contact.c_str(),
                                    text.c_str());
  if (sent < 0) {
    // Nothing was queued: say so now rather than time out later; both texts stay.
    waiter_.hide();
    ShowMessageAlert(kSuggestionTooLongText);
    return;
  }
}

void YourSuggestion::textFieldDidBeginEditing(ui::TextField&) {
  keyboard_.reveal();
}

void YourSuggestion::textViewDidBeginEditing(ui::TextView&) {
  keyboard_.reveal();
}

bool YourSuggestion::textFieldShouldReturn(ui::TextField& field) {
  field.resignFirstResponder();
  if (&field == contactText_.get()) ButtonAction();
  return true;
}

void YourSuggestion::recvmsg(const foundation::Notification& notification) {
  ReceiveRecordView view;
  if (!ReceiveRecordView::From(notification, view)) return;
  if (view.header.MainType != kMainTypeQuote || view.header.ChildType != QuoteChild::kSuggestion)
    return;
  // Only the answer to the suggestion the box waits for: after its time-out the user may have
  // sent it again, and a late thanks would empty what they typed since.
  if (!waiter_.takes(view.requestCode())) return;
  if (view.header.isError()) {
    waiter_.failed();
    ShowErrorText(view);
    return;
  }
  waiter_.end();
  MDBF table;
  if (table.Parse(view.body, view.bodyLen) >= 0) table.Seek(0);
  ShowMessageAlert(table.GetNSString(27));
  textView_->setText("");
  contactText_->setText("");
}

void YourSuggestion::handleTimeoutRequest() {
  waiter_.timedOut();
}
