#include "DomainChanges.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "DomainFile.h"
#include "foundation/DevicePaths.h"

namespace foundation::detail {

namespace {

// Domains share a counter when their names hash alike; a bump then costs the
// other domain one look at its file, never a stale read.
constexpr std::size_t kSlots = 1024;
using Counters = std::atomic<std::uint64_t>[kSlots];
static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "counters are shared between processes");

std::size_t slotOf(std::string_view name) { return std::hash<std::string_view>{}(name) % kSlots; }

// The preference folder's device root: <root>/var/mobile/Library/Preferences.
std::string rootOf(const std::string& folder) {
  constexpr std::string_view tail = "/var/mobile/Library/Preferences";
  if (folder.size() >= tail.size() && std::string_view(folder).substr(folder.size() - tail.size()) == tail)
    return folder.substr(0, folder.size() - tail.size());
  return {};
}

// The shared counters of one device root, mapped once per process.
struct SharedCounters {
  std::string folder;
  std::atomic<std::uint64_t>* counters = nullptr;
};

// This process's watch of one preference folder.
struct Watch {
  std::string folder;
  int fd = -1;
  std::atomic<bool> alive{false};
  Counters local{};
  std::atomic<std::uint64_t> all{0};  // bumped when events were lost
};

std::mutex mutex;
std::vector<SharedCounters> mapped;  // guarded by mutex; entries are never unmapped
std::vector<Watch*> watches;         // guarded by mutex; never freed: the threads hold them

// Readers map the file only once a writer has made it: a read creates nothing.
std::atomic<std::uint64_t>* mapCounters(const std::string& folder, bool create) {
  for (const auto& m : mapped)
    if (m.folder == folder) return m.counters;
  std::string root = rootOf(folder);
  if (root.empty()) return nullptr;
  std::string run = root + "/var/run/defaults";
  if (create) {
    std::error_code ec;
    std::filesystem::create_directories(run, ec);
  }
  int fd = ::open((run + "/changes").c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
  if (fd < 0) return nullptr;
  struct stat st {};
  void* mem = MAP_FAILED;
  if (::fstat(fd, &st) == 0 &&
      (st.st_size >= static_cast<off_t>(sizeof(Counters)) || ::ftruncate(fd, sizeof(Counters)) == 0))
    mem = ::mmap(nullptr, sizeof(Counters), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  if (mem == MAP_FAILED) return nullptr;
  auto* counters = static_cast<std::atomic<std::uint64_t>*>(mem);
  mapped.push_back({folder, counters});
  return counters;
}

void follow(Watch* w) {
  alignas(inotify_event) char buf[16384];
  for (;;) {
    ssize_t n = ::read(w->fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    for (char* p = buf; p < buf + n;) {
      auto* ev = reinterpret_cast<inotify_event*>(p);
      p += sizeof(inotify_event) + ev->len;
      if (ev->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
        // The folder itself is gone or moved: nothing more will be heard of it.
        w->alive.store(false, std::memory_order_release);
        w->all.fetch_add(1, std::memory_order_release);
        ::close(w->fd);
        return;
      }
      if (ev->mask & IN_Q_OVERFLOW) {
        w->all.fetch_add(1, std::memory_order_release);
        continue;
      }
      if (ev->len == 0) continue;
      std::string_view leaf(ev->name);
      constexpr std::string_view ext = ".plist";
      if (leaf.size() > ext.size() && leaf.substr(leaf.size() - ext.size()) == ext)
        w->local[slotOf(leaf.substr(0, leaf.size() - ext.size()))].fetch_add(1, std::memory_order_release);
    }
  }
  w->alive.store(false, std::memory_order_release);
  w->all.fetch_add(1, std::memory_order_release);
}

// A child of fork has none of the watch threads.
void forgetWatchesInChild() {
  for (Watch* w : watches) w->alive.store(false, std::memory_order_relaxed);
}

Watch* watchFor(const std::string& folder) {
  static const bool atfork = (::pthread_atfork(nullptr, nullptr, &forgetWatchesInChild), true);
  (void)atfork;
  Watch* found = nullptr;
  for (Watch* w : watches)
    if (w->folder == folder) found = w;
  if (found && found->alive.load(std::memory_order_acquire)) return found;
  int fd = ::inotify_init1(IN_CLOEXEC);
  if (fd < 0) return nullptr;
  // Finished changes only: a file closed after writing, renamed in or out,
  // created or removed. Each write through the store would otherwise wake
  // this thread for every write(2) and mode change of its temporary file, on
  // the way of the notification that follows it.
  constexpr std::uint32_t events =
      IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
  if (::inotify_add_watch(fd, folder.c_str(), events) < 0) {
    ::close(fd);
    return nullptr;
  }
  auto* w = new Watch;
  w->folder = folder;
  w->fd = fd;
  w->alive.store(true, std::memory_order_release);
  // A folder watched again starts from counters above the old ones.
  if (found) w->all.store(found->all.load() + 1);
  try {
    std::thread(follow, w).detach();
  } catch (const std::system_error&) {
    ::close(fd);
    delete w;
    return nullptr;
  }
  watches.push_back(w);
  return w;
}

struct Followed {
  std::atomic<std::uint64_t>* shared = nullptr;
  Watch* watch = nullptr;
};

// Readers start the folder's watch; writers create the counter file.
Followed followed(const std::string& folder, bool startWatching) {
  // The last folder asked about, without a lock: most processes have one.
  thread_local std::string lastFolder;
  thread_local Followed last;
  if (last.shared && last.watch && lastFolder == folder && last.watch->alive.load(std::memory_order_acquire))
    return last;
  std::lock_guard g(mutex);
  Followed f{mapCounters(folder, !startWatching), nullptr};
  if (f.shared) {
    for (Watch* w : watches)
      if (w->folder == folder && w->alive.load(std::memory_order_acquire)) f.watch = w;
    if (!f.watch && startWatching) f.watch = watchFor(folder);
  }
  lastFolder = folder;
  last = f;
  return f;
}

}  // namespace

std::optional<std::uint64_t> domainStamp(const std::string& folder, std::string_view name) {
  Followed f = followed(folder, true);
  if (!f.shared || !f.watch) return std::nullopt;
  std::size_t slot = slotOf(name);
  // Each part only grows, so their sum moves whenever one does.
  return f.shared[slot].load(std::memory_order_acquire) + f.watch->local[slot].load(std::memory_order_acquire) +
         f.watch->all.load(std::memory_order_acquire);
}

void domainWritten(const std::string& folder, std::string_view name) {
  Followed f = followed(folder, false);
  if (f.shared) f.shared[slotOf(name)].fetch_add(1, std::memory_order_acq_rel);
}

}  // namespace foundation::detail
