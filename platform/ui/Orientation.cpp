#include "platform/ui/Orientation.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"

namespace ui {

namespace {

InterfaceOrientation gStatusBar = InterfaceOrientation::Portrait;

}  // namespace

bool isLandscape(DeviceOrientation o) {
  return o == DeviceOrientation::LandscapeLeft || o == DeviceOrientation::LandscapeRight;
}

bool isLandscape(InterfaceOrientation o) {
  return o == InterfaceOrientation::LandscapeLeft || o == InterfaceOrientation::LandscapeRight;
}

Device& Device::current() {
  static Device* device = new Device();
  return *device;
}

void Device::setOrientation(DeviceOrientation orientation) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  if (generating_ > 0)
    foundation::NotificationCenter::defaultCenter().post(kDeviceOrientationDidChangeNotification,
                                                         this);
}

void Device::endGeneratingDeviceOrientationNotifications() {
  if (generating_ > 0) --generating_;
}

void Device::reset() {
  orientation_ = DeviceOrientation::Portrait;
  generating_ = 0;
  gStatusBar = InterfaceOrientation::Portrait;
}

InterfaceOrientation statusBarOrientation() {
  return gStatusBar;
}

void setStatusBarOrientation(InterfaceOrientation orientation, bool) {
  if (orientation == gStatusBar) return;
  auto& center = foundation::NotificationCenter::defaultCenter();
  foundation::Dictionary will;
  will.set(kStatusBarOrientationUserInfoKey, static_cast<int>(orientation));
  center.post(kApplicationWillChangeStatusBarOrientationNotification, &Application::shared(),
              foundation::Value(std::move(will)));
  InterfaceOrientation old = gStatusBar;
  gStatusBar = orientation;
  Application::shared().setNeedsRender();
  foundation::Dictionary did;
  did.set(kStatusBarOrientationUserInfoKey, static_cast<int>(old));
  center.post(kApplicationDidChangeStatusBarOrientationNotification, &Application::shared(),
              foundation::Value(std::move(did)));
}

}  // namespace ui
