// The hosts of a simulated device and how the commands reach them.
#pragma once

#include <filesystem>
#include <vector>

#include <nlohmann/json.hpp>

#include "Install.h"
#include "Supervisor.h"

namespace device {

inline constexpr const char* kSpringBoardSocket = "/var/run/corvallo/springboard.sock";
inline constexpr const char* kSettingsSocket = "/var/run/corvallo/settings.sock";

// SpringBoard, and the Settings host when the build has one.
std::vector<HostSpec> hostsFor(const BuildOutput& build);
// Starts the hosts and waits for SpringBoard to answer.
bool startHosts(Supervisor& supervisor);
void printInstall(const InstallReport& report, const std::filesystem::path& root);
// SpringBoard's answer to a state request.
nlohmann::json springBoardState(const std::filesystem::path& root);

}  // namespace device
