// `install` and `uninstall`: any tweak's package into the device root, the
// device running or not; a running Settings is asked to read its entries
// again, so a new entry shows without restarting anything.
#include <iostream>

#include "PackageInstall.h"
#include "Verb.h"
#include "control/Ops.h"

namespace device {

namespace {

struct InstallOptions {
  std::string source, id;
  bool json = false;
};

struct UninstallOptions {
  std::string id;
  bool json = false;
};

// Asks a running Settings to list its entries again; says when the change
// shows instead when it cannot.
json rescanEntries(const Device& device) {
  if (!device.running())
    return {{"rescanned", false}, {"note", "the device is not running; Settings reads its entries when it starts"}};
  try {
    json answer = device.settings({{"op", control::ops::kRescanEntries}}, std::chrono::seconds(10));
    return {{"rescanned", true}, {"entries", answer.value("entries", json::array())}};
  } catch (const CommandError& e) {
    std::string why = e.what();
    if (why.find("unknown op") != std::string::npos)
      return {{"rescanned", false}, {"note", "this Settings does not re-read its entries; they change when it next starts"}};
    return {{"rescanned", false}, {"note", "Settings did not re-read its entries (" + why + "); they change when it next starts"}};
  }
}

std::string listed(const json& names, const std::string& suffix = {}) {
  std::string out;
  for (const auto& n : names) out += (out.empty() ? "" : ", ") + n.get<std::string>() + suffix;
  return out;
}

json changeJson(const PackageChange& c) {
  return {{"package", c.id},         {"version", c.version}, {"installed", c.installed}, {"removed", c.removed},
          {"entries", c.entries},    {"bundles", c.bundles}, {"tweaks", c.tweaks}};
}

void printFound(const json& out) {
  if (!out["entries"].empty()) std::cout << "  settings entries: " << listed(out["entries"]) << "\n";
  if (!out["bundles"].empty()) std::cout << "  preference bundles: " << listed(out["bundles"]) << "\n";
  if (!out["tweaks"].empty()) std::cout << "  tweaks: " << listed(out["tweaks"]) << "\n";
}

void printSettings(const json& settings) {
  if (settings.is_null()) return;
  if (settings.value("rescanned", false))
    std::cout << "Settings lists: " << listed(settings["entries"]) << "\n";
  else
    std::cout << settings.value("note", "") << "\n";
}

std::string plural(std::size_t n, const char* one) { return std::to_string(n) + " " + one + (n == 1 ? "" : "s"); }

int installPackageVerb(const Invocation& in, const InstallOptions& o) {
  const Device& device = in.device;
  PackageChange change = installInto(loadPackage(o.source, o.id), device.root());
  json out = changeJson(change);
  out["root"] = device.root().string();
  if (!change.tweaks.empty()) out["tweakNote"] = "SpringBoard loads new tweaks at its next start (`corvallo respring`)";
  out["settings"] = change.entries.empty() && change.removed.empty() ? json() : rescanEntries(device);
  if (o.json) {
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  std::cout << "installed " << change.id << (change.version.empty() ? "" : " " + change.version) << ": "
            << plural(change.installed.size(), "file") << " into " << device.root().string() << "\n";
  printFound(out);
  if (!change.removed.empty())
    std::cout << "  removed " << plural(change.removed.size(), "file") << " the older version had\n";
  if (out.contains("tweakNote")) std::cout << out["tweakNote"].get<std::string>() << "\n";
  printSettings(out["settings"]);
  return 0;
}

int uninstallPackageVerb(const Invocation& in, const UninstallOptions& o) {
  const Device& device = in.device;
  PackageChange change = uninstallFrom(o.id, device.root());
  json out = changeJson(change);
  out["root"] = device.root().string();
  if (!change.tweaks.empty() && device.running())
    out["tweakNote"] = "SpringBoard keeps a removed tweak loaded until its next start (`corvallo respring`)";
  out["settings"] = change.entries.empty() ? json() : rescanEntries(device);
  if (o.json) {
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  std::cout << "uninstalled " << change.id << ": removed " << plural(change.removed.size(), "file") << " from "
            << device.root().string() << "\n";
  printFound(out);
  if (out.contains("tweakNote")) std::cout << out["tweakNote"].get<std::string>() << "\n";
  printSettings(out["settings"]);
  return 0;
}

}  // namespace

std::vector<Verb> packageVerbs() {
  return {
      verb<InstallOptions>(
          "install", "install a tweak's .deb, or a folder laid out like a device root, into the device",
          [](CLI::App& cmd, InstallOptions& o) {
            cmd.add_option("PACKAGE", o.source, "a .deb, or a folder such as a tweak's layout/")->required();
            cmd.add_option("--id", o.id, "the package id of a folder without a control file");
            cmd.add_flag("--json", o.json, "as JSON");
          },
          installPackageVerb),
      verb<UninstallOptions>(
          "uninstall", "remove what a package installed, and only that",
          [](CLI::App& cmd, UninstallOptions& o) {
            cmd.add_option("ID", o.id, "the package id (its control file's Package)")->required();
            cmd.add_flag("--json", o.json, "as JSON");
          },
          uninstallPackageVerb),
  };
}

}  // namespace device
