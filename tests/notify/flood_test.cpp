// A listener's connections are bounded per posting process and in all, so a
// flood cannot take the observing process's descriptors, and running out of
// them anyway never makes it spin.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support.h"

using namespace std::chrono_literals;
using notify_test::Observer;
using notify_test::PostingRoot;
using notify_test::TempRoot;

namespace {

constexpr int kImmediate = 4;

// A process of its own that opens `count` connections to the listener and
// holds them until it is killed.
class Flooder {
 public:
  Flooder(const std::string& listener, int count) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) {
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::memcpy(addr.sun_path, listener.c_str(), listener.size() + 1);
      for (int i = 0; i < count; ++i) {
        int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0);
        if (fd < 0) break;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) ::close(fd);
      }
      (void)!::write(ready[1], "x", 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char c;
    (void)!::read(ready[0], &c, 1);
    ::close(ready[0]);
  }
  ~Flooder() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
};

std::size_t openDescriptors(pid_t pid) {
  std::size_t n = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) ++n;
  return n;
}

// User and system CPU time of a process, in clock ticks.
long cpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), {});
  std::istringstream rest(stat.substr(stat.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ListenerBounds, AFloodFromOneProcessIsBoundedAndPostsStillArrive) {
  TempRoot root;
  testing::internal::CaptureStderr();  // the observer's too: it inherits the descriptor
  Observer observer(root.path(), kImmediate, {"com.corvallo.test/f"});
  ASSERT_EQ(root.listeners().size(), 1u);
  const pid_t pid = std::stoi(root.listeners()[0]);
  const std::size_t before = openDescriptors(pid);
  {
    Flooder flood(root.folder() + "/" + root.listeners()[0], 2000);
    Flooder second(root.folder() + "/" + root.listeners()[0], 2000);
    std::this_thread::sleep_for(1500ms);  // the observer takes and turns them away
    EXPECT_LE(openDescriptors(pid), before + 2 * 16 + 4) << "each flooding process keeps 16 connections at most";
    PostingRoot posting(root.path());
    ASSERT_EQ(notify_post("com.corvallo.test/f"), NOTIFY_STATUS_OK);
    EXPECT_EQ(observer.nextLine(), "com.corvallo.test/f");
  }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_GE(count(err, "refused a connection"), 1u) << err.substr(0, 2000);
  EXPECT_LE(count(err, "refused a connection"), 4u) << "one line a second at most\n" << err.substr(0, 2000);
}

TEST(ListenerBounds, RunningOutOfDescriptorsNeitherSpinsNorFloodsTheLog) {
  TempRoot root;
  // The observer inherits a small descriptor table; each flooding process
  // stays within its own bound, together they exceed the table.
  rlimit old{};
  ::getrlimit(RLIMIT_NOFILE, &old);
  rlimit small{64, old.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &small), 0);
  testing::internal::CaptureStderr();
  std::optional<Observer> observer;
  try {
    observer.emplace(root.path(), kImmediate, std::vector<std::string>{"com.corvallo.test/e"});
  } catch (...) {
  }
  ::setrlimit(RLIMIT_NOFILE, &old);
  ASSERT_TRUE(observer);
  const pid_t pid = std::stoi(root.listeners()[0]);
  std::string listener = root.folder() + "/" + root.listeners()[0];
  std::vector<std::unique_ptr<Flooder>> floods;
  for (int i = 0; i < 6; ++i) floods.push_back(std::make_unique<Flooder>(listener, 16));
  std::this_thread::sleep_for(200ms);
  long before = cpuTicks(pid);
  std::this_thread::sleep_for(1000ms);
  long used = cpuTicks(pid) - before;
  floods.clear();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_LT(used, ::sysconf(_SC_CLK_TCK) * 4 / 10) << "more than 40% of a core while out of descriptors";
  EXPECT_GE(count(err, "cannot take a connection"), 1u) << err.substr(0, 2000);
  EXPECT_LE(count(err, "cannot take a connection"), 3u) << err.substr(0, 2000);
}

}  // namespace
