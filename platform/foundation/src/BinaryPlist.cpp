#include "BinaryPlist.h"

#include <unicode/utf8.h>

#include <bit>
#include <cstdint>
#include <string_view>
#include <vector>

#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/PropertyList.h"
#include "foundation/Utf8.h"

namespace foundation::detail {

namespace {

enum class Kind : std::uint8_t { False, True, Integer, Real, Date, Text, Data, Array, Dict };

// One object of the file, numbered by its place in the writer's list.
struct Object {
  Kind kind;
  std::uint64_t integer = 0;  // an integer's bits, or a real's or date's
  std::string_view bytes;     // text (UTF-8) or data, owned by the value written
  std::size_t first = 0;      // a container's references start here in `refs`
  std::size_t count = 0;      // elements, or a dictionary's pairs
};

// The width the format gives a number up to `max`.
unsigned widthFor(std::uint64_t max) {
  if (max <= 0xff) return 1;
  if (max <= 0xffff) return 2;
  if (max <= 0xffffffffULL) return 4;
  return 8;
}

void putBigEndian(std::string& out, std::uint64_t v, unsigned width) {
  for (unsigned i = width; i-- > 0;) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

void putInteger(std::string& out, std::uint64_t v) {
  unsigned width = widthFor(v);
  out += static_cast<char>(0x10 | std::countr_zero(width));
  putBigEndian(out, v, width);
}

// A marker with its length: in the marker up to 14, else an integer after it.
void putHead(std::string& out, unsigned type, std::uint64_t length) {
  if (length < 15) {
    out += static_cast<char>((type << 4) | length);
    return;
  }
  out += static_cast<char>((type << 4) | 0x0f);
  putInteger(out, length);
}

// ASCII as it is; anything else as UTF-16, big-endian, as the format wants.
void putText(std::string& out, std::string_view text) {
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    putHead(out, 0x5, text.size());
    out += text;
    return;
  }
  std::vector<std::uint16_t> units;
  units.reserve(text.size());
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  for (std::int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);  // well-formed: checked when the text was taken
    if (c > 0xffff) {
      units.push_back(static_cast<std::uint16_t>(U16_LEAD(c)));
      units.push_back(static_cast<std::uint16_t>(U16_TRAIL(c)));
    } else {
      units.push_back(static_cast<std::uint16_t>(c));
    }
  }
  putHead(out, 0x6, units.size());
  for (std::uint16_t u : units) putBigEndian(out, u, 2);
}

class Writer {
 public:
  Result<std::string> run(NSObject* root) {
    if (!add(root, 0)) return Error{error_};
    return write();
  }

 private:
  std::vector<Object> objects_;
  std::vector<std::uint64_t> refs_;
  std::string error_;

  bool fail(std::string why) {
    if (error_.empty()) error_ = std::move(why);
    return false;
  }

  bool addText(std::string_view text, const char* withNul, const char* notUtf8) {
    if (text.find('\0') != std::string_view::npos) return fail(withNul);
    // Such text would turn into bytes no reader accepts, and with it the
    // whole domain.
    if (!isWellFormedUtf8(text)) return fail(notUtf8);
    objects_.push_back({Kind::Text, 0, text});
    return true;
  }

  // Numbers obj and all it holds, obj first: its number is the list's size
  // before the call.
  bool add(NSObject* obj, int depth) {
    if (depth > kMaxPlistDepth) return fail("nested deeper than 512 levels, or a collection contains itself");
    if (!obj) return fail("nothing (nil) cannot be stored");
    if (auto* n = objc_cast<NSNumber>(obj)) {
      switch (n->kind()) {
        case NSNumber::Kind::Boolean:
          objects_.push_back({n->integerStorage() != 0 ? Kind::True : Kind::False});
          return true;
        case NSNumber::Kind::Integer:
          objects_.push_back({Kind::Integer, static_cast<std::uint64_t>(n->integerStorage())});
          return true;
        case NSNumber::Kind::Real:
          objects_.push_back({Kind::Real, std::bit_cast<std::uint64_t>(n->realStorage())});
          return true;
      }
    }
    if (auto* s = objc_cast<NSString>(obj))
      return addText(s->utf8(), "text with a NUL character cannot be stored",
                     "text that is not UTF-8 cannot be stored");
    if (auto* d = objc_cast<NSDate>(obj)) {
      if (!isStorableDate(d->storage())) return fail("date out of the storable range");
      objects_.push_back({Kind::Date, std::bit_cast<std::uint64_t>(d->storage())});
      return true;
    }
    if (auto* d = objc_cast<NSData>(obj)) {
      auto bytes = d->span();
      objects_.push_back({Kind::Data, 0, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}});
      return true;
    }
    if (auto* a = objc_cast<NSArray>(obj)) {
      const auto& items = a->items();
      std::size_t first = refs_.size();
      objects_.push_back({Kind::Array, 0, {}, first, items.size()});
      refs_.resize(first + items.size());
      for (std::size_t i = 0; i < items.size(); ++i) {
        refs_[first + i] = objects_.size();
        if (!add(items[i].get(), depth + 1)) return false;
      }
      return true;
    }
    if (auto* dict = objc_cast<NSDictionary>(obj)) {
      const auto& entries = dict->entries();
      std::size_t n = entries.size(), first = refs_.size(), i = 0;
      objects_.push_back({Kind::Dict, 0, {}, first, n});
      refs_.resize(first + 2 * n);
      for (const auto& [key, value] : entries) {
        refs_[first + i] = objects_.size();
        if (!addText(key, "a key with a NUL character cannot be stored", "a key that is not UTF-8 cannot be stored"))
          return false;
        refs_[first + n + i] = objects_.size();
        if (!add(value.get(), depth + 1)) return false;
        ++i;
      }
      return true;
    }
    return fail(std::string(class_getName(obj->isa())) + " is not a property-list value");
  }

  std::string write() {
    std::string out = "bplist00";
    out.reserve(8 + objects_.size() * 12 + refs_.size() * 4);
    unsigned refWidth = widthFor(objects_.size() - 1);
    std::vector<std::uint64_t> offsets;
    offsets.reserve(objects_.size());
    for (const Object& o : objects_) {
      offsets.push_back(out.size());
      switch (o.kind) {
        case Kind::False:
          out += '\x08';
          break;
        case Kind::True:
          out += '\x09';
          break;
        case Kind::Integer:
          putInteger(out, o.integer);
          break;
        case Kind::Real:
          out += '\x23';
          putBigEndian(out, o.integer, 8);
          break;
        case Kind::Date:
          out += '\x33';
          putBigEndian(out, o.integer, 8);
          break;
        case Kind::Text:
          putText(out, o.bytes);
          break;
        case Kind::Data:
          putHead(out, 0x4, o.bytes.size());
          out += o.bytes;
          break;
        case Kind::Array:
        case Kind::Dict: {
          bool dict = o.kind == Kind::Dict;
          putHead(out, dict ? 0xD : 0xA, o.count);
          std::size_t end = o.first + (dict ? 2 * o.count : o.count);
          for (std::size_t r = o.first; r < end; ++r) putBigEndian(out, refs_[r], refWidth);
          break;
        }
      }
    }
    std::uint64_t table = out.size();
    unsigned offsetWidth = widthFor(table);
    for (std::uint64_t at : offsets) putBigEndian(out, at, offsetWidth);
    out.append(6, '\0');
    out += static_cast<char>(offsetWidth);
    out += static_cast<char>(refWidth);
    putBigEndian(out, objects_.size(), 8);
    putBigEndian(out, 0, 8);  // the top object is the first
    putBigEndian(out, table, 8);
    return out;
  }
};

}  // namespace

Result<std::string> writeBinaryPlist(NSObject* value) { return Writer().run(value); }

}  // namespace foundation::detail
