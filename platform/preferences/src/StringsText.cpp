#include "preferences/StringsText.h"

#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

namespace preferences {

namespace {

using foundation::Error;

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool validUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    int more = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
    if (more < 0 || i + static_cast<std::size_t>(more) >= s.size()) return false;
    char32_t c = more == 0 ? b : b & (0x3F >> more);
    for (int k = 1; k <= more; ++k) {
      auto n = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((n & 0xC0) != 0x80) return false;
      c = (c << 6) | (n & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    static constexpr char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[more] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

// UTF-16 with its mark to UTF-8; nothing for a lone surrogate or an odd length.
std::optional<std::string> fromUtf16(std::string_view b, bool bigEndian) {
  if (b.size() % 2) return std::nullopt;
  std::string out;
  auto unit = [&](std::size_t i) {
    auto hi = static_cast<unsigned char>(b[bigEndian ? i : i + 1]), lo = static_cast<unsigned char>(b[bigEndian ? i + 1 : i]);
    return static_cast<char32_t>((hi << 8) | lo);
  };
  for (std::size_t i = 0; i < b.size(); i += 2) {
    char32_t c = unit(i);
    if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 2 >= b.size()) return std::nullopt;
      char32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    appendUtf8(out, c);
  }
  return out;
}

class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {}

  foundation::Result<Ref<NSDictionary>> table() {
    NSDictionary::Entries entries;
    if (!skipSpace()) return fail();
    // The whole table may stand in braces, as an old-style dictionary does.
    bool braced = at_ < s_.size() && s_[at_] == '{';
    if (braced) ++at_;
    while (true) {
      if (!skipSpace()) return fail();
      if (at_ == s_.size()) {
        if (braced) return fail("the table's closing brace is missing");
        break;
      }
      if (braced && s_[at_] == '}') {
        ++at_;
        if (!skipSpace()) return fail();
        if (at_ != s_.size()) return fail("text after the table's closing brace");
        break;
      }
      auto key = word();
      if (!key) return fail();
      if (!skipSpace()) return fail();
      std::string value = *key;
      if (at_ < s_.size() && s_[at_] == '=') {
        ++at_;
        if (!skipSpace()) return fail();
        auto v = word();
        if (!v) return fail();
        value = std::move(*v);
        if (!skipSpace()) return fail();
      }
      if (at_ == s_.size() || s_[at_] != ';') return fail("a ';' is missing");
      ++at_;
      // The last of a repeated key counts, as on the device.
      entries.insert_or_assign(std::move(*key), NSString::make(value));
    }
    return Ref<NSDictionary>(NSDictionary::make(std::move(entries)));
  }

 private:
  Error fail(std::string what = {}) const {
    if (what.empty()) what = error_.empty() ? "malformed text" : error_;
    long line = 1;
    for (std::size_t i = 0; i < at_ && i < s_.size(); ++i) line += s_[i] == '\n';
    return Error{"line " + std::to_string(line) + ": " + what};
  }

  // Spaces and comments; false for a comment left open.
  bool skipSpace() {
    while (at_ < s_.size()) {
      char c = s_[at_];
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        ++at_;
      } else if (s_.substr(at_, 2) == "//") {
        while (at_ < s_.size() && s_[at_] != '\n') ++at_;
      } else if (s_.substr(at_, 2) == "/*") {
        std::size_t end = s_.find("*/", at_ + 2);
        if (end == std::string_view::npos) {
          error_ = "a comment is not closed";
          return false;
        }
        at_ = end + 2;
      } else {
        break;
      }
    }
    return true;
  }

  static bool bare(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '$' || c == ':' || c == '/' || c == '-';
  }

  std::optional<std::string> word() {
    if (at_ == s_.size()) {
      error_ = "a key or value is missing";
      return std::nullopt;
    }
    if (s_[at_] != '"') {
      std::size_t from = at_;
      while (at_ < s_.size() && bare(s_[at_]) && s_.substr(at_, 2) != "//" && s_.substr(at_, 2) != "/*") ++at_;
      if (at_ == from) {
        error_ = std::string("unexpected '") + s_[at_] + "'";
        return std::nullopt;
      }
      return std::string(s_.substr(from, at_ - from));
    }
    ++at_;
    std::string out;
    while (true) {
      if (at_ >= s_.size()) {
        error_ = "a quoted text is not closed";
        return std::nullopt;
      }
      char c = s_[at_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= s_.size()) continue;  // reported as not closed
      char e = s_[at_++];
      switch (e) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case 'U':
        case 'u': {
          char32_t c32 = 0;
          int digits = 0;
          while (digits < 4 && at_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[at_]))) {
            char h = s_[at_++];
            c32 = c32 * 16 + static_cast<char32_t>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
            ++digits;
          }
          if (digits == 0) {
            error_ = "\\U without hexadecimal digits";
            return std::nullopt;
          }
          // A surrogate pair is written as two escapes.
          if (c32 >= 0xD800 && c32 <= 0xDBFF && s_.substr(at_, 2).size() == 2 && s_[at_] == '\\' &&
              (s_[at_ + 1] == 'U' || s_[at_ + 1] == 'u')) {
            std::size_t save = at_;
            at_ += 2;
            char32_t low = 0;
            int n = 0;
            while (n < 4 && at_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[at_]))) {
              char h = s_[at_++];
              low = low * 16 + static_cast<char32_t>(h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
              ++n;
            }
            if (low >= 0xDC00 && low <= 0xDFFF)
              c32 = 0x10000 + ((c32 - 0xD800) << 10) + (low - 0xDC00);
            else
              at_ = save;
          }
          if (c32 == 0 || (c32 >= 0xD800 && c32 <= 0xDFFF)) {
            error_ = "\\U names no character";
            return std::nullopt;
          }
          appendUtf8(out, c32);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            int v = e - '0', n = 1;
            while (n < 3 && at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '7') v = v * 8 + (s_[at_++] - '0'), ++n;
            if (v == 0 || v > 0x7F) {
              error_ = "an octal escape that is not a character";
              return std::nullopt;
            }
            out += static_cast<char>(v);
          } else {
            out += e;  // \" \\ \' and any other character stand for themselves
          }
      }
    }
  }

  std::string_view s_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace

foundation::Result<Ref<NSDictionary>> parseStringsText(std::string_view bytes) {
  std::string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    auto t = fromUtf16(bytes.substr(2), false);
    if (!t) return Error{"not UTF-16 text"};
    text = std::move(*t);
  } else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
             static_cast<unsigned char>(bytes[1]) == 0xFF) {
    auto t = fromUtf16(bytes.substr(2), true);
    if (!t) return Error{"not UTF-16 text"};
    text = std::move(*t);
  } else {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (!validUtf8(bytes)) return Error{"not UTF-8 text"};
    text = std::string(bytes);
  }
  // A NUL would end a key early wherever it is used as a C string.
  if (text.find('\0') != std::string::npos) return Error{"the text holds a NUL"};
  return Reader(text).table();
}

}  // namespace preferences
