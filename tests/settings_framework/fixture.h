// A device root with a bundle folder the tests write page lists and strings
// into, and a page class that reads them from there.
#pragma once

#include <string>

#include "preferences/PSListController.h"

namespace preferences_test {

inline constexpr const char* kDomain = "com.tenvarix.frameworktest";
inline constexpr const char* kBundle = "/Library/PreferenceBundles/Fixture.bundle";

// Made once per process; removed at exit.
const std::string& deviceRoot();
Ref<NSBundle> fixtureBundle();

// Writes "<name>.plist" into the bundle: a page list with `itemsXml` as its
// items and, when given, a title.
void writeList(const std::string& name, const std::string& itemsXml, const std::string& title = "");
// Writes "en.lproj/<table>.strings".
void writeStrings(const std::string& table, const std::string& dictXml);
// A page-list row; `key` binds it to the test domain.
std::string row(const std::string& cell, const std::string& label, const std::string& key = "",
                const std::string& extra = "");

void clearDomain();
Ref<NSObject> stored(const std::string& key);

// Rows a test builds by hand.
Ref<PSSpecifier> item(const std::string& name, long cell = PSStaticTextCell);
Ref<PSSpecifier> groupItem(const std::string& name);
Ref<NSIndexPath> at(long section, long row);

}  // namespace preferences_test

// A page of the fixture bundle. With `nextRows` set, reloading takes those
// rows, the way a page that keeps its rows hands them back.
class FixturePage : public PSListController {
  OBJC_CLASS(FixturePage, PSListController)
  OBJC_OVERRIDE(bundle)
  OBJC_OVERRIDE(specifiers)

 public:
  Ref<NSMutableArray> nextRows = nullptr;

 private:
  Ref<NSBundle> bundleImpl() { return preferences_test::fixtureBundle(); }
  Ref<NSArray> specifiersImpl() {
    if (!_specifiers) _specifiers = nextRows;
    return _specifiers;
  }
};

namespace preferences_test {

// A page of the page list `name` holding these rows, loaded as the table loads them.
inline Ref<FixturePage> loadedPage(const std::string& name, const std::string& itemsXml) {
  writeList(name, itemsXml);
  auto p = FixturePage::make();
  p->nextRows = p->loadSpecifiersFromPlistNameTarget(NSString::make(name), p);
  p->table()->reloadData();
  return p;
}

}  // namespace preferences_test
