// Page lists as the framework reads them: what each entry becomes, and how
// a list or an entry that is wrong is reported and survived.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "dispatch/main_loop.h"
#include "fixture.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "foundation/PropertyList.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"
#include "objc/Weak.h"
#include "preferences/CoreFoundation.h"
#include "preferences/PSListItemsController.h"

using namespace preferences_test;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

struct Loaded {
  Ref<FixturePage> page;
  Ref<NSMutableArray> rows;
  PSSpecifier* at(std::size_t i) const { return static_cast<PSSpecifier*>(rows->items().at(i).get()); }
};

Loaded load(const std::string& name) {
  auto page = FixturePage::make();
  Ref<NSMutableArray> rows = page->loadSpecifiersFromPlistNameTarget(NSString::make(name), page);
  return {page, rows};
}

class VersionScope {
 public:
  explicit VersionScope(double v) : saved_(kCFCoreFoundationVersionNumber) { kCFCoreFoundationVersionNumber = v; }
  ~VersionScope() { kCFCoreFoundationVersionNumber = saved_; }

 private:
  double saved_;
};

std::string filtered(const std::string& label, const std::string& range) {
  return row("PSStaticTextCell", label, "",
             "<key>pl_filter</key><dict><key>CoreFoundationVersion</key><array>" + range + "</array></dict>");
}

}  // namespace

TEST(PageList, TitleAndLabelsComeFromTheListsOwnTableBeforeLocalizable) {
  writeStrings("Titled", "<key>PAGE</key><string>Page</string><key>BOTH</key><string>From the list</string>");
  writeStrings("Localizable", "<key>BOTH</key><string>Shared</string><key>SHARED</key><string>Shared only</string>");
  writeList("Titled",
            row("PSStaticTextCell", "BOTH") + row("PSStaticTextCell", "SHARED") + row("PSStaticTextCell", "RAW"),
            "PAGE");
  auto l = load("Titled");
  ASSERT_EQ(l.rows->count(), 3u);
  EXPECT_EQ(l.page->title()->utf8(), "Page");
  EXPECT_EQ(l.at(0)->name()->utf8(), "From the list");
  EXPECT_EQ(l.at(1)->name()->utf8(), "Shared only");
  EXPECT_EQ(l.at(2)->name()->utf8(), "RAW");
  // The properties hold the shown title, not the key.
  EXPECT_EQ(static_cast<NSString*>(l.at(0)->findProperty(PSTitleKey))->utf8(), "From the list");
}

TEST(PageList, GroupFootersAreTranslatedLikeLabels) {
  writeStrings("Footed", "<key>NOTE</key><string>Shown under the group</string>");
  writeList("Footed", row("PSGroupCell", "G", "", "<key>footerText</key><string>NOTE</string>") +
                          row("PSGroupCell", "H", "", "<key>footerText</key><string>UNTRANSLATED</string>"));
  auto l = load("Footed");
  ASSERT_EQ(l.rows->count(), 2u);
  EXPECT_EQ(static_cast<NSString*>(l.at(0)->findProperty(PSFooterTextGroupKey))->utf8(), "Shown under the group");
  EXPECT_EQ(static_cast<NSString*>(l.at(1)->findProperty(PSFooterTextGroupKey))->utf8(), "UNTRANSLATED");
}

TEST(PageList, VersionRangesIncludeTheirLowerBoundOnly) {
  writeList("Ranged", filtered("From", "<real>1800</real><real>1900</real>") +
                          filtered("Open", "<integer>1800</integer>") + filtered("Text", "<string>1800</string>"));
  auto names = [](const Loaded& l) {
    std::vector<std::string> out;
    for (const auto& r : l.rows->items()) out.push_back(static_cast<PSSpecifier*>(r.get())->name()->utf8());
    return out;
  };
  {
    VersionScope v(1800.0);
    EXPECT_THAT(names(load("Ranged")), ElementsAre("From", "Open", "Text"));
  }
  {
    VersionScope v(1900.0);
    EXPECT_THAT(names(load("Ranged")), ElementsAre("Open", "Text"));
  }
  {
    VersionScope v(1799.9);
    EXPECT_TRUE(names(load("Ranged")).empty());
  }
}

TEST(PageList, AFilterWithoutARangeKeepsTheRowAndSaysSo) {
  writeList("NoRange", row("PSStaticTextCell", "Kept", "", "<key>pl_filter</key><string>iOS 15</string>") +
                           row("PSStaticTextCell", "Also", "", "<key>pl_filter</key><dict/>"));
  foundation::LogCapture logs;
  EXPECT_EQ(load("NoRange").rows->count(), 2u);
  ASSERT_EQ(logs.nslogMessages().size(), 2u);
  EXPECT_THAT(logs.nslogMessages()[1], HasSubstr("Row 1 of NoRange.plist"));
}

TEST(PageList, LogLinesCountRowsLeftOut) {
  writeList("Counted",
            "<string>not a row</string><dict><key>label</key><string>x</string></dict>" + row("PSWhatCell", "y"));
  foundation::LogCapture logs;
  auto l = load("Counted");
  EXPECT_EQ(l.rows->count(), 2u);
  EXPECT_THAT(logs.nslogMessages(), ElementsAre(HasSubstr("Row 0 of Counted.plist is not a dictionary"),
                                                HasSubstr("Row 1 of Counted.plist names no cell type"),
                                                HasSubstr("Row 2 of Counted.plist names the unknown cell type")));
}

TEST(PageList, RowsTargetThePageThroughTheirSetterAndGetter) {
  writeList("Bound", row("PSSwitchCell", "Plain", "a") +
                         row("PSSwitchCell", "Custom", "b",
                             "<key>set</key><string>store:row:</string><key>get</key><string>fetch:</string>"
                             "<key>id</key><string>custom</string>"));
  auto l = load("Bound");
  ASSERT_EQ(l.rows->count(), 2u);
  EXPECT_EQ(l.at(0)->target().get(), l.page.get());
  EXPECT_STREQ(sel_getName(l.at(0)->_setter()), "setPreferenceValue:specifier:");
  EXPECT_STREQ(sel_getName(l.at(0)->_getter()), "readPreferenceValue:");
  EXPECT_STREQ(sel_getName(l.at(1)->_setter()), "store:row:");
  EXPECT_STREQ(sel_getName(l.at(1)->_getter()), "fetch:");
  EXPECT_EQ(l.at(0)->identifier()->utf8(), "Plain");
  EXPECT_EQ(l.at(1)->identifier()->utf8(), "custom");
  // The page holds its rows, the rows do not hold the page.
  Weak<FixturePage> page(l.page.get());
  Ref<NSMutableArray> rows = l.rows;
  l = {};
  EXPECT_FALSE(page.lock());
  EXPECT_FALSE(static_cast<PSSpecifier*>(rows->items()[0].get())->target());
}

TEST(PageList, DetailPagesMustBeViewControllersAndListRowsGetTheChoicesPage) {
  writeList("Details", row("PSLinkCell", "Wrong", "", "<key>detail</key><string>NSString</string>") +
                           row("PSLinkCell", "Right", "", "<key>detail</key><string>FixturePage</string>") +
                           row("PSLinkListCell", "Choices", "c",
                               "<key>validValues</key><array><integer>1</integer><integer>2</integer></array>") +
                           row("PSLinkListCell", "Own", "d", "<key>detail</key><string>FixturePage</string>"));
  foundation::LogCapture logs;
  auto l = load("Details");
  ASSERT_EQ(l.rows->count(), 4u);
  EXPECT_FALSE(l.at(0)->detailControllerClass());
  EXPECT_THAT(logs.nslogMessages().at(0), HasSubstr("NSString, which does not exist"));
  EXPECT_EQ(l.at(1)->detailControllerClass().get(), static_cast<NSObject*>(FixturePage::cls()));
  EXPECT_EQ(l.at(2)->detailControllerClass().get(), static_cast<NSObject*>(PSListItemsController::cls()));
  EXPECT_FALSE(l.at(2)->values());  // values without titles are not choices
  EXPECT_EQ(l.at(3)->detailControllerClass().get(), static_cast<NSObject*>(FixturePage::cls()));
}

TEST(PageList, ListsThatCannotBeReadGiveNoRowsAndOneLineEach) {
  writeList("Empty", "");
  for (const char* name : {"", "Missing", "../Fixture", "Empty"}) {
    foundation::LogCapture logs;
    auto l = load(name);
    EXPECT_EQ(l.rows->count(), 0u) << name;
    EXPECT_EQ(logs.nslogMessages().size(), std::string(name) == "Empty" ? 0u : 1u) << name;
  }
}

namespace {

// A binary list can hold a NUL inside a string: written as XML with `mark`
// where each NUL goes, made binary, then patched.
void writeBinaryList(const std::string& name, const std::string& itemsXml, char mark, char patch) {
  deviceRoot();
  std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>items</key><array>" + itemsXml +
                    "</array></dict></plist>";
  auto value = foundation::plistFromBytes(xml);
  ASSERT_TRUE(value) << value.error();
  auto bytes = foundation::plistToBytes(value.value(), foundation::PlistFormat::Binary);
  ASSERT_TRUE(bytes);
  std::string binary = bytes.value();
  std::replace(binary.begin(), binary.end(), mark, patch);
  std::ofstream(foundation::devicePath(std::string(kBundle) + "/" + name + ".plist"), std::ios::binary) << binary;
}

int cutPosts = 0;
void countCutPost(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { ++cutPosts; }
bool fenced = false;
void fence(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { fenced = true; }

}  // namespace

// Every C-string use of such a name would see only the part before the NUL:
// another notification, another domain, another file.
TEST(PageList, NamesHoldingANulAreRefusedNotCutShort) {
  const std::string rows =
      row("PSSwitchCell", "Noted", "noted", "<key>PostNotification</key><string>com.tenvarix.cut#x</string>") +
      row("PSSwitchCell", "Elsewhere", "",
          "<key>key</key><string>elsewhere</string><key>defaults</key><string>" + std::string(kDomain) + "#x</string>");
  writeBinaryList("Plain", rows, '#', '.');
  EXPECT_EQ(load("Plain").rows->count(), 2u);
  writeBinaryList("Nul", rows, '#', '\0');
  {
    foundation::LogCapture logs;
    EXPECT_EQ(load("Nul").rows->count(), 0u);
    ASSERT_EQ(logs.nslogMessages().size(), 1u);
    EXPECT_THAT(logs.nslogMessages()[0], HasSubstr("NUL"));
  }

  // The same names set on rows by code.
  setenv("CORVALLO_DEVICE_ROOT", deviceRoot().c_str(), 1);  // where posts go
  clearDomain();
  auto page = FixturePage::make();
  Ref<PSSpecifier> noted = item("Noted", PSSwitchCell);
  noted->setPropertyForKey(NSString::make(kDomain), PSDefaultsKey);
  noted->setPropertyForKey(NSString::make("noted"), PSKeyNameKey);
  noted->setPropertyForKey(NSString::make(std::string("com.tenvarix.cut\0x", 18)), PSValueChangedNotificationKey);
  Ref<PSSpecifier> elsewhere = item("Elsewhere", PSSwitchCell);
  elsewhere->setPropertyForKey(NSString::make(std::string(kDomain) + '\0' + "x"), PSDefaultsKey);
  elsewhere->setPropertyForKey(NSString::make("elsewhere"), PSKeyNameKey);

  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  CFNotificationCenterAddObserver(center, &cutPosts, &countCutPost, "com.tenvarix.cut", nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  CFNotificationCenterAddObserver(center, &fenced, &fence, "com.tenvarix.fence", nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  page->setPreferenceValueSpecifier(NSNumberYES(), noted);
  page->setPreferenceValueSpecifier(NSNumberYES(), elsewhere);
  // Posts from one process arrive in order: once the fence is in, so is the rest.
  ASSERT_EQ(notify_post("com.tenvarix.fence"), NOTIFY_STATUS_OK);
  EXPECT_TRUE(dispatch::runMainUntil([] { return fenced; }, std::chrono::seconds(5)));
  CFNotificationCenterRemoveEveryObserver(center, &cutPosts);
  CFNotificationCenterRemoveEveryObserver(center, &fenced);
  EXPECT_EQ(cutPosts, 0);
  EXPECT_TRUE(stored("noted")) << "the value itself is stored";
  EXPECT_FALSE(stored("elsewhere"));

  // A list named with a NUL is no list, not the list named by what precedes it.
  EXPECT_FALSE(fixtureBundle()->pathForResourceOfType(NSString::make(std::string("Plain.plist\0", 12)), nullptr));
  EXPECT_EQ(load(std::string("Plain.plist\0", 12)).rows->count(), 0u);
  std::string plain = foundation::devicePath(std::string(kBundle) + "/Plain.plist");
  EXPECT_FALSE(foundation::plistFromFile(plain + '\0' + "x"));
  EXPECT_FALSE(
      foundation::writePlistFile(plain + '\0' + "x", NSDictionary::dictionary(), foundation::PlistFormat::Binary));
  EXPECT_EQ(load("Plain").rows->count(), 2u) << "the file named by the part before the NUL is left alone";
}
