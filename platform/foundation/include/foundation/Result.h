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

#include <cstdio>
#include <cstdlib>
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
  // Only when ok(); a debug build stops with the error's text otherwise.
  T& value() & {
    checkValue();
    return *value_;
  }
  const T& value() const& {
    checkValue();
    return *value_;
  }
  T&& value() && {
    checkValue();
    return std::move(*value_);
  }
  T* operator->() {
    checkValue();
    return &*value_;
  }
  const T* operator->() const {
    checkValue();
    return &*value_;
  }
  // Empty when ok().
  const std::string& error() const noexcept { return error_; }

 private:
  void checkValue() const noexcept {
#ifndef NDEBUG
    if (!value_) [[unlikely]] {
      std::fprintf(stderr, "value() of a failed Result: %s\n", error_.c_str());
      std::abort();
    }
#endif
  }

  std::optional<T> value_;
  std::string error_;
};

// For operations with nothing to give back but success.
struct Done {};
using Status = Result<Done>;

}  // namespace foundation

// The value of a Result, or a return of its error from the enclosing
// function (which returns a Result or Status):
//   std::string bytes = FOUNDATION_TRY(plistToBytes(value, format));
//   FOUNDATION_TRY(makeFolders(folder));
#define FOUNDATION_TRY(expr)                                                                  \
  __extension__({                                                                             \
    auto foundationTryResult_ = (expr);                                                       \
    if (!foundationTryResult_.ok()) return ::foundation::Error{foundationTryResult_.error()}; \
    std::move(foundationTryResult_).value();                                                  \
  })
