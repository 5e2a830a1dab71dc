#include "PackageRules.h"

#include <cctype>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>

namespace device {

namespace {

// Past this many links followed in one lookup the kernel gives up too (ELOOP).
constexpr int kMaxLinkHops = 40;

std::vector<std::string> split(std::string_view text, char sep) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(sep, at);
    if (end == std::string_view::npos) end = text.size();
    out.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

std::vector<std::string> parts(std::string_view path) { return split(path, '/'); }

std::string join(const std::vector<std::string>& ps, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    if (i) out += '/';
    out += ps[i];
  }
  return out;
}

std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string entryLine(const PackageEntry& e, std::string_view why) {
  return "entry " + quoted(e.path) + " " + std::string(why);
}

// The plain relative path of an archive name, or why it has none.
std::optional<std::string> plainPath(const std::string& name, std::string& why) {
  if (name.empty()) {
    why = "has no name";
    return std::nullopt;
  }
  if (name.front() == '/') {
    why = "is an absolute path";
    return std::nullopt;
  }
  std::vector<std::string> kept;
  for (auto& p : parts(name)) {
    if (p.empty() || p == ".") continue;
    if (p == "..") {
      why = "climbs out with \"..\"";
      return std::nullopt;
    }
    kept.push_back(std::move(p));
  }
  return join(kept, kept.size());
}

const char* refusedType(EntryType t) {
  switch (t) {
    case EntryType::HardLink: return "is a hard link";
    case EntryType::CharDevice: return "is a character device";
    case EntryType::BlockDevice: return "is a block device";
    case EntryType::Fifo: return "is a fifo";
    case EntryType::Socket: return "is a socket";
    case EntryType::Other: return "is of a type that is not a file, folder or symlink";
    default: return nullptr;
  }
}

// Follows `target` from the folder holding `linkPath` through the package's
// own symlinks, as the kernel would; false when that leaves the root or loops.
bool staysInside(const std::string& linkPath, const std::string& target,
                 const std::map<std::string, std::string>& links) {
  if (target.empty() || target.front() == '/') return false;
  std::vector<std::string> at = parts(linkPath);
  at.pop_back();  // the link's folder
  std::deque<std::string> pending;
  for (auto& p : parts(target)) pending.push_back(std::move(p));
  int hops = 0;
  while (!pending.empty()) {
    std::string p = std::move(pending.front());
    pending.pop_front();
    if (p.empty() || p == ".") continue;
    if (p == "..") {
      if (at.empty()) return false;
      at.pop_back();
      continue;
    }
    at.push_back(std::move(p));
    auto link = links.find(join(at, at.size()));
    if (link == links.end()) continue;
    if (++hops > kMaxLinkHops || link->second.empty() || link->second.front() == '/') return false;
    at.pop_back();
    auto more = parts(link->second);
    pending.insert(pending.begin(), more.begin(), more.end());
  }
  return true;
}

std::string trimmed(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

Verdict checkEntries(const std::vector<PackageEntry>& entries) {
  Verdict v;
  auto refuse = [&](const PackageEntry& e, std::string_view why) {
    v.accepted.clear();
    v.from.clear();
    v.refusal = entryLine(e, why);
    return v;
  };
  std::map<std::string, size_t> byPath;  // plain path -> index in accepted
  std::map<std::string, std::string> links;
  std::vector<const PackageEntry*> original;
  for (size_t index = 0; index < entries.size(); ++index) {
    const PackageEntry& e = entries[index];
    if (const char* why = refusedType(e.type)) return refuse(e, why);
    std::string why;
    auto path = plainPath(e.path, why);
    if (!path) return refuse(e, why);
    if (path->empty()) {
      if (e.type == EntryType::Directory) continue;  // the root itself ("./")
      return refuse(e, "names the root itself");
    }
    if (!byPath.emplace(*path, v.accepted.size()).second) return refuse(e, "appears twice");
    PackageEntry plain{*path, e.type, 0, {}};
    if (e.type == EntryType::Directory)
      plain.mode = 0755;
    else if (e.type == EntryType::File)
      plain.mode = (e.mode & 0111) ? 0755 : 0644;
    else {
      plain.mode = 0777;
      plain.linkTarget = e.linkTarget;
      links.emplace(*path, e.linkTarget);
    }
    v.accepted.push_back(std::move(plain));
    v.from.push_back(index);
    original.push_back(&e);
  }
  for (size_t i = 0; i < v.accepted.size(); ++i) {
    const auto& a = v.accepted[i];
    // Each folder on the way must be a folder: a write beneath a link would follow it.
    auto ps = parts(a.path);
    for (size_t n = 1; n < ps.size(); ++n) {
      auto above = byPath.find(join(ps, n));
      if (above == byPath.end()) continue;
      EntryType t = v.accepted[above->second].type;
      if (t == EntryType::Symlink) return refuse(*original[i], "lies beneath the package's symlink " + quoted(above->first));
      if (t != EntryType::Directory) return refuse(*original[i], "lies beneath the file " + quoted(above->first));
    }
    if (a.type == EntryType::Symlink && !staysInside(a.path, a.linkTarget, links))
      return refuse(*original[i], "is a symlink leading outside the device root (to " + quoted(a.linkTarget) + ")");
  }
  return v;
}

std::string controlField(std::string_view control, std::string_view name) {
  for (const auto& line : split(control, '\n')) {
    if (line.empty() || line.front() == ' ' || line.front() == '\t') continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    if (sameName(trimmed(std::string_view(line).substr(0, colon)), name))
      return trimmed(std::string_view(line).substr(colon + 1));
  }
  return {};
}

std::string checkPackageId(std::string_view id) {
  bool fine = !id.empty() && id.size() <= 200 && std::isalnum(static_cast<unsigned char>(id.front()));
  for (char c : id) fine = fine && (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-');
  if (fine) return {};
  return "the package id " + quoted(id) +
         " is not a package name (letters, digits, \".\", \"+\" and \"-\", starting with a letter or digit)";
}

std::string checkLeavesRecordsAlone(const std::vector<PackageEntry>& accepted) {
  const std::string records = "var/lib/corvallo";
  for (const auto& a : accepted) {
    bool inside = a.path == records || a.path.starts_with(records + "/");
    // A symlink or file on the way would divert the records themselves.
    bool onTheWay = a.type != EntryType::Directory && records.starts_with(a.path + "/");
    if (inside || onTheWay) return entryLine(a, "would write into the installer's own records (/" + records + ")");
  }
  return {};
}

std::string checkControl(std::string_view control) {
  const char* needed[] = {"Package", "Version", "Architecture"};
  bool found[3] = {false, false, false};
  for (const auto& line : split(control, '\n')) {
    if (line.empty() || line.front() == ' ' || line.front() == '\t') continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = trimmed(std::string_view(line).substr(0, colon));
    for (int i = 0; i < 3; ++i)
      if (sameName(name, needed[i]) && !trimmed(std::string_view(line).substr(colon + 1)).empty()) found[i] = true;
  }
  std::string missing;
  for (int i = 0; i < 3; ++i)
    if (!found[i]) missing += std::string(missing.empty() ? "" : ", ") + needed[i];
  if (missing.empty()) return {};
  return "the control file does not name its " + missing + " (a package needs Package, Version and Architecture)";
}

std::string checkCarriesTweak(const std::vector<PackageEntry>& accepted) {
  const std::string tweak = "Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib";
  for (const auto& a : accepted)
    if (a.type == EntryType::File && (a.path == tweak || a.path == "var/jb/" + tweak)) return {};
  return "the package does not carry the tweak (/" + tweak + ", plain or under /var/jb)";
}

}  // namespace device
