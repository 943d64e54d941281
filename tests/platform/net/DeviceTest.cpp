#include <gtest/gtest.h>

#include <regex>

#include "platform/net/Device.h"

using namespace net;

namespace {
NetworkInterface iface(std::string name, std::vector<uint8_t> hw, bool up, bool loopback = false,
                       std::string ip = "") {
  NetworkInterface e;
  e.name = std::move(name);
  e.hardwareAddress = std::move(hw);
  e.up = up;
  e.loopback = loopback;
  e.ipv4Address = std::move(ip);
  return e;
}
const std::vector<uint8_t> kMacA = {0x02, 0xfc, 0x00, 0x00, 0x00, 0x01};
const std::vector<uint8_t> kMacB = {0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45};
const std::vector<uint8_t> kZero(6, 0);
}  // namespace

TEST(DeviceInterface, ChoosesFirstUsableInterface) {
  struct Case {
    const char* what;
    std::vector<NetworkInterface> list;
    const char* expected;  // nullptr: none
  } cases[] = {
      {"empty", {}, nullptr},
      {"loopback only", {iface("lo", kZero, true, true, "127.0.0.1")}, nullptr},
      {"loopback with address is still skipped", {iface("lo", kMacA, true, true)}, nullptr},
      {"zero address is no address",
       {iface("lo", kZero, true, true), iface("tun0", kZero, true), iface("eth0", kMacA, true)},
       "eth0"},
      {"no hardware address", {iface("ppp0", {}, true), iface("wlan0", kMacB, true)}, "wlan0"},
      {"first of two up", {iface("eth0", kMacA, true), iface("wlan0", kMacB, true)}, "eth0"},
      {"up before down", {iface("ifb0", kMacB, false), iface("eth0", kMacA, true)}, "eth0"},
      {"down when nothing is up",
       {iface("ifb0", kMacB, false), iface("ifb1", kMacA, false)},
       "ifb0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto chosen = choosePrimaryInterface(c.list);
    if (!c.expected) {
      EXPECT_FALSE(chosen);
    } else {
      ASSERT_TRUE(chosen);
      EXPECT_EQ(chosen->name, c.expected);
    }
  }
}

TEST(DeviceInterface, FormatsHardwareAddressInLowerCase) {
  EXPECT_EQ(formatHardwareAddress(kMacB), "ab:cd:ef:01:23:45");
  EXPECT_EQ(formatHardwareAddress(kMacA), "02:fc:00:00:00:01");
  EXPECT_EQ(formatHardwareAddress({}), "");
}

TEST(DeviceDescription, ComesFromTheRunningSystemAndAgreesWithInterfaceList) {
  DeviceDescription d = describeDevice();
  EXPECT_FALSE(d.systemName.empty());
  EXPECT_FALSE(d.systemVersion.empty());
  EXPECT_FALSE(d.model.empty());
  auto chosen = choosePrimaryInterface(listNetworkInterfaces());
  if (!chosen) {
    EXPECT_TRUE(d.hardwareAddress.empty());
    EXPECT_TRUE(d.ipv4Address.empty());
    return;
  }
  EXPECT_EQ(d.interfaceName, chosen->name);
  EXPECT_TRUE(std::regex_match(d.hardwareAddress, std::regex("([0-9a-f]{2}:){5}[0-9a-f]{2}")))
      << d.hardwareAddress;
  EXPECT_EQ(d.ipv4Address, chosen->ipv4Address);
}

TEST(DeviceInterface, ListsLoopback) {
  bool sawLoopback = false;
  for (const auto& e : listNetworkInterfaces())
    if (e.loopback) {
      sawLoopback = true;
      EXPECT_EQ(e.ipv4Address, "127.0.0.1");
    }
  EXPECT_TRUE(sawLoopback);
}
