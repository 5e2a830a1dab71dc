// Watching the device: Darwin notifications as notifyutil shows them, and the
// hosts' logs in time order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Device.h"

namespace device {

int notifyPost(const std::string& name);
// Prints "HH:MM:SS.mmm [n] NAME" per post; returns after `count` posts (0: never).
int notifyWatch(const std::string& name, int count);
// The processes listening for posts on the device: pid and name (as JSON with
// `asJson`). The names each observes are not known outside it, and it says so.
int notifyList(const Device& device, bool asJson);

// The lowest type a line may have to be shown: default leaves out info and
// debug lines, info leaves out debug lines.
enum class LogLevel { normal, info, debug };

struct LogOptions {
  bool follow = false;
  LogLevel level = LogLevel::info;
  std::vector<std::string> processes;  // springboard, settings, supervisor; all when empty
  int last = -1;                       // all lines when negative
  std::string style = "default";       // or "json"
};

// The chosen processes' lines, merged by time. With `follow`, keeps printing
// new lines, after the last `last` ones (none when `last` is negative).
int showLog(const Device& device, const LogOptions& options);

// The same lines for a follower of its own (the live page): the last
// `backlog` lines first, then what is new at each call, every level.
struct LogTail;
std::shared_ptr<LogTail> tailLogs(const Device& device, std::size_t backlog);
std::vector<std::string> newLogLines(LogTail& tail);

}  // namespace device
