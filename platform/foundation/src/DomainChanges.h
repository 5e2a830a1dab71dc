// Whether a preference domain may have changed since a read, answered without
// a system call.
//
// Two sources, because they differ in when they are seen:
// - Writes through the store bump the domain's counter in a file every
//   process of the device maps (<root>/var/run/defaults/changes), after the
//   rename and before the writer returns. A process that reads after a writer
//   posted its notification sees the new counter: store writes are seen by
//   the very next read, in every process, which the settings-to-home-screen
//   path depends on.
// - Anything else that replaces a file in the preference folder (cp, an
//   editor, a restore) is seen by an inotify watch on the folder, read by one
//   thread per process that bumps a counter of this process's own. That is
//   seen as soon as the thread has read the kernel's event, a few
//   microseconds after the file is closed; nothing but a system call on every
//   read could see it sooner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace foundation::detail {

// The domain's stamp: it moves whenever the domain may have changed. Nothing
// when changes in `folder` cannot be followed (no counter file, no watch),
// and then every read must look at the file.
std::optional<std::uint64_t> domainStamp(const std::string& folder, std::string_view name);

// Called by a writer after it has replaced or removed the domain's file.
void domainWritten(const std::string& folder, std::string_view name);

}  // namespace foundation::detail
