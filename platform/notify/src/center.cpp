#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"
#include "transport.h"

struct CFNotificationCenterOpaque {};

namespace {

using notify::detail::logLine;

CFNotificationCenterOpaque darwinRef;

bool merges(CFNotificationSuspensionBehavior b) {
  return b == CFNotificationSuspensionBehaviorCoalesce || b == CFNotificationSuspensionBehaviorDrop;
}

struct Registration {
  Registration(const void* o, CFNotificationCallback c, std::string n, CFNotificationSuspensionBehavior b)
      : observer(o), callback(c), name(std::move(n)), behaviour(b) {}
  const void* const observer;
  const CFNotificationCallback callback;
  const std::string name;
  // Guarded by the centre's mutex.
  CFNotificationSuspensionBehavior behaviour;
  bool alive = true;
  bool pending = false;  // a merged delivery is queued and has not started
  int inFlight = 0;      // callbacks running now
};

// One per process. A receiving thread drains the endpoint as soon as a post
// lands, so a busy main thread never fills the socket and makes posters drop
// posts; delivery then goes through the main queue.
class DarwinCenter {
 public:
  void add(const void* observer, CFNotificationCallback callback, std::string name,
           CFNotificationSuspensionBehavior behaviour) {
    std::lock_guard lock(mutex_);
    if (endpoint_.fd < 0) {
      std::string error;
      if (!notify::detail::openEndpoint(endpoint_, error)) {
        logLine("cannot observe %s: %s", name.c_str(), error.c_str());
        return;
      }
      owner_ = ::getpid();
      std::thread([this, fd = endpoint_.fd] { receive(fd); }).detach();
      static const bool cleanup = std::atexit([] { current()->removeEndpoint(); }) == 0;
      (void)cleanup;
    }
    for (auto& r : regs_) {
      if (r->observer == observer && r->callback == callback && r->name == name) {
        r->behaviour = behaviour;
        return;
      }
    }
    regs_.push_back(std::make_shared<Registration>(observer, callback, std::move(name), behaviour));
  }

  void remove(const void* observer, std::optional<std::string_view> name) {
    std::unique_lock lock(mutex_);
    std::vector<std::shared_ptr<Registration>> removed;
    std::erase_if(regs_, [&](const std::shared_ptr<Registration>& r) {
      if (r->observer != observer || (name && r->name != *name)) return false;
      r->alive = false;
      removed.push_back(r);
      return true;
    });
    // Callbacks run on the main thread only, so there the one that may be
    // running is the caller's own and waiting for it would never end.
    if (!dispatch::isMainThread()) {
      idle_.wait(lock, [&] {
        return std::all_of(removed.begin(), removed.end(), [](auto& r) { return r->inFlight == 0; });
      });
    }
  }

  static DarwinCenter* current() {
    static const bool once = [] {
      instance.store(new DarwinCenter(), std::memory_order_release);
      ::pthread_atfork(nullptr, nullptr, [] { afterFork(); });
      return true;
    }();
    (void)once;
    return instance.load(std::memory_order_acquire);
  }

 private:
  void receive(int fd) {
    char packet[2 + notify::kMaxNameLength];
    for (;;) {
      ssize_t n = ::recv(fd, packet, sizeof packet, MSG_TRUNC);
      if (n < 0) {
        if (errno == EINTR) continue;
        logLine("stopped receiving posts: %s", std::strerror(errno));
        return;
      }
      if (n < 2 || static_cast<std::size_t>(n) > 1 + notify::kMaxNameLength ||
          static_cast<unsigned char>(packet[0]) != notify::detail::kWireVersion)
        continue;
      std::string_view name(packet + 1, static_cast<std::size_t>(n) - 1);
      if (!notify::detail::isValidName(name)) continue;
      received(name);
      receivedCount.fetch_add(1, std::memory_order_release);
    }
  }

  void received(std::string_view name) {
    std::vector<std::shared_ptr<Registration>> due;
    {
      std::lock_guard lock(mutex_);
      for (auto& r : regs_) {
        if (r->name != name) continue;
        if (merges(r->behaviour)) {
          if (r->pending) continue;
          r->pending = true;
        }
        due.push_back(r);
      }
    }
    for (auto& r : due) {
      try {
        dispatch_async(dispatch_get_main_queue(), [this, r] { deliver(r); });
      } catch (const std::exception& e) {
        logLine("cannot queue a delivery of %s: %s", r->name.c_str(), e.what());
      }
    }
  }

  void deliver(const std::shared_ptr<Registration>& r) {
    {
      std::lock_guard lock(mutex_);
      if (!r->alive) return;
      // Cleared before the call: a post arriving during it gets a callback of its own.
      r->pending = false;
      ++r->inFlight;
    }
    struct Finished {
      DarwinCenter* center;
      Registration* r;
      ~Finished() {
        std::lock_guard lock(center->mutex_);
        if (--r->inFlight == 0) center->idle_.notify_all();
      }
    } finished{this, r.get()};
    r->callback(&darwinRef, const_cast<void*>(r->observer), r->name.c_str(), nullptr, nullptr);
  }

  void removeEndpoint() {
    std::lock_guard lock(mutex_);
    if (endpoint_.fd >= 0 && owner_ == ::getpid()) ::unlink(endpoint_.path.c_str());
  }

  // A forked child starts with no registrations and without the parent's
  // endpoint, which would otherwise take posts meant for the parent. Only one
  // thread exists here, so the old centre is dropped without its lock.
  static void afterFork() {
    DarwinCenter* old = instance.load(std::memory_order_relaxed);
    if (old->endpoint_.fd >= 0) ::close(old->endpoint_.fd);
    instance.store(new DarwinCenter(), std::memory_order_release);
  }

  static inline std::atomic<DarwinCenter*> instance{nullptr};

 public:
  std::atomic<std::uint64_t> receivedCount{0};

 private:

  std::mutex mutex_;
  std::condition_variable idle_;
  std::vector<std::shared_ptr<Registration>> regs_;
  notify::detail::Endpoint endpoint_;
  pid_t owner_ = 0;
};

bool isDarwin(CFNotificationCenterRef center, const char* what) {
  if (center == &darwinRef) return true;
  logLine("%s: only the Darwin notification centre is supported", what);
  return false;
}

}  // namespace

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() noexcept { return &darwinRef; }

std::uint64_t notify::receivedPostCount() noexcept {
  return DarwinCenter::current()->receivedCount.load(std::memory_order_acquire);
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFNotificationName name,
                                     const void*, CFNotificationSuspensionBehavior behaviour) noexcept {
  if (!isDarwin(center, "CFNotificationCenterAddObserver")) return;
  if (!notify::isValidName(name)) {
    logLine("CFNotificationCenterAddObserver: refused an invalid name");
    return;
  }
  if (!callback) {
    logLine("CFNotificationCenterAddObserver: refused %s without a callback", name);
    return;
  }
  if (behaviour < CFNotificationSuspensionBehaviorDrop ||
      behaviour > CFNotificationSuspensionBehaviorDeliverImmediately) {
    logLine("CFNotificationCenterAddObserver: refused %s with unknown behaviour %ld", name,
            static_cast<long>(behaviour));
    return;
  }
  try {
    DarwinCenter::current()->add(observer, callback, name, behaviour);
  } catch (const std::exception& e) {
    logLine("cannot observe %s: %s", name, e.what());
  }
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        CFNotificationName name, const void*) noexcept {
  if (!isDarwin(center, "CFNotificationCenterRemoveObserver")) return;
  try {
    DarwinCenter::current()->remove(observer, name ? std::optional<std::string_view>(name) : std::nullopt);
  } catch (const std::exception& e) {
    logLine("CFNotificationCenterRemoveObserver: %s", e.what());
  }
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) noexcept {
  CFNotificationCenterRemoveObserver(center, observer, nullptr, nullptr);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name,
                                          const void*, CFDictionaryRef, bool) noexcept {
  if (!isDarwin(center, "CFNotificationCenterPostNotification")) return;
  if (notify_post(name) == NOTIFY_STATUS_INVALID_NAME)
    logLine("CFNotificationCenterPostNotification: refused an invalid name");
}
