// Settings entries as the list finds them and what each opens: a simple
// entry's own items, a bundle's page list with or without code that loads
// here, placeholders for rows that need that code, and the one-line page of
// an entry that cannot open. Nothing outside the device root is read.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fixture.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "preferences/PSControlCells.h"
#include "preferences/PSEntryListController.h"
#include "preferences/PreferenceLoader.h"
#include "uikit/UIControls.h"

using namespace preferences_test;
using preferences::EntryKind;
using testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

std::string plist(const std::string& body) { return "<plist version=\"1.0\">" + body + "</plist>"; }

void write(const std::string& device, const std::string& text) {
  std::string host = foundation::devicePath(device);
  fs::create_directories(fs::path(host).parent_path());
  std::ofstream(host, std::ios::binary | std::ios::trunc) << text;
}

std::string entryDict(const std::string& inside) { return "<key>entry</key><dict>" + inside + "</dict>"; }

class Entries : public testing::Test {
 protected:
  void SetUp() override {
    deviceRoot();
    for (const char* prefix : {"", "/var/jb"}) {
      fs::remove_all(foundation::devicePath(std::string(prefix) + preferences::kEntriesFolder));
      fs::remove_all(foundation::devicePath(std::string(prefix) + "/Library/PreferenceBundles/Plain.bundle"));
    }
    fs::remove_all(foundation::devicePath("/Library/PreferenceBundles/Coded.bundle"));
  }
  void entry(const std::string& file, const std::string& body, const std::string& prefix = "") {
    write(prefix + preferences::kEntriesFolder + "/" + file, plist("<dict>" + body + "</dict>"));
  }
  // A bundle without code holding Root.plist with these rows.
  void plainBundle(const std::string& rows, const std::string& prefix = "") {
    write(prefix + "/Library/PreferenceBundles/Plain.bundle/Info.plist", plist("<dict/>"));
    write(prefix + "/Library/PreferenceBundles/Plain.bundle/Root.plist",
          plist("<dict><key>title</key><string>Plain</string><key>items</key><array>" + rows + "</array></dict>"));
  }
  static const preferences::BundleEntry& named(const std::vector<preferences::BundleEntry>& all,
                                               const std::string& label) {
    for (const auto& e : all)
      if (e.label == label) return e;
    throw std::runtime_error("no entry " + label);
  }
  static Ref<PSEntryListController> opened(const preferences::BundleEntry& e) {
    Ref<UIViewController> page = preferences::openEntry(e);
    auto* list = objc_cast<PSEntryListController>(page.get());
    if (!list) throw std::runtime_error(std::string("opened a ") + class_getName(page->isa()));
    return Ref<PSEntryListController>(list);
  }
  static std::vector<std::string> titles(PSListController* page) {
    std::vector<std::string> out;
    Ref<NSArray> rows = page->specifiers();
    for (const auto& r : rows->items())
      if (Ref<NSString> n = static_cast<PSSpecifier*>(r.get())->name()) out.push_back(n->utf8());
    return out;
  }
};

}  // namespace

TEST_F(Entries, EveryEntryIsListedInFileOrderThePlainLayoutFirst) {
  plainBundle(row("PSSwitchCell", "On", "on"), "/var/jb");
  entry("b.plist", entryDict("<key>bundle</key><string>Plain</string><key>label</key><string>Rootless</string>"),
        "/var/jb");
  entry("c.plist", entryDict("<key>label</key><string>Simple</string><key>icon</key><string>Icon</string>") +
                       "<key>items</key><array/>");
  entry("a.plist", entryDict("<key>bundle</key><string>Gone</string><key>label</key><string>Missing</string>"));
  entry("d.plist", "<key>entry</key><string>not a dictionary</string>");
  write(std::string(preferences::kEntriesFolder) + "/e.plist", "<plist><dict><key>unterminated");
  write(std::string(preferences::kEntriesFolder) + "/f.plist", plist("<dict><key>entry</key><dict/></dict>"));
  auto all = preferences::discoverBundles();
  std::vector<std::string> labels;
  for (const auto& e : all) labels.push_back(e.label);
  EXPECT_THAT(labels, testing::ElementsAre("Missing", "Simple", "d", "e", "f", "Rootless"));
  EXPECT_EQ(named(all, "Rootless").bundlePath, "/var/jb/Library/PreferenceBundles/Plain.bundle");
  EXPECT_EQ(named(all, "Rootless").kind, EntryKind::Bundle);
  EXPECT_EQ(named(all, "Simple").kind, EntryKind::Simple);
  EXPECT_EQ(named(all, "Simple").icon, "Icon");
  EXPECT_THAT(named(all, "Missing").problem, HasSubstr("/Library/PreferenceBundles/Gone.bundle is not installed"));
  EXPECT_THAT(named(all, "d").problem, HasSubstr("no entry dictionary"));
  EXPECT_THAT(named(all, "e").problem, HasSubstr("could not be read"));
  EXPECT_THAT(named(all, "f").problem, HasSubstr("neither a bundle nor items"));
  for (const char* broken : {"Missing", "d", "e", "f"}) EXPECT_EQ(named(all, broken).kind, EntryKind::Broken);
}

TEST_F(Entries, AnEntryThatCannotOpenShowsWhyInOneRow) {
  entry("a.plist", entryDict("<key>bundle</key><string>Gone</string><key>label</key><string>Missing</string>"));
  auto page = opened(named(preferences::discoverBundles(), "Missing"));
  EXPECT_THAT(page->problem, HasSubstr("Gone.bundle is not installed"));
  page->table()->reloadData();
  ASSERT_EQ(page->table()->numberOfSections(), 1);
  ASSERT_EQ(page->table()->numberOfRowsInSection(0), 1);
  EXPECT_THAT(page->specifierAtIndexPath(at(0, 0))->name()->utf8(), HasSubstr("is not installed"));
  EXPECT_EQ(page->title()->utf8(), "Missing");

  // A bundle whose page list is missing or malformed opens the same way.
  write("/Library/PreferenceBundles/Plain.bundle/Info.plist", plist("<dict/>"));
  entry("b.plist", entryDict("<key>bundle</key><string>Plain</string>"));
  EXPECT_THAT(opened(named(preferences::discoverBundles(), "Plain"))->problem, HasSubstr("has no page list"));
  write("/Library/PreferenceBundles/Plain.bundle/Root.plist", "<plist><array>");
  EXPECT_THAT(opened(named(preferences::discoverBundles(), "Plain"))->problem, HasSubstr("could not be read"));
}

TEST_F(Entries, NamesAndLinksLeadingOutOfTheRootAreRefused) {
  std::string outside = (fs::path(deviceRoot()).parent_path() / ("outside-" + fs::path(deviceRoot()).filename().string())).string();
  fs::create_directories(outside + "/Evil.bundle");
  std::ofstream(outside + "/Evil.bundle/Root.plist") << plist("<dict><key>items</key><array/></dict>");
  std::ofstream(outside + "/entry.plist") << plist("<dict>" + entryDict("<key>label</key><string>Out</string>") +
                                                   "<key>items</key><array/></dict>");
  entry("a.plist", entryDict("<key>bundle</key><string>../../../Evil</string><key>label</key><string>Climb</string>"));
  entry("b.plist", entryDict("<key>bundle</key><string>/../Evil</string><key>label</key><string>Absolute</string>"));
  fs::create_directories(foundation::devicePath("/Library/PreferenceBundles"));
  fs::remove(foundation::devicePath("/Library/PreferenceBundles/Linked.bundle"));
  fs::create_directory_symlink(outside + "/Evil.bundle", foundation::devicePath("/Library/PreferenceBundles/Linked.bundle"));
  entry("c.plist", entryDict("<key>bundle</key><string>Linked</string><key>label</key><string>Linked</string>"));
  fs::create_symlink(outside + "/entry.plist", foundation::devicePath(std::string(preferences::kEntriesFolder) + "/d.plist"));
  auto all = preferences::discoverBundles();
  for (const char* label : {"Climb", "Absolute", "Linked", "d"}) {
    EXPECT_EQ(named(all, label).kind, EntryKind::Broken) << label;
    EXPECT_EQ(opened(named(all, label))->specifiers()->count(), 2u) << label;  // a group and the line
  }
  EXPECT_THAT(named(all, "Linked").problem, HasSubstr("outside the device root"));
  EXPECT_THAT(named(all, "d").problem, HasSubstr("outside the device root"));
  fs::remove(foundation::devicePath("/Library/PreferenceBundles/Linked.bundle"));
  fs::remove_all(outside);
}

TEST_F(Entries, ASimpleEntryHoldsItsPageAndABundleWithoutCodeOpensItsList) {
  entry("s.plist", entryDict("<key>label</key><string>Simple</string>") +
                       "<key>title</key><string>Own title</string><key>items</key><array>" +
                       row("PSGroupCell", "Group") + row("PSSwitchCell", "Switch", "simple") + "</array>");
  plainBundle(row("PSSwitchCell", "On", "on"));
  entry("p.plist", entryDict("<key>bundle</key><string>Plain</string>"));
  auto all = preferences::discoverBundles();
  auto simple = opened(named(all, "Simple"));
  EXPECT_THAT(titles(simple), testing::ElementsAre("Group", "Switch"));
  EXPECT_EQ(simple->title()->utf8(), "Own title");
  EXPECT_TRUE(simple->notice.empty());
  auto plain = opened(named(all, "Plain"));
  EXPECT_THAT(titles(plain), testing::ElementsAre("On"));
  EXPECT_TRUE(plain->notice.empty());

  // Its rows work: a switch stores through the store.
  clearDomain();
  plain->table()->reloadData();
  auto* cell = objc_cast<PSSwitchTableCell>(plain->tableViewCellForRowAtIndexPath(plain->table(), at(0, 0)).get());
  ASSERT_TRUE(cell);
  objc_cast<UISwitch>(cell->accessoryView().get())->_toggle();
  EXPECT_TRUE(stored("on"));
}

TEST_F(Entries, CodeThatCannotLoadLeavesItsListWithANoticeAndPlaceholders) {
  write("/Library/PreferenceBundles/Coded.bundle/Info.plist",
        plist("<dict><key>CFBundleExecutable</key><string>Coded</string>"
              "<key>NSPrincipalClass</key><string>CodedRootListController</string></dict>"));
  write("/Library/PreferenceBundles/Coded.bundle/Coded", "\xCF\xFA\xED\xFE not for this machine");
  write("/Library/PreferenceBundles/Coded.bundle/Root.plist",
        plist("<dict><key>items</key><array>" + row("PSGroupCell", "First") + row("PSSwitchCell", "Works", "works") +
              row("PSSwitchCell", "Own cell", "own", "<key>cellClass</key><string>CodedSwitchCell</string>") +
              row("PSLinkCell", "Own page", "", "<key>detail</key><string>CodedSubController</string>") +
              row("PSButtonCell", "Respring", "", "<key>action</key><string>respring</string>") +
              row("PSSwitchCell", "Own setter", "set", "<key>set</key><string>setCoded:specifier:</string>") +
              row("PSGroupCell", "Header", "", "<key>headerCellClass</key><string>CodedHeader</string>") +
              "</array></dict>"));
  entry("c.plist", entryDict("<key>bundle</key><string>Coded</string><key>label</key><string>Coded</string>"));
  foundation::LogCapture logs;
  auto page = opened(named(preferences::discoverBundles(), "Coded"));
  EXPECT_EQ(page->notice, "Its code did not load: its library Coded is built for iOS, not for this system");
  Ref<NSArray> rows = page->specifiers();
  auto rowAt = [&](std::size_t i) { return static_cast<PSSpecifier*>(rows->items().at(i).get()); };
  // The notice is the first row, in a section before the list's first group.
  EXPECT_TRUE(rowAt(0)->findProperty("notice"));
  EXPECT_THAT(rowAt(0)->name()->utf8(), HasSubstr("Its code did not load"));
  auto missing = [&](std::size_t i) {
    auto* m = objc_cast<NSString>(rowAt(i)->findProperty(PSMissingCodeKey));
    return m ? m->utf8() : std::string();
  };
  EXPECT_EQ(missing(2), "");
  EXPECT_EQ(missing(3), "CodedSwitchCell");
  EXPECT_EQ(missing(4), "CodedSubController");
  EXPECT_EQ(missing(5), "respring");
  EXPECT_EQ(missing(6), "setCoded:specifier:");
  EXPECT_EQ(missing(7), "CodedHeader");

  page->table()->reloadData();
  Ref<UITableViewCell> own = page->tableViewCellForRowAtIndexPath(page->table(), at(1, 1));
  ASSERT_TRUE(objc_cast<PSPlaceholderTableCell>(own.get()));
  EXPECT_EQ(own->textLabel()->text()->utf8(), "Own cell");
  EXPECT_EQ(own->detailTextLabel()->text()->utf8(), "needs CodedSwitchCell");
  EXPECT_FALSE(own->accessoryView());

  // A tap on a placeholder logs one line and does nothing else.
  foundation::LogCapture taps;
  page->tableViewDidSelectRowAtIndexPath(page->table(), at(1, 2));
  page->tableViewDidSelectRowAtIndexPath(page->table(), at(1, 3));
  ASSERT_EQ(taps.nslogMessages().size(), 2u);
  EXPECT_THAT(taps.nslogMessages()[0], HasSubstr("needs CodedSubController"));
  EXPECT_THAT(taps.nslogMessages()[1], HasSubstr("needs respring"));

  // The standard row beside them still works.
  clearDomain();
  auto* works = objc_cast<PSSwitchTableCell>(page->tableViewCellForRowAtIndexPath(page->table(), at(1, 0)).get());
  ASSERT_TRUE(works);
  objc_cast<UISwitch>(works->accessoryView().get())->_toggle();
  EXPECT_TRUE(stored("works"));
}
