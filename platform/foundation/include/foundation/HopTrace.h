// Stamps on the hops of one change, for benchmarks that follow a change
// across processes and queues without asking anyone while it travels. When
// CORVALLO_TRACE_HOPS names a file made by `hops::create`, every process that
// records a hop appends (name, pid, monotonic time) to it, mapped shared, and
// the benchmark reads the file after the run. Off, a hop costs one load.
// Header only, so layers that do not link foundation (notify) record too.
#pragma once

#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace foundation::hops {

struct Entry {
  char name[24];
  std::uint32_t pid;
  std::uint64_t ns;  // CLOCK_MONOTONIC, which every process shares
};

struct Log {
  std::atomic<std::uint32_t> next;  // also the futex a reader waits on
  std::uint32_t capacity;
  std::atomic<std::uint32_t> waiting;  // a reader sleeps on `next`: wake it
  Entry entries[1];                    // capacity of them
};

inline std::size_t bytesFor(std::uint32_t capacity) { return sizeof(Log) + (capacity - 1) * sizeof(Entry); }

inline std::uint64_t now() noexcept {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
}

inline Log* map(const char* path, std::size_t bytes, int flags) noexcept {
  int fd = ::open(path, O_RDWR | O_CLOEXEC | flags, 0600);
  if (fd < 0) return nullptr;
  if ((flags & O_CREAT) && ::ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
    ::close(fd);
    return nullptr;
  }
  if (!bytes) {
    Log head;
    if (::pread(fd, &head, sizeof head, 0) != static_cast<ssize_t>(sizeof head)) {
      ::close(fd);
      return nullptr;
    }
    bytes = bytesFor(head.capacity);
  }
  void* mem = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  return mem == MAP_FAILED ? nullptr : static_cast<Log*>(mem);
}

// Makes the file and maps it; set CORVALLO_TRACE_HOPS to `path` for the
// processes that should record.
inline Log* create(const char* path, std::uint32_t capacity) noexcept {
  Log* log = map(path, bytesFor(capacity), O_CREAT | O_TRUNC);
  if (log) log->capacity = capacity;
  return log;
}

// This process's log, or nothing when tracing is off.
inline Log* current() noexcept {
  static Log* const log = [] {
    const char* path = std::getenv("CORVALLO_TRACE_HOPS");
    return path && *path ? map(path, 0, 0) : nullptr;
  }();
  return log;
}

inline void record(const char* name) noexcept {
  Log* log = current();
  if (!log) return;
  std::uint64_t ns = now();
  std::uint32_t i = log->next.load(std::memory_order_relaxed);
  do {
    if (i >= log->capacity) return;
  } while (!log->next.compare_exchange_weak(i, i + 1));
  Entry& e = log->entries[i];
  std::strncpy(e.name, name, sizeof e.name - 1);
  e.pid = static_cast<std::uint32_t>(::getpid());
  e.ns = ns;
  // Only a sleeping reader costs the recorder a system call.
  if (log->waiting.load())
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&log->next), FUTEX_WAKE, 1 << 30, nullptr, nullptr, 0);
}

// Waits until the log holds more than `count` entries or `timeoutNs` passes.
inline bool waitPast(Log* log, std::uint32_t count, std::uint64_t timeoutNs) noexcept {
  std::uint64_t deadline = now() + timeoutNs;
  log->waiting.store(1);
  struct Done {
    Log* log;
    ~Done() { log->waiting.store(0); }
  } done{log};
  for (;;) {
    std::uint32_t n = log->next.load();
    if (n > count) return true;
    std::uint64_t t = now();
    if (t >= deadline) return false;
    timespec left{static_cast<time_t>((deadline - t) / 1000000000ull),
                  static_cast<long>((deadline - t) % 1000000000ull)};
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&log->next), FUTEX_WAIT, n, &left, nullptr, 0);
  }
}

}  // namespace foundation::hops
