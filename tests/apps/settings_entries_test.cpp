// The Settings host, in this process, over the page-list set in tests/pages:
// entries appear without a restart, any tweak's rows are driven through the
// protocol, and an entry that cannot open leaves the host answering.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "SettingsHost.h"
#include "control/ControlServer.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"

namespace fs = std::filesystem;
using nlohmann::json;
using testing::HasSubstr;

namespace {

const std::string& root() {
  static const std::string r = [] {
    std::string base = (fs::temp_directory_path() / "cventries-XXXXXX").string();
    if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    foundation::setDeviceRootOverride(base);
    setenv("CORVALLO_DEVICE_ROOT", base.c_str(), 1);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(foundation::deviceRoot(), ec);
    });
    return base;
  }();
  return r;
}

json rowNamed(const json& state, const std::string& name) {
  for (const auto& s : state["page"]["sections"])
    for (const auto& r : s["rows"])
      if (r.value("key", json()) == name || r.value("title", json()) == name) return r;
  throw std::runtime_error("no row " + name);
}

Ref<NSObject> stored(const char* key) {
  auto d = NSUserDefaults::standardUserDefaults()->persistentDomainForName("com.example.allrows"_ns);
  return d ? Ref<NSObject>(d->find(key)) : nullptr;
}

}  // namespace

TEST(SettingsEntries, AnInstalledTweakAppearsOnRescanAndItsRowsAreDriven) {
  fs::remove_all(root() + "/Library");
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName("com.example.allrows"_ns);
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName("com.example.quicktoggle"_ns);
  settings::Host host;
  EXPECT_EQ(host.handle({{"op", "rescanEntries"}}), (json{{"ok", true}, {"entries", json::array()}}));
  fs::copy(CORVALLO_PAGES_LAYOUT, root(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  json rescan = host.handle({{"op", "rescanEntries"}});
  EXPECT_EQ(rescan["entries"], (json{"All Rows", "Broken Tweak", "Quick Toggle"}));

  host.handle({{"op", "open"}, {"entry", "All Rows"}});
  json state = host.handle({{"op", "state"}});
  EXPECT_THAT(state["page"]["notice"].get<std::string>(), HasSubstr("built for iOS"));
  json mode = rowNamed(state, "mode");
  EXPECT_EQ(mode["kind"], "segment");
  EXPECT_EQ(mode["segments"], (json{"Low", "Medium", "High"}));  // from the text-form table
  EXPECT_EQ(mode["selectedSegment"], 1);
  EXPECT_EQ(rowNamed(state, "Reset")["placeholder"], "resetSettings");
  EXPECT_EQ(rowNamed(state, "password")["textField"]["secure"], true);

  host.handle({{"op", "setRowValue"}, {"row", "mode"}, {"value", "High"}});
  host.handle({{"op", "setRowValue"}, {"row", "style"}, {"value", "Bars"}});
  host.handle({{"op", "typeText"}, {"row", "name"}, {"text", "Ada"}});
  EXPECT_EQ(static_cast<NSNumber*>(stored("mode").get())->integerValue(), 2);
  EXPECT_EQ(static_cast<NSString*>(stored("style").get())->utf8(), "bars");
  EXPECT_EQ(static_cast<NSString*>(stored("name").get())->utf8(), "Ada");
  state = host.handle({{"op", "state"}});
  EXPECT_EQ(rowNamed(state, "mode")["selectedSegment"], 2);
  EXPECT_EQ(rowNamed(state, "style")["detailText"], "Bars");
  EXPECT_EQ(rowNamed(state, "name")["textField"]["text"], "Ada");
  EXPECT_THROW(host.handle({{"op", "typeText"}, {"row", "enabled"}, {"text", "x"}}), control::RequestError);
  EXPECT_THROW(host.handle({{"op", "setRowValue"}, {"row", "mode"}, {"value", "Loud"}}), control::RequestError);
  host.handle({{"op", "tap"}, {"row", "Reset"}});  // a placeholder: one log line, nothing else
  EXPECT_EQ(host.handle({{"op", "state"}})["page"]["title"], "All Rows");
  // A link to another page list of the bundle opens it on the same plain page.
  host.handle({{"op", "tap"}, {"row", "More"}});
  state = host.handle({{"op", "state"}});
  EXPECT_EQ(state["page"]["title"], "More");
  EXPECT_EQ(rowNamed(state, "extra")["kind"], "switch");
  host.handle({{"op", "back"}});

  // A simple entry's own items, stored in the domain they name.
  host.handle({{"op", "open"}, {"entry", "Quick Toggle"}});
  EXPECT_EQ(host.handle({{"op", "toggle"}, {"row", "quickEnabled"}}), (json{{"on", false}}));
  auto quick = NSUserDefaults::standardUserDefaults()->persistentDomainForName("com.example.quicktoggle"_ns);
  ASSERT_TRUE(quick);
  EXPECT_FALSE(static_cast<NSNumber*>(quick->find("quickEnabled"))->boolValue());
  host.handle({{"op", "open"}, {"entry", "All Rows"}});

  // An entry that cannot open says why on a page of one line; the host answers on.
  host.handle({{"op", "back"}});
  host.handle({{"op", "open"}, {"entry", "Broken Tweak"}});
  state = host.handle({{"op", "state"}});
  EXPECT_THAT(state["page"]["error"].get<std::string>(), HasSubstr("NotInstalled.bundle is not installed"));
  EXPECT_EQ(host.handle({{"op", "ping"}}), (json{{"pong", true}}));

  // Installed again with new texts, the page shows them after a rescan, as a
  // developer changing a translation expects.
  host.handle({{"op", "back"}});
  std::string table = root() + "/Library/PreferenceBundles/AllRows.bundle/en.lproj/Root.strings";
  std::string text;
  {
    std::ifstream in(table);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  text.replace(text.find("\"High\""), 6, "\"Loudest\"");
  std::ofstream(table, std::ios::trunc) << text;
  host.handle({{"op", "rescanEntries"}});
  host.handle({{"op", "open"}, {"entry", "All Rows"}});
  EXPECT_EQ(rowNamed(host.handle({{"op", "state"}}), "mode")["segments"], (json{"Low", "Medium", "Loudest"}));
}
