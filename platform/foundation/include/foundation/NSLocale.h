// Locales. The current one comes from the environment as for any Linux
// program: LC_ALL, then LC_TIME, then LANG ("fr_FR.UTF-8" is "fr_FR").
#pragma once

#include <string>

#include "foundation/NSString.h"
#include "objc/define.h"

class NSLocale : public NSObject {
  OBJC_CLASS(NSLocale, NSObject)
  // Read from the environment at each call, so a change is seen at once.
  OBJC_CLASS_METHOD(currentLocale, "currentLocale", Ref<NSLocale>())
  OBJC_CLASS_METHOD(localeWithLocaleIdentifier, "localeWithLocaleIdentifier:", Ref<NSLocale>(NSString*))
  OBJC_METHOD(localeIdentifier, "localeIdentifier", Ref<NSString>())

 public:
  // The ICU locale this one formats with: the identifier when ICU has data
  // for it, else "en_US_POSIX" (the unknown name is logged once).
  const std::string& icuName() const noexcept { return icu_; }

 private:
  static Ref<NSLocale> currentLocaleImpl(Class self);
  static Ref<NSLocale> localeWithLocaleIdentifierImpl(Class self, NSString* identifier);
  Ref<NSString> localeIdentifierImpl() { return NSString::make(identifier_); }

  std::string identifier_;
  std::string icu_;
};

namespace foundation {
// "fr_FR.UTF-8@euro" is "fr_FR"; "C", "POSIX" and nothing are "en_US_POSIX".
std::string localeIdentifierFromPosix(std::string_view posixName);
// The identifier the environment names (LC_ALL, LC_TIME, LANG).
std::string environmentLocaleIdentifier();
// The time zone the environment names: TZ when set (a leading ':' dropped),
// else the system's. An Olson identifier such as "Europe/Paris".
std::string currentTimeZoneIdentifier();
}  // namespace foundation
