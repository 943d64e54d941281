#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CDataCenter.h"
#include "core/CoreConfig.h"
#include "core/CoreState.h"
#include "core/LocalServerPorts.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "tests/core/ConfigTestSupport.h"

namespace {

std::vector<std::string> Addresses(int type) {
  std::vector<std::string> out;
  const CDataIP& list = *GetServerList(type);
  char text[CDataIP::kAddressSize];
  for (int i = 0; i < list.GetCount(); ++i) {
    list.GetIP(i, text, sizeof text);
    out.push_back(text);
  }
  return out;
}

using List = std::vector<std::string>;

class CoreConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    foundation::makeDirectories(m_dir.file("bundle"));
    foundation::makeDirectories(m_dir.file("docs"));
    foundation::setBundleDir(m_dir.file("bundle"));
    foundation::setDocumentsDir(m_dir.file("docs"));
    ClearServerLists();
    SetLoginInfo("", "");
  }
  void TearDown() override {
    ClearServerLists();
    foundation::setLogSink({});
  }
  void Bundle(const std::string& text) { WriteFileBytes(m_dir.file("bundle/main.cfg"), text); }
  void Saved(const std::string& text) { WriteFileBytes(m_dir.file("docs/save.cfg"), text); }
  TempFolder m_dir;
};

TEST_F(CoreConfigTest, SavedAddressesComeFirstThenBundleDefaults) {
  Bundle(
      "[hq]\nnum=3\nip1=b1:1\nip2=S1:1\nip3=b3:1\nip4=never:1\n"
      "[info]\nip1=i1:1|/f10\nip2=\nip3=i3:1\n"
      "[trade]\nip1=t1:1\ntraderCode=8001\nissmscode=1\nappleId=123456789012\n"
      "defPriceType=2\n");
  Saved(
      "[hq]\nnum=2\nip1=s1:1\nip2=s2:1\nip3=beyond-num:1\nloginname=u1\nloginpwd=secret-pw\n"
      "KLineIndexType=4\ndevicetoken=tok\n");
  GetServerList(kServerListQuote)->AddIP("stale:1");
  SetPriceNotifyRight(1);

  InitCoreConfig();

  EXPECT_EQ(Addresses(kServerListAuth), (List{"s1:1", "s2:1", "b1:1", "b3:1"}));
  EXPECT_EQ(Addresses(kServerListQuote), List{});
  EXPECT_EQ(Addresses(kServerListInfo), (List{"i1:1|/f10"}));  // stops at the empty ip2
  EXPECT_EQ(Addresses(kServerListTrade), (List{"t1:1"}));
  EXPECT_EQ(GetLoginUserName(), "u1");
  EXPECT_EQ(GetLoginPassword(), "secret-pw");
  EXPECT_EQ(GetKLineIndexType(), 4);
  EXPECT_EQ(GetDeviceToken(), "tok");
  EXPECT_EQ(GetPriceNotifyRight(), -1);
  CDataCenter& center = GetDataCenter();
  EXPECT_EQ(center.GetTraderCode(), 8001);
  EXPECT_EQ(center.GetSmsSwitch(), 1);
  EXPECT_EQ(center.GetAppleId(), 123456789012);
  EXPECT_EQ(center.GetDefPriceType(), 2);
}

TEST_F(CoreConfigTest, MissingFilesGiveDefaultsAndTheFirstAuthListCreatesSaveCfg) {
  InitCoreConfig();
  EXPECT_EQ(GetServerList(kServerListAuth)->GetCount(), 0);
  EXPECT_EQ(GetDataCenter().GetTraderCode(), 0);
  EXPECT_TRUE(GetLoginUserName().empty());

  SetServerAddressList("type=6,addr1=a:1");
  EXPECT_EQ(ReadFileBytes(m_dir.file("docs/save.cfg")), "[hq]\nip1=a:1\nnum=1\n");
}

TEST_F(CoreConfigTest, AuthListHoldsAtMostTenAcrossBothFiles) {
  std::string saved = "[hq]\n", bundle = "[hq]\n";
  for (int i = 1; i <= 8; ++i) {
    saved += "ip" + std::to_string(i) + "=s" + std::to_string(i) + ":1\n";
    bundle += "ip" + std::to_string(i) + "=b" + std::to_string(i) + ":1\n";
  }
  Saved(saved);
  Bundle(bundle);
  InitCoreConfig();
  List got = Addresses(kServerListAuth);
  ASSERT_EQ(got.size(), 10u);
  EXPECT_EQ(got[7], "s8:1");
  EXPECT_EQ(got[9], "b2:1");
}

// "save.cfg" keeps the password, but no log line ever shows it.
TEST_F(CoreConfigTest, PasswordNeverReachesTheLog) {
  std::vector<std::string> lines;
  foundation::setLogLevel(foundation::LogLevel::Verbose);
  foundation::setLogSink(
      [&](foundation::LogLevel, const std::string& line) { lines.push_back(line); });
  Saved("[hq]\nloginname=u1\nloginpwd=pw-4711\nip1=a:1\n");
  InitCoreConfig();
  SetServerAddressList("type=6,addr1=a:1;type=1,addr1=q:1");
  ResetAllCoreState();
  GetServerList(kServerListAuth)->logIPList();
  foundation::setLogSink({});
  foundation::setLogLevel(foundation::LogLevel::Info);

  EXPECT_EQ(GetLoginPassword(), "pw-4711");
  EXPECT_FALSE(lines.empty());
  for (const std::string& line : lines) EXPECT_EQ(line.find("pw-4711"), std::string::npos) << line;
}

// The bundled defaults point at the local test server's ports.
TEST(BundledMainCfg, AgreesWithTheLocalServerPorts) {
  MIniFile ini;
  ASSERT_EQ(ini.Load(VERDAN_SOURCE_DIR "/resources/main.cfg"), 0);
  auto address = [](int port) {
    return std::string(kLocalServerHost) + ":" + std::to_string(port);
  };
  char out[256];
  EXPECT_GE(ini.GetInt("hq", "num", 10), 1);
  EXPECT_EQ(std::string(ini.GetStringLocked("hq", "ip1", "", out, sizeof out)),
            address(kLocalServerPortAuth));
  EXPECT_EQ(std::string(ini.GetStringLocked("trade", "ip1", "", out, sizeof out)),
            address(kLocalServerPortTrade));
  std::string info = ini.GetStringLocked("info", "ip1", "", out, sizeof out);
  EXPECT_EQ(info.substr(0, info.find('|')), address(kLocalServerPortHttp));
  for (const char* key : {"traderCode", "issmscode", "appleId", "defPriceType"}) {
    EXPECT_STRNE(ini.GetStringLocked("trade", key, "", out, sizeof out), "") << key;
  }
  // The news page: the information host on the web role's port.
  EXPECT_EQ(ini.GetInt("info", "news_port", 0), kLocalServerPortHttp);
  for (const char* key : {"F10_ip", "first_path"}) {
    EXPECT_STRNE(ini.GetStringLocked("info", key, "", out, sizeof out), "") << key;
  }
  int ports[] = {kLocalServerPortAuth,  kLocalServerPortQuote,   kLocalServerPortVerify,
                 kLocalServerPortTrade, kLocalServerPortMessage, kLocalServerPortPriceAlert,
                 kLocalServerPortHttp};
  for (size_t i = 0; i < std::size(ports); ++i) {
    for (size_t j = i + 1; j < std::size(ports); ++j) EXPECT_NE(ports[i], ports[j]);
  }
}

}  // namespace
