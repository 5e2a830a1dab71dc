// The root page: its banner, the scrolling title, the options menu, its life
// cycle, and what it mends in the base page.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <thread>

#include "CVLOBetterTitleView.h"
#include "CVLORootListController.h"
#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSNumber.h"
#include "preferences/CoreFoundation.h"
#include "support.h"
#include "uikit/MediaClock.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIDevice.h"
#include "uikit/UIImage.h"
#include "uikit/UIWindow.h"

using namespace prefs_test;
using Root = CVLORootListController;
using Title = CVLOBetterTitleView;

namespace {

Ref<PSListController> rootPage() { return newPage("CVLORootListController"); }

Ref<UIView> titleView(double minimum) {
  bundle();
  Ref<NSObject> fresh = objc::send<NSObject::allocMessage>(objc_getClass("CVLOBetterTitleView"));
  // The same selector answering a plain view: the class itself lives in the bundle.
  using Init = objc::Message<"initWithTitle:minimumScrollOffsetRequired:", Ref<UIView>(NSString*, double)>;
  return objc::send<Init>(fresh, "Corvallo"_ns, minimum);
}

UILabel* labelOf(UIView* title) { return objc_cast<UILabel>(title->subviewList().front().get()); }

// The label's offset from the title view's middle after a layout pass.
double offsetAfterScrolling(UIView* title, double y) {
  objc::send<Title::adjustLabelPositionToScrollOffsetMessage>(title, y);
  title->layoutIfNeeded();
  CGRect l = labelOf(title)->frame();
  return l.origin.y + l.size.height / 2 - title->bounds().size.height / 2;
}

UIButton* optionsButton(PSListController* page) { return objc::send<Root::optionsButtonMessage>(page).get(); }

Ref<UIMenu> optionsMenu(PSListController* page) {
  load(page);
  return optionsButton(page)->menu();
}

UIAction* entry(UIMenu* menu, std::size_t i) { return static_cast<UIAction*>(menu->children()->items().at(i).get()); }

class RootPage : public testing::Test {
 protected:
  void SetUp() override {
    bundle();
    uikit::setMediaTime(500);
  }
  void TearDown() override {
    uikit::useRealMediaTime();
    uikit::setSystemVersion("15.0");
    uikit::dismissMenu();
  }
};

}  // namespace

TEST(TitleView, TheLabelSlidesInOverFiftyPointsPastTheMinimum) {
  auto at0 = titleView(0);
  at0->layoutIfNeeded();
  EXPECT_EQ(at0->frame().size, labelOf(at0)->frame().size) << "as large as its label";
  EXPECT_EQ(labelOf(at0)->font()->weight(), UIFontWeightSemibold);
  EXPECT_EQ(labelOf(at0)->font()->pointSize(), 17);
  CGRect l = labelOf(at0)->frame();
  EXPECT_DOUBLE_EQ(l.origin.y + l.size.height / 2 - at0->bounds().size.height / 2, 50) << "before any scrolling";
  for (auto [y, want] : {std::pair{-88.0, -50.0}, {0.0, 50.0}, {20.0, 30.0}, {50.0, 0.0}, {300.0, 0.0}})
    EXPECT_DOUBLE_EQ(offsetAfterScrolling(at0, y), want) << "offset " << y;
  EXPECT_DOUBLE_EQ(offsetAfterScrolling(at0, NAN), -50) << "not a number";

  auto at100 = titleView(100);
  for (auto [y, want] : {std::pair{99.5, -50.0}, {100.0, 50.0}, {125.0, 25.0}, {150.0, 0.0}})
    EXPECT_DOUBLE_EQ(offsetAfterScrolling(at100, y), want) << "offset " << y;
}

TEST(TitleView, WhiteOnlyInDarkAppearanceOnASystemThatHasIt) {
  auto window = UIWindow::make(kUIScreenBounds);
  auto title = titleView(0);
  window->addSubview(title);
  auto recolour = [&] {
    objc::send<Title::updateTitleColorBasedOnCurrentInterfaceStyleMessage>(title);
    return labelOf(title)->textColor()->hexString();
  };
  EXPECT_EQ(recolour(), "#000000");
  window->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
  EXPECT_EQ(recolour(), "#FFFFFF");
  double saved = kCFCoreFoundationVersionNumber;
  kCFCoreFoundationVersionNumber = 1600;
  EXPECT_EQ(recolour(), "#000000") << "an older system has no dark appearance";
  kCFCoreFoundationVersionNumber = kCFCoreFoundationVersionNumber_iOS_13_0;
  EXPECT_EQ(recolour(), "#FFFFFF") << "the first system that has it";
  kCFCoreFoundationVersionNumber = saved;
  window->setOverrideUserInterfaceStyle(UIUserInterfaceStyleLight);
  EXPECT_EQ(recolour(), "#000000");
}

namespace {

double fittedHeight = -1;
CGSize fixedFit(UILabel* self, SEL, CGSize) {
  return CGSize{objc::send<UIView::frameMessage>(self).size.width, fittedHeight};
}

// Labels fit to `height` while it lives.
struct FittedHeight {
  IMP previous;
  explicit FittedHeight(double height) {
    fittedHeight = height;
    previous = class_replaceMethod(UILabel::cls(), UILabel::sizeThatFitsMessage::sel(),
                                   objc::implementation<UILabel::sizeThatFitsMessage, &fixedFit>(),
                                   objc::typesFor<UILabel::sizeThatFitsMessage>());
  }
  ~FittedHeight() {
    class_replaceMethod(UILabel::cls(), UILabel::sizeThatFitsMessage::sel(), previous,
                        objc::typesFor<UILabel::sizeThatFitsMessage>());
  }
};

}  // namespace

TEST_F(RootPage, TheBannerCentresTheIconAndTruncatesTheTitleHeight) {
  auto page = rootPage();
  load(page);
  Ref<UITableView> table = page->table();
  ASSERT_EQ(table->frame().size.width, kScreenWidth);
  {
    FittedHeight fitted(40.7);
    objc::send<Root::setupTableHeaderMessage>(page);
  }
  Ref<UIView> header = table->tableHeaderView();
  ASSERT_TRUE(header);
  EXPECT_EQ(header->frame(), CGRectMake(0, 0, 375, 128));
  ASSERT_EQ(header->subviewList().size(), 2u);
  auto* icon = objc_cast<UIImageView>(header->subviewList()[0].get());
  auto* title = objc_cast<UILabel>(header->subviewList()[1].get());
  ASSERT_TRUE(icon && title);
  EXPECT_EQ(icon->frame(), CGRectMake(158.5, 20, 58, 58));
  EXPECT_EQ(title->frame(), CGRectMake(0, 88, 375, 40));
  EXPECT_EQ(title->text()->utf8(), "Corvallo");
  EXPECT_EQ(title->font()->pointSize(), 32);
  ASSERT_TRUE(icon->image());
  EXPECT_EQ(icon->image()->filePath(), std::string(kBundle) + "/Corvallo-fullsize.png");

  // With the real font: the fitted height, truncated, plus 88.
  objc::send<Root::setupTableHeaderMessage>(page);
  Ref<UIView> again = table->tableHeaderView();
  EXPECT_NE(again.get(), header.get()) << "a new banner replaces the old";
  auto* realTitle = objc_cast<UILabel>(again->subviewList()[1].get());
  CGSize fit = realTitle->sizeThatFits(CGSize{});
  EXPECT_EQ(again->frame().size.height, std::trunc(fit.height) + 88);
}

TEST_F(RootPage, IconAndTitleGlowInTheThemeColourAndPulseTogether) {
  auto page = rootPage();
  load(page);
  objc::send<Root::setupTableHeaderMessage>(page);
  Ref<UIView> header = page->table()->tableHeaderView();
  Ref<UIColor> theme = objc::send<Base::themeTintColorMessage>(page);
  EXPECT_EQ(objc_cast<UILabel>(header->subviewList()[1].get())->textColor().get(), theme.get());
  for (const auto& view : header->subviewList()) {
    Ref<CALayer> layer = view->layer();
    EXPECT_EQ(layer->shadowColor().get(), theme.get());
    EXPECT_EQ(layer->shadowOffset(), CGSizeMake(0, 0));
    EXPECT_EQ(layer->shadowRadius(), 25);
    EXPECT_EQ(layer->shadowOpacity(), 1.0f);
    EXPECT_FALSE(layer->masksToBounds());
    auto glow = ref_cast<CABasicAnimation>(layer->animationForKey("shadowRadius"_ns));
    ASSERT_TRUE(glow);
    EXPECT_EQ(glow->keyPath()->utf8(), "shadowRadius");
    EXPECT_EQ(glow->duration(), 4);
    EXPECT_TRUE(glow->autoreverses());
    EXPECT_EQ(glow->repeatCount(), FLT_MAX);
    EXPECT_FALSE(glow->removedOnCompletion());
    EXPECT_EQ(glow->timingFunction()->name()->utf8(), "linear");
    EXPECT_EQ(glow->beginTime(), 500);
    for (auto [t, want] : {std::pair{500.0, 5.0}, {502.0, 15.0}, {504.0, 25.0}, {508.0, 5.0}, {8504.0, 25.0}})
      EXPECT_DOUBLE_EQ(*layer->presentationValue("shadowRadius", t), want) << view->isa() << " at " << t;
  }
  EXPECT_NE(header->subviewList()[0]->layer()->animationForKey("shadowRadius"_ns).get(),
            header->subviewList()[1]->layer()->animationForKey("shadowRadius"_ns).get());
}

TEST_F(RootPage, ANarrowOrIconlessTableStillGivesWhatItCan) {
  auto page = rootPage();
  load(page);
  page->table()->setTableHeaderView(nullptr);
  page->table()->setFrame(CGRectMake(0, 0, 0, 812));
  objc::send<Root::setupTableHeaderMessage>(page);
  EXPECT_FALSE(page->table()->tableHeaderView()) << "no banner at zero width";

  page->table()->setFrame(kUIScreenBounds);
  std::string icon = foundation::devicePath(std::string(kBundle) + "/Corvallo-fullsize.png");
  std::filesystem::rename(icon, icon + ".away");
  objc::send<Root::setupTableHeaderMessage>(page);
  std::filesystem::rename(icon + ".away", icon);
  Ref<UIView> header = page->table()->tableHeaderView();
  ASSERT_TRUE(header);
  EXPECT_FALSE(objc_cast<UIImageView>(header->subviewList()[0].get())->image());
  EXPECT_EQ(objc_cast<UILabel>(header->subviewList()[1].get())->text()->utf8(), "Corvallo");
  EXPECT_TRUE(header->subviewList()[0]->layer()->animationForKey("shadowRadius"_ns)) << "the glow still runs";
}

TEST_F(RootPage, TheResetSymbolFollowsTheSystemVersionNumerically) {
  for (auto [version, symbol] : {std::pair{"14.8", Root::kOlderResetSymbol},
                                 {"9.3", Root::kOlderResetSymbol},
                                 {"15.0", Root::kResetSymbol},
                                 {"15.0.1", Root::kResetSymbol},
                                 {"16.0", Root::kResetSymbol}}) {
    uikit::setSystemVersion(version);
    auto page = rootPage();
    Ref<UIMenu> menu = optionsMenu(page);
    EXPECT_EQ(entry(menu, 1)->image()->symbolName(), symbol) << version;
  }
}

TEST_F(RootPage, TheMenuOffersRespringThenADestructiveResetEachOnlyAsking) {
  auto page = rootPage();
  Ref<UIMenu> menu = optionsMenu(page);
  ASSERT_EQ(menu->children()->count(), 2u);
  EXPECT_EQ(entry(menu, 0)->title()->utf8(), "Respring");
  EXPECT_EQ(entry(menu, 0)->image()->symbolName(), Root::kRespringSymbol);
  EXPECT_EQ(entry(menu, 0)->attributes(), 0u);
  EXPECT_EQ(entry(menu, 1)->title()->utf8(), "Reset All Settings");
  EXPECT_EQ(entry(menu, 1)->attributes(), static_cast<unsigned long>(UIMenuElementAttributesDestructive));
  EXPECT_FALSE(entry(menu, 1)->identifier());

  for (auto [i, sheet] : {std::pair{0, "Respring"}, {1, "Reset Settings"}}) {
    optionsButton(page)->_tap();
    ASSERT_EQ(uikit::presentedMenu().get(), menu.get());
    ASSERT_TRUE(uikit::chooseMenuAction(entry(menu, static_cast<std::size_t>(i))));
    auto* alert = objc_cast<UIAlertController>(page->presentedViewController().get());
    ASSERT_TRUE(alert) << sheet;
    EXPECT_EQ(alert->title()->utf8(), sheet);
    alert->chooseAction(static_cast<UIAlertAction*>(alert->actions()->items()[0].get()));  // cancel
  }
}

TEST_F(RootPage, TheOptionsControlIsACaptionBesideASquareThemedButton) {
  auto page = rootPage();
  load(page);
  Ref<UIView> container = objc::send<Root::optionsButtonViewMessage>(page);
  Ref<UILabel> caption = objc::send<Root::optionsLabelMessage>(page);
  UIButton* button = optionsButton(page);
  CGSize b = button->frame().size, l = caption->frame().size;
  EXPECT_EQ(b, CGSizeMake(b.height, b.height)) << "a square";
  EXPECT_EQ(b.height, kUIEmptyButtonSize.height);
  EXPECT_EQ(container->frame(), CGRectMake(0, 0, b.width + l.width + 10, b.height));
  EXPECT_EQ(caption->frame(), CGRectMake(0, b.height / 2 - l.height / 2, l.width, l.height));
  EXPECT_EQ(button->frame().origin, CGPointMake(l.width + 10, 0));
  EXPECT_EQ(caption->text()->utf8(), "Options");
  EXPECT_EQ(caption->font()->pointSize(), 17);
  EXPECT_EQ(caption->font()->weight(), UIFontWeightRegular);
  constexpr unsigned long kFlexibleSize = UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight;
  static_assert(kFlexibleSize == 18);
  EXPECT_EQ(container->autoresizingMask(), kFlexibleSize);
  EXPECT_EQ(caption->autoresizingMask(), kFlexibleSize);
  Ref<UIColor> theme = objc::send<Base::themeTintColorMessage>(page);
  EXPECT_EQ(caption->textColor().get(), theme.get());
  EXPECT_EQ(button->backgroundColor().get(), theme.get());
  EXPECT_EQ(button->tintColor()->hexString(), "#FFFFFF");
  EXPECT_EQ(button->layer()->cornerRadius(), 10);
  EXPECT_EQ(button->imageForState(UIControlStateNormal)->symbolName(), "gearshape.fill");
  EXPECT_EQ(button->imageForState(UIControlStateHighlighted)->tintColor()->hexString(), "#FFFFFF");
  EXPECT_TRUE(button->showsMenuAsPrimaryAction());
  ASSERT_EQ(container->subviewList().size(), 2u);
  EXPECT_EQ(container->subviewList()[0].get(), caption.get());
  EXPECT_EQ(container->subviewList()[1].get(), button);
  EXPECT_EQ(page->navigationItem()->rightBarButtonItem()->customView().get(), container.get());
}

TEST_F(RootPage, AskingForTheRowsTwiceLeavesOneItemAndNamesTheListsOnce) {
  auto page = rootPage();
  load(page);
  Ref<UIBarButtonItem> first = page->navigationItem()->rightBarButtonItem();
  EXPECT_EQ(objc::send<Base::lightModePlistMessage>(page)->utf8(), "Root-Light");
  objc::send<Base::setDarkModePlistLightModePlistMessage>(page, "Other-Dark"_ns, "Other-Light"_ns);
  Ref<NSArray> rows = load(page);
  Ref<UIBarButtonItem> second = page->navigationItem()->rightBarButtonItem();
  EXPECT_NE(second.get(), first.get()) << "built anew";
  EXPECT_EQ(second.get(), objc::send<Root::menuButtonMessage>(page).get());
  EXPECT_EQ(objc::send<Base::lightModePlistMessage>(page)->utf8(), "Other-Light") << "named only before the first load";
  EXPECT_EQ(rows.get(), page->_specifiers.get());
  EXPECT_GT(rows->count(), 0u);
}

TEST_F(RootPage, TheTitleViewIsInstalledOnceThroughTheLifeCycle) {
  auto page = rootPage();
  page->loadView();
  Ref<UIView> installed = page->navigationItem()->titleView();
  ASSERT_TRUE(objc_cast<UIView>(installed.get()));
  EXPECT_STREQ(class_getName(installed->isa()), "CVLOBetterTitleView");
  page->viewDidLoad();
  page->viewWillAppear(false);
  page->viewDidAppear(false);
  load(page);
  EXPECT_EQ(page->navigationItem()->titleView().get(), installed.get());

  // A title view of another class stays, and scrolling and appearance changes leave it alone.
  auto other = rootPage();
  auto plain = UIView::make(CGRectMake(0, 0, 10, 10));
  other->navigationItem()->setTitleView(plain);
  other->view();
  load(other);
  other->table()->setContentOffset(CGPoint{0, 40});
  Ref<UITraitCollection> previous = other->traitCollection();
  other->setOverrideTraitCollection(UITraitCollection::make(UIUserInterfaceStyleDark, 0));
  other->traitCollectionDidChange(previous);
  drainQueues();
  EXPECT_EQ(other->navigationItem()->titleView().get(), plain.get());
  EXPECT_EQ(plain->frame(), CGRectMake(0, 0, 10, 10));
}

// Each step of appearing builds the banner anew, so its glow starts again
// from the moment the page shows.
TEST_F(RootPage, TheBannerIsRebuiltAndItsGlowRestartedBeforeAndAfterAppearing) {
  auto page = rootPage();
  page->view();
  load(page);
  Ref<UIView> previous = page->table()->tableHeaderView();
  ASSERT_TRUE(previous);
  auto glowBegins = [](const Ref<UIView>& header) {
    auto glow = ref_cast<CABasicAnimation>(header->subviewList()[1]->layer()->animationForKey("shadowRadius"_ns));
    return glow ? glow->beginTime() : -1;
  };
  uikit::setMediaTime(600);
  page->viewWillAppear(false);
  Ref<UIView> before = page->table()->tableHeaderView();
  EXPECT_NE(before.get(), previous.get()) << "rebuilt before appearing";
  EXPECT_EQ(glowBegins(before), 600);
  uikit::setMediaTime(601);
  page->viewDidAppear(false);
  Ref<UIView> after = page->table()->tableHeaderView();
  EXPECT_NE(after.get(), before.get()) << "rebuilt after appearing";
  EXPECT_EQ(glowBegins(after), 601);
}

TEST_F(RootPage, ScrollingTheTableMovesTheTitle) {
  auto page = rootPage();
  page->view();
  load(page);
  Ref<UIView> title = page->navigationItem()->titleView();
  for (auto [y, want] : {std::pair{-88.0, -50.0}, {20.0, 30.0}, {75.0, 0.0}}) {
    page->table()->setContentOffset(CGPoint{0, y});
    title->layoutIfNeeded();
    CGRect l = labelOf(title)->frame();
    EXPECT_DOUBLE_EQ(l.origin.y + l.size.height / 2 - title->bounds().size.height / 2, want) << y;
  }
}

// A deferred reload after an appearance change asks the covered root page
// for its rows; the shared bar belongs to the page on top.
TEST_F(RootPage, ACoveredPageDoesNotTintTheSharedBarWhenItsRowsReload) {
  auto page = rootPage();
  auto inner = UINavigationController::make(page);
  auto home = newPage("PSListController");
  auto outer = UINavigationController::make(home);
  outer->forwardAppearance(true);
  outer->pushViewControllerAnimated(inner, false);
  Ref<UIColor> theme = objc::send<Base::themeTintColorMessage>(page);
  ASSERT_EQ(outer->navigationBar()->tintColor().get(), theme.get());

  auto about = newPage("PSListController");
  inner->pushViewControllerAnimated(about, false);
  EXPECT_NE(outer->navigationBar()->tintColor().get(), theme.get());
  Ref<UITraitCollection> previous = page->traitCollection();
  outer->setOverrideTraitCollection(UITraitCollection::make(UIUserInterfaceStyleDark, 0));
  outer->propagateTraitChange(previous);
  drainQueues();
  load(page);
  EXPECT_NE(outer->navigationBar()->tintColor().get(), theme.get()) << "the About page's bar stays untinted";

  inner->popViewControllerAnimated(false);
  EXPECT_EQ(outer->navigationBar()->tintColor().get(), theme.get()) << "tinted again when it shows";
  outer->forwardAppearance(false);
}

namespace {

// Records the thread it is released on; hung on a page as an associated value.
class ReleaseProbe : public NSObject {
  OBJC_CLASS(ReleaseProbe, NSObject)
  OBJC_OVERRIDE(dealloc)

 public:
  static std::thread::id releasedOn;

 private:
  void deallocImpl() {
    releasedOn = std::this_thread::get_id();
    sendSuper<deallocMessage>();
  }
};
std::thread::id ReleaseProbe::releasedOn;
OBJC_IMPLEMENT(ReleaseProbe)

}  // namespace

TEST_F(RootPage, APageLetGoDuringAWriteCheckOrAReloadIsReleasedOnTheMainThread) {
  writeList("Released", group() + row("PSSwitchCell", "Controls", "ctl") + row("PSSwitchCell", "Free", "free") +
                            row("PSStaticTextCell", "Shown", "", "ctl == 1"));
  static int probeKey;
  for (int i = 0; i < 20; ++i) {
    for (const char* key : {"free", "ctl"}) {
      ReleaseProbe::releasedOn = {};
      {
        auto page = basePage("Released");
        load(page);
        page->table()->reloadData();
        auto probe = ReleaseProbe::make();
        objc_setAssociatedObject(page.get(), &probeKey, probe.get(), OBJC_ASSOCIATION_RETAIN);
        page->setPreferenceValueSpecifier(NSNumber::numberWithBool(true), rowWithKey(page, key));
      }
      drainQueues();
      EXPECT_EQ(ReleaseProbe::releasedOn, std::this_thread::get_id()) << key << " round " << i;
    }
  }
}
