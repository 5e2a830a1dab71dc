#include "support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSNumber.h"

namespace fs = std::filesystem;

namespace prefs_test {

const std::string& deviceRoot() {
  static const std::string root = [] {
    std::string base = (fs::temp_directory_path() / "cvprefs-XXXXXX").string();
    if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    foundation::setDeviceRootOverride(base);
    fs::create_directories(base + "/Library/PreferenceBundles");
    fs::copy(PREFS_BUNDLE_DIR, base + kBundle, fs::copy_options::recursive);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(foundation::deviceRoot(), ec);
    });
    return base;
  }();
  return root;
}

Ref<NSBundle> bundle() {
  deviceRoot();
  auto b = NSBundle::bundleWithPath(NSString::make(kBundle));
  if (!b || !b->load()) throw std::runtime_error("CorvalloPrefs.bundle does not load");
  return b;
}

void writeList(const std::string& name, const std::string& itemsXml) {
  bundle();
  std::ofstream out(foundation::devicePath(std::string(kBundle) + "/" + name + ".plist"));
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>items</key><array>" << itemsXml
      << "</array></dict></plist>\n";
}

namespace {
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : std::string(1, c);
  return out;
}
}  // namespace

std::string row(const std::string& cell, const std::string& label, const std::string& key, const std::string& depends,
                const std::string& extra) {
  std::string s = "<dict><key>cell</key><string>" + cell + "</string><key>label</key><string>" + label + "</string>";
  if (!key.empty())
    s += "<key>key</key><string>" + key + "</string><key>defaults</key><string>" + kDomain + "</string>";
  if (!depends.empty()) s += "<key>depends</key><string>" + escaped(depends) + "</string>";
  return s + extra + "</dict>";
}

std::string group(const std::string& label) {
  return "<dict><key>cell</key><string>PSGroupCell</string><key>label</key><string>" + label + "</string></dict>";
}

Ref<PSListController> newPage(const char* className) {
  bundle();
  Class cls = objc_getClass(className);
  if (!cls) throw std::runtime_error(std::string("no ") + className);
  Ref<NSObject> fresh = objc::send<NSObject::allocMessage>(cls);
  return objc::downcast<PSListController>(objc::send<NSObject::initMessage>(fresh));
}

Ref<PSTableCell> newCell(const char* className, PSSpecifier* item) {
  bundle();
  Ref<NSObject> fresh = objc::send<NSObject::allocMessage>(objc_getClass(className));
  return ref_cast<PSTableCell>(fresh)->initWithStyleReuseIdentifierSpecifier(0, nullptr, item);
}

Ref<PSListController> basePage(const std::string& list) {
  auto page = newPage("CVLOBaseListController");
  objc::send<Base::setDarkModePlistLightModePlistMessage>(page, NSString::make(list), NSString::make(list));
  return page;
}

Ref<NSArray> load(const Ref<PSListController>& page) { return page->specifiers(); }

void store(const std::string& key, const Ref<NSObject>& value) {
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      NSString::make(kDomain), [&](NSMutableDictionary* d) { d->setObjectForKey(value, key); });
}

void clearDomain() { NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(NSString::make(kDomain)); }

Ref<PSSpecifier> rowWithKey(PSListController* page, const std::string& key) {
  return objc::send<Base::specifierForKeyMessage>(page, NSString::make(key));
}

Ref<PSSpecifier> titled(PSListController* page, const std::string& title) {
  for (const auto& o : page->_specifiers->items()) {
    auto* s = static_cast<PSSpecifier*>(o.get());
    if (s->name() && s->name()->utf8() == title) return Ref<PSSpecifier>(s);
  }
  ADD_FAILURE() << "no row " << title;
  return nullptr;
}

bool hides(PSListController* page, const std::string& title) {
  return objc::send<Base::shouldHideSpecifierMessage>(page, titled(page, title));
}

namespace {
constexpr auto kPatience = std::chrono::seconds(5);
}  // namespace

void drainQueues() {
  if (!dispatch::runMainUntilQuiet(kPatience)) ADD_FAILURE() << "the queues kept finding work";
}

}  // namespace prefs_test
