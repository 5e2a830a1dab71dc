// The old text form of strings tables: `"key" = "value";` lines with C
// comments, in UTF-8 or UTF-16 (with its byte-order mark). libplist 2.2 reads
// XML and binary tables but has no reader for this form.
#pragma once

#include <string_view>

#include "foundation/NSDictionary.h"
#include "foundation/Result.h"

namespace preferences {

// The table's keys and values; an error naming the line for malformed text.
// A key given alone (`"key";`) stands for itself.
foundation::Result<Ref<NSDictionary>> parseStringsText(std::string_view bytes);

}  // namespace preferences
