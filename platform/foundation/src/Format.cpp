#include "foundation/Format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>

#include "foundation/NSString.h"

namespace foundation {

namespace {

using Kind = FormatArg::Kind;

// Widths and precisions beyond this are clamped: nobody means them, and they
// would only make a huge allocation.
constexpr int kMaxWidth = 4096;

struct Directive {
  std::string flags;
  int width = -1;
  int precision = -1;
  std::string length;  // "", "hh", "h", "l", "ll", "L", "q", "z", "t", "j"
  char conv = 0;
  bool leftAlign() const { return flags.find('-') != std::string::npos; }
};

const char* kindName(Kind k) {
  switch (k) {
    case Kind::Signed:
      return "int";
    case Kind::Unsigned:
      return "uint";
    case Kind::Real:
      return "real";
    case Kind::Text:
      return "text";
    case Kind::Object:
      return "object";
    case Kind::Pointer:
      return "pointer";
  }
  return "?";
}

std::string pointerText(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p)));
  return buf;
}

std::string realText(double d) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, ec == std::errc() ? end : buf);
}

std::string valueText(const FormatArg& a) {
  switch (a.kind) {
    case Kind::Signed:
      return std::to_string(a.i);
    case Kind::Unsigned:
      return std::to_string(a.u);
    case Kind::Real:
      return realText(a.d);
    case Kind::Text:
      return a.text.data ? std::string(a.text.data, a.text.size) : "(null)";
    case Kind::Object:
      return describe(a.obj);
    case Kind::Pointer:
      return pointerText(a.p);
  }
  return {};
}

void mark(std::string& out, char conv, const FormatArg* a) {
  out += "%!";
  out += conv;
  if (!a) {
    out += "(missing)";
    return;
  }
  out += '(';
  out += kindName(a->kind);
  out += '=';
  out += valueText(*a);
  out += ')';
}

void pad(std::string& out, std::string_view s, const Directive& directive) {
  std::size_t width = directive.width > 0 ? static_cast<std::size_t>(directive.width) : 0;
  std::size_t fill = width > s.size() ? width - s.size() : 0;
  if (!directive.leftAlign()) out.append(fill, ' ');
  out += s;
  if (directive.leftAlign()) out.append(fill, ' ');
}

// Precision of %s counts bytes; never cut a UTF-8 sequence in half.
std::string_view truncateText(std::string_view s, int precision) {
  if (precision < 0 || static_cast<std::size_t>(precision) >= s.size()) return s;
  std::size_t n = static_cast<std::size_t>(precision);
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

void appendUtf8(std::string& out, unsigned long cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string cDirective(const Directive& directive, const char* length, char conv) {
  std::string s = "%" + directive.flags;
  if (directive.width >= 0) s += std::to_string(directive.width);
  if (directive.precision >= 0) s += "." + std::to_string(directive.precision);
  s += length;
  s += conv;
  return s;
}

template <class T>
void appendC(std::string& out, const std::string& directive, T value) {
  char buf[256];
  int n = std::snprintf(buf, sizeof buf, directive.c_str(), value);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) < sizeof buf) {
    out.append(buf, static_cast<std::size_t>(n));
    return;
  }
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), directive.c_str(), value);
  big.resize(static_cast<std::size_t>(n));
  out += big;
}

bool isLong(const Directive& s) {
  return s.length == "l" || s.length == "ll" || s.length == "q" || s.length == "z" || s.length == "t" ||
         s.length == "j";
}

void formatOne(std::string& out, const Directive& directive, const FormatArg* a) {
  char c = directive.conv;
  if (!a) return mark(out, c, nullptr);
  switch (c) {
    case 'd':
    case 'i': {
      if (a->kind != Kind::Signed && a->kind != Kind::Unsigned) return mark(out, c, a);
      long long v = a->kind == Kind::Signed ? a->i : static_cast<long long>(a->u);
      // The same narrowing a C call would do for the declared width.
      if (directive.length == "hh")
        v = static_cast<signed char>(v);
      else if (directive.length == "h")
        v = static_cast<short>(v);
      else if (!isLong(directive))
        v = static_cast<int>(v);
      return appendC(out, cDirective(directive, "ll", c), v);
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
      if (a->kind != Kind::Signed && a->kind != Kind::Unsigned) return mark(out, c, a);
      unsigned long long v = a->kind == Kind::Unsigned ? a->u : static_cast<unsigned long long>(a->i);
      if (directive.length == "hh")
        v = static_cast<unsigned char>(v);
      else if (directive.length == "h")
        v = static_cast<unsigned short>(v);
      else if (!isLong(directive))
        v = static_cast<unsigned>(v);
      return appendC(out, cDirective(directive, "ll", c), v);
    }
    case 'c':
    case 'C': {
      if (a->kind != Kind::Signed && a->kind != Kind::Unsigned) return mark(out, c, a);
      unsigned long v = a->kind == Kind::Signed ? static_cast<unsigned long>(a->i) : a->u;
      std::string ch;
      if (c == 'C' || directive.length == "l")
        appendUtf8(ch, v);
      else
        ch += static_cast<char>(static_cast<unsigned char>(v));
      return pad(out, ch, directive);
    }
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (a->kind != Kind::Real) return mark(out, c, a);
      return appendC(out, cDirective(directive, "", c), a->d);
    case 's':
    case 'S':
    case '@': {
      std::string text;
      if (a->kind == Kind::Text) {
        text = a->text.data ? std::string(a->text.data, a->text.size) : "(null)";
      } else if (a->kind == Kind::Object) {
        text = describe(a->obj);
      } else {
        return mark(out, c, a);
      }
      return pad(out, truncateText(text, directive.precision), directive);
    }
    case 'p': {
      const void* p;
      if (a->kind == Kind::Pointer)
        p = a->p;
      else if (a->kind == Kind::Object)
        p = a->obj;
      else if (a->kind == Kind::Text)
        p = a->text.data;
      else
        return mark(out, c, a);
      return pad(out, pointerText(p), directive);
    }
    default:
      return mark(out, c, a);
  }
}

bool isConversion(char c) { return std::string_view("@diuxXocCsSpfFeEgGaAn").find(c) != std::string_view::npos; }

}  // namespace

std::string formatString(std::string_view fmt, std::span<const FormatArg> args) {
  std::string out;
  out.reserve(fmt.size() + 16 * args.size());
  std::size_t next = 0;
  auto take = [&](long index) -> const FormatArg* {
    std::size_t i = index >= 0 ? static_cast<std::size_t>(index) : next++;
    return i < args.size() ? &args[i] : nullptr;
  };
  auto readInt = [&](std::size_t& i) {
    long v = 0;
    while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
      v = std::min<long>(v * 10 + (fmt[i] - '0'), 1L << 30);
      ++i;
    }
    return v;
  };
  auto starValue = [&](const FormatArg* a, bool& ok) -> long {
    ok = a && (a->kind == Kind::Signed || a->kind == Kind::Unsigned);
    if (!ok) return 0;
    return a->kind == Kind::Signed ? static_cast<long>(std::clamp<long long>(a->i, -kMaxWidth, kMaxWidth))
                                   : static_cast<long>(std::min<unsigned long long>(a->u, kMaxWidth));
  };

  std::size_t i = 0;
  while (i < fmt.size()) {
    std::size_t pct = fmt.find('%', i);
    if (pct == std::string_view::npos) {
      out.append(fmt.substr(i));
      break;
    }
    out.append(fmt.substr(i, pct - i));
    std::size_t start = pct;
    i = pct + 1;
    if (i < fmt.size() && fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // Unified-log qualifiers such as {public} change nothing here.
    while (i < fmt.size() && fmt[i] == '{') {
      std::size_t close = fmt.find('}', i);
      if (close == std::string_view::npos) break;
      i = close + 1;
    }
    Directive directive;
    long position = -1;
    {
      std::size_t j = i;
      long n = readInt(j);
      if (j > i && j < fmt.size() && fmt[j] == '$' && n > 0) {
        position = n - 1;
        i = j + 1;
      }
    }
    while (i < fmt.size() && std::string_view("-+ #0'").find(fmt[i]) != std::string_view::npos)
      directive.flags += fmt[i++];
    if (i < fmt.size() && fmt[i] == '*') {
      ++i;
      bool ok;
      long w = starValue(take(-1), ok);
      if (ok) {
        if (w < 0) {
          directive.flags += '-';
          w = -w;
        }
        directive.width = static_cast<int>(w);
      }
    } else if (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
      directive.width = static_cast<int>(std::min<long>(readInt(i), kMaxWidth));
    }
    if (i < fmt.size() && fmt[i] == '.') {
      ++i;
      if (i < fmt.size() && fmt[i] == '*') {
        ++i;
        bool ok;
        long p = starValue(take(-1), ok);
        directive.precision = ok && p >= 0 ? static_cast<int>(p) : -1;
      } else {
        directive.precision = static_cast<int>(std::min<long>(readInt(i), kMaxWidth));
      }
    }
    for (const char* mod : {"hh", "ll", "h", "l", "L", "q", "z", "t", "j"}) {
      std::string_view m(mod);
      if (fmt.substr(i, m.size()) == m) {
        directive.length = m;
        i += m.size();
        break;
      }
    }
    if (i >= fmt.size() || !isConversion(fmt[i])) {
      // Not a conversion after all: keep the text as written.
      std::size_t end = i < fmt.size() ? i + 1 : i;
      out.append(fmt.substr(start, end - start));
      i = end;
      continue;
    }
    directive.conv = fmt[i++];
    const FormatArg* arg = take(position);
    if (directive.conv == 'n') {
      // Writing through an argument is never done; the argument is used up.
      out += "%!n(unsupported)";
      continue;
    }
    formatOne(out, directive, arg);
  }
  return out;
}

}  // namespace foundation
