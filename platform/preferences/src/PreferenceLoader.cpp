#include "preferences/PreferenceLoader.h"

#include <algorithm>
#include <filesystem>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"

namespace fs = std::filesystem;

namespace preferences {

namespace {
bool plainName(const std::string& s) { return !s.empty() && s.find('/') == std::string::npos && s != "." && s != ".."; }
std::string text(NSDictionary* d, std::string_view key) {
  auto* s = objc_cast<NSString>(d->find(key));
  return s ? s->utf8() : std::string();
}
}  // namespace

std::vector<BundleEntry> discoverBundles() {
  std::vector<BundleEntry> found;
  // A rootless installation keeps its entries and bundles under /var/jb.
  for (std::string prefix : {"", "/var/jb"}) {
    std::error_code ec;
    std::vector<std::string> files;
    for (fs::directory_iterator it(foundation::devicePath(prefix + kEntriesFolder), ec), end; !ec && it != end;
         it.increment(ec))
      if (it->path().extension() == ".plist") files.push_back(it->path().filename().string());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      std::string device = prefix + kEntriesFolder + "/" + file;
      auto parsed = foundation::plistFromFile(foundation::devicePath(device));
      auto* root = parsed ? objc_cast<NSDictionary>(parsed.value().get()) : nullptr;
      auto* entry = root ? objc_cast<NSDictionary>(root->find("entry")) : nullptr;
      if (!entry) {
        NSLog("Preference entry %s could not be read: %s", device,
              parsed ? std::string("no entry dictionary") : parsed.error());
        continue;
      }
      BundleEntry e;
      e.entryFile = device;
      e.label = text(entry, "label");
      e.icon = text(entry, "icon");
      e.controllerClass = text(entry, "detail");
      std::string bundle = text(entry, "bundle");
      if (!plainName(bundle)) {
        NSLog("Preference entry %s names no bundle", device);
        continue;
      }
      e.bundlePath = prefix + kBundlesFolder + "/" + bundle + ".bundle";
      if (!fs::is_directory(foundation::devicePath(e.bundlePath), ec)) {
        NSLog("Preference entry %s names %s, which is not installed", device, e.bundlePath);
        continue;
      }
      if (e.label.empty()) e.label = bundle;
      found.push_back(std::move(e));
    }
  }
  return found;
}

}  // namespace preferences
