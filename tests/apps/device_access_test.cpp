// The device against other users and against clients that crowd or hold it:
// its folders and sockets are its user's whatever the umask, other users are
// told "permission denied", and the supervisor's liveness check neither
// competes with clients nor takes real work for a hang.
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>

#include "CommandFixture.h"

using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

mode_t modeOf(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

int rawConnect(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class DeviceAccessTest : public CommandTest {
 protected:
  void upQuick() {
    up({"--first-backoff-ms", "50", "--max-backoff-ms", "400", "--stable-after-ms", "3000", "--ping-interval-ms", "100",
        "--ping-timeout-ms", "300"});
  }
  int springBoardPid() {
    json s = status();
    return s.contains("springboard") ? s["springboard"].value("pid", 0) : 0;
  }
  std::string supervisorLog() { return slurp(root_ / "var/log/supervisor.log"); }

  // The command as the unprivileged user (the caller must be root).
  Outcome corvalloAsNobody(const std::vector<std::string>& args) {
    std::string out = "/tmp/cvnobody-out-XXXXXX", err = "/tmp/cvnobody-err-XXXXXX";
    int o = ::mkstemp(out.data()), e = ::mkstemp(err.data());
    std::vector<std::string> all{program(), "--root", root_.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(o, 1);
      ::dup2(e, 2);
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Outcome r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = slurp(out);
    r.err = slurp(err);
    ::close(o);
    ::close(e);
    ::unlink(out.c_str());
    ::unlink(err.c_str());
    return r;
  }
};

TEST_F(DeviceAccessTest, UnderAnOpenUmaskTheDeviceIsTheOwnersAlone) {
  ::chmod(root_.c_str(), 0777);
  mode_t old = ::umask(0);
  // Left open by someone before the device was first installed: the
  // installer keeps folders it finds, so the supervisor must close them.
  fs::create_directories(root_ / "Library/MobileSubstrate/DynamicLibraries");
  for (const char* folder : {"Library", "Library/MobileSubstrate", "Library/MobileSubstrate/DynamicLibraries"})
    ::chmod((root_ / folder).c_str(), 0777);
  Outcome o = corvallo({"up"});
  ::umask(old);
  ASSERT_EQ(o.code, 0) << o.err;

  for (const char* folder : {"", "var/run", "var/run/corvallo", "var/run/notify"})
    EXPECT_EQ(modeOf(root_ / folder), 0700u) << "/" << folder;
  int sockets = 0;
  for (const char* folder : {"var/run/corvallo", "var/run/notify"})
    for (const auto& e : fs::directory_iterator(root_ / folder))
      if (e.is_socket()) {
        ++sockets;
        EXPECT_EQ(modeOf(e.path()), 0600u) << e.path();
      }
  EXPECT_GE(sockets, 5) << "three control sockets, two liveness sockets";
  // Nobody else may write where libraries load from.
  for (const char* folder : {"Library", "Library/MobileSubstrate", "Library/MobileSubstrate/DynamicLibraries"})
    EXPECT_EQ(modeOf(root_ / folder) & 022, 0u) << folder;
  EXPECT_NE(supervisorLog().find("DynamicLibraries was writable by other users (0777); now 0755"), std::string::npos)
      << supervisorLog();
  EXPECT_EQ(status()["springboard"]["injected"], json::array({"Corvallo"}));
}

TEST_F(DeviceAccessTest, AHostRefusesToStartOnFoldersOthersCanWrite) {
  auto host = [&](const char* program) {
    return run({"/usr/bin/timeout", "5", std::string(CORVALLO_BUILD_DIR) + "/bin/" + program, "--device-root",
                root_.string()});
  };
  fs::path libraries = root_ / "Library/MobileSubstrate/DynamicLibraries";
  fs::create_directories(libraries);
  ::chmod(libraries.c_str(), 0777);
  Outcome o = host("springboard");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find("SpringBoard: not starting: " + libraries.string() + " is writable by other users (mode 0777)"),
            std::string::npos)
      << o.err;
  ::chmod(libraries.c_str(), 0755);
  ::chmod((root_ / "Library").c_str(), 0775);
  o = host("springboard");
  EXPECT_EQ(o.code, 1);
  EXPECT_NE(o.err.find((root_ / "Library").string() + " is writable by other users (mode 0775)"), std::string::npos)
      << o.err;
  ::chmod((root_ / "Library").c_str(), 0755);

  // Its socket folder is checked by both hosts.
  fs::create_directories(root_ / "var/run/corvallo");
  ::chmod((root_ / "var/run").c_str(), 0777);
  for (const char* program : {"springboard", "settings"}) {
    if (!fs::exists(std::string(CORVALLO_BUILD_DIR) + "/bin/" + program)) continue;
    o = host(program);
    EXPECT_EQ(o.code, 1) << program;
    EXPECT_NE(o.err.find("not starting: " + (root_ / "var/run").string() + " is writable by other users"),
              std::string::npos)
        << o.err;
  }
}

TEST_F(DeviceAccessTest, AnotherUserIsToldPermissionDeniedNeverThatNoDeviceRuns) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  // The other user runs the command itself: a checkout in a private folder
  // (mktemp -d) keeps it from even starting.
  for (fs::path p = fs::path(program()).parent_path(); p != p.parent_path(); p = p.parent_path())
    if ((modeOf(p) & 01) == 0) GTEST_SKIP() << p << " is closed to other users, who cannot run the command";
  upQuick();
  for (auto args : std::vector<std::vector<std::string>>{{"status"}, {"toggle", "enabled"}, {"respring"}, {"down"}}) {
    Outcome o = corvalloAsNobody(args);
    EXPECT_NE(o.code, 0) << args[0];
    EXPECT_NE(o.err.find("permission denied"), std::string::npos) << args[0] << ": " << o.err;
    EXPECT_EQ(o.err.find("no device is running"), std::string::npos) << args[0] << ": " << o.err;
  }
  EXPECT_EQ(corvallo({"status"}).code, 0) << "the owner still reaches it";
}

TEST_F(DeviceAccessTest, HeldControlConnectionsNeitherStarveNorKillTheHost) {
  upQuick();
  int pid = springBoardPid();
  ASSERT_GT(pid, 0);
  std::vector<int> held;
  for (int i = 0; i < 70; ++i)
    if (int fd = rawConnect((root_ / "var/run/corvallo/springboard.sock").string()); fd >= 0) held.push_back(fd);
  EXPECT_EQ(held.size(), 70u);
  std::this_thread::sleep_for(1500ms);  // fifteen pings
  for (int fd : held) ::close(fd);
  EXPECT_EQ(springBoardPid(), pid);
  std::string log = supervisorLog();
  EXPECT_EQ(log.find("did not answer a ping"), std::string::npos) << log;
  EXPECT_EQ(log.find("killing"), std::string::npos) << log;
}

TEST_F(DeviceAccessTest, AHostBusyWithRealWorkIsNotKilled) {
  upQuick();
  fs::path libraries = root_ / "Library/MobileSubstrate/DynamicLibraries";
  fs::copy_file(BUSY_ON_POST_PATH, libraries / "Busy.dylib");
  fs::copy_file(TWEAK_FILTER_PATH, libraries / "Busy.plist");
  ASSERT_EQ(corvallo({"respring"}).code, 0);
  ASSERT_TRUE(eventually([&] { return status(); },
                         [](const json& s) {
                           return s.contains("springboard") &&
                                  s["springboard"]["injected"] == json::array({"Busy", "Corvallo"});
                         }))
      << last_.dump();
  int pid = springBoardPid();
  // Three seconds of work on its main thread, ten times the ping timeout.
  ASSERT_EQ(corvallo({"notify", "post", "com.corvallo.test.busy"}).code, 0);
  ASSERT_EQ(corvallo({"notify", "post", "com.corvallo.test.busy"}).code, 0);
  std::this_thread::sleep_for(3500ms);
  EXPECT_EQ(springBoardPid(), pid);
  std::string log = supervisorLog();
  EXPECT_NE(log.find("SpringBoard is busy: its main loop has not turned for"), std::string::npos) << log;
  EXPECT_EQ(log.find("did not answer a ping"), std::string::npos) << log;
  EXPECT_EQ(log.find("killing"), std::string::npos) << log;
}

}  // namespace
