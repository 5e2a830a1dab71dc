#include "rules/DependencyRule.h"

#include <climits>
#include <string>

#include "foundation/NSArray.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"

namespace cvlo {

namespace {

constexpr std::string_view kConditionSeparator = ", ";
constexpr std::string_view kWordSeparator = " ";

// Splits as componentsSeparatedByString: does, without making the pieces.
template <class F>
void eachPiece(std::string_view text, std::string_view separator, F&& f) {
  for (std::size_t from = 0;;) {
    std::size_t at = text.find(separator, from);
    f(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return;
    from = at + separator.size();
  }
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

Comparator comparatorFor(std::string_view text) {
  static constexpr std::pair<std::string_view, Comparator> kTable[] = {
      {"==", Comparator::Equal}, {"!=", Comparator::NotEqual},       {">", Comparator::Greater},
      {"<", Comparator::Less},   {">=", Comparator::GreaterOrEqual}, {"<=", Comparator::LessOrEqual},
      {"", Comparator::Reset}};
  for (const auto& [spelling, comparator] : kTable)
    if (text == spelling) return comparator;
  return Comparator::Equal;
}

long long compareNumber(std::string_view text) {
  std::string upper;
  for (char c : text) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
  if (upper == "TRUE" || upper == "YES") return 1;
  if (upper == "FALSE" || upper == "NO") return 0;
  constexpr long long kBeyond = static_cast<long long>(INT_MAX) + 1;  // far enough to clamp either way
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > kBeyond) v = kBeyond;
  }
  v = negative ? -v : v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return v;
}

std::vector<Condition> parseRule(std::string_view text) {
  std::vector<Condition> out;
  eachPiece(text, kConditionSeparator, [&](std::string_view piece) {
    Condition c;
    std::string_view* fields[] = {&c.key, &c.comparator, &c.value};
    eachPiece(piece, kWordSeparator, [&](std::string_view word) {
      if (c.words < 3) *fields[c.words] = word;
      ++c.words;
    });
    if (!c.wellFormed()) c.key = c.comparator = c.value = {};
    out.push_back(c);
  });
  return out;
}

bool hiddenAfter(bool hidden, Comparator comparator, long long have, long long want) {
  switch (comparator) {
    case Comparator::Equal:
      return hidden || have != want;
    case Comparator::NotEqual:
      return hidden || have == want;
    case Comparator::Greater:
      return hidden || have < want;
    case Comparator::Less:
      return hidden || have > want;
    case Comparator::GreaterOrEqual:
      return hidden || have <= want;
    case Comparator::LessOrEqual:
      return hidden || have >= want;
    case Comparator::Reset:
      return false;
  }
  return false;
}

bool hiddenAfter(bool hidden, const Condition& condition, NSObject* value) {
  if (auto* number = objc_cast<NSNumber>(value))
    return hiddenAfter(hidden, comparatorFor(condition.comparator), number->intValue(), compareNumber(condition.value));
  if (auto* text = objc_cast<NSString>(value)) return hidden || text->utf8() != condition.value;
  if (auto* list = objc_cast<NSArray>(value)) return hidden || !list->containsObject(NSString::make(condition.value));
  return hidden;
}

}  // namespace cvlo
