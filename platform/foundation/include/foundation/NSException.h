// Raised errors. On the device these are objects thrown with @throw; here they
// are C++ exceptions carrying the same name and reason, since nothing sends
// them messages.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

inline constexpr std::string_view NSInternalInconsistencyException = "NSInternalInconsistencyException";
inline constexpr std::string_view NSInvalidArgumentException = "NSInvalidArgumentException";
inline constexpr std::string_view NSRangeException = "NSRangeException";

class NSException : public std::runtime_error {
 public:
  NSException(std::string_view name, std::string_view reason);
  const std::string& name() const noexcept { return name_; }
  const std::string& reason() const noexcept { return reason_; }

  [[noreturn]] static void raise(std::string_view name, std::string_view reason);

 private:
  std::string name_;
  std::string reason_;
};
