#include <gtest/gtest.h>

#include "foundation/Foundation.h"

namespace {

using foundation::format;

TEST(Format, PlatformConversions) {
  EXPECT_EQ(format("[DEBUG] rgbHexStringValue: %@", "#19c246"_ns), "[DEBUG] rgbHexStringValue: #19c246");
  EXPECT_EQ(format("v=%@", nullptr), "v=(null)");
  EXPECT_EQ(format("%@", Ref<NSString>()), "(null)");
  EXPECT_EQ(format("%d %i %ld %lu %u", -1, 2, -3L, 4UL, 5u), "-1 2 -3 4 5");
  EXPECT_EQ(format("%f|%.2f|%5.1f", 1.5, 0.456, 2.25), "1.500000|0.46|  2.2");
  EXPECT_EQ(format("%s and %s", "c text", std::string("c++ text")), "c text and c++ text");
  EXPECT_EQ(format("%s", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(format("100%% %x %X %o %c", 255, 255, 8, 'A'), "100% ff FF 10 A");
  EXPECT_EQ(format("%-4d|%04d|%+d", 7, 7, 7), "7   |0007|+7");
  EXPECT_EQ(format("%2$@ %1$@", "a"_ns, "b"_ns), "b a");
  EXPECT_EQ(format("%*d|%.*s", 3, 5, 2, "abc"), "  5|ab");
  EXPECT_EQ(format("%@", kCFBooleanTrue), "1");
  EXPECT_EQ(format("%d", true), "1");
}

TEST(Format, UnifiedLogQualifiersAreNoOps) {
  EXPECT_EQ(format("[%{public}s:%{public}d] %{public}@", "Tweak", 721, " = 1"_ns), "[Tweak:721]  = 1");
  EXPECT_EQ(format("%{private}@", "x"_ns), "x");
}

TEST(Format, PointersPrintLikeTheDevice) {
  auto obj = NSObject::make();
  char expected[64];
  std::snprintf(expected, sizeof expected, "-[<SBIconListPageControl: %p> defaultHeight]",
                static_cast<void*>(obj.get()));
  EXPECT_EQ(format("-[<SBIconListPageControl: %p> defaultHeight]", obj), expected);
  EXPECT_EQ(format("%p", nullptr), "0x0");
}

TEST(Format, MismatchesAreMarkedNotUndefined) {
  EXPECT_EQ(format("%d", "text"), "%!d(text=text)");
  EXPECT_EQ(format("%f", 3), "%!f(int=3)");
  EXPECT_EQ(format("%@ %d", "a"_ns), "a %!d(missing)");
  EXPECT_EQ(format("%@", 5), "%!@(int=5)");
  EXPECT_EQ(format("%n", 5), "%!n(unsupported)");
  EXPECT_EQ(format("%d", 1, 2, 3), "1");  // extra arguments are ignored, as in C
  EXPECT_EQ(format("50%"), "50%");
  EXPECT_EQ(format("%k and %{public"), "%k and %{public");
  EXPECT_EQ(format("%99999999d", 1).size(), 4096u);
  // %d narrows like a C call would; %ld keeps the width.
  EXPECT_EQ(format("%d %ld", 4294967297LL, 4294967297LL), "1 4294967297");
  // Texts and objects stand in for each other.
  EXPECT_EQ(format("%s|%@", "x"_ns, "y"), "x|y");
}

TEST(Format, StringWithFormatTakesAnyFormText) {
  EXPECT_EQ(NSString::stringWithFormat(" = %f", 12.5)->utf8(), " = 12.500000");
  EXPECT_EQ(NSString::stringWithFormat(" = %@"_ns, "x"_ns)->utf8(), " = x");
  EXPECT_EQ(NSString::stringWithFormat(std::string("%d%%"), 5)->utf8(), "5%");
}

}  // namespace
