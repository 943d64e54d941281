// Stand-ins for the platform's mail and contacts services. The mail composer is a screen
// (present it modally) with recipients, subject and body; sending writes the mail as a file
// into the documents folder's "Outbox" and reports the result to the delegate, which then
// dismisses it. The address book writes each added contact as a vCard into "Contacts".
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/ViewController.h"

namespace ui {

class MailComposer;

// Same numbers as the phone platform.
enum class MailComposeResult { Cancelled = 0, Saved = 1, Sent = 2, Failed = 3 };

class MailComposeDelegate {
 public:
  virtual ~MailComposeDelegate() = default;
  // `error` is 0, or -1 when the mail could not be written. The delegate dismisses the composer.
  virtual void mailComposeControllerDidFinishWithResult(MailComposer& composer,
                                                        MailComposeResult result, int error) {
    (void)composer;
    (void)result;
    (void)error;
  }
};

inline constexpr const char* kMailOutboxFolder = "Outbox";

class MailComposer : public ViewController {
 public:
  // Tags of the sheet's fields.
  static constexpr int kToTag = 101;
  static constexpr int kSubjectTag = 102;
  static constexpr int kBodyTag = 103;

  MailComposer();
  ~MailComposer() override;
  static std::shared_ptr<MailComposer> create() { return std::make_shared<MailComposer>(); }

  // Whether mail can be sent at all (tests may switch it off).
  static bool canSendMail();
  static void setCanSendMail(bool can);

  void setMailComposeDelegate(std::weak_ptr<MailComposeDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  MailComposeDelegate* mailComposeDelegate() const { return delegate_.lock().get(); }

  void setToRecipients(std::vector<std::string> recipients);
  const std::vector<std::string>& toRecipients() const { return to_; }
  void setCcRecipients(std::vector<std::string> recipients);
  const std::vector<std::string>& ccRecipients() const { return cc_; }
  void setBccRecipients(std::vector<std::string> recipients) { bcc_ = std::move(recipients); }
  void setSubject(const std::string& subject);
  // The subject as the user left it.
  std::string subject() const;
  void setMessageBody(const std::string& body, bool isHTML);
  std::string messageBody() const;
  bool isHTML() const { return html_; }

  // The buttons of the sheet ("发送", "取消") as taps would press them.
  void send();
  void cancel();
  // The file the last send wrote (empty before).
  const std::string& lastFile() const { return lastFile_; }
  // The mail as it is written: header lines, a blank line, the body.
  std::string composedMessage() const;

  void loadView() override;

 private:
  void finish(MailComposeResult result, int error);

  std::weak_ptr<MailComposeDelegate> delegate_;
  std::vector<std::string> to_, cc_, bcc_;
  std::string subject_;
  std::string body_;
  bool html_ = false;
  bool finished_ = false;
  std::string lastFile_;
  std::shared_ptr<TextField> toField_, subjectField_;
  std::shared_ptr<TextView> bodyView_;
};

// A contact for the address book.
struct Contact {
  std::string firstName;
  std::string lastName;
  std::string organization;
  std::string jobTitle;
  // (label, number): labels "mobile", "work", "home", ...
  std::vector<std::pair<std::string, std::string>> phones;
  std::vector<std::string> emails;
  std::string address;
  std::string note;
};

inline constexpr const char* kContactsFolder = "Contacts";

class AddressBook {
 public:
  static AddressBook& shared();
  // Writes the contact as a vCard file into the documents folder's "Contacts". Returns 0, or
  // -1 (logged) for a contact without any name or number, or when the file cannot be written.
  int addContact(const Contact& contact, std::string* path = nullptr);
  // The vCard files written so far (sorted by name).
  std::vector<std::string> contactFiles() const;
  // The vCard 3.0 text of a contact (CRLF line ends, special characters escaped).
  static std::string vCard(const Contact& contact);
};

// The new-contact screen: shows the contact's fields with "取消" and "保存" (on the navigation
// bar when it sits in a navigation controller, else on a bar of its own); saving adds it to the
// address book. The handler hears the saved contact, or null after cancel.
class NewContactController : public ViewController {
 public:
  explicit NewContactController(Contact contact = {});
  static std::shared_ptr<NewContactController> create(Contact contact) {
    return std::make_shared<NewContactController>(std::move(contact));
  }
  void setCompletion(std::function<void(NewContactController&, const Contact*)> completion) {
    completion_ = std::move(completion);
  }
  const Contact& contact() const { return contact_; }
  // The buttons as taps would press them; save returns addContact's result.
  int save();
  void cancel();
  void loadView() override;

 private:
  Contact contact_;
  std::function<void(NewContactController&, const Contact*)> completion_;
};

}  // namespace ui
