#include <asio.hpp>

#include <pthread.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
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
#include <unordered_map>
#include <utility>
#include <vector>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/HopTrace.h"
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

// One per process. The listener and the connections of posting processes
// are read on the main loop, which delivers what it read right away: a post
// wakes only the main thread, and the connections buffer what arrives while
// the main thread is busy.
class DarwinCenter {
 public:
  void add(const void* observer, CFNotificationCallback callback, std::string name,
           CFNotificationSuspensionBehavior behaviour) {
    std::lock_guard lock(mutex_);
    if (listenFd_ < 0) {
      auto listener = notify::detail::openListener();
      if (!listener) {
        logLine("cannot observe %s: %s", name.c_str(), listener.error().c_str());
        return;
      }
      listenPath_ = std::move(listener->path);
      listenFd_ = listener->fd.release();  // the main loop's descriptor owns it from here
      owner_ = ::getpid();
      // Posts that come before the main loop runs wait in the sockets.
      asio::post(dispatch::mainContext(), [this, fd = listenFd_] { startListening(fd); });
      static const bool cleanup = std::atexit([] { current()->removeListener(); }) == 0;
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
      idle_.wait(lock,
                 [&] { return std::all_of(removed.begin(), removed.end(), [](auto& r) { return r->inFlight == 0; }); });
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

  std::atomic<std::uint64_t> receivedCount{0};

 private:
  using Descriptor = asio::posix::stream_descriptor;

  // Main thread from here on.
  void startListening(int fd) {
    listener_ = std::make_unique<Descriptor>(dispatch::mainContext(), fd);
    awaitConnections();
  }

  // Posting processes keep one connection each, so a peer with many is
  // flooding: past these bounds a connection is closed as soon as it is
  // taken, and the descriptors stay free for the rest of the process.
  static constexpr int kConnectionsPerPeer = 16;
  static constexpr int kConnections = 256;
  // Taken per turn of the main loop, so a flood cannot keep it to itself.
  static constexpr int kAcceptsPerTurn = 64;

  struct Connection {
    Connection(DarwinCenter* c, int fd, pid_t p) : center(c), descriptor(dispatch::mainContext(), fd), peer(p) {}
    ~Connection() {
      if (--center->peers_[peer] == 0) center->peers_.erase(peer);
      --center->connections_;
    }
    DarwinCenter* center;
    Descriptor descriptor;
    pid_t peer;
  };

  // One line a second at most for a state that repeats, with how many were left out.
  struct Throttle {
    bool due() {
      auto now = std::chrono::steady_clock::now();
      if (now - last < std::chrono::seconds(1)) {
        ++skipped;
        return false;
      }
      last = now;
      return true;
    }
    unsigned takeSkipped() { return std::exchange(skipped, 0); }
    std::chrono::steady_clock::time_point last{};
    unsigned skipped = 0;
  };

  void awaitConnections() {
    listener_->async_wait(Descriptor::wait_read, [this](const asio::error_code& ec) {
      if (ec) {
        logLine("stopped taking connections: %s", ec.message().c_str());
        return;
      }
      for (int taken = 0; taken < kAcceptsPerTurn; ++taken) {
        int fd = ::accept4(listener_->native_handle(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
          takeConnection(fd);
          continue;
        }
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EAGAIN) break;
        // Out of descriptors, most likely: taking again at once would spin.
        if (acceptFailures_.due())
          logLine("cannot take a connection: %s; retrying in 100 ms (%u more failures)", std::strerror(errno),
                  acceptFailures_.takeSkipped());
        if (!retry_) retry_ = std::make_unique<asio::steady_timer>(dispatch::mainContext());
        retry_->expires_after(std::chrono::milliseconds(100));
        retry_->async_wait([this](const asio::error_code& e) {
          if (!e) awaitConnections();
        });
        return;
      }
      awaitConnections();
    });
  }

  void takeConnection(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    const char* why = nullptr;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::geteuid())
      why = "it is another user's";
    else if (connections_ >= kConnections)
      why = "too many connections in all";
    else if (peers_.contains(cred.pid) && peers_[cred.pid] >= kConnectionsPerPeer)
      why = "too many connections from it";
    if (why) {
      ::close(fd);
      if (refusals_.due())
        logLine("refused a connection from pid %ld: %s (%u more refused since the last line)",
                static_cast<long>(cred.pid), why, refusals_.takeSkipped());
      return;
    }
    ++peers_[cred.pid];
    ++connections_;
    readPosts(std::make_shared<Connection>(this, fd, cred.pid));
  }

  // Reads everything that is there before delivering anything, so a burst
  // that arrived while the main thread was busy merges for coalescing
  // observers, and a callback that removes an observer stops the delivery of
  // posts read in the same pass.
  void readPosts(std::shared_ptr<Connection> conn) {
    conn->descriptor.async_wait(Descriptor::wait_read, [this, conn](const asio::error_code& ec) {
      if (ec) return;
      bool open = true;
      batch_.clear();
      // Many messages per call. Only the main thread runs the loop and it
      // re-arms before the loop looks again, so stopping short of EAGAIN once
      // a call comes back less than full loses no wake-up.
      constexpr unsigned kSlots = 16;
      static char packets[kSlots][2 + notify::kMaxNameLength];
      iovec iov[kSlots];
      mmsghdr msgs[kSlots];
      for (unsigned i = 0; i < kSlots; ++i) {
        iov[i] = {packets[i], sizeof packets[i]};
        msgs[i] = {};
        msgs[i].msg_hdr.msg_iov = &iov[i];
        msgs[i].msg_hdr.msg_iovlen = 1;
      }
      for (;;) {
        int got = ::recvmmsg(conn->descriptor.native_handle(), msgs, kSlots, MSG_DONTWAIT, nullptr);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
          open = errno == EAGAIN;
          break;
        }
        for (int i = 0; i < got && open; ++i) {
          std::size_t n = msgs[i].msg_len;
          // No post is empty: an empty read is the posting process hanging up
          // (the descriptor then closes with `conn`).
          if (n == 0) open = false;
          if (msgs[i].msg_hdr.msg_flags & MSG_TRUNC) continue;
          if (auto name = notify::detail::decodePost(std::string_view(packets[i], n))) batch_.push_back(*name);
        }
        if (!open || static_cast<unsigned>(got) < kSlots) break;
      }
      receivedCount.fetch_add(batch_.size(), std::memory_order_release);
      deliverBatch();
      if (open) readPosts(conn);
    });
  }

  void deliverBatch() {
    std::vector<std::shared_ptr<Registration>> due;
    due.swap(due_);
    due.clear();
    {
      std::lock_guard lock(mutex_);
      for (const auto& name : batch_) {
        for (auto& r : regs_) {
          if (r->name != name) continue;
          if (merges(r->behaviour)) {
            if (r->pending) continue;
            r->pending = true;
          }
          due.push_back(r);
        }
      }
    }
    // A throwing callback must not cost the others their delivery, nor stop
    // this process from reading posts.
    for (auto& r : due) {
      try {
        deliver(r);
      } catch (const std::exception& e) {
        logLine("the callback for %s threw: %s", r->name.c_str(), e.what());
      } catch (...) {
        logLine("the callback for %s threw", r->name.c_str());
      }
    }
    due.clear();
    due_.swap(due);
  }

  void deliver(const std::shared_ptr<Registration>& r) {
    {
      std::lock_guard lock(mutex_);
      if (!r->alive) return;
      // Cleared before the call: a post read after this gets a callback of its own.
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
    foundation::hops::record("deliver");
    r->callback(&darwinRef, const_cast<void*>(r->observer), r->name.c_str(), nullptr, nullptr);
  }

  void removeListener() {
    std::lock_guard lock(mutex_);
    if (listenFd_ >= 0 && owner_ == ::getpid()) ::unlink(listenPath_.c_str());
  }

  // A forked child starts with no registrations and does not take posts
  // meant for its parent. Only one thread exists here, so the old centre is
  // left behind untouched: its descriptors stay open, since closing them
  // through asio would change the event set the child shares with the parent.
  static void afterFork() { instance.store(new DarwinCenter(), std::memory_order_release); }

  static inline std::atomic<DarwinCenter*> instance{nullptr};

  std::mutex mutex_;
  std::condition_variable idle_;
  std::vector<std::shared_ptr<Registration>> regs_;
  int listenFd_ = -1;
  std::string listenPath_;
  pid_t owner_ = 0;
  std::unique_ptr<Descriptor> listener_;  // main thread
  std::unique_ptr<asio::steady_timer> retry_;  // main thread
  std::unordered_map<pid_t, int> peers_;       // main thread: connections per posting process
  int connections_ = 0;                        // main thread
  Throttle refusals_, acceptFailures_;         // main thread
  // Names in the packet buffer: delivered before the next read reuses it.
  std::vector<std::string_view> batch_;             // main thread
  std::vector<std::shared_ptr<Registration>> due_;  // main thread, kept for its capacity
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
                                     CFNotificationCallback callback, CFNotificationName name, const void*,
                                     CFNotificationSuspensionBehavior behaviour) noexcept {
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

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, CFNotificationName name,
                                        const void*) noexcept {
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

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name, const void*,
                                          CFDictionaryRef, bool) noexcept {
  if (!isDarwin(center, "CFNotificationCenterPostNotification")) return;
  if (notify_post(name) == NOTIFY_STATUS_INVALID_NAME)
    logLine("CFNotificationCenterPostNotification: refused an invalid name");
}
