#include "dispatch/dispatch.h"

#include <asio.hpp>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "dispatch/main_loop.h"

using Clock = std::chrono::steady_clock;

namespace {

void report(const char* where, const char* what) {
  std::fprintf(stderr, "dispatch: a block on %s threw: %s\n", where, what);
}

// A throwing block must not take its queue (or the process) down with it.
void runGuarded(const char* label, dispatch::Block& block) noexcept {
  try {
    block();
  } catch (const std::exception& e) {
    report(label, e.what());
  } catch (...) {
    report(label, "an exception that is not a std::exception");
  }
}

Clock::time_point toTimePoint(dispatch_time_t when) {
  return Clock::time_point(std::chrono::nanoseconds(static_cast<std::int64_t>(when)));
}

}  // namespace

struct dispatch_queue_s {
  explicit dispatch_queue_s(const char* l) : label(l) {}
  virtual ~dispatch_queue_s() = default;
  virtual void async(dispatch::Block block) = 0;
  virtual void at(Clock::time_point when, dispatch::Block block) = 0;
  const char* const label;
};

namespace {

// Blocks go through a queue of our own rather than one asio::post each:
// asio may run a post made from inside a handler after posts made meanwhile
// by other threads, and the main queue promises submission order.
class MainQueue final : public dispatch_queue_s {
 public:
  MainQueue() : dispatch_queue_s("com.apple.main-thread"), context(1), work(context.get_executor()) {}

  void async(dispatch::Block block) override {
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(block));
    if (!drainPosted_) {
      drainPosted_ = true;
      asio::post(context, [this] { drain(); });
    }
  }

  void at(Clock::time_point when, dispatch::Block block) override {
    auto timer = std::make_shared<asio::steady_timer>(context, when);
    timer->async_wait([this, timer, b = std::move(block)](const asio::error_code& ec) mutable {
      if (!ec) runGuarded(label, b);
    });
  }

  asio::io_context context;
  asio::executor_work_guard<asio::io_context::executor_type> work;
  std::atomic<bool> stopRequested{false};
  bool running = false;  // main thread only

 private:
  // Runs the blocks present when the drain began; later ones get a drain of
  // their own, so other work on the loop is not starved.
  void drain() {
    std::deque<dispatch::Block> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(pending_);
      drainPosted_ = false;
    }
    for (auto& block : batch) runGuarded(label, block);
  }

  std::mutex mutex_;
  std::deque<dispatch::Block> pending_;
  bool drainPosted_ = false;
};

// Blocks submitted to any global queue and not yet finished. A block that
// hands work on (to the main queue, or another global block) does so before
// it finishes, so a count of zero means every hand-off is already queued.
std::atomic<long>& globalBlocksInFlight() {
  static std::atomic<long> n{0};
  return n;
}

class GlobalQueue final : public dispatch_queue_s {
 public:
  GlobalQueue(const char* label, unsigned threads) : dispatch_queue_s(label), pool_(threads) {}

  void async(dispatch::Block block) override {
    globalBlocksInFlight().fetch_add(1, std::memory_order_relaxed);
    asio::post(pool_, [this, b = std::move(block)]() mutable {
      runGuarded(label, b);
      globalBlocksInFlight().fetch_sub(1, std::memory_order_release);
    });
  }

  void at(Clock::time_point when, dispatch::Block block) override {
    auto timer = std::make_shared<asio::steady_timer>(pool_.get_executor(), when);
    timer->async_wait([this, timer, b = std::move(block)](const asio::error_code& ec) mutable {
      if (!ec) runGuarded(label, b);
    });
  }

 private:
  asio::thread_pool pool_;
};

unsigned poolSize() { return std::max(4u, std::thread::hardware_concurrency()); }

// Queues live as long as the process: blocks still running at exit must not
// find their queue destroyed under them.
MainQueue& mainQueue() {
  static MainQueue* q = new MainQueue();
  return *q;
}

void requireMainThread(const char* what) {
  if (!dispatch::isMainThread()) throw std::logic_error(std::string(what) + " must be called on the main thread");
}

// The loop does not support being run from inside one of its own handlers.
class RunningScope {
 public:
  RunningScope(MainQueue& q, const char* what) : q_(q) {
    requireMainThread(what);
    if (q_.running) throw std::logic_error(std::string(what) + " called from inside the main loop");
    q_.running = true;
  }
  ~RunningScope() { q_.running = false; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;

 private:
  MainQueue& q_;
};

template <class F>
std::size_t guardedRun(F&& f) {
  try {
    return f();
  } catch (const std::exception& e) {
    report("the main loop", e.what());
  } catch (...) {
    report("the main loop", "an exception that is not a std::exception");
  }
  return 1;
}

}  // namespace

dispatch_queue_t dispatch_get_main_queue() noexcept { return &mainQueue(); }

dispatch_queue_t dispatch_get_global_queue(long priority, unsigned long flags) noexcept {
  if (flags != 0) return nullptr;
  switch (priority) {
    case DISPATCH_QUEUE_PRIORITY_HIGH: {
      static GlobalQueue* q = new GlobalQueue("com.apple.root.user-initiated-qos", poolSize());
      return q;
    }
    case DISPATCH_QUEUE_PRIORITY_DEFAULT:
    case DISPATCH_QUEUE_PRIORITY_LOW:
    case DISPATCH_QUEUE_PRIORITY_BACKGROUND: {
      static GlobalQueue* q = new GlobalQueue("com.apple.root.default-qos", poolSize());
      return q;
    }
    default:
      return nullptr;
  }
}

void dispatch_async(dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue) throw std::invalid_argument("dispatch_async: no queue");
  if (!block) throw std::invalid_argument("dispatch_async: empty block");
  queue->async(std::move(block));
}

void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue) throw std::invalid_argument("dispatch_after: no queue");
  if (!block) throw std::invalid_argument("dispatch_after: empty block");
  if (when == DISPATCH_TIME_FOREVER) return;
  if (when == DISPATCH_TIME_NOW) {
    queue->async(std::move(block));
    return;
  }
  queue->at(toTimePoint(when), std::move(block));
}

dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta) noexcept {
  if (when == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER;
  std::uint64_t base = when;
  if (base == DISPATCH_TIME_NOW) {
    auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch());
    base = static_cast<std::uint64_t>(std::max<std::int64_t>(1, now.count()));
  }
  // Saturate: a time never becomes NOW or FOREVER by arithmetic.
  if (delta < 0) {
    std::uint64_t d = static_cast<std::uint64_t>(-(delta + 1)) + 1;
    return d >= base ? 1 : base - d;
  }
  std::uint64_t d = static_cast<std::uint64_t>(delta);
  constexpr std::uint64_t latest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  return d >= latest - std::min(base, latest) ? latest : base + d;
}

const char* dispatch_queue_get_label(dispatch_queue_t queue) noexcept { return queue ? queue->label : ""; }

namespace {

std::function<void()>& mainTurnObserver() {
  static std::function<void()> observer;
  return observer;
}

}  // namespace

void dispatch_main() {
  MainQueue& q = mainQueue();
  RunningScope scope(q, "dispatch_main");
  for (;;) {
    q.context.restart();
    if (q.stopRequested.exchange(false)) return;
    guardedRun([&] {
      std::size_t ran = 0;
      while (q.context.run_one() != 0) {
        ++ran;
        if (auto& observe = mainTurnObserver()) observe();
      }
      return ran;
    });
  }
}

namespace dispatch {

asio::io_context& mainContext() { return mainQueue().context; }

void setMainTurnObserver(std::function<void()> observer) { mainTurnObserver() = std::move(observer); }

bool isMainThread() noexcept { return ::syscall(SYS_gettid) == ::getpid(); }

void stopMain() {
  MainQueue& q = mainQueue();
  q.stopRequested = true;
  q.context.stop();
}

std::size_t runMainUntilIdle() {
  MainQueue& q = mainQueue();
  RunningScope scope(q, "runMainUntilIdle");
  std::size_t total = 0;
  for (;;) {
    q.context.restart();
    std::size_t ran = guardedRun([&] { return q.context.poll(); });
    if (ran == 0) return total;
    total += ran;
  }
}

bool runMainUntil(const std::function<bool()>& condition, std::chrono::nanoseconds timeout) {
  MainQueue& q = mainQueue();
  RunningScope scope(q, "runMainUntil");
  const auto deadline = Clock::now() + timeout;
  q.context.restart();
  for (;;) {
    if (condition()) return true;
    if (Clock::now() >= deadline) return false;
    guardedRun([&] { return q.context.run_one_until(deadline); });
    // A stop request is for dispatch_main; it stays pending for it.
    if (q.context.stopped()) q.context.restart();
  }
}

bool waitForGlobalQueues(std::chrono::nanoseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (globalBlocksInFlight().load(std::memory_order_acquire) != 0) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return true;
}

bool runMainUntilQuiet(std::chrono::nanoseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    // In this order: once no global block is in flight, whatever they handed
    // to the main queue is there, and a main pass that runs nothing started
    // nothing new.
    bool globalsIdle = globalBlocksInFlight().load(std::memory_order_acquire) == 0;
    std::size_t ran = runMainUntilIdle();
    if (globalsIdle && ran == 0) return true;
    if (Clock::now() >= deadline) return false;
    if (ran == 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
}

}  // namespace dispatch
