#include "PackageReader.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace device {

namespace {

// More entries than any package of this system has; a bound on what a
// hostile archive of empty headers can make this process hold.
constexpr std::size_t kMaxEntries = 100000;

struct Closer {
  void operator()(archive* a) const { archive_read_free(a); }
};
using Archive = std::unique_ptr<archive, Closer>;

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

std::string errorOf(archive* a) {
  const char* e = archive_error_string(a);
  return e ? e : "damaged archive";
}

Archive openMemory(std::string_view bytes, bool outer) {
  Archive a(archive_read_new());
  if (!a) fail("out of memory");
  if (outer) {
    archive_read_support_format_ar(a.get());
  } else {
    archive_read_support_filter_all(a.get());
    archive_read_support_format_tar(a.get());
  }
  if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) fail(errorOf(a.get()));
  return a;
}

// The next header, or null at the end; a damaged header is an error, not an end.
archive_entry* next(archive* a, const std::string& where) {
  archive_entry* e = nullptr;
  int r = archive_read_next_header(a, &e);
  if (r == ARCHIVE_EOF) return nullptr;
  if (r != ARCHIVE_OK && r != ARCHIVE_WARN) fail(where + ": " + errorOf(a));
  return e;
}

// The current member's bytes, counted against what the package may hold.
std::string body(archive* a, archive_entry* e, const std::string& where, std::size_t& budget) {
  std::string out;
  if (archive_entry_size_is_set(e) && archive_entry_size(e) > 0)
    out.reserve(std::min<std::size_t>(static_cast<std::size_t>(archive_entry_size(e)), budget));
  for (;;) {
    const void* block = nullptr;
    std::size_t n = 0;
    la_int64_t offset = 0;
    int r = archive_read_data_block(a, &block, &n, &offset);
    if (r == ARCHIVE_EOF) return out;
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN) fail(where + ": " + errorOf(a));
    // Sparse entries give their blocks by offset; the holes read as zeros.
    if (offset < 0 || static_cast<std::size_t>(offset) > budget + out.size()) fail(where + ": larger than a package may be");
    std::size_t at = static_cast<std::size_t>(offset);
    if (at > out.size()) {
      budget -= at - out.size();
      out.resize(at);
    }
    if (at < out.size()) fail(where + ": damaged archive");
    if (n > budget) fail(where + ": larger than a package may be");
    budget -= n;
    out.append(static_cast<const char*>(block), n);
  }
}

bool isMember(std::string_view name, std::string_view stem) {
  if (name.substr(0, stem.size()) != stem) return false;
  std::string_view ext = name.substr(stem.size());
  return ext.empty() || ext == ".gz" || ext == ".xz" || ext == ".zst" || ext == ".bz2" || ext == ".lzma";
}

EntryType typeOf(archive_entry* e) {
  if (archive_entry_hardlink(e)) return EntryType::HardLink;
  switch (archive_entry_filetype(e)) {
    case AE_IFREG: return EntryType::File;
    case AE_IFDIR: return EntryType::Directory;
    case AE_IFLNK: return EntryType::Symlink;
    case AE_IFCHR: return EntryType::CharDevice;
    case AE_IFBLK: return EntryType::BlockDevice;
    case AE_IFIFO: return EntryType::Fifo;
    case AE_IFSOCK: return EntryType::Socket;
    default: return EntryType::Other;
  }
}

std::string controlFrom(std::string_view tarBytes, std::size_t& budget) {
  Archive a = openMemory(tarBytes, false);
  while (archive_entry* e = next(a.get(), "control.tar")) {
    const char* name = archive_entry_pathname(e);
    std::string_view n = name ? name : "";
    if (archive_entry_filetype(e) == AE_IFREG && (n == "./control" || n == "control"))
      return body(a.get(), e, "control.tar", budget);
  }
  fail("control.tar holds no control file");
}

void dataFrom(std::string_view tarBytes, std::size_t& budget, Package& p) {
  Archive a = openMemory(tarBytes, false);
  while (archive_entry* e = next(a.get(), "data.tar")) {
    if (p.entries.size() >= kMaxEntries) fail("data.tar holds more entries than a package may");
    const char* name = archive_entry_pathname(e);
    if (!name) fail("data.tar names an entry in a way that cannot be read");
    PackageEntry entry{name, typeOf(e), static_cast<unsigned>(archive_entry_perm(e)), {}};
    const char* target = entry.type == EntryType::HardLink ? archive_entry_hardlink(e) : archive_entry_symlink(e);
    if (target) entry.linkTarget = target;
    // Each header counts, so a flood of empty entries is bounded as well.
    std::size_t cost = 512 + entry.path.size() + entry.linkTarget.size();
    if (cost > budget) fail("data.tar: larger than a package may be");
    budget -= cost;
    p.contents.push_back(entry.type == EntryType::File ? body(a.get(), e, "data.tar entry " + entry.path, budget) : "");
    p.entries.push_back(std::move(entry));
  }
}

}  // namespace

Package readPackage(std::string_view debBytes, std::size_t maxBytes) {
  Package p;
  std::size_t budget = maxBytes;
  Archive deb = openMemory(debBytes, true);
  bool first = true, haveControl = false, haveData = false;
  while (archive_entry* e = next(deb.get(), "not a Debian package")) {
    const char* raw = archive_entry_pathname(e);
    std::string name = raw ? raw : "";
    if (first) {
      first = false;
      std::string version = name == "debian-binary" ? body(deb.get(), e, name, budget) : "";
      if (version.substr(0, 2) != "2.") fail("not a Debian package: it does not start with debian-binary 2.x");
      continue;
    }
    if (!haveControl && isMember(name, "control.tar")) {
      p.control = controlFrom(body(deb.get(), e, name, budget), budget);
      haveControl = true;
    } else if (!haveData && isMember(name, "data.tar")) {
      if (!haveControl) fail("data.tar comes before control.tar");
      dataFrom(body(deb.get(), e, name, budget), budget, p);
      haveData = true;
    }
  }
  if (first) fail("not a Debian package: it is empty");
  if (!haveControl) fail("the package has no control.tar");
  if (!haveData) fail("the package has no data.tar");
  return p;
}

Package readPackageFile(const std::filesystem::path& deb, std::size_t maxBytes) {
  std::error_code ec;
  auto size = std::filesystem::file_size(deb, ec);
  if (ec) fail("cannot read " + deb.string() + ": " + ec.message());
  if (size > maxBytes) fail("larger than a package may be");
  std::ifstream in(deb, std::ios::binary);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(size))) fail("cannot read " + deb.string());
  return readPackage(bytes, maxBytes);
}

}  // namespace device
