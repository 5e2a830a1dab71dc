// What a package may put into a device root, decided over its entry list
// alone: nothing here reads or writes a file, so the rules can be tested and
// fuzzed on their own and carried to any other way of installing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace device {

enum class EntryType { File, Directory, Symlink, HardLink, CharDevice, BlockDevice, Fifo, Socket, Other };

struct PackageEntry {
  std::string path;        // as the archive names it ("./var/jb/x")
  EntryType type = EntryType::File;
  unsigned mode = 0;       // permission bits as the archive gives them
  std::string linkTarget;  // symlinks and hard links
};

// The entries that may be installed, or the one line that refuses them all.
// Accepted paths are relative to the root and plain ("var/jb/x": no ".",
// "..", empty part or leading slash); modes are 0755 for folders and
// executables, 0644 for other files.
struct Verdict {
  std::vector<PackageEntry> accepted;
  std::vector<std::size_t> from;  // each accepted entry's index in the list checked
  std::string refusal;
  bool ok() const { return refusal.empty(); }
};

// Files, folders and symlinks whose target stays inside the root; never a
// path with "..", an absolute path, a hard link, a device, a fifo or a
// socket, a path twice, or a path beneath one of the package's own symlinks.
Verdict checkEntries(const std::vector<PackageEntry>& entries);

// The refusal line for a control file that does not name a package, a
// version and an architecture; empty when it does.
std::string checkControl(std::string_view control);

// A control file's field (the first, case-insensitive name), trimmed; empty
// when the file does not name it.
std::string controlField(std::string_view control, std::string_view name);

// The refusal line for a package id that cannot name a package: it must
// start with a letter or digit and hold only letters, digits, ".", "+" and
// "-" (it names the package's record file, so never a path); empty when fine.
std::string checkPackageId(std::string_view id);

// The refusal line for an entry that would write into the installer's own
// records (var/lib/corvallo); empty when none does.
std::string checkLeavesRecordsAlone(const std::vector<PackageEntry>& accepted);

// The refusal line for accepted entries that do not carry the tweak (plain
// or rootless); empty when they do.
std::string checkCarriesTweak(const std::vector<PackageEntry>& accepted);

}  // namespace device
