#include "Device.h"

#include <signal.h>

#include <cerrno>
#include <fstream>

#include "control/ControlClient.h"

namespace fs = std::filesystem;

namespace device {

std::string Device::hostPath(const char* devicePath) const {
  return (root_ / fs::path(devicePath).relative_path()).string();
}

namespace {

// A word as a shell reads it back: quoted when it holds anything but plain characters.
std::string shellWord(const std::string& word) {
  if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+=:,@%") ==
                           std::string::npos)
    return word;
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CommandError permissionDenied(const fs::path& root) {
  return CommandError("permission denied: the device under " + root.string() + " is another user's");
}

}  // namespace

bool Device::running() const {
  control::Reach reach = control::reach(hostPath(kSupervisorSocket));
  if (reach == control::Reach::denied) throw permissionDenied(root_);
  return reach == control::Reach::listening;
}

void Device::requireRunning() const {
  if (!running())
    throw CommandError("no device is running under " + root_.string() + "; start one with `corvallo " +
                       (rootAsGiven_.empty() ? std::string() : "--root " + shellWord(rootAsGiven_) + " ") + "up`");
}

json Device::ask(const char* host, const char* socket, const json& request, std::chrono::milliseconds timeout) const {
  std::string path = hostPath(socket);
  if (!control::isListening(path)) {
    requireRunning();
    throw CommandError(std::string(host) + " is not answering (it may be restarting); try again");
  }
  json answer;
  try {
    control::Client client(path, timeout);
    answer = client.request(request, timeout);
  } catch (const control::PermissionDenied&) {
    throw permissionDenied(root_);
  } catch (const std::exception&) {
    throw CommandError(std::string(host) + " did not answer within " + std::to_string(timeout.count()) + " ms");
  }
  if (!answer.value("ok", false)) throw CommandError(std::string(host) + ": " + answer.value("error", "refused"));
  return answer;
}

json Device::supervisor(const json& request, std::chrono::milliseconds timeout) const {
  requireRunning();
  return ask("the supervisor", kSupervisorSocket, request, timeout);
}

json Device::springBoard(const json& request, std::chrono::milliseconds timeout) const {
  return ask("SpringBoard", kSpringBoardSocket, request, timeout);
}

json Device::settings(const json& request, std::chrono::milliseconds timeout) const {
  return ask("Settings", kSettingsSocket, request, timeout);
}

bool processGone(int pid) {
  if (pid <= 0) return true;
  if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

}  // namespace device
