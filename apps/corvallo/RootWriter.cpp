#include "RootWriter.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace device {

namespace fs = std::filesystem;

namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  Fd& operator=(Fd&& o) noexcept {
    std::swap(fd_, o.fd_);
    return *this;
  }
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closing reports what a full disk may only report then.
  int close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

[[noreturn]] void fail(const std::string& what, int err) { throw std::runtime_error(what + ": " + std::strerror(err)); }
[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

std::vector<std::string> partsOf(const std::string& plain) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at <= plain.size()) {
    size_t slash = plain.find('/', at);
    if (slash == std::string::npos) slash = plain.size();
    out.push_back(plain.substr(at, slash - at));
    at = slash + 1;
  }
  return out;
}

std::string joined(const std::vector<std::string>& ps, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += (i ? "/" : "") + ps[i];
  return out;
}

void writeAll(int fd, const char* data, size_t size, const std::string& what) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot write " + what, errno);
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void copyFrom(const fs::path& from, int to, const std::string& what) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) fail("cannot read " + from.string(), errno);
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(in.get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot read " + from.string(), errno);
    if (n == 0) return;
    writeAll(to, buf, static_cast<size_t>(n), what);
  }
}

// The root and any missing folder above it, made 0755 whatever the umask.
void makeRoot(const fs::path& root) {
  std::vector<fs::path> missing;
  for (fs::path p = root; !p.empty() && !fs::exists(fs::symlink_status(p)); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (::mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) fail("cannot make " + it->string(), errno);
    ::chmod(it->c_str(), 0755);
  }
}

class Writer {
 public:
  explicit Writer(const fs::path& root) : root_(root) {
    makeRoot(root);
    rootFd_ = Fd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (rootFd_.get() < 0) fail("cannot open " + root.string(), errno);
    // Private, and inside the root so every move into place is a rename.
    std::string tmpl = (root / ".corvallo-staging.XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) fail("cannot make a staging folder in " + root.string(), errno);
    staging_ = tmpl;
    stageFd_ = Fd(::open(tmpl.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (stageFd_.get() < 0) {
      int err = errno;
      dropStaging();
      fail("cannot open " + tmpl, err);
    }
  }

  void stage(const std::vector<Placement>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
      const PackageEntry& e = items[i].entry;
      std::string slot = std::to_string(i), what = (root_ / e.path).string();
      if (e.type == EntryType::Symlink) {
        if (::symlinkat(e.linkTarget.c_str(), stageFd_.get(), slot.c_str()) != 0) fail("cannot write " + what, errno);
      } else if (e.type == EntryType::File) {
        Fd out(::openat(stageFd_.get(), slot.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.get() < 0) fail("cannot write " + what, errno);
        if (items[i].from.empty())
          writeAll(out.get(), items[i].bytes.data(), items[i].bytes.size(), what);
        else
          copyFrom(items[i].from, out.get(), what);
        if (::fchmod(out.get(), e.mode) != 0 || out.close() != 0) fail("cannot write " + what, errno);
      }
    }
  }

  void move(const std::vector<Placement>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
      const PackageEntry& e = items[i].entry;
      auto ps = partsOf(e.path);
      if (e.type == EntryType::Directory) {
        folder(ps, ps.size(), true);
        continue;
      }
      Fd parent = folder(ps, ps.size() - 1, true);
      const std::string& name = ps.back();
      std::string slot = std::to_string(i), what = (root_ / e.path).string();
      struct stat st {};
      if (::fstatat(parent.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode)) fail("cannot install " + what + ": a folder is in the way");
        if (::renameat2(stageFd_.get(), slot.c_str(), parent.get(), name.c_str(), RENAME_EXCHANGE) == 0) {
          done_.push_back({Step::Exchanged, e.path, slot});
          continue;
        }
        if (errno != EINVAL && errno != ENOSYS) fail("cannot install " + what, errno);
        // A file system without exchange: the old copy waits in the staging folder.
        std::string old = slot + ".old";
        if (::renameat(parent.get(), name.c_str(), stageFd_.get(), old.c_str()) != 0)
          fail("cannot install " + what, errno);
        if (::renameat(stageFd_.get(), slot.c_str(), parent.get(), name.c_str()) != 0) {
          int err = errno;
          ::renameat(stageFd_.get(), old.c_str(), parent.get(), name.c_str());
          fail("cannot install " + what, err);
        }
        done_.push_back({Step::Replaced, e.path, old});
      } else if (errno == ENOENT) {
        if (::renameat(stageFd_.get(), slot.c_str(), parent.get(), name.c_str()) != 0)
          fail("cannot install " + what, errno);
        done_.push_back({Step::Added, e.path, slot});
      } else {
        fail("cannot install " + what, errno);
      }
    }
  }

  // Puts back what move() changed, newest first; names what it could not.
  std::string undo() noexcept {
    std::string left;
    for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
      auto ps = partsOf(it->path);
      const std::string& name = ps.back();
      bool ok = false;
      try {
        Fd parent = folder(ps, ps.size() - 1, false);
        switch (it->kind) {
          case Step::CreatedFolder: ok = ::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR) == 0; break;
          case Step::Added: ok = ::unlinkat(parent.get(), name.c_str(), 0) == 0; break;
          case Step::Exchanged:
            ok = ::renameat2(stageFd_.get(), it->slot.c_str(), parent.get(), name.c_str(), RENAME_EXCHANGE) == 0;
            break;
          case Step::Replaced:
            ok = ::renameat(stageFd_.get(), it->slot.c_str(), parent.get(), name.c_str()) == 0;
            break;
        }
      } catch (const std::exception&) {
      }
      if (!ok) left += (left.empty() ? "" : ", ") + (root_ / it->path).string();
    }
    done_.clear();
    return left.empty() ? "" : " (and could not put back " + left + ")";
  }

  void dropStaging() noexcept {
    std::error_code ec;
    if (!staging_.empty()) fs::remove_all(staging_, ec);
    staging_.clear();
  }

 private:
  struct Step {
    enum Kind { CreatedFolder, Added, Exchanged, Replaced } kind;
    std::string path, slot;
  };

  // The folder made of the first `count` parts, opened without following a
  // symlink anywhere on the way; missing folders are made 0755 when `create`.
  Fd folder(const std::vector<std::string>& ps, size_t count, bool create) {
    Fd at(::dup(rootFd_.get()));
    if (at.get() < 0) fail("cannot open " + root_.string(), errno);
    for (size_t i = 0; i < count; ++i) {
      const char* name = ps[i].c_str();
      std::string here = joined(ps, i + 1);
      int fd = ::openat(at.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (fd < 0 && errno == ENOENT && create) {
        bool made = ::mkdirat(at.get(), name, 0700) == 0;
        if (made)
          done_.push_back({Step::CreatedFolder, here, {}});
        else if (errno != EEXIST)
          fail("cannot make " + (root_ / here).string(), errno);
        fd = ::openat(at.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0 && made && ::fchmod(fd, 0755) != 0) {
          int err = errno;
          ::close(fd);
          fail("cannot make " + (root_ / here).string(), err);
        }
      }
      if (fd < 0) {
        int err = errno;
        struct stat st {};
        if (::fstatat(at.get(), name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
          if (S_ISLNK(st.st_mode)) fail("cannot install through " + (root_ / here).string() + ": it is a symlink");
          if (!S_ISDIR(st.st_mode)) fail("cannot install beneath " + (root_ / here).string() + ": it is not a folder");
        }
        fail("cannot open " + (root_ / here).string(), err);
      }
      at = Fd(fd);
    }
    return at;
  }

  fs::path root_, staging_;
  Fd rootFd_, stageFd_;
  std::vector<Step> done_;
};

// The folder holding plain path `ps`, opened part by part without following
// a symlink; not open, with errno set, when it cannot be.
Fd openParent(int rootFd, const std::vector<std::string>& ps) {
  Fd at(::dup(rootFd));
  for (size_t i = 0; at.get() >= 0 && i + 1 < ps.size(); ++i)
    at = Fd(::openat(at.get(), ps[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  return at;
}

}  // namespace

std::vector<std::string> removeEntries(const fs::path& root, const std::vector<std::string>& files,
                                       std::vector<std::string> folders) {
  std::vector<std::string> failures;
  Fd rootFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (rootFd.get() < 0) {
    if (errno == ENOENT) return failures;
    return {"cannot open " + root.string() + ": " + std::strerror(errno)};
  }
  auto remove = [&](const std::string& path, int flags) {
    auto ps = partsOf(path);
    Fd parent = openParent(rootFd.get(), ps);
    if (parent.get() < 0) {
      if (errno == ENOENT) return;
      // A symlink or file where a folder was: what lay beneath is not there.
      if (errno == ENOTDIR || errno == ELOOP) return;
      failures.push_back("cannot remove " + (root / path).string() + ": " + std::strerror(errno));
      return;
    }
    if (::unlinkat(parent.get(), ps.back().c_str(), flags) == 0 || errno == ENOENT) return;
    if (flags == AT_REMOVEDIR && (errno == ENOTEMPTY || errno == EEXIST || errno == ENOTDIR)) return;
    failures.push_back("cannot remove " + (root / path).string() + ": " + std::strerror(errno));
  };
  for (const auto& f : files) remove(f, 0);
  // Deepest first, so a folder's subfolders are gone before it is tried.
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
    return std::count(a.begin(), a.end(), '/') > std::count(b.begin(), b.end(), '/');
  });
  for (const auto& f : folders) remove(f, AT_REMOVEDIR);
  return failures;
}

void placeAll(const fs::path& root, const std::vector<Placement>& items) {
  Writer w(root);
  try {
    w.stage(items);
  } catch (...) {
    w.dropStaging();
    throw;
  }
  try {
    w.move(items);
  } catch (const std::exception& e) {
    std::string left = w.undo();
    w.dropStaging();
    fail(e.what() + left);
  }
  w.dropStaging();
}

}  // namespace device
