// Small utilities the screens share: price colours and arrows, date and time texts, phone, SMS
// and mail links, and the device's identifiers. Main thread unless noted.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

// The user default holding the generated device UUID.
inline constexpr char kUDIDUserDefaultsKey[] = "KOSTRAVINQQBUDID";
// The application's bundle identifier (part of uniqueDeviceIdentifier).
inline constexpr char kBundleIdentifier[] = "com.verdan.client";

class SharedTool {
 public:
  // Rise RGB(184, 6, 26), fall RGB(123, 159, 88), unchanged white.
  static gfx::Color CheckPriceColor(int change);
  // "red-up.png", "green-down.png" or "stop.png" by the sign of the change.
  static std::string CheckPriceUpDownName(int change);
  static gfx::Image CheckPriceUpDown(int change);

  // "2015-1-2" of 20150102, with " (今)" when that is today's date in the local time zone.
  static std::string GetDateString(int yyyymmdd);
  // "9:30:5" of 93005.
  static std::string GetTimeString(int hhmmss);

  // Whether the device can place calls and send SMS.
  static bool isIPhone();
  // An alert with the text as title, an empty message and the button "OK".
  static void alert(const std::string& text);
  // The number without blanks and brackets.
  static std::string cleanPhoneNumber(std::string_view number);
  // "tel:" / "sms:" links to the application's URL opener; devices without telephony get an
  // alert instead.
  static void makeCall(const std::string& number);
  static void sendSms(const std::string& number);
  static void sendEmail(const std::string& address);
  // "mailto:%@?cc=%@&subject=%@&body=%@" with the parts percent-escaped (UTF-8).
  static void sendEmail(const std::string& address, const std::string& cc,
                        const std::string& subject, const std::string& body);
  // Percent escapes for a URL part: everything but unreserved ASCII characters.
  static std::string percentEscape(std::string_view text);

  // "<host>.local"; empty when the host name cannot be read.
  static std::string hostName();
  // IPv4 address and hardware address (upper case, "%02X:..") of the device's primary interface:
  // the first non-loopback interface with a hardware address. Empty when there is none.
  static std::string localIPAddress();
  static std::string macAddress();
  // MD5 of macAddress() (of the empty text without one).
  static std::string uniqueGlobalDeviceIdentifier();
  // MD5 of the hardware address followed by the bundle identifier.
  static std::string uniqueDeviceIdentifier();
  // The identifier the logins send: the digest of the hardware address and the documents
  // folder, so that every installation (each documents folder) is a device of its own, also
  // where several run on one machine.
  static std::string myIdentifier();

  // The user default "KOSTRAVINQQBUDID".
  static std::string getUDID();
  static void setUDID(const std::string& udid);
  // The stored UDID, or a new random UUID text that is stored for the next runs.
  static std::string uuid();
  static std::string IDFA_identifierForIdentifier() { return uuid(); }

  // MD5 of the text's UTF-8 bytes as 32 lower-case hexadecimal digits.
  static std::string MD5ByAStr(std::string_view text);

  static void clear() {}
};

// The shared touch-highlight gradient.
class SharedResource {
 public:
  // Created on first use under a lock; clear() drops it (the next call makes a new one).
  static std::shared_ptr<SharedResource> sharedObject();
  static void clear();
  const gfx::Gradient& getTouchGradient() const { return touchGradient_; }

  SharedResource();

 private:
  gfx::Gradient touchGradient_;
};

// The icon's shape filled with the gradient, top to bottom: the icon's alpha masks the
// gradient. The selected look of tab and function icons. An empty icon gives an empty image.
gfx::Image FillIconWithGradient(const gfx::Image& icon, const gfx::Gradient& gradient);

// XML text to nested dictionaries: each element becomes a dictionary (its attributes as keys)
// under its name in its parent; repeated names become an array; element text goes under
// "Content". References in texts and attribute values are turned back with XmlUnescape (core);
// CDATA is taken as it is.
class XMLReader {
 public:
  // Null (and `error` set when given) when the text is not XML.
  static foundation::Value dictionaryForXMLString(std::string_view text,
                                                  std::string* error = nullptr);
  static foundation::Value dictionaryForXMLData(const foundation::Data& data,
                                                std::string* error = nullptr);
};
