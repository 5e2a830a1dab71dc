// A device root holding CorvalloPrefs.bundle, loaded into the test process as
// the Settings host loads it, and pages made from page lists written for a test.
#pragma once

#include <string>

#include "foundation/NSUserDefaults.h"
#include "preferences/PSListController.h"
#include "uikit/UINavigationController.h"

namespace prefs_test {

inline constexpr const char* kDomain = "com.tenvarix.prefstest";
inline constexpr const char* kBundle = "/Library/PreferenceBundles/CorvalloPrefs.bundle";

// The device root of this test process (made once).
const std::string& deviceRoot();
Ref<NSBundle> bundle();

// Writes "<name>.plist" into the bundle with the given rows (XML <dict>s).
void writeList(const std::string& name, const std::string& itemsXml);
// A row bound to the test domain.
std::string row(const std::string& cell, const std::string& label, const std::string& key,
                const std::string& depends = "", const std::string& extra = "");
std::string group(const std::string& label = "");

// A new CVLOBaseListController reading `list` in both appearances.
Ref<PSListController> basePage(const std::string& list);
// Its rows, loaded.
Ref<NSArray> load(PSListController* page);

void store(const std::string& key, NSObject* value);
void clearDomain();
Ref<PSSpecifier> rowWithKey(PSListController* page, const std::string& key);
// The loaded row with that title; a test failure when there is none.
Ref<PSSpecifier> titled(PSListController* page, const std::string& title);
// Whether the page's rules hide the row with that title.
bool hides(PSListController* page, const std::string& title);
// Waits for the main-queue work of the page (deferred reloads) to finish.
void settle();

}  // namespace prefs_test
