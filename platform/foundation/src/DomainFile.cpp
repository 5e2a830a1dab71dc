#include "DomainFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "DomainChanges.h"
#include "Internal.h"
#include "foundation/DevicePaths.h"
#include "foundation/PropertyList.h"

namespace foundation::detail {

os_log_t storeLog() {
  static const os_log_t log = os_log_create("com.corvallo.foundation", "defaults");
  return log;
}

namespace {

FileKey keyOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim}; }

struct CacheEntry {
  FileKey key;
  Ref<NSDictionary> dict;  // nothing when the file is corrupt or unreadable
  std::string problem;     // why the file cannot be read; empty when it can
};

std::mutex cacheMutex;
std::unordered_map<std::string, CacheEntry>& cache() {
  static auto* c = new std::unordered_map<std::string, CacheEntry>;  // outlives every static reader
  return *c;
}
std::atomic<std::uint64_t> parseCount{0};

// What the last read of each domain answered, by name, with the stamp it was
// read under.
struct NamedRead {
  std::string folder;
  std::uint64_t stamp = 0;
  Snapshot snapshot;
};
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
std::mutex namedMutex;
std::unordered_map<std::string, NamedRead, NameHash, std::equal_to<>>& namedReads() {
  static auto* m = new std::unordered_map<std::string, NamedRead, NameHash, std::equal_to<>>;
  return *m;
}

std::string folderPath() { return devicePath(kPreferencesFolder); }

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
  FolderHandle(std::string p, UniqueFd f) : path(std::move(p)), fd(std::move(f)) {}
  std::string path;
  UniqueFd fd;
};
std::mutex folderMutex;
std::shared_ptr<FolderHandle> openFolder;

std::shared_ptr<FolderHandle> folderHandle(const std::string& folder, bool reopen) {
  std::lock_guard g(folderMutex);
  if (!reopen && openFolder && openFolder->path == folder) return openFolder;
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  openFolder = fd ? std::make_shared<FolderHandle>(folder, std::move(fd)) : nullptr;
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
    if (::fstatat(handle->fd.get(), leaf, &st, 0) == 0) return true;
    if (errno != ENOENT) return false;
  }
  return false;
}

// A writer killed mid-write leaves its temporary file behind. It is stale
// when nobody holds the domain's lock, since every writer writes under it;
// whoever holds the lock will replace it anyway.
void removeStaleTemp(std::string_view name) {
  DomainPaths p = domainPaths(name);
  struct stat st {};
  if (::lstat(p.tmp.c_str(), &st) != 0) return;
  DomainLock lock = DomainLock::ifFree(p.lock);
  if (!lock.held()) return;
  if (::unlink(p.tmp.c_str()) == 0)
    os_log(storeLog(), "domain %s: removed %s, left by a writer that stopped", std::string(name), p.tmp);
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

}  // namespace

DomainPaths domainPaths(std::string_view name) {
  DomainPaths p;
  p.folder = folderPath();
  std::string n(name);
  p.file = p.folder + "/" + n + ".plist";
  p.tmp = p.folder + "/." + n + ".plist.tmp";
  p.lock = p.folder + "/." + n + ".lock";
  return p;
}

std::string domainFilePath(std::string_view name) {
  std::string path = folderPath();
  path.reserve(path.size() + name.size() + 8);
  path += '/';
  path += name;
  path += ".plist";
  return path;
}

void forgetDomain(const std::string& path) {
  std::lock_guard g(cacheMutex);
  cache().erase(path);
}

void dropDomainCache() {
  {
    std::lock_guard g(namedMutex);
    namedReads().clear();
  }
  std::lock_guard g(cacheMutex);
  cache().clear();
}

Snapshot readDomainNamed(std::string_view name) {
  const std::string& folder = preferencesFolder();
  // Taken before the file is looked at: a change after this moves the stamp.
  std::optional<std::uint64_t> stamp = domainStamp(folder, name);
  if (stamp) {
    std::lock_guard g(namedMutex);
    auto& reads = namedReads();
    if (auto it = reads.find(name); it != reads.end() && it->second.stamp == *stamp && it->second.folder == folder)
      return it->second.snapshot;
  }
  std::string path = folder;
  path += '/';
  path += name;
  path += ".plist";
  Snapshot s = readDomain(path, name);
  if (stamp) {
    std::lock_guard g(namedMutex);
    auto& reads = namedReads();
    auto it = reads.find(name);
    if (it == reads.end()) it = reads.emplace(std::string(name), NamedRead{}).first;
    it->second = {folder, *stamp, s};
  }
  return s;
}

std::uint64_t domainParseCount() { return parseCount.load(std::memory_order_relaxed); }

Snapshot readDomain(const std::string& path, std::string_view name) {
  struct stat st {};
  if (!statDomain(path, st)) {
    forgetDomain(path);
    return {};
  }
  FileKey key = keyOf(st);
  {
    std::lock_guard g(cacheMutex);
    auto it = cache().find(path);
    if (it != cache().end() && it->second.key == key) {
      if (!it->second.problem.empty()) return {FileState::Unreadable, nullptr, key, it->second.problem};
      return {it->second.dict ? FileState::Present : FileState::Corrupt, it->second.dict, key};
    }
  }

  removeStaleTemp(name);
  // Parse outside the cache lock; key and bytes both come from the one open
  // file. Never blocking and never following a link: a FIFO or a device in
  // the file's place must not hang a reader, and is read as corrupt.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (!fd && errno == ENOENT) {
    forgetDomain(path);
    return {};
  }
  if (!fd && (errno == EACCES || errno == EPERM)) {
    // There but not ours to read: reading it as empty would let the next
    // write replace every setting in it.
    std::string problem = std::strerror(errno);
    bool report;
    {
      std::lock_guard g(cacheMutex);
      CacheEntry& slot = cache()[path];
      report = !(slot.key == key && slot.problem == problem);
      slot = {key, nullptr, problem};
    }
    if (report)
      os_log_error(storeLog(), "domain %s: %s cannot be read (%s); the defaults apply and it is not written",
                   std::string(name), path, problem);
    return {FileState::Unreadable, nullptr, key, problem};
  }
  std::string bytes, error;
  bool read = fd && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && readAll(fd.get(), bytes);
  fd.reset();
  key = keyOf(st);
  parseCount.fetch_add(1, std::memory_order_relaxed);
  Ref<NSDictionary> dict;
  if (!read) {
    error = "not a readable regular file";
  } else if (auto value = plistFromBytes(bytes); !value) {
    error = value.error();
  } else if (!(dict = Ref<NSDictionary>(objc_cast<NSDictionary>(value->get())))) {
    error = "not a dictionary";
  }

  bool report;
  {
    std::lock_guard g(cacheMutex);
    CacheEntry& slot = cache()[path];
    report = !dict && !(slot.key == key && !slot.dict && slot.problem.empty());
    slot = {key, dict, {}};
  }
  if (report)
    os_log_error(storeLog(),
                 "domain %s: %s does not parse (%s); it reads as absent and is kept aside before the next write",
                 std::string(name), path, error);
  return {dict ? FileState::Present : FileState::Corrupt, dict, key};
}

DomainLock::DomainLock(const std::string& path) : path_(path) { take(true, true); }

DomainLock DomainLock::ifFree(const std::string& path) {
  DomainLock lock;
  lock.path_ = path;
  lock.take(false, false);
  return lock;
}

bool DomainLock::take(bool wait, bool create) {
  // Read-only: flock needs no more, and closing a file opened for writing
  // would wake every process watching the folder.
  int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  auto refuse = [&] {
    problem_ = std::strerror(errno);
    fd_.reset();
    return false;
  };
  for (;;) {
    fd_.reset(::open(path_.c_str(), flags, 0600));
    if (!fd_) return refuse();
    while (::flock(fd_.get(), wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0)
      if (errno != EINTR) return refuse();
    // Held, but it counts only on the file still at the path (see the header).
    struct stat mine {};
    struct stat there {};
    if (::fstat(fd_.get(), &mine) != 0) return refuse();
    if (::lstat(path_.c_str(), &there) == 0 && there.st_dev == mine.st_dev && there.st_ino == mine.st_ino) return true;
    if (!create) {
      errno = ENOENT;
      return refuse();
    }
  }
}

void DomainLock::removeFile() {
  if (fd_) ::unlink(path_.c_str());
}

Status ensureFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return Error{"cannot create " + folder + ": " + ec.message()};
  return Done{};
}

void syncFolder(const std::string& folder) {
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd) ::fsync(fd.get());
}

Status moveAside(const std::string& path) {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tm);
  std::string base = path + ".corrupt-" + stamp;
  for (int n = 1; n < 1000; ++n) {
    std::string target = n == 1 ? base : base + "-" + std::to_string(n);
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return Done{};
    if (errno != EEXIST) break;
  }
  std::string why = "cannot keep " + path + " aside: " + std::strerror(errno);
  os_log_error(storeLog(), "%s", why);
  return Error{std::move(why)};
}

Status writeDomain(const DomainPaths& p, NSDictionary* domain, const Snapshot& before) {
  if (before.state == FileState::Unreadable)
    return Error{p.file + " is there but cannot be read (" + before.problem + "); it is left as it is"};
  const std::string bytes = FOUNDATION_TRY(plistToBytes(domain, PlistFormat::Binary));
  auto fail = [&](const char* what) -> Status {
    std::string message = std::string(what) + " " + p.tmp + ": " + std::strerror(errno);
    ::unlink(p.tmp.c_str());
    return Error{std::move(message)};
  };
  // With the lock held nobody else writes it: anything there is stale, or a
  // link planted to have another file overwritten through it.
  if (::unlink(p.tmp.c_str()) != 0 && errno != ENOENT) return fail("cannot remove the stale");
  UniqueFd fd(::open(p.tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd) return fail("cannot create");
  ::fchmod(fd.get(), 0600);
  if (!writeAll(fd.get(), bytes)) {
    int e = errno;
    fd.reset();
    errno = e;
    return fail("cannot write");
  }
  timespec times[2] = {{0, UTIME_OMIT}, nextMtime(before)};
  if (::futimens(fd.get(), times) != 0 || ::fsync(fd.get()) != 0) {
    int e = errno;
    fd.reset();
    errno = e;
    return fail("cannot flush");
  }
  if (fd.close() != 0) return fail("cannot close");
  if (before.state == FileState::Corrupt) (void)moveAside(p.file);  // logged; the rename keeps the domain's name
  if (::rename(p.tmp.c_str(), p.file.c_str()) != 0) return fail("cannot rename");
  syncFolder(p.folder);

  // The lock is still held, so what is at the path now is what we wrote.
  struct stat st {};
  if (::stat(p.file.c_str(), &st) == 0) {
    Ref<NSDictionary> stored = ref_cast<NSDictionary>(immutableDeepCopy(domain));
    std::lock_guard g(cacheMutex);
    cache()[p.file] = {keyOf(st), std::move(stored), {}};
  } else {
    forgetDomain(p.file);
  }
  std::string_view leaf = std::string_view(p.file).substr(p.folder.size() + 1);
  domainWritten(p.folder, leaf.substr(0, leaf.size() - std::string_view(".plist").size()));
  return Done{};
}

}  // namespace foundation::detail
