// `corvallo defaults`: the device's preference store as macOS's `defaults` shows it.
#pragma once

#include <string>
#include <vector>

namespace device {

// `args` are what follows `defaults`: domains, read [DOMAIN [KEY]], read-type
// DOMAIN KEY, write DOMAIN KEY [-type] VALUE (or -array/-dict and their -add
// forms with several), delete DOMAIN [KEY], export|import DOMAIN FILE|-.
// Prints to stdout; throws CommandError for a refused name, a missing domain
// or key, a value that is not of its type or a date the store cannot hold,
// a file that is no dictionary property list, and a write or deletion the
// store could not make (with its reason).
int defaultsCommand(const std::vector<std::string>& args);

}  // namespace device
