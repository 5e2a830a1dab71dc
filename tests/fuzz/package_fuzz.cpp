// A package's bytes, or an entry list made from the bytes, through the
// reader and the install rules: nothing may crash, and no accepted entry may
// lead outside the device root, as judged by a walk of its own that follows
// the accepted symlinks the way the kernel does.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "PackageReader.h"
#include "PackageRules.h"

using device::EntryType;
using device::PackageEntry;

namespace {

std::vector<std::string> split(std::string_view s, char sep) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == sep)
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

void require(bool holds) {
  if (!holds) std::abort();
}

// The accepted tree, walked as the kernel would: each symlink met is
// resolved where it stands and the walk goes on from where it leads.
struct Tree {
  std::map<std::string, PackageEntry> at;

  static std::string key(const std::vector<std::string>& folder) {
    std::string out;
    for (const auto& f : folder) out += (out.empty() ? "" : "/") + f;
    return out;
  }

  // False when the walk leaves the root (or has not ended after very many links).
  bool walk(std::vector<std::string>& folder, const std::string& path, int& hops) const {
    if (path.empty() || path[0] == '/') return false;
    for (const auto& p : split(path, '/')) {
      if (p.empty() || p == ".") continue;
      if (p == "..") {
        if (folder.empty()) return false;
        folder.pop_back();
        continue;
      }
      folder.push_back(p);
      auto e = at.find(key(folder));
      if (e == at.end() || e->second.type != EntryType::Symlink) continue;
      if (++hops > 1000) return false;
      folder.pop_back();
      if (!walk(folder, e->second.linkTarget, hops)) return false;
    }
    return true;
  }
};

void checkAccepted(const std::vector<PackageEntry>& in, const device::Verdict& v) {
  if (!v.ok()) {
    require(v.accepted.empty() && v.refusal.find('\n') == std::string::npos);
    return;
  }
  require(v.accepted.size() == v.from.size());
  Tree tree;
  for (size_t k = 0; k < v.accepted.size(); ++k) {
    const auto& a = v.accepted[k];
    require(v.from[k] < in.size());
    require(!a.path.empty() && a.path[0] != '/');
    for (const auto& p : split(a.path, '/')) require(!p.empty() && p != "." && p != "..");
    require(a.type == EntryType::File || a.type == EntryType::Directory || a.type == EntryType::Symlink);
    require(a.type == EntryType::Symlink || ((a.mode & ~0777u) == 0 && (a.mode & 0022u) == 0));
    require(tree.at.emplace(a.path, a).second);
  }
  for (const auto& [path, e] : tree.at) {
    auto parts = split(path, '/');
    std::string above;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
      above += (i ? "/" : "") + parts[i];
      auto up = tree.at.find(above);
      require(up == tree.at.end() || up->second.type == EntryType::Directory);
    }
    if (e.type != EntryType::Symlink) continue;
    parts.pop_back();
    int hops = 0;
    require(tree.walk(parts, e.linkTarget, hops));
  }
}

// One entry a line: a type byte, a mode byte, then "path\ttarget".
std::vector<PackageEntry> entryList(std::string_view bytes) {
  static const EntryType types[] = {EntryType::File,       EntryType::Directory,   EntryType::Symlink,
                                    EntryType::HardLink,   EntryType::CharDevice,  EntryType::BlockDevice,
                                    EntryType::Fifo,       EntryType::Socket,      EntryType::Other};
  std::vector<PackageEntry> out;
  for (const auto& line : split(bytes, '\n')) {
    if (line.size() < 2) continue;
    auto fields = split(std::string_view(line).substr(2), '\t');
    EntryType t = types[static_cast<unsigned char>(line[0]) % 9];
    unsigned mode = static_cast<unsigned char>(line[1]) * 0x1Fu & 07777u;
    out.push_back({fields[0], t, mode, fields.size() > 1 ? fields[1] : ""});
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<PackageEntry> entries;
  if (size > 0 && data[0] % 2 == 0) {
    try {
      auto package = device::readPackage(bytes.substr(1), 1 << 20);
      (void)device::checkControl(package.control);
      // An id the rules take names a record file: never a path.
      std::string id = device::controlField(package.control, "Package");
      if (device::checkPackageId(id).empty() && (id.find('/') != std::string::npos || id.starts_with(".")))
        __builtin_trap();
      entries = std::move(package.entries);
    } catch (const std::exception&) {
      return 0;
    }
  } else {
    entries = entryList(bytes.substr(size > 0 ? 1 : 0));
  }
  auto v = device::checkEntries(entries);
  checkAccepted(entries, v);
  if (v.ok()) {
    (void)device::checkCarriesTweak(v.accepted);
    (void)device::checkLeavesRecordsAlone(v.accepted);
  }
  return 0;
}
