#include "foundation/Log.h"
#include "foundation/LogRotation.h"

#include <errno.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

os_log_s _os_log_default = {"", ""};

namespace foundation {

namespace detail {
constinit std::atomic<int> logLevels{0};

int loadLogLevels() {
  const char* env = std::getenv("CORVALLO_LOG_DEBUG");
  bool debug = env && std::strcmp(env, "1") == 0;
  int levels = kLevelsKnown | kInfoOn | (debug ? kDebugOn : 0);
  logLevels.store(levels, std::memory_order_relaxed);
  return levels;
}
}  // namespace detail

struct LogCapture::State {
  bool echo;
  std::vector<LogRecord> records;
};

namespace {

std::mutex& logMutex() {
  static std::mutex m;
  return m;
}
// Guarded by logMutex().
std::vector<LogCapture::State*>& captures() {
  static std::vector<LogCapture::State*> list;
  return list;
}
std::string& processNameStorage() {
  static std::string name = program_invocation_short_name ? program_invocation_short_name : "process";
  return name;
}

std::string timestamp(bool micros) {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  char buf[64];
  std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  if (micros)
    std::snprintf(buf + n, sizeof buf - n, ".%06ld", ts.tv_nsec / 1000);
  else
    std::snprintf(buf + n, sizeof buf - n, ".%03ld", ts.tv_nsec / 1000000);
  return buf;
}

std::string prefix(bool micros) {
  std::string p = timestamp(micros);
  p += ' ';
  {
    std::lock_guard g(logMutex());
    p += processNameStorage();
  }
  p += '[' + std::to_string(::getpid()) + ':' + std::to_string(static_cast<long>(::syscall(SYS_gettid))) + "] ";
  return p;
}

void writeAll(const std::string& line) {
  auto rotationLock = detail::rotateStandardErrorIfFull(line.size());
  for (std::size_t done = 0; done < line.size();) {
    ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

void deliver(LogRecord record) {
  bool toStderr = true;
  {
    std::lock_guard g(logMutex());
    auto& list = captures();
    if (!list.empty()) {
      toStderr = false;
      for (auto* c : list) {
        toStderr |= c->echo;
        c->records.push_back(record);
      }
    }
  }
  if (toStderr) writeAll(record.line + '\n');
}

const char* typeName(os_log_type_t type) {
  switch (type) {
    case OS_LOG_TYPE_INFO:
      return "<Info>";
    case OS_LOG_TYPE_DEBUG:
      return "<Debug>";
    case OS_LOG_TYPE_ERROR:
      return "<Error>";
    case OS_LOG_TYPE_FAULT:
      return "<Fault>";
    default:
      return "<Notice>";
  }
}

}  // namespace

namespace detail {

void emitNSLog(std::string message) {
  LogRecord r{LogRecord::Source::NSLog, OS_LOG_TYPE_DEFAULT, {}, {}, std::move(message), {}};
  r.line = prefix(false) + r.message;
  // A message that ends its own line gets no second newline.
  if (!r.line.empty() && r.line.back() == '\n') r.line.pop_back();
  deliver(std::move(r));
}

void emitOSLog(os_log_t log, os_log_type_t type, std::string message) {
  if (!log) log = OS_LOG_DEFAULT;
  LogRecord r{LogRecord::Source::OSLog, type, log->subsystem ? log->subsystem : "", log->category ? log->category : "",
              std::move(message),       {}};
  r.line = prefix(true) + typeName(type) + ' ';
  if (!r.subsystem.empty()) r.line += '[' + r.subsystem + ':' + r.category + "] ";
  r.line += r.message;
  deliver(std::move(r));
}

}  // namespace detail

void setProcessName(std::string name) {
  std::lock_guard g(logMutex());
  processNameStorage() = std::move(name);
}

std::string processName() {
  std::lock_guard g(logMutex());
  return processNameStorage();
}

void setLogTypeEnabled(os_log_type_t type, bool enabled) {
  int bit = type == OS_LOG_TYPE_DEBUG ? detail::kDebugOn : (type == OS_LOG_TYPE_INFO ? detail::kInfoOn : 0);
  if (!bit) return;  // the other levels are always on
  int levels = detail::logLevels.load(std::memory_order_relaxed);
  if (!levels) levels = detail::loadLogLevels();
  detail::logLevels.store(enabled ? (levels | bit) : (levels & ~bit), std::memory_order_relaxed);
}

void resetLogTypesFromEnvironment() { detail::loadLogLevels(); }

LogCapture::LogCapture(bool echo) : state_(std::make_unique<State>(State{echo, {}})) {
  std::lock_guard g(logMutex());
  captures().push_back(state_.get());
}

LogCapture::~LogCapture() {
  std::lock_guard g(logMutex());
  std::erase(captures(), state_.get());
}

std::vector<LogRecord> LogCapture::records() const {
  std::lock_guard g(logMutex());
  return state_->records;
}

std::vector<std::string> LogCapture::messages(LogRecord::Source source) const {
  std::lock_guard g(logMutex());
  std::vector<std::string> out;
  for (const auto& r : state_->records)
    if (r.source == source) out.push_back(r.message);
  return out;
}

void LogCapture::clear() {
  std::lock_guard g(logMutex());
  state_->records.clear();
}

}  // namespace foundation

os_log_t os_log_create(const char* subsystem, const char* category) {
  static std::mutex m;
  static std::map<std::pair<std::string, std::string>, std::unique_ptr<os_log_s>> logs;
  static std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> names;
  std::pair<std::string, std::string> key{subsystem ? subsystem : "", category ? category : ""};
  std::lock_guard g(m);
  auto& slot = logs[key];
  if (!slot) {
    auto& stored = names[key] = key;
    slot = std::make_unique<os_log_s>(os_log_s{stored.first.c_str(), stored.second.c_str()});
  }
  return slot.get();
}
