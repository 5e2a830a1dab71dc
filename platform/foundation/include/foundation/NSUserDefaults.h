// The preference store: named persistent domains, each a whole dictionary
// kept in one binary property list, "<name>.plist" in the device's
// /var/mobile/Library/Preferences.
//
// - Writes replace the file atomically (temporary file, fsync, rename) with
//   owner-only permissions, so readers in other processes never see a torn
//   file and a crash mid-write keeps the previous contents.
// - Every write of a domain, and every updatePersistentDomainForName, holds an
//   advisory lock on the domain across processes; an update is one serialised
//   read-modify-write, so concurrent updates of distinct keys lose nothing.
// - A domain name must be a plain reverse-domain identifier; any other name
//   is refused (reads give nothing, writes do nothing) with one log line.
// - A write that fails (full disk, read-only folder, no permission) leaves
//   the previous file as it was and is logged; the try… calls below also
//   answer it to the caller.
// - A domain's lock file goes with the domain: it is removed when the
//   domain is removed, or when an update leaves no domain behind.
// - A file that does not parse reads as absent, is logged once, and is kept
//   aside as "<name>.plist.corrupt-<time>" before the next write replaces it.
// - Reads of an unchanged file return the same immutable dictionary without
//   parsing again; a change made by any process is seen by the next read.
//   Safe to use from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "foundation/NSDictionary.h"
#include "foundation/Result.h"
#include "objc/define.h"

class NSUserDefaults : public NSObject {
  OBJC_CLASS(NSUserDefaults, NSObject)
  OBJC_CLASS_METHOD(standardUserDefaults, "standardUserDefaults", Ref<NSUserDefaults>())
  // The whole domain, immutable, or nothing when it is absent or unreadable.
  OBJC_METHOD(persistentDomainForName, "persistentDomainForName:", Ref<NSDictionary>(NSString*))
  // Replaces the whole domain. Nothing is written when the dictionary holds a
  // value a property list cannot (logged).
  OBJC_METHOD(setPersistentDomainForName, "setPersistentDomain:forName:", void(NSDictionary*, NSString*))
  OBJC_METHOD(removePersistentDomainForName, "removePersistentDomainForName:", void(NSString*))
  // Every write is already on disk when it returns; kept for callers that ask.
  OBJC_METHOD(synchronize, "synchronize", bool())

 public:
  // One read-modify-write of a domain under its cross-process lock: `change`
  // gets a mutable copy of the domain (empty when absent) and the result is
  // stored as the whole domain. If `change` returns false, nothing is stored.
  // Returns whether a new domain was stored. Not a message: C++ callers only.
  template <class F>
  bool updatePersistentDomainForName(objc::Borrowed<NSString> name, F&& change) {
    auto stored = tryUpdatePersistentDomainForName(name, std::forward<F>(change));
    return stored.ok() && stored.value();
  }
  // The same, telling a declined change (false) from a write that failed (an
  // Error saying why: a full disk, a read-only folder, a lock that cannot be
  // taken, a value no property list holds). The failure is logged as well.
  template <class F>
  foundation::Result<bool> tryUpdatePersistentDomainForName(objc::Borrowed<NSString> name, F&& change) {
    return updateDomain(name.get(), [&](NSMutableDictionary* d) -> bool {
      if constexpr (std::is_void_v<std::invoke_result_t<F&, NSMutableDictionary*>>) {
        change(d);
        return true;
      } else {
        return static_cast<bool>(change(d));
      }
    });
  }
  // setPersistentDomain:forName: and removePersistentDomainForName:, with
  // the failure the messages only log. A domain that was never there is
  // removed without complaint.
  foundation::Status trySetPersistentDomainForName(objc::Borrowed<NSDictionary> domain, objc::Borrowed<NSString> name);
  foundation::Status tryRemovePersistentDomainForName(objc::Borrowed<NSString> name);

  static bool isValidDomainName(std::string_view name);
  // How many times a domain file has been parsed by this process.
  static std::uint64_t domainParseCount();
  // Forgets what the cache holds, so the next read of each domain parses.
  static void dropDomainCache();

 private:
  foundation::Result<bool> updateDomain(NSString* name, const std::function<bool(NSMutableDictionary*)>& change);

  static Ref<NSUserDefaults> standardUserDefaultsImpl(Class self);
  Ref<NSDictionary> persistentDomainForNameImpl(NSString* name);
  void setPersistentDomainForNameImpl(NSDictionary* domain, NSString* name);
  void removePersistentDomainForNameImpl(NSString* name);
  bool synchronizeImpl() { return true; }
};
