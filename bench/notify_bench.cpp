// Latency of a notification from notify_post to the callback on the main
// thread of another process, against peers measured in the same run: the
// one-way floor (a datagram to an epoll loop in another process, the least a
// cross-process wake-up costs), a plain Unix datagram round trip, and a D-Bus
// signal through a private dbus-daemon started here on an address of its own.
//
// The receiving processes stamp the arrival on the monotonic clock (shared by
// all processes) into shared memory and wake the poster with a futex, so the
// figures are one-way times and the poster sleeps while it waits.
#include <benchmark/benchmark.h>
#include <dbus/dbus.h>

#include <fcntl.h>
#include <linux/futex.h>
#include <poll.h>
#include <sched.h>
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
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "context_switches.h"
#include "dispatch/dispatch.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"

namespace {

constexpr const char* kPing = "com.corvallo.bench/Ping";
constexpr const char* kDBusInterface = "org.corvallo.Bench";

struct Arrival {
  std::atomic<std::uint32_t> seq{0};
  std::atomic<std::uint64_t> at{0};
  std::atomic<int> ready{0};
};

struct Shared {
  Arrival notify;
  Arrival dbus;
  Arrival floor;
};

Shared* shared = nullptr;
std::vector<pid_t> children;
std::string dbusAddress;
int echoFd = -1;
int floorFd = -1;
pid_t observerPid = -1, floorPid = -1;
// Per post: the times the receiving process's threads slept, and were preempted.
struct PerPost {
  double slept = 0, preempted = 0;
};
PerPost observerSwitches, floorSwitches;

PerPost perPost(const bench::Switches& before, const bench::Switches& after, double posts) {
  return {static_cast<double>(after.voluntary - before.voluntary) / posts,
          static_cast<double>(after.involuntary - before.involuntary) / posts};
}

std::uint64_t nowNs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
}

void arrived(Arrival& a) {
  a.at.store(nowNs(), std::memory_order_relaxed);
  a.seq.fetch_add(1, std::memory_order_release);
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&a.seq), FUTEX_WAKE, 1, nullptr, nullptr, 0);
}

// Waits until `a` moves past `seen`; false after a second without.
bool awaitArrival(Arrival& a, std::uint32_t seen) {
  const std::uint64_t deadline = nowNs() + 1000000000ull;
  while (a.seq.load(std::memory_order_acquire) == seen) {
    std::uint64_t now = nowNs();
    if (now >= deadline) return false;
    timespec left{0, static_cast<long>(std::min<std::uint64_t>(deadline - now, 999999999ull))};
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&a.seq), FUTEX_WAIT, seen, &left, nullptr, 0);
  }
  return true;
}

struct Percentiles {
  double p50 = 0, p99 = 0;
};
Percentiles notifyResult, datagramResult, dbusResult, floorResult;

Percentiles report(benchmark::State& state, std::vector<double>& samplesUs) {
  Percentiles p;
  if (samplesUs.empty()) return p;
  std::sort(samplesUs.begin(), samplesUs.end());
  p.p50 = samplesUs[samplesUs.size() / 2];
  p.p99 = samplesUs[std::min(samplesUs.size() - 1, samplesUs.size() * 99 / 100)];
  state.counters["p50_us"] = p.p50;
  state.counters["p99_us"] = p.p99;
  return p;
}

// ---- the receiving processes, forked before the benchmark starts threads ----

[[noreturn]] void notifyObserver() {
  CFNotificationCenterAddObserver(
      CFNotificationCenterGetDarwinNotifyCenter(), nullptr,
      [](CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { arrived(shared->notify); },
      kPing, nullptr, CFNotificationSuspensionBehaviorDeliverImmediately);
  shared->notify.ready = 1;
  dispatch_main();
  std::_Exit(0);
}

[[noreturn]] void dbusListener() {
  DBusError err;
  dbus_error_init(&err);
  DBusConnection* conn = dbus_connection_open_private(dbusAddress.c_str(), &err);
  if (!conn || !dbus_bus_register(conn, &err)) std::_Exit(3);
  dbus_bus_add_match(conn, "type='signal',interface='org.corvallo.Bench'", &err);
  if (dbus_error_is_set(&err)) std::_Exit(4);
  shared->dbus.ready = 1;
  while (dbus_connection_read_write(conn, -1)) {
    while (DBusMessage* msg = dbus_connection_pop_message(conn)) {
      if (dbus_message_is_signal(msg, kDBusInterface, "Ping")) arrived(shared->dbus);
      dbus_message_unref(msg);
    }
  }
  std::_Exit(0);
}

// The floor: an epoll loop that stamps each datagram as it arrives, which is
// what the notification's observer does with a seqpacket, minus everything else.
[[noreturn]] void floorListener(int fd) {
  int ep = ::epoll_create1(EPOLL_CLOEXEC);
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = fd;
  ::epoll_ctl(ep, EPOLL_CTL_ADD, fd, &ev);
  shared->floor.ready = 1;
  char buf[1024];
  for (;;) {
    epoll_event got{};
    if (::epoll_wait(ep, &got, 1, -1) < 0) continue;
    while (::recv(fd, buf, sizeof buf, MSG_DONTWAIT) > 0) arrived(shared->floor);
  }
}

[[noreturn]] void datagramEcho(int fd) {
  char buf[1024];
  for (;;) {
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) std::_Exit(0);
    (void)!::send(fd, buf, static_cast<std::size_t>(n), 0);
  }
}

// Where a process runs decides what a wake-up costs: on this machine's
// virtual CPUs a waiter on the waker's own CPU waits for it to sleep, one on
// an idle CPU may still be polling. Every receiver gets the same CPU and the
// poster another, so the notification and its floor meet the same placement
// in every run rather than whatever the scheduler chose at fork.
bool pinOn(int cpu) {
  if (std::thread::hardware_concurrency() < 2) return false;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  return ::sched_setaffinity(0, sizeof set, &set) == 0;
}
constexpr int kPosterCpu = 0, kReceiverCpu = 1;

template <class F>
pid_t fork_(F child) {
  pid_t pid = ::fork();
  if (pid == 0) {
    pinOn(kReceiverCpu);
    child();
  }
  children.push_back(pid);
  return pid;
}

pid_t startDBusDaemon(const std::string& dir) {
  int out[2];
  if (::pipe(out) != 0) return -1;
  std::string address = "--address=unix:path=" + dir + "/bus";
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::execlp("dbus-daemon", "dbus-daemon", "--session", address.c_str(), "--nofork", "--print-address",
             static_cast<char*>(nullptr));
    std::_Exit(127);
  }
  ::close(out[1]);
  std::string line;
  pollfd p{out[0], POLLIN, 0};
  char c;
  while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
  ::close(out[0]);
  dbusAddress = line;
  return pid;
}

bool waitReady(const std::atomic<int>& flag) {
  for (int i = 0; i < 5000 && !flag; ++i) ::usleep(1000);
  return flag != 0;
}

// ---- the benchmarks ----

// One send timed until the observer process stamps its arrival: a one-way
// latency, read from the clock the two processes share; negative when lost.
template <class Send>
double oneWay(Arrival& arrival, Send send) {
  std::uint32_t seen = arrival.seq.load(std::memory_order_acquire);
  std::uint64_t start = nowNs();
  send();
  if (!awaitArrival(arrival, seen)) return -1;
  return static_cast<double>(arrival.at.load() - start) / 1000.0;
}

// Warms up, then times each send.
template <class Send>
Percentiles measureOneWay(benchmark::State& state, Arrival& arrival, Send send, const char* lost) {
  for (int i = 0; i < 200; ++i) oneWay(arrival, send);
  std::vector<double> samples;
  samples.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    double us = oneWay(arrival, send);
    if (us < 0) {
      state.SkipWithError(lost);
      break;
    }
    samples.push_back(us);
    state.SetIterationTime(us / 1e6);
  }
  return report(state, samples);
}

void postPing() { notify_post(kPing); }
void sendFloorPing() {
  const char ping[] = "com.corvallo.bench/Ping";
  (void)!::send(floorFd, ping, sizeof ping, 0);
}

// The notification and its one-way floor in turn, one of each per
// iteration, so that both meet the same load: the machine's load moves
// either several times over within a minute.
void BM_NotifyPostToObserverMainThread(benchmark::State& state) {
  for (int i = 0; i < 200; ++i) oneWay(shared->notify, postPing), oneWay(shared->floor, sendFloorPing);
  std::vector<double> notifySamples, floorSamples;
  const bench::Switches observerBefore = bench::contextSwitches(observerPid), floorBefore = bench::contextSwitches(floorPid);
  for (auto _ : state) {
    double floor = oneWay(shared->floor, sendFloorPing);
    double us = oneWay(shared->notify, postPing);
    if (us < 0 || floor < 0) {
      state.SkipWithError("a notification or a datagram was lost");
      break;
    }
    floorSamples.push_back(floor);
    notifySamples.push_back(us);
    state.SetIterationTime(us / 1e6);
  }
  const double posts = static_cast<double>(notifySamples.size());
  if (posts > 0) {
    // Every thread of each process counts, so a second thread woken on the way shows.
    observerSwitches = perPost(observerBefore, bench::contextSwitches(observerPid), posts);
    floorSwitches = perPost(floorBefore, bench::contextSwitches(floorPid), posts);
    state.counters["observer_sleeps_per_post"] = observerSwitches.slept;
    state.counters["floor_sleeps_per_post"] = floorSwitches.slept;
  }
  floorResult = report(state, floorSamples);
  state.counters["floor_p50_us"] = floorResult.p50;
  state.counters["floor_p99_us"] = floorResult.p99;
  notifyResult = report(state, notifySamples);
}

void BM_UnixDatagramRoundTrip(benchmark::State& state) {
  std::vector<double> samples;
  samples.reserve(static_cast<std::size_t>(state.max_iterations));
  char buf[64] = "com.corvallo.bench/Ping";
  const std::size_t len = std::char_traits<char>::length(buf) + 1;
  for (auto _ : state) {
    std::uint64_t start = nowNs();
    if (::send(echoFd, buf, len, 0) < 0 || ::recv(echoFd, buf, sizeof buf, 0) <= 0) {
      state.SkipWithError("echo failed");
      break;
    }
    double us = static_cast<double>(nowNs() - start) / 1000.0;
    samples.push_back(us);
    state.SetIterationTime(us / 1e6);
  }
  datagramResult = report(state, samples);
}

void BM_DBusSignalThroughDaemon(benchmark::State& state) {
  DBusError err;
  dbus_error_init(&err);
  DBusConnection* conn = dbus_connection_open_private(dbusAddress.c_str(), &err);
  if (!conn || !dbus_bus_register(conn, &err)) {
    state.SkipWithError("cannot connect to the private dbus-daemon");
    return;
  }
  auto signal = [&] {
    DBusMessage* msg = dbus_message_new_signal("/org/corvallo/Bench", kDBusInterface, "Ping");
    dbus_connection_send(conn, msg, nullptr);
    dbus_connection_flush(conn);
    dbus_message_unref(msg);
  };
  dbusResult = measureOneWay(state, shared->dbus, signal, "a signal was lost");
  dbus_connection_close(conn);
  dbus_connection_unref(conn);
}

BENCHMARK(BM_NotifyPostToObserverMainThread)->UseManualTime()->Iterations(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnixDatagramRoundTrip)->UseManualTime()->Iterations(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DBusSignalThroughDaemon)->UseManualTime()->Iterations(20000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  char dirTemplate[] = "/tmp/cvbench-XXXXXX";
  if (!::mkdtemp(dirTemplate)) return 1;
  const std::string dir = dirTemplate;
  ::setenv("CORVALLO_DEVICE_ROOT", dir.c_str(), 1);

  void* mem = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (mem == MAP_FAILED) return 1;
  shared = new (mem) Shared();

  pid_t daemon = startDBusDaemon(dir);
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, pair) != 0) return 1;
  fork_([&] {
    ::close(pair[0]);
    datagramEcho(pair[1]);
  });
  ::close(pair[1]);
  echoFd = pair[0];
  int floorPair[2];
  if (::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0, floorPair) != 0) return 1;
  floorPid = fork_([&] {
    ::close(floorPair[0]);
    floorListener(floorPair[1]);
  });
  ::close(floorPair[1]);
  floorFd = floorPair[0];
  observerPid = fork_(notifyObserver);
  if (!dbusAddress.empty()) fork_(dbusListener);

  if (!waitReady(shared->notify.ready)) std::fprintf(stderr, "notify observer did not start\n");
  if (!waitReady(shared->floor.ready)) std::fprintf(stderr, "the floor's listener did not start\n");
  if (dbusAddress.empty() || !waitReady(shared->dbus.ready))
    std::fprintf(stderr, "dbus-daemon or its listener did not start; the D-Bus peer is skipped\n");

  const bool pinned = pinOn(kPosterCpu);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  if (notifyResult.p50 > 0) {
    std::printf("\nnotify_post -> callback on another process's main thread: p50 %.1f us, p99 %.1f us\n",
                notifyResult.p50, notifyResult.p99);
    if (floorResult.p50 > 0)
      std::printf("one-way floor, a datagram to an epoll loop:              p50 %.1f us, p99 %.1f us  (notify %.2fx)\n",
                  floorResult.p50, floorResult.p99, notifyResult.p50 / floorResult.p50);
    if (pinned) std::printf("placement: the poster on CPU %d, every receiver on CPU %d\n", kPosterCpu, kReceiverCpu);
    std::printf(
        "context switches per post, all threads: observer %.2f sleeps + %.2f preempted, floor's listener %.2f + "
        "%.2f\n",
        observerSwitches.slept, observerSwitches.preempted, floorSwitches.slept, floorSwitches.preempted);
    if (datagramResult.p50 > 0)
      std::printf("plain Unix datagram round trip:                          p50 %.1f us, p99 %.1f us\n",
                  datagramResult.p50, datagramResult.p99);
    if (dbusResult.p50 > 0)
      std::printf(
          "D-Bus signal through a private dbus-daemon:              p50 %.1f us, p99 %.1f us"
          "  (%.1fx the notify p50, %.1fx its p99)\n",
          dbusResult.p50, dbusResult.p99, dbusResult.p50 / notifyResult.p50, dbusResult.p99 / notifyResult.p99);
  }

  for (pid_t pid : children) ::kill(pid, SIGKILL);
  if (daemon > 0) ::kill(daemon, SIGTERM);
  for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
  if (daemon > 0) ::waitpid(daemon, nullptr, 0);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
