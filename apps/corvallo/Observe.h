// Watching the device: Darwin notifications as notifyutil shows them, and the
// hosts' logs in time order.
#pragma once

#include <string>

#include "Device.h"

namespace device {

int notifyPost(const std::string& name);
// Prints "[n] NAME" per post; returns after `count` posts (0: never).
int notifyWatch(const std::string& name, int count);

// Both hosts' and the supervisor's lines, merged by time; debug-level lines
// only with `debug`. With `follow`, keeps printing new lines.
int showLog(const Device& device, bool follow, bool debug);

}  // namespace device
