// Finding preference bundles as the device does: each entry plist in
// "/Library/PreferenceLoader/Preferences" names a bundle in
// "/Library/PreferenceBundles", its label, icon and page class.
#pragma once

#include <string>
#include <vector>

#include "preferences/NSBundle.h"

namespace preferences {

inline constexpr const char* kEntriesFolder = "/Library/PreferenceLoader/Preferences";
inline constexpr const char* kBundlesFolder = "/Library/PreferenceBundles";

struct BundleEntry {
  std::string entryFile;  // device path of the entry plist
  std::string label;
  std::string bundlePath;  // device path of the bundle folder
  std::string icon;
  std::string controllerClass;  // the entry's detail, else the bundle's principal class
};

// The entries in file-name order. An entry that cannot be read or names no
// usable bundle is left out with one log line.
std::vector<BundleEntry> discoverBundles();

}  // namespace preferences
