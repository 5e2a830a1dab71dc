#include "substrate/loader.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "foundation/PropertyList.h"

namespace substrate {

namespace fs = std::filesystem;

namespace {

bool arrayHolds(const Ref<NSObject>& list, std::string_view wanted) {
  auto* array = objc_cast<NSArray>(list);
  if (!array || wanted.empty()) return false;
  for (unsigned long i = 0, n = array->count(); i < n; ++i) {
    auto* text = objc_cast<NSString>(array->objectAtIndex(i).get());
    if (text && text->utf8() == wanted) return true;
  }
  return false;
}

// Called right after a failed dlopen, while its reason is still the loader's last error.
void recordLoadFailure(InjectionReport& report, const std::string& name, const fs::path& library) {
  const char* why = ::dlerror();
  LoadFailure failure{name, library.string(), why ? why : "unknown error"};
  NSLog("MS:Error: %s", failure.line());
  report.failed.push_back(std::move(failure));
}

}  // namespace

bool filterSelects(std::string_view bytes, std::string_view bundleIdentifier, std::string_view executableName) {
  auto parsed = foundation::plistFromBytes(bytes);
  if (!parsed) return false;
  auto* root = objc_cast<NSDictionary>(parsed.value().get());
  if (!root) return false;
  auto* filter = objc_cast<NSDictionary>(root->objectForKey("Filter").get());
  if (!filter) return false;
  return arrayHolds(filter->objectForKey("Bundles"), bundleIdentifier) ||
         arrayHolds(filter->objectForKey("Executables"), executableName);
}

InjectionReport injectLibraries(std::string_view bundleIdentifier, std::string_view executableName) {
  InjectionReport report;
  std::vector<fs::path> libraries;
  // Rootless installations keep theirs under /var/jb.
  for (const char* prefix : {"", kRootlessPrefix}) {
    std::error_code ec;
    std::vector<fs::path> found;
    fs::path folder = foundation::devicePath(std::string(prefix) + kDynamicLibrariesFolder);
    for (const auto& entry : fs::directory_iterator(folder, ec))
      if (entry.path().extension() == ".dylib") found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    libraries.insert(libraries.end(), found.begin(), found.end());
  }

  for (const auto& library : libraries) {
    std::string name = library.stem().string();
    fs::path filterPath = library;
    filterPath.replace_extension(".plist");
    std::ifstream in(filterPath, std::ios::binary);
    if (!in) {
      report.skipped.push_back(name);
      continue;
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (!filterSelects(bytes.str(), bundleIdentifier, executableName)) {
      report.skipped.push_back(name);
      continue;
    }
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle) {
      recordLoadFailure(report, name, library);
      continue;
    }
    NSLog("MS:Notice: Loading: %s", library.c_str());
    report.loaded.push_back({name, library.string(), handle});
  }
  return report;
}

}  // namespace substrate
