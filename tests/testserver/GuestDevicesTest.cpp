// Guests on one server: each device keeps a watch list, price-alert settings and rights of its
// own, so that one phone's edits never reach another, and what tests set for "the guest" ("")
// reaches every device.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/CoreState.h"
#include "core/DataRequest.h"
#include "core/DeviceInfo.h"
#include "core/LineStep.h"
#include "core/MDBF.h"
#include "core/PriceAlertRequests.h"
#include "core/QuoteRequests.h"
#include "platform/foundation/Paths.h"
#include "tests/testserver/TestClient.h"
#include "testserver/TestServer.h"

using testserver::Role;

namespace {

// A text field of the reply's first record.
std::string FieldOf(const Reply& r, int id) {
  MDBF t;
  EXPECT_GT(t.Parse(r.body.data(), static_cast<int>(r.body.size())), 0);
  t.Seek(0);
  return t.GetNSString(id);
}

// A guest phone: its quote connection, logged in under its own device identifier.
struct GuestPhone {
  std::string qsid;
  std::string rights;
  std::unique_ptr<TestClient> quote;

  GuestPhone(testserver::TestServer& server, const std::string& device) {
    OverrideDeviceTexts(std::nullopt, device);
    quote = std::make_unique<TestClient>(server.port(Role::Quote));
    Reply r = AskGuestQuoteLogin(*quote);
    EXPECT_TRUE(r.ok && !r.error());
    qsid = FieldOf(r, 58);
    rights = FieldOf(r, 35);
    OverrideDeviceTexts(std::nullopt, std::nullopt);
  }

  // Uploads the list with the stamp; the server's answer: 1 taken, 2 the server's newer list
  // (then `back` holds it).
  int upload(const char* list, int64_t stamp, std::string* back = nullptr) {
    uint8_t buf[4096];
    static uint16_t code = 100;
    const int len = MakeRequest_53(0, ++code, 12, "", 1, list, stamp, buf, sizeof buf);
    Reply r = quote->ask(buf, len);
    EXPECT_TRUE(r.ok);
    CLineStep kv;
    kv.Append(r.body.data(), static_cast<uint32_t>(r.body.size()));
    if (back) {
      char text[4096] = {};
      kv.GetValue(4, text, sizeof text);
      *back = text;
    }
    return kv.GetIntValue(5);
  }
};

class GuestDevices : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<testserver::TestServer>(testserver::ServerOptions::Ephemeral());
    ASSERT_TRUE(server_->start());
  }
  void TearDown() override {
    OverrideDeviceTexts(std::nullopt, std::nullopt);
    SetQSID("");
  }
  std::unique_ptr<testserver::TestServer> server_;
};

const int64_t kStamp = (int64_t{20261207} << 32) | 103000;

TEST_F(GuestDevices, EachDeviceKeepsItsOwnWatchListAndSessionKey) {
  GuestPhone a(*server_, "phone-a");
  GuestPhone b(*server_, "phone-b");
  EXPECT_NE(a.qsid, b.qsid);

  ASSERT_EQ(a.upload("01600000,02000001", kStamp), 1);
  // Phone b's list is older than a's, yet its own: b has none on the server, so it is taken.
  ASSERT_EQ(b.upload("0300700", kStamp - 1), 1);

  // Phone a, started again, finds its own list and session key, not b's.
  GuestPhone a2(*server_, "phone-a");
  EXPECT_EQ(a2.qsid, a.qsid);
  std::string back;
  ASSERT_EQ(a2.upload("01600036", kStamp - 5, &back), 2);
  EXPECT_EQ(back, "01600000,02000001");

  // A client that names no device (tests' own builders) is the guest kept under "".
  TestClient anonymous(server_->port(Role::Quote));
  uint8_t buf[4096];
  const int len = MakeRequest_53(0, 9, 12, "", 1, "02000002", kStamp - 9, buf, sizeof buf);
  Reply r = anonymous.ask(buf, len);
  CLineStep kv;
  kv.Append(r.body.data(), static_cast<uint32_t>(r.body.size()));
  EXPECT_EQ(kv.GetIntValue(5), 1);
}

TEST_F(GuestDevices, WhatTestsSetForTheGuestReachesEveryDeviceBeforeAndAfterItsLogin) {
  GuestPhone before(*server_, "phone-early");
  server_->setRights("", "31");
  GuestPhone again(*server_, "phone-early");
  GuestPhone later(*server_, "phone-late");
  EXPECT_EQ(again.rights, "31");
  EXPECT_EQ(later.rights, "31");
  // A named user's rights are not the guests'.
  TestClient quote(server_->port(Role::Quote));
  uint8_t buf[2048];
  const int len = MakeRequest_HQLogin(0, 3, 1, "zhao", "pw", buf, sizeof buf);
  EXPECT_NE(FieldOf(quote.ask(buf, len), 35), "31");
}

TEST_F(GuestDevices, PriceAlertSettingsOfAGuestFollowItsSessionKey) {
  GuestPhone a(*server_, "phone-a");
  GuestPhone b(*server_, "phone-b");
  CDataRequest* rq = GlobalDataRequest();
  auto settingsOf = [&](const std::string& qsid) {
    SetQSID(qsid.c_str());
    QueueCapture capture;
    MakeRequest_PriceNotificationSettingList(rq, 0, 7, 52);
    TestClient alerts(server_->port(Role::PriceAlert));
    std::vector<std::string> codes;
    for (const auto& p : capture.take(SendQueueKind::PriceNotification)) {
      Reply r = alerts.ask(p.data(), static_cast<int>(p.size()));
      MDBF t;
      if (r.body.empty() || t.Parse(r.body.data(), static_cast<int>(r.body.size())) <= 0) continue;
      for (int i = 0; i < t.GetRecordNum(); ++i) {
        t.Seek(i);
        codes.push_back(t.GetNSString(8));
      }
    }
    return codes;
  };
  SetQSID(a.qsid.c_str());
  {
    QueueCapture capture;
    MakeRequest_PriceNotificationUploadSetting(rq, 0, 5, 2, "300750", "", 1, 3, 1000000, 0, 10000,
                                               52);
    TestClient alerts(server_->port(Role::PriceAlert));
    for (const auto& p : capture.take(SendQueueKind::PriceNotification))
      EXPECT_TRUE(alerts.ask(p.data(), static_cast<int>(p.size())).ok);
  }
  std::vector<std::string> ofA = settingsOf(a.qsid), ofB = settingsOf(b.qsid);
  EXPECT_NE(std::find(ofA.begin(), ofA.end(), "300750"), ofA.end());
  EXPECT_EQ(std::find(ofB.begin(), ofB.end(), "300750"), ofB.end());
  EXPECT_FALSE(ofB.empty());  // b starts with a new user's settings
}

}  // namespace

TEST(DeviceIdentity, EachDocumentsFolderIsADeviceOfItsOwnAndKeepsItsIdentity) {
  const std::string saved = foundation::documentsDir();
  const std::string base = ::testing::TempDir() + "device-identity";
  foundation::setDocumentsDir(base + "/one");
  const std::string one = GetDeviceIdentifier();
  foundation::setDocumentsDir(base + "/two");
  const std::string two = GetDeviceIdentifier();
  foundation::setDocumentsDir(base + "/one");
  EXPECT_EQ(GetDeviceIdentifier(), one);
  EXPECT_NE(one, two);
  EXPECT_EQ(one.size(), 32u);
  foundation::setDocumentsDir(saved);
}
