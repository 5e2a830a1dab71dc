#include "uikit/UIDevice.h"

#include <mutex>

namespace {
std::mutex versionMutex;
std::string& version() {
  static std::string* const v = new std::string("15.0");
  return *v;
}
}  // namespace

namespace uikit {
std::string systemVersion() {
  std::lock_guard g(versionMutex);
  return version();
}
void setSystemVersion(std::string v) {
  std::lock_guard g(versionMutex);
  version() = std::move(v);
}
}  // namespace uikit

Ref<UIDevice> UIDevice::currentDeviceImpl(Class) {
  static UIDevice* const device = UIDevice::make().leak();
  return Ref<UIDevice>(device);
}

Ref<NSString> UIDevice::systemVersionImpl() { return NSString::make(uikit::systemVersion()); }

OBJC_IMPLEMENT(UIDevice)
