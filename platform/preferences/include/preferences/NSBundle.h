// Bundles: a folder with an Info.plist, a library and resources, some of them
// per language ("en.lproj/Localizable.strings"). Paths are device paths.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "objc/define.h"

class NSBundle : public NSObject {
  OBJC_CLASS(NSBundle, NSObject)
 public:
  // The same object for the same folder; nothing when there is no such folder.
  static Ref<NSBundle> bundleWithPath(NSString* path) {
    return ref_cast<NSBundle>(objc::send<Ref<NSObject>(NSString*), "bundleWithPath:">(cls(), path));
  }
  // The bundle whose library defines `cls`, else the main bundle.
  static Ref<NSBundle> bundleForClass(Class c) {
    return ref_cast<NSBundle>(objc::send<Ref<NSObject>(Class), "bundleForClass:">(cls(), c));
  }
  static Ref<NSBundle> mainBundle() { return ref_cast<NSBundle>(objc::send<Ref<NSObject>(), "mainBundle">(cls())); }

  // Loads the library Info.plist names (CFBundleExecutable); true when loaded.
  bool load() { return objc::send<bool(), "load">(this); }
  bool isLoaded() { return objc::send<bool(), "isLoaded">(this); }
  // NSPrincipalClass of Info.plist, loading the library first.
  Class principalClass() {
    return static_cast<Class>(objc::send<Ref<NSObject>(), "principalClass">(this).get());
  }
  Ref<NSDictionary> infoDictionary() { return objc::send<Ref<NSDictionary>(), "infoDictionary">(this); }
  Ref<NSString> bundlePath() { return objc::send<Ref<NSString>(), "bundlePath">(this); }
  Ref<NSString> bundleIdentifier() { return objc::send<Ref<NSString>(), "bundleIdentifier">(this); }
  // The resource's device path: the bundle folder first, then the folders of
  // the preferred languages. Nothing when there is none.
  Ref<NSString> pathForResourceOfType(NSString* name, NSString* type) {
    return objc::send<Ref<NSString>(NSString*, NSString*), "pathForResource:ofType:">(this, name, type);
  }
  // From "<language>.lproj/<table>.strings" (table nothing: "Localizable");
  // a missing key gives `value` when it is not empty, else the key.
  Ref<NSString> localizedStringForKeyValueTable(NSString* key, NSString* value, NSString* table) {
    return objc::send<Ref<NSString>(NSString*, NSString*, NSString*), "localizedStringForKey:value:table:">(
        this, key, value, table);
  }

  // Whether the key has a translation in the table (not a message).
  bool hasLocalizedString(const std::string& key, const std::string& table);
  // The languages looked in, best first: $CORVALLO_LANGUAGE, else $LANG's
  // language, then "en" and "Base".
  static std::vector<std::string> preferredLanguages();

 private:
  static Ref<NSBundle> bundleWithPathImpl(NSObject* cls, SEL, NSString* path);
  static Ref<NSBundle> bundleForClassImpl(NSObject* cls, SEL, Class c);
  static Ref<NSBundle> mainBundleImpl(NSObject* cls, SEL);
  bool loadImpl();
  bool isLoadedImpl() { return handle_ != nullptr; }
  Ref<NSObject> principalClassImpl();
  Ref<NSDictionary> infoDictionaryImpl();
  Ref<NSString> bundlePathImpl() { return path_; }
  Ref<NSString> bundleIdentifierImpl();
  Ref<NSString> pathForResourceOfTypeImpl(NSString* name, NSString* type);
  Ref<NSString> localizedStringForKeyValueTableImpl(NSString* key, NSString* value, NSString* table);
  Ref<NSDictionary> table(const std::string& name);

  Ref<NSString> path_;
  Ref<NSDictionary> info_;
  void* handle_;
  std::string executableHostPath_;
  std::mutex mutex_;
  std::map<std::string, Ref<NSDictionary>> tables_;
};
