#include "shell/ShellAlerts.h"

#include <algorithm>
#include <cstring>

#include "core/CoreState.h"
#include "core/QuoteFormat.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

std::shared_ptr<ui::AlertView> ShowAlert(const std::string& message, const std::string& title,
                                         const std::vector<std::string>& buttons, int tag,
                                         std::weak_ptr<ui::AlertViewDelegate> delegate) {
  if (!foundation::RunLoop::isMainThread()) {
    auto main = foundation::RunLoop::main();
    if (main) {
      main->perform([message, title, buttons, tag, delegate] {
        ShowAlert(message, title, buttons, tag, delegate);
      });
    }
    return nullptr;
  }
  auto alert = ui::AlertView::create(title, message, delegate, {}, buttons);
  alert->setTag(tag);
  alert->show();
  return alert;
}

std::shared_ptr<ui::AlertView> ShowAlertMessage(const std::string& message,
                                                const std::string& title) {
  return ShowAlert(message, title, {kAlertOK}, 0);
}

std::shared_ptr<ui::AlertView> ShowMessageAlert(const std::string& message) {
  return ShowAlertMessage(message, "");
}

void ShowErrorText(const ReceiveRecordView& answer) {
  const std::string text = answer.errorText();
  if (!text.empty()) ShowMessageAlert(text);
}

std::shared_ptr<ui::AlertView> ShowUnicharAlert(const char16_t* text, int len) {
  if (!text || len <= 0 || text[0] == 0) return nullptr;
  return ShowMessageAlert(foundation::utf16ToUtf8(std::u16string_view(text, len)));
}

std::shared_ptr<ui::AlertView> ShowGuestAlert(std::weak_ptr<ui::AlertViewDelegate> delegate,
                                              int tag, const std::string& message) {
  if (message.empty() && IsLoginUserNameEmpty() == 0)
    return ShowAlert(kUserLacksRightText, kGuestAlertTitle, {kAlertOK}, 0);
  return ShowAlert(message.empty() ? kGuestAlertDefaultText : message, kGuestAlertTitle,
                   {kGuestAlertLogin, kGuestAlertClose}, tag, std::move(delegate));
}

bool IsValidPhoneNumber(const std::string& text) {
  return text.size() == 11 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int GetTextFieldCString(const ui::TextField* field, char* buf, size_t size) {
  if (!buf || size == 0) return 0;
  buf[0] = 0;
  if (!field) return 0;
  const int n = NSStringToCString(field->text(), buf, size);
  if (n <= 0) {
    buf[0] = 0;
    return 0;
  }
  return n;
}

std::string GetTextFieldAscii(const ui::TextField* field) {
  char text[100] = {0};
  GetTextFieldCString(field, text, sizeof text);
  return text;
}
