#include "preferences/NSBundle.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"
#include "preferences/PreferenceLoader.h"
#include "preferences/StringsText.h"

namespace fs = std::filesystem;

namespace {

std::mutex& bundlesMutex() {
  static std::mutex m;
  return m;
}
// Bundles live as long as the process, as on the device; the map is never
// destroyed, so the bundles stay reachable to the end.
std::map<std::string, Ref<NSBundle>>& bundlesByPath() {
  static auto* m = new std::map<std::string, Ref<NSBundle>>;
  return *m;
}

}  // namespace

void NSBundle::forgetBundlesWithoutCode() {
  std::lock_guard lock(bundlesMutex());
  std::erase_if(bundlesByPath(), [](const auto& entry) { return entry.second->handle_ == nullptr; });
}

namespace {

// A table is a property list (XML or binary) or the old text form.
foundation::Result<Ref<NSObject>> readStringsTable(const std::string& host) {
  std::error_code ec;
  auto size = fs::file_size(host, ec);
  if (ec) return foundation::Error{ec.message()};
  if (size > (16u << 20)) return foundation::Error{"larger than 16 MiB"};
  std::ifstream in(host, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) return foundation::Error{"could not be read"};
  std::size_t first = bytes.find_first_not_of(" \t\r\n");
  if (bytes.starts_with("bplist") || (first != std::string::npos && bytes[first] == '<'))
    return foundation::plistFromBytes(bytes);
  auto text = preferences::parseStringsText(bytes);
  if (!text) return foundation::Error{text.error()};
  return Ref<NSObject>(text.value());
}

std::string canonical(const std::string& hostPath) {
  std::error_code ec;
  auto p = fs::weakly_canonical(hostPath, ec);
  return ec ? hostPath : p.string();
}

std::string normalisedDevicePath(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Any function of the class's own tables locates the library it came from.
std::string libraryDefining(Class c) {
  for (Class k : {c, object_getClass(c)}) {
    for (const auto& name : class_copyMethodNames(k)) {
      IMP imp = class_getMethodImplementation(k, sel_registerName(name));
      Dl_info info{};
      if (imp.fn && dladdr(reinterpret_cast<void*>(imp.fn), &info) && info.dli_fname) return canonical(info.dli_fname);
    }
  }
  return {};
}

}  // namespace

std::vector<std::string> NSBundle::preferredLanguages() {
  std::vector<std::string> langs;
  auto add = [&](std::string l) {
    if (!l.empty() && std::find(langs.begin(), langs.end(), l) == langs.end()) langs.push_back(std::move(l));
  };
  if (const char* l = std::getenv("CORVALLO_LANGUAGE"); l && *l) add(l);
  // The locale's messages language, by POSIX precedence, as the pickers read theirs:
  // "pt_BR.UTF-8" looks in pt_BR.lproj, then pt.lproj.
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* l = std::getenv(name);
    if (!l || !*l) continue;
    std::string region = l;
    region = region.substr(0, region.find_first_of(".@"));
    std::string language = region.substr(0, region.find('_'));
    if (language != "C" && language != "POSIX") {
      if (region != language) add(region);
      add(language);
    }
    break;
  }
  add("en");
  add("Base");
  return langs;
}

Ref<NSBundle> NSBundle::bundleWithPathImpl(Class, NSString* path) {
  if (!path || path->utf8().empty()) return nullptr;
  std::string device = normalisedDevicePath(path->utf8());
  std::lock_guard g(bundlesMutex());
  auto& all = bundlesByPath();
  if (auto it = all.find(device); it != all.end()) return it->second;
  std::error_code ec;
  if (!fs::is_directory(foundation::devicePath(device), ec)) return nullptr;
  auto b = NSBundle::make();
  b->path_ = NSString::make(device);
  all[device] = b;
  return b;
}

Ref<NSBundle> NSBundle::mainBundleImpl(Class) {
  static NSBundle* const main = [] {
    auto b = NSBundle::make();
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    b->path_ = NSString::make(ec ? std::string("/") : exe.parent_path().string());
    b->executableHostPath_ = ec ? std::string() : exe.string();
    b->handle_ = dlopen(nullptr, RTLD_NOW);
    return b.leak();
  }();
  return Ref<NSBundle>(main);
}

Ref<NSBundle> NSBundle::bundleForClassImpl(Class, Class c) {
  if (c) {
    std::string lib = libraryDefining(c);
    if (!lib.empty()) {
      std::lock_guard g(bundlesMutex());
      for (auto& [path, b] : bundlesByPath())
        if (b->handle_ && b->executableHostPath_ == lib) return b;
    }
  }
  return mainBundle();
}

Ref<NSDictionary> NSBundle::infoDictionaryImpl() {
  std::lock_guard g(mutex_);
  if (!info_) {
    auto parsed = foundation::plistFromFile(foundation::devicePath(path_->utf8() + "/Info.plist"));
    auto* d = parsed ? objc_cast<NSDictionary>(parsed.value().get()) : nullptr;
    info_ = d ? Ref<NSDictionary>(d) : NSDictionary::dictionary();
  }
  return info_;
}

Ref<NSString> NSBundle::bundleIdentifierImpl() {
  return Ref<NSString>(objc_cast<NSString>(infoDictionary()->find("CFBundleIdentifier")));
}

bool NSBundle::loadImpl() {
  if (handle_) return true;
  auto* exe = objc_cast<NSString>(infoDictionary()->find("CFBundleExecutable"));
  if (!exe || exe->utf8().empty() || exe->utf8().find('/') != std::string::npos) {
    NSLog("Bundle %@ names no library to load (CFBundleExecutable)", path_);
    std::lock_guard g(mutex_);
    loadError_ = "it names no library to load";
    return false;
  }
  std::string host = canonical(foundation::devicePath(path_->utf8() + "/" + exe->utf8()));
  // Never closed: the classes the library registers stay registered, so its
  // code stays too, as on the device.
  void* h = dlopen(host.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!h) {
    std::string why = dlerror();
    NSLog("Bundle %@ could not be loaded: %s", path_, why);
    std::lock_guard g(mutex_);
    loadError_ = why;
    return false;
  }
  std::lock_guard g(bundlesMutex());
  executableHostPath_ = host;
  handle_ = h;
  return true;
}

Ref<NSObject> NSBundle::principalClassImpl() {
  if (!load()) return nullptr;
  auto* name = objc_cast<NSString>(infoDictionary()->find("NSPrincipalClass"));
  if (!name) return nullptr;
  return Ref<NSObject>(NSClassFromString(name->utf8()));
}

Ref<NSString> NSBundle::pathForResourceOfTypeImpl(NSString* name, NSString* type) {
  if (!name || name->utf8().empty()) return nullptr;
  std::string file = name->utf8();
  // A NUL would end the name early when the file is opened.
  if (file.find("..") != std::string::npos || file.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
    return nullptr;
  if (type && !type->utf8().empty()) {
    std::string t = type->utf8();
    if (t.front() == '.') t.erase(0, 1);
    if (t.find_first_of(std::string_view("/\0", 2)) != std::string::npos) return nullptr;
    file += "." + t;
  }
  std::vector<std::string> folders{path_->utf8()};
  for (const auto& l : preferredLanguages()) folders.push_back(path_->utf8() + "/" + l + ".lproj");
  for (const auto& folder : folders) {
    std::string device = folder + "/" + file;
    std::error_code ec;
    if (fs::is_regular_file(foundation::devicePath(device), ec)) return NSString::make(device);
  }
  return nullptr;
}

Ref<NSDictionary> NSBundle::table(const std::string& name) {
  {
    std::lock_guard g(mutex_);
    if (auto it = tables_.find(name); it != tables_.end()) return it->second;
  }
  Ref<NSDictionary> found = NSDictionary::dictionary();
  if (name.find('/') == std::string::npos && name.find("..") == std::string::npos) {
    for (const auto& l : preferredLanguages()) {
      std::string host = foundation::devicePath(path_->utf8() + "/" + l + ".lproj/" + name + ".strings");
      std::error_code ec;
      if (!fs::is_regular_file(host, ec)) continue;
      if (!preferences::insideDeviceRoot(path_->utf8() + "/" + l + ".lproj/" + name + ".strings")) {
        NSLog("Strings table %s leads outside the device root and is not read", host);
        break;
      }
      auto parsed = readStringsTable(host);
      if (auto* d = parsed ? objc_cast<NSDictionary>(parsed.value().get()) : nullptr) {
        found = d;
      } else {
        NSLog("Strings table %s could not be read: %s", host, parsed ? "not a dictionary" : parsed.error());
      }
      break;
    }
  }
  std::lock_guard g(mutex_);
  return tables_.emplace(name, found).first->second;
}

std::string NSBundle::loadError() {
  std::lock_guard g(mutex_);
  return loadError_;
}

bool NSBundle::hasLocalizedString(const std::string& key, const std::string& tableName) {
  return objc_cast<NSString>(table(tableName.empty() ? "Localizable" : tableName)->find(key)) != nullptr;
}

Ref<NSString> NSBundle::localizedStringForKeyValueTableImpl(NSString* key, NSString* value, NSString* tableName) {
  if (!key) return value && !value->utf8().empty() ? Ref<NSString>(value) : NSString::make("");
  std::string t = tableName && !tableName->utf8().empty() ? tableName->utf8() : "Localizable";
  if (auto* s = objc_cast<NSString>(table(t)->find(key->utf8()))) return Ref<NSString>(s);
  if (value && !value->utf8().empty()) return Ref<NSString>(value);
  return Ref<NSString>(key);
}

OBJC_IMPLEMENT(NSBundle)
