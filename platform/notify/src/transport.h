// How posts travel: every observing process owns one datagram socket in the
// device's notification folder; a post is sent to each of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace notify::detail {

void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool isValidName(std::string_view name) noexcept;

// First byte of every datagram, so stray traffic is told apart.
inline constexpr unsigned char kWireVersion = 1;

// "<device root>/var/run/notify". False, with a reason, when the device root
// cannot be determined.
bool notifyFolder(std::string& folder, std::string& error);

// Sends a post of `name` to every endpoint in the folder, without blocking;
// endpoints whose process has gone are removed.
std::uint32_t broadcast(std::string_view name) noexcept;

// The observing end of this process: a bound, blocking datagram socket.
struct Endpoint {
  int fd = -1;
  std::string path;
};
bool openEndpoint(Endpoint& endpoint, std::string& error);

}  // namespace notify::detail
