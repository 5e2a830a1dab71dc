// The Settings framework model as bundles use it: page lists, strings,
// sub-pages and discovery.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "preferences/CoreFoundation.h"
#include "preferences/PSListItemsController.h"
#include "preferences/PreferenceLoader.h"
#include "support.h"

using namespace prefs_test;
using testing::HasSubstr;

namespace {

// The bundle's page answers it; the tests do not link the bundle.
using isDarkModeEnabledMessage = objc::Message<"isDarkModeEnabled", bool()>;

void writeRaw(const std::string& name, const std::string& text) {
  bundle();
  std::ofstream(foundation::devicePath(std::string(kBundle) + "/" + name + ".plist")) << text;
}

Ref<NSMutableArray> loadList(const std::string& name) {
  auto page = basePage("unused");
  return page->loadSpecifiersFromPlistNameTarget(NSString::make(name), page);
}

}  // namespace

TEST(PageLists, BrokenListsGiveNoRowsAndOneLogLine) {
  writeRaw("Garbage", "this is not a property list");
  writeRaw("NoItems", "<plist version=\"1.0\"><dict><key>items</key><string>x</string></dict></plist>");
  for (const char* name : {"Missing", "Garbage", "NoItems", "../Info"}) {
    foundation::LogCapture logs;
    EXPECT_EQ(loadList(name)->count(), 0u) << name;
    EXPECT_EQ(logs.nslogMessages().size(), 1u) << name;
  }
}

TEST(PageLists, RowsKeepEveryKeyAndSurviveValuesOfTheWrongType) {
  writeList("Typed",
            "<string>not a row</string>" +
                row("PSSwitchCell", "ENABLED", "isEnabled", "", "<key>madeUp</key><integer>7</integer>") +
                "<dict><key>cell</key><string>PSNoSuchCell</string><key>label</key><integer>3</integer></dict>" +
                row("PSLinkCell", "Nowhere", "", "",
                    "<key>detail</key><string>NoSuchController</string>"
                    "<key>cellClass</key><string>NoSuchCell</string>") +
                row("PSLinkListCell", "Mode", "mode", "",
                    "<key>validValues</key><array><integer>0</integer><integer>1</integer></array>"
                    "<key>validTitles</key><array><string>Off</string><string>On</string></array>") +
                row("PSButtonCell", "Go", "", "", "<key>action</key><string>reset</string>"));
  foundation::LogCapture logs;
  auto rows = loadList("Typed");
  ASSERT_EQ(rows->count(), 5u);
  auto* sw = static_cast<PSSpecifier*>(rows->items()[0].get());
  EXPECT_EQ(sw->cellType(), PSSwitchCell);
  EXPECT_EQ(sw->name()->utf8(), "Enabled");  // localised through the bundle's strings
  EXPECT_EQ(static_cast<NSNumber*>(sw->propertyForKey("madeUp").get())->intValue(), 7);
  auto* odd = static_cast<PSSpecifier*>(rows->items()[1].get());
  EXPECT_EQ(odd->cellType(), PSStaticTextCell);
  EXPECT_FALSE(odd->name());
  EXPECT_FALSE(static_cast<PSSpecifier*>(rows->items()[2].get())->detailControllerClass());
  auto* list = static_cast<PSSpecifier*>(rows->items()[3].get());
  EXPECT_EQ(list->detailControllerClass().get(), static_cast<NSObject*>(PSListItemsController::cls()));
  EXPECT_EQ(static_cast<NSString*>(list->titleDictionary()->find("1"))->utf8(), "On");
  EXPECT_EQ(std::string(sel_getName(static_cast<PSSpecifier*>(rows->items()[4].get())->buttonAction())), "reset");
  EXPECT_GE(logs.nslogMessages().size(), 4u);
}

TEST(PageLists, FilterByCoreFoundationVersion) {
  writeList(
      "Filtered",
      row("PSStaticTextCell", "Old", "", "",
          "<key>pl_filter</key><dict><key>CoreFoundationVersion</key><array><real>1000</real><real>1700</real></"
          "array></dict>") +
          row("PSStaticTextCell", "New", "", "",
              "<key>pl_filter</key><dict><key>CoreFoundationVersion</key><array><real>1800</real></array></dict>"));
  double saved = kCFCoreFoundationVersionNumber;
  kCFCoreFoundationVersionNumber = 1854.0;
  auto rows = loadList("Filtered");
  ASSERT_EQ(rows->count(), 1u);
  EXPECT_EQ(static_cast<PSSpecifier*>(rows->items()[0].get())->name()->utf8(), "New");
  kCFCoreFoundationVersionNumber = 1665.15;
  rows = loadList("Filtered");
  ASSERT_EQ(rows->count(), 1u);
  EXPECT_EQ(static_cast<PSSpecifier*>(rows->items()[0].get())->name()->utf8(), "Old");
  // Below the version of dark appearance the light list is always used.
  kCFCoreFoundationVersionNumber = 1600.0;
  auto page = basePage("unused");
  Ref<UITraitCollection> dark = UITraitCollection::make(UIUserInterfaceStyleDark, 0);
  page->setOverrideTraitCollection(dark);
  EXPECT_FALSE(objc::send<isDarkModeEnabledMessage>(page));
  kCFCoreFoundationVersionNumber = saved;
  EXPECT_TRUE(objc::send<isDarkModeEnabledMessage>(page));
}

TEST(Bundles, StringsFallBackToTheKeyAndClassesFindTheirBundle) {
  Ref<NSBundle> b = bundle();
  EXPECT_EQ(b->localizedStringForKeyValueTable("RESET"_ns, ""_ns, nullptr)->utf8(), "Reset");
  EXPECT_EQ(b->localizedStringForKeyValueTable("NO_SUCH_KEY"_ns, ""_ns, nullptr)->utf8(), "NO_SUCH_KEY");
  EXPECT_EQ(NSBundle::bundleForClass(objc_getClass("CVLOSubListController")).get(), b.get());
  EXPECT_NE(NSBundle::bundleForClass(PSListController::cls()).get(), b.get());
  EXPECT_EQ(b->principalClass(), objc_getClass("CVLORootListController"));
  EXPECT_EQ(b->pathForResourceOfType("Corvallo-fullsize"_ns, ".png"_ns)->utf8(),
            std::string(kBundle) + "/Corvallo-fullsize.png");
  EXPECT_FALSE(b->pathForResourceOfType("../../etc/passwd"_ns, nullptr));
}

TEST(Bundles, DiscoveryReadsEntryPlists) {
  bundle();
  namespace fs = std::filesystem;
  std::string folder = foundation::devicePath(preferences::kEntriesFolder);
  fs::create_directories(folder);
  std::ofstream(folder + "/A.plist")
      << "<plist version=\"1.0\"><dict><key>entry</key><dict><key>bundle</key><string>"
         "CorvalloPrefs</string><key>label</key><string>Corvallo</string><key>detail</key>"
         "<string>CVLOBaseListController</string></dict></dict></plist>";
  std::ofstream(folder + "/B.plist") << "<plist version=\"1.0\"><dict><key>entry</key><dict><key>bundle</key><string>"
                                        "../../etc</string></dict></dict></plist>";
  std::ofstream(folder + "/C.plist") << "garbage";
  auto entries = preferences::discoverBundles();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].bundlePath, kBundle);
  EXPECT_EQ(entries[0].controllerClass, "CVLOBaseListController");
  // Entries that cannot open stay listed, saying why.
  EXPECT_EQ(entries[1].kind, preferences::EntryKind::Broken);
  EXPECT_THAT(entries[1].problem, HasSubstr("not a bundle name"));
  EXPECT_EQ(entries[2].kind, preferences::EntryKind::Broken);
  EXPECT_THAT(entries[2].problem, HasSubstr("could not be read"));
}

TEST(Binding, TheHostStoresThenPostsAndRefusesNamesThatAreNotDomains) {
  clearDomain();
  auto page = PSListController::make();
  auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("S"_ns, page, nullptr, nullptr, nullptr,
                                                                              PSSwitchCell, nullptr);
  item->setPropertyForKey("k"_ns, PSKeyNameKey);
  item->setPropertyForKey(NSString::make(kDomain), PSDefaultsKey);
  item->setPropertyForKey(NSNumberYES(), PSDefaultValueKey);
  EXPECT_TRUE(static_cast<NSNumber*>(page->readPreferenceValue(item).get())->boolValue());
  page->setPreferenceValueSpecifier(NSNumberNO(), item);
  EXPECT_FALSE(static_cast<NSNumber*>(page->readPreferenceValue(item).get())->boolValue());
  item->setPropertyForKey("../../evil"_ns, PSDefaultsKey);
  foundation::LogCapture logs;
  page->setPreferenceValueSpecifier(NSNumberNO(), item);
  EXPECT_THAT(logs.nslogMessages().at(0), HasSubstr("not a preference domain"));
  EXPECT_FALSE(std::filesystem::exists(foundation::devicePath("/var/mobile/evil.plist")));
}

TEST(SubPages, LoadTheNamedListAsIsAndNeverOnResume) {
  writeList("Sub", row("PSStaticTextCell", "Dev", "", "nothing == 1", "<key>developmentOnly</key><true/>"));
  Ref<NSObject> fresh = objc::send<NSObject::allocMessage>(objc_getClass("CVLOSubListController"));
  auto sub = ref_cast<PSListController>(objc::send<NSObject::initMessage>(fresh));
  EXPECT_FALSE(sub->specifiers());
  auto opener = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("More"_ns, nullptr, nullptr, nullptr,
                                                                                nullptr, PSLinkCell, nullptr);
  opener->setPropertyForKey("Sub"_ns, "CVLOSub");
  sub->setSpecifier(opener);
  ASSERT_EQ(sub->specifiers()->count(), 1u);
  EXPECT_FALSE(sub->shouldReloadSpecifiersOnResume());
  EXPECT_EQ(sub->specifier().get(), opener.get());
  opener->setPropertyForKey("../Sub"_ns, "CVLOSub");
  foundation::LogCapture logs;
  sub->setSpecifier(opener);
  EXPECT_EQ(sub->specifiers()->count(), 0u);
  EXPECT_EQ(logs.nslogMessages().size(), 1u);
}
