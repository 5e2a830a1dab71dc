#include "Demo.h"

#include <cstdlib>
#include <functional>
#include <iostream>
#include <thread>

#include "Actions.h"
#include "Lifecycle.h"
#include "Screens.h"
#include "Verb.h"
#include "control/Ops.h"
#include "picture/Picture.h"

namespace fs = std::filesystem;

namespace device {

namespace {

constexpr const char* kDomain = "com.tenvarix.corvalloprefs";
using Clock = std::chrono::steady_clock;

class Walk {
 public:
  Walk(const Device& device, fs::path folder) : device_(device), folder_(std::move(folder)) {}

  // Prints the step, waits (bounded) for SpringBoard to show what it should, and draws both screens.
  void step(const std::string& title, const std::string& detail, const std::function<bool(const json&)>& shown) {
    ++number_;
    bool ok = waitFor(shown);
    allShown_ = allShown_ && ok;
    json sb = device_.springBoard({{"op", control::ops::kState}});
    json st = device_.settings({{"op", control::ops::kState}});
    char name[64];
    std::snprintf(name, sizeof name, "step%02d.png", number_);
    // The caption carries both lines the step prints.
    std::string caption = std::to_string(number_) + ". " + title + (detail.empty() ? "" : "\n" + detail);
    picture::drawSideBySide(sb, st, (folder_ / name).string(), caption, device_.root().string());
    std::cout << "\n" << number_ << ". " << title << (ok ? "" : "  (NOT REACHED within 5 s)") << "\n";
    if (!detail.empty()) std::cout << "   " << detail << "\n";
    std::cout << indent(homeText(homeJson(sb))) << "   picture: " << (folder_ / name).string() << "\n";
  }

  bool allShown() const { return allShown_; }

 private:
  bool waitFor(const std::function<bool(const json&)>& shown) {
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline) {
      try {
        if (shown(device_.springBoard({{"op", control::ops::kState}})["pageControl"])) return true;
      } catch (const CommandError&) {
        // SpringBoard restarting
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  static std::string indent(const std::string& text) {
    std::string out = "   ";
    for (char c : text) out += c == '\n' ? std::string("\n   ") : std::string(1, c);
    return out.substr(0, out.size() - 3);
  }

  const Device& device_;
  fs::path folder_;
  int number_ = 0;
  bool allShown_ = true;
};

json switchRow(const Device& device, const std::string& key) {
  for (const auto& s : device.settings({{"op", control::ops::kState}})["page"].value("sections", json::array()))
    for (const auto& r : s.value("rows", json::array()))
      if (r.value("key", json()) == key) return r;
  return nullptr;
}

bool isOn(const json& row) { return row.is_object() && row.value("switchOn", false); }

void setSwitch(const Device& device, const std::string& key, bool on) {
  json row = switchRow(device, key);
  if (row.is_object() && row.value("switchOn", on) != on) toggle(device, key);
}

fs::path pictureFolder(const DemoOptions& options) {
  if (!options.folder.empty()) {
    fs::create_directories(options.folder);
    return fs::absolute(options.folder);
  }
  std::string tmpl = (fs::temp_directory_path() / "corvallo-demo.XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw CommandError("cannot make a folder for the pictures");
  return tmpl;
}

}  // namespace

int runDemo(const Device& device, const BuildOutput& build, const DemoOptions& options) {
  fs::path folder = pictureFolder(options);
  bool wasRunning = device.running();
  if (!wasRunning && up(device, build, UpOptions{}) != 0) return 1;
  std::cout << "pictures of both screens at each step go to " << folder.string() << "\n";
  Walk walk(device, folder);
  auto coloured = [](const json& c) { return c["currentPageIndicatorTintColor"].is_string(); };

  openEntry(device, "Corvallo");
  setSwitch(device, "isEnabled", true);
  setSwitch(device, "isHidePageDotsEnabled", true);
  setSwitch(device, "isColorCustomizationEnabled", false);
  walk.step("The Corvallo page in Settings; on the home screen the tweak hides the dots", "",
            [&](const json& c) { return coloured(c) && c.value("hidden", false); });

  toggle(device, "isHidePageDotsEnabled");
  walk.step("You turn \"Hide Page Dots\" off: Settings stores NO in " + std::string(kDomain) +
                " and posts com.tenvarix.corvallo/ReloadPrefs;",
            "SpringBoard's tweak reloads its snapshot on a background queue, then refreshes each indicator on the "
            "main queue: the dots are back",
            [](const json& c) { return !c.value("hidden", true); });

  toggle(device, "isColorCustomizationEnabled");
  walk.step("You turn custom colours on: the two colour rows that depend on it appear", "",
            [](const json& c) { return !c.value("hidden", true); });

  setValue(device, "activePageDotColor", "#FF2D55");
  setValue(device, "inactivePageDotColor", "#FF2D55:0.35");
  walk.step("You pick #FF2D55 for the current dot and #FF2D55 at 35% for the others", "",
            [](const json& c) { return c["currentPageIndicatorTintColor"] == "#FF2D55"; });

  appearance(device, "dark");
  walk.step("Settings in dark appearance: the page loads its dark page list", "",
            [](const json& c) { return c["currentPageIndicatorTintColor"] == "#FF2D55"; });

  int before = device.springBoard({{"op", control::ops::kState}}).value("pid", 0);
  device.settings({{"op", control::ops::kTapOptions}});
  walk.step("You open the page's options menu", "", [](const json&) { return true; });
  choose(device, "Reset All Settings");
  walk.step("You choose \"Reset All Settings\": Settings asks first", "", [](const json&) { return true; });
  choose(device, "Reset");
  walk.step("You confirm: the tweak writes the six defaults and SpringBoard relaunches with them;",
            "Settings, ended with SpringBoard as on a phone, opens again on the stored values", [&](const json& c) {
              return c.value("hidden", false) && c["currentPageIndicatorTintColor"] == "#FFFFFF" &&
                     device.springBoard({{"op", control::ops::kState}}).value("pid", before) != before &&
                     isOn(switchRow(device, "isHidePageDotsEnabled"));
            });
  appearance(device, "light");

  // Logs can be read later only where the root stays.
  if (options.keep || wasRunning || !options.rootRemoved)
    std::cout << "\nlogs: corvallo --root " << device.root().string() << " log\n";
  if (!options.keep && !wasRunning) down(device);
  if (options.keep || wasRunning) std::cout << "the device is still running; stop it with `corvallo down`\n";
  std::cout << "pictures: " << folder.string() << "\n";
  return walk.allShown() ? 0 : 1;
}

std::vector<Verb> demoVerbs() {
  return {verb<DemoOptions>(
      "demo", "walk one change from the Settings switch to the home screen, in pictures (on a device root of its own unless --root is given)",
      [](CLI::App& cmd, DemoOptions& o) {
        cmd.add_flag("--keep", o.keep, "leave the device running at the end");
        cmd.add_option("--out", o.folder, "where the pictures go (default: a new folder under /tmp)");
      },
      [](const Invocation& in, const DemoOptions& o) {
        // The demo resets the settings at its end: never on a device someone is using.
        if (in.device.rootGiven()) {
          if (in.device.running())
            throw CommandError("a device is running under " + in.device.root().string() +
                               " and the demo resets its settings; stop it first, or leave out --root");
          return runDemo(in.device, in.build, o);
        }
        std::string tmpl = (fs::temp_directory_path() / "corvallo-demo-root.XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) throw CommandError("cannot make a device root for the demo");
        ::setenv("CORVALLO_DEVICE_ROOT", tmpl.c_str(), 1);
        Device own(tmpl, tmpl);
        DemoOptions options = o;
        options.rootRemoved = !o.keep;
        int result = runDemo(own, in.build, options);
        std::error_code ignored;
        if (!o.keep) fs::remove_all(tmpl, ignored);
        return result;
      })};
}

}  // namespace device
