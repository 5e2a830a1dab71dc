// Log files kept to a size. A process whose standard error is a "*.log" file
// moves that file aside when the next line would take it past the limit:
// "X.log" becomes "X.log.1", the previous ".1" becomes ".2" and so on up to
// the oldest kept, and the process goes on writing to a new "X.log". The
// writer rotates between two of its own lines, so no line is cut or lost.
//
// The limit is CORVALLO_LOG_ROTATE_BYTES, read at the first line; unset or 0
// keeps files growing (a process run by hand, a test capturing its output).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>

namespace foundation {

inline constexpr const char* kLogRotateBytesVariable = "CORVALLO_LOG_ROTATE_BYTES";
// What the device's supervisor gives its processes when nothing else is set.
inline constexpr std::uint64_t kDefaultLogRotateBytes = 1 << 20;
// Generations kept beside the current file: ".1" (the newest) to ".3".
inline constexpr int kLogGenerations = 3;

// "<log>.<n>"
std::filesystem::path logGeneration(const std::filesystem::path& log, int n);

// Reads CORVALLO_LOG_ROTATE_BYTES again (for tests).
void resetLogRotationFromEnvironment();

namespace detail {
// Taken before each line is written to standard error and held while it is
// written, so that no file grows past the limit. Holds nothing when files
// are not rotated.
std::unique_lock<std::mutex> rotateStandardErrorIfFull(std::size_t incomingBytes);
}  // namespace detail

}  // namespace foundation
