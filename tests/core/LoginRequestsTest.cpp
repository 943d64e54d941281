// The login and account family: every builder's header, cipher and fields in wire order, the
// masked log lines and the refusal of a body that does not fit.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/CDataCenter.h"
#include "core/ClientVersion.h"
#include "core/CoreState.h"
#include "core/DataEncrypt.h"
#include "core/DeviceInfo.h"
#include "core/LoginRequests.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/core/RequestTestSupport.h"
#include "tests/platform/foundation/TestDir.h"

using namespace reqtest;

namespace {

const char kIdentifier[] = "0cc175b9c0f1b6a831c399e269772661";

class LoginRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLoginInfo("alice", "secret");
    SetQSID("QSID00001");
    SetDeviceString("DEV-71");
    SetDeviceToken("TOKEN-67", 0);
    GetDataCenter().SetYYB(7001, "broker");
    GetDataCenter().SetYYB2(300, "branch");
    OverrideDeviceTexts(std::string("Model Linux 6.1"), std::string(kIdentifier));
  }
  void TearDown() override { OverrideDeviceTexts(std::nullopt, std::nullopt); }

  static std::vector<WireField> Identity() {
    return {Text(20, kClientVersionText), Int(42, 262144), Text(21, "Model Linux 6.1")};
  }
  static std::vector<WireField> Join(std::vector<WireField> a, std::vector<WireField> b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};

struct LoginCase {
  const char* name;
  std::function<int(uint8_t*, int)> build;  // code 5, page 2
  uint8_t child;
  int cipher;
  std::vector<WireField> fields;
};

TEST_F(LoginRequests, EachBuilderSendsItsFieldsInOrder) {
  const std::vector<WireField> login = {Text(33, "alice"), Text(23, "secret"), Int(50, -1),
                                        Int(51, 7001), Int(68, 300)};
  const LoginCase cases[] = {
      {"RZLogin",
       [](uint8_t* b, int n) { return MakeRequest_RZLogin(0, 5, 2, "alice", "secret", b, n, 0); },
       5, 1, Join(Join(Identity(), login), {Text(47, kIdentifier), Text(67, "TOKEN-67")})},
      {"RZLogin flag",
       [](uint8_t* b, int n) { return MakeRequest_RZLogin(0, 5, 2, "alice", "secret", b, n, 1); },
       6, 1, Join(Join(Identity(), login), {Text(47, kIdentifier), Text(67, "TOKEN-67")})},
      {"HQLogin",
       [](uint8_t* b, int n) { return MakeRequest_HQLogin(0, 5, 2, "alice", "secret", b, n); }, 7,
       1, Join(Join(Identity(), login), {Text(71, "DEV-71"), Text(47, kIdentifier)})},
      {"MsgLogin",
       [](uint8_t* b, int n) { return MakeRequest_MsgLogin(0, 5, 2, "alice", "secret", b, n); }, 10,
       1,
       Join(Join(Identity(), login),
            {Text(71, "DEV-71"), Text(47, kIdentifier), Text(67, "TOKEN-67")})},
      {"Register", [](uint8_t* b, int n) { return MakeRequest_Register(0, 5, 2, "bob", b, n); }, 1,
       1, Join(Identity(), {Text(33, "bob")})},
      {"GetPwd", [](uint8_t* b, int n) { return MakeRequest_GetPwd(0, 5, 2, "bob", b, n); }, 2, 1,
       Join(Identity(), {Text(33, "bob")})},
      {"LogoutYYB",
       [](uint8_t* b, int n) { return MakeRequest_LogoutYYB(0, 5, 2, "alice", 7001, 300, b, n); },
       13,
       1,
       {Int(59, 4), Int(60, 0), Text(33, "alice"), Int(51, 7001), Int(68, 300)}},
      {"41",
       [](uint8_t* b, int n) { return MakeRequest_41(0, 5, 2, 7001, b, n); },
       41,
       0,
       {Int(22, 7001)}},
      {"42",
       [](uint8_t* b, int n) { return MakeRequest_42(0, 5, 2, 7001, 300, b, n, "\x1C\x1D"); },
       42,
       0,
       {Int(22, 7001), Int(25, 300), Text(0, "\x1C\x1D")}},
      {"GetCode",
       [](uint8_t* b, int n) { return MakeRequest_GetCode(0, 5, 2, "13800138000", b, n); },
       43,
       0,
       {Int(20, 51), Text(21, "13800138000")}},
      {"PwdLogin",
       [](uint8_t* b, int n) {
         return MakeRequest_PwdLogin(0, 5, 2, "13800138000", "864209", b, n);
       },
       44,
       0,
       {Int(20, 51), Text(21, "13800138000"), Text(22, "864209")}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> buffer(2048, 0);
    int length = c.build(buffer.data(), 2048);
    ASSERT_GT(length, 16);
    buffer.resize(static_cast<size_t>(length));
    ExpectHeader(buffer, 144, c.child, 2, 0, 5, c.cipher);
    EXPECT_EQ(ReadHeader(buffer).packageNum, 1);
    EXPECT_EQ(ReadOneRecord(OpenBody(buffer, kRequestKey1)), c.fields);
  }
}

TEST_F(LoginRequests, HeaderOnlyBrokerListAndCutCopies) {
  uint8_t buffer[64];
  std::memset(buffer, 0xEE, sizeof(buffer));
  ASSERT_EQ(MakeRequest_TraderList(0, 9, 40, buffer, sizeof(buffer)), 16);
  std::vector<uint8_t> packet(buffer, buffer + 16);
  ExpectHeader(packet, 144, 40, 40, 0, 9, 0);
  EXPECT_EQ(ReadHeader(packet).checksum, 0);

  // The enciphered builders take a 16-bit session value and sign-extend it.
  std::vector<uint8_t> login(2048, 0);
  int length = MakeRequest_Register(-2, 5, 2, "bob", login.data(), 2048);
  login.resize(static_cast<size_t>(length));
  ExpectHeader(login, 144, 1, 2, 0xFFFFFE, 5, 1);

  // A caller buffer shorter than the packet receives its size.
  uint8_t small[20];
  EXPECT_EQ(MakeRequest_GetCode(0, 5, 2, "13800138000", small, sizeof(small)), 20);
}

TEST_F(LoginRequests, LongTextsStillFitAndNonAsciiIdentifierIsLeftOut) {
  std::string name(50, 'n'), password(50, 'p');
  std::vector<uint8_t> buffer(2048, 0);
  int length = MakeRequest_RZLogin(0, 5, 2, name.c_str(), password.c_str(), buffer.data(), 2048, 0);
  ASSERT_GT(length, 16);
  buffer.resize(static_cast<size_t>(length));
  auto fields = ReadOneRecord(OpenBody(buffer, kRequestKey1));
  ASSERT_EQ(fields.size(), 10u);
  EXPECT_EQ(fields[3], Text(33, name));
  EXPECT_EQ(fields[4], Text(23, password));
  if (ReadHeader(buffer).compression() == 0) {
    EXPECT_EQ((length - 16) % 8, 0);
  }

  OverrideDeviceTexts(std::string("Model Linux 6.1"), std::string("id\xC3\xA9"));
  buffer.assign(2048, 0);
  length = MakeRequest_RZLogin(0, 5, 2, "alice", "secret", buffer.data(), 2048, 0);
  buffer.resize(static_cast<size_t>(length));
  fields = ReadOneRecord(OpenBody(buffer, kRequestKey1));
  for (const auto& f : fields) EXPECT_NE(f.id, 47);
  EXPECT_EQ(fields.size(), 9u);
}

TEST_F(LoginRequests, BodiesThatDoNotFitAreRefused) {
  std::string huge(1200, 'x');
  std::vector<uint8_t> buffer(2048, 0);
  EXPECT_EQ(MakeRequest_Register(0, 5, 2, huge.c_str(), buffer.data(), 2048), -2);
  EXPECT_EQ(MakeRequest_41(0, 5, 2, 7001, buffer.data(), 2048), 16 + 7 + 4 + 2);
  std::string wanted(1100, 'w');
  EXPECT_EQ(MakeRequest_42(0, 5, 2, 1, 2, buffer.data(), 2048, wanted.c_str()), -2);
  // The logins have 2032 bytes: a 1200-byte user name fits, 2100 does not.
  EXPECT_GT(MakeRequest_HQLogin(0, 5, 2, huge.c_str(), "pw", buffer.data(), 2048), 16);
  std::string larger(2100, 'y');
  EXPECT_EQ(MakeRequest_HQLogin(0, 5, 2, larger.c_str(), "pw", buffer.data(), 2048), -2);
}

TEST_F(LoginRequests, LogsNeverCarryPasswordsOrSmsCodes) {
  std::vector<std::string> lines;
  foundation::setLogSink(
      [&](foundation::LogLevel, const std::string& line) { lines.push_back(line); });
  std::vector<uint8_t> buffer(2048, 0);
  MakeRequest_RZLogin(0, 5, 2, "alice", "secret", buffer.data(), 2048, 0);
  MakeRequest_HQLogin(0, 5, 2, "alice", "secret", buffer.data(), 2048);
  MakeRequest_MsgLogin(0, 5, 2, "alice", "secret", buffer.data(), 2048);
  MakeRequest_PwdLogin(0, 5, 2, "13800138000", "864209", buffer.data(), 2048);
  foundation::setLogSink(nullptr);
  ASSERT_FALSE(lines.empty());
  bool sawLogin = false;
  for (const auto& line : lines) {
    EXPECT_EQ(line.find("secret"), std::string::npos) << line;
    EXPECT_EQ(line.find("864209"), std::string::npos) << line;
    if (line.find("MakeRequest_RZLogin: UserName:alice Password:******") != std::string::npos) {
      sawLogin = true;
    }
  }
  EXPECT_TRUE(sawLogin);
  EXPECT_EQ(MaskSecret(nullptr), "");
  EXPECT_EQ(MaskSecret(""), "");
}

TEST(NewTimeKey, StoresThePhoneLoginStateAndIgnoresNull) {
  testing_support::TempDir dir;
  const std::string oldDocuments = foundation::documentsDir();
  foundation::setDocumentsDir(dir.path());
  foundation::UserDefaults::resetStandard();

  SetNewTimeKey(foundation::Dictionary{{"phoneNum", "13800138000"}, {"isSeccuss", "NO"}});
  SetNewTimeKey(foundation::Value());
  foundation::UserDefaults::resetStandard();  // what a restart reads back
  foundation::Value stored = GetNewTimeKey();
  ASSERT_TRUE(stored.isDictionary());
  EXPECT_EQ(stored.asDictionary().get("phoneNum").asString(), "13800138000");
  EXPECT_EQ(stored.asDictionary().get("isSeccuss").asString(), "NO");
  SetNewTimeKey(foundation::Dictionary{{"phoneNum", "13800138000"}, {"isSeccuss", "YES"}});
  EXPECT_EQ(GetNewTimeKey().asDictionary().get("isSeccuss").asString(), "YES");

  foundation::setDocumentsDir(oldDocuments);
  foundation::UserDefaults::resetStandard();
}

}  // namespace
