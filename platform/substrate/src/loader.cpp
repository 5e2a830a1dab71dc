#include "substrate/loader.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

// Whether the file starts as a Mach-O library (thin or fat) does.
bool isMachO(const fs::path& library) {
  unsigned char magic[4] = {};
  std::ifstream in(library, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(magic), sizeof magic)) return false;
  std::uint32_t word = std::uint32_t{magic[0]} << 24 | std::uint32_t{magic[1]} << 16 | std::uint32_t{magic[2]} << 8 | magic[3];
  for (std::uint32_t m : {0xfeedfaceu, 0xfeedfacfu, 0xcefaedfeu, 0xcffaedfeu, 0xcafebabeu, 0xbebafecau})
    if (word == m) return true;
  return false;
}

// Called right after a failed dlopen, while its reason is still the loader's last error.
void recordLoadFailure(InjectionReport& report, const std::string& name, const fs::path& library) {
  const char* why = ::dlerror();
  std::string reason = why ? why : "unknown error";
  // A tweak built for the phone is common in a real package: say so plainly.
  if (isMachO(library)) reason += " (a Mach-O library, built for the phone: it cannot load here)";
  LoadFailure failure{name, library.string(), reason};
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

std::optional<std::string> unsafeLibraryFolder() {
  const fs::path root = fs::path(foundation::devicePath("/")).lexically_normal();
  const uid_t self = ::geteuid();
  for (const char* prefix : {"", kRootlessPrefix}) {
    fs::path folder = fs::path(foundation::devicePath(std::string(prefix) + kDynamicLibrariesFolder)).lexically_normal();
    for (fs::path p = folder;; p = p.parent_path()) {
      struct stat st {};
      if (::stat(p.c_str(), &st) == 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        if (st.st_uid != self && st.st_uid != 0)
          return p.string() + " belongs to another user (uid " + std::to_string(st.st_uid) + ")";
        if (st.st_mode & (S_IWGRP | S_IWOTH)) return p.string() + " is writable by other users (mode " + mode + ")";
      }
      if (p == root || p == p.parent_path() || p.filename().empty()) break;
    }
  }
  return std::nullopt;
}

}  // namespace substrate
