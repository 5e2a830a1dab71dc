// The hosts of a simulated device and how they are started.
#pragma once

#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "Device.h"
#include "Install.h"
#include "Supervisor.h"

namespace device {

// SpringBoard, and the Settings host when the build has one. Settings opens
// `openEntry` at start when it is not empty.
std::vector<HostLaunch> hostsFor(const BuildOutput& build, const std::string& openEntry = {});
// Starts the hosts and waits for SpringBoard to answer.
bool startHosts(Supervisor& supervisor);
void printInstall(const InstallReport& report, const std::filesystem::path& root);
// SpringBoard's answer to a state request.
nlohmann::json springBoardState(const std::filesystem::path& root);

}  // namespace device
