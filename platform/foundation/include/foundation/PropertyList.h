// Reading and writing property lists (XML and binary) to and from value
// objects: booleans and numbers (NSNumber), text (NSString), dates (NSDate),
// data (NSData), arrays (NSArray) and dictionaries with text keys
// (NSDictionary). What is read is immutable all the way down.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/Result.h"
#include "objc/Borrowed.h"
#include "objc/Ref.h"

namespace foundation {

enum class PlistFormat { Binary, XML };

// Either format, told apart by the content. Malformed or truncated input is
// an Error with a message, never a crash.
Result<Ref<NSObject>> plistFromBytes(std::string_view bytes);
// A host path (not a device path; see DevicePaths.h).
Result<Ref<NSObject>> plistFromFile(const std::string& path);

// Values are borrowed for the call: a pointer, a Ref or a temporary one.
//
// Fails for a value that a property list cannot hold (another class, text
// with a NUL byte, nesting deeper than 512 levels or a collection that
// contains itself, a date isStorableDate refuses). The binary form takes time
// linear in the value's size.
Result<std::string> plistToBytes(objc::Borrowed<NSObject> value, PlistFormat format);
// Writes to a temporary file beside `path` and renames it into place.
Status writePlistFile(const std::string& path, objc::Borrowed<NSObject> value, PlistFormat format);

// Whether a date, in seconds since the reference date, can be stored: the
// library that reads property lists here (libplist 2.2) gives a date back as
// whole seconds in 32 bits around the reference date, so only dates from
// 1932-12-13 20:45:52 to 2069-01-19 03:14:07 UTC come back as they went in.
bool isStorableDate(double sinceReferenceDate);

// Whether value is made only of property-list kinds.
bool isPropertyList(objc::Borrowed<NSObject> value);
// The same value with every mutable collection or text replaced by an
// immutable copy; immutable parts are shared.
Ref<NSObject> immutableDeepCopy(objc::Borrowed<NSObject> value);

}  // namespace foundation
