// Text values. An NSString holds immutable UTF-8; NSMutableString can change.
#pragma once

#include <string>
#include <string_view>

#include "foundation/Format.h"
#include "objc/define.h"

class NSArray;
class NSMutableString;

class NSString : public NSObject {
  OBJC_CLASS(NSString, NSObject)
 public:
  // C++ conveniences: an object of this class holding `text`. Not a message.
  static Ref<NSString> make(std::string_view text);

  static Ref<NSString> string() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "string">(cls())); }
  static Ref<NSString> stringWithUTF8String(const char* text) {
    return ref_cast<NSString>(objc::send<Ref<NSObject>(const char*), "stringWithUTF8String:">(cls(), text));
  }
  static Ref<NSString> stringWithString(NSString* other) {
    return ref_cast<NSString>(objc::send<Ref<NSObject>(id), "stringWithString:">(cls(), other));
  }
  // Variadic, so a C++ function rather than a message; see foundation/Format.h.
  template <class... A>
  static Ref<NSString> stringWithFormat(foundation::FormatText fmt, const A&... args) {
    return make(foundation::format(fmt.text, args...));
  }

  // The stored text, read directly: the C++ face of UTF8String.
  const std::string& utf8() const noexcept { return text_; }

  const char* UTF8String() { return objc::send<const char*(), "UTF8String">(this); }
  // In UTF-16 code units, as on the device.
  unsigned long length() { return objc::send<unsigned long(), "length">(this); }
  bool isEqualToString(NSString* other) { return objc::send<bool(id), "isEqualToString:">(this, other); }
  bool hasPrefix(NSString* s) { return objc::send<bool(id), "hasPrefix:">(this, s); }
  bool hasSuffix(NSString* s) { return objc::send<bool(id), "hasSuffix:">(this, s); }
  bool containsString(NSString* s) { return objc::send<bool(id), "containsString:">(this, s); }
  Ref<NSString> stringByAppendingString(NSString* s) {
    return ref_cast<NSString>(objc::send<Ref<NSObject>(id), "stringByAppendingString:">(this, s));
  }
  // Joins with exactly one slash between the parts.
  Ref<NSString> stringByAppendingPathComponent(NSString* s) {
    return ref_cast<NSString>(objc::send<Ref<NSObject>(id), "stringByAppendingPathComponent:">(this, s));
  }
  Ref<NSString> stringByReplacingOccurrencesOfStringWithString(NSString* target, NSString* replacement) {
    return ref_cast<NSString>(objc::send<Ref<NSObject>(id, id), "stringByReplacingOccurrencesOfString:withString:">(
        this, target, replacement));
  }
  inline Ref<NSArray> componentsSeparatedByString(NSString* separator);
  Ref<NSString> uppercaseString() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "uppercaseString">(this)); }
  Ref<NSString> lowercaseString() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "lowercaseString">(this)); }

  // Number reading as on the device: leading white space, a sign, then the
  // longest number; 0 when there is none.
  bool boolValue() { return objc::send<bool(), "boolValue">(this); }
  int intValue() { return objc::send<int(), "intValue">(this); }
  long integerValue() { return objc::send<long(), "integerValue">(this); }
  long long longLongValue() { return objc::send<long long(), "longLongValue">(this); }
  double doubleValue() { return objc::send<double(), "doubleValue">(this); }
  float floatValue() { return objc::send<float(), "floatValue">(this); }

  Ref<NSString> description() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "description">(this)); }
  Ref<NSString> copy() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "copy">(this)); }
  inline Ref<NSMutableString> mutableCopy();

 protected:
  std::string text_;

 private:
  static Ref<NSString> stringClassImpl(NSObject* cls, SEL);
  static Ref<NSString> stringWithUTF8StringImpl(NSObject* cls, SEL, const char* text);
  static Ref<NSString> stringWithStringImpl(NSObject* cls, SEL, NSString* other);
  const char* UTF8StringImpl() { return text_.c_str(); }
  unsigned long lengthImpl();
  bool isEqualToStringImpl(NSString* other);
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
 public:
  static Ref<NSMutableString> string() {
    return ref_cast<NSMutableString>(objc::send<Ref<NSObject>(), "string">(cls()));
  }
  static Ref<NSMutableString> stringWithUTF8String(const char* text) {
    return ref_cast<NSMutableString>(objc::send<Ref<NSObject>(const char*), "stringWithUTF8String:">(cls(), text));
  }
  static Ref<NSMutableString> stringWithString(NSString* other) {
    return ref_cast<NSMutableString>(objc::send<Ref<NSObject>(id), "stringWithString:">(cls(), other));
  }
  static Ref<NSMutableString> make(std::string_view text);

  void appendString(NSString* s) { objc::send<void(id), "appendString:">(this, s); }
  void setString(NSString* s) { objc::send<void(id), "setString:">(this, s); }
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
}  // namespace foundation

#include "foundation/NSArray.h"

inline Ref<NSArray> NSString::componentsSeparatedByString(NSString* separator) {
  return ref_cast<NSArray>(objc::send<Ref<NSObject>(id), "componentsSeparatedByString:">(this, separator));
}
inline Ref<NSMutableString> NSString::mutableCopy() {
  return ref_cast<NSMutableString>(objc::send<Ref<NSObject>(), "mutableCopy">(this));
}
