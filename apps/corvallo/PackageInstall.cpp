#include "PackageInstall.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "Install.h"
#include "PackageReader.h"
#include "PackageRecords.h"
#include "PackageRules.h"

namespace device {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRootless = "var/jb/";
constexpr std::string_view kEntries = "Library/PreferenceLoader/Preferences/";
constexpr std::string_view kBundles = "Library/PreferenceBundles/";
constexpr std::string_view kTweaks = "Library/MobileSubstrate/DynamicLibraries/";

// One install or uninstall at a time per root: each reads the records, then
// writes them.
class RootLock {
 public:
  explicit RootLock(const fs::path& root) : fd_(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~RootLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  RootLock(const RootLock&) = delete;
  RootLock& operator=(const RootLock&) = delete;

 private:
  int fd_;
};

EntryType typeOf(fs::file_type t) {
  switch (t) {
    case fs::file_type::regular: return EntryType::File;
    case fs::file_type::directory: return EntryType::Directory;
    case fs::file_type::symlink: return EntryType::Symlink;
    case fs::file_type::fifo: return EntryType::Fifo;
    case fs::file_type::socket: return EntryType::Socket;
    case fs::file_type::character: return EntryType::CharDevice;
    case fs::file_type::block: return EntryType::BlockDevice;
    default: return EntryType::Other;
  }
}

std::vector<Placement> checkedItems(const fs::path& source, std::vector<PackageEntry> entries,
                                    std::vector<std::string> contents, std::vector<fs::path> from) {
  Verdict v = checkEntries(entries);
  if (!v.ok()) throw PackageRefused(source, v.refusal);
  if (auto line = checkLeavesRecordsAlone(v.accepted); !line.empty()) throw PackageRefused(source, line);
  std::vector<Placement> items;
  for (std::size_t k = 0; k < v.accepted.size(); ++k) {
    std::size_t i = v.from[k];
    items.push_back({std::move(v.accepted[k]), i < contents.size() ? std::move(contents[i]) : std::string(),
                     i < from.size() ? std::move(from[i]) : fs::path()});
  }
  return items;
}

void checkId(const fs::path& source, const std::string& id) {
  if (auto line = checkPackageId(id); !line.empty()) throw PackageRefused(source, line);
}

LoadedPackage loadDeb(const fs::path& deb, const std::string& idWhenNone) {
  Package package = readPackageWithControl(deb);
  std::string id = controlField(package.control, "Package");
  checkId(deb, id);
  if (!idWhenNone.empty() && idWhenNone != id)
    throw PackageRefused(deb, "its control file names the package " + id + ", not " + idWhenNone);
  return {id, controlField(package.control, "Version"), deb,
          checkedItems(deb, std::move(package.entries), std::move(package.contents), {})};
}

LoadedPackage loadFolder(const fs::path& folder, const std::string& idWhenNone) {
  std::string control, controlName;
  for (const char* name : {"DEBIAN/control", "control"}) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(folder / name, ec))) continue;
    std::ifstream in(folder / name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    control = bytes.str();
    controlName = name;
    break;
  }
  std::string id = controlField(control, "Package");
  if (!controlName.empty() && id.empty())
    throw PackageRefused(folder, "its control file (" + controlName + ") does not name its Package");
  if (controlName.empty() && idWhenNone.empty())
    throw PackageRefused(folder, "it has no control file (DEBIAN/control) naming its package; name it with --id, "
                                 "e.g. `corvallo install --id com.example.mytweak " + folder.string() + "`");
  if (id.empty()) id = idWhenNone;
  checkId(folder, id);
  if (!idWhenNone.empty() && idWhenNone != id)
    throw PackageRefused(folder, "its control file names the package " + id + ", not " + idWhenNone);

  std::vector<PackageEntry> entries;
  std::vector<fs::path> from;
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, ec), end;
  if (ec) throw PackageRefused(folder, "cannot read it: " + ec.message());
  // A folder that cannot be read whole is not installed in part.
  auto next = [&] {
    it.increment(ec);
    if (ec) throw PackageRefused(folder, "cannot read it: " + ec.message());
  };
  for (; it != end; next()) {
    std::string path = it->path().lexically_relative(folder).generic_string();
    // The package's own metadata is not part of the device.
    if (path == "DEBIAN" || path == controlName) {
      if (path == "DEBIAN") it.disable_recursion_pending();
      continue;
    }
    auto st = it->symlink_status(ec);
    if (ec) throw PackageRefused(folder, "cannot read " + path + ": " + ec.message());
    PackageEntry e{path, typeOf(st.type()), static_cast<unsigned>(st.permissions()) & 07777, {}};
    if (e.type == EntryType::Symlink) e.linkTarget = fs::read_symlink(it->path(), ec).string();
    entries.push_back(std::move(e));
    from.push_back(it->path());
  }
  return {id, controlField(control, "Version"), folder, checkedItems(folder, std::move(entries), {}, std::move(from))};
}

// Every folder the package names or that lies above one of its entries.
std::set<std::string> foldersOf(const std::vector<Placement>& items) {
  std::set<std::string> out;
  for (const auto& p : items) {
    const std::string& path = p.entry.path;
    if (p.entry.type == EntryType::Directory) out.insert(path);
    for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
      out.insert(path.substr(0, slash));
  }
  return out;
}

// What the device finds among plain paths: entry plists, bundles, tweaks.
void describe(const std::vector<std::string>& paths, PackageChange& change) {
  std::set<std::string> bundles;
  for (std::string path : paths) {
    if (path.starts_with(kRootless)) path.erase(0, kRootless.size());
    fs::path p(path);
    if (path.starts_with(kEntries) && p.extension() == ".plist")
      change.entries.push_back(path.substr(kEntries.size()));
    else if (path.starts_with(kBundles))
      bundles.insert(path.substr(kBundles.size(), path.find('/', kBundles.size()) - kBundles.size()));
    else if (path.starts_with(kTweaks) && p.extension() == ".dylib" && p.parent_path().string() + "/" == kTweaks)
      change.tweaks.push_back(p.stem().string());
  }
  change.bundles.assign(bundles.begin(), bundles.end());
}

std::vector<std::string> devicePaths(const std::vector<std::string>& plain) {
  std::vector<std::string> out;
  for (const auto& p : plain) out.push_back("/" + p);
  return out;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += (out.empty() ? "" : "; ") + l;
  return out;
}

}  // namespace

LoadedPackage loadPackage(const fs::path& source, const std::string& idWhenNone) {
  std::error_code ec;
  if (fs::is_directory(source, ec)) return loadFolder(source, idWhenNone);
  if (!fs::is_regular_file(source, ec)) throw std::runtime_error("no package file or folder at " + source.string());
  return loadDeb(source, idWhenNone);
}

PackageChange installInto(LoadedPackage package, const fs::path& root) {
  RootLock lock(root);
  std::optional<PackageRecord> old = readRecord(root, package.id);
  std::map<std::string, std::string> owners = fileOwners(root);
  PackageRecord record{package.id, package.version, {}, {}};
  for (const auto& p : package.items) {
    if (p.entry.type == EntryType::Directory) continue;
    auto owner = owners.find(p.entry.path);
    if (owner != owners.end() && owner->second != package.id)
      throw PackageRefused(package.source, "/" + p.entry.path + " belongs to the package " + owner->second +
                                               "; a file is never taken from another package (`corvallo uninstall " +
                                               owner->second + "` first)");
    record.files.push_back(p.entry.path);
  }
  // The folders it makes now, and those an older version made that it still has.
  std::set<std::string> folders = foldersOf(package.items);
  std::set<std::string> oldFolders = old ? std::set<std::string>(old->folders.begin(), old->folders.end())
                                         : std::set<std::string>();
  for (const auto& f : folders) {
    std::error_code ec;
    if (oldFolders.count(f) || !fs::exists(fs::symlink_status(root / f, ec))) record.folders.push_back(f);
  }

  std::vector<Placement> items = std::move(package.items);
  items.push_back({{recordPath(package.id), EntryType::File, 0644, {}}, recordText(record), {}});
  try {
    placeAll(root, items);
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("nothing installed into ") + root.string() + ": " + e.what());
  }

  PackageChange change{package.id, package.version, devicePaths(record.files), {}, {}, {}, {}};
  describe(record.files, change);
  if (old) {
    std::set<std::string> now(record.files.begin(), record.files.end());
    std::vector<std::string> stale, staleFolders;
    for (const auto& f : old->files)
      if (!now.count(f)) stale.push_back(f);
    for (const auto& f : old->folders)
      if (!folders.count(f)) staleFolders.push_back(f);
    change.removed = devicePaths(stale);
    auto failures = removeEntries(root, stale, staleFolders);
    if (!failures.empty())
      throw std::runtime_error("installed " + package.id + ", but not all its older version's files are gone: " +
                               joined(failures));
  }
  return change;
}

PackageChange uninstallFrom(const std::string& id, const fs::path& root) {
  RootLock lock(root);
  std::optional<PackageRecord> record = readRecord(root, id);
  if (!record) {
    std::vector<std::string> ids = installedIds(root);
    std::string installed;
    for (const auto& i : ids) installed += (installed.empty() ? "" : ", ") + i;
    throw std::runtime_error("no package " + id + " is installed under " + root.string() + "; " +
                             (ids.empty() ? std::string("none is (`corvallo install PACKAGE.deb|FOLDER` installs one)")
                                          : "installed: " + installed));
  }
  PackageChange change{id, record->version, {}, devicePaths(record->files), {}, {}, {}};
  describe(record->files, change);
  auto failures = removeEntries(root, record->files, record->folders);
  // The record stays until every file is gone, so uninstalling again finishes the job.
  if (failures.empty()) failures = removeEntries(root, {recordPath(id)}, {});
  if (!failures.empty()) throw std::runtime_error("could not remove all of " + id + ": " + joined(failures));
  return change;
}

}  // namespace device
