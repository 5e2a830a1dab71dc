// What this user has running: every device root with its state (`list`), and
// the processes listening for notifications on a device (`notify list`).
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "Observe.h"
#include "Roots.h"
#include "Verb.h"
#include "control/Ops.h"

namespace fs = std::filesystem;

namespace device {

namespace {

// Where a device lives when no --root or $CORVALLO_DEVICE_ROOT names one.
fs::path defaultRoot() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data) return fs::path(data) / "corvallo/device";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".local/share/corvallo/device";
}

json rootState(const fs::path& root, bool isDefault) {
  json out{{"root", root.string()}, {"default", isDefault}, {"state", "stopped"}};
  Device device(root);
  try {
    if (!device.running()) return out;
    json s = device.supervisor({{"op", control::ops::kStatus}});
    out["state"] = "running";
    out["supervisorPid"] = s.value("pid", 0);
    for (const auto& h : s.value("hosts", json::array()))
      out[h.value("name", std::string()) == "SpringBoard" ? "springboardPid" : "settingsPid"] = h.value("pid", 0);
  } catch (const CommandError& e) {
    out["state"] = "unreachable";
    out["why"] = e.what();
  }
  return out;
}

int list(const Invocation& in, bool asJson) {
  fs::path fallback = defaultRoot();
  std::vector<fs::path> roots{fallback};
  for (const auto& r : recordedRoots())
    if (r != fallback) roots.push_back(r);
  if (in.device.root() != fallback && std::find(roots.begin(), roots.end(), in.device.root()) == roots.end() &&
      fs::is_directory(in.device.root()))
    roots.push_back(in.device.root());
  json all = json::array();
  for (const auto& r : roots) all.push_back(rootState(r, r == fallback));
  if (asJson) {
    std::cout << all.dump(2) << "\n";
    return 0;
  }
  for (const auto& d : all) {
    std::cout << d["root"].get<std::string>() << (d["default"].get<bool>() ? " (default)" : "") << ": ";
    if (d["state"] == "running")
      std::cout << "running, supervisor pid " << d.value("supervisorPid", 0) << ", SpringBoard pid "
                << d.value("springboardPid", 0) << ", Settings pid " << d.value("settingsPid", 0) << "\n";
    else if (d["state"] == "unreachable")
      std::cout << d["why"].get<std::string>() << "\n";
    else
      std::cout << (fs::is_directory(d["root"].get<std::string>()) ? "stopped" : "stopped, not created yet") << "\n";
  }
  return 0;
}

struct ListOptions {
  bool json = false;
};

}  // namespace

int notifyList(const Device& device, bool asJson) {
  json listeners = json::array();
  std::error_code ec;
  fs::path folder = device.root() / "var/run/notify";
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.size() < 6 || name.compare(name.size() - 5, 5, ".sock") != 0) continue;
    int pid = std::atoi(name.c_str());
    std::string process;
    std::ifstream(fs::path("/proc") / std::to_string(pid) / "comm") >> process;
    listeners.push_back(json{{"pid", pid},
                             {"process", process.empty() ? json(nullptr) : json(process)},
                             {"alive", pid > 0 && !processGone(pid)},
                             {"socket", name}});
  }
  std::sort(listeners.begin(), listeners.end(), [](const json& a, const json& b) { return a["pid"] < b["pid"]; });
  if (asJson) {
    std::cout << json{{"listeners", listeners}, {"names", nullptr}}.dump(2) << "\n";
    return 0;
  }
  for (const auto& l : listeners)
    std::cout << l["pid"].get<int>() << "  "
              << (l["process"].is_string() ? l["process"].get<std::string>() : std::string("?"))
              << (l["alive"].get<bool>() ? "" : "  (gone; the next post clears it)") << "\n";
  if (listeners.empty()) std::cout << "no process listens for notifications\n";
  // Every listener hears every post and keeps its own list of names.
  std::cout << "(which names each one observes is known only inside that process)\n";
  return 0;
}

std::vector<Verb> listingVerbs() {
  return {verb<ListOptions>(
      "list", "every device root of this user, running or stopped",
      [](CLI::App& cmd, ListOptions& o) { cmd.add_flag("--json", o.json, "as JSON"); },
      [](const Invocation& in, const ListOptions& o) { return list(in, o.json); })};
}

}  // namespace device
