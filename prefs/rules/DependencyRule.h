// The rule language of a row's "depends" text. A rule is conditions joined by
// ", ", each "<key> <comparator> <value>" in words joined by single spaces:
// "isEnabled == 1, level >= 3". The row is hidden while a condition fails;
// the empty comparator forgets the failures before it.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "objc/NSObject.h"

namespace cvlo {

// The numbers are what operatorTypeForString: answers.
enum class Comparator : long {
  Equal = 0,
  NotEqual = 1,
  Greater = 2,
  Less = 3,
  GreaterOrEqual = 4,
  LessOrEqual = 5,
  Reset = 6,  // the empty text
};

// Matched exactly; any other text compares as Equal.
Comparator comparatorFor(std::string_view text);

// The compare text as a number: TRUE/YES 1, FALSE/NO 0 in any letter case,
// else the leading signed decimal integer (0 without one), clamped to 32 bits.
long long compareNumber(std::string_view text);

struct Condition {
  std::size_t words = 0;  // three when well formed; the other fields are then set
  std::string_view key;
  std::string_view comparator;
  std::string_view value;
  bool wellFormed() const { return words == 3; }
};

// Every condition of the rule in order, malformed ones included; the views
// point into `text`.
std::vector<Condition> parseRule(std::string_view text);

// Whether the row is hidden after one more well-formed condition, given
// whether it was before and the controlling row's value. A number compares
// with the comparator; a text must equal the value and a list contain it,
// whatever the comparator; any other value, or none, changes nothing.
bool hiddenAfter(bool hidden, const Condition& condition, NSObject* value);

// The number rule alone: `have` is the controlling row's value as an int.
bool hiddenAfter(bool hidden, Comparator comparator, long long have, long long want);

}  // namespace cvlo
