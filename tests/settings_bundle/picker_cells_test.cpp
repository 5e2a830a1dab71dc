// Picker rows loaded from the bundle as the Settings host loads them: their
// value texts, the overlay they open, what a submit writes and who hears it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <tuple>

#include "dispatch/main_loop.h"
#include "foundation/NSNumber.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"
#include "objc/Weak.h"
#include "pickers/CVLODateTimePicker.h"
#include "preferences/CoreFoundation.h"
#include "support.h"
#include "uikit/MediaClock.h"
#include "uikit/UIButton+TitleColor.h"
#include "uikit/UIColor+SystemBackground.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIScene.h"
#include "uikit/UIViewAnimation.h"

using namespace prefs_test;
using namespace std::chrono_literals;

namespace {

constexpr const char* kShared = "com.tenvarix.prefstest/Durations";
constexpr const char* kOther = "com.tenvarix.prefstest/Other";
constexpr const char* kSentinel = "com.tenvarix.prefstest/Sentinel";

// The bundle's classes are sent to, never named: a checked downcast would.
Ref<CVLODateTimePicker> asPicker(const Ref<PSTableCell>& cell) {
  EXPECT_TRUE(objc_opt_isKindOfClass(cell.get(), objc_getClass("CVLODateTimePicker")));
  return Ref<CVLODateTimePicker>(static_cast<CVLODateTimePicker*>(cell.get()));
}

// The cell's overlay, sent for by name for the same reason.
Ref<CVLODateTimePickerView> overlayOf(const Ref<CVLODateTimePicker>& cell) {
  using overlayMessage = objc::Message<"dateTimePickerView", Ref<UIView>()>;
  Ref<UIView> v = objc::send<overlayMessage>(cell);
  return Ref<CVLODateTimePickerView>(static_cast<CVLODateTimePickerView*>(v.get()));
}

class PickerRows : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    ::setenv("TZ", "America/New_York", 1);
    ::setenv("CORVALLO_DEVICE_ROOT", deviceRoot().c_str(), 1);
    bundle();
    clearDomain();
    uikit::setMediaTime(1000);
    window_ = UIWindow::make(CGRect{{0, 0}, {390, 844}});
    root_ = UIViewController::make();
    window_->setRootViewController(root_);
    root_->view()->setFrame(CGRect{{0, 0}, {390, 844}});
    window_->setOverrideUserInterfaceStyle(UIUserInterfaceStyleLight);
    scene_ = UIWindowScene::make();
    scene_->addWindow(window_);
    UIApplication_Scenes::connectScene(scene_);
    UIApplication::sharedApplication()->setKeyWindow(window_);
    auto* center = CFNotificationCenterGetDarwinNotifyCenter();
    CFNotificationCenterAddObserver(center, this, &countShared, kShared, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(center, this, &countSentinel, kSentinel, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  }
  void TearDown() override {
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
    uikit::advanceMediaTime(10);
    dispatch::runMainUntil([] { return UIView_Animation::pendingAnimations() == 0; }, 5s);
    UIApplication_Scenes::disconnectScene(scene_);
    UIApplication::sharedApplication()->setKeyWindow(nullptr);
    uikit::useRealMediaTime();
  }
  static void countShared(CFNotificationCenterRef, void* o, CFNotificationName, const void*, CFDictionaryRef) {
    ++static_cast<PickerRows*>(o)->posts_;
  }
  static void countSentinel(CFNotificationCenterRef, void* o, CFNotificationName, const void*, CFDictionaryRef) {
    ++static_cast<PickerRows*>(o)->sentinels_;
  }
  // Posts of the shared name so far, delivered to every cell as well: a post
  // of our own made now arrives after every earlier one.
  int settle() {
    int before = sentinels_;
    notify_post(kSentinel);
    EXPECT_TRUE(dispatch::runMainUntil([&] { return sentinels_ > before; }, 5s));
    return posts_;
  }
  // The page owns its rows; the fixture stands in for it.
  Ref<PSSpecifier> item(const char* key, const char* notification, const char* defaultText = nullptr) {
    auto row = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(NSString::make(key), nullptr, nullptr,
                                                                               nullptr, nullptr, PSButtonCell, nullptr);
    row->setPropertyForKey(NSString::make(key), "key");
    row->setPropertyForKey(NSString::make(kDomain), "defaults");
    if (notification) row->setPropertyForKey(NSString::make(notification), "PostNotification");
    if (defaultText) row->setPropertyForKey(NSString::make(defaultText), "default");
    row->setPropertyForKey(UIColor::systemGreenColor(), "tintColor");
    rows_.push_back(row);
    return row;
  }
  static Ref<CVLODateTimePicker> cell(const char* cls, const Ref<PSSpecifier>& row) {
    return asPicker(newCell(cls, row));
  }
  static std::string detail(const Ref<CVLODateTimePicker>& c) {
    Ref<NSString> t = c->detailTextLabel()->text();
    return t ? t->utf8() : "(nil)";
  }
  static Ref<NSDictionary> domain() {
    return NSUserDefaults::standardUserDefaults()->persistentDomainForName(NSString::make(kDomain));
  }
  static double stored(const char* key) {
    Ref<NSDictionary> d = domain();
    auto* n = d ? objc_cast<NSNumber>(d->objectForKey(key).get()) : nullptr;
    return n ? n->doubleValue() : -1;
  }
  // Runs the overlay's fade to its end.
  static void finishFade() {
    uikit::advanceMediaTime(0.25);
    EXPECT_TRUE(dispatch::runMainUntil([] { return UIView_Animation::pendingAnimations() == 0; }, 5s));
  }
  static double shownAlpha(const Ref<CVLODateTimePickerView>& v) {
    return *UIView_Animation::presentationValue(v.get(), "alpha");
  }

  Ref<UIWindow> window_;
  Ref<UIViewController> root_;
  Ref<UIWindowScene> scene_;
  std::vector<Ref<PSSpecifier>> rows_;
  int posts_ = 0;
  int sentinels_ = 0;
};

CGRect frameOf(const Ref<UIView>& v) { return v->frame(); }
bool sameRect(CGRect r, double x, double y, double w, double h) {
  return r.origin.x == x && r.origin.y == y && r.size.width == w && r.size.height == h;
}

}  // namespace

TEST_F(PickerRows, TheOverlayLaysOutItsCardForTheWindow) {
  auto row = cell("CVLODatePicker", item("day", kOther));
  Ref<CVLODateTimePickerView> overlay = overlayOf(row);
  ASSERT_TRUE(overlay);
  EXPECT_EQ(overlay->superview().get(), root_->view().get());
  EXPECT_EQ(overlay->alpha(), 0);  // laid out when attached, and transparent until presented
  EXPECT_TRUE(sameRect(frameOf(overlay->backgroundView()), 0, 0, 390, 844));
  EXPECT_TRUE(sameRect(frameOf(overlay->bodyView()), 30, 298.25, 330, 247.5));
  overlay->bodyView()->layoutIfNeeded();
  EXPECT_TRUE(sameRect(frameOf(overlay->dateTimePicker()), 10, 10, 310, 177.5));
  EXPECT_TRUE(sameRect(frameOf(overlay->cancelButton()), 10, 197.5, 145, 40));
  EXPECT_TRUE(sameRect(frameOf(overlay->submitButton()), 165, 197.5, 155, 40));
  EXPECT_EQ(overlay->cancelButton()->titleForState(UIControlStateNormal)->utf8(), "Cancel");
  EXPECT_EQ(overlay->submitButton()->titleForState(UIControlStateNormal)->utf8(), "Submit");
  EXPECT_EQ(UIButton_TitleColor::titleColorForState(overlay->submitButton(), UIControlStateNormal)->hexString(),
            UIColor::systemGreenColor()->hexString());
  EXPECT_EQ(overlay->dateTimePicker()->datePickerMode(), UIDatePickerModeDate);
  EXPECT_EQ(overlay->dateTimePicker()->preferredDatePickerStyle(), UIDatePickerStyleWheels);
  EXPECT_EQ(overlay->backgroundView()->backgroundColor()->hexString(), "#000000");
  EXPECT_EQ(overlay->bodyView()->layer()->cornerRadius(), 10);
  for (const Ref<UIButton>& button : {overlay->cancelButton(), overlay->submitButton()}) {
    EXPECT_EQ(button->layer()->cornerRadius(), 10);
    EXPECT_TRUE(button->clipsToBounds());
  }

  overlay->setAlpha(1);
  overlay->layoutSubviews();
  overlay->layoutSubviews();
  EXPECT_EQ(overlay->subviewList().size(), 2u);  // one backdrop, one body
  EXPECT_EQ(overlay->alpha(), 0);
}

TEST_F(PickerRows, ColoursAreChosenOnceByTheAppearanceAtConstruction) {
  window_->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
  Ref<CVLODateTimePickerView> dark = overlayOf(cell("CVLOTimePicker", item("at", kOther)));
  window_->setOverrideUserInterfaceStyle(UIUserInterfaceStyleLight);
  Ref<CVLODateTimePickerView> light = overlayOf(cell("CVLOTimePicker", item("at", kOther)));
  auto resolvedDark = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleDark);
  auto hex = [&](const Ref<UIColor>& c) {
    return UIColor_SystemBackground::resolvedColorWithTraitCollection(c, resolvedDark)->hexString();
  };
  EXPECT_EQ(dark->dateTimePickerBackgroundViewAlpha(), 0.48);
  EXPECT_EQ(hex(dark->dateTimePickerButtonColor()), "#2C2C2E");  // tertiary
  EXPECT_EQ(light->dateTimePickerBackgroundViewAlpha(), 0.2);
  EXPECT_EQ(hex(light->dateTimePickerButtonColor()), "#000000");  // the system background
  EXPECT_EQ(hex(dark->dateTimePickerBodyColor()), "#1C1C1E");
  EXPECT_EQ(dark->backgroundView()->alpha(), 0.48);
  dark->layoutSubviews();  // after the change of appearance: still dark
  EXPECT_EQ(dark->backgroundView()->alpha(), 0.48);
  EXPECT_EQ(dark->cancelButton()->backgroundColor().get(), dark->dateTimePickerButtonColor().get());
}

// Before the first system with a dark appearance the overlay is light,
// whatever the window asks for.
TEST_F(PickerRows, AnOlderSystemGetsTheLightColoursInADarkWindow) {
  window_->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
  auto resolvedDark = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleDark);
  double saved = kCFCoreFoundationVersionNumber;
  for (auto [version, alpha, button] :
       {std::tuple{1600.0, 0.2, "#000000"}, {1665.1, 0.2, "#000000"}, {1665.15, 0.48, "#2C2C2E"}}) {
    kCFCoreFoundationVersionNumber = version;
    Ref<CVLODateTimePickerView> overlay = overlayOf(cell("CVLODatePicker", item("day", kOther)));
    EXPECT_EQ(overlay->dateTimePickerBackgroundViewAlpha(), alpha) << version;
    EXPECT_EQ(overlay->backgroundView()->alpha(), alpha) << version;
    EXPECT_EQ(
        UIColor_SystemBackground::resolvedColorWithTraitCollection(overlay->dateTimePickerButtonColor(), resolvedDark)
            ->hexString(),
        button)
        << version;
  }
  kCFCoreFoundationVersionNumber = saved;
}

// Linear both ways: a quarter of the way in, a quarter of the opacity (an
// eased curve agrees with it only at the midpoint).
TEST_F(PickerRows, TheOverlayFadesInAndOutAtAnEvenPace) {
  auto row = cell("CVLODatePicker", item("day", kOther));
  Ref<CVLODateTimePickerView> overlay = overlayOf(row);
  row->presentDateTimePicker();
  uikit::advanceMediaTime(0.05);
  EXPECT_NEAR(shownAlpha(overlay), 0.25, 1e-9);
  uikit::advanceMediaTime(0.1);
  EXPECT_NEAR(shownAlpha(overlay), 0.75, 1e-9);
  finishFade();
  overlay->cancelButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  uikit::advanceMediaTime(0.05);
  EXPECT_NEAR(shownAlpha(overlay), 0.75, 1e-9);
  finishFade();
}

TEST_F(PickerRows, ADurationRowSeedsQuietlyThenSubmitsAndEveryListenerRefreshes) {
  auto duration = cell("CVLOTimeIntervalPicker", item("minutes", kShared, "00:30"));
  EXPECT_EQ(stored("minutes"), 1800);
  EXPECT_EQ(detail(duration), "0:30");
  auto twin = cell("CVLOTimeIntervalPicker", item("minutes", kShared));
  auto stranger = cell("CVLOTimeIntervalPicker", item("minutes", kOther));
  EXPECT_EQ(settle(), 0);  // seeding at construction posts nothing

  Ref<PSSpecifier> row = duration->specifier();
  objc::sendSel<void()>(row->target(), row->buttonAction());  // the host's tap
  Ref<CVLODateTimePickerView> overlay = overlayOf(duration);
  EXPECT_EQ(overlay->dateTimePicker()->datePickerMode(), UIDatePickerModeCountDownTimer);
  EXPECT_EQ(overlay->dateTimePicker()->countDownDuration(), 1800);
  EXPECT_EQ(settle(), 0);  // the key was there: no seeding, no post
  uikit::advanceMediaTime(0.1);
  EXPECT_NEAR(shownAlpha(overlay), 0.5, 1e-9);
  uikit::advanceMediaTime(0.1);
  EXPECT_NEAR(shownAlpha(overlay), 1, 1e-9);

  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      NSString::make(kDomain), [](NSMutableDictionary* d) { d->setObjectForKey("#FFFFFF"_ns, "color"); });
  overlay->dateTimePicker()->setCountDownDuration(45 * 60);
  overlay->submitButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(stored("minutes"), 2700);
  EXPECT_EQ(ref_cast<NSString>(domain()->objectForKey("color"))->utf8(), "#FFFFFF");
  EXPECT_EQ(overlay->superview().get(), root_->view().get());  // fading out
  EXPECT_EQ(settle(), 1);
  EXPECT_EQ(detail(duration), "0:45");
  EXPECT_EQ(detail(twin), "0:45");
  EXPECT_EQ(detail(stranger), "0:30");  // listens to another name
  finishFade();
  EXPECT_FALSE(overlay->superview());

  // The next tap presents the same overlay again.
  objc::sendSel<void()>(row->target(), row->buttonAction());
  EXPECT_EQ(overlayOf(duration).get(), overlay.get());
  EXPECT_EQ(overlay->superview().get(), root_->view().get());
  EXPECT_EQ(overlay->dateTimePicker()->countDownDuration(), 2700);
}

TEST_F(PickerRows, CancelAndTheBackdropHideWithoutWriting) {
  auto row = cell("CVLODateAndTimePicker", item("when", kShared, "03-05-2024 08:30 PM"));
  EXPECT_EQ(detail(row), "Tue Mar 5 08:30 PM");
  Ref<CVLODateTimePickerView> overlay = overlayOf(row);
  Ref<NSDictionary> before = domain();
  for (int way = 0; way < 2; ++way) {
    row->presentDateTimePicker();
    finishFade();
    EXPECT_EQ(overlay->alpha(), 1);
    overlay->dateTimePicker()->setDate(NSDate::make(0));
    if (way == 0) {
      overlay->cancelButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    } else {
      auto tap = ref_cast<UITapGestureRecognizer>(
          UIView_Gestures::gestureRecognizers(overlay->backgroundView())->firstObject());
      EXPECT_TRUE(tap->recognizeTap());
    }
    uikit::advanceMediaTime(0.1);
    EXPECT_NEAR(shownAlpha(overlay), 0.5, 1e-9);
    EXPECT_TRUE(overlay->superview());
    finishFade();
    EXPECT_FALSE(overlay->superview());
    EXPECT_TRUE(domain()->isEqual(before.get()));
  }
  EXPECT_EQ(settle(), 0);
  // The body has no tap of its own.
  EXPECT_EQ(UIView_Gestures::gestureRecognizers(overlay->bodyView())->count(), 0u);
}

TEST_F(PickerRows, ADateDefaultThatDoesNotParseIsWrittenBackAndPostedAtEachPresentation) {
  auto row = cell("CVLODatePicker", item("day", kShared, "2023-12-25"));
  EXPECT_EQ(detail(row), "");
  EXPECT_EQ(settle(), 1);  // the overlay's construction seeds with a post
  ASSERT_TRUE(domain());
  row->presentDateTimePicker();
  row->presentDateTimePicker();
  EXPECT_EQ(settle(), 3);
  EXPECT_FALSE(domain()->objectForKey("day"));
  Ref<CVLODateTimePickerView> overlay = overlayOf(row);
  EXPECT_NEAR(overlay->dateTimePicker()->date()->timeIntervalSinceNow(), 0, 5);
}

TEST_F(PickerRows, ARowWithNothingStoredAndNoDefaultWritesAndPostsNothingUntilSubmitted) {
  auto row = cell("CVLOTimeIntervalPicker", item("minutes", kShared));
  EXPECT_EQ(detail(row), "0:01");
  row->presentDateTimePicker();
  EXPECT_EQ(overlayOf(row)->dateTimePicker()->countDownDuration(), 60);
  EXPECT_EQ(settle(), 0);
  EXPECT_FALSE(domain());
  auto date = cell("CVLODatePicker", item("day", kOther));
  date->presentDateTimePicker();
  EXPECT_NEAR(overlayOf(date)->dateTimePicker()->date()->timeIntervalSinceNow(), 0, 5);
  EXPECT_FALSE(domain());
}

TEST_F(PickerRows, AStoredDateWinsOverTheDefault) {
  store("day", NSDate::dateWithTimeIntervalSince1970(1709616600));
  auto row = cell("CVLODatePicker", item("day", kOther, "12-25-2023"));
  EXPECT_EQ(detail(row), "March 5 2024");
  store("day", NSNumber::numberWithDouble(60));  // a number under a date style
  row->updateValueLabel();
  EXPECT_EQ(detail(row), "");
}

TEST_F(PickerRows, ARemovedOrDestroyedCellHearsNothingMore) {
  auto removed = cell("CVLOTimeIntervalPicker", item("minutes", kShared, "00:30"));
  auto kept = cell("CVLOTimeIntervalPicker", item("minutes", kShared));
  Weak<PSTableCell> gone;
  {
    auto destroyed = cell("CVLOTimeIntervalPicker", item("minutes", kShared));
    gone = Weak<PSTableCell>(destroyed.get());
  }
  EXPECT_FALSE(gone.lock());  // nothing else held it
  auto parent = UIView::make(CGRect{{0, 0}, {390, 44}});
  parent->addSubview(removed);
  removed->removeFromSuperview();
  EXPECT_FALSE(removed->isListening());
  EXPECT_TRUE(kept->isListening());
  store("minutes", NSNumber::numberWithDouble(5400));
  notify_post(kShared);  // a destroyed cell reached here would be a use after free
  settle();
  EXPECT_EQ(detail(kept), "1:30");
  EXPECT_EQ(detail(removed), "0:30");
}

TEST_F(PickerRows, TheGenericCellHasNoOverlayAndIgnoresTaps) {
  auto row = item("day", kShared);
  auto plain = asPicker(newCell("CVLODateTimePicker", row));
  EXPECT_FALSE(overlayOf(plain));
  EXPECT_FALSE(plain->detailTextLabel()->text());
  EXPECT_FALSE(row->buttonAction());
  EXPECT_FALSE(plain->isListening());
}

TEST_F(PickerRows, ARowWithoutANotificationNameRegistersNothing) {
  auto row = cell("CVLODatePicker", item("day", nullptr, "12-25-2023"));
  EXPECT_FALSE(row->isListening());
  EXPECT_EQ(detail(row), "December 25 2023");
  EXPECT_TRUE(domain()->objectForKey("day"));
}

TEST_F(PickerRows, TheTintReachesTheTitleAtTheFirstLayoutPass) {
  auto row = cell("CVLODatePicker", item("day", kOther));
  row->layoutSubviews();
  EXPECT_EQ(row->textLabel()->textColor()->hexString(), UIColor::systemGreenColor()->hexString());
  EXPECT_EQ(row->titleLabel()->highlightedTextColor()->hexString(), UIColor::systemGreenColor()->hexString());
  ASSERT_TRUE(row->interactionTintColor());
  EXPECT_EQ(row->interactionTintColor()->hexString(), UIColor::systemGreenColor()->hexString());
}

// Each pass takes the row's tap and the current theme colour back, whatever
// changed them since.
TEST_F(PickerRows, ALayoutPassRestoresTheTapAndTheInteractionTint) {
  auto row = cell("CVLOTimePicker", item("at", kOther));
  Ref<PSSpecifier> rowItem = row->specifier();
  rowItem->setTarget(nullptr);
  rowItem->setButtonAction(nullptr);
  row->setThemeTintColor(UIColor::systemRedColor());
  row->setInteractionTintColor(nullptr);
  row->layoutSubviews();
  EXPECT_EQ(rowItem->target().get(), row.get());
  EXPECT_EQ(rowItem->buttonAction(), sel_registerName("presentDateTimePicker"));
  ASSERT_TRUE(row->interactionTintColor());
  EXPECT_EQ(row->interactionTintColor()->hexString(), UIColor::systemRedColor()->hexString());
}

// A row without a default attaches (and so lays out) its overlay before the
// cell sets the style: the wheels must follow the style either way.
TEST_F(PickerRows, TheWheelsFollowTheStyleWithAndWithoutADefault) {
  struct Case {
    const char* cls;
    const char* defaultText;
    long mode;
  };
  const Case cases[] = {
      {"CVLODatePicker", "12-25-2023", UIDatePickerModeDate},
      {"CVLOTimePicker", "08:30 PM", UIDatePickerModeTime},
      {"CVLOTimeIntervalPicker", "00:30", UIDatePickerModeCountDownTimer},
      {"CVLODateAndTimePicker", "03-05-2024 08:30 PM", UIDatePickerModeDateAndTime},
  };
  for (const Case& c : cases) {
    for (bool withDefault : {true, false}) {
      SCOPED_TRACE(std::string(c.cls) + (withDefault ? " with a default" : " without a default"));
      clearDomain();
      auto row = cell(c.cls, item("value", kOther, withDefault ? c.defaultText : nullptr));
      Ref<CVLODateTimePickerView> overlay = overlayOf(row);
      ASSERT_TRUE(overlay && overlay->dateTimePicker());
      EXPECT_EQ(overlay->dateTimePickerStyle(), row->dateTimePickerStyle());
      EXPECT_EQ(overlay->dateTimePicker()->datePickerMode(), c.mode);
      row->presentDateTimePicker();
      EXPECT_EQ(overlay->dateTimePicker()->datePickerMode(), c.mode);
      finishFade();
    }
  }
}

// "Same duration" on the examples page: a duration row with no default of its
// own, sharing a key another row has stored.
TEST_F(PickerRows, ADurationRowWithoutADefaultOffersTheStoredSeconds) {
  store("minutes", NSNumber::numberWithDouble(2700));
  auto row = cell("CVLOTimeIntervalPicker", item("minutes", kOther));
  row->presentDateTimePicker();
  Ref<UIDatePicker> wheels = overlayOf(row)->dateTimePicker();
  EXPECT_EQ(wheels->datePickerMode(), UIDatePickerModeCountDownTimer);
  EXPECT_EQ(wheels->countDownDuration(), 2700);
  wheels->setCountDownDuration(600);
  overlayOf(row)->submitButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(stored("minutes"), 600);
}

TEST_F(PickerRows, SettingTheOverlaysStyleAfterItsLayoutResetsTheWheels) {
  store("day", NSDate::dateWithTimeIntervalSince1970(1709616600));
  auto row = cell("CVLODatePicker", item("day", kOther));
  Ref<CVLODateTimePickerView> overlay = overlayOf(row);
  overlay->setTimeIntervalValue(900);
  overlay->setDateTimePickerStyle(CVLODateTimePickerStyleTimeInterval);
  EXPECT_EQ(overlay->dateTimePicker()->datePickerMode(), UIDatePickerModeCountDownTimer);
  EXPECT_EQ(overlay->dateTimePicker()->countDownDuration(), 900);
  overlay->setDateTimePickerStyle(CVLODateTimePickerStyleDateAndTime);
  EXPECT_EQ(overlay->dateTimePicker()->datePickerMode(), UIDatePickerModeDateAndTime);
  EXPECT_EQ(overlay->dateTimePicker()->date()->timeIntervalSince1970(), 1709616600);
}
