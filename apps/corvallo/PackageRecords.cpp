#include "PackageRecords.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "PackageRules.h"

namespace device {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSuffix = ".list";

// A plain path, or nothing: no "..", ".", empty part or leading slash once
// the device path's own slash is taken off.
std::optional<std::string> plain(std::string_view devicePath) {
  if (!devicePath.starts_with('/') || devicePath.size() < 2) return std::nullopt;
  std::string path(devicePath.substr(1));
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t slash = path.find('/', at);
    if (slash == std::string::npos) slash = path.size();
    std::string_view part(path.data() + at, slash - at);
    if (part.empty() || part == "." || part == "..") return std::nullopt;
    at = slash + 1;
  }
  return path;
}

// The record's bytes, never through a symlink: a record is only ever a file
// the installer wrote.
std::optional<std::string> readPlainFile(const fs::path& file) {
  int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string out;
  char buf[16384];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
  ::close(fd);
  if (n < 0) throw std::runtime_error("cannot read " + file.string());
  return out;
}

}  // namespace

std::string recordText(const PackageRecord& r) {
  std::string out = "# " + r.id + " " + r.version + "\n";
  for (const auto& f : r.folders) out += "/" + f + "/\n";
  for (const auto& f : r.files) out += "/" + f + "\n";
  return out;
}

PackageRecord parseRecord(const std::string& id, const std::string& text) {
  PackageRecord r{id, {}, {}, {}};
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (line.front() == '#') {
      std::istringstream header(line.substr(1));
      std::string named;
      header >> named >> r.version;
      continue;
    }
    bool folder = line.size() > 1 && line.back() == '/';
    auto path = plain(folder ? std::string_view(line).substr(0, line.size() - 1) : std::string_view(line));
    if (!path) throw std::runtime_error("the record of " + id + " names " + line + ", which is not inside the root");
    (folder ? r.folders : r.files).push_back(std::move(*path));
  }
  return r;
}

std::string recordPath(const std::string& id) { return std::string(kPackageRecords) + "/" + id + std::string(kSuffix); }

std::vector<std::string> installedIds(const fs::path& root) {
  std::vector<std::string> ids;
  std::error_code ec;
  fs::path folder = root / kPackageRecords;
  if (fs::is_symlink(fs::symlink_status(folder, ec))) return ids;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    std::string name = e.path().filename().string();
    if (!name.ends_with(kSuffix) || !e.is_regular_file(ec) || e.is_symlink(ec)) continue;
    std::string id = name.substr(0, name.size() - kSuffix.size());
    if (checkPackageId(id).empty()) ids.push_back(std::move(id));
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::optional<PackageRecord> readRecord(const fs::path& root, const std::string& id) {
  if (!checkPackageId(id).empty()) return std::nullopt;
  auto text = readPlainFile(root / recordPath(id));
  if (!text) return std::nullopt;
  return parseRecord(id, *text);
}

std::map<std::string, std::string> fileOwners(const fs::path& root) {
  std::map<std::string, std::string> owners;
  for (const auto& id : installedIds(root))
    if (auto r = readRecord(root, id))
      for (const auto& f : r->files) owners.emplace(f, id);
  return owners;
}

}  // namespace device
