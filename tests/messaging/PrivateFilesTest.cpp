// What the client writes for its user stays its owner's, also in a documents folder the client
// did not make (one that others may list): after a session that writes every kind of file, no
// file or folder under the documents folder lets anyone else read it.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>

#include "account/StoredAccounts.h"
#include "core/CoreConfig.h"
#include "core/SearchHistory.h"
#include "core/SelfStock.h"
#include "messaging/MessageStore.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/MailComposer.h"
#include "tests/messaging/MessagingTestSupport.h"

namespace startuptest {
namespace {

using foundation::Value;

// The umask of a user who lets others read what is made (022), for the test's time.
class SharedUmask {
 public:
  SharedUmask() : before_(::umask(022)) {}
  ~SharedUmask() { ::umask(before_); }
  SharedUmask(const SharedUmask&) = delete;
  SharedUmask& operator=(const SharedUmask&) = delete;

 private:
  mode_t before_;
};

class PrivateFilesTest : public messagingtest::MessageCentreTest {};

TEST_F(PrivateFilesTest, NothingTheClientWritesIsReadableByOthers) {
  const std::string documents = foundation::documentsDir();
  ASSERT_EQ(::chmod(documents.c_str(), 0755), 0);
  SharedUmask umask;
  bool canSendMail = ui::MailComposer::canSendMail();

  // The login (its settings and user defaults) and the mailbox's messages fetched and stored.
  MyMessage* centre = OpenCentreTab("zhang", 4, false);
  ASSERT_NE(centre, nullptr);
  // A message sent.
  foundation::NotificationCenter::defaultCenter().post(
      "notification_saveSendMessage", nullptr,
      Value(foundation::Dictionary{{"sendMessageKey_recivers", Value("9001")},
                                   {"sendMessageKey_showRecivers", Value("投顾")},
                                   {"sendMessageKey_date", Value("2026-12-07 10:00:00")},
                                   {"sendMessageKey_title", Value("问询")},
                                   {"sendMessageKey_content", Value("仓位")}}));
  ASSERT_EQ(centre->store().sentMessages().size(), 1u);
  // The watch list, the login's saved settings and an account kept with its password.
  ASSERT_TRUE(SelfStock_Add(1, "600000", 1));
  GetSaveConfig().WriteString("hq", "loginname", "zhang");
  ASSERT_EQ(GetSaveConfig().Save(), 0);
  foundation::Array accounts;
  AddStoredAccount(accounts, MakeAccountRecord("zhang", "secret", true, "", 0, "", 0));
  ASSERT_TRUE(SaveStoredAccounts(accounts));
  // A mail and a contact.
  ui::MailComposer::setCanSendMail(true);
  auto mail = ui::MailComposer::create();
  mail->setToRecipients({"adviser@example.com"});
  mail->setSubject("问询");
  mail->setMessageBody("仓位", false);
  mail->send();
  ui::MailComposer::setCanSendMail(canSendMail);
  ui::Contact contact;
  contact.firstName = "投顾";
  ASSERT_EQ(ui::AddressBook::shared().addContact(contact), 0);
  // A stock looked at, kept as the search history when the client goes to the background.
  tagLocalStockData quote{};
  quote.market = 1;
  std::strncpy(quote.code, "600000", sizeof quote.code - 1);
  GetSearchHistory().Add(quote);
  app->applicationDidEnterBackground(ui::Application::shared());
  Settle();

  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(documents, ec)) {
    const std::string name = std::filesystem::relative(entry.path(), documents).string();
    names.insert(name);
    struct stat info {};
    ASSERT_EQ(::lstat(entry.path().c_str(), &info), 0) << name;
    EXPECT_EQ(info.st_mode & 077, 0u) << name << " has mode " << std::oct << (info.st_mode & 0777);
  }
  ASSERT_FALSE(ec) << ec.message();
  for (const std::string& written :
       {ReceivedMessageFileName("zhang"), SentMessageFileName("zhang"),
        std::string("UserDefaults.plist"), std::string("selfblk.cfg"), std::string("save.cfg"),
        std::string(kStoredAccountsFile), std::string("seacher_his.dat"),
        std::string(ui::kMailOutboxFolder), std::string(ui::kContactsFolder)}) {
    EXPECT_TRUE(names.count(written)) << written << " was not written";
  }
}

}  // namespace
}  // namespace startuptest
