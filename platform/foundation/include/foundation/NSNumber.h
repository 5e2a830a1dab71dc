// Numbers of three kinds: boolean, integer and real. A stored boolean is a
// number: every accessor works on every kind, as on the device.
#pragma once

#include <cstdint>

#include "foundation/NSString.h"
#include "objc/define.h"

class NSNumber : public NSObject {
  OBJC_CLASS(NSNumber, NSObject)
 public:
  enum class Kind : unsigned char { Integer, Real, Boolean };

  // Booleans are the two shared objects kCFBooleanTrue and kCFBooleanFalse.
  static Ref<NSNumber> numberWithBool(bool v) {
    return ref_cast<NSNumber>(objc::send<Ref<NSObject>(bool), "numberWithBool:">(cls(), v));
  }
  static Ref<NSNumber> numberWithInt(int v) {
    return ref_cast<NSNumber>(objc::send<Ref<NSObject>(int), "numberWithInt:">(cls(), v));
  }
  static Ref<NSNumber> numberWithInteger(long v) {
    return ref_cast<NSNumber>(objc::send<Ref<NSObject>(long), "numberWithInteger:">(cls(), v));
  }
  static Ref<NSNumber> numberWithLongLong(long long v) {
    return ref_cast<NSNumber>(objc::send<Ref<NSObject>(long long), "numberWithLongLong:">(cls(), v));
  }
  static Ref<NSNumber> numberWithDouble(double v) {
    return ref_cast<NSNumber>(objc::send<Ref<NSObject>(double), "numberWithDouble:">(cls(), v));
  }
  static Ref<NSNumber> numberWithFloat(float v) {
    return ref_cast<NSNumber>(objc::send<Ref<NSObject>(float), "numberWithFloat:">(cls(), v));
  }

  bool boolValue() { return objc::send<bool(), "boolValue">(this); }
  // Reals are truncated toward zero and saturate at the type's limits.
  int intValue() { return objc::send<int(), "intValue">(this); }
  long integerValue() { return objc::send<long(), "integerValue">(this); }
  long long longLongValue() { return objc::send<long long(), "longLongValue">(this); }
  unsigned long unsignedIntegerValue() { return objc::send<unsigned long(), "unsignedIntegerValue">(this); }
  double doubleValue() { return objc::send<double(), "doubleValue">(this); }
  float floatValue() { return objc::send<float(), "floatValue">(this); }
  Ref<NSString> stringValue() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "stringValue">(this)); }
  Ref<NSString> description() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "description">(this)); }
  bool isEqualToNumber(NSNumber* other) { return objc::send<bool(id), "isEqualToNumber:">(this, other); }
  // -1, 0 or 1 (NSOrderedAscending, NSOrderedSame, NSOrderedDescending).
  long compare(NSNumber* other) { return objc::send<long(id), "compare:">(this, other); }

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

  Kind kind_;
  long long i_;  // Integer and Boolean
  double d_;     // Real
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
