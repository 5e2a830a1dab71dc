#include "Observe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <vector>

#include "Verb.h"
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
  // When it came, to the millisecond, then notifyutil's "[n] name".
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm tm{};
  ::localtime_r(&now.tv_sec, &tm);
  char at[32];
  std::size_t n = std::strftime(at, sizeof at, "%H:%M:%S", &tm);
  std::snprintf(at + n, sizeof at - n, ".%03ld", now.tv_nsec / 1000000);
  std::cout << at << " [" << ++w->seen << "] " << name << std::endl;
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

bool shown(const std::string& line, LogLevel level) {
  if (level != LogLevel::debug && line.find(" <Debug> ") != std::string::npos) return false;
  if (level == LogLevel::normal && line.find(" <Info> ") != std::string::npos) return false;
  return true;
}

void keep(std::vector<std::string>& all, std::vector<std::string> lines, LogLevel level) {
  for (auto& l : lines)
    if (shown(l, level)) all.push_back(std::move(l));
}

// "2026-12-09 03:27:06.123 SpringBoard[12:12] <Info> [sub:cat] text" as one JSON object.
json lineJson(const std::string& line) {
  json out{{"timestamp", line.substr(0, line.find(' ', 11))}};
  std::size_t at = line.find(' ', 11) + 1;
  std::size_t open = line.find('[', at), close = line.find("] ", at);
  if (open == std::string::npos || close == std::string::npos) {
    out["message"] = line.substr(at);
    return out;
  }
  out["process"] = line.substr(at, open - at);
  std::string ids = line.substr(open + 1, close - open - 1);
  out["pid"] = std::atoi(ids.c_str());
  at = close + 2;
  out["type"] = "Default";
  if (line.compare(at, 1, "<") == 0) {
    std::size_t end = line.find("> ", at);
    if (end != std::string::npos) {
      out["type"] = line.substr(at + 1, end - at - 1);
      at = end + 2;
    }
  }
  out["message"] = line.substr(at);
  return out;
}

void print(const std::vector<std::string>& lines, const LogOptions& o) {
  for (const auto& l : lines) {
    if (o.style == "json")
      std::cout << lineJson(l).dump() << "\n";
    else
      std::cout << l << "\n";
  }
  std::cout.flush();
}

std::vector<std::string> merged(std::vector<Source>& sources, LogLevel level, bool withRotated) {
  std::vector<std::string> all;
  for (auto& s : sources) {
    if (withRotated) keep(all, readRotated(s.path), level);
    keep(all, readNew(s), level);
  }
  // The timestamp leads each line, so text order is time order.
  std::stable_sort(all.begin(), all.end(),
                   [](const std::string& a, const std::string& b) { return a.compare(0, 23, b, 0, 23) < 0; });
  return all;
}

}  // namespace

int showLog(const Device& device, const LogOptions& o) {
  fs::path folder = device.root() / "var/log";
  if (!fs::is_directory(folder))
    throw CommandError("no logs under " + folder.string() + "; start the device with `corvallo up`");
  std::vector<Source> sources;
  auto wanted = [&](const char* process) {
    return o.processes.empty() || std::find(o.processes.begin(), o.processes.end(), process) != o.processes.end();
  };
  if (wanted("springboard")) sources.push_back({folder / "SpringBoard.log", {}});
  if (wanted("settings")) sources.push_back({folder / "Preferences.log", {}});
  if (wanted("supervisor")) sources.push_back({folder / "supervisor.log", {}});
  std::vector<std::string> past = merged(sources, o.level, true);
  // Following starts at the end, as `tail -f` does, unless some past lines are asked for.
  std::size_t from = 0;
  if (o.last >= 0)
    from = past.size() > static_cast<std::size_t>(o.last) ? past.size() - o.last : 0;
  else if (o.follow)
    from = past.size();
  print({past.begin() + static_cast<long>(from), past.end()}, o);
  while (o.follow) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    print(merged(sources, o.level, false), o);
  }
  return 0;
}

namespace {

struct NotifyOptions {
  std::string name;
  int count = 0;
  bool asJson = false;
};

}  // namespace

std::vector<Verb> observeVerbs() {
  Verb notify{"notify", "post or watch Darwin notifications, or list who listens", {}, {}};
  notify.verbs = {
      verb<NotifyOptions>(
          "post", "post NAME",
          [](CLI::App& cmd, NotifyOptions& o) { cmd.add_option("NAME", o.name, "notification name")->required(); },
          [](const Invocation&, const NotifyOptions& o) { return notifyPost(o.name); }),
      verb<NotifyOptions>(
          "watch", "print each post of NAME",
          [](CLI::App& cmd, NotifyOptions& o) {
            cmd.add_option("NAME", o.name, "notification name")->required();
            cmd.add_option("--count", o.count, "stop after this many posts")->check(CLI::PositiveNumber);
          },
          [](const Invocation&, const NotifyOptions& o) { return notifyWatch(o.name, o.count); }),
      verb<NotifyOptions>(
          "list", "the processes listening for posts",
          [](CLI::App& cmd, NotifyOptions& o) { cmd.add_flag("--json", o.asJson, "as JSON"); },
          [](const Invocation& in, const NotifyOptions& o) { return notifyList(in.device, o.asJson); }),
  };
  return {
      std::move(notify),
      verb<LogOptions>(
          "log", "the hosts' and the supervisor's log lines in time order",
          [](CLI::App& cmd, LogOptions& o) {
            cmd.add_flag("--follow,-f", o.follow, "keep printing new lines (from the end, unless --last is given)");
            cmd.add_flag_callback("--debug", [&o] { o.level = LogLevel::debug; }, "the same as --level debug");
            cmd.add_option_function<std::string>(
                   "--level",
                   [&o](const std::string& l) {
                     o.level = l == "debug" ? LogLevel::debug : l == "info" ? LogLevel::info : LogLevel::normal;
                   },
                   "default, info (the default here) or debug: the lowest type shown")
                ->check(CLI::IsMember({"default", "info", "debug"}));
            cmd.add_option("--process", o.processes, "springboard, settings or supervisor (repeatable)")
                ->check(CLI::IsMember({"springboard", "settings", "supervisor"}));
            cmd.add_option("--last", o.last, "only the last N lines")->check(CLI::NonNegativeNumber);
            cmd.add_option("--style", o.style, "default or json (one object per line)")
                ->check(CLI::IsMember({"default", "json"}));
          },
          [](const Invocation& in, const LogOptions& o) { return showLog(in.device, o); }),
  };

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
  for (auto& s : tail.sources) keep(all, readNew(s), LogLevel::debug);  // the page filters
  std::stable_sort(all.begin(), all.end(),
                   [](const std::string& a, const std::string& b) { return a.compare(0, 23, b, 0, 23) < 0; });
  return all;
}

}  // namespace device
