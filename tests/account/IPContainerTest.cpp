#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "account/IPConnectTest.h"
#include "account/IPContainer.h"
#include "account/IPModule.h"
#include "account/ObjectArchive.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/PropertyList.h"
#include "tests/account/AccountTestSupport.h"

namespace {

using Texts = std::vector<std::string>;

Texts Servers(const IPContainer::List& list) {
  Texts out;
  for (const auto& m : list) out.push_back(m->ipAddress() + ":" + m->ipPort());
  return out;
}

std::shared_ptr<IPModule> Module(const std::string& address, int32_t duration, int32_t permission) {
  auto m = std::make_shared<IPModule>();
  m->resetWithArray({address, "80", "n", std::to_string(permission)});
  m->setTimeConnectDurationTest(duration);
  return m;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class IPContainerTest : public ::testing::Test {
 protected:
  TempDocuments docs_;
};

TEST_F(IPContainerTest, AddressTextsTakeTheirDefaultsOrAreRefused) {
  auto test = IPConnectTest::create();
  test->initIPs();
  test->addIPFromString("10.0.0.1:8001", kIPTypeQuote);           // no name
  test->addIPFromString("quote.example|上海一|1", kIPTypeQuote);  // no port
  test->addIPFromString("10.0.0.3:8003|深圳|2", kIPTypeQuote);    // everything
  test->addIPFromString("10.0.0.4:8004|noPermission", kIPTypeQuote);
  test->addIPFromString("10.0.0.5", kIPTypeQuote);
  test->addIPFromString(":8006|noAddress|1", kIPTypeQuote);
  test->addIPFromString(nullptr, kIPTypeQuote);
  test->addIPFromString("10.0.0.7:8007", 5);
  test->addIPFromString("10.0.0.8:8008", 0);

  std::vector<IPModule> stored = test->storedIPs(kIPTypeQuote);
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[0].ipAddress(), "10.0.0.1");
  EXPECT_EQ(stored[0].ipPort(), "8001");
  EXPECT_EQ(stored[0].ipName(), "没有名字");
  EXPECT_EQ(stored[0].accPermissions(), 1);
  EXPECT_EQ(stored[1].ipAddress(), "quote.example");
  EXPECT_EQ(stored[1].ipPort(), "80");
  EXPECT_EQ(stored[1].ipName(), "上海一");
  EXPECT_EQ(stored[1].accPermissions(), 1);
  EXPECT_EQ(stored[2].ipName(), "深圳");
  EXPECT_EQ(stored[2].accPermissions(), 2);
  for (const IPModule& m : stored) {
    EXPECT_EQ(m.timeConnectDurationTest(), kIPDurationUntested);
    EXPECT_FALSE(m.lastTestDate());
  }
  // Every new server is also queued for the next pass.
  EXPECT_EQ(test->getQueuedIPCountWithType(kIPTypeQuote), 3);
  for (int type : {0, 2, 3, 4, 5}) EXPECT_EQ(test->getIPCountWithType(type), 0) << type;

  EXPECT_EQ(IPConnectTest::internalIPText("h|n|0", true), "h:80:n:0");
  EXPECT_EQ(IPConnectTest::internalIPText("h:1|n|0", true), "h:1:n:0");
  EXPECT_EQ(IPConnectTest::internalIPText("h:1", false), "h:1:没有名字:1");
}

TEST_F(IPContainerTest, SameServerTwiceKeepsOneEntryWithTheNewerNameAndPermission) {
  IPContainer c;
  auto first = c.addIPFromString("10.0.0.1:80:old:1", kIPTypeTrade);
  first->setTimeConnectDurationTest(25);
  auto second = c.addIPFromString("10.0.0.1:80:new:0", kIPTypeTrade);
  EXPECT_EQ(first, second);
  ASSERT_EQ(c.ipCountWithType(kIPTypeTrade), 1);
  EXPECT_EQ(second->ipName(), "new");
  EXPECT_EQ(second->accPermissions(), 0);
  EXPECT_EQ(second->timeConnectDurationTest(), 25);  // the result stays with the server

  // Another port or another list is another server.
  c.addIPFromString("10.0.0.1:81:other:0", kIPTypeTrade);
  c.addIPFromString("10.0.0.1:80:other:0", kIPTypeInfo);
  EXPECT_EQ(c.ipCountWithType(kIPTypeTrade), 2);
  EXPECT_EQ(c.ipCountWithType(kIPTypeInfo), 1);

  // A module copied in brings its result along.
  IPModule tested;
  tested.resetWithArray({"10.0.0.1", "80", "copied", "3"});
  tested.setTimeConnectDurationTest(7);
  tested.updateLastTestDate(foundation::Date{1700000000});
  c.addIPModule(&tested, kIPTypeTrade);
  EXPECT_EQ(c.ipCountWithType(kIPTypeTrade), 2);
  EXPECT_EQ(first->ipName(), "copied");
  EXPECT_EQ(first->accPermissions(), 3);
  EXPECT_EQ(first->timeConnectDurationTest(), 7);
  EXPECT_EQ(first->lastTestDate()->secondsSince1970, 1700000000);
  EXPECT_EQ(c.addIPModule(nullptr, kIPTypeTrade), nullptr);

  EXPECT_EQ(c.removeTestIP(5, kIPTypeTrade), 2);
  EXPECT_EQ(c.removeTestIP(-1, kIPTypeTrade), 2);
  EXPECT_EQ(c.removeTestIP(0, kIPTypeTrade), 1);
  EXPECT_EQ(c.removeTestIP(0, 9), 0);
  EXPECT_EQ(c.ipCountWithType(9), 0);
  EXPECT_EQ(c.getIPContainer(0), nullptr);
}

TEST_F(IPContainerTest, WhetherIPHavingAnswersMissingPartsUnknownOrTheIndex) {
  IPContainer c;
  c.addIPFromString("a:1:x:0", kIPTypeQuote);
  c.addIPFromString("b:2:y:0", kIPTypeQuote);
  const IPContainer::List* list = c.getIPContainer(kIPTypeQuote);
  Texts four{"b", "2", "other", "1"};
  Texts three{"b", "2", "other"};
  Texts otherPort{"b", "3", "y", "0"};
  EXPECT_EQ(IPContainer::whetherIPHavingInContainer(nullptr, list), -2);
  EXPECT_EQ(IPContainer::whetherIPHavingInContainer(&three, list), -2);
  EXPECT_EQ(IPContainer::whetherIPHavingInContainer(&four, nullptr), -1);
  EXPECT_EQ(IPContainer::whetherIPHavingInContainer(&otherPort, list), -1);
  EXPECT_EQ(IPContainer::whetherIPHavingInContainer(&four, list), 1);
}

TEST_F(IPContainerTest, FastestIPIsNullOutsideTheListAndTheTypes) {
  auto test = IPConnectTest::create();
  EXPECT_FALSE(test->getFastestIP(kIPTypeQuote, 0));  // before initIPs
  test->initIPs();
  test->addIPFromString("10.0.0.1:8001|a|0", kIPTypeQuote);
  test->addIPFromString("10.0.0.2:8002|b|0", kIPTypeQuote);
  EXPECT_EQ(test->getFastestIP(kIPTypeQuote, 1).value_or("null"), "10.0.0.2:8002");
  EXPECT_FALSE(test->getFastestIP(kIPTypeQuote, -1));
  EXPECT_FALSE(test->getFastestIP(kIPTypeQuote, 2));
  EXPECT_FALSE(test->getFastestIP(0, 0));
  EXPECT_FALSE(test->getFastestIP(5, 0));
  EXPECT_FALSE(test->getFastestUsingIP(kIPTypeQuote, 0));
}

TEST_F(IPContainerTest, SortPutsPermissionFirstThenMeasuredUntestedTimedOutFailed) {
  IPContainer c;
  c.setIPContainer(
      kIPTypeQuote,
      {Module("failed", kIPDurationFailed, 0), Module("untested", kIPDurationUntested, 0),
       Module("slow", 900, 0), Module("permFailed", kIPDurationFailed, 1),
       Module("timedOut", kIPDurationTimedOut, 0), Module("fastA", 15, 0),
       Module("permSlow", 500, 2), Module("fastB", 15, 0), Module("permFast", 20, 1)});
  c.sortIPWithType(kIPTypeQuote);
  EXPECT_EQ(Servers(*c.getIPContainer(kIPTypeQuote)),
            (Texts{"permFast:80", "permSlow:80", "permFailed:80", "fastA:80", "fastB:80", "slow:80",
                   "untested:80", "timedOut:80", "failed:80"}));
  c.sortIPWithType(7);  // nothing to sort
}

TEST_F(IPContainerTest, DurationIsTheDifferenceKeptBelowTheFailedValue) {
  IPModule m;
  EXPECT_EQ(m.timeConnectDurationTest(), kIPDurationUntested);
  m.setTimeConnectBegin(1'000'000);
  m.setTimeReceive(1'000'042);
  m.updateConnectDurationTest();
  EXPECT_EQ(m.timeConnectDurationTest(), 42);
  m.setTimeReceive(1'000'000 + int64_t{kIPDurationFailed} + 5);
  m.updateConnectDurationTest();
  EXPECT_EQ(m.timeConnectDurationTest(), 5);
  m.setTimeReceive(1'000'000 - 3);
  m.updateConnectDurationTest();
  EXPECT_EQ(m.timeConnectDurationTest(), -3);

  EXPECT_FALSE(m.resetWithArray({"a", "1", "n"}));
  EXPECT_EQ(IPTextToInt(" 12x"), 12);
  EXPECT_EQ(IPTextToInt("-7"), -7);
  EXPECT_EQ(IPTextToInt("x"), 0);
  EXPECT_EQ(IPTextToInt("99999999999"), INT32_MAX);
}

TEST_F(IPContainerTest, FreshResultsAreNotQueuedAgain) {
  RealClockAfterTest restore;
  foundation::Clock::setManual();
  double now = foundation::currentDate().secondsSince1970;
  {
    IPContainer seed;
    seed.addIPFromString("10.0.0.1:1:never:0", kIPTypeQuote);
    seed.addIPFromString("10.0.0.2:2:recent:0", kIPTypeQuote)
        ->updateLastTestDate(foundation::Date{now - 299});
    seed.addIPFromString("10.0.0.3:3:old:0", kIPTypeQuote)
        ->updateLastTestDate(foundation::Date{now - 300});
    seed.addIPFromString("10.0.0.4:4:future:0", kIPTypeQuote)
        ->updateLastTestDate(foundation::Date{now + 400});
    Texts recent{"10.0.0.2", "2", "recent", "5"};
    EXPECT_EQ(seed.findIPsWithType(kIPTypeQuote, 300, recent), 1);
    EXPECT_EQ(seed.getIPContainer(kIPTypeQuote)->at(1)->accPermissions(), 5);
    EXPECT_EQ(seed.findIPsWithType(kIPTypeQuote, 300, Texts{"10.0.0.3", "3", "old", "0"}), -1);
    // The archive keeps dates to the millisecond: keep the stored ones clear of the boundary.
    seed.getIPContainer(kIPTypeQuote)->at(2)->updateLastTestDate(foundation::Date{now - 301});
    EXPECT_EQ(seed.findIPsWithType(kIPTypeQuote, 300, Texts{"10.0.0.9", "9", "new", "0"}), -1);
    EXPECT_EQ(seed.findIPsWithType(kIPTypeSecondQuote, 300, recent), -1);
    ASSERT_TRUE(seed.encodeToFile());
  }

  auto test = IPConnectTest::create();
  test->initIPs();
  ASSERT_EQ(test->getIPCountWithType(kIPTypeQuote), 4);
  test->addIPFromString("10.0.0.1:1|never|0", kIPTypeQuote);
  test->addIPFromString("10.0.0.2:2|recent|1", kIPTypeQuote);
  test->addIPFromString("10.0.0.3:3|old|0", kIPTypeQuote);
  test->addIPFromString("10.0.0.4:4|future|0", kIPTypeQuote);
  test->addIPFromString("10.0.0.5:5|unknown|0", kIPTypeQuote);
  EXPECT_EQ(test->getQueuedIPCountWithType(kIPTypeQuote), 3);  // old, future, unknown
  std::vector<IPModule> stored = test->storedIPs(kIPTypeQuote);
  ASSERT_EQ(stored.size(), 5u);
  EXPECT_EQ(stored[1].accPermissions(), 1);  // a fresh entry still takes the new permission

  // Time passes: the recent one is now due as well.
  foundation::Clock::advance(1.5);
  test->addIPFromString("10.0.0.2:2|recent|1", kIPTypeQuote);
  EXPECT_EQ(test->getQueuedIPCountWithType(kIPTypeQuote), 4);
}

TEST_F(IPContainerTest, ArchiveKeepsListsOneAndTwoWithTheirResults) {
  IPContainer c;
  auto hq = c.addIPFromString("10.0.0.1:8001:上海:1", kIPTypeQuote);
  hq->setTimeConnectDurationTest(37);
  hq->setTimeLastConnectTest(4);
  hq->updateLastTestDate(foundation::Date{1765000000});
  c.addIPFromString("10.0.0.2:8002:b:0", kIPTypeQuote)
      ->setTimeConnectDurationTest(kIPDurationFailed);
  c.addIPFromString("10.0.1.1:9001:qs:2", kIPTypeSecondQuote);
  c.addIPFromString("10.0.2.1:7001:trade:0", kIPTypeTrade);
  c.addIPFromString("10.0.3.1:6001:info:0", kIPTypeInfo);
  ASSERT_TRUE(c.encodeToFile());

  auto read = IPContainer::decodeObjectFromFile();
  ASSERT_TRUE(read);
  ASSERT_EQ(read->ipCountWithType(kIPTypeQuote), 2);
  const IPModule& a = *read->hqIPContainer()[0];
  EXPECT_EQ(a.ipAddress(), "10.0.0.1");
  EXPECT_EQ(a.ipPort(), "8001");
  EXPECT_EQ(a.ipName(), "上海");
  EXPECT_EQ(a.accPermissions(), 1);
  EXPECT_EQ(a.timeConnectDurationTest(), 37);
  EXPECT_EQ(a.timeLastConnectTest(), 4);
  ASSERT_TRUE(a.lastTestDate());
  EXPECT_EQ(a.lastTestDate()->secondsSince1970, 1765000000);
  EXPECT_EQ(read->hqIPContainer()[1]->timeConnectDurationTest(), kIPDurationFailed);
  EXPECT_FALSE(read->hqIPContainer()[1]->lastTestDate());
  ASSERT_EQ(read->ipCountWithType(kIPTypeSecondQuote), 1);
  EXPECT_EQ(read->qsIPContainer()[0]->accPermissions(), 2);
  EXPECT_EQ(read->ipCountWithType(kIPTypeTrade), 0);
  EXPECT_EQ(read->ipCountWithType(kIPTypeInfo), 0);

  // The object stands under "IPContainer" with its class name and its two lists only.
  auto document = foundation::PropertyList::readFile(docs_.file("IPContainer.archive"));
  ASSERT_TRUE(document.ok()) << document.error;
  const foundation::Value& root = document.value["$top"]["IPContainer"];
  EXPECT_EQ(root["$class"].asString(), "IPContainer");
  EXPECT_EQ(root.size(), 3u);
  EXPECT_EQ(root["hqIPContainer"].at(0)["$class"].asString(), "IPModule");
  EXPECT_TRUE(root["hqIPContainer"].at(0)["accPermissions"].isInteger());

  // Through the service: the store is what was archived.
  auto test = IPConnectTest::create();
  test->initIPs();
  EXPECT_EQ(test->getIPCountWithType(kIPTypeQuote), 2);
  EXPECT_EQ(test->getIPCountWithType(kIPTypeTrade), 0);
  test->addIPFromString("10.0.4.1:5001|new|0", kIPTypeTrade);
  ASSERT_TRUE(test->encodeIPContainerIntoFile());
  EXPECT_EQ(IPContainer::decodeObjectFromFile()->ipCountWithType(kIPTypeQuote), 2);
}

TEST_F(IPContainerTest, MissingEmptyOrDamagedArchiveGivesAnEmptyStore) {
  const std::string path = docs_.file("IPContainer.archive");
  EXPECT_FALSE(IPContainer::decodeObjectFromFile());  // missing
  WriteBytes(path, "");
  EXPECT_FALSE(IPContainer::decodeObjectFromFile());
  WriteBytes(path, std::string("bplist00\x01\x02garbage", 17));
  EXPECT_FALSE(IPContainer::decodeObjectFromFile());

  // An archive of another object, or under another key.
  IPModule other;
  other.resetWithArray({"a", "1", "n", "0"});
  RegisterIPArchiveClasses();
  ASSERT_TRUE(ArchiveObjectToFile("IPContainer.archive", "IPContainer", other));
  EXPECT_FALSE(IPContainer::decodeObjectFromFile());
  IPContainer c;
  c.addIPFromString("a:1:n:0", kIPTypeQuote);
  ASSERT_TRUE(c.encodeToFile("IPContainer.archive", "Other"));
  EXPECT_FALSE(IPContainer::decodeObjectFromFile());
  EXPECT_TRUE(IPContainer::decodeObjectFromFile("IPContainer.archive", "Other"));

  auto test = IPConnectTest::create();
  test->initIPs();
  EXPECT_EQ(test->getIPCountWithType(kIPTypeQuote), 0);
  test->addIPFromString("10.0.0.1:80|a|0", kIPTypeQuote);
  EXPECT_EQ(test->getIPCountWithType(kIPTypeQuote), 1);
}

TEST_F(IPContainerTest, StoredServerWithoutAddressIsLeftOut) {
  using foundation::Value;
  foundation::Dictionary good{{"$class", "IPModule"},    {"ipAddress", "10.0.0.1"},
                              {"ipPort", "80"},          {"ipName", "ok"},
                              {"accPermissions", 1},     {"timeConnectDurationTest", 12},
                              {"timeLastConnectTest", 0}};
  foundation::Dictionary noAddress{{"$class", "IPModule"}, {"ipPort", "80"}, {"ipName", "bad"}};
  foundation::Dictionary wrongTypes{{"$class", "IPModule"}, {"ipAddress", 5}, {"ipPort", "80"}};
  foundation::Dictionary root{
      {"$class", "IPContainer"},
      {"hqIPContainer", Value(foundation::Array{Value(noAddress), Value(good), Value(wrongTypes)})},
      {"zxIPContainer", Value(foundation::Array{Value(good)})}};
  foundation::Dictionary top{{"IPContainer", Value(root)}};
  foundation::Dictionary doc{{"$archiver", "KeyedArchive"}, {"$version", 1}, {"$top", Value(top)}};
  ASSERT_TRUE(foundation::PropertyList::writeFile(docs_.file("IPContainer.archive"), Value(doc)));

  auto read = IPContainer::decodeObjectFromFile();
  ASSERT_TRUE(read);
  ASSERT_EQ(read->ipCountWithType(kIPTypeQuote), 1);
  EXPECT_EQ(read->hqIPContainer()[0]->ipName(), "ok");
  EXPECT_EQ(read->hqIPContainer()[0]->timeConnectDurationTest(), 12);
  // A list the client never writes is still read when present.
  EXPECT_EQ(read->ipCountWithType(kIPTypeInfo), 1);
}

TEST_F(IPContainerTest, ProbeIsAnEmptyRequestHeader) {
  auto test = IPConnectTest::create();
  std::vector<uint8_t> expected(16, 0);
  expected[0] = 0x23;
  expected[2] = 0x01;
  EXPECT_EQ(test->probe(), expected);
}

}  // namespace
