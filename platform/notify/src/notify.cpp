#include "notify/notify.h"

#include <cstring>

#include "foundation/HopTrace.h"
#include "transport.h"

bool notify::isValidName(const char* name) noexcept {
  if (!name) return false;
  // Looks no further than one byte past the limit into an unterminated buffer.
  std::size_t n = ::strnlen(name, kMaxNameLength + 1);
  return detail::isValidName(std::string_view(name, n));
}

bool notify::isValidName(std::string_view name) noexcept { return detail::isValidName(name); }

std::uint32_t notify_post(const char* name) noexcept {
  if (!notify::isValidName(name)) return NOTIFY_STATUS_INVALID_NAME;
  foundation::hops::record("post");
  return notify::detail::broadcast(name);
}
