// Writes the store could not make, through the real command: each is an error
// line and a non-zero exit, and the screen shows what is stored.
#include "../common/SmallDisk.h"
#include "CommandFixture.h"

using nlohmann::json;

namespace {

constexpr const char* kPrefsDomain = "com.tenvarix.corvalloprefs";

class StoreFailureTest : public CommandTest {
 protected:
  void TearDown() override {
    corvallo({"down"});
    disk_.unmount();
    CommandTest::TearDown();
  }
  std::string prefs() const { return (root_ / "var/mobile/Library/Preferences").string(); }

  bool mountSmallDisk() { return disk_.mount(prefs()); }
  void fillDisk() { disk_.fill(); }
  void makeReadOnly() { ASSERT_EQ(disk_.makeReadOnly(), ""); }
  // The row as the Settings host reports it.
  json rowOf(const std::string& key) {
    json state = ask("settings", "state");
    for (const auto& s : state["page"].value("sections", json::array()))
      for (const auto& r : s.value("rows", json::array()))
        if (r.value("key", json()) == key) return r;
    return json{{"missing", state}};
  }
  // An overlay still fading out is taken away at the end of its fade, even
  // when a tap has shown it again meanwhile; the next `set` waits for it.
  void waitForOverlayToGo() {
    ASSERT_TRUE(eventually([&] { return ask("settings", "state"); },
                           [](const json& s) { return s.value("pickerOverlay", json()).is_null(); }))
        << last_.dump();
  }
  static void expectFailed(const Outcome& o, const char* why) {
    EXPECT_NE(o.code, 0) << o.out;
    EXPECT_NE(o.err.find(why), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }

  testsupport::SmallDisk disk_;
};

#define SKIP_WITHOUT_MOUNT() \
  if (!mountSmallDisk()) GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << strerror(errno)

}  // namespace

TEST_F(StoreFailureTest, DefaultsWritesAndDeletionsOnAFullDiskFailAndKeepTheDomain) {
  SKIP_WITHOUT_MOUNT();
  ASSERT_EQ(corvallo({"defaults", "write", "com.example.test", "a", "-int", "1"}).code, 0);
  fillDisk();
  expectFailed(corvallo({"defaults", "write", "com.example.test", "b", "-int", "2"}), "No space left on device");
  expectFailed(corvallo({"defaults", "delete", "com.example.test", "a"}), "No space left on device");
  EXPECT_EQ(corvallo({"defaults", "read", "com.example.test", "a"}).out, "1\n");
  EXPECT_NE(corvallo({"defaults", "read", "com.example.test", "b"}).code, 0);
}

TEST_F(StoreFailureTest, DefaultsOnAReadOnlyFolderFailWithTheRealReason) {
  SKIP_WITHOUT_MOUNT();
  ASSERT_EQ(corvallo({"defaults", "write", "com.example.test", "a", "-int", "1"}).code, 0);
  makeReadOnly();
  expectFailed(corvallo({"defaults", "delete", "com.example.test"}), "Read-only file system");
  expectFailed(corvallo({"defaults", "delete", "com.example.test", "a"}), "Read-only file system");
  expectFailed(corvallo({"defaults", "write", "com.example.test", "a", "-int", "2"}), "Read-only file system");
  EXPECT_EQ(corvallo({"defaults", "read", "com.example.test", "a"}).out, "1\n");
}

TEST_F(StoreFailureTest, DefaultsRefusesADateTheStoreCannotHold) {
  expectFailed(corvallo({"defaults", "write", "com.example.test", "k", "-date", "2070-01-01 00:00:00 +0000"}),
               "a date the store holds");
  expectFailed(corvallo({"defaults", "write", "com.example.test", "k", "-date", "1900-01-01 00:00:00 +0000"}),
               "a date the store holds");
  EXPECT_NE(corvallo({"defaults", "read", "com.example.test"}).code, 0);
  ASSERT_EQ(corvallo({"defaults", "write", "com.example.test", "k", "-date", "2069-01-19 03:14:07 +0000"}).code, 0);
  EXPECT_EQ(corvallo({"defaults", "read", "com.example.test", "k"}).out, "2069-01-19 03:14:07 +0000\n");
}

// The switch turns as the tap asks, the store refuses, and the switch turns
// back: the page, the store and the command's answer agree.
TEST_F(StoreFailureTest, ASwitchWhoseWriteFailsGoesBackAndTheCommandFails) {
  SKIP_WITHOUT_MOUNT();
  up();
  bool before = rowOf("isApplyToWidgetDotsEnabled").value("switchOn", false);
  fillDisk();
  expectFailed(corvallo({"toggle", "isApplyToWidgetDotsEnabled"}), "not stored");
  EXPECT_EQ(rowOf("isApplyToWidgetDotsEnabled").value("switchOn", !before), before);
  expectFailed(corvallo({"set", "isApplyToWidgetDotsEnabled", before ? "off" : "on"}), "not stored");
  EXPECT_EQ(rowOf("isApplyToWidgetDotsEnabled").value("switchOn", !before), before);

  std::filesystem::remove(prefs() + "/filler");
  makeReadOnly();
  expectFailed(corvallo({"toggle", "isApplyToWidgetDotsEnabled"}), "Read-only file system");
  EXPECT_EQ(rowOf("isApplyToWidgetDotsEnabled").value("switchOn", !before), before);
  Outcome stored = corvallo({"defaults", "read", kPrefsDomain, "isApplyToWidgetDotsEnabled"});
  EXPECT_EQ(stored.out, before ? "1\n" : "0\n") << stored.err;
}

TEST_F(StoreFailureTest, APickerDateTheStoreCannotHoldIsRefusedBeforeItShows) {
  up();
  ASSERT_EQ(corvallo({"open", "Corvallo Examples"}).code, 0);
  std::string shown = rowOf("exampleDate").value("detailText", "");
  expectFailed(corvallo({"set", "exampleDate", "2070-01-01T00:00:00Z"}), "the store holds dates from");
  json overlay = ask("settings", "state").value("pickerOverlay", json());
  EXPECT_TRUE(overlay.is_null() || overlay.value("value", "").find("2070") == std::string::npos) << overlay.dump();
  EXPECT_EQ(rowOf("exampleDate").value("detailText", ""), shown);
  Outcome stored = corvallo({"defaults", "read", "com.tenvarix.corvalloexamples", "exampleDate"});
  EXPECT_EQ(stored.out.find("2070"), std::string::npos) << stored.out;

  waitForOverlayToGo();
  Outcome fine = corvallo({"set", "exampleDate", "2024-01-02T12:00:00Z"});
  ASSERT_EQ(fine.code, 0) << fine.err;
  stored = corvallo({"defaults", "read", "com.tenvarix.corvalloexamples", "exampleDate"});
  EXPECT_NE(stored.out.find("2024-01-02"), std::string::npos) << stored.out;
}

TEST_F(StoreFailureTest, APickerWhoseWriteFailsKeepsTheStoredDateAndTheCommandFails) {
  SKIP_WITHOUT_MOUNT();
  up();
  ASSERT_EQ(corvallo({"open", "Corvallo Examples"}).code, 0);
  ASSERT_EQ(corvallo({"set", "exampleDate", "2024-01-02T12:00:00Z"}).code, 0);
  waitForOverlayToGo();
  fillDisk();
  expectFailed(corvallo({"set", "exampleDate", "2025-06-07T12:00:00Z"}), "not stored");
  EXPECT_TRUE(ask("settings", "state")["pickerOverlay"].is_null()) << "returned before the picker faded out";
  // The failed Submit still faded its picker out before the command returned:
  // the next one finds a picker to set, and fails for the disk alone.
  expectFailed(corvallo({"set", "exampleDate", "2025-06-08T12:00:00Z"}), "not stored");
  Outcome stored = corvallo({"defaults", "read", "com.tenvarix.corvalloexamples", "exampleDate"});
  EXPECT_NE(stored.out.find("2024-01-02"), std::string::npos) << stored.out;
  EXPECT_EQ(rowOf("exampleDate").value("detailText", ""), "January 2 2024");
}
