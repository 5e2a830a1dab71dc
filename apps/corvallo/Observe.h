// Watching the device: Darwin notifications as notifyutil shows them, and the
// hosts' logs in time order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Device.h"

namespace device {

int notifyPost(const std::string& name);
// Prints "[n] NAME" per post; returns after `count` posts (0: never).
int notifyWatch(const std::string& name, int count);

// Both hosts' and the supervisor's lines, merged by time; debug-level lines
// only with `debug`. With `follow`, keeps printing new lines.
int showLog(const Device& device, bool follow, bool debug);

// The same lines for a follower of its own (the live page): the last
// `backlog` lines first, then what is new at each call, every level.
struct LogTail;
std::shared_ptr<LogTail> tailLogs(const Device& device, std::size_t backlog);
std::vector<std::string> newLogLines(LogTail& tail);

}  // namespace device
