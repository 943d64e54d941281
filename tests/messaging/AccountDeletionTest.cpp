// Deleting an account from the phone's list deletes what the client stored for it.
#include <filesystem>

#include "account/AccountManager.h"
#include "account/StoredAccounts.h"
#include "messaging/MessageStore.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/NavigationController.h"
#include "tests/messaging/MessagingTestSupport.h"

namespace startuptest {
namespace {

using foundation::Value;

class AccountDeletionTest : public messagingtest::MessageCentreTest {
 protected:
  static bool Stored(const std::string& name) {
    return std::filesystem::exists(foundation::documentsPath(name));
  }
  static void PostSent(const std::string& title) {
    foundation::NotificationCenter::defaultCenter().post(
        "notification_saveSendMessage", nullptr,
        Value(foundation::Dictionary{{"sendMessageKey_recivers", Value("9001")},
                                     {"sendMessageKey_showRecivers", Value("投顾")},
                                     {"sendMessageKey_date", Value("2026-12-07 10:00:00")},
                                     {"sendMessageKey_title", Value(title)},
                                     {"sendMessageKey_content", Value("仓位")}}));
  }
};

// The fault mended: an account deleted under 历史 left its message files, with the texts of its
// sent mail, in the documents folder. Deleting asks first; confirmed, the record, both mail
// files and the poll's start id go, and the mail loaded for that user is not written back.
TEST_F(AccountDeletionTest, ADeletedAccountLeavesNothingOfItsMailBehind) {
  MyMessage* centre = OpenCentreTab("zhang", 4, false);
  ASSERT_NE(centre, nullptr);
  PostSent("只给张的私信");
  ASSERT_TRUE(Stored(ReceivedMessageFileName("zhang")));
  ASSERT_TRUE(Stored(SentMessageFileName("zhang")));
  auto& defaults = foundation::UserDefaults::standard();
  ASSERT_FALSE(defaults.string(StartIdKey("zhang")).empty());

  // Another user is in the session now; zhang stays in the phone's list.
  foundation::Array accounts;
  AddStoredAccount(accounts, MakeAccountRecord("zhang", "secret", true, "", 0, "", 0));
  AddStoredAccount(accounts, MakeAccountRecord("li4", "654321", true, "", 0, "", 0));
  ASSERT_TRUE(SaveStoredAccounts(accounts));
  SetLoginInfo("li4", "654321");
  auto screen = std::make_shared<AccountManager>();
  auto* navigation = app->getTabBarNavigationController(app->tabBarController()->selectedIndex());
  ASSERT_NE(navigation, nullptr);
  navigation->pushViewController(screen, false);
  pump([] { return false; }, 0.1);
  ASSERT_EQ(screen->accounts().size(), 2u);
  const int row = AccountUser(screen->accounts()[0]) == "zhang" ? 0 : 1;

  // Asked, and kept on "取消".
  screen->deleteAccountRow(row);
  auto ask = WaitForAlert(kDeleteAccountAlertTag);
  ASSERT_NE(ask, nullptr);
  EXPECT_NE(ask->message().find("zhang"), std::string::npos);
  ask->pressButtonAtIndex(1);
  EXPECT_EQ(LoadStoredAccounts().size(), 2u);
  EXPECT_TRUE(Stored(SentMessageFileName("zhang")));

  screen->deleteAccountRow(row);
  ask = WaitForAlert(kDeleteAccountAlertTag);
  ASSERT_NE(ask, nullptr);
  ask->pressButtonAtIndex(0);
  ASSERT_EQ(LoadStoredAccounts().size(), 1u);
  EXPECT_EQ(AccountUser(LoadStoredAccounts()[0]), "li4");
  EXPECT_FALSE(Stored(ReceivedMessageFileName("zhang")));
  EXPECT_FALSE(Stored(SentMessageFileName("zhang")));
  EXPECT_TRUE(defaults.string(StartIdKey("zhang")).empty());
  // Nothing writes zhang's mail back.
  PostSent("再一封");
  EXPECT_FALSE(Stored(SentMessageFileName("zhang")));
  for (const auto& entry : std::filesystem::recursive_directory_iterator(foundation::documentsDir()))
    EXPECT_EQ(entry.path().filename().string().find("zhang"), std::string::npos)
        << entry.path();
}

}  // namespace
}  // namespace startuptest
