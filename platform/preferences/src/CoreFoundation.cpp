#include "preferences/CoreFoundation.h"

#include "uikit/UIDevice.h"

double kCFCoreFoundationVersionNumber = 1854.0;

namespace preferences {
std::string systemVersion() { return uikit::systemVersion(); }
void setSystemVersion(std::string v) { uikit::setSystemVersion(std::move(v)); }
}  // namespace preferences
