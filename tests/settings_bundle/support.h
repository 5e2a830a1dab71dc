// A device root holding CorvalloPrefs.bundle, loaded into the test process as
// the Settings host loads it, and pages made from page lists written for a test.
//
// The bundle's headers are included for their messages only: the classes live
// in the loaded bundle, so tests send to them and never name their cls().
#pragma once

#include <string>

#include "CVLOBaseListController.h"
#include "CVLOSubListController.h"
#include "cells/CVLOBaseTableCell.h"
#include "cells/UIColor+RGBHex.h"
#include "cells/UIView+Rounding.h"
#include "foundation/NSUserDefaults.h"
#include "preferences/PSListController.h"
#include "uikit/UINavigationController.h"

namespace prefs_test {

using Base = CVLOBaseListController;

inline constexpr const char* kDomain = "com.tenvarix.prefstest";
inline constexpr const char* kBundle = "/Library/PreferenceBundles/CorvalloPrefs.bundle";
// The screen of the device the pages are laid out for.
inline constexpr double kScreenWidth = 375;
inline constexpr double kScreenHeight = 812;

// The device root of this test process (made once).
const std::string& deviceRoot();
Ref<NSBundle> bundle();

// Writes "<name>.plist" into the bundle with the given rows (XML <dict>s).
void writeList(const std::string& name, const std::string& itemsXml);
// A row bound to the test domain.
std::string row(const std::string& cell, const std::string& label, const std::string& key,
                const std::string& depends = "", const std::string& extra = "");
std::string group(const std::string& label = "");

// A new instance of a class of the bundle, sent init.
Ref<PSListController> newPage(const char* className);
// A new cell of a class of the bundle for the row, in the default style.
Ref<PSTableCell> newCell(const char* className, PSSpecifier* item);
// A new CVLOBaseListController reading `list` in both appearances.
Ref<PSListController> basePage(const std::string& list);
// Its rows, loaded.
Ref<NSArray> load(const Ref<PSListController>& page);

void store(const std::string& key, const Ref<NSObject>& value);
void clearDomain();
Ref<PSSpecifier> rowWithKey(PSListController* page, const std::string& key);
// The loaded row with that title; a test failure when there is none.
Ref<PSSpecifier> titled(PSListController* page, const std::string& title);
// Whether the page's rules hide the row with that title.
bool hides(PSListController* page, const std::string& title);

// Runs queued work until none is left on the global queues (where the write
// checks and deferred reloads start) or the main queue. A test failure when
// that takes seconds.
void drainQueues();

}  // namespace prefs_test
