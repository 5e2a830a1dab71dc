// The version numbers code tests to tell systems apart. Both are settings of
// this model, so a host (or a test) can stand for an older or newer system.
#pragma once

#include <string>

// 1854.0 is iOS 15.0, the oldest system the pages run on; 1665.15 is iOS 13.0.
extern double kCFCoreFoundationVersionNumber;
inline constexpr double kCFCoreFoundationVersionNumber_iOS_13_0 = 1665.15;

namespace preferences {
// "15.0": what UIDevice systemVersion answers.
std::string systemVersion();
void setSystemVersion(std::string version);
}  // namespace preferences
