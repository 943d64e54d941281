// Small builders of the account screens' forms (laid out in code on the 320-point screen) and
// the texts these screens share.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/MDBF.h"
#include "core/ReceiveRecord.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "shell/WaitingBox.h"
#include "widgets/SmallBoxes.h"

inline constexpr char kLoginWaitingText[] = "正在登录，请等待...";
// The one time-out text of the waiting component.
inline constexpr const char* kTimeoutText = kRequestTimeoutText;
inline constexpr char kConnectFailText[] = "连接服务器失败！";
inline constexpr char kInfoTitle[] = "信息";
inline constexpr char kUserNameEmptyText[] = "用户名不能为空，请输入用户名！";
inline constexpr char kUserNameCharsText[] = "用户名只能包含英文字母和数字";
// The login keeps at most this many characters of a name: a longer one, registered or typed to
// log in, would be another account than the one typed.
inline constexpr size_t kUserNameMaxLength = 49;
inline constexpr char kUserNameTooLongText[] = "用户名不能超过49个字符！";
inline constexpr char kPasswordEmptyText[] = "密码不能为空，请输入密码！";
inline constexpr char kPasswordCharsText[] = "密码只能包含英文字母、数字和英文符号，请重新输入！";
inline constexpr char kNoticeTitle[] = "重要通告";
inline constexpr int kAccountTimeoutSeconds = kRequestTimeoutSeconds;
// The waiting box of the account forms.
inline constexpr double kWaitBoxX = 90, kWaitBoxY = 360, kWaitBoxW = 140, kWaitBoxH = 65;

namespace accountui {

gfx::Color FormBackground();
std::shared_ptr<ui::Button> MakeButton(const std::string& title, const gfx::Rect& frame,
                                       const gfx::Color& colour = gfx::Color::rgb255(178, 34, 34));
std::shared_ptr<ui::Label> MakeLabel(const std::string& text, const gfx::Rect& frame,
                                     double size = 15,
                                     const gfx::Color& colour = gfx::Color::white());
std::shared_ptr<myTextField> MakeField(const gfx::Rect& frame, const std::string& placeholder,
                                       bool secure);
// Why a typed user name cannot be used: nullptr for English letters and digits only,
// kUserNameEmptyText for nothing typed, kUserNameCharsText for anything else (a Chinese name, an
// emoji, a blank or a sign), which would otherwise reach the server as an empty name, and
// kUserNameTooLongText for more than kUserNameMaxLength characters.
const char* UserNameProblem(const std::string& typed);
// Why a typed password cannot be used: nullptr for printable ASCII only, kPasswordEmptyText for
// nothing typed, kPasswordCharsText for anything else (a Chinese character, an emoji), which the
// session's ASCII store cannot hold and would otherwise send as an empty password.
const char* PasswordProblem(const std::string& typed);

// Calls fn(object) on a tap of the control while the object lives.
template <class T, class Fn>
void OnTap(ui::Control& control, const std::shared_ptr<T>& object, Fn fn) {
  std::weak_ptr<T> weak = object;
  control.addTarget(
      [weak, fn](ui::Control&) {
        if (auto me = weak.lock()) fn(*me);
      },
      ui::ControlEvent::TouchUpInside, object.get());
}

// A tap on `view` beside its text fields closes the keyboard (a tap in a field places the caret
// and keeps it). Returns the recognizer, owned by the view.
std::shared_ptr<ui::GestureRecognizer> TapBesideClosesKeyboard(const std::shared_ptr<ui::View>& view);

// A navigation bar title that keeps clear of the bar's buttons: centred on the bar where it fits,
// else in the room between them, never nearer than kGap to either (the bar's own title may come
// within a few points of a wide back button). Its font shrinks to fit as the bar's does.
class BarTitleView : public ui::View {
 public:
  static constexpr double kGap = 12;
  explicit BarTitleView(const std::string& title);
  static std::shared_ptr<BarTitleView> create(const std::string& title);
  ui::Label* label() const { return label_.get(); }

  void setFrame(const gfx::Rect& frame) override;
  void didMoveToSuperview() override;
  void layoutSubviews() override;

 private:
  std::shared_ptr<ui::Label> label_;
};

// Gives `screen` its title as a BarTitleView; with `shortBack`, the screens pushed over it show
// "返回" on their back button, for a title too long to stand whole on one.
void SetClearTitle(ui::ViewController& screen, const std::string& title, bool shortBack);

// Keeps a form usable under the keyboard: while the keyboard is up the form's scroll view ends
// at the keyboard's top and shows the field being filled (reveal() after the focus moves), and a
// tap beside the fields closes the keyboard.
class FormKeyboard {
 public:
  FormKeyboard() = default;
  FormKeyboard(const FormKeyboard&) = delete;
  FormKeyboard& operator=(const FormKeyboard&) = delete;
  ~FormKeyboard();
  // Observes the keyboard for `form` (its frame now is its frame without a keyboard).
  // `refitted`, when given, runs each time the form's height changes with the keyboard, before
  // the field being filled is scrolled into view (a form may lay itself out for the room).
  void attach(const std::shared_ptr<ui::ScrollView>& form, std::function<void()> refitted = {});
  void detach();
  // Scrolls the first responder inside the form into view.
  void reveal();
  bool fitted() const { return fitted_; }

 private:
  void shown(const foundation::Notification& notification);
  void hidden();
  std::weak_ptr<ui::ScrollView> form_;
  std::shared_ptr<ui::GestureRecognizer> tap_;
  std::function<void()> refitted_;
  gfx::Rect frame_;
  gfx::Rect keyboard_;
  bool fitted_ = false;
};

// How the login forms take a notification. A failed connection and an error answer on the login
// page end the wait and tell the user why: `hideWaiting` runs first, then `onConnectFailed`
// (before "login_fail" goes out) or, for an error to the login itself (child types 5, 6 and 7),
// `onLoginRefused`. True, with `view` filled, only for a good answer on the login page.
bool TakeLoginPageAnswer(const foundation::Notification& notification, ReceiveRecordView& view,
                         const std::function<void()>& hideWaiting,
                         const std::function<void()>& onConnectFailed,
                         const std::function<void()>& onLoginRefused);

// The packets of one answer of record tables, gathered in order into a table of their own: what a
// screen shows is replaced only by a whole answer, never by part of one or by a packet out of its
// place (one of an earlier request, or after a lost one).
class PacketGather {
 public:
  // More to come; the answer is whole; it cannot be whole (a packet missing or unreadable); a
  // packet after the answer was taken whole (a copy), which changes nothing.
  enum class Step { More, Whole, Broken, Stray };
  // A new answer is awaited.
  void reset();
  // Takes the next packet of the answer awaited (a packet 0 starts it again).
  Step add(const ReceiveRecordView& packet);
  // The answer gathered, whole once add said so.
  MDBF& table() { return table_; }

 private:
  MDBF table_;
  static constexpr int kBroken = -1, kTaken = -2;
  int next_ = 0;  // the packet that may come next, or kBroken, or kTaken
};

}  // namespace accountui
