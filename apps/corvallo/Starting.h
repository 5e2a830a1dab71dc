// How `up` and `down` meet while a device is starting: each starting `up`
// leaves a marker under the device root before it does anything else, and a
// `down` that finds one asks that `up` to stop what it started and waits for
// it, so a device is never left running behind a `down`.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "Device.h"

namespace device {

// The marker of this process's `up`; removed when it goes out of scope.
class StartingMarker {
 public:
  explicit StartingMarker(const Device& device);
  ~StartingMarker();
  StartingMarker(const StartingMarker&) = delete;
  StartingMarker& operator=(const StartingMarker&) = delete;

  // Whether a `down` has asked this `up` to stop.
  bool stopRequested() const;

 private:
  std::filesystem::path marker_, request_;
};

// Asks every other `up` still starting the device to stop and waits until
// each has returned; answers the process ids of those that were starting.
// Throws a CommandError when one has not returned by `timeout`.
std::vector<pid_t> stopStartingUps(const Device& device, std::chrono::milliseconds timeout);

}  // namespace device
