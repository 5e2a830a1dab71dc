#include "foundation/PropertyList.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "BinaryPlist.h"
#include "Internal.h"
#include "PlistShape.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/UniqueFd.h"
#include "foundation/Utf8.h"

namespace foundation {

namespace {

constexpr int kMaxDepth = detail::kMaxPlistDepth;

struct PlistFree {
  void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, PlistFree>;

// ------------------------------------------------------- plist -> objects

Result<Ref<NSObject>> fromNode(plist_t node, int depth) {
  if (depth > kMaxDepth) return Error{"nested deeper than 512 levels"};
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t b = 0;
      plist_get_bool_val(node, &b);
      return Ref<NSObject>(detail::sharedBoolean(b != 0));
    }
    case PLIST_UINT: {
      // libplist keeps integers as 64-bit patterns; negative ones come back
      // as their two's complement, which the cast restores.
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
      return Ref<NSObject>(NSNumber::makeInteger(static_cast<long long>(v)));
    }
    case PLIST_REAL: {
      double d = 0;
      plist_get_real_val(node, &d);
      return Ref<NSObject>(NSNumber::makeReal(d));
    }
    case PLIST_STRING: {
      uint64_t length = 0;
      const char* s = plist_get_string_ptr(node, &length);
      return Ref<NSObject>(NSString::make(std::string_view(s ? s : "", s ? length : 0)));
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      // The library splits negative times as (truncated seconds, |fraction|).
      double t = static_cast<double>(sec) + (sec < 0 ? -1.0 : 1.0) * static_cast<double>(usec) / 1e6;
      return Ref<NSObject>(NSDate::make(t));
    }
    case PLIST_DATA: {
      uint64_t length = 0;
      const char* p = plist_get_data_ptr(node, &length);
      return Ref<NSObject>(NSData::make({reinterpret_cast<const std::uint8_t*>(p), p ? length : 0}));
    }
    case PLIST_ARRAY: {
      // Walked with an iterator: fetching by index starts from the front
      // each time, which made large arrays quadratic.
      NSArray::Items items;
      items.reserve(plist_array_get_size(node));
      plist_array_iter it = nullptr;
      plist_array_new_iter(node, &it);
      std::unique_ptr<void, decltype(&std::free)> iter(it, &std::free);
      for (;;) {
        plist_t child = nullptr;
        plist_array_next_item(node, it, &child);
        if (!child) break;
        auto item = fromNode(child, depth + 1);
        if (!item) return item;
        items.push_back(std::move(item).value());
      }
      return Ref<NSObject>(NSArray::make(std::move(items)));
    }
    case PLIST_DICT: {
      NSDictionary::Entries entries;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      std::unique_ptr<void, decltype(&std::free)> iter(it, &std::free);
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!value) {
          std::free(key);
          break;
        }
        std::string k = key ? key : "";
        std::free(key);
        auto v = fromNode(value, depth + 1);
        if (!v) return v;
        entries.insert_or_assign(std::move(k), std::move(v).value());
      }
      return Ref<NSObject>(NSDictionary::make(std::move(entries)));
    }
    case PLIST_UID:
      return Error{"keyed-archive identifiers are not property-list values"};
    default:
      return Error{"unknown node in property list"};
  }
}

// ------------------------------------------------------- objects -> plist

struct Encoder {
  std::string error;

  plist_t encode(NSObject* obj, int depth) {
    if (depth > kMaxDepth) return fail("nested deeper than 512 levels, or a collection contains itself");
    if (!obj) return fail("nothing (nil) cannot be stored");
    if (auto* n = objc_cast<NSNumber>(obj)) {
      switch (n->kind()) {
        case NSNumber::Kind::Boolean:
          return plist_new_bool(n->integerStorage() != 0);
        case NSNumber::Kind::Integer:
          return plist_new_uint(static_cast<uint64_t>(n->integerStorage()));
        case NSNumber::Kind::Real:
          return plist_new_real(n->realStorage());
      }
    }
    if (auto* s = objc_cast<NSString>(obj)) {
      if (s->utf8().find('\0') != std::string::npos) return fail("text with a NUL character cannot be stored");
      // The binary writer turns such text into bytes no reader accepts, which
      // would make a whole domain unreadable.
      if (!isWellFormedUtf8(s->utf8())) return fail("text that is not UTF-8 cannot be stored");
      return plist_new_string(s->utf8().c_str());
    }
    if (auto* d = objc_cast<NSDate>(obj)) {
      double t = d->storage();
      if (!isStorableDate(t)) return fail("date out of the storable range");
      double sec = std::floor(t);
      return plist_new_date(static_cast<int32_t>(sec), static_cast<int32_t>((t - sec) * 1e6));
    }
    if (auto* d = objc_cast<NSData>(obj)) {
      auto bytes = d->span();
      return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    if (auto* a = objc_cast<NSArray>(obj)) {
      plist_t node = plist_new_array();
      for (const auto& item : a->items()) {
        plist_t child = encode(item.get(), depth + 1);
        if (!child) {
          plist_free(node);
          return nullptr;
        }
        plist_array_append_item(node, child);
      }
      return node;
    }
    if (auto* dict = objc_cast<NSDictionary>(obj)) {
      plist_t node = plist_new_dict();
      for (const auto& [key, value] : dict->entries()) {
        if (key.find('\0') != std::string::npos) {
          plist_free(node);
          return fail("a key with a NUL character cannot be stored");
        }
        if (!isWellFormedUtf8(key)) {
          plist_free(node);
          return fail("a key that is not UTF-8 cannot be stored");
        }
        plist_t child = encode(value.get(), depth + 1);
        if (!child) {
          plist_free(node);
          return nullptr;
        }
        plist_dict_set_item(node, key.c_str(), child);
      }
      return node;
    }
    return fail(std::string(class_getName(obj->isa())) + " is not a property-list value");
  }

  plist_t fail(std::string why) {
    if (error.empty()) error = std::move(why);
    return nullptr;
  }
};

}  // namespace

Result<Ref<NSObject>> plistFromBytes(std::string_view bytes) {
  if (bytes.empty()) return Error{"empty: not a property list"};
  FOUNDATION_TRY(checkPlistShape(bytes, kMaxDepth + 1));
  bool binary = bytes.size() >= 8 && bytes.substr(0, 6) == "bplist";
  plist_t root = nullptr;
  auto length = static_cast<uint32_t>(bytes.size());
  if (binary)
    plist_from_bin(bytes.data(), length, &root);
  else
    plist_from_xml(bytes.data(), length, &root);
  if (!root)
    return Error{binary ? "malformed or truncated binary property list" : "malformed or truncated XML property list"};
  Node owner(root);
  return fromNode(root, 0);
}

Result<Ref<NSObject>> plistFromFile(const std::string& path) {
  if (path.find('\0') != std::string::npos) return Error{"a path with a NUL character names no file"};
  // Not blocking: a FIFO in a page list's place must not hang its reader.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd) return Error{path + ": " + std::strerror(errno)};
  std::string bytes;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Error{path + ": not a regular file"};
  if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buf[16384];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Error{path + ": " + std::strerror(errno)};
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
    if (bytes.size() > UINT32_MAX) return Error{path + ": too large for a property list"};
  }
  fd.reset();
  auto value = plistFromBytes(bytes);
  if (!value) return Error{path + ": " + value.error()};
  return value;
}

bool isStorableDate(double sinceReferenceDate) {
  double sec = std::floor(sinceReferenceDate);
  return std::isfinite(sinceReferenceDate) && sec >= INT32_MIN && sec <= INT32_MAX;
}

Result<std::string> plistToBytes(objc::Borrowed<NSObject> borrowed, PlistFormat format) {
  NSObject* value = borrowed.get();
  if (format == PlistFormat::Binary) return detail::writeBinaryPlist(value);
  Encoder enc;
  plist_t root = enc.encode(value, 0);
  if (!root) return Error{enc.error};
  Node owner(root);
  char* out = nullptr;
  uint32_t length = 0;
  plist_to_xml(root, &out, &length);
  if (!out) return Error{"the property list could not be encoded"};
  std::string bytes(out, length);
  plist_to_xml_free(out);
  return bytes;
}

Status writePlistFile(const std::string& path, objc::Borrowed<NSObject> borrowed, PlistFormat format) {
  NSObject* value = borrowed.get();
  if (path.find('\0') != std::string::npos) return Error{"a path with a NUL character names no file"};
  const std::string bytes = FOUNDATION_TRY(plistToBytes(value, format));
  std::string tmp = path + ".tmp-" + std::to_string(::getpid());
  // Always a new file: one left at the name, or a link planted there, is
  // never written through.
  ::unlink(tmp.c_str());
  UniqueFd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (!fd) return Error{tmp + ": " + std::strerror(errno)};
  if (!detail::writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || fd.close() != 0) {
    int e = errno;
    fd.reset();
    ::unlink(tmp.c_str());
    return Error{tmp + ": " + std::strerror(e)};
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    return Error{path + ": " + std::strerror(e)};
  }
  return Done{};
}

bool isPropertyList(objc::Borrowed<NSObject> borrowed) {
  NSObject* value = borrowed.get();
  Encoder enc;
  plist_t root = enc.encode(value, 0);
  if (!root) return false;
  plist_free(root);
  return true;
}

Ref<NSObject> immutableDeepCopy(objc::Borrowed<NSObject> borrowed) {
  NSObject* value = borrowed.get();
  if (auto* a = objc_cast<NSArray>(value)) {
    NSArray::Items items;
    items.reserve(a->items().size());
    bool changed = objc_opt_isKindOfClass(value, NSMutableArray::cls());
    for (const auto& item : a->items()) {
      Ref<NSObject> copy = immutableDeepCopy(item.get());
      changed |= copy.get() != item.get();
      items.push_back(std::move(copy));
    }
    return changed ? Ref<NSObject>(NSArray::make(std::move(items))) : Ref<NSObject>(value);
  }
  if (auto* d = objc_cast<NSDictionary>(value)) {
    NSDictionary::Entries entries;
    bool changed = objc_opt_isKindOfClass(value, NSMutableDictionary::cls());
    for (const auto& [key, item] : d->entries()) {
      Ref<NSObject> copy = immutableDeepCopy(item.get());
      changed |= copy.get() != item.get();
      entries.emplace(key, std::move(copy));
    }
    return changed ? Ref<NSObject>(NSDictionary::make(std::move(entries))) : Ref<NSObject>(value);
  }
  if (objc_opt_isKindOfClass(value, NSMutableString::cls()))
    return NSString::make(static_cast<NSString*>(value)->utf8());
  return Ref<NSObject>(value);
}

}  // namespace foundation
