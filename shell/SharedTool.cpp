#include "shell/SharedTool.h"

#include <cctype>
#include <cstdio>
#include <pugixml.hpp>
#include <random>

#include "core/AppHooks.h"
#include "core/DeviceInfo.h"
#include "core/SelfStock.h"
#include "core/XmlText.h"
#include "platform/foundation/Dates.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/CairoContext.h"
#include "platform/net/Device.h"
#include "platform/ui/Application.h"
#include "shell/Extend.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::optional<net::NetworkInterface> PrimaryInterface() {
  return net::choosePrimaryInterface(net::listNetworkInterfaces());
}

std::string RandomUuid() {
  std::random_device device;
  std::mt19937_64 generator((static_cast<uint64_t>(device()) << 32) ^ device());
  uint8_t bytes[16];
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(generator());
  bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[37];
  std::snprintf(text, sizeof text,
                "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

}  // namespace

gfx::Color SharedTool::CheckPriceColor(int change) {
  if (change > 0) return gfx::Color::rgb255(184, 6, 26);
  if (change < 0) return gfx::Color::rgb255(123, 159, 88);
  return gfx::Color::white();
}

std::string SharedTool::CheckPriceUpDownName(int change) {
  if (change > 0) return "red-up.png";
  if (change < 0) return "green-down.png";
  return "stop.png";
}

gfx::Image SharedTool::CheckPriceUpDown(int change) {
  return gfx::Image::named(CheckPriceUpDownName(change));
}

std::string SharedTool::GetDateString(int yyyymmdd) {
  const int year = yyyymmdd / 10000;
  const int month = yyyymmdd / 100 % 100;
  const int day = yyyymmdd % 100;
  std::string text = std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
  // Calendar dates in the local time zone: at 2 a.m. in Shanghai "today" is already the new day.
  foundation::DateComponents wanted;
  wanted.year = year;
  wanted.month = month;
  wanted.day = day;
  wanted.hour = 12;
  const foundation::DateComponents date =
      foundation::localComponents(foundation::dateFromLocalComponents(wanted));
  // "Today" is the market's: the device clock moved by the server's offset learnt at login.
  const foundation::DateComponents today = foundation::localComponents(
      {foundation::currentDate().secondsSince1970 + SelfStock_GetServerTimeOffset()});
  if (date.year == today.year && date.month == today.month && date.day == today.day) {
    text += " (今)";
  }
  return text;
}

std::string SharedTool::GetTimeString(int hhmmss) {
  return std::to_string(hhmmss / 10000) + ":" + std::to_string(hhmmss / 100 % 100) + ":" +
         std::to_string(hhmmss % 100);
}

bool SharedTool::isIPhone() {
  return ui::Application::shared().canOpenURL("tel:");
}

void SharedTool::alert(const std::string& text) {
  CoreAlert alert;
  alert.title = text;
  alert.buttons = {"OK"};
  ShowCoreAlert(std::move(alert));
}

std::string SharedTool::cleanPhoneNumber(std::string_view number) {
  std::string out;
  for (char c : number) {
    if (c != ' ' && c != '(' && c != ')') out += c;
  }
  return out;
}

void SharedTool::makeCall(const std::string& number) {
  if (!isIPhone()) {
    alert("iPod不支持电话");
    return;
  }
  ui::Application::shared().openURL("tel:" + cleanPhoneNumber(number));
}

void SharedTool::sendSms(const std::string& number) {
  if (!isIPhone()) {
    alert("iPod不支持短信");
    return;
  }
  ui::Application::shared().openURL("sms:" + cleanPhoneNumber(number));
}

void SharedTool::sendEmail(const std::string& address) {
  ui::Application::shared().openURL("mailto:" + address);
}

void SharedTool::sendEmail(const std::string& address, const std::string& cc,
                           const std::string& subject, const std::string& body) {
  ui::Application::shared().openURL(
      "mailto:" + percentEscape(address) + "?cc=" + percentEscape(cc) +
      "&subject=" + percentEscape(subject) + "&body=" + percentEscape(body));
}

std::string SharedTool::percentEscape(std::string_view text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    // '@' stays readable in addresses, as the platform's escaping leaves it.
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '@') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string SharedTool::hostName() {
  std::string host = net::describeDevice().hostName;
  if (host.empty()) return {};
  return host + ".local";
}

std::string SharedTool::localIPAddress() {
  auto chosen = PrimaryInterface();
  return chosen ? chosen->ipv4Address : std::string();
}

std::string SharedTool::macAddress() {
  auto chosen = PrimaryInterface();
  if (!chosen) {
    foundation::logError("SharedTool::macAddress: no network interface with a hardware address");
    return {};
  }
  return Upper(net::formatHardwareAddress(chosen->hardwareAddress));
}

std::string SharedTool::uniqueGlobalDeviceIdentifier() {
  return MD5ByAStr(macAddress());
}

std::string SharedTool::uniqueDeviceIdentifier() {
  return MD5ByAStr(macAddress() + kBundleIdentifier);
}

std::string SharedTool::myIdentifier() {
  // The core computes the same digest for the logins; one source keeps the two equal.
  return GetDeviceIdentifier();
}

std::string SharedTool::getUDID() {
  return foundation::UserDefaults::standard().string(kUDIDUserDefaultsKey);
}

void SharedTool::setUDID(const std::string& udid) {
  foundation::UserDefaults::standard().set(kUDIDUserDefaultsKey, udid);
}

std::string SharedTool::uuid() {
  std::string stored = getUDID();
  if (!stored.empty()) return stored;
  std::string made = RandomUuid();
  setUDID(made);
  return made;
}

std::string SharedTool::MD5ByAStr(std::string_view text) {
  return Extend::MD5(text);
}

// ---------------------------------------------------------------------------------------------

namespace {
std::mutex& SharedResourceLock() {
  static std::mutex lock;
  return lock;
}
std::shared_ptr<SharedResource>& SharedResourceInstance() {
  static std::shared_ptr<SharedResource> instance;
  return instance;
}
}  // namespace

SharedResource::SharedResource()
    : touchGradient_(gfx::Gradient::make(
          {gfx::Color(0.2196, 0.7333, 1.0, 1.0), gfx::Color(1.0, 1.0, 1.0, 0.2)})) {}

gfx::Image FillIconWithGradient(const gfx::Image& icon, const gfx::Gradient& gradient) {
  if (icon.isEmpty()) return {};
  const gfx::Size size = icon.size();
  gfx::ImageContext context(size, icon.scale());
  if (!context.isValid()) return {};
  gfx::GradientExtend extend;
  extend.beforeStart = true;
  extend.afterEnd = true;
  context.context().drawLinearGradient(gradient, gfx::Point(0, 0), gfx::Point(0, size.height),
                                       extend);
  const gfx::Image filled = context.image();
  const int width = icon.pixelWidth();
  const int height = icon.pixelHeight();
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t mask = icon.pixelArgb(x, y) >> 24;
      const uint32_t colour = filled.pixelArgb(x, y);
      const uint32_t alpha = ((colour >> 24) * mask + 127) / 255;
      pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
          (alpha << 24) | (colour & 0x00FFFFFF);
    }
  }
  return gfx::Image::fromArgb(width, height, pixels, icon.scale());
}

std::shared_ptr<SharedResource> SharedResource::sharedObject() {
  std::lock_guard<std::mutex> guard(SharedResourceLock());
  auto& instance = SharedResourceInstance();
  if (!instance) instance = std::make_shared<SharedResource>();
  return instance;
}

void SharedResource::clear() {
  std::lock_guard<std::mutex> guard(SharedResourceLock());
  SharedResourceInstance().reset();
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr int kMaxXmlDepth = 256;

foundation::Value ElementToValue(const pugi::xml_node& element, int depth) {
  foundation::Value node = foundation::Dictionary{};
  for (const pugi::xml_attribute& attribute : element.attributes()) {
    node[attribute.name()] = XmlUnescape(attribute.value());
  }
  std::string text;
  for (const pugi::xml_node& child : element.children()) {
    if (child.type() == pugi::node_pcdata) {
      text += XmlUnescape(child.value());
      continue;
    }
    if (child.type() == pugi::node_cdata) {
      text += child.value();  // taken literally
      continue;
    }
    if (child.type() != pugi::node_element || depth >= kMaxXmlDepth) continue;
    foundation::Value value = ElementToValue(child, depth + 1);
    foundation::Value& slot = node[child.name()];
    if (slot.isNull()) {
      slot = std::move(value);
    } else if (slot.isArray()) {
      slot.append(std::move(value));
    } else {
      foundation::Array both{std::move(slot), std::move(value)};
      slot = std::move(both);
    }
  }
  if (!text.empty()) node["Content"] = text;
  return node;
}

}  // namespace

foundation::Value XMLReader::dictionaryForXMLString(std::string_view text, std::string* error) {
  pugi::xml_document document;
  // References are left to XmlUnescape, the counterpart of the escaping the mail writer does.
  pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), pugi::parse_default & ~pugi::parse_escapes);
  if (!parsed || !document.document_element()) {
    if (error) *error = parsed ? "no root element" : parsed.description();
    return {};
  }
  return ElementToValue(document, 0);
}

foundation::Value XMLReader::dictionaryForXMLData(const foundation::Data& data,
                                                  std::string* error) {
  return dictionaryForXMLString(
      std::string_view(reinterpret_cast<const char*>(data.data()), data.size()), error);
}
