// Finding settings entries as the device does: each entry plist in
// "/Library/PreferenceLoader/Preferences" (and under "/var/jb") is one row of
// the Settings list. An entry holds its page itself, or names a bundle in
// "/Library/PreferenceBundles" whose page list or code makes the page.
#pragma once

#include <string>
#include <vector>

#include "preferences/NSBundle.h"
#include "uikit/UIViewController.h"

namespace preferences {

inline constexpr const char* kEntriesFolder = "/Library/PreferenceLoader/Preferences";
inline constexpr const char* kBundlesFolder = "/Library/PreferenceBundles";

enum class EntryKind {
  Simple,  // the entry plist holds the page's items itself
  Bundle,  // a bundle, with or without code
  Broken,  // cannot open; `problem` says why
};

struct BundleEntry {
  std::string entryFile;  // device path of the entry plist
  std::string label;
  std::string bundlePath;  // device path of the bundle folder; empty for a simple entry without one
  std::string icon;
  std::string controllerClass;  // the entry's detail, else the bundle's principal class
  EntryKind kind = EntryKind::Bundle;
  std::string problem;  // one line, for a broken entry
};

// Every entry, in file-name order, the plain layout's before "/var/jb". An
// entry that cannot open is listed as broken with what is wrong.
std::vector<BundleEntry> discoverBundles();

// The device path of the entry's icon file (in its bundle, else beside the
// entry plist; the largest of "@3x", "@2x" and plain), or empty.
std::string entryIconPath(const BundleEntry& entry);

// Whether a device path, followed through every link, stays in the device root.
bool insideDeviceRoot(const std::string& devicePath);

// The page an entry opens. Never nothing: an entry that cannot open gives a
// page saying why in one line. The code of a bundle that cannot load here
// leaves its page list on the plain list page, with a notice at the top.
Ref<UIViewController> openEntry(const BundleEntry& entry);

}  // namespace preferences
