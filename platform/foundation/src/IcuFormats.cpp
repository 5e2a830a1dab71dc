#include "IcuFormats.h"

#include <unicode/locid.h>
#include <unicode/measunit.h>
#include <unicode/ures.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "foundation/Log.h"
#include "foundation/NSDateFormatter.h"
#include "foundation/NSLocale.h"

namespace foundation {

std::string localeIdentifierFromPosix(std::string_view name) {
  name = name.substr(0, name.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") return detail::kFallbackIcuLocale;
  return std::string(name);
}

std::string environmentLocaleIdentifier() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LANG"})
    if (const char* v = std::getenv(var); v && *v) return localeIdentifierFromPosix(v);
  return detail::kFallbackIcuLocale;
}

std::string currentTimeZoneIdentifier() {
  icu::UnicodeString id;
  detail::currentTimeZone().getID(id);
  return detail::utf8(id);
}

namespace detail {

namespace {

// Logs a line once per process for each text `what` is said of.
void logOnce(const std::string& line) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard lock(mutex);
  if (said.insert(line).second) NSLog("%s", line);
}

struct ThreadCache {
  std::string zoneSource;  // the TZ text the zone was made from; "\x01" for none yet
  bool zoneResolved = false;
  std::unique_ptr<icu::TimeZone> zone;
  std::map<std::string, std::unique_ptr<icu::SimpleDateFormat>, std::less<>> dates;
  std::map<std::string, std::unique_ptr<icu::MeasureFormat>, std::less<>> durations;
  unsigned long created = 0;
};

ThreadCache& cache() {
  thread_local ThreadCache c;
  return c;
}

std::unique_ptr<icu::TimeZone> zoneFromEnvironment(const char* tz) {
  std::string_view id = tz ? tz : "";
  if (!id.empty() && id.front() == ':') id.remove_prefix(1);
  if (!id.empty()) {
    std::unique_ptr<icu::TimeZone> zone(
        icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(icu::StringPiece(id.data(), id.size()))));
    if (zone && *zone != icu::TimeZone::getUnknown()) return zone;
    logOnce("Unknown time zone TZ=\"" + std::string(id) + "\"; using the system's");
  }
  return std::unique_ptr<icu::TimeZone>(icu::TimeZone::detectHostTimeZone());
}

// Bounds a thread's cache; a page uses a handful of patterns.
constexpr std::size_t kMaxCachedFormatters = 32;

// The locale of the environment, seen by this thread last; a change drops
// the formatters, which are otherwise only kept for the patterns in use.
void dropOnLocaleChange(ThreadCache& c) {
  thread_local std::string lastLocale;
  std::string now = environmentLocaleIdentifier();
  if (now != lastLocale) {
    c.dates.clear();
    c.durations.clear();
    lastLocale = std::move(now);
  }
}

}  // namespace

std::string utf8(const icu::UnicodeString& s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

std::string icuLocaleFor(const std::string& identifier) {
  static std::mutex mutex;
  static std::map<std::string, std::string> known;
  {
    std::lock_guard lock(mutex);
    if (auto it = known.find(identifier); it != known.end()) return it->second;
  }
  std::string result = identifier;
  UErrorCode status = U_ZERO_ERROR;
  UResourceBundle* data = ures_open(nullptr, identifier.c_str(), &status);
  ures_close(data);
  // ICU opens any name; falling back to its root data means it has none.
  if (identifier.empty() || U_FAILURE(status) || status == U_USING_DEFAULT_WARNING) {
    logOnce("Unknown locale \"" + identifier + "\"; formatting as " + kFallbackIcuLocale);
    result = kFallbackIcuLocale;
  }
  std::lock_guard lock(mutex);
  return known.emplace(identifier, result).first->second;
}

const icu::TimeZone& currentTimeZone() {
  ThreadCache& c = cache();
  const char* tz = std::getenv("TZ");
  std::string source = tz ? tz : "\x01";
  if (!c.zoneResolved || source != c.zoneSource) {
    c.zone = zoneFromEnvironment(tz);
    if (!c.zone) c.zone.reset(icu::TimeZone::getGMT()->clone());
    c.zoneSource = std::move(source);
    c.zoneResolved = true;
    c.dates.clear();
  }
  return *c.zone;
}

icu::SimpleDateFormat* dateFormat(std::string_view pattern, const std::string& icuLocale) {
  ThreadCache& c = cache();
  const icu::TimeZone& zone = currentTimeZone();
  dropOnLocaleChange(c);
  std::string key = icuLocale;
  key += '\0';
  key += pattern;
  if (auto it = c.dates.find(key); it != c.dates.end()) return it->second.get();
  UErrorCode status = U_ZERO_ERROR;
  auto f = std::make_unique<icu::SimpleDateFormat>(
      icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), pattern.size())), icu::Locale(icuLocale.c_str()),
      status);
  if (U_FAILURE(status)) return nullptr;
  f->setLenient(false);
  f->setTimeZone(zone);
  ++c.created;
  if (c.dates.size() >= kMaxCachedFormatters) c.dates.clear();
  return c.dates.emplace(std::move(key), std::move(f)).first->second.get();
}

icu::MeasureFormat* numericDurationFormat(const std::string& icuLocale) {
  ThreadCache& c = cache();
  dropOnLocaleChange(c);
  if (auto it = c.durations.find(icuLocale); it != c.durations.end()) return it->second.get();
  UErrorCode status = U_ZERO_ERROR;
  auto f = std::make_unique<icu::MeasureFormat>(icu::Locale(icuLocale.c_str()), UMEASFMT_WIDTH_NUMERIC, status);
  if (U_FAILURE(status)) return nullptr;
  ++c.created;
  if (c.durations.size() >= kMaxCachedFormatters) c.durations.clear();
  return c.durations.emplace(icuLocale, std::move(f)).first->second.get();
}

unsigned long formattersCreated() { return cache().created; }

}  // namespace detail

unsigned long formattersCreatedOnThisThread() { return detail::formattersCreated(); }

}  // namespace foundation
