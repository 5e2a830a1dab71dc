// The bundle's pages as the user meets them: the list chosen by appearance,
// tinting inside and outside navigation, links, sheets, sub-pages and cells.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "support.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIControls.h"
#include "uikit/UIWindow.h"

using namespace prefs_test;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

const RGBA kTheme{25 / 255.0, 194 / 255.0, 70 / 255.0, 1};

std::vector<std::string> titles(PSListController* page) {
  std::vector<std::string> out;
  for (const auto& o : page->_specifiers->items()) {
    auto* s = static_cast<PSSpecifier*>(o.get());
    out.push_back(s->name() ? s->name()->utf8() : "");
  }
  return out;
}

Ref<UIColor> themeOf(PSListController* page) { return objc::send<Base::themeTintColorMessage>(page); }

void setStyle(PSListController* page, long style) {
  Ref<UITraitCollection> previous = page->traitCollection();
  page->setOverrideTraitCollection(UITraitCollection::make(style, 0));
  page->traitCollectionDidChange(previous);
}

Ref<PSListController> pageWithLists(const char* dark, const char* light, long style) {
  auto page = basePage("unused");
  objc::send<Base::setDarkModePlistLightModePlistMessage>(page, NSString::make(dark), NSString::make(light));
  page->setOverrideTraitCollection(UITraitCollection::make(style, 0));
  return page;
}

template <class V>
Ref<UIColor> proxyColour(PSListController* page, bool onTint = false) {
  Ref<NSArray> containers = NSArray::of({Ref<NSObject>(page->isa())});
  auto proxy = appearanceWhenContainedInInstancesOfClasses<V>(containers);
  return onTint ? proxy->onTintColor() : proxy->tintColor();
}

class Pages : public testing::Test {
 protected:
  void SetUp() override {
    bundle();
    clearDomain();
    UIApplication::sharedApplication()->clearOpenedURLs();
  }
};

}  // namespace

TEST_F(Pages, TheAppearanceChoosesTheListAndATraitChangeLoadsAgain) {
  const std::string dev = "<key>developmentOnly</key><true/>";
  writeList("LightRows", row("PSSwitchCell", "Light", "a") + row("PSStaticTextCell", "LightDev", "", "", dev));
  writeList("DarkRows", row("PSStaticTextCell", "DarkDev", "", "a == 1", dev) + row("PSSwitchCell", "Dark", "a") +
                            row("PSStaticTextCell", "DarkToo", "", "a == 1"));
  foundation::LogCapture logs;
  auto page = pageWithLists("DarkRows", "LightRows", UIUserInterfaceStyleLight);
  load(page);
  EXPECT_THAT(titles(page), ElementsAre("Light"));
  EXPECT_THAT(logs.nslogMessages(), Contains("[DEBUG] is in format 0xAAAAAA"));
  Ref<UIColor> theme = themeOf(page);
  ASSERT_TRUE(theme);
  EXPECT_EQ(theme->rgba(), kTheme);
  EXPECT_FALSE(objc::send<Base::hasSpecifiersWithDependenciesMessage>(page));

  Ref<UITableView> table = page->table();
  table->reloadData();
  drainQueues();
  unsigned long reloads = table->reloadCount();
  setStyle(page, UIUserInterfaceStyleDark);
  EXPECT_THAT(titles(page), ElementsAre("Dark", "DarkToo"));
  EXPECT_EQ(themeOf(page).get(), theme.get());  // kept from the first load
  for (const auto& r : page->_specifiers->items())
    EXPECT_EQ(static_cast<PSSpecifier*>(r.get())->propertyForKey("tintColor").get(), theme.get());
  EXPECT_TRUE(objc::send<Base::hasSpecifiersWithDependenciesMessage>(page));
  EXPECT_EQ(table->reloadCount(), reloads);  // deferred
  drainQueues();
  EXPECT_EQ(table->reloadCount(), reloads + 1);

  // A trait change that keeps the appearance still reads the list again.
  PSSpecifier* before = static_cast<PSSpecifier*>(page->_specifiers->items()[0].get());
  Ref<PSSpecifier> held(before);
  setStyle(page, UIUserInterfaceStyleDark);
  EXPECT_THAT(titles(page), ElementsAre("Dark", "DarkToo"));
  EXPECT_NE(page->_specifiers->items()[0].get(), before);
  drainQueues();

  // Loaded in dark appearance from the start, the theme comes from the "#" form.
  logs.clear();
  auto dark = pageWithLists("DarkRows", "LightRows", UIUserInterfaceStyleDark);
  load(dark);
  EXPECT_THAT(titles(dark), ElementsAre("Dark", "DarkToo"));
  EXPECT_THAT(logs.nslogMessages(), Contains("[DEBUG] is in format #AAAAAA"));
  EXPECT_EQ(themeOf(dark)->rgba(), kTheme);
}

TEST_F(Pages, WithoutNamesThePagesReadRootDarkAndRootLight) {
  auto page = newPage("CVLOBaseListController");
  EXPECT_EQ(objc::send<Base::getDarkModePlistMessage>(page)->utf8(), "Root-Dark");
  EXPECT_EQ(objc::send<Base::getLightModePlistMessage>(page)->utf8(), "Root-Light");
  auto footer = [](PSListController* p) {
    for (const auto& o : p->_specifiers->items())
      if (auto text = static_cast<PSSpecifier*>(o.get())->propertyForKey("footerText");
          text && ref_cast<NSString>(text)->utf8().rfind("Corvallo by", 0) == 0)
        return ref_cast<NSString>(text)->utf8();
    return std::string();
  };
  page->setOverrideTraitCollection(UITraitCollection::make(UIUserInterfaceStyleDark, 0));
  load(page);
  // Each list has its own footer, shown through the strings table.
  EXPECT_EQ(footer(page), "Corvallo by tenvarix · dark appearance");
  setStyle(page, UIUserInterfaceStyleLight);
  EXPECT_EQ(footer(page), "Corvallo by tenvarix · light appearance");
  drainQueues();
  // The shipped pages keep their development-only row out of sight.
  for (const auto& t : titles(page)) EXPECT_NE(t, "Development Build");
  EXPECT_EQ(objc::send<Base::localizedStringForKeyMessage>(page, "RESET_TITLE"_ns)->utf8(), "Reset Settings");
  EXPECT_EQ(objc::send<Base::localizedStringForKeyMessage>(page, "NOT_A_KEY"_ns)->utf8(), "NOT_A_KEY");
  auto path = objc::send<Base::pathOfResourceWithNameTypeMessage>(page, "Root-Dark"_ns, "plist"_ns);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->utf8(), std::string(kBundle) + "/Root-Dark.plist");
  EXPECT_FALSE(objc::send<Base::pathOfResourceWithNameTypeMessage>(page, "Nope"_ns, "plist"_ns));
}

TEST_F(Pages, EmptyAndAllDevelopmentListsGiveNoRows) {
  writeList("Nothing", "");
  const std::string dev = "<key>developmentOnly</key><true/>";
  writeList("AllDev", row("PSStaticTextCell", "D1", "", "", dev) + row("PSStaticTextCell", "D2", "", "", dev) +
                          row("PSStaticTextCell", "D3", "", "", dev));
  for (const char* list : {"Nothing", "AllDev"}) {
    auto page = basePage(list);
    EXPECT_EQ(load(page)->count(), 0u) << list;
    Ref<UITableView> table = page->table();
    table->reloadData();
    EXPECT_EQ(table->numberOfSections(), 0) << list;
  }
}

TEST_F(Pages, TintingReachesTheOuterBarOnlyAndLeavesNothingBehind) {
  writeList("Tint", row("PSSwitchCell", "S", "s"));
  auto page = basePage("Tint");
  auto inner = UINavigationController::make(page);
  auto home = newPage("PSListController");
  auto outer = UINavigationController::make(home);
  outer->forwardAppearance(true);
  outer->pushViewControllerAnimated(inner, false);
  Ref<UIColor> theme = themeOf(page);
  ASSERT_TRUE(theme);
  EXPECT_EQ(outer->navigationBar()->tintColor().get(), theme.get());
  // The page's own controller's bar is not the shared one.
  EXPECT_NE(inner->navigationBar()->tintColor().get(), theme.get());
  EXPECT_EQ((proxyColour<UISwitch>(page, true)).get(), theme.get());
  EXPECT_EQ(proxyColour<UISlider>(page).get(), theme.get());
  EXPECT_EQ(proxyColour<UISegmentedControl>(page).get(), theme.get());
  // Only the page's own class: a plain settings page gets nothing.
  EXPECT_FALSE((proxyColour<UISwitch>(home, true)));

  objc::send<Base::doTintingMessage>(page);
  objc::send<Base::doTintingMessage>(page);
  EXPECT_EQ(outer->navigationBar()->tintColor().get(), theme.get());
  EXPECT_EQ(page->view()->tintColor().get(), theme.get());

  page->viewWillDisappear(false);
  // Views without a colour of their own show what they inherit.
  EXPECT_NE(outer->navigationBar()->tintColor().get(), theme.get());
  EXPECT_NE(page->view()->tintColor().get(), theme.get());
  EXPECT_FALSE((proxyColour<UISwitch>(page, true)));
  EXPECT_FALSE(proxyColour<UISlider>(page));
  EXPECT_FALSE(proxyColour<UISegmentedControl>(page));
  outer->forwardAppearance(false);

  // Inside a single navigation controller the bar is left alone.
  auto single = basePage("Tint");
  auto only = UINavigationController::make(single);
  only->forwardAppearance(true);
  EXPECT_NE(only->navigationBar()->tintColor().get(), themeOf(single).get());
  EXPECT_EQ(single->view()->tintColor().get(), themeOf(single).get());
  only->forwardAppearance(false);
}

TEST_F(Pages, LinksOpenTheirAddresses) {
  auto page = basePage("Root-Light");
  for (const char* action : {"twitter", "paypal", "github", "discord", "bugReport", "featureRequest"})
    objc::sendSel<void()>(page, sel_registerName(action));
  const auto& urls = UIApplication::sharedApplication()->openedURLs();
  ASSERT_EQ(urls.size(), 6u);
  EXPECT_THAT(urls[0], StartsWith("https://twitter.com/"));
  EXPECT_THAT(urls[1], StartsWith("https://www.paypal.com/donate/?"));
  EXPECT_THAT(urls[1], HasSubstr("cmd=_donations"));
  EXPECT_THAT(urls[1], HasSubstr("business="));
  EXPECT_THAT(urls[1], HasSubstr("item_name=iOS%20Tweak%20Development"));
  EXPECT_THAT(urls[2], StartsWith("https://github.com/"));
  EXPECT_THAT(urls[3], testing::MatchesRegex("https://discord\\.com/users/[0-9]+"));
  const std::string bug =
      "?subject=%5BiOS%20Tweak%20Support%5D%20Bug%20Report&body=Tweak%20name%3A%20Corvallo%0D%0AMessage%3A%20I%20found%"
      "20a%20bug%20while%20using%20the%20Corvallo%20tweak.%20The%20following%20explains%20how%20to%20reproduce%20the%"
      "20bug%20and%20includes%20any%20additional%20information%20I%20may%20have%20regarding%20the%20issue.%0D%0A%0D%0A";
  const std::string feature =
      "?subject=%5BiOS%20Tweak%20Support%5D%20Feature%20Request&body=Tweak%20name%3A%20Corvallo%0D%0AMessage%3A%20I%"
      "20have%20a%20feature%20request%20for%20the%20Corvallo%20tweak.%20The%20following%20explains%20my%20idea%20and%"
      "20any%20other%20input%20or%20information%20I%20may%20have%20regarding%20it.%0D%0A%0D%0A";
  EXPECT_THAT(urls[4], StartsWith("mailto:"));
  EXPECT_THAT(urls[4], testing::EndsWith(bug));
  EXPECT_THAT(urls[5], StartsWith("mailto:"));
  EXPECT_THAT(urls[5], testing::EndsWith(feature));
  EXPECT_EQ(urls[4].substr(0, urls[4].size() - bug.size()), urls[5].substr(0, urls[5].size() - feature.size()));

  // The shipped rows reach the same actions by a tap.
  Ref<UITableView> table = page->table();
  table->reloadData();
  std::vector<std::string> tapped;
  for (const char* id : {"twitter", "paypal", "github", "discord", "bugReport", "featureRequest"}) {
    UIApplication::sharedApplication()->clearOpenedURLs();
    page->tableViewDidSelectRowAtIndexPath(table,
                                           page->indexPathForSpecifier(page->specifierForID(NSString::make(id))));
    ASSERT_EQ(UIApplication::sharedApplication()->openedURLs().size(), 1u) << id;
    tapped.push_back(UIApplication::sharedApplication()->openedURLs()[0]);
  }
  UIApplication::sharedApplication()->clearOpenedURLs();
  for (const char* action : {"twitter", "paypal", "github", "discord", "bugReport", "featureRequest"})
    objc::sendSel<void()>(page, sel_registerName(action));
  EXPECT_EQ(tapped, UIApplication::sharedApplication()->openedURLs());
}

TEST_F(Pages, TheRespringSheetIsLocalisedAndCancelComesFirst) {
  auto page = basePage("Root-Light");
  load(page);
  objc::send<Base::respringMessage>(page);
  Ref<UIAlertController> sheet(objc_cast<UIAlertController>(page->presentedViewController().get()));
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->title()->utf8(), "Respring");
  EXPECT_EQ(sheet->message()->utf8(), "SpringBoard restarts now.");
  EXPECT_EQ(sheet->preferredStyle(), UIAlertControllerStyleActionSheet);
  Ref<NSArray> actions = sheet->actions();
  ASSERT_EQ(actions->count(), 2u);
  auto* cancel = static_cast<UIAlertAction*>(actions->items()[0].get());
  auto* confirm = static_cast<UIAlertAction*>(actions->items()[1].get());
  EXPECT_EQ(cancel->title()->utf8(), "Cancel");
  EXPECT_EQ(cancel->style(), UIAlertActionStyleCancel);
  EXPECT_EQ(confirm->title()->utf8(), "Respring");
  EXPECT_EQ(confirm->style(), UIAlertActionStyleDestructive);
  sheet->chooseAction(cancel);
  EXPECT_FALSE(page->presentedViewController());
  objc::send<Base::resetMessage>(page);
  sheet = Ref<UIAlertController>(objc_cast<UIAlertController>(page->presentedViewController().get()));
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->message()->utf8(), "All Corvallo settings go back to their defaults and SpringBoard restarts.");
  EXPECT_EQ(static_cast<UIAlertAction*>(sheet->actions()->items()[1].get())->style(), UIAlertActionStyleDestructive);
  sheet->chooseAction(static_cast<UIAlertAction*>(sheet->actions()->items()[0].get()));
}

TEST_F(Pages, SubPagesShowTheirListAsWrittenAndRefuseWhatIsNotAName) {
  const std::string dev = "<key>developmentOnly</key><true/>";
  writeList("SubRows", row("PSSwitchCell", "Gate", "gate") + row("PSStaticTextCell", "Ruled", "", "gate == 1") +
                           row("PSStaticTextCell", "Dev", "", "", dev));
  writeList("OtherSub", row("PSStaticTextCell", "Other", ""));
  store("gate", NSNumberNO());
  auto sub = newPage("CVLOSubListController");
  auto opener = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("More"_ns, nullptr, nullptr, nullptr,
                                                                                nullptr, PSLinkCell, nullptr);
  opener->setPropertyForKey("SubRows"_ns, "CVLOSub");
  sub->setOverrideTraitCollection(UITraitCollection::make(UIUserInterfaceStyleDark, 0));
  sub->setSpecifier(opener);
  EXPECT_THAT(titles(sub), ElementsAre("Gate", "Ruled", "Dev"));
  Ref<UITableView> table = sub->table();
  table->reloadData();
  // No rules and no theme here: every row keeps the host's height and no tint is stamped.
  EXPECT_EQ(table->sectionLayout().at(0).rowHeights, (std::vector<CGFloat>{44.0, 44.0, 44.0}));
  EXPECT_FALSE(static_cast<PSSpecifier*>(sub->_specifiers->items()[0].get())->propertyForKey("tintColor"));
  EXPECT_FALSE(class_respondsToSelector(sub->isa(), Base::shouldHideSpecifierMessage::sel()));
  Ref<NSArray> first = sub->specifiers();
  sub->traitCollectionDidChange(nullptr);
  EXPECT_EQ(sub->specifiers().get(), first.get());  // the same rows in either appearance

  auto again = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("Again"_ns, nullptr, nullptr, nullptr,
                                                                               nullptr, PSLinkCell, nullptr);
  again->setPropertyForKey("OtherSub"_ns, "CVLOSub");
  sub->setSpecifier(again);
  EXPECT_THAT(titles(sub), ElementsAre("Other"));

  for (Ref<NSObject> bad : {Ref<NSObject>("NoSuchList"_ns), Ref<NSObject>(NSNumber::numberWithInt(3))}) {
    auto broken = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(
        "Broken"_ns, nullptr, nullptr, nullptr, nullptr, PSLinkCell, nullptr);
    broken->setPropertyForKey(bad, "CVLOSub");
    foundation::LogCapture logs;
    auto page = newPage("CVLOSubListController");
    page->setSpecifier(broken);
    ASSERT_TRUE(page->specifiers());
    EXPECT_EQ(page->specifiers()->count(), 0u);
    EXPECT_FALSE(logs.nslogMessages().empty());
  }
}

TEST_F(Pages, TheAboutRowOpensASubPageFromTheBundle) {
  auto page = basePage("Root-Light");
  auto nav = UINavigationController::make(page);
  nav->forwardAppearance(true);
  Ref<UITableView> table = page->table();
  table->reloadData();
  page->tableViewDidSelectRowAtIndexPath(table, page->indexPathForSpecifier(page->specifierForID("about"_ns)));
  Ref<UIViewController> top = nav->topViewController();
  ASSERT_TRUE(top);
  EXPECT_STREQ(class_getName(top->isa()), "CVLOSubListController");
  auto* about = static_cast<PSListController*>(top.get());
  ASSERT_TRUE(about->specifiers());
  EXPECT_TRUE(about->specifierForID("version"_ns));
  nav->popViewControllerAnimated(false);
  nav->forwardAppearance(false);
}

TEST_F(Pages, ButtonsAndRoundingColourAndClipAsAsked) {
  auto view = UIView::make(CGRectMake(0, 0, 100, 44));
  UIView_Rounding::roundCornersRadius(view, 3ul, 10.0);
  EXPECT_TRUE(view->clipsToBounds());
  EXPECT_EQ(view->layer()->cornerRadius(), 10.0);
  EXPECT_EQ(view->layer()->maskedCorners(), 3u);
  UIView_Rounding::roundCornersRadius(view, 12ul, 4.0);
  EXPECT_EQ(view->layer()->maskedCorners(), 12u);
  EXPECT_EQ(view->layer()->cornerRadius(), 4.0);

  auto theme = UIColor::colorWithRedGreenBlueAlpha(0.1, 0.2, 0.3, 1);
  auto make = [&](const char* cls, UIColor* tint) {
    auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(
        "A title far too long to fit on one line of a settings row"_ns, nullptr, nullptr, nullptr, nullptr,
        PSButtonCell, nullptr);
    if (tint) item->setPropertyForKey(tint, "tintColor");
    return newCell(cls, item);
  };
  auto interaction = [](PSTableCell* c) { return objc::send<CVLOBaseTableCell::interactionTintColorMessage>(c); };

  auto tinted = make("CVLOTintedButton", theme);
  EXPECT_EQ(objc::send<CVLOBaseTableCell::themeTintColorMessage>(tinted).get(), theme.get());
  EXPECT_EQ(tinted->textLabel()->numberOfLines(), 1);
  EXPECT_TRUE(tinted->textLabel()->adjustsFontSizeToFitWidth());
  EXPECT_EQ(tinted->detailTextLabel()->minimumScaleFactor(), 0.5);
  tinted->layoutSubviews();
  EXPECT_EQ(tinted->textLabel()->textColor().get(), theme.get());
  EXPECT_EQ(tinted->titleLabel()->highlightedTextColor().get(), theme.get());
  EXPECT_EQ(interaction(tinted).get(), theme.get());

  // No colour at all: the host's colours stay, however often it lays out.
  auto plain = make("CVLOTintedButton", nullptr);
  const RGBA hostColour = plain->textLabel()->textColor()->rgba();
  plain->layoutSubviews();
  plain->layoutSubviews();
  EXPECT_EQ(plain->textLabel()->textColor()->rgba(), hostColour);
  EXPECT_FALSE(interaction(plain));

  const RGBA red = UIColor::systemRedColor()->rgba();
  for (UIColor* tint : {theme.get(), static_cast<UIColor*>(nullptr)}) {
    auto danger = make("CVLODangerButton", tint);
    danger->layoutSubviews();
    EXPECT_EQ(danger->textLabel()->textColor()->rgba(), red);
    EXPECT_EQ(danger->titleLabel()->highlightedTextColor()->rgba(), red);
    EXPECT_EQ(interaction(danger)->rgba(), red);
    // The host resetting the label between passes does not stick.
    danger->textLabel()->setTextColor(theme);
    danger->layoutSubviews();
    EXPECT_EQ(danger->textLabel()->textColor()->rgba(), red);
  }
}

TEST_F(Pages, HexColoursAreNewEachTimeAndLogTheTextWithoutItsMarkers) {
  foundation::LogCapture logs;
  auto parse = [](const char* text) { return UIColor_RGBHex::colorFromHexString(NSString::make(text)); };
  auto a = parse("0x12340x56");
  auto b = parse("0x12340x56");
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(a->rgba(), (RGBA{0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0, 1}));
  EXPECT_EQ(logs.nslogMessages().at(2), "[DEBUG] plainRGBHexStringValue: 123456");
  logs.clear();
  EXPECT_EQ(parse("")->rgba(), (RGBA{0, 0, 0, 1}));
  EXPECT_EQ(parse("#")->rgba(), (RGBA{0, 0, 0, 1}));
  EXPECT_THAT(logs.nslogMessages(), ElementsAre("[DEBUG] rgbHexStringValue: ", "[DEBUG] rgbHexStringValue: #",
                                                "[DEBUG] is in format #AAAAAA", "[DEBUG] plainRGBHexStringValue: "));
}

TEST_F(Pages, DeclaredPropertiesReadAsTheHostExpects) {
  const std::pair<const char*, const char*> page[] = {
      {"preferenceBundle", "T@\"NSBundle\",&,N"}, {"themeTintColor", "T@\"UIColor\",&,N"},
      {"darkModePlist", "T@\"NSString\",&,N"},    {"lightModePlist", "T@\"NSString\",&,N"},
      {"hasSpecifiersWithDependencies", "TB,N"},  {"specifiersWithDependencies", "T@\"NSMutableDictionary\",&,N"}};
  for (const auto& [name, attributes] : page)
    EXPECT_EQ(property_getAttributes(class_getProperty(objc_getClass("CVLOBaseListController"), name)), attributes)
        << name;
  // The tinted button re-declares the base cell's colours as dynamic; the danger button inherits them.
  for (const char* name : {"themeTintColor", "interactionTintColor"}) {
    EXPECT_EQ(property_getAttributes(class_getProperty(objc_getClass("CVLOBaseTableCell"), name)), "T@\"UIColor\",&,N")
        << name;
    EXPECT_EQ(property_getAttributes(class_getProperty(objc_getClass("CVLOTintedButton"), name)), "T@\"UIColor\",&,N,D")
        << name;
    EXPECT_EQ(property_getAttributes(class_getProperty(objc_getClass("CVLODangerButton"), name)), "T@\"UIColor\",&,N")
        << name;
  }
}
