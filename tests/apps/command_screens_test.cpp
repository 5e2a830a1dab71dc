// What a person sees across restarts and in the demo's pictures, through the
// real command.
#include <cairo.h>

#include "CommandFixture.h"

namespace {

using nlohmann::json;

class ScreensTest : public CommandTest {};

TEST_F(ScreensTest, SettingsRelaunchedWithSpringBoardKeepsTheDarkAppearance) {
  up();
  ASSERT_EQ(corvallo({"appearance", "dark"}).code, 0);
  int before = status()["settings"]["pid"];
  ASSERT_EQ(corvallo({"respring", "--wait"}).code, 0);
  auto page = [&] {
    json s = status();
    if (s.value("settings", json()).value("pid", before) == before) return json{{"old", true}};
    Outcome o = corvallo({"settings", "--json"});
    return o.code == 0 ? o.json() : json{{"error", o.err}};
  };
  ASSERT_TRUE(eventually(page, [](const json& p) { return p.contains("appearance"); }, std::chrono::seconds(30)))
      << last_.dump();
  EXPECT_EQ(last_["appearance"], "dark");

  // And light again is kept as well.
  ASSERT_EQ(corvallo({"appearance", "light"}).code, 0);
  before = status()["settings"]["pid"];
  ASSERT_EQ(corvallo({"respring", "--wait"}).code, 0);
  ASSERT_TRUE(eventually(page, [](const json& p) { return p.contains("appearance"); }, std::chrono::seconds(30)))
      << last_.dump();
  EXPECT_EQ(last_["appearance"], "light");
}

int pictureHeight(const std::filesystem::path& png) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  int h = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS ? cairo_image_surface_get_height(s) : -1;
  cairo_surface_destroy(s);
  return h;
}

TEST_F(ScreensTest, TheDemoCaptionsBothLinesOfAStepAndPointsAtNoLogItDeleted) {
  std::filesystem::path pictures = root_ / "pictures";
  Outcome demo = run({program(), "demo", "--out", pictures.string()});
  ASSERT_EQ(demo.code, 0) << demo.out << demo.err;
  // The temporary root is gone when the demo ends: no log to read there.
  EXPECT_EQ(demo.out.find(" log\n"), std::string::npos) << demo.out;
  // Step 8 prints two lines; its caption holds both, so it stands taller than
  // step 7's one line by more than one line of caption.
  int seven = pictureHeight(pictures / "step07.png"), eight = pictureHeight(pictures / "step08.png");
  ASSERT_GT(seven, 0);
  EXPECT_GT(eight - seven, 2 * 20 * 2) << "step 7 " << seven << ", step 8 " << eight;
}

}  // namespace
