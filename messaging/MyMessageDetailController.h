// The message detail screen: one message of the message centre in full, stepping to the
// previous and next message of the centre's list, reply, call, forward, a stock search, and for
// a permission request (type 7) granting or refusing the requested short-term permission. It
// reads and changes messages only through the centre (MyMessageDetailDelegate) and never holds
// the list itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/ReceiveRecord.h"
#include "messaging/MyMessageDetailDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"
#include "shell/WaitingBox.h"
#include "watchlist/SearchStocks.h"
#include "widgets/RequestWaiter.h"

class MySendMessageView;
class SendMessageViewController;

class MyMessageDetailController : public ui::ViewController,
                                  public ::AlertViewDelegate,
                                  public ui::AlertViewDelegate,
                                  public SearchStocksDelegate {
 public:
  // Views of the screen, by tag.
  static constexpr int kTagTitle = 303;
  static constexpr int kTagDate = 304;
  static constexpr int kTagBody = 305;
  static constexpr int kTagSender = 306;
  static constexpr int kTagGrant = 311;
  static constexpr int kTagRefuse = 312;
  // Buttons of the tool view.
  static constexpr int kTagForward = 201;
  static constexpr int kTagReply = 202;
  static constexpr int kTagCall = 203;
  static constexpr int kTagPrevious = 204;
  static constexpr int kTagNext = 205;
  static constexpr int kAlertGranted = 600;
  static constexpr int kTimeoutSeconds = 30;
  static constexpr uint8_t kPageId = 24;
  static constexpr double kToolViewHeight = 38;
  // A permission request's stock code is kept to this many bytes.
  static constexpr size_t kGoldCodeMax = 100;
  // The "goldcode" text read, in bytes.
  static constexpr size_t kGoldTextMax = 500;

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // --- set-up by the centre ---
  void setDelegate(std::weak_ptr<MyMessageDetailDelegate> delegate) { delegate_ = std::move(delegate); }
  void setMessageBeSent(bool sent) { _bSentMessage = sent; }
  bool messageBeSent() const { return _bSentMessage; }
  void setNavTitle(const std::string& title) { setTitle(title); }
  const std::string& goldStockName() const { return _goldStockName; }
  void set_goldStockName(const std::string& name) { _goldStockName = name; }

  // --- showing ---
  void updateCurrentView(int row);
  void updateButtonState();
  void updateTaskStatusToDone();
  // Makes the sheet pop this screen after a refusal and mark its task done once answered.
  void attachSheet(MySendMessageView& sheet);
  void initToolView(double height);
  void toolViewClicked(int tag);
  void ButtonClicked(int tag);
  void searchStock();

  // --- the stock's name ---
  void requestOneStockData(const char* code, uint8_t market);
  // True when the record was a one-stock quote reply.
  bool recvStockData(const foundation::Notification& notification);
  void updateStockData(const ReceiveRecordView& record);

  // --- the grant's answer and the rest ---
  void recvmsg(const foundation::Notification& notification);
  void UserReloginSuccess() { _bReset = true; }
  void handleTimeoutRequest() override;
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;

  // A permission request's "goldcode" ("sz,000001|..."): the market (1 Shanghai, 2 Shenzhen,
  // else 0) and the stock code, cut at the first "|" and to kGoldCodeMax bytes.
  struct GoldCode {
    int market = 0;
    std::string code;
  };
  static GoldCode ParseGoldCode(const std::string& goldcode);
  // The name of the stock (market, code) in the body of a one-stock quote reply. False when
  // the reply holds no record of that stock, or its head or any record runs past the body
  // (nothing of a damaged reply is used).
  static bool StockNameInReply(const uint8_t* body, size_t length, int market,
                               const std::string& code, std::string& name);

  // --- what tests and the fuzz target read ---
  int currentRecord() const { return _nCurrentRecord; }
  int messageType() const { return _nMessageType; }
  int market() const { return _nMarket; }
  const std::string& goldCode() const { return _goldCode; }
  const foundation::Value& shownMessage() const { return message_; }
  bool needsReset() const { return _bReset; }
  int requestCode() const { return _nRequestCode; }
  void setPendingRequestCode(int code) { _nRequestCode = code; }
  bool isWaiting() const { return waiter_.waiting(); }
  ui::View* toolView() const { return _toolView.get(); }
  ui::Button* toolButton(int tag) const;
  ui::Button* buttonWithTag(int tag);
  ui::Label* labelWithTag(int tag);
  ui::TextView* bodyView();

 private:
  void observe();
  void showBody();
  void grant();
  void refuse();
  void reply();
  void call();
  void forward();
  // The compose screen presented over this one, with its sheet; null when it could not be made.
  // The caller holds it while it sets the sheet up (a refused presentation keeps nothing).
  std::shared_ptr<SendMessageViewController> presentSheet();
  // The stock part of the grant and refusal texts: "code name".
  std::string stockText() const;

  std::weak_ptr<MyMessageDetailDelegate> delegate_;
  foundation::Value message_;  // the message shown, as the centre last answered it
  int _nCurrentRecord = 0;
  std::shared_ptr<ui::View> _toolView;
  bool _bReset = false;
  int _nMessageType = 0;
  std::string _goldCode;
  int _nMarket = 0;
  std::string _goldStockName;
  bool _bSentMessage = false;
  RequestWaiter waiter_;
  int _nRequestCode = -1;
  foundation::ObserversOf observers_{this};
};
