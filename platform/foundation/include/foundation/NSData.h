// Immutable byte buffers.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "foundation/NSString.h"
#include "objc/define.h"

class NSData : public NSObject {
  OBJC_CLASS(NSData, NSObject)
 public:
  static Ref<NSData> data() { return ref_cast<NSData>(objc::send<Ref<NSObject>(), "data">(cls())); }
  static Ref<NSData> dataWithBytesLength(const void* bytes, unsigned long length) {
    return ref_cast<NSData>(objc::send<Ref<NSObject>(const void*, unsigned long), "dataWithBytes:length:">(
        cls(), bytes, length));
  }
  static Ref<NSData> make(std::span<const std::uint8_t> bytes);

  unsigned long length() { return objc::send<unsigned long(), "length">(this); }
  const void* bytes() { return objc::send<const void*(), "bytes">(this); }
  bool isEqualToData(NSData* other) { return objc::send<bool(id), "isEqualToData:">(this, other); }
  // "<0a0b0c0d 0e>", the old-style property-list form.
  Ref<NSString> description() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "description">(this)); }

  std::span<const std::uint8_t> span() const noexcept { return bytes_; }

 private:
  unsigned long lengthImpl() { return bytes_.size(); }
  const void* bytesImpl() { return bytes_.data(); }
  bool isEqualToDataImpl(NSData* other);
  Ref<NSString> descriptionImpl();
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl();
  Ref<NSData> copyImpl() { return Ref<NSData>(this); }

  friend struct DataAccess;
  std::vector<std::uint8_t> bytes_;
};
