#include "CVLORootListController.h"

#include <cfloat>
#include <cmath>

#include "CVLOBetterTitleView.h"
#include "foundation/NSNumber.h"
#include "objc/Weak.h"
#include "uikit/CALayer.h"
#include "uikit/UIDevice.h"
#include "uikit/UIImage.h"
#include "uikit/UINavigationController.h"

namespace {

constexpr double kGlowRadius = 25;
constexpr double kGlowFrom = 5;
constexpr double kGlowSeconds = 4;
constexpr double kIconSide = 58;
constexpr double kIconTop = 20;
constexpr double kTitleTop = 88;  // margin, icon and a 10-point gap
constexpr double kBannerFontSize = 32;
constexpr double kOptionsFontSize = 17;
constexpr double kOptionsGap = 10;
constexpr double kOptionsCornerRadius = 10;
constexpr unsigned long kFlexibleSize = UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight;

// The glow every banner layer gets: theme-coloured, centred, fully opaque.
void glow(CALayer* layer, UIColor* color) {
  layer->setShadowColor(color);
  layer->setShadowOffset(CGSize{0, 0});
  layer->setShadowRadius(kGlowRadius);
  layer->setShadowOpacity(1.0f);
}

// 5 up to the layer's own radius and back, every eight seconds, for ever.
void pulse(CABasicAnimation* animation, CALayer* layer) {
  animation->setDuration(kGlowSeconds);
  animation->setFromValue(NSNumber::numberWithDouble(kGlowFrom));
  animation->setToValue(NSNumber::numberWithDouble(layer->shadowRadius()));
  animation->setTimingFunction(CAMediaTimingFunction::functionWithName(NSString::make(kCAMediaTimingFunctionLinear)));
  animation->setAutoreverses(true);
  animation->setRepeatCount(FLT_MAX);
  animation->setRemovedOnCompletion(false);
  layer->addAnimationForKey(animation, NSString::make(CVLORootListController::kGlowKey));
}

}  // namespace

// --------------------------------------------------------------- the rows

Ref<NSArray> CVLORootListController::specifiersImpl() {
  if (!_specifiers) setDarkModePlistLightModePlist("Root-Dark"_ns, "Root-Light"_ns);
  sendSuper<specifiersMessage>();
  setupBetterTitleView();
  buildOptionsControl(optionsMenu().get());
  return _specifiers;
}

Ref<UIMenu> CVLORootListController::optionsMenu() {
  // The handlers hold the page weakly: the page holds the menu through its button.
  Weak<CVLORootListController> weak(this);
  auto respring = UIAction::actionWithTitleImageIdentifierHandler(
      localizedStringForKey("RESPRING"_ns), UIImage::systemImageNamed(NSString::make(kRespringSymbol)), nullptr,
      _UIBlock::make([weak](NSObject*) {
        if (auto page = weak.lock()) page->respring();
      }));
  Ref<NSString> version = UIDevice::currentDevice()->systemVersion();
  bool current = version && version->compareOptions("15.0"_ns, NSNumericSearch) != NSOrderedAscending;
  auto reset = UIAction::actionWithTitleImageIdentifierHandler(
      localizedStringForKey("RESET_ALL_SETTINGS"_ns),
      UIImage::systemImageNamed(NSString::make(current ? kResetSymbol : kOlderResetSymbol)), nullptr,
      _UIBlock::make([weak](NSObject*) {
        if (auto page = weak.lock()) page->reset();
      }));
  reset->setAttributes(UIMenuElementAttributesDestructive);
  return UIMenu::menuWithChildren(NSArray::of({respring, reset}));
}

void CVLORootListController::buildOptionsControl(UIMenu* menu) {
  auto container = UIView::make(CGRectZero);
  container->setAutoresizingMask(kFlexibleSize);
  container->setBackgroundColor(UIColor::clearColor());
  setOptionsButtonView(container);

  auto button = UIButton::buttonWithType(UIButtonTypeCustom);
  button->sizeToFit();  // while still empty: the side of the square
  button->setMenu(menu);
  button->setShowsMenuAsPrimaryAction(true);
  button->layer()->setCornerRadius(kOptionsCornerRadius);
  button->layer()->setMasksToBounds(false);
  auto gear = UIImage::systemImageNamed("gearshape.fill"_ns);
  button->setImageForState(gear, UIControlStateNormal);
  double side = button->frame().size.height;
  button->setFrame(CGRectMake(0, 0, side, side));
  Ref<UIColor> theme = themeTintColor();
  button->setBackgroundColor(theme);
  button->setTintColor(UIColor::whiteColor());
  button->setImageForState(gear->imageWithTintColor(UIColor::whiteColor()), UIControlStateHighlighted);
  setOptionsButton(button);

  auto label = UILabel::make();
  label->setNumberOfLines(1);
  label->setAutoresizingMask(kFlexibleSize);
  label->setTextColor(theme);
  label->setText(localizedStringForKey("OPTIONS"_ns));
  label->setFont(UIFont::systemFontOfSizeWeight(kOptionsFontSize, UIFontWeightRegular));
  label->sizeToFit();
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextAlignment(NSTextAlignmentCenter);
  setOptionsLabel(label);

  CGSize b = button->frame().size, l = label->frame().size;
  container->setFrame(CGRectMake(0, 0, b.width + l.width + kOptionsGap, b.height));
  label->setFrame(CGRectMake(0, b.height * 0.5 - l.height * 0.5, l.width, l.height));
  CGRect c = container->frame();
  button->setFrame(CGRectMake(c.size.width - b.width, c.origin.y, b.width, b.height));
  container->addSubview(label);
  container->addSubview(button);

  setMenuButton(UIBarButtonItem::make(container.get()));
  navigationItem()->setRightBarButtonItem(menuButton());
}

// ------------------------------------------------------------- the banner

void CVLORootListController::setupTableHeaderImpl() {
  Ref<UITableView> table = this->table();
  double width = table->frame().size.width;
  if (width == 0) return;
  Ref<UIColor> theme = themeTintColor();

  auto title = UILabel::make();
  title->setNumberOfLines(1);
  title->setAutoresizingMask(kFlexibleSize);
  title->setFont(UIFont::systemFontOfSize(kBannerFontSize));
  title->setTextColor(theme);
  title->setText(NSString::make(kTitle));
  title->sizeToFit();
  title->setBackgroundColor(UIColor::clearColor());
  title->setTextAlignment(NSTextAlignmentCenter);
  double height = std::trunc(title->frame().size.height);
  title->setFrame(CGRectMake(0, kTitleTop, width, height));
  glow(title->layer().get(), theme);
  title->layer()->setMasksToBounds(false);

  Ref<NSString> iconPath = pathOfResourceWithNameType(NSString::stringWithFormat("%@-fullsize", kTitle), ".png"_ns);
  auto icon = UIImageView::make(UIImage::imageWithContentsOfFile(iconPath).get());
  icon->setFrame(CGRectMake(width * 0.5 - kIconSide / 2, kIconTop, kIconSide, kIconSide));
  glow(icon->layer().get(), theme);

  // One animation object serves both layers: each keeps its own copy.
  auto animation = CABasicAnimation::animationWithKeyPath(NSString::make(kGlowKey));
  pulse(animation, icon->layer().get());
  pulse(animation, title->layer().get());

  auto header = UIView::make(CGRectMake(0, 0, width, height + kTitleTop));
  header->setBackgroundColor(UIColor::clearColor());
  table->setTableHeaderView(header);
  header->addSubview(icon);
  header->addSubview(title);
}

// ------------------------------------------------------ the title and scrolling

void CVLORootListController::setupBetterTitleViewImpl() {
  Ref<UINavigationItem> item = navigationItem();
  if (item->titleView()) return;
  item->setTitleView(CVLOBetterTitleView::make(NSString::make(kTitle), 0.0));
}

void CVLORootListController::scrollViewDidScrollImpl(UIView* scrollView) {
  using Adjust = CVLOBetterTitleView::adjustLabelPositionToScrollOffsetMessage;
  auto* table = objc_cast<UITableView>(scrollView);
  Ref<UIView> titleView = navigationItem()->titleView();
  if (!table || !titleView || !class_respondsToSelector(titleView->isa(), Adjust::sel())) return;
  objc::send<Adjust>(titleView, table->contentOffset().y);
}

void CVLORootListController::traitCollectionDidChangeImpl(UITraitCollection* previous) {
  using Recolour = CVLOBetterTitleView::updateTitleColorBasedOnCurrentInterfaceStyleMessage;
  sendSuper<traitCollectionDidChangeMessage>(previous);
  Ref<UIView> titleView = navigationItem()->titleView();
  if (titleView && class_respondsToSelector(titleView->isa(), Recolour::sel())) objc::send<Recolour>(titleView);
}

// -------------------------------------------------------------- life cycle

void CVLORootListController::decorate() {
  setupBetterTitleView();
  setupTableHeader();
}

void CVLORootListController::loadViewImpl() {
  sendSuper<loadViewMessage>();
  decorate();
}
void CVLORootListController::viewDidLoadImpl() {
  sendSuper<viewDidLoadMessage>();
  decorate();
}
void CVLORootListController::viewWillAppearImpl(bool animated) {
  sendSuper<viewWillAppearMessage>(animated);
  decorate();
}
void CVLORootListController::viewDidAppearImpl(bool animated) {
  sendSuper<viewDidAppearMessage>(animated);
  decorate();
}

OBJC_IMPLEMENT(CVLORootListController)
