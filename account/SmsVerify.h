// The SMS verification screens: the verification view laid over a screen (code and check on the
// verification connection) and the phone check screen (key exchange and code on the trade
// connection, the typed code compared with the one that arrived). Codes are secrets: the fields
// are secure entry and no code is logged.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "widgets/AlertView.h"
#include "widgets/BaseControllers.h"
#include "widgets/RequestWaiter.h"
#include "widgets/ScreenParts.h"

inline constexpr char kPhoneCheckTitle[] = "手机验证";
inline constexpr char kGetCodeTitle[] = "获取验证码";
inline constexpr int kCountdownStart = 60;
inline constexpr size_t kPhoneBytes = 20;

class UserVerifyView;

// What the screens tell whoever opened them; both operations are optional.
class TradeVerifyDelegate {
 public:
  virtual ~TradeVerifyDelegate() = default;
  // result 1 verified, 0 failed or timed out.
  virtual void tradeUserVerifyReturn(UserVerifyView& view, int8_t result, int tabBarIndex) {
    (void)view;
    (void)result;
    (void)tabBarIndex;
  }
  virtual void ISYZ(bool yes) { (void)yes; }
};

struct ReceiveRecordView;
// The code of a 146/253 answer (field 21); false for an error answer or one without the field.
bool TakeSmsCode(const ReceiveRecordView& view, std::string* code);
// The text of a 144/20 or 144/21 answer (field 38; the server's text for an error answer).
std::string VerifyAnswerText(const ReceiveRecordView& view);

// The phone check's rule: 11 characters (UTF-8 characters) beginning with "1".
bool PhoneNumberAccepted(const std::string& text);

class UserVerifyView : public ui::View, public ::AlertViewDelegate, public ReturnClosesKeyboard {
 public:
  explicit UserVerifyView(const gfx::Rect& frame);
  ~UserVerifyView() override;
  // Builds the view and runs the steps of its interface file's loading.
  static std::shared_ptr<UserVerifyView> create(const gfx::Rect& frame = {});

  void setDelegate(std::weak_ptr<TradeVerifyDelegate> delegate) { delegate_ = std::move(delegate); }
  void setTabBarClickIndex(int index) { tabBarClickIndex_ = index; }
  void addLoginObserver();
  void removeLoginObserver();
  void BtnClick_GetCode();
  void BtnClick_Verify();
  void autoVerify();
  void verifyReturn(bool result);
  void verifyReturnSuccess() { verifyReturn(true); }
  void handleTimeoutRequest() override;
  // The box waits for the answer with that code (none for a code the builder did not give).
  void expectAnswer(int code);
  void recvmsg(const foundation::Notification& notification);

  ui::TextField* phoneField() const { return editPhoneNumber_.get(); }
  ui::TextField* codeField() const { return editCode_.get(); }
  AlertView* waitingBox() const { return waiter_.box(); }
  int requestCode(int slot) const { return requestCode_[static_cast<size_t>(slot)]; }

 private:
  void build();

  std::weak_ptr<TradeVerifyDelegate> delegate_;
  int tabBarClickIndex_ = 0;
  std::shared_ptr<ui::View> realView_;
  std::shared_ptr<ui::TextField> editPhoneNumber_;
  std::shared_ptr<ui::TextField> editCode_;
  std::shared_ptr<MobileNumberDigits> phoneDigits_;
  RequestWaiter waiter_;
  bool autoVerify_ = false;
  std::array<int, 2> requestCode_{-1, -1};
  std::shared_ptr<foundation::Timer> successTimer_;
};

class MessageViewController : public UIBaseViewController, public ui::TextFieldDelegate {
 public:
  MessageViewController();

  void setSelectDelegate(std::weak_ptr<TradeVerifyDelegate> delegate) {
    selectDelegate_ = std::move(delegate);
  }
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  void getNumberAction();
  void YZBtnAction();
  void backBtnClicked();
  void request();
  void changeBtnCount();
  void recvmsg(const foundation::Notification& notification);
  bool textFieldShouldReturn(ui::TextField& field) override;

  // The countdown shared by every phone check screen.
  static int sharedCount();
  // Stops every running countdown and puts the count back (tests).
  static void resetSharedCountForTesting();

  ui::TextField* telTextField() const { return telTextField_.get(); }
  ui::TextField* yzTextField() const { return yzTextField_.get(); }
  ui::Button* getNumberBtn() const { return getNumberBtn_.get(); }
  ui::Button* yzButton() const { return yzButton_.get(); }
  const std::string& sjhm() const { return sjhm_; }
  const std::vector<std::string>& smscodeArr() const { return smscodeArr_; }
  ui::View* titleBar() const { return titleBar_.get(); }
  bool countdownRunning() const {
    auto timer = btnTimer_.lock();
    return timer && timer->isValid();
  }

 private:
  void creatNaViView();

  std::weak_ptr<TradeVerifyDelegate> selectDelegate_;
  // The run loop owns the timer, which owns this screen until the count ends.
  std::weak_ptr<foundation::Timer> btnTimer_;
  std::array<int, 2> requestCode_{-1, -1};
  std::string sjhm_;
  std::vector<std::string> smscodeArr_;
  std::shared_ptr<ui::TextField> telTextField_;
  std::shared_ptr<ui::TextField> yzTextField_;
  std::shared_ptr<ui::Button> getNumberBtn_;
  std::shared_ptr<ui::Button> yzButton_;
  std::shared_ptr<ui::View> titleBar_;
  foundation::ObserversOf observers_{this};
};
