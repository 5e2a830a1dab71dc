// For scripts/soak.sh: opens connections to a local socket and holds them.
//   connection_flood stream|seqpacket PATH COUNT SECONDS [trickle]
// Prints how many connected, then (with "trickle", stream only) sends a byte
// every 100 ms on each, never a newline, and prints how many the other end
// closed before SECONDS passed.
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: connection_flood stream|seqpacket PATH COUNT SECONDS [trickle]\n");
    return 2;
  }
  int type = std::strcmp(argv[1], "seqpacket") == 0 ? SOCK_SEQPACKET : SOCK_STREAM;
  std::string path = argv[2];
  int count = std::atoi(argv[3]);
  auto seconds = std::chrono::seconds(std::atoi(argv[4]));
  bool trickle = argc > 5 && std::strcmp(argv[5], "trickle") == 0;
  rlimit lim{};
  ::getrlimit(RLIMIT_NOFILE, &lim);
  lim.rlim_cur = lim.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &lim);

  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return 2;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  std::vector<int> fds;
  for (int i = 0; i < count; ++i) {
    int fd = ::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) break;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 && errno != EINPROGRESS) {
      ::close(fd);
      continue;
    }
    fds.push_back(fd);
  }
  std::printf("%zu\n", fds.size());
  std::fflush(stdout);
  auto end = std::chrono::steady_clock::now() + seconds;
  std::size_t closed = 0;
  std::vector<bool> open(fds.size(), true);
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!trickle) continue;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (!open[i]) continue;
      bool gone = false;
      for (;;) {
        char buf[256];
        ssize_t n = ::recv(fds[i], buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) continue;
        gone = n == 0 || errno != EAGAIN;
        break;
      }
      if (!gone && ::send(fds[i], "x", 1, MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN) gone = true;
      if (gone) {
        open[i] = false;
        ++closed;
      }
    }
  }
  if (trickle) std::printf("%zu\n", closed);
  return 0;
}
