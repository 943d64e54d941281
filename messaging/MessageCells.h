// The rows of the message lists: MyMessageCell (date and sender on the first line, the read mark
// and the title on the second) and MessageSenderCell (an adviser's name with call, write and
// add-contact buttons). Built in code; the hosts fill their labels.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

class MyMessageCell : public ui::TableViewCell {
 public:
  static constexpr double kLineHeight = 27.2;
  static constexpr double kRowHeight = 54.4;
  // Points the sender and title give up while the delete button shows.
  static constexpr double kDeleteShift = 50;

  explicit MyMessageCell(const std::string& reuseIdentifier = {});
  static std::shared_ptr<MyMessageCell> create(const std::string& reuseIdentifier = {});

  ui::Label* dateLabel() const { return dateLabel_.get(); }
  ui::Label* senderLabel() const { return senderLabel_.get(); }
  ui::Label* titleLabel() const { return titleLabel_.get(); }
  // Declared for the hosts, never shown.
  ui::Label* timeLabel() const { return nullptr; }
  ui::Label* contentLabel() const { return nullptr; }
  ui::Label* unreadFlagLabel() const { return unreadFlagLabel_.get(); }
  ui::ImageView* unreadFlagImage() const { return unreadFlagImage_.get(); }
  // The image name of the read mark now shown.
  const std::string& readMarkImageName() const { return readMarkImage_; }

  void setMessageUnread(bool unread);
  void setMessageSended();
  void setSenderLabelDisabled(bool disabled);
  // Puts the sender back beside the date at its full width (a reused cell loses a shift left
  // over from editing).
  void revertCell();
  void willTransitionToState(unsigned state) override;
  void didTransitionToState(unsigned state) override;
  void layoutSubviews() override;

 private:
  void build();
  void layoutLines(bool deleteShowing);
  void setReadMark(const char* word, const char* image);

  std::shared_ptr<ui::Label> dateLabel_;
  std::shared_ptr<ui::Label> senderLabel_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> unreadFlagLabel_;
  std::shared_ptr<ui::ImageView> unreadFlagImage_;
  std::string readMarkImage_;
};

class MessageSenderCell;

// Optional: a delegate that does not override the call hears nothing.
class MessageSenderCellDelegate {
 public:
  virtual ~MessageSenderCellDelegate() = default;
  // action: 0 call, 1 new message, 2 add to contacts.
  virtual void MessageSenderCellClicked(MessageSenderCell& cell, int action) {
    (void)cell;
    (void)action;
  }
};

class MessageSenderCell : public ui::TableViewCell {
 public:
  explicit MessageSenderCell(const std::string& reuseIdentifier = {});
  static std::shared_ptr<MessageSenderCell> create(const std::string& reuseIdentifier = {});

  ui::Label* nameLabel() const { return nameLabel_.get(); }
  ui::Button* phoneBtn() const { return phoneBtn_.get(); }
  ui::Button* sendSMSBtn() const { return sendSMSBtn_.get(); }
  ui::Button* contactBtn() const { return contactBtn_.get(); }

  void setDelegate(std::weak_ptr<MessageSenderCellDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  void updateWithData(const std::string& name, const std::string& phone);
  void ButtonAction(ui::Button& button);

 private:
  void build();

  std::shared_ptr<ui::Label> nameLabel_;
  std::shared_ptr<ui::Button> phoneBtn_;
  std::shared_ptr<ui::Button> sendSMSBtn_;
  std::shared_ptr<ui::Button> contactBtn_;
  std::weak_ptr<MessageSenderCellDelegate> delegate_;
};

// A row of a list with a letter index at its right (an adviser's people, the receiver picker):
// the row's content and disclosure mark end left of the index strip, which would lie over them.
class IndexedRowCell : public ui::TableViewCell {
 public:
  explicit IndexedRowCell(ui::TableViewCellStyle style, const std::string& reuseIdentifier = {});
  static std::shared_ptr<IndexedRowCell> create(ui::TableViewCellStyle style,
                                                const std::string& reuseIdentifier = {});
  // The width a row of `table` may use: the table's, less the index strip when it shows one.
  static double RowWidth(const ui::TableView& table);

  void layoutSubviews() override;
};
