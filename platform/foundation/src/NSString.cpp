#include "foundation/NSString.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "foundation/NSArray.h"
#include "foundation/NSException.h"
#include "Internal.h"

namespace foundation {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
std::size_t skipSpace(std::string_view t, std::size_t i = 0) {
  while (i < t.size() && isSpace(t[i])) ++i;
  return i;
}
}  // namespace

bool textBoolValue(std::string_view t) {
  std::size_t i = skipSpace(t);
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  while (i < t.size() && t[i] == '0') ++i;
  if (i >= t.size()) return false;
  char c = t[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

long long textLongLongValue(std::string_view t) {
  std::size_t i = skipSpace(t);
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  // Accumulate negatively so that LLONG_MIN is reachable; saturate on overflow.
  long long v = 0;
  for (; i < t.size() && isDigit(t[i]); ++i) {
    int d = t[i] - '0';
    if (v < (LLONG_MIN + d) / 10) return negative ? LLONG_MIN : LLONG_MAX;
    v = v * 10 - d;
  }
  if (negative) return v;
  return v == LLONG_MIN ? LLONG_MAX : -v;
}

double textDoubleValue(std::string_view t) {
  std::size_t i = skipSpace(t);
  bool negative = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  // Only decimal forms: no "inf", "nan" or hexadecimal, as on the device.
  if (i >= t.size() || !(isDigit(t[i]) || (t[i] == '.' && i + 1 < t.size() && isDigit(t[i + 1])))) return 0.0;
  double v = 0.0;
  auto [end, ec] = std::from_chars(t.data() + i, t.data() + t.size(), v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    std::string copy(t.substr(i));
    v = std::strtod(copy.c_str(), nullptr);
  } else if (ec != std::errc()) {
    v = 0.0;
  }
  return negative ? -v : v;
}

long long saturatingTruncate(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 9223372036854775807.0) return LLONG_MAX;
  if (d <= -9223372036854775808.0) return LLONG_MIN;
  return static_cast<long long>(d);
}

int saturatingInt(long long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

FormatText::FormatText(const NSString* s) : text(s ? std::string_view(s->utf8()) : std::string_view("(null)")) {}

std::string describe(NSObject* obj) {
  if (!obj) return "(null)";
  Ref<NSString> d = ref_cast<NSString>(objc::send<Ref<NSObject>(), "description">(obj));
  // A description that is not text is a fault of its class; fall back to the default.
  if (!d || !objc_opt_isKindOfClass(d.get(), NSString::cls())) return obj->defaultDescription();
  return d->utf8();
}

}  // namespace foundation

// ------------------------------------------------- description on the root

namespace {

Ref<NSString> rootDescription(NSObject* self, SEL) { return NSString::make(self->defaultDescription()); }
Ref<NSString> rootClassDescription(NSObject* self, SEL) {
  return NSString::make(class_getName(static_cast<Class>(self)));
}

// Foundation gives every object a description, as the device's root class does.
[[maybe_unused]] const bool rootDescriptionAdded = [] {
  Class root = NSObject::cls();
  class_addMethod(object_getClass(root), objc::sel<"description">(), objc::method<&rootClassDescription>(),
                  objc::typesFor<Ref<NSObject>()>());
  class_addMethod(root, objc::sel<"description">(), objc::method<&rootDescription>(),
                  objc::typesFor<Ref<NSObject>()>());
  return true;
}();

}  // namespace

using foundation::detail::allocAs;
using foundation::detail::textOf;

// ---------------------------------------------------------------- NSString

OBJC_IMPLEMENT_LEGACY(NSString)

Ref<NSString> NSString::stringClassImpl(NSObject* cls, SEL) { return allocAs<NSString>(cls); }
Ref<NSString> NSString::stringWithUTF8StringImpl(NSObject* cls, SEL, const char* text) {
  if (!text) return nullptr;
  Ref<NSString> s = allocAs<NSString>(cls);
  s->text_.assign(text);
  return s;
}
Ref<NSString> NSString::stringWithStringImpl(NSObject* cls, SEL, NSString* other) {
  Ref<NSString> s = allocAs<NSString>(cls);
  s->text_.assign(textOf(other));
  return s;
}

Ref<NSString> NSString::make(std::string_view text) {
  Ref<NSString> s = allocAs<NSString>(cls());
  s->text_.assign(text);
  return s;
}

unsigned long NSString::lengthImpl() {
  unsigned long n = 0;
  for (unsigned char c : text_) {
    if ((c & 0xC0) == 0x80) continue;
    n += c >= 0xF0 ? 2 : 1;
  }
  return n;
}

bool NSString::isEqualToStringImpl(NSString* other) { return other && other->text_ == text_; }
bool NSString::hasPrefixImpl(NSString* s) { return s && !s->text_.empty() && text_.starts_with(s->text_); }
bool NSString::hasSuffixImpl(NSString* s) { return s && !s->text_.empty() && text_.ends_with(s->text_); }
bool NSString::containsStringImpl(NSString* s) {
  return s && !s->text_.empty() && text_.find(s->text_) != std::string::npos;
}

Ref<NSString> NSString::stringByAppendingStringImpl(NSString* s) {
  return make(text_ + std::string(textOf(s)));
}

Ref<NSString> NSString::stringByAppendingPathComponentImpl(NSString* s) {
  std::string_view right = textOf(s);
  std::string left = text_;
  if (left.empty()) return make(right);
  while (left.size() > 1 && left.back() == '/') left.pop_back();
  while (!right.empty() && right.front() == '/') right.remove_prefix(1);
  if (right.empty()) return make(left);
  if (left.back() != '/') left += '/';
  left += right;
  return make(left);
}

Ref<NSString> NSString::stringByReplacingOccurrencesOfStringWithStringImpl(NSString* target, NSString* replacement) {
  std::string_view from = textOf(target), to = textOf(replacement);
  if (from.empty()) return make(text_);
  std::string out;
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text_.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
    out.append(text_, pos, hit - pos);
    out.append(to);
  }
  out.append(text_, pos);
  return make(out);
}

Ref<NSArray> NSString::componentsSeparatedByStringImpl(NSString* separator) {
  std::string_view sep = textOf(separator);
  NSArray::Items parts;
  if (sep.empty()) {
    parts.push_back(make(text_));
  } else {
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text_.find(sep, pos)) != std::string::npos; pos = hit + sep.size())
      parts.push_back(make(std::string_view(text_).substr(pos, hit - pos)));
    parts.push_back(make(std::string_view(text_).substr(pos)));
  }
  return NSArray::make(std::move(parts));
}

// Letter case of ASCII letters only; other characters are kept as they are.
Ref<NSString> NSString::uppercaseStringImpl() {
  std::string out = text_;
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return make(out);
}
Ref<NSString> NSString::lowercaseStringImpl() {
  std::string out = text_;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return make(out);
}

bool NSString::boolValueImpl() { return foundation::textBoolValue(text_); }
int NSString::intValueImpl() { return foundation::saturatingInt(foundation::textLongLongValue(text_)); }
long NSString::integerValueImpl() { return static_cast<long>(foundation::textLongLongValue(text_)); }
long long NSString::longLongValueImpl() { return foundation::textLongLongValue(text_); }
double NSString::doubleValueImpl() { return foundation::textDoubleValue(text_); }
float NSString::floatValueImpl() { return static_cast<float>(foundation::textDoubleValue(text_)); }

Ref<NSString> NSString::descriptionImpl() { return Ref<NSString>(this); }
bool NSString::isEqualImpl(NSObject* other) {
  if (other == this) return true;
  auto* s = objc_cast<NSString>(other);
  return s && s->text_ == text_;
}
unsigned long NSString::hashImpl() { return std::hash<std::string_view>{}(text_); }
Ref<NSString> NSString::copyImpl() { return Ref<NSString>(this); }
Ref<NSMutableString> NSString::mutableCopyImpl() { return NSMutableString::make(text_); }

void NSString::registerMethods(objc::ClassBuilder<NSString>& b) {
  b.classMethod<"string", &NSString::stringClassImpl>()
      .classMethod<"stringWithUTF8String:", &NSString::stringWithUTF8StringImpl>()
      .classMethod<"stringWithString:", &NSString::stringWithStringImpl>()
      .method<"UTF8String", &NSString::UTF8StringImpl>()
      .method<"length", &NSString::lengthImpl>()
      .method<"isEqualToString:", &NSString::isEqualToStringImpl>()
      .method<"hasPrefix:", &NSString::hasPrefixImpl>()
      .method<"hasSuffix:", &NSString::hasSuffixImpl>()
      .method<"containsString:", &NSString::containsStringImpl>()
      .method<"stringByAppendingString:", &NSString::stringByAppendingStringImpl>()
      .method<"stringByAppendingPathComponent:", &NSString::stringByAppendingPathComponentImpl>()
      .method<"stringByReplacingOccurrencesOfString:withString:",
              &NSString::stringByReplacingOccurrencesOfStringWithStringImpl>()
      .method<"componentsSeparatedByString:", &NSString::componentsSeparatedByStringImpl>()
      .method<"uppercaseString", &NSString::uppercaseStringImpl>()
      .method<"lowercaseString", &NSString::lowercaseStringImpl>()
      .method<"boolValue", &NSString::boolValueImpl>()
      .method<"intValue", &NSString::intValueImpl>()
      .method<"integerValue", &NSString::integerValueImpl>()
      .method<"longLongValue", &NSString::longLongValueImpl>()
      .method<"doubleValue", &NSString::doubleValueImpl>()
      .method<"floatValue", &NSString::floatValueImpl>()
      .method<"description", &NSString::descriptionImpl>()
      .method<"isEqual:", &NSString::isEqualImpl>()
      .method<"hash", &NSString::hashImpl>()
      .method<"copy", &NSString::copyImpl>()
      .method<"mutableCopy", &NSString::mutableCopyImpl>();
}

// --------------------------------------------------------- NSMutableString

OBJC_IMPLEMENT_LEGACY(NSMutableString)

Ref<NSMutableString> NSMutableString::make(std::string_view text) {
  Ref<NSMutableString> s = allocAs<NSMutableString>(cls());
  s->text_.assign(text);
  return s;
}

void NSMutableString::appendStringImpl(NSString* s) { text_.append(textOf(s)); }
void NSMutableString::setStringImpl(NSString* s) {
  std::string_view v = textOf(s);
  text_.assign(v.begin(), v.end());
}
Ref<NSString> NSMutableString::copyImpl() { return NSString::make(text_); }

void NSMutableString::registerMethods(objc::ClassBuilder<NSMutableString>& b) {
  b.method<"appendString:", &NSMutableString::appendStringImpl>()
      .method<"setString:", &NSMutableString::setStringImpl>()
      .method<"copy", &NSMutableString::copyImpl>();
}
