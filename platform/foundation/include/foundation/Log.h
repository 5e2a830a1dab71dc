// NSLog and the unified log.
//
//   NSLog("[DEBUG] rgbHexStringValue: %@", text);
//   if (os_log_type_enabled(OS_LOG_DEFAULT, OS_LOG_TYPE_DEBUG))
//     os_log_debug(OS_LOG_DEFAULT, "[%{public}s:%{public}d] %{public}@", "Tweak", 721, result);
//
// Every line is written to stderr with one write, so lines of concurrent
// threads and processes never interleave. Debug messages are off unless
// CORVALLO_LOG_DEBUG=1 is set or a test turns them on; the other levels are
// always on. os_log_type_enabled costs one relaxed atomic load.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Format.h"

enum os_log_type_t : std::uint8_t {
  OS_LOG_TYPE_DEFAULT = 0x00,
  OS_LOG_TYPE_INFO = 0x01,
  OS_LOG_TYPE_DEBUG = 0x02,
  OS_LOG_TYPE_ERROR = 0x10,
  OS_LOG_TYPE_FAULT = 0x11,
};

struct os_log_s {
  const char* subsystem;
  const char* category;
};
using os_log_t = os_log_s*;

extern os_log_s _os_log_default;
#define OS_LOG_DEFAULT (&_os_log_default)

// Logs live for the whole process; asking twice for one gives the same log.
os_log_t os_log_create(const char* subsystem, const char* category);

namespace foundation {

namespace detail {
inline constexpr int kLevelsKnown = 1, kInfoOn = 2, kDebugOn = 4;
extern std::atomic<int> logLevels;
int loadLogLevels();
void emitNSLog(std::string message);
void emitOSLog(os_log_t log, os_log_type_t type, std::string message);
}  // namespace detail

// The name NSLog and the unified log print (default: the program's name).
void setProcessName(std::string name);
std::string processName();

// Tests turn levels on and off; resetLogTypesFromEnvironment reads
// CORVALLO_LOG_DEBUG again.
void setLogTypeEnabled(os_log_type_t type, bool enabled);
void resetLogTypesFromEnvironment();

struct LogRecord {
  enum class Source { NSLog, OSLog };
  Source source;
  os_log_type_t type;     // OS_LOG_TYPE_DEFAULT for NSLog
  std::string subsystem;  // empty for NSLog and the default log
  std::string category;
  std::string message;  // the formatted text alone
  std::string line;     // the whole line as written, without the newline
};

// While a capture lives, every NSLog and unified-log line of the process is
// recorded in it, from any thread; stderr gets nothing unless `echo`.
class LogCapture {
 public:
  explicit LogCapture(bool echo = false);
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<LogRecord> records() const;
  // The messages of one source, in order.
  std::vector<std::string> messages(LogRecord::Source source) const;
  std::vector<std::string> nslogMessages() const { return messages(LogRecord::Source::NSLog); }
  std::vector<std::string> oslogMessages() const { return messages(LogRecord::Source::OSLog); }
  void clear();

  struct State;

 private:
  std::unique_ptr<State> state_;
};

template <class... A>
void osLogEmit(os_log_t log, os_log_type_t type, FormatText fmt, const A&... args) {
  detail::emitOSLog(log, type, format(fmt.text, args...));
}

}  // namespace foundation

inline bool os_log_type_enabled(os_log_t, os_log_type_t type) {
  if (type != OS_LOG_TYPE_DEBUG && type != OS_LOG_TYPE_INFO) return true;
  int levels = foundation::detail::logLevels.load(std::memory_order_relaxed);
  if (!levels) levels = foundation::detail::loadLogLevels();
  return levels & (type == OS_LOG_TYPE_DEBUG ? foundation::detail::kDebugOn : foundation::detail::kInfoOn);
}

// One line with a timestamp, the process name and pid: "2026-12-09
// 03:27:06.123 SpringBoard[1234:5678] text".
template <class... A>
void NSLog(foundation::FormatText fmt, const A&... args) {
  foundation::detail::emitNSLog(foundation::format(fmt.text, args...));
}

// As on the device, the arguments are not evaluated when the level is off.
#define os_log_with_type(log, type, fmt, ...)                                                 \
  do {                                                                                        \
    os_log_t corvallo_log_ = (log);                                                           \
    os_log_type_t corvallo_type_ = (type);                                                    \
    if (os_log_type_enabled(corvallo_log_, corvallo_type_))                                   \
      ::foundation::osLogEmit(corvallo_log_, corvallo_type_, fmt __VA_OPT__(, ) __VA_ARGS__); \
  } while (0)
#define os_log(log, fmt, ...) os_log_with_type(log, OS_LOG_TYPE_DEFAULT, fmt __VA_OPT__(, ) __VA_ARGS__)
#define os_log_info(log, fmt, ...) os_log_with_type(log, OS_LOG_TYPE_INFO, fmt __VA_OPT__(, ) __VA_ARGS__)
#define os_log_debug(log, fmt, ...) os_log_with_type(log, OS_LOG_TYPE_DEBUG, fmt __VA_OPT__(, ) __VA_ARGS__)
#define os_log_error(log, fmt, ...) os_log_with_type(log, OS_LOG_TYPE_ERROR, fmt __VA_OPT__(, ) __VA_ARGS__)
#define os_log_fault(log, fmt, ...) os_log_with_type(log, OS_LOG_TYPE_FAULT, fmt __VA_OPT__(, ) __VA_ARGS__)
