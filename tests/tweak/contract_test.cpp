// The shipped settings pages and the tweak must agree on where the settings
// live, which keys there are and what each holds before the user changes it:
// a page default that differs from the tweak's seed shows one value and
// applies another.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "CVLOHelper.h"
#include "Tweak.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/PropertyList.h"

namespace {

struct Row {
  std::string domain, notification, value;  // value: "true", "false" or the text
};

std::string valueText(const Ref<NSObject>& v) {
  if (auto* n = objc_cast<NSNumber>(v); n && n->isBoolean()) return n->boolValue() ? "true" : "false";
  if (auto* s = objc_cast<NSString>(v)) return s->utf8();
  return "(neither boolean nor text)";
}
std::string textOf(const Ref<NSObject>& v) {
  auto* s = objc_cast<NSString>(v);
  return s ? s->utf8() : "(none)";
}

// Every row of the page list that stores a value, by its key.
std::map<std::string, Row> storedRows(const char* file) {
  auto parsed = foundation::plistFromFile(std::string(PREFS_RESOURCES_DIR) + "/" + file);
  EXPECT_TRUE(parsed) << file;
  if (!parsed) return {};
  auto* page = objc_cast<NSDictionary>(parsed.value().get());
  auto* items = page ? objc_cast<NSArray>(page->objectForKey("items").get()) : nullptr;
  EXPECT_TRUE(items) << file << " has no items";
  std::map<std::string, Row> rows;
  for (unsigned long i = 0; items && i < items->count(); ++i) {
    Ref<NSObject> entry = items->objectAtIndex(i);
    auto* item = objc_cast<NSDictionary>(entry.get());
    if (!item || !item->objectForKey("key")) continue;
    std::string key = textOf(item->objectForKey("key"));
    EXPECT_FALSE(rows.count(key)) << file << " binds " << key << " twice";
    rows[key] = {textOf(item->objectForKey("defaults")), textOf(item->objectForKey("PostNotification")),
                 valueText(item->objectForKey("default"))};
  }
  return rows;
}

std::string tweakDefault(const cvlo::PreferenceDefault& d) {
  if (d.colour) return d.colour;
  return d.on ? "true" : "false";
}

class PageList : public ::testing::TestWithParam<const char*> {};

TEST_P(PageList, BindsTheTweaksKeysInItsDomainWithItsDefaults) {
  std::map<std::string, Row> rows = storedRows(GetParam());
  ASSERT_EQ(rows.size(), std::size(cvlo::kPreferenceDefaults));
  for (const cvlo::PreferenceDefault& d : cvlo::kPreferenceDefaults) {
    SCOPED_TRACE(d.key);
    auto row = rows.find(d.key);
    ASSERT_NE(row, rows.end()) << "the page has no row for the tweak's key";
    EXPECT_EQ(row->second.domain, kCVLOPreferenceDomain);
    EXPECT_EQ(row->second.notification, cvlo::kReloadPrefsNotification);
    EXPECT_EQ(row->second.value, tweakDefault(d));
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, PageList, ::testing::Values("Root-Light.plist", "Root-Dark.plist"),
                         [](const auto& info) {
                           std::string name = info.param;
                           return name.substr(5, name.find('.') - 5);
                         });

}  // namespace
