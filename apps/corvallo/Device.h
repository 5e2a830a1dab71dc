// A running device as the commands reach it: the supervisor and the two hosts,
// each answering on its control socket under the device root.
#pragma once

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace device {

using nlohmann::json;

inline constexpr const char* kSupervisorSocket = "/var/run/corvallo/supervisor.sock";
inline constexpr const char* kSpringBoardSocket = "/var/run/corvallo/springboard.sock";
inline constexpr const char* kSettingsSocket = "/var/run/corvallo/settings.sock";

// A text with each NUL written as "\0": a NUL would end it early wherever it
// is read as a C string, as an exception's what() is.
inline std::string withVisibleNul(std::string text) {
  for (auto at = text.find('\0'); at != std::string::npos; at = text.find('\0', at + 2)) text.replace(at, 1, "\\0");
  return text;
}

// What a command reports to its user as one line on stderr before a non-zero
// exit. Its text may come from a host's answer, and is kept whole.
class CommandError : public std::runtime_error {
 public:
  explicit CommandError(const std::string& text) : std::runtime_error(withVisibleNul(text)) {}
};

class Device {
 public:
  // `rootAsGiven`: the --root a person typed, empty when none was; hints repeat it.
  explicit Device(std::filesystem::path root, std::string rootAsGiven = {})
      : root_(std::move(root)), rootAsGiven_(std::move(rootAsGiven)) {}
  const std::filesystem::path& root() const { return root_; }
  // Whether a person named the root with --root.
  bool rootGiven() const { return !rootAsGiven_.empty(); }
  std::string hostPath(const char* devicePath) const;

  // Whether a supervisor answers for this root. Throws a CommandError saying
  // "permission denied" when the root is another user's: that is never "not running".
  bool running() const;
  // Throws a CommandError saying how to start one when none runs.
  void requireRunning() const;

  // One request each; a refusal or a silence becomes a CommandError naming the host.
  json supervisor(const json& request, std::chrono::milliseconds timeout = std::chrono::seconds(2)) const;
  json springBoard(const json& request, std::chrono::milliseconds timeout = std::chrono::seconds(2)) const;
  json settings(const json& request, std::chrono::milliseconds timeout = std::chrono::seconds(2)) const;

 private:
  json ask(const char* host, const char* socket, const json& request, std::chrono::milliseconds timeout) const;
  std::filesystem::path root_;
  std::string rootAsGiven_;
};

// Whether the process is gone (a zombie nobody has reaped yet counts as gone).
bool processGone(int pid);

}  // namespace device
