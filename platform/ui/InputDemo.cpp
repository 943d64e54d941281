#include "platform/ui/InputDemo.h"

#include <cctype>

#include "platform/foundation/Dates.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Button.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Screen.h"

namespace ui {

namespace {

const char* kMarkets[] = {"上海", "深圳", "香港"};
const char* kKinds[] = {"A股", "B股", "基金", "债券"};

const char* kPage =
    "<html><head><title>公告</title></head><body>"
    "<h2>交易提示</h2>"
    "<p>今日沪深两市正常交易，港股通暂停。请留意盘后公告与停复牌信息。</p>"
    "<p><a href=\"http://127.0.0.1:9/notice.html\">查看全部公告</a> · "
    "<a href=\"http://127.0.0.1:9/help.html\">帮助</a></p>"
    "</body></html>";

std::shared_ptr<Button> makeButton(const gfx::Rect& frame, const std::string& title, int tag) {
  auto button = Button::create(ButtonType::RoundedRect, frame);
  button->setTitle(title);
  button->setTag(tag);
  return button;
}

}  // namespace

void registerInputDemoClasses() {
  ClassRegistry::shared().registerClass<InputDemoDelegate>("InputDemoAppDelegate");
}

bool InputDemoDelegate::applicationDidFinishLaunchingWithOptions(Application& app) {
  foundation::logInfo("input demo: did finish launching");
  app.setStatusBarStyle(StatusBarStyle::LightContent);
  gfx::Rect screen = Screen::main().bounds();
  window_ = Window::create(screen);
  window_->setBackgroundColor(gfx::Color::grey(0.92));
  auto self = sharedAs<InputDemoDelegate>();

  auto bar = View::create(gfx::Rect(0, 20, screen.width(), 44));
  bar->setBackgroundColor(gfx::Color::grey(0.1));
  window_->addSubview(bar);
  auto title = Label::create(gfx::Rect(0, 0, screen.width(), 44));
  title->setText("输入演示");
  title->setFont(gfx::Font::boldSystemFont(20));
  title->setTextColor(gfx::Color::white());
  title->setTextAlignment(gfx::TextAlignment::Center);
  bar->addSubview(title);

  auto code = TextField::create(gfx::Rect(10, 74, 300, 36));
  code->setBorderStyle(TextBorderStyle::RoundedRect);
  code->setPlaceholder("请输入股票代码或简拼");
  code->setClearButtonMode(TextFieldViewMode::Always);
  code->setReturnKeyType(ReturnKeyType::Done);
  code->setAutocapitalizationType(TextAutocapitalizationType::AllCharacters);
  code->setContentVerticalAlignment(ContentVerticalAlignment::Center);
  code->setTag(InputDemoTag::CodeField);
  code->setDelegate(self);
  window_->addSubview(code);

  auto password = TextField::create(gfx::Rect(10, 118, 300, 36));
  password->setBorderStyle(TextBorderStyle::RoundedRect);
  password->setPlaceholder("交易密码");
  password->setSecureTextEntry(true);
  password->setKeyboardType(KeyboardType::NumberPad);
  password->setClearButtonMode(TextFieldViewMode::WhileEditing);
  password->setContentVerticalAlignment(ContentVerticalAlignment::Center);
  password->setTag(InputDemoTag::PasswordField);
  password->setDelegate(self);
  window_->addSubview(password);

  struct Item {
    const char* title;
    int tag;
    void (InputDemoDelegate::*action)();
  };
  const Item items[] = {{"提示框", InputDemoTag::AlertButton, &InputDemoDelegate::showAlert},
                        {"选择", InputDemoTag::PickerButton, &InputDemoDelegate::showPickerSheet},
                        {"日期", InputDemoTag::DateButton, &InputDemoDelegate::showDateSheet},
                        {"拷贝", InputDemoTag::CopyButton, &InputDemoDelegate::showCopyMenu}};
  for (int i = 0; i < 4; ++i) {
    auto button = makeButton(gfx::Rect(10 + i * 76, 162, 70, 36), items[i].title, items[i].tag);
    auto action = items[i].action;
    button->addTarget([this, action](Control&) { (this->*action)(); }, ControlEvent::TouchUpInside);
    window_->addSubview(button);
  }

  status_ = Label::create(gfx::Rect(10, 204, 300, 24));
  status_->setText("就绪");
  status_->setFont(gfx::Font::systemFont(15));
  status_->setTextColor(gfx::Color::grey(0.25));
  status_->setTag(InputDemoTag::Status);
  window_->addSubview(status_);

  auto web = WebView::create(gfx::Rect(10, 234, 300, 236));
  web->layer().setBorderWidth(1);
  web->layer().setBorderColor(gfx::Color::grey(0.75));
  web->setTag(InputDemoTag::Web);
  web->setDelegate(self);
  window_->addSubview(web);
  web->loadHTMLString(kPage, "http://127.0.0.1:9/");

  window_->makeKeyAndVisible();
  return true;
}

void InputDemoDelegate::setStatus(const std::string& text) {
  status_->setText(text);
  foundation::logInfo("input demo: %s", text.c_str());
}

bool InputDemoDelegate::textFieldShouldChangeCharactersInRange(TextField& field, TextRange range,
                                                               const std::string& string) {
  if (field.tag() != InputDemoTag::CodeField) return true;
  for (char c : string)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return utf16Length(field.text()) - range.length + string.size() <= 6;
}

bool InputDemoDelegate::textFieldShouldReturn(TextField& field) {
  setStatus("代码: " + field.text());
  field.resignFirstResponder();
  return true;
}

void InputDemoDelegate::showAlert() {
  auto alert = AlertView::create("请输入验证码", "短信验证码已发送", sharedAs<InputDemoDelegate>(),
                                 "取消", {"确定"});
  alert->setAlertViewStyle(AlertViewStyle::PlainTextInput);
  alert->textFieldAtIndex(0)->setKeyboardType(KeyboardType::NumberPad);
  alert->setTag(301);
  alert->show();
}

void InputDemoDelegate::alertViewClickedButtonAtIndex(AlertView& alert, int buttonIndex) {
  if (alert.tag() != 301) return;
  setStatus(buttonIndex == 1 ? "验证码: " + alert.textFieldAtIndex(0)->text() : "已取消");
}

void InputDemoDelegate::showPickerSheet() {
  auto sheet = ActionSheet::create("请选择市场", sharedAs<InputDemoDelegate>(), "", "",
                                   {"", "", "", "", "确定", "取消"});
  sheet->setActionSheetStyle(ActionSheetStyle::BlackTranslucent);
  sheet->setTag(401);
  picker_ = PickerView::create(gfx::Rect(0, 40, 320, 200));
  picker_->setShowsSelectionIndicator(true);
  picker_->setDataSource(sharedAs<InputDemoDelegate>());
  picker_->setDelegate(sharedAs<InputDemoDelegate>());
  sheet->showFromTabBar(window_.get());
  sheet->addSubview(picker_);
}

void InputDemoDelegate::showDateSheet() {
  auto sheet = ActionSheet::create("请选择日期", sharedAs<InputDemoDelegate>(), "", "",
                                   {"", "", "", "", "确定", "取消"});
  sheet->setActionSheetStyle(ActionSheetStyle::BlackTranslucent);
  sheet->setTag(402);
  datePicker_ = DatePicker::create(gfx::Rect(0, 40, 320, 200));
  datePicker_->setDatePickerMode(DatePickerMode::Date);
  sheet->showFromTabBar(window_.get());
  sheet->addSubview(datePicker_);
}

void InputDemoDelegate::actionSheetClickedButtonAtIndex(ActionSheet& sheet, int buttonIndex) {
  if (buttonIndex != 4) {
    setStatus("已取消");
    return;
  }
  if (sheet.tag() == 401 && picker_) {
    setStatus(std::string("选择: ") + kMarkets[picker_->selectedRowInComponent(0)] + " " +
              kKinds[picker_->selectedRowInComponent(1)]);
  } else if (sheet.tag() == 402 && datePicker_) {
    setStatus("日期: " + foundation::formatDate(datePicker_->date(), "yyyy-MM-dd"));
  }
}

int InputDemoDelegate::numberOfComponentsInPickerView(PickerView&) {
  return 2;
}

int InputDemoDelegate::pickerViewNumberOfRowsInComponent(PickerView&, int component) {
  return component == 0 ? 3 : 4;
}

std::string InputDemoDelegate::pickerViewTitleForRow(PickerView&, int row, int component) {
  return component == 0 ? kMarkets[row] : kKinds[row];
}

double InputDemoDelegate::pickerViewWidthForComponent(PickerView&, int component) {
  return component == 0 ? 135 : 80;
}

void InputDemoDelegate::showCopyMenu() {
  auto& menu = MenuController::shared();
  menu.setMenuItems({});
  menu.setTargetRect(status_->bounds(), status_.get());
  menu.setMenuVisible(true, true);
}

void InputDemoDelegate::webViewDidFinishLoad(WebView& web) {
  if (!web.currentURL().empty() && web.pageTitle() != "公告") setStatus("网页: " + web.pageTitle());
}

void InputDemoDelegate::webViewDidFailLoadWithError(WebView&, const WebError& error) {
  setStatus(foundation::format("网页加载失败 (%d)", error.code));
}

}  // namespace ui
