// Numbers of three kinds: boolean, integer and real. A stored boolean is a
// number: every accessor works on every kind, as on the device.
#pragma once

#include <cstdint>

#include "foundation/NSString.h"
#include "objc/define.h"

class NSNumber : public NSObject {
  OBJC_CLASS(NSNumber, NSObject)
  // Booleans are the two shared objects kCFBooleanTrue and kCFBooleanFalse.
  OBJC_CLASS_METHOD(numberWithBool, "numberWithBool:", Ref<NSNumber>(bool))
  OBJC_CLASS_METHOD(numberWithInt, "numberWithInt:", Ref<NSNumber>(int))
  OBJC_CLASS_METHOD(numberWithInteger, "numberWithInteger:", Ref<NSNumber>(long))
  OBJC_CLASS_METHOD(numberWithLongLong, "numberWithLongLong:", Ref<NSNumber>(long long))
  OBJC_CLASS_METHOD(numberWithDouble, "numberWithDouble:", Ref<NSNumber>(double))
  OBJC_CLASS_METHOD(numberWithFloat, "numberWithFloat:", Ref<NSNumber>(float))
  OBJC_METHOD(boolValue, "boolValue", bool())
  // Reals are truncated toward zero and saturate at the type's limits.
  OBJC_METHOD(intValue, "intValue", int())
  OBJC_METHOD(integerValue, "integerValue", long())
  OBJC_METHOD(longLongValue, "longLongValue", long long())
  OBJC_METHOD(unsignedIntegerValue, "unsignedIntegerValue", unsigned long())
  OBJC_METHOD(doubleValue, "doubleValue", double())
  OBJC_METHOD(floatValue, "floatValue", float())
  OBJC_METHOD(stringValue, "stringValue", Ref<NSString>())
  OBJC_METHOD(isEqualToNumber, "isEqualToNumber:", bool(NSNumber*))
  // -1, 0 or 1 (NSOrderedAscending, NSOrderedSame, NSOrderedDescending).
  OBJC_METHOD(compare, "compare:", long(NSNumber*))
  OBJC_METHOD(copy, "copy", Ref<NSNumber>())
  OBJC_OVERRIDE(description)
  OBJC_OVERRIDE(isEqual)
  OBJC_OVERRIDE(hash)

 public:
  enum class Kind : unsigned char { Integer, Real, Boolean };

  // Direct reads for writers that must keep the kind (the plist writer).
  Kind kind() const noexcept { return kind_; }
  bool isBoolean() const noexcept { return kind_ == Kind::Boolean; }
  long long integerStorage() const noexcept { return i_; }
  double realStorage() const noexcept { return d_; }

  // A new number of the given kind, not a message; booleans use the shared pair.
  static Ref<NSNumber> makeInteger(long long v);
  static Ref<NSNumber> makeReal(double v);

 private:
  friend struct NumberAccess;
  static Ref<NSNumber> numberWithBoolImpl(Class self, bool v);
  static Ref<NSNumber> numberWithIntImpl(Class self, int v);
  static Ref<NSNumber> numberWithIntegerImpl(Class self, long v);
  static Ref<NSNumber> numberWithLongLongImpl(Class self, long long v);
  static Ref<NSNumber> numberWithDoubleImpl(Class self, double v);
  static Ref<NSNumber> numberWithFloatImpl(Class self, float v);
  bool boolValueImpl();
  int intValueImpl();
  long integerValueImpl();
  long long longLongValueImpl();
  unsigned long unsignedIntegerValueImpl();
  double doubleValueImpl();
  float floatValueImpl();
  Ref<NSString> stringValueImpl();
  Ref<NSString> descriptionImpl() { return stringValueImpl(); }
  bool isEqualToNumberImpl(NSNumber* other);
  long compareImpl(NSNumber* other);
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl();
  Ref<NSNumber> copyImpl() { return Ref<NSNumber>(this); }

  Kind kind_ = Kind::Integer;
  long long i_ = 0;  // Integer and Boolean
  double d_ = 0.0;   // Real
};

// The platform's boolean constants: two shared numbers of the boolean kind,
// alive for the whole process.
using CFBooleanRef = NSNumber*;
extern NSNumber* const kCFBooleanTrue;
extern NSNumber* const kCFBooleanFalse;
inline bool CFBooleanGetValue(CFBooleanRef b) { return b && b->boolValue(); }

// C++ spellings of @YES, @NO and @(n).
inline Ref<NSNumber> NSNumberYES() { return Ref<NSNumber>(kCFBooleanTrue); }
inline Ref<NSNumber> NSNumberNO() { return Ref<NSNumber>(kCFBooleanFalse); }
