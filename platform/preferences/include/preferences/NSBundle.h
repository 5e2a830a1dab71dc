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
  // The same object for the same folder; nothing when there is no such folder.
  OBJC_CLASS_METHOD(bundleWithPath, "bundleWithPath:", Ref<NSBundle>(NSString*))
  // The bundle whose library defines `cls`, else the main bundle.
  OBJC_CLASS_METHOD(bundleForClass, "bundleForClass:", Ref<NSBundle>(Class))
  OBJC_CLASS_METHOD(mainBundle, "mainBundle", Ref<NSBundle>())
  // Loads the library Info.plist names (CFBundleExecutable); true when loaded.
  OBJC_METHOD(load, "load", bool())
  OBJC_METHOD(isLoaded, "isLoaded", bool())
  OBJC_METHOD(infoDictionary, "infoDictionary", Ref<NSDictionary>())
  OBJC_METHOD(bundlePath, "bundlePath", Ref<NSString>())
  OBJC_METHOD(bundleIdentifier, "bundleIdentifier", Ref<NSString>())
  // The resource's device path: the bundle folder first, then the folders of
  // the preferred languages. Nothing when there is none.
  OBJC_METHOD(pathForResourceOfType, "pathForResource:ofType:", Ref<NSString>(NSString*, NSString*))
  // From "<language>.lproj/<table>.strings" (table nothing: "Localizable");
  // a missing key gives `value` when it is not empty, else the key.
  OBJC_METHOD(localizedStringForKeyValueTable,
              "localizedStringForKey:value:table:", Ref<NSString>(NSString*, NSString*, NSString*))

 public:
  // NSPrincipalClass of Info.plist, loading the library first. The message
  // answers the class as an object; the sender hands back the Class.
  using principalClassMessage = objc::Message<"principalClass", Ref<NSObject>()>;
  Class principalClass() { return static_cast<Class>(objc::send<principalClassMessage>(this).get()); }
  OBJC_OVERRIDE(principalClass)

 public:
  // Why the last load failed, in one line; empty when it did not (not a message).
  std::string loadError();
  // Whether the key has a translation in the table (not a message).
  bool hasLocalizedString(const std::string& key, const std::string& table);
  // The languages looked in, best first: $CORVALLO_LANGUAGE, then the
  // region and language of the first of $LC_ALL, $LC_MESSAGES and $LANG that
  // is set, then "en" and "Base".
  static std::vector<std::string> preferredLanguages();
  // Forgets the bundles whose code is not loaded, so the next look at one
  // reads its Info.plist and string tables again (a package reinstalled with
  // new texts). Bundles with loaded code stay: their classes point at them.
  static void forgetBundlesWithoutCode();

 private:
  static Ref<NSBundle> bundleWithPathImpl(Class self, NSString* path);
  static Ref<NSBundle> bundleForClassImpl(Class self, Class c);
  static Ref<NSBundle> mainBundleImpl(Class self);
  bool loadImpl();
  bool isLoadedImpl() { return handle_ != nullptr; }
  Ref<NSObject> principalClassImpl();
  Ref<NSDictionary> infoDictionaryImpl();
  Ref<NSString> bundlePathImpl() { return path_; }
  Ref<NSString> bundleIdentifierImpl();
  Ref<NSString> pathForResourceOfTypeImpl(NSString* name, NSString* type);
  Ref<NSString> localizedStringForKeyValueTableImpl(NSString* key, NSString* value, NSString* table);
  Ref<NSDictionary> table(const std::string& name);

  Ref<NSString> path_ = nullptr;
  Ref<NSDictionary> info_ = nullptr;
  void* handle_ = nullptr;
  std::string executableHostPath_ = {};
  std::string loadError_ = {};
  std::mutex mutex_ = {};
  std::map<std::string, Ref<NSDictionary>> tables_ = {};
};
