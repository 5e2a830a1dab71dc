// A value or the reason there is none, for operations whose failure the
// caller must look at (a file that does not parse, a write that failed).
//
// How foundation and notify report failure:
// - what can fail returns a Result (or Status), never an out-parameter;
// - where the platform's own API returns nothing (setPersistentDomain:forName:,
//   notify_post's callers, CFNotificationCenterAddObserver), the failure is
//   one log line and the call does nothing;
// - exceptions only for misuse of the runtime and for NSException (a nil
//   element, an index past the end), as on the device.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace foundation {

struct Error {
  std::string message;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Error error) : error_(std::move(error.message)) {}

  bool ok() const noexcept { return value_.has_value(); }
  explicit operator bool() const noexcept { return ok(); }
  // Only when ok().
  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }
  // Empty when ok().
  const std::string& error() const noexcept { return error_; }

 private:
  std::optional<T> value_;
  std::string error_;
};

// For operations with nothing to give back but success.
struct Done {};
using Status = Result<Done>;

}  // namespace foundation
