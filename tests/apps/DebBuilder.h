// Debian packages made in a test, hostile ones included: any path, type,
// mode and link target, written with libarchive as dpkg-deb would lay them out.
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace debs {

struct Entry {
  std::string path;
  unsigned type = AE_IFREG;  // AE_IFREG, AE_IFDIR, AE_IFLNK, AE_IFIFO, AE_IFCHR…
  unsigned mode = 0644;
  std::string data;      // a file's bytes
  std::string target;    // a symlink's target
  std::string hardlink;  // makes the entry a hard link to this path
};

inline const char* kControl = "Package: com.example.hostile\nVersion: 1.0\nArchitecture: all\n";
inline const char* kTweak = "./Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib";

inline std::string tar(const std::vector<Entry>& entries, bool gzip = true) {
  std::string out;
  archive* a = archive_write_new();
  if (gzip) archive_write_add_filter_gzip(a);
  archive_write_set_format_pax_restricted(a);
  auto write = [](archive*, void* to, const void* buf, size_t n) -> la_ssize_t {
    static_cast<std::string*>(to)->append(static_cast<const char*>(buf), n);
    return static_cast<la_ssize_t>(n);
  };
  archive_write_open(a, &out, nullptr, write, nullptr);
  for (const auto& e : entries) {
    archive_entry* h = archive_entry_new();
    archive_entry_set_pathname(h, e.path.c_str());
    archive_entry_set_filetype(h, e.type);
    archive_entry_set_perm(h, e.mode);
    archive_entry_set_size(h, e.type == AE_IFREG && e.hardlink.empty() ? static_cast<la_int64_t>(e.data.size()) : 0);
    if (!e.target.empty()) archive_entry_set_symlink(h, e.target.c_str());
    if (!e.hardlink.empty()) archive_entry_set_hardlink(h, e.hardlink.c_str());
    if (archive_write_header(a, h) != ARCHIVE_OK) throw std::runtime_error(archive_error_string(a));
    if (!e.data.empty() && e.hardlink.empty()) archive_write_data(a, e.data.data(), e.data.size());
    archive_entry_free(h);
  }
  archive_write_close(a);
  archive_write_free(a);
  return out;
}

inline std::string deb(const std::vector<Entry>& data, const std::string& control = kControl) {
  std::string out;
  archive* a = archive_write_new();
  archive_write_set_format_ar_svr4(a);
  archive_write_set_bytes_in_last_block(a, 1);  // no padding after the last member
  auto write = [](archive*, void* to, const void* buf, size_t n) -> la_ssize_t {
    static_cast<std::string*>(to)->append(static_cast<const char*>(buf), n);
    return static_cast<la_ssize_t>(n);
  };
  archive_write_open(a, &out, nullptr, write, nullptr);
  auto member = [&](const std::string& name, const std::string& bytes) {
    archive_entry* h = archive_entry_new();
    archive_entry_set_pathname(h, name.c_str());
    archive_entry_set_filetype(h, AE_IFREG);
    archive_entry_set_perm(h, 0644);
    archive_entry_set_size(h, static_cast<la_int64_t>(bytes.size()));
    archive_write_header(a, h);
    archive_write_data(a, bytes.data(), bytes.size());
    archive_entry_free(h);
  };
  member("debian-binary", "2.0\n");
  member("control.tar.gz", tar({{"./", AE_IFDIR, 0755}, {"./control", AE_IFREG, 0644, control}}));
  member("data.tar.gz", tar(data));
  archive_write_close(a);
  archive_write_free(a);
  return out;
}

// The folders above the tweak, and the tweak: the least a package must carry.
inline std::vector<Entry> withTweak(std::vector<Entry> more = {}, const std::string& tweakBytes = "tweak") {
  std::vector<Entry> all{{"./", AE_IFDIR, 0755},
                         {"./Library/", AE_IFDIR, 0755},
                         {"./Library/MobileSubstrate/", AE_IFDIR, 0755},
                         {"./Library/MobileSubstrate/DynamicLibraries/", AE_IFDIR, 0755},
                         {kTweak, AE_IFREG, 0755, tweakBytes}};
  all.insert(all.end(), more.begin(), more.end());
  return all;
}

inline std::filesystem::path save(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

}  // namespace debs
