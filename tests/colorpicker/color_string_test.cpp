#include <gtest/gtest.h>

#include <cmath>

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

TEST(ColorNotation, ReadsWhatPeopleWriteBesideColourStrings) {
  using colorpicker::parseColorNotation;
  EXPECT_EQ(parseColorNotation("#FF2D55:0.5"), parseColorString("#FF2D55:0.5"));
  EXPECT_EQ(parseColorNotation("#f25"), parseColorString("#FF2255"));
  auto withByte = parseColorNotation("#FF2D5580");
  ASSERT_TRUE(withByte);
  EXPECT_DOUBLE_EQ(withByte->alpha, 0x80 / 255.0);
  EXPECT_DOUBLE_EQ(withByte->green, 0x2D / 255.0);
  // What a colour string refuses stays refused: no opacity past 1, no trailing text.
  for (const char* bad : {"#FF2D55:5", "#FF2D55:0.5x", "#FF2D558", "#FF2D55800", "#F2", "#F25:0.5", "#GGG", "F25",
                          "#FF2D55GG", "#FF2D55:1.5"})
    EXPECT_FALSE(parseColorNotation(bad)) << '"' << bad << '"';
}

TEST(ColorNotation, AColourStringReadsBackAsTheSameEightBitOpacity) {
  EXPECT_EQ(colorpicker::colorString({1, 0x2D / 255.0, 0x55 / 255.0, 1}), "#FF2D55");
  EXPECT_EQ(colorpicker::colorString({1, 1, 1, 0.45}), "#FFFFFF:0.45");
  for (int byte = 0; byte < 255; ++byte) {
    std::string text = colorpicker::colorString({0, 0, 0, byte / 255.0});
    auto back = parseColorString(text);
    ASSERT_TRUE(back) << text;
    EXPECT_EQ(std::lround(back->alpha * 255), byte) << text;
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
