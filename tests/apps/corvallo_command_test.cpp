#include <cairo.h>
#include <signal.h>

#include <cmath>
#include <regex>

#include "CommandFixture.h"

using nlohmann::json;

namespace {

bool processGone(int pid) {
  if (::kill(pid, 0) != 0) return true;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  auto close = line.rfind(')');
  return close == std::string::npos || line[close + 2] == 'Z';
}

struct Pixel {
  int r, g, b;
};

// The pixel at a point of the screen, from a decoded PNG drawn at 2 px per point.
Pixel pixelAt(cairo_surface_t* png, double x, double y) {
  int px = static_cast<int>(x * 2), py = static_cast<int>(y * 2);
  const unsigned char* data = cairo_image_surface_get_data(png);
  auto word = *reinterpret_cast<const std::uint32_t*>(data + py * cairo_image_surface_get_stride(png) + px * 4);
  return {static_cast<int>((word >> 16) & 0xFF), static_cast<int>((word >> 8) & 0xFF), static_cast<int>(word & 0xFF)};
}

bool near(Pixel p, int r, int g, int b) { return std::abs(p.r - r) + std::abs(p.g - g) + std::abs(p.b - b) < 24; }

}  // namespace

TEST_F(CommandTest, UpTogglesAndColoursReachTheHomeScreenAndDownLeavesNothing) {
  up();
  Outcome again = corvallo({"up"});
  EXPECT_EQ(again.code, 0);
  EXPECT_NE(again.out.find("already running"), std::string::npos) << again.out;

  json s = status();
  ASSERT_TRUE(s.contains("springboard")) << s.dump();
  EXPECT_EQ(s["springboard"]["injected"], json::array({"Corvallo"}));
  EXPECT_GT(s["settings"]["pid"].get<int>(), 0);
  Outcome page = corvallo({"settings", "--json"});
  ASSERT_EQ(page.code, 0) << page.err;
  EXPECT_EQ(page.json()["title"], "Corvallo");

  auto home = [&] { return corvallo({"home", "--json"}).json()["pageControls"][0]; };
  ASSERT_TRUE(eventually(home, [](const json& c) {
    return c["hidden"] == true && c["currentPageIndicatorTintColor"].is_string();
  })) << last_.dump();
  ASSERT_EQ(corvallo({"toggle", "isHidePageDotsEnabled"}).code, 0);
  ASSERT_TRUE(eventually(home, [](const json& c) { return c["hidden"] == false; })) << last_.dump();

  ASSERT_EQ(corvallo({"toggle", "isColorCustomizationEnabled"}).code, 0);
  Outcome set = corvallo({"set", "activePageDotColor", "#FF2D55"});
  ASSERT_EQ(set.code, 0) << set.err;
  ASSERT_TRUE(eventually(home, [](const json& c) { return c["currentPageIndicatorTintColor"] == "#FF2D55FF"; }))
      << last_.dump();

  std::vector<int> pids{s["springboard"]["pid"], s["settings"]["pid"]};
  Outcome down = corvallo({"down"});
  EXPECT_EQ(down.code, 0) << down.err;
  for (int pid : pids) EXPECT_TRUE(processGone(pid)) << pid;
  EXPECT_FALSE(std::filesystem::exists(root_ / "var/run/corvallo/supervisor.sock") && corvallo({"status"}).code == 0);
}

TEST_F(CommandTest, ThePictureShowsTheCurrentDotInItsColourAndNoDotsWhenHidden) {
  up();
  for (const char* step : {"isHidePageDotsEnabled", "isColorCustomizationEnabled"})
    ASSERT_EQ(corvallo({"toggle", step}).code, 0);
  ASSERT_EQ(corvallo({"set", "activePageDotColor", "#00C8FF"}).code, 0);
  auto sb = [&] { return ask("springboard", "state")["pageControl"]; };
  ASSERT_TRUE(eventually(sb, [](const json& c) { return c["currentPageIndicatorTintColor"] == "#00C8FF"; }))
      << last_.dump();

  std::string file = (root_ / "home.png").string();
  {
    Outcome drew = corvallo({"home", "--png", file});
    ASSERT_EQ(drew.code, 0) << drew.err;
  }
  cairo_surface_t* png = cairo_image_surface_create_from_png(file.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  // The device's one screen, 375 × 812 points at two pixels per point, as Settings' picture.
  EXPECT_EQ(cairo_image_surface_get_width(png), 750);
  EXPECT_EQ(cairo_image_surface_get_height(png), 1624);
  json dots = last_["dots"];
  ASSERT_EQ(dots.size(), 3u);
  int current = last_["currentPage"];
  EXPECT_TRUE(near(pixelAt(png, dots[current][0], dots[current][1]), 0x00, 0xC8, 0xFF));
  Pixel other = pixelAt(png, dots[(current + 1) % 3][0], dots[(current + 1) % 3][1]);
  EXPECT_FALSE(near(other, 0x00, 0xC8, 0xFF));
  cairo_surface_destroy(png);

  ASSERT_EQ(corvallo({"toggle", "isHidePageDotsEnabled"}).code, 0);
  ASSERT_TRUE(eventually(sb, [](const json& c) { return c["hidden"] == true; })) << last_.dump();
  {
    Outcome drew = corvallo({"home", "--png", file});
    ASSERT_EQ(drew.code, 0) << drew.err;
  }
  png = cairo_image_surface_create_from_png(file.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  // Hidden: each dot's place shows the wallpaper just above it.
  for (const auto& d : dots) {
    Pixel at = pixelAt(png, d[0], d[1]), above = pixelAt(png, d[0], d[1].get<double>() - 8);
    EXPECT_TRUE(near(at, above.r, above.g, above.b)) << d.dump();
  }
  cairo_surface_destroy(png);

  std::string page = (root_ / "settings.png").string();
  ASSERT_EQ(corvallo({"appearance", "dark"}).code, 0);
  ASSERT_EQ(corvallo({"settings", "--png", page}).code, 0);
  png = cairo_image_surface_create_from_png(page.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(png), 750);
  EXPECT_EQ(cairo_image_surface_get_height(png), 1624);
  EXPECT_TRUE(near(pixelAt(png, 2, 400), 0, 0, 0));  // dark background at the page's edge
  cairo_surface_destroy(png);
}

TEST_F(CommandTest, ResetFromTheOptionsMenuRelaunchesSpringBoardWithTheDefaults) {
  up();
  ASSERT_EQ(corvallo({"toggle", "isHidePageDotsEnabled"}).code, 0);
  int before = status()["springboard"]["pid"];
  // No alert or menu is open: choose opens the page's options menu first.
  Outcome chose = corvallo({"choose", "Reset All Settings"});
  ASSERT_EQ(chose.code, 0) << chose.err;
  json page = corvallo({"settings", "--json"}).json();
  ASSERT_TRUE(page["alert"].is_object()) << page.dump();
  EXPECT_NE(corvallo({"choose", "No Such Action"}).code, 0);
  chose = corvallo({"choose", "Reset"});
  ASSERT_EQ(chose.code, 0) << chose.err;
  ASSERT_TRUE(eventually([&] { return ask("springboard", "state"); },
                         [&](const json& s) {
                           return s.value("pid", before) != before && s["pageControl"]["hidden"] == true &&
                                  s["pageControl"]["currentPageIndicatorTintColor"].is_string();
                         }))
      << last_.dump();
  EXPECT_EQ(last_["injected"], json::array({"Corvallo"}));
  EXPECT_EQ(corvallo({"defaults", "read", "com.tenvarix.corvalloprefs", "isHidePageDotsEnabled"}).out, "1\n");
}

TEST_F(CommandTest, DefaultsRoundTripEachTypeAndRefuseBadNamesAndValues) {
  struct Case {
    const char *type, *value, *printed;
  } cases[] = {{"-bool", "NO", "0\n"},
               {"-bool", "true", "1\n"},
               {"-int", "-42", "-42\n"},
               {"-float", "0.25", "0.25\n"},
               {"-string", "#FF2D55", "#FF2D55\n"},
               {"-date", "2026-12-10 08:30:00 +0000", "2026-12-10 08:30:00 +0000\n"}};
  for (const auto& c : cases) {
    ASSERT_EQ(corvallo({"defaults", "write", "com.example.test", "k", c.type, c.value}).code, 0) << c.type;
    EXPECT_EQ(corvallo({"defaults", "read", "com.example.test", "k"}).out, c.printed) << c.type;
  }
  ASSERT_EQ(corvallo({"defaults", "write", "com.example.test", "plain", "text"}).code, 0);
  std::string whole = corvallo({"defaults", "read", "com.example.test"}).out;
  EXPECT_NE(whole.find("plain = text;"), std::string::npos) << whole;
  ASSERT_EQ(corvallo({"defaults", "delete", "com.example.test", "plain"}).code, 0);
  Outcome gone = corvallo({"defaults", "read", "com.example.test", "plain"});
  EXPECT_NE(gone.code, 0);
  EXPECT_NE(gone.err.find("does not exist"), std::string::npos);

  for (const char* bad : {"../escape", "com.example/x", "", ".hidden", "com..example"}) {
    Outcome o = corvallo({"defaults", "write", bad, "k", "v"});
    EXPECT_NE(o.code, 0) << bad;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
  EXPECT_FALSE(std::filesystem::exists(root_.parent_path() / "escape.plist"));
  EXPECT_NE(corvallo({"defaults", "write", "com.example.test", "k", "-int", "1.5"}).code, 0);
  EXPECT_NE(corvallo({"defaults", "write", "com.example.test", "k", "-bool", "maybe"}).code, 0);
}

TEST_F(CommandTest, TwoConcurrentDefaultsWritersLoseNothing) {
  constexpr int kKeys = 30;
  auto writer = [&](char who) {
    for (int i = 0; i < kKeys; ++i)
      corvallo({"defaults", "write", "com.example.race", std::string(1, who) + std::to_string(i), "-int",
                std::to_string(i)});
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  std::string whole = corvallo({"defaults", "read", "com.example.race"}).out;
  for (char who : {'a', 'b'})
    for (int i = 0; i < kKeys; ++i)
      EXPECT_NE(whole.find(std::string(1, who) + std::to_string(i) + " = " + std::to_string(i) + ";"),
                std::string::npos)
          << who << i;
}

TEST_F(CommandTest, ErrorsAreOneLineAndNonZero) {
  Outcome none = corvallo({"home"});
  EXPECT_NE(none.code, 0);
  EXPECT_NE(none.err.find(" up`"), std::string::npos) << none.err;
  EXPECT_EQ(std::count(none.err.begin(), none.err.end(), '\n'), 1) << none.err;
  Outcome unknown = corvallo({"frobnicate"});
  EXPECT_NE(unknown.code, 0);
  EXPECT_NE(unknown.err.find("frobnicate"), std::string::npos) << unknown.err;

  up();
  for (auto args : std::vector<std::vector<std::string>>{{"toggle", "noSuchKey"},
                                                         {"set", "activePageDotColor", "red"},
                                                         {"toggle", "activePageDotColor"},
                                                         {"tap", "No Such Row"},
                                                         {"open", "NoSuchEntry"},
                                                         {"choose", "Nothing"},
                                                         {"appearance", "sepia"},
                                                         {"scroll", "down"}}) {
    Outcome o = corvallo(args);
    EXPECT_NE(o.code, 0) << args[0];
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << args[0] << ": " << o.err;
  }
}

// The supervisor, as the device's launch daemon.
class SupervisorTest : public CommandTest {
 protected:
  void upQuick() {
    up({"--first-backoff-ms", "50", "--max-backoff-ms", "400", "--stable-after-ms", "3000", "--ping-interval-ms", "100",
        "--ping-timeout-ms", "300"});
  }
  int pidOf(const char* host) {
    json s = status();
    return s.contains(host) ? s[host].value("pid", 0) : 0;
  }
  // The host answers with a pid other than `old`.
  bool replaced(const char* host, int old, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    std::string op = host == std::string("springboard") ? "state" : "ping";
    return eventually(
        [&] {
          return json{{"pid", pidOf(host)}, {"answer", ask(host, op)}};
        },
        [&](const json& j) { return j["pid"] != 0 && j["pid"] != old && j["answer"].value("ok", false); }, timeout);
  }
  std::string supervisorLog() { return slurp(root_ / "var/log/supervisor.log"); }
};

TEST_F(SupervisorTest, AKilledSpringBoardComesBackWithTheTweak) {
  upQuick();
  // Each one had answered before it was killed: none of them is failing to
  // start, so each comes back at once.
  for (int i = 0; i < 3; ++i) {
    int pid = pidOf("springboard");
    ASSERT_EQ(::kill(pid, SIGKILL), 0);
    ASSERT_TRUE(replaced("springboard", pid)) << last_.dump();
    EXPECT_EQ(last_["answer"]["injected"], json::array({"Corvallo"}));
  }
  EXPECT_EQ(supervisorLog().find("quick failure"), std::string::npos) << supervisorLog();
}

TEST_F(SupervisorTest, AHostThatExitsCleanlyIsStartedAgain) {
  upQuick();
  int first = pidOf("settings");
  ASSERT_TRUE(ask("settings", "quit").value("ok", false));
  ASSERT_TRUE(replaced("settings", first)) << last_.dump();
  // And it shows the Corvallo page again.
  EXPECT_EQ(corvallo({"settings", "--json"}).json()["title"], "Corvallo");
}

TEST_F(SupervisorTest, ACrashLoopBacksOffAndNeverGivesUp) {
  upQuick();
  // A tweak that ends SpringBoard as it loads: every launch dies before it answers.
  auto libraries = root_ / "Library/MobileSubstrate/DynamicLibraries";
  std::filesystem::copy_file(EXIT_AT_LOAD_PATH, libraries / "Broken.dylib");
  std::filesystem::copy_file(TWEAK_FILTER_PATH, libraries / "Broken.plist");
  int pid = pidOf("springboard");
  ASSERT_EQ(::kill(pid, SIGKILL), 0);
  // More failures in a row than the old limit of five, each waiting longer, up to the cap.
  // Eight launches under a sanitizer take well over ten seconds, so the
  // deadline is only a bound on a failing run.
  ASSERT_TRUE(eventually([&] { return json(supervisorLog()); },
                         [](const json& log) {
                           return log.get<std::string>().find("8 quick failures in a row") != std::string::npos;
                         },
                         std::chrono::seconds(60)))
      << supervisorLog();
  std::string log = supervisorLog();
  EXPECT_NE(log.find("in 0.40 s"), std::string::npos) << log;  // capped
  EXPECT_EQ(log.find("in 0.80 s"), std::string::npos) << log;
  // Mended, it comes back: the supervisor never gave up.
  std::filesystem::remove(libraries / "Broken.dylib");
  ASSERT_TRUE(replaced("springboard", pid, std::chrono::seconds(20))) << last_.dump();
}

TEST_F(SupervisorTest, AHungHostIsKilledAndStartedAgain) {
  upQuick();
  int hung = pidOf("springboard");
  ASSERT_EQ(::kill(hung, SIGSTOP), 0);
  ASSERT_TRUE(replaced("springboard", hung)) << last_.dump();
  EXPECT_TRUE(processGone(hung));
  EXPECT_NE(supervisorLog().find("did not answer a ping"), std::string::npos) << supervisorLog();
}

TEST_F(CommandTest, ARootlessPackageInstallsUnderVarJbAndTheDeviceRuns) {
  std::string deb = std::string(CORVALLO_BUILD_DIR) + "/com.tenvarix.corvallo_0.1.0_rootless.deb";
  ASSERT_TRUE(std::filesystem::exists(deb)) << "build the deb target";
  up({"--package", deb});
  EXPECT_TRUE(std::filesystem::exists(root_ / "var/jb/Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib"));
  EXPECT_TRUE(
      std::filesystem::exists(root_ / "var/jb/Library/PreferenceBundles/CorvalloPrefs.bundle/Root-Light.plist"));
  EXPECT_FALSE(std::filesystem::exists(root_ / "Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib"));
  EXPECT_EQ(status()["springboard"]["injected"], json::array({"Corvallo"}));
  EXPECT_EQ(corvallo({"settings", "--json"}).json()["title"], "Corvallo");
  ASSERT_EQ(corvallo({"toggle", "isHidePageDotsEnabled"}).code, 0);
  auto home = [&] { return corvallo({"home", "--json"}).json()["pageControls"][0]; };
  EXPECT_TRUE(eventually(home, [](const json& c) { return c["hidden"] == false; })) << last_.dump();
}

TEST_F(CommandTest, NotifyWatchSeesPostsAndLogFiltersDebugLines) {
  up();
  // The watcher runs on while this test posts; its output goes to files.
  std::string out = (root_ / "watch.out").string(), err = (root_ / "watch.err").string();
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> args{program(), "--root",           root_.string(), "notify",
                                "watch",   "com.example.ping", "--count",      "2"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t watcher = 0;
  ASSERT_EQ(::posix_spawn(&watcher, argv[0], &files, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&files);
  ASSERT_TRUE(eventually([&] { return json(slurp(err)); },
                         [](const json& e) { return e.get<std::string>().find("watching") != std::string::npos; }));
  ASSERT_EQ(corvallo({"notify", "post", "com.example.ping"}).code, 0);
  ASSERT_EQ(corvallo({"notify", "post", "com.example.ping"}).code, 0);
  int status = -1;
  ASSERT_TRUE(eventually([&] { return json(::waitpid(watcher, &status, WNOHANG) == watcher); },
                         [](const json& done) { return done.get<bool>(); }))
      << slurp(out);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // One line per post, each with the time it came.
  EXPECT_TRUE(std::regex_match(slurp(out), std::regex("\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[1\\] com\\.example\\.ping\n"
                                                      "\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[2\\] com\\.example\\.ping\n")))
      << slurp(out);

  // The tracing hooks' result lines are debug-level: shown only on request.
  ASSERT_TRUE(eventually(
      [&] {
        return json(corvallo({"log", "--debug"}).out);
      },
      [](const json& l) { return l.get<std::string>().find("<Debug>") != std::string::npos; }));
  std::string plain = corvallo({"log"}).out;
  EXPECT_NE(plain.find("SpringBoard started"), std::string::npos);
  EXPECT_EQ(plain.find("<Debug>"), std::string::npos);
}

TEST_F(CommandTest, TheSettingsPageReportsItsRowsAndDrawsSwitchesInTheThemeColour) {
  up();
  json page = corvallo({"settings", "--json"}).json();
  for (const char* field : {"title", "sections", "alert", "menu", "overlay"})
    EXPECT_TRUE(page.contains(field)) << field;
  json enabled, colour;
  for (const auto& s : page["sections"])
    for (const auto& r : s["rows"]) {
      for (const char* field : {"title", "key", "cell", "value", "hidden", "height", "tintColor"})
        ASSERT_TRUE(r.contains(field)) << field << " in " << r.dump();
      if (r["key"] == "isEnabled") enabled = r;
      if (r["key"] == "activePageDotColor") colour = r;
    }
  EXPECT_EQ(enabled["value"], true);
  EXPECT_EQ(enabled["tintColor"], "#19C246FF");
  // Hidden until custom colours are on, and then it takes no space.
  EXPECT_EQ(colour["hidden"], true);
  EXPECT_EQ(colour["height"], 0.0);

  std::string file = (root_ / "page.png").string();
  ASSERT_EQ(corvallo({"settings", "--png", file}).code, 0);
  json state = ask("settings", "state");
  json row;
  for (const auto& s : state["page"]["sections"])
    for (const auto& r : s["rows"])
      if (r["key"] == "isEnabled") row = r;
  ASSERT_TRUE(row.is_object());
  cairo_surface_t* png = cairo_image_surface_create_from_png(file.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  // The switch's track, left of its knob, at the row's middle below the bar.
  double y = 91 - state["page"]["contentOffset"].get<double>() + row["frame"]["y"].get<double>() +
             row["frame"]["height"].get<double>() / 2;
  double x = state["screen"][2].get<double>() - 32 - 51 + 8;  // inset 16 + margin 16, switch 51 wide
  EXPECT_TRUE(near(pixelAt(png, x, y), 0x19, 0xC2, 0x46));
  cairo_surface_destroy(png);
}
