// The alerts every screen raises (an OK alert, a server text, the guest notice) and small text
// helpers of the login screens. Alerts are shown on the main thread; from another thread they
// are queued there.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/StockData.h"
#include "platform/foundation/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TextField.h"

inline constexpr char kAlertOK[] = "确定";
inline constexpr char kGuestAlertTitle[] = "提示";
inline constexpr char kGuestAlertLogin[] = "登录/申请";
inline constexpr char kGuestAlertClose[] = "关闭";
inline constexpr char kGuestAlertDefaultText[] =
    "游客无法使用该功能，请登录或免费注册后使用。如有疑问请致电客服热线 400-820-0000。";
inline constexpr char kUserLacksRightText[] =
    "您的账号未开通使用该功能的权限。如需开通请联系您的客户经理或致电客服热线 400-820-0000。";

// An alert with these buttons (indexes 0, 1, ...) and view tag. From the main thread the alert
// is returned; from another thread it is queued and null is returned.
std::shared_ptr<ui::AlertView> ShowAlert(const std::string& message, const std::string& title,
                                         const std::vector<std::string>& buttons, int tag,
                                         std::weak_ptr<ui::AlertViewDelegate> delegate = {});
// "确定" only.
std::shared_ptr<ui::AlertView> ShowAlertMessage(const std::string& message,
                                                const std::string& title);
std::shared_ptr<ui::AlertView> ShowMessageAlert(const std::string& message);
// A UTF-16 text (len units); nothing when it is empty.
std::shared_ptr<ui::AlertView> ShowUnicharAlert(const char16_t* text, int len);
// The text of the server's error answer, when it carries one.
struct ReceiveRecordView;
void ShowErrorText(const ReceiveRecordView& answer);
// The guest notice: "登录/申请" (0) and "关闭" (1); an empty message gives the default text.
// A user who is logged in is no guest: with the default text, a user reads instead that the
// account lacks the right (kUserLacksRightText, "确定" only, tag 0 and no delegate, so that no
// caller takes its button for the login).
std::shared_ptr<ui::AlertView> ShowGuestAlert(std::weak_ptr<ui::AlertViewDelegate> delegate,
                                              int tag, const std::string& message = {});

// The field's text as ASCII, cut to the buffer (size - 1 characters and a 0 byte); returns its
// length. 0 with buf[0] == 0 when there is no field, the field is empty or its text is not ASCII.
int GetTextFieldCString(const ui::TextField* field, char* buf, size_t size);
// The field's text as the requests take it: ASCII, at most 99 bytes, empty when there is no
// field or its text is not ASCII.
std::string GetTextFieldAscii(const ui::TextField* field);

// Exactly 11 ASCII digits.
bool IsValidPhoneNumber(const std::string& text);
