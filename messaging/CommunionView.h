// The conversation with one adviser as a chat: the adviser's messages as bubbles on the left, the
// user's own on the right, oldest at the top, with the reply bar along the bottom. The rows come
// from the message centre ("notification_update" refreshes them); a reply typed in the bar goes
// to the adviser as a mail and, once the server took it, is appended and stored.
//
// Conversation rows are dictionaries of texts: "comunion_content" (date, line feed, body),
// "communion_date", "communion_type" ("0" received, "1" sent), "communion_readBrokerID",
// "communion_brokerName", "communion_title", "communion_index" (position in its stored list)
// and, from the centre, "communion_allindex".
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "messaging/CommunionLabel.h"
#include "messaging/SendMessageTabbar.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/MailComposer.h"
#include "platform/ui/TableView.h"
#include "platform/ui/ViewController.h"
#include "widgets/RequestWaiter.h"

class CommunionView : public ui::View,
                      public ui::TableViewDataSource,
                      public ui::TableViewDelegate,
                      public CommunionLabelDelegate,
                      public ui::MailComposeDelegate,
                      public SendMessageTabbarDelegate,
                      public AlertViewDelegate {
 public:
  static constexpr int kTagBubble = 111;
  static constexpr uint8_t kPageId = 24;
  static constexpr double kScrollDelay = 0.3;
  static constexpr double kBubbleTextWidth = 260;
  // Room above a touched bubble for its menu (the menu's height and arrow, and a margin): kept
  // above the first bubble and scrolled into view above any other.
  static constexpr double kMenuRoom = 48;
  static constexpr const char* kShareSubject = "与你分享 Ostravin iPhone";
  // Replies whose answers are still awaited; the oldest is forgotten beyond this.
  static constexpr size_t kMaxPendingSends = 16;

  explicit CommunionView(const gfx::Rect& frame = {});
  ~CommunionView() override;
  // Builds the view: background, table, reply bar and the observers.
  static std::shared_ptr<CommunionView> create(const gfx::Rect& frame);

  void addObservers();
  void removeObservers();
  void responseUpdateView(const foundation::Notification& notification);
  // Appends the rows sorted by date; rows already shown stay where they are.
  void addContents(const foundation::Array& rows);
  void clearAllContents();
  // Reloads and scrolls to the last row 0.3 s later.
  void updateCommunionView();
  void setTableEdit(bool editing);
  // Removes the marked rows from the view.
  void clearDeleteRows();
  void clearAllDeleteRows() {}
  const foundation::Array& deleteRows() const { return deleteRows_; }
  // The rows the marks name (as shown now), in row order.
  foundation::Array markedRows() const;
  void addLast(const foundation::Value& record);
  void addLast();
  void responseSaveSendMessage(const foundation::Notification& notification);
  void sendMessage(const std::string& title, const std::string& body);
  void recvmsg(const foundation::Notification& notification);
  // The bubble height of a text: measured at `width` plus 15; 5 for none.
  double textWidth(const std::string& text, double width) const;
  void displayComposerSheetWithIndex(int row);

  void setSuperViewController(ui::ViewController* controller);
  ui::ViewController* superViewController() const { return superViewController_.lock().get(); }
  void setBrokerID(const std::string& id) { brokerId_ = id; }
  const std::string& brokerID() const { return brokerId_; }

  // What tests and the host read.
  size_t rowCount() const { return rows_.size(); }
  const foundation::Value& rowAt(size_t i) const { return rows_[i].row; }
  ui::TableView* tableView() const { return tableView_.get(); }
  SendMessageTabbar* sendMessageTabbar() const { return sendMessageTabbar_.get(); }
  int currentSelect() const { return currentSelect_; }
  int requestCode() const { return requestCode_; }
  const foundation::Value& lastSentMessage() const { return sendMessage_; }
  // How many bubble texts were measured so far (reloads take the kept heights).
  size_t measuredCount() const { return measured_; }

  // Table.
  int tableViewNumberOfRowsInSection(ui::TableView& table, int section) override;
  std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  double tableViewHeightForRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewWillDisplayCell(ui::TableView& table, ui::TableViewCell& cell,
                                const ui::IndexPath& path) override;
  ui::TableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(
      ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidSelectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void tableViewDidDeselectRowAtIndexPath(ui::TableView& table, const ui::IndexPath& path) override;
  void scrollViewDidScroll(ui::ScrollView& view) override;

  // Bubbles.
  void communionLabelWillTap(CommunionLabel& label, const ui::IndexPath& path) override;
  void communionLabelDidTap(CommunionLabel& label, const ui::IndexPath& path) override;
  void communionLabelSharedTo(CommunionLabel& label, const ui::IndexPath& path) override;
  void communionLabelReplay(CommunionLabel& label, const ui::IndexPath& path) override;
  void communionLabelCopy(CommunionLabel& label, const ui::IndexPath& path) override;

  // Reply bar and mail sheet.
  void sendMessageTabbarWillChangeCenter(SendMessageTabbar& bar, gfx::Point center) override;
  void sendMessageTabbarDidSendMessageWithText(SendMessageTabbar& bar, const std::string& text) override;
  void mailComposeControllerDidFinishWithResult(ui::MailComposer& composer,
                                                ui::MailComposeResult result, int error) override;
  // A reply left unanswered: the time-out text, and the reply back in the bar to send again.
  void handleTimeoutRequest() override;
  bool isWaiting() const { return waiter_.waiting(); }

 private:
  struct Row {
    foundation::Value row;
    double height = -1;  // measured once, kept for later reloads
  };
  void build();
  bool inList(int row) const { return row >= 0 && static_cast<size_t>(row) < rows_.size(); }
  void configCell(ui::TableViewCell& cell, const ui::IndexPath& path);
  void updateCell(ui::TableViewCell& cell, const ui::IndexPath& path);
  void clearBackgrounds(ui::TableViewCell& cell);
  void reloadRow(int row);
  // The marked rows' positions, ascending, each once.
  std::vector<int> markedIndexes() const;
  void scrollToLastRow();

  std::shared_ptr<ui::ImageView> background_;
  std::shared_ptr<ui::TableView> tableView_;
  std::vector<Row> rows_;
  gfx::Font textFont_;
  int currentSelect_ = -1;
  int requestCode_ = -1;
  std::weak_ptr<ui::ViewController> superViewController_;
  std::shared_ptr<SendMessageTabbar> sendMessageTabbar_;
  std::string brokerId_;
  foundation::Value sendMessage_;
  // Replies sent and not answered yet, by request code: each answer stores its own reply.
  std::map<int, foundation::Value> pending_;
  // The reply on its way: its box, time-out and late answer; its text, given back on a time-out.
  RequestWaiter waiter_;
  std::string replyText_;
  foundation::Array deleteRows_;
  std::shared_ptr<foundation::Timer> scrollTimer_;
  mutable size_t measured_ = 0;
};
