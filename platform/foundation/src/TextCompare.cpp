#include <cctype>

#include "foundation/NSString.h"

namespace foundation {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A run of digits as a number of any length: leading zeros dropped, then the
// longer run is the larger, then the digits decide.
int compareDigitRuns(std::string_view a, std::string_view b) {
  while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
  while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::string_view digitRun(std::string_view s, std::size_t at) {
  std::size_t end = at;
  while (end < s.size() && isDigit(s[end])) ++end;
  return s.substr(at, end - at);
}

}  // namespace

long compareTexts(std::string_view a, std::string_view b, unsigned long options) {
  const bool numeric = options & NSNumericSearch;
  const bool folded = options & NSCaseInsensitiveSearch;
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (numeric && isDigit(a[i]) && isDigit(b[j])) {
      std::string_view ra = digitRun(a, i), rb = digitRun(b, j);
      if (int c = compareDigitRuns(ra, rb)) return c;
      i += ra.size();
      j += rb.size();
      continue;
    }
    auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
    if (folded) {
      ca = static_cast<unsigned char>(std::tolower(ca));
      cb = static_cast<unsigned char>(std::tolower(cb));
    }
    if (ca != cb) return ca < cb ? NSOrderedAscending : NSOrderedDescending;
    ++i;
    ++j;
  }
  if (i < a.size()) return NSOrderedDescending;
  if (j < b.size()) return NSOrderedAscending;
  return NSOrderedSame;
}

}  // namespace foundation
