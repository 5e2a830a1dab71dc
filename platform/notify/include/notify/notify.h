// Darwin-style notifications: system-wide, named, without payload.
//
// A post reaches every process of the device that observes the name, later
// and on its own; the poster never waits for an observer. Observing is done
// through the Darwin centre (notify/CFNotificationCenter.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr std::uint32_t NOTIFY_STATUS_OK = 0;
inline constexpr std::uint32_t NOTIFY_STATUS_INVALID_NAME = 1;
inline constexpr std::uint32_t NOTIFY_STATUS_INVALID_TOKEN = 2;
inline constexpr std::uint32_t NOTIFY_STATUS_INVALID_PORT = 3;
inline constexpr std::uint32_t NOTIFY_STATUS_INVALID_FILE = 4;
inline constexpr std::uint32_t NOTIFY_STATUS_INVALID_SIGNAL = 5;
inline constexpr std::uint32_t NOTIFY_STATUS_INVALID_REQUEST = 6;
inline constexpr std::uint32_t NOTIFY_STATUS_NOT_AUTHORIZED = 7;
inline constexpr std::uint32_t NOTIFY_STATUS_FAILED = 1000000;

// Posts `name` to every observing process. INVALID_NAME for a name that is
// absent, empty, longer than 512 bytes or not UTF-8; FAILED (with a line on
// stderr) when the device's notification folder cannot be read. A post that
// reaches no one is OK.
std::uint32_t notify_post(const char* name) noexcept;

namespace notify {

inline constexpr std::size_t kMaxNameLength = 512;

// The rule notify_post applies: 1 to 512 bytes of well-formed UTF-8.
bool isValidName(const char* name) noexcept;
// The same for a name that is not yet a C string: one holding a NUL is not
// valid, since notify_post would see only the part before it.
bool isValidName(std::string_view name) noexcept;

// How many well-formed posts this process's endpoint has taken in so far,
// delivered or not. For diagnostics and tests.
std::uint64_t receivedPostCount() noexcept;

}  // namespace notify
