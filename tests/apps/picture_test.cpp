// Pictures of a Settings page drawn from hand-made host reports: what the
// picture draws is what the table holds, and what the bar covers stays covered.
#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "picture/Picture.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct Pixel {
  int r, g, b;
  bool operator==(const Pixel&) const = default;
};

class PictureTest : public testing::Test {
 protected:
  void SetUp() override { file_ = (fs::temp_directory_path() / ("cvpic." + std::to_string(::getpid()) + ".png")); }
  void TearDown() override { fs::remove(file_); }

  // Draws the page and keeps the picture; coordinates below are in points.
  void draw(const json& page, const std::string& appearance = "light") {
    if (png_) cairo_surface_destroy(png_);
    json state{{"appearance", appearance}, {"screen", {0, 0, 375, 812}}, {"navigationBarTint", "#007AFF"},
               {"page", page}};
    picture::drawSettingsPage(state, file_.string(), "");
    png_ = cairo_image_surface_create_from_png(file_.c_str());
    ASSERT_EQ(cairo_surface_status(png_), CAIRO_STATUS_SUCCESS);
  }
  Pixel at(double x, double y) const {
    const unsigned char* data = cairo_image_surface_get_data(png_);
    int px = static_cast<int>(x * picture::kScale), py = static_cast<int>(y * picture::kScale);
    auto word = *reinterpret_cast<const std::uint32_t*>(data + py * cairo_image_surface_get_stride(png_) + px * 4);
    return {static_cast<int>((word >> 16) & 0xFF), static_cast<int>((word >> 8) & 0xFF), static_cast<int>(word & 0xFF)};
  }
  // Every pixel of the area is `colour`.
  bool plain(double x0, double y0, double x1, double y1, Pixel colour) const {
    for (double y = y0; y < y1; y += 0.5)
      for (double x = x0; x < x1; x += 0.5)
        if (!(at(x, y) == colour)) return false;
    return true;
  }
  ~PictureTest() override {
    if (png_) cairo_surface_destroy(png_);
  }

  fs::path file_;
  cairo_surface_t* png_ = nullptr;
};

constexpr Pixel kLightBackground{0xF2, 0xF2, 0xF7};

json clearView() {
  return json{{"class", "UIView"}, {"frame", {{"x", 0}, {"y", 0}, {"width", 0}, {"height", 0}}},
              {"background", "#000000:0.00"}, {"subviews", json::array()}};
}

json row(const std::string& title, double y) {
  // Every key the host reports that the picture reads.
  return json{{"title", title}, {"height", 44.0}, {"hidden", false}, {"cellType", "PSSwitchCell"},
              {"switchOn", true}, {"tint", "#19C246"}, {"themeTint", "#19C246"}, {"textColor", "#000000"},
              {"detailText", nullptr}, {"detailTextColor", nullptr}, {"addedViews", json::array()},
              {"frame", {{"x", 0}, {"y", y}, {"width", 375}, {"height", 44}}}};
}

// A page as the Corvallo page reports it with "Enabled" off: the two sections
// whose rows are all hidden keep a clear header view 0.01 high and an empty footer view.
json pageWithHiddenSections() {
  json sections = json::array();
  sections.push_back({{"headerTitle", "General"}, {"headerFrame", {0, 0, 375, 38}}, {"headerView", nullptr},
                      {"footerTitle", "Turns every change on or off."}, {"footerFrame", {0, 82, 375, 40}},
                      {"footerView", nullptr}, {"rows", json::array({row("Enabled", 38)})}});
  sections.push_back({{"headerTitle", "Page Dots"}, {"headerFrame", {0, 122, 375, 0.01}}, {"headerView", clearView()},
                      {"footerTitle", "Hides the dots below the home screen pages."},
                      {"footerFrame", {0, 122.01, 375, 3.75}}, {"footerView", clearView()}, {"rows", json::array()}});
  sections.push_back({{"headerTitle", "Colours"}, {"headerFrame", {0, 125.76, 375, 0.01}}, {"headerView", clearView()},
                      {"footerTitle", nullptr}, {"footerFrame", {0, 125.77, 375, 3.75}}, {"footerView", clearView()},
                      {"rows", json::array()}});
  sections.push_back({{"headerTitle", "Actions"}, {"headerFrame", {0, 129.52, 375, 38}}, {"headerView", nullptr},
                      {"footerTitle", nullptr}, {"footerFrame", {0, 211.52, 375, 17.5}}, {"footerView", nullptr},
                      {"rows", json::array({row("Respring", 167.52)})}});
  return json{{"class", "CVLORootListController"}, {"title", "Corvallo"}, {"contentOffset", 0.0},
              {"sections", sections}};
}

}  // namespace

TEST_F(PictureTest, AHiddenSectionShowsItsOwnEmptyViewsNotItsTitles) {
  draw(pageWithHiddenSections());
  // Between the first section's footer text and the Actions title nothing is
  // drawn: not "PAGE DOTS", "COLOURS", nor the footer that would run into ACTIONS.
  constexpr double top = 91;
  EXPECT_TRUE(plain(20, top + 106, 355, top + 129.52 + 12, kLightBackground));
  // The sections that show their titles still do.
  EXPECT_FALSE(plain(36, top + 129.52 + 18, 120, top + 129.52 + 34, kLightBackground)) << "ACTIONS";
}

TEST_F(PictureTest, RowsScrolledUnderTheBarDoNotShowThroughIt) {
  for (const char* appearance : {"light", "dark"}) {
    json section{{"headerTitle", nullptr}, {"headerFrame", {0, 0, 375, 17.5}}, {"headerView", nullptr},
                 {"footerTitle", nullptr}, {"footerFrame", {0, 61.5, 375, 17.5}}, {"footerView", nullptr},
                 {"rows", json::array({row("Enabled", 17.5)})}};
    json page{{"class", "CVLORootListController"}, {"title", "Corvallo"}, {"contentOffset", 80.0},
              {"sections", json::array({section})}};
    draw(page, appearance);
    // Under the bar, beside its title, with the row's white cell and text scrolled behind.
    Pixel withRow = at(300, 55), besideText = at(60, 80);
    page["sections"][0]["rows"] = json::array();
    draw(page, appearance);
    EXPECT_EQ(withRow, at(300, 55)) << appearance;
    EXPECT_EQ(besideText, at(60, 80)) << appearance;
  }
}

TEST_F(PictureTest, TheBackButtonSaysThePageBelowInTheBarsTint) {
  json page{{"class", "CVLOSubListController"}, {"title", "About"}, {"contentOffset", 0.0}, {"sections", json::array()},
            {"navigationBar",
             {{"frame", {{"x", 0}, {"y", 0}, {"width", 375}, {"height", 44}}}, {"tint", "#19C246"},
              {"title", "About"}, {"titleView", nullptr}, {"rightItem", nullptr}, {"backTitle", "Corvallo"}}}};
  draw(page);
  // The chevron's stroke, in the bar's green.
  bool green = false;
  for (double y = 63; y < 75 && !green; y += 0.5)
    for (double x = 12; x < 26 && !green; x += 0.5) green = at(x, y) == Pixel{0x19, 0xC2, 0x46};
  EXPECT_TRUE(green);
  // The title is the one given: "Corvallo" reaches further right than "Back".
  auto inkRight = [&] {
    double right = 0;
    for (double x = 27; x < 150; x += 0.5)
      for (double y = 60; y < 78; y += 0.5)
        if (!(at(x, y) == kLightBackground)) right = x;
    return right;
  };
  double corvallo = inkRight();
  page["navigationBar"]["backTitle"] = "Back";
  draw(page);
  EXPECT_GT(corvallo, inkRight() + 20) << "the back button shows the title it is given";
}

// The demo's panels: both screens at the device's one size, under a caption
// given the lines it wraps to.
TEST_F(PictureTest, SideBySideGivesTheCaptionItsLinesAboveTwoScreensOfOneSize) {
  json home{{"screen", {0, 0, 375, 812}}};
  json settings{{"appearance", "light"}, {"screen", {0, 0, 375, 812}}, {"page", {{"class", "home"}}}};
  auto size = [&](const std::string& caption) {
    picture::drawSideBySide(home, settings, file_.string(), caption, "");
    cairo_surface_t* png = cairo_image_surface_create_from_png(file_.c_str());
    std::pair<int, int> wh{cairo_image_surface_get_width(png), cairo_image_surface_get_height(png)};
    cairo_surface_destroy(png);
    return wh;
  };
  auto one = size("1. Short");
  auto two = size("8. You confirm: the tweak writes the six defaults and SpringBoard relaunches with them; "
                  "Settings opens again on the stored values");
  EXPECT_EQ(one.first, static_cast<int>((375 * 2 + 3 * 24) * picture::kScale));
  EXPECT_EQ(one.second, static_cast<int>((56 + 812 + 24) * picture::kScale));
  EXPECT_GT(two.second, one.second + 20 * picture::kScale) << "room for the second line";
}

// A slider row with its value label: the track stops short of the label
// instead of running under it, and without a label it runs to the end.
TEST_F(PictureTest, ASlidersTrackStopsShortOfItsValueLabel) {
  for (const char* appearance : {"light", "dark"}) {
    json slider = row("", 38);
    slider.erase("switchOn");
    slider.update(json{{"cellType", "PSSliderCell"}, {"title", nullptr}, {"sliderValue", -10.0},
                       {"sliderMin", -10.0}, {"sliderMax", 10.0}, {"detailText", "10"}});
    json section{{"headerTitle", nullptr}, {"headerFrame", {0, 0, 375, 38}}, {"headerView", nullptr},
                 {"footerTitle", nullptr}, {"footerFrame", {0, 82, 375, 17.5}}, {"footerView", nullptr},
                 {"rows", json::array({slider})}};
    json page{{"class", "CVLOExamplesListController"}, {"title", "Examples"}, {"contentOffset", 0.0},
              {"sections", json::array({section})}};
    // The row's middle line on screen, and the cell's own colour beside the label.
    constexpr double middle = 91 + 38 + 22;
    draw(page, appearance);
    Pixel cell = at(200, middle - 12);
    EXPECT_TRUE(plain(306, middle - 1, 318, middle + 1, cell)) << appearance << ": the track runs under the label";
    page["sections"][0]["rows"][0]["detailText"] = nullptr;
    draw(page, appearance);
    EXPECT_FALSE(plain(306, middle - 1, 318, middle + 1, cell)) << appearance << ": no label, the track runs on";
  }
}

namespace {

// One row of the given kind in a section of its own, at the top of the page.
json pageWithRow(json r) {
  r["frame"] = {{"x", 0}, {"y", 17.5}, {"width", 375}, {"height", 44}};
  for (const char* key : {"textColor", "detailText", "detailTextColor"})
    if (!r.contains(key)) r[key] = nullptr;
  r["height"] = 44.0;
  r["hidden"] = false;
  json section{{"headerTitle", nullptr}, {"headerFrame", {0, 0, 375, 17.5}}, {"headerView", nullptr},
               {"footerTitle", nullptr}, {"footerFrame", {0, 61.5, 375, 17.5}}, {"footerView", nullptr},
               {"rows", json::array({r})}};
  return json{{"class", "PSEntryListController"}, {"title", "Rows"}, {"contentOffset", 0.0},
              {"sections", json::array({section})}};
}

}  // namespace

TEST_F(PictureTest, StandardRowKindsDrawWhatTheirReportSays) {
  constexpr double cy = 91 + 17.5 + 22;
  const Pixel white{0xFF, 0xFF, 0xFF};
  // The chosen segment is the raised pill; the others sit on the grey track.
  json segments{{"kind", "segment"}, {"title", ""}, {"segments", {"Low", "Mid", "High"}}, {"selectedSegment", 2}};
  draw(pageWithRow(segments));
  Pixel chosenThird = at(262, cy - 12), firstOnTrack = at(93, cy - 12);
  EXPECT_EQ(chosenThird, white);
  EXPECT_NE(firstOnTrack, white);
  EXPECT_EQ(at(40, cy - 12), firstOnTrack) << "without a title the control spans its row";
  segments["selectedSegment"] = 0;
  draw(pageWithRow(segments));
  EXPECT_EQ(at(93, cy - 12), white);
  EXPECT_EQ(at(262, cy - 12), firstOnTrack);
  draw(pageWithRow(segments), "dark");
  EXPECT_NE(at(93, cy - 12), white) << "a dark page's pill is grey";
  EXPECT_NE(at(93, cy - 12), at(262, cy - 12));

  // A checked item's checkmark is in the tint; an unchecked one has none.
  json item{{"kind", "choice"}, {"title", "Dots"}, {"checked", true}, {"tint", "#FF0000"}};
  draw(pageWithRow(item));
  auto reddish = [&] {
    for (double y = cy - 8; y < cy + 8; y += 0.5)
      for (double x = 325; x < 345; x += 0.5)
        if (Pixel p = at(x, y); p.r > 200 && p.g < 120 && p.b < 120) return true;
    return false;
  };
  EXPECT_TRUE(reddish());
  item["checked"] = false;
  draw(pageWithRow(item));
  EXPECT_FALSE(reddish());

  // A text field shows its placeholder dimmed and its text in the label's ink, at the trailing end.
  json field{{"kind", "textField"}, {"title", "Name"},
             {"textField", {{"text", nullptr}, {"length", 0}, {"placeholder", "WWWWWW"}, {"secure", false}}}};
  draw(pageWithRow(field));
  auto darkest = [&] {
    int low = 255;
    for (double y = cy - 10; y < cy + 10; y += 0.5)
      for (double x = 250; x < 343; x += 0.5) low = std::min(low, at(x, y).g);
    return low;
  };
  int placeholderInk = darkest();
  EXPECT_LT(placeholderInk, 250) << "the placeholder is drawn inside the cell";
  field["textField"]["text"] = "WWWWWW";
  field["textField"]["length"] = 6;
  draw(pageWithRow(field));
  EXPECT_LT(darkest(), placeholderInk - 60) << "typed text is darker than a placeholder";

  // The notice of code that did not load carries its orange mark.
  draw(pageWithRow(json{{"kind", "notice"}, {"title", "Its code did not load"}}));
  Pixel mark = at(16 + 16 + 4, cy);  // inside the circle, beside its "!"
  EXPECT_GT(mark.r, 200);
  EXPECT_LT(mark.b, 80);
}
