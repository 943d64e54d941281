// The conversation screen: the conversation with one adviser under a navigation bar of its own,
// presented modally by the adviser card. "编辑" marks bubbles for deletion; "删除" removes the
// marked messages from the view and, through the message centre, from the stored lists.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "messaging/CommunionView.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/ViewController.h"

class CommunionViewController : public ui::ViewController {
 public:
  // Removes the messages of the given conversation rows from the stored lists and answers the
  // adviser's conversation as stored afterwards (null: nothing to show).
  using DeleteHandler =
      std::function<std::optional<foundation::Array>(const foundation::Array& rows)>;

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void setTitle(const std::string& title) override;

  // Passed on to the conversation (the view loads first when needed).
  void clearAllContents();
  void addContents(const foundation::Array& rows);
  void updateCommunionView();
  void setCurrentBrokerID(const std::string& id) { currentBrokerId_ = id; }
  const std::string& currentBrokerID() const { return currentBrokerId_; }
  void setDeleteHandler(DeleteHandler handler) { deleteHandler_ = std::move(handler); }

  void createItemWithNoEdit();
  void createItemWithEdit();
  void buttonAction_back();
  void buttonAction_edit();
  void buttonAction_cancle();
  void buttonAction_done();

  CommunionView* communionView();
  ui::NavigationItem* titleNavigationItem() const { return titleNavitaionItem_.get(); }
  ui::NavigationBar* navigationBar() const { return navigationBar_.get(); }
  bool isEditingConversation() const { return editing_; }

 private:
  using Action = void (CommunionViewController::*)();
  void setBarItems(const char* left, Action leftAction, const char* right, Action rightAction);

  std::shared_ptr<CommunionView> communionView_;
  std::shared_ptr<ui::NavigationItem> titleNavitaionItem_;
  std::shared_ptr<ui::NavigationBar> navigationBar_;
  std::string currentBrokerId_;
  DeleteHandler deleteHandler_;
  bool editing_ = false;
};
