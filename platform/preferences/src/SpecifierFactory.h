// Page lists to rows: what loadSpecifiersFromPlistName:target: reads and how
// each entry of "items" becomes a specifier. Private to the framework.
#pragma once

#include <optional>

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "preferences/NSBundle.h"
#include "preferences/PSSpecifier.h"

namespace preferences {

struct PageList {
  Ref<NSString> title;  // localised; nothing when the list has none
  Ref<NSMutableArray> rows;
};

// The list "<name>.plist" of `bundle`, rows targeting `target`. A list that
// is missing or malformed gives no rows and one log line; a bad entry is
// left out or repaired with one log line each.
PageList loadPageList(NSBundle* bundle, NSString* name, NSObject* target);
// The same from a list already read; `name` names its strings table and its log lines.
PageList pageListFrom(NSDictionary* root, NSBundle* bundle, NSString* name, NSObject* target);

// A number or a numeric text, as page lists write numbers either way.
std::optional<double> numberOf(NSObject* value);

// The class of that name when it is `base` or below it, else nothing.
Class classNamed(NSString* name, Class base);

}  // namespace preferences
