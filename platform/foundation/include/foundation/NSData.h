// Immutable byte buffers.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "foundation/NSString.h"
#include "objc/define.h"

class NSData : public NSObject {
  OBJC_CLASS(NSData, NSObject)
  OBJC_CLASS_METHOD(data, "data", Ref<NSData>())
  OBJC_CLASS_METHOD(dataWithBytesLength, "dataWithBytes:length:", Ref<NSData>(const void*, unsigned long))
  OBJC_METHOD(length, "length", unsigned long())
  OBJC_METHOD(bytes, "bytes", const void*())
  OBJC_METHOD(isEqualToData, "isEqualToData:", bool(NSData*))
  OBJC_METHOD(copy, "copy", Ref<NSData>())
  // "<0a0b0c0d 0e>", the old-style property-list form.
  OBJC_OVERRIDE(description)
  OBJC_OVERRIDE(isEqual)
  OBJC_OVERRIDE(hash)

 public:
  // A C++ convenience, not a message.
  static Ref<NSData> make(std::span<const std::uint8_t> bytes);

  std::span<const std::uint8_t> span() const noexcept { return bytes_; }

 private:
  static Ref<NSData> dataImpl(Class self);
  static Ref<NSData> dataWithBytesLengthImpl(Class self, const void* bytes, unsigned long length);
  unsigned long lengthImpl() { return bytes_.size(); }
  const void* bytesImpl() { return bytes_.data(); }
  bool isEqualToDataImpl(NSData* other);
  Ref<NSString> descriptionImpl();
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl();
  Ref<NSData> copyImpl() { return Ref<NSData>(this); }

  static Ref<NSData> makeIn(Class cls, const void* bytes, unsigned long length);
  std::vector<std::uint8_t> bytes_;
};
