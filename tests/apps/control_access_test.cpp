// Who may reach a host, and for how long: the owner alone, whatever the
// umask; a slow or silent client loses its place; and the supervisor's
// liveness line answers however busy the main loop or full the control socket.
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>

#include "LiveServer.h"
#include "control/ControlClient.h"
#include "control/Liveness.h"
#include "control/PrivateFolder.h"

using namespace std::chrono_literals;
using control::json;
using control_test::closedByHost;
using control_test::LiveServer;
using control_test::rawConnect;

namespace {

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Runs `body` in a child process as the unprivileged user and answers its exit status.
template <class F>
int asNobody(F body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// The answer a connection gets unasked, or why it got none.
std::string firstLine(int fd) {
  char line[256] = {};
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, 5000) <= 0) return "(no answer)";
  return ::recv(fd, line, sizeof line - 1, 0) > 0 ? line : "(closed)";
}

struct Umask {
  explicit Umask(mode_t m) : old(::umask(m)) {}
  ~Umask() { ::umask(old); }
  mode_t old;
};

TEST(ControlAccess, SocketsAndNewFoldersAreTheOwnersAloneWhateverTheUmask) {
  Umask open(0);
  LiveServer s(control::Limits{});
  EXPECT_EQ(modeOf(s.path), 0600u);
  std::unique_ptr<control::Liveness> live;
  s.onLoop([&] { live = std::make_unique<control::Liveness>(s.context, control::livenessPath(s.path)); });
  EXPECT_EQ(modeOf(control::livenessPath(s.path)), 0600u);
  s.onLoop([&] { live.reset(); });

  control::makePrivateFolder(s.folder + "/var/run/corvallo", s.folder);
  for (const char* f : {"/var", "/var/run", "/var/run/corvallo"}) EXPECT_EQ(modeOf(s.folder + f), 0700u) << f;
  EXPECT_FALSE(control::unsafeFolder(s.folder + "/var/run/corvallo", s.folder));
  ::chmod((s.folder + "/var/run").c_str(), 0777);
  auto why = control::unsafeFolder(s.folder + "/var/run/corvallo", s.folder);
  ASSERT_TRUE(why);
  EXPECT_NE(why->find("/var/run is writable by other users (mode 0777)"), std::string::npos) << *why;
  ::chmod((s.folder + "/var/run").c_str(), 0720);
  EXPECT_TRUE(control::unsafeFolder(s.folder + "/var/run/corvallo", s.folder)) << "group write counts too";
}

TEST(ControlAccess, AnotherUserIsToldPermissionDeniedNeverThatNothingRuns) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  LiveServer s(control::Limits{});
  std::unique_ptr<control::Liveness> live;
  s.onLoop([&] { live = std::make_unique<control::Liveness>(s.context, control::livenessPath(s.path)); });

  // The folder keeps everyone else out: the client says why.
  int code = asNobody([&] {
    try {
      control::Client client(s.path, 200ms);
    } catch (const control::PermissionDenied& e) {
      return std::string(e.what()).find("permission denied") == 0 ? 0 : 1;
    } catch (...) {
      return 2;
    }
    return 3;
  });
  EXPECT_EQ(code, 0) << "1: wrong text, 2: another error, 3: connected";
  EXPECT_EQ(asNobody([&] { return control::reach(s.path) == control::Reach::denied ? 0 : 1; }), 0);

  // Opened up by mistake, the host still turns them away, on both sockets.
  ::chmod(s.folder.c_str(), 0755);
  ::chmod(s.path.c_str(), 0666);
  ::chmod(control::livenessPath(s.path).c_str(), 0666);
  code = asNobody([&] {
    int fd = rawConnect(s.path);
    if (fd < 0) return 4;
    std::string line = firstLine(fd);
    if (line.find("\"permission denied\"") == std::string::npos) return 5;
    if (!closedByHost(fd, 5s)) return 6;
    auto beat = control::checkLiveness(control::livenessPath(s.path), 2s);
    return beat.outcome == control::Beat::denied && beat.detail == "permission denied" ? 0 : 7;
  });
  EXPECT_EQ(code, 0) << "4: no connection, 5: not refused, 6: left open, 7: liveness answered";
  // The owner is served as before.
  EXPECT_EQ(control::Client(s.path).request(json{{"op", "hi"}})["ok"], true);
  s.onLoop([&] { live.reset(); });
}

TEST(ControlAccess, ALineTricklingInIsClosedAtItsDeadlineWhateverTheIdleTime) {
  LiveServer s(control::Limits{.idleTimeout = 30s, .lineTimeout = 300ms});
  int fd = rawConnect(s.path);
  ASSERT_GE(fd, 0);
  const auto start = std::chrono::steady_clock::now();
  bool closed = false;
  // A byte every 50 ms, never a newline: each byte would have restarted a per-read timer.
  while (!closed && std::chrono::steady_clock::now() - start < 5s) {
    (void)::send(fd, "x", 1, MSG_NOSIGNAL);
    closed = closedByHost(fd, 50ms);
  }
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(closed);
  EXPECT_LT(took, 2s);
  ::close(fd);

  // Blank lines are no request: they neither count as one nor keep the place.
  int blank = rawConnect(s.path);
  ASSERT_GE(blank, 0);
  closed = false;
  for (int i = 0; i < 40 && !closed; ++i) {
    (void)::send(blank, " ", 1, MSG_NOSIGNAL);
    closed = closedByHost(blank, 25ms);
    if (!closed) (void)::send(blank, "\n", 1, MSG_NOSIGNAL);
    closed = closed || closedByHost(blank, 25ms);
  }
  EXPECT_TRUE(closed);
  ::close(blank);

  // A client that asks in time is served, and may wait between requests.
  control::Client client(s.path);
  EXPECT_EQ(client.request(json{{"op", "a"}})["ok"], true);
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(client.request(json{{"op", "b"}})["ok"], true);
}

// However quickly the host closes, the client reads the refusal instead of
// failing on its own request ("Broken pipe").
TEST(ControlAccess, AClientTurnedAwayIsToldWhy) {
  LiveServer s(control::Limits{.maxConnections = 1});
  control::Client held(s.path);
  ASSERT_EQ(held.request(json{{"op", "hi"}})["ok"], true);
  for (int i = 0; i < 20; ++i) {
    control::Client extra(s.path);
    std::this_thread::sleep_for(std::chrono::milliseconds(i % 3 * 10));  // before and after the host's close
    EXPECT_EQ(extra.request(json{{"op", "hi"}}).value("error", ""), "too many control connections");
  }
}

TEST(Liveness, AnswersWhileTheMainLoopIsBusyAndEveryControlPlaceIsTaken) {
  LiveServer s(control::Limits{.maxConnections = 2});
  std::unique_ptr<control::Liveness> live;
  s.onLoop([&] { live = std::make_unique<control::Liveness>(s.context, control::livenessPath(s.path)); });
  std::vector<int> held;
  for (int i = 0; i < 4; ++i) held.push_back(rawConnect(s.path));
  auto beat = control::checkLiveness(control::livenessPath(s.path), 1s);
  EXPECT_EQ(beat.outcome, control::Beat::answered) << beat.detail;
  EXPECT_LT(beat.stalled, 500ms);

  // A long piece of work on the main loop: the process answers, and says how long.
  asio::post(s.context, [] { std::this_thread::sleep_for(900ms); });
  std::this_thread::sleep_for(600ms);
  beat = control::checkLiveness(control::livenessPath(s.path), 200ms);
  EXPECT_EQ(beat.outcome, control::Beat::answered) << beat.detail;
  EXPECT_GE(beat.stalled, 400ms);
  std::this_thread::sleep_for(700ms);
  EXPECT_LT(control::checkLiveness(control::livenessPath(s.path), 1s).stalled, 400ms) << "the loop turns again";
  for (int fd : held) ::close(fd);

  EXPECT_EQ(control::checkLiveness(s.folder + "/none.live", 1s).outcome, control::Beat::absent);
  s.onLoop([&] { live.reset(); });
}

}  // namespace
