// The message centre ("我的服务", the "服务" tab and the More grid's "服务消息"): the only screen
// that fetches messages. Its server side (MessageServer) asks for the list of new messages every
// 60 seconds and when the centre shows, fetches the contents one at a time, stores each
// (MyMessageStore) and deletes it on the server, loads the adviser directory's lists and keeps
// the switched-off advisers; the screen hears what changed and shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "messaging/BrokerDetail.h"
#include "messaging/BrokerDirectory.h"
#include "messaging/MessageServer.h"
#include "messaging/MessageStore.h"
#include "messaging/MyMessageDetailDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "shell/Extend.h"
#include "shell/ScreenRoles.h"
#include "watchlist/SearchStocks.h"
#include "widgets/MenuBarView.h"

class MyMessageDetailController;
namespace ui {
struct Contact;
}

class MyMessage : public ui::ViewController,
                  public MessageCentreRole,
                  public Extend::ScreenHooks,
                  public MessageStoreOwner,
                  public ui::TableViewDataSource,
                  public ui::TableViewDelegate,
                  public MenuBarViewDelegate,
                  public BrokerDetailDelegate,
                  public ui::AlertViewDelegate,
                  public SearchStocksDelegate,
                  public MyMessageDetailDelegate,
                  public MessageServerListener {
 public:
  static constexpr uint8_t kPageId = MessageServer::kPageId;

  MyMessage();

  void loadView() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;

  // --- shell ---
  void initSomeFirst() override;
  void revertToAllFunc() override;
  void timeRequest() override;
  bool canShowMessage() override { return false; }
  void willActiveByClickTabBar() override { server_->setNeedsRequest(); }

  // --- the server side ---
  MessageServer& server() { return *server_; }
  void UserReloginSuccess();

  // --- MessageServerListener ---
  void messageStored() override;
  void directoryChanged(bool reloadTable) override;
  void serverRefused(const std::string& text) override;

  // --- the menu bar ---
  void changeSelSubItem(int item);
  // Sent when the selected item changed: shown list, count and table.
  virtual void menuItemChanged();
  void MenuBarDidChangeToSubItem(int index, MenuBarView& bar) override;

  // --- MessageStoreOwner ---
  int selectedMenuItem() const override { return selectedItem_; }
  void updateAllList_BrokerAccount() override;
  void unreadCountChanged() override { updateUnreadMessageCount(); }
  void showingMessageListUpdated() override { arrangePanes(); }
  void reloadMessageTable() override;
  void reloadBrokerListTableView() override;
  void selectBrokerRow(int index) override { currentSelect_ = index; }

  // --- the screen ---
  static constexpr int kTagCount = 1101;
  static constexpr int kTagEdit = 1102;
  static constexpr int kTagClear = 1103;
  static constexpr int kTagCancel = 1104;
  static constexpr int kTagDelete = 1105;
  static constexpr int kAlertClearAll = 501;
  static constexpr int kAlertClearSent = 502;
  void updateUnreadMessageCount();
  void arrangePanes();
  void toolViewClicked(int tag);
  void startEditMessage(bool withTable);
  void endEditMessage(bool withTable);
  void deleteSomeMessage();
  void Action_WriteMessageBtn();
  void showBrokerDetail(int row);
  void hiddenBrokerDetail(int mode);
  void showTagDetailTable(bool show);
  void refreshTagListArray(const foundation::Value& row);
  MenuBarView* menuBarView() const { return menuBarView_.get(); }
  ui::View* toolView() const { return toolView_.get(); }
  ui::TableView* tableView() const { return tableView_.get(); }
  ui::TableView* brokerListTableView() const { return brokerListTableView_.get(); }
  ui::TableView* tagDetailTableView() const { return tagDetailTableView_.get(); }
  BrokerDetail* brokerDetailCard() const { return brokerDetail_.get(); }
  // The rows of the list shown (item 3 the sent list, else the shown received list).
  int listCount();

  // --- the adviser pane ---
  static constexpr int kTagRowGround = 404;
  static constexpr int kTagRowName = 405;
  static constexpr int kTagRowCount = 406;
  static constexpr int kTagRowBadge = 407;
  // Rows of a pane table by letter: the keys shown and, per key, positions in the table's array.
  using Sections = LetterSections;
  // Flat position of an index path (the row shown there), -1 when there is none.
  int getIntFromIndexPath(const ui::IndexPath& path) const;
  ui::IndexPath getIndexPathFromInt(int position) const;
  int getIntFromIndexPath_TagList(const ui::IndexPath& path) const;
  ui::IndexPath getIndexPathFromInt_TagList(int position) const;
  void configCell(ui::TableViewCell& cell);
  // `rowWidth`: what the row may use of its table's width (IndexedRowCell::RowWidth).
  void updateCell(ui::TableViewCell& cell, const foundation::Value& row, double rowWidth);
  void doAction(int action, const foundation::Value& row);
  void showNewPersonViewController(const foundation::Value& person);
  void showNewPersonViewController(const std::string& phone, const std::string& name);
  bool findWhetherOffMessage(const std::string& id) const;
  // Removes positions of the received (type 0) or sent (1) list, saves both files and
  // refreshes the lists and the adviser rows.
  void deleteSendMessage(const std::vector<int>& indexes, int type);
  // The conversation screen's delete: the messages of the given conversation rows leave the
  // stored lists. A row whose stored message at its "communion_index" no longer has its date,
  // title and content (the list moved meanwhile) deletes nothing. Answers the number deleted.
  int deleteCommunionRows(const foundation::Array& rows);
  const Sections& brokerSections() const { return brokerSections_; }
  int currentSelect() const { return currentSelect_; }

  // --- tables ---
  int numberOfSectionsInTableView(ui::TableView& table) override;
  std::vector<std::string> sectionIndexTitlesForTableView(ui::TableView& table) override;
  std::string tableViewTitleForHeaderInSection(ui::TableView& table, int section) override;
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidDeselectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  bool tableViewCanEditRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  ui::TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewCommitEditingStyle(ui::TableView& table, ui::TableViewCellEditingStyle style,
                                   const ui::IndexPath& path) override;
  void tableViewWillBeginEditingRowAtIndexPath(ui::TableView& table,
                                               const ui::IndexPath& path) override;
  void tableViewDidEndEditingRowAtIndexPath(ui::TableView& table,
                                            const ui::IndexPath& path) override;

  // --- alerts, card, stock search, detail ---
  void alertViewClickedButtonAtIndex(ui::AlertView& alert, int buttonIndex) override;
  void brokerDetailWithActionID(BrokerDetail& card, int actionId) override;
  void SearchDone(const char* code, uint16_t market, const std::string& name,
                  uint16_t stockType) override;
  foundation::Value currentMyMessage(int row) override;
  int totalMyMessage() override;
  void currentMessageChanged(int row, const std::string& key,
                             const foundation::Value& value) override;
  // Marks of edit mode, as the messages they name.
  size_t markedCount() const { return markedIds_.size(); }

  MyMessageStore& store() { return store_; }
  void setVisibled(bool visible) { visibled_ = visible; }

 protected:
  void observe();

  void buildScreen();
  // What a row of the message table names: "r<id>" for a received message, "s<position>" for
  // a sent one. Marks and an open detail screen hold these, not row numbers, so that a message
  // the poll stores meanwhile moves no mark.
  std::string rowIdentity(int row);
  int rowOfIdentity(const std::string& identity);
  int resolveDetailRow(int row);
  void remark();
  // The menu bar's items: an adviser's four, an investor's three.
  static std::vector<const char*> menuTitles();
  // Edit mode's "清空", "删除" and "取消", or "编辑" alone.
  void showEditButtons(bool editing);
  // Removes the messages of these rows of the list shown, rebuilds it, writes both files and
  // tells the other centres; false when the files could not be written.
  bool removeRows(std::vector<int> rows);
  void presentNewContact(ui::Contact contact);
  void slideInBrokerCard(const foundation::Value& broker);

  MyMessageStore store_;
  std::shared_ptr<MessageServer> server_;
  std::shared_ptr<MenuBarView> menuBarView_;
  std::shared_ptr<ui::View> toolView_;
  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<ui::TableView> brokerListTableView_;
  std::shared_ptr<ui::TableView> tagDetailTableView_;
  std::shared_ptr<BrokerDetail> brokerDetail_;
  std::vector<std::string> markedIds_;
  std::vector<std::string> detailIds_;
  std::weak_ptr<MyMessageDetailController> openDetail_;
  foundation::Array currentTagListArray_;
  Sections brokerSections_;
  Sections tagSections_;
  std::optional<std::string> currentOffMessageBrokers_;  // never set, as specified
  int currentSelect_ = -1;
  bool editingMessages_ = false;
  bool visibled_ = false;
  bool observing_ = false;
  int selectedItem_ = 2;

 private:
  foundation::ObserversOf observers_{this};
};
