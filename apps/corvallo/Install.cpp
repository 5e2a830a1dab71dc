#include "Install.h"

#include <unistd.h>

#include <stdexcept>
#include <system_error>

namespace device {

namespace fs = std::filesystem;

BuildOutput BuildOutput::besideExecutable() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  fs::path build = ec ? fs::current_path() : exe.parent_path().parent_path();
  return {build / "bin", build / "lib", build / "stage"};
}

namespace {

fs::path under(const fs::path& root, const std::string& devicePath) {
  return root / fs::path(devicePath).relative_path();
}

void copyAtomically(const fs::path& from, const fs::path& to) {
  fs::create_directories(to.parent_path());
  fs::path tmp = to;
  tmp += ".installing." + std::to_string(::getpid());
  fs::copy_file(from, tmp, fs::copy_options::overwrite_existing);
  fs::permissions(tmp, fs::status(from).permissions());
  fs::rename(tmp, to);
}

}  // namespace

InstallReport install(const BuildOutput& build, const fs::path& root) {
  struct Item {
    fs::path from;
    std::string to;
  };
  const Item items[] = {
      {build.lib / "Corvallo.dylib", "/Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib"},
      {build.lib / "Corvallo.plist", "/Library/MobileSubstrate/DynamicLibraries/Corvallo.plist"},
      {build.lib / "CydiaSubstrate", "/var/jb/Library/Frameworks/CydiaSubstrate.framework/CydiaSubstrate"},
      {build.lib / "libcolorpicker.dylib", "/var/jb/usr/lib/libcolorpicker.dylib"},
  };
  InstallReport report;
  try {
    fs::create_directories(root);
    for (const auto& item : items) {
      if (!fs::exists(item.from)) {
        report.missing.push_back(item.from.string());
        continue;
      }
      copyAtomically(item.from, under(root, item.to));
      report.installed.push_back(item.to);
    }
    // The settings bundle arrives staged as a tree of device paths.
    if (fs::is_directory(build.stage)) {
      for (const auto& entry : fs::recursive_directory_iterator(build.stage)) {
        if (!entry.is_regular_file()) continue;
        std::string devicePath = "/" + fs::relative(entry.path(), build.stage).generic_string();
        copyAtomically(entry.path(), under(root, devicePath));
        report.installed.push_back(devicePath);
      }
    }
  } catch (const fs::filesystem_error& e) {
    throw std::runtime_error(std::string("cannot install into ") + root.string() + ": " + e.what());
  }
  return report;
}

}  // namespace device
