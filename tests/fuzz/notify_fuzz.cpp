// Notification names, as a page list or a caller hands them over, and the
// messages that carry them between processes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_device.h"
#include "notify/notify.h"
#include "transport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::deviceRoot();
  fuzz::quietLogs();
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  char packet[1 + notify::kMaxNameLength];

  // As a message read off a listener's socket: what is taken in is a valid
  // name, and it goes back onto the wire as the same bytes.
  if (auto name = notify::detail::decodePost(bytes)) {
    if (!notify::isValidName(*name)) std::abort();
    if (std::string_view(packet, notify::detail::encodePost(*name, packet)) != bytes) std::abort();
  }

  // As a name: one holding a NUL is never valid, a valid one survives the wire.
  bool valid = notify::isValidName(bytes);
  if (valid && bytes.find('\0') != std::string_view::npos) std::abort();
  if (valid) {
    auto back = notify::detail::decodePost({packet, notify::detail::encodePost(bytes, packet)});
    if (!back || *back != bytes) std::abort();
  }
  std::string text(bytes);
  std::uint32_t status = notify_post(text.c_str());
  if (notify::isValidName(text.c_str()) != (status != NOTIFY_STATUS_INVALID_NAME)) std::abort();
  return 0;
}
