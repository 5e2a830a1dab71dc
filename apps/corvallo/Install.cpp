#include "Install.h"

#include <sys/wait.h>
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

struct Item {
  fs::path from;
  std::string to;
};

void installItems(const std::vector<Item>& items, const fs::path& root, InstallReport& report) {
  for (const auto& item : items) {
    if (!fs::exists(item.from)) {
      report.missing.push_back(item.from.string());
      continue;
    }
    copyAtomically(item.from, under(root, item.to));
    report.installed.push_back(item.to);
  }
}

// A folder laid out as device paths, such as the staged bundle or an unpacked package.
void installTree(const fs::path& tree, const fs::path& root, InstallReport& report) {
  if (!fs::is_directory(tree)) return;
  for (const auto& entry : fs::recursive_directory_iterator(tree)) {
    if (!entry.is_regular_file()) continue;
    std::string devicePath = "/" + fs::relative(entry.path(), tree).generic_string();
    copyAtomically(entry.path(), under(root, devicePath));
    report.installed.push_back(devicePath);
  }
}

// What the deliverables depend on: the substrate framework and the colour-picker library.
std::vector<Item> platformItems(const BuildOutput& build) {
  return {{build.lib / "CydiaSubstrate", "/var/jb/Library/Frameworks/CydiaSubstrate.framework/CydiaSubstrate"},
          {build.lib / "libcolorpicker.dylib", "/var/jb/usr/lib/libcolorpicker.dylib"}};
}

template <class F>
InstallReport installing(const fs::path& root, F&& f) {
  InstallReport report;
  try {
    fs::create_directories(root);
    f(report);
  } catch (const fs::filesystem_error& e) {
    throw std::runtime_error(std::string("cannot install into ") + root.string() + ": " + e.what());
  }
  return report;
}

}  // namespace

InstallReport install(const BuildOutput& build, const fs::path& root) {
  return installing(root, [&](InstallReport& report) {
    installItems({{build.lib / "Corvallo.dylib", "/Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib"},
                  {build.lib / "Corvallo.plist", "/Library/MobileSubstrate/DynamicLibraries/Corvallo.plist"}},
                 root, report);
    installItems(platformItems(build), root, report);
    // The settings bundle arrives staged as a tree of device paths.
    installTree(build.stage, root, report);
  });
}

InstallReport installPackage(const fs::path& deb, const BuildOutput& build, const fs::path& root) {
  if (!fs::is_regular_file(deb)) throw std::runtime_error("no package at " + deb.string());
  fs::path unpacked = root.parent_path() / (".corvallo-unpack." + std::to_string(::getpid()));
  fs::remove_all(unpacked);
  fs::create_directories(unpacked);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::execlp("dpkg-deb", "dpkg-deb", "-x", deb.c_str(), unpacked.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fs::remove_all(unpacked);
    throw std::runtime_error("dpkg-deb could not unpack " + deb.string());
  }
  auto report = installing(root, [&](InstallReport& r) {
    installTree(unpacked, root, r);
    installItems(platformItems(build), root, r);
  });
  fs::remove_all(unpacked);
  return report;
}

}  // namespace device
