#include "Observe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <thread>
#include <vector>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/LogRotation.h"
#include "foundation/UniqueFd.h"
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

// One host's log, followed across rotations: the file being read is held
// open, so the lines written to it before it was moved aside are read to the
// end before the new file is started.
struct Source {
  fs::path path;
  foundation::UniqueFd fd;
  struct stat held {};
  std::string pending;  // a line still being written
};

// Lines start with "2026-12-09 03:27:06.123 "; lines without (a trace a host
// printed itself) go with the line before them.
bool stamped(const std::string& line) {
  return line.size() > 23 && line[4] == '-' && line[7] == '-' && line[10] == ' ' && line[13] == ':' && line[19] == '.';
}

void add(std::vector<std::string>& lines, std::string line) {
  if (!stamped(line) && !lines.empty())
    lines.back() += "\n" + line;
  else
    lines.push_back(std::move(line));
}

// Every whole line from where the descriptor stands.
void readLines(int fd, std::string& pending, std::vector<std::string>& lines) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(n));
  }
  std::size_t start = 0;
  for (std::size_t nl; (nl = pending.find('\n', start)) != std::string::npos; start = nl + 1)
    add(lines, pending.substr(start, nl - start));
  pending.erase(0, start);
}

std::vector<std::string> readNew(Source& source) {
  std::vector<std::string> lines;
  if (source.fd) readLines(source.fd.get(), source.pending, lines);
  struct stat now;
  if (::stat(source.path.c_str(), &now) != 0) return lines;
  if (source.fd && now.st_ino == source.held.st_ino && now.st_dev == source.held.st_dev) {
    // The same file made shorter (emptied by hand): read it again from its start.
    if (::lseek(source.fd.get(), 0, SEEK_CUR) > now.st_size) {
      ::lseek(source.fd.get(), 0, SEEK_SET);
      source.pending.clear();
    }
    return lines;
  }
  // Moved aside (or never opened): what the old file ended with is whole by now.
  if (!source.pending.empty()) add(lines, std::exchange(source.pending, {}));
  source.fd.reset(::open(source.path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.fd || ::fstat(source.fd.get(), &source.held) != 0) {
    source.fd.reset();
    return lines;
  }
  readLines(source.fd.get(), source.pending, lines);
  return lines;
}

// The generations a rotation kept, oldest first.
std::vector<std::string> readRotated(const fs::path& log) {
  std::vector<std::string> lines;
  for (int n = foundation::kLogGenerations; n >= 1; --n) {
    foundation::UniqueFd fd(::open(foundation::logGeneration(log, n).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) continue;
    std::string pending;
    readLines(fd.get(), pending, lines);
    if (!pending.empty()) add(lines, pending);
  }
  return lines;
}

void keep(std::vector<std::string>& all, std::vector<std::string> lines, bool debug) {
  for (auto& l : lines)
    if (debug || l.find(" <Debug> ") == std::string::npos) all.push_back(std::move(l));
}

void printMerged(std::vector<Source>& sources, bool debug, bool withRotated) {
  std::vector<std::string> all;
  for (auto& s : sources) {
    if (withRotated) keep(all, readRotated(s.path), debug);
    keep(all, readNew(s), debug);
  }
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
  for (const char* name : {"SpringBoard.log", "Preferences.log", "supervisor.log"})
    sources.push_back({folder / name, {}});
  printMerged(sources, debug, true);
  while (follow) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    printMerged(sources, debug, false);
  }
  return 0;
}

struct LogTail {
  std::vector<Source> sources;
  std::vector<std::string> backlog;
};

std::shared_ptr<LogTail> tailLogs(const Device& device, std::size_t backlog) {
  auto tail = std::make_shared<LogTail>();
  fs::path folder = device.root() / "var/log";
  for (const char* name : {"SpringBoard.log", "Preferences.log", "supervisor.log"})
    tail->sources.push_back({folder / name, {}});
  tail->backlog = newLogLines(*tail);
  if (tail->backlog.size() > backlog)
    tail->backlog.erase(tail->backlog.begin(), tail->backlog.end() - static_cast<long>(backlog));
  return tail;
}

std::vector<std::string> newLogLines(LogTail& tail) {
  std::vector<std::string> all = std::exchange(tail.backlog, {});
  for (auto& s : tail.sources) keep(all, readNew(s), true);
  std::stable_sort(all.begin(), all.end(),
                   [](const std::string& a, const std::string& b) { return a.compare(0, 23, b, 0, 23) < 0; });
  return all;
}

}  // namespace device
