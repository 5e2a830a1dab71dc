#include "Observe.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <thread>
#include <vector>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"

namespace fs = std::filesystem;

namespace device {

int notifyPost(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) throw CommandError("a notification needs a name");
  std::uint32_t status = notify_post(name.c_str());
  if (status != NOTIFY_STATUS_OK)
    throw CommandError("the notification name \"" + name + "\" was refused (status " + std::to_string(status) + ")");
  return 0;
}

namespace {

struct Watch {
  std::string name;
  int count = 0, seen = 0;
};

void received(CFNotificationCenterRef, void* observer, CFNotificationName name, const void*, CFDictionaryRef) {
  auto* w = static_cast<Watch*>(observer);
  std::cout << "[" << ++w->seen << "] " << name << std::endl;
  if (w->count > 0 && w->seen >= w->count) dispatch::stopMain();
}

}  // namespace

int notifyWatch(const std::string& name, int count) {
  Watch watch{name, count};
  CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &watch, received, name.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  // Registered: posts from now on reach this process.
  std::cerr << "watching " << name << std::endl;
  dispatch_main();
  CFNotificationCenterRemoveObserver(CFNotificationCenterGetDarwinNotifyCenter(), &watch, name.c_str(), nullptr);
  return 0;
}

namespace {

struct Source {
  fs::path path;
  std::streamoff offset = 0;
};

// Lines start with "2026-12-09 03:27:06.123 "; lines without (a trace a host
// printed itself) go with the line before them.
bool stamped(const std::string& line) {
  return line.size() > 23 && line[4] == '-' && line[7] == '-' && line[10] == ' ' && line[13] == ':' && line[19] == '.';
}

std::vector<std::string> readNew(Source& source) {
  std::vector<std::string> lines;
  std::ifstream in(source.path);
  if (!in) return lines;
  in.seekg(0, std::ios::end);
  if (in.tellg() < source.offset) source.offset = 0;  // replaced
  in.seekg(source.offset);
  std::string line;
  while (std::getline(in, line)) {
    if (in.eof()) break;  // a line still being written
    source.offset = in.tellg();
    if (!stamped(line) && !lines.empty())
      lines.back() += "\n" + line;
    else
      lines.push_back(line);
  }
  return lines;
}

void printMerged(std::vector<Source>& sources, bool debug) {
  std::vector<std::string> all;
  for (auto& s : sources)
    for (auto& l : readNew(s))
      if (debug || l.find(" <Debug> ") == std::string::npos) all.push_back(std::move(l));
  // The timestamp leads each line, so text order is time order.
  std::stable_sort(all.begin(), all.end(),
                   [](const std::string& a, const std::string& b) { return a.compare(0, 23, b, 0, 23) < 0; });
  for (const auto& l : all) std::cout << l << "\n";
  std::cout.flush();
}

}  // namespace

int showLog(const Device& device, bool follow, bool debug) {
  fs::path folder = device.root() / "var/log";
  if (!fs::is_directory(folder))
    throw CommandError("no logs under " + folder.string() + "; start the device with `corvallo up`");
  std::vector<Source> sources;
  for (const char* name : {"SpringBoard.log", "Preferences.log", "supervisor.log"}) sources.push_back({folder / name});
  printMerged(sources, debug);
  while (follow) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    printMerged(sources, debug);
  }
  return 0;
}

}  // namespace device
