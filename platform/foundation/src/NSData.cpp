#include "foundation/NSData.h"

#include <cstring>
#include <functional>
#include <string_view>

#include "Internal.h"

OBJC_IMPLEMENT(NSData)

Ref<NSData> NSData::makeIn(Class cls, const void* bytes, unsigned long length) {
  Ref<NSData> d = foundation::detail::allocAs<NSData>(cls);
  if (bytes && length) {
    auto* p = static_cast<const std::uint8_t*>(bytes);
    d->bytes_.assign(p, p + length);
  }
  return d;
}

Ref<NSData> NSData::dataImpl(Class c) { return makeIn(c, nullptr, 0); }
Ref<NSData> NSData::dataWithBytesLengthImpl(Class c, const void* bytes, unsigned long length) {
  return makeIn(c, bytes, length);
}

Ref<NSData> NSData::make(std::span<const std::uint8_t> bytes) { return makeIn(cls(), bytes.data(), bytes.size()); }

bool NSData::isEqualToDataImpl(NSData* other) { return other && other->bytes_ == bytes_; }

Ref<NSString> NSData::descriptionImpl() {
  static const char digits[] = "0123456789abcdef";
  std::string out = "<";
  for (std::size_t i = 0; i < bytes_.size(); ++i) {
    if (i && i % 4 == 0) out += ' ';
    out += digits[bytes_[i] >> 4];
    out += digits[bytes_[i] & 15];
  }
  out += '>';
  return NSString::make(out);
}

bool NSData::isEqualImpl(NSObject* other) {
  auto* d = objc_cast<NSData>(other);
  return d && d->bytes_ == bytes_;
}
unsigned long NSData::hashImpl() {
  return std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(bytes_.data()), std::min<std::size_t>(bytes_.size(), 80)));
}
