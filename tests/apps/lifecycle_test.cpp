// Bringing a device up and down and watching it, through the real command:
// what `up` reports about the tweak it installed, a `down` that arrives while
// `up` is still starting, the media clock's bounds, and the hosts' logs kept
// to a size.
#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cmath>

#include "CommandFixture.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string contents(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The processes whose command line names the device root: its supervisor and hosts.
std::vector<int> processesUnder(const fs::path& root) {
  std::vector<int> pids;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = contents(entry.path() / "cmdline");
    std::string stat = contents(entry.path() / "stat");
    auto close = stat.rfind(')');
    bool zombie = close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
    if (!zombie && cmdline.find(root.string()) != std::string::npos) pids.push_back(std::stoi(name));
  }
  return pids;
}

// Waits until `path` exists; false after five seconds.
bool appears(const fs::path& path) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!fs::exists(path)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class Lifecycle : public CommandTest {
 protected:
  Outcome mediaTime(const std::vector<std::string>& pairs) {
    std::vector<std::string> args{"ask", "settings", "mediaTime"};
    args.insert(args.end(), pairs.begin(), pairs.end());
    args.push_back("--raw");
    return corvallo(args);
  }
  // The rootless package with its tweak replaced by a file that is no library.
  fs::path packageWithBrokenTweak() {
    fs::path deb = fs::path(CORVALLO_BUILD_DIR) / "com.tenvarix.corvallo_0.1.0_rootless.deb";
    EXPECT_TRUE(fs::exists(deb)) << "build the deb target";
    fs::path tree = root_ / ".broken-package", broken = root_ / ".broken.deb";
    EXPECT_EQ(run({"/usr/bin/dpkg-deb", "-R", deb.string(), tree.string()}).code, 0);
    fs::path tweak = tree / "var/jb/Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib";
    EXPECT_TRUE(fs::exists(tweak));
    std::ofstream(tweak, std::ios::trunc) << std::string(4096, 'x');
    Outcome built = run({"/usr/bin/dpkg-deb", "-Znone", "-b", tree.string(), broken.string()});
    EXPECT_EQ(built.code, 0) << built.err;
    return broken;
  }
};

TEST_F(Lifecycle, ATweakThatDoesNotLoadIsReportedByUpAndStatusWithTheLoadersReason) {
  fs::path deb = packageWithBrokenTweak();
  Outcome o = corvallo({"up", "--package", deb.string()});
  EXPECT_NE(o.code, 0) << o.out << o.err;
  EXPECT_NE(o.err.find("failed to load Corvallo: "), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("invalid ELF header"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("did not load Corvallo"), std::string::npos) << o.err;

  // The device runs, without the tweak, and says why.
  json s = status();
  ASSERT_TRUE(s.contains("springboard")) << s.dump();
  EXPECT_EQ(s["springboard"]["injected"], json::array());
  ASSERT_EQ(s["springboard"]["failedToLoad"].size(), 1u) << s.dump();
  json failure = s["springboard"]["failedToLoad"][0];
  EXPECT_EQ(failure["library"], "Corvallo");
  EXPECT_NE(failure["reason"].get<std::string>().find("invalid ELF header"), std::string::npos) << failure;
  EXPECT_NE(failure["path"].get<std::string>().find("var/jb/Library/MobileSubstrate"), std::string::npos);

  Outcome text = corvallo({"status"});
  EXPECT_EQ(text.code, 0);
  EXPECT_NE(text.out.find("injected: none"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("failed to load Corvallo: "), std::string::npos) << text.out;
}

TEST_F(Lifecycle, UpWithATweakThatLoadsSucceedsAndStatusNamesNoFailure) {
  up();
  json s = status();
  EXPECT_EQ(s["springboard"]["injected"], json::array({"Corvallo"}));
  EXPECT_EQ(s["springboard"]["failedToLoad"], json::array());
}

// `down` at three moments of a start: while `up` installs, once the supervisor
// has been started, once it listens. Each time what `up` started is stopped,
// both commands say so, and nothing is left running.
TEST_F(Lifecycle, DownDuringUpStopsWhatUpStartedAndBothSaySo) {
  const std::vector<std::pair<const char*, fs::path>> moments{
      {"installing", root_ / "Library/MobileSubstrate"},
      {"supervisor started", root_ / "var/log/supervisor.log"},
      {"supervisor listening", root_ / "var/run/corvallo/supervisor.sock"},
  };
  for (const auto& [moment, sign] : moments) {
    SCOPED_TRACE(moment);
    fs::remove_all(root_ / "var");
    fs::remove_all(root_ / "Library");
    Outcome upOutcome;
    std::thread upThread([&] { upOutcome = corvallo({"up"}); });
    ASSERT_TRUE(appears(sign)) << sign;
    Outcome downOutcome = corvallo({"down"});
    upThread.join();

    EXPECT_EQ(downOutcome.code, 0) << downOutcome.err;
    EXPECT_EQ(downOutcome.out.find("no device is running"), std::string::npos) << downOutcome.out;
    EXPECT_NE(downOutcome.out.find("stopped"), std::string::npos) << downOutcome.out;
    EXPECT_EQ(processesUnder(root_), std::vector<int>{}) << "left running after `down`";
    // Listening, the device may have finished starting first; then `down` stopped a running device.
    if (upOutcome.code == 0 && std::string(moment) == "supervisor listening") continue;
    EXPECT_NE(upOutcome.code, 0) << upOutcome.out;
    EXPECT_NE(upOutcome.err.find("stopped by `down` while starting"), std::string::npos) << upOutcome.err;
  }
}

TEST_F(Lifecycle, TheMediaClockRefusesTimesItCannotHoldAndStaysFinite) {
  up();
  Outcome set = mediaTime({"set=1e308"});
  ASSERT_EQ(set.code, 0) << set.out;
  for (const std::vector<std::string>& request :
       std::vector<std::vector<std::string>>{{"advance=1e308"}, {"set=1e308", "advance=1e308"}}) {
    Outcome o = mediaTime(request);
    ASSERT_NE(o.code, 0) << request[0];
    json answer = o.json();
    EXPECT_EQ(answer["ok"], false) << request[0];
    EXPECT_NE(answer["error"].get<std::string>().find("past any time"), std::string::npos) << answer;
  }
  json now = mediaTime({}).json();
  ASSERT_TRUE(now["mediaTime"].is_number()) << now.dump();
  EXPECT_EQ(now["mediaTime"].get<double>(), 1e308);
  // Back on real time, it runs on from there.
  json real = mediaTime({"real=true"}).json();
  ASSERT_TRUE(real["mediaTime"].is_number()) << real.dump();
  EXPECT_TRUE(std::isfinite(real["mediaTime"].get<double>()));
  EXPECT_EQ(real["manual"], false);
}

// A small limit for the test: the hosts' logs move aside as they grow, a few
// generations are kept, and `corvallo log` still shows every line in order.
TEST_F(Lifecycle, HostLogsRotateAtTheLimitAndLogShowsEveryGenerationInOrder) {
  constexpr std::uintmax_t kLimit = 3000;
  ::setenv("CORVALLO_LOG_ROTATE_BYTES", std::to_string(kLimit).c_str(), 1);
  up();
  ::unsetenv("CORVALLO_LOG_ROTATE_BYTES");
  // Each change of legibility writes about 500 bytes, one line of them naming the change.
  constexpr int kChanges = 12;
  for (int i = 0; i < kChanges; ++i) {
    Outcome o = corvallo({"ask", "springboard", "legibility", i % 2 ? "style=light" : "style=dark", "--raw"});
    ASSERT_EQ(o.code, 0) << o.out << o.err;
  }
  fs::path log = root_ / "var/log/SpringBoard.log";
  ASSERT_TRUE(fs::exists(log.string() + ".1")) << "no rotation at " << kLimit << " bytes";
  EXPECT_FALSE(fs::exists(log.string() + ".4"));
  for (const char* suffix : {"", ".1", ".2", ".3"}) {
    if (fs::exists(log.string() + suffix)) {
      EXPECT_LE(fs::file_size(log.string() + suffix), kLimit) << suffix;
    }
  }

  Outcome shown = corvallo({"log", "--debug"});
  ASSERT_EQ(shown.code, 0) << shown.err;
  // One at the start, one per change.
  std::vector<std::string> stamps;
  std::istringstream lines(shown.out);
  for (std::string line; std::getline(lines, line);)
    if (line.find("SpringBoard[") != std::string::npos && line.find("legibilitySettingsDidChange") != std::string::npos)
      stamps.push_back(line.substr(0, 23));
  EXPECT_EQ(stamps.size(), static_cast<std::size_t>(kChanges + 1)) << shown.out;
  EXPECT_TRUE(std::is_sorted(stamps.begin(), stamps.end()));
}

// Answers every request on a local socket with one error whose text holds a NUL.
class FakeHost {
 public:
  explicit FakeHost(const fs::path& socket) {
    fs::create_directories(socket.parent_path());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socket.c_str());
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(::listen(fd_, 8), 0);
    thread_ = std::thread([this] { serve(); });
  }
  ~FakeHost() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }

 private:
  void serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      std::string line;
      char c;
      while (::read(client, &c, 1) == 1 && c != '\n') line += c;
      if (!line.empty()) {
        std::string answer = R"json({"ok":false,"error":"before\u0000after (whole)"})json"
                             "\n";
        EXPECT_EQ(::write(client, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
      }
      ::close(client);
    }
  }
  int fd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A NUL in an error's text neither cuts it nor passes unseen: it reads "\0".
TEST_F(Lifecycle, AnErrorTextWithANulIsShownWholeWithTheNulVisible) {
  {
    FakeHost springBoard(root_ / "var/run/corvallo/springboard.sock");
    Outcome o = corvallo({"home"});
    EXPECT_NE(o.code, 0);
    EXPECT_EQ(o.err, "corvallo: SpringBoard: before\\0after (whole)\n");
  }
  fs::remove(root_ / "var/run/corvallo/springboard.sock");

  up();
  Outcome o = corvallo({"ask", "springboard", "legibility", R"(style="dark\u0000ish")", "--raw"});
  EXPECT_NE(o.code, 0);
  EXPECT_EQ(o.json()["error"], "unknown legibility style \"dark\\0ish\" (light or dark)") << o.out;
}

}  // namespace
