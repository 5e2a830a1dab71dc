#include "Install.h"

#include <algorithm>
#include <system_error>

#include "PackageReader.h"
#include "PackageRules.h"
#include "RootWriter.h"

namespace device {

namespace fs = std::filesystem;

BuildOutput BuildOutput::besideExecutable() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  fs::path build = ec ? fs::current_path() : exe.parent_path().parent_path();
  return {build / "bin", build / "image/deliverables", build / "image/platform"};
}

PackageRefused::PackageRefused(const fs::path& deb, const std::string& line)
    : std::runtime_error("refusing " + deb.filename().string() + ": " + line) {}

namespace {

// A build-tree file as an entry; its executable bits decide its mode.
PackageEntry fileEntry(const fs::path& from, const std::string& devicePath) {
  std::error_code ec;
  auto perms = static_cast<unsigned>(fs::status(from, ec).permissions());
  return {devicePath, EntryType::File, ec ? 0644u : perms, {}};
}

// A part of the image: its files, folders and symlinks, none followed. A
// path already in `out` (a folder both parts share) keeps the later entry.
void addTree(const fs::path& tree, std::vector<Placement>& out, InstallReport& report) {
  if (!fs::is_directory(tree)) {
    report.missing.push_back(tree.string());
    return;
  }
  std::vector<Placement> found;
  for (const auto& e : fs::recursive_directory_iterator(tree)) {
    std::string path = e.path().lexically_relative(tree).generic_string();
    auto st = e.symlink_status();
    if (fs::is_symlink(st))
      found.push_back({{path, EntryType::Symlink, 0777, fs::read_symlink(e.path()).string()}, {}, {}});
    else if (fs::is_directory(st))
      found.push_back({{path, EntryType::Directory, 0755, {}}, {}, {}});
    else if (fs::is_regular_file(st))
      found.push_back({fileEntry(e.path(), path), {}, e.path()});
  }
  for (auto& f : found) {
    auto same = std::find_if(out.begin(), out.end(), [&](const Placement& p) { return p.entry.path == f.entry.path; });
    if (same != out.end()) out.erase(same);
    out.push_back(std::move(f));
  }
}

// The same rules as a package's, so modes come out alike and nothing leaves the root.
std::vector<Placement> checked(std::vector<Placement> items, const std::string& refusalPrefix) {
  std::vector<PackageEntry> entries;
  for (const auto& p : items) entries.push_back(p.entry);
  Verdict v = checkEntries(entries);
  if (!v.ok()) throw std::runtime_error(refusalPrefix + v.refusal);
  std::vector<Placement> out;
  for (size_t k = 0; k < v.accepted.size(); ++k) {
    out.push_back(std::move(items[v.from[k]]));
    out.back().entry = std::move(v.accepted[k]);
  }
  return out;
}

InstallReport placed(const fs::path& root, const std::vector<Placement>& items, InstallReport report) {
  try {
    placeAll(root, items);
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("nothing installed into ") + root.string() + ": " + e.what());
  }
  for (const auto& p : items)
    if (p.entry.type != EntryType::Directory) report.installed.push_back("/" + p.entry.path);
  return report;
}

}  // namespace

InstallReport install(const BuildOutput& build, const fs::path& root) {
  InstallReport report;
  std::vector<Placement> items;
  addTree(build.deliverables, items, report);
  addTree(build.platform, items, report);
  return placed(root, checked(std::move(items), "the build tree cannot be installed: "), std::move(report));
}

Package readPackageWithControl(const fs::path& deb) {
  Package package;
  try {
    package = readPackageFile(deb);
  } catch (const std::exception& e) {
    throw PackageRefused(deb, std::string("cannot read it: ") + e.what());
  }
  if (auto line = checkControl(package.control); !line.empty()) throw PackageRefused(deb, line);
  return package;
}

CheckedPackage checkPackage(const fs::path& deb) {
  if (!fs::is_regular_file(deb)) throw std::runtime_error("no package at " + deb.string());
  Package package = readPackageWithControl(deb);
  Verdict v = checkEntries(package.entries);
  if (!v.ok()) throw PackageRefused(deb, v.refusal);
  if (auto line = checkCarriesTweak(v.accepted); !line.empty()) throw PackageRefused(deb, line);
  CheckedPackage checked{deb, std::move(v.accepted), {}};
  for (std::size_t k : v.from) checked.contents.push_back(std::move(package.contents[k]));
  return checked;
}

InstallReport installChecked(CheckedPackage package, const BuildOutput& build, const fs::path& root) {
  // The build's platform part wins over a copy the package carries.
  InstallReport report;
  std::vector<Placement> items, platform;
  addTree(build.platform, platform, report);
  for (std::size_t k = 0; k < package.accepted.size(); ++k) {
    bool replaced = false;
    for (const auto& p : platform) replaced = replaced || p.entry.path == package.accepted[k].path;
    if (!replaced) items.push_back({std::move(package.accepted[k]), std::move(package.contents[k]), {}});
  }
  for (auto& p : platform) items.push_back(std::move(p));
  return placed(root, checked(std::move(items), "refusing " + package.deb.filename().string() + ": "),
                std::move(report));
}

InstallReport installPackage(const fs::path& deb, const BuildOutput& build, const fs::path& root) {
  return installChecked(checkPackage(deb), build, root);
}

}  // namespace device
