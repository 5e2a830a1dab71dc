// How posts travel. Every observing process listens on one seqpacket socket
// in the device's notification folder. A posting process keeps a connection
// to each of them and sends every post down each connection without
// blocking. A counter file in the folder, bumped by each new listener, tells
// posters when to look at the folder again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Result.h"
#include "foundation/UniqueFd.h"

namespace notify::detail {

void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool isValidName(std::string_view name) noexcept;

// First byte of every message, so stray traffic is told apart.
inline constexpr unsigned char kWireVersion = 1;

// One post on the wire: the version byte, then the name. `packet` holds
// 1 + kMaxNameLength bytes; the answer is how many of them are used.
std::size_t encodePost(std::string_view name, char* packet) noexcept;
// The valid name a message carries, or nothing for stray or malformed traffic.
std::optional<std::string_view> decodePost(std::string_view message) noexcept;

// "<device root>/var/run/notify", or why the device root cannot be determined.
// Valid until this thread's next call.
const foundation::Result<std::string>& notifyFolder();

// Sends a post of `name` to every listener in the folder, without blocking;
// listeners whose process has gone are removed.
std::uint32_t broadcast(std::string_view name) noexcept;

struct Listener {
  foundation::UniqueFd fd;  // non-blocking
  std::string path;
};

// Opens this process's listener and announces it.
foundation::Result<Listener> openListener();

}  // namespace notify::detail
