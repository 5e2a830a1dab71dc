// The binary property-list writer. libplist's own writer finds each object in
// a table of fixed size and each key by a walk of the dictionary, so a domain
// of n keys took time in n²; this one numbers the objects in one walk and
// writes them in a second, both linear.
#pragma once

#include <string>

#include "foundation/Result.h"
#include "objc/runtime.h"

namespace foundation::detail {

inline constexpr int kMaxPlistDepth = 512;

// Refuses what plistToBytes refuses, with the same messages.
Result<std::string> writeBinaryPlist(NSObject* value);

}  // namespace foundation::detail
