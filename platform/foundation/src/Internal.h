// Helpers shared by foundation's own sources.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "foundation/NSString.h"

class NSNumber;

namespace foundation::detail {

// The device's preference folder on the host, recomputed only when the
// device root may have moved (an override set, the environment changed).
const std::string& preferencesFolder();

// An uninitialised instance of `cls`, which is T or a subclass of it.
template <class T>
Ref<T> allocAs(Class cls) {
  return ref_cast<T>(objc::send<NSObject::allocMessage>(cls));
}

inline std::string_view textOf(NSString* s) { return s ? std::string_view(s->utf8()) : std::string_view(); }

// Appends obj in the old-style property-list form that collections use for
// their descriptions, indented by `level` steps of four spaces.
void appendPlistDescription(std::string& out, NSObject* obj, int level);

NSNumber* sharedBoolean(bool value);

// Writes all of `bytes`, retrying short writes and interruptions; false with
// errno set when the descriptor refuses.
inline bool writeAll(int fd, std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace foundation::detail
