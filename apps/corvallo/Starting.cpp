#include "Starting.h"

#include <unistd.h>

#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace device {

namespace {

constexpr const char* kMarkerPrefix = "up.";
constexpr const char* kRequestSuffix = ".stop";

fs::path folder(const Device& device) { return device.root() / "var/run/corvallo"; }

fs::path markerOf(const Device& device, pid_t pid) { return folder(device) / (kMarkerPrefix + std::to_string(pid)); }

fs::path requestOf(const fs::path& marker) {
  fs::path request = marker;
  request += kRequestSuffix;
  return request;
}

std::string programOf(pid_t pid) {
  std::error_code ec;
  std::string exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
  // A program rebuilt while it runs reads as "<path> (deleted)".
  constexpr std::string_view kDeleted = " (deleted)";
  if (exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
  return exe;
}

// A marker whose process is gone, or whose number a process other than this
// program now carries, was left by an `up` that ended without cleaning up.
bool startingUp(pid_t pid) { return !processGone(pid) && programOf(pid) == programOf(::getpid()); }

}  // namespace

StartingMarker::StartingMarker(const Device& device)
    : marker_(markerOf(device, ::getpid())), request_(requestOf(marker_)) {
  std::error_code ec;
  fs::create_directories(marker_.parent_path(), ec);
  fs::remove(request_, ec);
  std::ofstream(marker_) << ::getpid() << "\n";
  if (!fs::exists(marker_)) throw CommandError("cannot write " + marker_.string());
}

StartingMarker::~StartingMarker() {
  std::error_code ec;
  fs::remove(marker_, ec);
  fs::remove(request_, ec);
}

bool StartingMarker::stopRequested() const {
  std::error_code ec;
  return fs::exists(request_, ec);
}

std::vector<pid_t> stopStartingUps(const Device& device, std::chrono::milliseconds timeout) {
  std::vector<std::pair<pid_t, fs::path>> starting;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder(device), ec)) {
    std::string name = entry.path().filename().string();
    if (!name.starts_with(kMarkerPrefix) || name.ends_with(kRequestSuffix)) continue;
    pid_t pid = 0;
    try {
      pid = static_cast<pid_t>(std::stol(name.substr(std::string_view(kMarkerPrefix).size())));
    } catch (const std::exception&) {
      continue;
    }
    if (pid == ::getpid()) continue;
    if (!startingUp(pid)) {
      fs::remove(entry.path(), ec);
      fs::remove(requestOf(entry.path()), ec);
      continue;
    }
    std::ofstream(requestOf(entry.path())) << ::getpid() << "\n";
    starting.emplace_back(pid, entry.path());
  }
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::vector<pid_t> stopped;
  for (const auto& [pid, marker] : starting) {
    while (!processGone(pid)) {
      if (std::chrono::steady_clock::now() > deadline)
        throw CommandError("`up` (pid " + std::to_string(pid) + ") did not stop in time");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    fs::remove(requestOf(marker), ec);
    stopped.push_back(pid);
  }
  return stopped;
}

}  // namespace device
