#include <gtest/gtest.h>

#include "colorpicker/ColorString.h"
#include "colorpicker/libcolorpicker.h"

namespace {

using colorpicker::parseColorString;

TEST(ColorString, ReadsChannelsAndOptionalOpacity) {
  auto white = parseColorString("#FFFFFF");
  ASSERT_TRUE(white);
  EXPECT_EQ(*white, (RGBA{1, 1, 1, 1}));
  auto faded = parseColorString("#ffffff:0.45");
  ASSERT_TRUE(faded);
  EXPECT_DOUBLE_EQ(faded->alpha, 0.45);
  auto mixed = parseColorString("#19C246:1");
  ASSERT_TRUE(mixed);
  EXPECT_DOUBLE_EQ(mixed->red, 0x19 / 255.0);
  EXPECT_DOUBLE_EQ(mixed->green, 0xC2 / 255.0);
  EXPECT_DOUBLE_EQ(mixed->blue, 0x46 / 255.0);
  EXPECT_TRUE(parseColorString("#000000:0"));
  EXPECT_TRUE(parseColorString("#000000:.5"));
}

TEST(ColorString, AnythingElseIsNotAColour) {
  for (const char* bad : {"", "#", "FFFFFF", "#FFFFF", "#FFFFFG", "#FFFFFF:", "#FFFFFF:1.5", "#FFFFFF:-0.1",
                          "#FFFFFF:0.4x", "#FFFFFF0", "#FFFFFF;0.5", "0xFFFFFF", "#FFFFFF:nan", " #FFFFFF"}) {
    EXPECT_FALSE(parseColorString(bad)) << '"' << bad << '"';
  }
}

TEST(ColorString, TheLibraryFallsBackAndAlwaysGivesANewColour) {
  auto fallback = NSString::make("#FFFFFF:0.45");
  auto c = LCPParseColorString(NSString::make("#FF0000"), fallback);
  EXPECT_EQ(c->rgba(), (RGBA{1, 0, 0, 1}));
  EXPECT_EQ(LCPParseColorString(nullptr, fallback)->hexString(), "#FFFFFF:0.45");
  EXPECT_EQ(LCPParseColorString(NSString::make("red"), fallback)->hexString(), "#FFFFFF:0.45");
  EXPECT_EQ(LCPParseColorString(NSString::make("red"), NSString::make("blue"))->hexString(), "#FFFFFF");
  // Equal colours, distinct objects: identity tells them apart.
  EXPECT_NE(LCPParseColorString(fallback, nullptr).get(), LCPParseColorString(fallback, nullptr).get());
}

}  // namespace
