#include <gtest/gtest.h>

#include "platform/net/NameLookup.h"
#include "platform/net/Reachability.h"

using namespace net;

TEST(NameLookup, AddressesAndNames) {
  struct Case {
    std::string host;
    int rc;
    std::string address;
  } cases[] = {
      {"127.0.0.1", 0, "127.0.0.1"},
      {"10.20.30.40", 0, "10.20.30.40"},
      {"localhost", 0, "127.0.0.1"},
      {"", -1, ""},
      {"1.2.3", -1, ""},
      {"256.1.1.1", -1, ""},
      {"1.2.3.4.5", -1, ""},
      {"bad host", -1, ""},
      {"host\xE4\xB8\x8A", -1, ""},
      {std::string(300, 'a'), -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    Ipv4Address a{0xDEADBEEF};
    EXPECT_EQ(lookupIPv4(c.host, a), c.rc);
    if (c.rc == 0) {
      EXPECT_EQ(a.toString(), c.address);
    }
  }
}

TEST(NameLookup, AddressParsingAndByteOrder) {
  auto a = Ipv4Address::parse("192.168.1.2");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->value, 0xC0A80102u);
  EXPECT_EQ(Ipv4Address::fromNetworkOrder(a->networkOrder()), *a);
  const unsigned char* bytes = nullptr;
  uint32_t n = a->networkOrder();
  bytes = reinterpret_cast<const unsigned char*>(&n);
  EXPECT_EQ(bytes[0], 192);
  EXPECT_EQ(bytes[3], 2);
  for (const char* bad : {"", " 1.2.3.4", "1.2.3.4 ", "01.2.3.4x", "1..2.3", "123456789012345678"})
    EXPECT_FALSE(Ipv4Address::parse(bad)) << bad;
  EXPECT_EQ(Ipv4Address::loopback().toString(), "127.0.0.1");
  EXPECT_EQ(Ipv4Address::any().toString(), "0.0.0.0");
}

TEST(Reachability, ReachableUnlessATestSaysOtherwise) {
  EXPECT_TRUE(isReachable());
  EXPECT_TRUE(isReachable(Ipv4Address::loopback()));
  {
    ScopedUnreachable down;
    EXPECT_FALSE(isReachable());
    EXPECT_FALSE(isReachable(Ipv4Address::loopback()));
  }
  EXPECT_TRUE(isReachable());
}
