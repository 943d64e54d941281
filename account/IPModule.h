// One server of a server list with the result of its last connection-time test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/KeyedArchive.h"
#include "platform/foundation/Value.h"

// Values of timeConnectDurationTest that are not measurements. They are larger than any
// measurement, so sorting by duration puts them after every measured server, in this order.
inline constexpr int32_t kIPDurationUntested = 0x10000000;
inline constexpr int32_t kIPDurationTimedOut = 0x10000001;
inline constexpr int32_t kIPDurationFailed = 0x1FFFFFFF;

// The name given to a server whose address text carries none.
inline constexpr const char* kIPNoName = "没有名字";

// The leading integer of a text (optional blanks and sign, then digits; 0 when none), clamped to
// the 32-bit range.
int32_t IPTextToInt(std::string_view text);
// Splits on every ":", keeping empty parts.
std::vector<std::string> SplitIPText(std::string_view text);

class IPModule : public foundation::Archivable {
 public:
  IPModule() = default;

  const std::string& ipAddress() const { return ipAddress_; }
  void setIPAddress(std::string address) { ipAddress_ = std::move(address); }
  const std::string& ipPort() const { return ipPort_; }
  void setIPPort(std::string port) { ipPort_ = std::move(port); }
  const std::string& ipName() const { return ipName_; }
  void setIPName(std::string name) { ipName_ = std::move(name); }

  int32_t timeConnectDurationTest() const { return timeConnectDurationTest_; }
  void setTimeConnectDurationTest(int32_t ms) { timeConnectDurationTest_ = ms; }
  int32_t timeLastConnectTest() const { return timeLastConnectTest_; }
  void setTimeLastConnectTest(int32_t value) { timeLastConnectTest_ = value; }
  int32_t accPermissions() const { return accPermissions_; }
  void setAccPermissions(int32_t value) { accPermissions_ = value; }
  int32_t connectCode() const { return connectCode_; }
  void setConnectCode(int32_t value) { connectCode_ = value; }
  int64_t timeConnectBegin() const { return timeConnectBegin_; }
  void setTimeConnectBegin(int64_t ms) { timeConnectBegin_ = ms; }
  int64_t timeReceive() const { return timeReceive_; }
  void setTimeReceive(int64_t ms) { timeReceive_ = ms; }

  // When the last test of this server started; none when it was never tested.
  const std::optional<foundation::Date>& lastTestDate() const { return lastTestDate_; }
  void updateLastTestDate(std::optional<foundation::Date> date) { lastTestDate_ = date; }

  // Address, port, name and permission from parts 0..3; false (nothing changed) when fewer
  // than four parts are given.
  bool resetWithArray(const std::vector<std::string>& parts);
  // The duration from the connect to the first answer, kept below kIPDurationFailed.
  void updateConnectDurationTest();
  // 1, -1 or 0 as this server's duration is greater, smaller or equal.
  int compare(const IPModule& other) const;
  // Same address and port (the identity of a server within one list).
  bool sameServer(std::string_view address, std::string_view port) const {
    return ipAddress_ == address && ipPort_ == port;
  }

  std::string archiveClassName() const override { return "IPModule"; }
  void encode(foundation::KeyedArchiver& archiver) const override;
  // A stored server without an address or a port cannot be used: it reads back as null.
  bool decode(const foundation::KeyedUnarchiver& unarchiver) override;

 private:
  std::string ipAddress_;
  std::string ipPort_;
  std::string ipName_;
  int32_t timeConnectDurationTest_ = kIPDurationUntested;
  int32_t timeLastConnectTest_ = 0;
  int32_t accPermissions_ = 0;
  int32_t connectCode_ = 0;
  int64_t timeConnectBegin_ = 0;
  int64_t timeReceive_ = 0;
  std::optional<foundation::Date> lastTestDate_;
};
