// Propagating a failure with FOUNDATION_TRY, and what value() of one does.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/Result.h"

namespace foundation {
namespace {

Result<int> digit(char c) {
  if (c < '0' || c > '9') return Error{std::string("not a digit: ") + c};
  return c - '0';
}

Status even(int n) {
  if (n % 2) return Error{std::to_string(n) + " is odd"};
  return Done{};
}

// Two digits as a number, when it is even; `steps` counts what ran.
Result<int> evenNumber(const char* text, int& steps) {
  steps = 0;
  int tens = FOUNDATION_TRY(digit(text[0]));
  ++steps;
  int ones = FOUNDATION_TRY(digit(text[1]));
  ++steps;
  FOUNDATION_TRY(even(tens * 10 + ones));
  ++steps;
  return tens * 10 + ones;
}

TEST(ResultPropagation, TheFirstFailureReturnsItsTextAndNothingAfterItRuns) {
  int steps = 0;
  auto ok = evenNumber("42", steps);
  ASSERT_TRUE(ok.ok()) << ok.error();
  EXPECT_EQ(ok.value(), 42);
  EXPECT_EQ(steps, 3);

  struct Case {
    const char* text;
    const char* error;
    int steps;
  };
  for (const Case& c : {Case{"x2", "not a digit: x", 0}, Case{"4y", "not a digit: y", 1}, Case{"43", "43 is odd", 2}}) {
    auto r = evenNumber(c.text, steps);
    EXPECT_FALSE(r.ok()) << c.text;
    EXPECT_EQ(r.error(), c.error);
    EXPECT_EQ(steps, c.steps) << c.text;
  }
}

TEST(ResultPropagation, AValueThatOnlyMovesIsMovedOut) {
  auto doubled = [](Result<std::unique_ptr<int>> made) -> Result<int> {
    std::unique_ptr<int> p = FOUNDATION_TRY(std::move(made));
    return *p * 2;
  };
  EXPECT_EQ(doubled(std::make_unique<int>(21)).value(), 42);
  EXPECT_EQ(doubled(Error{"none made"}).error(), "none made");
}

TEST(ResultValue, OfAFailureStopsADebugBuildWithTheFailuresText) {
#ifdef NDEBUG
  GTEST_SKIP() << "a release build does not check value()";
#else
  Result<std::string> r = Error{"the file is not a property list"};
  EXPECT_DEATH(static_cast<void>(r.value()), "value\\(\\) of a failed Result: the file is not a property list");
  EXPECT_DEATH(static_cast<void>(r->size()), "the file is not a property list");
  Status s = Error{"no space left"};
  EXPECT_DEATH(static_cast<void>(std::move(s).value()), "no space left");
#endif
}

}  // namespace
}  // namespace foundation
