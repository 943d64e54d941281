// Device orientation (as the sensors report it, with notifications) and the status bar's
// interface orientation (portrait unless a screen such as the landscape chart asks otherwise).
#pragma once

#include <string>

#include "platform/ui/ViewController.h"

namespace ui {

// Same numbers as the phone platform.
enum class DeviceOrientation {
  Unknown = 0,
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 3,
  LandscapeRight = 4,
  FaceUp = 5,
  FaceDown = 6
};

inline constexpr const char* kDeviceOrientationDidChangeNotification =
    "DeviceOrientationDidChangeNotification";
// Object: the application; userInfo {"StatusBarOrientationUserInfoKey": new (will) or old
// (did) orientation number}.
inline constexpr const char* kApplicationWillChangeStatusBarOrientationNotification =
    "ApplicationWillChangeStatusBarOrientationNotification";
inline constexpr const char* kApplicationDidChangeStatusBarOrientationNotification =
    "ApplicationDidChangeStatusBarOrientationNotification";
inline constexpr const char* kStatusBarOrientationUserInfoKey = "StatusBarOrientationUserInfoKey";

bool isLandscape(DeviceOrientation orientation);
bool isLandscape(InterfaceOrientation orientation);

class Device {
 public:
  static Device& current();

  DeviceOrientation orientation() const { return orientation_; }
  // The runners and tests turn the device; the change is posted while notifications are on.
  void setOrientation(DeviceOrientation orientation);
  // Nested begin/end calls: notifications flow while at least one begin is open.
  void beginGeneratingDeviceOrientationNotifications() { ++generating_; }
  void endGeneratingDeviceOrientationNotifications();
  bool isGeneratingDeviceOrientationNotifications() const { return generating_ > 0; }

  std::string systemName() const { return "iPhone OS"; }
  std::string systemVersion() const { return "7.0"; }
  std::string model() const { return "iPhone"; }

  // Tests: portrait, notifications off, status bar portrait.
  void reset();

 private:
  Device() = default;
  DeviceOrientation orientation_ = DeviceOrientation::Portrait;
  int generating_ = 0;
};

InterfaceOrientation statusBarOrientation();
// Posts the will-change and did-change notifications when the orientation changes.
void setStatusBarOrientation(InterfaceOrientation orientation, bool animated = false);

}  // namespace ui
