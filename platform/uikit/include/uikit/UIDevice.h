// The device: the system version the code runs on. The version is a setting
// of this model, so a host (or a test) can stand for an older or newer system.
#pragma once

#include <string>

#include "foundation/NSString.h"

class UIDevice : public NSObject {
  OBJC_CLASS(UIDevice, NSObject)
  OBJC_CLASS_METHOD(currentDevice, "currentDevice", Ref<UIDevice>())
  // "15.0" unless set.
  OBJC_METHOD(systemVersion, "systemVersion", Ref<NSString>())

 private:
  static Ref<UIDevice> currentDeviceImpl(Class self);
  Ref<NSString> systemVersionImpl();
};

namespace uikit {
std::string systemVersion();
void setSystemVersion(std::string version);
}  // namespace uikit
