#include "foundation/NSArray.h"

#include <algorithm>

#include "Internal.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSData.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSException.h"
#include "foundation/NSNumber.h"
#include "foundation/PropertyList.h"

using foundation::detail::allocAs;

namespace foundation::detail {

namespace {
// Old-style plists leave a string bare only when it is a plain word.
bool needsQuotes(std::string_view s) {
  if (s.empty()) return true;
  for (char c : s) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
                 c == '$' || c == '/' || c == ':' || c == '-';
    if (!plain) return true;
  }
  return false;
}

void appendQuoted(std::string& out, std::string_view s) {
  if (!needsQuotes(s)) {
    out += s;
    return;
  }
  out += '"';
  for (char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  out += '"';
}

void indent(std::string& out, int level) { out.append(static_cast<std::size_t>(level) * 4, ' '); }
}  // namespace

void appendPlistDescription(std::string& out, NSObject* obj, int level) {
  // Deep or self-containing collections end in a marker instead of recursing forever.
  if (level > 64) {
    out += "...";
    return;
  }
  if (auto* a = objc_cast<NSArray>(obj)) {
    out += "(\n";
    bool first = true;
    for (const auto& item : a->items()) {
      if (!first) out += ",\n";
      first = false;
      indent(out, level + 1);
      appendPlistDescription(out, item.get(), level + 1);
    }
    if (!first) out += '\n';
    indent(out, level);
    out += ')';
  } else if (auto* d = objc_cast<NSDictionary>(obj)) {
    out += "{\n";
    for (const auto& [key, value] : d->entries()) {
      indent(out, level + 1);
      appendQuoted(out, key);
      out += " = ";
      appendPlistDescription(out, value.get(), level + 1);
      out += ";\n";
    }
    indent(out, level);
    out += '}';
  } else if (objc_cast<NSNumber>(obj) || objc_cast<NSData>(obj)) {
    out += foundation::describe(obj);
  } else {
    appendQuoted(out, foundation::describe(obj));
  }
}

}  // namespace foundation::detail

// ----------------------------------------------------------------- NSArray

OBJC_IMPLEMENT(NSArray)

namespace {

void requireObject(NSObject* obj, const char* where) {
  if (!obj) NSException::raise(NSInvalidArgumentException, std::string("*** ") + where + ": object cannot be nil");
}

}  // namespace

Ref<NSArray> NSArray::makeIn(Class cls, Items items) {
  for (const auto& item : items) requireObject(item.get(), "array");
  Ref<NSArray> a = allocAs<NSArray>(cls);
  a->items_ = std::move(items);
  return a;
}

// Sent to NSMutableArray, the factories make mutable arrays.
Ref<NSArray> NSArray::arrayImpl(Class c) { return allocAs<NSArray>(c); }
Ref<NSArray> NSArray::arrayWithArrayImpl(Class c, NSArray* other) {
  return makeIn(c, other ? other->items() : Items{});
}
Ref<NSArray> NSArray::arrayWithObjectImpl(Class c, NSObject* obj) {
  requireObject(obj, "+[NSArray arrayWithObject:]");
  return makeIn(c, {Ref<NSObject>(obj)});
}
Ref<NSArray> NSArray::arrayWithContentsOfFileImpl(Class c, NSString* path) {
  if (!path) return nullptr;
  auto value = foundation::plistFromFile(foundation::devicePath(path->utf8()));
  if (!value) return nullptr;
  auto* a = objc_cast<NSArray>(value->get());
  return a ? makeIn(c, a->items()) : nullptr;
}

Ref<NSArray> NSArray::make(Items items) { return makeIn(cls(), std::move(items)); }

Ref<NSObject> NSArray::objectAtIndexImpl(unsigned long i) {
  if (i >= items_.size()) {
    NSException::raise(NSRangeException,
                       foundation::format("*** -[NSArray objectAtIndex:]: index %lu beyond bounds [0 .. %ld]", i,
                                          static_cast<long>(items_.size()) - 1));
  }
  return items_[i];
}

unsigned long NSArray::indexOfObjectImpl(NSObject* obj) {
  if (!obj) return NSNotFound;
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == obj || obj->isEqual(items_[i].get())) return i;
  return NSNotFound;
}

bool NSArray::isEqualToArrayImpl(NSArray* other) {
  if (!other) return false;
  if (other == this) return true;
  if (other->items_.size() != items_.size()) return false;
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() != other->items_[i].get() && !items_[i]->isEqual(other->items_[i].get())) return false;
  return true;
}

Ref<NSString> NSArray::componentsJoinedByStringImpl(NSString* separator) {
  std::string out;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i) out += foundation::detail::textOf(separator);
    out += foundation::describe(items_[i].get());
  }
  return NSString::make(out);
}

Ref<NSString> NSArray::descriptionImpl() {
  std::string out;
  foundation::detail::appendPlistDescription(out, this, 0);
  return NSString::make(out);
}

bool NSArray::isEqualImpl(NSObject* other) {
  auto* a = objc_cast<NSArray>(other);
  return a && isEqualToArrayImpl(a);
}

Ref<NSArray> NSArray::copyImpl() { return Ref<NSArray>(this); }
Ref<NSMutableArray> NSArray::mutableCopyImpl() { return NSMutableArray::make(items_); }

// ---------------------------------------------------------- NSMutableArray

OBJC_IMPLEMENT(NSMutableArray)

Ref<NSMutableArray> NSMutableArray::make(Items items) {
  return ref_cast<NSMutableArray>(makeIn(cls(), std::move(items)));
}

void NSMutableArray::addObjectImpl(NSObject* obj) {
  requireObject(obj, "-[NSMutableArray addObject:]");
  items_.emplace_back(obj);
}

void NSMutableArray::addObjectsFromArrayImpl(NSArray* other) {
  if (!other) return;
  Items copy = other->items();  // other may be this array
  items_.insert(items_.end(), copy.begin(), copy.end());
}

void NSMutableArray::insertObjectAtIndexImpl(NSObject* obj, unsigned long i) {
  requireObject(obj, "-[NSMutableArray insertObject:atIndex:]");
  if (i > items_.size())
    NSException::raise(
        NSRangeException,
        foundation::format("*** -[NSMutableArray insertObject:atIndex:]: index %lu beyond bounds [0 .. %lu]", i,
                           items_.size()));
  items_.insert(items_.begin() + static_cast<long>(i), Ref<NSObject>(obj));
}

void NSMutableArray::replaceObjectAtIndexWithObjectImpl(unsigned long i, NSObject* obj) {
  requireObject(obj, "-[NSMutableArray replaceObjectAtIndex:withObject:]");
  if (i >= items_.size())
    NSException::raise(
        NSRangeException,
        foundation::format("*** -[NSMutableArray replaceObjectAtIndex:withObject:]: index %lu beyond bounds", i));
  items_[i] = Ref<NSObject>(obj);
}

void NSMutableArray::removeObjectAtIndexImpl(unsigned long i) {
  if (i >= items_.size())
    NSException::raise(NSRangeException,
                       foundation::format("*** -[NSMutableArray removeObjectAtIndex:]: index %lu beyond bounds", i));
  items_.erase(items_.begin() + static_cast<long>(i));
}

void NSMutableArray::removeObjectImpl(NSObject* obj) {
  if (!obj) return;
  Ref<NSObject> keep(obj);  // obj may be held only by this array
  std::erase_if(items_, [&](const Ref<NSObject>& item) { return item.get() == obj || obj->isEqual(item.get()); });
}

void NSMutableArray::removeLastObjectImpl() {
  if (!items_.empty()) items_.pop_back();
}

Ref<NSArray> NSMutableArray::copyImpl() { return NSArray::make(items_); }
