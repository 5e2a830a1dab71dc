#include "preferences/CoreFoundation.h"

#include <mutex>

double kCFCoreFoundationVersionNumber = 1854.0;

namespace preferences {
namespace {
std::mutex versionMutex;
std::string version = "15.0";
}  // namespace
std::string systemVersion() {
  std::lock_guard g(versionMutex);
  return version;
}
void setSystemVersion(std::string v) {
  std::lock_guard g(versionMutex);
  version = std::move(v);
}
}  // namespace preferences
