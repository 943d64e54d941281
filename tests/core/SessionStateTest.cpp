#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/CDataCenter.h"
#include "core/CoreConfig.h"
#include "core/CoreConnectionControl.h"
#include "core/CoreState.h"

namespace {

// Stands in for the connections and records what the session state asked of them.
class RecordingConnections : public CoreConnectionControl {
 public:
  void CloseConnection(CoreConnection which) override { calls.push_back("close " + Name(which)); }
  void ClearConnectionBuffers(CoreConnection which) override {
    calls.push_back("clear " + Name(which));
  }
  static std::string Name(CoreConnection which) {
    switch (which) {
      case CoreConnection::Authentication:
        return "auth";
      case CoreConnection::Quote:
        return "quote";
      case CoreConnection::Trade:
        return "trade";
      case CoreConnection::Verification:
        return "verify";
      case CoreConnection::Message:
        return "message";
      case CoreConnection::PriceAlert:
        return "price";
    }
    return "?";
  }
  std::vector<std::string> calls;
};

class SessionStateTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCoreConnectionControl(&m_connections); }
  void TearDown() override {
    SetCoreConnectionControl(nullptr);
    SetBrokerTablesResetHandler({});
    ClearServerLists();
  }
  RecordingConnections m_connections;
};

TEST_F(SessionStateTest, RightsListGrantsOnlyTheFirstTenItemsUpToAnEmptyOne) {
  struct Case {
    const char* list;
    int right30, level, right49;
  } cases[] = {
      {"30,32", 1, 2, 0},
      {"32,31", 0, 1, 0},
      {"49,,30", 0, 0, 1},
      {"", 0, 0, 0},
      {nullptr, 0, 0, 0},
      {" 31 , 49x ,abc,30", 0, 1, 1},
      {"1,2,3,4,5,6,7,8,9,10,30", 0, 0, 0},
      {"1,2,3,4,5,6,7,8,9,30,31", 1, 0, 0},
  };
  for (const Case& c : cases) {
    ParseRightsList("30,31,49");  // earlier rights must not linger
    SetLoggedIn(0);
    ParseRightsList(c.list);
    SCOPED_TRACE(c.list ? c.list : "(null)");
    EXPECT_EQ(LacksRight30(), c.right30 ? 0 : 1);
    EXPECT_EQ(GetQuoteLevelRight(), c.level);
    EXPECT_EQ(HasRight49(), c.right49);
    EXPECT_EQ(IsLoggedIn(), 1);
  }
}

TEST_F(SessionStateTest, TextsAreCutToTheirWidths) {
  std::string sixty(60, 'n');
  SetLoginInfo(sixty.c_str(), "pw");
  EXPECT_EQ(GetLoginUserName(), sixty.substr(0, 49));
  EXPECT_EQ(IsLoginUserNameEmpty(), 0);
  SetLoginInfo(nullptr, nullptr);
  EXPECT_EQ(IsLoginUserNameEmpty(), 1);

  SetQSID("0123456789ab");
  EXPECT_EQ(GetQSID(), "012345678");
  SetDeviceString(std::string(2000, 'd').c_str());
  EXPECT_EQ(GetDeviceString().size(), 1023u);

  StorePriceNotifyText(std::u16string(40, u'价'));
  EXPECT_EQ(GetPriceNotifyText(), std::u16string(30, u'价'));

  GetDataCenter().SetSessionKey("0123456789abcdefXYZ");
  EXPECT_EQ(GetDataCenter().GetSessionKey(), "0123456789abcdef");
  GetDataCenter().SetYYB(77, std::string(150, 'b').c_str());
  EXPECT_EQ(GetDataCenter().GetTraderCode(), 77);
  EXPECT_EQ(GetDataCenter().GetYYB().size(), 99u);
}

TEST_F(SessionStateTest, LogoutResetClosesFourConnectionsAndRestartsLists) {
  for (int type : {kServerListQuote, kServerListAuth, kServerListMessage}) {
    CDataIP* list = GetServerList(type);
    list->AddIP("a:1");
    list->AddIP("b:2");
    char out[16];
    list->GetNextIP(out, sizeof out);
  }
  int brokerResets = 0;
  SetBrokerTablesResetHandler([&] { ++brokerResets; });
  SetBrokerTableLoaded(0, 1);
  SetBrokerTableLoaded(1, 1);
  ParseRightsList("30,32,49");
  SetMsgUserType(3);
  SetPriceNotifyRight(1);

  ResetAllCoreState();

  EXPECT_EQ(m_connections.calls, (std::vector<std::string>{"close auth", "close quote",
                                                           "close message", "close price"}));
  EXPECT_EQ(LacksRight30(), 1);
  EXPECT_EQ(GetQuoteLevelRight(), 0);
  EXPECT_EQ(HasRight49(), 0);
  EXPECT_EQ(IsLoggedIn(), 1);  // the callers clear it
  EXPECT_EQ(GetPriceNotifyRight(), -1);
  EXPECT_EQ(GetMsgUserType(), 0);
  EXPECT_EQ(brokerResets, 1);
  EXPECT_EQ(IsBrokerTableLoaded(0) + IsBrokerTableLoaded(1), 0);

  // Addresses stay; only the hand-out position restarts, and not on the authentication list.
  char out[16];
  EXPECT_EQ(GetServerList(kServerListQuote)->GetCount(), 2);
  EXPECT_EQ(GetServerList(kServerListQuote)->GetLastIP(out, sizeof out), 0);
  EXPECT_EQ(GetServerList(kServerListMessage)->GetLastIP(out, sizeof out), 0);
  EXPECT_EQ(GetServerList(kServerListAuth)->GetLastIP(out, sizeof out), 1);
}

TEST_F(SessionStateTest, DataCenterResetRestoresTheStartKeyAndDropsTradeSecrets) {
  CDataCenter center;
  EXPECT_EQ(center.GetMode(), -1);
  EXPECT_EQ(center.GetSessionKey(), CDataCenter::kRequestKey2);
  EXPECT_EQ(center.GetRequestTimeout(), 30);
  center.SetSessionKey("abcdefghijklmnop");
  center.SetAccount("acct");
  center.SetAccountPassword("trade-pw");
  center.SetAssetPassword("fund-pw");
  center.SetSessionText("session");
  for (int n = 1; n <= 3; ++n) center.GetTable(n)->AddIntField(1, n);
  EXPECT_EQ(center.GetTable(6), nullptr);

  center.Init(2);  // other modes only store the value
  EXPECT_EQ(center.GetMode(), 2);
  EXPECT_EQ(center.GetSessionKey(), "abcdefghijklmnop");
  EXPECT_TRUE(m_connections.calls.empty());

  center.Reset();
  EXPECT_EQ(center.GetMode(), -1);
  EXPECT_EQ(center.GetSessionKey(), CDataCenter::kRequestKey2);
  EXPECT_EQ(center.GetAccountPassword(), "");
  EXPECT_EQ(center.GetSessionText(), "");
  EXPECT_EQ(center.GetAccount(), "acct");
  EXPECT_EQ(center.GetAssetPassword(), "fund-pw");
  EXPECT_EQ(center.GetTable(1)->GetFieldNum(), 0);
  EXPECT_EQ(center.GetTable(2)->GetFieldNum(), 0);
  EXPECT_EQ(center.GetTable(3)->GetFieldNum(), 1);
  EXPECT_EQ(m_connections.calls, (std::vector<std::string>{"close trade", "clear trade"}));
}

// The login answer writes on a network thread while the screens read on the main thread.
TEST_F(SessionStateTest, ConcurrentWritersAndReadersSeeWholeTexts) {
  SetLoginInfo("aaaaaaaa", "x");
  SetQSID("1111");
  GetDataCenter().SetSessionKey("mmmm");
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) {
      SetLoginInfo(i % 2 ? "aaaaaaaa" : "bbbbbbbbbbbbbbbb", "x");
      SetQSID(i % 2 ? "1111" : "22222222");
      ParseRightsList(i % 2 ? "30,31" : "32,49");
      GetDataCenter().SetSessionKey(i % 2 ? "kkkkkkkkkkkkkkkk" : "mmmm");
    }
    stop = true;
  });
  while (!stop) {
    std::string name = GetLoginUserName();
    ASSERT_TRUE(name == "aaaaaaaa" || name == "bbbbbbbbbbbbbbbb") << name;
    std::string qsid = GetQSID();
    ASSERT_TRUE(qsid == "1111" || qsid == "22222222") << qsid;
    std::string key = GetDataCenter().GetSessionKey();
    ASSERT_TRUE(key == "kkkkkkkkkkkkkkkk" || key == "mmmm") << key;
    (void)GetQuoteLevelRight();
  }
  writer.join();
}

}  // namespace
