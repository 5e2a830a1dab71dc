#include "preferences/PreferenceLoader.h"

#include <algorithm>
#include <filesystem>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace preferences {

namespace {

std::string text(NSDictionary* d, std::string_view key) {
  auto* s = objc_cast<NSString>(d->find(key));
  return s ? s->utf8() : std::string();
}

bool hasDotDot(const std::string& path) {
  for (std::size_t at = 0; (at = path.find("..", at)) != std::string::npos; ++at) {
    bool starts = at == 0 || path[at - 1] == '/';
    bool ends = at + 2 == path.size() || path[at + 2] == '/';
    if (starts && ends) return true;
  }
  return false;
}

// The bundle folder an entry names: a plain name in the layout's bundle
// folder, or a device path. Empty when the name climbs or holds a NUL.
std::string bundleFolder(const std::string& prefix, const std::string& name) {
  if (name.empty() || hasDotDot(name) || name.find('\0') != std::string::npos) return {};
  if (name.front() != '/' && name.find('/') != std::string::npos) return {};
  std::string folder = name.front() == '/' ? name : prefix + kBundlesFolder + "/" + name;
  if (!folder.ends_with(".bundle")) folder += ".bundle";
  return folder;
}

BundleEntry readEntry(const std::string& prefix, const std::string& file) {
  BundleEntry e;
  e.entryFile = prefix + kEntriesFolder + "/" + file;
  e.label = file.substr(0, file.size() - 6);  // until the entry names one
  auto broken = [&](std::string why) {
    NSLog("Preference entry %s cannot open: %s", e.entryFile, why);
    e.kind = EntryKind::Broken;
    e.problem = std::move(why);
    return e;
  };
  if (!insideDeviceRoot(e.entryFile)) return broken("the entry leads outside the device root");
  auto parsed = foundation::plistFromFile(foundation::devicePath(e.entryFile));
  if (!parsed) return broken("the entry plist could not be read: " + parsed.error());
  auto* root = objc_cast<NSDictionary>(parsed.value().get());
  auto* entry = root ? objc_cast<NSDictionary>(root->find("entry")) : nullptr;
  if (!entry) return broken(root ? "the entry plist has no entry dictionary" : "the entry plist is not a dictionary");
  if (std::string label = text(entry, "label"); !label.empty()) e.label = label;
  e.icon = text(entry, "icon");
  e.controllerClass = text(entry, "detail");
  std::string bundle = text(entry, "bundle");
  if (root->find("items")) {
    e.kind = EntryKind::Simple;
    if (bundle.empty()) return e;
  }
  if (bundle.empty()) return broken("the entry names neither a bundle nor items");
  e.bundlePath = bundleFolder(prefix, bundle);
  if (e.bundlePath.empty()) return broken("the entry names the bundle \"" + bundle + "\", which is not a bundle name");
  if (!insideDeviceRoot(e.bundlePath)) return broken("the bundle " + e.bundlePath + " leads outside the device root");
  std::error_code ec;
  if (!fs::is_directory(foundation::devicePath(e.bundlePath), ec))
    return broken("the bundle " + e.bundlePath + " is not installed");
  if (text(entry, "label").empty() && e.kind == EntryKind::Bundle)
    e.label = fs::path(e.bundlePath).stem().string();
  return e;
}

}  // namespace

bool insideDeviceRoot(const std::string& device) {
  std::error_code ec;
  fs::path root = fs::weakly_canonical(foundation::deviceRoot(), ec);
  if (ec) return false;
  fs::path real = fs::weakly_canonical(foundation::devicePath(device), ec);
  if (ec) return false;
  auto [r, p] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  return r == root.end();
}

std::string entryIconPath(const BundleEntry& e) {
  if (e.icon.empty() || e.icon.find('/') != std::string::npos || hasDotDot(e.icon)) return {};
  std::string stem = e.icon.ends_with(".png") ? e.icon.substr(0, e.icon.size() - 4) : e.icon;
  std::vector<std::string> folders;
  if (!e.bundlePath.empty()) folders.push_back(e.bundlePath);
  folders.push_back(fs::path(e.entryFile).parent_path().string());
  for (const auto& folder : folders)
    for (const char* scale : {"@3x", "@2x", ""}) {
      std::string device = folder + "/" + stem + scale + ".png";
      std::error_code ec;
      if (fs::is_regular_file(foundation::devicePath(device), ec) && insideDeviceRoot(device)) return device;
    }
  return {};
}

std::vector<BundleEntry> discoverBundles() {
  std::vector<BundleEntry> found;
  // A rootless installation keeps its entries and bundles under /var/jb.
  for (std::string prefix : {"", "/var/jb"}) {
    std::error_code ec;
    std::vector<std::string> files;
    for (fs::directory_iterator it(foundation::devicePath(prefix + kEntriesFolder), ec), end; !ec && it != end;
         it.increment(ec))
      if (it->path().extension() == ".plist" && it->path().stem() != "") files.push_back(it->path().filename().string());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) found.push_back(readEntry(prefix, file));
  }
  return found;
}

}  // namespace preferences
