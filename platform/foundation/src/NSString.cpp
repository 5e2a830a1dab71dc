#include "foundation/NSString.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "Internal.h"
#include "foundation/NSArray.h"
#include "foundation/NSException.h"

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

std::string describe(objc::Borrowed<NSObject> borrowed) {
  NSObject* obj = borrowed.get();
  if (!obj) return "(null)";
  Ref<NSObject> d = obj->description();
  // A description that is not text is a fault of its class; fall back to the default.
  auto* text = objc_cast<NSString>(d.get());
  return text ? text->utf8() : obj->defaultDescription();
}

}  // namespace foundation

// ------------------------------------------------- description on the root

// Foundation gives every object and every class a description, as the
// device's root class does. Instance and class method share the selector, so
// they are two categories.
namespace {

struct NSObject_Description {
  OBJC_CATEGORY(NSObject_Description, NSObject)
  OBJC_CATEGORY_METHOD(description, "description", Ref<NSString>())

 private:
  static Ref<NSString> descriptionImpl(NSObject* self) { return NSString::make(self->defaultDescription()); }
};

struct NSObject_ClassDescription {
  OBJC_CATEGORY(NSObject_ClassDescription, NSObject)
  OBJC_CATEGORY_CLASS_METHOD(description, "description", Ref<NSString>())

 private:
  static Ref<NSString> descriptionImpl(Class self) { return NSString::make(class_getName(self)); }
};

}  // namespace

OBJC_IMPLEMENT_CATEGORY(NSObject_Description)
OBJC_IMPLEMENT_CATEGORY(NSObject_ClassDescription)

using foundation::detail::allocAs;
using foundation::detail::textOf;

// ---------------------------------------------------------------- NSString

OBJC_IMPLEMENT(NSString)

// Sent to a subclass, the factories make an instance of that subclass.
Ref<NSString> NSString::stringImpl(Class cls) { return allocAs<NSString>(cls); }
Ref<NSString> NSString::stringWithUTF8StringImpl(Class cls, const char* text) {
  if (!text) return nullptr;
  Ref<NSString> s = allocAs<NSString>(cls);
  s->text_.assign(text);
  return s;
}
Ref<NSString> NSString::stringWithStringImpl(Class cls, NSString* other) {
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

Ref<NSString> NSString::stringByAppendingStringImpl(NSString* s) { return make(text_ + std::string(textOf(s))); }

long NSString::compareOptionsImpl(NSString* other, unsigned long options) {
  if (!other) return NSOrderedDescending;
  return foundation::compareTexts(text_, other->text_, options);
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

// --------------------------------------------------------- NSMutableString

OBJC_IMPLEMENT(NSMutableString)

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
