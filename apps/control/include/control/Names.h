// Matching what a person typed against the names on screen: without regard
// to case, and, when nothing matches, naming the ones that exist and the
// nearest of them.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace control {

inline std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

inline bool sameName(std::string_view a, std::string_view b) { return lowered(a) == lowered(b); }

// A person's text quoted in a message, cut to 80 characters: it may be anything.
inline std::string echoed(std::string_view text) {
  constexpr std::size_t kLongest = 80;
  std::string shown(text.substr(0, kLongest));
  if (text.size() > kLongest) shown += "…";
  for (auto at = shown.find('\0'); at != std::string::npos; at = shown.find('\0', at + 2)) shown.replace(at, 1, "\\0");
  return "\"" + shown + "\"";
}

// The edit distance between two names, case aside.
inline std::size_t nameDistance(std::string_view a, std::string_view b) {
  std::string x = lowered(a), y = lowered(b);
  std::vector<std::size_t> row(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= x.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= y.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

// The name `given` stands for, case aside.
inline std::optional<std::string> matchName(const std::vector<std::string>& names, std::string_view given) {
  for (const auto& n : names)
    if (n == given) return n;
  for (const auto& n : names)
    if (sameName(n, given)) return n;
  return std::nullopt;
}

// "did you mean "X"? (there are: "A", "B")": the nearest name when it is near
// enough to be a slip, then all of them.
inline std::string namesHint(const std::vector<std::string>& names, std::string_view given) {
  if (names.empty()) return "there are none";
  const std::string* nearest = nullptr;
  std::size_t best = 0;
  for (const auto& n : names) {
    std::size_t d = nameDistance(n, given);
    bool contains = !given.empty() && lowered(n).find(lowered(given)) != std::string::npos;
    if (contains) d = std::min<std::size_t>(d, 1);
    if (!nearest || d < best) nearest = &n, best = d;
  }
  std::string out;
  if (best <= std::max<std::size_t>(2, nearest->size() / 3)) out = "did you mean " + echoed(*nearest) + "? ";
  out += "there are: ";
  for (std::size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + echoed(names[i]);
  return out;
}

}  // namespace control
