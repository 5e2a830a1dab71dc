// A device root of its own for a fuzz target, made once and removed at exit,
// and a log kept quiet between inputs (a crash report still reaches stderr).
#pragma once

#include <string>

namespace fuzz {

// Makes the root (copying `stage`, a staged device folder, when given) and
// points the store, the notifications and the loader at it.
const std::string& deviceRoot(const char* stage = nullptr);

// Swallows every log line written until the next call.
void quietLogs();

}  // namespace fuzz
