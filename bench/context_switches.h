// Context switches of every thread of a process, read from /proc: how many
// times its threads went to sleep (voluntary) or were put aside (involuntary).
// A path that wakes exactly one sleeping thread per event adds one per event.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

struct Switches {
  long voluntary = 0, involuntary = 0;
};

inline Switches contextSwitches(pid_t pid) {
  Switches total;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream status(task.path() / "status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total.voluntary += std::stol(line.substr(line.find(':') + 1));
      if (line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
        total.involuntary += std::stol(line.substr(line.find(':') + 1));
    }
  }
  return total;
}

}  // namespace bench
