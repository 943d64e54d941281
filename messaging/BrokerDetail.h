// The adviser card: laid over the message centre's adviser list when one adviser is picked. A
// panel with the adviser's name and job, numbers and address, a switch for messages from this
// adviser, and buttons to call, write, add to contacts, read the conversation and close. It shows
// what it is given and reports each control to its delegate with an action number.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/ui/Button.h"
#include "platform/ui/Switch.h"
#include "platform/ui/View.h"

class BrokerDetail;

// Optional calls: a delegate that does not override one hears nothing of it.
class BrokerDetailDelegate {
 public:
  virtual ~BrokerDetailDelegate() = default;
  // 1 add contact, 2 write, 3 call the mobile, 4 call the office, 5 conversation, 6 switch.
  virtual void brokerDetailWithActionID(BrokerDetail& card, int actionId) {
    (void)card;
    (void)actionId;
  }
  virtual void brokerDetailWithActionIDWithPar(BrokerDetail& card, int actionId,
                                               const foundation::Value& par) {
    (void)card;
    (void)actionId;
    (void)par;
  }
};

class BrokerDetail : public ui::View {
 public:
  static constexpr int kTagName = 10;
  static constexpr int kTagMobile = 11;
  static constexpr int kTagPhone = 12;
  static constexpr int kTagAddress = 13;
  // The controls that carry no tag of their own in the card's layout.
  static constexpr int kTagWrite = 21;
  static constexpr int kTagAddContact = 22;
  static constexpr int kTagConversation = 23;
  static constexpr int kTagClose = 24;

  explicit BrokerDetail(const gfx::Rect& frame = {});
  // The card as its interface builds it: the layout for 480-point screens, or for screens at
  // least 568 points tall.
  static std::shared_ptr<BrokerDetail> createFromInterface(bool tall);
  // The variant for the main screen's height.
  static std::shared_ptr<BrokerDetail> load();
  bool isTallLayout() const { return tall_; }

  void awakeFromNib();
  void updateBrokerDetailView(const foundation::Value& row);
  void updateView();
  void updateContent(int tag, const std::string& text);

  void buttonAction_callBroker(ui::Button& button);
  void buttonAction_emailBroker();
  void buttonAction_addBroker();
  void buttonAction_searchEmail();
  void buttonAction_onOffMessage();
  void buttonAction_closeBroker();

  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;

  // Hooks without effect: the message centre hides the card.
  virtual void removeBrokerDetail() { ++removeRequests_; }
  virtual void showBrokerDetail() {}
  virtual void updateBrokerDetail() {}
  int removeRequests() const { return removeRequests_; }

  ui::View* readyView() const { return readyView_.get(); }
  ui::Switch* switchMessage() const { return switchMessage_.get(); }
  const foundation::Value& brokerDetail() const { return brokerDetail_; }
  void setBrokerDetailDelegate(std::weak_ptr<BrokerDetailDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  // Run by the close button and by a touch outside the panel: whoever shows the card hides it
  // (a close button that left the card up would strand the user over the list).
  void setCloseHandler(std::function<void()> handler) { closeHandler_ = std::move(handler); }

 private:
  void build(bool tall);
  void report(int actionId);

  bool tall_ = false;
  std::shared_ptr<ui::View> readyView_;
  std::shared_ptr<ui::Switch> switchMessage_;
  foundation::Value brokerDetail_;
  std::weak_ptr<BrokerDetailDelegate> delegate_;
  std::function<void()> closeHandler_;
  int removeRequests_ = 0;
};
