// Dispatch queues: the main queue, run on the host's main thread, and the
// global concurrent queues. Blocks are C++ callables; move-only ones are fine.
//
// The free functions keep the names used on the device, so a call site reads
// the same here as there. Queues are never destroyed.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

struct dispatch_queue_s;
using dispatch_queue_t = dispatch_queue_s*;

// Nanoseconds on the monotonic clock; DISPATCH_TIME_NOW and
// DISPATCH_TIME_FOREVER are the two special values.
using dispatch_time_t = std::uint64_t;
inline constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
inline constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;

inline constexpr std::uint64_t NSEC_PER_SEC = 1000000000ull;
inline constexpr std::uint64_t NSEC_PER_MSEC = 1000000ull;
inline constexpr std::uint64_t NSEC_PER_USEC = 1000ull;
inline constexpr std::uint64_t USEC_PER_SEC = 1000000ull;
inline constexpr std::uint64_t MSEC_PER_SEC = 1000ull;

inline constexpr long DISPATCH_QUEUE_PRIORITY_HIGH = 2;
inline constexpr long DISPATCH_QUEUE_PRIORITY_DEFAULT = 0;
inline constexpr long DISPATCH_QUEUE_PRIORITY_LOW = -2;
inline constexpr long DISPATCH_QUEUE_PRIORITY_BACKGROUND = -32768;

namespace dispatch {

// A type-erased, move-only callable taking nothing and returning nothing.
// (std::move_only_function is C++23.)
class Block {
 public:
  Block() noexcept = default;
  template <class F,
            class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, Block> && std::is_invocable_v<std::decay_t<F>&>>>
  Block(F&& f)  // NOLINT: implicit, so a lambda is a block
      : impl_(std::make_unique<Model<std::decay_t<F>>>(std::forward<F>(f))) {}
  Block(Block&&) noexcept = default;
  Block& operator=(Block&&) noexcept = default;

  explicit operator bool() const noexcept { return impl_ != nullptr; }
  void operator()() { impl_->call(); }

 private:
  struct Concept {
    virtual ~Concept() = default;
    virtual void call() = 0;
  };
  template <class F>
  struct Model final : Concept {
    template <class G>
    explicit Model(G&& g) : fn(std::forward<G>(g)) {}
    void call() override { fn(); }
    F fn;
  };
  std::unique_ptr<Concept> impl_;
};

}  // namespace dispatch

using dispatch_block_t = dispatch::Block;

// The serial queue whose blocks run, in the order they were submitted, on the
// process's main thread while the host runs the main loop.
dispatch_queue_t dispatch_get_main_queue() noexcept;

// A concurrent queue of the given priority. HIGH has a pool of its own;
// DEFAULT, LOW and BACKGROUND share the default pool. An unknown priority or
// non-zero flags give nullptr, as on the device.
dispatch_queue_t dispatch_get_global_queue(long priority, unsigned long flags) noexcept;

// Submits a block and returns at once. A null queue or empty block throws
// std::invalid_argument. A block that throws is reported on stderr and the
// queue carries on.
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);

// Submits a block to run no earlier than `when`. DISPATCH_TIME_FOREVER never
// runs it.
void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block);

// `when` moved by `delta` nanoseconds; DISPATCH_TIME_NOW stands for now.
dispatch_time_t dispatch_time(dispatch_time_t when, std::int64_t delta) noexcept;

// The queue's label ("com.apple.main-thread", "com.apple.root.default-qos", …).
const char* dispatch_queue_get_label(dispatch_queue_t queue) noexcept;

// Runs the main loop on the main thread until dispatch::stopMain() is called
// (the device's version never returns; a host here may want to exit cleanly).
void dispatch_main();
