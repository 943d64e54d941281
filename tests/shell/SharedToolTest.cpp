#include <cstdlib>
#include <regex>
#include <string>

#include "ShellTestSupport.h"
#include "core/AppHooks.h"
#include "core/DeviceInfo.h"
#include "core/SelfStock.h"
#include "platform/foundation/Dates.h"
#include "platform/net/Device.h"
#include "shell/SharedTool.h"

namespace {

using shelltest::ShellTest;

class SharedToolTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    // A login in an earlier test leaves the server's clock offset behind: start level with it.
    const foundation::Date now = foundation::currentDate();
    SetServerTimeOffset(foundation::localTimeNumber(now), foundation::localDateNumber(now));
  }
  void TearDown() override {
    if (savedTz_) {
      ::setenv("TZ", savedTz_->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    foundation::resetTimeZone();
    ShellTest::TearDown();
  }
  void setTimeZone(const char* tz) {
    if (!savedTz_) {
      const char* old = std::getenv("TZ");
      savedTz_ = old ? std::string(old) : std::string();
    }
    ::setenv("TZ", tz, 1);
    foundation::resetTimeZone();
  }

 private:
  std::optional<std::string> savedTz_;
};

TEST_F(SharedToolTest, PriceColoursAndArrowsFollowTheSignOfTheChange) {
  struct Case {
    int change;
    uint32_t argb;
    const char* image;
  } cases[] = {{1, 0xFFB8061A, "red-up.png"},
               {250000, 0xFFB8061A, "red-up.png"},
               {-1, 0xFF7B9F58, "green-down.png"},
               {0, 0xFFFFFFFF, "stop.png"}};
  for (const Case& c : cases) {
    EXPECT_EQ(SharedTool::CheckPriceColor(c.change).argb32(), c.argb) << c.change;
    EXPECT_EQ(SharedTool::CheckPriceUpDownName(c.change), c.image);
    EXPECT_FALSE(SharedTool::CheckPriceUpDown(c.change).isEmpty()) << c.image;
  }
}

TEST_F(SharedToolTest, TimeTextsHaveNoLeadingZeros) {
  EXPECT_EQ(SharedTool::GetTimeString(93005), "9:30:5");
  EXPECT_EQ(SharedTool::GetTimeString(150000), "15:0:0");
  EXPECT_EQ(SharedTool::GetTimeString(0), "0:0:0");
  EXPECT_EQ(SharedTool::GetDateString(20150102), "2015-1-2");
  EXPECT_EQ(SharedTool::GetDateString(19991231), "1999-12-31");
}

TEST_F(SharedToolTest, TodayIsTheLocalCalendarDateNotTheUtcOne) {
  // Pick a zone whose date differs from the UTC date right now (as Beijing's does between
  // midnight and 8 a.m.), so a comparison in UTC would mark the wrong day.
  const foundation::DateComponents utc = foundation::utcComponents(foundation::currentDate());
  setTimeZone(utc.hour < 12 ? "XXX+12" : "XXX-13");
  const foundation::Date now = foundation::currentDate();
  const int localToday = foundation::localDateNumber(now);
  const int utcToday = utc.year * 10000 + utc.month * 100 + utc.day;
  ASSERT_NE(localToday, utcToday);

  const std::string marked = SharedTool::GetDateString(localToday);
  EXPECT_EQ(marked.substr(marked.size() - std::string(" (今)").size()), " (今)");
  EXPECT_EQ(SharedTool::GetDateString(utcToday).find("今"), std::string::npos);

  // The mark follows the local clock across midnight.
  setTimeZone("CST-8");
  const foundation::DateComponents local = foundation::localComponents(now);
  const int beijingToday = local.year * 10000 + local.month * 100 + local.day;
  EXPECT_NE(SharedTool::GetDateString(beijingToday).find(" (今)"), std::string::npos);
}

TEST_F(SharedToolTest, TodayIsTheMarketsDayOnceTheServerHasSaidItsTime) {
  setTimeZone("CST-8");
  const foundation::Date now = foundation::currentDate();
  const int deviceToday = foundation::localDateNumber(now);
  // A server a day and a half ahead of this device: its day is marked, the device's is not.
  const foundation::Date ahead{now.secondsSince1970 + 36 * 3600};
  SetServerTimeOffset(foundation::localTimeNumber(ahead), foundation::localDateNumber(ahead));
  const int marketToday = foundation::localDateNumber(ahead);
  EXPECT_NE(SharedTool::GetDateString(marketToday).find(" (今)"), std::string::npos);
  EXPECT_EQ(SharedTool::GetDateString(deviceToday).find("今"), std::string::npos);
  SetServerTimeOffset(foundation::localTimeNumber(now), deviceToday);
}

TEST_F(SharedToolTest, PhoneSmsAndMailLinksReachTheUrlOpener) {
  auto& app = ui::Application::shared();
  ASSERT_TRUE(SharedTool::isIPhone());
  SharedTool::makeCall("(021) 6888 8888");
  SharedTool::sendSms("138 0000 0000");
  SharedTool::sendEmail("adviser@example.com");
  SharedTool::sendEmail("a@example.com", "b@example.com", "行情 提醒", "x&y=1");
  ASSERT_EQ(app.openedURLs().size(), 4u);
  EXPECT_EQ(app.openedURLs()[0], "tel:02168888888");
  EXPECT_EQ(app.openedURLs()[1], "sms:13800000000");
  EXPECT_EQ(app.openedURLs()[2], "mailto:adviser@example.com");
  EXPECT_EQ(app.openedURLs()[3],
            "mailto:a@example.com?cc=b@example.com&subject=%E8%A1%8C%E6%83%85%20%E6%8F%90%E9%86%92"
            "&body=x%26y%3D1");
  EXPECT_EQ(SharedTool::cleanPhoneNumber(" (0755) 1 "), "07551");
}

TEST_F(SharedToolTest, AlertGoesToTheApplicationWithAnOkButton) {
  struct Recorder : AppHooks {
    std::vector<CoreAlert> alerts;
    void showAlert(const CoreAlert& alert) override { alerts.push_back(alert); }
  };
  auto recorder = std::make_shared<Recorder>();
  SetAppHooks(recorder);
  SharedTool::alert("iPod不支持电话");
  drain();
  SetAppHooks(nullptr);
  ASSERT_EQ(recorder->alerts.size(), 1u);
  EXPECT_EQ(recorder->alerts[0].title, "iPod不支持电话");
  EXPECT_EQ(recorder->alerts[0].message, "");
  EXPECT_EQ(recorder->alerts[0].buttons, std::vector<std::string>{"OK"});
}

TEST_F(SharedToolTest, DeviceIdentifierComesFromThePrimaryInterfaceAndStaysTheSame) {
  const auto chosen = net::choosePrimaryInterface(net::listNetworkInterfaces());
  const std::string mac = SharedTool::macAddress();
  if (chosen) {
    EXPECT_FALSE(chosen->loopback);
    EXPECT_TRUE(std::regex_match(mac, std::regex("([0-9A-F]{2}:){5}[0-9A-F]{2}"))) << mac;
  } else {
    EXPECT_EQ(mac, "");
  }
  EXPECT_EQ(SharedTool::uniqueGlobalDeviceIdentifier(), SharedTool::MD5ByAStr(mac));
  EXPECT_EQ(SharedTool::uniqueDeviceIdentifier(),
            SharedTool::MD5ByAStr(mac + std::string(kBundleIdentifier)));
  // The logins send the core's digest, and it does not change between calls.
  EXPECT_EQ(SharedTool::myIdentifier(), GetDeviceIdentifier());
  EXPECT_EQ(SharedTool::myIdentifier(), SharedTool::myIdentifier());
  EXPECT_TRUE(std::regex_match(SharedTool::myIdentifier(), std::regex("[0-9a-f]{32}")));
  if (!SharedTool::hostName().empty()) {
    EXPECT_EQ(SharedTool::hostName().substr(SharedTool::hostName().size() - 6), ".local");
  }
}

TEST_F(SharedToolTest, UuidIsMadeOnceAndSurvivesARestart) {
  EXPECT_EQ(SharedTool::getUDID(), "");
  const std::string first = SharedTool::uuid();
  EXPECT_TRUE(std::regex_match(
      first, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
      << first;
  EXPECT_EQ(foundation::UserDefaults::standard().string("KOSTRAVINQQBUDID"), first);
  foundation::UserDefaults::resetStandard();
  EXPECT_EQ(SharedTool::uuid(), first);
  EXPECT_EQ(SharedTool::IDFA_identifierForIdentifier(), first);
  SharedTool::setUDID("fixed");
  EXPECT_EQ(SharedTool::uuid(), "fixed");
}

TEST(SharedResourceTest, OneGradientUntilCleared) {
  auto first = SharedResource::sharedObject();
  EXPECT_EQ(SharedResource::sharedObject(), first);
  const gfx::Gradient& gradient = first->getTouchGradient();
  ASSERT_EQ(gradient.stops.size(), 2u);
  EXPECT_EQ(gradient.stops[0].color.argb32(), 0xFF38BBFFu);
  EXPECT_NEAR(gradient.stops[1].color.a(), 0.2, 1e-9);
  SharedResource::clear();
  EXPECT_NE(SharedResource::sharedObject(), first);
}

TEST(XMLReaderTest, ElementsBecomeDictionariesAndRepeatedNamesAnArray) {
  std::string error;
  foundation::Value root = XMLReader::dictionaryForXMLString(
      "<mail id=\"7\"><to>a</to><to>b</to><body>\n 你好 </body><empty/></mail>", &error);
  ASSERT_TRUE(root.isDictionary()) << error;
  const foundation::Value& mail = root["mail"];
  EXPECT_EQ(mail["id"].asString(), "7");
  ASSERT_TRUE(mail["to"].isArray());
  ASSERT_EQ(mail["to"].size(), 2u);
  EXPECT_EQ(mail["to"].at(1)["Content"].asString(), "b");
  EXPECT_EQ(mail["body"]["Content"].asString(), "\n 你好 ");
  EXPECT_TRUE(mail["empty"].isDictionary());
  EXPECT_FALSE(mail["empty"].asDictionary().contains("Content"));

  EXPECT_TRUE(XMLReader::dictionaryForXMLString("<a><b></a>", &error).isNull());
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(XMLReader::dictionaryForXMLString("not xml").isNull());
  EXPECT_TRUE(XMLReader::dictionaryForXMLData({}).isNull());
}

TEST(XMLReaderTest, ReferencesResolvedOnceAndCdataTakenAsWritten) {
  foundation::Value root = XMLReader::dictionaryForXMLString(
      "<data k=\"a&amp;&quot;b\"><content>R&amp;D &lt;b&gt;&#20179;&#x4F4D;&lt;/b&gt; &amp;lt; "
      "&apos;x&apos;<![CDATA[&amp;<i>]]></content></data>");
  const foundation::Value& data = root["data"];
  EXPECT_EQ(data["k"].asString(), "a&\"b");
  EXPECT_EQ(data["content"]["Content"].asString(), "R&D <b>仓位</b> &lt; 'x'&amp;<i>");
}

}  // namespace
