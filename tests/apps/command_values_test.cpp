// Values given to the real command as a person writes them: colours in each
// notation, and what it says when a value, a name or a device is wrong.
#include <algorithm>

#include "CommandFixture.h"

namespace {

using nlohmann::json;

class ValuesTest : public CommandTest {
 protected:
  std::string stored(const std::string& key) {
    Outcome o = corvallo({"defaults", "read", "com.tenvarix.corvalloprefs", key});
    EXPECT_EQ(o.code, 0) << o.err;
    return o.out.substr(0, o.out.find('\n'));
  }
};

TEST_F(ValuesTest, ColoursInEachNotationAreStoredAsTheTweakReadsThem) {
  up();
  ASSERT_EQ(corvallo({"toggle", "isColorCustomizationEnabled"}).code, 0);
  struct Case {
    const char *key, *given, *kept;
  };
  for (auto c : {Case{"activePageDotColor", "#FF2D55", "#FF2D55"}, Case{"activePageDotColor", "#f25", "#FF2255"},
                 Case{"activePageDotColor", "#12345678", nullptr}, Case{"inactivePageDotColor", "#FF2D5580", "#FF2D55:0.50"},
                 Case{"inactivePageDotColor", "#FF2D55:0.35", "#FF2D55:0.35"},
                 Case{"inactivePageDotColor", "#0A0B0C", "#0A0B0C"}}) {
    Outcome o = corvallo({"set", c.key, c.given});
    if (!c.kept) {
      // The current dot keeps no opacity: refused, with one it keeps.
      EXPECT_NE(o.code, 0) << c.given;
      EXPECT_NE(o.err.find("such as #123456"), std::string::npos) << o.err;
      EXPECT_EQ(stored(c.key), "#FF2255");
      continue;
    }
    ASSERT_EQ(o.code, 0) << c.given << ": " << o.err;
    EXPECT_EQ(stored(c.key), c.kept) << c.given;
  }
  // What `home` prints, `set` takes back.
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", "#FF2D55"}).code, 0);
  auto home = [&] { return corvallo({"home", "--json"}).json()["pageControls"][0]; };
  ASSERT_TRUE(eventually(home, [](const json& c) { return c["pageIndicatorTintColor"] == "#FF2D55FF"; }))
      << last_.dump();
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", "#0A0B0C"}).code, 0);
  ASSERT_TRUE(eventually(home, [](const json& c) { return c["pageIndicatorTintColor"] == "#0A0B0CFF"; }))
      << last_.dump();
  std::string shown = last_["pageIndicatorTintColor"];
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", "#FF2D55"}).code, 0);
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", shown}).code, 0) << shown;
  EXPECT_EQ(stored("inactivePageDotColor"), "#0A0B0C");

  Outcome bad = corvallo({"set", "inactivePageDotColor", "#FF2D55:2"});
  EXPECT_NE(bad.code, 0);
  EXPECT_NE(bad.err.find("such as #FF2D55"), std::string::npos) << bad.err;
  EXPECT_EQ(stored("inactivePageDotColor"), "#0A0B0C");
}

}  // namespace
