// Bringing a device up and down, and the detached supervisor that keeps it
// running between commands.
#pragma once

#include <filesystem>
#include <string>

#include "Device.h"
#include "Install.h"
#include "Supervisor.h"

namespace device {

struct UpOptions {
  std::string package;  // a .deb to install from instead of the build tree
  SupervisorPolicy policy;
  std::chrono::milliseconds timeout{10000};
};

// `corvallo up`: installs, starts a detached supervisor, and returns once both
// hosts answer with the Corvallo page open in Settings. Harmless when running.
int up(const Device& device, const BuildOutput& build, const UpOptions& options);
// `corvallo down`: stops the supervisor and both hosts; returns when none is left.
int down(const Device& device);
// `corvallo status`.
int status(const Device& device, bool asJson);

// The supervisor process itself (`corvallo supervise`, started by `up`):
// runs the hosts and answers on its control socket until asked to stop.
int runSupervisor(const Device& device, const BuildOutput& build, const SupervisorPolicy& policy);

// The policy's fields as command-line flags, shared by `up` and `supervise`.
std::vector<std::string> policyArguments(const SupervisorPolicy& policy);

}  // namespace device
