#include "foundation/NSUserDefaults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/PropertyList.h"
#include "Internal.h"

namespace {

os_log_t storeLog() {
  static const os_log_t log = os_log_create("com.corvallo.foundation", "defaults");
  return log;
}

// A name as it may safely appear in a log line.
std::string printable(std::string_view s) {
  std::string out;
  for (unsigned char c : s.substr(0, 120)) {
    if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (s.size() > 120) out += "…";
  return out;
}

// What identifies one version of a domain file. Writers give every new
// version an mtime above its predecessor's (see writeLocked), so a reused
// inode with the same size can never pass for the old file.
struct FileKey {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};
  bool operator==(const FileKey& o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

FileKey keyOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim}; }

enum class FileState { Absent, Present, Corrupt };

struct Snapshot {
  FileState state = FileState::Absent;
  Ref<NSDictionary> dict;
  FileKey key;
};

struct CacheEntry {
  FileKey key;
  Ref<NSDictionary> dict;  // nothing when the file is corrupt
};

std::mutex cacheMutex;
std::unordered_map<std::string, CacheEntry>& cache() {
  static auto* c = new std::unordered_map<std::string, CacheEntry>;  // outlives every static reader
  return *c;
}
std::atomic<std::uint64_t> parseCount{0};

struct Paths {
  std::string folder, file, tmp, lock;
};

std::string folderPath() { return foundation::devicePath(foundation::kPreferencesFolder); }

std::string filePath(std::string_view name) {
  std::string path = folderPath();
  path.reserve(path.size() + name.size() + 8);
  path += '/';
  path += name;
  path += ".plist";
  return path;
}

Paths pathsFor(std::string_view name) {
  Paths p;
  p.folder = folderPath();
  std::string n(name);
  p.file = p.folder + "/" + n + ".plist";
  p.tmp = p.folder + "/." + n + ".plist.tmp";
  p.lock = p.folder + "/." + n + ".lock";
  return p;
}

bool checkName(NSString* name, const char* op) {
  std::string_view n = foundation::detail::textOf(name);
  if (NSUserDefaults::isValidDomainName(n)) return true;
  os_log_error(storeLog(), "%s: refused domain name \"%s\": not a plain reverse-domain identifier", op,
               printable(n));
  return false;
}

void forget(const std::string& path) {
  std::lock_guard g(cacheMutex);
  cache().erase(path);
}

bool readAll(int fd, std::string& out) {
  char buf[16384];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

// The preference folder held open, so the check of an unchanged file walks
// one path component instead of the whole device path.
struct FolderHandle {
  FolderHandle(std::string p, int f) : path(std::move(p)), fd(f) {}
  FolderHandle(const FolderHandle&) = delete;
  FolderHandle& operator=(const FolderHandle&) = delete;
  ~FolderHandle() { ::close(fd); }
  std::string path;
  int fd;
};
std::mutex folderMutex;
std::shared_ptr<FolderHandle> openFolder;

std::shared_ptr<FolderHandle> folderHandle(const std::string& folder, bool reopen) {
  std::lock_guard g(folderMutex);
  if (!reopen && openFolder && openFolder->path == folder) return openFolder;
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  openFolder = fd >= 0 ? std::make_shared<FolderHandle>(folder, fd) : nullptr;
  return openFolder;
}

// stat of the domain file through the held folder. A folder removed since it
// was opened answers ENOENT for every name, so that answer is checked afresh.
bool statDomain(const std::string& path, struct stat& st) {
  std::size_t slash = path.rfind('/');
  std::string folder = path.substr(0, slash);
  const char* leaf = path.c_str() + slash + 1;
  for (bool reopen : {false, true}) {
    auto handle = folderHandle(folder, reopen);
    if (!handle) return false;
    if (::fstatat(handle->fd, leaf, &st, 0) == 0) return true;
    if (errno != ENOENT) return false;
  }
  return false;
}

Snapshot readDomain(const std::string& path, std::string_view name) {
  struct stat st{};
  if (!statDomain(path, st)) {
    forget(path);
    return {};
  }
  FileKey key = keyOf(st);
  {
    std::lock_guard g(cacheMutex);
    auto it = cache().find(path);
    if (it != cache().end() && it->second.key == key)
      return {it->second.dict ? FileState::Present : FileState::Corrupt, it->second.dict, key};
  }

  // Parse outside the cache lock; key and bytes both come from the one open file.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    forget(path);
    return {};
  }
  std::string bytes, error;
  bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && readAll(fd, bytes);
  ::close(fd);
  key = keyOf(st);
  parseCount.fetch_add(1, std::memory_order_relaxed);
  Ref<NSDictionary> dict;
  if (!read) {
    error = "not a readable file";
  } else if (auto value = foundation::plistFromBytes(bytes); !value) {
    error = value.error();
  } else if (!(dict = Ref<NSDictionary>(objc_cast<NSDictionary>(value->get())))) {
    error = "not a dictionary";
  }

  bool report;
  {
    std::lock_guard g(cacheMutex);
    CacheEntry& slot = cache()[path];
    report = !dict && !(slot.key == key && !slot.dict);
    slot = {key, dict};
  }
  if (report)
    os_log_error(storeLog(),
                 "domain %s: %s does not parse (%s); it reads as absent and is kept aside before the next write",
                 std::string(name), path, error);
  return {dict ? FileState::Present : FileState::Corrupt, dict, key};
}

// Held for a domain's whole read-modify-write. flock locks belong to the open
// file description, so threads of one process exclude each other too.
class DomainLock {
 public:
  explicit DomainLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~DomainLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  DomainLock(const DomainLock&) = delete;
  DomainLock& operator=(const DomainLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

bool ensureFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    os_log_error(storeLog(), "cannot create %s: %s", folder, ec.message());
    return false;
  }
  return true;
}

void syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Keeps an unreadable file for whoever wants to look at it.
void moveAside(const std::string& path) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tm);
  std::string base = path + ".corrupt-" + stamp;
  for (int n = 1; n < 1000; ++n) {
    std::string target = n == 1 ? base : base + "-" + std::to_string(n);
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno != EEXIST) break;
  }
  os_log_error(storeLog(), "cannot keep %s aside: %s", path, std::strerror(errno));
}

timespec nextMtime(const Snapshot& before) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  if (before.state == FileState::Absent) return now;
  const timespec& old = before.key.mtime;
  if (now.tv_sec > old.tv_sec || (now.tv_sec == old.tv_sec && now.tv_nsec > old.tv_nsec)) return now;
  timespec next = old;
  if (++next.tv_nsec == 1000000000L) {
    next.tv_nsec = 0;
    ++next.tv_sec;
  }
  return next;
}

// With the domain's lock held: replaces the file with `domain`.
bool writeLocked(const Paths& p, std::string_view name, NSDictionary* domain, const Snapshot& before) {
  auto bytes = foundation::plistToBytes(domain, foundation::PlistFormat::Binary);
  if (!bytes) {
    os_log_error(storeLog(), "domain %s not written: %s", std::string(name), bytes.error());
    return false;
  }
  auto fail = [&](const char* what) {
    os_log_error(storeLog(), "domain %s not written: %s %s: %s", std::string(name), what, p.tmp,
                 std::strerror(errno));
    ::unlink(p.tmp.c_str());
    return false;
  };
  int fd = ::open(p.tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return fail("cannot create");
  ::fchmod(fd, 0600);
  const std::string& b = bytes.value();
  for (std::size_t done = 0; done < b.size();) {
    ssize_t n = ::write(fd, b.data() + done, b.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return fail("cannot write");
    }
    done += static_cast<std::size_t>(n);
  }
  timespec times[2] = {{0, UTIME_OMIT}, nextMtime(before)};
  if (::futimens(fd, times) != 0 || ::fsync(fd) != 0) {
    ::close(fd);
    return fail("cannot flush");
  }
  if (::close(fd) != 0) return fail("cannot close");
  if (before.state == FileState::Corrupt) moveAside(p.file);
  if (::rename(p.tmp.c_str(), p.file.c_str()) != 0) return fail("cannot rename");
  syncFolder(p.folder);

  // The lock is still held, so what is at the path now is what we wrote.
  struct stat st{};
  if (::stat(p.file.c_str(), &st) == 0) {
    Ref<NSDictionary> stored = ref_cast<NSDictionary>(foundation::immutableDeepCopy(domain));
    std::lock_guard g(cacheMutex);
    cache()[p.file] = {keyOf(st), std::move(stored)};
  } else {
    forget(p.file);
  }
  return true;
}

}  // namespace

OBJC_IMPLEMENT_LEGACY(NSUserDefaults)

bool NSUserDefaults::isValidDomainName(std::string_view name) {
  if (name.empty() || name.size() > 255 || name.front() == '.') return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-';
    if (!ok) return false;
  }
  return true;
}

std::uint64_t NSUserDefaults::domainParseCount() { return parseCount.load(std::memory_order_relaxed); }

void NSUserDefaults::dropDomainCache() {
  std::lock_guard g(cacheMutex);
  cache().clear();
}

Ref<NSUserDefaults> NSUserDefaults::standardUserDefaultsImpl(NSObject*, SEL) {
  static NSUserDefaults* const shared = foundation::detail::allocAs<NSUserDefaults>(cls()).leak();
  return Ref<NSUserDefaults>(shared);
}

Ref<NSDictionary> NSUserDefaults::persistentDomainForNameImpl(NSString* name) {
  if (!checkName(name, "persistentDomainForName:")) return nullptr;
  return readDomain(filePath(name->utf8()), name->utf8()).dict;
}

void NSUserDefaults::setPersistentDomainForNameImpl(NSDictionary* domain, NSString* name) {
  if (!checkName(name, "setPersistentDomain:forName:")) return;
  if (!domain) {
    os_log_error(storeLog(), "setPersistentDomain:forName: domain %s not written: no dictionary given", name->utf8());
    return;
  }
  Paths p = pathsFor(name->utf8());
  if (!ensureFolder(p.folder)) return;
  DomainLock lock(p.lock);
  if (!lock.held()) {
    os_log_error(storeLog(), "domain %s not written: cannot lock %s: %s", name->utf8(), p.lock, std::strerror(errno));
    return;
  }
  writeLocked(p, name->utf8(), domain, readDomain(p.file, name->utf8()));
}

void NSUserDefaults::removePersistentDomainForNameImpl(NSString* name) {
  if (!checkName(name, "removePersistentDomainForName:")) return;
  Paths p = pathsFor(name->utf8());
  struct stat st{};
  if (::stat(p.folder.c_str(), &st) != 0) return;  // nothing was ever stored
  DomainLock lock(p.lock);
  if (!lock.held()) {
    os_log_error(storeLog(), "domain %s not removed: cannot lock %s: %s", name->utf8(), p.lock, std::strerror(errno));
    return;
  }
  Snapshot before = readDomain(p.file, name->utf8());
  if (before.state == FileState::Corrupt)
    moveAside(p.file);
  else if (before.state == FileState::Present)
    ::unlink(p.file.c_str());
  forget(p.file);
  syncFolder(p.folder);
}

bool NSUserDefaults::updateDomain(NSString* name, const std::function<bool(NSMutableDictionary*)>& change) {
  if (!checkName(name, "updatePersistentDomainForName")) return false;
  Paths p = pathsFor(name->utf8());
  if (!ensureFolder(p.folder)) return false;
  DomainLock lock(p.lock);
  if (!lock.held()) {
    os_log_error(storeLog(), "domain %s not updated: cannot lock %s: %s", name->utf8(), p.lock, std::strerror(errno));
    return false;
  }
  Snapshot before = readDomain(p.file, name->utf8());
  Ref<NSMutableDictionary> working = before.dict ? before.dict->mutableCopy() : NSMutableDictionary::dictionary();
  if (!change(working.get())) return false;
  return writeLocked(p, name->utf8(), working.get(), before);
}

void NSUserDefaults::registerMethods(objc::ClassBuilder<NSUserDefaults>& b) {
  b.classMethod<"standardUserDefaults", &NSUserDefaults::standardUserDefaultsImpl>()
      .method<"persistentDomainForName:", &NSUserDefaults::persistentDomainForNameImpl>()
      .method<"setPersistentDomain:forName:", &NSUserDefaults::setPersistentDomainForNameImpl>()
      .method<"removePersistentDomainForName:", &NSUserDefaults::removePersistentDomainForNameImpl>()
      .method<"synchronize", &NSUserDefaults::synchronizeImpl>();
}
