// The file behind one preference domain: reading it through a cache of
// parsed versions, the cross-process lock of its read-modify-write, the
// atomic replace, and keeping aside a file that does not parse.
// NSUserDefaults.h states the guarantees; this is how they are kept.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/Log.h"
#include "foundation/NSDictionary.h"
#include "foundation/Result.h"
#include "foundation/UniqueFd.h"

namespace foundation::detail {

// The log of the preference store.
os_log_t storeLog();

// What identifies one version of a domain file. Writers give every new
// version an mtime above its predecessor's (see writeDomain), so a reused
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

// Unreadable: the file is there but cannot be opened (its permissions), so
// it must be neither read as empty nor replaced.
enum class FileState { Absent, Present, Corrupt, Unreadable };

// One read of a domain file: what was there and which version it was.
struct Snapshot {
  FileState state = FileState::Absent;
  Ref<NSDictionary> dict;
  FileKey key;
  std::string problem;  // why an Unreadable file cannot be read
};

struct DomainPaths {
  std::string folder, file, tmp, lock;
};
DomainPaths domainPaths(std::string_view name);
// The file alone, for reads.
std::string domainFilePath(std::string_view name);

// The domain as it is now. A file that does not parse reads as Corrupt and
// is logged once per version.
Snapshot readDomain(const std::string& path, std::string_view name);
// The named domain in the current preference folder. While nothing can have
// changed it (DomainChanges.h) this answers what the last read saw, without
// a system call.
Snapshot readDomainNamed(std::string_view name);
// Drops what the cache holds for one file or for all.
void forgetDomain(const std::string& path);
void dropDomainCache();
std::uint64_t domainParseCount();

// Held for a domain's whole read-modify-write. flock locks belong to the open
// file description, so threads of one process exclude each other too.
//
// The lock file goes when its domain goes (removeFile), which is safe only
// because a lock counts once it is held on the file still at the path: a
// process that waited on a file removed meanwhile finds another file (or
// none) there, lets go and locks the path's file afresh. So two holders are
// never both sure of the lock, whoever removes the file while holding it.
class DomainLock {
 public:
  // Waits for the lock, creating the file when it is missing.
  explicit DomainLock(const std::string& path);
  // Takes the lock only if it is free now, and never creates the file.
  static DomainLock ifFree(const std::string& path);

  bool held() const { return static_cast<bool>(fd_); }
  // Why the lock could not be taken.
  const std::string& problem() const { return problem_; }
  // With the lock held, for a domain that is absent: removes the lock file.
  void removeFile();

 private:
  DomainLock() = default;
  bool take(bool wait, bool create);

  std::string path_;
  UniqueFd fd_;
  std::string problem_;
};

Status ensureFolder(const std::string& folder);
void syncFolder(const std::string& folder);
// Keeps an unreadable file for whoever wants to look at it.
Status moveAside(const std::string& path);

// With the domain's lock held: replaces the file with `domain`; `before` is
// what was read under the same lock. The temporary file is always a new one:
// whatever sits at its name (a stale file, a link planted there) is removed
// first and never written through.
Status writeDomain(const DomainPaths& p, NSDictionary* domain, const Snapshot& before);

}  // namespace foundation::detail
