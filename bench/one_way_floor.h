// The one-way floor of a cross-process wake-up: a datagram to an epoll loop
// in a forked process, which stamps its arrival on the monotonic clock (shared
// by all processes) in shared memory and wakes the sender, asleep on a futex
// as a real waiter would be. Benchmarks of paths that cross processes take
// one floor sample beside each of their own, so both meet the same load.
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
#include <new>
#include <vector>

namespace bench {

inline std::uint64_t monotonicNs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
}

inline double percentile(const std::vector<double>& sorted, int p) {
  if (sorted.empty()) return 0;
  return sorted[std::min(sorted.size() - 1, sorted.size() * static_cast<std::size_t>(p) / 100)];
}

class OneWayFloor {
 public:
  // Forks the listener, which makes nothing but system calls, so any
  // process may fork it, threads or not.
  OneWayFloor() {
    void* mem = ::mmap(nullptr, sizeof(Stamp), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (mem == MAP_FAILED) return;
    stamp_ = new (mem) Stamp();
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, pair) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) listen(pair[1]);
    ::close(pair[1]);
    fd_ = pair[0];
    for (int i = 0; i < 200; ++i) sample();  // warm-up
  }
  ~OneWayFloor() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) ::close(fd_);
    if (stamp_) ::munmap(stamp_, sizeof(Stamp));
  }
  OneWayFloor(const OneWayFloor&) = delete;
  OneWayFloor& operator=(const OneWayFloor&) = delete;

  // One one-way time in microseconds; negative when nothing arrived.
  double sample() {
    if (fd_ < 0) return -1;
    std::uint32_t seen = stamp_->seq.load(std::memory_order_acquire);
    std::uint64_t start = monotonicNs();
    const char ping[] = "ping";
    if (::send(fd_, ping, sizeof ping, 0) < 0) return -1;
    timespec second{1, 0};
    while (stamp_->seq.load(std::memory_order_acquire) == seen)
      if (::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&stamp_->seq), FUTEX_WAIT, seen, &second, nullptr, 0) !=
              0 &&
          errno == ETIMEDOUT)
        return -1;
    return static_cast<double>(stamp_->at.load() - start) / 1000.0;
  }

 private:
  struct Stamp {
    std::atomic<std::uint32_t> seq{0};
    std::atomic<std::uint64_t> at{0};
  };

  [[noreturn]] void listen(int fd) {
    int ep = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ::epoll_ctl(ep, EPOLL_CTL_ADD, fd, &ev);
    char buf[256];
    for (;;) {
      epoll_event got{};
      if (::epoll_wait(ep, &got, 1, -1) < 0) continue;
      while (::recv(fd, buf, sizeof buf, MSG_DONTWAIT) > 0) {
        stamp_->at.store(monotonicNs(), std::memory_order_relaxed);
        stamp_->seq.fetch_add(1, std::memory_order_release);
        ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&stamp_->seq), FUTEX_WAKE, 1, nullptr, nullptr, 0);
      }
    }
  }

  Stamp* stamp_ = nullptr;
  pid_t pid_ = -1;
  int fd_ = -1;
};

}  // namespace bench
