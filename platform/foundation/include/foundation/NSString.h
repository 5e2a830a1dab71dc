// Text values. An NSString holds immutable UTF-8; NSMutableString can change.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "foundation/Format.h"
#include "objc/define.h"

class NSArray;
class NSMutableString;

enum NSComparisonResult : long {
  NSOrderedAscending = -1,
  NSOrderedSame = 0,
  NSOrderedDescending = 1,
};

enum NSStringCompareOptions : unsigned long {
  NSCaseInsensitiveSearch = 1,
  NSLiteralSearch = 2,
  // Runs of digits compare as numbers: "9.3" is before "15.0".
  NSNumericSearch = 64,
};

namespace foundation {
// A C++ text argument for the conveniences that take a key or text where the
// message takes an NSString; nothing (nullptr) goes to the message.
template <class T>
concept TextLike =
    std::is_convertible_v<T, std::string_view> && !std::is_same_v<std::remove_cvref_t<T>, std::nullptr_t>;
}  // namespace foundation

class NSString : public NSObject {
  OBJC_CLASS(NSString, NSObject)
  OBJC_CLASS_METHOD(string, "string", Ref<NSString>())
  OBJC_CLASS_METHOD(stringWithUTF8String, "stringWithUTF8String:", Ref<NSString>(const char*))
  OBJC_CLASS_METHOD(stringWithString, "stringWithString:", Ref<NSString>(NSString*))
  OBJC_METHOD(UTF8String, "UTF8String", const char*())
  // In UTF-16 code units, as on the device.
  OBJC_METHOD(length, "length", unsigned long())
  OBJC_METHOD(isEqualToString, "isEqualToString:", bool(NSString*))
  // Byte order of the UTF-8 text unless the options say otherwise; nothing
  // sorts before every text.
  OBJC_METHOD(compareOptions, "compare:options:", long(NSString*, unsigned long))
  OBJC_METHOD(hasPrefix, "hasPrefix:", bool(NSString*))
  OBJC_METHOD(hasSuffix, "hasSuffix:", bool(NSString*))
  OBJC_METHOD(containsString, "containsString:", bool(NSString*))
  OBJC_METHOD(stringByAppendingString, "stringByAppendingString:", Ref<NSString>(NSString*))
  // Joins with exactly one slash between the parts.
  OBJC_METHOD(stringByAppendingPathComponent, "stringByAppendingPathComponent:", Ref<NSString>(NSString*))
  OBJC_METHOD(stringByReplacingOccurrencesOfStringWithString,
              "stringByReplacingOccurrencesOfString:withString:", Ref<NSString>(NSString*, NSString*))
  OBJC_METHOD(componentsSeparatedByString, "componentsSeparatedByString:", Ref<NSArray>(NSString*))
  OBJC_METHOD(uppercaseString, "uppercaseString", Ref<NSString>())
  OBJC_METHOD(lowercaseString, "lowercaseString", Ref<NSString>())
  // Number reading as on the device: leading white space, a sign, then the
  // longest number; 0 when there is none.
  OBJC_METHOD(boolValue, "boolValue", bool())
  OBJC_METHOD(intValue, "intValue", int())
  OBJC_METHOD(integerValue, "integerValue", long())
  OBJC_METHOD(longLongValue, "longLongValue", long long())
  OBJC_METHOD(doubleValue, "doubleValue", double())
  OBJC_METHOD(floatValue, "floatValue", float())
  OBJC_METHOD(copy, "copy", Ref<NSString>())
  OBJC_METHOD(mutableCopy, "mutableCopy", Ref<NSMutableString>())
  OBJC_OVERRIDE(description)
  OBJC_OVERRIDE(isEqual)
  OBJC_OVERRIDE(hash)

 public:
  // C++ conveniences: an object of this class holding `text`. Not a message.
  static Ref<NSString> make(std::string_view text);
  // Variadic, so a C++ function rather than a message; see foundation/Format.h.
  template <class... A>
  static Ref<NSString> stringWithFormat(foundation::FormatText fmt, const A&... args) {
    return make(foundation::format(fmt.text, args...));
  }

  // The stored text, read directly: the C++ face of UTF8String.
  const std::string& utf8() const noexcept { return text_; }

 protected:
  std::string text_;

 private:
  static Ref<NSString> stringImpl(Class self);
  static Ref<NSString> stringWithUTF8StringImpl(Class self, const char* text);
  static Ref<NSString> stringWithStringImpl(Class self, NSString* other);
  const char* UTF8StringImpl() { return text_.c_str(); }
  unsigned long lengthImpl();
  bool isEqualToStringImpl(NSString* other);
  long compareOptionsImpl(NSString* other, unsigned long options);
  bool hasPrefixImpl(NSString* s);
  bool hasSuffixImpl(NSString* s);
  bool containsStringImpl(NSString* s);
  Ref<NSString> stringByAppendingStringImpl(NSString* s);
  Ref<NSString> stringByAppendingPathComponentImpl(NSString* s);
  Ref<NSString> stringByReplacingOccurrencesOfStringWithStringImpl(NSString* target, NSString* replacement);
  Ref<NSArray> componentsSeparatedByStringImpl(NSString* separator);
  Ref<NSString> uppercaseStringImpl();
  Ref<NSString> lowercaseStringImpl();
  bool boolValueImpl();
  int intValueImpl();
  long integerValueImpl();
  long long longLongValueImpl();
  double doubleValueImpl();
  float floatValueImpl();
  Ref<NSString> descriptionImpl();
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl();
  Ref<NSString> copyImpl();
  Ref<NSMutableString> mutableCopyImpl();
};

class NSMutableString : public NSString {
  OBJC_CLASS(NSMutableString, NSString)
  OBJC_INHERITED_CLASS_METHOD(string)
  OBJC_INHERITED_CLASS_METHOD(stringWithUTF8String)
  OBJC_INHERITED_CLASS_METHOD(stringWithString)
  OBJC_METHOD(appendString, "appendString:", void(NSString*))
  OBJC_METHOD(setString, "setString:", void(NSString*))
  OBJC_OVERRIDE(copy)

 public:
  static Ref<NSMutableString> make(std::string_view text);

  template <class... A>
  void appendFormat(foundation::FormatText fmt, const A&... args) {
    appendString(NSString::make(foundation::format(fmt.text, args...)));
  }

 private:
  void appendStringImpl(NSString* s);
  void setStringImpl(NSString* s);
  Ref<NSString> copyImpl();
};

// "text"_ns: the C++ spelling of @"text".
inline Ref<NSString> operator""_ns(const char* text, std::size_t size) {
  return NSString::make(std::string_view(text, size));
}

// Reading numbers from text the way NSString does, shared with other readers.
namespace foundation {
bool textBoolValue(std::string_view text);
long long textLongLongValue(std::string_view text);
double textDoubleValue(std::string_view text);
// A double converted without undefined behaviour: truncated toward zero,
// saturated at the limits, NaN as 0.
long long saturatingTruncate(double d);
int saturatingInt(long long v);
// compare:options: on C++ texts: NSOrderedAscending, Same or Descending.
long compareTexts(std::string_view a, std::string_view b, unsigned long options);
}  // namespace foundation

#include "foundation/NSArray.h"
