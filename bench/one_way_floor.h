// The one-way floor of a cross-process wake-up: a datagram to an epoll loop
// in a forked process, which stamps its arrival on the monotonic clock (shared
// by all processes) in shared memory. Benchmarks of paths that cross
// processes report their figures as ratios to it, measured in the same run.
#pragma once

#include <linux/futex.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace bench {

inline std::uint64_t monotonicNs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
}

// One-way times in microseconds, sorted; empty when the listener failed.
inline std::vector<double> measureOneWayFloor(int count) {
  struct Stamp {
    std::atomic<std::uint32_t> seq{0};  // a futex: the sender sleeps on it, as a real waiter would
    std::atomic<std::uint64_t> at{0};
  };
  void* mem = ::mmap(nullptr, sizeof(Stamp), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (mem == MAP_FAILED) return {};
  auto* stamp = new (mem) Stamp();
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, pair) != 0) return {};
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pair[0]);
    int ep = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ::epoll_ctl(ep, EPOLL_CTL_ADD, pair[1], &ev);
    char buf[256];
    for (;;) {
      epoll_event got{};
      if (::epoll_wait(ep, &got, 1, -1) < 0) continue;
      while (::recv(pair[1], buf, sizeof buf, MSG_DONTWAIT) > 0) {
        stamp->at.store(monotonicNs(), std::memory_order_relaxed);
        stamp->seq.fetch_add(1, std::memory_order_release);
        ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&stamp->seq), FUTEX_WAKE, 1, nullptr, nullptr, 0);
      }
    }
  }
  ::close(pair[1]);
  std::vector<double> us;
  const char ping[] = "ping";
  for (int i = 0; i < count + 200; ++i) {
    std::uint32_t seen = stamp->seq.load(std::memory_order_acquire);
    std::uint64_t start = monotonicNs();
    if (::send(pair[0], ping, sizeof ping, 0) < 0) break;
    timespec second{1, 0};
    while (stamp->seq.load(std::memory_order_acquire) == seen)
      if (::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&stamp->seq), FUTEX_WAIT, seen, &second, nullptr, 0) !=
              0 &&
          errno == ETIMEDOUT)
        break;
    if (i >= 200) us.push_back(static_cast<double>(stamp->at.load() - start) / 1000.0);  // after a warm-up
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ::close(pair[0]);
  ::munmap(mem, sizeof(Stamp));
  std::sort(us.begin(), us.end());
  return us;
}

inline double percentile(const std::vector<double>& sorted, int p) {
  if (sorted.empty()) return 0;
  return sorted[std::min(sorted.size() - 1, sorted.size() * static_cast<std::size_t>(p) / 100)];
}

}  // namespace bench
