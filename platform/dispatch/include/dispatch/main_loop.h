// The main loop as the hosts and the tests see it.
//
// The main queue is an asio::io_context run on the process's main thread (the
// thread whose id is the process id). Hosts put their own asio work on it
// through mainContext(); tests drain it deterministically.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

namespace asio {
class io_context;
}

namespace dispatch {

// The io_context behind the main queue. Handlers put on it directly run on
// the main thread between main-queue blocks; an exception escaping one is
// reported on stderr like a throwing block.
asio::io_context& mainContext();

// True on the process's main thread.
bool isMainThread() noexcept;

// Makes dispatch_main() return (from any thread; not from a signal handler,
// use an asio::signal_set on mainContext() for that). A request made before
// dispatch_main() starts makes it return at once; it is used up by returning.
void stopMain();

// Called on the main thread after each handler dispatch_main() runs (nothing
// runs it while the loop waits). A host uses it to learn that something may
// have changed without looking again and again; an empty function removes it.
void setMainTurnObserver(std::function<void()> observer);

// Runs every handler that is ready, including those they make ready, and
// returns how many ran. Blocks scheduled for later are not waited for.
std::size_t runMainUntilIdle();

// Runs the main loop until `condition` holds or `timeout` has passed, and
// answers whether it held. The condition is checked before the first handler
// and after each one.
bool runMainUntil(const std::function<bool()>& condition, std::chrono::nanoseconds timeout);

// Waits, without running the main loop, until no block is waiting or running
// on a global queue; false if that has not happened within `timeout`.
bool waitForGlobalQueues(std::chrono::nanoseconds timeout);

// Runs the main loop until the process is quiet: no block waiting or running
// on a global queue (later dispatch_after blocks aside) and nothing ready on
// the main queue. Answers false if that has not happened within `timeout`.
bool runMainUntilQuiet(std::chrono::nanoseconds timeout);

}  // namespace dispatch
