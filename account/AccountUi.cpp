#include "account/AccountUi.h"

#include "account/AccountAnswers.h"
#include "core/PacketHeader.h"
#include "platform/graphics/Font.h"
#include "shell/ShellAlerts.h"
#include "widgets/ScreenParts.h"

namespace accountui {

const char* UserNameProblem(const std::string& typed) {
  if (typed.empty()) return kUserNameEmptyText;
  for (unsigned char c : typed) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
      return kUserNameCharsText;
  }
  return nullptr;
}

gfx::Color FormBackground() {
  return gfx::Color::rgb255(22, 28, 40);
}

std::shared_ptr<ui::Button> MakeButton(const std::string& title, const gfx::Rect& frame,
                                       const gfx::Color& colour) {
  auto button = ui::Button::create(frame);
  button->setTitle(title);
  button->setTitleColor(gfx::Color::white());
  button->setTitleColor(gfx::Color::midGrey(), ui::ControlState::Disabled);
  button->setFont(gfx::Font::boldSystemFont(15));
  button->setBackgroundColor(colour);
  button->layer().setCornerRadius(6);
  return button;
}

std::shared_ptr<ui::Label> MakeLabel(const std::string& text, const gfx::Rect& frame, double size,
                                     const gfx::Color& colour) {
  return MakeClearLabel(frame, gfx::Font::systemFont(size), colour, text);
}

std::shared_ptr<myTextField> MakeField(const gfx::Rect& frame, const std::string& placeholder,
                                       bool secure) {
  auto field = myTextField::create(frame);
  field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
  field->setBackgroundColor(gfx::Color::white());
  field->setTextColor(gfx::Color::black());
  field->setFont(gfx::Font::systemFont(15));
  field->setPlaceholder(placeholder);
  field->setSecureTextEntry(secure);
  field->setClearButtonMode(ui::TextFieldViewMode::WhileEditing);
  return field;
}

bool TakeLoginPageAnswer(const foundation::Notification& notification, ReceiveRecordView& view,
                         const std::function<void()>& hideWaiting,
                         const std::function<void()>& onConnectFailed,
                         const std::function<void()>& onLoginRefused) {
  if (!ReceiveRecordView::From(notification, view)) return false;
  if (view.status == kReceiveStatusConnectFailed) {
    hideWaiting();
    onConnectFailed();
    foundation::NotificationCenter::defaultCenter().post("login_fail");
    ShowAlertMessage("", kConnectFailText);
    return false;
  }
  const PacketHeader& h = view.header;
  if (h.MainType != kMainTypeLogin || h.PageID != kLoginPageId) return false;
  if (h.isError()) {
    hideWaiting();
    if (LoginChild::IsLogin(h.ChildType)) onLoginRefused();
    ShowErrorText(view);
    return false;
  }
  return true;
}

}  // namespace accountui
