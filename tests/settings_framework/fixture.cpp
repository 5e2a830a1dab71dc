#include "fixture.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "foundation/DevicePaths.h"
#include "foundation/NSUserDefaults.h"

namespace fs = std::filesystem;

OBJC_IMPLEMENT(FixturePage)

namespace preferences_test {

const std::string& deviceRoot() {
  static const std::string root = [] {
    std::string base = (fs::temp_directory_path() / "cvframework-XXXXXX").string();
    if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    foundation::setDeviceRootOverride(base);
    fs::create_directories(base + kBundle + "/en.lproj");
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(foundation::deviceRoot(), ec);
    });
    return base;
  }();
  return root;
}

Ref<NSBundle> fixtureBundle() {
  deviceRoot();
  return NSBundle::bundleWithPath(NSString::make(kBundle));
}

namespace {
void writeFile(const std::string& devicePath, const std::string& text) {
  deviceRoot();
  std::ofstream(foundation::devicePath(devicePath)) << text;
}
std::string plist(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}
}  // namespace

void writeList(const std::string& name, const std::string& itemsXml, const std::string& title) {
  std::string body = "<dict>";
  if (!title.empty()) body += "<key>title</key><string>" + title + "</string>";
  body += "<key>items</key><array>" + itemsXml + "</array></dict>";
  writeFile(std::string(kBundle) + "/" + name + ".plist", plist(body));
}

void writeStrings(const std::string& table, const std::string& dictXml) {
  writeFile(std::string(kBundle) + "/en.lproj/" + table + ".strings", plist("<dict>" + dictXml + "</dict>"));
}

std::string row(const std::string& cell, const std::string& label, const std::string& key, const std::string& extra) {
  std::string s = "<dict><key>cell</key><string>" + cell + "</string><key>label</key><string>" + label + "</string>";
  if (!key.empty())
    s += "<key>key</key><string>" + key + "</string><key>defaults</key><string>" + kDomain + "</string>";
  return s + extra + "</dict>";
}

void clearDomain() {
  deviceRoot();
  Ref<NSString> domain = NSString::make(kDomain);
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(domain);
}

Ref<NSObject> stored(const std::string& key) {
  Ref<NSString> domain = NSString::make(kDomain);
  Ref<NSDictionary> d = NSUserDefaults::standardUserDefaults()->persistentDomainForName(domain);
  return d ? d->objectForKey(key) : nullptr;
}

Ref<PSSpecifier> item(const std::string& name, long cell) {
  return PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(NSString::make(name), nullptr, nullptr,
                                                                         nullptr, nullptr, cell, nullptr);
}

Ref<PSSpecifier> groupItem(const std::string& name) {
  return PSSpecifier::groupSpecifierWithName(NSString::make(name));
}

Ref<NSIndexPath> at(long section, long row) { return NSIndexPath::indexPathForRowInSection(row, section); }

}  // namespace preferences_test
