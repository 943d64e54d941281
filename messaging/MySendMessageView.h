// The compose sheet: receivers (tokens and a picker of the adviser directory), subject and
// content, sent as an XML mail (or a task answer as a record table) over the message connection;
// the server's answer is shown and the sent mail posted for the message store.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "messaging/BrokerDirectory.h"
#include "messaging/SenderTextView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"
#include "shell/WaitingBox.h"
#include "widgets/RequestWaiter.h"
#include "widgets/ScreenParts.h"

class MySendMessageView : public ui::View,
                          public ::AlertViewDelegate,
                          public ui::AlertViewDelegate,
                          public ui::TableViewDataSource,
                          public ui::TableViewDelegate,
                          public SenderTextViewDelegate,
                          public ReturnClosesKeyboard {
 public:
  static constexpr int kTagSend = 10;
  static constexpr int kTagClose = 11;
  static constexpr int kAlertSent = 502;
  static constexpr int kTimeoutSeconds = 30;
  static constexpr uint8_t kPageId = 24;

  explicit MySendMessageView(const gfx::Rect& frame = {});
  static std::shared_ptr<MySendMessageView> createWithDefaultXib();

  // --- set-up by the callers ---
  void setDefaultFirstResponder();
  void setReceiverArray(const foundation::Array& rows);
  void setInitSelect(int index);
  void setInitReceiverData(const std::string& name, bool disabled);
  void setInitDataWhenRepay(const std::string& name, const std::string& subject);
  void setInitContent(const std::string& content, const std::string& subject);
  void setMessageInfo(int type, const foundation::Value& source);
  // The adviser whose open conversation shows this mail once the server took it.
  void setConversationToUpdate(const std::string& brokerId) { conversationToUpdate_ = brokerId; }
  void setSuperViewController(ui::ViewController* controller) { superViewController_ = controller; }
  // A screen popped after a refusal is sent (the message detail screen).
  void setNeedPopViewController(std::weak_ptr<ui::ViewController> controller) {
    needPopViewController_ = std::move(controller);
  }
  // Runs when the server took a task answer (child type 121).
  void setTaskAnswered(std::function<void()> done) { taskAnswered_ = std::move(done); }

  // --- actions ---
  void button_Send();
  void button_Close() { remove(); }
  void button_SelectReceiver();
  void button_Cancel();
  void buttonAction_Done();
  void remove();
  void recvmsg(const foundation::Notification& notification);
  void observe();

  // --- delegates ---
  void handleTimeoutRequest() override;
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  int numberOfSectionsInTableView(ui::TableView& table) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  std::string tableViewTitleForHeaderInSection(ui::TableView& table, int section) override;
  std::vector<std::string> sectionIndexTitlesForTableView(ui::TableView& table) override;
  ui::TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(
      ui::TableView&, const ui::IndexPath&) override {
    return ui::TableViewCellEditingStyle::MultipleSelect;
  }
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidDeselectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void senderTextViewDidDelete(SenderTextView& field, int position) override;

  // --- what tests read ---
  SenderTextView* senderTextView() const { return senderTextView_.get(); }
  ui::TextField* editReceiver() const { return editReceiver_.get(); }
  ui::TextField* editSubject() const { return editSubject_.get(); }
  ui::TextView* textViewContent() const { return textViewContent_.get(); }
  ui::View* selectView() const { return selectView_.get(); }
  ui::TableView* receiverTable() const { return tableView_.get(); }
  ui::View* sendBackView() const { return sendBackView_.get(); }
  const std::vector<std::string>& chooseArray() const { return chooseArray_; }
  const foundation::Array& receiverArray() const { return receivers_; }
  // The picker position of a person's row (group rows never match), or -1.
  int receiverPosition(const std::string& brokerId) const;
  int initSelect() const { return initSelect_; }
  int requestCode() const { return requestCode_; }
  bool isWaiting() const { return waiter_.waiting(); }
  const foundation::Value& sendMessage() const { return sendMessage_; }
  // The request code an answer must carry (tests and the fuzz target).
  void setPendingRequestCode(int code) { requestCode_ = code; }
  // The "to" text of the chosen rows: ids without blanks, each once, groups expanded.
  std::string receiverIds() const;

 private:
  void build();
  int flatIndex(const ui::IndexPath& path) const;
  ui::IndexPath pathOf(int flat) const;
  void updateSenders(const std::vector<std::string>& indexes);
  std::string namesOf(const std::vector<std::string>& indexes) const;
  void closePicker();
  // The subject and text start below the receivers' tokens, however many lines they take.
  void fitBodyUnderReceivers();
  // While the keyboard shows, the scrolling part ends at its top: what the receivers' rows push
  // under it (the buttons) is scrolled to, never left half hidden.
  void fitContentAboveKeyboard(const foundation::Notification& notification);
  void fitContentToSheet(const foundation::Notification& notification);
  void setSending(bool sending);

  std::shared_ptr<ui::View> realView_;
  std::shared_ptr<ui::View> selectView_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::TextField> editReceiver_;
  std::shared_ptr<ui::TextField> editSubject_;
  std::shared_ptr<ui::TextView> textViewContent_;
  std::shared_ptr<ui::Button> btnSelectReceiver_;
  std::shared_ptr<SenderTextView> senderTextView_;
  RequestWaiter waiter_;
  std::shared_ptr<ui::ScrollView> sendContentView_;
  std::shared_ptr<ui::View> sendBackView_;
  int requestCode_ = -1;
  int initSelect_ = -1;
  foundation::Array receivers_;
  // The picker's sections (an adviser's login): positions in receivers_, which holds the rows in
  // section order.
  LetterSections sections_;
  std::vector<std::string> chooseArray_;
  std::vector<std::string> oldChooseArray_;
  foundation::Value sendMessage_;
  ui::ViewController* superViewController_ = nullptr;
  int messageType_ = 0;
  foundation::Value sourceMessage_;
  std::string conversationToUpdate_;
  bool observing_ = false;
  std::weak_ptr<ui::ViewController> needPopViewController_;
  std::function<void()> taskAnswered_;
  foundation::ObserversOf observers_{this};
  // The keyboard's observations, apart from the answers' (remove() drops those).
  char keyboardOwner_ = 0;
  foundation::ObserversOf keyboardObservers_{&keyboardOwner_};
};

// What a taken send answer tells the user: the server's own words (field 19), or "消息已发送".
std::string SendAnswerText(const void* body, int length);
